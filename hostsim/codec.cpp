#include "codec.h"

#include <windows.h>

#include <vector>

namespace hostsim {

namespace {

constexpr UINT kJapaneseCodePage = 932;

bool Recode(UINT from, UINT to, const std::string& in, std::string* out) {
    out->clear();
    if (in.empty()) {
        return true;
    }
    int length = static_cast<int>(in.size());
    int units = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), length, nullptr, 0);
    if (units <= 0) {
        return false;
    }
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), length, wide.data(), units);
    int bytes = WideCharToMultiByte(to, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return false;
    }
    out->resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(to, 0, wide.data(), units, out->data(), bytes, nullptr, nullptr);
    return true;
}

}  // namespace

bool Cp932ToUtf8(const std::string& text, std::string* utf8) {
    return Recode(kJapaneseCodePage, CP_UTF8, text, utf8);
}

bool Utf8ToCp932(const std::string& utf8, std::string* text) {
    return Recode(CP_UTF8, kJapaneseCodePage, utf8, text);
}

}  // namespace hostsim
