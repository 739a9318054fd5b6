// Windows of the user-interface model: a window is a record with its class,
// text, style, owner, menu and place; handles are small numbers, never
// addresses, so a stale handle is told apart from a live one.
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

UINT_PTR NextHandle = 0x10010;

}  // namespace

HWND NewWindow(std::unique_ptr<Window> window) {
    UINT_PTR id = NextHandle;
    NextHandle += 4;
    window->handle = reinterpret_cast<HWND>(id);
    HWND handle = window->handle;
    Windows()[id] = std::move(window);
    return handle;
}

Window* WindowOf(HWND handle) {
    auto it = Windows().find(reinterpret_cast<UINT_PTR>(handle));
    return it == Windows().end() ? nullptr : it->second.get();
}

void RemoveWindow(HWND handle) {
    Window* window = WindowOf(handle);
    if (!window) {
        return;
    }
    std::vector<HWND> children = window->children;
    for (HWND child : children) {
        RemoveWindow(child);
    }
    if (window->style & WS_CHILD) {
        if (Window* parent = WindowOf(window->parent)) {
            std::erase(parent->children, handle);
        }
    }
    Windows().erase(reinterpret_cast<UINT_PTR>(handle));
}

LRESULT DefaultButton(const Window& dialog) {
    for (HWND child : dialog.children) {
        Window* control = WindowOf(child);
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
    WindowOf(parent)->children.push_back(handle);
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
    if (!win32posix::WindowOf(handle)) {
        return FALSE;
    }
    win32posix::RemoveWindow(handle);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) {
    return win32posix::WindowOf(handle) ? TRUE : FALSE;
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
    win32posix::Window* window = win32posix::WindowOf(handle);
    return CopyText(window ? window->text : std::string(), text, size);
}

int WINAPI GetClassNameA(HWND handle, LPSTR name, int size) {
    win32posix::Window* window = win32posix::WindowOf(handle);
    return window ? CopyText(window->className, name, size) : 0;
}

LONG WINAPI GetWindowLongA(HWND handle, int index) {
    win32posix::Window* window = win32posix::WindowOf(handle);
    return window && index == GWL_STYLE ? static_cast<LONG>(window->style) : 0;
}

HWND WINAPI GetWindow(HWND handle, UINT relation) {
    win32posix::Window* window = win32posix::WindowOf(handle);
    return window && relation == GW_OWNER && !(window->style & WS_CHILD) ? window->parent : nullptr;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    win32posix::Window* window = win32posix::WindowOf(dialog);
    if (!window) {
        return nullptr;
    }
    for (HWND child : window->children) {
        if (win32posix::WindowOf(child)->id == id) {
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

namespace {

// Where a window's client area starts on the screen: the model draws no
// frames, so a top-level window's client area is the whole window, and a
// child's rectangle is kept in its parent's client coordinates.
POINT ClientOrigin(HWND handle) {
    POINT origin{0, 0};
    for (win32posix::Window* window = win32posix::WindowOf(handle); window;
         window = win32posix::WindowOf(window->parent)) {
        origin.x += window->rect.left;
        origin.y += window->rect.top;
        if (!(window->style & WS_CHILD)) {
            break;
        }
    }
    return origin;
}

}  // namespace

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
    win32posix::Window* window = win32posix::WindowOf(handle);
    if (!window || !rect) {
        return FALSE;
    }
    POINT origin = (window->style & WS_CHILD) ? ClientOrigin(window->parent) : POINT{0, 0};
    *rect = RECT{window->rect.left + origin.x, window->rect.top + origin.y,
                 window->rect.right + origin.x, window->rect.bottom + origin.y};
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
    win32posix::Window* window = win32posix::WindowOf(handle);
    if (!window || !rect) {
        return FALSE;
    }
    *rect =
        RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
    return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT a = from ? ClientOrigin(from) : POINT{0, 0};
    POINT b = to ? ClientOrigin(to) : POINT{0, 0};
    LONG dx = a.x - b.x;
    LONG dy = a.y - b.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}
