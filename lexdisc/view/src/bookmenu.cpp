// The book menu's entries.
#include <lexview/bookmenu.h>

namespace yv::lexview {

std::vector<BookMenuEntry> bookMenu(const book::BookShelf& shelf)
{
    std::vector<BookMenuEntry> entries;
    const auto& books = shelf.books();
    const std::size_t count = std::min(books.size(), kMaxMenuBooks);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && books[i].catalogIndex != books[i - 1].catalogIndex) {
            BookMenuEntry separator;
            separator.separator = true;
            entries.push_back(separator);
        }
        BookMenuEntry entry;
        entry.title = books[i].title;
        entry.command = kFirstBookCommand + static_cast<int>(i);
        entry.book = i;
        entry.enabled = shelf.entryOf(books[i]).selectable();
        entry.checked = shelf.currentIndex() == i;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::size_t> bookOfCommand(const book::BookShelf& shelf, int command)
{
    const long index = static_cast<long>(command) - kFirstBookCommand;
    if (index < 0 || static_cast<std::size_t>(index) >= std::min(shelf.books().size(), kMaxMenuBooks))
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

} // namespace yv::lexview
