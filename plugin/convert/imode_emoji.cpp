// Symbols and ASCII emoticons to i-mode emoji codes, in place.
#include <cstddef>
#include <cstdint>

#include "convert/byte_blocks.h"
#include "convert/byte_classes.h"
#include "convert/convert.h"
#include "convert/paths.h"
#include "convert/sjis.h"

namespace telepost {

namespace {

struct Emoji {
    unsigned char source[2];
    unsigned char code[2];
};

// Looked up only for a pair that forms one double-byte character.
constexpr Emoji kSymbols[] = {
    {{0x87, 0x40}, {0xF9, 0x87}},  // ①
    {{0x87, 0x41}, {0xF9, 0x88}},  // ②
    {{0x87, 0x42}, {0xF9, 0x89}},  // ③
    {{0x87, 0x43}, {0xF9, 0x8A}},  // ④
    {{0x87, 0x44}, {0xF9, 0x8B}},  // ⑤
    {{0x87, 0x45}, {0xF9, 0x8C}},  // ⑥
    {{0x87, 0x46}, {0xF9, 0x8D}},  // ⑦
    {{0x87, 0x47}, {0xF9, 0x8E}},  // ⑧
    {{0x87, 0x48}, {0xF9, 0x8F}},  // ⑨
    {{0x81, 0x9C}, {0xF9, 0xA3}},  // ●
    {{0x81, 0x60}, {0xF9, 0xAE}},  // ～ (wave dash)
    {{0x87, 0x84}, {0xF8, 0xE8}},  // ℡
};

// Looked up only for a pair that does not form a double-byte character.
// Letter case matters.
constexpr Emoji kEmoticons[] = {
    {{0x21, 0x21}, {0xF9, 0xA9}},  // !!
    {{0x21, 0x3F}, {0xF9, 0xA8}},  // !?
    {{0x3C, 0x3E}, {0xF9, 0x91}},  // <>
    {{0x3A, 0x29}, {0xF9, 0x95}},  // :)
    {{0x3A, 0x28}, {0xF9, 0x96}},  // :(
    {{0x3A, 0x7C}, {0xF9, 0x98}},  // :|
    {{0x3A, 0x58}, {0xF9, 0x99}},  // :X
    {{0x7A, 0x5A}, {0xF9, 0xA6}},  // zZ
};

template <std::size_t N>
constexpr const Emoji* Find(const Emoji (&table)[N], unsigned char first, unsigned char second) {
    for (const Emoji& emoji : table) {
        if (emoji.source[0] == first && emoji.source[1] == second) {
            return &emoji;
        }
    }
    return nullptr;
}

// Whether some symbol or emoticon begins with the byte: the tables are
// searched only then.
struct FirstBytes {
    bool beginsEntry[256] = {};
};

constexpr FirstBytes MakeFirstBytes() {
    FirstBytes firsts;
    for (const Emoji& emoji : kSymbols) {
        firsts.beginsEntry[emoji.source[0]] = true;
    }
    for (const Emoji& emoji : kEmoticons) {
        firsts.beginsEntry[emoji.source[0]] = true;
    }
    return firsts;
}

constexpr FirstBytes kFirstBytes = MakeFirstBytes();

// The emoji for the unit first, second, or null.
constexpr const Emoji* EmojiFor(unsigned char first, unsigned char second) {
    if (!kFirstBytes.beginsEntry[first]) {
        return nullptr;
    }
    return IsDoubleBytePair(first, second) ? Find(kSymbols, first, second)
                                           : Find(kEmoticons, first, second);
}

// Converts the unit at `read` when it has an emoji and returns the position
// of the next unit: two bytes on after a double-byte character or an
// emoticon, else one. The byte after `read` may be the terminator.
inline std::size_t Step(unsigned char* text, std::size_t read) {
    const unsigned char first = text[read];
    const unsigned char second = text[read + 1];
    if (const Emoji* emoji = EmojiFor(first, second)) {
        text[read] = emoji->code[0];
        text[read + 1] = emoji->code[1];
        return read + 2;
    }
    return read + 1 + static_cast<std::size_t>(IsDoubleBytePair(first, second));
}

#if TELEPOST_SSE2_BLOCKS

using namespace blocks;

// Any pair with an emoji, wherever it starts.
constexpr PairRuns kWithEmoji = PairRunsOf([](unsigned char first, unsigned char second) {
    return kFirstBytes.beginsEntry[first] &&
           (Find(kSymbols, first, second) != nullptr || Find(kEmoticons, first, second) != nullptr);
});

// A block without a pair that has an emoji is left alone. In the others the
// units are worked out for the whole block: an emoticon opens a two-byte
// unit just as a lead byte followed by a trail byte does (its first byte is
// never a lead byte), and the units that begin with a pair of the table are
// converted where they lie. Nothing moves, so byte shuffles have nothing to
// add: there is one block path for each register width.
template <typename Block>
inline char* ConvertByBlocks(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    TerminatorScan<typename Block::Chunk> scan(text);
    std::size_t block = 0;
    std::uint32_t carry = 0;  // the block's first byte ends the unit before
    // A block is taken when its bytes hold no NUL, so that the byte after it,
    // which it reads too, is at most the terminator.
    for (; scan.Covers(block + Block::kSize); block += Block::kSize) {
        const std::uint32_t starts = Block::Convert(text, block, carry);
        carry = starts >> (Block::kSize - 1);
    }
    for (std::size_t read = block + carry; text[read] != 0;) {
        read = Step(text, read);
    }
    return chars;
}

// Converts the units at the block's positions in `units` (one bit each).
inline void ConvertUnits(unsigned char* text, std::size_t block, std::uint32_t units) {
    for (; units != 0; units &= units - 1) {
        const std::size_t at = block + static_cast<unsigned>(__builtin_ctz(units));
        const Emoji* emoji = EmojiFor(text[at], text[at + 1]);
        text[at] = emoji->code[0];
        text[at + 1] = emoji->code[1];
    }
}

// Each converts the block's units and returns where they begin.
struct BlockBySse2 {
    using Chunk = Chunk16;
    static constexpr std::size_t kSize = kBlockSize;

