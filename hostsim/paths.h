// Paths as the stand-in host takes them from the command line and hands them
// to the system: strings in the system's narrow encoding (the ANSI code page
// on Windows, bytes as they are elsewhere), shown on the terminal as UTF-8.
#pragma once

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
    Regular,
    Folder,
    Other,  // a FIFO, a socket or a device: never read, it may not end
};
FileKind KindOf(const std::string& path);
// Why a path that is no regular file cannot be read as one, e.g. "is a
// folder, not a message file" with `what` "a message file".
std::string NotAFile(FileKind kind, const char* what);

}  // namespace hostsim
