// hostsim command: opens a compose window holding a message, builds its menu
// with the plug-in, chooses one of the plug-in's commands from it, and shows
// what the command did: the text handed back and any message box.
#include <windows.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
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
#include "paths.h"
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

constexpr char kTextOption[] = "--text";
constexpr Option kOptions[] = {
    {"--sjis"}, {"--substitute"}, {"--person"}, {kTextOption, "the message's text"}};
constexpr const char* kOperands[] = {
    "COMMAND (hankaku, emoji, check or delete-blanks)",
    "MESSAGE (a file of the message's text, - for standard input, or --text TEXT)"};

std::string MenuText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

// The text behind its label, each further line of it behind the label's
// room.
void PrintLine(const char* label, const std::string& cp932) {
    std::printf("%-12s ", label);
    const std::string shown = ShowOnPhone(cp932);
    size_t at = 0;
    do {
        size_t end = std::min(shown.find('\n', at), shown.size());
        size_t text = end > at && shown[end - 1] == '\r' ? end - 1 : end;
        std::printf("%*s%.*s\n", at == 0 ? 0 : 13, "", static_cast<int>(text - at),
                    shown.c_str() + at);
        at = end + 1;
    } while (at < shown.size());
}

// The message as code page 932, read as hostsim send reads a message file:
// from the file MESSAGE names, standard input for "-", or the text --text
// gives; false, with the reason, when it cannot be.
bool MessageOf(const CommandLine& line, std::string* text, std::string* error) {
    MessageFileOptions reading{line.Has("--sjis"), line.Has("--substitute")};
    std::vector<Replacement> replaced;
    bool read = false;
    if (const std::string* given = line.Value(kTextOption)) {
#ifdef _WIN32
        // Windows hands the arguments over in the ANSI code page: 932 already.
        reading.shiftJis = true;
#endif
        read = MessageText(*given, reading, "the message's ", text, &replaced, error);
    } else if (line.Operands()[1] == "-") {
#ifdef _WIN32
        // As a file is read: every byte, none taken for an end (Ctrl+Z).
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        std::string bytes;
        if (!ReadMessageBytes(stdin, &bytes, error)) {
            *error = "standard input " + *error;
            return false;
        }
        read = MessageText(std::move(bytes), reading, "standard input: ", text, &replaced, error);
    } else {
        read = ReadMessageText(line.Operands()[1], reading, text, &replaced, error);
    }
    for (const Replacement& replacement : replaced) {
        std::fprintf(stderr, "hostsim command: warning: %s\n", Describe(replacement).c_str());
    }
    return read;
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
        return session.Fail("unknown command '" + ForTerminal(name) +
                            "': hankaku, emoji, check or delete-blanks");
    }
    Answerer answerer = WhoAnswers(line.Has("--person"));
    if (answerer == Answerer::PersonAtTerminal && !line.Has(kTextOption) &&
        line.Operands()[1] == "-") {
        return session.Fail(
            "--person answers on standard input, which holds the message: give the message as a "
            "file or with --text");
    }
    std::string text;
    std::string error;
    if (!MessageOf(line, &text, &error)) {
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
    return RunVerb(Verb{"command", kOptions, kOperands, CommandVerb, kTextOption}, args);
}

}  // namespace hostsim
