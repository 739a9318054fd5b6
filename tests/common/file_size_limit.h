// A limit on the size of the files this process writes, while it lives: a
// write past it fails as on a full disk, and for root as for any user.
// Linux only: Windows has no such limit.
#pragma once

#ifndef _WIN32

#include <sys/resource.h>

#include <csignal>
#include <cstddef>

namespace telepost_tests {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::size_t bytes) {
        // Without the signal, a write past the limit fails with EFBIG
        // instead of ending the process.
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &before_) != 0) {
            return;
        }
        rlimit limited = before_;
        limited.rlim_cur = bytes;
        set_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        if (set_) {
            setrlimit(RLIMIT_FSIZE, &before_);
        }
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Set() const { return set_; }

  private:
    rlimit before_{};
    void (*handler_)(int) = SIG_DFL;
    bool set_ = false;
};

}  // namespace telepost_tests

#endif
