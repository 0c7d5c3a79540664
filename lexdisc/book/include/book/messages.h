// The reader's messages to the user and the seam through which they are shown.
#pragma once

#include <string_view>

namespace yv::book {

// Numbered as the viewer's message table numbers them.
enum class BookMessage {
    OutOfMemory = 5,
    CatalogMissing = 8,
    CatalogChanged = 9,
    TextFileOpen = 12,
    IndexTableRead = 13,
    GaijiInit = 15,
    ResultRead = 16,
    HitLimit = 26,
    NoBooks = 27,
};

enum class MessageIcon { Exclamation, Stop, Question };

// The text of a message, UTF-8.
std::string_view messageText(BookMessage message);
// The icon of a message; message 12 is a stop while selecting a book and an exclamation
// otherwise, which its callers choose themselves.
MessageIcon messageIcon(BookMessage message);

// Shows the reader's messages; the program supplies one (message boxes, or a recorder in
// tests).
class BookPrompter {
public:
    virtual ~BookPrompter() = default;
    virtual void report(BookMessage message, MessageIcon icon) = 0;
    // The hit-limit question: true keeps the hits found so far, false discards them.
    virtual bool askKeepHits() = 0;
    // Diagnostic lines of the reader ("read error 1\n"); ignored unless someone listens.
    virtual void trace(std::string_view) {}
};

} // namespace yv::book
