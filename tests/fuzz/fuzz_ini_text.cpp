// Writes settings into arbitrary INI texts and looks for mistakes in them:
// the writer's result fits the room it promises, reads back with the values
// written and every other key's value as before, keeps every other line, and
// gives itself back when written again; the finder keeps within the caller's
// array and the text, and tells the same first mistakes whatever the array's
// size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "telepost/ini_mistakes.h"
#include "telepost/ini_text.h"

namespace {

// The bytes before the text: which settings are written, in which letter
// case and order, and their values.
constexpr std::size_t kControlBytes = 6;

std::string Upper(const char* key) {
    std::string upper = key;
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return upper;
}

bool Inside(std::string_view part, std::string_view whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

std::string Write(std::string_view text, std::span<const telepost::IniSettingValue> settings) {
    std::string out(text.size() + telepost::kIniWriteRoom, '\0');
    std::size_t length = 0;
    FUZZ_CHECK(telepost::WriteIniSettings(text, settings, out, length) ==
               telepost::IniWrite::Written);
    FUZZ_CHECK(length <= out.size());
    // A buffer of exactly the result's size takes it; one byte less does not.
    std::string exact(length, '\0');
    std::size_t again = 0;
    FUZZ_CHECK(telepost::WriteIniSettings(text, settings, exact, again) ==
               telepost::IniWrite::Written);
    FUZZ_CHECK(again == length && std::memcmp(exact.data(), out.data(), length) == 0);
    if (length > 0) {
        FUZZ_CHECK(telepost::WriteIniSettings(text, settings,
                                              std::span<char>(exact).first(length - 1),
                                              again) == telepost::IniWrite::NoRoom);
    }
    out.resize(length);
    return out;
}

void CheckWriter(std::string_view text, const std::uint8_t* control) {
    if (telepost::IniInUtf16BigEndian(text)) {
        return;  // read as no key, and never written: the dialog refuses such a file
    }
    using telepost::kSettingCount;
    using telepost::kSettingKeys;
    std::string keys[kSettingCount];
    std::vector<telepost::IniSettingValue> settings;
    bool written[kSettingCount] = {};
    std::uint32_t value = 0;
    std::memcpy(&value, control + 2, sizeof value);
    for (std::size_t n = 0; n < kSettingCount; ++n) {
        const std::size_t i = (n + control[1]) % kSettingCount;
        if ((control[0] >> i & 1) == 0) {
            continue;
        }
        keys[i] = (control[1] >> (4 + i % 4) & 1) ? Upper(kSettingKeys[i]) : kSettingKeys[i];
        settings.push_back({keys[i].c_str(), static_cast<std::int32_t>(value + i * 0x9E3779B9u)});
        written[i] = true;
    }
    const std::string after = Write(text, settings);
    FUZZ_CHECK(telepost::OtherLinesKept(text, after));
    for (const telepost::IniSettingValue& setting : settings) {
        FUZZ_CHECK(telepost::FindIniSetting(after, setting.key) == setting.value);
    }
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        FUZZ_CHECK(written[i] || telepost::FindIniSetting(after, kSettingKeys[i]) ==
                                     telepost::FindIniSetting(text, kSettingKeys[i]));
    }
    for (const char* key : telepost::kDomainListKeys) {
        const std::string_view before =
            telepost::FindIniValue(text, telepost::kSettingsSection, key);
        const std::string_view now = telepost::FindIniValue(after, telepost::kSettingsSection, key);
        FUZZ_CHECK(before.data() ? now.data() && before == now : !now.data());
    }
    FUZZ_CHECK(Write(after, settings) == after);
}

void CheckFinder(std::string_view text, telepost::domain_list::Encoding encoding) {
    telepost::IniMistake all[64];
    telepost::IniMistake few[3];
    const std::size_t total = telepost::FindIniMistakes(text, encoding, all);
    FUZZ_CHECK(telepost::FindIniMistakes(text, encoding, few) == total);
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); ++lines) {
        const std::size_t end = text.find('\n', at);
        at = end == std::string_view::npos ? text.size() : end + 1;
    }
    std::size_t lastLine = 0;
    for (std::size_t i = 0; i < total && i < std::size(all); ++i) {
        const telepost::IniMistake& m = all[i];
        using Kind = telepost::IniMistakeKind;
        if (m.kind == Kind::NoSection) {
            // Of no line, first, and only with a key outside after it.
            FUZZ_CHECK(i == 0 && m.line == 0 && m.text.empty() && !m.key && total > 1 &&
                       (i + 1 >= std::size(all) || all[i + 1].kind == Kind::KeyOutside));
            continue;
        }
        FUZZ_CHECK(m.line >= 1 && m.line <= lines && m.line >= lastLine);
        lastLine = m.line;
        FUZZ_CHECK(Inside(m.text, text) && m.text.find('\n') == std::string_view::npos);
        FUZZ_CHECK(!m.key ||
                   telepost::ini_mistakes::KeyIndex(m.key) < telepost::ini_mistakes::kKeyCount);
        const bool keyed = m.kind == Kind::KeyOutside || m.kind == Kind::FullWidthSpace ||
                           m.kind == Kind::KeyTwice || m.kind == Kind::SkippedDomain ||
                           m.kind == Kind::NotANumber;
        FUZZ_CHECK(keyed ? m.key != nullptr : m.kind == Kind::NotAKey || !m.key);
        FUZZ_CHECK((m.spot != telepost::IniSpot::None) <=
                   (m.kind == Kind::FullWidthSpace || m.kind == Kind::HeaderMistyped));
        FUZZ_CHECK(m.kind != Kind::FullWidthSpace || m.spot != telepost::IniSpot::None);
        const bool twice = m.kind == Kind::KeyTwice || m.kind == Kind::SectionTwice;
        FUZZ_CHECK(twice                        ? m.countingLine >= 1 && m.countingLine < m.line
                   : m.kind == Kind::KeyOutside ? m.countingLine < m.line
                                                : m.countingLine == 0);
        const bool skipped = m.kind == telepost::IniMistakeKind::SkippedDomain;
        const bool notANumber = m.kind == telepost::IniMistakeKind::NotANumber;
        FUZZ_CHECK(skipped ? m.key && !m.item.empty() && Inside(m.item, m.text) &&
                                 m.verdict != telepost::DomainVerdict::Kept &&
                                 m.verdict != telepost::DomainVerdict::Duplicate
                   : notANumber
                       ? m.key &&
                             telepost::ini_mistakes::KeyIndex(m.key) < telepost::kSettingCount &&
                             !m.item.empty() && Inside(m.item, m.text) &&
                             !telepost::ini_mistakes::HoldsANumber(m.item)
                       : m.item.empty());
        if (i < std::size(few)) {
            FUZZ_CHECK(few[i].kind == m.kind && few[i].line == m.line &&
                       few[i].text.data() == m.text.data() && few[i].text.size() == m.text.size() &&
                       few[i].key == m.key && few[i].item.data() == m.item.data() &&
                       few[i].verdict == m.verdict && few[i].countingLine == m.countingLine &&
                       few[i].spot == m.spot);
        }
    }
}

}  // namespace

// The first kControlBytes bytes say what is written (see CheckWriter); the
// rest is the INI file's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kControlBytes) {
        return 0;
    }
    // A copy of its own size, so that the sanitizer sees any read past it.
    const std::vector<char> bytes(data + kControlBytes, data + size);
    const std::string_view text(bytes.data(), bytes.size());
    CheckWriter(text, data);
    CheckFinder(text, telepost::IniEncodingOf(text));
    CheckFinder(text, telepost::domain_list::Encoding::Cp932);
    CheckFinder(text, telepost::domain_list::Encoding::Utf8);
    return 0;
}
