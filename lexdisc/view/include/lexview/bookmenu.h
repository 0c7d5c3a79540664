// The book list as the file menu shows it.
#pragma once

#include <book/bookshelf.h>

#include <optional>
#include <string>
#include <vector>

namespace yv::lexview {

inline constexpr int kFirstBookCommand = 40001;
inline constexpr std::size_t kMaxMenuBooks = 30;

struct BookMenuEntry {
    bool separator = false;
    std::string title;  // Shift_JIS
    int command = 0;
    std::size_t book = 0;
    bool enabled = true;  // an entry of kind 0xF0 is greyed
    bool checked = false;  // the current book
};

// The titles of the first 30 books in list order, a separator between two catalogs.
std::vector<BookMenuEntry> bookMenu(const book::BookShelf& shelf);

// The book a menu command selects.
std::optional<std::size_t> bookOfCommand(const book::BookShelf& shelf, int command);

} // namespace yv::lexview
