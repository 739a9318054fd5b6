// Runs one of the plug-in's conversions on texts read from standard input:
//
//     conversions_driver hankaku|emoji|blanks|all
//
// The texts are separated by NUL bytes; each is converted in a buffer of its
// own size, as the plug-in gets it, and written back followed by a NUL.
// "all" runs the three conversions one after the other, as a send with every
// setting on does.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "convert/convert.h"

namespace {

using Conversion = char* (*)(char*);

char* AllThree(char* text) {
    telepost::DeleteBlanks(text);
    telepost::ZenkakuToHankaku(text);
    return telepost::ToImodeEmoji(text);
}

struct Mode {
    const char* name;
    Conversion convert;
};

constexpr Mode kModes[] = {
    {"hankaku", telepost::ZenkakuToHankaku},
    {"emoji", telepost::ToImodeEmoji},
    {"blanks", telepost::DeleteBlanks},
    {"all", AllThree},
};

void Convert(Conversion convert, const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    const char* converted = convert(buffer.get());
    std::fwrite(converted, 1, std::strlen(converted) + 1, stdout);
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const Mode* mode = nullptr;
    for (const Mode& candidate : kModes) {
        if (argc == 2 && std::strcmp(argv[1], candidate.name) == 0) {
            mode = &candidate;
        }
    }
    if (mode == nullptr) {
        std::fprintf(stderr, "usage: conversions_driver hankaku|emoji|blanks|all\n");
        return 2;
    }
    // As the plug-in does when it is attached.
    telepost::ChooseConversionPaths();
    std::string text;
    for (int byte = std::getchar(); byte != EOF; byte = std::getchar()) {
        if (byte == 0) {
            Convert(mode->convert, text);
            text.clear();
        } else {
            text += static_cast<char>(byte);
        }
    }
    if (!text.empty()) {
        Convert(mode->convert, text);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
