#include "paths.h"

#include <windows.h>

#include <system_error>

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

FileKind KindOf(const std::string& path) {
    std::error_code code;
    fs::file_status status = fs::status(FsPath(path), code);
    if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::none) {
        return FileKind::Missing;
    }
    if (fs::is_regular_file(status)) {
        return FileKind::Regular;
    }
    return fs::is_directory(status) ? FileKind::Folder : FileKind::Other;
}

std::string NotAFile(FileKind kind, const char* what) {
    return kind == FileKind::Folder ? std::string("is a folder, not ") + what
                                    : std::string("is a FIFO, socket or device, not ") + what;
}

}  // namespace hostsim
