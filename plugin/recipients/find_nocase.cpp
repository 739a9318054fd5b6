#include "recipients/recipients.h"

namespace telepost {

namespace {

unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* FindNoCase(const char* text, const char* pattern) {
    if (!*text) {
        return nullptr;
    }
    // Byte by byte, without regard to double-byte characters: the patterns
    // are ASCII mail domains.
    for (const char* start = text; *start; ++start) {
        const char* t = start;
        const char* p = pattern;
        while (*p && *t &&
               FoldCase(static_cast<unsigned char>(*t)) ==
                   FoldCase(static_cast<unsigned char>(*p))) {
            ++t;
            ++p;
        }
        if (!*p) {
            return start;
        }
    }
    return nullptr;
}

}  // namespace telepost
