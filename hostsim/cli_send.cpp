// hostsim send: sends a message file through the plug-in as the host does
// when the user presses Send, and shows what a recipient's phone gets.
#include <windows.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "cli.h"
#include "codec.h"
#include "emoji_pictures.h"
#include "host.h"
#include "message_file.h"
#include "paths.h"
#include "system_message.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {

namespace {

constexpr char kArrow[] = "\xE2\x86\x92";  // →

static_assert(std::size(kSettingOptions) == std::size(telepost::kSettingKeys));

enum class Answer { Ask, Yes, No };

// The options of the domain lists, in the order of telepost::kDomainListKeys.
const std::vector<std::string>& DomainOptions() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const char* key : telepost::kDomainListKeys) {
            all.push_back(DomainOption(key));
        }
        return all;
    }();
    return names;
}

const std::vector<Option>& SendOptions() {
    static const std::vector<Option> options = [] {
        std::vector<Option> all = {
            {"--sjis"}, {"--substitute"}, {"--codes"},
            {"--yes"},  {"--no"},         {"--mode", "a whole number"},
        };
        for (const char* setting : kSettingOptions) {
            all.push_back({setting, "on or off"});
        }
        for (const std::string& domains : DomainOptions()) {
            all.push_back({domains.c_str(), "a list of mail domains"});
        }
        return all;
    }();
    return options;
}

// The host's send mode: any int, written in decimal.
bool ParseMode(const std::string& text, int* mode) {
    const char* end = text.data() + text.size();
    auto [stop, code] = std::from_chars(text.data(), end, *mode);
    return !text.empty() && code == std::errc() && stop == end;
}

// The INI values the options give for this send; false, naming the option,
// on a value that cannot be one.
bool GivenValues(const CommandLine& line, std::vector<IniValue>* values, std::string* error) {
    for (size_t i = 0; i < std::size(kSettingOptions); ++i) {
        const std::string* value = line.Value(kSettingOptions[i]);
        if (!value) {
            continue;
        }
        std::optional<bool> on = OnOff(*value);
        if (!on) {
            *error = std::string(kSettingOptions[i]) + " needs on or off, not '" +
                     ForTerminal(*value) + "'";
            return false;
        }
        values->push_back({telepost::kSettingsSection, telepost::kSettingKeys[i], *on ? "1" : "0"});
    }
    for (size_t i = 0; i < std::size(telepost::kDomainListKeys); ++i) {
        const std::string& option = DomainOptions()[i];
        const std::string* value = line.Value(option);
        if (!value) {
            continue;
        }
        if (value->find_first_of("\r\n") != std::string::npos) {
            *error = option + " needs its list on one line";
            return false;
        }
        std::string list = *value;
#ifndef _WIN32
        // The arguments arrive as UTF-8 here; the INI file holds code page 932,
        // in which Windows hands them over.
        std::vector<Replacement> replaced;
        int badLine = 0;
        if (!ToCodePage932(*value, &list, &replaced, &badLine) || !replaced.empty()) {
            *error = option + " needs a list that code page 932 can hold, not '" + *value + "'";
            return false;
        }
#endif
        values->push_back({telepost::kSettingsSection, telepost::kDomainListKeys[i], list});
    }
    return true;
}

// "To, Cc, Bcc, Subject and From"
std::string KnownHeaders() {
    std::string list;
    for (size_t i = 0; i < std::size(kHeaderNames); ++i) {
        list += i == 0 ? "" : i + 1 == std::size(kHeaderNames) ? " and " : ", ";
        list += kHeaderNames[i];
    }
    return list;
}

// The headers that hold the recipients, whose entries the plug-in tests
// against the carriers' rules: the first three of kHeaderNames.
constexpr auto kRecipientHeaders = std::span(kHeaderNames).first<3>();

