// The INI file's own bytes, as the plug-in and a host read them besides the
// profile functions: what its start tells, a value or a setting found in it
// as the profile functions find one, and the settings written into it with
// every other byte kept. Pure code, free of Win32 types; compiled in
// telepost_ini (plugin/ini/ini_text.cpp).
//
// The profile functions read a file without a byte order mark in the ANSI
// code page. Windows hands its bytes to the ANSI functions as they are, but
// a system that turns them into Unicode and back (Wine does) makes every
// UTF-8 character beyond ASCII a "・" of code page 932. So every key of a
// file in UTF-8, with a byte order mark or without, is read from its bytes,
// which keeps it as written on every system; any other file is read through
// the profile functions alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
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

// The byte order mark Notepad writes at the start of a file saved as
// "UTF-16 BE", which the plug-in does not read: on Windows every setting of
// such a file is off, and the plug-in reads none of its keys on any system,
// where some (Wine) would read them.
inline constexpr char kUtf16BigEndianMark[] = "\xFE\xFF";

constexpr bool IniInUtf16BigEndian(std::string_view text) {
    return text.starts_with(kUtf16BigEndianMark);
}

// What the start of the INI file tells.
enum class IniStart {
    Plain,          // nothing to tell
    ByteOrderMark,  // UTF-8 with a byte order mark, which hides the first section
};

constexpr IniStart IniStartOf(std::string_view text) {
    return text.starts_with(kUtf8ByteOrderMark) ? IniStart::ByteOrderMark : IniStart::Plain;
}

// Whether the keys of the whole file `text` are read from its bytes: a file
// in UTF-8 beyond ASCII without a NUL, a UTF-8 byte order mark before it or
// not, and a file in UTF-16 BE, of which FindIniValue reads nothing. Windows
// reads a file with a UTF-8 byte order mark in the ANSI code page, the mark
// a part of its first line: a section whose header is on that line is lost
// (IniStart::ByteOrderMark), and is lost alike to the reader of the bytes,
// which sees the mark where Windows does; Wine reads such a file as UTF-8.
bool ListsReadFromBytes(std::string_view text);

namespace ini_text {

// The blanks the profile functions trim from a line, a name and a value: the
// space, tab, vertical tab, form feed, Ctrl+Z and the CR of a line's end.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A' || c == '\r';
}

std::string_view Trim(std::string_view text);

// Whether two names are the same, ASCII letter case aside.
bool SameName(std::string_view a, std::string_view b);

// The index in `names` of the one named `name` (SameName), or names.size().
std::size_t NameIndex(std::string_view name, std::span<const char* const> names);

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

    bool Next(TextLine& line);

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t number_ = 0;
};

// Whether the trimmed line `line` is a section's header, "[name]" with
// anything after the first "]", and `name`, trimmed, when it is.
bool SectionHeader(std::string_view line, std::string_view& name);

// Whether the trimmed line `line` gives a key, and `key` when it does: the
// trimmed text before its first "=", in a line that holds one and is no
// comment (";" first).
bool KeyOf(std::string_view line, std::string_view& key);

// The value of the trimmed line `line` that gives a key: the trimmed text
// after its first "=", without the quotes when one kind of quote (" or ')
// encloses all of it.
std::string_view ValueOf(std::string_view line);

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

    bool Next(TextLine& line, Place& place);

  private:
    TextLines lines_;
    std::string_view section_;
    bool inside_ = false;
    bool seen_ = false;
};

// The lines of an INI file's text besides the settings' own, one by one: the
// bytes of each before its LF, a CR before it dropped, lines blank to the
// eye and the lines of the settings' keys in the first section of the
// settings left out. Whether that section was met is kept, for a writer
// adds it to a file without one.
class OtherLines {
  public:
    explicit constexpr OtherLines(std::string_view text) : text_(text) {}

    // The next such line; false at the end of the text.
    bool Next(std::string_view& line);

    constexpr bool SettingsSeen() const { return settingsSeen_; }

  private:
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
bool OtherLinesKept(std::string_view before, std::string_view after);

// The value of `key` in the first section named `section` of the INI file
// `text`, as the profile functions give it: lines end at LF (a CR before it
// dropped), names match without regard to ASCII case, a comment line begins
// with ";", the key is the trimmed text before the first "=", the value the
// trimmed text after it without the quotes when one kind of quote (" or ')
// encloses all of it. Null data when the key is absent, and for a text in
// UTF-16 BE (IniInUtf16BigEndian); a value found has data, empty or not.
std::string_view FindIniValue(std::string_view text, std::string_view section,
                              std::string_view key);

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
// ASCII ends the number, and only ASCII comes before it. Evaluated at compile
// time by its tests, so it stays here whole.
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
std::int32_t FindIniSetting(std::string_view text, std::string_view key);

// Every key the plug-in reads, from the bytes of the INI file.
struct IniSettingsRead {
    // In the order of kSettingKeys: each as FindIniSetting reads it.
    std::int32_t settings[kSettingCount] = {};
    // In the order of kDomainListKeys: each list's value in the text, as
    // FindIniValue finds it; null data for a key the section does not hold.
    std::string_view domainLists[kDomainListKeyCount] = {};
};

IniSettingsRead ReadIniSettings(std::string_view text);

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

// The bytes a write of every setting adds to a file at most: a line end for
// a last line without one, the section's header, and each setting's line
// (a line replaced in place grows by the value's length at most).
constexpr std::size_t WriteRoom() {
    using Chars = std::char_traits<char>;
    std::size_t room = kIniCrLf.size() + Chars::length(kSettingsSection) + 2 + kIniCrLf.size();
    for (const char* key : kSettingKeys) {
        room += Chars::length(key) + 1 + kIniNumberLength + kIniCrLf.size();
    }
    return room;
}

// The index in kSettingKeys of the setting named `name`, or kSettingCount.
std::size_t SettingIndex(std::string_view name);

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
IniWrite WriteIniSettings(std::string_view text, std::span<const IniSettingValue> settings,
                          std::span<char> out, std::size_t& length);

}  // namespace telepost
