// One pane of the editor window: draws an EditPane's layout and forwards keys, mouse and
// input-method text to it.
#pragma once

#include "qtfontmetrics.h"

#include <editorcore/editpane.h>

#include <QAbstractScrollArea>

#include <vector>

class QPainter;

namespace yv::trans {

class CTransView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    CTransView(editor::EditPane& pane, const QtFontMetrics& font, QWidget* parent = nullptr);

    editor::EditPane& pane() { return m_pane; }
    // The input method's composition shown at the caret (empty when none).
    const QString& composition() const { return m_composition; }
    // After the pane changed from outside (file, translation): layout, scroll bar, repaint.
    void refresh();

signals:
    void switchPaneRequested();
    void returnRequested();
    void contextMenuRequested(const QPoint& globalPos);
    void doubleClicked(std::size_t cell);
    // After every key or mouse action that may change the text, caret or selection.
    void edited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    std::size_t cellAt(const QPoint& viewportPoint) const;
    // The caret in viewport coordinates: inside the composition while there is one.
    QRect caretRect() const;
    // The composition split into characters (a surrogate pair stays whole), with their places.
    struct CompositionGlyph {
        QString text;
        int width = 0;
        QPoint at;  // viewport coordinates, top left
    };
    std::vector<CompositionGlyph> compositionGlyphs() const;
    QPoint compositionCaret() const;
    void paintComposition(QPainter& painter) const;
    void clearComposition();
    // The font the input method composes in.
    QFont compositionFont() const;
    void updateScrollBar();
    void afterCaretMove();

    editor::EditPane& m_pane;
    const QtFontMetrics& m_font;
    QString m_composition;
    int m_compositionCursor = 0;  // in UTF-16 units, as the input method counts
    bool m_dragging = false;
    bool m_syncingScrollBar = false;
};

} // namespace yv::trans
