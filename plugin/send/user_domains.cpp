// The mail domains the user lists in the INI file, read when the plug-in
// starts.
#include "send/send_rules.h"

#include <cstddef>
#include <span>

namespace telepost {

namespace {

// One key's list into `out`; no domain without an INI path.
void LoadDomainList(const char* iniPath, const char* key, DomainList& out) {
    if (!iniPath[0]) {
        ParseDomainList(nullptr, false, out);
        return;
    }
    char list[kDomainListSize];
    DWORD length = GetPrivateProfileStringA(kSettingsSection, key, "", list, sizeof list, iniPath);
    // A list that fills the buffer may have been cut inside its last domain.
    ParseDomainList(list, length >= sizeof list - 1, out);
}

}  // namespace

void LoadUserDomains(const char* iniPath, UserDomainsRecord& domains) {
    const std::span<const CarrierRow> rows = CarrierTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LoadDomainList(iniPath, rows[i].domainsKey, domains.added[i]);
    }
    LoadDomainList(iniPath, kExemptDomainsKey, domains.exempt);
}

}  // namespace telepost
