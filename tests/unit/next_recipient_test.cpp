// Cutting a joined recipient list into entries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "convert/sjis.h"
#include "outgoing/recipients.h"

namespace telepost {
namespace {

// Walks a copy of `list` to its end (in a buffer of its exact size, so that
// a read past the terminator shows) and returns the entries. Checks on the
// way that the list stays used up once the tokenizer has said so.
std::vector<std::string> Walk(const std::string& list, std::vector<char>* walked = nullptr) {
    std::vector<char> buffer(list.begin(), list.end());
    buffer.push_back('\0');
    std::vector<std::string> entries;
    for (char* entry = NextRecipient(buffer.data()); entry != nullptr;
         entry = NextRecipient(nullptr)) {
        entries.emplace_back(entry);
    }
    EXPECT_EQ(NextRecipient(nullptr), nullptr) << "after the end of: " << list;
    if (walked != nullptr) {
        *walked = buffer;
    }
    return entries;
}

// The lists, and the entries they yield in one flat list with a null after
// each list's last entry.
const char* const kLists[] = {
    "a,b;c",
    " a  ,\tb\r\n",
    // A comma inside quotes or a comment does not end the entry.
    "\"Yamada, Taro\" <taro@example.jp>,hanako@example.jp",
    "taro@example.jp (Yamada, Taro),hanako@example.jp",
    "a\"b,c\"d;e",
    // A quote inside a comment does not flip the quoted state.
    "a (say \"hi) b, c",
    // One leading comment goes with the blanks; a second one stays.
    "(Taro) taro@example.jp",
    "(Taro),; taro@example.jp",
    "(one) (two) taro@example.jp",
    "taro@example.jp, (Hanako) hanako@example.jp",
    // Cc joined to an empty To, and runs of separators.
    ",taro@example.jp",
    ",,a,,;b",
    // Nothing to yield.
    "",
    " \t,; \r\n,",
    "(Taro)",
    " (Taro) ,",
    // An unterminated comment: in front of the entry it ends the list, inside
    // the entry it runs to the end of the list.
    "(Taro; taro@example.jp",
    "taro@example.jp (Taro, hanako@example.jp  ",
    // A comment opened in the quoted state is a comment all the same.
    "\"a (b\", c",
    // An unbalanced quote makes the rest of the list one entry.
    "\"Taro, taro@example.jp; hanako@example.jp ",
    // DEL is no blank.
    "\x7Fq\x7F,b",
    // 山田 太郎 <taro@example.jp>, 花子 <hanako@example.jp>
    "\x8E\x52\x93\x63 \x91\xBE\x98\x59 <taro@example.jp>, \x89\xD4\x8E\x71 <hanako@example.jp>",
    // A lead byte takes the byte after it along, a separator or the end too.
    "\x82,b;c",
    "a,\x82",
};

// clang-format off
const char* const kEntries[] = {
    "a", "b", "c", nullptr,
    "a", "b", nullptr,
    "\"Yamada, Taro\" <taro@example.jp>", "hanako@example.jp", nullptr,
    "taro@example.jp (Yamada, Taro)", "hanako@example.jp", nullptr,
    "a\"b,c\"d", "e", nullptr,
    "a (say \"hi) b", "c", nullptr,
    "taro@example.jp", nullptr,
    "taro@example.jp", nullptr,
    "(two) taro@example.jp", nullptr,
    "taro@example.jp", "hanako@example.jp", nullptr,
    "taro@example.jp", nullptr,
    "a", "b", nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    "taro@example.jp (Taro, hanako@example.jp", nullptr,
    "\"a (b\", c", nullptr,
    "\"Taro, taro@example.jp; hanako@example.jp", nullptr,
    "\x7Fq\x7F", "b", nullptr,
    "\x8E\x52\x93\x63 \x91\xBE\x98\x59 <taro@example.jp>", "\x89\xD4\x8E\x71 <hanako@example.jp>", nullptr,
    "\x82,b", "c", nullptr,
    "a", "\x82", nullptr,
};
// clang-format on

TEST(NextRecipientTest, CutsEachListIntoItsEntries) {
    std::size_t next = 0;
    for (const char* list : kLists) {
        std::vector<std::string> expected;
        for (; kEntries[next] != nullptr; ++next) {
            expected.emplace_back(kEntries[next]);
        }
        ++next;
        EXPECT_EQ(Walk(list), expected) << "list: " << list;
    }
    EXPECT_EQ(next, std::size(kEntries));
}

TEST(NextRecipientTest, OverwritesTheSeparatorAndTrailingBlanksOnly) {
    std::vector<char> walked;
    EXPECT_EQ(Walk(" a \t;\x01(c) b\r,", &walked), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(std::string(walked.begin(), walked.end()),
              std::string(" a\0\0\0\x01(c) b\0\0\0", 14));
}

TEST(NextRecipientTest, ANewListReplacesOneLeftPartWay) {
    char first[] = "a,b";
    char second[] = "c";
    ASSERT_STREQ(NextRecipient(first), "a");
    ASSERT_STREQ(NextRecipient(second), "c");
    EXPECT_EQ(NextRecipient(nullptr), nullptr);
    EXPECT_STREQ(first + 2, "b");
}

// Every byte value between two delimiters: a lead byte takes the delimiter
// after it as its trail byte, any other byte leaves it a delimiter.
TEST(NextRecipientTest, OnlyLeadBytesHideTheByteAfterThem) {
    for (int value = 0x21; value <= 0xFF; ++value) {
        const char byte = static_cast<char>(value);
        if (byte == ',' || byte == ';' || byte == '"' || byte == '(' || byte == ')') {
            continue;
        }
        for (const char* delimiter : {",", ";", "\"", "("}) {
            const std::string list = std::string("a") + byte + delimiter + "b,c";
            std::vector<std::string> expected;
            if (IsLeadByte(static_cast<unsigned char>(value))) {
                expected = {list.substr(0, 4), "c"};
            } else if (*delimiter == ',' || *delimiter == ';') {
                expected = {list.substr(0, 2), "b", "c"};
            } else {
                // An open quote or comment runs to the end.
                expected = {list};
            }
            EXPECT_EQ(Walk(list), expected) << "byte 0x" << std::hex << value;
        }
    }
}

}  // namespace
}  // namespace telepost
