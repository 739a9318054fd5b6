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

// The full-width forms a key's name or the settings' header is folded from,
// besides those of domain_list.h: "＝", "＿" and the brackets.
constexpr domain_list::FullWidthForm kNameForms[] = {
    kFullWidthEquals,
    {"\x81\x51", "\xEF\xBC\xBF", '_'},  // ＿
    {"\x81\x6D", "\xEF\xBC\xBB", '['},  // ［
    {"\x81\x6E", "\xEF\xBC\xBD", ']'},  // ］
    {"\x81\x79", "\xE3\x80\x90", '['},  // 【
    {"\x81\x7A", "\xE3\x80\x91", ']'},  // 】
};

// The full-width space, which Notepad shows as a blank.
constexpr const char* FullWidthSpace(domain_list::Encoding encoding) {
    return encoding == domain_list::Encoding::Utf8 ? "\xE3\x80\x80" : "\x81\x40";
}

// The character at `at` of `line` as a key's name is folded to ASCII: its
// length, and the ASCII byte it stands for, or '\0' for none. ASCII stands
// for itself; beyond it, the full-width letters, digits, space and the forms
// of kFullWidthForms and kNameForms.
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
    }
    const bool utf8 = encoding == domain_list::Encoding::Utf8;
    for (const domain_list::FullWidthForm& form : kNameForms) {
        if (folded.ascii == '\0' &&
            domain_list::Is(character, folded.bytes, utf8 ? form.utf8 : form.cp932)) {
            folded.ascii = form.ascii;
        }
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

// Where the first full-width space of the trimmed line `line` stands, when
// the line would give `key` with each full-width space an ASCII one: no
// other character beyond ASCII before its "=". None otherwise.
IniSpot SpaceSpot(std::string_view line, domain_list::Encoding encoding) {
    const std::string_view space = FullWidthSpace(encoding);
    IniSpot spot = IniSpot::None;
    bool named = false;         // a character of the name seen
    bool spacePending = false;  // a full-width space after the name so far
    for (std::size_t at = 0; at < line.size();) {
        if (line.substr(at).starts_with(space)) {
            if (spot == IniSpot::None) {
                spot = named ? IniSpot::BeforeEquals : IniSpot::LineStart;
                spacePending = named;
            }
            at += space.size();
            continue;
        }
        const unsigned char byte = static_cast<unsigned char>(line[at]);
        if (byte >= 0x80) {
            return IniSpot::None;
        }
        if (line[at] == '=') {
            return spot;
        }
        if (!ini_text::IsBlank(line[at])) {
            named = true;
            if (spacePending) {
                spot = IniSpot::InKeyName;
                spacePending = false;
            }
        }
        ++at;
    }
    return IniSpot::None;
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
        if (item.verdict != DomainVerdict::Kept && item.verdict != DomainVerdict::Duplicate) {
            mistake.item =
                value.substr(static_cast<std::size_t>(item.written - list), item.writtenLength);
            mistake.verdict = item.verdict;
            found.Add(mistake);
        }
    });
}

}  // namespace

bool LooksLikeHeader(std::string_view line, domain_list::Encoding encoding) {
    constexpr std::size_t kRoom = 16;  // "[ k-tai ]" with blanks to spare
    char folded[kRoom] = {};
    std::size_t length = 0;
    for (std::size_t at = 0; at < line.size();) {
        const domain_list::ListCharacter c = FoldedAt(line, at, encoding);
        at += c.bytes;
        if (c.ascii == '\0' || length == kRoom) {
            return false;
        }
        folded[length++] = c.ascii;
    }
    std::string_view name = ini_text::Trim({folded, length});
    if (name.starts_with('[')) {
        name.remove_prefix(1);
    }
    if (name.ends_with(']')) {
        name.remove_suffix(1);
    }
    name = ini_text::Trim(name);
    for (const char* alike : {"k-tai", "ktai", "k_tai"}) {
        if (ini_text::SameName(name, alike)) {
            return true;
        }
    }
    return false;
}

bool IsMeantAsComment(std::string_view line, domain_list::Encoding encoding) {
    const bool utf8 = encoding == domain_list::Encoding::Utf8;
    for (const char* start :
         {"//", utf8 ? "\xEF\xBC\x8F\xEF\xBC\x8F" : "\x81\x5E\x81\x5E",
          utf8 ? "\xEF\xBC\x9B" : "\x81\x47", utf8 ? "\xEF\xBC\x83" : "\x81\x94"}) {
        if (line.starts_with(start)) {
            return true;
        }
    }
    bool equals = false;
    for (std::size_t at = 0; at < line.size() && !equals;) {
        const domain_list::ListCharacter c = FoldedAt(line, at, encoding);
        at += c.bytes;
        equals = c.ascii == '=';
    }
    return !equals && !line.empty() && static_cast<unsigned char>(line.front()) >= 0x80;
}

}  // namespace ini_mistakes

