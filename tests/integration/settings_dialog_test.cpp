// The settings dialog through the loaded plug-in, with the user at the
// keyboard: what the boxes show when it opens, what OK, Cancel and the keys
// leave in the INI file and in the settings, and the template as the dialog
// manager builds it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string_view>
#include <string>
#include <tuple>
#include <vector>

#include "codec.h"
#include "host.h"
#include "support/plugin_under_test.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {
namespace {

// The three keys' values in the INI file; null for a key that is absent, and
// no file at all when all three are.
using Stored = std::array<const char*, 3>;
constexpr Stored kNoFile = {nullptr, nullptr, nullptr};
using States = std::array<int, 3>;  // boxes or settings, 0 or 1

enum class Ending { Ok, Cancel, Escape, Enter, CloseButton, OkWithNotificationCode };

struct DialogCase {
    const char* what;
    Stored atStart;             // when the plug-in loads its settings
    Stored atOpening;           // when the dialog opens
    std::vector<int> clicks{};  // boxes clicked
    std::string keys{};         // characters typed
    Ending ending = Ending::Ok;
    States shown;          // the boxes when the dialog opened
    Stored after;          // the INI file after
    States settingsAfter;  // the settings after
};

std::vector<DialogCase> DialogCases() {
    const Stored zeros = {"0", "0", "0"};
    const Stored onOffOn = {"1", "0", "1"};
    return {
        {.what = "no INI file: OK writes 0 three times",
         .atStart = kNoFile,
         .atOpening = kNoFile,
         .ending = Ending::Ok,
         .shown = {0, 0, 0},
         .after = zeros,
         .settingsAfter = {0, 0, 0}},
        {.what = "a stored 2 shows checked and is written as 1",
         .atStart = {"0", "2", "0"},
         .atOpening = {"0", "2", "0"},
         .ending = Ending::Ok,
         .shown = {0, 1, 0},
         .after = {"0", "1", "0"},
         .settingsAfter = {0, 1, 0}},
        {.what = "OK stores the boxes as changed",
         .atStart = onOffOn,
         .atOpening = onOffOn,
         .clicks = {1000, 1001},
         .ending = Ending::Ok,
         .shown = {1, 0, 1},
         .after = {"0", "1", "1"},
         .settingsAfter = {0, 1, 1}},
        {.what = "Cancel after changes",
         .atStart = onOffOn,
         .atOpening = onOffOn,
         .clicks = {1000, 1001, 1002},
         .ending = Ending::Cancel,
         .shown = {1, 0, 1},
         .after = onOffOn,
         .settingsAfter = {1, 0, 1}},
        {.what = "Escape is Cancel",
         .atStart = onOffOn,
         .atOpening = onOffOn,
         .clicks = {1000, 1002},
         .ending = Ending::Escape,
         .shown = {1, 0, 1},
         .after = onOffOn,
         .settingsAfter = {1, 0, 1}},
        {.what = "the close button is Cancel",
         .atStart = onOffOn,
         .atOpening = onOffOn,
         .clicks = {1001},
         .ending = Ending::CloseButton,
         .shown = {1, 0, 1},
         .after = onOffOn,
         .settingsAfter = {1, 0, 1}},
        {.what = "Enter presses OK",
         .atStart = kNoFile,
         .atOpening = kNoFile,
         .clicks = {1002},
         .ending = Ending::Enter,
         .shown = {0, 0, 0},
         .after = {"0", "0", "1"},
         .settingsAfter = {0, 0, 1}},
        {.what = "the mnemonics Z, D and E toggle the boxes",
         .atStart = {"1", "1", "0"},
         .atOpening = {"1", "1", "0"},
         .keys = "zDe",
         .ending = Ending::Ok,
         .shown = {1, 1, 0},
         .after = {"0", "0", "1"},
         .settingsAfter = {0, 0, 1}},
        {.what = "OK with a notification code in the high word",
         .atStart = kNoFile,
         .atOpening = kNoFile,
         .clicks = {1001},
         .ending = Ending::OkWithNotificationCode,
         .shown = {0, 0, 0},
         .after = {"0", "1", "0"},
         .settingsAfter = {0, 1, 0}},
        {.what = "settings unlike the file: the dialog shows the file",
         .atStart = {"1", "1", "1"},
         .atOpening = zeros,
         .ending = Ending::Cancel,
         .shown = {0, 0, 0},
         .after = zeros,
         .settingsAfter = {1, 1, 1}},
        {.what = "settings unlike the file: OK stores the boxes",
         .atStart = {"1", "1", "1"},
         .atOpening = zeros,
         .clicks = {1000},
         .ending = Ending::Ok,
         .shown = {0, 0, 0},
         .after = {"1", "0", "0"},
         .settingsAfter = {1, 0, 0}},
    };
}

std::string IniPath() {
    return IniUnderTest();
}

void Store(const Stored& values) {
    std::string ini = IniPath();
    std::remove(ini.c_str());
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i]) {
            WritePrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[i],
                                       values[i], ini.c_str());
        }
    }
}

