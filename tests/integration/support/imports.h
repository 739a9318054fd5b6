// A function the loaded plug-in imports, replaced in its import table by a
// test's own (the Windows build's way of putting a fault in a system call).
#pragma once

#include <windows.h>

namespace hostsim {

#ifdef _WIN32
// Puts `replacement` in `module`'s slot for `function` of `library`; gives
// what was there, null when it imports no such function by name or the slot
// cannot be written.
void* PutImport(HMODULE module, const char* library, const char* function, void* replacement);
#endif

}  // namespace hostsim
