// The capture area as a reader meets it: any bytes in the shared block, read as one probe's
// records and assembled into the line under the point.
#include <captureengine/lineassembly.h>

#include <cstdint>
#include <cstring>
#include <memory>

using namespace yv::capture;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto a = std::make_unique<area::CaptureArea>();
    std::memset(a.get(), 0, sizeof *a);
    std::memcpy(a.get(), data, std::min(size, sizeof *a));
    // A header that passes, so that the hostile records are read.
    a->magic = area::kMagic;
    a->layoutVersion = area::kLayoutVersion;
    a->areaSize = sizeof *a;
    const Probe probe = readProbe(*a, sizeof *a, a->generation, a->probeX, a->probeY);
    const AssembledLine line = assembleAroundHit(probe, a->wordSpace, u' ');
    Cell rect;
    if (line.hitPosition >= 0)
        spanRect(line, probe, 0, line.hitPosition, &rect);
    assembleInExtent(probe, a->probeX - 100, a->probeX + 100, u'\r');
    return 0;
}
