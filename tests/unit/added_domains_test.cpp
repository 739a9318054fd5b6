// The domains the user adds to the carriers' rules: the list parser and how
// the added domains join the classification.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outgoing/carriers.h"

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
         "nodot, @au.com, a_b.jp, ezweb.ne.jp;x, .ne.jp, ne.jp., a..jp, \x82\x60.jp, "
         "ezweb.ne.jp",
         {"@ezweb.ne.jp"}},
        {"a semicolon is no separator", "a.jp;b.jp", {}},
        {"the longest domain", longest + " " + "a" + longest, {"@" + longest}},
        {"a domain kept once", "au.com AU.COM au.com.x", {"@au.com", "@au.com.x"}},
        {"at most the bound", Many(kMaxAddedDomains + 3), firstOnes},
        {"a duplicate does not use up the bound", "a.jp a.jp b.jp", {"@a.jp", "@b.jp"}},
        // A list cut at the end of its buffer loses its last, maybe partial, item.
        {"cut inside the last item", "au.com ezweb.ne", {"@au.com"}, true},
        {"cut after a separator", "au.com ezweb.ne.jp,", {"@au.com", "@ezweb.ne.jp"}, true},
        {"not cut", "au.com ezweb.ne.jp", {"@au.com", "@ezweb.ne.jp"}},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(Parse(c.list, c.cut), c.patterns) << c.what;
    }
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

struct ClassifyCase {
    const char* entry;
    Carrier carrier;
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
    for (const ClassifyCase& c : cases) {
        EXPECT_EQ(ClassifyRecipient(c.entry), c.carrier) << c.entry;
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
