#include "host/host_api.h"

#include <bit>

namespace telepost {

HostApiRecord HostApi;

namespace {

struct Slot {
    const char* name;
    void (*store)(HostApiRecord&, FARPROC);
};

#define TELEPOST_BINDING(name, ...) \
    {#name, [](HostApiRecord& api, FARPROC f) { api.name = std::bit_cast<decltype(api.name)>(f); }},
#define TELEPOST_UNUSED_BINDING(name) TELEPOST_BINDING(name)
constexpr Slot kSlots[] = {TELEPOST_HOST_FUNCTIONS(TELEPOST_BINDING, TELEPOST_UNUSED_BINDING)};
#undef TELEPOST_UNUSED_BINDING
#undef TELEPOST_BINDING

}  // namespace

int HostApiRecord::Bind() {
    if (HostModule) {
        return 1;
    }
    HostModule = GetModuleHandleA(nullptr);
    if (!HostModule) {
        return 0;
    }
    for (const Slot& slot : kSlots) {
        FARPROC address = GetProcAddress(HostModule, slot.name);
        slot.store(*this, address);
        if (!address) {
            HostModule = nullptr;
            return 0;
        }
    }
    return 1;
}

}  // namespace telepost
