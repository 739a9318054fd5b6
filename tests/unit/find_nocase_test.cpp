// The case-blind search that recognises the carriers' mail domains.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "recipients/recipients.h"

namespace telepost {
namespace {

struct FindCase {
    const char* text;
    const char* pattern;
    int position;  // -1: not found
};

constexpr FindCase kFinds[] = {
    {"taro@docomo.ne.jp", "@docomo.ne.jp", 4},
    {"TARO@DoCoMo.NE.JP", "@docomo.ne.jp", 4},
    {"a@b", "A@B", 0},
    // The first of several places.
    {"@jp-x @jp-d.ne.jp", "@jp-", 0},
    {"x@jp-D.ne.jp", "@jp-d.ne.jp", 1},
    // Only ASCII letters fold: "[" is not "{" although they differ by 0x20 too.
    {"a[b", "a{b", -1},
    {"@", "`", -1},
    // The text ends before the pattern does.
    {"taro@docomo.ne.j", "@docomo.ne.jp", -1},
    {"", "", -1},
    {"", "a", -1},
    {"abc", "", 0},
    // Byte by byte, without regard to double-byte characters: the trail byte
    // of 0x83 0x41 is an "A".
    {"\x83\x41", "a", 1},
};

TEST(FindNoCaseTest, FindsThePatternIgnoringAsciiCase) {
    for (const FindCase& c : kFinds) {
        const char* found = FindNoCase(c.text, c.pattern);
        int position = found ? static_cast<int>(found - c.text) : -1;
        EXPECT_EQ(position, c.position) << "'" << c.text << "' for '" << c.pattern << "'";
    }
}

// Every byte position of a text in a buffer of its exact size, so that a read
// past the terminator shows under the sanitizers.
TEST(FindNoCaseTest, FindsAPatternAtEveryPositionWithoutReadingPastTheEnd) {
    const std::string pattern = "@docomo.ne.jp";
    for (size_t at = 0; at <= 20; ++at) {
        std::string text = std::string(at, 'x') + "@DOCOMO.ne.JP";
        auto buffer = std::make_unique<char[]>(text.size() + 1);
        std::copy(text.begin(), text.end(), buffer.get());
        buffer[text.size()] = '\0';
        EXPECT_EQ(FindNoCase(buffer.get(), pattern.c_str()), buffer.get() + at);
        buffer[text.size() - 1] = '\0';  // one byte short
        EXPECT_EQ(FindNoCase(buffer.get(), pattern.c_str()), nullptr);
    }
}

}  // namespace
}  // namespace telepost
