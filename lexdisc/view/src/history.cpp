// The back history.
#include <lexview/history.h>

namespace yv::lexview {

void DisplayHistory::push(DisplayItem item)
{
    m_items.push_back(std::move(item));
    if (m_items.size() > kMaxHistory)
        m_items.pop_front();
}

std::optional<DisplayItem> DisplayHistory::back()
{
    if (!canGoBack())
        return std::nullopt;
    m_items.pop_back();
    DisplayItem previous = std::move(m_items.back());
    m_items.pop_back();
    return previous;
}

} // namespace yv::lexview
