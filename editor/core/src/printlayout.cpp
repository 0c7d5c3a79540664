// Page layout of printing.
#include <editorcore/printlayout.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace yv::editor {

namespace {

constexpr double kInchPerMillimetre = 0.03937008;
// A layout that cannot place a line (no room at all) still ends.
constexpr int kMinimumPitch = 1;

int millimetresToDevice(double mm, int dpi)
{
    return static_cast<int>(std::lround(mm * kInchPerMillimetre * dpi));
}

int deviceToWholeMillimetres(int units, int dpi)
{
    if (units <= 0 || dpi <= 0)
        return 0;
    return static_cast<int>(std::ceil(units / (kInchPerMillimetre * dpi) - 1e-9));
}

// Moves a side in by the stored margin less what the printer cannot print anyway; never out.
int inset(int marginMm, int unprintable, int dpi)
{
    return millimetresToDevice(std::max(0, marginMm - deviceToWholeMillimetres(unprintable, dpi)), dpi);
}

int alignedX(PrintAlign align, int width, int left, int right)
{
    switch (align) {
    case PrintAlign::Left:
        return left;
    case PrintAlign::Right:
        return right - width;
    case PrintAlign::Centre:
        break;
    }
    return left + (right - left - width) / 2;
}

// Wraps one column and pages it; returns the pages it needs.
class ColumnFlow {
public:
    ColumnFlow(int column, int left, int right, int top, int bottom, int pitch, const PrintMetrics& metrics)
        : m_column(column), m_left(left), m_right(right), m_top(top), m_bottom(bottom), m_pitch(pitch),
          m_metrics(metrics), m_x(left), m_y(top)
    {
    }

    int place(const CellStore& store, std::vector<PrintPage>& pages)
    {
        const std::size_t n = store.length();
        std::size_t i = 0;
        while (i < n) {
            std::size_t end = i + 1;
            int unitWidth = width(store[i]);
            if (!isDoubleByte(store[i]) && !isLineBreak(store[i]) && store[i].lead != ' ') {
                while (end < n && !isDoubleByte(store[end]) && !isLineBreak(store[end]) && store[end].lead != ' ')
                    unitWidth += width(store[end++]);
            }
            if (m_x > m_left && m_x + unitWidth >= m_right - 1)
                newLine();
            for (; i < end; ++i) {
                if (isLineBreak(store[i])) {
                    newLine();
                    continue;
                }
                const int w = width(store[i]);
                if (m_x > m_left && m_x + w >= m_right - 1)
                    newLine();
                if (pages.size() <= static_cast<std::size_t>(m_page))
                    pages.resize(static_cast<std::size_t>(m_page) + 1);
                pages[static_cast<std::size_t>(m_page)].chars.push_back({m_column, i, m_x, m_y});
                m_x += w;
            }
        }
        return m_page + 1;
    }

private:
    int width(const TextCell& c) const { return isLineBreak(c) ? 0 : m_metrics.advance(c.lead, c.trail); }

    void newLine()
    {
        m_x = m_left;
        m_y += m_pitch;
        if (m_y >= m_bottom - 1 && m_y > m_top) {
            ++m_page;
            m_y = m_top;
        }
    }

    int m_column;
    int m_left, m_right, m_top, m_bottom, m_pitch;
    const PrintMetrics& m_metrics;
    int m_x, m_y;
    int m_page = 0;
};

} // namespace

int parseStoredNumber(std::string_view text, int fallback, int low, int high)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::invalid_argument || end == text.data())
        return fallback;
    // Out of range in either direction clamps like any large number.
    if (error == std::errc::result_out_of_range)
        value = text.front() == '-' ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

PrintAlign printAlignFromStored(std::uint32_t code)
{
    switch (code) {
    case static_cast<std::uint32_t>(PrintAlign::Left):
        return PrintAlign::Left;
    case static_cast<std::uint32_t>(PrintAlign::Right):
        return PrintAlign::Right;
    default:
        return PrintAlign::Centre;
    }
}

PrintWay printWayFromStored(std::uint32_t code)
{
    return code == static_cast<std::uint32_t>(PrintWay::TranslationOnly) ? PrintWay::TranslationOnly
                                                                          : PrintWay::SideBySide;
}

std::string expandPrintCodes(std::string_view text, int page, std::string_view title, const PrintClock& clock)
{
    std::string out;
    char buffer[32];
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out.push_back(text[i]);
            continue;
        }
        const char code = i + 1 < text.size() ? text[++i] : '\0';
        switch (code) {
        case 'D':
            std::snprintf(buffer, sizeof buffer, "%2d月%2d日", clock.month, clock.day);
            out += buffer;
            break;
        case 'T':
            std::snprintf(buffer, sizeof buffer, "%2d:%02d", clock.hour, clock.minute);
            out += buffer;
            break;
        case 'P':
            out += std::to_string(page);
            break;
        case 'F':
            out += title;
            break;
        default:
            break;
        }
    }
    return out;
}

PrintLayout layoutPrint(const CellStore& source, const CellStore& translation, const PrintSettings& settings,
                        const PrintDevice& device, const PrintMetrics& metrics, std::string_view title,
                        const PrintClock& clock)
{
    PrintLayout layout;
    layout.left = inset(settings.marginLeft, device.unprintableLeft, device.dpiX);
    layout.top = inset(settings.marginTop, device.unprintableTop, device.dpiY);
    layout.right = device.width - inset(settings.marginRight, device.unprintableRight, device.dpiX);
    layout.bottom = device.height - inset(settings.marginBottom, device.unprintableBottom, device.dpiY);

    const int pitch = std::max(kMinimumPitch, metrics.height() + metrics.externalLeading());
    const int widest = metrics.maxCharWidth();
    layout.linePitch = pitch;
    layout.right -= widest;
    layout.bottom = layout.top + std::max(0, layout.bottom - layout.top) / pitch * pitch;

    const int headerY = layout.top;
    const int footerY = layout.bottom - pitch;
    if (!settings.header.empty())
        layout.top += 2 * pitch;
    if (!settings.footer.empty())
        layout.bottom -= 2 * pitch;

    std::vector<PrintPage> pages(1);
    if (settings.way == PrintWay::TranslationOnly) {
        ColumnFlow(1, layout.left, layout.right, layout.top, layout.bottom, pitch, metrics).place(translation, pages);
    } else {
        const int middle = layout.left + (layout.right - layout.left) / 2;
        ColumnFlow(0, layout.left, middle - widest, layout.top, layout.bottom, pitch, metrics).place(source, pages);
        ColumnFlow(1, middle + widest, layout.right, layout.top, layout.bottom, pitch, metrics).place(translation, pages);
    }

    for (std::size_t p = 0; p < pages.size(); ++p) {
        const int number = static_cast<int>(p) + 1;
        if (!settings.header.empty()) {
            std::string text = expandPrintCodes(settings.header, number, title, clock);
            const int x = alignedX(settings.headerAlign, metrics.textWidth(text), layout.left, layout.right);
            pages[p].header = PlacedText{std::move(text), x, headerY};
        }
        if (!settings.footer.empty()) {
            std::string text = expandPrintCodes(settings.footer, number, title, clock);
            const int x = alignedX(settings.footerAlign, metrics.textWidth(text), layout.left, layout.right);
            pages[p].footer = PlacedText{std::move(text), x, footerY};
        }
    }
    layout.pages = std::move(pages);
    return layout;
}

} // namespace yv::editor
