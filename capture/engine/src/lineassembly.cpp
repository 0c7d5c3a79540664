// Assembling lines from drawn characters.
#include <captureengine/lineassembly.h>

#include <algorithm>

namespace yv::capture {

namespace {

constexpr std::int32_t kSeparatorGap = 2;
constexpr int kMaxPositions = 256;

// Whether `next` continues the line of `previous`.
bool joins(const Record& previous, const Record& next, std::int32_t wordSpace)
{
    if (previous.wide != next.wide || next.cell.left < previous.cell.left)
        return false;
    const std::int64_t gap = std::int64_t{next.cell.left} - previous.cell.right;
    return gap <= wordSpace || next.index > previous.index;
}

// Adds record i after `previous` (null at the line's start), with a separator before it when
// the two stand apart; false when the line is full.
bool push(AssembledLine& line, const Probe& probe, int i, const Record* previous, char16_t separator)
{
    const Record& r = probe.records[static_cast<std::size_t>(i)];
    if (previous && (std::int64_t{r.cell.left} - previous->cell.right > kSeparatorGap || r.cell.left < previous->cell.left)) {
        line.text.push_back(separator);
        line.recordOf.push_back(-1);
        if (line.text.size() >= kMaxLineChars)
            return false;
    }
    line.text.push_back(r.character);
    line.recordOf.push_back(i);
    line.rect = previous ? unite(line.rect, r.cell) : r.cell;
    return line.text.size() < kMaxLineChars;
}

} // namespace

bool AssembledLine::blank() const
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; });
}

AssembledLine assembleAroundHit(const Probe& probe, std::int32_t wordSpace, char16_t separator)
{
    AssembledLine line;
    if (!probe.found())
        return line;
    const auto& records = probe.records;
    int start = probe.hit;
    while (start > 0 && joins(records[static_cast<std::size_t>(start - 1)], records[static_cast<std::size_t>(start)], wordSpace))
        --start;
    int end = probe.hit;
    while (end + 1 < static_cast<int>(records.size()) &&
           joins(records[static_cast<std::size_t>(end)], records[static_cast<std::size_t>(end + 1)], wordSpace))
        ++end;
    // A line longer than a line can be keeps the part that holds the hit.
    if (end - start + 1 > static_cast<int>(kMaxLineChars))
        start = std::max(start, std::min(probe.hit, end - static_cast<int>(kMaxLineChars) + 1));
    const Record& hit = records[static_cast<std::size_t>(probe.hit)];
    line.wide = hit.wide;
    line.charSet = hit.charSet;
    const Record* previous = nullptr;
    for (int i = start; i <= end; ++i) {
        if (i == probe.hit)
            line.hitPosition = static_cast<int>(line.text.size()) +
                               (previous && std::int64_t{hit.cell.left} - previous->cell.right > kSeparatorGap ? 1 : 0);
        const bool room = push(line, probe, i, previous, separator);
        previous = &records[static_cast<std::size_t>(i)];
        if (!room)
            break;
    }
    if (line.hitPosition >= static_cast<int>(line.text.size()))
        line.hitPosition = -1;
    return line;
}

AssembledLine assembleInExtent(const Probe& probe, std::int32_t left, std::int32_t right, char16_t separator)
{
    AssembledLine line;
    const Record* previous = nullptr;
    for (std::size_t i = 0; i < probe.records.size(); ++i) {
        const Record& r = probe.records[i];
        if (r.cell.right <= left || r.cell.left >= right || (previous && r.wide != previous->wide))
            continue;
        if (!previous) {
            line.wide = r.wide;
            line.charSet = r.charSet;
        }
        const bool room = push(line, probe, static_cast<int>(i), previous, separator);
        previous = &r;
        if (!room)
            break;
    }
    return line;
}

bool spanRect(const AssembledLine& line, const Probe& probe, int first, int last, Cell* rect)
{
    if (first < 0 || last < first || last >= kMaxPositions || last >= static_cast<int>(line.text.size()))
        return false;
    while (first <= last && line.isSeparator(static_cast<std::size_t>(first)))
        ++first;
    while (last >= first && line.isSeparator(static_cast<std::size_t>(last)))
        --last;
    if (first > last)
        return false;
    const Cell& a = probe.records[static_cast<std::size_t>(line.recordOf[static_cast<std::size_t>(first)])].cell;
    const Cell& b = probe.records[static_cast<std::size_t>(line.recordOf[static_cast<std::size_t>(last)])].cell;
    *rect = unite(a, b);
    return true;
}

} // namespace yv::capture
