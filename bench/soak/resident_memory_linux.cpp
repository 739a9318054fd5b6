#include <unistd.h>

#include <fstream>

#include "resident_memory.h"

namespace soak {

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long totalPages = 0;
    long residentPages = 0;
    if (!(statm >> totalPages >> residentPages)) {
        return -1;
    }
    return residentPages * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace soak
