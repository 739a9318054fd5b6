// hostsim setup: opens the plug-in's settings dialog as the host does when
// the user asks to set the plug-in up, shows the boxes as it opened, lets the
// user (scripted by the options, or a person at a real window on Windows)
// act in it, and shows the INI file afterwards.
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "codec.h"
#include "host.h"
#include "paths.h"
#include "system_message.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {

namespace {

// The options of the settings that have a check box set it, one each; a
// setting without one is not in the dialog.
static_assert(std::size(telepost::kSettingBoxes) == std::size(kSettingOptions));

bool HasBox(size_t setting) {
    return telepost::kSettingBoxes[setting] != telepost::kNoBox;
}

const std::vector<Option>& SetupOptions() {
    static const std::vector<Option> options = [] {
        std::vector<Option> all = {{"--cancel"}};
        for (size_t i = 0; i < std::size(kSettingOptions); ++i) {
            if (HasBox(i)) {
                all.push_back({kSettingOptions[i], "on or off"});
            }
        }
        return all;
    }();
    return options;
}

// What the options ask of the dialog: each box's new state, if given, and
// the button that ends it.
struct Wishes {
    std::optional<bool> boxes[std::size(telepost::kSettingBoxes)];
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
    for (size_t i = 0; i < std::size(telepost::kSettingBoxes); ++i) {
        if (!HasBox(i)) {
            continue;
        }
        char label[128] = {};
        GetDlgItemTextA(dialog, telepost::kSettingBoxes[i], label, sizeof label);
        bool checked =
            SendDlgItemMessageA(dialog, telepost::kSettingBoxes[i], BM_GETCHECK, 0, 0) != 0;
        std::printf("  [%c] ", checked ? 'x' : ' ');
        PrintText(Shown(label));
        std::printf("  (%s)\n", kSettingOptions[i]);
    }
}

// Clicks the boxes whose state is to change and presses OK or Cancel, each
// once the dialog runs its own loop, as a person would.
void Act(HWND dialog, const Wishes& wishes) {
    for (size_t i = 0; i < std::size(telepost::kSettingBoxes); ++i) {
        if (!HasBox(i)) {
            continue;
        }
        bool checked =
            SendDlgItemMessageA(dialog, telepost::kSettingBoxes[i], BM_GETCHECK, 0, 0) != 0;
        if (wishes.boxes[i] && *wishes.boxes[i] != checked) {
            PostMessageA(GetDlgItem(dialog, telepost::kSettingBoxes[i]), BM_CLICK, 0, 0);
        }
    }
    std::printf("pressed      %s\n", wishes.cancel ? "Cancel" : "OK");
    PostMessageA(dialog, WM_COMMAND, wishes.cancel ? IDCANCEL : IDOK, 0);
}

int SetupVerb(Session& session) {
    const CommandLine& line = session.Line();
    Wishes wishes;
    wishes.cancel = line.Has("--cancel");
    for (size_t i = 0; i < std::size(telepost::kSettingBoxes); ++i) {
        const std::string* value = HasBox(i) ? line.Value(kSettingOptions[i]) : nullptr;
        if (!value) {
            continue;
        }
        std::optional<bool> on = OnOff(*value);
        if (!on) {
            return session.Fail(std::string(kSettingOptions[i]) + " needs on or off, not '" +
                                ForTerminal(*value) + "'");
        }
        wishes.boxes[i] = *on;
    }

    if (!session.Start()) {
        return kExitFailure;
    }
    Host& host = session.TheHost();
    HWND owner = session.OpenCompose(Message{});
    if (!owner) {
        return kExitFailure;
    }
    User user;
    // Without options a person uses the real dialog, where one is drawn; the
    // model's dialog has nobody else to use it.
    bool scripted = WhoAnswers(!wishes.Scripted()) != Answerer::PersonAtWindow;
    bool shown = false;
    // Shown and acted in once: a dialog that comes back after the message
    // box below is not shown again; a scripted user cancels it.
    user.OnDialog(
        [&](HWND dialog) {
            shown = true;
            PrintBoxes(dialog);
            if (scripted) {
                Act(dialog, wishes);
            }
            FlushOutput();
        },
        scripted ? User::Returning::Cancel : User::Returning::Leave);
    // The dialog's one message box tells that OK could not save the
    // settings, and leaves the dialog open: the scripted user reads it and
    // cancels.
    user.OnMessageBox([&](const MessageBoxSeen& box) {
        const std::string text = ShownWithPath(box.text, session.Ini());
        std::printf("message box\n");
        PrintIndented(text, "  | ");
        if (scripted) {
            std::printf("pressed      Cancel\n");
            PostMessageA(box.owner, WM_COMMAND, IDCANCEL, 0);
        }
        FlushOutput();
        return IDOK;
    });
    SetLastError(0);
    host.Plugin().BKC_OnPlugInSetup(owner);
    const DWORD error = GetLastError();
    if (!shown) {
        return session.Fail("the plug-in's settings dialog could not be shown (" +
                            WhyNotShown(error) + ")");
    }

    const std::string& ini = session.Ini();
    std::printf("settings     %s\n", ForTerminal(ini).c_str());
    // Read as the plug-in reads the file at its next start.
    for (const char* setting : telepost::kSettingKeys) {
        PrintSettingLine(setting, IniSetting(ini, setting), IniHolds(ini, setting));
    }
    host.CloseCompose(owner);
    if (!user.MessageBoxes().empty()) {
        return session.Fail("the settings could not be saved to " + ForTerminal(ini));
    }
    return kExitOk;
}

}  // namespace

int RunSetup(const Args& args) {
    return RunVerb(Verb{"setup", SetupOptions(), {}, SetupVerb}, args);
}

}  // namespace hostsim
