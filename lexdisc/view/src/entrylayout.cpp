// Laying out, highlighting, hit-testing and copying an entry.
#include <lexview/entrylayout.h>

#include <platform/codec.h>

#include <algorithm>

namespace yv::lexview {

namespace {

using book::CellRange;
using book::DisplayCell;
using book::DisplayModel;

void markRanges(const std::vector<CellRange>& ranges, std::uint8_t style, std::vector<std::uint8_t>& styles)
{
    if (styles.empty())
        return;
    for (const CellRange& r : ranges) {
        const std::size_t last = std::min(r.last, styles.size() - 1);
        for (std::size_t i = r.first; i <= last; ++i)
            styles[i] |= style;
    }
}

template <typename Item>
void markItems(const std::vector<Item>& items, std::vector<std::uint8_t>& styles)
{
    std::vector<CellRange> ranges;
    ranges.reserve(items.size());
    for (const Item& item : items)
        ranges.push_back(item.cells);
    markRanges(ranges, CellStyle::Clickable, styles);
}

template <typename Item>
bool findItem(const std::vector<Item>& items, std::size_t cell, std::size_t& index)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (cell >= items[i].cells.first && cell <= items[i].cells.last) {
            index = i;
            return true;
        }
    }
    return false;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char foldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isMiddleDot(const DisplayCell& cell)
{
    const std::string_view t = cell.text();
    return t == "\xA5" || t == "\x81\x45";
}

bool sameCharacter(const DisplayCell& cell, std::string_view character)
{
    if (cell.isExternal() || cell.isLineBreak())
        return false;
    const std::string_view t = cell.text();
    if (t.size() == 1 && character.size() == 1 && isAsciiLetter(t[0]))
        return foldCase(t[0]) == foldCase(character[0]);
    return t == character;
}

std::vector<std::string_view> charactersOf(std::string_view sjis)
{
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < sjis.size();) {
        const std::size_t n = codec::isLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
        out.push_back(sjis.substr(i, n));
        i += n;
    }
    return out;
}

// The cells of the occurrence starting at `start`; the end (exclusive), or 0 when none.
std::size_t matchAt(const DisplayModel& model, std::size_t start, const std::vector<std::string_view>& title)
{
    std::size_t at = start;
    for (std::size_t k = 0; k < title.size(); ++k) {
        while (k > 0 && at < model.cells.size() && isMiddleDot(model.cells[at]) && title[k] != model.cells[at].text())
            ++at;
        if (at >= model.cells.size() || !sameCharacter(model.cells[at], title[k]))
            return 0;
        ++at;
    }
    if (at < model.cells.size()) {
        const DisplayCell& next = model.cells[at];
        if (!next.isExternal() && next.length == 1 && isAsciiLetter(next.bytes[0]))
            return 0;
    }
    return at;
}

} // namespace

CellFont fontOf(const DisplayCell& cell, std::uint8_t style)
{
    if (style & (CellStyle::Subscript | CellStyle::Superscript))
        return CellFont::Small;
    if ((style & CellStyle::HalfWidth) && cell.length == 2 && !cell.isExternal() && !cell.isLineBreak()
        && codec::isLeadByte(static_cast<unsigned char>(cell.bytes[0])))
        return CellFont::Narrow;
    return CellFont::Normal;
}

std::vector<std::uint8_t> cellStyles(const DisplayModel& model)
{
    std::vector<std::uint8_t> styles(model.cells.size(), 0);
    markRanges(model.halfWidth, CellStyle::HalfWidth, styles);
    markRanges(model.subscript, CellStyle::Subscript, styles);
    markRanges(model.superscript, CellStyle::Superscript, styles);
    markRanges(model.emphasis, CellStyle::Emphasis, styles);
    markRanges(model.noBreak, CellStyle::NoBreak, styles);
    markRanges(model.noWrap, CellStyle::NoWrap, styles);
    markItems(model.references, styles);
    markItems(model.cdAudio, styles);
    markItems(model.waves, styles);
    markItems(model.monochromeGraphics, styles);
    markItems(model.colourGraphics, styles);
    return styles;
}

