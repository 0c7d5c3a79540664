// Fonts, widths and drawing of decoded text.
#include "cellpainter.h"

#include <platform/codec.h>

#include <QFontDatabase>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace yv::lexdisc {

namespace {

constexpr int kGlyphDots = 16;
constexpr int kNarrowStretch = 50;  // per cent

int glyphWidthDots(const book::DisplayCell& cell)
{
    return (cell.flags & book::CellFlag::NarrowGlyph) ? kGlyphDots / 2 : kGlyphDots;
}

} // namespace

void GlyphSet::collect(const book::BookShelf& shelf, const std::vector<book::DisplayCell>& cells)
{
    for (const book::DisplayCell& cell : cells) {
        if (!cell.isExternal())
            continue;
        const bool half = (cell.flags & book::CellFlag::NarrowGlyph) != 0;
        const quint32 key = keyOf(cell.gaijiCode, half);
        if (m_glyphs.contains(key))
            continue;
        if (const book::GaijiGlyph* glyph = shelf.glyph(cell.gaijiCode, half))
            m_glyphs.insert(key, *glyph);
    }
}

QImage GlyphSet::image(const book::DisplayCell& cell, QColor ink, int heightPixels) const
{
    const auto it = m_glyphs.constFind(keyOf(cell.gaijiCode, (cell.flags & book::CellFlag::NarrowGlyph) != 0));
    if (it == m_glyphs.constEnd() || it->height <= 0)
        return {};
    const book::GaijiGlyph& glyph = *it;
    // Whole factors only: every dot becomes a square of device pixels, never a blur.
    const int factor = std::max(1, heightPixels / glyph.height);
    QImage image(glyph.width * factor, glyph.height * factor, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRgb inkPixel = ink.rgba();
    for (int y = 0; y < glyph.height; ++y) {
        for (int x = 0; x < glyph.width; ++x) {
            if (!glyph.ink(x, y))
                continue;
            for (int dy = 0; dy < factor; ++dy) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y * factor + dy));
                std::fill(row + x * factor, row + (x + 1) * factor, inkPixel);
            }
        }
    }
    return image;
}

QFont displayFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
                      QStringLiteral("IPAGothic"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

CellFonts::CellFonts(const QFont& font)
    : m_normal(font), m_narrow(font), m_small(font), m_normalMetrics(font), m_narrowMetrics(font), m_smallMetrics(font)
{
    m_narrow.setStretch(kNarrowStretch);
    if (font.pixelSize() > 0)
        m_small.setPixelSize(std::max(1, font.pixelSize() / 2));
    else
        m_small.setPointSizeF(std::max(1.0, font.pointSizeF() / 2));
    m_small.setStretch(kNarrowStretch * 2);
    m_narrowMetrics = QFontMetrics(m_narrow);
    m_smallMetrics = QFontMetrics(m_small);
    m_spaceWidth = m_normalMetrics.horizontalAdvance(QLatin1Char(' '));
    m_lineHeight = m_normalMetrics.height() + m_normalMetrics.leading();
    m_ascent = m_normalMetrics.ascent();
    m_glyphHeight = std::max(kGlyphDots, m_normalMetrics.height() / kGlyphDots * kGlyphDots);
}

const QFont& CellFonts::font(lexview::CellFont font) const
{
    switch (font) {
    case lexview::CellFont::Narrow: return m_narrow;
    case lexview::CellFont::Small: return m_small;
    case lexview::CellFont::Normal: break;
    }
    return m_normal;
}

int CellFonts::width(const book::DisplayCell& cell, lexview::CellFont font) const
{
    if (cell.isExternal())
        return glyphWidthDots(cell) * m_glyphHeight / kGlyphDots;
    const quint32 key = quint32(static_cast<unsigned char>(cell.bytes[0])) << 16
                      | quint32(static_cast<unsigned char>(cell.length == 2 ? cell.bytes[1] : 0)) << 8
                      | quint32(cell.length) << 2 | static_cast<quint32>(font);
    if (const auto known = m_widths.constFind(key); known != m_widths.constEnd())
        return *known;
    const QString text = cellText(cell);
    int width = 0;
    switch (font) {
    case lexview::CellFont::Narrow: width = std::max(1, m_normalMetrics.horizontalAdvance(text) / 2); break;
    case lexview::CellFont::Small: width = m_smallMetrics.horizontalAdvance(text); break;
    case lexview::CellFont::Normal: width = m_normalMetrics.horizontalAdvance(text); break;
    }
    m_widths.insert(key, width);
    return width;
}

QString cellText(const book::DisplayCell& cell)
{
    if (cell.isLineBreak())
        return {};
    // One conversion per character for the life of the program.
    static QHash<quint32, QString> known;
    const quint32 key = quint32(static_cast<unsigned char>(cell.bytes[0])) << 8
                      | quint32(static_cast<unsigned char>(cell.length == 2 ? cell.bytes[1] : 0)) | quint32(cell.length) << 16;
    if (const auto it = known.constFind(key); it != known.constEnd())
        return *it;
    const QString text = QString::fromStdString(codec::cp932ToUtf8(cell.text()));
    known.insert(key, text);
    return text;
}

void drawCell(QPainter& painter, const CellFonts& fonts, const GlyphSet& glyphs, const book::DisplayCell& cell,
              const QString& text, lexview::CellFont font, std::uint8_t style, int x, int y, QColor ink)
{
    if (cell.isExternal()) {
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const int logicalHeight = fonts.glyphHeight();
        QImage image = glyphs.image(cell, ink, static_cast<int>(std::lround(logicalHeight * ratio)));
        if (image.isNull())
            return;
        image.setDevicePixelRatio(static_cast<qreal>(image.height()) / logicalHeight);
        const int top = y + std::max(0, (fonts.lineHeight() - logicalHeight) / 2);
        painter.drawImage(QPointF(x, top), image);
        return;
    }
    drawRun(painter, fonts, text, font, style, x, y, ink);
}

void drawRun(QPainter& painter, const CellFonts& fonts, const QString& text, lexview::CellFont font,
             std::uint8_t style, int x, int y, QColor ink)
{
    painter.setPen(ink);
    painter.setFont(fonts.font(font));
    int baseline = y + fonts.ascent();
    if (style & lexview::CellStyle::Subscript)
        baseline = y + fonts.lineHeight() - QFontMetrics(fonts.font(font)).descent();
    else if (style & lexview::CellStyle::Superscript)
        baseline = y + QFontMetrics(fonts.font(font)).ascent();
    if (font == lexview::CellFont::Narrow) {
        // Drawn in the normal font squeezed to half its width.
        painter.save();
        painter.setFont(fonts.font(lexview::CellFont::Normal));
        painter.translate(x, baseline);
        painter.scale(0.5, 1.0);
        painter.drawText(0, 0, text);
        painter.restore();
        return;
    }
    painter.drawText(x, baseline, text);
}

} // namespace yv::lexdisc
