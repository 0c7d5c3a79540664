// Drawing and input of one editor pane.
#include "transview.h"

#include <editorcore/composition.h>
#include <platform/codec.h>

#include <QApplication>
#include <QFontDatabase>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace yv::trans {

namespace {

constexpr int kCaretWidth = 2;
constexpr int kWheelStep = 120;  // one notch

} // namespace

CTransView::CTransView(editor::EditPane& pane, const QtFontMetrics& font, QWidget* parent)
    : QAbstractScrollArea(parent), m_pane(pane), m_font(font)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setFont(font.font());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setContextMenuPolicy(Qt::NoContextMenu);
    // The clipboard's pair block names the pane it came from.
    m_pane.setWindow(static_cast<std::uint32_t>(reinterpret_cast<quintptr>(this)));
    verticalScrollBar()->setSingleStep(1);
}

void CTransView::refresh()
{
    m_pane.setClientSize(viewport()->width(), viewport()->height());
    m_pane.layout();
    updateScrollBar();
    viewport()->update();
}

void CTransView::updateScrollBar()
{
    m_syncingScrollBar = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, m_pane.scrollRange()));
    bar->setPageStep(std::max(1, m_pane.pageLines()));
    bar->setValue(m_pane.topLine());
    m_syncingScrollBar = false;
    // The caret may have moved on the screen: the input method's candidate window follows.
    updateMicroFocus();
}

void CTransView::scrollContentsBy(int, int)
{
    if (m_syncingScrollBar)
        return;
    m_pane.scrollTo(verticalScrollBar()->value());
    viewport()->update();
    updateMicroFocus();
}

void CTransView::afterCaretMove()
{
    m_pane.scrollToCell(m_pane.caret());
    updateScrollBar();
    viewport()->update();
    updateMicroFocus();
    emit edited();
}

QRect CTransView::caretRect() const
{
    if (!m_composition.isEmpty())
        return QRect(compositionCaret(), QSize(kCaretWidth, m_pane.lineHeight() - 2));
    const editor::TextCell& cell = m_pane.store()[m_pane.caret()];
    return QRect(cell.x, cell.y - m_pane.lineOffset(), kCaretWidth, m_pane.lineHeight() - 2);
}

std::vector<CTransView::CompositionGlyph> CTransView::compositionGlyphs() const
{
    std::vector<CompositionGlyph> glyphs;
    const QFontMetrics metrics(m_font.font());
    std::vector<int> advances;
    for (qsizetype i = 0; i < m_composition.size();) {
        const qsizetype length = m_composition.at(i).isHighSurrogate() && i + 1 < m_composition.size() ? 2 : 1;
        CompositionGlyph glyph;
        glyph.text = m_composition.mid(i, length);
        glyph.width = metrics.horizontalAdvance(glyph.text);
        advances.push_back(glyph.width);
        glyphs.push_back(glyph);
        i += length;
    }
    const editor::TextCell& caret = m_pane.store()[m_pane.caret()];
    const std::vector<editor::GlyphPlace> places =
        editor::placeComposition(advances, {caret.x, caret.y}, m_pane.clientWidth(), m_pane.lineHeight());
    // The last place, where the composition ends, belongs to no character.
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        glyphs[i].at = QPoint(places[i].x, places[i].y - m_pane.lineOffset());
    CompositionGlyph end;
    end.at = QPoint(places.back().x, places.back().y - m_pane.lineOffset());
    glyphs.push_back(end);
    return glyphs;
}

QPoint CTransView::compositionCaret() const
{
    const std::vector<CompositionGlyph> glyphs = compositionGlyphs();
    qsizetype units = 0;
    for (const CompositionGlyph& glyph : glyphs) {
        if (units >= m_compositionCursor || glyph.text.isEmpty())
            return glyph.at;
        units += glyph.text.size();
    }
    return glyphs.back().at;
}

void CTransView::paintComposition(QPainter& painter) const
{
    // Drawn over the text from the caret, opaque, underlined as input methods' text is.
    const QPalette& pal = palette();
    const int lineHeight = m_pane.lineHeight();
    for (const CompositionGlyph& glyph : compositionGlyphs()) {
        if (glyph.text.isEmpty())
            continue;
        painter.fillRect(QRect(glyph.at, QSize(glyph.width, lineHeight)), pal.color(QPalette::Base));
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(glyph.at.x(), glyph.at.y() + m_font.ascent(), glyph.text);
        const int underline = glyph.at.y() + lineHeight - 1;
        painter.drawLine(glyph.at.x(), underline, glyph.at.x() + glyph.width - 1, underline);
    }
}

void CTransView::clearComposition()
{
    if (m_composition.isEmpty())
        return;
    m_composition.clear();
    m_compositionCursor = 0;
    viewport()->update();
}

