// The host binding record: one slot for each of the host's 54 functions, in
// binding order, and the host's module handle, bound once when the library
// is loaded. Every other module reaches the host through it.
#pragma once

#include "host/interface.h"

namespace telepost {

#define TELEPOST_API_SLOT(name, result, params) result(WINAPI* name) params = nullptr;
#define TELEPOST_API_UNUSED_SLOT(name) int(WINAPI * name)(void) = nullptr;

struct HostApiRecord {
    TELEPOST_HOST_FUNCTIONS(TELEPOST_API_SLOT, TELEPOST_API_UNUSED_SLOT)
    HMODULE HostModule = nullptr;  // null while unbound

    // Looks up all 54 functions among the main program's exports, in binding
    // order: 1 when bound (now or before), 0 when the main program or any
    // function is missing; then the record is unbound again.
    int Bind();
};

#undef TELEPOST_API_UNUSED_SLOT
#undef TELEPOST_API_SLOT

// The one process-wide record, read-only once bound.
extern HostApiRecord HostApi;

// How many host functions are bound.
int HostFunctionCount();

}  // namespace telepost
