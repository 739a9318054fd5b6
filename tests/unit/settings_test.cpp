// The INI file's path and the settings read from it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/settings.h"
#include "temp_folder.h"

namespace telepost {
namespace {

struct IniPathCase {
    std::string modulePath;
    std::string iniPath;  // empty: does not fit
};

class IniPathTest : public testing::TestWithParam<IniPathCase> {};

TEST_P(IniPathTest, DerivesThePathBesideTheLibrary) {
    char iniPath[MAX_PATH];
    std::memset(iniPath, 'x', sizeof iniPath);
    bool fits = MakeIniPath(GetParam().modulePath.c_str(), iniPath);
    EXPECT_EQ(fits, !GetParam().iniPath.empty());
    EXPECT_EQ(std::string(iniPath), GetParam().iniPath);
}

const std::string k255(255, 'a');

INSTANTIATE_TEST_SUITE_P(
    Paths, IniPathTest,
    testing::Values(IniPathCase{"C:\\Mail\\PlugIns\\TELEPOST.dll",
                                "C:\\Mail\\PlugIns\\TELEPOST.ini"},
                    IniPathCase{"C:\\Mail\\TELEPOST.old.dll", "C:\\Mail\\TELEPOST.old.ini"},
                    IniPathCase{"C:\\Mail\\TELEPOST", "C:\\Mail\\TELEPOST.ini"},
                    // A dot in a folder name is not the extension's.
                    IniPathCase{"C:\\My.Apps\\TELEPOST", "C:\\My.Apps\\TELEPOST.ini"},
                    IniPathCase{"/opt/my.apps/TELEPOST", "/opt/my.apps/TELEPOST.ini"},
                    // 表 is 0x95 0x5C: its trail byte is no path separator.
                    IniPathCase{"C:\\\x95\x5C.dir\\TELEPOST", "C:\\\x95\x5C.dir\\TELEPOST.ini"},
                    IniPathCase{"C:\\\x95\x5C\\TELEPOST.dll", "C:\\\x95\x5C\\TELEPOST.ini"},
                    // The longest path that fits, and one byte more.
                    IniPathCase{k255, k255 + ".ini"}, IniPathCase{k255 + "b", ""},
                    IniPathCase{k255 + ".dll", k255 + ".ini"},
                    IniPathCase{std::string(300, 'a'), ""}));

// A scratch INI file, its path and the settings read from it.
class SettingsFileTest : public testing::Test {
  protected:
    void SetUp() override { std::strcpy(iniPath_, path_.c_str()); }
    void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    const telepost_tests::TempFolder folder_{"settings"};
    const std::string path_ = folder_ / "TELEPOST.ini";
    char iniPath_[MAX_PATH] = {};
    SettingsRecord settings_;
};

TEST_F(SettingsFileTest, StartsOnOnOffAndReadsAllOffWithoutAFile) {
    EXPECT_EQ(settings_.ConvertToHankaku, 1);
    EXPECT_EQ(settings_.ConvertToEmoji, 1);
    EXPECT_EQ(settings_.DeleteCrlf, 0);
    LoadSettings(iniPath_, settings_);
    EXPECT_EQ(settings_.ConvertToHankaku, 0);
    EXPECT_EQ(settings_.ConvertToEmoji, 0);
    EXPECT_EQ(settings_.DeleteCrlf, 0);
}

TEST_F(SettingsFileTest, KeepsStoredValuesAsTheyAre) {
    WriteFile(
        "[other]\r\nconvert to emoji=7\r\n[K-TAI]\r\nConvert To Hankaku = 1\r\n"
        "convert to emoji=2\r\ndelete crlf=junk\r\n");
    LoadSettings(iniPath_, settings_);
    EXPECT_EQ(settings_.ConvertToHankaku, 1);
    EXPECT_EQ(settings_.ConvertToEmoji, 2);  // on, and not reduced to 1
    EXPECT_EQ(settings_.DeleteCrlf, 0);      // not a number
}

TEST_F(SettingsFileTest, WritesEachSettingAsADecimalAndKeepsTheRestOfTheFile) {
    WriteFile("; kept\r\n[other]\r\nkey=value\r\n");
    WriteSetting(iniPath_, "convert to hankaku", 1);
    WriteSetting(iniPath_, "delete crlf", 0);
    WriteSetting(iniPath_, "convert to hankaku", 0);
    std::ifstream in(path_, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text,
              "; kept\r\n[other]\r\nkey=value\r\n[k-tai]\r\nconvert to hankaku=0\r\n"
              "delete crlf=0\r\n");
    EXPECT_EQ(ReadSetting(iniPath_, "convert to hankaku"), 0);
    EXPECT_EQ(ReadSetting(iniPath_, "delete crlf"), 0);
}

TEST_F(SettingsFileTest, WithoutAnIniPathTouchesNoFile) {
    iniPath_[0] = '\0';
    SetLastError(0);
    EXPECT_FALSE(WriteSetting(iniPath_, "convert to emoji", 1));  // nothing is saved, and why
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    LoadSettings(iniPath_, settings_);
    EXPECT_EQ(settings_.ConvertToEmoji, 0);
    EXPECT_FALSE(SettingStored(iniPath_, "convert to emoji", 0));
    std::uint64_t digest = 0;
    EXPECT_FALSE(OtherContentsDigest(iniPath_, digest));
    EXPECT_FALSE(std::ifstream(path_).good());
}

// The new file is named beside the INI file: an INI path whose "<path>.new"
// still fits in MAX_PATH - 1 bytes is replaced, one byte longer (up to the
// longest INI path, MAX_PATH - 1 bytes) is refused, its file left as it was.
TEST_F(SettingsFileTest, ReplacesAFileWhoseNewNameFitsInMaxPath) {
    constexpr std::size_t kLongestWithNew = MAX_PATH - 1 - 4;  // ".new"
    const std::string folder = folder_ / std::string(100, 'd');
    std::filesystem::create_directory(folder);
    for (const std::size_t length :
         {kLongestWithNew, kLongestWithNew + 1, static_cast<std::size_t>(MAX_PATH - 1)}) {
        SCOPED_TRACE(length);
        std::string path = folder + static_cast<char>(std::filesystem::path::preferred_separator);
        ASSERT_LT(path.size() + 5, length);
        path += std::string(length - path.size() - 4, 'i') + ".ini";
        ASSERT_EQ(path.size(), length);
        std::ofstream(path, std::ios::binary) << "old";
        char iniPath[MAX_PATH] = {};
        std::memcpy(iniPath, path.c_str(), path.size() + 1);
        SetLastError(0);
        const bool fits = length <= kLongestWithNew;
        EXPECT_EQ(ReplaceIniFile(iniPath, "new"), fits);
        if (!fits) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
        }
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), fits ? "new" : "old");
        in.close();
        EXPECT_FALSE(std::filesystem::exists(path + ".new"));
        std::filesystem::remove(path);
    }
}

