// The conversions over generated texts long enough for their block paths:
// every path the processor can run gives the same result as byte at a time,
// wherever the block boundaries and the terminator fall and however the text
// is aligned; the conversions keep the properties they promise; no path
// writes a byte outside the text; and the 32-byte path runs from a stack
// that is not aligned for it. Where a path differs from byte at a time, the
// failure gives the conversion, the path, the first offset where the outputs
// part, the input in hex and both outputs there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "convert/paths.h"

namespace telepost {
namespace {

using Conversion = char* (*)(char*);
using ConversionOnPath = char* (*)(ConversionPath, char*);

struct Pass {
    const char* name;
    ConversionOnPath convert;
};

const Pass kPasses[] = {
    {"ZenkakuToHankaku", ZenkakuToHankakuBy},
    {"ToImodeEmoji", ToImodeEmojiBy},
    {"DeleteBlanks", DeleteBlanksBy},
};

// Runs a conversion in a heap buffer of exactly the text's size, so that the
// address sanitizer sees any read past the terminator.
std::string Converted(Conversion convert, const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    EXPECT_EQ(convert(buffer.get()), buffer.get());
    return buffer.get();
}

std::string Converted(const Pass& pass, ConversionPath path, const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    EXPECT_EQ(pass.convert(path, buffer.get()), buffer.get());
    return buffer.get();
}

const char* PathName(ConversionPath path) {
    switch (path) {
        case ConversionPath::ByteAtATime:
            return "byte at a time";
        case ConversionPath::Sse2Blocks:
            return "SSE2, 16-byte blocks";
        case ConversionPath::Ssse3Blocks:
            return "SSSE3, 16-byte blocks";
        case ConversionPath::Avx2Blocks:
            return "AVX2, 32-byte blocks";
        case ConversionPath::Avx512Blocks:
            return "AVX-512 VBMI2, 32-byte blocks";
    }
    return "unknown";
}

// Bytes in hex, 32 to a line from `from` on, each line headed by its first
// byte's offset. The block paths take their blocks at fixed positions from
// the text's start, so each line of the input is two 16-byte blocks or one
// of 32.
std::string Hex(const std::string& bytes, std::size_t from, std::size_t to) {
    constexpr std::size_t kLine = 32;
    std::string hex;
    char part[32];
    for (std::size_t at = from; at < to; ++at) {
        if ((at - from) % kLine == 0) {
            std::snprintf(part, sizeof part, "\n%7zu ", at);
            hex += part;
        }
        std::snprintf(part, sizeof part, " %02X", static_cast<unsigned char>(bytes[at]));
        hex += part;
    }
    return hex;
}

// Whether `pass` on `path` gave byte at a time's output; if not, where and
// how the two part.
testing::AssertionResult SameAsByteAtATime(const Pass& pass, ConversionPath path,
                                           const std::string& text, const std::string& expected,
                                           const std::string& converted) {
    if (converted == expected) {
        return testing::AssertionSuccess();
    }
    const std::size_t common = std::min(expected.size(), converted.size());
    const auto offset = static_cast<std::size_t>(
        std::mismatch(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(common),
                      converted.begin())
            .first -
        expected.begin());
    const std::size_t line = offset / 32 * 32;
    return testing::AssertionFailure()
           << pass.name << " on path " << static_cast<int>(path) << " (" << PathName(path)
           << ") first differs from byte at a time at output offset " << offset << " (outputs of "
           << expected.size() << " and " << converted.size() << " bytes)\ninput, " << text.size()
           << " bytes:" << Hex(text, 0, text.size()) << "\nbyte at a time from offset " << line
           << ":" << Hex(expected, line, std::min(line + 32, expected.size()))
           << "\nthis path from offset " << line << ":"
           << Hex(converted, line, std::min(line + 32, converted.size()));
}

testing::AssertionResult BlockPathsAgree(const std::string& text) {
    for (const Pass& pass : kPasses) {
        const std::string expected = Converted(pass, ConversionPath::ByteAtATime, text);
        for (ConversionPath path : kBlockPaths) {
            if (!CanRun(path)) {
                continue;
            }
            const testing::AssertionResult same =
                SameAsByteAtATime(pass, path, text, expected, Converted(pass, path, text));
            if (!same) {
                return same;
            }
        }
    }
    return testing::AssertionSuccess();
}

// Pieces that the conversions treat specially, and the bytes around them
// that a parse out of step would take for them.
// clang-format off
const char* const kPieces[] = {
    "\x82\x60", "\x82\x9A", "\x81\x40", "\x81\x97",      // Ａ ｚ, ideographic space, full-width @
    "\x82\xA0", "\x88\x9F",                            // あ 亜
    "\x83\x82", "\x83\x81", "\x83\x7A",                // ム メ ホ: trail bytes 0x82, 0x81, z
    "\x87\x40", "\x87\x49", "\x81\x9C", "\x81\x60", "\x87\x84",  // ① ⑩ ● ～ ℡
    "\xF9\xA9",                                      // an emoji code
    "\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F",  // 亜 eight times
    "\x82", "\x87", "\x81", "\xE0", "\xFC", "\x9F",        // lead bytes alone
    "\x40", "\x60", "\x7E", "\x7F", "\x80", "\xFD",        // trail bytes and neighbours
    "\xB1", "\xDF",                                    // half-width katakana
    "!", "?", "<", ">", ":", ")", "(", "|", "X", "x", "z", "Z",
    " ", "\t", "\r\n", "\r", "\n", "\x0B", "a", "0",
};
// clang-format on

std::string RandomText(std::mt19937& random, std::size_t pieces) {
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
    std::string text;
    while (pieces-- > 0) {
        text += kPieces[pick(random)];
    }
    return text;
}

TEST(ConversionBlocksTest, BlockPathsMatchByteAtATimeOnGeneratedTexts) {
    std::mt19937 random(20240603);
    std::uniform_int_distribution<std::size_t> length(0, 120);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomText(random, length(random));
        ASSERT_TRUE(BlockPathsAgree(text)) << "text " << round;
    }
}

TEST(ConversionBlocksTest, BlockPathsMatchByteAtATimeAtEveryBlockOffset) {
    // Fillers of ASCII, of characters whose both bytes are in the lead byte
    // range (亜), and of a run of lead bytes that starts off the block
    // boundary, so that the fragment starts both on and off a character
    // boundary, and whole blocks of lead bytes begin with the second byte of
    // a character.
    const std::string fillers[] = {"a", "\x88\x9F", "a" + std::string(47, '\x88')};
    const std::string fragment =
        "\x83\x82\x60\x82\x60!!\x87\x40\r\n\x83\x7A"
        "Z\x81\x40\x82";
    const auto repeated = [](const std::string& filler, std::size_t size) {
        std::string text;
        while (text.size() < size) {
            text += filler;
        }
        return text.substr(0, size);
    };
    for (const std::string& filler : fillers) {
        for (std::size_t offset = 0; offset < 72; ++offset) {
            const std::string text = repeated(filler, offset) + fragment + repeated(filler, 80);
            ASSERT_TRUE(BlockPathsAgree(text)) << "offset " << offset;
        }
    }
}

TEST(ConversionBlocksTest, BlockPathsMatchByteAtATimeOnLongTexts) {
    // Texts of many blocks with an emoji every few bytes, so that the blocks
    // that have one come in batches and fill them, lie next to each other or
    // far apart, and have their emoji at every position; between them
    // ASCII, or lead-byte characters (亜) and runs of lead bytes, whose
    // blocks are all bytes that open characters and leave the parse of the
    // block after to the blocks before them.
    const std::string fillers[] = {"a", "\x88\x9F", "\x88", "\x82\xA0\x88"};
    const std::string emoji[] = {"!!", "\x87\x40", ":)", "zZ", "\x81\x60", "!!!"};
    for (const std::string& filler : fillers) {
        for (std::size_t gap = 0; gap < 150; gap += gap < 40 ? 1 : 23) {
            std::string text;
            for (std::size_t i = 0; text.size() < 6000; ++i) {
                for (std::size_t j = 0; j < gap; ++j) {
                    text += filler;
                }
                text += emoji[i % std::size(emoji)];
            }
            ASSERT_TRUE(BlockPathsAgree(text)) << "gap " << gap;
        }
    }
}

TEST(ConversionBlocksTest, BlockPathsMatchByteAtATimeOnEveryPair) {
    // Every two-byte unit in whole blocks: for each first byte, all second
    // bytes, each pair after an ASCII byte so that it starts a unit, on a
    // stride of three bytes that puts the pairs at every position of a block.
    for (unsigned first = 0x01; first <= 0xFF; ++first) {
        std::string text;
        for (unsigned second = 0x01; second <= 0xFF; ++second) {
            text += 'a';
            text += static_cast<char>(first);
            text += static_cast<char>(second);
        }
        ASSERT_TRUE(BlockPathsAgree(text)) << "first byte " << first;
    }
}

TEST(ConversionBlocksTest, EmojiCarryCrossesABlockWhoseBytesAllOpenCharacters) {
    // The worked example beside CarryInto (imode_emoji_blocks.inc), on every
    // path. The second 16-byte block (9F 88 eight times) is all bytes that
    // open a character, so where its characters begin is the first block's
    // to tell. Where the first ends with a lead byte, the second's last
    // unit takes the third block's 0x87, and 87 40 (①) is no unit;
    // where it ends with an ASCII byte, it is one.
    const std::string second16 = "\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88\x9F\x88";
    const std::string tail(44, 'A');
    struct Case {
        std::string text;
        std::string converted;
    };
    const Case kCases[] = {
        {"ABCDEFGHIJKLMNO\x88" + second16 + "\x87\x40!!" + tail,
         "ABCDEFGHIJKLMNO\x88" + second16 + "\x87\x40\xF9\xA9" + tail},
        {"ABCDEFGHIJKLMNOO" + second16 + "\x87\x40!!" + tail,
         "ABCDEFGHIJKLMNOO" + second16 + "\xF9\x87\xF9\xA9" + tail},
    };
    const Pass& emoji = kPasses[1];
    for (const Case& each : kCases) {
        const std::string expected = Converted(emoji, ConversionPath::ByteAtATime, each.text);
        EXPECT_EQ(expected, each.converted);
        for (ConversionPath path : kBlockPaths) {
            if (CanRun(path)) {
                EXPECT_TRUE(SameAsByteAtATime(emoji, path, each.text, expected,
                                              Converted(emoji, path, each.text)));
            }
        }
    }
}

TEST(ConversionBlocksTest, KeepTheirPromisesOnGeneratedTexts) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> length(0, 200);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = RandomText(random, length(random));
        const std::string half_width = Converted(ZenkakuToHankaku, text);
        EXPECT_LE(half_width.size(), text.size());
        EXPECT_EQ(Converted(ZenkakuToHankaku, half_width), half_width) << "text " << round;
        EXPECT_EQ(Converted(ToImodeEmoji, text).size(), text.size()) << "text " << round;
        EXPECT_EQ(Converted(DeleteBlanks, text).find_first_of("\t\n\r "), std::string::npos)
            << "text " << round;
    }
}

