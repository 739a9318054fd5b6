// Which conversion paths this processor can run.
#include "convert/paths.h"

#include "convert/byte_blocks.h"

namespace telepost {

bool CanRun(ConversionPath path) {
    switch (path) {
        case ConversionPath::kByteAtATime:
            return true;
#if TELEPOST_SSE2_BLOCKS
        case ConversionPath::kSse2Blocks:
            return true;
        case ConversionPath::kSsse3Blocks:
            return blocks::HaveSsse3();
#endif
        default:
            return false;
    }
}

ConversionPath FastestPath() {
    if (CanRun(ConversionPath::kSsse3Blocks)) {
        return ConversionPath::kSsse3Blocks;
    }
    if (CanRun(ConversionPath::kSse2Blocks)) {
        return ConversionPath::kSse2Blocks;
    }
    return ConversionPath::kByteAtATime;
}

}  // namespace telepost
