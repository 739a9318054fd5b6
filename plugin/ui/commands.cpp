// The compose-window commands: three conversions of the message text in
// place and a check for double-byte characters.
#include <windows.h>

#include <iterator>

#include "convert/convert.h"
#include "telepost/sjis.h"
#include "host/process_state.h"
#include "ui/ui.h"

namespace telepost {

namespace {

struct ComposeCommand {
    const ComposeCommandText* text;
    CommandHandler handler;
};

// Each command with its handler, in the contract's order.
constexpr ComposeCommand kCommands[] = {
    {&kZenkakuToHankakuCommand, CmdZenkakuToHankaku},
    {&kImodeEmojiCommand, CmdToImodeEmoji},
    {&kDoubleByteCheckCommand, CmdCheckDoubleByte},
    {&kDeleteBlanksCommand, CmdDeleteBlanks},
};
static_assert(
    [] {
        if (std::size(kCommands) != std::size(kComposeCommands)) {
            return false;
        }
        for (size_t i = 0; i < std::size(kCommands); ++i) {
            if (kCommands[i].text != kComposeCommands[i]) {
                return false;
            }
        }
        return true;
    }(),
    "the commands in the contract's order");

#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "ui/commands_messages.inc"
#undef TELEPOST_MESSAGE

// Gets the compose window's text, converts it in place and hands it back,
// also when nothing changed or the text is empty; a window whose host lends
// no text is left alone.
void ConvertMessage(HWND window, char* (*convert)(char*)) {
    ComposeTextBuffer buffer = {};
    char* text = BorrowComposeText(g_hostApi, window, buffer);
    if (!text) {
        return;
    }
    g_hostApi.BKA_CompSetText(window, 0, convert(text));
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
    // All are registered before the first item goes in.
    int ids[kComposeCommandCount];
    for (int i = 0; i < kComposeCommandCount; ++i) {
        ids[i] = g_hostApi.BKA_RegisterCommand(kCommands[i].text->description, kComposeMenuType,
                                               kCommands[i].handler);
    }
    for (int i = 0; i < kComposeCommandCount; ++i) {
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(ids[i]), kCommands[i].text->label);
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
    const char* text = BorrowComposeText(g_hostApi, window, buffer);
    if (text && HoldsDoubleByte(text)) {
        MessageBoxA(window, kDoubleByteNotice, kPluginName, MB_OK | MB_ICONQUESTION);
    }
}

}  // namespace telepost