TEST(ConversionBlocksTest, WriteNothingOutsideTheText) {
    constexpr std::size_t kGuard = 32;
    constexpr char kGuardByte = '\x01';  // in no piece and no table
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> length(0, 100);
    for (int round = 0; round < 500; ++round) {
        const std::string text = RandomText(random, length(random));
        for (const Pass& pass : kPasses) {
            for (ConversionPath path : kBlockPaths) {
                if (!CanRun(path)) {
                    continue;
                }
                std::vector<char> buffer(kGuard + text.size() + 1 + kGuard, kGuardByte);
                std::memcpy(buffer.data() + kGuard, text.c_str(), text.size() + 1);
                pass.convert(path, buffer.data() + kGuard);
                const auto untouched = [&](std::size_t from, std::size_t to) {
                    return std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(from),
                                       buffer.begin() + static_cast<std::ptrdiff_t>(to),
                                       [&](char byte) { return byte == kGuardByte; });
                };
                EXPECT_TRUE(untouched(0, kGuard)) << pass.name << " before text " << round;
                EXPECT_TRUE(untouched(kGuard + text.size() + 1, buffer.size()))
                    << pass.name << " after text " << round;
            }
        }
    }
}

TEST(ConversionBlocksTest, FindTheTerminatorWhereverTheTextIsAligned) {
    // The text starts at every offset of a 64-byte-aligned buffer with NULs
    // before it, and is followed by bytes that every conversion would change,
    // so that a path that takes a NUL before the text for the terminator, or
    // converts past the real one, gives another result.
    constexpr std::size_t kBefore = 64;
    constexpr std::size_t kLongest = 100;
    constexpr char kAfter[] = "\x82\x60 !!";
    alignas(64) char buffer[kBefore * 2 + kLongest + 1 + 64];
    std::mt19937 random(5);
    const std::string source = RandomText(random, 80);
    for (std::size_t length = 0; length <= kLongest; ++length) {
        const std::string text = source.substr(0, length);
        for (const Pass& pass : kPasses) {
            const std::string expected = Converted(pass, ConversionPath::ByteAtATime, text);
            for (ConversionPath path : kBlockPaths) {
                if (!CanRun(path)) {
                    continue;
                }
                for (std::size_t offset = 0; offset < kBefore; ++offset) {
                    char* const start = buffer + kBefore + offset;
                    std::memset(buffer, 0, kBefore + offset);
                    for (std::size_t i = 0; start + i < std::end(buffer); ++i) {
                        start[i] = kAfter[i % (sizeof kAfter - 1)];
                    }
                    std::memcpy(start, text.c_str(), text.size() + 1);
                    const std::string after(start + text.size() + 1, std::end(buffer));
                    ASSERT_EQ(pass.convert(path, start), start);
                    ASSERT_TRUE(SameAsByteAtATime(pass, path, text, expected, start))
                        << "\nlength " << length << ", offset " << offset;
                    ASSERT_EQ(std::string(start + text.size() + 1, std::end(buffer)), after);
                }
            }
        }
    }
}

