// Reading a file whole for Linux builds: the few calls of CreateFileA,
// ReadFile and CloseHandle that open an existing regular file for reading
// and read its bytes.
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "last_error.h"

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
    if (!fileName || access != GENERIC_READ || disposition != OPEN_EXISTING) {
        win32posix::SetFileError(EINVAL);
        return INVALID_HANDLE_VALUE;
    }
    // As on Windows, a folder does not open as a file; nor does a pipe or a
    // device here, whose reading could block.
    const int descriptor = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
    return HandleOf(descriptor);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPVOID) {
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

BOOL WINAPI CloseHandle(HANDLE handle) {
    return close(DescriptorOf(handle)) == 0 ? TRUE : FALSE;
}
