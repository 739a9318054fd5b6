#include <windows.h>

#include <psapi.h>

#include "resident_memory.h"

namespace soak {

long ResidentKiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return -1;
    }
    return static_cast<long>(counters.WorkingSetSize / 1024);
}

}  // namespace soak
