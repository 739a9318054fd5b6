#include "recipients/carriers.h"

#include <algorithm>

#include "recipients/recipients.h"

namespace telepost {

namespace {

// Each carrier's built-in domains, kIdMembers.
#define TELEPOST_CARRIER(id, name, domainsKey, subject, from, length, emoji, preFilter, \
                         preFilterDecides, ...)                                         \
    constexpr const char* k##id##Members[] = {__VA_ARGS__};
#include "telepost/carriers.inc"
#undef TELEPOST_CARRIER

#define TELEPOST_CARRIER(id, carrierName, key, subjectPolicy, fromPolicy, lengthLimit, emojiVote, \
                         filter, filterDecides, ...)                                              \
    {.carrier = Carrier::id,                                                                      \
     .name = carrierName,                                                                         \
     .domainsKey = key,                                                                           \
     .preFilter = filter,                                                                         \
     .members = k##id##Members,                                                                   \
     .preFilterDecides = filterDecides,                                                           \
     .subject = SubjectPolicy::subjectPolicy,                                                     \
     .from = FromPolicy::fromPolicy,                                                              \
     .length = lengthLimit,                                                                       \
     .emoji = EmojiVote::emojiVote},
constexpr CarrierRow kCarriers[] = {
#include "telepost/carriers.inc"
};
#undef TELEPOST_CARRIER

// The rows follow the contract's lists and the enumeration, one for one.
static_assert(std::size(kCarriers) == kCarrierCount);
static_assert(std::size(kCarriers) == std::size(kCarrierNames));
constexpr bool RowsInOrder() {
    for (std::size_t i = 0; i < kCarrierCount; ++i) {
        if (static_cast<std::size_t>(kCarriers[i].carrier) != i + 1) {
            return false;
        }
    }
    return true;
}
static_assert(RowsInOrder());
// The address a limit counts is the one From is reduced to.
constexpr bool CountsOnlyABareAddress(const CarrierRow& row) {
    return !row.length.countsAddress || row.from == FromPolicy::BareAddress;
}
static_assert(std::ranges::all_of(kCarriers, CountsOnlyABareAddress),
              "a limit that counts the From address needs From reduced to its bare address");

const DomainList kNone;

std::size_t IndexOf(Carrier carrier) {
    return static_cast<std::size_t>(carrier) - 1;
}

bool HoldsAnyMember(const char* entry, const CarrierRow& row) {
    for (const char* member : row.members) {
        if (FindNoCase(entry, member)) {
            return true;
        }
    }
    return false;
}

bool HoldsAnyOf(const char* entry, const DomainList& list) {
    for (int i = 0; i < list.count; ++i) {
        if (FindNoCase(entry, list.patterns[i])) {
            return true;
        }
    }
    return false;
}

Carrier ClassifyByAddedDomains(const char* entry, const UserDomainsRecord& domains) {
    for (const CarrierRow& row : kCarriers) {
        if (HoldsAnyOf(entry, domains.added[IndexOf(row.carrier)])) {
            return row.carrier;
        }
    }
    return Carrier::None;
}

}  // namespace

std::span<const CarrierRow> CarrierTable() {
    return kCarriers;
}

const CarrierRow& RowOf(Carrier carrier) {
    return kCarriers[IndexOf(carrier)];
}

const DomainList& AddedDomains(const UserDomainsRecord& domains, Carrier carrier) {
    return carrier == Carrier::None ? kNone : domains.added[IndexOf(carrier)];
}

void SetAddedDomains(UserDomainsRecord& domains, Carrier carrier, const char* list, bool cut) {
    if (carrier != Carrier::None) {
        ParseDomainList(list, cut, domains.added[IndexOf(carrier)]);
    }
}

Carrier ClassifyRecipient(const char* entry, const UserDomainsRecord& domains) {
    if (HoldsAnyOf(entry, domains.exempt)) {
        return Carrier::None;
    }
    for (const CarrierRow& row : kCarriers) {
        if (row.preFilter && !FindNoCase(entry, row.preFilter)) {
            continue;
        }
        if (HoldsAnyMember(entry, row)) {
            return row.carrier;
        }
        if (row.preFilter && row.preFilterDecides) {
            return Carrier::None;  // nothing later is tried
        }
    }
    return ClassifyByAddedDomains(entry, domains);
}

}  // namespace telepost
