// The domains the user adds to the carriers' rules: the list parser and how
// the added domains join the classification.
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "classify_cases.h"
#include "cp932.h"
#include "recipients/carriers.h"

namespace telepost {
namespace {

std::vector<std::string> Parse(const std::string& list, bool cut = false) {
    DomainList parsed;
    ParseDomainList(list.c_str(), cut, parsed);
    return {parsed.patterns, parsed.patterns + parsed.count};
}

struct ParseCase {
    const char* what;
    std::string list;
    std::vector<std::string> patterns;
    bool cut = false;
};

// The i-th of many domains.
std::string Numbered(int i) {
    std::string domain = std::to_string(i);
    domain += ".example.jp";
    return domain;
}

std::string Many(int count) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        list += Numbered(i);
        list += ' ';
    }
    return list;
}

TEST(AddedDomainsTest, ParsesLists) {
    const std::string longest = std::string(kMaxDomainLength - 3, 'a') + ".jp";
    std::vector<std::string> firstOnes;
    for (int i = 0; i < kMaxAddedDomains; ++i) {
        firstOnes.push_back('@' + Numbered(i));
    }
    const ParseCase cases[] = {
        {"empty", "", {}},
        {"separators only", " ,\t, ", {}},
        {"commas and blanks",
         "ezweb.ne.jp, au.com\tsoftbank.ne.jp,i.softbank.jp",
         {"@ezweb.ne.jp", "@au.com", "@softbank.ne.jp", "@i.softbank.jp"}},
        {"letter case kept", "EZweb.NE.jp", {"@EZweb.NE.jp"}},
        {"digits and hyphens", "x-1.example-2.jp", {"@x-1.example-2.jp"}},
        {"bad items skipped, the rest counts",
         "nodot, @au.com, a_b.jp, ezweb.ne.jp;x, .ne.jp, ne.jp., a..jp, \x82\xA0.jp, "
         "ezweb.ne.jp",
         {"@au.com", "@ezweb.ne.jp"}},
        {"a semicolon separates", "a.jp;b.jp", {"@a.jp", "@b.jp"}},
        {"the longest domain", longest + " " + "a" + longest, {"@" + longest}},
        {"a domain kept once", "au.com AU.COM au.com.x", {"@au.com", "@au.com.x"}},
        {"at most the bound", Many(kMaxAddedDomains + 3), firstOnes},
        {"a duplicate does not use up the bound", "a.jp a.jp b.jp", {"@a.jp", "@b.jp"}},
        // A list cut at the end of its buffer loses its last, maybe partial, item.
        {"cut inside the last item", "au.com ezweb.ne", {"@au.com"}, true},
        {"cut after a separator", "au.com ezweb.ne.jp,", {"@au.com", "@ezweb.ne.jp"}, true},
        {"not cut", "au.com ezweb.ne.jp", {"@au.com", "@ezweb.ne.jp"}},
        // As typed with the input method: the full-width comma, space and 、
        // separate, 。 is a dot; full-width letters, digits, ． and － count
        // as ASCII.
        {"full-width separators",
         "softbank.ne.jp\x81\x43i.softbank.jp\x81\x40"
         "foo.jp\x81\x41"
         "bar.jp\x81\x42"
         "a.jp",
         {"@softbank.ne.jp", "@i.softbank.jp", "@foo.jp", "@bar.jp.a.jp"}},
        {"full-width letters, digits, dot and hyphen",
         "\x82\x85\x82\x9A\x81\x44\x82\x60\x82\x79\x81\x7C\x82\x4F\x82\x58.jp",  // ｅｚ．ＡＺ－０９
         {"@ez.AZ-09.jp"}},
        {"a full-width domain kept once", "au.com \x82\x60\x82\x74.com", {"@au.com"}},  // ＡＵ
        {"other full-width characters skipped",
         "a\x81\x51"
         "b.jp \x82\xA0.jp c.jp",  // ＿ あ
         {"@c.jp"}},
        // メ is 0x83 0x81: its trail byte and the "C" after it are no "，".
        {"a trail byte starts no separator",
         "\x83\x81"
         "Ca.jp",
         {}},
        {"a lone lead byte is no character", "a.jp\x81", {}},
        {"cut inside a full-width separator", "au.com ezweb.ne.jp\x81", {"@au.com"}, true},
        {"full-width characters count once towards the length",
         std::string(kMaxDomainLength - 3, 'a') + "\x81\x44jp",
         {"@" + longest}},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(Parse(c.list, c.cut), c.patterns) << c.what;
    }
}

