// The entry display: one decoded entry laid out, with the key's occurrences, clickable
// references, pictures and sounds, a selection that follows the mouse, and scrolling.
#pragma once

#include "cellpainter.h"

#include <lexview/entrylayout.h>

#include <QAbstractScrollArea>

#include <memory>
#include <optional>

namespace yv::lexdisc {

// Clickable items are drawn in this green.
inline constexpr QRgb kItemColour = qRgb(15, 190, 60);

class EntryView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit EntryView(QWidget* parent = nullptr);
    ~EntryView() override;

    // Shows the model (its key already marked), with the glyphs of the book it came from.
    void setEntry(const book::BookShelf& shelf, book::DisplayModel model);
    void clearEntry();
    bool hasEntry() const { return !m_model.cells.empty(); }
    const book::DisplayModel& model() const { return m_model; }
    const lexview::EntryLayout& entryLayout() const { return m_layout; }

    bool hasSelection() const { return m_anchor.has_value() && m_end.has_value(); }
    void select(std::size_t first, std::size_t last);
    // The selection's text, or the whole entry's; "@" for external characters.
    lexview::CopiedText selectedText() const;
    lexview::CopiedText allText() const;
    std::optional<std::string> selectionKey() const;

    // The point of a cell in the viewport (for tests and scripted clicks).
    QPoint cellPoint(std::size_t cell) const;

signals:
    void itemClicked(lexview::ItemHit item);
    // A double click with a selection: its text is to be searched.
    void searchSelection();
    void copyRequested();
    void copyAllRequested();
    void backRequested();
    void tabPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;

private:
    void relayout();
    std::optional<std::size_t> cellUnder(QPoint viewportPoint) const;
    std::pair<std::size_t, std::size_t> selectionRange() const;
    QColor inkOf(std::size_t cell) const;

    std::unique_ptr<CellFonts> m_fonts;
    GlyphSet m_glyphs;
    book::DisplayModel m_model;
    std::vector<QString> m_texts;
    lexview::EntryLayout m_layout;
    std::optional<std::size_t> m_anchor;
    std::optional<std::size_t> m_end;
    bool m_selecting = false;
};

} // namespace yv::lexdisc
