#include "telepost/ini_mistakes.h"

#include <string>

namespace telepost {

// The encoding of a whole INI file's text, told as a domain list's is
// (domain_list::ListEncodingOf): UTF-8 when it is well-formed UTF-8 beyond
// ASCII (a byte order mark is), else code page 932.
domain_list::Encoding IniEncodingOf(std::string_view text) {
    return IsUtf8Text(text, false) ? domain_list::Encoding::Utf8 : domain_list::Encoding::Cp932;
}

namespace ini_mistakes {

namespace {

// The key of an index KeyIndex gives; null for kKeyCount.
constexpr const char* KeyAt(std::size_t index) {
    if (index < kSettingCount) {
        return kSettingKeys[index];
    }
    return index < kKeyCount ? kDomainListKeys[index - kSettingCount] : nullptr;
}

}  // namespace

bool HoldsANumber(std::string_view value) {
    std::size_t at = 0;
    while (at < value.size() && static_cast<unsigned char>(value[at]) <= ' ') {
        ++at;
    }
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) {
        ++at;
    }
    return value.empty() || (at < value.size() && value[at] >= '0' && value[at] <= '9');
}

std::size_t KeyIndex(std::string_view name) {
    const std::size_t setting = ini_text::SettingIndex(name);
    return setting < kSettingCount ? setting
                                   : kSettingCount + ini_text::NameIndex(name, kDomainListKeys);
}

namespace {

constexpr std::size_t LongestKey() {
    std::size_t longest = 0;
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        const std::size_t length = std::char_traits<char>::length(KeyAt(i));
        longest = length > longest ? length : longest;
    }
    return longest;
}

// Bytes of the longest character either encoding has.
inline constexpr std::size_t kLongestCharacter = 4;

// The character at `at` of `line` as a key's name is folded to ASCII: its
// length, and the ASCII byte it stands for, or '\0' for none. ASCII stands
// for itself; beyond it, the full-width letters, digits, space and the forms
// of kFullWidthForms and kFullWidthEquals.
domain_list::ListCharacter FoldedAt(std::string_view line, std::size_t at,
                                    domain_list::Encoding encoding) {
    if (static_cast<unsigned char>(line[at]) < 0x80) {
        return {1, line[at]};
    }
    // A terminated copy: the walk of domain_list.h reads up to a NUL.
    char character[kLongestCharacter + 1] = {};
    for (std::size_t i = 0; i < kLongestCharacter && at + i < line.size(); ++i) {
        character[i] = line[at + i];
    }
    domain_list::ListCharacter folded = domain_list::CharacterAt(character, encoding);
    if (folded.ascii == domain_list::kSeparator) {
        folded.ascii = ' ';
    } else if (folded.ascii == '\0' &&
               domain_list::Is(character, folded.bytes,
                               encoding == domain_list::Encoding::Utf8 ? kFullWidthEquals.utf8
                                                                       : kFullWidthEquals.cp932)) {
        folded.ascii = kFullWidthEquals.ascii;
    }
    return folded;
}

// The key that the trimmed line `line` looks like once folded to ASCII: the
// name before its first "=" (or "＝"), trimmed, matched as the profile
// functions match names; null for none.
const char* KeyLookedLike(std::string_view line, domain_list::Encoding encoding) {
    constexpr std::size_t kRoom = LongestKey();
    char name[kRoom] = {};
    std::size_t length = 0;
    std::size_t blanks = 0;  // blanks after the name so far, not yet in it
    for (std::size_t at = 0; at < line.size();) {
        const domain_list::ListCharacter c = FoldedAt(line, at, encoding);
        at += c.bytes;
        if (c.ascii == '=') {
            return length > 0 && length <= kRoom ? KeyAt(KeyIndex({name, length})) : nullptr;
        }
        if (ini_text::IsBlank(c.ascii)) {
            blanks += length > 0 ? 1 : 0;
            continue;
        }
        for (; blanks > 0; --blanks) {
            if (length < kRoom) {
                name[length] = ' ';
            }
            ++length;
        }
        if (length < kRoom) {
            name[length] = c.ascii == '\0' ? '\x01' : c.ascii;  // \x01 matches no key
        }
        ++length;
    }
    return nullptr;  // no "=" at all
}

// Gathers the mistakes: the first into `out`, all of them counted.
class Found {
  public:
    explicit Found(std::span<IniMistake> out) : out_(out) {}