namespace ini_mistakes {

namespace {

// What the whole text holds: the section the plug-in reads (its header seen
// by Windows, or hidden by a byte order mark), and, outside it, a line that
// looks like its header.
struct Shape {
    bool section = false;
    bool headerLike = false;
};

// The line's bytes without its line end, and of the first line without a byte
// order mark; whether there was one.
std::string_view ShownWithoutMark(const ini_text::TextLine& line, bool& mark) {
    std::string_view shown = line.Shown();
    mark = line.number == 1 && shown.starts_with(kUtf8ByteOrderMark);
    if (mark) {
        shown.remove_prefix(std::char_traits<char>::length(kUtf8ByteOrderMark));
    }
    return shown;
}

bool IsSettingsHeader(std::string_view trimmed) {
    std::string_view name;
    return ini_text::SectionHeader(trimmed, name) && ini_text::SameName(name, kSettingsSection);
}

Shape ShapeOf(std::string_view text, domain_list::Encoding encoding) {
    Shape shape;
    ini_text::SectionLines lines(text, kSettingsSection);
    ini_text::TextLine line;
    ini_text::Place place = ini_text::Place::Outside;
    while (lines.Next(line, place)) {
        bool mark = false;
        const std::string_view trimmed = ini_text::Trim(ShownWithoutMark(line, mark));
        shape.section = shape.section || place == ini_text::Place::Header ||
                        (mark && IsSettingsHeader(trimmed));
        shape.headerLike = shape.headerLike || (place == ini_text::Place::Outside &&
                                                LooksLikeHeader(trimmed, encoding));
    }
    return shape;
}

// The mistakes of every line, as FindIniMistakes tells them but NoSection;
// `shape` is the text's.
void FindLineMistakes(std::string_view text, domain_list::Encoding encoding, Shape shape,
                      Found& found) {
    using ini_text::Place;
    std::size_t firstLines[kKeyCount] = {};  // each key's line that counts
    std::size_t header = 0;
    std::size_t otherHeader = 0;  // the header of the section a line outside is in, if any
    bool accounted = false;       // lines outside that a mistake above accounts for
    ini_text::SectionLines lines(text, kSettingsSection);
    ini_text::TextLine line;
    Place place = Place::Outside;
    while (lines.Next(line, place)) {
        IniMistake mistake;
        mistake.line = line.number;
        bool mark = false;
        mistake.text = ShownWithoutMark(line, mark);
        const std::string_view trimmed = ini_text::Trim(mistake.text);
        std::string_view name;
        if (mark && IsSettingsHeader(trimmed)) {
            mistake.kind = IniMistakeKind::ByteOrderMark;
            found.Add(mistake);
            accounted = true;
            continue;
        }
        if (place == Place::Header) {
            header = line.number;
            continue;
        }
        if (place == Place::Outside) {
            if (!shape.section && LooksLikeHeader(trimmed, encoding)) {
                mistake.kind = IniMistakeKind::HeaderMistyped;
                mistake.spot = trimmed.starts_with(FullWidthSpace(encoding)) ? IniSpot::LineStart
                                                                             : IniSpot::None;
                found.Add(mistake);
                accounted = true;
                continue;
            }
            if (ini_text::SectionHeader(trimmed, name)) {
                accounted = header != 0 && ini_text::SameName(name, kSettingsSection);
                otherHeader = line.number;
                if (accounted) {
                    mistake.kind = IniMistakeKind::SectionTwice;
                    mistake.countingLine = header;
                    found.Add(mistake);
                }
                continue;
            }
            if (accounted || trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
                continue;
            }
            const std::size_t index = ini_text::KeyOf(trimmed, name) ? KeyIndex(name) : kKeyCount;
            mistake.key = index < kKeyCount ? KeyAt(index) : KeyLookedLike(trimmed, encoding);
            if (mistake.key) {
                mistake.kind = IniMistakeKind::KeyOutside;
                mistake.countingLine = otherHeader;
                found.Add(mistake);
            }
            continue;
        }
        if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
            continue;
        }
        const std::size_t index = ini_text::KeyOf(trimmed, name) ? KeyIndex(name) : kKeyCount;
        if (index >= kKeyCount) {
            mistake.key = KeyLookedLike(trimmed, encoding);
            mistake.spot = mistake.key ? SpaceSpot(trimmed, encoding) : IniSpot::None;
            mistake.kind = mistake.spot != IniSpot::None ? IniMistakeKind::FullWidthSpace
                           : !mistake.key && IsMeantAsComment(trimmed, encoding)
                               ? IniMistakeKind::NotAComment
                               : IniMistakeKind::NotAKey;
            found.Add(mistake);
            continue;
        }
        mistake.key = KeyAt(index);
        if (firstLines[index] != 0) {
            mistake.kind = IniMistakeKind::KeyTwice;
            mistake.countingLine = firstLines[index];
            found.Add(mistake);
            continue;
        }
        firstLines[index] = line.number;
        if (index < kSettingCount && !HoldsANumber(ini_text::ValueOf(trimmed))) {
            mistake.kind = IniMistakeKind::NotANumber;
            mistake.item = ini_text::ValueOf(trimmed);
            found.Add(mistake);
        }
        if (index >= kSettingCount) {
            mistake.kind = IniMistakeKind::SkippedDomain;
            FindSkippedDomains(ini_text::ValueOf(trimmed), mistake, found);
        }
    }
}

}  // namespace

}  // namespace ini_mistakes

std::size_t FindIniMistakes(std::string_view text, domain_list::Encoding encoding,
                            std::span<IniMistake> out) {
    const ini_mistakes::Shape shape = ini_mistakes::ShapeOf(text, encoding);
    ini_mistakes::Found found(out);
    if (!shape.section && !shape.headerLike) {
        // Told only when a key the plug-in reads stands outside.
        ini_mistakes::Found keys({});
        ini_mistakes::FindLineMistakes(text, encoding, shape, keys);
        if (keys.Count() > 0) {
            IniMistake none;
            none.kind = IniMistakeKind::NoSection;
            found.Add(none);
        }
    }
    ini_mistakes::FindLineMistakes(text, encoding, shape, found);
    return found.Count();
}

}  // namespace telepost
