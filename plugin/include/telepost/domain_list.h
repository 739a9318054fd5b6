// The grammar of the mail domain lists in the INI file, as the plug-in reads
// them and as a host or a tool checks them: the separators, the full-width
// characters that count as ASCII, the test of a plausible domain with the
// reason an item is skipped, and the bounds of a list. Pure code, free of
// Win32 types.
//
// A list's items are separated by blanks and commas, as typed in ASCII or with
// the input method: space, tab, ",", the full-width space, "，", "、" and "。".
// In an item, the full-width letters (Ａ-Ｚ, ａ-ｚ), digits (０-９), "．" and
// "－" count as their ASCII forms. The value is Shift-JIS (code page 932): the
// walk steps over each double-byte character whole, so that a trail byte
// never begins a separator.
#pragma once

#include <cstddef>

#include "telepost/ini_file.h"
#include "telepost/sjis.h"

namespace telepost {

// The domains kept from one list, each as a pattern: "@" and the domain in
// ASCII, as a recipient is matched.
struct DomainList {
    int count = 0;
    char patterns[kMaxAddedDomains][kMaxDomainLength + 2] = {};
};

// What becomes of an item of a list: kept, or skipped for the first of the
// reasons below that holds, in this order.
enum class DomainVerdict {
    Kept,
    CutOff,               // the last item of a list cut at the end of its buffer
    NotADomainCharacter,  // a character other than letters, digits, '-' and '.'
    TooLong,              // more than kMaxDomainLength bytes
    DotAtAnEnd,           // begins or ends with a dot
    EmptyPart,            // two dots together
    NoDot,                // a name without a dot is no mail domain
    Duplicate,            // a domain kept before, letter case ignored
    OverTheCount,         // after the first kMaxAddedDomains domains kept
};

// One item as the walk finds it.
struct DomainItem {
    const char* written;  // its bytes in the list, as written
    std::size_t writtenLength;
    // In ASCII, NUL-terminated, at most its first kMaxDomainLength bytes; of
    // an item with a character no domain has, only the part before it.
    const char* domain;
    DomainVerdict verdict;
};

namespace domain_list {

constexpr unsigned char Byte(const char* p) {
    return static_cast<unsigned char>(*p);
}

// The bytes of the separator at `p`, a character's first byte: 0 for none.
constexpr std::size_t SeparatorAt(const char* p) {
    if (*p == ' ' || *p == '\t' || *p == ',') {
        return 1;
    }
    // The full-width space, "、", "。" and "，".
    if (Byte(p) == 0x81 && Byte(p + 1) >= 0x40 && Byte(p + 1) <= 0x43) {
        return 2;
    }
    return 0;
}

constexpr bool IsDomainByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

// The character at `p`, a character's first byte and no terminator, in ASCII:
// its byte when it is a domain's, the ASCII form of a full-width one, else 0;
// `bytes` gets its length.
constexpr char AsciiAt(const char* p, std::size_t& bytes) {
    if (!IsDoubleBytePair(Byte(p), Byte(p + 1))) {
        bytes = 1;
        return IsDomainByte(*p) ? *p : '\0';
    }
    bytes = 2;
    const unsigned char trail = Byte(p + 1);
    if (Byte(p) == 0x82) {
        if (trail >= 0x60 && trail <= 0x79) {
            return static_cast<char>('A' + (trail - 0x60));  // Ａ-Ｚ
        }
        if (trail >= 0x81 && trail <= 0x9A) {
            return static_cast<char>('a' + (trail - 0x81));  // ａ-ｚ
        }
        if (trail >= 0x4F && trail <= 0x58) {
            return static_cast<char>('0' + (trail - 0x4F));  // ０-９
        }
    } else if (Byte(p) == 0x81) {
        if (trail == 0x44) {
            return '.';  // ．
        }
        if (trail == 0x7C) {
            return '-';  // －
        }
    }
    return '\0';
}

constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `list` keeps `domain` of `length` bytes, letter case ignored.
constexpr bool Keeps(const DomainList& list, const char* domain, std::size_t length) {
    for (int i = 0; i < list.count; ++i) {
        const char* kept = list.patterns[i] + 1;
        std::size_t n = 0;
        while (n < length && kept[n] != '\0' && Lower(kept[n]) == Lower(domain[n])) {
            ++n;
        }
        if (n == length && kept[n] == '\0') {
            return true;
        }
    }
    return false;
}

// The verdict on a domain of `length` bytes, `domain` holding its first
// kMaxDomainLength, and `foreign` when the item held a character no domain
// has.
constexpr DomainVerdict Plausibility(const char* domain, std::size_t length, bool foreign) {
    if (foreign) {
        return DomainVerdict::NotADomainCharacter;
    }
    if (length > static_cast<std::size_t>(kMaxDomainLength)) {
        return DomainVerdict::TooLong;
    }
    if (domain[0] == '.' || domain[length - 1] == '.') {
        return DomainVerdict::DotAtAnEnd;
    }
    bool dot = false;
    for (std::size_t i = 0; i < length; ++i) {
        if (domain[i] == '.') {
            if (domain[i - 1] == '.') {
                return DomainVerdict::EmptyPart;  // domain[0] is no dot
            }
            dot = true;
        }
    }
    return dot ? DomainVerdict::Kept : DomainVerdict::NoDot;
}

}  // namespace domain_list

// Replaces `out` with the domains of `list` and tells `onItem` each item, in
// order, with its verdict. An item counts when it is a plausible domain: at
// most kMaxDomainLength bytes of letters, digits, '-' and '.' (full-width ones
// as their ASCII forms), with a dot, and neither starting nor ending with a
// dot nor holding two together. Other items are skipped, as is a domain
// already kept (letter case ignored) and every domain after the first
// kMaxAddedDomains. `cut` says the list was cut at the end of its buffer: its
// last item then counts only when a separator follows it, since it may be a
// piece of a longer domain. A null list holds no item.
template <typename OnItem>
void ParseDomainList(const char* list, bool cut, DomainList& out, OnItem&& onItem) {
    out = DomainList{};
    if (!list) {
        return;
    }
    const char* p = list;
    while (*p) {
        if (const std::size_t separator = domain_list::SeparatorAt(p)) {
            p += separator;
            continue;
        }
        const char* item = p;
        char domain[kMaxDomainLength + 1] = {};
        std::size_t length = 0;
        bool foreign = false;
        while (*p && !domain_list::SeparatorAt(p)) {
            std::size_t bytes = 0;
            const char c = domain_list::AsciiAt(p, bytes);
            foreign = foreign || c == '\0';
            if (length < static_cast<std::size_t>(kMaxDomainLength)) {
                domain[length] = c;
            }
            ++length;
            p += bytes;
        }
        DomainVerdict verdict =
            cut && !*p ? DomainVerdict::CutOff : domain_list::Plausibility(domain, length, foreign);
        if (verdict == DomainVerdict::Kept && domain_list::Keeps(out, domain, length)) {
            verdict = DomainVerdict::Duplicate;
        } else if (verdict == DomainVerdict::Kept && out.count == kMaxAddedDomains) {
            verdict = DomainVerdict::OverTheCount;
        }
        if (verdict == DomainVerdict::Kept) {
            char* pattern = out.patterns[out.count++];
            pattern[0] = '@';
            for (std::size_t i = 0; i < length; ++i) {
                pattern[i + 1] = domain[i];
            }
        }
        onItem(DomainItem{item, static_cast<std::size_t>(p - item), domain, verdict});
    }
}

inline void ParseDomainList(const char* list, bool cut, DomainList& out) {
    ParseDomainList(list, cut, out, [](const DomainItem&) {});
}

// The mail domains the user lists in the INI file (each list as
// ParseDomainList reads it): those added to each carrier's rule, in the
// carriers' order, and those whose recipients get no rule.
struct UserDomainsRecord {
    DomainList added[kCarrierCount];
    DomainList exempt;
};

}  // namespace telepost
