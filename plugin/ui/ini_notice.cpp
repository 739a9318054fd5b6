// The notice about the INI file that the plug-in gives once a start: a file
// saved as UTF-8 with a byte order mark on the settings' header, which
// Windows does not see, or as UTF-16 BE, which the plug-in does not read; a
// folder in the file's place, or a file that cannot be read; a file whose
// path the plug-in could not form; or the lines that the plug-in passes over
// (the settings' section missing or its header mistyped, a key of the
// plug-in outside that section, and in it a line that gives no key it
// reads, a key given twice, a domain a list skips), each named with its
// number and what to do. The file itself is never changed.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>

#include "host/system_error.h"
#include "send/ini_bytes.h"
#include "telepost/contract.h"
#include "telepost/ini_mistakes.h"
#include "telepost/sjis.h"
#include "ui/ui.h"

namespace telepost {

namespace {

// The texts (ui/ini_notice_messages.utf8.inc).
#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "ui/ini_notice_messages.inc"
#undef TELEPOST_MESSAGE
static_assert(MAX_PATH - 1 == 259, "kNoPathFix names the longest path");

constexpr UINT kNoticeStyle = MB_OK | MB_ICONEXCLAMATION;

// The mistakes named at most, so that the box fits on a screen, and the bytes
// of a line or an item shown at most, more of it cut and marked kEllipsis.
constexpr std::size_t kShownMistakes = 8;
constexpr std::size_t kShownBytes = 60;
using ShownText = char[kShownBytes + sizeof kEllipsis];
// The longest part a format of this file gives: an explanation with an item
// and a reason in it.
constexpr std::size_t kFormattedSize = 512;

// The notice being written into the record's text: parts added while they
// fit, the text always terminated. kIniNoticeSize holds the longest notice:
// kShownMistakes lines and their explanations, each line and item cut to
// kShownBytes, and the path.
class Notice {
  public:
    explicit Notice(char (&text)[kIniNoticeSize]) : text_(text) { text_[0] = '\0'; }

    void Add(std::string_view part) {
        const std::size_t room = kIniNoticeSize - 1 - length_;
        const std::size_t bytes = part.size() < room ? part.size() : room;
        std::memcpy(text_ + length_, part.data(), bytes);
        length_ += bytes;
        text_[length_] = '\0';
    }
    // `format` (a text of this file) with its arguments, as wsprintfA writes it.
    template <typename... Args>
    void Format(const char* format, Args... args) {
        char part[kFormattedSize];
        wsprintfA(part, format, args...);
        Add(part);
    }

