// The thread's last error and the system's text for each error the layer
// reports, worded as Windows words it.
#include "last_error.h"

#include <cerrno>
#include <cstring>

namespace win32posix {

namespace {

struct ErrorText {
    DWORD code;
    const char* text;
};
constexpr ErrorText kErrorTexts[] = {
    {kErrorPathNotFound, "The system cannot find the path specified."},
    {kErrorAccessDenied, "Access is denied."},
    {kErrorNotEnoughMemory, "Not enough memory resources are available to process this command."},
    {kErrorWriteFault, "The system cannot write to the specified device."},
    {kErrorDiskFull, "There is not enough space on the disk."},
    {kErrorInsufficientBuffer, "The data area passed to a system call is too small."},
    {kErrorModNotFound, "The specified module could not be found."},
    {kErrorProcNotFound, "The specified procedure could not be found."},
    {kErrorFilenameTooLong, "The filename or extension is too long."},
    {kErrorFileTooLarge, "The file size exceeds the limit allowed and cannot be saved."},
    {kErrorDllInitFailed, "A dynamic link library (DLL) initialization routine failed."},
    {kErrorInvalidWindowHandle, "Invalid window handle."},
};

// How errno's values map to Windows errors; any other is a write fault.
struct ErrnoError {
    int error;
    DWORD code;
};
constexpr ErrnoError kErrnoErrors[] = {
    {EACCES, kErrorAccessDenied}, {EPERM, kErrorAccessDenied},  {EISDIR, kErrorAccessDenied},
    {EROFS, kErrorAccessDenied},  {ENOENT, kErrorPathNotFound}, {ENOTDIR, kErrorPathNotFound},
    {ENOSPC, kErrorDiskFull},     {EDQUOT, kErrorDiskFull},     {EFBIG, kErrorFileTooLarge},
};

thread_local DWORD LastError = 0;
thread_local std::string LastErrorDetail;

}  // namespace

void SetError(DWORD code, std::string detail) {
    LastError = code;
    LastErrorDetail = std::move(detail);
}

void SetFileError(int error) {
    DWORD code = kErrorWriteFault;
    for (const ErrnoError& known : kErrnoErrors) {
        if (known.error == error) {
            code = known.code;
        }
    }
    SetError(code, std::strerror(error));
}

}  // namespace win32posix

using win32posix::LastError;
using win32posix::LastErrorDetail;

DWORD WINAPI GetLastError() {
    return LastError;
}

void WINAPI SetLastError(DWORD code) {
    win32posix::SetError(code);
}

DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                            va_list*) {
    const char* known = nullptr;
    for (const win32posix::ErrorText& error : win32posix::kErrorTexts) {
        if (error.code == messageId) {
            known = error.text;
        }
    }
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !known) {
        win32posix::SetError(win32posix::kErrorMessageNotFound);
        return 0;
    }
    std::string text = known;
    if (messageId == LastError && !LastErrorDetail.empty()) {
        text += " (" + LastErrorDetail + ")";
    }
    text += "\r\n";
    if (!buffer || text.size() >= size) {
        win32posix::SetError(win32posix::kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}
