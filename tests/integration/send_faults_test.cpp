// Sends that used to lose or cut what the user wrote: header values longer
// than the buffers they are first read into, a From whose address does not
// fit, a cancelled send, and a send started while another one's warning is
// open. Each must give the whole, separate result a short message gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <ostream>
#include <utility>
#include <string>
#include <vector>

#include "host.h"
#include "support/send_calls.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {
namespace {

// What the compose window holds after the send.
struct Written {
    std::string subject, from, body;

    bool operator==(const Written&) const = default;
};

struct FaultCase {
    const char* what;
    Mail mail{};
    std::vector<int> answers{};  // the buttons pressed, one per warning expected
    int result = 0;
    Written after{};
    std::vector<Call> calls{};  // when given: every host call, the window left out
    bool hankaku = false;
};

// A header read first into `size` bytes and then into each larger buffer up
// to `last`, twice as large each time.
std::vector<Call> Reads(const char* name, int size, int last) {
    std::vector<Call> calls;
    for (; size < last; size *= 2) {
        calls.push_back(Get(name, size));
    }
    calls.push_back(Get(name, last));
    return calls;
}

const std::string kDoCoMo = "taro@docomo.ne.jp";
const std::string kGroupJ = "jiro@jp-d.ne.jp";
const std::string kGroupD = "saburo@kct.dion.ne.jp";
const std::string kOther = "hanako@example.com";
const std::string kSender = "ichiro@example.com";

// A recipient list of exactly `bytes` bytes whose last entry is `last`.
std::string ListEndingIn(size_t bytes, const std::string& last) {
    const std::string join = "@example.org, ";
    return std::string(bytes - join.size() - last.size(), 'p') + join + last;
}

// 100 ordinary addresses, then a DoCoMo one: 2,217 bytes.
std::string HundredThenDoCoMo() {
    std::string list;
    for (int i = 0; i < 100; ++i) {
        char address[32];
        std::snprintf(address, sizeof address, "member%02d@example.org, ", i);
        list += address;
    }
    return list + "last@docomo.ne.jp";
}

// "山田" 70 times: a display name of 140 characters, 280 bytes.
std::string LongDisplayName() {
    std::string name;
    for (int i = 0; i < 70; ++i) {
        name += "\x8E\x52\x93\x63";
    }
    return name;
}

// A From of exactly `bytes` bytes: a quoted display name and kSender.
std::string FromOf(size_t bytes) {
    std::string from = "\"";
    from.append(bytes - kSender.size() - 5, 'Y');
    from.append("\" <").append(kSender).append(">");
    return from;
}

// A bare address of exactly `bytes` bytes.
std::string AddressOf(size_t bytes) {
    return std::string(bytes - kSender.size(), 'x') + kSender;
}

// A Subject of 3,003 bytes: "会議の件 (Re: 12/20) " 143 times.
std::string LongSubject() {
    std::string subject;
    for (int i = 0; i < 143; ++i) {
        subject += "\x89\xEF\x8B\x63\x82\xCC\x8C\x8F (Re: 12/20) ";
    }
    return subject;
}

// "鈴木, 一郎" <ichiro@example.com>
const std::string kNamedSender = "\"\x97\xE9\x96\xD8, \x88\xEA\x98\x59\" <" + kSender + ">";

// Every buffer a header is read into holds at most 2 MiB.
constexpr size_t kLargestRead = 2 * 1024 * 1024;

std::vector<FaultCase> Cases() {
    const std::vector<Call> read = {GetText(), Get("To", 2048), Get("Cc", 2048), Get("Bcc", 2048)};
    const std::vector<Call> kept = {Get("Subject", 2048), Get("From", 2048)};
    const std::string fullWidthA = "\x82\x60";  // Ａ
    std::string fullWidthSubject;
    for (int i = 0; i < 1500; ++i) {
        fullWidthSubject += fullWidthA;
    }
    const std::string hugeFrom = "\"" + std::string(kLargestRead, 'Y') + "\" <" + kSender + ">";
    const std::string hugeSubject = std::string(kLargestRead, 'S');
    return {
        // From read whole, and reduced to its address.
        {.what = "a From with a display name of 140 characters",
         .mail = {kGroupJ, "", "", "Hello", "\"" + LongDisplayName() + "\" <taro@example.jp>",
                  "Hi"},
         .after = {"", "taro@example.jp", "Hi"},
         .calls = Calls({read,
                         kept,
                         {Get("Subject", 260), Set("Subject", ""), Get("From", 260),
                          Get("From", 520), Set("From", "taro@example.jp"), SetText("Hi")}})},
        {.what = "a From of 259 bytes",
         .mail = {kGroupJ, "", "", "Hello", FromOf(259), "Hi"},
         .after = {"", kSender, "Hi"},
         .calls = Calls({read,
                         kept,
                         {Get("Subject", 260), Set("Subject", ""), Get("From", 260),
                          Get("From", 520), Set("From", kSender), SetText("Hi")}})},
        {.what = "a From of 260 bytes",
         .mail = {kGroupJ, "", "", "Hello", FromOf(260), "Hi"},
         .after = {"", kSender, "Hi"},
         .calls = Calls({read,
                         kept,
                         {Get("Subject", 260), Set("Subject", ""), Get("From", 260),
                          Get("From", 520), Set("From", kSender), SetText("Hi")}})},
        // An address that does not fit its 256 bytes leaves From as written and
        // counts as 55 bytes: 322 + 55 + 7 = 384 asks nothing, 323 asks.
        {.what = "an address of 255 bytes",
         .mail = {kGroupJ, "", "", "Hello", "Ichiro <" + AddressOf(255) + ">", Body(322)},
         .after = {"", AddressOf(255), Body(322)}},
        {.what = "an address of 256 bytes and a body of 322",
         .mail = {kGroupJ, "", "", "Hello", "Ichiro <" + AddressOf(256) + ">", Body(322)},
         .after = {"", "Ichiro <" + AddressOf(256) + ">", Body(322)},
         .calls = Calls({read,
                         kept,
                         {Get("Subject", 260), Set("Subject", ""), Get("From", 260),
                          Get("From", 520), SetText(Body(322))}})},
        {.what = "an address of 256 bytes and a body of 323",
         .mail = {kGroupJ, "", "", "Hello", "Ichiro <" + AddressOf(256) + ">", Body(323)},
         .answers = {IDYES},
         .after = {"", "Ichiro <" + AddressOf(256) + ">", Body(323)}},
        {.what = "a From longer than the largest read",
         .mail = {kGroupJ, "", "", "Hello", hugeFrom, "Hi"},
         .after = {"", hugeFrom, "Hi"}},
        // Every recipient examined, however long the headers.
        {.what = "100 addresses, then a DoCoMo one",
         .mail = {HundredThenDoCoMo(), "", "", "Hello", kSender, Body(600)},
         .answers = {IDYES},
         .after = {"Hello", kSender, Body(600)},
         .calls = {GetText(), Get("To", 2048), Get("To", 4096), Get("Cc", 2048), Get("Bcc", 2048),
                   Get("Subject", 2048), Set("Subject", "Hello"), SetText(Body(600))}},
        {.what = "a To of 2047 bytes ending in a DoCoMo address",
         .mail = {ListEndingIn(2047, kDoCoMo), "", "", "Hello", kSender, "Hi"},
         .after = {"Hello", kSender, "Hi"},
         .calls = {GetText(), Get("To", 2048), Get("To", 4096), Get("Cc", 2048), Get("Bcc", 2048),
                   Get("Subject", 2048), Set("Subject", "Hello"), SetText("Hi")}},
        {.what = "a To of 2048 bytes ending in a DoCoMo address",
         .mail = {ListEndingIn(2048, kDoCoMo), "", "", "Hello", kSender, "Hi"},
         .after = {"Hello", kSender, "Hi"},
         .calls = {GetText(), Get("To", 2048), Get("To", 4096), Get("Cc", 2048), Get("Bcc", 2048),
                   Get("Subject", 2048), Set("Subject", "Hello"), SetText("Hi")}},
        {.what = "a Cc of 2100 bytes ending in a DoCoMo address",
         .mail = {kOther, ListEndingIn(2100, kDoCoMo), "", "Hello", kSender, "Hi"},
         .after = {"Hello", kSender, "Hi"},
         .calls = {GetText(), Get("To", 2048), Get("Cc", 2048), Get("Cc", 4096), Get("Bcc", 2048),
                   Get("Subject", 2048), Set("Subject", "Hello"), SetText("Hi")}},
        {.what = "a Bcc of 5000 bytes ending in a group D address",
         .mail = {kOther, "", ListEndingIn(5000, kGroupD), "Hello", kSender, "Hi"},
         .after = {"", kSender, "Hi"},
         .calls = Calls({{GetText(), Get("To", 2048), Get("Cc", 2048)},
                         Reads("Bcc", 2048, 8192),
                         kept,
                         {Set("Subject", ""), SetText("Hi")}})},
        // The DoCoMo-only Subject converted and written back whole.
        {.what = "a DoCoMo-only Subject of 3000 bytes",
         .mail = {kDoCoMo, "", "", fullWidthSubject, kSender, "Hi"},
         .after = {std::string(1500, 'A'), kSender, "Hi"},
         .calls = Calls({read,
                         Reads("Subject", 2048, 4096),
                         {Set("Subject", std::string(1500, 'A')), SetText("Hi")}}),
         .hankaku = true},
        {.what = "a DoCoMo-only Subject longer than the largest read is left as written",
         .mail = {kDoCoMo, "", "", hugeSubject, kSender, "Hi"},
         .after = {hugeSubject, kSender, "Hi"},
         .hankaku = true},
        // No puts back the Subject and From this send changed, byte for byte.
        {.what = "No after a group J entry",
         .mail = {kGroupJ, "", "", LongSubject(), kNamedSender, Body(400)},
         .answers = {IDNO},
         .result = -1,
         .after = {LongSubject(), kNamedSender, Body(400)},
         .calls = Calls({read,
                         Reads("Subject", 2048, 4096),
                         {Get("From", 2048)},
                         Reads("Subject", 260, 4160),
                         {Set("Subject", ""), Get("From", 260), Set("From", kSender),
                          Set("Subject", LongSubject()), Set("From", kNamedSender)}})},
        {.what = "No after a group J entry whose Subject is kept",
         .mail = {kGroupJ, "", "", "#1", kNamedSender, Body(400)},
         .answers = {IDNO},
         .result = -1,
         .after = {"#1", kNamedSender, Body(400)},
         .calls = Calls({read,
                         kept,
                         {Get("Subject", 260), Get("From", 260), Set("From", kSender),
                          Set("From", kNamedSender)}})},
        {.what = "No after a group D entry",
         .mail = {kGroupD, "", "", "#" + LongSubject(), kNamedSender, Body(90)},
         .answers = {IDNO},
         .result = -1,
         .after = {"#" + LongSubject(), kNamedSender, Body(90)},
         .calls = Calls({read,
                         Reads("Subject", 2048, 4096),
                         {Get("From", 2048)},
                         {Set("Subject", ""), Set("Subject", "#" + LongSubject())}})},
        {.what = "No at a DoCoMo entry after a group J and a group D one",
         .mail = {kGroupJ + ", " + kGroupD + ", " + kDoCoMo, "", "", "Hello", kNamedSender,
                  Body(600)},
         .answers = {IDYES, IDYES, IDNO},
         .result = -1,
         .after = {"Hello", kNamedSender, Body(600)}},
    };
}

class SendFaultsTest : public SendTest {
  protected:
    Written Now(HWND window) const {
        return {host_.Header(window, "Subject"), host_.Header(window, "From"), host_.Body(window)};
    }

