// The messages' conversion to code page 932 (cmake/cp932_messages.py), as the
// compiler reads what it writes: each row of cp932_messages_test.utf8.inc
// against its bytes, spelled here byte by byte.
#include <gtest/gtest.h>

#include <string_view>

namespace {

#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "unit/cp932_messages_test.inc"
#undef TELEPOST_MESSAGE

std::string_view Text(const char* message, std::size_t size) {
    return {message, size - 1};
}

TEST(Cp932MessagesTest, EveryRowHasItsBytes) {
    const struct {
        const char* name;
        std::string_view made;
        std::string_view bytes;
    } cases[] = {
        {"trail byte 0x5C", Text(kTrailBackslash, sizeof kTrailBackslash),
         std::string_view("\x83\x5C\x95\x5C", 4)},
        {"hex digit after", Text(kHexDigitAfter, sizeof kHexDigitAfter),
         std::string_view("\x82\x60"
                          "1"
                          "\xB1"
                          "Bc",
                          6)},
        {"escapes", Text(kEscapes, sizeof kEscapes),
         std::string_view("\x81\x75\"%s\"\x81\x76\\\n", 10)},
        {"joined", Text(kJoined, sizeof kJoined),
         std::string_view("\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B", 12)},
        {"ASCII", Text(kAscii, sizeof kAscii), "OK? (a)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(testing::PrintToString(c.made), testing::PrintToString(c.bytes)) << c.name;
    }
}

}  // namespace
