// The pane font's measurements for the editor core, taken from a Qt font.
#pragma once

#include <editorcore/fontmetrics.h>

#include <QFont>
#include <QFontMetrics>

#include <array>
#include <unordered_map>

namespace yv::trans {

class QtFontMetrics final : public editor::FontMetrics {
public:
    explicit QtFontMetrics(const QFont& font);

    int advance(std::uint8_t lead, std::uint8_t trail) const override;
    int lineHeight() const override { return m_metrics.height(); }

    const QFont& font() const { return m_font; }
    int ascent() const { return m_metrics.ascent(); }

private:
    int measure(std::uint8_t lead, std::uint8_t trail) const;

    QFont m_font;
    QFontMetrics m_metrics;
    // Layout asks for the same characters over and over: single bytes by table, the rest by map.
    mutable std::array<int, 256> m_singleByte{};
    mutable std::unordered_map<std::uint16_t, int> m_doubleByte;
};

// The text a cell shows (UTF-8 through the codec; a TAB or line break shows nothing).
QString cellText(std::uint8_t lead, std::uint8_t trail);

// The editor's pane font: a Japanese-capable face at the desktop's default size.
QFont paneFont();

} // namespace yv::trans
