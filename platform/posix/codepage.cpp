// Code page conversions for Linux builds, over iconv. The ANSI code page is
// 932, as on the machines of the plug-in's users.
#include <windows.h>

#include <iconv.h>

#include <cstring>
#include <string>

namespace {

constexpr UINT kJapaneseCodePage = 932;

const char* IconvName(UINT codePage) {
    switch (codePage) {
        case CP_ACP:
        case kJapaneseCodePage:
            return "CP932";
        case CP_UTF8:
            return "UTF-8";
        default:
            return nullptr;
    }
}

// Converts `in` of `inBytes` bytes; the result's bytes, or false on a byte
// sequence that the source code page does not define.
bool Convert(const char* to, const char* from, const char* in, size_t inBytes, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    out->assign(inBytes * 4 + 8, '\0');
    char* src = const_cast<char*>(in);
    char* dst = out->data();
    size_t dstLeft = out->size();
    size_t rc = iconv(cd, &src, &inBytes, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) {
        return false;
    }
    out->resize(out->size() - dstLeft);
    return true;
}

}  // namespace

BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE byte) {
    if (codePage != CP_ACP && codePage != kJapaneseCodePage) {
        return FALSE;
    }
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? TRUE : FALSE;
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide,
                               int wideLength) {
    const char* name = IconvName(codePage);
    if (!name || !text) {
        return 0;
    }
    size_t bytes = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    std::string utf16;
    if (!Convert("UTF-16LE", name, text, bytes, &utf16)) {
        return 0;
    }
    int units = static_cast<int>(utf16.size() / 2);
    if (wideLength == 0) {
        return units;
    }
    if (units > wideLength) {
        return 0;
    }
    std::memcpy(wide, utf16.data(), utf16.size());
    return units;
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideLength, LPSTR text,
                               int length, LPCSTR, BOOL* usedDefault) {
    const char* name = IconvName(codePage);
    if (usedDefault) {
        *usedDefault = FALSE;
    }
    if (!name || !wide) {
        return 0;
    }
    size_t units = 0;
    if (wideLength < 0) {
        while (wide[units]) {
            ++units;
        }
        ++units;
    } else {
        units = static_cast<size_t>(wideLength);
    }
    std::string out;
    std::string target = std::string(name) + "//TRANSLIT";
    if (!Convert(target.c_str(), "UTF-16LE", reinterpret_cast<const char*>(wide), units * 2,
                 &out)) {
        return 0;
    }
    if (length == 0) {
        return static_cast<int>(out.size());
    }
    if (static_cast<int>(out.size()) > length) {
        return 0;
    }
    std::memcpy(text, out.data(), out.size());
    return static_cast<int>(out.size());
}
