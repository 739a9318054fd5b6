// hostsim command: opens a compose window holding a message, builds its menu
// with the plug-in, chooses one of the plug-in's commands from it, and shows
// what the command did: the text handed back and any message box.
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "codec.h"
#include "emoji_pictures.h"
#include "host.h"
#include "user.h"

namespace hostsim {

namespace {

constexpr char kVerbName[] = "hostsim command";

// The menu the plug-in extends: the fourth of the bar.
constexpr int kCommandMenu = 3;

// The plug-in's commands, by the names the command line gives them, in the
// order the plug-in lists them at the end of the menu.
constexpr const char* kCommandNames[] = {"hankaku", "emoji", "check", "delete-blanks"};
constexpr int kCommandCount = static_cast<int>(std::size(kCommandNames));

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kVerbName, message.c_str());
    return kExitFailure;
}

std::string MenuText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

std::string ReadInput() {
    std::ostringstream in;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        in.write(buffer, static_cast<std::streamsize>(n));
    }
    return in.str();
}

void PrintLine(const char* label, const std::string& cp932) {
    std::printf("%-12s ", label);
    std::fputs(ShowOnPhone(cp932).c_str(), stdout);
    std::printf("\n");
}

}  // namespace

int RunCommand(const Args& given) {
    Args args = given;
    std::string plugin = PluginBesideProgram();
    TakeOption(args, "--plugin", &plugin);
    bool shiftJis = TakeFlag(args, "--sjis");
    // A person answers the message boxes instead of the scripted user, who
    // presses their default button.
    bool person = TakeFlag(args, "--person");
    if (args.size() != 2) {
        return Fail(std::string("a command and a message are needed\n") + kUsage);
    }
    int index = -1;
    for (int i = 0; i < kCommandCount; ++i) {
        if (args[0] == kCommandNames[i]) {
            index = i;
        }
    }
    if (index < 0) {
        return Fail("unknown command '" + args[0] + "': hankaku, emoji, check or delete-blanks");
    }
    bool fromInput = args[1] == "-";
    std::string input = fromInput ? ReadInput() : args[1];
#ifdef _WIN32
    // Windows hands the arguments over in the ANSI code page: 932 already.
    shiftJis = shiftJis || !fromInput;
#endif
    std::string text = input;
    if (!shiftJis && !Utf8ToCp932(input, &text)) {
        return Fail("the message is not UTF-8 that code page 932 can hold (try --sjis)");
    }

    Host host;
    std::string error;
    if (!host.Load(plugin, &error)) {
        return Fail(error);
    }
    host.Plugin().BKC_OnStart();
    HWND window = host.OpenCompose(Message{{}, text});
    host.BuildComposeMenu(window);
    HMENU menu = GetSubMenu(host.MenuBar(window), kCommandMenu);
    int position = GetMenuItemCount(menu) - kCommandCount + index;
    if (position < 0) {
        return Fail("the plug-in added no commands to the compose window's menu");
    }
    UINT id = GetMenuItemID(menu, position);

    std::optional<User> user;
    if (!person) {
        user.emplace();
    }
    host.ClearCalls();
    if (!host.RunCommand(window, static_cast<int>(id))) {
        return Fail("the menu item " + std::to_string(id) + " is no registered command");
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

}  // namespace hostsim
