// The hit list.
#include "hitlistview.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace yv::lexdisc {

namespace {

constexpr int kItemPadding = 4;
// Rows kept painted: about two screens of a tall list.
constexpr std::size_t kMaxRowImages = 128;

} // namespace

class HitListView::Delegate final : public QStyledItemDelegate {
public:
    explicit Delegate(HitListView& view) : QStyledItemDelegate(&view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto row = static_cast<std::size_t>(index.row());
        if (row >= m_view.m_headings.size())
            return;
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        const QColor ink = selected ? palette.highlightedText().color() : palette.text().color();
        Heading& heading = m_view.m_headings[row];
        const int textTop = (option.rect.height() - m_view.m_fonts->lineHeight()) / 2;
        // A selected row lies on the highlight, the others on the view's base.
        const QBrush& ground = selected ? palette.highlight() : palette.base();
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        // Only an opaque plain ground at a whole pixel ratio is copied back pixel for pixel.
        if (ground.style() != Qt::SolidPattern || !ground.isOpaque() || ratio != std::floor(ratio)
            || option.rect.isEmpty()) {
            if (selected)
                painter->fillRect(option.rect, ground);
            m_view.drawHeading(*painter, heading, option.rect.left() + kItemPadding, option.rect.top() + textTop, ink);
            return;
        }
        // The image spans the text and a margin for ink past the summed widths (a rounding
        // per cell, an overhang); right of it lies only ground.
        const int extent = std::min(option.rect.width(), heading.width + 2 * kItemPadding
                                                             + m_view.m_fonts->lineHeight()
                                                             + static_cast<int>(heading.cells.size()));
        const QRect imageRect(option.rect.topLeft(), QSize(extent, option.rect.height()));
        if (selected && extent < option.rect.width())
            painter->fillRect(option.rect.adjusted(extent, 0, 0, 0), ground);
        if (!heading.images)
            heading.images = std::make_unique<RowImages>();
        RowImage& image = selected ? heading.images->selected : heading.images->plain;
        if (image.pixmap.isNull() || image.pixmap.devicePixelRatio() != ratio
            || image.pixmap.deviceIndependentSize() != QSizeF(imageRect.size()) || image.ink != ink.rgba()
            || image.ground != ground.color().rgba()) {
            QPixmap pixmap(imageRect.size() * ratio);
            pixmap.setDevicePixelRatio(ratio);
            pixmap.fill(ground.color());
            QPainter rowPainter(&pixmap);
            m_view.drawHeading(rowPainter, heading, kItemPadding, textTop, ink);
            rowPainter.end();
            image = {std::move(pixmap), ink.rgba(), ground.color().rgba()};
            m_view.keepRowImage(row);
        }
        painter->drawPixmap(imageRect.topLeft(), image.pixmap);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const auto row = static_cast<std::size_t>(index.row());
        const int width = row < m_view.m_headings.size() ? m_view.m_headings[row].width : 0;
        return {width + 2 * kItemPadding, m_view.m_fonts->lineHeight() + kItemPadding};
    }

private:
    HitListView& m_view;
};

void HitListView::drawHeading(QPainter& painter, const Heading& heading, int x, int y, QColor ink) const
{
    // Text between external characters is drawn in one piece.
    QString run;
    int runX = x;
    for (std::size_t i = 0; i < heading.cells.size(); ++i) {
        const book::DisplayCell& cell = heading.cells[i];
        if (cell.isExternal()) {
            drawRun(painter, *m_fonts, run, lexview::CellFont::Normal, 0, runX, y, ink);
            run.clear();
            drawCell(painter, *m_fonts, m_glyphs, cell, heading.texts[i], lexview::CellFont::Normal, 0, x, y, ink);
            x += m_fonts->width(cell, lexview::CellFont::Normal);
            runX = x;
            continue;
        }
        run += heading.texts[i];
        x += m_fonts->width(cell, lexview::CellFont::Normal);
    }
    drawRun(painter, *m_fonts, run, lexview::CellFont::Normal, 0, runX, y, ink);
}

void HitListView::keepRowImage(std::size_t row)
{
    m_imageRows.push_back(row);
    if (m_imageRows.size() <= kMaxRowImages)
        return;
    const std::size_t oldest = m_imageRows.front();
    m_imageRows.pop_front();
    if (oldest < m_headings.size() && oldest != row)
        m_headings[oldest].images.reset();
}

void HitListView::dropRowImages()
{
    for (Heading& heading : m_headings)
        heading.images.reset();
    m_imageRows.clear();
}

HitListView::HitListView(QWidget* parent)
    : QListWidget(parent), m_fonts(std::make_unique<CellFonts>(displayFont()))
{
    setFont(displayFont());
    setItemDelegate(new Delegate(*this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformItemSizes(false);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { emit chosen(row(item)); });
}

HitListView::~HitListView() = default;

void HitListView::setHeadings(const book::BookShelf& shelf, std::vector<std::vector<book::DisplayCell>> headings)
{
    clearHeadings();
    m_headings.reserve(headings.size());
    for (auto& cells : headings) {
        m_glyphs.collect(shelf, cells);
        Heading heading;
        heading.texts.reserve(cells.size());
        for (const book::DisplayCell& cell : cells) {
            heading.texts.push_back(cellText(cell));
            heading.width += m_fonts->width(cell, lexview::CellFont::Normal);
        }
        heading.cells = std::move(cells);
        m_headings.push_back(std::move(heading));
    }
    addItems(QStringList(static_cast<int>(m_headings.size()), QString()));
    if (count() > 0)
        setCurrentRow(0);
}

void HitListView::clearHeadings()
{
    clear();
    m_headings.clear();
    m_imageRows.clear();
    m_glyphs.clear();
}

QString HitListView::headingText(int row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_headings.size())
        return {};
    QString text;
    for (const QString& t : m_headings[static_cast<std::size_t>(row)].texts)
        text += t;
    return text;
}

void HitListView::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_fonts = std::make_unique<CellFonts>(font());
        // The widths bound the rows' images: measured again in the new font.
        for (Heading& heading : m_headings) {
            heading.width = 0;
            for (const book::DisplayCell& cell : heading.cells)
                heading.width += m_fonts->width(cell, lexview::CellFont::Normal);
        }
        dropRowImages();
    }
}

void HitListView::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        emit chosen(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool HitListView::focusNextPrevChild(bool next)
{
    if (next) {
        emit tabPressed();
        return true;
    }
    return QListWidget::focusNextPrevChild(next);
}

} // namespace yv::lexdisc
