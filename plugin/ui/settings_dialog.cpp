// The settings dialog: a check box for each setting that has one in
// settings.inc, shown as the INI file holds it and stored by OK in the
// settings and the INI file. The settings without a box stay as they are.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <iterator>

#include "host/process_state.h"
#include "host/system_error.h"
#include "telepost/contract.h"
#include "ui/ui.h"

namespace telepost {

namespace {

// What the user is told when OK cannot save the settings, in this order: the
// first line, the INI file's path, the system's reason, and a hint.
// 設定を保存できませんでした。
constexpr char kNotSaved[] =
    "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5"
    "\x82\xB5\x82\xBD\x81\x42";
// プラグインのフォルダーが Program Files の下にあるときや、ファイルが読み取り
// 専用のときは、保存できないことがあります。ファイルとフォルダーをご確認の
// うえ、もう一度 OK を押すか、キャンセルで閉じてください。
constexpr char kNotSavedHint[] =
    "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x82\xCC\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B"
    "\x82\xAA Program Files "
    "\x82\xCC\x89\xBA\x82\xC9\x82\xA0\x82\xE9\x82\xC6\x82\xAB\x82\xE2\x81\x41"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x93\xC7\x82\xDD\x8E\xE6\x82\xE8\x90\xEA\x97\x70\x82"
    "\xCC"
    "\x82\xC6\x82\xAB\x82\xCD\x81\x41\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xC8\x82\xA2\x82\xB1\x82"
    "\xC6"
    "\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC6\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B\x82\xF0\x82"
    "\xB2"
    "\x8A\x6D\x94\x46\x82\xCC\x82\xA4\x82\xA6\x81\x41\x82\xE0\x82\xA4\x88\xEA\x93\x78 OK \x82\xF0"
    "\x89\x9F\x82\xB7\x82\xA9\x81\x41\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B\x82\xC5\x95\xC2\x82"
    "\xB6"
    "\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
constexpr UINT kNotSavedStyle = MB_OK | MB_ICONEXCLAMATION;

// The whole message: its parts, each on a line of its own, and a blank line
// before the hint.
constexpr size_t kNotSavedSize =
    sizeof kNotSaved + MAX_PATH + kSystemErrorTextSize + sizeof kNotSavedHint + 4;

// Appends `part` to the message at `length`, which the size above always has room for.
void Append(char* message, size_t& length, const char* part) {
    const size_t bytes = std::strlen(part);
    std::memcpy(message + length, part, bytes + 1);
    length += bytes;
}

// Tells the user, in a box owned by the dialog, that the INI file could not
// be written, and why: the system's text for `error`.
void TellNotSaved(HWND dialog, DWORD error) {
    char reason[kSystemErrorTextSize];
    SystemErrorText(error, reason);
    char message[kNotSavedSize];
    size_t length = 0;
    const char* const parts[] = {kNotSaved, "\n", IniPath, "\n", reason, "\n\n", kNotSavedHint};
    for (const char* part : parts) {
        Append(message, length, part);
    }
    MessageBoxA(dialog, message, kPluginName, kNotSavedStyle);
}

// Sets each box as the INI file holds its setting, not as Settings does.
void ShowStoredSettings(HWND dialog) {
    for (size_t i = 0; i < std::size(kSettingBoxes); ++i) {
        if (kSettingBoxes[i] == kNoBox) {
            continue;
        }
        WPARAM check = ReadSetting(kSettingFlags[i].key) != 0 ? BST_CHECKED : BST_UNCHECKED;
        SendDlgItemMessageA(dialog, kSettingBoxes[i], BM_SETCHECK, check, 0);
    }
}

// Writes each box's state as 0 or 1 to the INI file, one setting after the
// other, and takes them into the settings once all are written. False,
// once the user is told why, when a setting cannot be written: the settings
// stay as they were, and the settings already written stay in the file.
bool StoreSettings(HWND dialog) {
    SettingsRecord stored = Settings;
    for (size_t i = 0; i < std::size(kSettingBoxes); ++i) {
        if (kSettingBoxes[i] == kNoBox) {
            continue;
        }
        LRESULT state = SendDlgItemMessageA(dialog, kSettingBoxes[i], BM_GETCHECK, 0, 0);
        std::int32_t value = state != 0 ? 1 : 0;
        if (!WriteSetting(kSettingFlags[i].key, value)) {
            TellNotSaved(dialog, GetLastError());
            return false;
        }
        stored.*kSettingFlags[i].flag = value;
    }
    Settings = stored;
    return true;
}

}  // namespace

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        ShowStoredSettings(dialog);
        return TRUE;  // the first tab stop, OK, takes the focus
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    // Only the command's identifier counts, never its notification code.
    switch (LOWORD(wParam)) {
        case IDOK:
            // Settings that cannot be saved keep the dialog open, for Cancel
            // or another try.
            if (StoreSettings(dialog)) {
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

void RunSettingsDialog(HWND owner) {
    TellIniTrouble(owner);
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsDlgProc, 0);
}

}  // namespace telepost
