// The INI file's own bytes: which files have their lists read from them, and
// a value found in them as the profile functions find it (the Linux layer's
// profile functions, which model Windows', are the reference).
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "telepost/ini_text.h"
#include "temp_folder.h"

namespace telepost {
namespace {

// The keys of a file in UTF-8 are read from its bytes, a byte order mark
// before it or not, and a file in UTF-16 BE gives none.
TEST(IniTextTest, ListsAreReadFromTheBytesOfAFileInUtf8Only) {
    struct Case {
        const char* what;
        std::string text;
        bool fromBytes;
    };
    const Case cases[] = {
        {"UTF-8", "[k-tai]\r\nj domains=\xEF\xBD\x81u.com\r\n", true},
        {"code page 932", "[k-tai]\r\nj domains=\x82\x81u.com\r\n", false},
        {"ASCII", "[k-tai]\r\nj domains=au.com\r\n", false},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF[k-tai]\r\nj domains=\xEF\xBD\x81u.com",
         true},
        {"a byte order mark before ASCII", "\xEF\xBB\xBF; x\r\n[k-tai]\r\nj domains=au.com", true},
        {"UTF-16 BE", std::string("\xFE\xFF\0[\0k\0-\0t\0a\0i\0]", 16), true},
        {"UTF-16 LE", std::string("\xFF\xFE[\0k\0-\0t\0a\0i\0]\0", 16), false},
        {"a NUL", std::string("[k-tai]\r\nj domains=\xEF\xBD\x81u.com") + '\0' + "x", false},
        {"as long as the read", std::string(kIniTextSize - 3, ' ') + "\xEF\xBD\x81", false},
        {"nothing", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListsReadFromBytes(c.text), c.fromBytes) << c.what;
    }
    // The mark is a part of the first line, as Windows reads it: a header
    // there is no header, one on the next line is.
    EXPECT_EQ(
        FindIniValue("\xEF\xBB\xBF[k-tai]\nj domains=a.jp", kSettingsSection, "j domains").data(),
        nullptr);
    EXPECT_EQ(FindIniValue("\xEF\xBB\xBF;\n[k-tai]\nj domains=a.jp", kSettingsSection, "j domains"),
              "a.jp");
    // Nothing of a file in UTF-16 BE, whatever its bytes hold.
    EXPECT_EQ(
        FindIniValue("\xFE\xFF\n[k-tai]\nj domains=a.jp", kSettingsSection, "j domains").data(),
        nullptr);
    EXPECT_EQ(IniStartOf("\xEF\xBB\xBF[k-tai]"), IniStart::ByteOrderMark);
    EXPECT_EQ(IniStartOf("\r\n\xEF\xBB\xBF"), IniStart::Plain);
}

// What a save of the settings may change in a file and what it may not: the
// settings' own lines in their section, and nothing else.
TEST(IniTextTest, OtherLinesAreKeptWhateverTheSettingsLinesBecome) {
    // A comment and a domain in full width, in UTF-8.
    const std::string comment = "; \xE6\x90\xBA\xE5\xB8\xAF\r\n";
    const std::string exempt = "exempt domains=\xEF\xBD\x84\xEF\xBD\x8F.jp\r\n";
    const std::string before =
        comment + "[k-tai]\r\n" + exempt + "convert to emoji=0\r\n[other]\r\nx=1\r\n";
    struct Case {
        const char* what;
        std::string before;
        std::string after;
        bool kept;
    };
    const Case cases[] = {
        {"as it was", before, before, true},
        {"a setting changed and one added", before,
         comment + "[k-tai]\r\n" + exempt +
             "Convert To Emoji = 1\r\ndelete crlf=0\r\n[other]\r\nx=1\r\n",
         true},
        {"line ends and blank lines", before,
         "; \xE6\x90\xBA\xE5\xB8\xAF\n\n[k-tai]\n" + exempt + "[other]\nx=1", true},
        {"the section added at the end", comment, comment + "[k-tai]\r\nconvert to emoji=1\r\n",
         true},
        {"the comment turned into dots", before,
         "; \x81\x45\x81\x45\r\n" + before.substr(comment.size()), false},
        {"the domain turned into dots", before,
         comment + "[k-tai]\r\nexempt domains=\x81\x45\x81\x45.jp\r\n" +
             before.substr(comment.size() + 9 + exempt.size()),
         false},
        {"blanks around a list's equals sign", before,
         comment + "[k-tai]\r\nexempt domains = \xEF\xBD\x84\xEF\xBD\x8F.jp\r\n" +
             before.substr(comment.size() + 9 + exempt.size()),
         false},
        {"a line lost", before, before.substr(comment.size()), false},
        {"a line added", before, before + "y=2\r\n", false},
        {"a setting's key in another section", before + "convert to emoji=0\r\n",
         before + "convert to emoji=1\r\n", false},
        {"the section added to a file that had it", before, before + "[k-tai]\r\n", false},
        {"a second settings' section", before + "[k-tai]\r\ndelete crlf=0\r\n",
         before + "[k-tai]\r\ndelete crlf=1\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OtherLinesKept(c.before, c.after), c.kept);
    }
}

// Each file, its key's value as FindIniValue finds it and as the profile
// functions give it.
TEST(IniTextTest, FindsAValueAsTheProfileFunctionsDo) {
    const telepost_tests::TempFolder folder("ini-text");
    const std::string file = folder / "TELEPOST.ini";
    const char* const texts[] = {
        "[k-tai]\r\nj domains=au.com\r\n",
        "[K-TAI]\nJ Domains = au.com \t\n",
        " [ k-tai ] \r\n\tj domains\t=\t \"au.com, x.jp\" \r\n",
        "[k-tai]\r\nj domains='au.com\"\r\n",
        "[k-tai]\r\n;j domains=no.jp\r\nj domains=\r\nj domains=au.com\r\n",
        "[other]\r\nj domains=no.jp\r\n[k-tai]\r\nd domains=x.jp\r\nj domains=a=b\r\n",
        "[k-tai]\r\nd domains=x.jp\r\n[k-tai]\r\nj domains=au.com\r\n",
        "[k-tai]\r\nj domains=last",
        "j domains=au.com\r\n[k-tai]\r\n",
        "[k-tai\r\nj domains=au.com\r\n",
        "",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        std::ofstream(file, std::ios::binary) << text;
        char expected[64] = {};
        GetPrivateProfileStringA("k-tai", "j domains", "(absent)", expected, sizeof expected,
                                 file.c_str());
        const std::string_view found = FindIniValue(text, "k-tai", "j domains");
        EXPECT_EQ(found.data() ? std::string(found) : std::string("(absent)"), expected);
    }
}

// The setting a file gives, read through GetPrivateProfileIntA, which the
// byte reader must give too.
UINT ProfileInt(const std::string& file, const char* key) {
    return GetPrivateProfileIntA(kSettingsSection, key, 0, file.c_str());
}

// Files in ASCII and in code page 932 (which the profile functions hand over
// as they are, on Windows as under Wine in code page 932), every key the
// plug-in reads and a few it does not, through the profile functions and
// through the byte reader: the same text, the same number.
TEST(IniTextTest, TheByteReaderAgreesWithTheProfileFunctions) {
    const telepost_tests::TempFolder folder("ini_byte_reader");
    const std::string file = folder / "TELEPOST.ini";
    const char* const texts[] = {
        "[k-tai]\r\nconvert to hankaku=0\r\nconvert to emoji=7\r\ndelete crlf=1\r\n"
        "j domains=au.com\r\nexempt domains=x.jp\r\n",
        // Letter case, blanks, quotes, comments, a key given twice, LF alone.
        "[K-Tai]\n\tCONVERT TO EMOJI \t= \" 5 \"\n;delete crlf=1\ndelete crlf = -3 \n"
        "delete crlf=4\nconvert to hankaku='0x1F'\ndocomo domains = 'a.jp, b.jp'\n",
        // Only the first section of the name counts; a key before any section
        // or in another section does not.
        "delete crlf=9\r\n[other]\r\nconvert to emoji=3\r\n[k-tai]\r\nconvert to hankaku=2\r\n"
        "[k-tai]\r\ndelete crlf=1\r\nd domains=no.jp\r\n",
        // Numbers read only as far as they go; empty values; a last line
        // without a line end.
        "[k-tai]\r\nconvert to emoji=12abc\r\nconvert to hankaku=\r\ndelete crlf=1e3\r\n"
        "exempt domains=",
        "[k-tai\r\nconvert to emoji=1\r\n",
        "",
        // Code page 932: a comment, a section, values and a full-width key,
        // which no key matches.
        "; \x8C\x67\x91\xD1\r\n[\x90\xDD\x92\xE8]\r\nconvert to emoji=1\r\n[k-tai]\r\n"
        "\x82\x83onvert to emoji=1\r\nconvert to hankaku=1\x82\x50\r\ndelete crlf=\x82\x50\r\n"
        "j domains=\x82\x81u.com\x81\x41\x82\x83\x82\x94.jp\r\n"
        "exempt domains=\x83\x68\x83\x52\x83\x82.jp\r\n",
        "[k-tai]\r\nconvert to emoji=\x81\x81 1\r\nexempt domains\x81\x81x.jp\r\n",
        // The blanks the profile functions trim besides space and tab: vertical
        // tab, form feed and Ctrl+Z, around a header, a key and a value.
        "\v[\fk-tai\x1A]\x1A\r\n\fconvert to emoji\v=\x1A"
        "5\v\r\n\x1A"
        "j domains\f=\f\"a.jp\"\x1A\r\n",
        // Quotes: one kind around all of the value only; a lone quote, an empty
        // pair, quotes inside, blanks inside kept.
        "[k-tai]\nconvert to emoji=\"\nconvert to hankaku=\"\"\ndelete crlf='7\nj domains=\" a.jp "
        "\"\n"
        "d domains=a\"b\"\ndocomo domains=\"'x'\"\nexempt domains='\"\n",
        "[k-tai]\nconvert to emoji= \" 3\" \nconvert to hankaku=\"1\"x\ndelete crlf=x\"1\"\n"
        "j domains=''\nexempt domains=\"a.jp\" ;comment\n",
        // What ends a section: any header, with text after its "]", an empty
        // name, blanks; not a line that only opens with "[" or closes with "]".
        "[k-tai]\r\nconvert to emoji=1\r\n[k-tai\r\ndelete crlf=2\r\nk-tai]\r\n"
        "convert to hankaku=3\r\n[ ]\r\nj domains=no.jp\r\n",
        "[k-tai]\r\n[x] trailing text\r\nconvert to emoji=1\r\n",
        "[k-tai]\r\n\t[]\r\nconvert to emoji=1\r\n[k-tai]\r\ndelete crlf=1\r\n",
        "[k-tai] ; a comment after the header\r\nconvert to emoji=4\r\n[k-tai]x\r\n",
        // The first line: the header itself, after blank lines, behind blanks,
        // behind a key; a file of one line without its end.
        "\r\n\n  \r\n[k-tai]\nconvert to emoji=6",
        "convert to emoji=2\n[k-tai]\ndelete crlf=3\n",
        "[k-tai]",
        "\t [k-tai]convert to emoji=1\r\nconvert to emoji=8\r\n",
        // Line ends: LF CR, CRs before LF. (A CR alone ends a line under Wine
        // and in no reader of ours; that parting is known and left out here.)
        "[k-tai]\nconvert to emoji=1\ndelete crlf=2\r\r\r\n\rconvert to hankaku=3\n\r",
        // The longest key and keys one letter longer or shorter, which are none
        // of the plug-in's.
        "[k-tai]\r\nconvert to hankakuu=1\r\nconvert to hankak=2\r\nconvert to hankaku=3\r\n"
        "docomo domainss=no.jp\r\nexempt domain=no.jp\r\nexempt domains=x.jp\r\n",
        // A key with an empty name, "=" in a value, a value of blanks alone.
        "[k-tai]\r\n=1\r\nconvert to emoji==2\r\ndelete crlf= \t \r\nj domains = = a.jp\r\n",
    };
    std::vector<const char*> keys(std::begin(kSettingKeys), std::end(kSettingKeys));
    keys.insert(keys.end(), std::begin(kDomainListKeys), std::end(kDomainListKeys));
    keys.push_back("no such key");
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        std::ofstream(file, std::ios::binary) << text;
        const IniSettingsRead read = ReadIniSettings(text);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            SCOPED_TRACE(keys[i]);
            EXPECT_EQ(static_cast<UINT>(FindIniSetting(text, keys[i])), ProfileInt(file, keys[i]));
            char expected[256] = {};
            GetPrivateProfileStringA(kSettingsSection, keys[i], "(absent)", expected,
                                     sizeof expected, file.c_str());
            const std::string_view found = FindIniValue(text, kSettingsSection, keys[i]);
            EXPECT_EQ(found.data() ? std::string(found) : std::string("(absent)"), expected);
            if (i < kSettingCount) {
                EXPECT_EQ(read.settings[i], FindIniSetting(text, keys[i]));
            } else if (i < kSettingCount + kDomainListKeyCount) {
                EXPECT_EQ(read.domainLists[i - kSettingCount].data(), found.data());
                EXPECT_EQ(read.domainLists[i - kSettingCount], found);
            }
        }
    }
    std::remove(file.c_str());
}

