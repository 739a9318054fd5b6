// The compose-window commands through the loaded plug-in: what the menu
// callback adds to a compose window's menu and registers with the host, and
// what each command, chosen from that menu, does to the message.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host.h"
#include "support/plugin_under_test.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {
namespace {

constexpr int kHostItems = 1;        // the host's own items in each pop-up menu
constexpr int kFirstPluginItem = 2;  // after the host's item and the separator

struct CommandText {
    const char* description;
    const char* label;
};

// The four commands, in the order they are registered and listed.
const CommandText kCommands[] = {
    {// 現在のメッセージを全角英数字から半角英数字へ変換します
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xF0\x91\x53\x8A\x70"
     "\x89\x70\x90\x94\x8E\x9A\x82\xA9\x82\xE7\x94\xBC\x8A\x70\x89\x70\x90\x94\x8E\x9A\x82\xD6"
     "\x95\xCF\x8A\xB7\x82\xB5\x82\xDC\x82\xB7",
     "\x91\x53\x8A\x70\x82\xA9\x82\xE7\x94\xBC\x8A\x70\x82\xD6"},  // 全角から半角へ
    {// 現在のメッセージをi-mode文字へ変換します
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xF0"
     "i-mode\x95\xB6\x8E\x9A\x82\xD6\x95\xCF\x8A\xB7\x82\xB5\x82\xDC\x82\xB7",
     "i-mode\x95\xB6\x8E\x9A\x82\xD6"},  // i-mode文字へ
    {// 現在のメッセージに２バイト文字が含まれているかチェックします
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xC9\x82\x51\x83\x6F"
     "\x83\x43\x83\x67\x95\xB6\x8E\x9A\x82\xAA\x8A\xDC\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xE9"
     "\x82\xA9\x83\x60\x83\x46\x83\x62\x83\x4E\x82\xB5\x82\xDC\x82\xB7",
     "\x91\x53\x8A\x70\x83\x60\x83\x46\x83\x62\x83\x4E"},  // 全角チェック
    {// 現在のメッセージの空白および改行コードを削除します
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xCC\x8B\xF3\x94\x92"
     "\x82\xA8\x82\xE6\x82\xD1\x89\xFC\x8D\x73\x83\x52\x81\x5B\x83\x68\x82\xF0\x8D\xED\x8F\x9C"
     "\x82\xB5\x82\xDC\x82\xB7",
     "\x8B\xF3\x94\x92\x81\x45\x89\xFC\x8D\x73\x8D\xED\x8F\x9C"},  // 空白・改行削除
};
enum CommandIndex { kHankaku, kEmoji, kCheck, kDeleteBlanks };

// メッセージに全角文字が含まれています。
const char kNotice[] =
    "\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xC9\x91\x53\x8A\x70\x95\xB6\x8E\x9A\x82\xAA"
    "\x8A\xDC\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42";

std::string MenuText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

class CommandsTest : public testing::Test {
  protected:
    // The plug-in loaded with all three settings off: the commands act
    // whatever the settings say.
    void SetUp() override {
        std::string ini = IniPath();
        for (const char* setting : telepost::kSettingKeys) {
            WritePrivateProfileStringA(telepost::kSettingsSection, setting, "0", ini.c_str());
        }
        std::string error;
        ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
        host_.Plugin().BKC_OnStart();
    }
    void TearDown() override { std::remove(IniPath().c_str()); }

    static std::string IniPath() { return IniUnderTest(); }

    // Opens a compose window and builds its menu, as the host does.
    HWND OpenWithMenu(const std::string& body) {
        HWND window = host_.OpenCompose(Message{{}, body});
        EXPECT_EQ(host_.Plugin().BKC_OnMenuInit(window, host_.MenuBar(window),
                                                telepost::kComposeMenuType),
                  0);
        return window;
    }

    // Chooses the plug-in's command from the window's fourth menu.
    void Choose(HWND window, CommandIndex command) {
        HMENU popup = GetSubMenu(host_.MenuBar(window), telepost::kCommandMenuPosition);
        UINT id = GetMenuItemID(popup, kFirstPluginItem + command);
        ASSERT_TRUE(host_.RunCommand(window, static_cast<int>(id))) << "no command " << id;
    }

