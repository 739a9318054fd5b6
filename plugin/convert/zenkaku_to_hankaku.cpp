// Full-width digits, Latin letters and punctuation to ASCII, in place.
#include <cstddef>
#include <cstdint>

#include "convert/byte_blocks.h"
#include "convert/byte_classes.h"
#include "convert/convert.h"
#include "convert/path_entries.h"
#include "telepost/sjis.h"

namespace telepost {

namespace {

// Digits and letters: lead byte 0x82, three runs of trail bytes, each turned
// into ASCII by subtracting a constant from the trail byte. The hiragana that
// share the lead byte stay.
constexpr unsigned char kAlphanumericLead = 0x82;

struct TrailRun {
    unsigned char low;
    unsigned char high;
    unsigned char minus;
};

constexpr TrailRun kAlphanumerics[] = {
    {0x4F, 0x58, 0x1F},  // ０-９ to 0-9
    {0x60, 0x79, 0x1F},  // Ａ-Ｚ to A-Z
    {0x81, 0x9A, 0x20},  // ａ-ｚ to a-z
};

// Punctuation and symbols: lead byte 0x81, one ASCII byte for each listed
// trail byte. Every other mark stays double-byte.
constexpr unsigned char kMarkLead = 0x81;

struct Mark {
    unsigned char trail;
    unsigned char ascii;
};

constexpr Mark kMarks[] = {
    {0x40, 0x20},  // ideographic space to space
    {0x43, 0x2C},  // ， to ,
    {0x44, 0x2E},  // ． to .
    {0x46, 0x3A},  // ： to :
    {0x47, 0x3B},  // ； to ;
    {0x48, 0x3F},  // ？ to ?
    {0x49, 0x21},  // ！ to !
    {0x5E, 0x2F},  // ／ to /
    {0x62, 0x7C},  // ｜ to |
    {0x65, 0x27},  // ‘ to '
    {0x66, 0x27},  // ’ to '
    {0x67, 0x22},  // “ to "
    {0x68, 0x22},  // ” to "
    {0x69, 0x28},  // （ to (
    {0x6A, 0x29},  // ） to )
    {0x7B, 0x2B},  // ＋ to +
    {0x7C, 0x2D},  // － to -
    {0x81, 0x3D},  // ＝ to =
    {0x83, 0x3C},  // ＜ to <
    {0x84, 0x3E},  // ＞ to >
    {0x8F, 0x5C},  // ￥ to the yen sign of JIS X 0201 (reverse solidus in ASCII)
    {0x90, 0x24},  // ＄ to $
    {0x93, 0x25},  // ％ to %
    {0x94, 0x23},  // ＃ to #
    {0x95, 0x26},  // ＆ to &
    {0x96, 0x2A},  // ＊ to *
    {0x97, 0x40},  // full-width commercial at to @
};

// The ASCII byte of each convertible character, by trail byte, one table for
// each of the two lead bytes; 0 where the character stays.
struct HankakuTables {
    unsigned char afterMarkLead[256] = {};
    unsigned char afterAlphanumericLead[256] = {};
};

constexpr HankakuTables MakeHankakuTables() {
    HankakuTables tables;
    for (const Mark& mark : kMarks) {
        tables.afterMarkLead[mark.trail] = mark.ascii;
    }
    for (const TrailRun& run : kAlphanumerics) {
        for (unsigned trail = run.low; trail <= run.high; ++trail) {
            tables.afterAlphanumericLead[trail] = static_cast<unsigned char>(trail - run.minus);
        }
    }
    return tables;
}

constexpr HankakuTables kHankaku = MakeHankakuTables();

// The ASCII byte for the double-byte character lead, trail, or 0.
constexpr unsigned char HankakuOf(unsigned char lead, unsigned char trail) {
    if (lead == kMarkLead) {
        return kHankaku.afterMarkLead[trail];
    }
    if (lead == kAlphanumericLead) {
        return kHankaku.afterAlphanumericLead[trail];
    }
    return 0;
}

// Converts or copies the character at `read` to `write` and moves both on.
// The byte after `read` may be the terminator; it is read, never passed.
inline void Step(unsigned char* text, std::size_t& read, std::size_t& write) {
    const unsigned char first = text[read];
    const unsigned char second = text[read + 1];
    if (!IsDoubleBytePair(first, second)) {
        text[write++] = first;
        ++read;
        return;
    }
    if (const unsigned char ascii = HankakuOf(first, second)) {
        text[write++] = ascii;
    } else {
        text[write] = first;
        text[write + 1] = second;
        write += 2;
    }
    read += 2;
}

// Converts character by character from `read` to the end of the text, and
// ends the text at `write`.
char* ConvertRest(char* chars, std::size_t read, std::size_t write) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    while (text[read] != 0) {
        Step(text, read, write);
    }
    text[write] = 0;
    return chars;
}

#if TELEPOST_SSE2_BLOCKS

// Where the conversion stands at a block: the write position, and whether
// the block's first byte ends the character before.
struct Progress {
    unsigned char* write;
    std::uint32_t carry = 0;

