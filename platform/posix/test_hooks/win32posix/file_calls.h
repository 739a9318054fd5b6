// For tests: the layer's ReadFile, WriteFile, FlushFileBuffers, MoveFileExA
// and CloseHandle replaced by a test's own, as a test of the Windows build
// puts its own in a module's imports in place of the system's.
#pragma once

#include <windows.h>

namespace win32posix {

// The calls; a null member leaves the layer's own in place.
struct FileCalls {
    BOOL(WINAPI* readFile)(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPVOID) = nullptr;
    BOOL(WINAPI* writeFile)
    (HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID) = nullptr;
    BOOL(WINAPI* flushFileBuffers)(HANDLE file) = nullptr;
    BOOL(WINAPI* moveFileExA)(LPCSTR existing, LPCSTR newName, DWORD flags) = nullptr;
    BOOL(WINAPI* closeHandle)(HANDLE handle) = nullptr;
};

// Makes the layer's functions call `calls`' members, or its own again for
// all null; gives the calls in place before.
FileCalls ReplaceFileCalls(const FileCalls& calls);

// The layer's own, for a replacement to call.
FileCalls OwnFileCalls();

}  // namespace win32posix
