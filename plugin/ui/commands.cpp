// The compose-window commands: three conversions of the message text in
// place and a check for double-byte characters.
#include <windows.h>

#include <iterator>

#include "convert/convert.h"
#include "telepost/sjis.h"
#include "ui/ui.h"

namespace telepost {

namespace {

#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "ui/commands_messages.inc"
#undef TELEPOST_MESSAGE

// Gets the compose window's text, converts it in place and hands it back,
// also when nothing changed or the text is empty; a window whose host lends
// no text is left alone.
void ConvertMessage(const HostApiRecord& hostApi, HWND window, char* (*convert)(char*)) {
    ComposeTextBuffer buffer = {};
    char* text = BorrowComposeText(hostApi, window, buffer);
    if (!text) {
        return;
    }
    hostApi.BKA_CompSetText(window, 0, convert(text));
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

void ExtendComposeMenu(const HostApiRecord& hostApi, HMENU menu, int menuType,
                       const CommandHandler (&handlers)[kComposeCommandCount]) {
    if (menuType != kComposeMenuType) {
        return;
    }
    HMENU popup = GetSubMenu(menu, kCommandMenuPosition);
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    // All are registered before the first item goes in.
    int ids[kComposeCommandCount];
    for (int i = 0; i < kComposeCommandCount; ++i) {
        ids[i] = hostApi.BKA_RegisterCommand(kComposeCommands[i]->description, kComposeMenuType,
                                             handlers[i]);
    }
    for (int i = 0; i < kComposeCommandCount; ++i) {
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(ids[i]), kComposeCommands[i]->label);
    }
}

void ZenkakuToHankakuCommand(const HostApiRecord& hostApi, HWND window) {
    ConvertMessage(hostApi, window, ZenkakuToHankaku);
}

void ImodeEmojiCommand(const HostApiRecord& hostApi, HWND window) {
    ConvertMessage(hostApi, window, ToImodeEmoji);
}

void DeleteBlanksCommand(const HostApiRecord& hostApi, HWND window) {
    ConvertMessage(hostApi, window, DeleteBlanks);
}

void DoubleByteCheckCommand(const HostApiRecord& hostApi, HWND window) {
    ComposeTextBuffer buffer = {};
    const char* text = BorrowComposeText(hostApi, window, buffer);
    if (text && HoldsDoubleByte(text)) {
        MessageBoxA(window, kDoubleByteNotice, kPluginName, MB_OK | MB_ICONQUESTION);
    }
}

}  // namespace telepost
