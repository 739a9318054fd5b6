// What the library does when the platform loader attaches or detaches it.
#pragma once

#include <windows.h>

namespace telepost {

// The entry routine's work: remembers the instance, and on process attach
// binds the host's functions and finds the INI file. 1 lets the load go on,
// 0 (only on attach, when a host function is missing) makes it fail.
int EnterLibrary(HINSTANCE instance, DWORD reason);

}  // namespace telepost
