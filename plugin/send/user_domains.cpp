// The mail domains the user lists in the INI file, read when the plug-in
// starts.
#include "send/send_rules.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>

#include "telepost/ini_text.h"

namespace telepost {

namespace {

// The INI file as the lists are read from it: its bytes, up to kIniTextSize
// of them, read once; none without an INI path or a file that can be read.
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
    std::string_view Text() const { return {bytes_.get(), length_}; }

    const char* path_;
    std::unique_ptr<char[]> bytes_;
    std::size_t length_ = 0;
};

IniFileText::IniFileText(const char* iniPath) : path_(iniPath) {
    if (!iniPath[0]) {
        return;
    }
    HANDLE file = CreateFileA(iniPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;  // none yet, or one the profile functions cannot read either
    }
    bytes_.reset(new (std::nothrow) char[kIniTextSize]);
    DWORD read = 0;
    while (bytes_ && length_ < kIniTextSize &&
           ReadFile(file, bytes_.get() + length_, static_cast<DWORD>(kIniTextSize - length_), &read,
                    nullptr) &&
           read > 0) {
        length_ += read;
    }
    CloseHandle(file);
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
