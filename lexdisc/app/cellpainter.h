// Drawing decoded text: the display's fonts and widths, and external characters drawn from
// their glyph bitmaps, pixel for pixel at any device pixel ratio.
#pragma once

#include <book/bookshelf.h>
#include <lexview/entrylayout.h>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QString>

#include <vector>

class QPainter;

namespace yv::lexdisc {

// The glyphs of the external characters of one text, copied from the book that holds them
// (the current book may change before the text is drawn).
class GlyphSet final {
public:
    // Copies the glyphs of every external character of the cells.
    void collect(const book::BookShelf& shelf, const std::vector<book::DisplayCell>& cells);
    void clear() { m_glyphs.clear(); }
    // The glyph in `ink`, scaled by a whole factor to `heightPixels` device pixels (at least
    // its own height); null when the book has none.
    QImage image(const book::DisplayCell& cell, QColor ink, int heightPixels) const;

private:
    static quint32 keyOf(std::uint16_t code, bool half) { return quint32{code} << 1 | (half ? 1u : 0u); }
    QHash<quint32, book::GaijiGlyph> m_glyphs;
};

// The display's fonts: its own, a narrow one (half the width) for double-byte characters of
// half-width ranges and a small one (half the size) for subscripts and superscripts.
class CellFonts final : public lexview::CellMetrics {
public:
    explicit CellFonts(const QFont& font);

    int width(const book::DisplayCell& cell, lexview::CellFont font) const override;
    int spaceWidth() const override { return m_spaceWidth; }
    int lineHeight() const override { return m_lineHeight; }

    const QFont& font(lexview::CellFont font) const;
    int ascent() const { return m_ascent; }
    // Logical height of an external character: the glyph's 16 dots scaled to the font.
    int glyphHeight() const { return m_glyphHeight; }

private:
    QFont m_normal;
    QFont m_narrow;
    QFont m_small;
    QFontMetrics m_normalMetrics;
    QFontMetrics m_narrowMetrics;
    QFontMetrics m_smallMetrics;
    // Widths by font and character: shaping each character again would cost most of a paint.
    mutable QHash<quint32, int> m_widths;
    int m_spaceWidth = 0;
    int m_lineHeight = 0;
    int m_ascent = 0;
    int m_glyphHeight = 16;
};

// The display font: a fixed-pitch Japanese font.
QFont displayFont();

// The text of one cell (Shift_JIS to Unicode).
QString cellText(const book::DisplayCell& cell);

// Draws one cell with its top-left corner at (x, y) of a line of the fonts' height.
void drawCell(QPainter& painter, const CellFonts& fonts, const GlyphSet& glyphs, const book::DisplayCell& cell,
              const QString& text, lexview::CellFont font, std::uint8_t style, int x, int y, QColor ink);

// Draws the text of consecutive cells of one font, style and ink at once.
void drawRun(QPainter& painter, const CellFonts& fonts, const QString& text, lexview::CellFont font,
             std::uint8_t style, int x, int y, QColor ink);

} // namespace yv::lexdisc
