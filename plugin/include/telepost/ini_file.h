// The INI file the plug-in keeps beside itself (TELEPOST.ini for
// TELEPOST.dll): its section, its keys and the bounds of what the plug-in
// reads from it. Free of Win32 types, so that the plug-in's pure code can
// take the bounds from here too.
#pragma once

#include <cstddef>
#include <iterator>

namespace telepost {

// The one section the plug-in reads and writes.
inline constexpr char kSettingsSection[] = "k-tai";

// The settings' keys, in the order of settings.inc: each a number, zero
// (or no key at all) meaning off.
#define TELEPOST_SETTING(field, key, ...) key,
inline constexpr const char* kSettingKeys[] = {
#include "telepost/settings.inc"
};
#undef TELEPOST_SETTING
inline constexpr std::size_t kSettingCount = std::size(kSettingKeys);

// The mobile carriers, in the order of carriers.inc: each one's name, and the
// key of the mail domains the user adds to its rule, a list as domain_list.h
// reads it, read at start and never written by the plug-in.
#define TELEPOST_CARRIER(id, name, domainsKey, ...) name,
inline constexpr const char* kCarrierNames[] = {
#include "telepost/carriers.inc"
};
#undef TELEPOST_CARRIER
#define TELEPOST_CARRIER(id, name, domainsKey, ...) domainsKey,
inline constexpr const char* kDomainKeys[] = {
#include "telepost/carriers.inc"
};
#undef TELEPOST_CARRIER
inline constexpr std::size_t kCarrierCount = std::size(kDomainKeys);

// The mail domains whose recipients get no carrier's rule, tested before the
// carriers' domains: a list as the carriers' keys hold, read at start and
// never written by the plug-in.
inline constexpr char kExemptDomainsKey[] = "exempt domains";

// Every key that holds a list of mail domains: the carriers', then the exempt
// domains.
#define TELEPOST_CARRIER(id, name, domainsKey, ...) domainsKey,
inline constexpr const char* kDomainListKeys[] = {
#include "telepost/carriers.inc"
    kExemptDomainsKey,
};
#undef TELEPOST_CARRIER
inline constexpr std::size_t kDomainListKeyCount = std::size(kDomainListKeys);

// How many domains one list keeps, and the bytes of one domain, written
// without its "@" (a full-width character counting as its ASCII byte).
inline constexpr int kMaxAddedDomains = 32;
inline constexpr int kMaxDomainLength = 63;
// Bytes of a domain list as it is read, terminator included: room for a full
// list with ", " between its domains, and plenty of blanks besides. A longer
// value is taken up to it.
inline constexpr int kDomainListSize = 4096;
static_assert(kMaxAddedDomains * (kMaxDomainLength + 2) < kDomainListSize);

}  // namespace telepost
