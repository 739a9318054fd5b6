// The settings dialog's save of a file in UTF-8, which the plug-in writes
// itself (to "<INI path>.new", flushed, moved over the file, read back), met
// by each of its file calls failing or lying. The user is told what
// happened, the dialog stays open, the settings stay as they were loaded,
// no "<INI path>.new" is left, and the file is byte for byte as it was
// whenever the plug-in could put it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cp932.h"
#include "host.h"
#include "support/file_calls.h"
#include "support/plugin_under_test.h"
#include "support/profile_writer.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {
namespace {

namespace fs = std::filesystem;
using telepost_tests::Cp932;

// A file in UTF-8 as Notepad saves one, with a section of the user's own.
const std::string kFile =
    "; 携帯メールの設定\r\n[k-tai]\r\nconvert to hankaku=1\r\nconvert to emoji=0\r\n"
    "[memo]\r\nname=山田\r\n";
// The same, once OK saved it with the emoji box checked.
const std::string kSaved =
    "; 携帯メールの設定\r\n[k-tai]\r\nconvert to hankaku=1\r\nconvert to emoji=1\r\n"
    "delete crlf=0\r\n[memo]\r\nname=山田\r\n";

// The texts of a failed save (ui/settings_dialog_messages.utf8.inc), each
// written once here.
const char kNotSaved[] = "設定を保存できませんでした。";
const char kNotSavedHint[] =
    "プラグインのフォルダーが Program Files の下にあるときや、"
    "ファイルが読み取り専用のときは、保存できないことがあります。"
    "ファイルとフォルダーをご確認のうえ、もう一度 OK を押すか、キャンセルで閉じてください。";
const char kDiskFullHint[] =
    "ディスクの空きを確保してから、もう一度 OK を押すか、キャンセルで閉じてください。"
    "ファイルのほかの内容が失われていることもありますので、あわせてご確認ください。";
const char kNotStored[] =
    "設定ファイルを読み直したところ、正しく書き込まれていませんでした。"
    "ディスクがいっぱいになっている可能性があります。";
const char kPutBack[] =
    "設定を書き込んだところ、設定以外の行まで変わってしまったため、"
    "ファイルを書き込む前の状態に戻しました。設定は保存されていません。";
const char kPutBackHint[] =
    "ディスクの空きが足りないか、ほかのプログラムが同時にファイルを書き換えた可能性が"
    "あります。ご確認のうえ、もう一度 OK を押すか、キャンセルで閉じてください。";
const char kNotPutBack[] =
    "設定を書き込んだところ、設定以外の行まで変わってしまいました。"
    "ファイルを元の状態に戻そうとしましたが、戻せませんでした。"
    "ファイルの内容が損なわれている可能性があります。";
const char kNotPutBackHint[] =
    "ファイルをメモ帳で開いて内容をご確認ください。"
    "文字化けしている箇所は書き直す必要があります。この画面はキャンセルで閉じてください。";

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct SaveFault {
    const char* what;
    std::optional<FileFault> fault;  // none: the save as it goes
    const char* reason;              // the message's reason; null: the system's text for the error
    const char* hint;                // null: no message, the save done
    std::optional<std::string> after;  // the file after; none: not as it was, nor saved
};

std::vector<SaveFault> SaveFaults() {
    return {
        {"no fault", std::nullopt, nullptr, nullptr, kSaved},
        {"every write stores half and says so: written on to the end",
         FileFault{.call = FileCall::Write, .lie = FileLie::ShortWrite}, nullptr, nullptr, kSaved},
        {"the write fails on a full disk", FileFault{FileCall::Write}, nullptr, kDiskFullHint,
         kFile},
        {"the write fails", FileFault{FileCall::Write, FileLie::Fails, ERROR_WRITE_FAULT}, nullptr,
         kNotSavedHint, kFile},
        {"the flush fails", FileFault{FileCall::Flush, FileLie::Fails, ERROR_WRITE_FAULT}, nullptr,
         kNotSavedHint, kFile},
        {"the move fails", FileFault{FileCall::Move, FileLie::Fails, ERROR_ACCESS_DENIED}, nullptr,
         kNotSavedHint, kFile},
        {"the new file's write stores half and reports it whole: put back",
         FileFault{.call = FileCall::Write, .lie = FileLie::WritesHalf, .count = 1}, kPutBack,
         kPutBackHint, kFile},
        {"every write stores half and reports it whole: the put-back reads back cut",
         FileFault{.call = FileCall::Write, .lie = FileLie::WritesHalf}, kNotPutBack,
         kNotPutBackHint, std::nullopt},
    };
}

class SaveFaultsTest : public testing::Test {
  protected:
    void TearDown() override {
        std::error_code ignored;
        fs::remove(Ini(), ignored);
        fs::remove(Ini() + ".new", ignored);
    }

