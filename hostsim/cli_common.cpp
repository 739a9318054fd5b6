// What the verbs share: the command line's options, the preamble that loads
// the plug-in, and talking to the terminal.
#include <windows.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>

#include "cli.h"
#include "codec.h"
#include "interruption.h"
#include "paths.h"
#include "system_message.h"

namespace hostsim {

namespace {

constexpr char kProgram[] = "hostsim";
constexpr char kEndOfOptions[] = "--";
constexpr const char* kHelpOptions[] = {"--help", "-h"};

// Why the plug-in at `plugin` cannot read the INI file beside it, with what
// it used instead; empty when it can.
std::string UnreadableIni(const std::string& plugin) {
    constexpr char kDefaults[] = "; the plug-in used its defaults";
    const std::string ini = IniBeside(plugin);
    // The plug-in names its INI file after its own path, up to MAX_PATH bytes.
    if (plugin.size() >= MAX_PATH || ini.size() >= MAX_PATH) {
        return "is beyond the plug-in's reach (its path is longer than " +
               std::to_string(MAX_PATH - 1) + " bytes)" + kDefaults;
    }
    FileKind kind = KindOf(ini);
    if (kind == FileKind::Missing) {
        return std::string("does not exist") + kDefaults;
    }
    std::string why;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(ini, "an INI file", &why),
                                                         std::fclose);
    if (!file) {
        return why + kDefaults;
    }
    return {};
}

bool IsHelp(const std::string& arg) {
    for (const char* help : kHelpOptions) {
        if (arg == help) {
            return true;
        }
    }
    return false;
}

// A message box's buttons by name; on the terminal the name's first letter
// presses it.
struct Button {
    int id;
    const char* name;
};
constexpr Button kButtons[] = {
    {IDOK, "OK"},         {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
    {IDIGNORE, "Ignore"}, {IDYES, "Yes"},       {IDNO, "No"},
};

}  // namespace

const char* ButtonName(int id) {
    for (const Button& button : kButtons) {
        if (button.id == id) {
            return button.name;
        }
    }
    return "another button";
}

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace

const std::string* CommandLine::Value(std::string_view option) const {
    auto it = given_.find(std::string(option));
    return it == given_.end() ? nullptr : &it->second;
}

bool CommandLine::Parse(const Args& args, std::span<const Option> options, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == kEndOfOptions) {
            operands_.insert(operands_.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            operands_.push_back(arg);  // "-" too: standard input
            continue;
        }
        size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        const Option* option = nullptr;
        for (const Option& candidate : options) {
            if (name == candidate.name) {
                option = &candidate;
            }
        }
        if (!option) {
            *error = "unknown option '" + ForTerminal(name) + "'";
            return false;
        }
        if (given_.count(name)) {
            *error = ForTerminal(name) + " is given twice";
            return false;
        }
        std::string value;
        if (!option->value) {
            if (equals != std::string::npos) {
                *error = name + " takes no value";
                return false;
            }
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
            value = args[++i];
        } else {
            *error = name + " needs " + option->value;
            return false;
        }
        given_[name] = value;
    }
    return true;
}

Session::Session(const char* name, CommandLine line) : name_(name), line_(std::move(line)) {
    const std::string* plugin = line_.Value("--plugin");
    plugin_ = plugin ? *plugin : PluginBesideProgram();
    ini_ = IniBeside(plugin_);
}

int Session::Fail(const std::string& message) const {
    std::fprintf(stderr, "%s %s: %s\n", kProgram, name_, message.c_str());
    return kExitFailure;
}

bool Session::Start(const std::vector<IniValue>& values) {
    PluginCopy::SweepLeftovers();
    std::string path = plugin_;
    std::string error;
    // The plug-in would wait for a FIFO's or a device's end, as hostsim would.
    const std::string userIni = IniBeside(plugin_);
    if (FileKind kind = KindOf(userIni); kind == FileKind::Other || kind == FileKind::DeviceName) {
        Fail("the settings " + ForTerminal(userIni) + " " + NotAFile(userIni, kind, "an INI file"));
        return false;
    }
    iniNote_ = UnreadableIni(plugin_);
    if (!values.empty()) {
        if (!copy_.Make(plugin_, values, &error)) {
            Fail(error);
            return false;
        }
        path = copy_.Plugin();
        ini_ = copy_.Ini();
        copied_ = true;
    }
    if (!host_.Load(path, &error)) {
        // Named as the user named it, not as its private copy.
        const std::string copy = ForTerminal(path);
        const std::string user = ForTerminal(plugin_);
        for (size_t at = error.find(copy); path != plugin_ && at != std::string::npos;
             at = error.find(copy, at + user.size())) {
            error.replace(at, copy.size(), user);
        }
        Fail(error);
        return false;
    }
    host_.Plugin().BKC_OnStart();
    return true;
}

int Session::SettingUsed(const char* key) const {
    if (!iniNote_.empty() && !copied_) {
        return 0;
    }
    return IniSetting(ini_, key);
}

