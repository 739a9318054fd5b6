// Recognising a recipient entry as a mobile carrier's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "classify_cases.h"
#include "recipients/carriers.h"
#include "recipients/recipients.h"

namespace telepost {
namespace {

const UserDomainsRecord kNoDomains;

constexpr ClassifyCase kEntries[] = {
    {"taro@docomo.ne.jp", Carrier::DoCoMo},
    {"Taro <TARO@DOCOMO.NE.JP>", Carrier::DoCoMo},
    {"taro@jp-d.ne.jp", Carrier::GroupJ},
    {"taro@jp-q.ne.jp", Carrier::GroupJ},
    {"taro@hct.dion.ne.jp", Carrier::GroupD},
    {"taro@OCT.DION.NE.JP", Carrier::GroupD},
    {"taro@example.jp", Carrier::None},
    // The domain may stand anywhere in the entry, the display name included.
    {"\"taro@docomo.ne.jp\" <taro@example.jp>", Carrier::DoCoMo},
    {"taro@example.jp (was taro@jp-t.ne.jp)", Carrier::GroupJ},
    // The group J pre-filter without a member blocks the later carriers.
    {"taro@jp-x.ne.jp", Carrier::None},
    {"\"@jp-\" <taro@docomo.ne.jp>", Carrier::None},
    {"\"@jp-\" <taro@dct.dion.ne.jp>", Carrier::None},
    // Group J is tried before DoCoMo, DoCoMo before group D.
    {"taro@docomo.ne.jp, taro@jp-k.ne.jp", Carrier::GroupJ},
    {"taro@dct.dion.ne.jp taro@docomo.ne.jp", Carrier::DoCoMo},
    // The group D pre-filter without a member: no rule.
    {"taro@xct.dion.ne.jp", Carrier::None},
    {"taro@dion.ne.jp", Carrier::None},
    // A member needs its "@".
    {"docomo.ne.jp", Carrier::None},
    {"", Carrier::None},
};

TEST(CarriersTest, ClassifiesEntries) {
    ExpectClassified(kEntries, kNoDomains);
}

// Every member is a complete domain with its "@", holds its group's
// pre-filter, and is recognised as its group's in an address.
TEST(CarriersTest, EveryMemberSelectsItsCarrier) {
    for (const CarrierRow& row : CarrierTable()) {
        for (const char* member : row.members) {
            EXPECT_EQ(member[0], '@');
            if (row.preFilter) {
                EXPECT_NE(FindNoCase(member, row.preFilter), nullptr) << member;
            }
            std::string address = std::string("taro") + member;
            EXPECT_EQ(ClassifyRecipient(address.c_str(), kNoDomains), row.carrier) << address;
        }
    }
}

// The built-in domains as the user guide lists them, each with its carrier.
constexpr ClassifyCase kBuiltInDomains[] = {
    {"@docomo.ne.jp", Carrier::DoCoMo},   {"@jp-d.ne.jp", Carrier::GroupJ},
    {"@jp-h.ne.jp", Carrier::GroupJ},     {"@jp-t.ne.jp", Carrier::GroupJ},
    {"@jp-c.ne.jp", Carrier::GroupJ},     {"@jp-r.ne.jp", Carrier::GroupJ},
    {"@jp-k.ne.jp", Carrier::GroupJ},     {"@jp-n.ne.jp", Carrier::GroupJ},
    {"@jp-s.ne.jp", Carrier::GroupJ},     {"@jp-q.ne.jp", Carrier::GroupJ},
    {"@dct.dion.ne.jp", Carrier::GroupD}, {"@tct.dion.ne.jp", Carrier::GroupD},
    {"@hct.dion.ne.jp", Carrier::GroupD}, {"@kct.dion.ne.jp", Carrier::GroupD},
    {"@cct.dion.ne.jp", Carrier::GroupD}, {"@sct.dion.ne.jp", Carrier::GroupD},
    {"@qct.dion.ne.jp", Carrier::GroupD}, {"@oct.dion.ne.jp", Carrier::GroupD},
};

// A recipient at each domain the guide lists gets its carrier's rule, and no
// other domain is built in: a domain added to or dropped from the table
// changes who gets a rule, and shows here by name.
TEST(CarriersTest, BuiltInDomainsAreTheOnesTheGuideLists) {
    for (const ClassifyCase& listed : kBuiltInDomains) {
        const std::string address = std::string("taro") + listed.entry;
        EXPECT_EQ(ClassifyRecipient(address.c_str(), kNoDomains), listed.carrier) << address;
    }
    for (const CarrierRow& row : CarrierTable()) {
        for (const char* member : row.members) {
            const auto listed = std::find_if(
                std::begin(kBuiltInDomains), std::end(kBuiltInDomains),
                [member](const ClassifyCase& c) { return !std::strcmp(c.entry, member); });
            EXPECT_TRUE(listed != std::end(kBuiltInDomains) && listed->carrier == row.carrier)
                << member << " is built in, but not listed for its carrier";
        }
    }
}

}  // namespace
}  // namespace telepost
