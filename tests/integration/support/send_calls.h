// What a send asks of the host, by what each call is for, and the length
// warning as the user sees it: shared by the tables of sends.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host.h"
#include "user.h"

namespace hostsim {

inline Call GetText() {
    return {"BKA_CompGetText", nullptr, {}, {}, 260};
}
inline Call Get(const char* name, int size) {
    return {"BKA_CompGetSpecifiedHeader", nullptr, name, {}, size};
}
inline Call Set(const char* name, const std::string& value) {
    return {"BKA_CompSetSpecifiedHeader", nullptr, name, value, 0};
}
inline Call SetText(const std::string& body) {
    return {"BKA_CompSetText", nullptr, {}, body, 0};
}

// The parts of a send, joined in order.
inline std::vector<Call> Calls(std::initializer_list<std::vector<Call>> parts) {
    std::vector<Call> all;
    for (const std::vector<Call>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The body read, then the three recipient headers.
inline const std::vector<Call> kRead = {GetText(), Get("To", 2048), Get("Cc", 2048),
                                        Get("Bcc", 2048)};
// Before a send's first header change, the Subject and From as written are
// kept, to be put back if the user cancels.
inline const std::vector<Call> kKept = {Get("Subject", 2048), Get("From", 2048)};

inline std::vector<Call> RuleJ(const std::string& from, bool subjectKept = false) {
    std::vector<Call> calls = {Get("Subject", 260)};
    if (!subjectKept) {
        calls.push_back(Set("Subject", ""));
    }
    calls.push_back(Get("From", 260));
    calls.push_back(Set("From", from));
    return calls;
}
inline std::vector<Call> RuleD() {
    return {Set("Subject", "")};
}
// The end of a DoCoMo-only send: the Subject converted and the body handed back.
inline std::vector<Call> DoCoMoOnly(const std::string& subject, const std::string& body) {
    return {Get("Subject", 2048), Set("Subject", subject), SetText(body)};
}

inline std::string Body(size_t bytes) {
    return std::string(bytes, 'a');
}

// The length warning, owned by the compose window, answered with `answer`.
MessageBoxSeen LengthWarning(HWND owner, int answer);
// The warnings a send shows when the user answers them so, one by one.
std::vector<MessageBoxSeen> LengthWarnings(HWND owner, const std::vector<int>& answers);

// The calls the host has recorded, each expected to be for `window`, with
// the window left out.
std::vector<Call> CallsMadeFor(const Host& host, HWND window);

// The plug-in's three settings for a run, off unless asked.
struct IniSettings {
    bool hankaku = false;
    bool emoji = false;
    bool deleteCrlf = false;
};

// Writes the three settings to the INI file `ini`.
void WriteSettings(const std::string& ini, const IniSettings& settings);

// A compose window's message as the send tables write it.
struct Mail {
    std::string to, cc, bcc, subject, from, body;
};

// Sends through the plug-in beside the test program, loaded into a host of
// the fixture's own.
class SendTest : public testing::Test {
  protected:
    void TearDown() override;

    // The INI file beside the plug-in.
    static std::string IniPath();
    // Loads the plug-in and starts it with the settings; the INI file is
    // gone again before any send, so a send cannot read it.
    void Start(const IniSettings& settings);
    // A compose window holding the message.
    HWND Open(const Mail& mail);

    Host host_;
};

}  // namespace hostsim
