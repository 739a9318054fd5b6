// Modal dialogs of the user-interface model, built from a module's dialog
// template: the dialog window and its controls, the buttons' behaviour, and
// what the dialog manager does with keys, mnemonics and the close button
// when the dialog procedure leaves a message to it.
#include <cctype>

#include "dialog_template.h"
#include "window_model.h"

namespace win32posix {
namespace {

// Pixels per four horizontal and per eight vertical dialog units: the model
// has no fonts, so every dialog gets those of a 9-point face at 96 dpi.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 12;

// Dialog units to pixels, rounded to the nearest pixel.
LONG Scale(LONG units, int base, int per) {
    return (units * base + per / 2) / per;
}

// Maps each of the four values on its own, as MapDialogRect does.
RECT MapUnits(RECT units) {
    return RECT{Scale(units.left, kBaseUnitX, 4), Scale(units.top, kBaseUnitY, 8),
                Scale(units.right, kBaseUnitX, 4), Scale(units.bottom, kBaseUnitY, 8)};
}

// A window's place from a template: the corner and the size are mapped apart,
// as the dialog manager creates the window.
RECT Place(short x, short y, short cx, short cy) {
    RECT corner = MapUnits(RECT{x, y, cx, cy});
    return RECT{corner.left, corner.top, corner.left + corner.right, corner.top + corner.bottom};
}

DWORD ButtonType(const Window& window) {
    return window.style & BS_TYPEMASK;
}

// The control whose text marks `key` as its mnemonic ("&Z"), or null.
HWND MnemonicControl(const Window& dialog, char key) {
    for (HWND child : dialog.children) {
        const std::string& text = WindowOf(child)->text;
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != '&') {
                continue;
            }
            if (text[i + 1] == '&') {
                ++i;  // "&&" is a plain ampersand
                continue;
            }
            if (std::toupper(static_cast<unsigned char>(text[i + 1])) ==
                std::toupper(static_cast<unsigned char>(key))) {
                return child;
            }
        }
    }
    return nullptr;
}

// A character typed in the dialog, at any of its windows, presses the
// control it is the mnemonic of, as the dialog manager does.
void PressMnemonic(HWND dialog, WPARAM key) {
    Window* window = WindowOf(dialog);
    if (!window || key >= 0x80 || !std::isalnum(static_cast<int>(key))) {
        return;
    }
    if (HWND control = MnemonicControl(*window, static_cast<char>(key))) {
        SendMessageA(control, BM_CLICK, 0, 0);
    }
}

// A button: check boxes keep their state, an automatic one flips it when
// clicked; every click is told to the dialog as a command.
LRESULT ButtonBehaviour(Window& self, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case BM_GETCHECK:
            return self.data;
        case BM_SETCHECK:
            if (ButtonType(self) == BS_AUTOCHECKBOX || ButtonType(self) == BS_CHECKBOX) {
                self.data = static_cast<LONG_PTR>(wParam);
            }
            return 0;
        case WM_CHAR:
            PressMnemonic(self.parent, wParam);
            return 0;
        case BM_CLICK: {
            if (ButtonType(self) == BS_AUTOCHECKBOX) {
                self.data = self.data == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            }
            SendMessageA(self.parent, WM_COMMAND, MAKELONG(self.id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(self.handle));
            return 0;
        }
        default:
            return 0;
    }
}

// What the dialog manager does with a message the procedure left to it.
LRESULT DefaultDialogBehaviour(Window& self, UINT message, WPARAM wParam) {
    switch (message) {
        case DM_GETDEFID:
            return DefaultButton(self);
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                SendMessageA(self.handle, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_CLOSE:
            // The caption's close button is Cancel.
            SendMessageA(self.handle, WM_COMMAND, IDCANCEL, 0);
            return 0;
        case WM_CHAR:
            PressMnemonic(self.handle, wParam);
            return 0;
        default:
            return 0;
    }
}

HWND FirstTabStop(const Window& dialog) {
    for (HWND child : dialog.children) {
        if (WindowOf(child)->style & WS_TABSTOP) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace
}  // namespace win32posix

using win32posix::Window;
using win32posix::WindowOf;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                               LPARAM param) {
    win32posix::DialogTemplate layout;
    if (!win32posix::LoadDialogTemplate(instance, name, &layout)) {
        return -1;
    }
    auto dialog = std::make_unique<Window>();
    dialog->className = win32posix::kDialogClass;
    dialog->text = layout.title;
    dialog->style = layout.style;
    dialog->exStyle = layout.exStyle;
    dialog->rect = win32posix::Place(layout.x, layout.y, layout.cx, layout.cy);
    dialog->parent = owner;
    dialog->behaviour = [proc](Window& self, UINT message, WPARAM wParam,
                               LPARAM lParam) -> LRESULT {
        HWND handle = self.handle;
        if (INT_PTR handled = proc(handle, message, wParam, lParam)) {
            return handled;
        }
        // The procedure may have ended or destroyed the dialog.
        Window* window = WindowOf(handle);
        return window ? win32posix::DefaultDialogBehaviour(*window, message, wParam) : 0;
    };
    HWND handle = win32posix::NewWindow(std::move(dialog));
    for (const win32posix::DialogItem& item : layout.items) {
        HWND control =
            win32posix::AddChild(handle, item.className.c_str(), item.text, item.style, item.id,
                                 win32posix::Place(item.x, item.y, item.cx, item.cy));
        Window* window = WindowOf(control);
        window->exStyle = item.exStyle;
        if (item.className == "Button") {
            window->behaviour = win32posix::ButtonBehaviour;
        }
    }
    Window* window = WindowOf(handle);
    proc(handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(win32posix::FirstTabStop(*window)), param);
    INT_PTR result = win32posix::RunModal(handle);
    DestroyWindow(handle);
    return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    Window* window = WindowOf(dialog);
    if (!window) {
        return FALSE;
    }
    window->ended = true;
    window->result = result;
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
    if (!WindowOf(dialog) || !rect) {
        return FALSE;
    }
    *rect = win32posix::MapUnits(*rect);
    return TRUE;
}

int WINAPI GetDlgCtrlID(HWND control) {
    Window* window = WindowOf(control);
    return window && (window->style & WS_CHILD) ? window->id : 0;
}

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    Window* window = WindowOf(dialog);
    if (!window || window->children.empty()) {
        return nullptr;
    }
    const std::vector<HWND>& children = window->children;
    size_t count = children.size();
    size_t at = 0;
    while (at < count && children[at] != control) {
        ++at;
    }
    if (at == count) {
        return win32posix::FirstTabStop(*window);
    }
    for (size_t step = 1; step <= count; ++step) {
        size_t i = previous ? (at + count - step) % count : (at + step) % count;
        if (WindowOf(children[i])->style & WS_TABSTOP) {
            return children[i];
        }
    }
    return nullptr;
}

namespace {

// The dialog's DWLP_USER slot, or null with the thread's last error set.
LONG_PTR* DialogUser(HWND dialog, int index) {
    Window* window = WindowOf(dialog);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (index != DWLP_USER || window->className != win32posix::kDialogClass) {
        SetLastError(ERROR_INVALID_INDEX);
        return nullptr;
    }
    return &window->user;
}

}  // namespace

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    LONG_PTR* user = DialogUser(window, index);
    if (!user) {
        return 0;
    }
    const LONG_PTR old = *user;
    *user = value;
    return old;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
    LONG_PTR* user = DialogUser(window, index);
    return user ? *user : 0;
}