void CTransView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    painter.setFont(m_font.font());
    const editor::CellStore& store = m_pane.store();
    const int offset = m_pane.lineOffset();
    const int height = viewport()->height();
    const int lineHeight = m_pane.lineHeight();
    for (std::size_t i = 0; i < store.length(); ++i) {
        const editor::TextCell& cell = store[i];
        const int top = cell.y - offset;
        if (top + lineHeight <= 0)
            continue;
        if (top >= height)
            break;
        const bool selected = (cell.flags & editor::kCellSelected) != 0;
        const QRect box(cell.x, top, cell.width, lineHeight);
        if (selected)
            painter.fillRect(box, pal.color(QPalette::Highlight));
        if (cell.width == 0)
            continue;
        painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(cell.x, top + m_font.ascent(), cellText(cell.lead, cell.trail));
    }
    if (!m_composition.isEmpty())
        paintComposition(painter);
    if (hasFocus() && isEnabled())
        painter.fillRect(caretRect(), pal.color(QPalette::Text));
}

void CTransView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    refresh();
}

bool CTransView::focusNextPrevChild(bool)
{
    // Tab belongs to the pane: it moves to the other pane, never through the tool bar.
    return false;
}

void CTransView::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    switch (event->key()) {
    case Qt::Key_Right:
        ctrl ? m_pane.moveUnitRight(shift) : m_pane.moveRight(shift);
        break;
    case Qt::Key_Left:
        ctrl ? m_pane.moveUnitLeft(shift) : m_pane.moveLeft(shift);
        break;
    case Qt::Key_Down:
        m_pane.moveDown(shift);
        break;
    case Qt::Key_Up:
        m_pane.moveUp(shift);
        break;
    case Qt::Key_Home:
        m_pane.moveHome(shift);
        break;
    case Qt::Key_End:
        m_pane.moveEnd(shift);
        break;
    case Qt::Key_PageDown:
        m_pane.scrollBy(m_pane.pageLines());
        updateScrollBar();
        viewport()->update();
        return;
    case Qt::Key_PageUp:
        m_pane.scrollBy(-m_pane.pageLines());
        updateScrollBar();
        viewport()->update();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_pane.insertLineBreak();
        break;
    case Qt::Key_Delete:
        // Shift+Delete is Cut: with nothing selected (its command disabled) it does nothing.
        if (shift)
            return;
        m_pane.deleteForward();
        break;
    case Qt::Key_Backspace:
        alt ? m_pane.undo() : m_pane.deleteBackward();
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        emit switchPaneRequested();
        return;
    case Qt::Key_Escape:
        emit returnRequested();
        return;
    default: {
        const QString text = event->text();
        if (ctrl || alt || text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() > 0x7E) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        m_pane.typeCharacter(static_cast<char>(text[0].unicode()));
        break;
    }
    }
    afterCaretMove();
}

void CTransView::inputMethodEvent(QInputMethodEvent* event)
{
    // The result goes in as one insertion, through the pane's limits; the composition that
    // follows it (often none) is only shown.
    const QString commit = event->commitString();
    m_composition = event->preeditString();
    m_compositionCursor = static_cast<int>(m_composition.size());
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor)
            m_compositionCursor = std::clamp(attribute.start, 0, static_cast<int>(m_composition.size()));
    }
    if (!commit.isEmpty() && isEnabled())
        m_pane.insertComposition(codec::utf8ToCp932(commit.toStdString()));
    afterCaretMove();
    event->accept();
}

QFont CTransView::compositionFont() const
{
    // That input method draws its composition in the system face; others in the pane's.
    for (const char* variable : {"XMODIFIERS", "QT_IM_MODULE", "GTK_IM_MODULE"}) {
        if (qEnvironmentVariable(variable).contains(QLatin1String("ATOK"), Qt::CaseInsensitive))
            return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    }
    return m_font.font();
}

QVariant CTransView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle:
        // The input method asks in this widget's coordinates; the pane draws in its viewport's.
        return QRectF(caretRect().translated(viewport()->pos()));
    case Qt::ImFont:
        return compositionFont();
    case Qt::ImEnabled:
        return isEnabled();
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhMultiLine);
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
    case Qt::ImTextBeforeCursor:
    case Qt::ImTextAfterCursor:
        // The pane offers no surrounding text, so input methods do not try to edit it.
        return QString();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

std::size_t CTransView::cellAt(const QPoint& point) const
{
    return m_pane.cellAt(point.x(), point.y() + m_pane.lineOffset());
}

void CTransView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    m_pane.click(cellAt(event->position().toPoint()));
    m_dragging = true;
    afterCaretMove();
}

void CTransView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    m_pane.dragTo(cellAt(event->position().toPoint()));
    afterCaretMove();
}

void CTransView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    else if (event->button() == Qt::RightButton)
        emit contextMenuRequested(event->globalPosition().toPoint());
}

void CTransView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    emit doubleClicked(cellAt(event->position().toPoint()));
    viewport()->update();
}

void CTransView::wheelEvent(QWheelEvent* event)
{
    m_pane.scrollByWheel(event->angleDelta().y() / kWheelStep);
    updateScrollBar();
    viewport()->update();
    event->accept();
}

void CTransView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    QGuiApplication::inputMethod()->update(Qt::ImFont | Qt::ImCursorRectangle);
    viewport()->update();
}

void CTransView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    clearComposition();
    viewport()->update();
}

} // namespace yv::trans