    static std::string Ini() { return IniUnderTest(); }

    void Start(const std::string& file) {
        std::ofstream(Ini(), std::ios::binary) << file;
        std::string error;
        ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
        host_.Plugin().BKC_OnStart();
    }

    // Whether a send to DoCoMo turns the circle into its emoji: the emoji setting.
    bool Emoji() {
        Message message;
        message.headers = {{"To", "taro@docomo.ne.jp"}};
        message.body = "\x81\x9C";
        HWND window = host_.OpenCompose(message);
        host_.Plugin().BKC_OnOutgoing(window, 0);
        const bool emoji = host_.Body(window) == "\xF9\xA3";
        host_.CloseCompose(window);
        return emoji;
    }

    // Opens the settings dialog, clicks the emoji box and presses OK; a
    // message box, shown while the dialog is still open, is answered and the
    // dialog cancelled. The message boxes shown.
    std::vector<MessageBoxSeen> PressOk() {
        User user;
        user.OnDialog([](HWND dialog) {
            PostMessageA(GetDlgItem(dialog, IDC_EMOJI), BM_CLICK, 0, 0);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        user.OnMessageBox([](const MessageBoxSeen& box) {
            EXPECT_TRUE(IsWindow(box.owner));  // the dialog
            PostMessageA(box.owner, WM_COMMAND, IDCANCEL, 0);
            return IDOK;
        });
        EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(nullptr), 1);
        return user.MessageBoxes();
    }

    // The one message box `boxes` should hold: its first line, the file, the
    // reason (any text for the system's) and the hint.
    void ExpectTold(const std::vector<MessageBoxSeen>& boxes, const char* reason,
                    const char* hint) {
        ASSERT_EQ(boxes.size(), 1u);
        const std::string& text = boxes[0].text;
        EXPECT_EQ(boxes[0].caption, telepost::kPluginName);
        EXPECT_EQ(boxes[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        const std::string head = Cp932(kNotSaved) + "\n" + Ini() + "\n";
        const std::string tail = "\n\n" + Cp932(hint);
        if (reason) {
            EXPECT_EQ(text, head + Cp932(reason) + tail);
            return;
        }
        ASSERT_GT(text.size(), head.size() + tail.size()) << text;
        EXPECT_EQ(text.substr(0, head.size()), head) << text;
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
        const std::string system =
            text.substr(head.size(), text.size() - head.size() - tail.size());
        EXPECT_EQ(system.find('\n'), std::string::npos) << text;
        EXPECT_FALSE(system.empty());
    }

    Host host_;
};

TEST_F(SaveFaultsTest, EachFileCallThatFailsOrLiesIsToldAndTheFileKept) {
    for (const SaveFault& c : SaveFaults()) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(kFile));
        ASSERT_FALSE(Emoji());
        std::vector<MessageBoxSeen> boxes;
        std::vector<std::string> calls;
        {
            const FaultyFileCalls faulty(host_.Module(),
                                         c.fault.value_or(FileFault{FileCall::Read, FileLie::Fails,
                                                                    ERROR_ACCESS_DENIED, 1, 0}));
            ASSERT_TRUE(faulty.Installed());
            boxes = PressOk();
            calls = faulty.Calls();
        }
        if (c.hint) {
            ASSERT_NO_FATAL_FAILURE(ExpectTold(boxes, c.reason, c.hint));
        } else {
            EXPECT_EQ(boxes, std::vector<MessageBoxSeen>{});
        }
        if (c.after) {
            EXPECT_EQ(ReadBytes(Ini()), *c.after);
        } else {
            EXPECT_NE(ReadBytes(Ini()), kFile);
            EXPECT_NE(ReadBytes(Ini()), kSaved);
        }
        EXPECT_FALSE(fs::exists(Ini() + ".new"));
        EXPECT_EQ(Emoji(), !c.hint);  // taken only once saved
        if (!c.fault) {
            // The new file flushed after its last write, before it is moved,
            // and the file read after the move.
            const auto move = std::find(calls.begin(), calls.end(), "move");
            ASSERT_NE(move, calls.end());
            const auto lastWrite =
                std::find(std::make_reverse_iterator(move), calls.rend(), std::string("write"));
            ASSERT_NE(lastWrite, calls.rend());
            EXPECT_NE(std::find(lastWrite.base(), move, "flush"), move);
            EXPECT_NE(std::find(move, calls.end(), "read"), calls.end());
        }
        host_.Unload();
    }
}

// A file in UTF-8 without the settings' section: OK adds it at the end, and
// the check after the save takes the added section for no damage.
TEST_F(SaveFaultsTest, OkAddsTheSectionToAFileInUtf8WithoutIt) {
    const std::string file = "; 携帯メールの設定\r\n[memo]\r\nname=山田\r\n";
    ASSERT_NO_FATAL_FAILURE(Start(file));
    EXPECT_EQ(PressOk(), std::vector<MessageBoxSeen>{});
    EXPECT_EQ(ReadBytes(Ini()), file +
                                    "[k-tai]\r\nconvert to hankaku=0\r\nconvert to emoji=1\r\n"
                                    "delete crlf=0\r\n");
    EXPECT_TRUE(Emoji());
    host_.Unload();
}

// A read error in the middle of the file is no end of it: the plug-in
// keeps no cut copy to put back. Here every read of the file fails past its
// first bytes, and the system's writer damages the file: the user is told
// it was not written as it should be, and the file is not cut to what was
// read.
TEST_F(SaveFaultsTest, AReadErrorIsNoEndOfTheFile) {
    const std::string file = Cp932("; 携帯メールの設定\r\n") +
                             "[k-tai]\r\nconvert to hankaku=1\r\nconvert to emoji=0\r\n" +
                             Cp932("[memo]\r\nname=山田\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(file));
    std::vector<MessageBoxSeen> boxes;
    {
        const FaultyFileCalls faulty(
            host_.Module(),
            {.call = FileCall::Read, .lie = FileLie::ReadsPart, .error = ERROR_ACCESS_DENIED});
        const FaultyProfileWriter writer(host_.Module(), WriterFault::MarksHighBytes);
        ASSERT_TRUE(faulty.Installed());
        ASSERT_TRUE(writer.Installed());
        boxes = PressOk();
    }
    ASSERT_NO_FATAL_FAILURE(ExpectTold(boxes, kNotStored, kDiskFullHint));
    const std::string after = ReadBytes(Ini());
    EXPECT_GT(after.size(), static_cast<size_t>(kReadPart));
    EXPECT_NE(after.find("[memo]\r\nname="), std::string::npos) << after;
    EXPECT_FALSE(fs::exists(Ini() + ".new"));
    EXPECT_FALSE(Emoji());
    host_.Unload();
}

}  // namespace
}  // namespace hostsim