    // The calls made for `window`, the window left out.
    std::vector<Call> CallsFor(HWND window) const {
        std::vector<Call> calls;
        for (Call call : host_.Calls()) {
            if (call.window == window) {
                call.window = nullptr;
                calls.push_back(call);
            }
        }
        return calls;
    }
};

// Compares whole values but reports long ones by their length only, so that
// a failure report stays readable.
void ExpectSame(const std::string& actual, const std::string& expected, const char* what) {
    EXPECT_TRUE(actual == expected)
        << what << ": " << actual.size() << " bytes, expected " << expected.size() << " bytes"
        << (actual.size() <= 300 ? "\n  got      " + actual : "")
        << (expected.size() <= 300 ? "\n  expected " + expected : "");
}

TEST_F(SendFaultsTest, LongHeadersAndCancelledSendsKeepWhatTheUserWrote) {
    for (const FaultCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start({.hankaku = c.hankaku}));
        HWND window = Open(c.mail);
        User user;
        user.AnswerMessageBoxes(c.answers);
        host_.ClearCalls();

        EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, 0), c.result);

        const Written after = Now(window);
        ExpectSame(after.subject, c.after.subject, "Subject");
        ExpectSame(after.from, c.after.from, "From");
        ExpectSame(after.body, c.after.body, "body");
        EXPECT_EQ(host_.Calls().size(), CallsFor(window).size());
        if (!c.calls.empty()) {
            EXPECT_EQ(CallsFor(window), c.calls);
        }
        for (const Call& call : host_.Calls()) {
            if (call.function == "BKA_CompSetSpecifiedHeader" && call.name == "From" &&
                call.text != c.mail.from) {
                EXPECT_LE(call.text.size(), 255u) << "From set to " << call;
            }
        }
        ASSERT_EQ(user.MessageBoxes().size(), c.answers.size());
        for (size_t i = 0; i < c.answers.size(); ++i) {
            EXPECT_EQ(user.MessageBoxes()[i].owner, window);
            EXPECT_EQ(user.MessageBoxes()[i].answer, c.answers[i]);
        }
        host_.CloseCompose(window);
    }
}

