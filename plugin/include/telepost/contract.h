// The contract between the host mail client and the plug-in, all that each
// side knows of the other: the 15 callbacks that the plug-in exports and the
// 54 functions that the host exports, the compose window's menu, the
// information record, the INI file beside the plug-in and the settings
// dialog's controls. Both sides are stdcall (WINAPI); every argument and
// result is 32 bits on Windows. Every text that crosses is code page 932.
#pragma once

#include <windows.h>

#include <cstddef>
#include <iterator>

#include "telepost/domain_list.h"
#include "telepost/ini_file.h"
#include "telepost/resource_ids.h"

namespace telepost {

// The code page of every text the host and the plug-in exchange.
inline constexpr UINT kCodePage = 932;

// A compose-window command, called by the host with the compose window.
using CommandHandler = void(WINAPI*)(HWND composeWindow, LPARAM);

// The menu type the host gives BKC_OnMenuInit for a compose window's menu
// bar, also the window kind the plug-in registers its commands for.
inline constexpr int kComposeMenuType = 10;
// The pop-up menu of a compose window's menu bar that the plug-in extends
// with its commands: the fourth.
inline constexpr int kCommandMenuPosition = 3;

// A compose-window command as the plug-in offers it: the text it registers
// with BKA_RegisterCommand, by which the host knows the command, and its menu
// item's text.
struct ComposeCommandText {
    const char* description;
    const char* label;
};

// The texts of the contract, each written once in contract_messages.utf8.inc.
#define TELEPOST_MESSAGE(name, text) inline constexpr char name[] = text;
#include "telepost/contract_messages.inc"
#undef TELEPOST_MESSAGE

inline constexpr ComposeCommandText kZenkakuToHankakuCommand = {kZenkakuToHankakuDescription,
                                                                kZenkakuToHankakuLabel};
inline constexpr ComposeCommandText kImodeEmojiCommand = {kImodeEmojiDescription, kImodeEmojiLabel};
inline constexpr ComposeCommandText kDoubleByteCheckCommand = {kDoubleByteCheckDescription,
                                                               kDoubleByteCheckLabel};
inline constexpr ComposeCommandText kDeleteBlanksCommand = {kDeleteBlanksDescription,
                                                            kDeleteBlanksLabel};

// The commands in the order the plug-in registers them, which is also the
// order of their items, after a separator, at the end of the menu at
// kCommandMenuPosition. A host finds a command by its description.
inline constexpr const ComposeCommandText* kComposeCommands[] = {
    &kZenkakuToHankakuCommand,
    &kImodeEmojiCommand,
    &kDoubleByteCheckCommand,
    &kDeleteBlanksCommand,
};
inline constexpr int kComposeCommandCount = static_cast<int>(std::size(kComposeCommands));

// The information record BKC_OnPlugInInfo fills: kInfoFieldCount text fields
// of kInfoFieldSize bytes each, in this order: the name, the vendor, the
// version and a description. Each text is copied with its terminator; the
// bytes behind it stay as the host had them.
inline constexpr int kInfoFieldSize = 80;
inline constexpr int kInfoFieldCount = 4;
// The settings dialog's check box of each setting, in the order of
// kSettingKeys; kNoBox for a setting the dialog does not show.
inline constexpr int kNoBox = 0;
#define TELEPOST_SETTING(field, key, initial, box, ...) box,
inline constexpr int kSettingBoxes[] = {
#include "telepost/settings.inc"
};
#undef TELEPOST_SETTING
static_assert(std::size(kSettingBoxes) == kSettingCount);

// The longest header value the plug-in reads whole with
// BKA_CompGetSpecifiedHeader: 2,097,150 bytes. Of a longer value it reads the
// first kHeaderBytesRead bytes and sees nothing past them: no recipient of To,
// Cc or Bcc after them, and a Subject or From it leaves as written.
inline constexpr std::size_t kLongestWholeHeader = 2 * 1024 * 1024 - 2;
inline constexpr std::size_t kHeaderBytesRead = kLongestWholeHeader + 1;

}  // namespace telepost

