// The settings dialog: three check boxes, one for each setting, shown as the
// INI file holds them and stored by OK in the settings and the INI file.
#include <windows.h>

#include <cstddef>
#include <iterator>

#include "host/settings.h"
#include "telepost/contract.h"
#include "ui/ui.h"

namespace telepost {

namespace {

// Sets each box as the INI file holds its setting, not as Settings does.
void ShowStoredSettings(HWND dialog) {
    for (size_t i = 0; i < std::size(kSettingBoxes); ++i) {
        WPARAM check = ReadSetting(kSettingFlags[i].key) != 0 ? BST_CHECKED : BST_UNCHECKED;
        SendDlgItemMessageA(dialog, kSettingBoxes[i], BM_SETCHECK, check, 0);
    }
}

// Takes each box's state as 0 or 1 into its setting and writes it to the INI
// file, one setting after the other.
void StoreSettings(HWND dialog) {
    for (size_t i = 0; i < std::size(kSettingBoxes); ++i) {
        LRESULT state = SendDlgItemMessageA(dialog, kSettingBoxes[i], BM_GETCHECK, 0, 0);
        std::int32_t value = state != 0 ? 1 : 0;
        Settings.*kSettingFlags[i].flag = value;
        WriteSetting(kSettingFlags[i].key, value);
    }
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
            StoreSettings(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

void RunSettingsDialog(HWND owner) {
    DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsDlgProc, 0);
}

}  // namespace telepost
