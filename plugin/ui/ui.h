// The plug-in's user interface: the four commands it adds to every compose
// window's menu, and the settings dialog.
#pragma once

#include "host/process_state.h"
#include "telepost/contract.h"

namespace telepost {

// For a compose window's menu (kComposeMenuType): registers the four commands with the
// host `hostApi`, each with its handler in `handlers` (in kComposeCommands'
// order), then appends a separator and their four items to the pop-up menu at
// kCommandMenuPosition. Any other menu type is left alone.
void ExtendComposeMenu(const HostApiRecord& hostApi, HMENU menu, int menuType,
                       const CommandHandler (&handlers)[kComposeCommandCount]);

// The commands' work, on the compose window `window` of the host `hostApi`.
// The three conversions always hand the text back, changed or not; the check
// only tells the user, at most once, that the text holds a double-byte
// character.
void ZenkakuToHankakuCommand(const HostApiRecord& hostApi, HWND window);
void ImodeEmojiCommand(const HostApiRecord& hostApi, HWND window);
void DoubleByteCheckCommand(const HostApiRecord& hostApi, HWND window);
void DeleteBlanksCommand(const HostApiRecord& hostApi, HWND window);

// Looks at the INI file at `iniPath` (empty: none) as the plug-in starts, and
// writes afresh into `notice` what the user is to be told of it: a path too
// long to name the file, a byte order mark that hides the settings' section,
// or the lines of the section that the plug-in passes over, each with its
// number and why, at most a screenful. Reads only, never writes.
void ExamineIniFile(const char* iniPath, IniNoticeRecord& notice);

// Tells the user, in a box owned by `owner`, what keeps the plug-in from
// reading its INI file (`notice`): at most once a start, on the first chance
// that comes, the first compose window opened or the settings dialog.
// Nothing when the file reads well.
void TellIniTrouble(HWND owner, IniNoticeRecord& notice);

// Runs the settings dialog of the library `instance` modally, owned by
// `owner`, once any notice about the INI file is told (TellIniTrouble). Its
// boxes show the INI file at `iniPath` as it is when the dialog opens. OK
// stores the boxes in `settings` and in the INI file, then reads `domains`
// again from the file; Cancel changes nothing. When the INI file cannot be
// written, OK tells the user so, with the file and the reason, and leaves the
// dialog open and `settings` and `domains` as they were.
void RunSettingsDialog(HWND owner, HINSTANCE instance, const char* iniPath,
                       SettingsRecord& settings, UserDomainsRecord& domains,
                       IniNoticeRecord& notice);

}  // namespace telepost
