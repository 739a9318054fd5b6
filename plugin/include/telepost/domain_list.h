// The grammar of the mail domain lists in the INI file, as the plug-in reads
// them and as a host or a tool checks them: the separators, the full-width
// characters that count as ASCII, the test of a plausible domain with the
// reason an item is skipped, and the bounds of a list. Pure code, free of
// Win32 types.
//
// A list's items are separated by blanks, commas and semicolons, as typed in
// ASCII or with the input method in full-width mode: space, tab, ",", ";",
// the full-width space, "、", "，" and "；". In an item, the full-width
// letters (Ａ-Ｚ, ａ-ｚ) and digits (０-９) count as their ASCII forms, "．",
// "。" and "｡" (what the "." key types in full-width mode) as ".", and "－",
// "ー" and "‐" (what the "-" key types) as "-". One "@" or "＠" before a
// domain is dropped: the domain counts as written without it.
//
// A value is read in one of two encodings: code page 932 (Shift-JIS), as
// Notepad on a Japanese Windows saved it as "ANSI", or UTF-8, as today's
// Notepad saves it by default; see ListEncodingOf for how they are told
// apart. In code page 932 the walk steps over each double-byte character
// whole, so that a trail byte never begins a separator; in UTF-8 over each
// sequence whole.
#pragma once

#include <cstddef>

#include "telepost/ini_file.h"
#include "telepost/sjis.h"
#include "telepost/utf8.h"

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
    Duplicate,            // a domain kept before, letter case and full-width forms ignored
    OverTheCount,         // after the first kMaxAddedDomains domains kept
};

// One item as the walk finds it.
struct DomainItem {
    const char* written;  // its bytes in the list, as written, with any "@" before it
    std::size_t writtenLength;
    // In ASCII, NUL-terminated, at most its first kMaxDomainLength bytes; of
    // an item with a character no domain has, only the part before it.
    const char* domain;
    DomainVerdict verdict;
};