// Tells each recipient header longer than the plug-in reads: the recipients
// past what it reads get no rule, and the send shows nothing of it.
void WarnOfUnseenRecipients(const std::string& path, const Message& message) {
    for (const char* name : kRecipientHeaders) {
        auto header = message.headers.find(name);
        if (header == message.headers.end() ||
            header->second.size() <= telepost::kHeaderBytesRead) {
            continue;
        }
        std::fprintf(stderr,
                     "hostsim send: warning: %s: %s is %zu bytes, longer than the plug-in reads "
                     "whole (%zu bytes): it reads the first %zu and sees no recipient from byte "
                     "%zu on\n",
                     ForTerminal(path).c_str(), name, header->second.size(),
                     telepost::kLongestWholeHeader, telepost::kHeaderBytesRead,
                     telepost::kHeaderBytesRead + 1);
    }
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

void PrintSettings(const Session& session, bool given) {
    std::printf("settings   ");
    for (const char* setting : telepost::kSettingKeys) {
        std::printf(" %s=%d", setting, session.SettingUsed(setting));
    }
    std::string user = ForTerminal(IniBeside(session.Plugin()));
    if (given) {
        std::printf("  (given for this send; %s stays as it is)\n", user.c_str());
    } else if (!session.IniNote().empty()) {
        std::printf("  (%s %s)\n", user.c_str(), session.IniNote().c_str());
    } else {
        std::printf("  (from %s)\n", user.c_str());
    }
    PrintDomainLists(
        session.Ini(), [](const char* key) { std::printf("domains     %s=", key); },
        "            ");
}

void PrintReport(Host& host, HWND window, const Message& before,
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

int SendVerb(Session& session) {
    const CommandLine& line = session.Line();
    bool yes = line.Has("--yes");
    bool no = line.Has("--no");
    if (yes && no) {
        return session.Fail("--yes and --no exclude each other");
    }
    Answer answer = yes ? Answer::Yes : no ? Answer::No : Answer::Ask;
    int mode = 0;
    if (const std::string* text = line.Value("--mode"); text && !ParseMode(*text, &mode)) {
        return session.Fail("--mode needs a whole number from " + std::to_string(INT_MIN) + " to " +
                            std::to_string(INT_MAX) + ", not '" + ForTerminal(*text) + "'");
    }
    std::vector<IniValue> values;
    std::string error;
    if (!GivenValues(line, &values, &error)) {
        return session.Fail(error);
    }

    Message message;
    std::vector<Replacement> replaced;
    MessageFileOptions reading{line.Has("--sjis"), line.Has("--substitute")};
    if (!ReadMessageFile(line.Operands().front(), reading, &message, &replaced, &error)) {
        return session.Fail(error);
    }
    for (const Replacement& replacement : replaced) {
        std::fprintf(stderr, "hostsim send: warning: %s\n", Describe(replacement).c_str());
    }
    for (const std::string& name : UnknownHeaders(message)) {
        std::fprintf(stderr,
                     "hostsim send: warning: %s: unknown header '%s', which the plug-in never "
                     "reads (hostsim knows %s)\n",
                     ForTerminal(line.Operands().front()).c_str(), ShownCp932(name).c_str(),
                     KnownHeaders().c_str());
    }
    WarnOfUnseenRecipients(line.Operands().front(), message);

    if (!session.Start(values)) {
        return kExitFailure;
    }
    const bool settingsGiven = std::any_of(std::begin(kSettingOptions), std::end(kSettingOptions),
                                           [&](const char* option) { return line.Has(option); });
    PrintSettings(session, settingsGiven);
    Host& host = session.TheHost();
    HWND window = session.OpenCompose(message);
    if (!window) {
        return kExitFailure;
    }
    User user;
    PlayUser(user, answer);
    host.ClearCalls();
    SetLastError(0);
    int result = host.Plugin().BKC_OnOutgoing(window, mode);
    const DWORD boxError = GetLastError();
    PrintReport(host, window, message, user.MessageBoxes(), result, line.Has("--codes"));
    if (result == -1 && user.MessageBoxes().empty()) {
        // The plug-in cancels a send only on No to a warning, or when the
        // warning's box could not be shown.
        return session.Fail(
            "the plug-in's length warning could not be shown, so the send was cancelled (" +
            WhyNotShown(boxError) + ")");
    }
    return result == -1 ? kExitCancelled : kExitOk;
}

constexpr const char* kOperands[] = {"MESSAGE (the message file)"};

}  // namespace

int RunSend(const Args& args) {
    return RunVerb(Verb{"send", SendOptions(), kOperands, SendVerb}, args);
}

}  // namespace hostsim
