// Leaving nothing behind when a run is interrupted: while a guard lives, an
// interruption (SIGINT, SIGTERM or SIGHUP; on Windows a console's Ctrl+C,
// Ctrl+Break, close, log-off or shut-down) removes the guarded files and
// their folder, then ends the process as the interruption would have.
#pragma once

#include <filesystem>
#include <vector>

namespace hostsim {

class RemovedOnInterruption {
  public:
    // One guard at a time. `files` are removed before `folder`; a loaded
    // library among them is unloaded first.
    RemovedOnInterruption(std::vector<std::filesystem::path> files, std::filesystem::path folder);
    ~RemovedOnInterruption();
    RemovedOnInterruption(const RemovedOnInterruption&) = delete;
    RemovedOnInterruption& operator=(const RemovedOnInterruption&) = delete;
};

// This process's identifier, and whether the process `id` still runs.
unsigned long ThisProcess();
bool ProcessRuns(unsigned long id);

}  // namespace hostsim
