// What the plug-in tells the user about an INI file it cannot read as
// meant: one saved as UTF-8 with a byte order mark, whose first section
// Windows does not see, and none at all when the plug-in's path leaves no
// room for its INI file's. Told once a start, at the first compose window or
// settings dialog, and the file is left as it is.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "cp932.h"
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

using telepost_tests::Cp932;

// A long mail to a DoCoMo address: whether the plug-in asked about its
// length, which `exempt domains=docomo.ne.jp` turns off.
bool AskedAboutLength(Host& host, User& user) {
    const size_t before = user.MessageBoxes().size();
    Message message;
    message.headers = {{"To", "taro@docomo.ne.jp"}};
    message.body = std::string(600, 'a');
    HWND window = host.OpenCompose(message);
    host.Plugin().BKC_OnOutgoing(window, 0);
    host.CloseCompose(window);
    return user.MessageBoxes().size() > before;
}

// The files a whole notice is told of (or none), each with the whole text of
// it, and whether the exempt list the file holds is in use.
TEST_F(IniNoticeTest, AFileReadAsMeantOrToldWhole) {
    const std::string bom = "\xEF\xBB\xBF";
    // exempt domains=ｄｏｃｏｍｏ．ｎｅ．ｊｐ、ezweb.ne.jp, in UTF-8 and in UTF-16 BE.
    const std::string exempt = "exempt domains=ｄｏｃｏｍｏ．ｎｅ．ｊｐ、ezweb.ne.jp";
    std::string bigEndian = "\xFE\xFF";
    for (const char* line :
         {"[k-tai]\r\n", "convert to hankaku=1\r\n", "exempt domains=docomo.ne.jp\r\n"}) {
        for (const char* c = line; *c; ++c) {
            bigEndian += '\0';
            bigEndian += *c;
        }
    }
    struct Case {
        const char* what;
        std::function<void(const std::string& ini)> make;
        std::string notice;  // in UTF-8, "%s" for the file's path; empty: none
        bool exempted;
    };
    const auto write = [](std::string bytes) {
        return [bytes](const std::string& ini) { std::ofstream(ini, std::ios::binary) << bytes; };
    };
    const Case cases[] = {
        {"UTF-8 with a mark before a comment, a list in full width",
         write(bom + "; 携帯の設定\r\n[k-tai]\r\nconvert to hankaku=1\r\n" + exempt + "\r\n"), "",
         true},
        {"UTF-8 with a mark, all ASCII after a comment",
         write(bom + ";\n[k-tai]\nexempt domains=docomo.ne.jp\n"), "", true},
        {"UTF-8 with a mark on the header", write(bom + "[k-tai]\r\n" + exempt + "\r\n"),
         "設定ファイルが「UTF-8 (BOM 付き)」の形式で保存されているため、Windows はファイルの最初の"
         "行を読み取れません。このままでは、テレポストの設定とドメインの一覧が読み込まれず、設定は"
         "す"
         "べてオフとして扱われます。\n\n%s\n\nメモ帳でこのファイルを開き、「名前を付けて保存」で文"
         "字コードを「UTF-8 (BOM 付き)」から「ANSI」または「UTF-8」に変えて上書き保存し、メールソ"
         "フトを起動し直してください。",
         false},
        {"UTF-16 BE", write(bigEndian),
         "設定ファイルが「UTF-16 BE」の形式で保存されているため、テレポストはこのファイルを読み込め"
         "ません。テレポストの設定とドメインの一覧は読み込まれず、設定はすべてオフとして扱われます"
         "。"
         "\n\n%s\n\nメモ帳でこのファイルを開き、「名前を付けて保存」で文字コードを「UTF-16 BE」か"
         "ら「ANSI」または「UTF-8」に変えて上書き保存し、メールソフトを起動し直してください。",
         false},
        {"a folder in its place", [](const std::string& ini) { fs::create_directory(ini); },
         "設定ファイルの場所に、設定ファイルと同じ名前のフォルダーがあります。テレポストの設定とド"
         "メ"
         "インの一覧は読み込まれず、設定はすべてオフとして扱われます。設定を保存することもできませ"
         "ん"
         "。\n\n%s\n\nこのフォルダーを削除するか名前を変えて（中に必要なファイルがあれば、先に別の"
         "場所へ移してください）、メールソフトを起動し直してください。",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::error_code ignored;
        fs::remove_all(ini_, ignored);
        c.make(ini_);
        user_.Forget();
        std::vector<HWND> windows;
        ASSERT_TRUE(StartWithChances(PluginUnderTest(), false, &windows));
        if (c.notice.empty()) {
            EXPECT_EQ(user_.MessageBoxes(), std::vector<hostsim::MessageBoxSeen>{});
        } else {
            const size_t at = c.notice.find("%s");
            ASSERT_NO_FATAL_FAILURE(ExpectToldOnce(user_, windows[0], ""));
            EXPECT_EQ(user_.MessageBoxes().front().text,
                      Cp932(c.notice.substr(0, at)) + ini_ + Cp932(c.notice.substr(at + 2)));
        }
        EXPECT_EQ(AskedAboutLength(host_, user_), !c.exempted);
        host_.Unload();
        fs::remove_all(ini_, ignored);
    }
}

#ifndef _WIN32
// A file that cannot be read (here a FIFO, which the Linux layer opens for
// no one, as root reads a read-only file): told with the system's reason.
TEST_F(IniNoticeTest, AFileThatCannotBeReadIsTold) {
    ASSERT_EQ(mkfifo(ini_.c_str(), 0644), 0);
    std::vector<HWND> windows;
    ASSERT_TRUE(StartWithChances(PluginUnderTest(), false, &windows));
    ASSERT_NO_FATAL_FAILURE(ExpectToldOnce(user_, windows[0], ""));
    EXPECT_EQ(
        user_.MessageBoxes().front().text,
        Cp932("設定ファイルを読み取れません。テレポストの設定とドメインの一覧は読み込まれず、"
              "設定はすべてオフとして扱われます。\n\n") +
            ini_ + "\nAccess is denied. (Permission denied) " +
            Cp932("(エラー 5)\n\nほかのプログラムがファイルを開いたままにしていないか、ファイル"
                  "を読み取る権限があるかをご確認のうえ、メールソフトを起動し直してください。"));
}
#endif

// The user's whole path from a file saved with a byte order mark on its
// header: the dialog shows every box cleared, OK is refused with advice
// that keeps the user's values; the user cancels, saves the file without the
// mark, opens the dialog again, sees the values and presses OK: the file
// stays byte for byte, and its settings and lists are in use without a restart.
TEST_F(IniNoticeTest, TheAdviceForAByteOrderMarkKeepsTheUsersValues) {
    const std::string values =
        "[k-tai]\r\nconvert to hankaku=1\r\nconvert to emoji=0\r\ndelete crlf=1\r\n"
        "exempt domains=docomo.ne.jp\r\n";
    std::ofstream(ini_, std::ios::binary) << "\xEF\xBB\xBF" + values;
    std::string error;
    ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
    host_.Plugin().BKC_OnStart();

    // The boxes as the dialog opened, and the boxes the dialog showed.
    const auto openDialog = [&](int ending, std::vector<LRESULT>* shown) {
        User& user = user_;
        user.Forget();
        user.OnDialog([&](HWND dialog) {
            for (int box : telepost::kSettingBoxes) {
                if (box != telepost::kNoBox) {
                    shown->push_back(SendDlgItemMessageA(dialog, box, BM_GETCHECK, 0, 0));
                }
            }
            PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(ending), 0);
        });
        user.OnMessageBox([](const MessageBoxSeen& box) {
            PostMessageA(box.owner, WM_COMMAND, IDCANCEL, 0);  // the dialog, if it is one
            return IDOK;
        });
        host_.Plugin().BKC_OnPlugInSetup(nullptr);
        std::vector<std::string> texts;
        for (const MessageBoxSeen& box : user.MessageBoxes()) {
            texts.push_back(box.text);
        }
        user.OnMessageBox([](const MessageBoxSeen&) { return IDNO; });  // a length warning
        return texts;
    };
    std::vector<LRESULT> shown;
    std::vector<std::string> told = openDialog(IDOK, &shown);
    EXPECT_EQ(shown, (std::vector<LRESULT>{BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}));
    ASSERT_EQ(told.size(), 2u);  // the notice, then OK's refusal
    EXPECT_TRUE(StartsWith(told[0], kByteOrderMarkNotice)) << told[0];
    const std::string advice = Cp932(
        "キャンセルで設定画面を閉じ、メモ帳でこのファイルを開いて、「名前を付けて保存」で文字コー"
        "ドを「ANSI」または「UTF-8」に変えて上書き保存してから、設定画面を開き直して OK を押して"
        "ください。ファイルに書かれた設定とドメインの一覧が使われるようになります。");
    EXPECT_TRUE(told[1].ends_with("\n\n" + advice)) << told[1];
    EXPECT_EQ(ReadBytes(ini_), "\xEF\xBB\xBF" + values);
    EXPECT_TRUE(AskedAboutLength(host_, user_));

    // Saved as "UTF-8" (or "ANSI": the same bytes here), without the mark.
    std::ofstream(ini_, std::ios::binary) << values;
    shown.clear();
    told = openDialog(IDOK, &shown);
    EXPECT_EQ(shown, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
    EXPECT_EQ(told, std::vector<std::string>{});
    EXPECT_EQ(ReadBytes(ini_), values);
    EXPECT_FALSE(AskedAboutLength(host_, user_));  // the exempt list, read again by OK
}

// OK on a file in UTF-16 BE writes nothing, which a writer of single bytes
// would damage, and says what to do.
TEST_F(IniNoticeTest, OkLeavesAFileInUtf16BigEndianAsItIs) {
    std::string bigEndian = "\xFE\xFF";
    for (const char c : std::string("[k-tai]\r\nconvert to hankaku=1\r\n")) {
        bigEndian += '\0';
        bigEndian += c;
    }
    std::ofstream(ini_, std::ios::binary) << bigEndian;
    std::string error;
    ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
    host_.Plugin().BKC_OnStart();
    host_.CloseCompose(host_.OpenCompose(Message{}));  // the notice
    user_.Forget();
    user_.OnDialog([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    user_.OnMessageBox([](const MessageBoxSeen& box) {
        PostMessageA(box.owner, WM_COMMAND, IDCANCEL, 0);
        return IDOK;
    });
    host_.Plugin().BKC_OnPlugInSetup(nullptr);
    ASSERT_EQ(user_.MessageBoxes().size(), 1u);
    EXPECT_EQ(user_.MessageBoxes()[0].text,
              Cp932("設定を保存できませんでした。\n") + ini_ +
                  Cp932("\nこの設定ファイルは「UTF-16 BE」で保存されているため、テレポストは読み込"
                        "めません。このまま書き込むとファイルの内容が損なわれるため、設定は保存して"
                        "いません。\n\nキャンセルで設定画面を閉じ、メモ帳でこのファイルを開いて、"
                        "「名前を付けて保存」で文字コードを「ANSI」または「UTF-8」に変えて上書き保"
                        "存してから、設定画面を開き直して OK を押してください。ファイルに書かれた"
                        "設定とドメインの一覧が使われるようになります。"));
    EXPECT_EQ(ReadBytes(ini_), bigEndian);
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
