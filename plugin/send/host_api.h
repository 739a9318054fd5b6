// The host binding record: one slot for each of the host's 54 functions, in
// binding order, and the host's module handle, bound once when the library
// is loaded. Every other module reaches the host through it.
#pragma once

#include "telepost/contract.h"

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

// Bytes of the caller's buffer offered to the host with BKA_CompGetText.
inline constexpr int kComposeTextBufferSize = 260;
using ComposeTextBuffer = char[kComposeTextBufferSize];

// The compose window's message text as the host lends it, the one way every
// caller reads it: the host's own string, changed in place and handed back
// with BKA_CompSetText, valid until the caller returns to the host. `buffer`
// is only offered to the host and must live as long as the text is used (the
// host may lend the text in it). Null when the host lends no text: the caller
// then has nothing to work on and hands nothing back.
inline char* BorrowComposeText(const HostApiRecord& host, HWND window, ComposeTextBuffer& buffer) {
    return host.BKA_CompGetText(window, buffer, kComposeTextBufferSize);
}

}  // namespace telepost
