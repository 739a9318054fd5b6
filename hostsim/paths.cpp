#include "paths.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "codec.h"

namespace hostsim {

namespace fs = std::filesystem;

#ifdef _WIN32

// The library would read a narrow path in the C runtime's locale, not in
// the ANSI code page the system's narrow functions use.
fs::path FsPath(const std::string& path) {
    int length =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return fs::path(wide);
}

std::string NarrowPath(const fs::path& path) {
    const std::wstring& wide = path.native();
    BOOL lost = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                     0, nullptr, &lost);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(),
                        length, nullptr, &lost);
    return lost ? std::string() : narrow;
}

std::string ForTerminal(const std::string& text) {
    std::string utf8;
    return Cp932ToUtf8(text, &utf8) ? utf8 : text;
}

#else

fs::path FsPath(const std::string& path) {
    return fs::path(path);
}

std::string NarrowPath(const fs::path& path) {
    return path.native();
}

std::string ForTerminal(const std::string& text) {
    return text;  // the system's bytes, UTF-8 like the terminal's
}

#endif

std::string ForTerminal(const fs::path& path) {
    std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

#ifdef _WIN32

namespace {

constexpr wchar_t kDeviceSpace[] = L"\\\\.\\";  // \\.\NUL, \\.\pipe\name
constexpr wchar_t kLiteralSpace[] = L"\\\\?\\";

bool StartsWith(const std::wstring& text, const wchar_t* start) {
    return text.rfind(start, 0) == 0;
}

// What an open file on disk is; anything else (a pipe, a console, a
// device, and under Wine a FIFO or a link to one of the system's devices)
// is Other.
FileKind KindOfOpen(HANDLE file) {
    if (GetFileType(file) != FILE_TYPE_DISK) {
        return FileKind::Other;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    return GetFileInformationByHandle(file, &information) &&
                   (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
               ? FileKind::Folder
               : FileKind::Regular;
}

}  // namespace

std::string DeviceNamed(const std::string& path) {
    const std::wstring wide = FsPath(path).native();
    // A path in the devices' space names its device outright, and one taken
    // literally names no device: both are opened to be looked at.
    if (wide.empty() || StartsWith(wide, kDeviceSpace) || StartsWith(wide, kLiteralSpace)) {
        return {};
    }
    // The system's own reading of the path says whether its name is a
    // device's: C:\notes\aux.txt becomes \\.\aux.
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    size = size ? GetFullPathNameW(wide.c_str(), size, full.data(), nullptr) : 0;
    full.resize(size);
    if (!StartsWith(full, kDeviceSpace)) {
        return {};
    }
    std::string device = NarrowPath(fs::path(full.substr(std::size(kDeviceSpace) - 1)));
    for (char& c : device) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return device.empty() ? "?" : device;
}

FileKind KindOf(const std::string& path) {
    if (!DeviceNamed(path).empty()) {
        return FileKind::DeviceName;
    }
    // Opened to look at its attributes only, which neither reads a device
    // nor waits for a pipe's other end.
    HANDLE file = CreateFileW(FsPath(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // There, but not to be opened even so (another's file, say): its
        // attributes tell a folder; reading it tells why it cannot be read.
        DWORD attributes = GetFileAttributesW(FsPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return FileKind::Missing;
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Folder : FileKind::Regular;
    }
    FileKind kind = KindOfOpen(file);
    CloseHandle(file);
    return kind;
}

#else

namespace {

FileKind KindOfMode(mode_t mode) {
    return S_ISREG(mode) ? FileKind::Regular : S_ISDIR(mode) ? FileKind::Folder : FileKind::Other;
}

}  // namespace

std::string DeviceNamed(const std::string&) {
    return {};  // any name is a file's name here
}

FileKind KindOf(const std::string& path) {
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0) {
        return FileKind::Missing;
    }
    return KindOfMode(status.st_mode);
}

#endif

std::string NotAFile(const std::string& path, FileKind kind, const char* what) {
    switch (kind) {
        case FileKind::Folder:
            return std::string("is a folder, not ") + what;
        case FileKind::DeviceName:
            return "names the device " + DeviceNamed(path) +
                   " (Windows keeps the name for it in every folder, with any extension), not " +
                   what;
        default:
            return std::string("is a FIFO, socket or device, not ") + what;
    }
}

std::FILE* OpenRegularFile(const std::string& path, const char* what, std::string* error) {
    FileKind kind = KindOf(path);
    if (kind != FileKind::Regular && kind != FileKind::Missing) {
        *error = NotAFile(path, kind, what);
        return nullptr;
    }
#ifdef _WIN32
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = std::string("cannot be read: ") + std::strerror(errno);
        return nullptr;
    }
    kind = KindOfOpen(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
    if (kind != FileKind::Regular) {
        std::fclose(file);
        *error = NotAFile(path, kind, what);
        return nullptr;
    }
    return file;
#else
    // Not blocking while it is opened, should a FIFO have taken its place.
    int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        *error = std::string("cannot be read: ") + std::strerror(errno);
        return nullptr;
    }
    struct stat status = {};
    kind = fstat(descriptor, &status) == 0 ? KindOfMode(status.st_mode) : FileKind::Other;
    std::FILE* file = nullptr;
    if (kind == FileKind::Regular &&
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) == 0) {
        file = fdopen(descriptor, "rb");
    }
    if (!file) {
        *error = kind == FileKind::Regular ? std::string("cannot be read: ") + std::strerror(errno)
                                           : NotAFile(path, kind, what);
        close(descriptor);
    }
    return file;
#endif
}

}  // namespace hostsim
