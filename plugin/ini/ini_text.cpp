#include "telepost/ini_text.h"

namespace telepost {

bool ListsReadFromBytes(std::string_view text) {
    return IniInUtf16BigEndian(text) || (text.find('\0') == std::string_view::npos &&
                                         text.size() < kIniTextSize && IsUtf8Text(text, false));
}

namespace ini_text {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

namespace {

constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::size_t NameIndex(std::string_view name, std::span<const char* const> names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameName(name, names[i])) {
            return i;
        }
    }
    return names.size();
}

bool TextLines::Next(TextLine& line) {
    if (at_ >= text_.size()) {
        return false;
    }
    const std::size_t end = text_.find('\n', at_);
    line.start = at_;
    line.bytes = text_.substr(at_, end == std::string_view::npos ? end : end - at_);
    line.next = end == std::string_view::npos ? text_.size() : end + 1;
    line.number = ++number_;
    at_ = line.next;
    return true;
}

bool SectionHeader(std::string_view line, std::string_view& name) {
    if (line.size() < 2 || line.front() != '[') {
        return false;
    }
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trim(line.substr(1, close - 1));
    return true;
}

bool KeyOf(std::string_view line, std::string_view& key) {
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || equals == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    return true;
}

std::string_view ValueOf(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

bool SectionLines::Next(TextLine& line, Place& place) {
    if (!lines_.Next(line)) {
        return false;
    }
    std::string_view name;
    if (SectionHeader(Trim(line.bytes), name)) {
        const bool first = !seen_ && SameName(name, section_);
        inside_ = first;
        seen_ = seen_ || first;
        place = first ? Place::Header : Place::Outside;
    } else {
        place = inside_ ? Place::Inside : Place::Outside;
    }
    return true;
}

std::size_t SettingIndex(std::string_view name) {
    return NameIndex(name, kSettingKeys);
}

namespace {

// Whether the trimmed line `line` gives one of the settings' keys.
bool IsSettingLine(std::string_view line) {
    std::string_view name;
    return KeyOf(line, name) && SettingIndex(name) < kSettingCount;
}

}  // namespace

bool OtherLines::Next(std::string_view& line) {
    while (!text_.empty()) {
        const std::size_t end = text_.find('\n');
        line = text_.substr(0, end);
        text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty()) {
            continue;
        }
        std::string_view name;
        if (SectionHeader(trimmed, name)) {
            inSettings_ = !settingsSeen_ && SameName(name, kSettingsSection);
            settingsSeen_ = settingsSeen_ || inSettings_;
            return true;
        }
        if (!(inSettings_ && IsSettingLine(trimmed))) {
            return true;
        }
    }
    return false;
}

namespace {

// `value` as "%d" into `out`; its length.
std::size_t FormatNumber(std::int32_t value, char (&out)[kIniNumberLength]) {
    std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char digits[kIniNumberLength] = {};
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::size_t length = 0;
    if (value < 0) {
        out[length++] = '-';
    }
    while (count > 0) {
        out[length++] = digits[--count];
    }
    return length;
}

// Writes bytes into a caller's buffer, as many as fit; whether all did.
class Output {
  public:
    explicit Output(std::span<char> out) : out_(out) {}

    void Put(std::string_view bytes) {
        for (const char c : bytes) {
            if (length_ < out_.size()) {
                out_[length_] = c;
            }
            ++length_;
        }
    }
    void PutSetting(const IniSettingValue& setting, std::string_view lineEnd) {
        char number[kIniNumberLength] = {};
        Put(setting.key);
        Put("=");
        Put(std::string_view(number, FormatNumber(setting.value, number)));
        Put(lineEnd);
    }
    bool Fits() const { return length_ <= out_.size(); }
    std::size_t Length() const { return length_; }

  private:
    std::span<char> out_;
    std::size_t length_ = 0;
};

}  // namespace

}  // namespace ini_text

bool OtherLinesKept(std::string_view before, std::string_view after) {
    ini_text::OtherLines was(before);
    ini_text::OtherLines is(after);
    std::string_view wasLine;
    std::string_view isLine;
    while (was.Next(wasLine)) {
        if (!is.Next(isLine) || isLine != wasLine) {
            return false;
        }
    }
    if (!is.Next(isLine)) {
        return true;
    }
    // One more line: the settings' section a writer added, nothing after it.
    return !was.SettingsSeen() && is.SettingsSeen() && !is.Next(isLine);
}

