// Which conversion paths this processor can run, the table of the
// conversions on each path, and the path the public conversions take.
#include "convert/paths.h"

#include <cstddef>
#include <iterator>

#include "convert/byte_blocks.h"
#include "convert/convert.h"
#include "convert/path_entries.h"

namespace telepost {

namespace {

// The conversions on each path, in the order of ConversionPath.
constexpr Conversions kOnPath[] = {
    {ZenkakuToHankakuByteAtATime, ToImodeEmojiByteAtATime, DeleteBlanksByteAtATime},
#if TELEPOST_SSE2_BLOCKS
    {blocks::x16::ZenkakuToHankakuBySse2, blocks::x16::ToImodeEmojiBySse2,
     blocks::x16::DeleteBlanksBySse2},
    {blocks::x16::ZenkakuToHankakuByShuffles, blocks::x16::ToImodeEmojiByShuffles,
     blocks::x16::DeleteBlanksByShuffles},
    {blocks::x32::ZenkakuToHankakuByShuffles, blocks::x32::ToImodeEmojiByShuffles,
     blocks::x32::DeleteBlanksByShuffles},
    {blocks::x32::ZenkakuToHankakuByCompress, blocks::x32::ToImodeEmojiByShuffles,
     blocks::x32::DeleteBlanksByCompress},
#endif
};

// Before ChooseConversionPaths runs, the path every processor can run. A
// plain constant-initialised variable: nothing is set up behind it at run
// time, and the DLL carries no guarded initialisation.
#if TELEPOST_SSE2_BLOCKS
constexpr ConversionPath kBaselinePath = ConversionPath::Sse2Blocks;
#else
constexpr ConversionPath kBaselinePath = ConversionPath::ByteAtATime;
#endif

constexpr std::size_t IndexOf(ConversionPath path) {
    return static_cast<std::size_t>(path);
}

ConversionPath g_pickedPath = kBaselinePath;

}  // namespace

bool CanRun(ConversionPath path) {
    switch (path) {
        case ConversionPath::ByteAtATime:
            return true;
#if TELEPOST_SSE2_BLOCKS
        case ConversionPath::Sse2Blocks:
            return true;
        case ConversionPath::Ssse3Blocks:
            return blocks::ProcessorHasSsse3();
        case ConversionPath::Avx2Blocks:
            return blocks::ProcessorHasAvx2();
        case ConversionPath::Avx512Blocks:
            return blocks::ProcessorHasAvx512Bytes();
#endif
        default:
            return false;
    }
}

const Conversions& ChosenConversions() {
    return kOnPath[IndexOf(g_pickedPath)];
}

void ChooseConversionPaths() {
    ConversionPath fastest = ConversionPath::ByteAtATime;
    for (ConversionPath path : kBlockPaths) {
        if (CanRun(path)) {
            fastest = path;
        }
    }
    g_pickedPath = fastest;
}

char* ZenkakuToHankakuBy(ConversionPath path, char* text) {
    return kOnPath[IndexOf(path)].zenkakuToHankaku(text);
}

char* ToImodeEmojiBy(ConversionPath path, char* text) {
    return kOnPath[IndexOf(path)].toImodeEmoji(text);
}

char* DeleteBlanksBy(ConversionPath path, char* text) {
    return kOnPath[IndexOf(path)].deleteBlanks(text);
}

#if TELEPOST_SSE2_BLOCKS
static_assert(std::size(kOnPath) == 1 + std::size(kBlockPaths));
#endif

}  // namespace telepost
