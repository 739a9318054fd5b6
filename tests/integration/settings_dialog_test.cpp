// The settings dialog through the loaded plug-in, with the user at the
// keyboard: what the boxes show when it opens, what OK, Cancel and the keys
// leave in the INI file and in the settings, and the template as the dialog
// manager builds it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>
#include <string>
#include <vector>

#include "host.h"
#include "host/settings.h"
#include "user.h"

namespace hostsim {
namespace {

constexpr int kBoxes[] = {1000, 1001, 1002};  // hankaku, emoji, delete crlf

// The three keys' values in the INI file; null for a key that is absent, and
// no file at all when all three are.
using Stored = std::array<const char*, 3>;
constexpr Stored kNoFile = {nullptr, nullptr, nullptr};
using States = std::array<int, 3>;  // boxes or settings, 0 or 1

enum class Ending { Ok, Cancel, Escape, Enter, CloseButton, OkWithNotificationCode };

struct DialogCase {
    const char* what;
    Stored atStart;           // when the plug-in loads its settings
    Stored atOpening;         // when the dialog opens
    std::vector<int> clicks;  // boxes clicked
    std::string keys;         // characters typed
    Ending ending;
    States shown;          // the boxes when the dialog opened
    Stored after;          // the INI file after
    States settingsAfter;  // the settings after
};

std::vector<DialogCase> DialogCases() {
    const Stored zeros = {"0", "0", "0"};
    const Stored onOffOn = {"1", "0", "1"};
    return {
        {"no INI file: OK writes 0 three times",
         kNoFile,
         kNoFile,
         {},
         "",
         Ending::Ok,
         {0, 0, 0},
         zeros,
         {0, 0, 0}},
        {"a stored 2 shows checked and is written as 1",
         {"0", "2", "0"},
         {"0", "2", "0"},
         {},
         "",
         Ending::Ok,
         {0, 1, 0},
         {"0", "1", "0"},
         {0, 1, 0}},
        {"OK stores the boxes as changed",
         onOffOn,
         onOffOn,
         {1000, 1001},
         "",
         Ending::Ok,
         {1, 0, 1},
         {"0", "1", "1"},
         {0, 1, 1}},
        {"Cancel after changes",
         onOffOn,
         onOffOn,
         {1000, 1001, 1002},
         "",
         Ending::Cancel,
         {1, 0, 1},
         onOffOn,
         {1, 0, 1}},
        {"Escape is Cancel",
         onOffOn,
         onOffOn,
         {1000, 1002},
         "",
         Ending::Escape,
         {1, 0, 1},
         onOffOn,
         {1, 0, 1}},
        {"the close button is Cancel",
         onOffOn,
         onOffOn,
         {1001},
         "",
         Ending::CloseButton,
         {1, 0, 1},
         onOffOn,
         {1, 0, 1}},
        {"Enter presses OK",
         kNoFile,
         kNoFile,
         {1002},
         "",
         Ending::Enter,
         {0, 0, 0},
         {"0", "0", "1"},
         {0, 0, 1}},
        {"the mnemonics Z, D and E toggle the boxes",
         {"1", "1", "0"},
         {"1", "1", "0"},
         {},
         "zDe",
         Ending::Ok,
         {1, 1, 0},
         {"0", "0", "1"},
         {0, 0, 1}},
        {"OK with a notification code in the high word",
         kNoFile,
         kNoFile,
         {1001},
         "",
         Ending::OkWithNotificationCode,
         {0, 0, 0},
         {"0", "1", "0"},
         {0, 1, 0}},
        {"settings unlike the file: the dialog shows the file",
         {"1", "1", "1"},
         zeros,
         {},
         "",
         Ending::Cancel,
         {0, 0, 0},
         zeros,
         {1, 1, 1}},
        {"settings unlike the file: OK stores the boxes",
         {"1", "1", "1"},
         zeros,
         {1000},
         "",
         Ending::Ok,
         {0, 0, 0},
         {"1", "0", "0"},
         {1, 0, 0}},
    };
}

std::string IniPath() {
    return IniBeside(PluginBesideProgram());
}

void Store(const Stored& values) {
    std::string ini = IniPath();
    std::remove(ini.c_str());
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i]) {
            WritePrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[i].key,
                                       values[i], ini.c_str());
        }
    }
}

// The three keys' values in the INI file, "-" for a key that is absent.
std::array<std::string, 3> Read() {
    std::array<std::string, 3> values;
    for (size_t i = 0; i < values.size(); ++i) {
        char text[32] = {};
        GetPrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[i].key, "-",
                                 text, sizeof text, IniPath().c_str());
        values[i] = text;
    }
    return values;
}

std::array<std::string, 3> Expected(const Stored& values) {
    std::array<std::string, 3> texts;
    for (size_t i = 0; i < values.size(); ++i) {
        texts[i] = values[i] ? values[i] : "-";
    }
    return texts;
}

