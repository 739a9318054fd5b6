// Kernel services for Linux builds: modules over dlopen, private-profile INI
// files on disk, and the thread identity the user-interface model keys on.
#pragma once

#include <cstdarg>

#include "types.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// Loads a shared library and runs its DllMain(DLL_PROCESS_ATTACH); a DllMain
// that returns 0 fails the load, which unloads the library again.
HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
// Runs DllMain(DLL_PROCESS_DETACH) and unloads the library.
BOOL WINAPI FreeLibrary(HMODULE module);
// With a null name: the main program, whose exported functions GetProcAddress finds.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
// The full path of a module loaded by LoadLibraryA, or of the main program for null.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
BOOL WINAPI DisableThreadLibraryCalls(HMODULE module);
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);

#define ERROR_SUCCESS 0
// The error codes the plug-in sets itself.
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_FILENAME_EXCED_RANGE 206
// The errors of a full disk, which the plug-in tells apart.
#define ERROR_HANDLE_DISK_FULL 39
#define ERROR_DISK_FULL 112
// Errors of a file call, as the tests make one fail.
#define ERROR_ACCESS_DENIED 5
#define ERROR_WRITE_FAULT 29
// What a program tells a debugger; here it goes to standard error, as is.
void WINAPI OutputDebugStringA(LPCSTR text);
DWORD WINAPI GetCurrentThreadId();

#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000

// The text of an error this layer reports, from the system's messages only
// (FORMAT_MESSAGE_FROM_SYSTEM, inserts ignored), ended by CR LF as on Windows.
// For the last error of the thread, the text also gives the failure's own
// reason, e.g. dlopen's for a library that did not load or the system's for
// a file that could not be written. 0 for another code or a buffer too small.
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, va_list* arguments);

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                      LPSTR returned, DWORD size, LPCSTR fileName);
// The names of the file's sections, and the lines of one section (blank lines
// and comments left out), each ended by NUL and the list by one more; cut
// to fit as Windows cuts them, the result then size - 2.
DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR returned, DWORD size, LPCSTR fileName);
DWORD WINAPI GetPrivateProfileSectionA(LPCSTR section, LPSTR returned, DWORD size, LPCSTR fileName);
// FALSE, with the last error set as Windows sets it, when the file cannot be
// written: ERROR_ACCESS_DENIED for a read-only file (one without any write
// permission, whoever runs the program), a folder or other file that is not
// a regular one in its place, or a folder without any write permission to
// create it in; ERROR_PATH_NOT_FOUND for a folder that does not exist;
// ERROR_DISK_FULL for a full disk or quota, ERROR_FILE_TOO_LARGE past the
// process's file size limit, ERROR_WRITE_FAULT for any other failure of the
// write. The file is replaced whole or not at all: a write that fails leaves
// it byte for byte as it was. Only regular files are read: anything else
// reads as no file. All three of section, key and value null (the flush of
// Windows' cache) does nothing and gives FALSE, as under Wine.
BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

#define GENERIC_READ 0x80000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define GENERIC_WRITE 0x40000000u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))

// Opens an existing regular file for reading (GENERIC_READ, OPEN_EXISTING),
// or creates a regular file for writing, emptying one that exists
// (GENERIC_WRITE, CREATE_ALWAYS); no other kind of call. The sharing,
// security, attributes and template are not looked at.
// INVALID_HANDLE_VALUE, with the last error set, for a file that does not
// exist or cannot be read or written, a folder, a pipe or a device.
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD share, LPVOID security,
                          DWORD disposition, DWORD attributes, HANDLE templateFile);
// Reads up to `size` bytes; `*read` gets how many (0 at the end of the file).
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPVOID overlapped);
// Writes the `size` bytes at `buffer`; `*written` gets how many were. FALSE,
// with the last error set, when not all of them could be.
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID overlapped);
BOOL WINAPI CloseHandle(HANDLE handle);
// Makes what was written to `file` reach the disk.
BOOL WINAPI FlushFileBuffers(HANDLE file);

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_WRITE_THROUGH 0x00000008u
// Gives the file `existing` the name `newName`, in one step: with
// MOVEFILE_REPLACE_EXISTING over a file of that name, which is then either
// the old file or the new one, never a mix; with MOVEFILE_WRITE_THROUGH once
// the new name has reached the disk. Only within one folder's file system.
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);
BOOL WINAPI DeleteFileA(LPCSTR fileName);

#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_NORMAL for anything
// else that exists; INVALID_FILE_ATTRIBUTES, with the last error set, for
// nothing there (ERROR_PATH_NOT_FOUND, as this layer reports a missing file)
// or a path that cannot be looked at.
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);

#define CP_ACP 0
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008

// Code page conversions, over iconv; code pages 932 (and CP_ACP, which is 932
// here, as on the plug-in's users' machines) and CP_UTF8.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                               int wideLength);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR text,
                               int length, LPCSTR defaultChar, BOOL* usedDefault);
// Whether `byte` leads a double-byte character in `codePage`: code page 932
// (or CP_ACP) only; false for any other.
BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE byte);
