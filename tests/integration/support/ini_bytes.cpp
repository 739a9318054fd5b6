#include "support/ini_bytes.h"

#include <windows.h>

#include <vector>

namespace hostsim {

std::string Utf16File(const std::string& cp932) {
    constexpr UINT kCodePage = 932;
    std::string bytes = "\xFF\xFE";
    if (cp932.empty()) {
        return bytes;
    }
    const int length = static_cast<int>(cp932.size());
    std::vector<WCHAR> wide(cp932.size());
    const int units = MultiByteToWideChar(kCodePage, 0, cp932.data(), length, wide.data(), length);
    for (int i = 0; i < units; ++i) {
        const auto unit = static_cast<unsigned>(wide[static_cast<size_t>(i)]);
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

}  // namespace hostsim
