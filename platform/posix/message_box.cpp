// Message boxes of the user-interface model, built as Windows builds them: a
// dialog owned by the given window, with the text in control 0xFFFF, the
// icon in a static control and one button per answer, ended by a command
// from one of its buttons. An owner that is no window fails the box, which
// then gives 0, as on Windows.
#include <vector>

#include "last_error.h"
#include "window_model.h"

namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x0440;

std::vector<int> Buttons(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE:
            return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        case MB_RETRYCANCEL:
            return {IDRETRY, IDCANCEL};
        default:
            return {IDOK};
    }
}

LPCSTR IconName(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND:
            return IDI_HAND;
        case MB_ICONQUESTION:
            return IDI_QUESTION;
        case MB_ICONEXCLAMATION:
            return IDI_EXCLAMATION;
        case MB_ICONASTERISK:
            return IDI_ASTERISK;
        default:
            return nullptr;
    }
}

}  // namespace

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR name) {
    // The system's icons are shared: the same name always gives the same handle.
    return IS_INTRESOURCE(name) ? reinterpret_cast<HICON>(const_cast<LPSTR>(name)) : nullptr;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    using win32posix::Window;
    if (owner && !win32posix::WindowOf(owner)) {
        // As on Windows: no box is shown for an owner that is no window.
        win32posix::SetError(win32posix::kErrorInvalidWindowHandle);
        return 0;
    }
    std::vector<int> buttons = Buttons(type);
    size_t defaultIndex =
        ((type & MB_DEFMASK) >> 8) < buttons.size() ? (type & MB_DEFMASK) >> 8 : 0;
    int defaultId = buttons[defaultIndex];

    auto box = std::make_unique<Window>();
    box->className = win32posix::kDialogClass;
    box->text = caption ? caption : "";
    box->style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    box->parent = owner;
    box->behaviour = [buttons](Window& self, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message == DM_GETDEFID) {
            return win32posix::DefaultButton(self);
        }
        if (message != WM_COMMAND) {
            return 0;
        }
        int id = LOWORD(wParam);
        bool known = false;
        for (int b : buttons) {
            known = known || b == id;
        }
        // Escape (IDCANCEL) ends a box without a Cancel button only when it has OK alone.
        if (!known && !(id == IDCANCEL && buttons.size() == 1)) {
            return 0;
        }
        self.ended = true;
        self.result = (id == IDCANCEL && buttons.size() == 1) ? IDOK : id;
        return 0;
    };
    HWND handle = win32posix::NewWindow(std::move(box));
    win32posix::AddChild(handle, "Static", text ? text : "", WS_VISIBLE, kTextId, RECT{});
    if (LPCSTR icon = IconName(type)) {
        HWND iconControl =
            win32posix::AddChild(handle, "Static", "", WS_VISIBLE | SS_ICON, kIconId, RECT{});
        Window* control = win32posix::WindowOf(iconControl);
        control->data = reinterpret_cast<LONG_PTR>(LoadIconA(nullptr, icon));
        control->behaviour = [](Window& self, UINT message, WPARAM, LPARAM) -> LRESULT {
            return message == STM_GETICON ? self.data : 0;
        };
    }
    for (int id : buttons) {
        DWORD kind = id == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        HWND button =
            win32posix::AddChild(handle, "Button", "", WS_VISIBLE | WS_TABSTOP | kind, id, RECT{});
        win32posix::WindowOf(button)->behaviour = [handle, id](Window&, UINT message, WPARAM,
                                                               LPARAM) -> LRESULT {
            if (message == BM_CLICK) {
                SendMessageA(handle, WM_COMMAND, static_cast<WPARAM>(id), 0);
            }
            return 0;
        };
    }
    auto result = static_cast<int>(win32posix::RunModal(handle));
    win32posix::RemoveWindow(handle);
    return result;
}
