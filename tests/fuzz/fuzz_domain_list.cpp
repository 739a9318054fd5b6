// Parses arbitrary domain lists, cut or not, in code page 932 or UTF-8: every
// domain kept is within its bounds, plausible, told as a kept item of the
// list, as written (but for one "@" before it) when that is ASCII, and the
// list is left unchanged.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "recipients/carriers.h"

namespace {

bool IsDomainByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';';
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// `domain` stands in `list` as a whole item, or after one "@" that begins one.
bool IsItemOf(std::string_view domain, std::string_view list) {
    for (size_t at = list.find(domain); at != std::string_view::npos;
         at = list.find(domain, at + 1)) {
        const size_t end = at + domain.size();
        const size_t start = at > 0 && list[at - 1] == '@' ? at - 1 : at;
        if ((start == 0 || IsSeparator(list[start - 1])) &&
            (end == list.size() || IsSeparator(list[end]))) {
            return true;
        }
    }
    return false;
}

}  // namespace

// The first byte says whether the list was cut, the rest up to the first NUL
// is the list.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool cut = data[0] & 1;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const std::string list(text, strnlen(text, size - 1));
    const std::string original = list;

    telepost::DomainList parsed;
    std::memset(&parsed, 'x', sizeof parsed);  // what the parser must replace
    // The items are told in order, each a part of the list; the kept ones are
    // the domains kept, and an ASCII item is kept as written.
    const char* end = list.c_str();
    const char* lastItem = nullptr;
    bool lastCutOff = false;
    std::vector<std::string> keptDomains;
    telepost::ParseDomainList(list.c_str(), cut, parsed, [&](const telepost::DomainItem& item) {
        FUZZ_CHECK(item.written >= end && item.writtenLength > 0);
        end = item.written + item.writtenLength;
        FUZZ_CHECK(end <= list.c_str() + list.size());
        lastItem = item.written;
        lastCutOff = item.verdict == telepost::DomainVerdict::CutOff;
        if (item.verdict == telepost::DomainVerdict::Kept) {
            keptDomains.emplace_back(item.domain);
            const std::string_view written(item.written, item.writtenLength);
            FUZZ_CHECK(!IsAscii(written) || written == item.domain ||
                       (written.front() == '@' && written.substr(1) == item.domain));
        }
    });

    FUZZ_CHECK(list == original);
    FUZZ_CHECK(keptDomains.size() == static_cast<size_t>(parsed.count));
    for (size_t i = 0; i < keptDomains.size(); ++i) {
        FUZZ_CHECK(keptDomains[i] == parsed.patterns[i] + 1);
    }
    FUZZ_CHECK(parsed.count >= 0 && parsed.count <= telepost::kMaxAddedDomains);
    for (int i = 0; i < parsed.count; ++i) {
        const char* pattern = parsed.patterns[i];
        const void* terminator = std::memchr(pattern, '\0', sizeof parsed.patterns[i]);
        FUZZ_CHECK(terminator != nullptr);
        const std::string_view domain(pattern + 1);
        FUZZ_CHECK(pattern[0] == '@');
        FUZZ_CHECK(!domain.empty() && domain.size() <= telepost::kMaxDomainLength);
        FUZZ_CHECK(domain.find('.') != std::string_view::npos);
        FUZZ_CHECK(domain.front() != '.' && domain.back() != '.');
        FUZZ_CHECK(domain.find("..") == std::string_view::npos);
        for (char c : domain) {
            FUZZ_CHECK(IsDomainByte(c));
        }
        FUZZ_CHECK(!IsAscii(list) || IsItemOf(domain, list));
        for (int j = 0; j < i; ++j) {
            FUZZ_CHECK(!SameNoCase(parsed.patterns[j], pattern));
        }
    }
    if (cut) {
        // A cut list counts as the same list without its last item when that
        // ends the list, as it is when a separator ends it, read in the same
        // encoding: the last item may be what made the list UTF-8 or not.
        size_t kept = list.size();
        if (lastCutOff) {
            FUZZ_CHECK(end == list.c_str() + list.size());
            kept = static_cast<size_t>(lastItem - list.c_str());
        }
        const std::string shorter = list.substr(0, kept);
        if (telepost::domain_list::ListEncodingOf(shorter.c_str(), false) !=
            telepost::domain_list::ListEncodingOf(list.c_str(), true)) {
            return 0;
        }
        telepost::DomainList whole;
        telepost::ParseDomainList(shorter.c_str(), false, whole);
        FUZZ_CHECK(whole.count == parsed.count);
        for (int i = 0; i < parsed.count; ++i) {
            FUZZ_CHECK(std::strcmp(whole.patterns[i], parsed.patterns[i]) == 0);
        }
    }
    return 0;
}
