// The 54 functions the host exports to plug-ins. The five the plug-in calls
// serve the current host; the others answer 0.
#include <type_traits>

#include "host.h"

using hostsim::Host;

extern "C" {

#define HOSTSIM_UNUSED_FUNCTION(name) \
    int WINAPI name(void) {           \
        return 0;                     \
    }
#define HOSTSIM_CALLED_FUNCTION(name, result, params)
TELEPOST_HOST_FUNCTIONS(HOSTSIM_CALLED_FUNCTION, HOSTSIM_UNUSED_FUNCTION)
#undef HOSTSIM_CALLED_FUNCTION
#undef HOSTSIM_UNUSED_FUNCTION

int WINAPI BKA_RegisterCommand(LPCSTR description, int windowKind,
                               telepost::CommandHandler handler) {
    return Host::Current().RegisterCommand(description, windowKind, handler);
}

LPSTR WINAPI BKA_CompGetText(HWND window, LPSTR buffer, int size) {
    return Host::Current().CompGetText(window, buffer, size);
}

int WINAPI BKA_CompSetText(HWND window, int flags, LPCSTR text) {
    return Host::Current().CompSetText(window, flags, text);
}

LPSTR WINAPI BKA_CompGetSpecifiedHeader(HWND window, LPCSTR name, LPSTR buffer, int size) {
    return Host::Current().CompGetSpecifiedHeader(window, name, buffer, size);
}

int WINAPI BKA_CompSetSpecifiedHeader(HWND window, LPCSTR name, LPCSTR value) {
    return Host::Current().CompSetSpecifiedHeader(window, name, value);
}

}  // extern "C"

// Each function has exactly the signature the plug-in calls it with.
#define HOSTSIM_CHECK_CALLED(name, result, params) \
    static_assert(std::is_same_v<decltype(&name), result(WINAPI*) params>, #name);
#define HOSTSIM_CHECK_UNUSED(name) \
    static_assert(std::is_same_v<decltype(&name), int(WINAPI*)(void)>, #name);
TELEPOST_HOST_FUNCTIONS(HOSTSIM_CHECK_CALLED, HOSTSIM_CHECK_UNUSED)
#undef HOSTSIM_CHECK_UNUSED
#undef HOSTSIM_CHECK_CALLED
