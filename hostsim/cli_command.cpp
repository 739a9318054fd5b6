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

// The plug-in's commands by the names the command line gives them.
struct CommandName {
    const char* name;
    const telepost::ComposeCommandText* command;
};
constexpr CommandName kCommandNames[] = {
    {"hankaku", &telepost::kZenkakuToHankakuCommand},
    {"emoji", &telepost::kImodeEmojiCommand},
    {"check", &telepost::kDoubleByteCheckCommand},
    {"delete-blanks", &telepost::kDeleteBlanksCommand},
};
static_assert(std::size(kCommandNames) == std::size(telepost::kComposeCommands));

constexpr Option kOptions[] = {{"--sjis"}, {"--substitute"}, {"--person"}};
constexpr const char* kOperands[] = {"COMMAND (hankaku, emoji, check or delete-blanks)",
                                     "MESSAGE (the text, or - for standard input)"};

std::string MenuText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

void PrintLine(const char* label, const std::string& cp932) {
    std::printf("%-12s ", label);
    std::fputs(ShowOnPhone(cp932).c_str(), stdout);
    std::printf("\n");
}

// The message as code page 932, from the command line or standard input;
// false, with the reason, when it cannot be.
bool MessageText(const CommandLine& line, std::string* text, std::string* error) {
    const std::string& operand = line.Operands()[1];
    bool fromInput = operand == "-";
    std::string input;
    if (!fromInput) {
        input = operand;
    } else if (!ReadMessageBytes(stdin, &input, error)) {
        *error = "standard input " + *error;
        return false;
    }
    bool shiftJis = line.Has("--sjis");
#ifdef _WIN32
    // Windows hands the arguments over in the ANSI code page: 932 already.
    shiftJis = shiftJis || !fromInput;
#endif
    if (shiftJis) {
        *text = input;
        return true;
    }
    std::vector<Replacement> replaced;
    if (!UserTextToCodePage932(input, line.Has("--substitute"), "the message's ", text, &replaced,
                               error)) {
        return false;
    }
    for (const Replacement& replacement : replaced) {
        std::fprintf(stderr, "hostsim command: warning: %s\n", Describe(replacement).c_str());
    }
    return true;
}

void PrintOutcome(const Host& host, HMENU menu, int position, const std::string& text,
                  const std::vector<MessageBoxSeen>& boxes) {
    PrintLine("command", MenuText(menu, position));
    PrintLine("message", text);
    for (const MessageBoxSeen& box : boxes) {
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
}

int CommandVerb(Session& session) {
    const CommandLine& line = session.Line();
    const std::string& name = line.Operands()[0];
    const telepost::ComposeCommandText* command = nullptr;
    for (const CommandName& entry : kCommandNames) {
        if (name == entry.name) {
            command = entry.command;
        }
    }
    if (!command) {
        return session.Fail("unknown command '" + name +
                            "': hankaku, emoji, check or delete-blanks");
    }
    std::string text;
    std::string error;
    if (!MessageText(line, &text, &error)) {
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
    // Found by the text the plug-in registered, wherever it put the item.
    HMENU menu = GetSubMenu(host.MenuBar(window), telepost::kCommandMenuPosition);
    int position = host.CommandPosition(menu, command->description);
    if (position < 0) {
        return session.Fail("the plug-in added no command '" + name +
                            "' to the compose window's menu");
    }
    std::optional<User> user;
    Answerer answerer = WhoAnswers(line.Has("--person"));
    if (answerer != Answerer::PersonAtWindow) {
        user.emplace();
    }
    if (answerer == Answerer::PersonAtTerminal) {
        user->OnMessageBox(AskOnTerminal);
    }
    host.ClearCalls();
    host.RunCommand(window, static_cast<int>(GetMenuItemID(menu, position)));
    PrintOutcome(host, menu, position, text,
                 user ? user->MessageBoxes() : std::vector<MessageBoxSeen>());
    return kExitOk;
}

}  // namespace

int RunCommand(const Args& args) {
    return RunVerb(Verb{"command", kOptions, kOperands, CommandVerb}, args);
}

}  // namespace hostsim
