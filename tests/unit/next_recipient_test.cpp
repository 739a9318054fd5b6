// Cutting a joined recipient list into entries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "telepost/sjis.h"
#include "recipients/recipients.h"

namespace telepost {
namespace {

// Walks a copy of `list` to its end (in a buffer of its exact size, so that
// a read past the terminator shows) and returns the entries. Checks on the
// way that the list stays used up once the tokenizer has said so.
std::vector<std::string> Walk(const std::string& list, std::vector<char>* walked = nullptr) {
    std::vector<char> buffer(list.begin(), list.end());
    buffer.push_back('\0');
    std::vector<std::string> entries;
    char* cursor = nullptr;
    for (char* entry = NextRecipient(buffer.data(), &cursor); entry != nullptr;
         entry = NextRecipient(nullptr, &cursor)) {
        entries.emplace_back(entry);
    }
    EXPECT_EQ(NextRecipient(nullptr, &cursor), nullptr) << "after the end of: " << list;
    if (walked != nullptr) {
        *walked = buffer;
    }
    return entries;
}

struct ListCase {
    std::string list;
    std::vector<std::string> entries;
};

const ListCase kLists[] = {
    {"a,b;c", {"a", "b", "c"}},
    {" a  ,\tb\r\n", {"a", "b"}},
    // A comma inside quotes or a comment does not end the entry.
    {"\"Yamada, Taro\" <taro@example.jp>,hanako@example.jp",
     {"\"Yamada, Taro\" <taro@example.jp>", "hanako@example.jp"}},
    {"taro@example.jp (Yamada, Taro),hanako@example.jp",
     {"taro@example.jp (Yamada, Taro)", "hanako@example.jp"}},
    {"a\"b,c\"d;e", {"a\"b,c\"d", "e"}},
    // A quote inside a comment does not flip the quoted state.
    {"a (say \"hi) b, c", {"a (say \"hi) b", "c"}},
    // One leading comment goes with the blanks; a second one stays.
    {"(Taro) taro@example.jp", {"taro@example.jp"}},
    {"(Taro),; taro@example.jp", {"taro@example.jp"}},
    {"(one) (two) taro@example.jp", {"(two) taro@example.jp"}},
    {"taro@example.jp, (Hanako) hanako@example.jp", {"taro@example.jp", "hanako@example.jp"}},
    // Cc joined to an empty To, and runs of separators.
    {",taro@example.jp", {"taro@example.jp"}},
    {",,a,,;b", {"a", "b"}},
    // Nothing to yield.
    {"", {}},
    {" \t,; \r\n,", {}},
    {"(Taro)", {}},
    {" (Taro) ,", {}},
    // An unterminated comment: in front of the entry it ends the list, inside
    // the entry it runs to the end of the list.
    {"(Taro; taro@example.jp", {}},
    {"taro@example.jp (Taro, hanako@example.jp  ", {"taro@example.jp (Taro, hanako@example.jp"}},
    // A comment opened in the quoted state is a comment all the same.
    {"\"a (b\", c", {"\"a (b\", c"}},
    // An unbalanced quote makes the rest of the list one entry.
    {"\"Taro, taro@example.jp; hanako@example.jp ", {"\"Taro, taro@example.jp; hanako@example.jp"}},
    // DEL is no blank.
    {"\x7Fq\x7F,b", {"\x7Fq\x7F", "b"}},
    // 山田 太郎 <taro@example.jp>, 花子 <hanako@example.jp>
    {"\x8E\x52\x93\x63 \x91\xBE\x98\x59 <taro@example.jp>, \x89\xD4\x8E\x71 <hanako@example.jp>",
     {"\x8E\x52\x93\x63 \x91\xBE\x98\x59 <taro@example.jp>",
      "\x89\xD4\x8E\x71 <hanako@example.jp>"}},
    // A lead byte takes the byte after it along, a separator or the end too.
    {"\x82,b;c", {"\x82,b", "c"}},
    {"a,\x82", {"a", "\x82"}},
};

TEST(NextRecipientTest, CutsEachListIntoItsEntries) {
    for (const ListCase& c : kLists) {
        EXPECT_EQ(Walk(c.list), c.entries) << "list: " << c.list;
    }
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
    char* cursor = nullptr;
    ASSERT_STREQ(NextRecipient(first, &cursor), "a");
    ASSERT_STREQ(NextRecipient(second, &cursor), "c");
    EXPECT_EQ(NextRecipient(nullptr, &cursor), nullptr);
    EXPECT_STREQ(first + 2, "b");
}

TEST(NextRecipientTest, AFirstCallWithoutAListFindsNothing) {
    char* cursor = nullptr;
    EXPECT_EQ(NextRecipient(nullptr, &cursor), nullptr);
}

// A walk started while another is part-way, as a send started from inside
// another send's warning does, leaves the first walk where it was.
TEST(NextRecipientTest, WalksWithTheirOwnCursorsShareNothing) {
    char outer[] = "a, b; c";
    char inner[] = "x,y";
    char* outerCursor = nullptr;
    char* innerCursor = nullptr;
    ASSERT_STREQ(NextRecipient(outer, &outerCursor), "a");
    ASSERT_STREQ(NextRecipient(inner, &innerCursor), "x");
    ASSERT_STREQ(NextRecipient(nullptr, &innerCursor), "y");
    EXPECT_EQ(NextRecipient(nullptr, &innerCursor), nullptr);
    EXPECT_STREQ(NextRecipient(nullptr, &outerCursor), "b");
    EXPECT_STREQ(NextRecipient(nullptr, &outerCursor), "c");
    EXPECT_EQ(NextRecipient(nullptr, &outerCursor), nullptr);
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
