// What the library does when the platform loader attaches or detaches it.
#pragma once

#include <windows.h>

#include "send/host_api.h"

namespace telepost {

// The entry routine's work: on process attach binds the host's functions
// into `hostApi` and finds the INI file's path (`iniPath`). 1 lets the load go
// on, 0 (only on attach, when a host function is missing) makes it fail.
int EnterLibrary(HINSTANCE instance, DWORD reason, HostApiRecord& hostApi,
                 char (&iniPath)[MAX_PATH]);

}  // namespace telepost
