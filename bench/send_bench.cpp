// Time of one send through the outgoing inspection, by the number of
// recipients and the size of the body.
//
// The program is its own host: it fills the host binding record with five
// functions of its own that hand out a prepared message and keep nothing, and
// it answers every length warning Yes at once, so that what is timed is the
// plug-in's work alone: the body conversions, the recipient walk, the carrier
// rules and, for a DoCoMo-only send, the emoji conversion. The host's copy of
// the body, which the inspection changes in place, is made before each send
// and not timed. Settings: full-width to half-width and emoji on, blank
// deletion off, as the plug-in starts out.
#include <benchmark/benchmark.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "send/send_rules.h"

namespace {

// The records the send rules read: the host's functions, the settings the
// plug-in starts with, and no domains of the user's.
telepost::HostApiRecord hostApi;
const telepost::SettingsRecord kSettings;
const telepost::UserDomainsRecord kNoDomains;

struct FakeHost {
    std::string to, cc, bcc;
    std::vector<char> body;  // the host's copy, changed by the inspection
    int warnings = 0;
};

FakeHost host;

const char* const kSubject = "\x82\x60\x82\x61 :)";  // ＡＢ :)
const char* const kFrom = "Ichiro <ichiro.suzuki@example.com>";

LPSTR WINAPI CompGetText(HWND, LPSTR, int) {
    return host.body.data();
}

int WINAPI CompSetText(HWND, int, LPCSTR) {
    return 0;
}

LPSTR WINAPI CompGetSpecifiedHeader(HWND, LPCSTR name, LPSTR buffer, int size) {
    std::string value;
    if (!std::strcmp(name, "To")) {
        value = host.to;
    } else if (!std::strcmp(name, "Cc")) {
        value = host.cc;
    } else if (!std::strcmp(name, "Bcc")) {
        value = host.bcc;
    } else if (!std::strcmp(name, "Subject")) {
        value = kSubject;
    } else if (!std::strcmp(name, "From")) {
        value = kFrom;
    }
    size_t n = std::min(value.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return buffer;
}

int WINAPI CompSetSpecifiedHeader(HWND, LPCSTR, LPCSTR) {
    return 0;
}

// A paragraph of Japanese mail in Shift-JIS with full-width digits and
// letters, symbols and emoticons that the conversions change, and line breaks.
const char kParagraph[] =
    "\x96\xBE\x93\xFA\x82\xCD\x82\x60\x8C\xFB\x82\xC9\x82\x58\x81\x46\x82\x4F\x82\x4F"  // 明日はＡ口に９：００
    "\x8F\x57\x8D\x87\x82\xC5\x82\xB7\x81\x42 :) \x87\x40\x81\x60\x81\x9C !!\r\n"  // 集合です。 :)
                                                                                   // ①～● !!
    "\x82\xE6\x82\xEB\x82\xB5\x82\xAD\x82\xA8\x8A\xE8\x82\xA2\x82\xB5\x82\xDC\x82\xB7"  // よろしくお願いします
    "\x81\x42\r\n";                                                                     // 。

std::string MakeBody(size_t bytes) {
    std::string body;
    while (body.size() + sizeof kParagraph - 1 <= bytes) {
        body += kParagraph;
    }
    body.append(bytes - body.size(), 'a');
    return body;
}

// Recipients of every kind in turn: DoCoMo, carrier groups J and D, others.
// A single recipient is a DoCoMo one, the send that converts emoji too.
const char* const kDomains[] = {"@docomo.ne.jp", "@jp-t.ne.jp", "@kct.dion.ne.jp", "@example.com",
                                "@example.org"};

void MakeRecipients(int count) {
    std::string* headers[] = {&host.to, &host.cc, &host.bcc};
    for (std::string* header : headers) {
        header->clear();
    }
    for (int i = 0; i < count; ++i) {
        std::string& header = *headers[i % 3];
        if (!header.empty()) {
            header += ", ";
        }
        header += 'u';
        header += std::to_string(i);
        header += kDomains[static_cast<std::size_t>(i) % std::size(kDomains)];
    }
}

void Send(benchmark::State& state) {
    const int recipients = static_cast<int>(state.range(0));
    const std::string body = MakeBody(static_cast<size_t>(state.range(1)));
    MakeRecipients(recipients);
    host.body.assign(body.c_str(), body.c_str() + body.size() + 1);
    for (auto _ : state) {
        std::memcpy(host.body.data(), body.c_str(), body.size() + 1);
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(
            telepost::InspectOutgoing(hostApi, kSettings, kNoDomains, nullptr, 0));
        benchmark::ClobberMemory();
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(body.size()));
    state.counters["warnings/send"] =
        static_cast<double>(host.warnings) / static_cast<double>(state.iterations());
    host.warnings = 0;
}

}  // namespace

// Every length warning is answered Yes at once.
int WINAPI MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) {
    ++host.warnings;
    return IDYES;
}

BENCHMARK(Send)
    ->ArgNames({"recipients", "bytes"})
    ->ArgsProduct({{1, 10, 100}, {1 << 10, 64 << 10, 1 << 20}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    hostApi.BKA_CompGetText = CompGetText;
    hostApi.BKA_CompSetText = CompSetText;
    hostApi.BKA_CompGetSpecifiedHeader = CompGetSpecifiedHeader;
    hostApi.BKA_CompSetSpecifiedHeader = CompSetSpecifiedHeader;
    telepost::ChooseConversionPaths();  // as the plug-in does when it is attached
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
