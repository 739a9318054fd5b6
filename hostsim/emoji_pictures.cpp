#include "emoji_pictures.h"

#include <array>
#include <cstdio>

#include "codec.h"
#include "telepost/contract.h"

namespace hostsim {

namespace {

// The user-defined area of code page 932, where the emoji codes lie.
constexpr unsigned char kFirstUserLead = 0xF0;
constexpr unsigned char kLastUserLead = 0xF9;

// The keycap digits 1 to 9: 0xF987 to 0xF98F, each the digit, U+FE0F, U+20E3.
constexpr unsigned kFirstKeycap = 0xF987;
constexpr unsigned kLastKeycap = 0xF98F;
constexpr char32_t kVariationSelector = 0xFE0F;
constexpr char32_t kCombiningKeycap = 0x20E3;

struct Picture {
    unsigned code;
    char32_t point;
};

// The carriers' public mapping of each i-mode code the plug-in writes.
constexpr Picture kPictures[] = {
    {0xF991, 0x2764},   // heavy black heart
    {0xF995, 0x1F603},  // smiling face with open mouth
    {0xF996, 0x1F620},  // angry face
    {0xF998, 0x1F616},  // confounded face
    {0xF999, 0x1F635},  // dizzy face
    {0xF9A3, 0x1F4A3},  // bomb
    {0xF9A6, 0x1F4A4},  // sleeping symbol
    {0xF9A8, 0x2049},   // exclamation question mark
    {0xF9A9, 0x203C},   // double exclamation mark
    {0xF9AE, 0x3030},   // wavy dash
    {0xF8E8, 0x260E},   // black telephone
};

void AppendUtf8(char32_t point, std::string* out) {
    if (point < 0x80) {
        out->push_back(static_cast<char>(point));
    } else if (point < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (point >> 6)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (point >> 12)));
        out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (point >> 18)));
        out->push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
}

std::string HexCode(unsigned code) {
    std::array<char, 8> hex{};
    std::snprintf(hex.data(), hex.size(), "%04X", code);
    return hex.data();
}

// Appends a run of ordinary text, as it is when it is no code page 932.
void AppendText(const std::string& run, std::string* out) {
    std::string utf8;
    *out += Cp932ToUtf8(run, &utf8) ? utf8 : run;
}

}  // namespace

std::string EmojiPicture(unsigned char lead, unsigned char trail) {
    unsigned code = static_cast<unsigned>(lead) << 8 | trail;
    std::string picture;
    if (code >= kFirstKeycap && code <= kLastKeycap) {
        AppendUtf8(U'1' + (code - kFirstKeycap), &picture);
        AppendUtf8(kVariationSelector, &picture);
        AppendUtf8(kCombiningKeycap, &picture);
    }
    for (const Picture& p : kPictures) {
        if (p.code == code) {
            AppendUtf8(p.point, &picture);
        }
    }
    return picture;
}

std::string ShowOnPhone(const std::string& text, bool withCodes) {
    std::string shown;
    std::string run;
    for (size_t i = 0; i < text.size(); ++i) {
        auto lead = static_cast<unsigned char>(text[i]);
        auto trail = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : '\0');
        if (!IsDBCSLeadByteEx(telepost::kCodePage, lead) || trail == '\0') {
            run.push_back(text[i]);
            continue;
        }
        if (lead < kFirstUserLead || lead > kLastUserLead) {
            run.append(text, i, 2);
            ++i;
            continue;
        }
        AppendText(run, &shown);
        run.clear();
        std::string code = HexCode(static_cast<unsigned>(lead) << 8 | trail);
        std::string picture = EmojiPicture(lead, trail);
        if (picture.empty()) {
            shown += "<" + code + ">";
        } else {
            shown += withCodes ? picture + "[" + code + "]" : picture;
        }
        ++i;
    }
    AppendText(run, &shown);
    return shown;
}

}  // namespace hostsim
