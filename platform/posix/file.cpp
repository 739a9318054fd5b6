// Reading and writing a file whole for Linux builds: the few calls of
// CreateFileA, ReadFile, WriteFile, FlushFileBuffers and CloseHandle that
// open an existing regular file for reading and read its bytes, or create
// one and write them; and MoveFileExA and DeleteFileA, which put a file
// written beside another in its place, or remove it.
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "last_error.h"
#include "win32posix/file_calls.h"

namespace {

// A handle holds the file descriptor plus one, so that none is null.
HANDLE HandleOf(int descriptor) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor) + 1);
}

int DescriptorOf(HANDLE handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1);
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPVOID, DWORD disposition, DWORD,
                          HANDLE) {
    const bool reading = access == GENERIC_READ && disposition == OPEN_EXISTING;
    const bool writing = access == GENERIC_WRITE && disposition == CREATE_ALWAYS;
    if (!fileName || !(reading || writing)) {
        win32posix::SetFileError(EINVAL);
        return INVALID_HANDLE_VALUE;
    }
    // As on Windows, a folder does not open as a file; nor does a pipe or a
    // device here, whose reading or writing could block. A file is emptied
    // for writing only once it is known to be a regular one.
    const int descriptor = reading
                               ? open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                               : open(fileName, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        win32posix::SetFileError(errno);
        return INVALID_HANDLE_VALUE;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        win32posix::SetFileError(S_ISDIR(status.st_mode) ? EISDIR : EACCES);
        return INVALID_HANDLE_VALUE;
    }
    if (writing && ftruncate(descriptor, 0) != 0) {
        const int error = errno;
        close(descriptor);
        win32posix::SetFileError(error);
        return INVALID_HANDLE_VALUE;
    }
    return HandleOf(descriptor);
}

namespace {

// The layer's own calls, which the exported ones make unless a test put
// its own in their place (win32posix/file_calls.h).
BOOL WINAPI OwnReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPVOID) {
    if (read) {
        *read = 0;
    }
    ssize_t got = 0;
    do {
        got = ::read(DescriptorOf(file), buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        win32posix::SetFileError(errno);
        return FALSE;
    }
    if (read) {
        *read = static_cast<DWORD>(got);
    }
    return TRUE;
}

BOOL WINAPI OwnWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID) {
    if (written) {
        *written = 0;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < size) {
        const ssize_t put = ::write(DescriptorOf(file), bytes + done, size - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            win32posix::SetFileError(put < 0 ? errno : EIO);
            if (written) {
                *written = done;
            }
            return FALSE;
        }
        done += static_cast<DWORD>(put);
    }
    if (written) {
        *written = done;
    }
    return TRUE;
}

BOOL WINAPI OwnCloseHandle(HANDLE handle) {
    return close(DescriptorOf(handle)) == 0 ? TRUE : FALSE;
}

BOOL WINAPI OwnFlushFileBuffers(HANDLE file) {
    if (fsync(DescriptorOf(file)) != 0) {
        win32posix::SetFileError(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI OwnMoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
    struct stat status {};
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(newName, &status) == 0) {
        win32posix::SetFileError(EEXIST);
        return FALSE;
    }
    if (std::rename(existing, newName) != 0) {
        win32posix::SetFileError(errno);
        return FALSE;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        // The new name reaches the disk with the folder that holds it.
        std::string folder(newName);
        const std::size_t slash = folder.find_last_of('/');
        folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
        const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor >= 0) {
            fsync(descriptor);
            close(descriptor);
        }
    }
    return TRUE;
}

std::atomic<decltype(win32posix::FileCalls::readFile)> replacedRead{nullptr};
std::atomic<decltype(win32posix::FileCalls::writeFile)> replacedWrite{nullptr};
std::atomic<decltype(win32posix::FileCalls::flushFileBuffers)> replacedFlush{nullptr};
std::atomic<decltype(win32posix::FileCalls::moveFileExA)> replacedMove{nullptr};
std::atomic<decltype(win32posix::FileCalls::closeHandle)> replacedClose{nullptr};

}  // namespace

win32posix::FileCalls win32posix::ReplaceFileCalls(const FileCalls& calls) {
    FileCalls was;
    was.readFile = replacedRead.exchange(calls.readFile);
    was.writeFile = replacedWrite.exchange(calls.writeFile);
    was.flushFileBuffers = replacedFlush.exchange(calls.flushFileBuffers);
    was.moveFileExA = replacedMove.exchange(calls.moveFileExA);
    was.closeHandle = replacedClose.exchange(calls.closeHandle);
    return was;
}

win32posix::FileCalls win32posix::OwnFileCalls() {
    FileCalls own;
    own.readFile = OwnReadFile;
    own.writeFile = OwnWriteFile;
    own.flushFileBuffers = OwnFlushFileBuffers;
    own.moveFileExA = OwnMoveFileExA;
    own.closeHandle = OwnCloseHandle;
    return own;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPVOID overlapped) {
    const auto call = replacedRead.load();
    return (call ? call : OwnReadFile)(file, buffer, size, read, overlapped);
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID overlapped) {
    const auto call = replacedWrite.load();
    return (call ? call : OwnWriteFile)(file, buffer, size, written, overlapped);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    const auto call = replacedClose.load();
    return (call ? call : OwnCloseHandle)(handle);
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
    const auto call = replacedFlush.load();
    return (call ? call : OwnFlushFileBuffers)(file);
}

BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
    const auto call = replacedMove.load();
    return (call ? call : OwnMoveFileExA)(existing, newName, flags);
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
    struct stat status {};
    if (!fileName || stat(fileName, &status) != 0) {
        win32posix::SetFileError(fileName ? errno : EINVAL);
        return INVALID_FILE_ATTRIBUTES;
    }
    return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
    struct stat status {};
    if (lstat(fileName, &status) == 0 && S_ISDIR(status.st_mode)) {
        win32posix::SetFileError(EACCES);  // as Windows refuses a folder
        return FALSE;
    }
    if (unlink(fileName) != 0) {
        win32posix::SetFileError(errno);
        return FALSE;
    }
    return TRUE;
}