std::string_view FindIniValue(std::string_view text, std::string_view section,
                              std::string_view key) {
    if (IniInUtf16BigEndian(text)) {
        return {};
    }
    ini_text::SectionLines lines(text, section);
    ini_text::TextLine line;
    ini_text::Place place = ini_text::Place::Outside;
    std::string_view name;
    while (lines.Next(line, place)) {
        const std::string_view trimmed = ini_text::Trim(line.bytes);
        if (place == ini_text::Place::Inside && ini_text::KeyOf(trimmed, name) &&
            ini_text::SameName(name, key)) {
            return ini_text::ValueOf(trimmed);
        }
    }
    return {};
}

std::int32_t FindIniSetting(std::string_view text, std::string_view key) {
    return static_cast<std::int32_t>(IniInteger(FindIniValue(text, kSettingsSection, key)));
}

IniSettingsRead ReadIniSettings(std::string_view text) {
    IniSettingsRead read;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        read.settings[i] = FindIniSetting(text, kSettingKeys[i]);
    }
    for (std::size_t i = 0; i < kDomainListKeyCount; ++i) {
        read.domainLists[i] = FindIniValue(text, kSettingsSection, kDomainListKeys[i]);
    }
    return read;
}

IniWrite WriteIniSettings(std::string_view text, std::span<const IniSettingValue> settings,
                          std::span<char> out, std::size_t& length) {
    using ini_text::Place;
    length = 0;
    // Each setting's place in `settings`, by its index in kSettingKeys.
    std::size_t given[kSettingCount] = {};
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        given[i] = settings.size();
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const std::size_t index =
            settings[i].key ? ini_text::SettingIndex(settings[i].key) : kSettingCount;
        if (index == kSettingCount || given[index] != settings.size()) {
            return IniWrite::BadKey;
        }
        given[index] = i;
    }
    const std::size_t firstEnd = text.find('\n');
    const std::string_view lineEnd =
        firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r' ? kIniCrLf
                                                                                         : kIniLf;

    // Where the settings the section lacks go: after its last line not blank.
    bool sectionFound = false;
    std::size_t insertAfter = 0;  // that line's number
    {
        ini_text::SectionLines lines(text, kSettingsSection);
        ini_text::TextLine line;
        Place place = Place::Outside;
        while (lines.Next(line, place)) {
            if (place == Place::Header ||
                (place == Place::Inside && !ini_text::Trim(line.bytes).empty())) {
                sectionFound = true;
                insertAfter = line.number;
            }
        }
    }

    ini_text::Output output(out);
    bool written[kSettingCount] = {};
    // The settings not written yet, each after an LF for the last line of
    // the text, `last`, which a line put after it needs.
    const auto putRest = [&](const ini_text::TextLine& last) {
        bool ended = last.Ended() || last.next == 0;
        for (const IniSettingValue& setting : settings) {
            const std::size_t index = ini_text::SettingIndex(setting.key);
            if (written[index]) {
                continue;
            }
            if (!ended) {
                output.Put(last.bytes.ends_with('\r') ? kIniLf : lineEnd);
                ended = true;
            }
            if (!sectionFound) {
                output.Put("[");
                output.Put(kSettingsSection);
                output.Put("]");
                output.Put(lineEnd);
                sectionFound = true;
            }
            output.PutSetting(setting, lineEnd);
            written[index] = true;
        }
    };
    ini_text::SectionLines lines(text, kSettingsSection);
    ini_text::TextLine line;
    Place place = Place::Outside;
    std::string_view name;
    while (lines.Next(line, place)) {
        const std::string_view trimmed = ini_text::Trim(line.bytes);
        const std::size_t index = place == Place::Inside && ini_text::KeyOf(trimmed, name)
                                      ? ini_text::SettingIndex(name)
                                      : kSettingCount;
        const bool counts = index < kSettingCount && !written[index];
        if (counts) {
            written[index] = true;  // the line that counts, whether written or not
        }
        if (counts && given[index] < settings.size()) {
            std::size_t contentEnd = line.bytes.size();
            while (contentEnd > 0 && line.bytes[contentEnd - 1] == '\r') {
                --contentEnd;
            }
            output.PutSetting(settings[given[index]], "");
            output.Put(text.substr(line.start + contentEnd, line.next - line.start - contentEnd));
        } else {
            output.Put(text.substr(line.start, line.next - line.start));
        }
        if (sectionFound && line.number == insertAfter) {
            putRest(line);
        }
    }
    if (!sectionFound) {
        putRest(line);  // a line with no bytes at all for an empty text
    }
    if (!output.Fits()) {
        return IniWrite::NoRoom;
    }
    length = output.Length();
    return IniWrite::Written;
}

}  // namespace telepost