// The three keys' values in the INI file, "-" for a key that is absent.
std::array<std::string, 3> Read() {
    std::array<std::string, 3> values;
    for (size_t i = 0; i < values.size(); ++i) {
        char text[32] = {};
        GetPrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[i], "-", text,
                                 sizeof text, IniPath().c_str());
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

// Every dialog test's last check: the dialog ended as the user's action
// meant, with no message box and without coming back to the user still
// open; else what the user saw, in one failure.
void ExpectEndedAsMeant(const User& user) {
    std::ostringstream seen;
    for (const MessageBoxSeen& box : user.MessageBoxes()) {
        seen << "\n  " << box;
    }
    for (const DialogReturned& returned : user.DialogsReturned()) {
        seen << "\n  " << returned;
    }
    EXPECT_TRUE(seen.str().empty()) << "the dialog did not end as the user meant:" << seen.str();
}

class SettingsDialogTest : public testing::Test {
  protected:
    void TearDown() override { std::remove(IniPath().c_str()); }

    void Start(const Stored& values) {
        Store(values);
        std::string error;
        ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
        host_.Plugin().BKC_OnStart();
    }

    // The settings as a send to DoCoMo shows them: "Ａ ●" comes back with
    // the letter half-width, the blank deleted and the circle as an emoji,
    // each when its setting is on.
    States SettingsAsSent() {
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

    void WithDialog(const std::function<void(HWND dialog)>& read);

    Host host_;
};

TEST_F(SettingsDialogTest, ShowsTheFileAndStoresOnlyOnOk) {
    for (const DialogCase& c : DialogCases()) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(c.atStart));
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
                shown[i] = static_cast<int>(
                    SendDlgItemMessageA(dialog, telepost::kSettingBoxes[i], BM_GETCHECK, 0, 0));
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

        ExpectEndedAsMeant(user);
        EXPECT_EQ(dialogs, 1);
        EXPECT_EQ(ownerSeen, owner);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(Read(), Expected(c.after));
        EXPECT_EQ(SettingsAsSent(), c.settingsAfter);
        host_.CloseCompose(owner);
        host_.Unload();
    }
}