// Presses in the dialog, once its own loop runs, what ends it.
void End(HWND dialog, Ending ending) {
    switch (ending) {
        case Ending::Ok:
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            break;
        case Ending::Cancel:
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            break;
        case Ending::Escape:
            PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Ending::Enter:
            PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
            break;
        case Ending::CloseButton:
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Ending::OkWithNotificationCode:
            PostMessageA(dialog, WM_COMMAND, MAKELONG(IDOK, 1), 0);
            break;
    }
}

class SettingsDialogTest : public testing::Test {
  protected:
    void TearDown() override { std::remove(IniPath().c_str()); }

    void Start(const Stored& values) {
        Store(values);
        std::string error;
        ASSERT_TRUE(host_.Load(PluginBesideProgram(), &error)) << error;
        host_.Plugin().BKC_OnStart();
    }

    // The settings as a send to DoCoMo shows them: "Ａ ●" comes back with
    // the letter half-width, the blank deleted and the circle as an emoji,
    // each when its setting is on.
    States Settings() {
        Message message;
        message.headers = {{"To", "taro@docomo.ne.jp"}};
        message.body = "\x82\x60 \x81\x9C";
        HWND window = host_.OpenCompose(message);
        host_.Plugin().BKC_OnOutgoing(window, 0);
        std::string body = host_.Body(window);
        host_.CloseCompose(window);
        return {body.find('A') != std::string::npos, body.find("\xF9\xA3") != std::string::npos,
                body.find(' ') == std::string::npos};
    }

    Host host_;
};

TEST_F(SettingsDialogTest, ShowsTheFileAndStoresOnlyOnOk) {
    for (const DialogCase& c : DialogCases()) {
        SCOPED_TRACE(c.what);
        Start(c.atStart);
        Store(c.atOpening);
        HWND owner = host_.OpenCompose(Message{});
        User user;
        States shown = {-1, -1, -1};
        HWND ownerSeen = nullptr;
        int dialogs = 0;
        user.OnDialog([&](HWND dialog) {
            ++dialogs;
            ownerSeen = GetWindow(dialog, GW_OWNER);
            for (size_t i = 0; i < shown.size(); ++i) {
                shown[i] =
                    static_cast<int>(SendDlgItemMessageA(dialog, kBoxes[i], BM_GETCHECK, 0, 0));
            }
            for (int box : c.clicks) {
                PostMessageA(GetDlgItem(dialog, box), BM_CLICK, 0, 0);
            }
            // Typed where the focus starts: the first tab stop, OK.
            for (char key : c.keys) {
                PostMessageA(GetDlgItem(dialog, IDOK), WM_CHAR, static_cast<WPARAM>(key), 0);
            }
            End(dialog, c.ending);
        });

        EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(owner), 1);

        EXPECT_EQ(dialogs, 1);
        EXPECT_EQ(ownerSeen, owner);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(Read(), Expected(c.after));
        EXPECT_EQ(Settings(), c.settingsAfter);
        host_.CloseCompose(owner);
        host_.Unload();
    }
}