using telepost_tests::Cp932;

// Lists as the input method types them in full-width mode, read alike
// whether the INI file holds them in code page 932 or in UTF-8.
TEST(AddedDomainsTest, ReadsListsTypedInFullWidthModeInEitherEncoding) {
    const ParseCase cases[] = {
        {"。 is the dot, 、 separates",
         "ｄｏｃｏｍｏ。ｎｅ。ｊｐ、ａｕ。ｃｏｍ",
         {"@docomo.ne.jp", "@au.com"}},
        {"； separates, ー is the hyphen",
         "ａｕ。ｃｏｍ；ｍｙーｄｏｍａｉｎ．ｊｐ",
         {"@au.com", "@my-domain.jp"}},
        {"every other form",
         "ＡＺ０９‐ｘ－ｙ．ｊｐ，ａ｡ｊｐ　ｂ.jp;c.jp",
         {"@AZ09-x-y.jp", "@a.jp", "@b.jp", "@c.jp"}},
        {"one @ or ＠ before a domain dropped",
         "＠ｅｚｗｅｂ．ｎｅ．ｊｐ @au.com ＠ @ @@a.jp",
         {"@ezweb.ne.jp", "@au.com"}},
        {"Japanese words skipped", "ドコモ docomo.ne.jp ｄｏｃｏｍｏ（ｎｅ）", {"@docomo.ne.jp"}},
        {"one domain in any of its forms kept once",
         "ａｕ．ｃｏｍ AU.com ａｕ。ＣＯＭ",
         {"@au.com"}},
    };
    for (const ParseCase& c : cases) {
        const std::string cp932 = Cp932(c.list);
        ASSERT_FALSE(cp932.empty()) << c.what;
        EXPECT_EQ(Parse(c.list, c.cut), c.patterns) << c.what << ", UTF-8";
        EXPECT_EQ(Parse(cp932, c.cut), c.patterns) << c.what << ", code page 932";
    }
    // A UTF-8 list cut inside its last character is still UTF-8.
    const std::string cutInside = "ａｕ．ｃｏｍ ｅｚ";
    EXPECT_EQ(Parse(cutInside.substr(0, cutInside.size() - 1), true),
              std::vector<std::string>{"@au.com"});
}

using Told = std::pair<std::string, DomainVerdict>;

// Each item of `list` as written, with what becomes of it.
std::vector<Told> ItemsTold(const std::string& list, bool cut = false) {
    std::vector<Told> told;
    DomainList kept;
    ParseDomainList(list.c_str(), cut, kept, [&](const DomainItem& item) {
        told.emplace_back(std::string(item.written, item.writtenLength), item.verdict);
    });
    return told;
}

