// Which conversion paths this processor can run, and the one the public
// conversions take.
#include "convert/paths.h"

#include "convert/byte_blocks.h"
#include "convert/convert.h"

namespace telepost {

namespace {

// Before ChooseConversionPaths runs, the path every processor can run. A
// plain constant-initialised variable: nothing is set up behind it at run
// time, and the DLL carries no guarded initialisation.
#if TELEPOST_SSE2_BLOCKS
constexpr ConversionPath kBaselinePath = ConversionPath::kSse2Blocks;
#else
constexpr ConversionPath kBaselinePath = ConversionPath::kByteAtATime;
#endif

ConversionPath PickedPath = kBaselinePath;

}  // namespace

bool CanRun(ConversionPath path) {
    switch (path) {
        case ConversionPath::kByteAtATime:
            return true;
#if TELEPOST_SSE2_BLOCKS
        case ConversionPath::kSse2Blocks:
            return true;
        case ConversionPath::kSsse3Blocks:
            return blocks::ProcessorHasSsse3();
        case ConversionPath::kAvx2Blocks:
            return blocks::ProcessorHasAvx2();
#endif
        default:
            return false;
    }
}

ConversionPath ChosenPath() {
    return PickedPath;
}

void ChooseConversionPaths() {
    ConversionPath fastest = ConversionPath::kByteAtATime;
    for (ConversionPath path : kBlockPaths) {
        if (CanRun(path)) {
            fastest = path;
        }
    }
    PickedPath = fastest;
}

}  // namespace telepost
