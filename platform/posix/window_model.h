// The records behind the user-interface model's window handles, and the
// modal loop that message boxes and dialogs run in.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace win32posix {

// The class of dialogs, message boxes among them.
inline constexpr char kDialogClass[] = "#32770";

struct Window;
// What a window does with a message sent to it: its window procedure.
using Behaviour = std::function<LRESULT(Window& self, UINT message, WPARAM, LPARAM)>;

struct Window {
    HWND handle = nullptr;
    std::string className;
    std::string text;  // code page 932
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};
    HWND parent = nullptr;  // the owner of a top-level window, the parent of a child
    HMENU menu = nullptr;   // the menu bar of a top-level window
    int id = 0;             // a child's control identifier
    std::vector<HWND> children;
    Behaviour behaviour;  // null: messages are ignored and give 0
    LONG_PTR data = 0;    // a control's own state (a box's check, an icon)
    LONG_PTR user = 0;    // a dialog's DWLP_USER

    // A modal window's end, set by its behaviour.
    bool ended = false;
    INT_PTR result = 0;
};

HWND NewWindow(std::unique_ptr<Window> window);
// The record behind a handle; null for a handle that names no live window.
Window* WindowOf(HWND handle);
void RemoveWindow(HWND handle);
// The dialog's default push button, as DM_GETDEFID answers: its identifier
// with DC_HASDEFID, or 0 when it has none.
LRESULT DefaultButton(const Window& dialog);

// Creates a child control of `parent`.
HWND AddChild(HWND parent, const char* className, const std::string& text, DWORD style, int id,
              RECT rect);

// Runs `window` modally: tells the thread's CBT hooks it is activated, then
// delivers the messages posted to the thread until its behaviour ends it,
// and gives the result. Keys reach the dialog as the dialog manager turns
// them: Escape is IDCANCEL, Enter the default button. When nothing is left
// to deliver and the window is still open, nobody is there to answer it:
// Enter is pressed.
INT_PTR RunModal(HWND window);

}  // namespace win32posix
