#include "host/settings.h"

#include "host/process_state.h"

#include "convert/sjis.h"
#include "telepost/ini_text.h"

#include <cstring>
#include <string_view>

namespace telepost {

namespace {

constexpr char kIniExtension[] = ".ini";
constexpr int kNumberSize = 32;  // a setting formatted as text

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

void LocateIniFile(HINSTANCE instance) {
    char modulePath[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
    if (length == 0 || length >= sizeof modulePath) {
        IniPath[0] = '\0';  // a cut path would name some other file
        return;
    }
    MakeIniPath(modulePath, IniPath);
}

std::int32_t ReadSetting(const char* key) {
    if (!IniPath[0]) {
        return 0;
    }
    return static_cast<std::int32_t>(GetPrivateProfileIntA(kSettingsSection, key, 0, IniPath));
}

bool WriteSetting(const char* key, std::int32_t value) {
    if (!IniPath[0]) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    char text[kNumberSize];
    wsprintfA(text, "%d", value);
    return WritePrivateProfileStringA(kSettingsSection, key, text, IniPath) != FALSE;
}

void LoadSettings() {
    for (const SettingFlag& setting : kSettingFlags) {
        Settings.*setting.flag = ReadSetting(setting.key);
    }
}

namespace {

// The first bytes of the file at `path`, up to `size`; 0 for a file that
// cannot be read. Only read, never written.
DWORD ReadFileStart(const char* path, char* start, DWORD size) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD length = 0;
    DWORD read = 0;
    while (length < size && ReadFile(file, start + length, size - length, &read, nullptr) &&
           read > 0) {
        length += read;
    }
    CloseHandle(file);
    return length;
}

}  // namespace

void ExamineIniFile() {
    IniNotice = IniNoticeRecord{};
    if (!IniPath[0]) {
        IniNotice.trouble = IniTrouble::NoPath;
        return;
    }
    char start[sizeof kUtf8ByteOrderMark - 1];
    const DWORD length = ReadFileStart(IniPath, start, sizeof start);
    if (IniStartOf(std::string_view(start, length)) == IniStart::ByteOrderMark) {
        IniNotice.trouble = IniTrouble::ByteOrderMark;
    }
}

}  // namespace telepost
