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
// A save that changed a line of the file besides the settings' own (a full
// disk, or another program writing the file at the same time), after which
// the file was written back as it was before the save, in the reason's
// place, then its hint:
// 設定を書き込んだところ、設定以外の行まで変わってしまったため、ファイルを書き
// 込む前の状態に戻しました。設定は保存されていません。
constexpr char kPutBack[] =
    "\x90\xDD\x92\xE8\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xF1\x82\xBE\x82\xC6\x82\xB1"
    "\x82\xEB\x81\x41\x90\xDD\x92\xE8\x88\xC8\x8A\x4F\x82\xCC\x8D\x73\x82\xDC\x82\xC5"
    "\x95\xCF\x82\xED\x82\xC1\x82\xC4\x82\xB5\x82\xDC\x82\xC1\x82\xBD\x82\xBD\x82\xDF"
    "\x81\x41\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xDE"
    "\x91\x4F\x82\xCC\x8F\xF3\x91\xD4\x82\xC9\x96\xDF\x82\xB5\x82\xDC\x82\xB5\x82\xBD"
    "\x81\x42\x90\xDD\x92\xE8\x82\xCD\x95\xDB\x91\xB6\x82\xB3\x82\xEA\x82\xC4\x82\xA2"
    "\x82\xDC\x82\xB9\x82\xF1\x81\x42";
// ディスクの空きが足りないか、ほかのプログラムが同時にファイルを書き換えた可能
// 性があります。ご確認のうえ、もう一度 OK を押すか、キャンセルで閉じてくだ
// さい。
constexpr char kPutBackHint[] =
    "\x83\x66\x83\x42\x83\x58\x83\x4E\x82\xCC\x8B\xF3\x82\xAB\x82\xAA\x91\xAB\x82\xE8"
    "\x82\xC8\x82\xA2\x82\xA9\x81\x41\x82\xD9\x82\xA9\x82\xCC\x83\x76\x83\x8D\x83\x4F"
    "\x83\x89\x83\x80\x82\xAA\x93\xAF\x8E\x9E\x82\xC9\x83\x74\x83\x40\x83\x43\x83\x8B"
    "\x82\xF0\x8F\x91\x82\xAB\x8A\xB7\x82\xA6\x82\xBD\x89\xC2\x94\x5C\x90\xAB\x82\xAA"
    "\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42\x82\xB2\x8A\x6D\x94\x46\x82\xCC\x82\xA4"
    "\x82\xA6\x81\x41\x82\xE0\x82\xA4\x88\xEA\x93\x78 OK \x82\xF0\x89\x9F\x82\xB7\x82\xA9"
    "\x81\x41\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B\x82\xC5\x95\xC2\x82\xB6\x82\xC4"
    "\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// The same, when the file could not be written back, and its hint:
// 設定を書き込んだところ、設定以外の行まで変わってしまいました。ファイルを元の
// 状態に戻そうとしましたが、戻せませんでした。ファイルの内容が損なわれている可
// 能性があります。
constexpr char kNotPutBack[] =
    "\x90\xDD\x92\xE8\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xF1\x82\xBE\x82\xC6\x82\xB1"
    "\x82\xEB\x81\x41\x90\xDD\x92\xE8\x88\xC8\x8A\x4F\x82\xCC\x8D\x73\x82\xDC\x82\xC5"
    "\x95\xCF\x82\xED\x82\xC1\x82\xC4\x82\xB5\x82\xDC\x82\xA2\x82\xDC\x82\xB5\x82\xBD"
    "\x81\x42\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8C\xB3\x82\xCC\x8F\xF3\x91\xD4"
    "\x82\xC9\x96\xDF\x82\xBB\x82\xA4\x82\xC6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x82\xAA"
    "\x81\x41\x96\xDF\x82\xB9\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x93\xE0\x97\x65\x82\xAA\x91\xB9\x82\xC8"
    "\x82\xED\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0"
    "\x82\xE8\x82\xDC\x82\xB7\x81\x42";