// OK on a fresh file writes the keys in their order.
TEST_F(SettingsDialogTest, OkWritesTheKeysInOrder) {
    Start(kNoFile);
    User user;
    user.OnDialog([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(nullptr), 1);
    std::ifstream in(IniPath());
    std::stringstream text;
    text << in.rdbuf();
    std::string file = text.str();
    size_t last = 0;
    for (const telepost::SettingKey& setting : telepost::kSettingKeys) {
        size_t at = file.find(std::string(setting.key) + "=0");
        ASSERT_NE(at, std::string::npos) << setting.key << " in\n" << file;
        EXPECT_GT(at, last) << setting.key;
        last = at;
    }
}

struct ControlSeen {
    int id = 0;
    std::string className;
    LONG style = 0;
    std::string text;
    RECT rect{};  // pixels in the dialog's client area

    bool operator==(const ControlSeen& o) const {
        return id == o.id && className == o.className && style == o.style && text == o.text &&
               rect.left == o.rect.left && rect.top == o.rect.top && rect.right == o.rect.right &&
               rect.bottom == o.rect.bottom;
    }
};

std::ostream& operator<<(std::ostream& out, const ControlSeen& c) {
    return out << c.id << " " << c.className << " 0x" << std::hex << c.style << std::dec << " \""
               << c.text << "\" (" << c.rect.left << "," << c.rect.top << ")-(" << c.rect.right
               << "," << c.rect.bottom << ")";
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A template rectangle in pixels, the corner and the size mapped apart as the
// dialog manager places a control.
RECT Pixels(HWND dialog, int x, int y, int cx, int cy) {
    RECT mapped{x, y, cx, cy};
    MapDialogRect(dialog, &mapped);
    return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

struct TemplateControl {
    int id;
    LONG style;
    const char* text;
    int x, y, cx, cy;
};

// The controls in template order, which is also the tab order.
const TemplateControl kControls[] = {
    {1, 0x50010001, "OK", 130, 7, 50, 14},
    {2, 0x50010000, "\xB7\xAC\xDD\xBE\xD9", 130, 23, 50, 14},  // ｷｬﾝｾﾙ
    // 全角英数字を半角へ変換(&Z)
    {1000, 0x50010003,
     "\x91\x53\x8A\x70\x89\x70\x90\x94\x8E\x9A\x82\xF0\x94\xBC\x8A\x70\x82\xD6\x95\xCF\x8A\xB7"
     "(&Z)",
     7, 7, 115, 9},
    // &DoCoMo絵文字に変換
    {1001, 0x50010003, "&DoCoMo\x8A\x47\x95\xB6\x8E\x9A\x82\xC9\x95\xCF\x8A\xB7", 7, 20, 115, 9},
    // 空白・改行を削除(&E)
    {1002, 0x50010003, "\x8B\xF3\x94\x92\x81\x45\x89\xFC\x8D\x73\x82\xF0\x8D\xED\x8F\x9C(&E)", 7,
     33, 103, 10},
};

// The dialog as the dialog manager built it from the template, read with
// the same calls on both targets.
TEST_F(SettingsDialogTest, TheDialogIsBuiltFromItsTemplate) {
    Start(kNoFile);
    HWND owner = host_.OpenCompose(Message{});
    User user;
    std::string title, className;
    LONG style = 0;
    RECT client{}, clientExpected{};
    std::vector<ControlSeen> seen, expected;
    std::vector<int> tabOrder;
    user.OnDialog([&](HWND dialog) {
        title = TextOf(dialog);
        className = ClassOf(dialog);
        style = GetWindowLongA(dialog, GWL_STYLE);
        GetClientRect(dialog, &client);
        clientExpected = Pixels(dialog, 0, 0, 187, 73);
        for (const TemplateControl& t : kControls) {
            expected.push_back(
                {t.id, "Button", t.style, t.text, Pixels(dialog, t.x, t.y, t.cx, t.cy)});
            HWND control = GetDlgItem(dialog, t.id);
            ControlSeen c{t.id, ClassOf(control), GetWindowLongA(control, GWL_STYLE),
                          TextOf(control)};
            GetWindowRect(control, &c.rect);
            MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&c.rect), 2);
            seen.push_back(c);
        }
        HWND control = GetDlgItem(dialog, IDOK);
        for (size_t i = 0; i < std::size(kControls); ++i) {
            control = GetNextDlgTabItem(dialog, control, FALSE);
            tabOrder.push_back(GetDlgCtrlID(control));
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });

    EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(owner), 1);

    EXPECT_EQ(title, "\x90\xDD\x92\xE8");  // 設定
    EXPECT_EQ(className, "#32770");
    // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, and
    // what the dialog manager adds to every dialog: WS_CLIPSIBLINGS,
    // DS_3DLOOK, and WS_VISIBLE once shown.
    constexpr DWORD kAddedByDialogManager = 0x04000000 | 0x4 | WS_VISIBLE;
    EXPECT_EQ(static_cast<DWORD>(style) & ~kAddedByDialogManager, 0x80C800C0u);
    EXPECT_EQ(client.right, clientExpected.right);
    EXPECT_EQ(client.bottom, clientExpected.bottom);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(tabOrder, (std::vector<int>{2, 1000, 1001, 1002, 1}));
    host_.CloseCompose(owner);
}

// The template's own bytes, up to its font: compiled as Japanese, with its
// texts turned from code page 932 into the right UTF-16.
TEST_F(SettingsDialogTest, TheTemplateIsJapaneseAndNamesItsFont) {
    Start(kNoFile);
    HMODULE module = host_.Module();
    HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(101),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(found, nullptr);
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    std::vector<unsigned char> head(bytes, bytes + SizeofResource(module, found));

    std::vector<unsigned char> expected;
    auto word = [&](unsigned value) {
        expected.push_back(static_cast<unsigned char>(value & 0xFF));
        expected.push_back(static_cast<unsigned char>(value >> 8));
    };
    auto text = [&](std::u16string_view units) {
        for (char16_t unit : units) {
            word(unit);
        }
        word(0);
    };
    word(0x00C0);  // the style, low word first
    word(0x80C8);
    word(0);  // no extended style
    word(0);
    word(5);                                  // five controls
    for (unsigned value : {0, 0, 187, 73}) {  // position and size
        word(value);
    }
    word(0);                                               // no menu
    word(0);                                               // the standard dialog class
    text(u"\u8A2D\u5B9A");                                 // 設定
    word(9);                                               // points
    text(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");  // ＭＳ Ｐゴシック
    ASSERT_GE(head.size(), expected.size());
    head.resize(expected.size());
    EXPECT_EQ(head, expected);
}

}  // namespace
}  // namespace hostsim
