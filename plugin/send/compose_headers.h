// A compose window's header values as the plug-in reads and writes them
// through the host: read whole, however long the host holds them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "send/host_api.h"

namespace telepost {

// A compose window, reached through the host's functions.
struct ComposeWindow {
    const HostApiRecord& host;
    HWND window;
};

// The size of the buffer a header value is read into first, at most; the
// first read of a value that is joined or converted asks for all of it.
constexpr int kHeaderSize = 2048;

// The largest buffer a header value is read into: the longest value read
// whole (kLongestWholeHeader, which the contract tells the host), a byte more
// and the terminator. A value that fills a buffer to its last byte, the
// terminator's, may go on past it, so the largest buffer holds a whole value
// of two bytes less than its size; a longer one is held in part, its first
// kHeaderBytesRead bytes, and never written back.
constexpr int kLargestHeaderRead = static_cast<int>(kLongestWholeHeader) + 2;
static_assert(kHeaderBytesRead == kLargestHeaderRead - 1);

// A header's value, read from the host. The first read asks for `firstSize`
// bytes (at most kHeaderSize) as the carrier rules always have. While the host
// fills the buffer to its last byte, so that the value may have been cut, the
// header is read again into a buffer twice as large, up to
// kLargestHeaderRead bytes. Every buffer reaches the host cleared, so a host
// that writes nothing leaves an empty value, and the value always ends within
// the buffer.
class HeaderValue {
  public:
    // An empty value, not yet read.
    HeaderValue() { first_[0] = '\0'; }
    HeaderValue(const ComposeWindow& compose, const char* name, int firstSize) {
        Read(compose, name, firstSize);
    }
    HeaderValue(const HeaderValue&) = delete;
    HeaderValue& operator=(const HeaderValue&) = delete;

    void Read(const ComposeWindow& compose, const char* name, int firstSize);

    char* Text() { return text_; }
    const char* Text() const { return text_; }
    std::size_t Length() const { return length_; }
    // False when the value may go on past Text(): it is longer than
    // kLongestWholeHeader, no memory could be had for a larger buffer, or
    // the host failed the read (gave null and wrote nothing). A value held
    // in part is never written back to the host.
    bool Whole() const { return whole_; }

  private:
    char first_[kHeaderSize];
    std::unique_ptr<char[]> grown_;
    char* text_ = first_;
    std::size_t length_ = 0;
    bool whole_ = true;
};

// Replaces the header's value in the compose window.
void WriteHeader(const ComposeWindow& compose, const char* name, const char* value);

}  // namespace telepost