  private:
    char (&text_)[kIniNoticeSize];
    std::size_t length_ = 0;
};

// The notice's bound: a mistake is its line's number and text, then at most
// two formatted parts.
static_assert(sizeof kSkippedDomain + sizeof(ShownText) + sizeof kForeignSeparator + 16 <
              kFormattedSize);
constexpr std::size_t LongestKey() {
    std::size_t longest = 0;
    for (const auto& keys : {std::span<const char* const>(kSettingKeys),
                             std::span<const char* const>(kDomainListKeys)}) {
        for (const char* key : keys) {
            const std::size_t length = std::char_traits<char>::length(key);
            longest = length > longest ? length : longest;
        }
    }
    return longest;
}
static_assert(sizeof kFullWidthSpace + sizeof kAtLineStart + sizeof kInKeyName +
                  sizeof kBeforeEquals + sizeof kHalfWidthSpace + LongestKey() <
              kFormattedSize);
static_assert(sizeof kMistakes + MAX_PATH + sizeof kMore + sizeof kMistakesFix +
                  kShownMistakes * (kFormattedSize * 3 + sizeof(ShownText)) <
              kIniNoticeSize);

// `bytes` of the file, written in `encoding`, as the box shows them: in code
// page 932, cut on a character's edge to kShownBytes, and kEllipsis after a
// cut. A character beyond ASCII counts two bytes, as code page 932 mostly
// writes it.
void Show(std::string_view bytes, domain_list::Encoding encoding, ShownText& shown) {
    const bool utf8 = encoding == domain_list::Encoding::Utf8;
    std::size_t taken = 0;
    std::size_t width = 0;
    while (taken < bytes.size()) {
        const unsigned char byte = static_cast<unsigned char>(bytes[taken]);
        std::size_t step = 1;
        if (utf8) {
            step = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        } else if (IsLeadByte(byte)) {
            step = 2;
        }
        const std::size_t columns = byte < 0x80 ? 1 : 2;
        if (width + columns > kShownBytes || taken + step > bytes.size()) {
            break;
        }
        taken += step;
        width += columns;
    }
    std::size_t length = taken;
    if (utf8) {
        WCHAR wide[kShownBytes];
        const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(taken),
                                              wide, static_cast<int>(kShownBytes));
        const int made = WideCharToMultiByte(kCodePage, 0, wide, units, shown,
                                             static_cast<int>(kShownBytes), nullptr, nullptr);
        length = made > 0 ? static_cast<std::size_t>(made) : 0;
    } else {
        std::memcpy(shown, bytes.data(), taken);
    }
    shown[length] = '\0';
    if (taken < bytes.size()) {
        std::memcpy(shown + length, kEllipsis, sizeof kEllipsis);
    }
}

// Why a domain list skips an item, for each verdict the notice tells (a
// domain listed twice is used, and not told): the text, the bound it names
// (its "%d"), if any, and what to do, if the reason does not say.
struct SkipReason {
    DomainVerdict verdict;
    const char* text;
    int bound;
    const char* fix;
};
constexpr SkipReason kSkipReasons[] = {
    {DomainVerdict::CutOff, kCutOff, 0, nullptr},
    {DomainVerdict::MailAddress, kMailAddress, 0, kMailAddressFix},
    {DomainVerdict::ForeignSeparator, kForeignSeparator, 0, kForeignSeparatorFix},
    {DomainVerdict::NotADomainCharacter, kNotADomainCharacter, 0, nullptr},
    {DomainVerdict::TooLong, kTooLong, kMaxDomainLength, nullptr},
    {DomainVerdict::DotAtAnEnd, kDotAtAnEnd, 0, kDotAtAnEndFix},
    {DomainVerdict::EmptyPart, kEmptyPart, 0, nullptr},
    {DomainVerdict::NoDot, kNoDot, 0, nullptr},
    {DomainVerdict::OverTheCount, kOverTheCount, kMaxAddedDomains, nullptr},
};

// The item `item` and why the list skips it.
void AddSkipped(Notice& notice, const char* item, DomainVerdict verdict) {
    for (const SkipReason& reason : kSkipReasons) {
        if (reason.verdict == verdict) {
            char text[kFormattedSize];
            wsprintfA(text, reason.text, reason.bound);
            notice.Format(kSkippedDomain, item, text);
            notice.Add(reason.fix ? reason.fix : "");
        }
    }
}

// Where a full-width space stands, and what to do with it.
const char* SpotText(IniSpot spot) {
    return spot == IniSpot::LineStart   ? kAtLineStart
           : spot == IniSpot::InKeyName ? kInKeyName
                                        : kBeforeEquals;
}

bool IsDomainListKey(const char* key) {
    for (const char* list : kDomainListKeys) {
        if (list == key) {
            return true;
        }
    }
    return false;
}

// The line of `mistake`, unless the mistake before named it already or it
// is of no line, then why it is not used, each on a line of its own.
void AddMistake(Notice& notice, const IniMistake& mistake, const IniMistake* before,
                domain_list::Encoding encoding) {
    ShownText shown;
    if (mistake.line != 0 && (!before || before->line != mistake.line)) {
        Show(mistake.text, encoding, shown);
        notice.Format(kLineNumber, static_cast<unsigned>(mistake.line));
        notice.Add(shown);
        notice.Add("\n");
    }
    switch (mistake.kind) {
        case IniMistakeKind::NoSection:
            notice.Add(kNoSection);
            break;
        case IniMistakeKind::HeaderMistyped:
            notice.Add(kHeaderMistyped);
            notice.Add(mistake.spot == IniSpot::LineStart ? kHeaderAfterSpace : "");
            break;
        case IniMistakeKind::KeyOutside:
            if (mistake.countingLine != 0) {
                notice.Format(kKeyInOtherSection, mistake.key,
                              static_cast<unsigned>(mistake.countingLine));
            } else {
                notice.Format(kKeyOutside, mistake.key);
            }
            break;
        case IniMistakeKind::NotAKey:
            if (mistake.key) {
                notice.Format(kLooksLikeKey, mistake.key);
            } else {
                notice.Add(kNotAKey);
            }
            break;
        case IniMistakeKind::FullWidthSpace:
            notice.Format(kFullWidthSpace, SpotText(mistake.spot), mistake.key,
                          mistake.spot == IniSpot::InKeyName ? kHalfWidthSpace : kRemoveSpace);
            break;
        case IniMistakeKind::NotAComment:
            notice.Add(kNotAComment);
            break;
        case IniMistakeKind::KeyTwice:
            notice.Format(kKeyTwice, mistake.key, static_cast<unsigned>(mistake.countingLine));
            if (IsDomainListKey(mistake.key)) {
                notice.Format(kListTwice, static_cast<unsigned>(mistake.countingLine));
            }
            break;
        case IniMistakeKind::SectionTwice:
            notice.Format(kSectionTwice, static_cast<unsigned>(mistake.countingLine));
            break;
        case IniMistakeKind::SkippedDomain:
            Show(mistake.item, encoding, shown);
            AddSkipped(notice, shown, mistake.verdict);
            break;
        case IniMistakeKind::NotANumber:
            Show(mistake.item, encoding, shown);
            notice.Format(kNotANumber, shown);
            break;
        case IniMistakeKind::ByteOrderMark:
            break;
    }
    notice.Add("\n");
}

// The file's text as the mistakes are found in: as it is, or for a file in
// UTF-16 (little-endian, with its byte order mark) as the profile functions
// read it, in code page 932, into `converted`. Empty when it cannot be had.
std::string_view ExaminedText(const IniBytesRecord& ini, IniBytesRecord& converted) {
    const std::string_view text = ini.Text();
    if (!text.starts_with(kUtf16ByteOrderMark)) {
        return text;
    }
    const std::size_t units = (text.size() - (sizeof kUtf16ByteOrderMark - 1)) / 2;
    const std::unique_ptr<WCHAR[]> wide(new (std::nothrow) WCHAR[units + 1]);
    converted.bytes.reset(new (std::nothrow) char[units * 2 + 1]);
    if (!wide || !converted.bytes || units == 0) {
        return {};
    }
    for (std::size_t i = 0; i < units; ++i) {
        const std::size_t at = sizeof kUtf16ByteOrderMark - 1 + 2 * i;
        wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[at]) |
                                     static_cast<unsigned char>(text[at + 1]) << 8);
    }
    const int made =
        WideCharToMultiByte(kCodePage, 0, wide.get(), static_cast<int>(units),
                            converted.bytes.get(), static_cast<int>(units * 2), nullptr, nullptr);
    converted.length = made > 0 ? static_cast<DWORD>(made) : 0;
    return converted.Text();
}

}  // namespace