// ファイルをメモ帳で開いて内容をご確認ください。文字化けしている箇所は
// 書き直す必要があります。この画面はキャンセルで閉じてください。
constexpr char kNotPutBackHint[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x83\x81\x83\x82\x92\xA0\x82\xC5\x8A\x4A"
    "\x82\xA2\x82\xC4\x93\xE0\x97\x65\x82\xF0\x82\xB2\x8A\x6D\x94\x46\x82\xAD\x82\xBE"
    "\x82\xB3\x82\xA2\x81\x42\x95\xB6\x8E\x9A\x89\xBB\x82\xAF\x82\xB5\x82\xC4\x82\xA2"
    "\x82\xE9\x89\xD3\x8F\x8A\x82\xCD\x8F\x91\x82\xAB\x92\xBC\x82\xB7\x95\x4B\x97\x76"
    "\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42\x82\xB1\x82\xCC\x89\xE6\x96\xCA"
    "\x82\xCD\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B\x82\xC5\x95\xC2\x82\xB6\x82\xC4"
    "\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// A file whose settings' section a UTF-8 byte order mark hides, which OK
// leaves as it is, in the reason's place, then its hint:
// この設定ファイルは「UTF-8 (BOM 付き)」で保存されているため、Wi
// ndows はファイルの 1 行目にある設定の見出しを読み取れません。このま
// ま保存すると見出しが二重になり、BOM を取り除いた後も保存した設定が使われ
// なくなるため、設定は保存していません。
constexpr char kHiddenSection[] =
    "\x82\xB1\x82\xCC\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x81\x75UTF-8 ("
    "BOM \x95\x74\x82\xAB)\x81\x76\x82\xC5\x95\xDB\x91\xB6\x82\xB3\x82\xEA\x82\xC4\x82\xA2"
    "\x82\xE9\x82\xBD\x82\xDF\x81\x41Windows \x82\xCD\x83\x74\x83\x40\x83\x43\x83\x8B"
    "\x82\xCC 1 \x8D\x73\x96\xDA\x82\xC9\x82\xA0\x82\xE9\x90\xDD\x92\xE8\x82\xCC\x8C\xA9"
    "\x8F\x6F\x82\xB5\x82\xF0\x93\xC7\x82\xDD\x8E\xE6\x82\xEA\x82\xDC\x82\xB9\x82\xF1"
    "\x81\x42\x82\xB1\x82\xCC\x82\xDC\x82\xDC\x95\xDB\x91\xB6\x82\xB7\x82\xE9\x82\xC6"
    "\x8C\xA9\x8F\x6F\x82\xB5\x82\xAA\x93\xF1\x8F\x64\x82\xC9\x82\xC8\x82\xE8\x81\x41"
    "BOM "
    "\x82\xF0\x8E\xE6\x82\xE8\x8F\x9C\x82\xA2\x82\xBD\x8C\xE3\x82\xE0\x95\xDB\x91\xB6"
    "\x82\xB5\x82\xBD\x90\xDD\x92\xE8\x82\xAA\x8E\x67\x82\xED\x82\xEA\x82\xC8\x82\xAD"
    "\x82\xC8\x82\xE9\x82\xBD\x82\xDF\x81\x41\x90\xDD\x92\xE8\x82\xCD\x95\xDB\x91\xB6"
    "\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42";
// メモ帳でこのファイルを開き、「名前を付けて保存」で文字コードを「UTF-8」
// または「ANSI」に変えて上書き保存してから、もう一度 OK を押してくださ
// い。
constexpr char kHiddenSectionHint[] =
    "\x83\x81\x83\x82\x92\xA0\x82\xC5\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B"
    "\x82\xF0\x8A\x4A\x82\xAB\x81\x41\x81\x75\x96\xBC\x91\x4F\x82\xF0\x95\x74\x82\xAF"
    "\x82\xC4\x95\xDB\x91\xB6\x81\x76\x82\xC5\x95\xB6\x8E\x9A\x83\x52\x81\x5B\x83\x68"
    "\x82\xF0\x81\x75UTF-8\x81\x76\x82\xDC\x82\xBD\x82\xCD\x81\x75"
    "ANSI\x81\x76\x82\xC9"
    "\x95\xCF\x82\xA6\x82\xC4\x8F\xE3\x8F\x91\x82\xAB\x95\xDB\x91\xB6\x82\xB5\x82\xC4"
    "\x82\xA9\x82\xE7\x81\x41\x82\xE0\x82\xA4\x88\xEA\x93\x78 OK \x82\xF0\x89\x9F\x82\xB5"
    "\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
constexpr UINT kNotSavedStyle = MB_OK | MB_ICONEXCLAMATION;

// Why a save failed.
enum class NotSaved {
    SystemError,    // a write failed: the system's reason
    NotStored,      // a setting does not read back as written
    NoIniPath,      // no file to write
    PutBack,        // other lines of the file changed by the writes, put back as they were
    NotPutBack,     // the same, not put back
    HiddenSection,  // a byte order mark hides the settings' section: nothing written
};

bool IsDiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

// The whole message, its parts each on a line of its own and a blank line
// before the hint, in the largest of its forms.
constexpr size_t kNotSavedSize =
    sizeof kNotSaved + MAX_PATH +
    std::max({static_cast<size_t>(kSystemErrorTextSize), sizeof kNotStored, sizeof kNoIniPath,
              sizeof kPutBack, sizeof kNotPutBack, sizeof kHiddenSection}) +
    std::max({sizeof kNotSavedHint, sizeof kDiskFullHint, sizeof kNoIniPathHint,
              sizeof kPutBackHint, sizeof kNotPutBackHint}) +
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
    }
    return {nullptr, kNotSavedHint};
}

