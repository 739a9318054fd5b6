// The settings dialog: a check box for each setting that has one in
// settings.inc, shown as the INI file holds it and stored by OK in the
// settings and the INI file. The settings without a box stay as they are.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "host/process_state.h"
#include "host/system_error.h"
#include "telepost/contract.h"
#include "ui/ui.h"

namespace telepost {

namespace {

// What the user is told when OK cannot save the settings: the first line,
// then the INI file's path and why it could not be saved, and a hint. With no
// INI path (the plug-in's own path too long to name one) there is no file to
// name: the second line says so.
// 設定を保存できませんでした。
constexpr char kNotSaved[] =
    "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5"
    "\x82\xB5\x82\xBD\x81\x42";
// After the system's reason:
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
// A file that does not read back as written (a setting, or the rest of it),
// though the system reported no error:
// 設定ファイルを読み直したところ、正しく書き込まれていませんでした。ディスクが
// いっぱいになっている可能性があります。
constexpr char kNotStored[] =
    "\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x92\xBC"
    "\x82\xB5\x82\xBD\x82\xC6\x82\xB1\x82\xEB\x81\x41\x90\xB3\x82\xB5\x82\xAD\x8F\x91"
    "\x82\xAB\x8D\x9E\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x82\xC5"
    "\x82\xB5\x82\xBD\x81\x42\x83\x66\x83\x42\x83\x58\x83\x4E\x82\xAA\x82\xA2\x82\xC1"
    "\x82\xCF\x82\xA2\x82\xC9\x82\xC8\x82\xC1\x82\xC4\x82\xA2\x82\xE9\x89\xC2\x94\x5C"
    "\x90\xAB\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42";
// After a full disk's error, or a setting that does not read back:
// ディスクの空きを確保してから、もう一度 OK を押すか、キャンセルで閉じてくださ
// い。ファイルのほかの内容が失われていることもありますので、あわせてご確認くだ
// さい。
constexpr char kDiskFullHint[] =
    "\x83\x66\x83\x42\x83\x58\x83\x4E\x82\xCC\x8B\xF3\x82\xAB\x82\xF0\x8A\x6D\x95\xDB"
    "\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x81\x41\x82\xE0\x82\xA4\x88\xEA\x93\x78 OK \x82\xF0"
    "\x89\x9F\x82\xB7\x82\xA9\x81\x41\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B\x82\xC5"
    "\x95\xC2\x82\xB6\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42\x83\x74\x83\x40"
    "\x83\x43\x83\x8B\x82\xCC\x82\xD9\x82\xA9\x82\xCC\x93\xE0\x97\x65\x82\xAA\x8E\xB8"
    "\x82\xED\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x82\xB1\x82\xC6\x82\xE0\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB7\x82\xCC\x82\xC5\x81\x41\x82\xA0\x82\xED\x82\xB9\x82\xC4\x82\xB2"
    "\x8A\x6D\x94\x46\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// Without an INI path, in the file's place:
// プラグインのフォルダーのパスが長すぎるため、設定ファイルの場所を決められません
// でした。
constexpr char kNoIniPath[] =
    "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x82\xCC\x83\x74\x83\x48\x83\x8B\x83\x5F"
    "\x81\x5B\x82\xCC\x83\x70\x83\x58\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xE9\x82\xBD"
    "\x82\xDF\x81\x41\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x8F\xEA"
    "\x8F\x8A\x82\xF0\x8C\x88\x82\xDF\x82\xE7\x82\xEA\x82\xDC\x82\xB9\x82\xF1\x82\xC5"
    "\x82\xB5\x82\xBD\x81\x42";
// メールソフトを、パスがもっと短いフォルダーに移してから、もう一度お試しくださ
// い。この画面はキャンセルで閉じてください。
constexpr char kNoIniPathHint[] =
    "\x83\x81\x81\x5B\x83\x8B\x83\x5C\x83\x74\x83\x67\x82\xF0\x81\x41\x83\x70\x83\x58"
    "\x82\xAA\x82\xE0\x82\xC1\x82\xC6\x92\x5A\x82\xA2\x83\x74\x83\x48\x83\x8B\x83\x5F"
    "\x81\x5B\x82\xC9\x88\xDA\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x81\x41\x82\xE0\x82\xA4"
    "\x88\xEA\x93\x78\x82\xA8\x8E\x8E\x82\xB5\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42"
    "\x82\xB1\x82\xCC\x89\xE6\x96\xCA\x82\xCD\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B"
    "\x82\xC5\x95\xC2\x82\xB6\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// A file in UTF-8 that the system's writer damaged, put back as it was by
// the plug-in, in the reason's place, then its hint:
// この設定ファイルは UTF-8 で保存されており、システムの書き込み処理では
// 失われてしまう文字（全角文字や日本語のコメントなど）が含まれています。
// そのため、設定は保存せず、ファイルを元の状態に戻しました。
constexpr char kUtf8PutBack[] =
    "\x82\xB1\x82\xCC\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD UTF-8 "
    "\x82\xC5\x95\xDB\x91\xB6\x82\xB3\x82\xEA\x82\xC4\x82\xA8\x82\xE8\x81\x41\x83\x56"
    "\x83\x58\x83\x65\x83\x80\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x8F\x88\x97\x9D"
    "\x82\xC5\x82\xCD\x8E\xB8\x82\xED\x82\xEA\x82\xC4\x82\xB5\x82\xDC\x82\xA4\x95\xB6"
    "\x8E\x9A\x81\x69\x91\x53\x8A\x70\x95\xB6\x8E\x9A\x82\xE2\x93\xFA\x96\x7B\x8C\xEA"
    "\x82\xCC\x83\x52\x83\x81\x83\x93\x83\x67\x82\xC8\x82\xC7\x81\x6A\x82\xAA\x8A\xDC"
    "\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42\x82\xBB\x82\xCC\x82\xBD"
    "\x82\xDF\x81\x41\x90\xDD\x92\xE8\x82\xCD\x95\xDB\x91\xB6\x82\xB9\x82\xB8\x81\x41"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8C\xB3\x82\xCC\x8F\xF3\x91\xD4\x82\xC9"
    "\x96\xDF\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42";
// メモ帳でファイルを開き、「名前を付けて保存」で文字コードを「ANSI」にして
// 保存し直してから、もう一度 OK を押してください。または、この画面をキャン
// セルで閉じ、ファイルを直接編集して設定を変更してください。
constexpr char kUtf8Hint[] =
    "\x83\x81\x83\x82\x92\xA0\x82\xC5\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8A\x4A"
    "\x82\xAB\x81\x41\x81\x75\x96\xBC\x91\x4F\x82\xF0\x95\x74\x82\xAF\x82\xC4\x95\xDB"
    "\x91\xB6\x81\x76\x82\xC5\x95\xB6\x8E\x9A\x83\x52\x81\x5B\x83\x68\x82\xF0\x81\x75"
    "ANSI\x81\x76\x82\xC9\x82\xB5\x82\xC4\x95\xDB\x91\xB6\x82\xB5\x92\xBC\x82\xB5"
    "\x82\xC4\x82\xA9\x82\xE7\x81\x41\x82\xE0\x82\xA4\x88\xEA\x93\x78 OK \x82\xF0"
    "\x89\x9F\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42\x82\xDC\x82\xBD"
    "\x82\xCD\x81\x41\x82\xB1\x82\xCC\x89\xE6\x96\xCA\x82\xF0\x83\x4C\x83\x83\x83\x93"
    "\x83\x5A\x83\x8B\x82\xC5\x95\xC2\x82\xB6\x81\x41\x83\x74\x83\x40\x83\x43\x83\x8B"
    "\x82\xF0\x92\xBC\x90\xDA\x95\xD2\x8F\x57\x82\xB5\x82\xC4\x90\xDD\x92\xE8\x82\xF0"
    "\x95\xCF\x8D\x58\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// The same file, when it could not be put back, and its hint:
// この設定ファイルは UTF-8 で保存されており、システムの書き込み処理では
// 失われてしまう文字が含まれていました。ファイルを元の状態に戻そうとしました
// が、戻せませんでした。ファイルの内容が損なわれている可能性があります。
constexpr char kUtf8NotPutBack[] =
    "\x82\xB1\x82\xCC\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD UTF-8 "
    "\x82\xC5\x95\xDB\x91\xB6\x82\xB3\x82\xEA\x82\xC4\x82\xA8\x82\xE8\x81\x41\x83\x56"
    "\x83\x58\x83\x65\x83\x80\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x8F\x88\x97\x9D"
    "\x82\xC5\x82\xCD\x8E\xB8\x82\xED\x82\xEA\x82\xC4\x82\xB5\x82\xDC\x82\xA4\x95\xB6"
    "\x8E\x9A\x82\xAA\x8A\xDC\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB5\x82\xBD"
    "\x81\x42\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8C\xB3\x82\xCC\x8F\xF3\x91\xD4"
    "\x82\xC9\x96\xDF\x82\xBB\x82\xA4\x82\xC6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x82\xAA"
    "\x81\x41\x96\xDF\x82\xB9\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x93\xE0\x97\x65\x82\xAA\x91\xB9\x82\xC8"
    "\x82\xED\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0"
    "\x82\xE8\x82\xDC\x82\xB7\x81\x42";
// ファイルをメモ帳で開いて内容をご確認ください。文字化けしている箇所は
// 書き直す必要があります。この画面はキャンセルで閉じてください。
constexpr char kUtf8NotPutBackHint[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x83\x81\x83\x82\x92\xA0\x82\xC5\x8A\x4A"
    "\x82\xA2\x82\xC4\x93\xE0\x97\x65\x82\xF0\x82\xB2\x8A\x6D\x94\x46\x82\xAD\x82\xBE"
    "\x82\xB3\x82\xA2\x81\x42\x95\xB6\x8E\x9A\x89\xBB\x82\xAF\x82\xB5\x82\xC4\x82\xA2"
    "\x82\xE9\x89\xD3\x8F\x8A\x82\xCD\x8F\x91\x82\xAB\x92\xBC\x82\xB7\x95\x4B\x97\x76"
    "\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42\x82\xB1\x82\xCC\x89\xE6\x96\xCA"
    "\x82\xCD\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B\x82\xC5\x95\xC2\x82\xB6\x82\xC4"
    "\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
constexpr UINT kNotSavedStyle = MB_OK | MB_ICONEXCLAMATION;

// Why a save failed.
enum class NotSaved {
    SystemError,     // a write failed: the system's reason
    NotStored,       // a setting does not read back as written
    NoIniPath,       // no file to write
    Utf8PutBack,     // a file in UTF-8 damaged by the writes, put back as it was
    Utf8NotPutBack,  // the same, not put back
};

bool IsDiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

// The whole message, its parts each on a line of its own and a blank line
// before the hint, in the largest of its forms.
constexpr size_t kNotSavedSize =
    sizeof kNotSaved + MAX_PATH +
    std::max({static_cast<size_t>(kSystemErrorTextSize), sizeof kNotStored, sizeof kNoIniPath,
              sizeof kUtf8PutBack, sizeof kUtf8NotPutBack}) +
    std::max({sizeof kNotSavedHint, sizeof kDiskFullHint, sizeof kNoIniPathHint, sizeof kUtf8Hint,
              sizeof kUtf8NotPutBackHint}) +
    4;

// Appends `part` to the message at `length`, which the size above always has room for.
void Append(char* message, size_t& length, const char* part) {
    const size_t bytes = std::strlen(part);
    std::memcpy(message + length, part, bytes + 1);
    length += bytes;
}

// Tells the user, in a box owned by the dialog, that the settings could not
// be saved, and why: for a failed write, the system's text for `error`.
void TellNotSaved(HWND dialog, NotSaved why, DWORD error) {
    char reason[kSystemErrorTextSize] = {};
    if (why == NotSaved::SystemError) {
        SystemErrorText(error, reason);
    }
    char message[kNotSavedSize];
    size_t length = 0;
    Append(message, length, kNotSaved);
    Append(message, length, "\n");
    if (why == NotSaved::NoIniPath) {
        Append(message, length, kNoIniPath);
    } else {
        Append(message, length, g_iniPath);
        Append(message, length, "\n");
        Append(message, length,
               why == NotSaved::NotStored        ? kNotStored
               : why == NotSaved::Utf8PutBack    ? kUtf8PutBack
               : why == NotSaved::Utf8NotPutBack ? kUtf8NotPutBack
                                                 : reason);
    }
    Append(message, length, "\n\n");
    const bool diskFull =
        why == NotSaved::NotStored || (why == NotSaved::SystemError && IsDiskFull(error));
    Append(message, length,
           why == NotSaved::NoIniPath        ? kNoIniPathHint
           : why == NotSaved::Utf8PutBack    ? kUtf8Hint
           : why == NotSaved::Utf8NotPutBack ? kUtf8NotPutBackHint
           : diskFull                        ? kDiskFullHint
                                             : kNotSavedHint);
    MessageBoxA(dialog, message, kPluginName, kNotSavedStyle);
}

// Sets each box as the INI file holds its setting, not as g_settings does.
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
// other, reads all of them back from the file, and takes them into the
// settings once each reads as written and the rest of the file as it was.
// False, once the user is told why, when a setting cannot be written or the
// file does not read back so (a later setting can fail alone: the disk
// fills, or another program holds the file): the settings stay as they
// were, and the settings already written stay in the file. A file in UTF-8
// whose lists are read from its bytes has them kept, and any other line
// that the writes changed puts the whole file back as it was (the system's
// writer may rewrite it in the ANSI code page), which fails the save too.
bool StoreSettings(HWND dialog) {
    SettingsRecord stored = g_settings;
    IniBytesRecord copy;
    const bool copied = KeepIniBytes(copy);
    std::uint64_t before = 0;
    const bool compared = OtherContentsDigest(before);
    bool written = true;
    DWORD error = 0;
    for (size_t i = 0; written && i < std::size(kSettingBoxes); ++i) {
        if (kSettingBoxes[i] == kNoBox) {
            continue;
        }
        LRESULT state = SendDlgItemMessageA(dialog, kSettingBoxes[i], BM_GETCHECK, 0, 0);
        std::int32_t value = state != 0 ? 1 : 0;
        written = WriteSetting(kSettingFlags[i].key, value);
        if (!written) {
            error = GetLastError();
        }
        stored.*kSettingFlags[i].flag = value;
    }
    const IniBytesCheck check = copied ? CheckIniBytes(copy) : IniBytesCheck::Kept;
    if (check != IniBytesCheck::Kept) {
        TellNotSaved(
            dialog,
            check == IniBytesCheck::PutBack ? NotSaved::Utf8PutBack : NotSaved::Utf8NotPutBack, 0);
        return false;
    }
    if (!written) {
        TellNotSaved(dialog, g_iniPath[0] ? NotSaved::SystemError : NotSaved::NoIniPath, error);
        return false;
    }
    std::uint64_t after = 0;
    bool kept = !compared || !OtherContentsDigest(after) || after == before;
    for (const SettingFlag& setting : kSettingFlags) {
        kept = kept && SettingStored(setting.key, stored.*setting.flag);
    }
    if (!kept) {
        TellNotSaved(dialog, NotSaved::NotStored, 0);
        return false;
    }
    g_settings = stored;
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
    DialogBoxParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsDlgProc, 0);
}

}  // namespace telepost
