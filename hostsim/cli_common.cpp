#include <cstdio>

#include "cli.h"
#include "codec.h"

namespace hostsim {

bool TakeOption(Args& args, const std::string& name, std::string* value) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) {
            *value = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
            return true;
        }
    }
    return false;
}

bool TakeFlag(Args& args, const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

void PrintText(const std::string& cp932) {
    std::string utf8;
    if (!Cp932ToUtf8(cp932, &utf8)) {
        utf8 = cp932;  // not code page 932: shown as it is
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace hostsim
