// hostsim command: opens a compose window holding a message, builds its menu
// with the plug-in, chooses one of the plug-in's commands from it, and shows
// what the command did: the text handed back and any message box.
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "codec.h"
#include "emoji_pictures.h"
#include "host.h"
#include "message_file.h"
#include "user.h"

namespace hostsim {

namespace {

// The plug-in's commands, by the names the command line gives them, in the
// order the plug-in lists them at the end of the menu.
constexpr const char* kCommandNames[] = {"hankaku", "emoji", "check", "delete-blanks"};
constexpr int kCommandCount = static_cast<int>(std::size(kCommandNames));

constexpr Option kOptions[] = {{"--sjis"}, {"--substitute"}, {"--person"}};
constexpr const char* kOperands[] = {"COMMAND (hankaku, emoji, check or delete-blanks)",
                                     "MESSAGE (the text, or - for standard input)"};

std::string MenuText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

std::string ReadInput() {
    std::string in;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        in.append(buffer, n);
    }
    return in;
}

void PrintLine(const char* label, const std::string& cp932) {
    std::printf("%-12s ", label);
    std::fputs(ShowOnPhone(cp932).c_str(), stdout);
    std::printf("\n");
}

// The message as code page 932; false, with the reason, when it cannot be.
bool MessageText(const std::string& input, bool shiftJis, bool substitute, std::string* text,
                 std::string* error) {
    if (shiftJis) {
        *text = input;
        return true;
    }
    std::vector<Replacement> replaced;
    if (!UserTextToCodePage932(input, substitute, "the message's ", text, &replaced, error)) {
        return false;
    }
    for (const Replacement& replacement : replaced) {
        std::fprintf(stderr, "hostsim command: warning: %s\n", Describe(replacement).c_str());
    }
    return true;
}

int CommandVerb(Session& session) {
    const CommandLine& line = session.Line();
    const std::string& name = line.Operands()[0];
    int index = -1;
    for (int i = 0; i < kCommandCount; ++i) {
        if (name == kCommandNames[i]) {
            index = i;
        }
    }
    if (index < 0) {
        return session.Fail("unknown command '" + name +
                            "': hankaku, emoji, check or delete-blanks");
    }
    bool fromInput = line.Operands()[1] == "-";
    std::string input = fromInput ? ReadInput() : line.Operands()[1];
    bool shiftJis = line.Has("--sjis");
#ifdef _WIN32
    // Windows hands the arguments over in the ANSI code page: 932 already.
    shiftJis = shiftJis || !fromInput;
#endif
    std::string text;
    std::string error;
    if (!MessageText(input, shiftJis, line.Has("--substitute"), &text, &error)) {
        return session.Fail(error);
    }

    if (!session.Start()) {
        return kExitFailure;
    }
    Host& host = session.TheHost();
    HWND window = session.OpenCompose(Message{{}, text});
    if (!window) {
        return kExitFailure;
    }
    host.BuildComposeMenu(window);
    HMENU menu = GetSubMenu(host.MenuBar(window), telepost::kCommandMenuPosition);
    int position = GetMenuItemCount(menu) - kCommandCount + index;
    if (position < 0) {
        return session.Fail("the plug-in added no commands to the compose window's menu");
    }
    UINT id = GetMenuItemID(menu, position);

    // The scripted user presses each message box's default button. A person
    // answers the real box on Windows, and on the terminal elsewhere, where
    // no box is drawn.
    std::optional<User> user;
#ifdef _WIN32
    if (!line.Has("--person")) {
        user.emplace();
    }
#else
    user.emplace();
    if (line.Has("--person")) {
        user->OnMessageBox(AskOnTerminal);
    }
#endif
    host.ClearCalls();
    if (!host.RunCommand(window, static_cast<int>(id))) {
        return session.Fail("the menu item " + std::to_string(id) + " is no registered command");
    }

    PrintLine("command", MenuText(menu, position));
    PrintLine("message", text);
    for (const MessageBoxSeen& box : user ? user->MessageBoxes() : std::vector<MessageBoxSeen>()) {
        std::printf("%-12s [", "message box");
        PrintText(box.caption);
        std::printf("] ");
        PrintText(box.text);
        std::printf("\n");
    }
    bool handedBack = false;
    for (const Call& call : host.Calls()) {
        if (call.function == "BKA_CompSetText") {
            handedBack = true;
            PrintLine("handed back", call.text);
        }
    }
    if (!handedBack) {
        std::printf("%-12s not handed back: the compose window keeps it as written\n", "text");
    }
    return kExitOk;
}

}  // namespace

int RunCommand(const Args& args) {
    return RunVerb(Verb{"command", kOptions, kOperands, CommandVerb}, args);
}

}  // namespace hostsim
