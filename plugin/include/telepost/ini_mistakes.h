// The mistakes a user makes in the INI file that the plug-in passes over
// without a word, found in the file's text so that a host or the plug-in can
// name them: the settings' section missing or its header mistyped, a key the
// plug-in reads written outside that section, and in the section a line that
// gives no key the plug-in reads (often a key typed in full-width mode, with
// "＝" or a full-width space, or a note not begun with ";"), a key given
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
    // No section the plug-in reads, no line that looks like its header
    // (HeaderMistyped), and a key the plug-in reads outside (KeyOutside):
    // every setting is off. Of no line (line 0), and before every other.
    NoSection,
    // No section the plug-in reads, and this line looks like its header
    // (LooksLikeHeader): every setting is off. The lines after it up to the
    // next header are not named.
    HeaderMistyped,
    // A line that gives a key the plug-in reads (as written, or once folded as
    // NotAKey's are) outside the section the plug-in reads: before its header,
    // in a file without it, or in another section.
    KeyOutside,
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
    // A NotAKey line that would give `key` but for full-width spaces (U+3000),
    // which Notepad shows as blanks: the first is at `spot`.
    FullWidthSpace,
    // A NotAKey line that looks meant as a note (IsMeantAsComment).
    NotAComment,
    // A key given again in the section: only its first line counts.
    KeyTwice,
    // An item of a domain list that the plug-in skips.
    SkippedDomain,
    // A setting whose value holds no number where GetPrivateProfileIntA
    // reads one (a digit typed in full-width mode, a word): it reads as 0,
    // off.
    NotANumber,
};

// Where a full-width space stands in a line.
enum class IniSpot {
    None,
    LineStart,     // before anything else
    InKeyName,     // between two words of the key's name
    BeforeEquals,  // after the key's name, before its "="
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
    // read as ASCII, or null when it looks like none. KeyOutside,
    // FullWidthSpace, KeyTwice, SkippedDomain: the key. Always one of
    // kSettingKeys and kDomainListKeys.
    const char* key = nullptr;
    // SectionTwice, KeyTwice: the number of the line that counts. KeyOutside:
    // the number of the header of the other section it is in, or 0 when no
    // header is above it.
    std::size_t countingLine = 0;
    // FullWidthSpace: where the first full-width space is. HeaderMistyped:
    // LineStart when the line begins with one, else None.
    IniSpot spot = IniSpot::None;
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

// Whether the trimmed line `line` looks like the settings' header mistyped:
// once folded to ASCII (the full-width letters, digits, space, "－", "ー",
// "‐", "＿" and the brackets "［］" and "【】"), trimmed, with at most one
// "[" before and one "]" after it, and trimmed again, it is "k-tai", "ktai"
// or "k_tai", ASCII letter case aside. "[ k-tai ]" too, which is a true
// header: a caller asks only where there is none.
bool LooksLikeHeader(std::string_view line, domain_list::Encoding encoding);

// Whether the trimmed line `line`, which gives no key, looks meant as a
// note: it begins with "//", "／／", "；" or "＃", or it holds no "=" nor
// "＝" and begins with a character beyond ASCII (a line of Japanese).
bool IsMeantAsComment(std::string_view line, domain_list::Encoding encoding);

}  // namespace ini_mistakes

// Finds the mistakes in the settings' section of the INI file's text `text`,
// written in `encoding` (IniEncodingOf tells it as the lists are told), in
// the order of their lines: the first out.size() into `out`, and gives how
// many there are in all, so that a caller that shows a few can say how many
// more there are. Comments (";" or "#" first) and blank lines are never
// mentioned, nor a byte order mark before anything but the settings' header;
// of the lines outside the settings' section only those that give a key the
// plug-in reads (KeyOutside) and, in a file without that section, those that
// look like its header (HeaderMistyped), so that an empty file or one of
// other sections only has no mistake. The lines a mistake already accounts
// for are not named again: those after a second header of the section, after
// a header hidden by a byte order mark, or after a line that looks like the
// header. The section examined is the one the plug-in reads, the first whose
// header Windows sees; each domain list is examined as the plug-in reads it,
// from the line that counts. A domain a list holds twice is no mistake: it
// is used, and its second writing harms nothing.
std::size_t FindIniMistakes(std::string_view text, domain_list::Encoding encoding,
                            std::span<IniMistake> out);

}  // namespace telepost
