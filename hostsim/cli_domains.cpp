// The INI file's lists of mail domains as the verbs show them: each list as
// the plug-in reads it, and each item it skips with the reason.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli.h"
#include "telepost/contract.h"

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
            return "listed before (letter case does not count)";
        case DomainVerdict::OverTheCount:
            return "over the count: a list keeps " + std::to_string(telepost::kMaxAddedDomains) +
                   " domains";
    }
    return "kept";
}

}  // namespace

std::string DomainOption(const char* key) {
    std::string option = "--";
    option += key;
    std::replace(option.begin(), option.end(), ' ', '-');
    return option;
}

bool IniHolds(const std::string& ini, const char* key) {
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

void PrintDomainLists(const std::string& ini, void (*printKey)(const char* key), const char* indent,
                      const char* absent) {
    for (const char* key : telepost::kDomainListKeys) {
        char value[telepost::kDomainListSize] = {};
        const DWORD length = GetPrivateProfileStringA(telepost::kSettingsSection, key, "", value,
                                                      sizeof value, ini.c_str());
        if (absent && !IniHolds(ini, key)) {
            printKey(key);
            std::printf("%s\n", absent);
            continue;
        }
        if (value[0] == '\0' && !absent) {
            continue;
        }
        printKey(key);
        PrintText(value[0] == '\0' ? "(empty)" : value);
        std::printf("\n");
        // Read as the plug-in reads it, cut where a value fills the buffer.
        telepost::DomainList kept;
        telepost::ParseDomainList(value, length >= sizeof value - 1, kept,
                                  [&](const telepost::DomainItem& item) {
                                      if (item.verdict != telepost::DomainVerdict::Kept) {
                                          std::printf("%sskipped \"", indent);
                                          PrintText(std::string(item.written, item.writtenLength));
                                          std::printf("\": %s\n", Reason(item.verdict).c_str());
                                      }
                                  });
    }
}

}  // namespace hostsim
