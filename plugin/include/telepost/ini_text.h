// The INI file's own bytes, as the plug-in and a host read them besides the
// profile functions: what its start tells, and a value found in it as the
// profile functions find one. Pure code, free of Win32 types.
//
// The profile functions read a file without a byte order mark in the ANSI
// code page. Windows hands its bytes to the ANSI functions as they are, but
// a system that turns them into Unicode and back (Wine does) makes every
// UTF-8 character beyond ASCII a "・" of code page 932. So the domain lists
// of a file in UTF-8 are read from its bytes, which keeps them as written on
// every system; any other file is read through the profile functions alone.
#pragma once

#include <cstddef>
#include <string_view>

#include "telepost/ini_file.h"
#include "telepost/utf8.h"

namespace telepost {

// Bytes of the INI file read at most. A longer file is read through the
// profile functions alone.
inline constexpr std::size_t kIniTextSize = 64 * 1024;

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

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
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
            if (trimmed.front() == '[') {
                const std::size_t close = trimmed.find(']');
                if (close != std::string_view::npos) {
                    inSettings_ = !settingsSeen_ &&
                                  SameName(Trim(trimmed.substr(1, close - 1)), kSettingsSection);
                    settingsSeen_ = settingsSeen_ || inSettings_;
                    return true;
                }
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
        const std::size_t equals = line.find('=');
        if (line.front() == ';' || equals == std::string_view::npos) {
            return false;
        }
        for (const char* key : kSettingKeys) {
            if (SameName(Trim(line.substr(0, equals)), key)) {
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
    using ini_text::SameName;
    using ini_text::Trim;
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.size() >= 2 && line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                if (sectionSeen) {
                    return {};  // only the first section of the name counts
                }
                inSection = SameName(Trim(line.substr(1, close - 1)), section);
                sectionSeen = inSection;
                continue;
            }
        }
        const std::size_t equals = line.find('=');
        if (!inSection || line.empty() || line.front() == ';' || equals == std::string_view::npos ||
            !SameName(Trim(line.substr(0, equals)), key)) {
            continue;
        }
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return {};
}

}  // namespace telepost
