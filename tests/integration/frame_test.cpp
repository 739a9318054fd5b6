// The plug-in loaded for real by the stand-in host: binding, the information
// record, the INI file's place, and the user answering message boxes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host.h"
#include "support/plugin_under_test.h"
#include "telepost/contract.h"
#include "temp_folder.h"
#include "user.h"

namespace hostsim {
namespace {

TEST(FrameTest, LoadsWithAllHostFunctionsAndAnswersWithFixedResults) {
    Host host;
    std::string error;
    ASSERT_TRUE(host.Load(PluginUnderTest(), &error)) << error;
    const Callbacks& plugin = host.Plugin();
    EXPECT_EQ(plugin.BKC_OnStart(), 0);
    EXPECT_EQ(plugin.BKC_OnExit(), 0);
    EXPECT_EQ(plugin.BKC_OnOpenFolder("Inbox"), 0);
    EXPECT_EQ(plugin.BKC_OnOpenMail("1"), 0);
    EXPECT_EQ(plugin.BKC_OnEveryMinute(), 0);
    EXPECT_EQ(plugin.BKC_OnOpenCompose(nullptr, 0), 0);
    EXPECT_EQ(plugin.BKC_OnKeyDispatch(nullptr, 0, 0), 0);
    EXPECT_EQ(plugin.BKC_OnRetrieve("mail", "id"), 0);
    EXPECT_EQ(plugin.BKC_OnSend("mail"), 0);
    EXPECT_EQ(plugin.BKC_OnFinishRetrieve(1), 0);
    EXPECT_EQ(plugin.BKC_OnDragDrop("a", "b", 0, 0), 0);
    EXPECT_EQ(host.Calls(),
              std::vector<hostsim::Call>{});  // none of these asks anything of the host
}

TEST(FrameTest, FillsTheInformationRecordAndLeavesTheRestOfEachField) {
    Host host;
    ASSERT_TRUE(host.Load(PluginUnderTest()));
    char record[320];
    std::memset(record, 0x5A, sizeof record);
    EXPECT_EQ(host.Plugin().BKC_OnPlugInInfo(record), 0);

    const std::string texts[] = {
        "\x83\x65\x83\x8C\x83\x7C\x83\x58\x83\x67",  // テレポスト
        "Varnok",
        "2.6b for DoCoMo",
        // 携帯電話への電子メール送信をサポートします
        "\x8C\x67\x91\xD1\x93\x64\x98\x62\x82\xD6\x82\xCC\x93\x64\x8E\x71\x83\x81\x81\x5B\x83\x8B"
        "\x91\x97\x90\x4D\x82\xF0\x83\x54\x83\x7C\x81\x5B\x83\x67\x82\xB5\x82\xDC\x82\xB7",
    };
    for (int field = 0; field < 4; ++field) {
        const char* start = record + field * 80;
        const std::string& text = texts[field];
        EXPECT_EQ(std::string(start, text.size()), text) << "field " << field;
        EXPECT_EQ(start[text.size()], '\0') << "field " << field;
        for (size_t i = text.size() + 1; i < 80; ++i) {
            ASSERT_EQ(start[i], 0x5A) << "field " << field << " byte " << i;
        }
    }
}

TEST(FrameTest, IgnoresANullInformationRecord) {
    Host host;
    ASSERT_TRUE(host.Load(PluginUnderTest()));
    EXPECT_EQ(host.Plugin().BKC_OnPlugInInfo(nullptr), 0);
}

// A copy of the plug-in under another name keeps its settings beside itself:
// the settings dialog's OK writes them there.
TEST(FrameTest, ACopyNamedWithTwoDotsKeepsItsSettingsBesideItself) {
    const telepost_tests::TempFolder folder("frame");
    const std::string copy = folder / "TELEPOST.old.dll";
    {
        std::ifstream in(PluginUnderTest(), std::ios::binary);
        std::ofstream out(copy, std::ios::binary);
        out << in.rdbuf();
    }
    const std::string ini = folder / "TELEPOST.old.ini";
    {
        Host host;
        ASSERT_TRUE(host.Load(copy));
        HWND owner = host.OpenCompose(Message{});
        User user;
        user.OnDialog([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
        EXPECT_EQ(host.Plugin().BKC_OnPlugInSetup(owner), 1);
        host.CloseCompose(owner);
    }
    EXPECT_EQ(GetPrivateProfileIntA(telepost::kSettingsSection, telepost::kSettingKeys[2], 7,
                                    ini.c_str()),
              0u);
    EXPECT_TRUE(std::ifstream(ini).good());
}

// The settings the plug-in starts with, and those it reads from its INI file
// at start, seen in what a send to a DoCoMo phone does to the body.
struct StartCase {
    const char* name;
    const char* ini;  // null: no INI file
    bool start;       // whether the host calls BKC_OnStart before the send
    std::string body;
};

TEST(FrameTest, ReadsTheSettingsAtStart) {
    // "Ａ①" and a line break: full-width A, circled 1.
    const std::string sent = "\x82\x60\x87\x40\r\n";
    const StartCase cases[] = {
        {"before start: on, on, off", nullptr, false, "A\xF9\x87\r\n"},
        {"no INI file: all off", nullptr, true, sent},
        {"0 and 1", "convert to hankaku=1\nconvert to emoji=0\ndelete crlf=1\n", true, "A\x87\x40"},
        {"2 counts as on", "convert to emoji=2\n", true, "\x82\x60\xF9\x87\r\n"},
    };
    std::string ini = IniUnderTest();
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(ini.c_str());
        if (c.ini) {
            std::ofstream(ini, std::ios::binary) << "[" << telepost::kSettingsSection << "]\n"
                                                 << c.ini;
        }
        Host host;
        ASSERT_TRUE(host.Load(PluginUnderTest()));
        if (c.start) {
            host.Plugin().BKC_OnStart();
        }
        Message message;
        message.headers["To"] = "taro@docomo.ne.jp";
        message.body = sent;
        HWND window = host.OpenCompose(message);
        EXPECT_EQ(host.Plugin().BKC_OnOutgoing(window, 0), 0);
        EXPECT_EQ(host.Body(window), c.body);
        host.CloseCompose(window);
    }
    std::remove(ini.c_str());
}

TEST(UserTest, AnswersMessageBoxesInOrderAndRecordsWhatTheySaid) {
    Host host;
    HWND owner = host.OpenCompose(Message{});
    User user;
    user.AnswerMessageBoxes({IDNO, IDYES});
    EXPECT_EQ(MessageBoxA(owner, "first", "caption", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDNO);
    EXPECT_EQ(MessageBoxA(owner, "second", "caption", MB_YESNO | MB_ICONQUESTION), IDYES);
    // With no answer left, the default button is pressed.
    EXPECT_EQ(MessageBoxA(owner, "third", "caption", MB_OK | MB_ICONQUESTION), IDOK);

    ASSERT_EQ(user.MessageBoxes().size(), 3u);
    EXPECT_EQ(user.MessageBoxes()[0],
              (MessageBoxSeen{owner, "first", "caption", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
                              IDNO}));
    EXPECT_EQ(user.MessageBoxes()[1],
              (MessageBoxSeen{owner, "second", "caption", MB_YESNO | MB_ICONQUESTION, IDYES}));
    EXPECT_EQ(user.MessageBoxes()[2],
              (MessageBoxSeen{owner, "third", "caption", MB_OK | MB_ICONQUESTION, IDOK}));
    host.CloseCompose(owner);
}

}  // namespace
}  // namespace hostsim
