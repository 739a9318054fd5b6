#include "telepost/domain_list.h"

namespace telepost {

namespace domain_list {

Encoding ListEncodingOf(const char* list, bool cut) {
    return IsUtf8Text(list, cut) ? Encoding::Utf8 : Encoding::Cp932;
}

namespace {

// The full-width characters the grammar knows, other than the letters and
// digits.
constexpr FullWidthForm kFullWidthForms[] = {
    {"\x81\x40", "\xE3\x80\x80", kSeparator},         // the full-width space U+3000
    {"\x81\x41", "\xE3\x80\x81", kSeparator},         // 、
    {"\x81\x43", "\xEF\xBC\x8C", kSeparator},         // ，
    {"\x81\x47", "\xEF\xBC\x9B", kSeparator},         // ；
    {"\x81\x44", "\xEF\xBC\x8E", '.'},                // ．
    {"\x81\x42", "\xE3\x80\x82", '.'},                // 。
    {"\xA1", "\xEF\xBD\xA1", '.'},                    // ｡ (one byte in code page 932)
    {"\x81\x7C", "\xEF\xBC\x8D", '-'},                // －
    {"\x81\x5B", "\xE3\x83\xBC", '-'},                // ー
    {"\x81\x5D", "\xE2\x80\x90", '-'},                // ‐
    {"\x81\x97", "\xEF\xBC\xA0", kAt},                // ＠
    {"\x81\x45", "\xE3\x83\xBB", kForeignSeparator},  // ・
    {"\x81\x5E", "\xEF\xBC\x8F", kForeignSeparator},  // ／
    {"\x81\x62", "\xEF\xBD\x9C", kForeignSeparator},  // ｜
    {"\x81\x46", "\xEF\xBC\x9A", kForeignSeparator},  // ：
};

constexpr unsigned char Byte(const char* p) {
    return static_cast<unsigned char>(*p);
}

constexpr bool IsDomainByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

}  // namespace

bool Is(const char* p, std::size_t bytes, const char* form) {
    std::size_t i = 0;
    while (i < bytes && form[i] != '\0' && form[i] == p[i]) {
        ++i;
    }
    return i == bytes && form[i] == '\0';
}

namespace {

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

}  // namespace

ListCharacter CharacterAt(const char* p, Encoding encoding) {
    if (Byte(p) < 0x80) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == ',' || c == ';') {
            return {1, kSeparator};
        }
        if (c == '/' || c == '|' || c == ':') {
            return {1, kForeignSeparator};
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

namespace {

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

// What an item held besides a domain's bytes.
struct Foreign {
    bool at = false;         // an "@" after its first character
    bool separator = false;  // a kForeignSeparator
    bool other = false;      // any character no domain has, these among them
};

// The verdict on a domain of `length` bytes, `domain` holding its first
// kMaxDomainLength, and what else the item held.
constexpr DomainVerdict Plausibility(const char* domain, std::size_t length, Foreign foreign) {
    if (foreign.at) {
        return DomainVerdict::MailAddress;
    }
    if (foreign.separator) {
        return DomainVerdict::ForeignSeparator;
    }
    if (foreign.other) {
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

}  // namespace

}  // namespace domain_list

void domain_list::ParseDomainList(const char* list, bool cut, DomainList& out,
                                  void (*onItem)(void* context, const DomainItem& item),
                                  void* context) {
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
        domain_list::Foreign foreign;
        while (*p && c.ascii != domain_list::kSeparator) {
            const char ascii = domain_list::IsDomainByte(c.ascii) ? c.ascii : '\0';
            foreign.other = foreign.other || ascii == '\0';
            foreign.at = foreign.at || (c.ascii == domain_list::kAt && length > 0);
            foreign.separator = foreign.separator || c.ascii == domain_list::kForeignSeparator;
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
        onItem(context, DomainItem{item, static_cast<std::size_t>(p - item), domain, verdict});
    }
}

void ParseDomainList(const char* list, bool cut, DomainList& out) {
    domain_list::ParseDomainList(
        list, cut, out, [](void*, const DomainItem&) {}, nullptr);
}

}  // namespace telepost
