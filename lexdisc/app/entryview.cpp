// The entry display.
#include "entryview.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

namespace yv::lexdisc {

namespace {

constexpr int kMargin = 4;

} // namespace

EntryView::EntryView(QWidget* parent)
    : QAbstractScrollArea(parent), m_fonts(std::make_unique<CellFonts>(displayFont()))
{
    setFont(displayFont());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

EntryView::~EntryView() = default;

void EntryView::setEntry(const book::BookShelf& shelf, book::DisplayModel model)
{
    m_glyphs.clear();
    m_glyphs.collect(shelf, model.cells);
    m_model = std::move(model);
    m_texts.clear();
    m_texts.reserve(m_model.cells.size());
    for (const book::DisplayCell& cell : m_model.cells)
        m_texts.push_back(cellText(cell));
    m_anchor.reset();
    m_end.reset();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    relayout();
}

void EntryView::clearEntry()
{
    m_model.clear();
    m_texts.clear();
    m_glyphs.clear();
    m_anchor.reset();
    m_end.reset();
    relayout();
}

void EntryView::relayout()
{
    m_layout = lexview::layoutEntry(m_model, *m_fonts, viewport()->width() - 2 * kMargin);
    const int lineHeight = m_layout.lineHeight;
    verticalScrollBar()->setSingleStep(lineHeight);
    verticalScrollBar()->setPageStep(std::max(lineHeight, viewport()->height() / lineHeight * lineHeight));
    verticalScrollBar()->setRange(0, std::max(0, m_layout.height + 2 * kMargin - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, m_layout.width + 2 * kMargin - viewport()->width()));
    viewport()->update();
}

void EntryView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void EntryView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_fonts = std::make_unique<CellFonts>(font());
        relayout();
    }
}

std::pair<std::size_t, std::size_t> EntryView::selectionRange() const
{
    return std::minmax(*m_anchor, *m_end);
}

QColor EntryView::inkOf(std::size_t cell) const
{
    const QPalette& p = palette();
    const QColor window = p.base().color();
    if (m_model.cells[cell].flags & book::CellFlag::Highlighted)
        return window == QColor(Qt::blue) ? QColor(Qt::white) : QColor(Qt::blue);
    if (m_layout.styles[cell] & lexview::CellStyle::Clickable)
        return window == QColor(kItemColour) ? p.text().color() : QColor(kItemColour);
    return p.text().color();
}

void EntryView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const int dx = kMargin - horizontalScrollBar()->value();
    const int dy = kMargin - verticalScrollBar()->value();
    const QRect visible = event->rect();
    // An empty range (first after last) when nothing is selected.
    std::pair<std::size_t, std::size_t> selected{1, 0};
    if (hasSelection())
        selected = selectionRange();
    const int lineHeight = m_layout.lineHeight;
    // Only the lines in the exposed rectangle are drawn.
    const int firstTop = visible.top() - dy - lineHeight;
    const auto start = std::lower_bound(m_layout.boxes.begin(), m_layout.boxes.end(), firstTop,
                                        [](const lexview::CellBox& b, int top) { return b.y < top; });
    // Neighbouring cells of one line, font, style and ink are drawn as one run of text.
    struct Run {
        QString text;
        lexview::CellFont font = lexview::CellFont::Normal;
        std::uint8_t style = 0;
        QColor ink;
        int x = 0;
        int y = 0;
        int end = 0;
    } run;
    auto flush = [&] {
        if (!run.text.isEmpty())
            drawRun(painter, *m_fonts, run.text, run.font, run.style, run.x, run.y, run.ink);
        run.text.clear();
    };
    constexpr std::uint8_t kDrawnStyles = lexview::CellStyle::Subscript | lexview::CellStyle::Superscript;
    for (auto it = start; it != m_layout.boxes.end(); ++it) {
        const auto i = static_cast<std::size_t>(it - m_layout.boxes.begin());
        const lexview::CellBox& box = *it;
        if (box.y + dy > visible.bottom())
            break;
        const book::DisplayCell& cell = m_model.cells[i];
        if (cell.isLineBreak())
            continue;
        const int x = box.x + dx;
        const int y = box.y + dy;
        QColor ink = inkOf(i);
        if (i >= selected.first && i <= selected.second) {
            painter.fillRect(x, y, box.width, lineHeight, palette().highlight());
            ink = palette().highlightedText().color();
        }
        const std::uint8_t style = m_layout.styles[i];
        const lexview::CellFont font = lexview::fontOf(cell, style);
        if (style & lexview::CellStyle::Emphasis)
            painter.fillRect(x, y + lineHeight - 1, box.width, 1, Qt::blue);
        if (cell.isExternal()) {
            flush();
            drawCell(painter, *m_fonts, m_glyphs, cell, m_texts[i], font, style, x, y, ink);
            continue;
        }
        if (run.text.isEmpty() || run.y != y || run.end != x || run.font != font || run.ink != ink
            || (run.style & kDrawnStyles) != (style & kDrawnStyles)) {
            flush();
            run.font = font;
            run.style = style;
            run.ink = ink;
            run.x = x;
            run.y = y;
        }
        run.text += m_texts[i];
        run.end = x + box.width;
    }
    flush();
}