namespace domain_list {

// The encoding a list is written in.
enum class Encoding { Cp932, Utf8 };

// A list is UTF-8 when it is well-formed UTF-8 beyond ASCII (IsUtf8Text),
// else code page 932. This cannot take a list written in code page 932 for
// UTF-8: every code page 932 character the grammar knows beyond ASCII (the
// full-width forms of kFullWidthForms and the letters and digits) has the
// lead byte 0x81 or 0x82, and "｡" is the single byte 0xA1, bytes that UTF-8
// uses only to continue a sequence; since all else in such a list is ASCII,
// its first byte beyond ASCII can never start a well-formed sequence. Only
// a value that also holds some other character (a kanji, a half-width kana)
// may happen to be well-formed UTF-8, and that character is no part of a
// domain in either reading. The other way round, the UTF-8 forms begin with
// 0xE2, 0xE3 or 0xEF: 0xEF leads no character of code page 932, and 0xE2 and
// 0xE3 lead kanji, so a UTF-8 list read as code page 932 would have held no
// domain beyond ASCII at all.
constexpr Encoding ListEncodingOf(const char* list, bool cut) {
    return IsUtf8Text(list, cut) ? Encoding::Utf8 : Encoding::Cp932;
}

// What a character of a list stands for, beyond a letter, digit, '.' or '-'.
constexpr char kSeparator = ' ';
constexpr char kAt = '@';

// The full-width characters the grammar knows, other than the letters and
// digits: each one's code page 932 and UTF-8 forms and what it stands for.
struct FullWidthForm {
    const char* cp932;
    const char* utf8;
    char ascii;
};
inline constexpr FullWidthForm kFullWidthForms[] = {
    {"\x81\x40", "\xE3\x80\x80", kSeparator},  // the full-width space U+3000
    {"\x81\x41", "\xE3\x80\x81", kSeparator},  // 、
    {"\x81\x43", "\xEF\xBC\x8C", kSeparator},  // ，
    {"\x81\x47", "\xEF\xBC\x9B", kSeparator},  // ；
    {"\x81\x44", "\xEF\xBC\x8E", '.'},         // ．
    {"\x81\x42", "\xE3\x80\x82", '.'},         // 。
    {"\xA1", "\xEF\xBD\xA1", '.'},             // ｡ (one byte in code page 932)
    {"\x81\x7C", "\xEF\xBC\x8D", '-'},         // －
    {"\x81\x5B", "\xE3\x83\xBC", '-'},         // ー
    {"\x81\x5D", "\xE2\x80\x90", '-'},         // ‐
    {"\x81\x97", "\xEF\xBC\xA0", kAt},         // ＠
};

constexpr unsigned char Byte(const char* p) {
    return static_cast<unsigned char>(*p);
}

constexpr bool IsDomainByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

// Whether the character of `bytes` bytes at `p` is `form`.
constexpr bool Is(const char* p, std::size_t bytes, const char* form) {
    std::size_t i = 0;
    while (i < bytes && form[i] != '\0' && form[i] == p[i]) {
        ++i;
    }
    return i == bytes && form[i] == '\0';
}

// A full-width letter or digit whose form ends in `last` after the fixed
// bytes: Ａ-Ｚ from `upper`, ａ-ｚ from `lower`, ０-９ from `digit`.
constexpr char LetterOrDigit(unsigned char last, unsigned char upper, unsigned char lower,
                             unsigned char digit) {
    if (upper && last >= upper && last < upper + 26) {
        return static_cast<char>('A' + (last - upper));
    }
    if (lower && last >= lower && last < lower + 26) {
        return static_cast<char>('a' + (last - lower));
    }
    if (digit && last >= digit && last < digit + 10) {
        return static_cast<char>('0' + (last - digit));
    }
    return '\0';
}

// One character of a list, a character's first byte and no terminator: its
// length, and what it stands for: a domain's byte (letters, digits, '-' and
// '.', full-width ones as their ASCII forms), kSeparator, kAt, or '\0' for
// any other.
struct ListCharacter {
    std::size_t bytes;
    char ascii;
};

constexpr ListCharacter CharacterAt(const char* p, Encoding encoding) {
    if (Byte(p) < 0x80) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == ',' || c == ';') {
            return {1, kSeparator};
        }
        return {1, IsDomainByte(c) || c == kAt ? c : '\0'};
    }
    std::size_t bytes = 1;
    char ascii = '\0';
    if (encoding == Encoding::Utf8) {
        // Ａ-Ｚ and ０-９ are EF BC xx, ａ-ｚ EF BD xx. A list is UTF-8 only
        // when well-formed: a sequence cut by the end of the buffer is the
        // only one that is not whole.
        const utf8::Sequence sequence = utf8::SequenceAt(p);
        bytes = sequence.length > 0 ? sequence.length : 1;
        if (sequence.whole && bytes == 3 && Byte(p) == 0xEF && Byte(p + 1) == 0xBC) {
            ascii = LetterOrDigit(Byte(p + 2), 0xA1, 0, 0x90);
        } else if (sequence.whole && bytes == 3 && Byte(p) == 0xEF && Byte(p + 1) == 0xBD) {
            ascii = LetterOrDigit(Byte(p + 2), 0, 0x81, 0);
        }
    } else if (IsDoubleBytePair(Byte(p), Byte(p + 1))) {
        bytes = 2;
        if (Byte(p) == 0x82) {
            ascii = LetterOrDigit(Byte(p + 1), 0x60, 0x81, 0x4F);
        }
    }
    for (const FullWidthForm& form : kFullWidthForms) {
        if (ascii == '\0' && Is(p, bytes, encoding == Encoding::Utf8 ? form.utf8 : form.cp932)) {
            ascii = form.ascii;
        }
    }
    return {bytes, ascii};
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
// dot nor holding two together; one "@" or "＠" before it is dropped. Other
// items are skipped, as is a domain already kept (letter case and full-width
// forms ignored) and every domain after the first kMaxAddedDomains. `cut`
// says the list was cut at the end of its buffer: its last item then counts
// only when a separator follows it, since it may be a piece of a longer
// domain. A null list holds no item.
template <typename OnItem>
void ParseDomainList(const char* list, bool cut, DomainList& out, OnItem&& onItem) {
    using domain_list::CharacterAt;
    out = DomainList{};
    if (!list) {
        return;
    }
    const domain_list::Encoding encoding = domain_list::ListEncodingOf(list, cut);
    const char* p = list;
    while (*p) {
        domain_list::ListCharacter c = CharacterAt(p, encoding);
        if (c.ascii == domain_list::kSeparator) {
            p += c.bytes;
            continue;
        }
        const char* item = p;
        if (c.ascii == domain_list::kAt && p[c.bytes]) {
            const domain_list::ListCharacter next = CharacterAt(p + c.bytes, encoding);
            if (next.ascii != domain_list::kSeparator) {
                p += c.bytes;  // "@" before a domain, as the pattern has it
                c = next;
            }
        }
        char domain[kMaxDomainLength + 1] = {};
        std::size_t length = 0;
        bool foreign = false;
        while (*p && c.ascii != domain_list::kSeparator) {
            const char ascii = domain_list::IsDomainByte(c.ascii) ? c.ascii : '\0';
            foreign = foreign || ascii == '\0';
            if (length < static_cast<std::size_t>(kMaxDomainLength)) {
                domain[length] = ascii;
            }
            ++length;
            p += c.bytes;
            if (*p) {
                c = CharacterAt(p, encoding);
            }
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
