// The capture area as a reader meets it: any bytes in the shared block, read as one probe's
// records, assembled into the line under the point, and walked up and down as the line and
// sentence captures do (every row reads the same hostile records).
#include <captureengine/linewalk.h>
#include <capturerules/sentencebreak.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

using namespace yv::capture;

namespace {

class SameArea final : public RowProber {
public:
    SameArea(const area::CaptureArea& a, std::int32_t x)
        : m_area(a)
        , m_x(x)
    {
    }
    std::optional<Probe> probeRow(std::int32_t y) override
    {
        return readProbe(m_area, sizeof m_area, m_area.generation, m_x, y);
    }

private:
    const area::CaptureArea& m_area;
    std::int32_t m_x;
};

bool rulesBreak(const AssembledLine& line, int* position, int direction)
{
    const std::optional<int> found = sentenceBreakW(line.text, *position, direction);
    if (found)
        *position = *found;
    return found.has_value();
}

} // namespace

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
    const std::int32_t x = std::clamp(a->probeX, -(1 << 20), 1 << 20);
    assembleInExtent(probe, x - 100, x + 100, u'\r');
    SameArea rows(*a, a->probeX);
    const WalkSettings settings{a->wordSpace, a->lineExtra, u' '};
    walkLines(rows, probe, a->probeY, settings);
    walkSentence(rows, probe, a->probeY, settings, rulesBreak);
    singleLine(probe, settings);
    return 0;
}
