// Measuring CP932 characters with a Qt font.
#include "qtfontmetrics.h"

#include <editorcore/cellstore.h>
#include <platform/codec.h>

#include <QApplication>

#include <algorithm>
#include <string>

namespace yv::trans {

namespace {

// Cell widths are stored in a byte.
constexpr int kMaxAdvance = 255;

} // namespace

QString cellText(std::uint8_t lead, std::uint8_t trail)
{
    if (lead == editor::kLineBreak || lead == 0)
        return {};
    std::string bytes(1, static_cast<char>(lead));
    if (trail != 0)
        bytes.push_back(static_cast<char>(trail));
    return QString::fromStdString(codec::cp932ToUtf8(bytes));
}

QFont paneFont()
{
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), font.family()});
    return font;
}

QtFontMetrics::QtFontMetrics(const QFont& font) : m_font(font), m_metrics(font)
{
    m_singleByte.fill(-1);
}

int QtFontMetrics::measure(std::uint8_t lead, std::uint8_t trail) const
{
    const QString text = cellText(lead, trail);
    return std::clamp(m_metrics.horizontalAdvance(text), 0, kMaxAdvance);
}

int QtFontMetrics::advance(std::uint8_t lead, std::uint8_t trail) const
{
    if (trail == 0) {
        int& width = m_singleByte[lead];
        if (width < 0)
            width = measure(lead, 0);
        return width;
    }
    const auto key = static_cast<std::uint16_t>(lead << 8 | trail);
    const auto found = m_doubleByte.find(key);
    if (found != m_doubleByte.end())
        return found->second;
    const int width = measure(lead, trail);
    m_doubleByte.emplace(key, width);
    return width;
}

} // namespace yv::trans