// Each item is told with what becomes of it, the first reason that holds.
TEST(AddedDomainsTest, TellsEachItemWithItsVerdict) {
    using enum DomainVerdict;
    const std::string tooLong = std::string(kMaxDomainLength - 2, 'a') + ".jp";
    const std::vector<Told> items = {
        {"a.jp", Kept},
        {"nodot", NoDot},
        {".a.jp", DotAtAnEnd},
        {"a.", DotAtAnEnd},
        {"a..jp", EmptyPart},
        {"a_b.jp", NotADomainCharacter},
        {"\x82\xA0x", NotADomainCharacter},  // あx
        {tooLong, TooLong},
        {"A.JP", Duplicate},
        {"a.jp.x", Kept},
    };
    EXPECT_EQ(
        ItemsTold("a.jp, nodot\x81\x40.a.jp a. a..jp a_b.jp \x82\xA0x " + tooLong + " A.JP a.jp.x"),
        items);
    EXPECT_EQ(ItemsTold("a.jp b", true), (std::vector<Told>{{"a.jp", Kept}, {"b", CutOff}}));
    // "@" counts before a domain only, once; after an item's first character
    // it makes a mail address, before any other reason.
    EXPECT_EQ(ItemsTold("@a.jp \x81\x97 @, @@b.jp b@c.jp \x82\xA0\x81\x97x_y.jp"),
              (std::vector<Told>{{"@a.jp", Kept},
                                 {"\x81\x97", NotADomainCharacter},  // ＠
                                 {"@", NotADomainCharacter},
                                 {"@@b.jp", NotADomainCharacter},
                                 {"b@c.jp", MailAddress},
                                 {"\x82\xA0\x81\x97x_y.jp", MailAddress}}));  // あ＠
    // What people put between domains that is no separator here: the item
    // that holds it is told so, before a character no domain has.
    EXPECT_EQ(ItemsTold("a.jp\x81\x45"
                        "b.jp c/d.jp e|f.jp g:h.jp i\x81\x5Ej \x82\xA0\x81\x62x"),
              (std::vector<Told>{{"a.jp\x81\x45"
                                  "b.jp",
                                  ForeignSeparator},  // ・
                                 {"c/d.jp", ForeignSeparator},
                                 {"e|f.jp", ForeignSeparator},
                                 {"g:h.jp", ForeignSeparator},
                                 {"i\x81\x5Ej", ForeignSeparator},            // ／
                                 {"\x82\xA0\x81\x62x", ForeignSeparator}}));  // あ｜

    const std::vector<Told> many = ItemsTold(Many(kMaxAddedDomains) + "more.jp 0.example.jp");
    ASSERT_EQ(many.size(), static_cast<size_t>(kMaxAddedDomains) + 2);
    EXPECT_EQ(many[kMaxAddedDomains], Told("more.jp", OverTheCount));
    EXPECT_EQ(many.back(), Told("0.example.jp", Duplicate));
}

TEST(AddedDomainsTest, ANullListAndNoneCarrierAddNothing) {
    DomainList parsed;
    ParseDomainList("au.com", false, parsed);
    ParseDomainList(nullptr, false, parsed);
    EXPECT_EQ(parsed.count, 0);
    UserDomainsRecord domains;
    SetAddedDomains(domains, Carrier::None, "au.com");
    EXPECT_EQ(AddedDomains(domains, Carrier::None).count, 0);
}

class AddedClassifyTest : public testing::Test {
  protected:
    void SetAddedDomains(Carrier carrier, const char* list) {
        telepost::SetAddedDomains(domains_, carrier, list);
    }
    Carrier ClassifyRecipient(const char* entry) const {
        return telepost::ClassifyRecipient(entry, domains_);
    }

    UserDomainsRecord domains_;
};

