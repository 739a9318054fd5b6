// Sends through the loaded plug-in: each case is a message, the settings and
// the user's answers, and what the plug-in must ask of the host and show.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "cli.h"
#include "codec.h"
#include "host.h"
#include "support/plugin_under_test.h"
#include "support/send_calls.h"
#include "telepost/contract.h"
#include "temp_folder.h"
#include "user.h"

namespace hostsim {
namespace {

struct SendCase {
    const char* what;
    Mail mail{};
    IniSettings settings{};
    std::vector<int> answers{};  // the buttons pressed, one per warning expected
    int result = 0;
    std::vector<Call> calls{};  // every host call, the window left out
    int mode = 0;
};

const std::string kDoCoMo = "taro@docomo.ne.jp";
const std::string kGroupJ = "jiro@jp-t.ne.jp";
const std::string kGroupD = "saburo@kct.dion.ne.jp";
const std::string kOther = "hanako@example.com";
const std::string kSender = "ichiro@example.com";
// A From address of exactly `bytes` bytes.
std::string Address(size_t bytes) {
    return std::string(bytes - kSender.size(), 'x') + kSender;
}

const std::vector<int> kYes = {IDYES};

std::vector<SendCase> Cases() {
    const std::string fullWidthA = "\x82\x60";  // Ａ
    const std::string circledOne = "\x87\x40";  // ①
    const std::string emojiOne = "\xF9\x87";    // the i-mode keycap 1
    const std::string emojiSmile = "\xF9\x95";  // the i-mode smiling face
    return {
        {.what = "no mobile recipient: the body is not handed back",
         .mail = {kOther, "jiro@example.org", "", "Hello", kSender, " Ａ\r\n"},
         .settings = {true, true, true},
         .calls = kRead},
        {.what = "a non-zero mode: no header is read",
         .mail = {kDoCoMo, "", "", "Hello", kSender, Body(600)},
         .settings = {true, true, true},
         .calls = {GetText()},
         .mode = 1},
        {.what = "To empty and Cc holding a DoCoMo address",
         .mail = {"", kDoCoMo, "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, DoCoMoOnly("Hello", "Hi")})},
        {.what = "Bcc alone holding a group D address",
         .mail = {"", "", kGroupD, "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        {.what = "a domain in capitals",
         .mail = {"TARO@DOCOMO.NE.JP", "", "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, DoCoMoOnly("Hello", "Hi")})},
        {.what = "a display name holding a group J domain",
         .mail = {"\"" + kGroupJ + "\" <" + kOther + ">", "", "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText("Hi")}})},
        {.what = "the group J pre-filter without a member hides the DoCoMo domain",
         .mail = {"taro@jp-x.ne.jp (" + kDoCoMo + ")", "", "", "Hello", kSender, "Hi"},
         .calls = kRead},
        // The body's length limits, counted after the body conversions.
        {.what = "DoCoMo, 500 bytes",
         .mail = {kDoCoMo, "", "", "Hello", kSender, Body(500)},
         .calls = Calls({kRead, DoCoMoOnly("Hello", Body(500))})},
        {.what = "DoCoMo, 501 bytes",
         .mail = {kDoCoMo, "", "", "Hello", kSender, Body(501)},
         .answers = kYes,
         .calls = Calls({kRead, DoCoMoOnly("Hello", Body(501))})},
        {.what = "DoCoMo, 500 bytes once the line breaks are deleted",
         .mail = {kDoCoMo, "", "", "Hello", kSender, Body(250) + "\r\n" + Body(250)},
         .settings = {.deleteCrlf = true},
         .calls = Calls({kRead, DoCoMoOnly("Hello", Body(500))})},
        {.what = "group D, 89 bytes",
         .mail = {kGroupD, "", "", "Hello", kSender, Body(89)},
         .calls = Calls({kRead, kKept, RuleD(), {SetText(Body(89))}})},
        {.what = "group D, 90 bytes",
         .mail = {kGroupD, "", "", "Hello", kSender, Body(90)},
         .answers = kYes,
         .calls = Calls({kRead, kKept, RuleD(), {SetText(Body(90))}})},
        {.what = "group J, 330 bytes and a 47-byte address",
         .mail = {kGroupJ, "", "", "Hello", Address(47), Body(330)},
         .calls = Calls({kRead, kKept, RuleJ(Address(47)), {SetText(Body(330))}})},
        {.what = "group J, 331 bytes and a 47-byte address",
         .mail = {kGroupJ, "", "", "Hello", Address(47), Body(331)},
         .answers = kYes,
         .calls = Calls({kRead, kKept, RuleJ(Address(47)), {SetText(Body(331))}})},
        {.what = "group J, 322 bytes and a 60-byte address counted as 55",
         .mail = {kGroupJ, "", "", "Hello", Address(60), Body(322)},
         .calls = Calls({kRead, kKept, RuleJ(Address(60)), {SetText(Body(322))}})},
        {.what = "group J, 323 bytes and a 60-byte address counted as 55",
         .mail = {kGroupJ, "", "", "Hello", Address(60), Body(323)},
         .answers = kYes,
         .calls = Calls({kRead, kKept, RuleJ(Address(60)), {SetText(Body(323))}})},
        // A Subject marked with "#" survives group J only.
        {.what = "group J keeps a Subject beginning with #",
         .mail = {kGroupJ, "", "", "#123", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender, true), {SetText("Hi")}})},
        {.what = "group D clears a Subject beginning with #",
         .mail = {kGroupD, "", "", "#123", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        // From reduced to the bare address, whatever its form.
        {.what = "From: name <address>",
         .mail = {kGroupJ, "", "", "", "Ichiro <" + kSender + ">", "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText("Hi")}})},
        {.what = "From: address (name)",
         .mail = {kGroupJ, "", "", "", kSender + " (Ichiro)", "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText("Hi")}})},
        {.what = "From: \"quoted, name\" <address>",
         .mail = {kGroupJ, "", "", "", "\"Suzuki, Ichiro\" <" + kSender + ">", "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText("Hi")}})},
        {.what = "From: bare address",
         .mail = {kGroupJ, "", "", "", "  " + kSender + " ", "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText("Hi")}})},
        // Emoji only for DoCoMo phones alone.
        {.what = "DoCoMo and group J together: no emoji",
         .mail = {kDoCoMo + ", " + kGroupJ, "", "", fullWidthA + ":)", kSender, circledOne + ":)"},
         .settings = {true, true, false},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText(circledOne + ":)")}})},
        {.what = "DoCoMo alone: body and Subject converted",
         .mail = {kDoCoMo, kOther, "", fullWidthA + ":)", kSender, circledOne + fullWidthA + ":)"},
         .settings = {true, true, false},
         .calls = Calls({kRead, DoCoMoOnly("A" + emojiSmile, emojiOne + "A" + emojiSmile)})},
        {.what = "DoCoMo alone with both conversions off: the Subject written back unchanged",
         .mail = {kDoCoMo, "", "", fullWidthA + ":)", kSender, circledOne + ":)"},
         .calls = Calls({kRead, DoCoMoOnly(fullWidthA + ":)", circledOne + ":)")})},
        // One warning per failing entry; No cancels at once.
        {.what = "Yes to three warnings",
         .mail = {kGroupD + ", " + kDoCoMo, kGroupJ, "", "Hello", kSender, Body(600)},
         .answers = {IDYES, IDYES, IDYES},
         .calls = Calls({kRead, kKept, RuleD(), RuleJ(kSender), {SetText(Body(600))}})},
        {.what = "No at the second of three warnings",
         .mail = {kGroupD + ", " + kGroupJ, kDoCoMo, "", "Hello", "Ichiro <" + kSender + ">",
                  Body(600)},
         .answers = {IDYES, IDNO},
         .result = -1,
         .calls = Calls({kRead,
                         kKept,
                         RuleD(),
                         RuleJ(kSender),
                         {Set("Subject", "Hello"), Set("From", "Ichiro <" + kSender + ">")}})},
    };
}

using OutgoingTest = SendTest;

TEST_F(OutgoingTest, SendsAsTheCarriersRulesSay) {
    for (const SendCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(c.settings));
        HWND window = Open(c.mail);
        User user;
        user.AnswerMessageBoxes(c.answers);
        host_.ClearCalls();

        EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, c.mode), c.result);

        EXPECT_EQ(CallsMadeFor(host_, window), c.calls);
        EXPECT_EQ(user.MessageBoxes(), LengthWarnings(window, c.answers));
        host_.CloseCompose(window);
    }
}

// A cancelled send leaves the compose window as the user wrote it: the
// headers it changed are put back and the converted body does not reach it.
TEST_F(OutgoingTest, ACancelledSendLeavesTheMessageAsWritten) {
    ASSERT_NO_FATAL_FAILURE(Start({.hankaku = true}));
    HWND window = Open({kGroupJ + "," + kGroupD, "", "", "#1", "Ichiro <" + kSender + ">",
                        "\x82\x60" + Body(400)});
    User user;
    user.AnswerMessageBoxes({IDNO});
    EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, 0), -1);
    EXPECT_EQ(user.MessageBoxes().size(), 1u);
    EXPECT_EQ(host_.Header(window, "Subject"), "#1");
    EXPECT_EQ(host_.Header(window, "From"), "Ichiro <" + kSender + ">");
    EXPECT_EQ(host_.Body(window), "\x82\x60" + Body(400));
}

// Group J reduces From only to an address: every form of the splitter's
// table, sent with a body that fits beside a short address. A From whose
// split result is no address ("Taro" for a leading comment, nothing for
// empty brackets) is left as written and counts as the longest address, so
// the same body asks.
TEST_F(OutgoingTest, FromIsReducedOnlyToAnAddress) {
    const std::string kanjiName = "\x8E\x52\x93\x63 \x91\xBE\x98\x59";  // 山田 太郎
    struct FromCase {
        std::string written;
        std::string reduced;  // empty: left as written
    };
    const std::string taro = "taro@example.jp";
    const FromCase cases[] = {
        {"Taro Yamada <" + taro + ">", taro},
        {"\"Yamada, Taro\" <" + taro + ">", taro},
        {"<" + taro + ">", taro},
        {taro + " (Taro Yamada)", taro},
        {" \t " + taro + " \t ", taro},
        {"Taro<" + taro + "> (Yamada)", taro},
        {kanjiName + " <" + taro + ">", taro},
        {"Taro <" + taro, taro},
        {"Taro < \t" + taro + "\t >", taro},
        {taro + " (\t Taro )", taro},
        {"Taro\r\n <" + taro + "\r\n>", taro + "\r\n"},
        {"\"Taro <T>\" <" + taro + ">", taro},
        {"\"Taro <" + taro + ">", "\"Taro <" + taro + ">"},
        {"\x82<" + taro + ">", "\x82<" + taro + ">"},
        {taro + " \x82(Taro)", taro + " \x82(Taro)"},
        {taro + "\x82", taro + "\x82"},
        // No address to reduce to.
        {"(Taro) " + taro, ""},
        {"Taro <>", ""},
        {"", ""},
        {" \t ", ""},
        {"Taro <@example.jp>", ""},
        {"Taro <taro@>", ""},
        {"Taro <x\x83\x40x>", ""},  // xァx: the trail byte of ァ is "@"
    };
    const std::string body = Body(323);  // 384 - 55 - 7 + 1: too long beside a capped address
    for (const FromCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.written));
        ASSERT_NO_FATAL_FAILURE(Start({}));
        HWND window = Open({kGroupJ, "", "", "Hello", c.written, body});
        const bool asWritten = c.reduced.empty();
        User user;
        user.AnswerMessageBoxes(asWritten ? kYes : std::vector<int>{});

        EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, 0), 0);

        EXPECT_EQ(host_.Header(window, "From"), asWritten ? c.written : c.reduced);
        EXPECT_EQ(user.MessageBoxes().size(), asWritten ? 1u : 0u);
        host_.CloseCompose(window);
    }
}

// Sends one after another share nothing: a cancelled walk of the recipients
// leaves no trace in the next send.
TEST_F(OutgoingTest, ASendAfterACancelledOneStartsAfresh) {
    ASSERT_NO_FATAL_FAILURE(Start({}));
    User user;
    user.AnswerMessageBoxes({IDNO});
    HWND first = Open({kDoCoMo + "," + kGroupD, "", "", "Hello", kSender, Body(600)});
    EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(first, 0), -1);
    HWND second = Open({kOther + "," + kGroupD, "", "", "Hello", kSender, "Hi"});
    EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(second, 0), 0);
    EXPECT_EQ(host_.Header(second, "Subject"), "");
    EXPECT_EQ(host_.Body(first), Body(600));
    EXPECT_EQ(user.MessageBoxes().size(), 1u);
}

// hostsim send, as a user runs it: a message file in, what the phones get out.
class HostsimSendTest : public testing::Test {
  protected:
    void SetUp() override { std::remove(ini_.c_str()); }
    void TearDown() override { std::remove(ini_.c_str()); }

    // Runs the verb on a message file of `text` (UTF-8); its exit status and output.
    int Send(const std::string& text, Args options, std::string* output) {
        std::ofstream(file_, std::ios::binary) << text;
        options.insert(options.begin(), file_);
        testing::internal::CaptureStdout();
        int status = RunSend(WithPluginUnderTest(options, 0));
        *output = testing::internal::GetCapturedStdout();
        return status;
    }

    const telepost_tests::TempFolder folder_{"send"};
    const std::string file_ = folder_ / "message.txt";
    const std::string ini_ = IniUnderTest();
};

TEST_F(HostsimSendTest, ShowsChangedHeadersAndTheBodyWithEmojiPictures) {
    std::string output;
    EXPECT_EQ(Send("To: taro@docomo.ne.jp\nSubject: Ａ :)\nFrom: i@example.com\n\n①～ zZ\n",
                   {"--emoji", "on", "--hankaku", "on", "--codes"}, &output),
              kExitOk);
    EXPECT_NE(output.find("A \xF0\x9F\x98\x83[F995]"), std::string::npos) << output;  // 😃
    // 1️⃣, 〰 and 💤, the body's lines ending in CR LF as in a compose window.
    EXPECT_NE(output.find("1\xEF\xB8\x8F\xE2\x83\xA3[F987]\xE3\x80\xB0[F9AE] "
                          "\xF0\x9F\x92\xA4[F9A6]"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("handed back, 9 bytes"), std::string::npos) << output;
    EXPECT_NE(output.find("goes on (0)"), std::string::npos) << output;
    // The settings given were for this send only.
    EXPECT_EQ(std::fopen(ini_.c_str(), "r"), nullptr);
}

TEST_F(HostsimSendTest, ANoToTheWarningCancelsTheSend) {
    std::string output;
    EXPECT_EQ(
        Send("To: s@kct.dion.ne.jp\nSubject: #1\n\n" + std::string(90, 'a'), {"--no"}, &output),
        kExitCancelled);
    EXPECT_NE(output.find("answered No"), std::string::npos) << output;
    EXPECT_NE(output.find("not handed back"), std::string::npos) << output;
    EXPECT_NE(output.find("cancelled (-1)"), std::string::npos) << output;
}

TEST_F(HostsimSendTest, FailsWithOneLineOnAMissingFileOrAMalformedMessage) {
    std::string output;
    EXPECT_EQ(RunSend({folder_ / "no such message.txt"}), kExitFailure);
    EXPECT_EQ(Send("To taro@docomo.ne.jp\n\nHi\n", {}, &output), kExitFailure);
    EXPECT_EQ(Send("To: taro@docomo.ne.jp\n\nHi\n", {"--plugin", "nothing.dll"}, &output),
              kExitFailure);
}

}  // namespace
}  // namespace hostsim
