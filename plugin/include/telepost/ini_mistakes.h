// The mistakes a user makes in the INI file's settings' section that the
// plug-in passes over without a word, found in the file's text so that a
// host or the plug-in can name them: a line that gives no key the plug-in
// reads (often a key typed in full-width mode, or with "＝"), a key given
// twice, an item of a domain list the plug-in skips, a second header of the
// section, and a byte order mark that hides the section. Pure code, free of
// Win32 types; compiled in telepost_ini (plugin/ini/ini_mistakes.cpp).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "telepost/domain_list.h"
#include "telepost/ini_file.h"
#include "telepost/ini_text.h"
#include "telepost/utf8.h"

namespace telepost {

// What is wrong with a line.
enum class IniMistakeKind {
    // A UTF-8 byte order mark before the header of the settings' section on
    // the first line: Windows reads the header as no header, and every line of
    // that section is lost.
    ByteOrderMark,
    // A header of the settings' section after the first: only the first
    // section counts, and no line of this one does.
    SectionTwice,
    // A line that gives no key the plug-in reads, no comment (";" or "#")
    // and not blank.
    NotAKey,
    // A key given again in the section: only its first line counts.
    KeyTwice,
    // An item of a domain list that the plug-in skips.
    SkippedDomain,
    // A setting whose value holds no number where GetPrivateProfileIntA
    // reads one (a digit typed in full-width mode, a word): it reads as 0,
    // off.
    NotANumber,
};

// One mistake. Every view points into the text examined.
struct IniMistake {
    IniMistakeKind kind = IniMistakeKind::NotAKey;
    // The line's number, counted from 1 as Notepad counts lines ending in LF
    // or CR LF, and its bytes without its line end (of the first line, without
    // a byte order mark).
    std::size_t line = 0;
    std::string_view text;
    // NotAKey: the key the line looks like once its full-width letters, digits,
    // spaces and "＝" and the other full-width forms domain_list.h knows are
    // read as ASCII, or null when it looks like none. KeyTwice, SkippedDomain:
    // the key. Always one of kSettingKeys and kDomainListKeys.
    const char* key = nullptr;
    // SectionTwice, KeyTwice: the number of the line that counts.
    std::size_t countingLine = 0;
    // SkippedDomain: the item as written in the line, and why it is skipped.
    // NotANumber: the value as written.
    std::string_view item;
    DomainVerdict verdict = DomainVerdict::Kept;
};

// "＝", which the "=" key types in full-width mode.
inline constexpr domain_list::FullWidthForm kFullWidthEquals = {"\x81\x81", "\xEF\xBC\x9D", '='};

// The encoding of a whole INI file's text, told as a domain list's is
// (domain_list::ListEncodingOf): UTF-8 when it is well-formed UTF-8 beyond
// ASCII (a byte order mark is), else code page 932.
domain_list::Encoding IniEncodingOf(std::string_view text);

namespace ini_mistakes {

// Every key the plug-in reads: the settings', then the domain lists'.
inline constexpr std::size_t kKeyCount = kSettingCount + kDomainListKeyCount;

// Whether a setting's value `value` (as ValueOf gives it) gives the number
// its writer meant: empty (read as 0, as no key is), or a number where
// IniInteger reads one, after blanks and one sign.
bool HoldsANumber(std::string_view value);

// The index of the key named `name` (ASCII letter case aside), or kKeyCount.
std::size_t KeyIndex(std::string_view name);

}  // namespace ini_mistakes

// Finds the mistakes in the settings' section of the INI file's text `text`,
// written in `encoding` (IniEncodingOf tells it as the lists are told), in
// the order of their lines: the first out.size() into `out`, and gives how
// many there are in all, so that a caller that shows a few can say how many
// more there are. Comments (";" or "#" first), blank lines and other sections
// are never mentioned, nor a byte order mark before anything but the
// settings' header. The section examined is the one the plug-in reads, the
// first whose header Windows sees; each domain list is examined as the plug-in
// reads it, from the line that counts.
std::size_t FindIniMistakes(std::string_view text, domain_list::Encoding encoding,
                            std::span<IniMistake> out);

}  // namespace telepost
