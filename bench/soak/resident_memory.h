// The process's resident memory, read the way each system reports it.
#pragma once

namespace soak {

// Kibibytes of the process's memory resident in RAM; -1 when unknown.
long ResidentKiB();

}  // namespace soak