    TELEPOST_SSE2 static std::uint32_t Convert(unsigned char* text, std::size_t block,
                                               std::uint32_t carry) {
        const __m128i firsts = Load(text + block);
        const __m128i seconds = Load(text + block + 1);
        const std::uint32_t withEmoji = Bits(PairsInSet<kWithEmoji>(firsts, seconds));
        const std::uint32_t leadBits = Bits(InClass<kLeadBytes>(firsts));
        const std::uint32_t openers =
            (leadBits & Bits(InClass<kTrailBytes>(seconds))) | (withEmoji & ~leadBits);
        const std::uint32_t starts = UnitStarts(openers, carry);
        ConvertUnits(text, block, starts & withEmoji);
        return starts;
    }
};

struct BlockByAvx2 {
    using Chunk = Chunk32;
    static constexpr std::size_t kSize = kWideBlockSize;

    TELEPOST_AVX2 static std::uint32_t Convert(unsigned char* text, std::size_t block,
                                               std::uint32_t carry) {
        const __m256i firsts = Load32(text + block);
        const __m256i seconds = Load32(text + block + 1);
        const std::uint32_t withEmoji = Bits(PairsInSet<kWithEmoji>(firsts, seconds));
        const std::uint32_t leadBits = Bits(InClass<kLeadBytes>(firsts));
        const std::uint32_t openers =
            (leadBits & Bits(InClass<kTrailBytes>(seconds))) | (withEmoji & ~leadBits);
        const std::uint32_t starts = UnitStarts(openers, carry);
        ConvertUnits(text, block, starts & withEmoji);
        return starts;
    }
};

TELEPOST_SSE2_ENTRY char* ConvertBySse2(char* text) {
    return ConvertByBlocks<BlockBySse2>(text);
}

TELEPOST_AVX2_ENTRY char* ConvertByAvx2(char* text) {
    return ConvertByBlocks<BlockByAvx2>(text);
}

#endif  // TELEPOST_SSE2_BLOCKS

char* ConvertByteAtATime(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    for (std::size_t read = 0; text[read] != 0;) {
        read = Step(text, read);
    }
    return chars;
}

}  // namespace

char* ToImodeEmojiBy(ConversionPath path, char* text) {
    switch (path) {
#if TELEPOST_SSE2_BLOCKS
        case ConversionPath::kSse2Blocks:
        case ConversionPath::kSsse3Blocks:
            return ConvertBySse2(text);
        case ConversionPath::kAvx2Blocks:
            return ConvertByAvx2(text);
#endif
        default:
            return ConvertByteAtATime(text);
    }
}

char* ToImodeEmoji(char* text) {
    return ToImodeEmojiBy(ChosenPath(), text);
}

}  // namespace telepost
