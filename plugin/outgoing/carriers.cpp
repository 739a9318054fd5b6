#include "outgoing/carriers.h"

#include "outgoing/recipients.h"

namespace telepost {

namespace {

constexpr const char* kGroupJMembers[] = {
    "@jp-d.ne.jp", "@jp-h.ne.jp", "@jp-t.ne.jp", "@jp-c.ne.jp", "@jp-r.ne.jp",
    "@jp-k.ne.jp", "@jp-n.ne.jp", "@jp-s.ne.jp", "@jp-q.ne.jp",
};

constexpr const char* kDoCoMoMembers[] = {"@docomo.ne.jp"};

constexpr const char* kGroupDMembers[] = {
    "@dct.dion.ne.jp", "@tct.dion.ne.jp", "@hct.dion.ne.jp", "@kct.dion.ne.jp",
    "@cct.dion.ne.jp", "@sct.dion.ne.jp", "@qct.dion.ne.jp", "@oct.dion.ne.jp",
};

constexpr CarrierPatterns kCarriers[] = {
    {Carrier::GroupJ, "@jp-", kGroupJMembers, true},
    {Carrier::DoCoMo, nullptr, kDoCoMoMembers, false},
    {Carrier::GroupD, "ct.dion.ne.jp", kGroupDMembers, false},
};

bool HoldsAnyMember(const char* entry, const CarrierPatterns& patterns) {
    for (const char* member : patterns.members) {
        if (FindNoCase(entry, member)) {
            return true;
        }
    }
    return false;
}

// The order in which the added domains are tried.
constexpr Carrier kAddedOrder[] = {Carrier::GroupJ, Carrier::DoCoMo, Carrier::GroupD};

Carrier ClassifyByAddedDomains(const char* entry) {
    for (Carrier carrier : kAddedOrder) {
        const DomainList& added = AddedDomains(carrier);
        for (int i = 0; i < added.count; ++i) {
            if (FindNoCase(entry, added.patterns[i])) {
                return carrier;
            }
        }
    }
    return Carrier::None;
}

}  // namespace

std::span<const CarrierPatterns> CarrierTable() {
    return kCarriers;
}

Carrier ClassifyRecipient(const char* entry) {
    for (const CarrierPatterns& patterns : kCarriers) {
        if (patterns.preFilter && !FindNoCase(entry, patterns.preFilter)) {
            continue;
        }
        if (HoldsAnyMember(entry, patterns)) {
            return patterns.carrier;
        }
        if (patterns.preFilter && patterns.preFilterDecides) {
            return Carrier::None;  // nothing later is tried
        }
    }
    return ClassifyByAddedDomains(entry);
}

}  // namespace telepost
