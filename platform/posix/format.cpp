// Text formatting for Linux builds.
#include <windows.h>

#include <cstdarg>
#include <cstdio>

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    // wsprintf writes at most 1024 characters and their terminator.
    constexpr size_t kLimit = 1025;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, kLimit, format, args);
    va_end(args);
    return n < 0 ? 0 : (n < static_cast<int>(kLimit) ? n : static_cast<int>(kLimit) - 1);
}