#if defined(__i386__)
// Calls convert(text) with the stack pointer `skew` bytes below a 32-byte
// boundary at the call, where the 32-bit convention of the compiler has it
// on a 16-byte boundary and Windows callers on a 4-byte one. The callee may
// change the registers the convention lets it change; the vector registers
// among them exist for the compiler only where this file is built with SSE.
#if defined(__SSE__)
#define TELEPOST_VECTOR_CLOBBERS , "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7"
#else
#define TELEPOST_VECTOR_CLOBBERS
#endif
char* CallWithStackSkew(char* (*convert)(char*), char* text, unsigned skew) {
    char* result;
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "andl $-32, %%esp\n\t"
        "subl %[skew], %%esp\n\t"
        "pushl %[text]\n\t"
        "call *%[convert]\n\t"
        "movl %%esi, %%esp"
        : "=a"(result)
        : [convert] "r"(convert), [text] "r"(text), [skew] "r"(skew)
        : "esi", "ecx", "edx", "memory", "cc" TELEPOST_VECTOR_CLOBBERS);
    return result;
}
#endif

#if defined(__i386__)
using Entry = char* (*)(char*);

struct PathEntries {
    ConversionPath path;
    Entry entries[3];
};

// Each conversion's entry on the path, in the order of kPasses.
template <ConversionPath Path>
PathEntries EntriesOn() {
    return {Path,
            {[](char* text) { return ZenkakuToHankakuBy(Path, text); },
             [](char* text) { return ToImodeEmojiBy(Path, text); },
             [](char* text) { return DeleteBlanksBy(Path, text); }}};
}
#endif

