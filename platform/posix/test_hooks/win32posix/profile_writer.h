// For tests: the writer behind the layer's WritePrivateProfileStringA,
// replaced by one of the test's own, as a test of the Windows build puts
// one of its own in a module's imports in place of the system's.
#pragma once

#include <windows.h>

namespace win32posix {

using ProfileWriter = BOOL(WINAPI*)(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// Makes WritePrivateProfileStringA call `writer`, or the layer's own writer
// again for null; gives the writer it called before.
ProfileWriter ReplaceProfileWriter(ProfileWriter writer);

// The layer's own writer, for a replacement to call.
BOOL WINAPI WriteProfileStringOwn(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

}  // namespace win32posix
