// The INI file's own bytes: which files have their lists read from them, and
// a value found in them as the profile functions find it (the Linux layer's
// profile functions, which model Windows', are the reference).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "telepost/ini_text.h"
#include "temp_folder.h"

namespace telepost {
namespace {

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
         false},
        {"a NUL", std::string("[k-tai]\r\nj domains=\xEF\xBD\x81u.com") + '\0' + "x", false},
        {"as long as the read", std::string(kIniTextSize - 3, ' ') + "\xEF\xBD\x81", false},
        {"nothing", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListsReadFromBytes(c.text), c.fromBytes) << c.what;
    }
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

}  // namespace
}  // namespace telepost
