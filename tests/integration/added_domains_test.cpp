// Sends through the loaded plug-in with mail domains added to the carriers'
// rules in TELEPOST.ini: each case is the keys, a message, the settings and
// the user's answers, and what the plug-in must ask of the host and show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "codec.h"
#include "host.h"
#include "support/plugin_under_test.h"
#include "support/send_calls.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {
namespace {

// The domain lists written to TELEPOST.ini, each value by its key ("d
// domains", "exempt domains"); a key left out is not in the file.
using Keys = std::map<std::string, std::string>;

struct Mail {
    std::string to, cc, subject, from, body;
};

struct AddedCase {
    const char* what;
    Keys keys{};
    Mail mail{};
    IniSettings settings{};
    std::vector<int> answers{};  // the buttons pressed, one per warning expected
    int result = 0;
    std::vector<Call> calls{};  // every host call, the window left out
};

const std::string kDoCoMo = "taro@docomo.ne.jp";
const std::string kGroupJ = "jiro@jp-t.ne.jp";
const std::string kGroupD = "saburo@kct.dion.ne.jp";
const std::string kAu = "someone@ezweb.ne.jp";
const std::string kSoftBank = "hanako@softbank.ne.jp";
const std::string kMopera = "shiro@mopera.net";
const std::string kSender = "ichiro@example.com";
const std::string kNamedSender = "Ichiro <" + kSender + ">";

const std::vector<int> kYes = {IDYES};

// A list longer than the plug-in reads: "au.com", blanks up to where
// `tail` is cut after `kept` bytes by the end of the read buffer.
std::string LongList(const std::string& tail, size_t kept) {
    const size_t read = telepost::kDomainListSize - 1;
    std::string list = "au.com";
    list += std::string(read - kept - list.size(), ' ');
    return list + tail;
}

std::vector<AddedCase> Cases() {
    static const std::string longest = std::string(telepost::kMaxDomainLength - 6, 'x') + ".ne.jp";
    static const std::string tooLong = "x" + longest;
    static const std::string badAndGood =
        "au, @ezweb.ne.jp, ezweb.ne.jp;, au_com.jp, \x82\xA0u.com, " + tooLong + ",,  au.com " +
        longest;
    static const std::string cutInside = LongList("ezweb.ne.jp", 8);    // "ezweb.ne" read
    static const std::string pastTheEnd = LongList(" ezweb.ne.jp", 0);  // nothing of it read
    const std::string circle = "\x81\x9C";                              // ●
    const std::string emojiCircle = "\xF9\xA3";
    const Keys au = {{"d domains", "ezweb.ne.jp"}};
    const Keys all = {{"j domains", "softbank.ne.jp"},
                      {"docomo domains", "mopera.net"},
                      {"d domains", "ezweb.ne.jp, au.com"}};
    return {
        // An added group D domain: the Subject goes, even one with "#"; From stays.
        {.what = "ezweb.ne.jp added to rule D, 89 bytes",
         .keys = au,
         .mail = {kAu, "", "#1", kNamedSender, Body(89)},
         .calls = Calls({kRead, kKept, RuleD(), {SetText(Body(89))}})},
        {.what = "ezweb.ne.jp added to rule D, 90 bytes",
         .keys = au,
         .mail = {kAu, "", "Hello", kNamedSender, Body(90)},
         .answers = kYes,
         .calls = Calls({kRead, kKept, RuleD(), {SetText(Body(90))}})},
        {.what = "ezweb.ne.jp added to rule D, 90 bytes, No",
         .keys = au,
         .mail = {kAu, "", "Hello", kNamedSender, Body(90)},
         .answers = {IDNO},
         .result = -1,
         .calls = Calls({kRead, kKept, RuleD(), {Set("Subject", "Hello")}})},
        // An added group J domain: Subject unless "#", From reduced, the
        // limit counts the address (18 bytes): 359 + 18 + 7 = 384.
        {.what = "softbank.ne.jp added to rule J, 359 bytes",
         .keys = all,
         .mail = {"Hanako <" + kSoftBank + ">", "", "Hello", kNamedSender, Body(359)},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText(Body(359))}})},
        {.what = "softbank.ne.jp added to rule J, 360 bytes, a Subject with #",
         .keys = all,
         .mail = {kSoftBank, "", "#1", kNamedSender, Body(360)},
         .answers = kYes,
         .calls = Calls({kRead, kKept, RuleJ(kSender, true), {SetText(Body(360))}})},
        // An added DoCoMo domain: a DoCoMo-only send, emoji and all.
        {.what = "mopera.net added to rule DoCoMo",
         .keys = all,
         .mail = {kMopera, "", "Hi" + circle, kNamedSender, circle + Body(498)},
         .settings = {.emoji = true},
         .calls = Calls({kRead, DoCoMoOnly("Hi" + emojiCircle, emojiCircle + Body(498))})},
        {.what = "mopera.net added to rule DoCoMo, 501 bytes",
         .keys = all,
         .mail = {kMopera, "", "Hello", kNamedSender, Body(501)},
         .answers = kYes,
         .calls = Calls({kRead, DoCoMoOnly("Hello", Body(501))})},
        {.what = "an added DoCoMo domain and an added group D domain: no emoji",
         .keys = all,
         .mail = {kMopera, "x@au.com", "Hi" + circle, kNamedSender, circle},
         .settings = {.emoji = true},
         .calls = Calls({kRead, kKept, RuleD(), {SetText(circle)}})},
        {.what = "letter case differs between the key and the address",
         .keys = {{"d domains", "EZweb.NE.jp"}},
         .mail = {"SOMEONE@ezWEB.ne.JP", "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        // Bad items are skipped and the rest of the list counts.
        {.what = "bad items around au.com",
         .keys = {{"d domains", badAndGood}},
         .mail = {"x@au.com", "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        {.what = "bad items around a domain of the longest length",
         .keys = {{"d domains", badAndGood}},
         .mail = {"x@" + longest, "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        {.what = "among the bad items, ezweb.ne.jp with an @ before it or a semicolon after it",
         .keys = {{"d domains", badAndGood}},
         .mail = {kAu, "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        {.what = "bad items: a domain one byte too long",
         .keys = {{"d domains", badAndGood}},
         .mail = {"x@" + tooLong, "", "Hello", kSender, "Hi"},
         .calls = kRead},
        // A list longer than the read buffer counts up to it, never a
        // domain cut by its end.
        {.what = "a long list: the domain before the cut counts",
         .keys = {{"d domains", cutInside}},
         .mail = {"x@au.com", "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        {.what = "a long list: the domain the cut goes through does not",
         .keys = {{"d domains", cutInside}},
         .mail = {kAu, "", "Hello", kSender, "Hi"},
         .calls = kRead},
        {.what = "a long list: a domain past the cut does not",
         .keys = {{"d domains", pastTheEnd}},
         .mail = {kAu, "", "Hello", kSender, "Hi"},
         .calls = kRead},
        // The group J pre-filter still decides alone.
        {.what = "the group J pre-filter blocks an added group J domain",
         .keys = {{"j domains", "jp-x.ne.jp"}, {"d domains", "jp-x.ne.jp"}},
         .mail = {"taro@jp-x.ne.jp", "", "Hello", kSender, "Hi"},
         .calls = kRead},
        {.what = "the group J pre-filter blocks an added group D domain",
         .keys = au,
         .mail = {kAu + " (was taro@jp-x.ne.jp)", "", "Hello", kSender, "Hi"},
         .calls = kRead},
        // A built-in domain listed again under another rule changes nothing.
        {.what = "the DoCoMo domain listed for rule D",
         .keys = {{"j domains", "docomo.ne.jp"}, {"d domains", "docomo.ne.jp"}},
         .mail = {kDoCoMo, "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, DoCoMoOnly("Hello", "Hi")})},
        {.what = "a group J domain listed for rules DoCoMo and D",
         .keys = {{"docomo domains", "jp-t.ne.jp"}, {"d domains", "jp-t.ne.jp"}},
         .mail = {kGroupJ, "", "Hello", kNamedSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText("Hi")}})},
        // Exempt domains: no rule for their recipients, tested before the
        // built-in and the added domains; the other recipients keep theirs.
        {.what = "an exempt DoCoMo domain: a long mail asks nothing and converts nothing",
         .keys = {{"exempt domains", "docomo.ne.jp"}},
         .mail = {kDoCoMo, "", "Hi" + circle, kSender, circle + Body(600)},
         .settings = {.emoji = true},
         .calls = kRead},
        {.what = "without the exempt domain the same mail asks",
         .mail = {kDoCoMo, "", "Hi" + circle, kSender, circle + Body(600)},
         .settings = {.emoji = true},
         .answers = kYes,
         .calls = Calls({kRead, DoCoMoOnly("Hi" + emojiCircle, emojiCircle + Body(600))})},
        {.what = "an exempt domain before the same domain added to rule D",
         .keys = {{"d domains", "ezweb.ne.jp"}, {"exempt domains", "EZWEB.ne.jp"}},
         .mail = {kAu, "", "Hello", kSender, Body(600)},
         .calls = kRead},
        {.what = "an exempt recipient beside a group D one",
         .keys = {{"exempt domains", "docomo.ne.jp"}},
         .mail = {kDoCoMo, kGroupD, "Hi" + circle, kSender, circle},
         .settings = {.emoji = true},
         .calls = Calls({kRead, kKept, RuleD(), {SetText(circle)}})},
        // A list typed with the input method.
        {.what = "full-width separators between the domains",
         .keys = {{"j domains",
                   "softbank.ne.jp\x81\x43i.softbank.jp\x81\x40"
                   "foo.jp\x81\x41"
                   "bar.jp"}},
         .mail = {"b@bar.jp", "", "Hello", kNamedSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleJ(kSender), {SetText("Hi")}})},
        {.what = "a domain in full-width letters",
         .keys = {{"d domains",
                   "\x82\x85\x82\x9A\x82\x97\x82\x85\x82\x82\x81\x44ne.jp"}},  // ｅｚｗｅｂ．
         .mail = {kAu, "", "Hello", kSender, "Hi"},
         .calls = Calls({kRead, kKept, RuleD(), {SetText("Hi")}})},
        // Empty keys and no keys: the built-in rules alone, after sends with keys.
        {.what = "empty keys",
         .keys = {{"j domains", ""}, {"docomo domains", ""}, {"d domains", ""}},
         .mail = {kAu, kSoftBank, "Hello", kSender, "Hi"},
         .calls = kRead},
        {.what = "no keys: the added domains of an earlier start are gone",
         .mail = {kAu, kMopera + ", x@au.com", "Hello", kSender, "Hi"},
         .calls = kRead},
        {.what = "no keys: every built-in rule as before",
         .mail = {kGroupD + ", " + kDoCoMo, kGroupJ, "Hello", kNamedSender, Body(600)},
         .answers = {IDYES, IDYES, IDYES},
         .calls = Calls({kRead, kKept, RuleD(), RuleJ(kSender), {SetText(Body(600))}})},
        {.what = "no keys: a DoCoMo-only send as before",
         .mail = {kDoCoMo, "", "Hi" + circle, kSender, circle},
         .settings = {.emoji = true},
         .calls = Calls({kRead, DoCoMoOnly("Hi" + emojiCircle, emojiCircle)})},
    };
}

std::string IniPath() {
    return IniUnderTest();
}

// Writes TELEPOST.ini afresh with the settings and the keys given.
void WriteIni(const Keys& keys, const IniSettings& flags) {
    const std::string ini = IniPath();
    std::remove(ini.c_str());
    WriteSettings(ini, flags);
    for (const auto& [key, value] : keys) {
        WritePrivateProfileStringA(telepost::kSettingsSection, key.c_str(), value.c_str(),
                                   ini.c_str());
    }
}

class AddedDomainsTest : public testing::Test {
  protected:
    void TearDown() override { std::remove(IniPath().c_str()); }

    // Loads the plug-in and starts it with the file; the file is gone
    // before any send, so a send cannot read it.
    void Start(const Keys& keys, const IniSettings& flags) {
        WriteIni(keys, flags);
        std::string error;
        ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
        host_.Plugin().BKC_OnStart();
        std::remove(IniPath().c_str());
    }

    HWND Open(const Mail& mail) {
        Message message;
        message.headers = {{"To", mail.to},
                           {"Cc", mail.cc},
                           {"Bcc", ""},
                           {"Subject", mail.subject},
                           {"From", mail.from}};
        message.body = mail.body;
        return host_.OpenCompose(message);
    }

    Host host_;
};

TEST_F(AddedDomainsTest, SendsAsTheAddedDomainsRulesSay) {
    for (const AddedCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(c.keys, c.settings));
        HWND window = Open(c.mail);
        User user;
        user.AnswerMessageBoxes(c.answers);
        host_.ClearCalls();

        EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, 0), c.result);

        EXPECT_EQ(CallsMadeFor(host_, window), c.calls);
        EXPECT_EQ(user.MessageBoxes(), LengthWarnings(window, c.answers));
        host_.CloseCompose(window);
    }
}

