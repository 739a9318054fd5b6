#include "owner_lock.h"

#include <windows.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace hostsim {

// One byte at the start of the file is locked, by every run on every system:
// Wine keeps a Windows program's lock as a POSIX lock on the same bytes, so
// runs on Linux and under Wine that share a temporary folder see each other's.

#ifdef _WIN32

bool OwnerLock::Lock() {
    OVERLAPPED start = {};
    return LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &start);
}

bool OwnerLock::Create(const std::filesystem::path& path) {
    Release();
    // Shared with no writer and no deleter while it is held, which a sweep's
    // opening asks for: the file is held from the moment it exists.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    handle_ = file;
    // The lock speaks to runs of another Wine server, which sharing does not.
    if (!Lock() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Release();
        return false;
    }
    return true;
}

bool OwnerLock::TakeOver(const std::filesystem::path& path) {
    Release();
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;  // its owner holds it, or its folder has gone
    }
    handle_ = file;
    if (!Lock()) {
        Release();
        return false;
    }
    return true;
}

void OwnerLock::Release() {
    if (HANDLE file = handle_) {
        handle_ = nullptr;
        CloseHandle(file);  // the lock goes with the handle
    }
}

#else

bool OwnerLock::Lock() {
    // A lock of the open file, not of the process: another run's lock stops
    // it, and so does one this process holds through another opening.
    struct flock range = {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 1;
    return fcntl(descriptor_, F_OFD_SETLK, &range) == 0;
}

bool OwnerLock::Create(const std::filesystem::path& path) {
    Release();
    descriptor_ = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor_ < 0) {
        return false;
    }
    // Still the file named so once locked: a sweep may have taken and
    // removed it between its making and its locking.
    struct stat held = {};
    struct stat named = {};
    if (!Lock() || fstat(descriptor_, &held) != 0 || stat(path.c_str(), &named) != 0 ||
        held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
        Release();
        return false;
    }
    return true;
}

bool OwnerLock::TakeOver(const std::filesystem::path& path) {
    Release();
    descriptor_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor_ < 0) {
        return false;
    }
    if (!Lock()) {
        Release();
        return false;
    }
    return true;
}

void OwnerLock::Release() {
    if (descriptor_ >= 0) {
        int held = descriptor_;
        descriptor_ = -1;
        close(held);  // the lock goes with the descriptor
    }
}

#endif

}  // namespace hostsim
