// Private-profile (INI) files for Linux builds, with Windows' behaviour:
// section and key names match without regard to ASCII case, values are
// trimmed and lose the quotes around them, integers are read as Windows
// reads them, a write creates the file, section or key it needs and keeps every
// other line of the file as it was, byte for byte. A write replaces the file
// whole or not at all: a full disk or a failing device leaves it as it was.
//
// A file is read as Windows reads it: one that starts with FF FE is UTF-16
// LE, any other is in the ANSI code page (932), turned into UTF-16 whole
// before it is split into lines (see ansi_text.h: a lead byte takes the byte
// after it, so a line whose last byte is one, as a UTF-8 "）" (EF BC 89)
// ends in, runs on into the next line, and a section header there is lost).
// Names and values go back to the callers in code page 932 (a UTF-8
// full-width character as "・・"). A write leaves a UTF-16 file in UTF-16,
// its own lines in it too.
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ansi_text.h"
#include "win32posix/profile_writer.h"
#include "last_error.h"

namespace {

using win32posix::AnsiToWide;
using win32posix::WideToAnsi;

// A line keeps its end, CR LF, LF or none for a last line without one, so
// that a write gives back every line it does not change as it was; the end
// counts as a blank, as do the blanks Windows trims: space, tab, vertical
// tab, form feed and Ctrl+Z.
constexpr std::u16string_view kBlanks = u" \t\v\f\x1A\r\n";
constexpr std::u16string_view kLineEndUnits = u"\r\n";
constexpr char kLineEnd[] = "\r\n";  // of a line the layer writes

// The mark that starts a file in UTF-16 LE.
constexpr std::string_view kUtf16Mark("\xFF\xFE", 2);
constexpr size_t kUtf16UnitBytes = 2;

std::u16string_view Trim(std::u16string_view text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char16_t LowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Names match without regard to the case of ASCII letters only, as on
// Windows: "Ｋ" is not "ｋ".
bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// A line as it is parsed: up to a NUL, where Windows stops reading it.
std::u16string_view Content(std::u16string_view line) {
    return line.substr(0, line.find(u'\0'));
}

// "[name]" gives name; any other line gives nothing.
std::optional<std::u16string_view> SectionName(std::u16string_view line) {
    line = Trim(Content(line));
    if (line.size() < 2 || line.front() != u'[') {
        return std::nullopt;
    }
    size_t close = line.find(u']');
    if (close == std::u16string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

// "key=value" gives key; comments and lines without "=" give nothing.
std::optional<std::u16string_view> KeyName(std::u16string_view line) {
    line = Trim(Content(line));
    if (line.empty() || line.front() == u';') {
        return std::nullopt;
    }
    size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(0, equals));
}

// The value after "=", trimmed, and without the quotes when one kind of quote
// ('"' or "'") encloses the whole of it.
std::u16string_view ValueOf(std::u16string_view line) {
    line = Content(line);
    std::u16string_view value = Trim(line.substr(line.find(u'=') + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Characters of a value that an integer is read from: Windows reads the
// value through a buffer of 30 characters with the terminator.
constexpr size_t kIntegerTextLength = 29;

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 36;  // no digit in any base
}

// The integer at the start of `text` as Windows reads it: leading control
// characters and blanks skipped, one sign, then "0x", "0o" or "0b" (lower
// case only) for base 16, 8 or 2, else base 10; the digits up to the first
// character that is none, counted modulo 2^32 (no saturation on overflow);
// 0 when no digit follows.
UINT ReadInteger(std::string_view text) {
    text = text.substr(0, kIntegerTextLength);
    size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    unsigned base = 10;
    if (text.substr(at, 2) == "0x") {
        base = 16;
    } else if (text.substr(at, 2) == "0o") {
        base = 8;
    } else if (text.substr(at, 2) == "0b") {
        base = 2;
    }
    if (base != 10) {
        at += 2;
    }
    UINT number = 0;
    for (; at < text.size(); ++at) {
        auto digit = static_cast<unsigned>(DigitValue(text[at]));
        if (digit >= base) {
            break;
        }
        number = number * base + digit;  // unsigned: wraps modulo 2^32
    }
    return negative ? 0u - number : number;
}

// Whether `fileName` is a regular file; a folder, a pipe or a device is
// never read as an INI file, so that reading one cannot block.
bool IsRegularFile(const char* fileName) {
    struct stat status {};
    return stat(fileName, &status) == 0 && S_ISREG(status.st_mode);
}

// How a file's text is stored.
enum class Encoding { Ansi, Utf16 };

// A line of the file: its text, with its end, and its bytes in the file.
struct Line {
    std::u16string text;
    std::string bytes;
};

struct Profile {
    Encoding encoding = Encoding::Ansi;
    std::vector<Line> lines;
};

// The file's bytes for text the caller gives in code page 932.
std::string FileBytes(Encoding encoding, std::string_view ansi) {
    if (encoding == Encoding::Ansi) {
        return std::string(ansi);
    }
    std::string bytes;
    for (const char16_t unit : AnsiToWide(ansi)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

Line MakeLine(Encoding encoding, std::string_view ansi) {
    return {AnsiToWide(ansi), FileBytes(encoding, ansi)};
}

// The file's lines, each with its end. A UTF-16 file's odd last byte is a
// unit of its own.
Profile ReadProfile(const char* fileName) {
    Profile profile;
    if (!IsRegularFile(fileName)) {
        return profile;
    }
    std::ifstream in(fileName, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::u16string text;
    std::vector<size_t> ends;  // for each unit, the offset of the byte after it
    size_t start = 0;
    if (bytes.starts_with(kUtf16Mark)) {
        profile.encoding = Encoding::Utf16;
        start = kUtf16Mark.size();
        for (size_t at = start; at < bytes.size(); at += kUtf16UnitBytes) {
            const auto low = static_cast<unsigned char>(bytes[at]);
            const auto high = at + 1 < bytes.size() ? static_cast<unsigned char>(bytes[at + 1]) : 0;
            text.push_back(static_cast<char16_t>(low | high << 8));
            ends.push_back(std::min(at + kUtf16UnitBytes, bytes.size()));
        }
    } else {
        text = AnsiToWide(bytes, &ends);
    }
    for (size_t first = 0, byte = start; first < text.size();) {
        size_t end = text.find(u'\n', first);
        end = end == std::u16string::npos ? text.size() : end + 1;
        const size_t byteEnd = ends[end - 1];
        profile.lines.push_back(
            {text.substr(first, end - first), bytes.substr(byte, byteEnd - byte)});
        first = end;
        byte = byteEnd;
    }
    return profile;
}

std::string FileText(const Profile& profile) {
    std::string text(profile.encoding == Encoding::Utf16 ? kUtf16Mark : std::string_view());
    for (const Line& line : profile.lines) {
        text += line.bytes;
    }
    return text;
}

bool HasWritePermission(const struct stat& status) {
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Whether the file may be written as Windows decides it, with the last
// error set when not. A file without any write permission stands for one
// marked read-only, and a folder without any for one the user may not
// create files in, also for a program run by root, which the system would
// let through.
bool MayWrite(const char* fileName) {
    struct stat status {};
    if (stat(fileName, &status) == 0) {
        if (!S_ISREG(status.st_mode) || !HasWritePermission(status)) {
            win32posix::SetFileError(S_ISDIR(status.st_mode) ? EISDIR : EACCES);
            return false;
        }
        return true;
    }
    const std::string path = fileName;
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    if (stat(folder.c_str(), &status) != 0) {
        win32posix::SetFileError(errno);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        win32posix::SetFileError(ENOTDIR);
        return false;
    }
    if (!HasWritePermission(status)) {
        win32posix::SetFileError(EACCES);
        return false;
    }
    return true;
}

// Writes all of `text` to `fd`; false with errno set when it cannot.
bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes `text` over `fileName` in place: what a folder that takes no new
// file leaves. False with errno set when it cannot.
bool WriteInPlace(const char* fileName, const std::string& text) {
    const int fd = open(fileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, text);
    const int error = errno;
    if (close(fd) != 0 && written) {
        return false;
    }
    errno = error;
    return written;
}

// Replaces the file `fileName` (a link: the file it leads to) with `text`:
// written whole into a new file beside it, with the old file's permissions
// (and owner, for root), and renamed over it once it is on the disk. A write
// that fails leaves the old file as it was and no new file beside it. False,
// with errno set, when it cannot be done.
bool ReplaceFile(const char* fileName, const std::string& text) {
    char resolved[PATH_MAX];
    const std::string target = realpath(fileName, resolved) ? resolved : fileName;
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0; ++attempt) {
        temporary =
            target + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".new";
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            // A folder the user may not create files in, whose file is
            // writable: written in place, as nothing else can be.
            return (errno == EACCES || errno == EPERM) && WriteInPlace(fileName, text);
        }
    }
    bool done = true;
    if (exists) {
        if (geteuid() == 0) {
            // Root gives the file back to its owner where the file system
            // knows owners; elsewhere the new file is as good as the old.
            const int ignored = fchown(fd, old.st_uid, old.st_gid);
            static_cast<void>(ignored);
        }
        done = fchmod(fd, old.st_mode & 07777) == 0;
    }
    done = done && WriteAll(fd, text) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && done) {
        done = false;
        error = errno;
    }
    if (done && rename(temporary.c_str(), target.c_str()) != 0) {
        done = false;
        error = errno;
    }
    if (!done) {
        unlink(temporary.c_str());
    }
    errno = error;
    return done;
}

struct Found {
    size_t sectionLine;  // the "[section]" line
    size_t endLine;      // one past the section's last line
    std::optional<size_t> keyLine;
};

std::optional<Found> Find(const std::vector<Line>& lines, std::u16string_view section,
                          const std::u16string* key) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i].text);
        if (!name || !SameName(*name, section)) {
            continue;
        }
        Found found{i, lines.size(), std::nullopt};
        for (size_t j = i + 1; j < lines.size(); ++j) {
            if (SectionName(lines[j].text)) {
                found.endLine = j;
                break;
            }
            auto keyName = KeyName(lines[j].text);
            if (key && !found.keyLine && keyName && SameName(*keyName, *key)) {
                found.keyLine = j;
            }
        }
        return found;
    }
    return std::nullopt;
}

// Appends `ansi` to `line`, in the file's encoding.
void Append(Line& line, Encoding encoding, std::string_view ansi) {
    const Line more = MakeLine(encoding, ansi);
    line.text += more.text;
    line.bytes += more.bytes;
}

// Gives the line before `at` an end, if it is a last line without one, so
// that a line put at `at` starts a line of its own.
void EndLine(Profile& profile, size_t at) {
    if (at > 0 && profile.lines[at - 1].text.back() != u'\n') {
        Append(profile.lines[at - 1], profile.encoding, kLineEnd);
    }
}

// `line` with its text before its end replaced by `ansi`; its end kept.
Line Replaced(const Line& line, Encoding encoding, std::string_view ansi) {
    const size_t ends = line.text.size() - (line.text.find_last_not_of(kLineEndUnits) + 1);
    const size_t endBytes =
        std::min(line.bytes.size(), encoding == Encoding::Utf16 ? ends * kUtf16UnitBytes : ends);
    Line replaced = MakeLine(encoding, ansi);
    replaced.text += line.text.substr(line.text.size() - ends);
    replaced.bytes += line.bytes.substr(line.bytes.size() - endBytes);
    return replaced;
}

std::optional<std::string> Lookup(const char* section, const char* key, const char* fileName) {
    if (!section || !key || !fileName) {
        return std::nullopt;
    }
    const Profile profile = ReadProfile(fileName);
    const std::u16string keyName = AnsiToWide(key);
    auto found = Find(profile.lines, AnsiToWide(section), &keyName);
    if (!found || !found->keyLine) {
        return std::nullopt;
    }
    return WideToAnsi(ValueOf(profile.lines[*found->keyLine].text));
}

}  // namespace

namespace {

// Copies the strings of `items` into `returned` as a list, each ended by NUL
// and the list by one more, as Windows does: what does not fit is cut, and
// the result is then size - 2. The count of characters copied, the list's
// last NUL left out.
DWORD CopyList(const std::vector<std::string>& items, LPSTR returned, DWORD size) {
    if (!returned || size < 2) {
        if (returned && size == 1) {
            returned[0] = '\0';
        }
        return 0;
    }
    DWORD at = 0;
    for (const std::string& item : items) {
        if (at + item.size() + 2 > size) {
            const DWORD fits = size - 2 - at;
            std::memcpy(returned + at, item.data(), fits);
            returned[size - 2] = '\0';
            returned[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(returned + at, item.data(), item.size());
        at += static_cast<DWORD>(item.size());
        returned[at++] = '\0';
    }
    returned[at] = '\0';
    return at;
}

}  // namespace

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR returned, DWORD size, LPCSTR fileName) {
    std::vector<std::string> names;
    if (fileName) {
        for (const Line& line : ReadProfile(fileName).lines) {
            if (auto name = SectionName(line.text)) {
                names.push_back(WideToAnsi(*name));
            }
        }
    }
    return CopyList(names, returned, size);
}

DWORD WINAPI GetPrivateProfileSectionA(LPCSTR section, LPSTR returned, DWORD size,
                                       LPCSTR fileName) {
    std::vector<std::string> entries;
    if (section && fileName) {
        const Profile profile = ReadProfile(fileName);
        if (auto found = Find(profile.lines, AnsiToWide(section), nullptr)) {
            for (size_t i = found->sectionLine + 1; i < found->endLine; ++i) {
                std::u16string_view line = Trim(Content(profile.lines[i].text));
                if (!line.empty() && line.front() != u';') {
                    entries.push_back(WideToAnsi(line));
                }
            }
        }
    }
    return CopyList(entries, returned, size);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
    auto value = Lookup(section, key, fileName);
    if (!value || value->empty()) {
        return static_cast<UINT>(defaultValue);
    }
    return ReadInteger(*value);  // text that is no number reads as 0
}

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                      LPSTR returned, DWORD size, LPCSTR fileName) {
    if (!returned || size == 0) {
        return 0;
    }
    auto value = Lookup(section, key, fileName);
    std::string text = value ? *value : std::string(defaultValue ? defaultValue : "");
    size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(returned, text.data(), n);
    returned[n] = '\0';
    return static_cast<DWORD>(n);
}

namespace {

std::atomic<win32posix::ProfileWriter> replacedWriter{nullptr};

}  // namespace

win32posix::ProfileWriter win32posix::ReplaceProfileWriter(ProfileWriter writer) {
    return replacedWriter.exchange(writer);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (const win32posix::ProfileWriter writer = replacedWriter.load()) {
        return writer(section, key, value, fileName);
    }
    return win32posix::WriteProfileStringOwn(section, key, value, fileName);
}

BOOL WINAPI win32posix::WriteProfileStringOwn(LPCSTR section, LPCSTR key, LPCSTR value,
                                              LPCSTR fileName) {
    if (!section || !fileName || !*fileName) {
        return FALSE;  // with all three null: the flush of a cache this layer does not keep
    }
    if (!MayWrite(fileName)) {
        return FALSE;
    }
    Profile profile = ReadProfile(fileName);
    std::vector<Line>& lines = profile.lines;
    const Encoding encoding = profile.encoding;
    const std::optional<std::u16string> keyName =
        key ? std::optional<std::u16string>(AnsiToWide(key)) : std::nullopt;
    auto found = Find(lines, AnsiToWide(section), keyName ? &*keyName : nullptr);
    if (!key) {
        // A null key removes the whole section.
        if (found) {
            lines.erase(lines.begin() + static_cast<long>(found->sectionLine),
                        lines.begin() + static_cast<long>(found->endLine));
        }
    } else if (found && found->keyLine) {
        auto at = lines.begin() + static_cast<long>(*found->keyLine);
        if (value) {
            *at = Replaced(*at, encoding, std::string(key) + "=" + value);
        } else {
            lines.erase(at);  // a null value removes the key
        }
    } else if (value) {
        Line entry = MakeLine(encoding, std::string(key) + "=" + value + kLineEnd);
        if (found) {
            // After the section's last non-blank line, so that a blank line
            // before the next section stays where it was.
            size_t at = found->endLine;
            while (at > found->sectionLine + 1 && Trim(lines[at - 1].text).empty()) {
                --at;
            }
            EndLine(profile, at);
            lines.insert(lines.begin() + static_cast<long>(at), std::move(entry));
        } else {
            EndLine(profile, lines.size());
            lines.push_back(MakeLine(encoding, std::string("[") + section + "]" + kLineEnd));
            lines.push_back(std::move(entry));
        }
    } else {
        return TRUE;  // removing what is not there
    }
    if (!ReplaceFile(fileName, FileText(profile))) {
        win32posix::SetFileError(errno);
        return FALSE;
    }
    return TRUE;
}
