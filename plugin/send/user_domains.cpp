// The mail domains the user lists in the INI file, read when the plug-in
// starts.
#include "send/send_rules.h"

#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

#include "send/ini_bytes.h"
#include "telepost/ini_text.h"

namespace telepost {

namespace {

// The INI file as the lists are read from it: its bytes, read once when it
// is shorter than kIniTextSize; none without an INI path or a file that can
// be read whole.
class IniFileText {
  public:
    explicit IniFileText(const char* iniPath);
    IniFileText(const IniFileText&) = delete;
    IniFileText& operator=(const IniFileText&) = delete;

    // The list of `key` into `list` of `size` bytes, as
    // GetPrivateProfileStringA gives it: cut to size - 1 bytes, terminated,
    // its length. A file in UTF-8 has it read from its bytes (see
    // telepost/ini_text.h), any other through the profile functions. An
    // empty list without an INI path.
    DWORD ReadList(const char* key, char* list, DWORD size) const;

  private:
    std::string_view Text() const { return bytes_.Text(); }

    const char* path_;
    IniBytesRecord bytes_;
};

IniFileText::IniFileText(const char* iniPath) : path_(iniPath) {
    ReadIniBytes(iniPath, bytes_);  // none yet, or one the profile functions cannot read either
}

DWORD IniFileText::ReadList(const char* key, char* list, DWORD size) const {
    if (!path_[0]) {
        list[0] = '\0';
        return 0;
    }
    if (!ListsReadFromBytes(Text())) {
        return GetPrivateProfileStringA(kSettingsSection, key, "", list, size, path_);
    }
    const std::string_view value = FindIniValue(Text(), kSettingsSection, key);
    const std::size_t length = value.size() < size ? value.size() : size - 1;
    if (length > 0) {
        std::memcpy(list, value.data(), length);
    }
    list[length] = '\0';
    return static_cast<DWORD>(length);
}

// One key's list into `out`; no domain without an INI path.
void LoadDomainList(const IniFileText& ini, const char* key, DomainList& out) {
    char list[kDomainListSize];
    DWORD length = ini.ReadList(key, list, sizeof list);
    // A list that fills the buffer may have been cut inside its last domain.
    ParseDomainList(list, length >= sizeof list - 1, out);
}

}  // namespace

void LoadUserDomains(const char* iniPath, UserDomainsRecord& domains) {
    const IniFileText ini(iniPath);
    const std::span<const CarrierRow> rows = CarrierTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LoadDomainList(ini, rows[i].domainsKey, domains.added[i]);
    }
    LoadDomainList(ini, kExemptDomainsKey, domains.exempt);
}

}  // namespace telepost
