// Throughput of the three message-text conversions on the corpus files, with
// memcpy of the same bytes in the same run as the physical limit.
//
// The corpus files are read from the folder in TELEPOST_CORPUS (default
// build/bench/corpus), one benchmark family for each file found there:
// corpus-4KiB.txt gives ZenkakuToHankaku/4KiB and so on. The conversions work
// in place, so every iteration starts from a fresh copy of the file; only the
// conversion is timed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "convert/convert.h"
#include "convert/paths.h"

namespace {

using Conversion = char* (*)(char*);

const char* const kSizes[] = {"4KiB", "64KiB", "1MiB", "64MiB"};

struct Pass {
    std::string name;
    Conversion convert;
};

// The conversions as the plug-in calls them, and byte at a time for
// comparison.
const Pass kPasses[] = {
    {"ZenkakuToHankaku", telepost::ZenkakuToHankaku},
    {"ToImodeEmoji", telepost::ToImodeEmoji},
    {"DeleteBlanks", telepost::DeleteBlanks},
    {"ZenkakuToHankakuByteAtATime",
     [](char* text) {
         return telepost::ZenkakuToHankakuBy(telepost::ConversionPath::kByteAtATime, text);
     }},
    {"ToImodeEmojiByteAtATime",
     [](char* text) {
         return telepost::ToImodeEmojiBy(telepost::ConversionPath::kByteAtATime, text);
     }},
    {"DeleteBlanksByteAtATime",
     [](char* text) {
         return telepost::DeleteBlanksBy(telepost::ConversionPath::kByteAtATime, text);
     }},
};

// The size of one mail in the all-three benchmark.
const char* const kMailSize = "4KiB";

// Times `work` on a fresh copy of the text at each iteration.
template <typename Work>
void TimeOnFreshCopies(benchmark::State& state, const std::string& text, Work work) {
    const auto buffer = std::make_unique<char[]>(text.size() + 1);
    for (auto _ : state) {
        std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
        const auto start = std::chrono::steady_clock::now();
        work(buffer.get());
        benchmark::ClobberMemory();
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

void Convert(benchmark::State& state, const std::string* text, Conversion convert) {
    TimeOnFreshCopies(state, *text,
                      [convert](char* chars) { benchmark::DoNotOptimize(convert(chars)); });
}

// What the plug-in does to the body of a send with every setting on.
void ConvertAllThree(benchmark::State& state, const std::string* text) {
    TimeOnFreshCopies(state, *text, [](char* chars) {
        telepost::DeleteBlanks(chars);
        telepost::ZenkakuToHankaku(chars);
        benchmark::DoNotOptimize(telepost::ToImodeEmoji(chars));
    });
}

void Copy(benchmark::State& state, const std::string* text) {
    const auto buffer = std::make_unique<char[]>(text->size());
    for (auto _ : state) {
        std::memcpy(buffer.get(), text->data(), text->size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text->size()));
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const char* folder = std::getenv("TELEPOST_CORPUS");
    const std::string corpus = folder ? folder : "build/bench/corpus";

    static std::string texts[std::size(kSizes)];
    bool found = false;
    for (std::size_t i = 0; i < std::size(kSizes); ++i) {
        const std::string size = kSizes[i];
        if (!ReadFile(corpus + "/corpus-" + size + ".txt", texts[i])) {
            continue;
        }
        found = true;
        const std::string* text = &texts[i];
        for (const Pass& pass : kPasses) {
            benchmark::RegisterBenchmark((pass.name + "/" + size).c_str(), Convert, text,
                                         pass.convert)
                ->UseManualTime();
        }
        benchmark::RegisterBenchmark(("memcpy/" + size).c_str(), Copy, text);
        if (size == kMailSize) {
            benchmark::RegisterBenchmark(("AllThree/" + size).c_str(), ConvertAllThree, text)
                ->UseManualTime();
        }
    }
    if (!found) {
        std::fprintf(stderr, "no corpus-*.txt in %s (set TELEPOST_CORPUS)\n", corpus.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
