// Throughput of the three message-text conversions on the corpus files, with
// memcpy of the same bytes in the same process as the physical limit.
//
//     conversions_bench [--corpus DIR] [--min-time SECONDS] [--paths] [--sizes LIST]
//
// Built for both targets from the same source, with no library beyond the
// C++ runtime, so that the Linux build and the Windows DLL's build (run under
// Wine) are timed alike. For each corpus file found in DIR (default
// build/bench/corpus: corpus-4KiB.txt and so on) it times the conversions as
// the plug-in calls them, each one byte at a time, all three on one text,
// and memcpy (with --paths also each conversion on each block path the
// processor can run, as ZenkakuToHankaku[2] for path 2), and prints one line
// for each (with --sizes, a list such as 64KiB,1MiB, for those sizes alone:
// a quicker run for comparing two builds of the code, every size still read
// for the texts that follow each one):
//
//     ZenkakuToHankaku/64MiB <bytes> <seconds, median of the iterations>
//
// The conversions work in place, so every iteration starts from a fresh copy
// of a text; only the conversion is timed. A text converted again and again
// is learnt by the processor's branch predictor, which a mail converted once
// never is (the emoji conversion ran twice as fast on a repeated 1 MiB text
// as on one it had not seen), so each size below the largest takes in turn
// up to kVariants different texts of that size: the corpus file, then the
// slices of whole lines of that size that follow it in the largest corpus
// file (the files are prefixes of one stream of mails). The time is given
// for the corpus file's size, from the median time per byte. A copy larger
// than the caches is flushed to memory before the timing starts, in both
// builds: the C runtimes copy differently (glibc's memcpy bypasses the
// caches for large blocks, the one the Windows build gets under Wine does
// not), and a copy left dirty in the caches would put its write-back into
// the timed conversion of one build only. memcpy is timed in batches long enough for the clock.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <emmintrin.h>

#include "convert/convert.h"
#include "convert/paths.h"

