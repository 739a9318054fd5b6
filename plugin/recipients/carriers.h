// The mobile carriers: one row for each, holding everything the plug-in knows
// of it (its name, its built-in domains, the INI key of the domains the user
// adds, and the policies of its rule), the mail domains the user lists, and
// how a recipient entry is recognised as a carrier's. Pure byte-string code,
// free of the platform.
#pragma once

#include <cstddef>
#include <iterator>
#include <span>

#include "telepost/domain_list.h"
#include "telepost/ini_file.h"

namespace telepost {

// The carriers of telepost/carriers.inc, in its order, after None.
#define TELEPOST_CARRIER(id, ...) id,
enum class Carrier {
    None,
#include "telepost/carriers.inc"
};
#undef TELEPOST_CARRIER

// What a rule does to the Subject.
enum class SubjectPolicy {
    Kept,
    ClearedUnlessMarked,  // read, and kept when it begins with the keep mark
    Cleared,              // cleared without being read
};

// What a rule does to From.
enum class FromPolicy {
    AsWritten,
    BareAddress,  // reduced to its bare address when that is read whole and fits
};

// The longest message a rule's phones take; a longer one is sent only when
// the user says so. What counts is the body, and when `countsAddress` the
// From address, up to `addressCap` bytes of it, and `overhead` bytes more.
struct LengthLimit {
    std::size_t bytes;
    bool countsAddress;
    std::size_t addressCap;
    std::size_t overhead;
};

constexpr LengthLimit BodyOnly(std::size_t bytes) {
    return {bytes, false, 0, 0};
}

constexpr LengthLimit BodyAndAddress(std::size_t bytes, std::size_t addressCap,
                                     std::size_t overhead) {
    return {bytes, true, addressCap, overhead};
}

// How a carrier's recipients count for the emoji conversion of a send: it is
// made when some recipient is a carrier's that is for it and none is one's
// against it.
enum class EmojiVote { For, Against };

// One carrier's row.
struct CarrierRow {
    Carrier carrier;
    const char* name;        // as tools and messages name it
    const char* domainsKey;  // the INI key of the domains the user adds to its rule
    // The built-in patterns: each member is a complete mail domain with the
    // "@" before it; a pre-filter is a part all members share, tested first.
    const char* preFilter;  // null: the members are tested at once
    std::span<const char* const> members;
    // An entry that holds the pre-filter but no member gets no rule and is
    // tested against nothing else, not even the added domains.
    bool preFilterDecides;
    SubjectPolicy subject;
    FromPolicy from;
    LengthLimit length;
    EmojiVote emoji;
};

// The carriers' rows, in the order an entry is tested against them.
std::span<const CarrierRow> CarrierTable();

// The row of `carrier`, which is not Carrier::None.
const CarrierRow& RowOf(Carrier carrier);

// The domains the user adds to the rule of `carrier`; none for Carrier::None.
const DomainList& AddedDomains(const UserDomainsRecord& domains, Carrier carrier);

// Sets the domains added to the rule of `carrier` from a list as
// ParseDomainList takes it; nothing for Carrier::None.
void SetAddedDomains(UserDomainsRecord& domains, Carrier carrier, const char* list,
                     bool cut = false);

// The carrier whose rule applies to a recipient entry, matched anywhere in
// the entry (display name and comments too) without regard to ASCII case.
// An entry holding an exempt domain gets none. The built-in table decides
// next: a carrier whose pre-filter the entry
// holds decides the entry alone when its pre-filter decides (its rule when a
// member matches too, else none). An entry the table leaves without a rule
// is then tested against the domains the user added to each carrier's rule,
// in the table's order.
Carrier ClassifyRecipient(const char* entry, const UserDomainsRecord& domains);

}  // namespace telepost
