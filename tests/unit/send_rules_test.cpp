// The outgoing inspection against a host that writes nothing into the
// buffers it is given: every header buffer must reach it cleared, so that
// nothing left in memory is taken for a header's value. In the native build
// the send path fills every local variable with a pattern, so that a buffer
// handed over uncleared shows on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "send/send_rules.h"

namespace telepost {
namespace {

// This program is the plug-in's host: the records the send rules read.
HostApiRecord host;
SettingsRecord settings;
UserDomainsRecord domains;

std::vector<std::pair<std::string, std::string>> headersSet;
std::vector<std::string> dirtyBuffers;
char body[] = "Hi";

// A Cc longer than the first buffer it is read into, so that it is read again
// into a larger one.
const std::string kLongCc(3000, 'x');

LPSTR WINAPI GetText(HWND, LPSTR, int) {
    return body;
}

int WINAPI SetText(HWND, int, LPCSTR) {
    return 0;
}

// Gives a group J recipient in To and a long Cc, and writes nothing for any
// other header.
LPSTR WINAPI GetHeader(HWND, LPCSTR name, LPSTR buffer, int size) {
    for (int i = 0; i < size; ++i) {
        if (buffer[i] != '\0') {
            dirtyBuffers.push_back(name);
            break;
        }
    }
    if (std::string(name) == "To") {
        std::strcpy(buffer, "jiro@jp-t.ne.jp");
    } else if (std::string(name) == "Cc") {
        const size_t length = std::min(kLongCc.size(), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, kLongCc.data(), length);
        buffer[length] = '\0';
    }
    return buffer;
}

int WINAPI SetHeader(HWND, LPCSTR name, LPCSTR value) {
    headersSet.emplace_back(name, value);
    return 0;
}

class InspectionTest : public testing::Test {
  protected:
    void SetUp() override {
        headersSet.clear();
        dirtyBuffers.clear();
        host = HostApiRecord{};
        host.BKA_CompGetText = GetText;
        host.BKA_CompSetText = SetText;
        host.BKA_CompGetSpecifiedHeader = GetHeader;
        host.BKA_CompSetSpecifiedHeader = SetHeader;
        settings = SettingsRecord{};
    }
};

TEST_F(InspectionTest, HeaderBuffersReachTheHostCleared) {
    EXPECT_EQ(InspectOutgoing(host, settings, domains, nullptr, 0), 0);

    EXPECT_EQ(dirtyBuffers, std::vector<std::string>{});
    // A Subject the host left unwritten is empty, so it is cleared; From too.
    using Set = std::pair<std::string, std::string>;
    EXPECT_EQ(headersSet, (std::vector<Set>{{"Subject", ""}, {"From", ""}}));
}

}  // namespace
}  // namespace telepost
