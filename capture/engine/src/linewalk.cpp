// Walking the lines above and below the point.
#include <captureengine/linewalk.h>

#include <algorithm>
#include <cstdint>

namespace yv::capture {

namespace {

constexpr int kStartDirection = 1;
constexpr int kEndDirection = 2;

// The line extra is a shared setting any program may have set to anything.
std::int32_t rowStep(const Record& r, std::int32_t lineExtra)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{r.lineHeight} + lineExtra, 1, INT32_MAX));
}

BlockLine cut(const WalkedLine& walked, int first, int last)
{
    BlockLine out;
    out.wide = walked.line.wide;
    out.charSet = walked.line.charSet;
    const int size = static_cast<int>(walked.line.text.size());
    first = std::clamp(first, 0, size);
    last = std::clamp(last, first - 1, size - 1);
    out.text = walked.line.text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
    if (!spanRect(walked.line, walked.probe, first, last, &out.rect))
        out.rect = walked.line.rect;
    return out;
}

bool blank(std::u16string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; });
}

BlockLine whole(const WalkedLine& walked)
{
    return cut(walked, 0, static_cast<int>(walked.line.text.size()) - 1);
}

} // namespace

LineWalker::LineWalker(RowProber& prober, const Probe& first, std::int32_t firstY, const WalkSettings& settings)
    : m_prober(prober)
    , m_settings(settings)
{
    m_hitLine.probe = first;
    m_hitLine.line = assembleAroundHit(first, settings.wordSpace, settings.separator);
    m_left = m_hitLine.line.rect.left;
    m_right = m_hitLine.line.rect.right;
    const std::int32_t step = first.found() ? rowStep(first.records[static_cast<std::size_t>(first.hit)], settings.lineExtra) : 1;
    m_up = {firstY, step};
    m_down = {firstY, step};
    if (!first.found())
        m_up.ended = m_down.ended = true;
}

std::optional<WalkedLine> LineWalker::above()
{
    return next(m_up, -1);
}

std::optional<WalkedLine> LineWalker::below()
{
    return next(m_down, 1);
}

std::optional<WalkedLine> LineWalker::next(Direction& d, int sign)
{
    if (d.ended || d.taken >= kMaxLinesEachSide) {
        d.ended = true;
        return std::nullopt;
    }
    const std::int64_t y = std::int64_t{d.y} + sign * std::int64_t{d.step};
    if (y < 0 || y > INT32_MAX) {
        d.ended = true;
        return std::nullopt;
    }
    std::optional<Probe> probe = m_prober.probeRow(static_cast<std::int32_t>(y));
    if (!probe || (!probe->found() && !probe->textSeen)) {
        d.ended = true;
        return std::nullopt;
    }
    WalkedLine walked;
    walked.probe = std::move(*probe);
    if (walked.probe.found()) {
        walked.line = assembleAroundHit(walked.probe, m_settings.wordSpace, m_settings.separator);
        const Record& hit = walked.probe.records[static_cast<std::size_t>(walked.probe.hit)];
        d.y = hit.cell.top + (hit.cell.bottom - hit.cell.top) / 2;
        d.step = rowStep(hit, m_settings.lineExtra);
    } else {
        walked.line = assembleInExtent(walked.probe, m_left, m_right, m_settings.separator);
        d.y = static_cast<std::int32_t>(y);
    }
    if (walked.line.text.empty() || walked.line.blank()) {
        d.ended = true;
        return std::nullopt;
    }
    ++d.taken;
    m_left = std::min(m_left, walked.line.rect.left);
    m_right = std::max(m_right, walked.line.rect.right);
    return walked;
}

LineBlock walkLines(RowProber& prober, const Probe& first, std::int32_t firstY, const WalkSettings& settings)
{
    LineBlock block;
    if (!first.found())
        return block;
    LineWalker walker(prober, first, firstY, settings);
    std::vector<BlockLine> up;
    while (const std::optional<WalkedLine> line = walker.above())
        up.push_back(whole(*line));
    block.lines.assign(up.rbegin(), up.rend());
    block.above = static_cast<int>(up.size());
    block.hitPosition = walker.hitLine().line.hitPosition;
    block.lines.push_back(whole(walker.hitLine()));
    while (const std::optional<WalkedLine> line = walker.below())
        block.lines.push_back(whole(*line));
    return block;
}

LineBlock walkSentence(RowProber& prober, const Probe& first, std::int32_t firstY, const WalkSettings& settings,
                       const SentenceBreak& sentenceBreak)
{
    LineBlock block;
    if (!first.found())
        return block;
    LineWalker walker(prober, first, firstY, settings);
    const WalkedLine& hitLine = walker.hitLine();
    const int hitPosition = hitLine.line.hitPosition;
    if (hitPosition < 0)
        return block;
    int start = hitPosition;
    const bool startFound = sentenceBreak(hitLine.line, &start, kStartDirection);
    int end = hitPosition;
    const bool endFound = sentenceBreak(hitLine.line, &end, kEndDirection);
    const int lastPosition = static_cast<int>(hitLine.line.text.size()) - 1;

    std::vector<BlockLine> up;
    if (!startFound) {
        while (const std::optional<WalkedLine> line = walker.above()) {
            int position = -1;
            if (sentenceBreak(line->line, &position, kStartDirection)) {
                // A line that ends its own sentence gives nothing to this one.
                BlockLine part = cut(*line, position, static_cast<int>(line->line.text.size()) - 1);
                if (!blank(part.text))
                    up.push_back(std::move(part));
                break;
            }
            up.push_back(whole(*line));
        }
    }
    block.lines.assign(up.rbegin(), up.rend());
    block.above = static_cast<int>(up.size());
    block.hitPosition = hitPosition - (startFound ? start : 0);
    block.lines.push_back(cut(hitLine, startFound ? start : 0, endFound ? end : lastPosition));
    if (!endFound) {
        while (const std::optional<WalkedLine> line = walker.below()) {
            int position = -1;
            if (sentenceBreak(line->line, &position, kEndDirection)) {
                block.lines.push_back(cut(*line, 0, position));
                break;
            }
            block.lines.push_back(whole(*line));
        }
    }
    return block;
}

LineBlock singleLine(const Probe& first, const WalkSettings& settings)
{
    LineBlock block;
    if (!first.found())
        return block;
    WalkedLine walked{first, assembleAroundHit(first, settings.wordSpace, settings.separator)};
    if (walked.line.text.empty())
        return block;
    block.hitPosition = walked.line.hitPosition;
    block.lines.push_back(whole(walked));
    return block;
}

} // namespace yv::capture