// OK on a fresh file writes the keys of the boxes in their order.
TEST_F(SettingsDialogTest, OkWritesTheKeysInOrder) {
    ASSERT_NO_FATAL_FAILURE(Start(kNoFile));
    User user;
    user.OnDialog([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(nullptr), 1);
    ExpectEndedAsMeant(user);
    std::ifstream in(IniPath());
    std::stringstream text;
    text << in.rdbuf();
    std::string file = text.str();
    size_t last = 0;
    for (size_t i = 0; i < telepost::kSettingCount; ++i) {
        if (telepost::kSettingBoxes[i] == telepost::kNoBox) {
            continue;
        }
        const char* setting = telepost::kSettingKeys[i];
        size_t at = file.find(std::string(setting) + "=0");
        ASSERT_NE(at, std::string::npos) << setting << " in\n" << file;
        EXPECT_GT(at, last) << setting;
        last = at;
    }
}

// Every row of the settings table through OK, whatever the row: a setting
// with a box is written as its box shows the stored value (any value other
// than 0 checks it and is written as 1), one without a box is neither
// written nor read back, and keeps in the file what the user wrote there.
// So a row added without a box leaves OK saving as before.
TEST_F(SettingsDialogTest, EveryRowSurvivesOk) {
    for (const char* value : {"0", "1", "2"}) {
        SCOPED_TRACE(std::string("every key at ") + value);
        ASSERT_NO_FATAL_FAILURE(Start(kNoFile));
        for (const char* key : telepost::kSettingKeys) {
            WritePrivateProfileStringA(telepost::kSettingsSection, key, value, IniPath().c_str());
        }
        User user;
        int dialogs = 0;
        user.OnDialog([&](HWND dialog) {
            ++dialogs;
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(nullptr), 1);
        EXPECT_EQ(dialogs, 1);
        ExpectEndedAsMeant(user);
        for (size_t i = 0; i < telepost::kSettingCount; ++i) {
            const bool box = telepost::kSettingBoxes[i] != telepost::kNoBox;
            char text[32] = {};
            GetPrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[i], "-",
                                     text, sizeof text, IniPath().c_str());
            EXPECT_EQ(std::string(text), !box || value[0] == '0' ? value : "1")
                << telepost::kSettingKeys[i];
        }
        host_.Unload();
    }
}

// Every value the file can hold for a setting with a box, in a file the
// profile functions read and in one in UTF-8 the plug-in reads itself: the
// box shows it as a send acts on it (any value but 0 is on), and OK without
// a change keeps what a send does, writing 1 for on and 0 for off.
TEST_F(SettingsDialogTest, EveryValueIsShownAsThePluginActsOnIt) {
    struct Value {
        const char* text;  // null: the key is absent
        int on;            // -1: as the system reads it, whatever that is
    };
    const Value values[] = {
        {"0", 0},      {"1", 1},          {"-1", 1},           {"2", 1},
        {nullptr, 0},  {"2147483647", 1}, {"99999999999", -1}, {" 1 ", 1},
        {"\t-1\t", 1}, {"+1", -1},        {"-0", 0},           {"00", 0},
    };
    const char* const forms[] = {"", "; \xE8\xA8\xAD\xE5\xAE\x9A\r\n"};  // ; 設定, in UTF-8
    for (size_t row = 0; row < telepost::kSettingCount; ++row) {
        if (telepost::kSettingBoxes[row] == telepost::kNoBox) {
            continue;
        }
        ASSERT_LT(row, std::tuple_size_v<States>) << "SettingsAsSent knows no such setting";
        for (const char* form : forms) {
            for (const Value& value : values) {
                SCOPED_TRACE(std::string(telepost::kSettingKeys[row]) + "=" +
                             (value.text ? value.text : "(absent)") + (form[0] ? " in UTF-8" : ""));
                std::string file = std::string(form) + "[k-tai]\r\n";
                if (value.text) {
                    file += std::string(telepost::kSettingKeys[row]) + "=" + value.text + "\r\n";
                }
                std::remove(IniPath().c_str());
                std::ofstream(IniPath(), std::ios::binary) << file;
                std::string error;
                ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
                host_.Plugin().BKC_OnStart();
                const int acted = SettingsAsSent()[row];
                if (value.on >= 0) {
                    EXPECT_EQ(acted, value.on);
                }
                User user;
                int shown = -1;
                user.OnDialog([&](HWND dialog) {
                    shown = static_cast<int>(SendDlgItemMessageA(
                        dialog, telepost::kSettingBoxes[row], BM_GETCHECK, 0, 0));
                    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                });
                EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(nullptr), 1);
                ExpectEndedAsMeant(user);
                EXPECT_EQ(shown, acted);
                EXPECT_EQ(SettingsAsSent()[row], acted);
                char stored[32] = {};
                GetPrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[row],
                                         "-", stored, sizeof stored, IniPath().c_str());
                EXPECT_STREQ(stored, acted ? "1" : "0");
                host_.Unload();
            }
        }
    }
}

