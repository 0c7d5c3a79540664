// Reading a probe's records out of the shared capture area.
#include <captureengine/records.h>

#include <platform/codec.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace yv::capture {

namespace {

// Cells outside this range are not on any screen: a damaged area wrote them.
constexpr std::int32_t kCoordinateLimit = 1 << 20;
constexpr std::int32_t kMaxLineHeight = 4096;

bool plausible(const area::CharRecord& r)
{
    const auto inRange = [](std::int32_t v) { return v > -kCoordinateLimit && v < kCoordinateLimit; };
    return inRange(r.left) && inRange(r.top) && inRange(r.right) && inRange(r.bottom) && r.left < r.right &&
           r.top < r.bottom && r.lineHeight > 0 && r.lineHeight <= kMaxLineHeight && r.index > 0;
}

char16_t fromJis(std::uint32_t jis)
{
    const std::uint16_t sjis = codec::jisToSjis(static_cast<std::uint16_t>(jis));
    if (sjis == 0)
        return u'\uFFFD';
    const char bytes[2] = {static_cast<char>(sjis >> 8), static_cast<char>(sjis & 0xFF)};
    const std::string utf8 = codec::cp932ToUtf8(std::string_view(bytes, 2));
    const codec::Utf8Char c = codec::decodeUtf8At(utf8, 0);
    return c.codePoint <= 0xFFFF ? static_cast<char16_t>(c.codePoint) : u'\uFFFD';
}

std::optional<Record> convert(const area::CharRecord& r)
{
    if (!plausible(r))
        return std::nullopt;
    Record out;
    out.cell = {r.left, r.top, r.right, r.bottom};
    out.index = r.index;
    out.lineHeight = r.lineHeight;
    out.charSet = r.charSet;
    switch (r.kind) {
    case area::RecordKind::Ansi:
        out.character = static_cast<char16_t>(r.character & 0xFF);
        break;
    case area::RecordKind::Wide:
        out.wide = true;
        out.character = r.character <= 0xFFFF ? static_cast<char16_t>(r.character) : u'\uFFFD';
        break;
    case area::RecordKind::Jis:
        out.wide = true;
        out.charSet = area::kShiftJisCharSet;
        out.character = fromJis(r.character);
        break;
    default:
        return std::nullopt;
    }
    if (out.charSet == area::kSymbolCharSet)
        out.character = u' ';
    return out;
}

} // namespace

Cell unite(const Cell& a, const Cell& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

std::int32_t Probe::hitState() const
{
    if (!found())
        return area::kHitNone;
    return records[static_cast<std::size_t>(hit)].wide ? area::kHitWide : area::kHitAnsi;
}

Probe readProbe(const area::CaptureArea& area, std::size_t size, std::uint32_t generation, std::int32_t x,
                std::int32_t y)
{
    Probe probe;
    if (!area::headerValid(area, size))
        return probe;
    const std::uint32_t count = std::min<std::uint32_t>(area::load(area.recordCount), area::kMaxRecords);
    for (std::uint32_t i = 0; i < count; ++i) {
        area::CharRecord raw;
        std::memcpy(&raw, &area.records[i], sizeof raw);
        if (raw.generation != generation)
            continue;
        const std::optional<Record> record = convert(raw);
        if (!record)
            continue;
        // A cell drawn again (a cursor, a second pass of the same call) keeps its place in
        // the order and takes the later drawing.
        const auto same = std::find_if(probe.records.begin(), probe.records.end(), [&](const Record& r) {
            return r.wide == record->wide && r.cell.left == record->cell.left && r.cell.top == record->cell.top;
        });
        if (same != probe.records.end())
            *same = *record;
        else
            probe.records.push_back(*record);
    }
    probe.textSeen = !probe.records.empty() || area::load(area.lineSeen[0]) != 0 || area::load(area.lineSeen[1]) != 0;
    for (std::size_t i = 0; i < probe.records.size(); ++i) {
        if (probe.records[i].cell.contains(x, y)) {
            probe.hit = static_cast<int>(i);
            break;
        }
    }
    return probe;
}

} // namespace yv::capture
