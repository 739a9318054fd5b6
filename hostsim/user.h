// The stand-in host's user: answers the plug-in's message boxes and acts in
// its dialogs, on both targets through a thread CBT hook, as a person at the
// keyboard would, and records every message box it was shown.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <iosfwd>
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
// Its caption, text and answer as the terminal shows them: for test reports.
std::ostream& operator<<(std::ostream& out, const MessageBoxSeen& box);

// A dialog the user had acted in that came back to the user still open: its
// action did not end it, e.g. OK could not save and a message box said why.
struct DialogReturned {
    HWND dialog = nullptr;
    std::string title;                  // code page 932
    std::vector<MessageBoxSeen> boxes;  // the boxes it had shown by then

    bool operator==(const DialogReturned&) const = default;
};
// Its title and the boxes it showed, as the terminal shows them.
std::ostream& operator<<(std::ostream& out, const DialogReturned& returned);

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
    // What the user does with a dialog that comes back after `act`.
    enum class Returning {
        Cancel,  // presses Cancel, once the messages already sent to it are handled
        Leave,   // leaves it to a person at the window
    };
    // Acts in any other dialog shown: it may read and set controls, and must
    // end the dialog, e.g. with PostMessageA(dialog, WM_COMMAND, IDOK, 0).
    // Once for each dialog: when the dialog comes back still open (activated
    // again, or a message box it showed answered), `act` is not run again;
    // the return is recorded, and handled as `returning` says.
    void OnDialog(std::function<void(HWND dialog)> act, Returning returning = Returning::Cancel);

    // In the order they were shown.
    const std::vector<MessageBoxSeen>& MessageBoxes() const { return seen_; }
    // The dialogs that came back after the user acted in them, in order.
    const std::vector<DialogReturned>& DialogsReturned() const { return returned_; }
    void Forget() {
        seen_.clear();
        returned_.clear();
    }

  private:
    static LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK LookAtMessageBox(HWND, UINT, UINT_PTR timer, DWORD);
    static void CALLBACK LookAtReturnedDialogs(HWND, UINT, UINT_PTR timer, DWORD);
    void Activated(HWND window);
    void AnswerMessageBox(HWND box);
    bool ActedIn(HWND dialog);
    void Returned(HWND dialog);

    HHOOK hook_ = nullptr;
    HWND box_ = nullptr;  // the message box being shown, until it is answered
    std::deque<int> answers_;
    std::function<int(const MessageBoxSeen&)> decide_;
    std::function<void(HWND)> act_;
    Returning returning_ = Returning::Cancel;
    std::vector<HWND> actedIn_;     // dialogs acted in, while they live
    std::vector<HWND> comingBack_;  // returned, looked at once the messages sent them are handled
    std::vector<MessageBoxSeen> seen_;
    std::vector<DialogReturned> returned_;
    std::vector<HWND> answering_;  // boxes whose answer is being decided, innermost last
};

}  // namespace hostsim