    // Moves on past a block whose `kept` bytes are stored at the write
    // position. `after`, the byte after the block, is written after them:
    // when the block's last character runs over into it and stays, it is
    // that character's second byte, which the next block leaves out (its
    // carry), so it is kept; otherwise the next block writes over it.
    // `lastConverted` (0 or 1) tells that the last character was converted.
    void Stored(std::size_t kept, unsigned char after, std::uint32_t lastConverted,
                std::uint32_t carryOut) {
        write[kept] = after;
        write += kept + (carryOut & ~lastConverted);
        carry = carryOut;
    }
};

// Converts the whole blocks with Block::Convert and the rest character by
// character.
template <typename Block>
inline char* ConvertByBlocks(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    Progress progress{text};
    const unsigned char* end = blocks::ForEachBlock<typename Block::Scan, Block::kSize>(
        text, [&progress](unsigned char* block) { Block::Convert(block, progress); });
    return ConvertRest(chars, static_cast<std::size_t>(end - text) + progress.carry,
                       static_cast<std::size_t>(progress.write - text));
}

constexpr blocks::PairRuns kConvertible =
    blocks::PairRunsOf([](unsigned char first, unsigned char second) {
        return IsDoubleBytePair(first, second) && HankakuOf(first, second) != 0;
    });

// The marks' and the digits' and letters' ASCII bytes by trail byte, both
// looked up a block at a time on one chain of shuffle tables.
constexpr blocks::ChainedTables kChainedMarks =
    blocks::ChainedTablesOf([](unsigned char trail) { return HankakuOf(kMarkLead, trail); });
constexpr blocks::ChainedTables kChainedAlphanumerics = blocks::ChainedTablesOf(
    [](unsigned char trail) { return HankakuOf(kAlphanumericLead, trail); });

// The same maps as tables for byte permutes, from the lower base of the two.
constexpr unsigned char kPermutedBase = kChainedMarks.base < kChainedAlphanumerics.base
                                            ? kChainedMarks.base
                                            : kChainedAlphanumerics.base;
constexpr blocks::PermutedTable kPermutedMarks = blocks::PermutedTableOf(
    [](unsigned char trail) { return HankakuOf(kMarkLead, trail); }, kPermutedBase);
constexpr blocks::PermutedTable kPermutedAlphanumerics = blocks::PermutedTableOf(
    [](unsigned char trail) { return HankakuOf(kAlphanumericLead, trail); }, kPermutedBase);
static_assert(kPermutedMarks.fits && kPermutedAlphanumerics.fits);

#endif  // TELEPOST_SSE2_BLOCKS

}  // namespace

char* ZenkakuToHankakuByteAtATime(char* text) {
    return ConvertRest(text, 0, 0);
}

#if TELEPOST_SSE2_BLOCKS

