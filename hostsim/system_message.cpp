#include "system_message.h"

#include "paths.h"

namespace hostsim {

namespace {

constexpr char kFirstInsert[] = "%1";
constexpr char kNoReason[] =
    "the system gave no reason, as when it has no display to show windows on";

}  // namespace

std::string SystemMessage(DWORD code, const std::string& subject) {
    char text[1024] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    std::string number = "error " + std::to_string(code);
    std::string message(text, length);
    // One line: the system ends its texts with CR LF, and some span lines.
    for (char& c : message) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    while (!message.empty() && message.back() == ' ') {
        message.pop_back();
    }
    if (size_t insert = message.find(kFirstInsert); insert != std::string::npos) {
        message.replace(insert, sizeof kFirstInsert - 1, subject);
    }
    if (message.empty()) {
        return number;
    }
    return ForTerminal(message) + " (" + number + ")";
}

std::string WhyNotShown(DWORD code) {
    return code != 0 ? SystemMessage(code) : kNoReason;
}

}  // namespace hostsim
