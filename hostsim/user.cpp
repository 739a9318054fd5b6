#include "user.h"

#include <algorithm>
#include <iterator>
#include <ostream>

#include "codec.h"

namespace hostsim {

namespace {

User* Watching = nullptr;

// Where a message box keeps its text and its icon: Windows and Wine place
// them in controls of their own numbers.
constexpr int kTextIds[] = {0xFFFF, 100};
constexpr int kIconIds[] = {20, 0x0440};

// The button sets of message boxes, as the style names them; a set before
// any set it holds, and MB_OK's, which a style of no other set shows, last.
struct ButtonSet {
    UINT type;
    std::vector<int> ids;
};

const std::vector<ButtonSet>& ButtonSets() {
    static const std::vector<ButtonSet> sets = {
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
        {MB_YESNO, {IDYES, IDNO}},
        {MB_OKCANCEL, {IDOK, IDCANCEL}},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}},
        {MB_OK, {IDOK}},
    };
    return sets;
}

struct IconKind {
    UINT style;
    LPCSTR name;
};

const IconKind kIcons[] = {
    {MB_ICONHAND, IDI_HAND},
    {MB_ICONQUESTION, IDI_QUESTION},
    {MB_ICONEXCLAMATION, IDI_EXCLAMATION},
    {MB_ICONASTERISK, IDI_ASTERISK},
};

