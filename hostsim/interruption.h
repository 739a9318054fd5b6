// Leaving nothing behind when a run is interrupted: while a guard lives, an
// interruption (SIGINT, SIGTERM, SIGHUP or SIGPIPE; on Windows a console's
// Ctrl+C, Ctrl+Break, close, log-off or shut-down) removes the guarded files
// and their folder, then ends the process as the interruption would have.
//
// Under Wine, SIGINT reaches a Windows program as Ctrl+C, but SIGTERM and
// SIGHUP end it outright, as kill -9 does, without running any of its code:
// the folder it leaves holds no owner's lock, and the next run removes it.
#pragma once

#include <filesystem>
#include <vector>

#include "owner_lock.h"

namespace hostsim {

class RemovedOnInterruption {
  public:
    // One guard at a time. `files` are removed before `folder`; a loaded
    // library among them is unloaded first, and `lock`, this run's hold on
    // the folder (its file among `files`), is let go before any is removed.
    RemovedOnInterruption(std::vector<std::filesystem::path> files, std::filesystem::path folder,
                          OwnerLock* lock);
    ~RemovedOnInterruption();
    RemovedOnInterruption(const RemovedOnInterruption&) = delete;
    RemovedOnInterruption& operator=(const RemovedOnInterruption&) = delete;
};

// From now on an interruption ends the run with a status that says so, with
// or without a guard. On Windows the console's control events end it with
// STATUS_CONTROL_C_EXIT, as Ctrl+C ends a console program (the status a
// shell under Wine sees as 58), where Wine's own handler would end it with
// 0, the status of a send that went on. Elsewhere the signals end it.
void EndRunOnInterruption();

// Ends the run at once with `status`, after removing what a guard guards as
// an interruption does: for a run that cannot go on (its output has nowhere
// to go), wherever it stands.
[[noreturn]] void EndRunNow(int status);

// This process's identifier, which names its private folders.
unsigned long ThisProcess();

}  // namespace hostsim
