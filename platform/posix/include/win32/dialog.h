// Dialogs for Linux builds: modal dialogs built from a module's dialog
// templates, with the buttons and keys of the dialog manager, and their
// dialog units.
#pragma once

#include "types.h"
#include "user.h"

// Dialog styles.
#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L

// The caption's close button, as a system command.
#define WM_SYSCOMMAND 0x0112
#define SC_CLOSE 0xF060

// A button's notification that it was clicked.
#define BN_CLICKED 0

// A dialog's own value, which its procedure may keep with it: set and read
// with SetWindowLongPtrA and GetWindowLongPtrA, 0 until set.
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + static_cast<int>(sizeof(LRESULT)))
#define DWLP_USER (DWLP_DLGPROC + static_cast<int>(sizeof(DLGPROC)))
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_INVALID_INDEX 1413

// DWLP_USER of a dialog: the old value when set, the value when read. Any
// other index, or a window that is not a dialog, gives 0 and
// ERROR_INVALID_INDEX; a handle that names no window, 0 and
// ERROR_INVALID_WINDOW_HANDLE.
LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index);

// Builds the dialog from template `name` of `instance`'s resources, owned by
// `owner`, calls `proc` with WM_INITDIALOG, then runs it modally until the
// procedure calls EndDialog; gives EndDialog's result, or -1 when the
// template is missing.
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                               LPARAM param);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
// Turns a rectangle in dialog units into pixels of the dialog's client area.
BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect);
// A control's identifier.
int WINAPI GetDlgCtrlID(HWND control);
// The next (or previous) control of the dialog with WS_TABSTOP, after
// `control`, going round; the first for a null control.
HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
