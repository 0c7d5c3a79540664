// The list of hits: each hit's heading drawn with its external characters.
#pragma once

#include "cellpainter.h"

#include <QListWidget>
#include <QPixmap>

#include <deque>
#include <memory>

namespace yv::lexdisc {

class HitListView final : public QListWidget {
    Q_OBJECT
public:
    explicit HitListView(QWidget* parent = nullptr);
    ~HitListView() override;

    // Lists the headings (their glyphs copied from the shelf's current book) and selects the
    // first.
    void setHeadings(const book::BookShelf& shelf, std::vector<std::vector<book::DisplayCell>> headings);
    void clearHeadings();
    QString headingText(int row) const;

signals:
    // Enter or a double click on a row.
    void chosen(int row);
    void tabPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    class Delegate;
    friend class Delegate;
    // A row as last painted: its text over an opaque ground, blitted again while the row's
    // size, ink and ground stay the same.
    struct RowImage {
        QPixmap pixmap;
        QRgb ink = 0;
        QRgb ground = 0;
    };
    struct RowImages {
        RowImage plain;
        RowImage selected;
    };
    struct Heading {
        std::vector<book::DisplayCell> cells;
        std::vector<QString> texts;
        int width = 0;
        // Only for rows painted lately.
        std::unique_ptr<RowImages> images;
    };

    void drawHeading(QPainter& painter, const Heading& heading, int x, int y, QColor ink) const;
    void keepRowImage(std::size_t row);
    void dropRowImages();

    std::unique_ptr<CellFonts> m_fonts;
    GlyphSet m_glyphs;
    std::vector<Heading> m_headings;
    // Rows holding images, oldest first (a row may appear twice).
    std::deque<std::size_t> m_imageRows;
};

} // namespace yv::lexdisc
