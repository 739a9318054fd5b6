// hostsim: the stand-in host on the command line.
//
//   hostsim info      load the plug-in and show what it tells the host
//   hostsim send      send a message file through the plug-in, show what phones get
//   hostsim command   run one of the compose-window commands on a message
//   hostsim setup     show the settings dialog and store the settings
// Run without arguments for every option.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(hostsim::kUsage, stderr);
        return hostsim::kExitFailure;
    }
    std::string verb = args.front();
    args.erase(args.begin());
    for (const hostsim::Verb& v : hostsim::kVerbs) {
        if (verb == v.name) {
            return v.run(args);
        }
    }
    std::fprintf(stderr, "hostsim: unknown command '%s'\n%s", verb.c_str(), hostsim::kUsage);
    return hostsim::kExitFailure;
}
