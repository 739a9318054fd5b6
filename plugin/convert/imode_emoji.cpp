// Symbols and ASCII emoticons to i-mode emoji codes, in place.
#include <cstddef>
#include <cstdint>

#include "convert/byte_blocks.h"
#include "convert/byte_classes.h"
#include "convert/convert.h"
#include "convert/path_entries.h"
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

// Any pair with an emoji, wherever it starts.
constexpr blocks::PairRuns kWithEmoji =
    blocks::PairRunsOf([](unsigned char first, unsigned char second) {
        return kFirstBytes.beginsEntry[first] && (Find(kSymbols, first, second) != nullptr ||
                                                  Find(kEmoticons, first, second) != nullptr);
    });

// A superset of them, tested first. Symbols begin with a lead byte that
// much of Japanese text holds (0x81 opens its punctuation), so their pairs
// are tested as they are; an emoticon's first byte is rarer in Japanese
// text and stands for all pairs it begins.
constexpr blocks::PairRuns kMayHaveEmoji =
    blocks::PairRunsOf([](unsigned char first, unsigned char second) {
        return kFirstBytes.beginsEntry[first] &&
               (!IsLeadByte(first) || Find(kSymbols, first, second) != nullptr);
    });

// Converts the units at the block's positions in `units` (one bit each).
inline void ConvertUnits(unsigned char* block, std::uint32_t units) {
    for (; units != 0; units &= units - 1) {
        unsigned char* const at = block + __builtin_ctz(units);
        const Emoji* emoji = EmojiFor(at[0], at[1]);
        at[0] = emoji->code[0];
        at[1] = emoji->code[1];
    }
}

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

#endif  // TELEPOST_SSE2_BLOCKS

char* ToImodeEmoji(char* text) {
    return ChosenConversions().toImodeEmoji(text);
}

}  // namespace telepost
