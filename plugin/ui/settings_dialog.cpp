// The settings dialog: a check box for each setting that has one in
// settings.inc, shown as the INI file holds it and stored by OK in the
// settings and the INI file. The settings without a box stay as they are.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>

#include "host/settings.h"
#include "host/system_error.h"
#include "send/send_rules.h"
#include "telepost/contract.h"
#include "ui/ui.h"

namespace telepost {

namespace {

// What the user is told when OK cannot save the settings
// (ui/settings_dialog_messages.utf8.inc).
#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "ui/settings_dialog_messages.inc"
#undef TELEPOST_MESSAGE
constexpr UINT kNotSavedStyle = MB_OK | MB_ICONEXCLAMATION;

// Why a save failed.
enum class NotSaved {
    SystemError,    // a write failed: the system's reason
    NotStored,      // a setting does not read back as written
    NoIniPath,      // no file to write
    PutBack,        // other lines of the file changed by the writes, put back as they were
    NotPutBack,     // the same, not put back
    HiddenSection,  // a byte order mark hides the settings' section: nothing written
    BigEndian,      // a file in UTF-16 BE, which the plug-in does not read: nothing written
    Folder,         // a folder in the file's place
};

// What the dialog works on, handed to its procedure with WM_INITDIALOG and
// kept with the dialog (DWLP_USER) for the messages after it.
struct SettingsDialogRecord {
    const char* iniPath;  // empty: no INI file
    SettingsRecord* settings;
    UserDomainsRecord* domains;
};

bool IsDiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

// The whole message, its parts each on a line of its own and a blank line
// before the hint, in the largest of its forms.
constexpr size_t kNotSavedSize =
    sizeof kNotSaved + MAX_PATH +
    std::max({static_cast<size_t>(kSystemErrorTextSize), sizeof kNotStored, sizeof kNoIniPath,
              sizeof kPutBack, sizeof kNotPutBack, sizeof kHiddenSection,
              sizeof kUtf16BigEndianFile, sizeof kIniFolderInPlace}) +
    std::max({sizeof kNotSavedHint, sizeof kDiskFullHint, sizeof kNoIniPathHint,
              sizeof kPutBackHint, sizeof kNotPutBackHint, sizeof kHiddenSectionHint,
              sizeof kIniFolderHint}) +
    4;

// Appends `part` to the message at `length`, which the size above always has room for.
void Append(char* message, size_t& length, const char* part) {
    const size_t bytes = std::strlen(part);
    std::memcpy(message + length, part, bytes + 1);
    length += bytes;
}

// What the message says of a failed save: the reason, in place of the
// file's line when there is no file to name, and the hint.
struct NotSavedText {
    const char* reason;  // null: the system's text for the error
    const char* hint;
};

NotSavedText TextOf(NotSaved why, DWORD error) {
    switch (why) {
        case NotSaved::SystemError:
            return {nullptr, IsDiskFull(error) ? kDiskFullHint : kNotSavedHint};
        case NotSaved::NotStored:
            return {kNotStored, kDiskFullHint};
        case NotSaved::NoIniPath:
            return {kNoIniPath, kNoIniPathHint};
        case NotSaved::PutBack:
            return {kPutBack, kPutBackHint};
        case NotSaved::NotPutBack:
            return {kNotPutBack, kNotPutBackHint};
        case NotSaved::HiddenSection:
            return {kHiddenSection, kHiddenSectionHint};
        case NotSaved::BigEndian:
            return {kUtf16BigEndianFile, kHiddenSectionHint};
        case NotSaved::Folder:
            return {kIniFolderInPlace, kIniFolderHint};
    }
    return {nullptr, kNotSavedHint};
}

// Tells the user, in a box owned by the dialog, that the settings could not
// be saved, and why: for a failed write, the system's text for `error`.
void TellNotSaved(HWND dialog, const char* iniPath, NotSaved why, DWORD error) {
    const NotSavedText text = TextOf(why, error);
    char reason[kSystemErrorTextSize] = {};
    if (!text.reason) {
        SystemErrorText(error, reason);
    }
    char message[kNotSavedSize];
    size_t length = 0;
    Append(message, length, kNotSaved);
    Append(message, length, "\n");
    if (why != NotSaved::NoIniPath) {
        Append(message, length, iniPath);
        Append(message, length, "\n");
    }
    Append(message, length, text.reason ? text.reason : reason);
    Append(message, length, "\n\n");
    Append(message, length, text.hint);
    MessageBoxA(dialog, message, kPluginName, kNotSavedStyle);
}

// Sets each box as the INI file holds its setting, not as the settings
// record does.
void ShowStoredSettings(HWND dialog, const char* iniPath) {
    for (size_t i = 0; i < std::size(kSettingBoxes); ++i) {
        if (kSettingBoxes[i] == kNoBox) {
            continue;
        }
        WPARAM check =
            ReadSetting(iniPath, kSettingFlags[i].key) != 0 ? BST_CHECKED : BST_UNCHECKED;
        SendDlgItemMessageA(dialog, kSettingBoxes[i], BM_SETCHECK, check, 0);
    }
}

// Writes each box's state as 0 or 1 to the INI file and takes them into the
// settings once the file reads back so: each setting the dialog wrote as
// written (the settings without a box are neither written nor read back, and
// stay as they are), and the rest of the file as it was. A file in UTF-8
// whose settings are read from its bytes is written whole by the plug-in,
// every byte besides the settings' lines kept (the system's writer would
// rewrite it in the ANSI code page); any other file by the system's writer,
// one setting after the other. False, once the user is told why, when a
// setting cannot be written or the file does not read back so (a later
// setting can fail alone: the disk fills, or another program holds the
// file): the settings stay as they were, and the settings already written
// stay in the file. A save that changed any other line of a file read whole
// before it puts the file back as it was, which fails the save too: a file
// in UTF-8 is compared byte for byte, any other as the profile functions
// read it. A file whose settings' section a byte order mark hides is not
// written at all: a writer would add a second section, which the first
// would hide once the mark is gone; nor is a file in UTF-16 BE, which a
// writer of single bytes would damage. A folder in the file's place is told
// as such, not by the system's "access denied". Once saved, the domain lists
// are read again from the file, as the plug-in's start reads them, so that
// a file put right (its mark taken away, say) counts without a restart.
bool StoreSettings(HWND dialog, const SettingsDialogRecord& record) {
    const char* iniPath = record.iniPath;
    SettingsRecord stored = *record.settings;
    IniBytesRecord copy;
    DWORD readError = ERROR_SUCCESS;
    const IniFileRead read = ReadIniFile(iniPath, copy, readError);
    const bool copied = read == IniFileRead::Read;
    const bool utf8 = copied && ListsReadFromBytes(copy.Text());
    if (read == IniFileRead::Folder) {
        TellNotSaved(dialog, iniPath, NotSaved::Folder, 0);
        return false;
    }
    if (copied && IniInUtf16BigEndian(copy.Text())) {
        TellNotSaved(dialog, iniPath, NotSaved::BigEndian, 0);
        return false;
    }
    if (copied && SectionHiddenByByteOrderMark(copy.Text())) {
        TellNotSaved(dialog, iniPath, NotSaved::HiddenSection, 0);
        return false;
    }
    std::uint64_t before = 0;
    const bool compared = OtherContentsDigest(iniPath, before);
    IniSettingValue writes[kSettingCount] = {};
    std::size_t count = 0;
    for (size_t i = 0; i < std::size(kSettingBoxes); ++i) {
        if (kSettingBoxes[i] != kNoBox) {
            LRESULT state = SendDlgItemMessageA(dialog, kSettingBoxes[i], BM_GETCHECK, 0, 0);
            writes[count++] = {kSettingFlags[i].key, state != 0 ? 1 : 0};
            stored.*kSettingFlags[i].flag = state != 0 ? 1 : 0;
        }
    }
    const std::span<const IniSettingValue> written(writes, count);
    bool wrote = true;
    if (utf8) {
        wrote = WriteSettingsIntoBytes(iniPath, copy, written);
    } else {
        for (std::size_t i = 0; wrote && i < count; ++i) {
            wrote = WriteSetting(iniPath, writes[i].key, writes[i].value);
        }
    }
    const DWORD error = wrote ? ERROR_SUCCESS : GetLastError();
    IniBytesCheck check = IniBytesCheck::Kept;
    std::uint64_t after = 0;
    if (utf8) {
        check = CheckIniBytes(iniPath, copy);
    } else if (compared && OtherContentsDigest(iniPath, after) && after != before) {
        check = copied ? PutBackIniBytes(iniPath, copy) : IniBytesCheck::NotPutBack;
    }
    if (check != IniBytesCheck::Kept) {
        // A file too large to be read whole was not kept: it is only told.
        TellNotSaved(dialog, iniPath,
                     !copied                           ? NotSaved::NotStored
                     : check == IniBytesCheck::PutBack ? NotSaved::PutBack
                                                       : NotSaved::NotPutBack,
                     0);
        return false;
    }
    if (!wrote) {
        TellNotSaved(dialog, iniPath, iniPath[0] ? NotSaved::SystemError : NotSaved::NoIniPath,
                     error);
        return false;
    }
    for (const IniSettingValue& setting : written) {
        if (!SettingStored(iniPath, setting.key, setting.value)) {
            TellNotSaved(dialog, iniPath, NotSaved::NotStored, 0);
            return false;
        }
    }
    *record.settings = stored;
    LoadUserDomains(iniPath, *record.domains);
    return true;
}

// The settings dialog's procedure: 1 for a message it handled, else 0.
INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ShowStoredSettings(dialog, reinterpret_cast<const SettingsDialogRecord*>(lParam)->iniPath);
        return TRUE;  // the first tab stop, OK, takes the focus
    }
    const auto* record =
        reinterpret_cast<const SettingsDialogRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_COMMAND || !record) {
        return FALSE;
    }
    // Only the command's identifier counts, never its notification code.
    switch (LOWORD(wParam)) {
        case IDOK:
            // Settings that cannot be saved keep the dialog open, for Cancel
            // or another try.
            if (StoreSettings(dialog, *record)) {
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

}  // namespace

void RunSettingsDialog(HWND owner, HINSTANCE instance, const char* iniPath,
                       SettingsRecord& settings, UserDomainsRecord& domains,
                       IniNoticeRecord& notice) {
    TellIniTrouble(owner, notice);
    SettingsDialogRecord record = {iniPath, &settings, &domains};
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsDlgProc,
                    reinterpret_cast<LPARAM>(&record));
}

}  // namespace telepost
