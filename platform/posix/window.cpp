// Windows of the user-interface model: a window is a record with its class,
// text, style, owner and menu; handles are small numbers, never addresses, so
// a stale handle is told apart from a live one.
#include "window_model.h"

#include <map>
#include <memory>

namespace win32posix {
namespace {

std::map<UINT_PTR, std::unique_ptr<Window>>& Windows() {
    static std::map<UINT_PTR, std::unique_ptr<Window>> windows;
    return windows;
}

UINT_PTR nextHandle = 0x10010;

}  // namespace

HWND NewWindow(std::unique_ptr<Window> window) {
    UINT_PTR id = nextHandle;
    nextHandle += 4;
    window->handle = reinterpret_cast<HWND>(id);
    HWND handle = window->handle;
    Windows()[id] = std::move(window);
    return handle;
}

Window* FindWindow(HWND handle) {
    auto it = Windows().find(reinterpret_cast<UINT_PTR>(handle));
    return it == Windows().end() ? nullptr : it->second.get();
}

void RemoveWindow(HWND handle) {
    Windows().erase(reinterpret_cast<UINT_PTR>(handle));
}

}  // namespace win32posix

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu, HINSTANCE,
                            LPVOID) {
    auto window = std::make_unique<win32posix::Window>();
    window->className = className ? className : "";
    window->text = windowName ? windowName : "";
    window->style = style;
    window->exStyle = exStyle;
    window->rect = RECT{x, y, x + width, y + height};
    window->parent = parent;
    if (!(style & WS_CHILD)) {
        window->menu = menu;
    }
    return win32posix::NewWindow(std::move(window));
}

BOOL WINAPI DestroyWindow(HWND handle) {
    if (!win32posix::FindWindow(handle)) {
        return FALSE;
    }
    win32posix::RemoveWindow(handle);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) {
    return win32posix::FindWindow(handle) ? TRUE : FALSE;
}
