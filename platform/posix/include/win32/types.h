// Win32 base types, calling conventions and handles for Linux builds.
#pragma once

#include <cstddef>
#include <cstdint>

// Linux has a single calling convention; the Windows ones vanish.
#define WINAPI
#define CALLBACK
#define APIENTRY
#define WINAPIV

using BOOL = int;
using BYTE = unsigned char;
using WORD = unsigned short;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using HANDLE = void*;
using ATOM = WORD;

#define DECLARE_HANDLE(name) \
    struct name##__;         \
    using name = name##__*
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HHOOK);
DECLARE_HANDLE(HICON);
using HMODULE = HINSTANCE;

using FARPROC = INT_PTR(WINAPI*)();

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#define MAX_PATH 260

#define LOWORD(l) (static_cast<WORD>(static_cast<UINT_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<UINT_PTR>(l) >> 16) & 0xffff))
#define MAKELONG(a, b) \
    (static_cast<LONG>((static_cast<DWORD>(a) & 0xffff) | ((static_cast<DWORD>(b) & 0xffff) << 16)))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((reinterpret_cast<UINT_PTR>(r) >> 16) == 0)

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;

// Windows' wide characters are UTF-16 code units.
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