// The host's functions in binding order. CALLED(name, result, parameters) for
// the five the plug-in calls, UNUSED(name) for the 49 it binds and never calls,
// which are int WINAPI name(void) here.
//
// The text BKA_CompGetText(window, buffer, size) returns is the window's
// message text, a NUL-terminated code page 932 string:
// - Owner: the host. The plug-in never frees it and never keeps the pointer.
// - Lifetime: until the plug-in returns from the callback or command that
//   asked for it, and no longer than the next BKA_CompGetText for the window.
//   It may lie in `buffer` (then it lives as long as the caller's buffer) or
//   in memory of the host's.
// - Writable: yes, in place, up to its terminator and never past it; the
//   plug-in only shortens it or keeps its length, then hands the same pointer
//   back with BKA_CompSetText.
// - Null: the host lends no text for the window. The plug-in then has
//   nothing to work on: a command does nothing, a send goes ahead unchanged.
#define TELEPOST_HOST_FUNCTIONS(CALLED, UNUSED)                                                   \
    UNUSED(BKA_GetVersion)                                                                        \
    UNUSED(BKA_Command)                                                                           \
    UNUSED(BKA_GetWindowHandles)                                                                  \
    CALLED(BKA_RegisterCommand, int,                                                              \
           (LPCSTR description, int windowKind, telepost::CommandHandler handler))                \
    UNUSED(BKA_RegisterUICallback)                                                                \
    UNUSED(BKA_GetDataFolder)                                                                     \
    UNUSED(BKA_GetTempFolder)                                                                     \
    UNUSED(BKA_GetTempFileName)                                                                   \
    UNUSED(BKA_GetCurrentMailBox)                                                                 \
    UNUSED(BKA_SetCurrentMailBox)                                                                 \
    UNUSED(BKA_GetCurrentFolder)                                                                  \
    UNUSED(BKA_SetCurrentFolder)                                                                  \
    UNUSED(BKA_GetFolderDisplayName)                                                              \
    UNUSED(BKA_SetMessageText)                                                                    \
    UNUSED(BKA_GetCurrentMail)                                                                    \
    UNUSED(BKA_SetCurrentMail)                                                                    \
    UNUSED(BKA_GetNextMail)                                                                       \
    UNUSED(BKA_SetSel)                                                                            \
    UNUSED(BKA_AppendMessage)                                                                     \
    UNUSED(BKA_MoveSelectedMessages)                                                              \
    UNUSED(BKA_GetStatus)                                                                         \
    UNUSED(BKA_ComposeMail)                                                                       \
    UNUSED(BKA_GetCharSet)                                                                        \
    UNUSED(BKA_GetSource)                                                                         \
    UNUSED(BKA_SetSource)                                                                         \
    UNUSED(BKA_GetHeader)                                                                         \
    UNUSED(BKA_GetText)                                                                           \
    UNUSED(BKA_SetText)                                                                           \
    UNUSED(BKA_GetSpecifiedHeader)                                                                \
    UNUSED(BKA_SetSpecifiedHeader)                                                                \
    UNUSED(BKA_CompGetCharSet)                                                                    \
    UNUSED(BKA_CompGetSource)                                                                     \
    UNUSED(BKA_CompSetSource)                                                                     \
    UNUSED(BKA_CompGetHeader)                                                                     \
    CALLED(BKA_CompGetSpecifiedHeader, LPSTR, (HWND window, LPCSTR name, LPSTR buffer, int size)) \
    CALLED(BKA_CompSetSpecifiedHeader, int, (HWND window, LPCSTR name, LPCSTR value))             \
    CALLED(BKA_CompGetText, LPSTR, (HWND window, LPSTR buffer, int size))                         \
    CALLED(BKA_CompSetText, int, (HWND window, int flags, LPCSTR text))                           \
    UNUSED(BKA_CompAttachFile)                                                                    \
    UNUSED(BKA_Alloc)                                                                             \
    UNUSED(BKA_ReAlloc)                                                                           \
    UNUSED(BKA_Free)                                                                              \
    UNUSED(BKA_ISO_2022_JP)                                                                       \
    UNUSED(BKA_ISO_2022_KR)                                                                       \
    UNUSED(BKA_HZ_GB2312)                                                                         \
    UNUSED(BKA_ISO_8859_2)                                                                        \
    UNUSED(BKA_EUC_JP)                                                                            \
    UNUSED(BKA_UTF_7)                                                                             \
    UNUSED(BKA_UTF_8)                                                                             \
    UNUSED(BKA_B64Convert)                                                                        \
    UNUSED(BKA_QPConvert)                                                                         \
    UNUSED(BKA_MIMEHeader)                                                                        \
    UNUSED(BKA_SerializeRcpts)                                                                    \
    UNUSED(BKA_Connect)

// The plug-in's exported callbacks, with their ordinals, are listed in
// callbacks.inc; here each gets its pointer type, name_t.
namespace telepost {

#define TELEPOST_CALLBACK(ordinal, name, params) using name##_t = int(WINAPI*) params;
#include "callbacks.inc"
#undef TELEPOST_CALLBACK

}  // namespace telepost
