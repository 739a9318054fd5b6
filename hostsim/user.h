// The stand-in host's user: answers the plug-in's message boxes and acts in
// its dialogs, on both targets through a thread CBT hook, as a person at the
// keyboard would, and records every message box it was shown.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace hostsim {

// A message box as the user saw it, and the button pressed.
struct MessageBoxSeen {
    HWND owner = nullptr;
    std::string text;     // code page 932
    std::string caption;  // code page 932
    UINT style = 0;       // the buttons, icon and default button it showed
    int answer = 0;       // IDYES, IDNO, IDOK, ...

    bool operator==(const MessageBoxSeen&) const = default;
};

// The buttons a message box of `style` shows, in their order; OK alone for
// a style that names no other set.
const std::vector<int>& ButtonsOf(UINT style);

class User {
  public:
    // Starts watching this thread's windows; one user at a time.
    User();
    ~User();
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    // The buttons to press in the next message boxes, in order.
    void AnswerMessageBoxes(std::vector<int> answers);
    // Decides a box once the scripted answers are used up; without it the
    // default button is pressed, as Enter would. The box waits for the
    // answer with its message loop running, as it does for a person: `decide`
    // may act in the meantime, e.g. send from another compose window, and the
    // boxes that opens are answered in turn.
    void OnMessageBox(std::function<int(const MessageBoxSeen&)> decide);
    // Acts in any other dialog shown: it may read and set controls, and must
    // end the dialog, e.g. with PostMessageA(dialog, WM_COMMAND, IDOK, 0).
    void OnDialog(std::function<void(HWND dialog)> act);

    // In the order they were shown.
    const std::vector<MessageBoxSeen>& MessageBoxes() const { return seen_; }
    void Forget() { seen_.clear(); }

  private:
    static LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK LookAtMessageBox(HWND, UINT, UINT_PTR timer, DWORD);
    void Activated(HWND window);
    void AnswerMessageBox(HWND box);

    HHOOK hook_ = nullptr;
    HWND box_ = nullptr;  // the message box being shown, until it is answered
    std::deque<int> answers_;
    std::function<int(const MessageBoxSeen&)> decide_;
    std::function<void(HWND)> act_;
    std::vector<MessageBoxSeen> seen_;
    std::vector<HWND> answering_;  // boxes whose answer is being decided, innermost last
};

}  // namespace hostsim
