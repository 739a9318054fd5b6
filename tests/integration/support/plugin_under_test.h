// The plug-in the integration tests load: a copy of TELEPOST.dll beside the
// test program, made once a run in a folder of the run's own, so that its
// INI file (kept beside it) is this run's alone, however many run at once.
#pragma once

#include <string>

#include "cli.h"

namespace hostsim {

// The copy's path; the folder and the copy go when the program ends.
const std::string& PluginUnderTest();
// The INI file beside it.
std::string IniUnderTest();
// hostsim's arguments `args` with "--plugin" and the copy put in at `at`,
// unless they name a plug-in already.
Args WithPluginUnderTest(Args args, size_t at);

}  // namespace hostsim
