// The compose-window commands: three conversions of the message text in
// place and a check for double-byte characters.
#include <windows.h>

#include "convert/convert.h"
#include "convert/sjis.h"
#include "host/host_api.h"
#include "ui/ui.h"

namespace telepost {

namespace {

struct ComposeCommand {
    CommandHandler handler;
    const char* description;  // what the host shows for the command
    const char* label;        // the menu item's text
};

// In registration order, which is also the order of the menu items.
constexpr ComposeCommand kCommands[] = {
    {CmdZenkakuToHankaku,
     // 現在のメッセージを全角英数字から半角英数字へ変換します
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xF0\x91\x53\x8A\x70"
     "\x89\x70\x90\x94\x8E\x9A\x82\xA9\x82\xE7\x94\xBC\x8A\x70\x89\x70\x90\x94\x8E\x9A\x82\xD6"
     "\x95\xCF\x8A\xB7\x82\xB5\x82\xDC\x82\xB7",
     // 全角から半角へ
     "\x91\x53\x8A\x70\x82\xA9\x82\xE7\x94\xBC\x8A\x70\x82\xD6"},
    {CmdToImodeEmoji,
     // 現在のメッセージをi-mode文字へ変換します
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xF0"
     "i-mode\x95\xB6\x8E\x9A\x82\xD6\x95\xCF\x8A\xB7\x82\xB5\x82\xDC\x82\xB7",
     // i-mode文字へ
     "i-mode\x95\xB6\x8E\x9A\x82\xD6"},
    {CmdCheckDoubleByte,
     // 現在のメッセージに２バイト文字が含まれているかチェックします
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xC9\x82\x51\x83\x6F"
     "\x83\x43\x83\x67\x95\xB6\x8E\x9A\x82\xAA\x8A\xDC\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xE9"
     "\x82\xA9\x83\x60\x83\x46\x83\x62\x83\x4E\x82\xB5\x82\xDC\x82\xB7",
     // 全角チェック
     "\x91\x53\x8A\x70\x83\x60\x83\x46\x83\x62\x83\x4E"},
    {CmdDeleteBlanks,
     // 現在のメッセージの空白および改行コードを削除します
     "\x8C\xBB\x8D\xDD\x82\xCC\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xCC\x8B\xF3\x94\x92"
     "\x82\xA8\x82\xE6\x82\xD1\x89\xFC\x8D\x73\x83\x52\x81\x5B\x83\x68\x82\xF0\x8D\xED\x8F\x9C"
     "\x82\xB5\x82\xDC\x82\xB7",
     // 空白・改行削除
     "\x8B\xF3\x94\x92\x81\x45\x89\xFC\x8D\x73\x8D\xED\x8F\x9C"},
};
constexpr int kCommandCount = sizeof kCommands / sizeof kCommands[0];

// メッセージに全角文字が含まれています。
constexpr char kDoubleByteNotice[] =
    "\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xC9\x91\x53\x8A\x70\x95\xB6\x8E\x9A\x82\xAA"
    "\x8A\xDC\x82\xDC\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42";

// Gets the compose window's text, converts it in place and hands it back,
// also when nothing changed or the text is empty; a window whose host lends
// no text is left alone.
void ConvertMessage(HWND window, char* (*convert)(char*)) {
    ComposeTextBuffer buffer = {};
    char* text = BorrowComposeText(HostApi, window, buffer);
    if (!text) {
        return;
    }
    HostApi.BKA_CompSetText(window, 0, convert(text));
}

// Whether a double-byte pair starts at some byte of `text`. The scan moves
// one byte at a time, not one character, and a lead byte before the
// terminator never pairs with it.
bool HoldsDoubleByte(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        if (IsDoubleBytePair(static_cast<unsigned char>(p[0]), static_cast<unsigned char>(p[1]))) {
            return true;
        }
    }
    return false;
}

}  // namespace

void ExtendComposeMenu(HMENU menu, int menuType) {
    if (menuType != kComposeMenuType) {
        return;
    }
    HMENU popup = GetSubMenu(menu, kCommandMenuPosition);
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    // All four are registered before the first item goes in.
    int ids[kCommandCount];
    for (int i = 0; i < kCommandCount; ++i) {
        ids[i] = HostApi.BKA_RegisterCommand(kCommands[i].description, kComposeMenuType,
                                             kCommands[i].handler);
    }
    for (int i = 0; i < kCommandCount; ++i) {
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(ids[i]), kCommands[i].label);
    }
}

void WINAPI CmdZenkakuToHankaku(HWND window, LPARAM) {
    ConvertMessage(window, ZenkakuToHankaku);
}

void WINAPI CmdToImodeEmoji(HWND window, LPARAM) {
    ConvertMessage(window, ToImodeEmoji);
}

void WINAPI CmdDeleteBlanks(HWND window, LPARAM) {
    ConvertMessage(window, DeleteBlanks);
}

void WINAPI CmdCheckDoubleByte(HWND window, LPARAM) {
    ComposeTextBuffer buffer = {};
    const char* text = BorrowComposeText(HostApi, window, buffer);
    if (text && HoldsDoubleByte(text)) {
        MessageBoxA(window, kDoubleByteNotice, kPluginName, MB_OK | MB_ICONQUESTION);
    }
}

}  // namespace telepost