// A list typed in full-width mode acts as its ASCII form, in an INI file
// saved in code page 932 ("ANSI") or, as today's Notepad saves it, in UTF-8
// without a byte order mark; and it acts, unlike no list at all.
TEST_F(AddedDomainsTest, ListsTypedInFullWidthModeActAsTheirAsciiForms) {
    struct Typed {
        const char* key;
        std::string typed;  // UTF-8 here
        std::string ascii;
        std::vector<Mail> mails;
    };
    const Typed lists[] = {
        {telepost::kExemptDomainsKey,
         "ｄｏｃｏｍｏ。ｎｅ。ｊｐ",
         "docomo.ne.jp",
         {{kDoCoMo, "", "Hello", kSender, Body(600)}}},
        {telepost::kDomainKeys[0],
         "ａｕ。ｃｏｍ；ｍｙーｄｏｍａｉｎ．ｊｐ",
         "au.com, my-domain.jp",
         {{"x@au.com", "", "Hello", kNamedSender, "Hi"},
          {"y@my-domain.jp", "", "Hello", kNamedSender, "Hi"}}},
    };
    // What the send of `mail` asks of the host, and the boxes it shows, with
    // the INI file holding `line` in its section.
    const auto send = [&](const std::string& line, const Mail& mail) {
        std::remove(IniPath().c_str());
        std::ofstream(IniPath(), std::ios::binary) << "[k-tai]\r\nconvert to emoji=1\r\n"
                                                   << line << "\r\n";
        EXPECT_TRUE(host_.Load(PluginUnderTest()));
        host_.Plugin().BKC_OnStart();
        std::remove(IniPath().c_str());
        HWND window = Open(mail);
        User user;
        user.AnswerMessageBoxes({IDYES, IDYES});
        host_.ClearCalls();
        host_.Plugin().BKC_OnOutgoing(window, 0);
        std::vector<Call> calls = CallsMadeFor(host_, window);
        for (const MessageBoxSeen& box : user.MessageBoxes()) {
            calls.push_back({"box", nullptr, box.text, box.caption, static_cast<int>(box.style)});
        }
        host_.CloseCompose(window);
        return calls;
    };
    for (const Typed& list : lists) {
        std::string cp932;
        ASSERT_TRUE(Utf8ToCp932(list.typed, &cp932)) << list.typed;
        for (const Mail& mail : list.mails) {
            SCOPED_TRACE(list.typed + " for " + mail.to);
            const std::string key = std::string(list.key) + "=";
            const std::vector<Call> ascii = send(key + list.ascii, mail);
            EXPECT_NE(ascii, send("", mail));
            EXPECT_EQ(send(key + cp932, mail), ascii) << "code page 932";
            EXPECT_EQ(send(key + list.typed, mail), ascii) << "UTF-8";
        }
    }
}

