// The parser of the mail domain lists the user writes in the INI file.
#include <cstring>

#include "outgoing/carriers.h"
#include "outgoing/recipients.h"

namespace telepost {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',';
}

bool IsDomainByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

bool IsPlausibleDomain(const char* item, size_t length) {
    if (length == 0 || length > static_cast<size_t>(kMaxDomainLength)) {
        return false;
    }
    if (item[0] == '.' || item[length - 1] == '.') {
        return false;
    }
    bool dot = false;
    for (size_t i = 0; i < length; ++i) {
        if (!IsDomainByte(item[i])) {
            return false;
        }
        if (item[i] == '.') {
            if (item[i - 1] == '.') {
                return false;  // an empty label; item[0] is no dot
            }
            dot = true;
        }
    }
    return dot;
}

bool Holds(const DomainList& list, const char* pattern) {
    for (int i = 0; i < list.count; ++i) {
        const char* kept = list.patterns[i];
        if (std::strlen(kept) == std::strlen(pattern) && FindNoCase(kept, pattern)) {
            return true;
        }
    }
    return false;
}

}  // namespace

void ParseDomainList(const char* list, bool cut, DomainList& out) {
    out = DomainList{};
    if (!list) {
        return;
    }
    const char* p = list;
    while (*p && out.count < kMaxAddedDomains) {
        while (IsSeparator(*p)) {
            ++p;
        }
        const char* item = p;
        while (*p && !IsSeparator(*p)) {
            ++p;
        }
        const size_t length = static_cast<size_t>(p - item);
        if (length == 0 || (cut && !*p) || !IsPlausibleDomain(item, length)) {
            continue;
        }
        char* pattern = out.patterns[out.count];
        pattern[0] = '@';
        std::memcpy(pattern + 1, item, length);
        pattern[length + 1] = '\0';
        if (!Holds(out, pattern)) {
            ++out.count;
        }
    }
    // The slot past the last domain kept may hold a skipped duplicate.
    if (out.count < kMaxAddedDomains) {
        std::memset(out.patterns[out.count], 0, sizeof out.patterns[out.count]);
    }
}

}  // namespace telepost
