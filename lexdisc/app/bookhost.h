// Connects the reader core to the suite: message boxes, the "CATALOG" setting, the mount table.
#pragma once

#include <Etc.h>
#include <book/bookshelf.h>
#include <book/messages.h>

#include <atomic>
#include <filesystem>

namespace yv::lexdisc {

// The viewer's settings subkey.
inline constexpr const char* kSettingsKey = "LEXDISC";

// Shows the reader's messages as the suite's message boxes (PrintBox).
class MessageBoxPrompter final : public book::BookPrompter {
public:
    explicit MessageBoxPrompter(WindowHandle owner = 0, bool traceToStandardError = false)
        : m_owner(owner), m_trace(traceToStandardError)
    {
    }

    void report(book::BookMessage message, book::MessageIcon icon) override;
    bool askKeepHits() override;
    void trace(std::string_view line) override;

    // While a message is shown; the search service answers busy meanwhile.
    bool messageOpen() const { return m_open.load(); }

private:
    int show(unsigned style, book::BookMessage message);

    WindowHandle m_owner;
    bool m_trace;
    std::atomic<bool> m_open{false};
};

// The catalog file named by the "CATALOG" setting (empty when unset).
std::filesystem::path catalogSetting();

// Builds the shelf's book list from the setting, else by scanning the mounted file systems.
bool LoadBookList(book::BookShelf& shelf);

} // namespace yv::lexdisc