EntryLayout layoutEntry(const DisplayModel& model, const CellMetrics& metrics, int clientWidth)
{
    EntryLayout layout;
    const std::size_t n = model.cells.size();
    layout.styles = cellStyles(model);
    layout.boxes.resize(n);
    layout.lineHeight = std::max(1, metrics.lineHeight());
    const int space = std::max(0, metrics.spaceWidth());
    const int limit = clientWidth - kRightMargin;

    std::vector<int> widths(n);
    for (std::size_t i = 0; i < n; ++i)
        widths[i] = model.cells[i].isLineBreak() ? 0 : std::max(0, metrics.width(model.cells[i], fontOf(model.cells[i], layout.styles[i])));

    // Where each no-break range that starts at a cell ends.
    std::vector<std::size_t> noBreakEnd(n, 0);
    for (const CellRange& r : model.noBreak) {
        if (r.first < n && r.first <= r.last)
            noBreakEnd[r.first] = std::max(noBreakEnd[r.first], std::min(r.last, n - 1));
    }

    int lineStart = model.firstIndent * space;
    int x = lineStart;
    int y = 0;
    auto newLine = [&] {
        y += layout.lineHeight;
        x = lineStart;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const DisplayCell& cell = model.cells[i];
        if (cell.isLineBreak()) {
            layout.boxes[i] = {x, y, 0};
            lineStart = cell.indent * space;
            newLine();
            continue;
        }
        const bool wraps = !(layout.styles[i] & CellStyle::NoWrap);
        if (wraps && noBreakEnd[i] > i && x > lineStart) {
            int total = 0;
            for (std::size_t j = i; j <= noBreakEnd[i] && !model.cells[j].isLineBreak(); ++j)
                total += widths[j];
            if (x + total > limit)
                newLine();
        }
        if (wraps && x > lineStart && x + widths[i] > limit)
            newLine();
        layout.boxes[i] = {x, y, widths[i]};
        x += widths[i];
        layout.width = std::max(layout.width, x);
    }
    layout.height = y + layout.lineHeight;
    return layout;
}

std::optional<std::size_t> cellAt(const EntryLayout& layout, int x, int y)
{
    const auto& boxes = layout.boxes;
    if (boxes.empty() || y < 0)
        return std::nullopt;
    const int lineTop = y / layout.lineHeight * layout.lineHeight;
    const auto first = std::lower_bound(boxes.begin(), boxes.end(), lineTop,
                                        [](const CellBox& b, int top) { return b.y < top; });
    if (first == boxes.end() || first->y != lineTop)
        return std::nullopt;
    auto it = first;
    while (it != boxes.end() && it->y == lineTop) {
        if (x < it->x + it->width || std::next(it) == boxes.end() || std::next(it)->y != lineTop)
            return static_cast<std::size_t>(it - boxes.begin());
        ++it;
    }
    return static_cast<std::size_t>(first - boxes.begin());
}

void highlightKey(DisplayModel& model, std::string_view sjisTitle)
{
    for (DisplayCell& cell : model.cells)
        cell.flags &= static_cast<std::uint8_t>(~book::CellFlag::Highlighted);
    const std::vector<std::string_view> title = charactersOf(sjisTitle);
    if (title.empty())
        return;
    for (std::size_t i = 0; i < model.cells.size();) {
        const std::size_t end = matchAt(model, i, title);
        if (end == 0) {
            ++i;
            continue;
        }
        for (std::size_t j = i; j < end; ++j)
            model.cells[j].flags |= book::CellFlag::Highlighted;
        i = end;
    }
}

CopiedText copyText(const DisplayModel& model, const EntryLayout& layout, std::size_t first, std::size_t last)
{
    CopiedText copied;
    if (model.cells.empty() || first > last || first >= model.cells.size())
        return copied;
    last = std::min(last, model.cells.size() - 1);
    for (std::size_t i = first; i <= last; ++i) {
        const DisplayCell& cell = model.cells[i];
        const bool wrapped = i > first && i < layout.boxes.size() && layout.boxes[i].y > layout.boxes[i - 1].y
                          && !model.cells[i - 1].isLineBreak();
        if (wrapped && !cell.isLineBreak())
            copied.sjis += "\r\n";
        if (cell.isExternal()) {
            copied.sjis += '@';
            copied.hadExternal = true;
        } else {
            copied.sjis += cell.text();
        }
    }
    return copied;
}

ItemHit itemAt(const DisplayModel& model, std::size_t cell)
{
    ItemHit hit;
    if (findItem(model.references, cell, hit.index))
        hit.kind = ItemKind::Reference;
    else if (findItem(model.cdAudio, cell, hit.index))
        hit.kind = ItemKind::CdAudio;
    else if (findItem(model.waves, cell, hit.index))
        hit.kind = ItemKind::Wave;
    else if (findItem(model.monochromeGraphics, cell, hit.index))
        hit.kind = ItemKind::MonochromeGraphic;
    else if (findItem(model.colourGraphics, cell, hit.index))
        hit.kind = ItemKind::ColourGraphic;
    return hit;
}

std::optional<std::string> selectionKey(const DisplayModel& model, std::size_t first, std::size_t last)
{
    std::string key;
    for (std::size_t i = first; i <= last && i < model.cells.size(); ++i) {
        if (model.cells[i].isExternal())
            return std::nullopt;
        if (!model.cells[i].isLineBreak())
            key += model.cells[i].text();
    }
    return key;
}

} // namespace yv::lexview
