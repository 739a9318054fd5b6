// The outgoing inspection against a host that writes nothing into the
// buffers it is given: every header buffer must reach it cleared, so that
// nothing left on the stack is taken for a header's value.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/host_api.h"
#include "host/settings.h"
#include "outgoing/send_rules.h"

namespace telepost {
namespace {

std::vector<std::pair<std::string, std::string>> headersSet;
std::vector<std::string> dirtyBuffers;
char body[] = "Hi";

LPSTR WINAPI GetText(HWND, LPSTR, int) {
    return body;
}

int WINAPI SetText(HWND, int, LPCSTR) {
    return 0;
}

// Gives a group J recipient in To and writes nothing for any other header.
LPSTR WINAPI GetHeader(HWND, LPCSTR name, LPSTR buffer, int size) {
    for (int i = 0; i < size; ++i) {
        if (buffer[i] != '\0') {
            dirtyBuffers.push_back(name);
            break;
        }
    }
    if (std::string(name) == "To") {
        std::strcpy(buffer, "jiro@jp-t.ne.jp");
    }
    return buffer;
}

int WINAPI SetHeader(HWND, LPCSTR name, LPCSTR value) {
    headersSet.emplace_back(name, value);
    return 0;
}

// Fills the stack below the caller with bytes a header buffer must not keep.
[[gnu::noinline]] void LitterStack() {
    volatile char litter[16384];
    for (size_t i = 0; i < sizeof litter; ++i) {
        litter[i] = '#';
    }
}

TEST(InspectionTest, HeaderBuffersReachTheHostCleared) {
    HostApiRecord saved = HostApi;
    HostApi.BKA_CompGetText = GetText;
    HostApi.BKA_CompSetText = SetText;
    HostApi.BKA_CompGetSpecifiedHeader = GetHeader;
    HostApi.BKA_CompSetSpecifiedHeader = SetHeader;
    Settings = SettingsRecord{};

    LitterStack();
    EXPECT_EQ(InspectOutgoing(nullptr, 0), 0);
    HostApi = saved;

    EXPECT_EQ(dirtyBuffers, std::vector<std::string>{});
    // A Subject the host left unwritten is empty, so it is cleared; From too.
    using Set = std::pair<std::string, std::string>;
    EXPECT_EQ(headersSet, (std::vector<Set>{{"Subject", ""}, {"From", ""}}));
}

}  // namespace
}  // namespace telepost
