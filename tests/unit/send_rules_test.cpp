// The outgoing inspection against a host that writes nothing into the
// buffers it is given: every header buffer must reach it cleared, so that
// nothing left in memory is taken for a header's value. In the native build
// the send path fills every local variable with a pattern, so that a buffer
// handed over uncleared shows on every run. Also the send when no memory can
// be had for the larger buffers of long values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "send/send_rules.h"

namespace telepost {

// While set, every request for memory that may be refused is refused.
bool RefuseMemory = false;

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
    // A Subject the host left unwritten is empty, so it is cleared; From,
    // empty too, is no address and is left as written.
    using Set = std::pair<std::string, std::string>;
    EXPECT_EQ(headersSet, (std::vector<Set>{{"Subject", ""}}));
}

// A host holding one message's headers, whose body is too short to warn.
std::map<std::string, std::string> held;

LPSTR WINAPI GetHeld(HWND, LPCSTR name, LPSTR buffer, int size) {
    const std::string& value = held[name];
    const size_t length = std::min(value.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return buffer;
}

int WINAPI SetHeld(HWND, LPCSTR name, LPCSTR value) {
    held[name] = value;
    return 0;
}

class NoMemoryTest : public InspectionTest {
  protected:
    void SetUp() override {
        InspectionTest::SetUp();
        host.BKA_CompGetSpecifiedHeader = GetHeld;
        host.BKA_CompSetSpecifiedHeader = SetHeld;
    }
    void TearDown() override { RefuseMemory = false; }
};

// Without memory for their whole values, long headers are left as the user
// wrote them, and the send still goes on.
TEST_F(NoMemoryTest, LongValuesAreLeftAsWritten) {
    const std::string sender = "ichiro@example.com";
    const std::string named = "Ichiro <" + sender + ">";
    const std::string longSubject(3000, 'S');
    std::string fullWidth;
    for (int i = 0; i < 1500; ++i) {
        fullWidth += "\x82\x60";  // Ａ
    }
    const std::string longFrom = "\"" + std::string(3000, 'Y') + "\" <" + sender + ">";
    const std::string docomoLast = std::string(2100, 'p') + "@example.org, taro@docomo.ne.jp";
    using Headers = std::map<std::string, std::string>;
    struct Case {
        const char* what;
        Headers before;
        Headers after;
        bool hankaku = false;
    };
    const Case cases[] = {
        {"group J: a long Subject is not cleared, and From, which cannot be split, is kept",
         {{"To", "jiro@jp-d.ne.jp"}, {"Subject", longSubject}, {"From", named}},
         {{"To", "jiro@jp-d.ne.jp"}, {"Subject", longSubject}, {"From", named}}},
        {"group J: a long From is left as written",
         {{"To", "jiro@jp-d.ne.jp"}, {"Subject", "Hello"}, {"From", longFrom}},
         {{"To", "jiro@jp-d.ne.jp"}, {"Subject", ""}, {"From", longFrom}}},
        {"DoCoMo only: a long Subject is not converted",
         {{"To", "taro@docomo.ne.jp"}, {"Subject", fullWidth}, {"From", named}},
         {{"To", "taro@docomo.ne.jp"}, {"Subject", fullWidth}, {"From", named}},
         true},
        {"a recipient past the first read of a long To is not seen",
         {{"To", docomoLast}, {"Subject", fullWidth}, {"From", named}},
         {{"To", docomoLast}, {"Subject", fullWidth}, {"From", named}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        held = c.before;
        held["Cc"] = held["Bcc"] = "";
        settings.ConvertToHankaku = c.hankaku ? 1 : 0;
        RefuseMemory = true;
        EXPECT_EQ(InspectOutgoing(host, settings, domains, nullptr, 0), 0);
        RefuseMemory = false;
        for (const auto& [name, value] : c.after) {
            EXPECT_TRUE(held[name] == value) << name << ": " << held[name].size() << " bytes";
        }
    }
}

}  // namespace
}  // namespace telepost

// The allocations the plug-in lets fail, refused while the test asks.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (telepost::RefuseMemory) {
        return nullptr;
    }
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
