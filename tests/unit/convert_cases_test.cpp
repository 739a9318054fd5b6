// The three message-text conversions on hand-picked byte strings, and every
// two-byte unit of the Shift-JIS code space through each of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "convert/convert.h"

namespace telepost {
namespace {

using Conversion = char* (*)(char*);

std::string Converted(Conversion convert, std::string text) {
    EXPECT_EQ(convert(text.data()), text.data());
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string Hex(const std::string& bytes) {
    std::string hex;
    for (char c : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", static_cast<unsigned char>(c));
        hex += digits;
    }
    return hex;
}

struct Case {
    const char* what;
    std::string input;
    std::string expected;
};

void ExpectCases(Conversion convert, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(Converted(convert, c.input)), Hex(c.expected)) << c.what;
    }
}

// Two-byte texts and what a conversion makes of each.
using Units = std::map<std::string, std::string>;

// Of every two-byte text (no NUL), the ones a conversion changes, with
// their output.
Units ChangedUnits(Conversion convert) {
    Units changed;
    for (unsigned first = 0x01; first <= 0xFF; ++first) {
        for (unsigned second = 0x01; second <= 0xFF; ++second) {
            const std::string unit{static_cast<char>(first), static_cast<char>(second)};
            const std::string output = Converted(convert, unit);
            if (output != unit) {
                changed[unit] = output;
            }
        }
    }
    return changed;
}

// One line for each unit, "input -> output" in hex, so that a unit changed
// or left unexpectedly shows by its bytes.
std::string Listed(const Units& units) {
    std::string lines;
    for (const auto& [input, output] : units) {
        lines += Hex(input) + "-> " + Hex(output) + "\n";
    }
    return lines;
}

// The full-width marks that become ASCII, in trail byte order, and the ASCII
// each becomes.
const std::string kFullWidthMarks =
    "\x81\x40\x81\x43\x81\x44\x81\x46\x81\x47\x81\x48\x81\x49\x81\x5E\x81\x62"
    "\x81\x65\x81\x66\x81\x67\x81\x68\x81\x69\x81\x6A\x81\x7B\x81\x7C\x81\x81"
    "\x81\x83\x81\x84\x81\x8F\x81\x90\x81\x93\x81\x94\x81\x95\x81\x96\x81\x97";
const std::string kAsciiMarks = " ,.:;?!/|''\"\"()+-=<>\\$%#&*@";

TEST(ZenkakuToHankakuTest, ConvertsDigitsLettersAndMarks) {
    ExpectCases(
        ZenkakuToHankaku,
        {
            {"ＡＢＣ１２３ａｂｃ",
             "\x82\x60\x82\x61\x82\x62\x82\x50\x82\x51\x82\x52\x82\x81\x82\x82\x82\x83",
             "ABC123abc"},
            {"０９ＡＺａｚ, the ends of the three runs",
             "\x82\x4F\x82\x58\x82\x60\x82\x79\x82\x81\x82\x9A", "09AZaz"},
            {"the marks in trail byte order", kFullWidthMarks, kAsciiMarks},
            {"あＡ: the hiragana pair is copied", "\x82\xA0\x82\x60",
             "\x82\xA0"
             "A"},
            {"～［＿ぁ stay", "\x81\x60\x81\x6D\x81\x51\x82\x9F",
             "\x81\x60\x81\x6D\x81\x51\x82\x9F"},
            {"half-width ｱ and ﾟ are single bytes", "\xB1\x82\x60\xDF\x82\x61",
             "\xB1"
             "A\xDF"
             "B"},
            {"lead byte at the end", "A\x82", "A\x82"},
            {"lead byte, space, Ａ", "\x82\x20\x82\x60",
             "\x82\x20"
             "A"},
            {"lead byte before 0x7F and 0xFD", "\x82\x7F\x82\xFD", "\x82\x7F\x82\xFD"},
            {"ム then a backquote: trail 0x82 starts nothing", "\x83\x82\x60", "\x83\x82\x60"},
            {"ホ then Ａ: trail below 0x80", "\x83\x7A\x82\x60",
             "\x83\x7A"
             "A"},
            {"nothing to convert", "Hello, \x93\xFA\x96\x7B\r\n", "Hello, \x93\xFA\x96\x7B\r\n"},
            {"empty", "", ""},
        });
}

// Of all the code space, exactly the digits, the Latin letters and the marks
// above become ASCII, each its own character: a character the conversion
// takes or leaves that nobody meant shows here by its bytes.
TEST(ZenkakuToHankakuTest, ConvertsExactlyTheDigitsLettersAndMarks) {
    Units expected;
    const struct {
        unsigned char firstTrail;
        char first;
        int count;
    } runs[] = {{0x4F, '0', 10}, {0x60, 'A', 26}, {0x81, 'a', 26}};
    for (const auto& run : runs) {
        for (int i = 0; i < run.count; ++i) {
            expected[{'\x82', static_cast<char>(run.firstTrail + i)}] =
                std::string(1, static_cast<char>(run.first + i));
        }
    }
    ASSERT_EQ(kFullWidthMarks.size(), 2 * kAsciiMarks.size());
    for (size_t i = 0; i < kAsciiMarks.size(); ++i) {
        expected[kFullWidthMarks.substr(2 * i, 2)] = kAsciiMarks.substr(i, 1);
    }
    EXPECT_EQ(Listed(ChangedUnits(ZenkakuToHankaku)), Listed(expected));
}

TEST(ToImodeEmojiTest, ConvertsSymbolsAndEmoticons) {
    ExpectCases(ToImodeEmoji,
                {
                    {"①②③④⑤⑥⑦⑧⑨",
                     "\x87\x40\x87\x41\x87\x42\x87\x43\x87\x44\x87\x45\x87\x46\x87\x47\x87\x48",
                     "\xF9\x87\xF9\x88\xF9\x89\xF9\x8A\xF9\x8B\xF9\x8C\xF9\x8D\xF9\x8E\xF9\x8F"},
                    {"⑩ stays", "\x87\x49", "\x87\x49"},
                    {"○●◎", "\x81\x9B\x81\x9C\x81\x9D", "\x81\x9B\xF9\xA3\x81\x9D"},
                    {"～ and ℡", "\x81\x60\x87\x84", "\xF9\xAE\xF8\xE8"},
                    {"!! !? <> :) :( :| :X zZ", "!!!?<>:):(:|:XzZ",
                     "\xF9\xA9\xF9\xA8\xF9\x91\xF9\x95\xF9\x96\xF9\x98\xF9\x99\xF9\xA6"},
                    {"!!!", "!!!", "\xF9\xA9!"},
                    {"!!?", "!!?", "\xF9\xA9?"},
                    {"!?!", "!?!", "\xF9\xA8!"},
                    {"::)", "::)", ":\xF9\x95"},
                    {"<<>", "<<>", "<\xF9\x91"},
                    {":x zz ZZ Zz", ":x zz ZZ Zz", ":x zz ZZ Zz"},
                    {"emoticon's first character last", "abc!", "abc!"},
                    {"！？ and ：）", "\x81\x49\x81\x48\x81\x46\x81\x6A",
                     "\x81\x49\x81\x48\x81\x46\x81\x6A"},
                    {"ホZ: trail byte z", "\x83\x7A\x5A", "\x83\x7A\x5A"},
                    {"! before ●", "!\x81\x9C", "!\xF9\xA3"},
                    {"lead byte before !!", "\x87!!", "\x87\xF9\xA9"},
                    {"lead byte at the end", "a\x87", "a\x87"},
                    {"nothing to convert", "\x93\xFA\x96\x7B abc", "\x93\xFA\x96\x7B abc"},
                    {"empty", "", ""},
                });
}

// Of all the code space, exactly these symbols and emoticons become emoji,
// each its own: a character the conversion takes or leaves that nobody
// meant shows here by its bytes.
TEST(ToImodeEmojiTest, ConvertsExactlyTheSymbolsAndEmoticons) {
    const Units expected = {
        {"\x87\x40", "\xF9\x87"},  // ①
        {"\x87\x41", "\xF9\x88"},  // ②
        {"\x87\x42", "\xF9\x89"},  // ③
        {"\x87\x43", "\xF9\x8A"},  // ④
        {"\x87\x44", "\xF9\x8B"},  // ⑤
        {"\x87\x45", "\xF9\x8C"},  // ⑥
        {"\x87\x46", "\xF9\x8D"},  // ⑦
        {"\x87\x47", "\xF9\x8E"},  // ⑧
        {"\x87\x48", "\xF9\x8F"},  // ⑨
        {"\x81\x9C", "\xF9\xA3"},  // ●
        {"\x81\x60", "\xF9\xAE"},  // ～
        {"\x87\x84", "\xF8\xE8"},  // ℡
        {"!!", "\xF9\xA9"},       {"!?", "\xF9\xA8"}, {"<>", "\xF9\x91"}, {":)", "\xF9\x95"},
        {":(", "\xF9\x96"},       {":|", "\xF9\x98"}, {":X", "\xF9\x99"}, {"zZ", "\xF9\xA6"},
    };
    EXPECT_EQ(Listed(ChangedUnits(ToImodeEmoji)), Listed(expected));
}

TEST(DeleteBlanksTest, RemovesTabsLineBreaksAndSpaces) {
    ExpectCases(DeleteBlanks,
                {
                    {"CR LF, lone CR, lone LF", "one\r\ntwo\rthree\nfour", "onetwothreefour"},
                    {"spaces and tabs", "a b\tc", "abc"},
                    {"only blanks", " \t\r\n\r\n  ", ""},
                    {"ideographic space stays",
                     "a\x81\x40"
                     "b",
                     "a\x81\x40"
                     "b"},
                    {"vertical tab and form feed stay",
                     "a\x0B\x0C"
                     "b",
                     "a\x0B\x0C"
                     "b"},
                    {"あ CR LF い", "\x82\xA0\r\n\x82\xA2", "\x82\xA0\x82\xA2"},
                    {"a space after a lead byte goes too", "\x82 \x60", "\x82\x60"},
                    {"empty", "", ""},
                });
}

TEST(DeleteBlanksTest, RemovesExactlyFourBytes) {
    std::string removed;
    for (unsigned byte = 0x01; byte <= 0xFF; ++byte) {
        const std::string text{'a', static_cast<char>(byte), 'b'};
        if (Converted(DeleteBlanks, text) == "ab") {
            removed += static_cast<char>(byte);
        }
    }
    EXPECT_EQ(Hex(removed), Hex("\t\n\r "));
}

}  // namespace
}  // namespace telepost