// Tells the user, in a box owned by the dialog, that the settings could not
// be saved, and why: for a failed write, the system's text for `error`.
void TellNotSaved(HWND dialog, NotSaved why, DWORD error) {
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
        Append(message, length, g_iniPath);
        Append(message, length, "\n");
    }
    Append(message, length, text.reason ? text.reason : reason);
    Append(message, length, "\n\n");
    Append(message, length, text.hint);
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
// would hide once the mark is gone.
bool StoreSettings(HWND dialog) {
    SettingsRecord stored = g_settings;
    IniBytesRecord copy;
    const bool utf8 = KeepIniBytes(copy);
    const bool copied = utf8 || ReadIniBytes(g_iniPath, copy);
    if (copied && SectionHiddenByByteOrderMark(copy.Text())) {
        TellNotSaved(dialog, NotSaved::HiddenSection, 0);
        return false;
    }
    std::uint64_t before = 0;
    const bool compared = OtherContentsDigest(before);
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
        wrote = WriteSettingsIntoBytes(copy, written);
    } else {
        for (std::size_t i = 0; wrote && i < count; ++i) {
            wrote = WriteSetting(writes[i].key, writes[i].value);
        }
    }
    const DWORD error = wrote ? ERROR_SUCCESS : GetLastError();
    IniBytesCheck check = IniBytesCheck::Kept;
    std::uint64_t after = 0;
    if (utf8) {
        check = CheckIniBytes(copy);
    } else if (compared && OtherContentsDigest(after) && after != before) {
        check = copied ? PutBackIniBytes(copy) : IniBytesCheck::NotPutBack;
    }
    if (check != IniBytesCheck::Kept) {
        // A file too large to be read whole was not kept: it is only told.
        TellNotSaved(dialog,
                     !copied                           ? NotSaved::NotStored
                     : check == IniBytesCheck::PutBack ? NotSaved::PutBack
                                                       : NotSaved::NotPutBack,
                     0);
        return false;
    }
    if (!wrote) {
        TellNotSaved(dialog, g_iniPath[0] ? NotSaved::SystemError : NotSaved::NoIniPath, error);
        return false;
    }
    for (const IniSettingValue& setting : written) {
        if (!SettingStored(setting.key, setting.value)) {
            TellNotSaved(dialog, NotSaved::NotStored, 0);
            return false;
        }
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