void ExamineIniFile(const char* iniPath, IniNoticeRecord& record) {
    record.told = false;
    Notice notice(record.text);
    if (!iniPath[0]) {
        for (const char* part : {kNoPath, "\n\n", kNoPathFix}) {
            notice.Add(part);
        }
        return;
    }
    IniBytesRecord ini;
    IniBytesRecord converted;
    DWORD error = ERROR_SUCCESS;
    switch (ReadIniFile(iniPath, ini, error)) {
        case IniFileRead::Read:
            break;
        case IniFileRead::Absent:
        case IniFileRead::TooLarge:
            return;  // no file, or one too large to be a settings file a person wrote
        case IniFileRead::Folder:
            for (const char* part : {kIniFolder, "\n\n", iniPath, "\n\n", kIniFolderFix}) {
                notice.Add(part);
            }
            return;
        case IniFileRead::Unreadable: {
            char reason[kSystemErrorTextSize];
            SystemErrorText(error, reason);
            for (const char* part : {kIniUnreadable, "\n\n", iniPath, "\n",
                                     static_cast<const char*>(reason), "\n\n", kIniUnreadableFix}) {
                notice.Add(part);
            }
            return;
        }
    }
    if (IniInUtf16BigEndian(ini.Text())) {
        for (const char* part : {kUtf16BigEndian, "\n\n", iniPath, "\n\n", kUtf16BigEndianFix}) {
            notice.Add(part);
        }
        return;
    }
    const std::string_view text = ExaminedText(ini, converted);
    const domain_list::Encoding encoding =
        text.data() == ini.Text().data() ? IniEncodingOf(text) : domain_list::Encoding::Cp932;
    IniMistake found[kShownMistakes];
    const std::size_t count = FindIniMistakes(text, encoding, found);
    if (count == 0) {
        return;
    }
    if (found[0].kind == IniMistakeKind::ByteOrderMark) {
        // The section is lost whole: nothing else in it matters.
        for (const char* part : std::initializer_list<const char*>{kByteOrderMark, "\n\n", iniPath,
                                                                   "\n\n", kByteOrderMarkFix}) {
            notice.Add(part);
        }
        return;
    }
    for (const char* part : std::initializer_list<const char*>{kMistakes, "\n", iniPath, "\n\n"}) {
        notice.Add(part);
    }
    for (std::size_t i = 0; i < count && i < kShownMistakes; ++i) {
        AddMistake(notice, found[i], i > 0 ? &found[i - 1] : nullptr, encoding);
    }
    if (count > kShownMistakes) {
        notice.Format(kMore, static_cast<unsigned>(count - kShownMistakes));
        notice.Add("\n");
    }
    notice.Add("\n");
    notice.Add(kMistakesFix);
}

void TellIniTrouble(HWND owner, IniNoticeRecord& notice) {
    if (!notice.text[0] || notice.told) {
        return;
    }
    // Told before the box waits for OK: a window opened meanwhile asks nothing
    // again. A box that could not be shown is tried again at the next chance.
    notice.told = true;
    if (MessageBoxA(owner, notice.text, kPluginName, kNoticeStyle) == 0) {
        notice.told = false;
    }
}

}  // namespace telepost
