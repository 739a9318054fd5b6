// The mobile carriers' mail domains and how a recipient entry is recognised
// as one of theirs: the built-in table, and the domains the user adds to a
// carrier's rule. Pure byte-string code, free of the platform.
#pragma once

#include <span>

#include "telepost/ini_file.h"

namespace telepost {

enum class Carrier { None, GroupJ, DoCoMo, GroupD };

// One carrier's patterns: each member is a complete mail domain with the "@"
// before it; a pre-filter is a part all members share, tested first.
struct CarrierPatterns {
    Carrier carrier;
    const char* preFilter;  // null: the members are tested at once
    std::span<const char* const> members;
    // An entry that holds the pre-filter but no member gets no rule and is
    // tested against nothing else, not even the added domains.
    bool preFilterDecides;
};

// The carriers in the order an entry is tested against them.
std::span<const CarrierPatterns> CarrierTable();

// The carrier whose rule applies to a recipient entry, matched anywhere in
// the entry (display name and comments too) without regard to ASCII case.
// The built-in table decides first: a carrier whose pre-filter the entry
// holds decides the entry alone when its pre-filter decides (its rule when a
// member matches too, else none). An entry the table leaves without a rule
// is then tested against the added domains of group J, DoCoMo and group D,
// in this order.
Carrier ClassifyRecipient(const char* entry);

// The bounds of the added domains, kMaxAddedDomains and kMaxDomainLength,
// are those of the INI file that holds them.
// One rule's added domains, each kept as a pattern: "@" and the domain.
struct DomainList {
    int count = 0;
    char patterns[kMaxAddedDomains][kMaxDomainLength + 2] = {};
};

// Replaces `out` with the domains of `list`, whose items are separated by
// blanks (space, tab) and commas. An item counts when it is a plausible
// domain: at most kMaxDomainLength bytes of ASCII letters, digits, '-' and
// '.', with a dot, and neither starting nor ending with a dot nor holding two
// together. Other items are skipped, as is a domain already kept (letter case
// ignored) and every domain after the first kMaxAddedDomains. `cut` says the
// list was cut at the end of its buffer: its last item then counts only when
// a separator follows it, since it may be a piece of a longer domain.
void ParseDomainList(const char* list, bool cut, DomainList& out);

// Sets the domains added to the rule of `carrier` (group J, DoCoMo or group
// D) from a list as ParseDomainList takes it; null or an empty list adds
// none. Called with the settings, never during a send.
void SetAddedDomains(Carrier carrier, const char* list, bool cut = false);

// The domains added to the rule of `carrier`; none for Carrier::None.
const DomainList& AddedDomains(Carrier carrier);

}  // namespace telepost
