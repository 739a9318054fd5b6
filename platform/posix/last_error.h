// The thread's last error as the layer's functions set it: the Windows
// numbers of the errors they report, and what went wrong underneath.
#pragma once

#include <windows.h>

#include <string>

namespace win32posix {

inline constexpr DWORD kErrorPathNotFound = 3;
inline constexpr DWORD kErrorAccessDenied = 5;
inline constexpr DWORD kErrorNotEnoughMemory = ERROR_NOT_ENOUGH_MEMORY;
inline constexpr DWORD kErrorWriteFault = 29;
inline constexpr DWORD kErrorDiskFull = ERROR_DISK_FULL;
inline constexpr DWORD kErrorInsufficientBuffer = 122;
inline constexpr DWORD kErrorModNotFound = 126;
inline constexpr DWORD kErrorFilenameTooLong = ERROR_FILENAME_EXCED_RANGE;
inline constexpr DWORD kErrorProcNotFound = 127;
inline constexpr DWORD kErrorFileTooLarge = 223;
inline constexpr DWORD kErrorMessageNotFound = 317;
inline constexpr DWORD kErrorDllInitFailed = 1114;
inline constexpr DWORD kErrorInvalidWindowHandle = 1400;

// Sets the thread's last error. `detail` is what went wrong underneath, in
// the words of the call that failed (dlerror's, say), which FormatMessageA
// adds to the error's own text; empty when there is nothing to add.
void SetError(DWORD code, std::string detail = {});

// The Windows error for a file that could not be opened or written, from
// errno's value, with the system's words for it as the detail.
void SetFileError(int error);

}  // namespace win32posix
