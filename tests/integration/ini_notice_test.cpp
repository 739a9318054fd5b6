// What the plug-in tells the user about an INI file it cannot read as
// meant: one saved as UTF-8 with a byte order mark, whose first section
// Windows does not see, and none at all when the plug-in's path leaves no
// room for its INI file's. Told once a start, at the first compose window or
// settings dialog, and the file is left as it is.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host.h"
#include "support/plugin_under_test.h"
#include "telepost/contract.h"
#include "temp_folder.h"
#include "user.h"

namespace hostsim {
namespace {

namespace fs = std::filesystem;

// The start of each notice: 設定ファイルが「UTF-8 (BOM 付き)」の形式で
constexpr char kByteOrderMarkNotice[] =
    "\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x81\x75UTF-8 (BOM "
    "\x95\x74\x82\xAB)\x81\x76\x82\xCC\x8C\x60\x8E\xAE\x82\xC5";
// プラグインのフォルダーのパスが長すぎるため
constexpr char kNoPathNotice[] =
    "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x82\xCC\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B\x82"
    "\xCC\x83\x70\x83\x58\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xE9\x82\xBD\x82\xDF";

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool StartsWith(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0;
}

class IniNoticeTest : public testing::Test {
  protected:
    void TearDown() override { std::remove(ini_.c_str()); }

    // Loads the plug-in at `plugin` and starts it, with a user who cancels
    // the settings dialog; false when the library does not load. Then gives
    // the plug-in every chance to tell: the settings dialog, from a window
    // opened before the start, first or not, and compose windows. The
    // window that owns the first chance comes first.
    bool StartWithChances(const std::string& plugin, bool dialogFirst, std::vector<HWND>* windows,
                          std::string* error = nullptr) {
        if (!host_.Load(plugin, error)) {
            return false;
        }
        user_.OnDialog([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        HWND before = host_.OpenCompose(Message{});
        host_.Plugin().BKC_OnStart();
        if (dialogFirst) {
            windows->push_back(before);
            host_.Plugin().BKC_OnPlugInSetup(before);
        }
        for (int i = 0; i < 2; ++i) {
            windows->push_back(host_.OpenCompose(Message{}));
        }
        host_.Plugin().BKC_OnPlugInSetup(before);
        return true;
    }

    std::string ini_ = IniUnderTest();
    Host host_;
    User user_;
};

// The box the notice came in, once every chance went by.
void ExpectToldOnce(const User& user, HWND owner, const char* notice) {
    ASSERT_EQ(user.MessageBoxes().size(), 1u);
    const MessageBoxSeen& box = user.MessageBoxes().front();
    EXPECT_EQ(box.owner, owner);
    EXPECT_TRUE(StartsWith(box.text, notice)) << box.text;
    EXPECT_EQ(box.caption, telepost::kPluginName);
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

TEST_F(IniNoticeTest, AByteOrderMarkIsToldOnceAStartNamingTheFile) {
    const std::string bytes =
        "\xEF\xBB\xBF[k-tai]\r\nconvert to hankaku=1\r\nexempt domains=docomo.ne.jp\r\n";
    for (bool dialogFirst : {false, true}) {
        SCOPED_TRACE(dialogFirst ? "the settings dialog first" : "a compose window first");
        std::ofstream(ini_, std::ios::binary) << bytes;
        user_.Forget();
        std::vector<HWND> windows;
        ASSERT_TRUE(StartWithChances(PluginUnderTest(), dialogFirst, &windows));
        ASSERT_NO_FATAL_FAILURE(ExpectToldOnce(user_, windows[0], kByteOrderMarkNotice));
        const std::string text = user_.MessageBoxes().front().text;
        EXPECT_NE(text.find(".ini\n\n"), std::string::npos) << text;  // the file, on its own line
        // Once a start: the next start tells again.
        host_.Plugin().BKC_OnStart();
        HWND next = host_.OpenCompose(Message{});
        ASSERT_EQ(user_.MessageBoxes().size(), 2u);
        EXPECT_EQ(user_.MessageBoxes().back().owner, next);
        EXPECT_EQ(ReadBytes(ini_), bytes);
    }
}

// A file that reads well, in any of the forms a user saves it in, and none
// at all, are no news.
TEST_F(IniNoticeTest, AFileThatReadsWellIsNotTold) {
    const char* const files[] = {
        nullptr,
        "[k-tai]\r\nconvert to hankaku=1\r\n",
        "[k-tai]\r\nexempt domains=\x82\x84\x82\x8F\x81\x42ne.jp\r\n",              // ｄｏ。
        "[k-tai]\r\nexempt domains=\xEF\xBD\x84\xEF\xBD\x8F\xE3\x80\x82ne.jp\r\n",  // in UTF-8
        "\r\n\xEF\xBB\xBF\r\n[k-tai]\r\n",  // such bytes past the start hide nothing
    };
    for (const char* file : files) {
        SCOPED_TRACE(file ? file : "no file");
        std::remove(ini_.c_str());
        if (file) {
            std::ofstream(ini_, std::ios::binary) << file;
        }
        user_.Forget();
        std::vector<HWND> windows;
        ASSERT_TRUE(StartWithChances(PluginUnderTest(), false, &windows));
        EXPECT_EQ(user_.MessageBoxes(), std::vector<hostsim::MessageBoxSeen>{});
    }
}

// A copy of the plug-in whose path of MAX_PATH - 1 bytes ends in ".x": the
// path of its INI file, ".ini" in place of ".x", would pass MAX_PATH - 1.
// Told once, and no file is made.
TEST_F(IniNoticeTest, APathTooLongForTheIniFileIsToldOnce) {
    const telepost_tests::TempFolder scratch("notice");
    const fs::path root = fs::path(scratch.Path()) / "deep";
    const std::string name = "TELEPOST.x";
    const size_t folderLength = MAX_PATH - 1 - name.size() - 1;  // a separator before the name
    fs::path folder = root;
    // Folders of 100 while room is left for a separator and one more byte.
    while (folder.string().size() + 1 + 100 + 2 <= folderLength) {
        folder /= std::string(100, 'x');
    }
    folder /= std::string(folderLength - folder.string().size() - 1, 'y');
    const fs::path copy = folder / name;
    ASSERT_EQ(copy.string().size(), static_cast<size_t>(MAX_PATH - 1)) << copy.string();
    fs::create_directories(folder);
    fs::copy_file(PluginUnderTest(), copy, fs::copy_options::overwrite_existing);
    std::vector<HWND> windows;
    std::string error;
    ASSERT_TRUE(StartWithChances(copy.string(), false, &windows, &error)) << error;
    ASSERT_NO_FATAL_FAILURE(ExpectToldOnce(user_, windows[0], kNoPathNotice));
    host_.Unload();
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    EXPECT_EQ(files, std::vector<fs::path>{copy});
}

}  // namespace
}  // namespace hostsim