std::optional<std::size_t> EntryView::cellUnder(QPoint p) const
{
    return lexview::cellAt(m_layout, p.x() - kMargin + horizontalScrollBar()->value(),
                           p.y() - kMargin + verticalScrollBar()->value());
}

QPoint EntryView::cellPoint(std::size_t cell) const
{
    if (cell >= m_layout.boxes.size())
        return {};
    const lexview::CellBox& box = m_layout.boxes[cell];
    return {box.x + box.width / 2 + kMargin - horizontalScrollBar()->value(),
            box.y + m_layout.lineHeight / 2 + kMargin - verticalScrollBar()->value()};
}

void EntryView::select(std::size_t first, std::size_t last)
{
    if (m_model.cells.empty())
        return;
    m_anchor = std::min(first, m_model.cells.size() - 1);
    m_end = std::min(last, m_model.cells.size() - 1);
    viewport()->update();
}

lexview::CopiedText EntryView::selectedText() const
{
    if (!hasSelection())
        return {};
    const auto [first, last] = selectionRange();
    return lexview::copyText(m_model, m_layout, first, last);
}

lexview::CopiedText EntryView::allText() const
{
    if (m_model.cells.empty())
        return {};
    return lexview::copyText(m_model, m_layout, 0, m_model.cells.size() - 1);
}

std::optional<std::string> EntryView::selectionKey() const
{
    if (!hasSelection())
        return std::nullopt;
    const auto [first, last] = selectionRange();
    return lexview::selectionKey(m_model, first, last);
}

void EntryView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const auto cell = cellUnder(event->position().toPoint());
    if (cell) {
        const lexview::ItemHit item = lexview::itemAt(m_model, *cell);
        if (item.kind != lexview::ItemKind::None) {
            emit itemClicked(item);
            return;
        }
    }
    m_anchor = cell;
    m_end = cell;
    m_selecting = cell.has_value();
    viewport()->update();
}

void EntryView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting)
        return;
    if (const auto cell = cellUnder(event->position().toPoint())) {
        m_end = cell;
        viewport()->update();
    }
}

void EntryView::mouseReleaseEvent(QMouseEvent*)
{
    m_selecting = false;
}

void EntryView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && hasSelection())
        emit searchSelection();
}

void EntryView::keyPressEvent(QKeyEvent* event)
{
    QScrollBar* bar = verticalScrollBar();
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); return;
    case Qt::Key_Down: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); return;
    case Qt::Key_PageUp: bar->triggerAction(QAbstractSlider::SliderPageStepSub); return;
    case Qt::Key_PageDown: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); return;
    case Qt::Key_B:
        if (event->modifiers() & Qt::ControlModifier) {
            emit backRequested();
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool EntryView::focusNextPrevChild(bool next)
{
    if (next) {
        emit tabPressed();
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void EntryView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* search = menu.addAction(QStringLiteral("検索の実行"));
    QAction* copy = menu.addAction(QStringLiteral("コピー"));
    QAction* copyAll = menu.addAction(QStringLiteral("全コピー"));
    search->setEnabled(hasEntry() && hasSelection());
    copy->setEnabled(hasEntry() && hasSelection());
    copyAll->setEnabled(hasEntry());
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == search)
        emit searchSelection();
    else if (chosen == copy)
        emit copyRequested();
    else if (chosen == copyAll)
        emit copyAllRequested();
}

} // namespace yv::lexdisc