// Every way of writing a number GetPrivateProfileIntA knows, read from the
// bytes as the profile functions read it; the numbers themselves are checked
// in profile_test.cpp, and a few here.
TEST(IniTextTest, ANumberIsReadAsGetPrivateProfileIntAReadsIt) {
    const telepost_tests::TempFolder folder("ini_integer");
    const std::string file = folder / "TELEPOST.ini";
    const std::string values[] = {"",
                                  "  ",
                                  "\"\"",
                                  " 7 ",
                                  "\x01"
                                  "5",
                                  "\"-5\"",
                                  "\"5",
                                  "'5\"",
                                  "+5",
                                  "-5",
                                  "+-5",
                                  "- 5",
                                  "-0x10",
                                  "0x10",
                                  "0xAbC",
                                  "0X10",
                                  "0x",
                                  "0x-1",
                                  "00x10",
                                  "0o17",
                                  "0o8",
                                  "0b11",
                                  "0B11",
                                  "010",
                                  "2147483648",
                                  "4294967297",
                                  "-2147483649",
                                  "0x1ffffffff",
                                  "99999999999999999999",
                                  std::string(28, '0') + "12",
                                  "1234567890123456789012345678901234567890",
                                  "12 34",
                                  "1.5",
                                  "5;comment",
                                  "1\x82\x50",
                                  "\x82\x50",
                                  "=5",
                                  "abc"};
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        const std::string text = "[k-tai]\r\nconvert to emoji=" + value + "\r\n";
        std::ofstream(file, std::ios::binary) << text;
        EXPECT_EQ(static_cast<UINT>(FindIniSetting(text, "convert to emoji")),
                  ProfileInt(file, "convert to emoji"));
    }
    std::remove(file.c_str());
    static_assert(IniInteger("0x10") == 16 && IniInteger("-5") == 0u - 5);
    static_assert(IniInteger("4294967297") == 1 && IniInteger(" \"1\"") == 0);
    static_assert(IniInteger("1234567890123456789012345678901234567890") == 1849262357u);
}