namespace {

using Clock = std::chrono::steady_clock;
using Conversion = char* (*)(char*);

const char* const kSizes[] = {"4KiB", "64KiB", "1MiB", "64MiB"};
constexpr int kMinIterations = 3;
constexpr std::size_t kVariants = 64;
constexpr char kLineEnd[] = "\r\n";
constexpr double kMinBatchSeconds = 20e-6;

struct Pass {
    const char* name;
    Conversion convert;
};

// What the plug-in does to the body of a send with every setting on.
char* ConvertAllThree(char* text) {
    telepost::DeleteBlanks(text);
    telepost::ZenkakuToHankaku(text);
    return telepost::ToImodeEmoji(text);
}

const Pass kPasses[] = {
    {"ZenkakuToHankaku", telepost::ZenkakuToHankaku},
    {"ToImodeEmoji", telepost::ToImodeEmoji},
    {"DeleteBlanks", telepost::DeleteBlanks},
    {"ZenkakuToHankakuByteAtATime",
     [](char* text) {
         return telepost::ZenkakuToHankakuBy(telepost::ConversionPath::ByteAtATime, text);
     }},
    {"ToImodeEmojiByteAtATime",
     [](char* text) {
         return telepost::ToImodeEmojiBy(telepost::ConversionPath::ByteAtATime, text);
     }},
    {"DeleteBlanksByteAtATime",
     [](char* text) {
         return telepost::DeleteBlanksBy(telepost::ConversionPath::ByteAtATime, text);
     }},
    {"AllThree", ConvertAllThree},
};

// Each conversion on the given path.
template <telepost::ConversionPath Path>
const Pass kOnPath[] = {
    {"ZenkakuToHankaku", [](char* text) { return telepost::ZenkakuToHankakuBy(Path, text); }},
    {"ToImodeEmoji", [](char* text) { return telepost::ToImodeEmojiBy(Path, text); }},
    {"DeleteBlanks", [](char* text) { return telepost::DeleteBlanksBy(Path, text); }},
};

struct PathPasses {
    telepost::ConversionPath path;
    const Pass (&passes)[3];
};

const PathPasses kPathPasses[] = {
    {telepost::ConversionPath::Sse2Blocks, kOnPath<telepost::ConversionPath::Sse2Blocks>},
    {telepost::ConversionPath::Ssse3Blocks, kOnPath<telepost::ConversionPath::Ssse3Blocks>},
    {telepost::ConversionPath::Avx2Blocks, kOnPath<telepost::ConversionPath::Avx2Blocks>},
    {telepost::ConversionPath::Avx512Blocks, kOnPath<telepost::ConversionPath::Avx512Blocks>},
};

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Larger than the caches of the machines the benchmark runs on.
constexpr std::size_t kBeyondCaches = 8 << 20;
constexpr std::size_t kCacheLine = 64;
constexpr std::size_t kBatchBytes = 16 << 10;  // within the first-level cache

// Writes the bytes back to memory and drops them from the caches.
__attribute__((target("sse2"))) void Flush(const char* bytes, std::size_t size) {
    for (std::size_t at = 0; at < size; at += kCacheLine) {
        _mm_clflush(bytes + at);
    }
    _mm_mfence();
}

// Volatile, so that the compiler keeps every conversion and copy.
char* volatile Sink;

// The time of one conversion of `texts.front()`. The texts are converted in
// turn; those smaller than kBatchBytes as a batch of fresh copies, one after
// the other in one buffer, between two readings of the clock, which is
// coarse under Wine (0.1 µs).
double TimeConversion(Conversion convert, const std::vector<std::string>& texts, double minTime) {
    std::size_t longest = 0;
    for (const std::string& text : texts) {
        longest = std::max(longest, text.size());
    }
    const std::size_t stride = (longest + 1 + kCacheLine - 1) / kCacheLine * kCacheLine;
    const std::size_t copies = std::max<std::size_t>(1, kBatchBytes / stride);
    const auto buffer = std::make_unique<char[]>(stride * copies);
    std::vector<double> secondsPerByte;
    double total = 0;
    std::size_t next = 0;
    for (int iteration = -1; iteration < kMinIterations || total < minTime; ++iteration) {
        std::size_t bytes = 0;
        for (std::size_t copy = 0; copy < copies; ++copy) {
            const std::string& text = texts[next++ % texts.size()];
            std::memcpy(buffer.get() + copy * stride, text.c_str(), text.size() + 1);
            bytes += text.size();
        }
        if (longest > kBeyondCaches) {
            Flush(buffer.get(), longest + 1);
        }
        const auto start = Clock::now();
        for (std::size_t copy = 0; copy < copies; ++copy) {
            Sink = convert(buffer.get() + copy * stride);
        }
        const double seconds = Seconds(Clock::now() - start);
        if (iteration >= 0) {  // the first one warms up
            secondsPerByte.push_back(seconds / static_cast<double>(bytes));
            total += seconds;
        }
    }
    return Median(secondsPerByte) * static_cast<double>(texts.front().size());
}

// The text of a corpus file and the slices of whole lines of its size that
// follow it in `stream`, the largest corpus file, of which it is the start.
std::vector<std::string> Variants(const std::string& text, const std::string& stream) {
    std::vector<std::string> variants{text};
    if (text.size() == stream.size() || stream.compare(0, text.size(), text) != 0) {
        return variants;
    }
    for (std::size_t start = text.size(); variants.size() < kVariants;) {
        if (start + text.size() > stream.size()) {
            break;
        }
        const std::size_t lineEnd = stream.rfind(kLineEnd, start + text.size() - 2);
        if (lineEnd == std::string::npos || lineEnd < start) {
            break;
        }
        const std::size_t end = lineEnd + 2;
        variants.push_back(stream.substr(start, end - start));
        start = end;
    }
    return variants;
}

double TimeCopy(const std::string& text, double minTime) {
    const auto buffer = std::make_unique<char[]>(text.size());
    std::size_t batch = 1;
    std::vector<double> times;
    double total = 0;
    for (int iteration = -1; iteration < kMinIterations || total < minTime; ++iteration) {
        const auto start = Clock::now();
        for (std::size_t i = 0; i < batch; ++i) {
            std::memcpy(buffer.get(), text.data(), text.size());
            Sink = buffer.get();
        }
        const double seconds = Seconds(Clock::now() - start);
        if (seconds < kMinBatchSeconds) {  // too short for the clock: start over, longer
            batch *= 2;
            iteration = -1;
            times.clear();
            total = 0;
            continue;
        }
        if (iteration >= 0) {
            times.push_back(seconds / static_cast<double>(batch));
            total += seconds;
        }
    }
    return Median(times);
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void Print(const char* name, const char* size, std::size_t bytes, double seconds) {
    std::printf("%s/%s %zu %.9g\n", name, size, bytes, seconds);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string corpus = "build/bench/corpus";
    double minTime = 0.1;
    bool paths = false;
    std::string sizes;  // all when empty
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--paths") {
            paths = true;
            --i;
        } else if (i + 1 == argc) {
            std::fprintf(stderr, "%s needs a value\n", argv[i]);
            return 2;
        } else if (option == "--corpus") {
            corpus = argv[i + 1];
        } else if (option == "--min-time") {
            minTime = std::atof(argv[i + 1]);
        } else if (option == "--sizes") {
            sizes = std::string(",") + argv[i + 1] + ",";
        } else {
            std::fprintf(stderr,
                         "usage: %s [--corpus DIR] [--min-time SECONDS] [--paths] [--sizes LIST]\n",
                         argv[0]);
            return 2;
        }
    }
    // As the plug-in does when it is attached.
    telepost::ChooseConversionPaths();

    // The largest corpus file, which the smaller ones begin.
    std::string stream;
    for (const char* size : kSizes) {
        ReadFile(corpus + "/corpus-" + size + ".txt", stream);
    }

    bool found = false;
    for (const char* size : kSizes) {
        std::string text;
        if (!sizes.empty() && sizes.find(std::string(",") + size + ",") == std::string::npos) {
            continue;
        }
        if (!ReadFile(corpus + "/corpus-" + size + ".txt", text)) {
            continue;
        }
        found = true;
        const std::vector<std::string> texts = Variants(text, stream);
        for (const Pass& pass : kPasses) {
            Print(pass.name, size, text.size(), TimeConversion(pass.convert, texts, minTime));
        }
        for (const PathPasses& onPath : kPathPasses) {
            if (!paths || !telepost::CanRun(onPath.path)) {
                continue;
            }
            for (const Pass& pass : onPath.passes) {
                const std::string name = std::string(pass.name) + "[" +
                                         std::to_string(static_cast<int>(onPath.path)) + "]";
                Print(name.c_str(), size, text.size(),
                      TimeConversion(pass.convert, texts, minTime));
            }
        }
        Print("memcpy", size, text.size(), TimeCopy(text, minTime));
    }
    if (!found) {
        std::fprintf(stderr, "no corpus-*.txt in %s\n", corpus.c_str());
        return 1;
    }
    return 0;
}