// A dialog test whose OK cannot save (a folder in the INI file's place)
// ends all the same, and says why. The dialog shows why in a message box and
// stays open; the user does not press OK again in it, but records that it
// came back and cancels it, and the check every dialog test makes fails with
// the box's text.
TEST_F(SettingsDialogTest, ADialogThatCannotSaveEndsAndItsTestSaysWhy) {
    ASSERT_NO_FATAL_FAILURE(Start(kNoFile));
    std::filesystem::create_directory(IniPath());
    HWND owner = host_.OpenCompose(Message{});
    User user;
    int acted = 0;
    user.OnDialog([&](HWND dialog) {
        ++acted;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });

    EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(owner), 1);

    EXPECT_EQ(acted, 1);
    ASSERT_EQ(user.DialogsReturned().size(), 1u);
    const DialogReturned& returned = user.DialogsReturned().front();
    EXPECT_EQ(returned.title, "\x90\xDD\x92\xE8");  // 設定
    EXPECT_EQ(returned.boxes, user.MessageBoxes());
    ASSERT_EQ(returned.boxes.size(), 1u);
    EXPECT_EQ(returned.boxes.front().owner, returned.dialog);
    const std::string notSaved = "設定を保存できませんでした。\n";
    EXPECT_EQ(ShownCp932(returned.boxes.front().text).rfind(notSaved, 0), 0u)
        << ShownCp932(returned.boxes.front().text);
    EXPECT_NONFATAL_FAILURE(ExpectEndedAsMeant(user), notSaved);
    EXPECT_TRUE(std::filesystem::is_directory(IniPath()));
    host_.CloseCompose(owner);
    std::filesystem::remove(IniPath());
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

// A place and size in dialog units, as a template gives them.
struct DialogUnits {
    int x, y, cx, cy;
};

// A template rectangle in pixels, the corner and the size mapped apart as the
// dialog manager places a control.
RECT Pixels(HWND dialog, DialogUnits units) {
    RECT mapped{units.x, units.y, units.cx, units.cy};
    MapDialogRect(dialog, &mapped);
    return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

struct TemplateControl {
    int id;
    LONG style;
    const char* text;
    DialogUnits units;
};

// The controls in template order, which is also the tab order.
const TemplateControl kControls[] = {
    {.id = 1, .style = 0x50010001, .text = "OK", .units = {130, 7, 50, 14}},
    {.id = 2,
     .style = 0x50010000,
     .text = "\xB7\xAC\xDD\xBE\xD9",  // ｷｬﾝｾﾙ
     .units = {130, 23, 50, 14}},
    {.id = 1000,
     .style = 0x50010003,
     // 全角英数字を半角へ変換(&Z)
     .text =
         "\x91\x53\x8A\x70\x89\x70\x90\x94\x8E\x9A\x82\xF0\x94\xBC\x8A\x70\x82\xD6\x95\xCF\x8A\xB7"
         "(&Z)",
     .units = {7, 7, 115, 9}},
    {.id = 1001,
     .style = 0x50010003,
     // &DoCoMo絵文字に変換
     .text = "&DoCoMo\x8A\x47\x95\xB6\x8E\x9A\x82\xC9\x95\xCF\x8A\xB7",
     .units = {7, 20, 115, 9}},
    {.id = 1002,
     .style = 0x50010003,
     // 空白・改行を削除(&E)
     .text = "\x8B\xF3\x94\x92\x81\x45\x89\xFC\x8D\x73\x82\xF0\x8D\xED\x8F\x9C(&E)",
     .units = {7, 33, 103, 10}},
};

// The template's controls as the dialog manager built them, read with the
// same calls on both targets; the rectangles in the dialog's client area.
std::vector<ControlSeen> ControlsOf(HWND dialog) {
    std::vector<ControlSeen> seen;
    for (const TemplateControl& t : kControls) {
        HWND control = GetDlgItem(dialog, t.id);
        ControlSeen c{t.id, ClassOf(control), GetWindowLongA(control, GWL_STYLE), TextOf(control)};
        GetWindowRect(control, &c.rect);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&c.rect), 2);
        seen.push_back(c);
    }
    return seen;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The key a control's text marks with "&", upper case; 0 for none. "&&" is a
