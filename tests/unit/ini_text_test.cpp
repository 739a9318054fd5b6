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

// Each file, its key's value as FindIniValue finds it and as the profile
// functions give it.
TEST(IniTextTest, FindsAValueAsTheProfileFunctionsDo) {
    const std::string file = testing::TempDir() + "telepost_ini_text_test.ini";
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
    std::remove(file.c_str());
}

}  // namespace
}  // namespace telepost
