// Code page 932 and UTF-16 as Windows converts them for the profile
// functions, over iconv's table of the code page (the same as Windows' for
// every pair), with what Windows does where iconv gives up: checked
// character by character against Wine's conversions.
#include "ansi_text.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

#include "telepost/sjis.h"

namespace win32posix {

namespace {

constexpr char16_t kNoSuchCharacter = u'\u30FB';  // "・", for a pair not defined
constexpr char kUnknown = '?';

// The bytes that stand alone outside ASCII and the katakana, and the
// characters they give.
struct LoneByte {
    unsigned char byte;
    char16_t wide;
};
constexpr LoneByte kLoneBytes[] = {
    {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'},
};

using telepost::IsLeadByte;

// Latin-1's characters U+00A0-00FF as their nearest in ASCII, where the code
// page has none of its own: "\0" for one it has, or one given below, "?"
// for one with no nearest.
constexpr char kLatin1Nearest[] =
    "?!\0\0?\0|\0\0ca\0\0-R\0"
    "\0\0"
    "23\0\0\0\0\0"
    "1o\0????"
    "AAAAAAACEEEEIIII"
    "DNOOOOO\0OUUUUYTs"
    "aaaaaaaceeeeiiii"
    "dnooooo\0ouuuuyty";
static_assert(sizeof kLatin1Nearest == 0x60 + 1);
constexpr char16_t kLatin1First = u'\u00A0';

// Characters whose nearest is a double-byte one, and characters iconv
// converts that Windows does not.
struct Nearest {
    char16_t wide;
    std::uint16_t ansi;  // 0 for "?"
};
constexpr Nearest kNearest[] = {
    {u'\u00AB', 0x81E1}, {u'\u00AF', 0x8150}, {u'\u00B5', 0x83CA}, {u'\u00B7', 0x8145},
    {u'\u00B8', 0x8143}, {u'\u00BB', 0x81E2}, {u'\u3094', 0x8394}, {u'\u2014', 0},
    {u'\u2016', 0},      {u'\u203E', 0},      {u'\u2212', 0},      {u'\u301C', 0},
};

// One unit of UTF-16 from one character's bytes, through iconv; 0 where the
// code page does not define them.
char16_t Convert(iconv_t cd, const char* in, size_t inBytes) {
    char out[8];
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t dstLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &inBytes, &dst, &dstLeft) == static_cast<size_t>(-1) ||
        sizeof out - dstLeft != 2) {
        return 0;
    }
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
}

// The code page both ways, built once: for each pair (lead byte, next
// byte) its character, and for each character its one or two bytes (a
// value above FF is two, the lead byte high; 0 for none).
struct Tables {
    std::array<char16_t, 0x10000> wideOfPair{};
    std::array<std::uint16_t, 0x10000> ansiOfWide{};
};

const Tables& CodePage() {
    static const std::unique_ptr<Tables> tables = [] {
        auto built = std::make_unique<Tables>();
        iconv_t toWide = iconv_open("UTF-16LE", "CP932");
        iconv_t toAnsi = iconv_open("CP932", "UTF-16LE");
        for (unsigned pair = 0x8100; pair <= 0xFCFF; ++pair) {
            if (!IsLeadByte(static_cast<unsigned char>(pair >> 8))) {
                continue;
            }
            const char bytes[2] = {static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)};
            const char16_t wide = toWide == reinterpret_cast<iconv_t>(-1)
                                      ? char16_t{0}
                                      : Convert(toWide, bytes, sizeof bytes);
            built->wideOfPair[pair] = wide ? wide : kNoSuchCharacter;
        }
        for (unsigned unit = 1; unit <= 0xFFFF && toAnsi != reinterpret_cast<iconv_t>(-1); ++unit) {
            char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
            char out[8];
            char* src = in;
            char* dst = out;
            size_t inLeft = sizeof in;
            size_t outLeft = sizeof out;
            iconv(toAnsi, nullptr, nullptr, nullptr, nullptr);
            if (iconv(toAnsi, &src, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
                continue;
            }
            const size_t length = sizeof out - outLeft;
            const auto first = static_cast<unsigned char>(out[0]);
            built->ansiOfWide[unit] =
                length == 1 ? first
                : length == 2
                    ? static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(out[1]))
                    : 0;
        }
        if (toWide != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(toWide);
        }
        if (toAnsi != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(toAnsi);
        }
        for (const LoneByte& lone : kLoneBytes) {
            built->ansiOfWide[lone.wide] = lone.byte;
        }
        for (size_t i = 0; i + 1 < sizeof kLatin1Nearest; ++i) {
            if (kLatin1Nearest[i] != '\0') {
                built->ansiOfWide[kLatin1First + i] =
                    kLatin1Nearest[i] == kUnknown ? 0
                                                  : static_cast<unsigned char>(kLatin1Nearest[i]);
            }
        }
        for (const Nearest& nearest : kNearest) {
            built->ansiOfWide[nearest.wide] = nearest.ansi;
        }
        return built;
    }();
    return *tables;
}

}  // namespace

std::u16string AnsiToWide(std::string_view bytes, std::vector<std::size_t>* ends) {
    const Tables& tables = CodePage();
    std::u16string wide;
    wide.reserve(bytes.size());
    if (ends) {
        ends->clear();
        ends->reserve(bytes.size());
    }
    for (size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        char16_t unit = byte;
        size_t length = 1;
        if (IsLeadByte(byte)) {
            if (at + 1 < bytes.size()) {
                unit = tables.wideOfPair[std::size_t{byte} << 8 |
                                         static_cast<unsigned char>(bytes[at + 1])];
                length = 2;
            } else {
                unit = kNoSuchCharacter;
            }
        } else if (byte >= 0xA1 && byte <= 0xDF) {
            unit = static_cast<char16_t>(u'\uFF61' + (byte - 0xA1));
        } else {
            for (const LoneByte& lone : kLoneBytes) {
                if (lone.byte == byte) {
                    unit = lone.wide;
                }
            }
        }
        wide.push_back(unit);
        at += length;
        if (ends) {
            ends->push_back(at);
        }
    }
    return wide;
}

std::string WideToAnsi(std::u16string_view text) {
    const Tables& tables = CodePage();
    std::string ansi;
    ansi.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        const std::uint16_t bytes = unit == 0 ? 0 : tables.ansiOfWide[unit];
        if (unit != 0 && bytes == 0) {
            ansi.push_back(kUnknown);
        } else if (bytes > 0xFF) {
            ansi.push_back(static_cast<char>(bytes >> 8));
            ansi.push_back(static_cast<char>(bytes & 0xFF));
        } else {
            ansi.push_back(static_cast<char>(bytes));
        }
    }
    return ansi;
}

}  // namespace win32posix
