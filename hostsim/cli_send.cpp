// hostsim send: sends a message file through the plug-in as the host does
// when the user presses Send, and shows what a recipient's phone gets.
#include <windows.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "codec.h"
#include "emoji_pictures.h"
#include "host.h"
#include "host/settings.h"
#include "user.h"

namespace hostsim {

namespace {

constexpr char kVerbName[] = "hostsim send";

// The headers a message file may hold, in the order they are shown.
constexpr const char* kHeaderNames[] = {"To", "Cc", "Bcc", "Subject", "From"};

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kArrow[] = "\xE2\x86\x92";  // →

// A setting given on the command line: its option and its INI key.
struct SettingOption {
    const char* option;
    const char* key;
};

constexpr SettingOption kSettingOptions[] = {
    {"--hankaku", "convert to hankaku"},
    {"--emoji", "convert to emoji"},
    {"--delete-crlf", "delete crlf"},
};

enum class Answer { Ask, Yes, No };

struct Options {
    std::string file;
    std::string plugin;
    bool shiftJis = false;
    bool codes = false;
    int mode = 0;
    Answer answer = Answer::Ask;
    std::vector<std::pair<const char*, const char*>> settings;  // INI key, "0" or "1"
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kVerbName, message.c_str());
    return kExitFailure;
}

// "on"/"1" or "off"/"0".
std::optional<const char*> SettingValue(const std::string& value) {
    if (value == "on" || value == "1") {
        return "1";
    }
    if (value == "off" || value == "0") {
        return "0";
    }
    return std::nullopt;
}

// Takes the options out of the arguments; the message file is what is left.
bool ParseOptions(Args args, Options* options, std::string* error) {
    options->plugin = PluginBesideProgram();
    TakeOption(args, "--plugin", &options->plugin);
    options->shiftJis = TakeFlag(args, "--sjis");
    options->codes = TakeFlag(args, "--codes");
    bool yes = TakeFlag(args, "--yes");
    bool no = TakeFlag(args, "--no");
    if (yes && no) {
        *error = "--yes and --no exclude each other";
        return false;
    }
    options->answer = yes ? Answer::Yes : no ? Answer::No : Answer::Ask;
    std::string mode;
    if (TakeOption(args, "--mode", &mode)) {
        char* end = nullptr;
        long value = std::strtol(mode.c_str(), &end, 10);
        if (mode.empty() || *end != '\0') {
            *error = "--mode needs a number, not '" + mode + "'";
            return false;
        }
        options->mode = static_cast<int>(value);
    }
    for (const SettingOption& setting : kSettingOptions) {
        std::string value;
        if (!TakeOption(args, setting.option, &value)) {
            continue;
        }
        std::optional<const char*> flag = SettingValue(value);
        if (!flag) {
            *error = std::string(setting.option) + " needs on or off, not '" + value + "'";
            return false;
        }
        options->settings.emplace_back(setting.key, *flag);
    }
    if (args.size() != 1 || args.front().rfind("--", 0) == 0) {
        *error =
            args.empty() ? "which message file?" : "unexpected argument '" + args.front() + "'";
        return false;
    }
    options->file = args.front();
    return true;
}

bool ReadFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Lines as a compose window holds them: each ended by CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out.push_back('\r');
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// Headers, one "Name: value" a line (a line that begins with a blank
// continues the one before), a blank line, then the body. Works on code page
// 932 bytes, whose trail bytes are never a colon, a blank or a line break.
bool ParseMessage(const std::string& text, Message* message, std::string* error) {
    size_t at = 0;
    std::string last;
    int line = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string current = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        ++line;
        if (!current.empty() && current.back() == '\r') {
            current.pop_back();
        }
        if (current.empty()) {
            message->body = WithCrLf(text.substr(at));
            return true;
        }
        if (current[0] == ' ' || current[0] == '\t') {
            if (last.empty()) {
                *error = "line " + std::to_string(line) + " continues no header";
                return false;
            }
            std::string& value = message->headers[last];
            value += ' ';
            value += TrimBlanks(current);
            continue;
        }
        size_t colon = current.find(':');
        if (colon == std::string::npos || colon == 0) {
            *error = "line " + std::to_string(line) +
                     " is no header (Name: value) and no blank line before the body";
            return false;
        }
        last = current.substr(0, colon);
        message->headers[last] = TrimBlanks(current.substr(colon + 1));
    }
    return true;  // headers only: an empty body
}

// The message file as the host's code page 932 text.
bool LoadMessage(const Options& options, Message* message, std::string* error) {
    std::string bytes;
    if (!ReadFile(options.file, &bytes)) {
        *error = "cannot read " + options.file;
        return false;
    }
    std::string text = bytes;
    if (!options.shiftJis) {
        if (bytes.rfind(kUtf8Mark, 0) == 0) {
            bytes.erase(0, sizeof kUtf8Mark - 1);
        }
        if (!Utf8ToCp932(bytes, &text)) {
            *error = options.file + " is not UTF-8 (--sjis reads Shift-JIS)";
            return false;
        }
    }
    if (!ParseMessage(text, message, error)) {
        *error = options.file + ": " + *error;
        return false;
    }
    return true;
}

