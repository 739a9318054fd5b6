// Whole sends through the outgoing inspection, against a host made of the
// fuzzer's bytes: two compose windows with five header values of any bytes
// and lengths (below, at and past every buffer they are read into), bodies
// with lone lead bytes and NULs, the three settings, the user's domain lists,
// the mode, the answer to each warning (or a box that cannot be shown), header
// reads the host fails, and a send of the second window started from inside
// one of the first one's warnings. Checked on every run, besides the
// sanitizers:
// - the result is 0 or -1, and a non-zero mode reads and writes nothing;
// - the body never grows, and only the text lent by the host is handed back;
// - only Subject and From are written, and never one whose reads fail; From
//   is set only to the whole bare address of its value, of at most 255
//   bytes and holding an "@" with something on each side, or back to the
//   value written;
// - a send whose warning cannot be shown is cancelled;
// - after a No or a box that cannot be shown, Subject and From are as
//   written and the body is not handed back.
#include <fuzzer/FuzzedDataProvider.h>

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "recipients/recipients.h"
#include "send/send_rules.h"

namespace {

using telepost::InspectOutgoing;

// This program is the plug-in's host: the records the send rules read.
telepost::HostApiRecord hostApi;
telepost::SettingsRecord settings;
telepost::UserDomainsRecord domains;

enum Header { kTo, kCc, kBcc, kSubject, kFrom, kHeaderCount };
constexpr const char* kNames[kHeaderCount] = {"To", "Cc", "Bcc", "Subject", "From"};

// Lengths a header value is stretched to: around the first reads (260,
// 2048) and the larger ones after them. 0 keeps the bytes as given.
constexpr std::size_t kHeaderLengths[] = {0,    0,    255,  256,  258,  259,  260,  261,
                                          519,  520,  521,  2046, 2047, 2048, 2049, 4095,
                                          4096, 4097, 6146, 8191, 8192, 8193};
// Lengths a body is stretched to: around the carriers' limits.
constexpr std::size_t kBodyLengths[] = {0, 0, 89, 90, 322, 323, 330, 331, 384, 500, 501, 600};

constexpr UINT kWarningStyle = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
constexpr int kLargestFrom = 255;  // bytes of a From the plug-in sets

struct Compose {
    std::string written[kHeaderCount];  // as the user wrote them
    std::string now[kHeaderCount];
    std::vector<char> text;  // the body as the host lends it
    std::size_t bodyLength = 0;
    bool touched = false;  // a header was read or written
    bool textSet = false;
    bool unshown = false;  // a warning's box could not be shown
};

// The state of one run.
struct Run {
    Compose windows[2];
    bool nullBody = false;
    bool terminates = true;  // the host terminates a value it cuts
    int mode = 0;
    std::uint32_t answers = 0;  // bit i set: No to the i-th warning
    std::uint32_t unshown = 0;  // bit i set: the i-th warning's box cannot be shown
    unsigned failing = 0;       // bit h set: the host fails the reads of header h
    int warnings = 0;
    int nestAt = 0;  // the warning that starts the second send; 0: none
    bool nested = false;
};

Run run;

HWND WindowOf(int index) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(index + 1));
}

Compose& ComposeOf(HWND window) {
    const auto index = reinterpret_cast<std::uintptr_t>(window);
    FUZZ_CHECK(index == 1 || index == 2);
    return run.windows[index - 1];
}

int HeaderOf(LPCSTR name) {
    FUZZ_CHECK(name != nullptr);
    for (int i = 0; i < kHeaderCount; ++i) {
        if (std::strcmp(name, kNames[i]) == 0) {
            return i;
        }
    }
    FUZZ_CHECK(false);
    return 0;
}

// The bare address of `from` as the splitter finds it, with room for the
// whole of it.
std::string WholeAddress(const std::string& from) {
    std::vector<char> name(from.size() + 1);
    std::vector<char> address(from.size() + 1);
    telepost::SplitMailbox(name.data(), static_cast<int>(name.size()), address.data(),
                           static_cast<int>(address.size()), from.c_str());
    return address.data();
}

LPSTR WINAPI CompGetText(HWND window, LPSTR, int) {
    Compose& compose = ComposeOf(window);
    return run.nullBody ? nullptr : compose.text.data();
}

int WINAPI CompSetText(HWND window, int, LPCSTR text) {
    Compose& compose = ComposeOf(window);
    FUZZ_CHECK(text == compose.text.data());
    compose.textSet = true;
    return 0;
}

LPSTR WINAPI CompGetSpecifiedHeader(HWND window, LPCSTR name, LPSTR buffer, int size) {
    Compose& compose = ComposeOf(window);
    const int header = HeaderOf(name);
    const std::string& value = compose.now[header];
    compose.touched = true;
    FUZZ_CHECK(buffer != nullptr && size > 0);
    if (run.failing & (1u << header)) {
        return nullptr;  // nothing written
    }
    // The whole buffer is the host's to write: a size larger than the buffer
    // shows at once.
    std::memset(buffer, 0xEE, static_cast<std::size_t>(size));
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    if (value.size() <= room) {
        std::memcpy(buffer, value.c_str(), value.size() + 1);
    } else if (run.terminates) {
        std::memcpy(buffer, value.data(), room);
        buffer[room] = '\0';
    } else {
        std::memcpy(buffer, value.data(), room + 1);  // a host that leaves it unterminated
    }
    return buffer;
}

