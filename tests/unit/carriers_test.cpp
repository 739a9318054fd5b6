// Recognising a recipient entry as a mobile carrier's.
#include <gtest/gtest.h>

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
    int members = 0;
    for (const CarrierRow& row : CarrierTable()) {
        for (const char* member : row.members) {
            ++members;
            EXPECT_EQ(member[0], '@');
            if (row.preFilter) {
                EXPECT_NE(FindNoCase(member, row.preFilter), nullptr) << member;
            }
            std::string address = std::string("taro") + member;
            EXPECT_EQ(ClassifyRecipient(address.c_str(), kNoDomains), row.carrier) << address;
        }
    }
    EXPECT_EQ(members, 9 + 1 + 8);
}

}  // namespace
}  // namespace telepost
