// The back history of displayed entries.
#pragma once

#include <book/bookformat.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace yv::lexview {

// One displayed entry: what its title says, where it is, and in which book.
struct DisplayItem {
    std::string title;  // Shift_JIS: the key, "目録", "著作権" or a reference's text
    book::TextPosition position;
    std::size_t book = 0;
};

inline constexpr std::size_t kMaxHistory = 100;

class DisplayHistory final {
public:
    // The 101st item drops the oldest.
    void push(DisplayItem item);
    // Back needs an item before the current one.
    bool canGoBack() const { return m_items.size() >= 2; }
    // Removes the current item and the one before it, and returns that one, to be displayed
    // (and so pushed) again; nothing when there is no item before the current one.
    std::optional<DisplayItem> back();
    void clear() { m_items.clear(); }
    std::size_t size() const { return m_items.size(); }
    const DisplayItem* current() const { return m_items.empty() ? nullptr : &m_items.back(); }

private:
    std::deque<DisplayItem> m_items;
};

} // namespace yv::lexview
