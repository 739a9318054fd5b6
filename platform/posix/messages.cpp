// Messages, hooks and the modal loop of the user-interface model. Posted
// messages wait in one queue per thread and are delivered by the modal loop
// of the message box or dialog that runs on that thread.
#include <cstdio>
#include <deque>
#include <map>
#include <vector>

#include "window_model.h"

namespace win32posix {
namespace {

struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct Hook {
    HHOOK handle;
    HOOKPROC proc;
    DWORD thread;
};

std::map<DWORD, std::deque<Posted>>& Queues() {
    static std::map<DWORD, std::deque<Posted>> queues;
    return queues;
}

std::vector<Hook>& Hooks() {
    static std::vector<Hook> hooks;
    return hooks;
}

UINT_PTR NextHook = 0x20010;

// Thread timers that are set: their identifiers and procedures.
std::map<UINT_PTR, TIMERPROC>& Timers() {
    static std::map<UINT_PTR, TIMERPROC> timers;
    return timers;
}

UINT_PTR NextTimer = 1;

// A due timer, as the modal loop delivers it: called, and due again later
// unless it was killed.
void Fire(std::deque<Posted>& queue, const Posted& posted) {
    UINT_PTR id = posted.wParam;
    auto it = Timers().find(id);
    if (it == Timers().end()) {
        return;
    }
    it->second(nullptr, WM_TIMER, id, 0);
    if (Timers().count(id)) {
        queue.push_back(posted);
    }
}

// Calls the thread's CBT hooks from the newest, as Windows does.
void CallCbtHooks(int code, WPARAM wParam, LPARAM lParam) {
    DWORD thread = GetCurrentThreadId();
    std::vector<Hook> hooks = Hooks();
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        if (it->thread == thread) {
            it->proc(code, wParam, lParam);
            return;  // a hook that wants the next one calls CallNextHookEx
        }
    }
}

// What the dialog manager makes of a key pressed in a dialog: Escape is
// IDCANCEL, Enter the default button.
bool DialogKey(HWND dialog, const Posted& key) {
    if (key.message != WM_KEYDOWN) {
        return false;
    }
    if (key.wParam == VK_ESCAPE) {
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    }
    if (key.wParam == VK_RETURN) {
        LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
        WORD id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        SendMessageA(dialog, WM_COMMAND, id, 0);
        return true;
    }
    return false;
}

bool InDialog(HWND dialog, HWND window) {
    for (Window* w = WindowOf(window); w; w = WindowOf(w->parent)) {
        if (w->handle == dialog) {
            return true;
        }
        if (!(w->style & WS_CHILD)) {
            break;
        }
    }
    return false;
}

}  // namespace

INT_PTR RunModal(HWND handle) {
    CallCbtHooks(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(handle), 0);
    auto& queue = Queues()[GetCurrentThreadId()];
    for (;;) {
        Window* window = WindowOf(handle);
        if (!window) {
            return 0;
        }
        if (window->ended) {
            return window->result;
        }
        if (queue.empty()) {
            std::fputs("win32posix: nobody answers the modal window; pressing Enter\n", stderr);
            DialogKey(handle, Posted{handle, WM_KEYDOWN, VK_RETURN, 0});
            continue;
        }
        Posted posted = queue.front();
        queue.pop_front();
        if (!posted.window && posted.message == WM_TIMER) {
            Fire(queue, posted);
            continue;
        }
        if (InDialog(handle, posted.window) && DialogKey(handle, posted)) {
            continue;
        }
        SendMessageA(posted.window, posted.message, posted.wParam, posted.lParam);
    }
}

}  // namespace win32posix

using win32posix::Window;
using win32posix::WindowOf;

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = WindowOf(handle);
    if (!window || !window->behaviour) {
        return 0;
    }
    // The behaviour may destroy the window: call a copy.
    win32posix::Behaviour behaviour = window->behaviour;
    return behaviour(*window, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!WindowOf(handle)) {
        return FALSE;
    }
    win32posix::Queues()[GetCurrentThreadId()].push_back({handle, message, wParam, lParam});
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

HHOOK WINAPI SetWindowsHookExA(int kind, HOOKPROC proc, HINSTANCE, DWORD threadId) {
    if (kind != WH_CBT || !proc) {
        return nullptr;  // the model knows CBT hooks only
    }
    auto handle = reinterpret_cast<HHOOK>(win32posix::NextHook++);
    win32posix::Hooks().push_back({handle, proc, threadId ? threadId : GetCurrentThreadId()});
    return handle;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hook) {
    auto& hooks = win32posix::Hooks();
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (it->handle == hook) {
            hooks.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    auto& hooks = win32posix::Hooks();
    DWORD thread = GetCurrentThreadId();
    bool after = false;
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        if (after && it->thread == thread) {
            return it->proc(code, wParam, lParam);
        }
        after = after || it->handle == hook;
    }
    return 0;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR, UINT, TIMERPROC proc) {
    if (window || !proc) {
        return 0;  // the model keeps thread timers with a procedure only
    }
    UINT_PTR id = win32posix::NextTimer++;
    win32posix::Timers()[id] = proc;
    win32posix::Queues()[GetCurrentThreadId()].push_back({nullptr, WM_TIMER, id, 0});
    return id;
}

BOOL WINAPI KillTimer(HWND, UINT_PTR id) {
    return win32posix::Timers().erase(id) ? TRUE : FALSE;
}