    void Add(const IniMistake& mistake) {
        if (count_ < out_.size()) {
            out_[count_] = mistake;
        }
        ++count_;
    }
    std::size_t Count() const { return count_; }

  private:
    std::span<IniMistake> out_;
    std::size_t count_ = 0;
};

// The items the plug-in skips of the list `value` on the line `mistake`
// stands for, the list read as the plug-in reads it: cut to the size of its
// buffer, up to a NUL, by ParseDomainList.
void FindSkippedDomains(std::string_view value, IniMistake mistake, Found& found) {
    char list[kDomainListSize] = {};
    const std::size_t length = value.size() < sizeof list - 1 ? value.size() : sizeof list - 1;
    for (std::size_t i = 0; i < length; ++i) {
        list[i] = value[i];
    }
    DomainList kept;
    ParseDomainList(list, length >= sizeof list - 1, kept, [&](const DomainItem& item) {
        if (item.verdict != DomainVerdict::Kept) {
            mistake.item =
                value.substr(static_cast<std::size_t>(item.written - list), item.writtenLength);
            mistake.verdict = item.verdict;
            found.Add(mistake);
        }
    });
}

}  // namespace

}  // namespace ini_mistakes

std::size_t FindIniMistakes(std::string_view text, domain_list::Encoding encoding,
                            std::span<IniMistake> out) {
    using ini_text::Place;
    ini_mistakes::Found found(out);
    std::size_t firstLines[ini_mistakes::kKeyCount] = {};  // each key's line that counts
    std::size_t header = 0;
    ini_text::SectionLines lines(text, kSettingsSection);
    ini_text::TextLine line;
    Place place = Place::Outside;
    while (lines.Next(line, place)) {
        IniMistake mistake;
        mistake.line = line.number;
        mistake.text = line.Shown();
        const std::string_view trimmed = ini_text::Trim(line.bytes);
        std::string_view name;
        if (line.number == 1 && line.bytes.starts_with(kUtf8ByteOrderMark)) {
            mistake.text.remove_prefix(std::char_traits<char>::length(kUtf8ByteOrderMark));
            if (ini_text::SectionHeader(ini_text::Trim(mistake.text), name) &&
                ini_text::SameName(name, kSettingsSection)) {
                mistake.kind = IniMistakeKind::ByteOrderMark;
                found.Add(mistake);
            }
            continue;
        }
        if (place == Place::Header) {
            header = line.number;
            continue;
        }
        if (place == Place::Outside) {
            if (header != 0 && ini_text::SectionHeader(trimmed, name) &&
                ini_text::SameName(name, kSettingsSection)) {
                mistake.kind = IniMistakeKind::SectionTwice;
                mistake.countingLine = header;
                found.Add(mistake);
            }
            continue;
        }
        if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
            continue;
        }
        const std::size_t index =
            ini_text::KeyOf(trimmed, name) ? ini_mistakes::KeyIndex(name) : ini_mistakes::kKeyCount;
        if (index == ini_mistakes::kKeyCount) {
            mistake.kind = IniMistakeKind::NotAKey;
            mistake.key = ini_mistakes::KeyLookedLike(trimmed, encoding);
            found.Add(mistake);
            continue;
        }
        mistake.key = ini_mistakes::KeyAt(index);
        if (firstLines[index] != 0) {
            mistake.kind = IniMistakeKind::KeyTwice;
            mistake.countingLine = firstLines[index];
            found.Add(mistake);
            continue;
        }
        firstLines[index] = line.number;
        if (index < kSettingCount && !ini_mistakes::HoldsANumber(ini_text::ValueOf(trimmed))) {
            mistake.kind = IniMistakeKind::NotANumber;
            mistake.item = ini_text::ValueOf(trimmed);
            found.Add(mistake);
        }
        if (index >= kSettingCount) {
            mistake.kind = IniMistakeKind::SkippedDomain;
            ini_mistakes::FindSkippedDomains(ini_text::ValueOf(trimmed), mistake, found);
        }
    }
    return found.Count();
}

}  // namespace telepost