// plain ampersand. A byte-wise scan is safe in code page 932, whose trail
// bytes are never "&".
char Mnemonic(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') {
            continue;
        }
        if (text[i + 1] != '&') {
            return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
        }
        ++i;
    }
    return 0;
}

// Opens the settings dialog through the plug-in, owned by a compose window,
// lets `read` look at it, and cancels it.
void SettingsDialogTest::WithDialog(const std::function<void(HWND dialog)>& read) {
    ASSERT_NO_FATAL_FAILURE(Start(kNoFile));
    HWND owner = host_.OpenCompose(Message{});
    User user;
    int dialogs = 0;
    user.OnDialog([&](HWND dialog) {
        ++dialogs;
        read(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(owner), 1);
    ExpectEndedAsMeant(user);
    EXPECT_EQ(dialogs, 1);
    host_.CloseCompose(owner);
}

// The dialog as the dialog manager built it from the template.
TEST_F(SettingsDialogTest, TheDialogIsBuiltFromItsTemplate) {
    std::string title, className;
    LONG style = 0;
    RECT client{}, clientExpected{};
    std::vector<ControlSeen> seen, expected;
    std::vector<int> tabOrder;
    ASSERT_NO_FATAL_FAILURE(WithDialog([&](HWND dialog) {
        title = TextOf(dialog);
        className = ClassOf(dialog);
        style = GetWindowLongA(dialog, GWL_STYLE);
        GetClientRect(dialog, &client);
        clientExpected = Pixels(dialog, {0, 0, 187, 73});
        for (const TemplateControl& t : kControls) {
            expected.push_back({t.id, "Button", t.style, t.text, Pixels(dialog, t.units)});
        }
        seen = ControlsOf(dialog);
        HWND control = GetDlgItem(dialog, IDOK);
        for (size_t i = 0; i < std::size(kControls); ++i) {
            control = GetNextDlgTabItem(dialog, control, FALSE);
            tabOrder.push_back(GetDlgCtrlID(control));
        }
    }));

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
}

// What the exact layout does not say by itself: as built, every control lies
// within the dialog's client area, none covers another, and no two controls
// answer to the same key.
TEST_F(SettingsDialogTest, TheControlsFitApartWithTheirOwnKeys) {
    RECT client{};
    std::vector<ControlSeen> controls;
    ASSERT_NO_FATAL_FAILURE(WithDialog([&](HWND dialog) {
        GetClientRect(dialog, &client);
        controls = ControlsOf(dialog);
    }));

    std::map<char, int> keys;  // each mnemonic and the control it marks
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlSeen& c = controls[i];
        SCOPED_TRACE(testing::Message() << c);
        EXPECT_TRUE(Inside(c.rect, client));
        for (size_t j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(Overlap(c.rect, controls[j].rect)) << "covers " << controls[j];
        }
        if (char key = Mnemonic(c.text)) {
            auto [first, fresh] = keys.emplace(key, c.id);
            EXPECT_TRUE(fresh) << "&" << key << " marks " << first->second << " already";
        }
    }
    EXPECT_FALSE(keys.empty());  // the texts were read, marks and all
}

// The template's own bytes, up to its font: compiled as Japanese, with its
// texts turned from code page 932 into the right UTF-16.
TEST_F(SettingsDialogTest, TheTemplateIsJapaneseAndNamesItsFont) {
    ASSERT_NO_FATAL_FAILURE(Start(kNoFile));
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
    word(5);                                      // five controls
    for (unsigned value : {0u, 0u, 187u, 73u}) {  // position and size
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