TEST_F(AddedClassifyTest, AddedDomainsComeAfterTheBuiltInTable) {
    SetAddedDomains(Carrier::GroupJ, "softbank.ne.jp jp-x.ne.jp");
    SetAddedDomains(Carrier::DoCoMo, "mopera.net, jp-t.ne.jp");
    SetAddedDomains(Carrier::GroupD, "ezweb.ne.jp, xct.dion.ne.jp, docomo.ne.jp, softbank.ne.jp");
    const ClassifyCase cases[] = {
        {"taro@softbank.ne.jp", Carrier::GroupJ},
        {"taro@mopera.net", Carrier::DoCoMo},
        {"taro@ezweb.ne.jp", Carrier::GroupD},
        {"Taro <TARO@EZWEB.NE.JP>", Carrier::GroupD},
        {"\"taro@ezweb.ne.jp\" <taro@example.jp>", Carrier::GroupD},
        // A built-in domain listed again changes nothing.
        {"taro@docomo.ne.jp", Carrier::DoCoMo},
        {"taro@jp-t.ne.jp", Carrier::GroupJ},
        // The group J pre-filter still decides alone, added domains or not.
        {"taro@jp-x.ne.jp", Carrier::None},
        {"\"@jp-\" <taro@ezweb.ne.jp>", Carrier::None},
        // The group D pre-filter without a member leaves the entry to them.
        {"taro@xct.dion.ne.jp", Carrier::GroupD},
        // Group J's added domains before DoCoMo's, DoCoMo's before group D's.
        {"taro@ezweb.ne.jp, taro@mopera.net", Carrier::DoCoMo},
        {"taro@mopera.net (taro@softbank.ne.jp)", Carrier::GroupJ},
        // The domain with its "@", as the built-in members are matched.
        {"taro@x.ezweb.ne.jp", Carrier::None},
        {"ezweb.ne.jp", Carrier::None},
        {"taro@example.jp", Carrier::None},
    };
    ExpectClassified(cases, domains_);
}

// An entry holding an exempt domain gets no rule, whatever else it holds.
TEST_F(AddedClassifyTest, ExemptDomainsComeFirst) {
    ParseDomainList("docomo.ne.jp jp-t.ne.jp ezweb.ne.jp", false, domains_.exempt);
    SetAddedDomains(Carrier::GroupD, "ezweb.ne.jp");
    const ClassifyCase cases[] = {
        {"taro@docomo.ne.jp", Carrier::None},
        {"TARO@DOCOMO.NE.JP", Carrier::None},
        {"taro@jp-t.ne.jp", Carrier::None},
        {"taro@ezweb.ne.jp", Carrier::None},
        {"\"taro@docomo.ne.jp\" <taro@kct.dion.ne.jp>", Carrier::None},
        // Other domains keep their rules.
        {"taro@jp-k.ne.jp", Carrier::GroupJ},
        {"taro@kct.dion.ne.jp", Carrier::GroupD},
    };
    ExpectClassified(cases, domains_);
}

// Every carrier of the table takes the domains added to its rule, and an
// entry holding the added domains of two carriers is the one's that comes
// first in the table.
TEST_F(AddedClassifyTest, EveryCarrierTakesItsAddedDomainsInTheTablesOrder) {
    const std::span<const CarrierRow> table = CarrierTable();
    auto address = [](size_t row) { return "taro@added" + std::to_string(row) + ".example.jp"; };
    for (size_t row = 0; row < table.size(); ++row) {
        const std::string domain = address(row).substr(sizeof "taro@" - 1);
        SetAddedDomains(table[row].carrier, domain.c_str());
    }
    for (size_t row = 0; row < table.size(); ++row) {
        SCOPED_TRACE(table[row].name);
        EXPECT_EQ(ClassifyRecipient(address(row).c_str()), table[row].carrier);
        for (size_t later = row + 1; later < table.size(); ++later) {
            const std::string both = address(later) + ", " + address(row);
            EXPECT_EQ(ClassifyRecipient(both.c_str()), table[row].carrier) << both;
        }
    }
}

TEST_F(AddedClassifyTest, SettingAListReplacesTheRulesOwnOnly) {
    SetAddedDomains(Carrier::GroupD, "ezweb.ne.jp");
    SetAddedDomains(Carrier::DoCoMo, "mopera.net");
    SetAddedDomains(Carrier::GroupD, "au.com");
    EXPECT_EQ(ClassifyRecipient("taro@ezweb.ne.jp"), Carrier::None);
    EXPECT_EQ(ClassifyRecipient("taro@au.com"), Carrier::GroupD);
    EXPECT_EQ(ClassifyRecipient("taro@mopera.net"), Carrier::DoCoMo);
}

}  // namespace
}  // namespace telepost