// Each carrier's rule as carriers.inc writes it, read as what a send to one
// of its recipients shows: a new carrier's row is tested with no edit here.
namespace rule {

enum Subject { Kept, ClearedUnlessMarked, Cleared };
enum From { AsWritten, BareAddress };
enum Emoji { For, Against };
// The body's limit, and for a rule that counts the From address, the bytes
// of it that count and the bytes more.
struct Length {
    size_t bytes;
    size_t addressCap = 0;
    size_t overhead = 0;
};
constexpr Length BodyOnly(size_t bytes) {
    return {bytes};
}
constexpr Length BodyAndAddress(size_t bytes, size_t addressCap, size_t overhead) {
    return {bytes, addressCap, overhead};
}

struct Row {
    const char* name;
    const char* domainsKey;
    Subject subject;
    From from;
    Length length;
    Emoji emoji;
};

#define TELEPOST_CARRIER(id, name, domainsKey, subject, from, length, emoji, ...) \
    Row{name, domainsKey, subject, from, length, emoji},
const Row kRows[] = {
#include "telepost/carriers.inc"
};
#undef TELEPOST_CARRIER

}  // namespace rule

// A domain added to each carrier's key brings all of that carrier's rule: to
// a recipient of it alone, with the emoji setting on, a body just within the
// limit goes with no question and one byte more asks; the Subject, From and
// the emoji as the rule says.
TEST_F(AddedDomainsTest, EveryCarrierTakesItsWholeRuleToAnAddedDomain) {
    const std::string circle = "\x81\x9C";  // ●
    const std::string emojiCircle = "\xF9\xA3";
    for (const rule::Row& row : rule::kRows) {
        SCOPED_TRACE(row.name);
        const rule::Length& length = row.length;
        const size_t address = length.addressCap ? std::min(kSender.size(), length.addressCap) : 0;
        const size_t fits = length.bytes - address - (length.addressCap ? length.overhead : 0);
        for (const bool over : {false, true}) {
            SCOPED_TRACE(over ? "one byte over the limit" : "at the limit");
            ASSERT_NO_FATAL_FAILURE(Start({{row.domainsKey, "added.example.jp"}}, {.emoji = true}));
            const std::string subject = over ? "#1" : "Hello";
            const std::string body = Body(fits + over - circle.size());
            HWND window = Open({"taro@added.example.jp", "", subject, kNamedSender, circle + body});
            User user;
            user.AnswerMessageBoxes(over ? kYes : std::vector<int>{});

            EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, 0), 0);

            EXPECT_EQ(user.MessageBoxes().size(), over ? 1u : 0u);
            const bool subjectKept =
                row.subject == rule::Kept ||
                (row.subject == rule::ClearedUnlessMarked && subject[0] == '#');
            EXPECT_EQ(host_.Header(window, "Subject"), subjectKept ? subject : "");
            EXPECT_EQ(host_.Header(window, "From"),
                      row.from == rule::BareAddress ? kSender : kNamedSender);
            EXPECT_EQ(host_.Body(window), (row.emoji == rule::For ? emojiCircle : circle) + body);
            host_.CloseCompose(window);
        }
    }
}

