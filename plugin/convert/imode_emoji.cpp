// Symbols and ASCII emoticons to i-mode emoji codes, in place.
#include <cstddef>
#include <cstdint>

#include "convert/byte_blocks.h"
#include "convert/byte_classes.h"
#include "convert/convert.h"
#include "convert/path_entries.h"
#include "telepost/sjis.h"

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

// Any pair with an emoji, wherever it starts.
constexpr blocks::PairRuns kWithEmoji =
    blocks::PairRunsOf([](unsigned char first, unsigned char second) {
        return kFirstBytes.beginsEntry[first] && (Find(kSymbols, first, second) != nullptr ||
                                                  Find(kEmoticons, first, second) != nullptr);
    });

// The same pairs as nibble tables.
constexpr blocks::NibblePairs kWithEmojiByNibbles = blocks::NibblePairsOf(kWithEmoji);

// The block paths take a pair with an emoji for a two-byte unit without
// asking whether it is a double-byte character: a symbol is one, and an
// emoticon cannot be one, its first byte being no lead byte.
constexpr bool PairsWithEmojiAreUnits() {
    for (const Emoji& emoji : kSymbols) {
        if (!IsDoubleBytePair(emoji.source[0], emoji.source[1])) {
            return false;
        }
    }
    for (const Emoji& emoji : kEmoticons) {
        if (IsLeadByte(emoji.source[0])) {
            return false;
        }
    }
    return true;
}
static_assert(PairsWithEmojiAreUnits());

// The emoji codes by a pair's two bytes, for the units the block paths have
// found to have one: a row for each byte that begins an entry, each with the
// code for every second byte.
constexpr std::size_t CountFirstBytes() {
    std::size_t count = 0;
    for (bool begins : kFirstBytes.beginsEntry) {
        count += begins ? 1 : 0;
    }
    return count;
}

struct EmojiRows {
    static constexpr std::size_t kRows = 1 + CountFirstBytes();  // row 0 for no entry
    unsigned char rowOf[256] = {};
    unsigned char code[kRows][256][2] = {};
};

constexpr EmojiRows MakeEmojiRows() {
    EmojiRows rows;
    unsigned char next = 1;
    for (unsigned first = 0; first < 256; ++first) {
        if (kFirstBytes.beginsEntry[first]) {
            rows.rowOf[first] = next++;
        }
    }
    const auto add = [&rows](const Emoji& emoji) {
        unsigned char(&code)[2] = rows.code[rows.rowOf[emoji.source[0]]][emoji.source[1]];
        code[0] = emoji.code[0];
        code[1] = emoji.code[1];
    };
    for (const Emoji& emoji : kSymbols) {
        add(emoji);
    }
    for (const Emoji& emoji : kEmoticons) {
        add(emoji);
    }
    return rows;
}

constexpr EmojiRows kEmojiRows = MakeEmojiRows();

// Converts the unit at `at` when `has` tells that it has an emoji, else
// writes its bytes back as they are (no branch).
inline void ConvertUnit(unsigned char* at, bool has) {
    const unsigned char* code = has ? kEmojiRows.code[kEmojiRows.rowOf[at[0]]][at[1]] : at;
    const unsigned char first = code[0];
    const unsigned char second = code[1];
    at[0] = first;
    at[1] = second;
}

// The blocks in which the block loop found a pair with an emoji, at any
// position, and those positions (one bit each). Only these blocks are parsed
// into units, a batch at a time: the parse of the others can wait, for
// whether a block's first byte ends the unit before depends on the block
// before only when all that block's bytes open units. Noting a block takes
// no branch (a block without a pair is written over by the next one): a
// branch for each block, which goes one way for about one block of Japanese
// text in eight, cannot be learnt for a text the processor has not seen,
// and costs more than all the rest of a block's work.
class NotedBlocks {
  public:
    struct Noted {
        unsigned char* block;
        std::uint32_t withEmoji;
    };

    // Notes the block when `withEmoji` has a bit; true when the batch is full.
    bool Note(unsigned char* block, std::uint32_t withEmoji) {
        noted_[count_] = {block, withEmoji};
        count_ += withEmoji != 0 ? 1 : 0;
        return count_ == kCapacity;
    }

    const Noted* begin() const { return noted_; }
    const Noted* end() const { return noted_ + count_; }
    void Clear() { count_ = 0; }

  private:
    static constexpr std::size_t kCapacity = 64;
    Noted noted_[kCapacity];
    std::size_t count_ = 0;
};

// What the parse knows: the carry into the block at `block`, whether its
// first byte ends the unit before. The bytes from the block on are still as
// they were; the conversions so far changed only bytes before it, and its
// first byte when the carry is set.
struct ParsedTo {
    unsigned char* block;
    std::uint32_t carry;
};

#endif  // TELEPOST_SSE2_BLOCKS

}  // namespace

char* ToImodeEmojiByteAtATime(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    for (std::size_t read = 0; text[read] != 0;) {
        read = Step(text, read);
    }
    return chars;
}

#if TELEPOST_SSE2_BLOCKS

namespace blocks {
#define TELEPOST_WIDTH_BODY "convert/imode_emoji_blocks.inc"
#include "convert/for_each_width.inc"
#undef TELEPOST_WIDTH_BODY
}  // namespace blocks

namespace blocks::x16 {

namespace {

// Without byte shuffles, the pairs with an emoji are found by comparisons.
struct PairsByComparisons {
    TELEPOST_SSE2 static std::uint32_t WithEmoji(__m128i firsts, __m128i seconds) {
        return Bits(PairsInSet<kWithEmoji>(firsts, seconds));
    }
};

}  // namespace

TELEPOST_SSE2_ENTRY char* ToImodeEmojiBySse2(char* text) {
    return ConvertByBlocks<PairsByComparisons>(text);
}

}  // namespace blocks::x16

#endif  // TELEPOST_SSE2_BLOCKS

char* ToImodeEmoji(char* text) {
    return ChosenConversions().toImodeEmoji(text);
}

}  // namespace telepost