TEST(ConversionBlocksTest, BlockPathsRunFromAMisalignedStack) {
#if defined(__i386__)
    // Entered from a stack at each 4-byte step off a 32-byte boundary, a
    // path that kept a 16- or 32-byte register on the stack without first
    // aligning it would fault (the SSE2 paths do, built without the entry's
    // realignment).
    const PathEntries kEntries[] = {
        EntriesOn<ConversionPath::Sse2Blocks>(), EntriesOn<ConversionPath::Ssse3Blocks>(),
        EntriesOn<ConversionPath::Avx2Blocks>(), EntriesOn<ConversionPath::Avx512Blocks>()};
    std::mt19937 random(3);
    const std::string text = RandomText(random, 300);
    for (const PathEntries& entries : kEntries) {
        if (!CanRun(entries.path)) {
            continue;
        }
        for (std::size_t pass = 0; pass < std::size(kPasses); ++pass) {
            const std::string expected =
                Converted(kPasses[pass], ConversionPath::ByteAtATime, text);
            for (unsigned skew = 0; skew < 32; skew += 4) {
                std::string copy = text;
                ASSERT_EQ(CallWithStackSkew(entries.entries[pass], copy.data(), skew), copy.data());
                EXPECT_TRUE(
                    SameAsByteAtATime(kPasses[pass], entries.path, text, expected, copy.c_str()))
                    << "\nskew " << skew;
            }
        }
    }
#else
    GTEST_SKIP() << "64-bit callers keep the stack 16-byte aligned";
#endif
}

}  // namespace
}  // namespace telepost
