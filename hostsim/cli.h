// The stand-in host's command-line verbs.
#pragma once

#include <string>
#include <vector>

namespace hostsim {

constexpr int kExitOk = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitFailure = 2;

using Args = std::vector<std::string>;

struct Verb {
    const char* name;
    int (*run)(const Args& args);
};

int RunInfo(const Args& args);

inline constexpr Verb kVerbs[] = {
    {"info", RunInfo},
};

inline constexpr char kUsage[] = "usage: hostsim info [--plugin PATH]\n";

// Takes "--name VALUE" out of `args`; false when it is not there.
bool TakeOption(Args& args, const std::string& name, std::string* value);
// Takes the flag "--name" out of `args`; false when it is not there.
bool TakeFlag(Args& args, const std::string& name);
// Writes a code page 932 text to standard output as UTF-8.
void PrintText(const std::string& cp932);

}  // namespace hostsim
