#include "codec.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "telepost/contract.h"

namespace hostsim {

namespace {

// What a character stands in as when the conversion gives nothing for it.
constexpr char kStandIn = '?';

using Wide = std::vector<WCHAR>;

// False on a byte sequence that `codePage` does not define.
bool ToWide(UINT codePage, const std::string& in, Wide* wide) {
    wide->clear();
    if (in.empty()) {
        return true;
    }
    int length = static_cast<int>(in.size());
    int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), length, nullptr, 0);
    if (units <= 0) {
        return false;
    }
    wide->resize(static_cast<size_t>(units));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), length, wide->data(), units);
    return true;
}

bool FromWide(UINT codePage, const WCHAR* wide, size_t units, std::string* out) {
    out->clear();
    if (units == 0) {
        return true;
    }
    int count = static_cast<int>(units);
    int bytes = WideCharToMultiByte(codePage, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return false;
    }
    out->resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(codePage, 0, wide, count, out->data(), bytes, nullptr, nullptr);
    return true;
}

bool Recode(UINT from, UINT to, const std::string& in, std::string* out) {
    Wide wide;
    return ToWide(from, in, &wide) && FromWide(to, wide.data(), wide.size(), out);
}

// The UTF-16 units of the character at `at`: two for a surrogate pair.
size_t CharacterUnits(const Wide& wide, size_t at) {
    bool pair = wide[at] >= 0xD800 && wide[at] < 0xDC00 && at + 1 < wide.size() &&
                wide[at + 1] >= 0xDC00 && wide[at + 1] < 0xE000;
    return pair ? 2 : 1;
}

char32_t CodePoint(const WCHAR* units, size_t count) {
    if (count == 2) {
        return 0x10000 + ((static_cast<char32_t>(units[0]) - 0xD800) << 10) +
               (static_cast<char32_t>(units[1]) - 0xDC00);
    }
    return units[0];
}

// Converts one line a character at a time, listing each character that does
// not survive the way there and back; one the conversion refuses becomes "?".
std::string ConvertEach(const Wide& wide, int line, std::vector<Replacement>* replaced) {
    std::string text;
    for (size_t at = 0; at < wide.size();) {
        size_t units = CharacterUnits(wide, at);
        std::string narrow;
        Wide back;
        bool converted = FromWide(telepost::kCodePage, &wide[at], units, &narrow);
        bool kept = converted && ToWide(telepost::kCodePage, narrow, &back) &&
                    back.size() == units &&
                    std::equal(back.begin(), back.end(), wide.begin() + static_cast<long>(at));
        if (!converted) {
            narrow.assign(1, kStandIn);
        }
        if (!kept) {
            Replacement r;
            r.line = line;
            r.codePoint = CodePoint(&wide[at], units);
            FromWide(CP_UTF8, &wide[at], units, &r.character);
            if (!Cp932ToUtf8(narrow, &r.standIn)) {
                r.standIn.assign(1, kStandIn);
            }
            replaced->push_back(r);
        }
        text += narrow;
        at += units;
    }
    return text;
}

}  // namespace

bool Cp932ToUtf8(const std::string& text, std::string* utf8) {
    return Recode(telepost::kCodePage, CP_UTF8, text, utf8);
}

std::string ShownCp932(const std::string& text) {
    std::string utf8;
    return Cp932ToUtf8(text, &utf8) ? utf8 : text;
}

bool Utf8ToCp932(const std::string& utf8, std::string* text) {
    return Recode(CP_UTF8, telepost::kCodePage, utf8, text);
}

std::string CodePointName(const Replacement& replacement) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(replacement.codePoint));
    return code;
}

std::string Describe(const Replacement& replacement) {
    return "line " + std::to_string(replacement.line) + ": " + replacement.character + " (" +
           CodePointName(replacement) + ") becomes " +
           (replacement.standIn.empty() ? "nothing" : replacement.standIn);
}

bool ToCodePage932(const std::string& utf8, std::string* text, std::vector<Replacement>* replaced,
                   int* badLine) {
    text->clear();
    int line = 1;
    for (size_t at = 0; at <= utf8.size(); ++line) {
        size_t end = utf8.find('\n', at);
        if (end == std::string::npos) {
            end = utf8.size();
        }
        Wide wide;
        if (!ToWide(CP_UTF8, utf8.substr(at, end - at), &wide)) {
            *badLine = line;
            return false;
        }
        std::string narrow;
        Wide back;
        if (!FromWide(telepost::kCodePage, wide.data(), wide.size(), &narrow) ||
            !ToWide(telepost::kCodePage, narrow, &back) || back != wide) {
            narrow = ConvertEach(wide, line, replaced);
        }
        *text += narrow;
        if (end < utf8.size()) {
            *text += '\n';
        }
        at = end + 1;
    }
    return true;
}

}  // namespace hostsim