std::string TextOf(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND MessageText(HWND window) {
    for (int id : kTextIds) {
        if (HWND text = GetDlgItem(window, id)) {
            return text;
        }
    }
    return nullptr;
}

// The style a message box was shown with, read back from its controls.
UINT StyleOf(HWND box) {
    UINT style = 0;
    std::vector<int> buttons;
    for (const ButtonSet& set : ButtonSets()) {
        bool all = true;
        for (int id : set.ids) {
            all = all && GetDlgItem(box, id) != nullptr;
        }
        if (all) {
            style |= set.type;
            buttons = set.ids;
            break;
        }
    }
    // The default button is drawn as such; Wine's boxes say so by its style only.
    for (size_t i = 0; i < buttons.size(); ++i) {
        LONG buttonStyle = GetWindowLongA(GetDlgItem(box, buttons[i]), GWL_STYLE);
        if ((buttonStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            style |= static_cast<UINT>(i) << 8;  // MB_DEFBUTTON1, 2, 3
        }
    }
    for (int id : kIconIds) {
        HWND control = GetDlgItem(box, id);
        if (!control) {
            continue;
        }
        auto icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
        for (const IconKind& kind : kIcons) {
            if (icon && icon == LoadIconA(nullptr, kind.name)) {
                style |= kind.style;
            }
        }
    }
    return style;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const MessageBoxSeen& box) {
    return out << "message box \"" << ShownCp932(box.caption) << "\": \"" << ShownCp932(box.text)
               << "\", answered " << box.answer;
}

std::ostream& operator<<(std::ostream& out, const DialogReturned& returned) {
    out << "dialog \"" << ShownCp932(returned.title) << "\" came back still open";
    for (const MessageBoxSeen& box : returned.boxes) {
        out << "; it had shown " << box;
    }
    return out;
}

const std::vector<int>& ButtonsOf(UINT style) {
    const std::vector<ButtonSet>& sets = ButtonSets();
    for (const ButtonSet& set : sets) {
        if (set.type == (style & MB_TYPEMASK)) {
            return set.ids;
        }
    }
    return sets.back().ids;  // MB_OK's
}

User::User() {
    Watching = this;
    hook_ = SetWindowsHookExA(WH_CBT, &User::WatchActivation, nullptr, GetCurrentThreadId());
}

User::~User() {
    UnhookWindowsHookEx(hook_);
    if (Watching == this) {
        Watching = nullptr;
    }
}

void User::AnswerMessageBoxes(std::vector<int> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

void User::OnMessageBox(std::function<int(const MessageBoxSeen&)> decide) {
    decide_ = std::move(decide);
}

void User::OnDialog(std::function<void(HWND dialog)> act, Returning returning) {
    act_ = std::move(act);
    returning_ = returning;
}

LRESULT CALLBACK User::WatchActivation(int code, WPARAM wParam, LPARAM lParam) {
    User* user = Watching;
    if (code == HCBT_ACTIVATE && user) {
        user->Activated(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(user ? user->hook_ : nullptr, code, wParam, lParam);
}

void User::Activated(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") {
        return;  // not a dialog: a compose window, say
    }
    if (MessageText(window)) {
        // Looked at once its own loop runs: only then has it settled which
        // button is the default, as a person would see it.
        box_ = window;
        SetTimer(nullptr, 0, 0, &User::LookAtMessageBox);
    } else if (ActedIn(window)) {
        // Activated again, e.g. as a message box it showed closed (Windows
        // and Wine do so).
        Returned(window);
    } else if (act_) {
        actedIn_.push_back(window);
        act_(window);
    }
}

bool User::ActedIn(HWND dialog) {
    std::erase_if(actedIn_, [](HWND acted) { return !IsWindow(acted); });
    return std::find(actedIn_.begin(), actedIn_.end(), dialog) != actedIn_.end();
}

// Acting again would repeat what did not end it, without end: a failed save
// pressed OK on forever.
void User::Returned(HWND dialog) {
    if (std::find(comingBack_.begin(), comingBack_.end(), dialog) != comingBack_.end()) {
        return;
    }
    for (const DialogReturned& returned : returned_) {
        if (returned.dialog == dialog) {
            return;  // told and handled once
        }
    }
    comingBack_.push_back(dialog);
    // Looked at once the messages already sent to it are handled: a Cancel
    // that `decide` sent as it answered the box ends it, and nothing is amiss.
    SetTimer(nullptr, 0, 0, &User::LookAtReturnedDialogs);
}

void CALLBACK User::LookAtReturnedDialogs(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    User* user = Watching;
    if (!user) {
        return;
    }
    std::vector<HWND> dialogs;
    dialogs.swap(user->comingBack_);
    for (HWND dialog : dialogs) {
        if (!IsWindow(dialog)) {
            continue;
        }
        DialogReturned returned{dialog, TextOf(dialog), {}};
        std::copy_if(user->seen_.begin(), user->seen_.end(), std::back_inserter(returned.boxes),
                     [&](const MessageBoxSeen& box) { return box.owner == dialog; });
        user->returned_.push_back(std::move(returned));
        if (user->returning_ == Returning::Cancel) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
}

void CALLBACK User::LookAtMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    User* user = Watching;
    if (user && user->box_) {
        HWND box = user->box_;
        user->box_ = nullptr;
        user->AnswerMessageBox(box);
    }
}

void User::AnswerMessageBox(HWND box) {
    // A box being answered already (its answer may open further boxes, whose
    // loops look at the windows again) is not answered twice.
    if (!IsWindow(box) ||
        std::find(answering_.begin(), answering_.end(), box) != answering_.end()) {
        return;
    }
    // Recorded when shown, so that boxes opened while this one waits for its
    // answer come after it.
    const size_t index = seen_.size();
    seen_.push_back(MessageBoxSeen{GetWindow(box, GW_OWNER), TextOf(MessageText(box)), TextOf(box),
                                   StyleOf(box), 0});
    int answer = 0;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else if (decide_) {
        answering_.push_back(box);
        const MessageBoxSeen seen = seen_[index];
        answer = decide_(seen);
        answering_.pop_back();
    } else {
        LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
        answer = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
    }
    seen_[index].answer = answer;
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    // Its dialog gets the keyboard back once the box closes; the Linux layer
    // activates no window again, and presses Enter in a dialog left idle.
    const HWND owner = seen_[index].owner;
    if (ActedIn(owner)) {
        Returned(owner);
    }
}

}  // namespace hostsim
