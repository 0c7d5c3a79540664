// The hit list.
#include "hitlistview.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace yv::lexdisc {

namespace {

constexpr int kItemPadding = 4;

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
        if (selected)
            painter->fillRect(option.rect, palette.highlight());
        const QColor ink = selected ? palette.highlightedText().color() : palette.text().color();
        const Heading& heading = m_view.m_headings[row];
        int x = option.rect.left() + kItemPadding;
        const int y = option.rect.top() + (option.rect.height() - m_view.m_fonts->lineHeight()) / 2;
        // Text between external characters is drawn in one piece.
        QString run;
        int runX = x;
        for (std::size_t i = 0; i < heading.cells.size(); ++i) {
            const book::DisplayCell& cell = heading.cells[i];
            if (cell.isExternal()) {
                drawRun(*painter, *m_view.m_fonts, run, lexview::CellFont::Normal, 0, runX, y, ink);
                run.clear();
                drawCell(*painter, *m_view.m_fonts, m_view.m_glyphs, cell, heading.texts[i], lexview::CellFont::Normal, 0,
                         x, y, ink);
                x += m_view.m_fonts->width(cell, lexview::CellFont::Normal);
                runX = x;
                continue;
            }
            run += heading.texts[i];
            x += m_view.m_fonts->width(cell, lexview::CellFont::Normal);
        }
        drawRun(*painter, *m_view.m_fonts, run, lexview::CellFont::Normal, 0, runX, y, ink);
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
    if (event->type() == QEvent::FontChange)
        m_fonts = std::make_unique<CellFonts>(font());
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