// The plug-in's INI file, kept as it was and put back when the send is over.
class IniFile {
  public:
    explicit IniFile(const std::string& plugin) : path_(IniBeside(plugin)) {
        existed_ = ReadFile(path_, &saved_);
    }
    ~IniFile() { Restore(); }
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& Path() const { return path_; }

    void Write(const char* key, const char* value) {
        changed_ = true;
        WritePrivateProfileStringA(telepost::kSettingsSection, key, value, path_.c_str());
    }

    void Restore() {
        if (!changed_) {
            return;
        }
        changed_ = false;
        if (!existed_) {
            std::remove(path_.c_str());
            return;
        }
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << saved_;
    }

  private:
    std::string path_;
    std::string saved_;
    bool existed_ = false;
    bool changed_ = false;
};

const char* ButtonName(int id) {
    switch (id) {
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        default:
            return "another button";
    }
}

// Prints a text for the terminal, each line behind `indent`.
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

// Asks on the terminal; anything but y or yes is No, the box's default.
int AskOnTerminal(const MessageBoxSeen& box) {
    std::string text;
    Cp932ToUtf8(box.text, &text);
    std::printf("\n");
    PrintIndented(text, "  ? ");
    std::printf("  [y/N] ");
    std::fflush(stdout);
    char reply[16] = {};
    if (!std::fgets(reply, sizeof reply, stdin)) {
        return IDNO;
    }
    std::string answer = TrimBlanks(std::string(reply).substr(0, std::string(reply).find('\n')));
    return answer == "y" || answer == "Y" || answer == "yes" ? IDYES : IDNO;
}

void PlayUser(User& user, Answer answer) {
    switch (answer) {
        case Answer::Yes:
            user.OnMessageBox([](const MessageBoxSeen&) { return IDYES; });
            break;
        case Answer::No:
            user.OnMessageBox([](const MessageBoxSeen&) { return IDNO; });
            break;
        case Answer::Ask:
            if (isatty(fileno(stdin))) {
                user.OnMessageBox(AskOnTerminal);
            }
            break;  // otherwise the default button, No, as Enter would
    }
}

void PrintSettings(const IniFile& ini, bool given) {
    std::printf("settings   ");
    for (const telepost::SettingKey& setting : telepost::kSettingKeys) {
        std::printf(" %s=%d", setting.key,
                    static_cast<int>(GetPrivateProfileIntA(telepost::kSettingsSection, setting.key,
                                                           0, ini.Path().c_str())));
    }
    if (given) {
        std::printf("  (given for this send; %s is put back as it was)\n", ini.Path().c_str());
    } else {
        std::printf("  (from %s)\n", ini.Path().c_str());
    }
}

void PrintReport(const Host& host, HWND window, const Message& before,
                 const std::vector<MessageBoxSeen>& warnings, int result, bool codes) {
    bool headerChanged = false;
    for (const char* name : kHeaderNames) {
        std::string old = before.headers.count(name) ? before.headers.at(name) : std::string();
        std::string now = host.Header(window, name);
        if (old == now) {
            continue;
        }
        headerChanged = true;
        std::printf("%-8s   %s\n", (std::string(name) + ":").c_str(),
                    ShowOnPhone(old, codes).c_str());
        std::printf("        %s  %s\n", kArrow,
                    now.empty() ? "(empty)" : ShowOnPhone(now, codes).c_str());
    }
    if (!headerChanged) {
        std::printf("headers    unchanged\n");
    }
    for (size_t i = 0; i < warnings.size(); ++i) {
        std::string text;
        Cp932ToUtf8(warnings[i].text, &text);
        std::printf("warning %zu  answered %s\n", i + 1, ButtonName(warnings[i].answer));
        PrintIndented(text, "           ");
    }
    const Call* handedBack = nullptr;
    for (const Call& call : host.Calls()) {
        if (call.function == "BKA_CompSetText") {
            handedBack = &call;
        }
    }
    if (handedBack) {
        std::printf("body       as handed back, %zu bytes:\n", handedBack->text.size());
        PrintIndented(ShowOnPhone(handedBack->text, codes), "  | ");
    } else {
        std::printf("body       not handed back: the compose window keeps it as written\n");
    }
    std::printf("send       %s (%d)\n", result == -1 ? "cancelled" : "goes on", result);
}

}  // namespace

int RunSend(const Args& args) {
    if (args.size() == 1 && (args.front() == "--help" || args.front() == "-h")) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    Options options;
    std::string error;
    if (!ParseOptions(args, &options, &error)) {
        return Fail(error + "\n" + kUsage);
    }
    Message message;
    if (!LoadMessage(options, &message, &error)) {
        return Fail(error);
    }

    IniFile ini(options.plugin);
    for (const auto& [key, value] : options.settings) {
        ini.Write(key, value);
    }
    Host host;
    if (!host.Load(options.plugin, &error)) {
        return Fail(error);
    }
    host.Plugin().BKC_OnStart();
    PrintSettings(ini, !options.settings.empty());
    ini.Restore();

    HWND window = host.OpenCompose(message);
    User user;
    PlayUser(user, options.answer);
    host.ClearCalls();
    int result = host.Plugin().BKC_OnOutgoing(window, options.mode);
    PrintReport(host, window, message, user.MessageBoxes(), result, options.codes);
    return result == -1 ? kExitCancelled : kExitOk;
}

}  // namespace hostsim
