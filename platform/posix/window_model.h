// The records behind the user-interface model's window handles.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace win32posix {

struct Window {
    HWND handle = nullptr;
    std::string className;
    std::string text;  // code page 932
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};
    HWND parent = nullptr;  // the owner of a top-level window, the parent of a child
    HMENU menu = nullptr;   // the menu bar of a top-level window
};

HWND NewWindow(std::unique_ptr<Window> window);
// Null for a handle that names no live window.
Window* FindWindow(HWND handle);
void RemoveWindow(HWND handle);

}  // namespace win32posix
