# Writes a compiled resource file's bytes into a C++ source, for the Linux
# build of the plug-in, which exports them for the platform layer to read.
#   cmake -DINPUT=telepost.res -DOUTPUT=resources.cpp -P embed.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT}
"// Generated from the compiled resource file: the plug-in's resources.
#include <cstdint>

extern \"C\" const unsigned char PosixModuleResources[] = {
    ${bytes}
};
extern \"C\" const std::uint32_t PosixModuleResourcesSize = ${size};
")
