#include "host/compose_headers.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace telepost {

namespace {

// Reads the header into the cleared buffer and keeps it terminated within
// the buffer, whatever the host wrote; the value's length.
std::size_t ReadInto(const ComposeWindow& compose, const char* name, char* buffer, int size) {
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    compose.host.BKA_CompGetSpecifiedHeader(compose.window, name, buffer, size);
    buffer[size - 1] = '\0';
    return std::strlen(buffer);
}

}  // namespace

void HeaderValue::Read(const ComposeWindow& compose, const char* name, int firstSize) {
    grown_.reset();
    text_ = first_;
    whole_ = true;
    int size = std::clamp(firstSize, 1, kHeaderSize);
    length_ = ReadInto(compose, name, text_, size);
    while (length_ == static_cast<std::size_t>(size) - 1) {
        if (size >= kLargestHeaderRead) {
            whole_ = false;
            return;
        }
        const int larger = std::min(size, kLargestHeaderRead / 2) * 2;
        const auto bytes = static_cast<std::size_t>(larger);
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[bytes]);
        if (!buffer) {
            whole_ = false;  // carry on with what was read
            return;
        }
        size = larger;
        length_ = ReadInto(compose, name, buffer.get(), size);
        grown_ = std::move(buffer);
        text_ = grown_.get();
    }
}

void WriteHeader(const ComposeWindow& compose, const char* name, const char* value) {
    compose.host.BKA_CompSetSpecifiedHeader(compose.window, name, value);
}

}  // namespace telepost
