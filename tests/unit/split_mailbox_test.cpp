// Splitting a mailbox into display name and bare address.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recipients/recipients.h"
#include "recipients/recipients_internal.h"

namespace telepost {
namespace {

struct Split {
    std::string name;
    std::string address;
    bool operator==(const Split&) const = default;
};

void PrintTo(const Split& split, std::ostream* out) {
    *out << "name \"" << split.name << "\", address \"" << split.address << "\"";
}

// Splits `mailbox` into outputs of exactly the sizes given, so that a write
// past either shows, and checks that the mailbox is left as it was.
Split SplitInto(const std::string& mailbox, int nameSize, int addressSize) {
    std::vector<char> name(static_cast<size_t>(nameSize), 'x');
    std::vector<char> address(static_cast<size_t>(addressSize), 'x');
    const std::string before = mailbox;
    SplitMailbox(name.data(), nameSize, address.data(), addressSize, mailbox.c_str());
    EXPECT_EQ(mailbox, before);
    return {name.data(), address.data()};
}

constexpr int kOutputSize = 256;  // what the outgoing inspection gives

struct SplitCase {
    std::string mailbox;
    Split expected;
};

void PrintTo(const SplitCase& splitCase, std::ostream* out) {
    *out << splitCase.mailbox;
}

class SplitMailboxTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitMailboxTest, TakesTheDisplayNameAndTheAddress) {
    EXPECT_EQ(SplitInto(GetParam().mailbox, kOutputSize, kOutputSize), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SplitMailboxTest,
    testing::Values(SplitCase{"Taro Yamada <taro@example.jp>", {"Taro Yamada", "taro@example.jp"}},
                    SplitCase{"\"Yamada, Taro\" <taro@example.jp>",
                              {"Yamada, Taro", "taro@example.jp"}},
                    SplitCase{"<taro@example.jp>", {"", "taro@example.jp"}},
                    SplitCase{"taro@example.jp (Taro Yamada)", {"Taro Yamada", "taro@example.jp"}},
                    SplitCase{" \t taro@example.jp \t ", {"", "taro@example.jp"}},
                    SplitCase{"Taro<taro@example.jp> (Yamada)", {"Taro", "taro@example.jp"}},
                    // 山田 太郎 <taro@example.jp>
                    SplitCase{"\x8E\x52\x93\x63 \x91\xBE\x98\x59 <taro@example.jp>",
                              {"\x8E\x52\x93\x63 \x91\xBE\x98\x59", "taro@example.jp"}}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SplitMailboxTest,
    testing::Values(SplitCase{"", {"", ""}}, SplitCase{" \t ", {"", ""}},
                    SplitCase{"Taro <taro@example.jp", {"Taro", "taro@example.jp"}},
                    SplitCase{"Taro <>", {"Taro", ""}},
                    // Blanks inside the brackets or parentheses go; CR and LF are no blanks.
                    SplitCase{"Taro < \ttaro@example.jp\t >", {"Taro", "taro@example.jp"}},
                    SplitCase{"taro@example.jp (\t Taro )", {"Taro", "taro@example.jp"}},
                    SplitCase{"Taro\r\n <taro@example.jp\r\n>",
                              {"Taro\r\n", "taro@example.jp\r\n"}},
                    // Brackets inside the quotes are part of the name.
                    SplitCase{"\"Taro <T>\" <taro@example.jp>", {"Taro <T>", "taro@example.jp"}},
                    // An unbalanced quote hides the bracket.
                    SplitCase{"\"Taro <taro@example.jp>", {"", "\"Taro <taro@example.jp>"}},
                    // A comment in front and no bracket: the comment is taken for both.
                    SplitCase{"(Taro) taro@example.jp", {"Taro", "Taro"}},
                    // A lead byte takes a bracket or parenthesis after it as its trail byte;
                    // one at the very end is kept as it is.
                    SplitCase{"\x82<taro@example.jp>", {"", "\x82<taro@example.jp>"}},
                    SplitCase{"taro@example.jp \x82(Taro)", {"", "taro@example.jp \x82(Taro)"}},
                    SplitCase{"taro@example.jp\x82", {"", "taro@example.jp\x82"}}));

TEST(SplitMailboxCutTest, CutsALongResultAtTheOutputSize) {
    const std::string longAddress(300, 'a');
    EXPECT_EQ(SplitInto(longAddress, kOutputSize, kOutputSize),
              (Split{"", longAddress.substr(0, kOutputSize - 1)}));
    EXPECT_EQ(SplitInto("Taro Yamada <taro@example.jp>", 1, 1), (Split{"", ""}));
    // Blanks before the cut are removed after it.
    EXPECT_EQ(SplitInto("Taro  Yamada <taro  @example.jp>", 7, 7), (Split{"Taro", "taro"}));
}

// Names and addresses of double-byte characters after an ASCII prefix of
// either parity, cut at every output size: the cut never leaves a lead byte
// without its trail byte.
TEST(SplitMailboxCutTest, KeepsDoubleByteCharactersWhole) {
    const std::string kanji = "\x8A\xBF";  // 漢
    for (const std::string prefix : {"", "a"}) {
        std::string text = prefix;
        for (int i = 0; i < 8; ++i) {
            text += kanji;
        }
        const std::string mailbox = text + " <" + text + ">";
        for (int size = 1; size <= static_cast<int>(text.size()) + 2; ++size) {
            std::size_t kept = static_cast<std::size_t>(size) - 1;
            if (kept > text.size()) {
                kept = text.size();
            }
            if (kept > prefix.size() && (kept - prefix.size()) % 2 != 0) {
                --kept;
            }
            const std::string expected = text.substr(0, kept);
            EXPECT_EQ(SplitInto(mailbox, size, size), (Split{expected, expected}))
                << "prefix \"" << prefix << "\", size " << size;
        }
    }
}

TEST(SplitMailboxCopyTest, WithoutAPrivateCopyBothResultsAreEmpty) {
    char name[] = "stale name";
    char address[] = "stale address";
    SplitMailboxCopy(name, sizeof name, address, sizeof address, nullptr);
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(address, "");
}

}  // namespace
}  // namespace telepost
