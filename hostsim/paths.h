// Paths as the stand-in host takes them from the command line and hands them
// to the system: strings in the system's narrow encoding (the ANSI code page
// on Windows, bytes as they are elsewhere), shown on the terminal as UTF-8.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace hostsim {

// The narrow path as the file system library takes it, whatever characters it holds.
std::filesystem::path FsPath(const std::string& path);
// The file system library's path as a narrow one; empty when the narrow
// encoding cannot hold it.
std::string NarrowPath(const std::filesystem::path& path);
// A narrow text of the system's, a path or the system's words for an error,
// as the terminal shows it: UTF-8.
std::string ForTerminal(const std::string& text);
std::string ForTerminal(const std::filesystem::path& path);

// What a path names.
enum class FileKind {
    Missing,
    Regular,  // a file on disk
    Folder,
    Other,       // a FIFO, a socket or a device: never read, it may not end
    DeviceName,  // a name Windows keeps for a device, such as nul.txt or aux
};
// Looks without reading, and on Windows without opening a path whose name
// is a device's.
FileKind KindOf(const std::string& path);
// The device `path` names by a name Windows keeps for devices in every
// folder and with any extension ("NUL" for C:\notes\nul.txt); empty for
// any other path, and always elsewhere.
std::string DeviceNamed(const std::string& path);
// Why `path`, of kind `kind`, cannot be read as a regular file, e.g. "is a
// folder, not a message file" with `what` "a message file".
std::string NotAFile(const std::string& path, FileKind kind, const char* what);

// Opens `path` for reading in binary when it is a regular file on disk,
// looked at before it is opened and again once it is open (it may have been
// replaced in between). Null, with the reason, otherwise: why it is no
// regular file, or "cannot be read: " and the system's reason.
std::FILE* OpenRegularFile(const std::string& path, const char* what, std::string* error);

}  // namespace hostsim
