// The check that stops a fuzz run: a failed one names its file, line and
// condition on stderr before it aborts, so that a finding's report says which
// property broke, not only where the process died.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace telepost::fuzzing {

[[noreturn]] inline void CheckFailed(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

}  // namespace telepost::fuzzing

#define FUZZ_CHECK(condition)           \
    ((condition) ? static_cast<void>(0) \
                 : ::telepost::fuzzing::CheckFailed(__FILE__, __LINE__, #condition))