HWND Session::OpenCompose(const Message& message) {
    // The plug-in may tell the user something as the window opens: shown
    // here, and answered as Enter would.
    std::optional<User> user(std::in_place);
    HWND window = host_.OpenCompose(message);
    for (const MessageBoxSeen& box : user->MessageBoxes()) {
        std::string text;
        Cp932ToUtf8(box.text, &text);
        std::printf("message box  as the compose window opened, answered %s\n",
                    ButtonName(box.answer));
        PrintIndented(text, "  | ");
    }
    user.reset();
    if (!window) {
        const DWORD code = GetLastError();
        Fail(
            "cannot show the plug-in's windows or message boxes: the system did not create a "
            "window (" +
            WhyNotShown(code) + ")");
        host_.CloseCompose(window);
    }
    return window;
}

int RunVerb(const Verb& verb, const Args& args) {
    for (const std::string& arg : args) {
        if (arg == kEndOfOptions) {
            break;
        }
        if (IsHelp(arg)) {
            PrintUsage(stdout);
            return kExitOk;
        }
    }
    std::vector<Option> options(verb.options.begin(), verb.options.end());
    options.push_back({"--plugin", "the plug-in's path"});
    CommandLine line;
    std::string error;
    bool parsed = line.Parse(args, options, &error);
    const std::vector<std::string>& operands = line.Operands();
    const bool lastGiven = verb.lastOperandOption && line.Has(verb.lastOperandOption);
    const size_t wanted = verb.operands.size() - (lastGiven ? 1 : 0);
    if (parsed && operands.size() < wanted) {
        error = std::string(verb.operands[operands.size()]) + " is missing";
        parsed = false;
    } else if (parsed && lastGiven && operands.size() == verb.operands.size()) {
        const std::string operand = verb.operands[wanted];
        error = std::string(verb.lastOperandOption) + " and " +
                operand.substr(0, operand.find(' ')) + " '" + ForTerminal(operands[wanted]) +
                "' exclude each other";
        parsed = false;
    } else if (parsed && operands.size() > wanted) {
        error = "unexpected argument '" + ForTerminal(operands[wanted]) + "'";
        parsed = false;
    }
    Session session(verb.name, line);
    if (!parsed) {
        return session.Fail(error + " (hostsim --help shows the usage)");
    }
    return verb.run(session);
}

Answerer WhoAnswers(bool person) {
    if (!person) {
        return Answerer::Script;
    }
#ifdef _WIN32
    return Answerer::PersonAtWindow;
#else
    return Answerer::PersonAtTerminal;  // no window is drawn here
#endif
}

std::optional<bool> OnOff(const std::string& value) {
    if (value == "on" || value == "1") {
        return true;
    }
    if (value == "off" || value == "0") {
        return false;
    }
    return std::nullopt;
}

void FlushOutput() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return;
    }
    const int error = errno;
    std::fprintf(stderr, "%s: standard output could not be written%s%s: the run ends here\n",
                 kProgram, error ? ": " : "", error ? std::strerror(error) : "");
    EndRunNow(kExitFailure);
}

std::string ShownWithPath(const std::string& cp932, const std::string& path) {
    std::string shown;
    size_t from = 0;
    for (size_t at = path.empty() ? std::string::npos : cp932.find(path); at != std::string::npos;
         at = cp932.find(path, from)) {
        shown += ShownCp932(cp932.substr(from, at - from)) + ForTerminal(path);
        from = at + path.size();
    }
    return shown + ShownCp932(cp932.substr(from));
}

void PrintText(const std::string& cp932) {
    const std::string utf8 = ShownCp932(cp932);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void PrintIndented(const std::string& utf8, const char* indent) {
    std::istringstream lines(utf8);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::printf("%s%s\n", indent, line.c_str());
    }
}

int AskOnTerminal(const MessageBoxSeen& box) {
    std::vector<Button> buttons;
    for (int id : ButtonsOf(box.style)) {
        buttons.push_back({id, ButtonName(id)});
    }
    size_t defaultIndex = (box.style & MB_DEFMASK) >> 8;
    const Button& fallback = buttons[defaultIndex < buttons.size() ? defaultIndex : 0];
    std::string text;
    Cp932ToUtf8(box.text, &text);
    std::printf("\n");
    PrintIndented(text, "  ? ");
    // [y/N]: each button's first letter, the default's in capitals.
    std::printf("  [");
    for (size_t i = 0; i < buttons.size(); ++i) {
        std::string letter = buttons[i].name;
        letter.resize(1);
        std::printf("%s%s", i ? "/" : "",
                    (buttons[i].id == fallback.id ? letter : Lower(letter)).c_str());
    }
    std::printf("] ");
    FlushOutput();
    char reply[64] = {};
    std::string answer = std::fgets(reply, sizeof reply, stdin) ? reply : "";
    size_t first = answer.find_first_not_of(" \t");
    size_t last = answer.find_last_not_of(" \t\r\n");
    answer =
        first == std::string::npos ? std::string() : Lower(answer.substr(first, last - first + 1));
    const Button* chosen = &fallback;
    for (const Button& button : buttons) {
        if (!answer.empty() && Lower(button.name).rfind(answer, 0) == 0) {
            chosen = &button;
        }
    }
    if (!isatty(fileno(stdin))) {
        std::printf("%s\n", chosen->name);  // what a terminal would have echoed
    }
    return chosen->id;
}

}  // namespace hostsim
