// Module resources for Linux builds: a module exports its compiled resource
// file as PosixModuleResources and PosixModuleResourcesSize, and these find
// its resources there as Windows finds them in a DLL.
#pragma once

#include "types.h"

#define RT_DIALOG MAKEINTRESOURCEA(5)

#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define LANG_JAPANESE 0x11
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(primary, sub) \
    (static_cast<WORD>((static_cast<WORD>(sub) << 10) | static_cast<WORD>(primary)))

DECLARE_HANDLE(HRSRC);
using HGLOBAL = HANDLE;

// The resource in exactly `language`, or in any language for 0; null when
// the module has none.
HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL data);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
