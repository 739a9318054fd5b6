// Windows of the user-interface model: a window is a record with its class,
// text, style, owner and menu; handles are small numbers, never addresses, so
// a stale handle is told apart from a live one.
#include "window_model.h"

#include <cstring>
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
    Window* window = FindWindow(handle);
    if (!window) {
        return;
    }
    std::vector<HWND> children = window->children;
    for (HWND child : children) {
        RemoveWindow(child);
    }
    if (window->style & WS_CHILD) {
        if (Window* parent = FindWindow(window->parent)) {
            std::erase(parent->children, handle);
        }
    }
    Windows().erase(reinterpret_cast<UINT_PTR>(handle));
}

LRESULT DefaultButton(const Window& dialog) {
    for (HWND child : dialog.children) {
        Window* control = FindWindow(child);
        if (control->className == "Button" && (control->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return MAKELONG(control->id, DC_HASDEFID);
        }
    }
    return 0;
}

HWND AddChild(HWND parent, const char* className, const std::string& text, DWORD style, int id,
              RECT rect) {
    auto child = std::make_unique<Window>();
    child->className = className;
    child->text = text;
    child->style = style | WS_CHILD;
    child->id = id;
    child->rect = rect;
    child->parent = parent;
    HWND handle = NewWindow(std::move(child));
    FindWindow(parent)->children.push_back(handle);
    return handle;
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

namespace {

int CopyText(const std::string& text, LPSTR out, int size) {
    if (!out || size <= 0) {
        return 0;
    }
    size_t n =
        text.size() < static_cast<size_t>(size) ? text.size() : static_cast<size_t>(size) - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace

int WINAPI GetWindowTextA(HWND handle, LPSTR text, int size) {
    win32posix::Window* window = win32posix::FindWindow(handle);
    return CopyText(window ? window->text : std::string(), text, size);
}

int WINAPI GetClassNameA(HWND handle, LPSTR name, int size) {
    win32posix::Window* window = win32posix::FindWindow(handle);
    return window ? CopyText(window->className, name, size) : 0;
}

LONG WINAPI GetWindowLongA(HWND handle, int index) {
    win32posix::Window* window = win32posix::FindWindow(handle);
    return window && index == GWL_STYLE ? static_cast<LONG>(window->style) : 0;
}

HWND WINAPI GetWindow(HWND handle, UINT relation) {
    win32posix::Window* window = win32posix::FindWindow(handle);
    return window && relation == GW_OWNER && !(window->style & WS_CHILD) ? window->parent : nullptr;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    win32posix::Window* window = win32posix::FindWindow(dialog);
    if (!window) {
        return nullptr;
    }
    for (HWND child : window->children) {
        if (win32posix::FindWindow(child)->id == id) {
            return child;
        }
    }
    return nullptr;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        CopyText(std::string(), text, size);
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, text, size));
}
