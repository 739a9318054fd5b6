// The grammar of the mail domain lists in the INI file, as the plug-in reads
// them and as a host or a tool checks them: the separators, the full-width
// characters that count as ASCII, the test of a plausible domain with the
// reason an item is skipped, and the bounds of a list. Pure code, free of
// Win32 types; compiled in telepost_ini (plugin/ini/domain_list.cpp).
//
// A list's items are separated by blanks, commas and semicolons, as typed in
// ASCII or with the input method in full-width mode: space, tab, ",", ";",
// the full-width space, "、", "，" and "；". In an item, the full-width
// letters (Ａ-Ｚ, ａ-ｚ) and digits (０-９) count as their ASCII forms, "．",
// "。" and "｡" (what the "." key types in full-width mode) as ".", and "－",
// "ー" and "‐" (what the "-" key types) as "-". One "@" or "＠" before a
// domain is dropped: the domain counts as written without it. An item that
// holds an "@" further on (a mail address) or a character people put between
// domains that is no separator here ("・", "／", "｜", "：", "/", "|", ":")
// is skipped, with that reason.
//
// A value is read in one of two encodings: code page 932 (Shift-JIS), as
// Notepad on a Japanese Windows saved it as "ANSI", or UTF-8, as today's
// Notepad saves it by default; see ListEncodingOf for how they are told
// apart. In code page 932 the walk steps over each double-byte character
// whole, so that a trail byte never begins a separator; in UTF-8 over each
// sequence whole.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

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
    MailAddress,          // an "@" or "＠" after the item's first character: a mail address
    ForeignSeparator,     // a separator the list does not take ("・", "／", "/", "｜", "|", ":")
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
Encoding ListEncodingOf(const char* list, bool cut);

// What a character of a list stands for, beyond a letter, digit, '.' or '-'.
constexpr char kSeparator = ' ';
constexpr char kAt = '@';
// A character people put between domains that the list does not take as a
// separator: "・", "／", "｜", "：" and their ASCII forms.
constexpr char kForeignSeparator = '/';

// A full-width character the grammar knows, other than the letters and
// digits: its code page 932 and UTF-8 forms and what it stands for.
struct FullWidthForm {
    const char* cp932;
    const char* utf8;
    char ascii;
};

// Whether the character of `bytes` bytes at `p` is `form`.
bool Is(const char* p, std::size_t bytes, const char* form);

// One character of a list, a character's first byte and no terminator: its
// length, and what it stands for: a domain's byte (letters, digits, '-' and
// '.', full-width ones as their ASCII forms), kSeparator, kAt,
// kForeignSeparator, or '\0' for any other.
struct ListCharacter {
    std::size_t bytes;
    char ascii;
};

ListCharacter CharacterAt(const char* p, Encoding encoding);

// The walk of ParseDomainList, compiled once: `onItem(context, item)` for
// each item.
void ParseDomainList(const char* list, bool cut, DomainList& out,
                     void (*onItem)(void* context, const DomainItem& item), void* context);

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
    using Callable = std::remove_reference_t<OnItem>;
    domain_list::ParseDomainList(
        list, cut, out,
        [](void* context, const DomainItem& item) { (*static_cast<Callable*>(context))(item); },
        const_cast<void*>(static_cast<const void*>(std::addressof(onItem))));
}

void ParseDomainList(const char* list, bool cut, DomainList& out);

// The mail domains the user lists in the INI file (each list as
// ParseDomainList reads it): those added to each carrier's rule, in the
// carriers' order, and those whose recipients get no rule.
struct UserDomainsRecord {
    DomainList added[kCarrierCount];
    DomainList exempt;
};

}  // namespace telepost