struct WriteCase {
    const char* what;
    std::string before;
    std::vector<IniSettingValue> settings;
    std::string after;
};

std::string Written(const WriteCase& c) {
    std::string out(c.before.size() + kIniWriteRoom, '\0');
    std::size_t length = 0;
    EXPECT_EQ(WriteIniSettings(c.before, c.settings, out, length), IniWrite::Written);
    out.resize(length);
    return out;
}

// A save writes the settings' own lines, where they count, and keeps every
// other byte, line ends included.
TEST(IniTextTest, AWriteChangesTheSettingsLinesAndKeepsEveryOtherByte) {
    const std::vector<IniSettingValue> emoji = {{"convert to emoji", 1}};
    const std::string utf8Comment = "; \xE6\x90\xBA\xE5\xB8\xAF\xEF\xBC\x9D\r\n";  // ; 携帯＝
    const WriteCase cases[] = {
        {"the line that counts replaced in place, keeping its line end",
         "[k-tai]\r\n"
         "  Convert To Emoji = 0 ; off\r\nconvert to emoji=0\r\ndelete crlf=0",
         {{"delete crlf", 1}, {"convert to emoji", 12}},
         "[k-tai]\r\nconvert to emoji=12\r\nconvert to emoji=0\r\ndelete crlf=1"},
        {"the line's CRs kept", "[k-tai]\r\nconvert to emoji=0\r\r\n", emoji,
         "[k-tai]\r\nconvert to emoji=1\r\r\n"},
        {"what the file holds already: the same bytes",
         utf8Comment + "[k-tai]\r\nconvert to emoji=1\r\ndelete crlf=-7\r\n",
         {{"convert to emoji", 1}, {"delete crlf", -7}},
         utf8Comment + "[k-tai]\r\nconvert to emoji=1\r\ndelete crlf=-7\r\n"},
        {"added after the section's last line, before its blank lines",
         "[k-tai]\r\nj domains=a.jp\r\n;comment\r\n\r\n \t\r\n[other]\r\nconvert to emoji=0\r\n"
         "[k-tai]\r\nconvert to emoji=0\r\n",
         {{"convert to emoji", INT_MIN}, {"delete crlf", INT_MAX}},
         "[k-tai]\r\nj domains=a.jp\r\n;comment\r\nconvert to emoji=-2147483648\r\n"
         "delete crlf=2147483647\r\n\r\n \t\r\n[other]\r\nconvert to emoji=0\r\n"
         "[k-tai]\r\nconvert to emoji=0\r\n"},
        {"added after a header alone, in LF", "[k-tai]\n\n[x]\n", emoji,
         "[k-tai]\nconvert to emoji=1\n\n[x]\n"},
        {"added after a last line without a line end", "[k-tai]\r\nj domains=a.jp", emoji,
         "[k-tai]\r\nj domains=a.jp\r\nconvert to emoji=1\r\n"},
        {"added after a last line ending in CR", "[k-tai]\r\nj domains=a.jp\r", emoji,
         "[k-tai]\r\nj domains=a.jp\r\nconvert to emoji=1\r\n"},
        {"a header without a line end", "[k-tai]", emoji, "[k-tai]\nconvert to emoji=1\n"},
        {"the first line end sets the style", "a=1\n[k-tai]\r\n", emoji,
         "a=1\n[k-tai]\r\nconvert to emoji=1\n"},
        {"the section added at the end",
         utf8Comment + "[other]\r\na=1",
         {{"delete crlf", 0}, {"convert to emoji", 1}},
         utf8Comment + "[other]\r\na=1\r\n[k-tai]\r\ndelete crlf=0\r\nconvert to emoji=1\r\n"},
        {"the section added to an empty file", "", emoji, "[k-tai]\nconvert to emoji=1\n"},
        {"a header behind a byte order mark is none", "\xEF\xBB\xBF[k-tai]\nconvert to emoji=0\n",
         emoji, "\xEF\xBB\xBF[k-tai]\nconvert to emoji=0\n[k-tai]\nconvert to emoji=1\n"},
        {"nothing to write", "[x]\r\n", {}, "[x]\r\n"},
        {"a comment and a full-width key are no setting's line",
         "[k-tai]\r\n;convert to emoji=0\r\n\xEF\xBD\x83onvert to emoji=0\r\n", emoji,
         "[k-tai]\r\n;convert to emoji=0\r\n\xEF\xBD\x83onvert to emoji=0\r\n"
         "convert to emoji=1\r\n"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string after = Written(c);
        EXPECT_EQ(after, c.after);
        EXPECT_TRUE(OtherLinesKept(c.before, after));
        for (const IniSettingValue& setting : c.settings) {
            EXPECT_EQ(FindIniSetting(after, setting.key), setting.value) << setting.key;
        }
    }
}

TEST(IniTextTest, AWriteRefusesKeysThatAreNoSettingsAndABufferTooSmall) {
    const std::string text = "[k-tai]\r\n";
    std::string out(text.size() + kIniWriteRoom, 'x');
    std::size_t length = 99;
    const std::vector<IniSettingValue> refused[] = {
        {{"no such key", 1}},
        {{"j domains", 1}},  // a list, which the plug-in never writes
        {{"convert to emoji", 1}, {"CONVERT TO EMOJI", 2}},
        {{nullptr, 1}},
    };
    for (const std::vector<IniSettingValue>& settings : refused) {
        EXPECT_EQ(WriteIniSettings(text, settings, out, length), IniWrite::BadKey);
        EXPECT_EQ(length, 0u);
    }
    const std::vector<IniSettingValue> settings = {{"convert to emoji", -1}};
    const std::string expected = "[k-tai]\r\nconvert to emoji=-1\r\n";
    std::span<char> buffer(out);
    EXPECT_EQ(WriteIniSettings(text, settings, buffer.first(expected.size() - 1), length),
              IniWrite::NoRoom);
    EXPECT_EQ(length, 0u);
    ASSERT_EQ(WriteIniSettings(text, settings, buffer.first(expected.size()), length),
              IniWrite::Written);
    EXPECT_EQ(out.substr(0, length), expected);
}

}  // namespace
}  // namespace telepost
