// The INI file's own bytes, as the plug-in and a host read them besides the
// profile functions: what its start tells, a value or a setting found in it
// as the profile functions find one, and the settings written into it with
// every other byte kept. Pure code, free of Win32 types.
//
// The profile functions read a file without a byte order mark in the ANSI
// code page. Windows hands its bytes to the ANSI functions as they are, but
// a system that turns them into Unicode and back (Wine does) makes every
// UTF-8 character beyond ASCII a "・" of code page 932. So the domain lists
// of a file in UTF-8 are read from its bytes, which keeps them as written on
// every system; any other file is read through the profile functions alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "telepost/ini_file.h"
#include "telepost/utf8.h"

namespace telepost {

// Bytes of the INI file read at most. A longer file is read through the
// profile functions alone.
inline constexpr std::size_t kIniTextSize = 64 * 1024;

// The byte order mark Notepad writes at the start of a file saved as
// "UTF-16 LE" (its "Unicode"), which the profile functions read and write
// in UTF-16, giving the ANSI functions its text in the ANSI code page.
inline constexpr char kUtf16ByteOrderMark[] = "\xFF\xFE";

// What the start of the INI file tells.
enum class IniStart {
    Plain,          // nothing to tell
    ByteOrderMark,  // UTF-8 with a byte order mark, which hides the first section
};

constexpr IniStart IniStartOf(std::string_view text) {
    return text.starts_with(kUtf8ByteOrderMark) ? IniStart::ByteOrderMark : IniStart::Plain;
}

// Whether the lists of the whole file `text` are read from its bytes: a file
// in UTF-8 beyond ASCII without a byte order mark (with one, the profile
// functions read it as UTF-8 where they see its section at all) and without
// a NUL.
constexpr bool ListsReadFromBytes(std::string_view text) {
    return IniStartOf(text) == IniStart::Plain && text.find('\0') == std::string_view::npos &&
           text.size() < kIniTextSize && IsUtf8Text(text, false);
}

namespace ini_text {

// The blanks the profile functions trim from a line, a name and a value: the
// space, tab, vertical tab, form feed, Ctrl+Z and the CR of a line's end.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A' || c == '\r';
}

constexpr std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool SameName(std::string_view a, std::string_view b) {
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

// One line of an INI text: where it starts, its bytes before its LF (any CR
// before the LF still in them), where the next line starts, and its number,
// counted from 1 as an editor counts lines ending in LF or CR LF.
struct TextLine {
    std::size_t start = 0;
    std::string_view bytes;
    std::size_t next = 0;
    std::size_t number = 0;

    // Whether the line ends in an LF, where the last line of a text may not.
    constexpr bool Ended() const { return next > start + bytes.size(); }
    // The line as an editor shows it: without the CR of its CR LF.
    constexpr std::string_view Shown() const {
        return bytes.ends_with('\r') ? bytes.substr(0, bytes.size() - 1) : bytes;
    }
};

// The lines of a text, one by one, as the profile functions split it: at
// each LF. A text that ends in an LF has no empty line after it.
class TextLines {
  public:
    explicit constexpr TextLines(std::string_view text) : text_(text) {}

    constexpr bool Next(TextLine& line) {
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

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t number_ = 0;
};

// Whether the trimmed line `line` is a section's header, "[name]" with
// anything after the first "]", and `name`, trimmed, when it is.
constexpr bool SectionHeader(std::string_view line, std::string_view& name) {
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

// Whether the trimmed line `line` gives a key, and `key` when it does: the
// trimmed text before its first "=", in a line that holds one and is no
// comment (";" first).
constexpr bool KeyOf(std::string_view line, std::string_view& key) {
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || equals == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    return true;
}

// The value of the trimmed line `line` that gives a key: the trimmed text
// after its first "=", without the quotes when one kind of quote (" or ')
// encloses all of it.
constexpr std::string_view ValueOf(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a line stands with respect to the first section of a name, the only
// one the profile functions read.
enum class Place {
    Outside,  // before that section, after it, or in a file without it
    Header,   // its header
    Inside,   // one of its lines
};

// The lines of a text, each with its place with respect to the first section
// named `section`.
class SectionLines {
  public:
    constexpr SectionLines(std::string_view text, std::string_view section)
        : lines_(text), section_(section) {}

    constexpr bool Next(TextLine& line, Place& place) {
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

  private:
    TextLines lines_;
    std::string_view section_;
    bool inside_ = false;
    bool seen_ = false;
};

}  // namespace ini_text

namespace ini_text {

// The lines of an INI file's text besides the settings' own, one by one: the
// bytes of each before its LF, a CR before it dropped, lines blank to the
// eye and the lines of the settings' keys in the first section of the
// settings left out. Whether that section was met is kept, for a writer
// adds it to a file without one.
class OtherLines {
  public:
    explicit constexpr OtherLines(std::string_view text) : text_(text) {}

    // The next such line; false at the end of the text.
    constexpr bool Next(std::string_view& line) {
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

    constexpr bool SettingsSeen() const { return settingsSeen_; }

  private:
    static constexpr bool IsSettingLine(std::string_view line) {
        std::string_view name;
        if (!KeyOf(line, name)) {
            return false;
        }
        for (const char* key : kSettingKeys) {
            if (SameName(name, key)) {
                return true;
            }
        }
        return false;
    }

    std::string_view text_;
    bool inSettings_ = false;
    bool settingsSeen_ = false;
};

}  // namespace ini_text

// Whether the INI file `after`, as a save of the settings left it, holds the
// lines of `before` byte for byte besides the settings' own lines in their
// section: the same lines in the same order, whatever the settings' values
// and wherever the writer put them. Blank lines and a line's ending may
// differ; a file without the settings' section may gain "[k-tai]" at its end.
constexpr bool OtherLinesKept(std::string_view before, std::string_view after) {
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

// The value of `key` in the first section named `section` of the INI file
// `text`, as the profile functions give it: lines end at LF (a CR before it
// dropped), names match without regard to ASCII case, a comment line begins
// with ";", the key is the trimmed text before the first "=", the value the
// trimmed text after it without the quotes when one kind of quote (" or ')
// encloses all of it. Null data when the key is absent; a value found has
// data, empty or not.
constexpr std::string_view FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
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

// Characters of a value that an integer is read from: GetPrivateProfileIntA
// reads the value through a buffer of 30 characters with the terminator.
inline constexpr std::size_t kIniIntegerTextLength = 29;

namespace ini_text {

constexpr unsigned DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return 36;  // no digit in any base
}

}  // namespace ini_text

// The integer GetPrivateProfileIntA gives for a key whose value (trimmed and
// unquoted, as FindIniValue gives it) is `value`: of its first
// kIniIntegerTextLength characters, leading control characters and blanks
// skipped, one sign, then "0x", "0o" or "0b" (lower case only) for base 16, 8
// or 2, else base 10; the digits up to the first character that is none,
// counted modulo 2^32 (no saturation); 0 when no digit follows, and for an
// empty value, as for an absent key, the default, which the plug-in gives as 0.
// Bytes are counted here where Windows counts characters: a character beyond
// ASCII ends the number, and only ASCII comes before it.
constexpr std::uint32_t IniInteger(std::string_view value) {
    value = value.substr(0, kIniIntegerTextLength);
    std::size_t at = 0;
    while (at < value.size() && static_cast<unsigned char>(value[at]) <= ' ') {
        ++at;
    }
    bool negative = false;
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) {
        negative = value[at] == '-';
        ++at;
    }
    unsigned base = 10;
    const std::string_view prefix = value.substr(at, 2);
    if (prefix == "0x") {
        base = 16;
    } else if (prefix == "0o") {
        base = 8;
    } else if (prefix == "0b") {
        base = 2;
    }
    if (base != 10) {
        at += 2;
    }
    std::uint32_t number = 0;
    for (; at < value.size(); ++at) {
        const unsigned digit = ini_text::DigitValue(value[at]);
        if (digit >= base) {
            break;
        }
        number = number * base + digit;  // unsigned: wraps modulo 2^32
    }
    return negative ? 0u - number : number;
}

// The INI file's settings' section as the plug-in reads it from the file's
// bytes: every key of kSettingKeys and kDomainListKeys, each by the same
// rules, so that a file read from its bytes (a file in UTF-8: see
// ListsReadFromBytes) has its settings read as its lists are.
//
// Where this reader and the profile functions must agree: on every file whose
// bytes the profile functions hand to the plug-in as they are, that is a file
// in ASCII, and a file in code page 932 on a system whose ANSI code page is
// 932. There, for each key, FindIniValue gives the bytes that
// GetPrivateProfileStringA(kSettingsSection, key, "", ...) gives (up to the
// size of its buffer), and FindIniSetting the number that
// GetPrivateProfileIntA(kSettingsSection, key, 0, ...) gives: the same lines
// (split at LF, a CR before it dropped), the same first section and first key
// of a name (ASCII letter case aside), the same blanks, comments and quotes,
// and the same reading of a number. They part on purpose on a file in UTF-8
// beyond ASCII, which a system that reads it through code page 932 changes
// and this reader keeps as written; and on a line that opens with "[" and
// holds a double-byte character whose second byte is "]" ("[\x81]"), which
// ends the header here and is no "]" to the profile functions (the reader
// reads bytes; it is used on files in UTF-8 only, where "]" is always a
// character of its own). tests/fuzz/fuzz_ini_profile.cpp compares the two on
// random files of that contract. tests/unit/ini_text_test.cpp checks the
// agreement on both targets, against the Linux layer's profile functions and
// against the system's under Wine.

// The setting of `key` in the settings' section of `text`, as
// GetPrivateProfileIntA(kSettingsSection, key, 0, file) reads it: 0 for a key
// the section does not hold.
constexpr std::int32_t FindIniSetting(std::string_view text, std::string_view key) {
    return static_cast<std::int32_t>(IniInteger(FindIniValue(text, kSettingsSection, key)));
}

// Every key the plug-in reads, from the bytes of the INI file.
struct IniSettingsRead {
    // In the order of kSettingKeys: each as FindIniSetting reads it.
    std::int32_t settings[kSettingCount] = {};
    // In the order of kDomainListKeys: each list's value in the text, as
    // FindIniValue finds it; null data for a key the section does not hold.
    std::string_view domainLists[kDomainListKeyCount] = {};
};

constexpr IniSettingsRead ReadIniSettings(std::string_view text) {
    IniSettingsRead read;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        read.settings[i] = FindIniSetting(text, kSettingKeys[i]);
    }
    for (std::size_t i = 0; i < kDomainListKeyCount; ++i) {
        read.domainLists[i] = FindIniValue(text, kSettingsSection, kDomainListKeys[i]);
    }
    return read;
}

// A setting to write: its key, one of kSettingKeys (ASCII letter case aside;
// the line is written with the key as given), and its value, written as "%d".
struct IniSettingValue {
    const char* key;
    std::int32_t value;
};

// The line ends a writer puts in a file: the file's own, CR LF when its first
// line ends in CR LF, else LF.
inline constexpr std::string_view kIniCrLf = "\r\n";
inline constexpr std::string_view kIniLf = "\n";
// Bytes of a setting's value written as "%d", at most: "-2147483648".
inline constexpr std::size_t kIniNumberLength = 11;

namespace ini_text {

constexpr std::size_t Length(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// The bytes a write of every setting adds to a file at most: a line end for
// a last line without one, the section's header, and each setting's line
// (a line replaced in place grows by the value's length at most).
constexpr std::size_t WriteRoom() {
    std::size_t room = kIniCrLf.size() + Length(kSettingsSection) + 2 + kIniCrLf.size();
    for (const char* key : kSettingKeys) {
        room += Length(key) + 1 + kIniNumberLength + kIniCrLf.size();
    }
    return room;
}

// `value` as "%d" into `out`; its length.
constexpr std::size_t FormatNumber(std::int32_t value, char (&out)[kIniNumberLength]) {
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

// The index in kSettingKeys of the setting named `name`, or kSettingCount.
constexpr std::size_t SettingIndex(std::string_view name) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (SameName(name, kSettingKeys[i])) {
            return i;
        }
    }
    return kSettingCount;
}

// Writes bytes into a caller's buffer, as many as fit; whether all did.
class Output {
  public:
    explicit constexpr Output(std::span<char> out) : out_(out) {}

    constexpr void Put(std::string_view bytes) {
        for (const char c : bytes) {
            if (length_ < out_.size()) {
                out_[length_] = c;
            }
            ++length_;
        }
    }
    constexpr void PutSetting(const IniSettingValue& setting, std::string_view lineEnd) {
        char number[kIniNumberLength] = {};
        Put(setting.key);
        Put("=");
        Put(std::string_view(number, FormatNumber(setting.value, number)));
        Put(lineEnd);
    }
    constexpr bool Fits() const { return length_ <= out_.size(); }
    constexpr std::size_t Length() const { return length_; }

  private:
    std::span<char> out_;
    std::size_t length_ = 0;
};

}  // namespace ini_text

// The bytes a write of settings adds to a file at most: a buffer of
// text.size() + kIniWriteRoom bytes always takes WriteIniSettings' result.
inline constexpr std::size_t kIniWriteRoom = ini_text::WriteRoom();

// What WriteIniSettings did.
enum class IniWrite {
    Written,  // the new text is in the buffer
    NoRoom,   // the buffer is too small for it (less than text.size() + kIniWriteRoom)
    BadKey,   // a key that is no setting's, or a setting given twice: nothing written
};

// The INI file's text `text` with `settings` written into the settings'
// section, into `out`, its length into `length`. Each setting's line that
// counts (its first in the first section named kSettingsSection, as
// FindIniValue finds it) is replaced in place by "key=value" with the line's
// own end (CR LF, LF or none, and any other CR before it); a setting the
// section lacks is put after the section's last line that is not blank (the
// header at least), a setting the file lacks in a section "[k-tai]" put at the
// end of the file. A line put after the last line of the text gives that line
// an LF first (a CR it ends in becomes CR LF). Every other byte is kept, so
// that OtherLinesKept(text, result) holds and the result reads back, through
// FindIniSetting, with the values given. Lines written end as the file's
// first line does (CR LF, else LF). Pure bytes: the file may be in any
// encoding that keeps ASCII as it is (UTF-8, code page 932). The result may
// be longer than kIniTextSize.
constexpr IniWrite WriteIniSettings(std::string_view text,
                                    std::span<const IniSettingValue> settings, std::span<char> out,
                                    std::size_t& length) {
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
