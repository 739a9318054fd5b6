#include "send/host_api.h"

#include <bit>
#include <string>

namespace telepost {

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

// What a debugger is told when the host lacks one of its functions.
constexpr char kMissingFunction[] = "TELEPOST: the host lacks %s; the plug-in does not load\n";
constexpr size_t kLongestName = [] {
    size_t longest = 0;
    for (const Slot& slot : kSlots) {
        size_t length = std::char_traits<char>::length(slot.name);
        longest = length > longest ? length : longest;
    }
    return longest;
}();
constexpr size_t kMissingLineSize = sizeof kMissingFunction + kLongestName;

}  // namespace

int HostApiRecord::Bind() {
    if (HostModule) {
        return 1;
    }
    HMODULE host = GetModuleHandleA(nullptr);
    if (!host) {
        return 0;
    }
    for (const Slot& slot : kSlots) {
        FARPROC address = GetProcAddress(host, slot.name);
        if (!address) {
            // Told to a debugger, the only listener while the load fails.
            char line[kMissingLineSize];
            wsprintfA(line, kMissingFunction, slot.name);
            OutputDebugStringA(line);
            *this = HostApiRecord{};
            return 0;
        }
        slot.store(*this, address);
    }
    HostModule = host;
    return 1;
}

}  // namespace telepost