    Host host_;
};

TEST_F(CommandsTest, OtherMenuTypesAreLeftAlone) {
    HWND window = host_.OpenCompose(Message{});
    HMENU bar = host_.MenuBar(window);
    for (int type : {0, 9, 11}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(host_.Plugin().BKC_OnMenuInit(window, bar, type), 0);
        EXPECT_EQ(host_.Calls(), std::vector<hostsim::Call>{});
        for (int i = 0; i < GetMenuItemCount(bar); ++i) {
            EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, i)), kHostItems) << "menu " << i;
        }
    }
}

// A menu bar without a fourth pop-up menu: the commands are registered all
// the same, and nothing is added anywhere.
TEST_F(CommandsTest, ABarWithoutAFourthMenuStillGetsTheRegistrations) {
    HWND window = host_.OpenCompose(Message{});
    HMENU bar = CreateMenu();
    for (int i = 0; i < telepost::kCommandMenuPosition; ++i) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(100 + i), "item");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "menu");
    }
    EXPECT_EQ(host_.Plugin().BKC_OnMenuInit(window, bar, telepost::kComposeMenuType), 0);
    EXPECT_EQ(host_.Commands().size(), 4u);
    ASSERT_EQ(GetMenuItemCount(bar), telepost::kCommandMenuPosition);
    for (int i = 0; i < telepost::kCommandMenuPosition; ++i) {
        EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, i)), kHostItems) << "menu " << i;
    }
    DestroyMenu(bar);
}

// Each compose window's menu gets its own separator and four items, bound to
// the identifiers the host gave for that window's registrations.
TEST_F(CommandsTest, EachComposeWindowGetsItsOwnFourCommands) {
    // What the fourth menu holds at each registration: the separator is in,
    // no command's item yet.
    std::vector<int> itemsAtRegistration;
    HWND building = nullptr;
    host_.OnRegister([&](const Command&) {
        HMENU popup = GetSubMenu(host_.MenuBar(building), telepost::kCommandMenuPosition);
        itemsAtRegistration.push_back(GetMenuItemCount(popup));
    });
    HWND first = building = host_.OpenCompose(Message{});
    EXPECT_EQ(
        host_.Plugin().BKC_OnMenuInit(first, host_.MenuBar(first), telepost::kComposeMenuType), 0);
    HWND second = building = host_.OpenCompose(Message{});
    EXPECT_EQ(
        host_.Plugin().BKC_OnMenuInit(second, host_.MenuBar(second), telepost::kComposeMenuType),
        0);
    EXPECT_EQ(itemsAtRegistration, std::vector<int>(8, kFirstPluginItem));

    std::vector<Call> registrations;
    for (int window = 0; window < 2; ++window) {
        for (const CommandText& command : kCommands) {
            registrations.push_back({"BKA_RegisterCommand",
                                     nullptr,
                                     {},
                                     command.description,
                                     telepost::kComposeMenuType});
        }
    }
    EXPECT_EQ(host_.Calls(), registrations);
    ASSERT_EQ(host_.Commands().size(), 8u);

    int registered = 0;
    for (HWND window : {first, second}) {
        HMENU bar = host_.MenuBar(window);
        for (int i = 0; i < GetMenuItemCount(bar); ++i) {
            if (i != telepost::kCommandMenuPosition) {
                EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, i)), kHostItems) << "menu " << i;
            }
        }
        HMENU popup = GetSubMenu(bar, telepost::kCommandMenuPosition);
        ASSERT_EQ(GetMenuItemCount(popup), kFirstPluginItem + 4);
        EXPECT_TRUE(GetMenuState(popup, kHostItems, MF_BYPOSITION) & MF_SEPARATOR);
        for (int c = 0; c < 4; ++c, ++registered) {
            int position = kFirstPluginItem + c;
            EXPECT_EQ(MenuText(popup, position), kCommands[c].label);
            EXPECT_FALSE(GetMenuState(popup, static_cast<UINT>(position), MF_BYPOSITION) &
                         (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED));
            EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, position)),
                      host_.Commands()[static_cast<size_t>(registered)].id);
            EXPECT_EQ(host_.Commands()[static_cast<size_t>(registered)].windowKind,
                      telepost::kComposeMenuType);
        }
    }
}

