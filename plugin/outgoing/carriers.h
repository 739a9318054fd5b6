// The mobile carriers' mail domains and how a recipient entry is recognised
// as one of theirs. Pure byte-string code, free of the platform.
#pragma once

#include <span>

namespace telepost {

enum class Carrier { None, GroupJ, DoCoMo, GroupD };

// One carrier's patterns: each member is a complete mail domain with the "@"
// before it; a pre-filter is a part all members share, tested first.
struct CarrierPatterns {
    Carrier carrier;
    const char* preFilter;  // null: the members are tested at once
    std::span<const char* const> members;
};

// The carriers in the order an entry is tested against them.
std::span<const CarrierPatterns> CarrierTable();

// The carrier whose rule applies to a recipient entry, matched anywhere in
// the entry (display name and comments too) without regard to ASCII case.
// A carrier whose pre-filter the entry holds decides the entry alone: its
// rule when a member matches too, else none, and later carriers are not
// tried.
Carrier ClassifyRecipient(const char* entry);

}  // namespace telepost
