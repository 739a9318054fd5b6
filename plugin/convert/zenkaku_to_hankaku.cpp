// Full-width digits, Latin letters and punctuation to ASCII, in place.
#include <cstddef>
#include <cstring>

#include "convert/byte_blocks.h"
#include "convert/convert.h"
#include "convert/reference.h"
#include "convert/sjis.h"

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
struct HalfWidthTables {
    unsigned char after_mark_lead[256] = {};
    unsigned char after_alphanumeric_lead[256] = {};
};

constexpr HalfWidthTables MakeHalfWidthTables() {
    HalfWidthTables tables;
    for (const Mark& mark : kMarks) {
        tables.after_mark_lead[mark.trail] = mark.ascii;
    }
    for (const TrailRun& run : kAlphanumerics) {
        for (unsigned trail = run.low; trail <= run.high; ++trail) {
            tables.after_alphanumeric_lead[trail] = static_cast<unsigned char>(trail - run.minus);
        }
    }
    return tables;
}

constexpr HalfWidthTables kHalfWidth = MakeHalfWidthTables();

// The ASCII byte for the double-byte character lead, trail, or 0.
constexpr unsigned char HalfWidthOf(unsigned char lead, unsigned char trail) {
    if (lead == kMarkLead) {
        return kHalfWidth.after_mark_lead[trail];
    }
    if (lead == kAlphanumericLead) {
        return kHalfWidth.after_alphanumeric_lead[trail];
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
    if (const unsigned char ascii = HalfWidthOf(first, second)) {
        text[write++] = ascii;
    } else {
        text[write] = first;
        text[write + 1] = second;
        write += 2;
    }
    read += 2;
}

#if TELEPOST_SSE2_BLOCKS

using namespace blocks;

constexpr PairRuns kConvertible = PairRunsOf([](unsigned char first, unsigned char second) {
    return IsDoubleBytePair(first, second) && HalfWidthOf(first, second) != 0;
});

// Blocks without a convertible pair only move down to the write position;
// the others go character by character.
TELEPOST_SSE2_ENTRY char* ConvertByBlocks(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    const std::size_t length = std::strlen(chars);
    std::size_t block = 0;
    std::size_t write = 0;
    unsigned carry = 0;  // the block's first byte ends the character before
    for (; length - block >= kBlockSize; block += kBlockSize) {
        const __m128i firsts = Load(text + block);
        const __m128i seconds = Load(text + block + 1);
        if (Bits(PairsInSet<kConvertible>(firsts, seconds)) != 0) {
            std::size_t read = block + carry;
            while (read < block + kBlockSize) {
                Step(text, read, write);
            }
            carry = static_cast<unsigned>(read - block - kBlockSize);
            continue;
        }
        const unsigned carry_out =
            CarryOut(Bits(InClass<kLeadBytes>(firsts)), carry, text[block + kBlockSize]);
        if (write != block + carry) {
            // The write position lags the block, so these stores reach only
            // bytes already loaded. The byte after the block is copied too:
            // it is either the end of the block's last character or
            // overwritten later.
            Store(text + write, carry ? seconds : firsts);
            text[write + kBlockSize - carry] = text[block + kBlockSize];
        }
        write += kBlockSize - carry + carry_out;
        carry = carry_out;
    }
    std::size_t read = block + carry;
    while (text[read] != 0) {
        Step(text, read, write);
    }
    text[write] = 0;
    return chars;
}

#endif  // TELEPOST_SSE2_BLOCKS

}  // namespace

char* ZenkakuToHankakuReference(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    std::size_t read = 0;
    std::size_t write = 0;
    while (text[read] != 0) {
        Step(text, read, write);
    }
    text[write] = 0;
    return chars;
}

char* ZenkakuToHankaku(char* text) {
#if TELEPOST_SSE2_BLOCKS
    return ConvertByBlocks(text);
#else
    return ZenkakuToHankakuReference(text);
#endif
}

}  // namespace telepost
