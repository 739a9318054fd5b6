// The stand-in host's command-line verbs.
#pragma once

#include <string>
#include <vector>

namespace hostsim {

constexpr int kExitOk = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitFailure = 2;

using Args = std::vector<std::string>;

struct Verb {
    const char* name;
    int (*run)(const Args& args);
};

int RunInfo(const Args& args);
int RunSend(const Args& args);
int RunCommand(const Args& args);
int RunSetup(const Args& args);

inline constexpr Verb kVerbs[] = {
    {"info", RunInfo},
    {"send", RunSend},
    {"command", RunCommand},
    {"setup", RunSetup},
};

inline constexpr char kUsage[] =
    "usage: hostsim info [--plugin PATH]\n"
    "       hostsim command hankaku|emoji|check|delete-blanks MESSAGE [--sjis] [--person]\n"
    "                       [--plugin PATH]\n"
    "       hostsim setup [--hankaku on|off] [--emoji on|off] [--delete-crlf on|off]\n"
    "                     [--cancel] [--plugin PATH]\n"
    "       hostsim send MESSAGE [--sjis] [--mode N] [--yes | --no] [--codes]\n"
    "                    [--hankaku on|off] [--emoji on|off] [--delete-crlf on|off]\n"
    "                    [--plugin PATH]\n"
    "\n"
    "send: sends MESSAGE (headers To, Cc, Bcc, Subject, From, a blank line, the body;\n"
    "UTF-8, or Shift-JIS with --sjis; lines end in CR LF as in a compose window) through\n"
    "the plug-in and shows what the phones get: each header it changed, each warning\n"
    "and the answer, the body it handed back, and whether the send goes on.\n"
    "  --yes, --no     answer every length warning so; without them the terminal asks,\n"
    "                  or, when input is no terminal, No (the default button) is pressed\n"
    "  --mode N        the host's send mode; not 0: the plug-in converts the body only\n"
    "  --codes         show each emoji's i-mode code beside its picture\n"
    "  --hankaku, --emoji, --delete-crlf\n"
    "                  the plug-in's settings; written to the INI file beside the plug-in\n"
    "                  before it starts and the file put back afterwards; settings not\n"
    "                  given come from that file (absent: off)\n"
    "exit status: 0 the send goes on, 1 cancelled, 2 a missing file, a malformed message\n"
    "or a plug-in that does not load\n"
    "\n"
    "command: opens a compose window holding MESSAGE (UTF-8 text, Shift-JIS with --sjis,\n"
    "- for standard input), chooses the plug-in's command from the window's menu and\n"
    "shows the text the command handed back and any message box it showed; the\n"
    "message box's default button is pressed, or with --person a person answers it.\n"
    "setup: opens the plug-in's settings dialog. Given settings or --cancel, the user\n"
    "sets the boxes so and presses OK (or Cancel); without them, on Windows a person\n"
    "uses the dialog, on Linux OK is pressed. Shows the boxes as the dialog opened and\n"
    "the INI file afterwards.\n";

// Takes "--name VALUE" out of `args`; false when it is not there.
bool TakeOption(Args& args, const std::string& name, std::string* value);
// Takes the flag "--name" out of `args`; false when it is not there.
bool TakeFlag(Args& args, const std::string& name);
// Writes a code page 932 text to standard output as UTF-8.
void PrintText(const std::string& cp932);

}  // namespace hostsim
