// The plug-in's user interface: the four commands it adds to every compose
// window's menu, and the settings dialog.
#pragma once

#include "telepost/contract.h"

namespace telepost {

// For a compose window's menu (kComposeMenuType): registers the four commands with the
// host, then appends a separator and their four items to the pop-up menu at
// kCommandMenuPosition. Any other menu type is left alone.
void ExtendComposeMenu(HMENU menu, int menuType);

// The commands' handlers, called by the host with the compose window. The
// three conversions always hand the text back, changed or not; the check only
// tells the user, at most once, that the text holds a double-byte character.
void WINAPI CmdZenkakuToHankaku(HWND window, LPARAM);
void WINAPI CmdToImodeEmoji(HWND window, LPARAM);
void WINAPI CmdCheckDoubleByte(HWND window, LPARAM);
void WINAPI CmdDeleteBlanks(HWND window, LPARAM);

// Looks at the INI file as the plug-in starts, and writes afresh what the
// user is to be told of it (g_iniNotice): a path too long to name the file,
// a byte order mark that hides the settings' section, or the lines of the
// section that the plug-in passes over, each with its number and why, at
// most a screenful. Reads only, never writes.
void ExamineIniFile();

// Tells the user, in a box owned by `owner`, what keeps the plug-in from
// reading its INI file (g_iniNotice): at most once a start, on the first
// chance that comes, the first compose window opened or the settings dialog.
// Nothing when the file reads well.
void TellIniTrouble(HWND owner);

// Runs the settings dialog modally, owned by `owner`, once any notice about
// the INI file is told (TellIniTrouble); OK stores the three
// boxes in g_settings and in the INI file, Cancel changes nothing. When the
// INI file cannot be written, OK tells the user so, with the file and the
// reason, and leaves the dialog open and g_settings as they were.
void RunSettingsDialog(HWND owner);

// The settings dialog's procedure: 1 for a message it handled, else 0.
INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace telepost