namespace blocks::x16 {

namespace {

// Without byte shuffles, a block whose characters all stay moves down to
// the write position as a whole. In the others each convertible pair is
// replaced by its ASCII byte, and the pairs' second bytes are packed out.
// The block's first byte is left out when it ends the character before, and
// the byte after the block is added when the block's last character runs
// over into it.
//
// Once a byte has been dropped the write position lags the block, and every
// store reaches only bytes already loaded; until then, a block with a
// conversion goes character by character.
struct BlockBySse2 : Width {
    TELEPOST_SSE2 static void Convert(unsigned char* block, Progress& progress) {
        const unsigned carry = progress.carry;
        unsigned char*& write = progress.write;
        const __m128i firsts = Load(block);
        const __m128i seconds = Load(block + 1);
        const unsigned starts = UnitStarts(PairOpeners(firsts, seconds), carry);
        const unsigned carryOut = starts >> (kSize - 1);
        const unsigned converted = Bits(PairsInSet<kConvertible>(firsts, seconds)) & starts;
        const unsigned char after = block[kSize];
        if (converted == 0) {
            if (write != block + carry) {
                Store(write, carry ? seconds : firsts);
                write[kSize - carry] = after;
            }
            write += kSize - carry + carryOut;
        } else if (write == block + carry) {
            std::size_t read = carry;
            std::size_t out = carry;
            while (read < kSize) {
                Step(block, read, out);
            }
            write = block + out;
        } else {
            __m128i bytes = firsts;
            for (unsigned pairs = converted; pairs != 0; pairs &= pairs - 1) {
                const auto at = static_cast<unsigned>(__builtin_ctz(pairs));
                bytes = WithByte(bytes, at, HankakuOf(block[at], block[at + 1]));
            }
            const unsigned dropped = ((converted << 1) | carry) & kBlockBits;
            const std::size_t kept = PackedStoreBySse2(write, bytes, dropped);
            write[kept] = after;
            write += kept + (carryOut & ~(converted >> (kSize - 1)));
        }
        progress.carry = carryOut;
    }
};

}  // namespace

TELEPOST_SSE2_ENTRY char* ZenkakuToHankakuBySse2(char* text) {
    return ConvertByBlocks<BlockBySse2>(text);
}

}  // namespace blocks::x16

namespace blocks {
#define TELEPOST_WIDTH_BODY "convert/zenkaku_to_hankaku_blocks.inc"
#include "convert/for_each_width.inc"
#undef TELEPOST_WIDTH_BODY
}  // namespace blocks

namespace blocks::x32 {

namespace {

// With AVX-512, a block goes as with byte shuffles, but each pair's ASCII
// byte is looked up with byte permutes, the converted
// characters are chosen by a mask, and the block is packed with one byte
// compression.
struct BlockByCompress : Width {
    TELEPOST_AVX512 static void Convert(unsigned char* block, Progress& progress) {
        const __m256i firsts = Load(block);
        const __m256i seconds = Load(block + 1);
        const std::uint32_t starts = UnitStarts(PairOpeners(firsts, seconds), progress.carry);
        const std::uint32_t carryOut = starts >> (kSize - 1);
        const __m256i distances = _mm256_sub_epi8(seconds, Splat<kPermutedBase>());
        const __mmask32 inTables = ~_mm256_movepi8_mask(distances);  // below 128
        const __mmask32 afterMarkLead =
            _mm256_mask_cmpeq_epi8_mask(inTables, firsts, Splat<kMarkLead>());
        const __mmask32 afterAlphanumericLead =
            _mm256_mask_cmpeq_epi8_mask(inTables, firsts, Splat<kAlphanumericLead>());
        const __m256i ascii = _mm256_mask_blend_epi8(
            afterAlphanumericLead,
            _mm256_maskz_mov_epi8(afterMarkLead, LookUpPermuted<kPermutedMarks>(distances)),
            LookUpPermuted<kPermutedAlphanumerics>(distances));
        const std::uint32_t converted = _mm256_test_epi8_mask(ascii, ascii) & starts;
        const unsigned char after = block[kSize];
        const __m256i bytes = _mm256_mask_blend_epi8(converted, firsts, ascii);
        const std::uint32_t dropped = (converted << 1) | progress.carry;
        progress.Stored(CompressedStore(progress.write, bytes, dropped), after,
                        converted >> (kSize - 1), carryOut);
    }
};

}  // namespace

TELEPOST_AVX512_ENTRY char* ZenkakuToHankakuByCompress(char* text) {
    return ConvertByBlocks<BlockByCompress>(text);
}

}  // namespace blocks::x32

#endif  // TELEPOST_SSE2_BLOCKS

char* ZenkakuToHankaku(char* text) {
    return ChosenConversions().zenkakuToHankaku(text);
}

}  // namespace telepost
