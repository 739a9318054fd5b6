// The command line as a whole: help, version, and the verb to run.
#include <cstdio>

#include "cli.h"
#include "interruption.h"
#include "paths.h"
#include "telepost_version.h"

namespace hostsim {

namespace {

struct VerbEntry {
    const char* name;
    int (*run)(const Args& args);
};

constexpr VerbEntry kVerbs[] = {
    {"info", RunInfo},
    {"send", RunSend},
    {"command", RunCommand},
    {"setup", RunSetup},
};

constexpr const char* kHelp[] = {"--help", "-h", "help"};
constexpr char kVersion[] = "--version";

int RunLine(const Args& given) {
    if (given.empty()) {
        PrintUsage(stderr);
        return kExitFailure;
    }
    const std::string& verb = given.front();
    Args args(given.begin() + 1, given.end());
    for (const char* help : kHelp) {
        if (verb == help) {
            PrintUsage(stdout);
            return kExitOk;
        }
    }
    if (verb == kVersion) {
        std::printf("hostsim %s\n", TELEPOST_VERSION_TEXT);
        return kExitOk;
    }
    for (const VerbEntry& entry : kVerbs) {
        if (verb == entry.name) {
            return entry.run(args);
        }
    }
    std::fprintf(stderr, "hostsim: unknown command '%s' (hostsim --help shows the usage)\n",
                 ForTerminal(verb).c_str());
    return kExitFailure;
}

}  // namespace

int RunHostsim(const Args& given) {
    EndRunOnInterruption();
    int status = RunLine(given);
    FlushOutput();  // a report that could not be written is no success
    return status;
}

}  // namespace hostsim
