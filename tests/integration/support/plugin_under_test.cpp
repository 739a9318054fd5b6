#include "support/plugin_under_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "host.h"
#include "paths.h"
#include "temp_folder.h"

namespace hostsim {

const std::string& PluginUnderTest() {
    static const telepost_tests::TempFolder folder("plugin");
    static const std::string plugin = [] {
        const std::string copy = folder / "TELEPOST.dll";
        std::error_code error;
        std::filesystem::copy_file(FsPath(PluginBesideProgram()), FsPath(copy), error);
        if (error) {
            ADD_FAILURE() << "cannot copy " << PluginBesideProgram() << " to " << copy << ": "
                          << error.message();
        }
        return copy;
    }();
    return plugin;
}

std::string IniUnderTest() {
    return IniBeside(PluginUnderTest());
}

Args WithPluginUnderTest(Args args, size_t at) {
    if (std::find(args.begin(), args.end(), "--plugin") == args.end()) {
        const auto where = args.begin() + static_cast<std::ptrdiff_t>(std::min(at, args.size()));
        args.insert(where, {"--plugin", PluginUnderTest()});
    }
    return args;
}

}  // namespace hostsim
