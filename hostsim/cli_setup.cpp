// hostsim setup: opens the plug-in's settings dialog as the host does when
// the user asks to set the plug-in up, shows the boxes as it opened, lets the
// user (scripted by the options, or a person at a real window on Windows)
// act in it, and shows the INI file afterwards.
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

#include "cli.h"
#include "host.h"
#include "host/settings.h"
#include "resources/resource.h"
#include "user.h"

namespace hostsim {

namespace {

constexpr char kVerbName[] = "hostsim setup";

// The dialog's check boxes, one for each setting in the order of the keys,
// and the options that set them.
struct SettingBox {
    int id;
    const char* option;
};
constexpr SettingBox kBoxes[] = {
    {IDC_HANKAKU, "--hankaku"},
    {IDC_EMOJI, "--emoji"},
    {IDC_DELETE_CRLF, "--delete-crlf"},
};
static_assert(std::size(kBoxes) == std::size(telepost::kSettingKeys));

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kVerbName, message.c_str());
    return kExitFailure;
}

// What the options ask of the dialog: each box's new state, if given, and
// the button that ends it.
struct Wishes {
    std::optional<bool> boxes[std::size(kBoxes)];
    bool cancel = false;
    bool Scripted() const {
        for (const auto& box : boxes) {
            if (box) {
                return true;
            }
        }
        return cancel;
    }
};

// A label as the dialog shows it: the mnemonic's ampersand is not drawn.
std::string Shown(const std::string& label) {
    std::string text;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) {
            ++i;
        }
        text += label[i];
    }
    return text;
}

void PrintBoxes(HWND dialog) {
    char title[64] = {};
    GetWindowTextA(dialog, title, sizeof title);
    std::printf("dialog       ");
    PrintText(title);
    std::printf("\n");
    for (const SettingBox& box : kBoxes) {
        char label[128] = {};
        GetDlgItemTextA(dialog, box.id, label, sizeof label);
        bool checked = SendDlgItemMessageA(dialog, box.id, BM_GETCHECK, 0, 0) != 0;
        std::printf("  [%c] ", checked ? 'x' : ' ');
        PrintText(Shown(label));
        std::printf("  (%s)\n", box.option);
    }
}

// Clicks the boxes whose state is to change and presses OK or Cancel, each
// once the dialog runs its own loop, as a person would.
void Act(HWND dialog, const Wishes& wishes) {
    for (size_t i = 0; i < std::size(kBoxes); ++i) {
        bool checked = SendDlgItemMessageA(dialog, kBoxes[i].id, BM_GETCHECK, 0, 0) != 0;
        if (wishes.boxes[i] && *wishes.boxes[i] != checked) {
            PostMessageA(GetDlgItem(dialog, kBoxes[i].id), BM_CLICK, 0, 0);
        }
    }
    std::printf("pressed      %s\n", wishes.cancel ? "Cancel" : "OK");
    PostMessageA(dialog, WM_COMMAND, wishes.cancel ? IDCANCEL : IDOK, 0);
}

}  // namespace

int RunSetup(const Args& given) {
    Args args = given;
    std::string plugin = PluginBesideProgram();
    TakeOption(args, "--plugin", &plugin);
    Wishes wishes;
    wishes.cancel = TakeFlag(args, "--cancel");
    for (size_t i = 0; i < std::size(kBoxes); ++i) {
        std::string value;
        if (!TakeOption(args, kBoxes[i].option, &value)) {
            continue;
        }
        if (value != "on" && value != "off") {
            return Fail(std::string(kBoxes[i].option) + " takes on or off");
        }
        wishes.boxes[i] = value == "on";
    }
    if (!args.empty()) {
        return Fail("unexpected argument '" + args.front() + "'\n" + kUsage);
    }

    Host host;
    std::string error;
    if (!host.Load(plugin, &error)) {
        return Fail(error);
    }
    host.Plugin().BKC_OnStart();
    HWND owner = host.OpenCompose(Message{});
    User user;
#ifdef _WIN32
    bool scripted = wishes.Scripted();  // else a person uses the real dialog
#else
    bool scripted = true;  // the model's dialog has nobody else to use it
#endif
    user.OnDialog([&](HWND dialog) {
        PrintBoxes(dialog);
        if (scripted) {
            Act(dialog, wishes);
        }
        std::fflush(stdout);
    });
    host.Plugin().BKC_OnPlugInSetup(owner);

    std::string ini = IniBeside(plugin);
    std::printf("settings     %s\n", ini.c_str());
    for (const telepost::SettingKey& setting : telepost::kSettingKeys) {
        char value[32] = {};
        GetPrivateProfileStringA(telepost::kSettingsSection, setting.key, "(absent)", value,
                                 sizeof value, ini.c_str());
        std::printf("  %-20s %s\n", setting.key, value);
    }
    host.CloseCompose(owner);
    return kExitOk;
}

}  // namespace hostsim
