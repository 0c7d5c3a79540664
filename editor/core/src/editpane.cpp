// One pane's editing model: layout, caret moves, selection, insertion, deletion, undo and
// the clipboard rules.
#include <editorcore/editpane.h>

#include <editorcore/insertion.h>
#include <editorcore/messages.h>

#include <algorithm>

namespace yv::editor {

namespace {

constexpr bool isSpace(const TextCell& c) { return c.lead == ' '; }
// A single-byte character that does not end a layout unit.
constexpr bool isWordByte(const TextCell& c) { return !isDoubleByte(c) && !isSpace(c) && !isLineBreak(c); }
constexpr bool isAsciiLetter(const TextCell& c)
{
    return (c.lead >= 'A' && c.lead <= 'Z') || (c.lead >= 'a' && c.lead <= 'z');
}

} // namespace

EditPane::EditPane(const FontMetrics& metrics)
    : m_metrics(metrics), m_store(std::make_unique<CellStore>()), m_lineHeight(std::max(1, metrics.lineHeight()))
{
    layout();
}

// ---- layout and scrolling ----

void EditPane::setClientSize(int width, int height)
{
    m_clientWidth = width;
    m_clientHeight = height;
    layout();
}

void EditPane::layout()
{
    layoutLinesFrom(0, kTextTop);
}

void EditPane::layoutAfterChangeAt(std::size_t changed)
{
    const CellStore& s = *m_store;
    // Cells before the unit that holds the change keep their places; a line can be laid out
    // again from its first cell alone, because every line starts at the left edge.
    std::size_t unitStart = std::min(changed, length());
    while (unitStart > 0 && isWordByte(s[unitStart - 1]))
        --unitStart;
    if (unitStart == 0) {
        layout();
        return;
    }
    const int lineY = s[unitStart - 1].y;
    std::size_t lineStart = unitStart - 1;
    while (lineStart > 0 && s[lineStart - 1].y == lineY)
        --lineStart;
    layoutLinesFrom(lineStart, lineY);
}

void EditPane::layoutLinesFrom(std::size_t lineStart, int lineY)
{
    CellStore& s = *m_store;
    const int limit = m_clientWidth - kRightReserve;
    const std::size_t n = s.length();
    int x = kTextLeft;
    int y = lineY;
    int lines = (lineY - kTextTop) / m_lineHeight + 1;
    const auto newLine = [&] {
        x = kTextLeft;
        y += m_lineHeight;
        ++lines;
    };
    std::size_t i = lineStart;
    while (i < n) {
        // A unit: one double-byte character, or single-byte characters up to and including a
        // space or line break.
        std::size_t end = i + 1;
        int unitWidth = s[i].width;
        if (isWordByte(s[i])) {
            while (end < n && !isDoubleByte(s[end])) {
                unitWidth += s[end].width;
                const bool last = isSpace(s[end]) || isLineBreak(s[end]);
                ++end;
                if (last)
                    break;
            }
        }
        if (x > kTextLeft && x + unitWidth >= limit && kTextLeft + unitWidth < limit)
            newLine();
        for (; i < end; ++i) {
            TextCell& c = s[i];
            if (isLineBreak(c)) {
                c.x = x;
                c.y = y;
                newLine();
                continue;
            }
            if (x > kTextLeft && x + c.width >= limit)
                newLine();
            c.x = x;
            c.y = y;
            x += c.width;
        }
    }
    s[n].x = x;
    s[n].y = y;
    s.lineCount = lines;
    scrollTo(m_topLine);
}

int EditPane::scrollRange() const
{
    const int height = textHeight();
    if (height <= m_clientHeight)
        return 0;
    return (m_lineHeight - m_clientHeight + height) / m_lineHeight;
}

void EditPane::scrollTo(int line)
{
    m_topLine = std::clamp(line, 0, scrollRange());
}

int EditPane::pageLines() const
{
    const int visible = m_clientHeight / m_lineHeight;
    return visible <= 1 ? 1 : visible - 1;
}

int EditPane::lineOf(std::size_t cell) const
{
    return ((*m_store)[std::min(cell, length())].y - kTextTop) / m_lineHeight;
}

void EditPane::scrollToCell(std::size_t cell)
{
    const int line = lineOf(cell);
    const int visible = std::max(1, m_clientHeight / m_lineHeight);
    if (line < m_topLine)
        scrollTo(line);
    else if (line >= m_topLine + visible)
        scrollTo(line - visible + 1);
}

std::size_t EditPane::cellAt(int x, int y) const
{
    const CellStore& s = *m_store;
    const int line = std::clamp((y - kTextTop) / m_lineHeight, 0, s.lineCount - 1);
    const int lineY = kTextTop + line * m_lineHeight;
    const auto begin = s.cells.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(length() + 1);
    auto it = std::lower_bound(begin, end, lineY, [](const TextCell& c, int v) { return c.y < v; });
    for (; it != end && it->y == lineY; ++it) {
        if (x < it->x + it->width || it + 1 == end || (it + 1)->y != lineY) {
            // Past the end of a wrapped line the caret goes after its last character.
            if (x >= it->x + it->width && it->lead != 0 && !isLineBreak(*it))
                ++it;
            return static_cast<std::size_t>(it - begin);
        }
    }
    return length();
}

// ---- caret and selection ----

void EditPane::setCaret(std::size_t cell)
{
    m_caret = std::min(cell, length());
    m_anchor = m_caret;
}

void EditPane::select(std::size_t first, std::size_t last)
{
    clearSelection();
    if (length() == 0 || first >= length())
        return;
    last = std::min(last, length() - 1);
    for (std::size_t i = first; i <= last; ++i)
        (*m_store)[i].flags |= kCellSelected;
    m_selFirst = static_cast<int>(first);
    m_selLast = static_cast<int>(last);
}

void EditPane::clearSelection()
{
    if (m_selFirst < 0)
        return;
    for (int i = m_selFirst; i <= m_selLast; ++i)
        (*m_store)[static_cast<std::size_t>(i)].flags &= ~kCellSelected;
    m_selFirst = m_selLast = -1;
}

void EditPane::selectPair(std::uint16_t pair)
{
    clearSelection();
    if (pair == 0)
        return;
    const CellStore& s = *m_store;
    std::size_t first = length();
    std::size_t last = 0;
    for (std::size_t i = 0; i < length(); ++i) {
        if (s[i].pair == pair) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first < length())
        select(first, last);
}

std::uint16_t EditPane::currentPair() const
{
    return hasSelection() ? (*m_store)[static_cast<std::size_t>(m_selFirst)].pair : (*m_store)[m_caret].pair;
}

void EditPane::moveCaret(std::size_t to, bool extend)
{
    to = std::min(to, length());
    if (extend) {
        if (!hasSelection())
            m_anchor = m_caret;
        else if (m_anchor != static_cast<std::size_t>(m_selFirst) && m_anchor != static_cast<std::size_t>(m_selLast) + 1)
            m_anchor = m_caret == static_cast<std::size_t>(m_selFirst) ? static_cast<std::size_t>(m_selLast) + 1
                                                                      : static_cast<std::size_t>(m_selFirst);
        m_caret = to;
        if (m_anchor == m_caret)
            clearSelection();
        else
            select(std::min(m_anchor, m_caret), std::max(m_anchor, m_caret) - 1);
    } else {
        clearSelection();
        m_caret = m_anchor = to;
    }
    scrollToCell(m_caret);
}

void EditPane::moveRight(bool extend)
{
    std::size_t from = m_caret;
    if (!extend && hasSelection())
        from = static_cast<std::size_t>(m_selLast);
    moveCaret(std::min(from + 1, length()), extend);
}

void EditPane::moveLeft(bool extend)
{
    std::size_t from = m_caret;
    if (!extend && hasSelection())
        from = static_cast<std::size_t>(m_selFirst);
    moveCaret(from > 0 ? from - 1 : 0, extend);
}

void EditPane::moveUnitRight(bool extend)
{
    const CellStore& s = *m_store;
    const std::size_t n = length();
    std::size_t i = m_caret;
    if (i >= n)
        return;
    if (const std::uint16_t pair = s[i].pair; pair != 0) {
        while (i < n && s[i].pair == pair)
            ++i;
    } else if (isSpace(s[i])) {
        while (i < n && isSpace(s[i]))
            ++i;
    } else if (isDoubleByte(s[i]) || isLineBreak(s[i])) {
        ++i;
    } else {
        // A word also ends where a unit starts.
        while (i < n && !isSpace(s[i]) && !isLineBreak(s[i]) && s[i].pair == 0)
            ++i;
    }
    moveCaret(i, extend);
}

void EditPane::moveUnitLeft(bool extend)
{
    const CellStore& s = *m_store;
    std::size_t i = m_caret;
    if (i == 0)
        return;
    const TextCell& before = s[i - 1];
    --i;
    if (before.pair != 0) {
        while (i > 0 && s[i - 1].pair == before.pair)
            --i;
    } else if (isSpace(before)) {
        while (i > 0 && isSpace(s[i - 1]))
            --i;
    } else if (!isDoubleByte(before) && !isLineBreak(before)) {
        while (i > 0 && !isSpace(s[i - 1]) && !isLineBreak(s[i - 1]) && s[i - 1].pair == 0)
            --i;
    }
    moveCaret(i, extend);
}

void EditPane::moveDown(bool extend)
{
    const CellStore& s = *m_store;
    const int line = lineOf(m_caret);
    if (line + 1 >= s.lineCount)
        return;
    const int targetY = kTextTop + (line + 1) * m_lineHeight;
    const int x = s[m_caret].x;
    std::size_t i = m_caret;
    while (s[i].y < targetY)
        ++i;
    while (i < length() && s[i + 1].y == targetY && s[i].x < x)
        ++i;
    moveCaret(i, extend);
}

void EditPane::moveUp(bool extend)
{
    const CellStore& s = *m_store;
    const int line = lineOf(m_caret);
    if (line == 0)
        return;
    const int targetY = kTextTop + (line - 1) * m_lineHeight;
    const int x = s[m_caret].x;
    std::size_t i = m_caret;
    while (i > 0 && s[i - 1].y >= targetY)
        --i;
    // i is now the first cell of the line above.
    while (s[i + 1].y == targetY && s[i].x < x)
        ++i;
    moveCaret(i, extend);
}

void EditPane::moveHome(bool extend)
{
    std::size_t i = m_caret;
    while (i > 0 && !isLineBreak((*m_store)[i - 1]))
        --i;
    moveCaret(i, extend);
}

void EditPane::moveEnd(bool extend)
{
    std::size_t i = m_caret;
    while (i < length() && !isLineBreak((*m_store)[i]))
        ++i;
    moveCaret(i, extend);
}

void EditPane::click(std::size_t cell)
{
    moveCaret(cell, false);
}

void EditPane::dragTo(std::size_t cell)
{
    moveCaret(cell, true);
}

DoubleClickResult EditPane::doubleClick(std::size_t cell)
{
    const CellStore& s = *m_store;
    if (cell >= length())
        return DoubleClickResult::Nothing;
    if (s[cell].pair != 0) {
        setCaret(cell);
        return DoubleClickResult::PairMark;
    }
    if (isDoubleByte(s[cell])) {
        select(cell, cell);
    } else if (isAsciiLetter(s[cell])) {
        std::size_t first = cell;
        std::size_t last = cell;
        while (first > 0 && isAsciiLetter(s[first - 1]))
            --first;
        while (last + 1 < length() && isAsciiLetter(s[last + 1]))
            ++last;
        select(first, last);
    } else {
        return DoubleClickResult::Nothing;
    }
    m_caret = static_cast<std::size_t>(m_selFirst);
    m_anchor = static_cast<std::size_t>(m_selLast) + 1;
    return DoubleClickResult::Selected;
}

// ---- editing ----

void EditPane::changed()
{
    if (onModified)
        onModified();
}

bool EditPane::checkRoom(std::size_t added)
{
    if (hasRoomFor(added))
        return true;
    reportStoreFull();
    return false;
}

bool EditPane::hasRoomFor(std::size_t added) const
{
    return length() + 1 + added <= kStoreCells;
}

void EditPane::reportStoreFull()
{
    if (onBeep)
        onBeep();
    messages::warn(messages::kStoreFull);
}

std::vector<TextCell> EditPane::makeCells(const std::vector<CellChar>& chars) const
{
    std::vector<TextCell> cells(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i) {
        TextCell& c = cells[i];
        c.lead = chars[i].lead;
        c.trail = chars[i].trail;
        c.pair = chars[i].pair;
        c.tag = chars[i].tag;
        if (!isLineBreak(c))
            c.width = static_cast<std::uint8_t>(std::clamp(m_metrics.advance(c.lead, c.trail), 0, 255));
    }
    return cells;
}

void EditPane::eraseRange(std::size_t first, std::size_t count)
{
    m_store->replace(first, count, {});
}

bool EditPane::insertChars(const std::vector<CellChar>& chars, bool withUndo)
{
    if (chars.empty() || !checkRoom(chars.size()))
        return false;
    if (hasSelection()) {
        const auto first = static_cast<std::size_t>(m_selFirst);
        const auto count = static_cast<std::size_t>(m_selLast - m_selFirst + 1);
        m_store->takeUndoCopy(static_cast<int>(m_caret));
        clearSelection();
        eraseRange(first, count);
        m_caret = first;
    } else if (withUndo) {
        m_store->takeUndoCopy(static_cast<int>(m_caret));
    }
    const std::size_t at = m_caret;
    m_store->replace(at, 0, makeCells(chars));
    m_caret += chars.size();
    m_anchor = m_caret;
    layoutAfterChangeAt(at);
    scrollToCell(m_caret);
    changed();
    return true;
}

bool EditPane::insert(std::string_view cp932, std::uint16_t pair, std::uint8_t tag, bool withUndo)
{
    return insertChars(normalizeInsertion(cp932, pair, tag), withUndo);
}

bool EditPane::insertFromOutside(std::string_view cp932)
{
    if (cp932.size() >= kOutsideTextLimit) {
        messages::warn(messages::kTextTooLong);
        return false;
    }
    return insert(cp932, 0, 0, true);
}

bool EditPane::typeCharacter(char c)
{
    if (c < 0x20 || c > 0x7E)
        return false;
    return insert(std::string_view(&c, 1), 0, 0, true);
}

bool EditPane::insertComposition(std::string_view cp932)
{
    return insert(cp932, 0, 0, true);
}

bool EditPane::insertLineBreak()
{
    return insert("\n", 0, 0, true);
}

bool EditPane::deleteSelection()
{
    if (!hasSelection())
        return false;
    const auto first = static_cast<std::size_t>(m_selFirst);
    const auto count = static_cast<std::size_t>(m_selLast - m_selFirst + 1);
    m_store->takeUndoCopy(static_cast<int>(m_caret));
    clearSelection();
    eraseRange(first, count);
    m_caret = m_anchor = first;
    layoutAfterChangeAt(first);
    scrollToCell(m_caret);
    changed();
    return true;
}

bool EditPane::deleteForward()
{
    if (hasSelection())
        return deleteSelection();
    if (m_caret >= length())
        return false;
    select(m_caret, m_caret);
    return deleteSelection();
}

bool EditPane::deleteBackward()
{
    if (hasSelection())
        return deleteSelection();
    if (m_caret == 0)
        return false;
    const std::size_t at = m_caret - 1;
    select(at, at);
    return deleteSelection();
}

bool EditPane::undo()
{
    if (!m_store->canUndo())
        return false;
    clearSelection();
    const int caret = m_store->restoreUndoCopy();
    // The copy may have been taken while cells were selected.
    for (std::size_t i = 0; i < length(); ++i)
        (*m_store)[i].flags = 0;
    m_caret = m_anchor = std::min(static_cast<std::size_t>(std::max(caret, 0)), length());
    layout();
    scrollToCell(m_caret);
    changed();
    return true;
}

bool EditPane::replaceUnit(std::string_view cp932)
{
    if (!hasSelection())
        return false;
    const auto at = static_cast<std::size_t>(m_selFirst);
    const TextCell& first = (*m_store)[at];
    if (!insert(cp932, first.pair, first.tag, true))
        return false;
    select(at, m_caret - 1);
    m_anchor = at;
    return true;
}

void EditPane::clearAll()
{
    m_selFirst = m_selLast = -1;
    m_store->clear();
    m_caret = m_anchor = 0;
    m_topLine = 0;
    layout();
}

void EditPane::setText(const std::vector<CellChar>& chars)
{
    clearAll();
    const std::size_t count = std::min(chars.size(), kMaxCharacters);
    m_store->replace(0, 0, makeCells(std::vector<CellChar>(chars.begin(), chars.begin() + static_cast<std::ptrdiff_t>(count))));
    layout();
}

// ---- clipboard ----

std::string EditPane::selectionText() const
{
    std::string out;
    if (!hasSelection())
        return out;
    const CellStore& s = *m_store;
    for (auto i = static_cast<std::size_t>(m_selFirst); i <= static_cast<std::size_t>(m_selLast); ++i) {
        if (isLineBreak(s[i])) {
            out += "\r\n";
            continue;
        }
        out.push_back(static_cast<char>(s[i].lead));
        if (isDoubleByte(s[i]))
            out.push_back(static_cast<char>(s[i].trail));
    }
    return out;
}

CutResult EditPane::cut()
{
    CutResult result;
    if (!hasSelection())
        return result;
    CellStore& s = *m_store;
    const auto first = static_cast<std::size_t>(m_selFirst);
    const auto last = static_cast<std::size_t>(m_selLast);
    // A unit split by the cut loses its number in the cells that stay.
    const auto unlinkRest = [&](std::uint16_t pair) {
        for (std::size_t i = 0; i < length(); ++i) {
            if (s[i].pair == pair && (i < first || i > last))
                s[i].pair = 0;
        }
    };
    if (const std::uint16_t p = s[first].pair; p != 0 && first > 0 && s[first - 1].pair == p)
        unlinkRest(p);
    if (const std::uint16_t p = s[last].pair; p != 0 && last + 1 < length() && s[last + 1].pair == p)
        unlinkRest(p);

    result.text = selectionText();
    result.pairBlock.storeIdentity = s.identity();
    result.pairBlock.window = m_window;
    for (std::size_t i = first; i <= last; ++i)
        result.pairBlock.pairs.push_back(s[i].pair);
    deleteSelection();
    return result;
}

bool EditPane::paste(std::string_view cp932, const PairBlock* block)
{
    if (cp932.size() >= kOutsideTextLimit) {
        messages::warn(messages::kTextTooLong);
        return false;
    }
    std::vector<CellChar> chars = normalizeInsertion(cp932);
    const bool ours = block && block->storeIdentity == m_store->identity() && block->window == m_window;
    if (ours) {
        for (std::size_t i = 0; i < chars.size() && i < block->pairs.size(); ++i)
            chars[i].pair = block->pairs[i];
    }
    return insertChars(chars, true) && ours;
}

} // namespace yv::editor
