#include "send/compose_headers.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace telepost {

namespace {

// Reads the header into the cleared buffer and keeps it terminated within
// the buffer, whatever the host wrote; the value's length. `failed` tells
// whether the host failed the read: it gave null and wrote nothing, so that
// the value is unknown.
std::size_t ReadInto(const ComposeWindow& compose, const char* name, char* buffer, int size,
                     bool& failed) {
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    const char* result =
        compose.host.BKA_CompGetSpecifiedHeader(compose.window, name, buffer, size);
    buffer[size - 1] = '\0';
    failed = result == nullptr && buffer[0] == '\0';
    return std::strlen(buffer);
}

}  // namespace

void HeaderValue::Read(const ComposeWindow& compose, const char* name, int firstSize) {
    grown_.reset();
    text_ = first_;
    whole_ = true;
    int size = std::clamp(firstSize, 1, kHeaderSize);
    bool failed = false;
    length_ = ReadInto(compose, name, text_, size, failed);
    while (!failed && length_ == static_cast<std::size_t>(size) - 1) {
        if (length_ > kLongestWholeHeader) {
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
        length_ = ReadInto(compose, name, buffer.get(), size, failed);
        grown_ = std::move(buffer);
        text_ = grown_.get();
    }
    if (failed) {
        whole_ = false;  // whatever the host holds, it was not read
    }
}

void WriteHeader(const ComposeWindow& compose, const char* name, const char* value) {
    compose.host.BKA_CompSetSpecifiedHeader(compose.window, name, value);
}

}  // namespace telepost