// The keys are read with the settings at start, not at a send: a file
// changed after the start changes nothing until the next start.
TEST_F(AddedDomainsTest, TheKeysCountFromTheStart) {
    ASSERT_NO_FATAL_FAILURE(Start({{"d domains", "ezweb.ne.jp"}}, {}));
    WriteIni({{"d domains", "au.com"}}, {});
    HWND window = Open({kAu + ", x@au.com", "", "Hello", kSender, "Hi"});
    host_.ClearCalls();
    EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(window, 0), 0);
    EXPECT_EQ(host_.Calls().size(), kRead.size() + kKept.size() + RuleD().size() + 1);
    EXPECT_EQ(host_.Header(window, "Subject"), "");

    host_.Plugin().BKC_OnStart();
    HWND second = Open({kAu, "", "Hello", kSender, "Hi"});
    EXPECT_EQ(host_.Plugin().BKC_OnOutgoing(second, 0), 0);
    EXPECT_EQ(host_.Header(second, "Subject"), "Hello");
}

// OK in the settings dialog writes the settings and leaves every domain key
// as the user wrote it.
TEST_F(AddedDomainsTest, TheSettingsDialogKeepsTheKeys) {
    Keys keys;
    for (const char* key : telepost::kDomainListKeys) {
        keys[key] = "ezweb.ne.jp, au" + std::to_string(keys.size()) + ".com";
    }
    WriteIni(keys, {.hankaku = true});
    std::string error;
    ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
    host_.Plugin().BKC_OnStart();
    User user;
    user.OnDialog([](HWND dialog) {
        PostMessageA(GetDlgItem(dialog, IDC_HANKAKU), BM_CLICK, 0, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(host_.Plugin().BKC_OnPlugInSetup(nullptr), 1);

    EXPECT_EQ(GetPrivateProfileIntA(telepost::kSettingsSection, telepost::kSettingKeys[0], -1,
                                    IniPath().c_str()),
              0u);
    for (const auto& [key, expected] : keys) {
        char value[64] = {};
        GetPrivateProfileStringA(telepost::kSettingsSection, key.c_str(), "-", value, sizeof value,
                                 IniPath().c_str());
        EXPECT_EQ(value, expected) << key;
    }
}

}  // namespace
}  // namespace hostsim
