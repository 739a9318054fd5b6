// hostsim: the stand-in host on the command line.
//
//   hostsim info      load the plug-in and show what it tells the host
//   hostsim send      send a message file through the plug-in, show what phones get
//   hostsim command   run one of the compose-window commands on a message
//   hostsim setup     show the settings dialog and store the settings
//   hostsim --help    every option; --version: the version
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
    return hostsim::RunHostsim(std::vector<std::string>(argv + 1, argv + argc));
}
