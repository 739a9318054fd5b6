#include "host/settings.h"

#include "telepost/sjis.h"
#include "telepost/ini_mistakes.h"
#include "telepost/ini_text.h"

#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>

namespace telepost {

namespace {

constexpr char kIniExtension[] = ".ini";
// Appended to the INI file's path to name the file a save writes beside it
// before moving it over the old one.
constexpr char kNewFileSuffix[] = ".new";
constexpr int kNumberSize = 32;  // a setting formatted as text

// The buffers a list of the INI file's sections or lines is read into: the
// first, doubled until the list fits, up to the last.
constexpr DWORD kFirstListSize = 4096;
constexpr DWORD kLargestListSize = 1 << 20;

// FNV-1a, 64 bits.
constexpr std::uint64_t kDigestBasis = 14695981039346656037ull;
constexpr std::uint64_t kDigestPrime = 1099511628211ull;

// Adds `bytes` and the NUL after them to `digest`.
void AddToDigest(std::uint64_t& digest, const char* bytes) {
    for (const char* p = bytes;; ++p) {
        digest = (digest ^ static_cast<unsigned char>(*p)) * kDigestPrime;
        if (*p == '\0') {
            return;
        }
    }
}

// A list the profile functions give (strings each ended by NUL, one more NUL
// at the end), read by `read` into a buffer large enough for all of it; null
// when there is no memory for one, or the list is larger than any buffer
// here. The functions give size - 2 for a list they cut.
template <typename Read>
std::unique_ptr<char[]> ReadWholeList(Read read) {
    for (DWORD size = kFirstListSize; size <= kLargestListSize; size *= 2) {
        std::unique_ptr<char[]> list(new (std::nothrow) char[size]);
        if (!list) {
            return nullptr;
        }
        if (read(list.get(), size) < size - 2) {
            return list;
        }
    }
    return nullptr;
}

// Whether the section's line `line` holds one of the settings: its key, the
// text before its first "=" less the blanks after it, matched as the profile
// functions match names.
bool IsSettingLine(const char* line) {
    const char* equals = std::strchr(line, '=');
    if (!equals) {
        return false;
    }
    std::string_view key(line, static_cast<size_t>(equals - line));
    while (!key.empty() && ini_text::IsBlank(key.back())) {
        key.remove_suffix(1);
    }
    for (const SettingFlag& setting : kSettingFlags) {
        if (ini_text::SameName(key, setting.key)) {
            return true;
        }
    }
    return false;
}

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

bool MakeIniPath(const char* modulePath, char (&iniPath)[MAX_PATH]) {
    // Find where the file name starts, stepping over double-byte characters.
    const char* fileName = modulePath;
    const char* p = modulePath;
    while (*p) {
        if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) {
            p += 2;
            continue;
        }
        if (IsPathSeparator(*p)) {
            fileName = p + 1;
        }
        ++p;
    }
    const char* dot = std::strrchr(fileName, '.');  // '.' is never a trail byte
    size_t stem = static_cast<size_t>((dot ? dot : p) - modulePath);
    if (stem + sizeof kIniExtension > sizeof iniPath) {
        iniPath[0] = '\0';
        return false;
    }
    std::memcpy(iniPath, modulePath, stem);
    std::memcpy(iniPath + stem, kIniExtension, sizeof kIniExtension);
    return true;
}

void LocateIniFile(HINSTANCE instance, char (&iniPath)[MAX_PATH]) {
    char modulePath[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
    if (length == 0 || length >= sizeof modulePath) {
        iniPath[0] = '\0';  // a cut path would name some other file
        return;
    }
    MakeIniPath(modulePath, iniPath);
}

namespace {

// The INI file's bytes when its settings are read from them (ListsReadFromBytes:
// a file in UTF-8 beyond ASCII, which the profile functions read through the
// ANSI code page and may misread); false for any other file, which the
// profile functions read. Every key of such a file is read from its bytes, so
// that the settings and the lists come from one reading, alike on every
// system.
bool SettingsReadFromBytes(const char* iniPath, IniBytesRecord& ini) {
    if (!ReadIniBytes(iniPath, ini) || !ListsReadFromBytes(ini.Text())) {
        ini = IniBytesRecord{};
        return false;
    }
    return true;
}

}  // namespace

std::int32_t ReadSetting(const char* iniPath, const char* key) {
    if (!iniPath[0]) {
        return 0;
    }
    IniBytesRecord ini;
    if (SettingsReadFromBytes(iniPath, ini)) {
        return FindIniSetting(ini.Text(), key);
    }
    return static_cast<std::int32_t>(GetPrivateProfileIntA(kSettingsSection, key, 0, iniPath));
}

bool WriteSetting(const char* iniPath, const char* key, std::int32_t value) {
    if (!iniPath[0]) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    char text[kNumberSize];
    wsprintfA(text, "%d", value);
    return WritePrivateProfileStringA(kSettingsSection, key, text, iniPath) != FALSE;
}

bool WriteSettingsIntoBytes(const char* iniPath, const IniBytesRecord& ini,
                            std::span<const IniSettingValue> settings) {
    const std::size_t size = ini.Text().size() + kIniWriteRoom;
    const std::unique_ptr<char[]> text(new (std::nothrow) char[size]);
    std::size_t length = 0;
    // A buffer of this size always holds the text written: only memory can lack.
    if (!text || WriteIniSettings(ini.Text(), settings, std::span<char>(text.get(), size),
                                  length) != IniWrite::Written) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return ReplaceIniFile(iniPath, std::string_view(text.get(), length));
}

bool SettingStored(const char* iniPath, const char* key, std::int32_t value) {
    if (!iniPath[0]) {
        return false;
    }
    char written[kNumberSize];
    wsprintfA(written, "%d", value);
    // All three null: the documented flush, after which the next read comes
    // from the disk; it reports FALSE whatever happens.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath);
    IniBytesRecord ini;
    if (SettingsReadFromBytes(iniPath, ini)) {
        return FindIniValue(ini.Text(), kSettingsSection, key) == written;
    }
    char stored[kNumberSize] = {};
    GetPrivateProfileStringA(kSettingsSection, key, "", stored, sizeof stored, iniPath);
    return std::strcmp(stored, written) == 0;
}

bool OtherContentsDigest(const char* iniPath, std::uint64_t& digest) {
    if (!iniPath[0]) {
        return false;
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath);  // read from the disk
    const std::unique_ptr<char[]> names = ReadWholeList([iniPath](char* list, DWORD size) {
        return GetPrivateProfileSectionNamesA(list, size, iniPath);
    });
    if (!names) {
        return false;
    }
    digest = kDigestBasis;
    for (const char* name = names.get(); *name; name += std::strlen(name) + 1) {
        const std::unique_ptr<char[]> lines =
            ReadWholeList([iniPath, name](char* list, DWORD size) {
                return GetPrivateProfileSectionA(name, list, size, iniPath);
            });
        if (!lines) {
            return false;
        }
        // The settings' section counts by its other lines only: a save may
        // add it to the file.
        const bool settings = ini_text::SameName(name, kSettingsSection);
        if (!settings) {
            AddToDigest(digest, name);
        }
        for (const char* line = lines.get(); *line; line += std::strlen(line) + 1) {
            if (!(settings && IsSettingLine(line))) {
                AddToDigest(digest, line);
            }
        }
        if (!settings) {
            AddToDigest(digest, "");  // the section's end
        }
    }
    return true;
}

void LoadSettings(const char* iniPath, SettingsRecord& settings) {
    IniBytesRecord ini;
    const bool fromBytes = iniPath[0] && SettingsReadFromBytes(iniPath, ini);
    for (const SettingFlag& setting : kSettingFlags) {
        settings.*setting.flag =
            fromBytes ? FindIniSetting(ini.Text(), setting.key) : ReadSetting(iniPath, setting.key);
    }
}

namespace {

// Replaces the file at `path` with `text`, on the disk when it returns:
// false, with the thread's last error, when any step fails.
bool WriteWholeFile(const char* path, std::string_view text) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool written = true;
    for (std::size_t at = 0; written && at < text.size();) {
        DWORD wrote = 0;
        written = WriteFile(file, text.data() + at, static_cast<DWORD>(text.size() - at), &wrote,
                            nullptr) &&
                  wrote > 0;
        at += wrote;
    }
    written = written && FlushFileBuffers(file);
    const DWORD error = written ? ERROR_SUCCESS : GetLastError();
    const bool closed = CloseHandle(file);
    if (!written) {
        SetLastError(error);
    }
    return closed && written;
}

}  // namespace

bool ReplaceIniFile(const char* iniPath, std::string_view text) {
    char beside[MAX_PATH];
    const std::size_t length = std::strlen(iniPath);
    if (!iniPath[0] || length + sizeof kNewFileSuffix > sizeof beside) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::memcpy(beside, iniPath, length);
    std::memcpy(beside + length, kNewFileSuffix, sizeof kNewFileSuffix);
    if (!WriteWholeFile(beside, text)) {
        const DWORD error = GetLastError();
        DeleteFileA(beside);
        SetLastError(error);
        return false;
    }
    if (!MoveFileExA(beside, iniPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(beside);
        SetLastError(error);
        return false;
    }
    return true;
}

bool SectionHiddenByByteOrderMark(std::string_view text) {
    IniMistake first[1];
    return FindIniMistakes(text, IniEncodingOf(text), first) > 0 &&
           first[0].kind == IniMistakeKind::ByteOrderMark;
}

bool KeepIniBytes(const char* iniPath, IniBytesRecord& copy) {
    if (!ReadIniBytes(iniPath, copy) || !ListsReadFromBytes(copy.Text())) {
        copy = IniBytesRecord{};
        return false;
    }
    return true;
}

IniBytesCheck CheckIniBytes(const char* iniPath, const IniBytesRecord& copy) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath);  // to the disk
    const std::unique_ptr<char[]> bytes(new (std::nothrow) char[kIniTextSize]);
    DWORD length = 0;
    if (bytes && ReadFileBytes(iniPath, bytes.get(), kIniTextSize, length) &&
        OtherLinesKept(copy.Text(), std::string_view(bytes.get(), length))) {
        return IniBytesCheck::Kept;
    }
    return PutBackIniBytes(iniPath, copy);
}

IniBytesCheck PutBackIniBytes(const char* iniPath, const IniBytesRecord& copy) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath);  // nothing cached to write
    const std::unique_ptr<char[]> bytes(new (std::nothrow) char[kIniTextSize]);
    DWORD length = 0;
    const bool putBack = WriteWholeFile(iniPath, copy.Text()) && bytes &&
                         ReadFileBytes(iniPath, bytes.get(), kIniTextSize, length) &&
                         std::string_view(bytes.get(), length) == copy.Text();
    return putBack ? IniBytesCheck::PutBack : IniBytesCheck::NotPutBack;
}

}  // namespace telepost