struct CommandCase {
    const char* what;
    CommandIndex command;
    std::string text;
    std::string result;   // the text handed back; for the check, the text left
    bool notice = false;  // the check's message box shown
};

std::vector<CommandCase> CommandCases() {
    const std::string kana = "\x82\xA0\x82\xA2\x82\xA4";  // あいう
    std::string manyDoubleBytes;
    for (int i = 0; i < 100; ++i) {
        manyDoubleBytes += kana;
    }
    return {
        {"full-width to half-width", kHankaku, "\x82\x60\x82\x82\x82\x50 x", "Ab1 x"},  // Ａｂ１
        {"i-mode characters", kEmoji, "\x81\x9C!!!", "\xF9\xA3\xF9\xA9!"},              // ●!!!
        {"blanks and line breaks", kDeleteBlanks, " a\tb\r\nc ", "abc"},
        {"nothing to change is still handed back", kHankaku, "abc", "abc"},
        {"an empty message to half-width", kHankaku, "", ""},
        {"an empty message to i-mode characters", kEmoji, "", ""},
        {"an empty message without blanks", kDeleteBlanks, "", ""},
        {"the check on an empty message", kCheck, "", ""},
        {"the check on ASCII and half-width katakana", kCheck, "abc \xB1\xB2\xDF!", ""},
        {"the check on a lead byte before the end", kCheck, "abc\x82", ""},
        {"the check on a lead byte before a line feed", kCheck,
         "\x82\x0A"
         "abc",
         ""},
        {"the check going on from the byte after a failed pair", kCheck, "\x82\x0A\x82\xA0", "",
         true},
        {"the check on a trail byte that opens a pair", kCheck, "\xB1\x81\x40", "", true},
        {"the check on many double-byte characters", kCheck, manyDoubleBytes, "", true},
    };
}

// Chosen from the menu, the conversions hand the text back every time, and
// the check shows one notice or none and never hands the text back.
TEST_F(CommandsTest, CommandsActOnTheMessageWhateverTheSettings) {
    for (const CommandCase& c : CommandCases()) {
        SCOPED_TRACE(c.what);
        HWND window = OpenWithMenu(c.text);
        User user;
        host_.ClearCalls();

        ASSERT_NO_FATAL_FAILURE(Choose(window, c.command));

        std::vector<Call> expected = {{"BKA_CompGetText", window, {}, {}, 260}};
        std::vector<MessageBoxSeen> notices;
        if (c.command == kCheck) {
            EXPECT_EQ(host_.Body(window), c.text);
            if (c.notice) {
                notices.push_back(
                    {window, kNotice, telepost::kPluginName, MB_OK | MB_ICONQUESTION, IDOK});
            }
        } else {
            expected.push_back({"BKA_CompSetText", window, {}, c.result, 0});
            EXPECT_EQ(host_.Body(window), c.result);
        }
        EXPECT_EQ(host_.Calls(), expected);
        EXPECT_EQ(user.MessageBoxes(), notices);
        host_.CloseCompose(window);
    }
}

// A host that lends no message text: every command asks once and then
// leaves the window as it was, handing nothing back and showing nothing.
TEST_F(CommandsTest, CommandsLeaveTheWindowAloneWhenTheHostLendsNoText) {
    const std::string text = "\x82\x60 a\r\n";  // Ａ, a blank and a line break
    host_.LendNoText(true);
    for (CommandIndex command : {kHankaku, kEmoji, kCheck, kDeleteBlanks}) {
        SCOPED_TRACE(kCommands[command].label);
        HWND window = OpenWithMenu(text);
        User user;
        host_.ClearCalls();

        ASSERT_NO_FATAL_FAILURE(Choose(window, command));

        EXPECT_EQ(host_.Calls(), (std::vector<Call>{{"BKA_CompGetText", window, {}, {}, 260}}));
        EXPECT_EQ(host_.Body(window), text);
        EXPECT_EQ(user.MessageBoxes(), std::vector<hostsim::MessageBoxSeen>{});
        host_.CloseCompose(window);
    }
}

}  // namespace
}  // namespace hostsim
