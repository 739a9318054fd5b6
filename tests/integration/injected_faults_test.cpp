// The plug-in in a broken environment: an INI file that cannot be written or
// read as one, a host whose header reads fail, a length warning whose box
// cannot be shown, and header values at the bound of what is read whole.
// Each time the user's text and settings stay as they were, and where the
// user could not know otherwise, the plug-in says so.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "host.h"
#include "support/plugin_under_test.h"
#include "support/profile_writer.h"
#include "support/send_calls.h"
#include "telepost/contract.h"
#include "user.h"
#include "file_size_limit.h"
#include "read_only_files.h"
#include "temp_folder.h"
#include "cp932.h"

namespace hostsim {
namespace {

namespace fs = std::filesystem;
using telepost_tests::Cp932;

// What the compose window holds after the send.
struct Written {
    std::string subject, from, body;

    bool operator==(const Written&) const = default;
};

const std::string kGroupJ = "jiro@jp-d.ne.jp";
const std::string kDoCoMo = "taro@docomo.ne.jp";
const std::string kSender = "ichiro@example.com";
const std::string kNamedSender = "Ichiro <" + kSender + ">";

// The longest header value the plug-in reads whole.
constexpr size_t kLongestWhole = 2 * 1024 * 1024 - 2;

struct SendFault {
    const char* what;
    Mail mail;
    const char* broken = nullptr;  // the header whose reads fail
    Host::HeaderFault fault = Host::HeaderFault::Fails;
    bool ownerGone = false;  // the compose window is destroyed before the send
    std::vector<int> answers{};
    int result = 0;
    Written after{};
    IniSettings settings{};
};

std::vector<SendFault> SendFaults() {
    const std::string subject(3000, 'S');
    const std::string longest(kLongestWhole, 'S');
    const std::string tooLong(kLongestWhole + 1, 'S');
    const Mail toGroupJ = {kGroupJ, "", "", "Hello", kNamedSender, Body(400)};
    return {
        {.what = "a length warning whose box cannot be shown cancels the send",
         .mail = toGroupJ,
         .ownerGone = true,
         .result = -1,
         .after = {"Hello", kNamedSender, Body(400)}},
        {.what = "the Subject's reads fail: it is left as written, and No puts From back",
         .mail = toGroupJ,
         .broken = "Subject",
         .answers = {IDNO},
         .result = -1,
         .after = {"Hello", kNamedSender, Body(400)}},
        {.what = "the Subject's reads fail: Yes sends with the Subject as written",
         .mail = toGroupJ,
         .broken = "Subject",
         .answers = {IDYES},
         .after = {"Hello", kSender, Body(400)}},
        {.what = "From's reads fail: From is left as written",
         .mail = toGroupJ,
         .broken = "From",
         .answers = {IDNO},
         .result = -1,
         .after = {"Hello", kNamedSender, Body(400)}},
        {.what = "the reads of To fail: no recipient is seen",
         .mail = toGroupJ,
         .broken = "To",
         .after = {"Hello", kNamedSender, Body(400)}},
        {.what = "a DoCoMo-only Subject whose reads fail is not written back",
         .mail = {kDoCoMo, "", "", Cp932("Ａ"), kSender, "Hi"},
         .broken = "Subject",
         .after = {Cp932("Ａ"), kSender, "Hi"},
         .settings = {.hankaku = true}},
        {.what = "a host that leaves a long Subject unterminated: No puts it back whole",
         .mail = {kGroupJ, "", "", subject, kNamedSender, Body(400)},
         .broken = "Subject",
         .fault = Host::HeaderFault::Unterminated,
         .answers = {IDNO},
         .result = -1,
         .after = {subject, kNamedSender, Body(400)}},
        // The bound of a whole read, on either side.
        {.what = "the longest Subject read whole is cleared",
         .mail = {kGroupJ, "", "", longest, kNamedSender, Body(400)},
         .answers = {IDYES},
         .after = {"", kSender, Body(400)}},
        {.what = "the longest Subject read whole is put back after No",
         .mail = {kGroupJ, "", "", longest, kNamedSender, Body(400)},
         .answers = {IDNO},
         .result = -1,
         .after = {longest, kNamedSender, Body(400)}},
        {.what = "a Subject one byte longer is left as written",
         .mail = {kGroupJ, "", "", tooLong, kNamedSender, Body(400)},
         .answers = {IDYES},
         .after = {tooLong, kSender, Body(400)}},
    };
}

// Compares long values by their length, so that a failure report stays short.
void ExpectSame(const std::string& actual, const std::string& expected, const char* what) {
    EXPECT_TRUE(actual == expected)
        << what << ": " << actual.size() << " bytes, expected " << expected.size()
        << (actual.size() < 100 ? ": " + actual : "");
}

class InjectedFaultsTest : public SendTest {};

TEST_F(InjectedFaultsTest, SendsKeepTheUsersTextWhateverFails) {
    for (const SendFault& c : SendFaults()) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(c.settings));
        HWND window = Open(c.mail);
        if (c.ownerGone) {
            DestroyWindow(window);  // the host still answers for it
        }
        if (c.broken) {
            host_.BreakHeaderReads(c.broken, c.fault);
        }
        User user;
        user.AnswerMessageBoxes(c.answers);

        EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, 0), c.result);

        host_.BreakHeaderReads("", Host::HeaderFault::None);
        ExpectSame(host_.Header(window, "Subject"), c.after.subject, "Subject");
        ExpectSame(host_.Header(window, "From"), c.after.from, "From");
        ExpectSame(host_.Body(window), c.after.body, "body");
        EXPECT_EQ(user.MessageBoxes(), LengthWarnings(window, c.answers));
        host_.CloseCompose(window);
        host_.Unload();
    }
}

// The INI file beside the plug-in, in some state the settings dialog meets.
struct IniFault {
    const char* what;
    std::function<void(const std::string& ini)> make;
    bool readable = true;  // a file whose values the plug-in reads
    bool readOnly = false;
};

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The settings as the plug-in holds them: hankaku on, the rest off.
const std::string kStored = "[k-tai]\r\nconvert to hankaku=1\r\nconvert to emoji=0\r\n";

// The INI files OK cannot write.
std::vector<IniFault> Unwritable() {
    std::vector<IniFault> faults = {
        {"a read-only file",
         [](const std::string& ini) {
             WriteFile(ini, kStored);
             telepost_tests::MakeReadOnly(ini);
         },
         true, true},
        {"a folder in its place", [](const std::string& ini) { fs::create_directory(ini); }, false},
    };
#ifndef _WIN32
    faults.push_back(
        {"a pipe in its place", [](const std::string& ini) { mkfifo(ini.c_str(), 0644); }, false});
#endif
    return faults;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string NotSaved() {
    return Cp932("設定を保存できませんでした。");
}

class IniFaultsTest : public testing::Test {
  protected:
    void TearDown() override { Clear(); }

    static std::string Ini() { return IniUnderTest(); }

    // Removes whatever stands at the INI file's place, read-only or not.
    static void Clear() {
        std::error_code ignored;
        telepost_tests::MakeWritable(Ini());
        fs::remove_all(Ini(), ignored);
    }

    void Start(const IniFault& fault) {
        Clear();
        fault.make(Ini());
        std::string error;
        ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
        host_.Plugin().BKC_OnStart();
        // What the plug-in tells of the file at start (a folder in its
        // place), told at the first compose window, before the dialog.
        User told;
        host_.CloseCompose(host_.OpenCompose(Message{}));
        EXPECT_EQ(told.MessageBoxes().size(), fault.readable ? 0u : 1u);
    }

    // Whether a send to DoCoMo converts the full-width letter: the hankaku setting.
    bool Hankaku() { return SentToDoCoMo(Cp932("Ａ")) == "A"; }
    // Whether it turns the circle into its emoji: the emoji setting.
    bool Emoji() { return SentToDoCoMo("\x81\x9C") == "\xF9\xA3"; }

    std::string SentToDoCoMo(const std::string& body) { return SentTo(kDoCoMo, body); }

    std::string SentTo(const std::string& to, const std::string& body) {
        Message message;
        message.headers = {{"To", to}};
        message.body = body;
        HWND window = host_.OpenCompose(message);
        host_.Plugin().BKC_OnOutgoing(window, 0);
        std::string sent = host_.Body(window);
        host_.CloseCompose(window);
        return sent;
    }

    // Opens the settings dialog, clicks the emoji box and presses OK; each
    // message box it shows is recorded and answered by `answer`.
    std::vector<MessageBoxSeen> PressOk(const std::function<void(HWND dialog)>& answer) {
        User user;
        user.OnDialog([](HWND dialog) {
            PostMessageA(GetDlgItem(dialog, IDC_EMOJI), BM_CLICK, 0, 0);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        user.OnMessageBox([&](const MessageBoxSeen& box) {
            EXPECT_TRUE(IsWindow(box.owner));  // the dialog is still open
            answer(box.owner);
            return IDOK;
        });
        EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(nullptr), 1);
        return user.MessageBoxes();
    }

    Host host_;
};

TEST_F(IniFaultsTest, SettingsThatCannotBeSavedAreToldAndLeftAsTheyWere) {
    for (const IniFault& fault : Unwritable()) {
        SCOPED_TRACE(fault.what);
        if (fault.readOnly && !telepost_tests::ReadOnlyFilesRefused()) {
            continue;
        }
        ASSERT_NO_FATAL_FAILURE(Start(fault));
        const std::string before = fault.readable ? ReadBytes(Ini()) : "";

        std::vector<MessageBoxSeen> boxes =
            PressOk([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });

        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, telepost::kPluginName);
        EXPECT_EQ(boxes[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        const std::string& text = boxes[0].text;
        // The first line, the file, then the system's reason and a hint.
        EXPECT_EQ(text.substr(0, NotSaved().size() + Ini().size() + 2),
                  NotSaved() + "\n" + Ini() + "\n")
            << text;
        EXPECT_GT(text.size(), NotSaved().size() + Ini().size() + 2);
        if (std::string(fault.what) == "a folder in its place") {
            // What is true, not the system's "access denied" and its hint.
            EXPECT_EQ(text.substr(NotSaved().size() + Ini().size() + 2),
                      Cp932("設定ファイルの場所に、設定ファイルと同じ名前のフォルダーがあるため、設"
                            "定を書き込めません。\n\nこのフォルダーを削除するか名前を変えて（中に必"
                            "要なファイルがあれば、先に別の場所へ移してください）から、もう一度 OK "
                            "を押すか、キャンセルで閉じてください。"));
        }
        if (fault.readable) {
            EXPECT_EQ(ReadBytes(Ini()), before);
        } else {
            EXPECT_FALSE(fs::is_regular_file(Ini()));
        }
        EXPECT_EQ(Hankaku(), fault.readable);  // as loaded, not as the boxes said
        host_.Unload();
    }
}

// The dialog whose OK is pressed again, once the message box in front of it
// has been answered and is gone.
HWND PressedAgain = nullptr;

void CALLBACK PressOkAgain(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageA(PressedAgain, WM_COMMAND, IDOK, 0);
}

// The dialog stays open after a failed save: OK pressed again once the cause
// is gone saves and closes it. A folder in the INI file's place fails for
// root as for any user, so this holds wherever the tests run.
TEST_F(IniFaultsTest, OkAgainSavesOnceTheCauseIsGone) {
    for (const IniFault& fault : Unwritable()) {
        SCOPED_TRACE(fault.what);
        if (fault.readOnly && !telepost_tests::ReadOnlyFilesRefused()) {
            continue;
        }
        ASSERT_NO_FATAL_FAILURE(Start(fault));
        std::vector<MessageBoxSeen> boxes = PressOk([](HWND dialog) {
            telepost_tests::MakeWritable(Ini());
            if (!fs::is_regular_file(Ini())) {
                std::error_code ignored;
                fs::remove_all(Ini(), ignored);
            }
            // Pressed after the box's answer, not while the box waits for it.
            PressedAgain = dialog;
            SetTimer(nullptr, 0, 0, PressOkAgain);
        });

        EXPECT_EQ(boxes.size(), 1u);
        char emoji[8] = {};
        GetPrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[1], "", emoji,
                                 sizeof emoji, Ini().c_str());
        EXPECT_STREQ(emoji, "1");
        EXPECT_TRUE(Emoji());  // taken into the settings
        EXPECT_EQ(Hankaku(), fault.readable);
        host_.Unload();
    }
}

#ifndef _WIN32
// A later setting can fail alone, where the first ones are rewritten at
// their length and the last one would grow the file: here past the
// process's file size limit, which holds for root as a full disk does. The
// save fails, and the settings stay as they were loaded. (Only the Linux
// build can set the limit.)
TEST_F(IniFaultsTest, ALaterSettingThatFailsLeavesTheSettingsAsTheyWere) {
    ASSERT_NO_FATAL_FAILURE(
        Start({"two of the three keys", [](const std::string& ini) { WriteFile(ini, kStored); }}));
    std::vector<MessageBoxSeen> boxes;
    {
        const telepost_tests::FileSizeLimit limit(kStored.size());
        ASSERT_TRUE(limit.Set());
        boxes = PressOk([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.substr(0, NotSaved().size() + Ini().size() + 2),
              NotSaved() + "\n" + Ini() + "\n")
        << boxes[0].text;
    // The first two keys went to the file, the third did not.
    EXPECT_EQ(GetPrivateProfileIntA(telepost::kSettingsSection, telepost::kSettingKeys[1], -1,
                                    Ini().c_str()),
              1u);
    EXPECT_EQ(GetPrivateProfileIntA(telepost::kSettingsSection, telepost::kSettingKeys[2], 7,
                                    Ini().c_str()),
              7u);
    EXPECT_TRUE(Hankaku());
    EXPECT_FALSE(Emoji());
}
#endif

// A plug-in whose path is too long for its INI file's: the system cuts the
// path it gives, and the cut path would name some other file. Here the cut
// falls in a folder named "cut.here…", so the cut path names "cut.ini"
// beside that folder, a file holding settings that must be neither read nor
// written. OK tells why it cannot save, naming no file.
TEST_F(IniFaultsTest, APathTooLongForTheIniNamesNoFile) {
    constexpr size_t kCutLength = MAX_PATH - 1;  // what the system gives of the path
    constexpr size_t kCutInFolder = 50;          // bytes of "cut.here…" within the cut
    const telepost_tests::TempFolder scratch("deep");
    const fs::path root = fs::path(scratch.Path()) / "d";
    const size_t padding = kCutLength - kCutInFolder - root.string().size() - 2;
    const fs::path parent = root / std::string(padding, 'p');
    const fs::path folder = parent / ("cut.here" + std::string(100, 'd'));
    ASSERT_EQ((folder.string().size() - folder.filename().string().size()),
              kCutLength - kCutInFolder);
    const fs::path decoy = parent / "cut.ini";
    const fs::path plugin = folder / "TELEPOST.dll";
    fs::create_directories(folder);
    WriteFile(decoy.string(), kStored);
    fs::copy_file(PluginUnderTest(), plugin);
    std::string error;
    if (!host_.Load(plugin.string(), &error)) {
#ifdef _WIN32
        GTEST_SKIP() << "no library loads from a path this long here: " << error;
#else
        FAIL() << error;
#endif
    }
    host_.Plugin().BKC_OnStart();

    EXPECT_FALSE(Hankaku());  // "cut.ini" was not read
    std::vector<MessageBoxSeen> boxes =
        PressOk([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });

    ASSERT_EQ(boxes.size(), 1u);
    const std::string& text = boxes[0].text;
    // The first line, then the cause on a line of its own.
    EXPECT_EQ(text.substr(0, NotSaved().size() + 1), NotSaved() + "\n") << text;
    EXPECT_NE(text.substr(NotSaved().size() + 1, 1), "\n") << text;
    EXPECT_EQ(text.find(".ini"), std::string::npos) << text;
    EXPECT_EQ(text.find("Program Files"), std::string::npos) << text;
    EXPECT_EQ(ReadBytes(decoy.string()), kStored);
    EXPECT_EQ(std::distance(fs::directory_iterator(parent), fs::directory_iterator()), 2);
    EXPECT_FALSE(Hankaku());
    host_.Unload();  // before its folder goes
}

// A settings file in UTF-8 without a byte order mark, as Notepad saves one,
// with a Japanese comment and full-width domains: OK saves it on every
// system, each setting's line changed in place or added at the end of the
// section, and every other byte of the file as it was (the system's writer,
// which may rewrite the file in code page 932, is not used for it).
TEST_F(IniFaultsTest, OkKeepsTheOtherLinesOfAFileInUtf8) {
    const std::string comment = "; 携帯メールの設定\r\n";
    // A domain exempt and one added to DoCoMo, in full-width forms.
    const std::string lists =
        "exempt domains=ｄｏｃｏｍｏ．ｎｅ．ｊｐ\r\n"
        "docomo domains=ｅｘａｍｐｌｅ．ｊｐ\r\n";
    const std::string added = "taro@example.jp";
    ASSERT_NO_FATAL_FAILURE(Start({"a file in UTF-8", [&](const std::string& ini) {
                                       WriteFile(ini, comment + kStored + lists);
                                   }}));
    ASSERT_EQ(SentToDoCoMo(Cp932("Ａ")), Cp932("Ａ"));  // the lists read
    ASSERT_EQ(SentTo(added, Cp932("Ａ")), "A");
    const std::string before = ReadBytes(Ini());

    std::vector<MessageBoxSeen> boxes =
        PressOk([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });

    EXPECT_EQ(boxes, std::vector<hostsim::MessageBoxSeen>{});
    const std::string changed = "convert to emoji=0\r\n";
    std::string expected = before + "delete crlf=0\r\n";
    expected.replace(expected.find(changed), changed.size(), "convert to emoji=1\r\n");
    EXPECT_EQ(ReadBytes(Ini()), expected);
    EXPECT_EQ(SentTo(added, "\x81\x9C"), "\xF9\xA3");  // the emoji setting taken
    // Loaded again, the plug-in reads the same lists.
    host_.Unload();
    std::string error;
    ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
    host_.Plugin().BKC_OnStart();
    EXPECT_EQ(SentToDoCoMo(Cp932("Ａ")), Cp932("Ａ"));
    EXPECT_EQ(SentTo(added, Cp932("Ａ")), "A");
    host_.Unload();
}

// The texts of a failed save, after its first line and the file's path:
// a file that does not read back as written, and its hint.
std::string NotStored() {
    return Cp932(
        "設定ファイルを読み直したところ、正しく書き込まれていませんでした。"
        "ディスクがいっぱいになっている可能性があります。");
}
std::string DiskFullHint() {
    return Cp932(
        "ディスクの空きを確保してから、もう一度 OK を押すか、"
        "キャンセルで閉じてください。ファイルのほかの内容が失われていることもあります"
        "ので、あわせてご確認ください。");
}
// A file the writes changed besides the settings' lines, put back:
std::string PutBack() {
    return Cp932(
        "設定を書き込んだところ、設定以外の行まで変わってしまったため、"
        "ファイルを書き込む前の状態に戻しました。"
        "設定は保存されていません。");
}
// Its hint:
std::string PutBackHint() {
    return Cp932(
        "ディスクの空きが足りないか、ほかのプログラムが同時にファイルを書き換えた可能"
        "性があります。ご確認のうえ、もう一度 OK を押すか、"
        "キャンセルで閉じてください。");
}

// A writer that lies or damages the file, met by OK: the user is told
// exactly what happened, the dialog stays open (Cancel closes it), the
// settings stay as they were loaded, and a file the writes changed besides
// the settings' own lines is put back byte for byte, even one they made
// longer.
TEST_F(IniFaultsTest, AWriterThatLiesOrDamagesTheFileIsCaught) {
    // A comment and a section of the user's own, in code page 932.
    const std::string file =
        Cp932("; 携帯メールの設定\r\n") + kStored + Cp932("[memo]\r\nname=山田\r\n");
    struct Case {
        const char* what;
        WriterFault fault;
        std::string reason;
        std::string hint;
    };
    const Case cases[] = {
        {"a writer that stores nothing", WriterFault::StoresNothing, NotStored(), DiskFullHint()},
        {"a writer that turns the file's bytes from 0x80 up into ?", WriterFault::MarksHighBytes,
         PutBack(), PutBackHint()},
        {"a writer that makes the file longer, then finds the disk full",
         WriterFault::GrowsThenDiskFull, PutBack(), PutBackHint()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start({c.what, [&](const std::string& ini) { WriteFile(ini, file); }});
        std::vector<MessageBoxSeen> boxes;
        {
            const FaultyProfileWriter writer(host_.Module(), c.fault);
            ASSERT_TRUE(writer.Installed());
            boxes = PressOk([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        }
        std::vector<std::string> texts;
        for (const MessageBoxSeen& box : boxes) {
            texts.push_back(box.text);
            EXPECT_EQ(box.caption, telepost::kPluginName);
            EXPECT_EQ(box.style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        }
        EXPECT_EQ(texts, std::vector<std::string>{NotSaved() + "\n" + Ini() + "\n" + c.reason +
                                                  "\n\n" + c.hint});
        EXPECT_EQ(ReadBytes(Ini()), file);
        EXPECT_TRUE(Hankaku());  // the settings as loaded, not as the boxes said
        EXPECT_FALSE(Emoji());
        host_.Unload();
    }
}

// An INI file that cannot be read as one: all settings off, and OK writes it
// anew without a word.
TEST_F(IniFaultsTest, AnUnreadableIniReadsAsNoSettings) {
    std::vector<IniFault> unreadable = {
        {"no file", [](const std::string&) {}},
        {"garbage",
         [](const std::string& ini) { WriteFile(ini, std::string("\xFF\xFE\x01\x82\n\x7F", 6)); }},
    };
    for (const IniFault& fault : Unwritable()) {
        if (!fault.readable) {
            unreadable.push_back(fault);
        }
    }
    for (const IniFault& fault : unreadable) {
        SCOPED_TRACE(fault.what);
        ASSERT_NO_FATAL_FAILURE(Start(fault));
        EXPECT_FALSE(Hankaku());
        if (fault.readable) {
            EXPECT_EQ(PressOk([](HWND) {}).size(), 0u);
            EXPECT_EQ(GetPrivateProfileIntA(telepost::kSettingsSection, telepost::kSettingKeys[1],
                                            -1, Ini().c_str()),
                      1u);
        }
        host_.Unload();
    }
}

}  // namespace
}  // namespace hostsim
