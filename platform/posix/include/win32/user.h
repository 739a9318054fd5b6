// User-interface services for Linux builds: an in-process model of windows,
// menus, message boxes and modal dialogs, driven by the stand-in host through
// the same calls (hooks, messages) that drive the real ones on Windows.
#pragma once

#include "types.h"

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_TABSTOP 0x00010000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define SS_ICON 0x00000003L
// Button styles, in the low four bits of a button's style.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_TYPEMASK 0x0000000FL

// Messages.
#define WM_CLOSE 0x0010
#define WM_KEYDOWN 0x0100
#define WM_TIMER 0x0113
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_USER 0x0400
#define DM_GETDEFID (WM_USER + 0)
#define DC_HASDEFID 0x534B
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define STM_SETICON 0x0170
#define STM_GETICON 0x0171
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B

// Dialog and message box results.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

// Message box styles.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONMASK 0x000000F0L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFMASK 0x00000F00L

// The system's icons.
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)

// Hooks.
#define WH_CBT 5
#define HCBT_ACTIVATE 5

// GetWindow relations and window fields.
#define GW_OWNER 4
#define GWL_STYLE (-16)

#define HWND_DESKTOP (static_cast<HWND>(nullptr))

struct POINT {
    LONG x;
    LONG y;
};
using LPPOINT = POINT*;

using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using HOOKPROC = LRESULT(CALLBACK*)(int code, WPARAM, LPARAM);
using TIMERPROC = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI IsWindow(HWND window);
int WINAPI GetWindowTextA(HWND window, LPSTR text, int size);
int WINAPI GetClassNameA(HWND window, LPSTR name, int size);
LONG WINAPI GetWindowLongA(HWND window, int index);
HWND WINAPI GetWindow(HWND window, UINT relation);
// The window's client area: 0, 0 and its size.
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
// The window's rectangle in screen coordinates.
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
// Turns points from one window's client coordinates into another's; a null
// window stands for the screen.
int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);
HWND WINAPI GetDlgItem(HWND dialog, int id);
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size);

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

HHOOK WINAPI SetWindowsHookExA(int kind, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL WINAPI UnhookWindowsHookEx(HHOOK hook);
LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// Timers without a window, whose procedure the running modal loop calls.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
