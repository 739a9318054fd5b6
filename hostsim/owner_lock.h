// The lock a run holds on a file in its private folder for as long as the
// folder is its own. A run that has gone, however it ended (killed outright,
// or by a signal Wine does not hand to the program), holds none, so another
// run tells a leftover from a live run's folder by the lock alone, whatever
// process identifiers it can see.
#pragma once

#include <filesystem>

namespace hostsim {

class OwnerLock {
  public:
    OwnerLock() = default;
    ~OwnerLock() { Release(); }
    OwnerLock(const OwnerLock&) = delete;
    OwnerLock& operator=(const OwnerLock&) = delete;

    // Creates the file `path`, which must not exist yet, and locks it. False
    // when it exists already, when another run holds it, or when it is gone
    // once locked: then a sweep took the folder for a leftover, and it is not
    // this run's.
    bool Create(const std::filesystem::path& path);
    // Takes the lock of another run's file `path`, creating it when it is
    // missing (a run killed before it made it); false while its owner holds
    // it, or when its folder has gone.
    bool TakeOver(const std::filesystem::path& path);
    // Lets the lock go; the file stays. Safe in a signal handler and in a
    // console's control handler.
    void Release();

  private:
    bool Lock();
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int descriptor_ = -1;
#endif
};

}  // namespace hostsim