// A file in UTF-8 kept before a save, and what the check after it does with
// each file it may find then.
TEST_F(SettingsFileTest, PutsBackAFileInUtf8WhoseOtherLinesChanged) {
    // ; 携帯, then a domain in full width.
    const std::string utf8 =
        "; \xE6\x90\xBA\xE5\xB8\xAF\r\n[k-tai]\r\nexempt domains=\xEF\xBD\x84.jp\r\n"
        "convert to emoji=0\r\n";
    struct Case {
        const char* what;
        std::string after;  // empty: a folder in the file's place
        IniBytesCheck check;
        std::string left;  // the file after the check, when it is one
    };
    const std::string saved = utf8.substr(0, utf8.size() - 3) + "1\r\n";
    const std::string dots = "; \x81\x45\x81\x45\r\n" + saved.substr(10);
    const Case cases[] = {
        {"a setting changed", saved, IniBytesCheck::Kept, saved},
        {"the comment turned into dots", dots, IniBytesCheck::PutBack, utf8},
        {"the file cut", utf8.substr(0, 12), IniBytesCheck::PutBack, utf8},
        {"a folder in its place", "", IniBytesCheck::NotPutBack, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(utf8);
        IniBytesRecord copy;
        ASSERT_TRUE(KeepIniBytes(iniPath_, copy));
        std::filesystem::remove(path_);
        if (c.after.empty()) {
            std::filesystem::create_directory(path_);
        } else {
            WriteFile(c.after);
        }
        EXPECT_EQ(CheckIniBytes(iniPath_, copy), c.check);
        if (c.after.empty()) {
            EXPECT_TRUE(std::filesystem::is_directory(path_));
        } else {
            std::ifstream in(path_, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.left);
        }
        std::filesystem::remove(path_);
    }
    // Any other file is not kept: the profile functions keep its bytes.
    for (const std::string& other : {std::string("[k-tai]\r\nconvert to emoji=0\r\n"),
                                     std::string("[k-tai]\r\nx=\x82\x81\r\n"), std::string()}) {
        WriteFile(other);
        IniBytesRecord copy;
        EXPECT_FALSE(KeepIniBytes(iniPath_, copy));
    }
}

// What a save checks the file by: a setting reads back as written, and the
// rest of the file reads as it did, whatever a save may do to the settings'
// own lines.
TEST_F(SettingsFileTest, TellsASaveThatDidNotStore) {
    const std::string notes = "[user notes]\r\nkeep=this line\r\n";
    const std::string settings = "[k-tai]\r\nconvert to hankaku=1\r\nj domains=example.jp\r\n";
    struct Case {
        const char* what;
        std::string after;  // the file after a save of `settings + notes`
        bool kept;
    };
    const Case cases[] = {
        {"as it was", settings + notes, true},
        {"the settings' lines changed and added",
         "[K-TAI]\r\nConvert To Hankaku = 0\r\nj domains=example.jp\r\ndelete crlf=1\r\n" + notes,
         true},
        {"blank lines and comments", settings + "\r\n; mine\r\n" + notes, true},
        {"another section's last line cut", settings + "[user notes]\r\nkeep=th", false},
        {"another section lost", settings, false},
        {"another key of the settings' section changed",
         "[k-tai]\r\nconvert to hankaku=1\r\nj domains=example.j\r\n" + notes, false},
        {"a setting's key in another section changed",
         settings + "[user notes]\r\nkeep=this line\r\nconvert to hankaku=1\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(settings + notes);
        std::uint64_t before = 0;
        ASSERT_TRUE(OtherContentsDigest(iniPath_, before));
        WriteFile(c.after);
        std::uint64_t after = 0;
        ASSERT_TRUE(OtherContentsDigest(iniPath_, after));
        EXPECT_EQ(after == before, c.kept);
    }
    WriteFile(settings);
    EXPECT_TRUE(SettingStored(iniPath_, "convert to hankaku", 1));
    EXPECT_FALSE(SettingStored(iniPath_, "convert to hankaku", 0));
    EXPECT_FALSE(SettingStored(iniPath_, "delete crlf", 0));  // absent
}

}  // namespace
}  // namespace telepost