// What one send did to its compose window, and what it asked of the host.
struct SendResult {
    int result = 0;
    Written after;
    std::vector<Call> calls;

    bool operator==(const SendResult&) const = default;
};

void PrintTo(const SendResult& send, std::ostream* out) {
    *out << "result " << send.result << ", Subject \"" << send.after.subject << "\", body of "
         << send.after.body.size() << " bytes, " << send.calls.size() << " calls:";
    for (const Call& call : send.calls) {
        *out << "\n    " << call;
    }
}

// The user presses Send in a second compose window while the first one's
// length warning is open (its message loop lets the host start that send).
// Each send is a whole inspection of its own: the first goes on exactly where
// it was, with the result it has when sent alone, and so does the second,
// whether it is let go or cancelled.
TEST_F(SendFaultsTest, ASendStartedFromAnotherSendsWarningIsSeparate) {
    // To DoCoMo and group D: the DoCoMo entry asks first, then the group D one.
    const Mail first = {kDoCoMo + ", " + kGroupD, "", "", "Hello", kSender, ":)" + Body(598)};
    const Mail second = {
        "jiro@docomo.ne.jp, " + kOther, "", "", "Hi :)", kSender, ":)" + Body(598)};
    for (int innerAnswer : {IDYES, IDNO}) {
        SCOPED_TRACE(innerAnswer == IDYES ? "Yes in the second send" : "No in the second send");
        ASSERT_NO_FATAL_FAILURE(Start({.emoji = true}));

        // Each send alone.
        SendResult firstAlone;
        SendResult secondAlone;
        {
            User user;
            user.AnswerMessageBoxes({IDYES, IDYES, innerAnswer});
            HWND window = Open(first);
            firstAlone.result = host_.Plugin().BKC_OnOutgoing(window, 0);
            firstAlone.after = Now(window);
            firstAlone.calls = CallsFor(window);
            host_.CloseCompose(window);
            window = Open(second);
            secondAlone.result = host_.Plugin().BKC_OnOutgoing(window, 0);
            secondAlone.after = Now(window);
            secondAlone.calls = CallsFor(window);
            host_.CloseCompose(window);
            ASSERT_EQ(user.MessageBoxes().size(), 3u);
        }
        EXPECT_EQ(firstAlone.result, 0);
        EXPECT_EQ(firstAlone.after.subject, "");       // cleared for group D
        EXPECT_EQ(firstAlone.after.body, first.body);  // no emoji with group D
        EXPECT_EQ(secondAlone.result, innerAnswer == IDYES ? 0 : -1);

        // The second sent from inside the first's first warning.
        HWND outer = Open(first);
        HWND inner = Open(second);
        SendResult nestedSecond;
        bool started = false;
        User user;
        user.OnMessageBox([&](const MessageBoxSeen& box) {
            if (box.owner == outer && !started) {
                started = true;
                nestedSecond.result = host_.Plugin().BKC_OnOutgoing(inner, 0);
            }
            return box.owner == inner ? innerAnswer : IDYES;
        });
        host_.ClearCalls();
        SendResult nestedFirst;
        nestedFirst.result = host_.Plugin().BKC_OnOutgoing(outer, 0);
        nestedFirst.after = Now(outer);
        nestedFirst.calls = CallsFor(outer);
        nestedSecond.after = Now(inner);
        nestedSecond.calls = CallsFor(inner);

        EXPECT_TRUE(started);
        EXPECT_EQ(nestedFirst, firstAlone);
        EXPECT_EQ(nestedSecond, secondAlone);
        std::vector<std::pair<HWND, int>> boxes;
        for (const MessageBoxSeen& box : user.MessageBoxes()) {
            boxes.emplace_back(box.owner, box.answer);
        }
        EXPECT_EQ(boxes, (std::vector<std::pair<HWND, int>>{
                             {outer, IDYES}, {inner, innerAnswer}, {outer, IDYES}}));
        host_.CloseCompose(outer);
        host_.CloseCompose(inner);
    }
}

}  // namespace
}  // namespace hostsim
