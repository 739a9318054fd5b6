// The INI file's lists of mail domains as the verbs show them: each list as
// the plug-in reads it, and each item it skips with the reason.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "cli.h"
#include "telepost/contract.h"
#include "telepost/ini_text.h"

namespace hostsim {

namespace {

// Why the plug-in skips an item, as the user reads it.
std::string Reason(telepost::DomainVerdict verdict) {
    using telepost::DomainVerdict;
    switch (verdict) {
        case DomainVerdict::Kept:
            break;
        case DomainVerdict::CutOff:
            return "may be cut: only the first " + std::to_string(telepost::kDomainListSize - 1) +
                   " bytes of the value are read";
        case DomainVerdict::MailAddress:
            return "a mail address: only the part after '@' is a domain";
        case DomainVerdict::ForeignSeparator:
            return "not a separator: domains are separated by blanks, ',' and ';'";
        case DomainVerdict::NotADomainCharacter:
            return "not a domain: a character other than letters, digits, '-' and '.'";
        case DomainVerdict::TooLong:
            return "too long: more than " + std::to_string(telepost::kMaxDomainLength) + " bytes";
        case DomainVerdict::DotAtAnEnd:
            return "not a domain: begins or ends with a dot";
        case DomainVerdict::EmptyPart:
            return "not a domain: two dots together";
        case DomainVerdict::NoDot:
            return "not a domain: no dot";
        case DomainVerdict::Duplicate:
            return "listed before (letter case and full-width forms do not count)";
        case DomainVerdict::OverTheCount:
            return "over the count: a list keeps " + std::to_string(telepost::kMaxAddedDomains) +
                   " domains";
    }
    return "kept";
}

// The list of `key` into `value`, as the plug-in reads it: from the file's
// bytes when it is in UTF-8, else through the profile functions. Its length.
size_t ReadList(const std::string& ini, const std::string& text, const char* key,
                char (&value)[telepost::kDomainListSize]) {
    if (!telepost::ListsReadFromBytes(text)) {
        return GetPrivateProfileStringA(telepost::kSettingsSection, key, "", value, sizeof value,
                                        ini.c_str());
    }
    const std::string_view found = telepost::FindIniValue(text, telepost::kSettingsSection, key);
    const size_t length = std::min(found.size(), sizeof value - 1);
    std::copy_n(found.data() ? found.data() : "", length, value);
    value[length] = '\0';
    return length;
}

// A list or an item of it as written: in UTF-8 as it is, in code page 932
// turned into UTF-8.
void PrintList(const std::string& list, telepost::domain_list::Encoding encoding) {
    if (encoding == telepost::domain_list::Encoding::Utf8) {
        std::fwrite(list.data(), 1, list.size(), stdout);
    } else {
        PrintText(list);
    }
}

}  // namespace

// The INI file's bytes, as many as the plug-in reads of them.
std::string IniText(const std::string& ini) {
    std::ifstream in(ini, std::ios::binary);
    std::string text(telepost::kIniTextSize, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

std::string DomainOption(const char* key) {
    std::string option = "--";
    option += key;
    std::replace(option.begin(), option.end(), ' ', '-');
    return option;
}

bool IniHolds(const std::string& ini, const char* key) {
    // A list of a file in UTF-8 is found in its bytes, as the plug-in finds it.
    const std::string text = IniText(ini);
    if (telepost::ListsReadFromBytes(text)) {
        return telepost::FindIniValue(text, telepost::kSettingsSection, key).data() != nullptr;
    }
    // A key the file holds reads as its value whatever the default; only an
    // absent one reads as either default.
    char value[2] = {};
    for (const char* fallback : {"", "-"}) {
        GetPrivateProfileStringA(telepost::kSettingsSection, key, fallback, value, sizeof value,
                                 ini.c_str());
        if (value[0] != fallback[0]) {
            return true;
        }
    }
    return false;
}

int IniSetting(const std::string& ini, const char* key) {
    // A file in UTF-8 has every key read from its bytes, as the plug-in reads
    // it: the profile functions may miss its header after a full-width
    // character.
    const std::string text = IniText(ini);
    if (telepost::ListsReadFromBytes(text)) {
        return telepost::FindIniSetting(text, key);
    }
    return static_cast<int>(GetPrivateProfileIntA(telepost::kSettingsSection, key, 0, ini.c_str()));
}

void PrintSettingLine(const char* key, int value, bool set) {
    std::printf("  %-20s %d", key, value);
    if (!set) {
        std::printf(" (%s)", kNotSet);
    }
    std::printf("\n");
}

void PrintDomainLists(const std::string& ini, void (*printKey)(const char* key), const char* indent,
                      const char* absent) {
    const std::string text = IniText(ini);
    for (const char* key : telepost::kDomainListKeys) {
        char value[telepost::kDomainListSize] = {};
        const size_t length = ReadList(ini, text, key, value);
        if (absent && !IniHolds(ini, key)) {
            printKey(key);
            std::printf("%s\n", absent);
            continue;
        }
        if (value[0] == '\0' && !absent) {
            continue;
        }
        printKey(key);
        const bool cut = length >= sizeof value - 1;
        const telepost::domain_list::Encoding encoding =
            telepost::domain_list::ListEncodingOf(value, cut);
        PrintList(value[0] == '\0' ? "(empty)" : value, encoding);
        std::printf("\n");
        // Read as the plug-in reads it, cut where a value fills the buffer.
        telepost::DomainList kept;
        telepost::ParseDomainList(value, cut, kept, [&](const telepost::DomainItem& item) {
            if (item.verdict != telepost::DomainVerdict::Kept) {
                std::printf("%sskipped \"", indent);
                PrintList(std::string(item.written, item.writtenLength), encoding);
                std::printf("\": %s\n", Reason(item.verdict).c_str());
            }
        });
    }
}

}  // namespace hostsim