int WINAPI CompSetSpecifiedHeader(HWND window, LPCSTR name, LPCSTR value) {
    Compose& compose = ComposeOf(window);
    const int header = HeaderOf(name);
    FUZZ_CHECK(value != nullptr);
    FUZZ_CHECK(!(run.failing & (1u << header)));
    compose.touched = true;
    const std::string written = value;
    if (header == kFrom) {
        // An address: "@" with something before and after it, never the
        // comment or the nothing a mailbox without one splits into.
        const size_t at = written.find('@', 1);
        FUZZ_CHECK(written == compose.written[kFrom] ||
                   (written.size() <= kLargestFrom && written == WholeAddress(compose.now[kFrom]) &&
                    at != std::string::npos && at + 1 < written.size()));
    } else {
        FUZZ_CHECK(header == kSubject);
        // Cleared, converted (never longer) or put back.
        FUZZ_CHECK(written.size() <= compose.now[kSubject].size() ||
                   written == compose.written[kSubject]);
    }
    compose.now[header] = written;
    return 0;
}

void Send(int index);

}  // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    Compose& compose = ComposeOf(owner);
    FUZZ_CHECK(text != nullptr && caption != nullptr && style == kWarningStyle);
    const int warning = run.warnings++;
    if (!run.nested && warning + 1 == run.nestAt) {
        run.nested = true;
        Send(1);
    }
    if ((run.unshown >> (warning % 32)) & 1) {
        compose.unshown = true;
        return 0;
    }
    return (run.answers >> (warning % 32)) & 1 ? IDNO : IDYES;
}

namespace {

void Send(int index) {
    Compose& compose = run.windows[index];
    const int result = InspectOutgoing(hostApi, settings, domains, WindowOf(index), run.mode);
    FUZZ_CHECK(result == 0 || result == -1);
    FUZZ_CHECK(std::strlen(compose.text.data()) <= compose.bodyLength);
    if (run.mode != 0 || run.nullBody) {
        FUZZ_CHECK(result == 0 && !compose.touched && !compose.textSet);
    }
    if (compose.unshown) {
        FUZZ_CHECK(result == -1);
    }
    if (result == -1) {
        FUZZ_CHECK(compose.now[kSubject] == compose.written[kSubject]);
        FUZZ_CHECK(compose.now[kFrom] == compose.written[kFrom]);
        FUZZ_CHECK(!compose.textSet);
    }
}

// Bytes from the input stretched to one of `lengths` by repeating them.
template <std::size_t N>
std::string Stretched(FuzzedDataProvider& in, const std::size_t (&lengths)[N], bool noNul) {
    std::string bytes = in.ConsumeRandomLengthString(256);
    if (noNul) {
        bytes.resize(std::strlen(bytes.c_str()));  // a header value is a string
    }
    const std::size_t length = lengths[in.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
    if (length == 0) {
        return bytes;
    }
    if (bytes.empty()) {
        bytes = "a";
    }
    std::string value;
    while (value.size() < length) {
        value += bytes;
    }
    value.resize(length);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    run = Run{};
    settings.ConvertToHankaku = in.ConsumeIntegral<std::int8_t>();
    settings.ConvertToEmoji = in.ConsumeIntegral<std::int8_t>();
    settings.DeleteCrlf = in.ConsumeIntegral<std::int8_t>();
    for (telepost::DomainList& added : domains.added) {
        telepost::ParseDomainList(in.ConsumeRandomLengthString(64).c_str(), false, added);
    }
    telepost::ParseDomainList(in.ConsumeRandomLengthString(64).c_str(), false, domains.exempt);
    run.mode = in.ConsumeIntegralInRange<int>(0, 7) == 0 ? in.ConsumeIntegral<int>() : 0;
    run.answers = in.ConsumeIntegral<std::uint32_t>();
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
        run.unshown = in.ConsumeIntegral<std::uint32_t>();
    }
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
        run.failing = in.ConsumeIntegralInRange<unsigned>(0, (1u << kHeaderCount) - 1);
    }
    run.nestAt = in.ConsumeIntegralInRange<int>(0, 3);
    run.terminates = in.ConsumeIntegralInRange<int>(0, 7) != 0;
    run.nullBody = in.ConsumeIntegral<std::uint8_t>() == 0xFF;
    for (Compose& compose : run.windows) {
        for (int i = 0; i < kHeaderCount; ++i) {
            compose.written[i] = compose.now[i] = Stretched(in, kHeaderLengths, true);
        }
        // Any bytes, NULs included, in a buffer that ends with its terminator.
        const std::string body = Stretched(in, kBodyLengths, false);
        compose.text.assign(body.begin(), body.end());
        compose.text.push_back('\0');
        compose.bodyLength = std::strlen(compose.text.data());
    }

    hostApi = telepost::HostApiRecord{};
    hostApi.BKA_CompGetText = CompGetText;
    hostApi.BKA_CompSetText = CompSetText;
    hostApi.BKA_CompGetSpecifiedHeader = CompGetSpecifiedHeader;
    hostApi.BKA_CompSetSpecifiedHeader = CompSetSpecifiedHeader;
    Send(0);
    return 0;
}
