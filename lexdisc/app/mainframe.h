// The viewer's main window: the key entry with its history and the four text buttons, the
// book menu, the hit list and the entry display side by side, the search command, the search
// service and the requests of the display (references, back, copy, pictures, sounds).
#pragma once

#include "bookhost.h"

#include <lexview/history.h>
#include <lexview/searchrequest.h>

#include <QMainWindow>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;

namespace yv::dde {
class Server;
}

namespace yv::lexdisc {

class EntryView;
class HitListView;
class MediaPlayer;
class OpenMessageFlag;

inline constexpr const char* kMainTitle = "LEXDISC(CD辞書を検索します)";
// Command identifiers of the menus.
namespace Command {
inline constexpr int Rescan = 101;
inline constexpr int Exit = 102;
inline constexpr int Copy = 103;
inline constexpr int CopyAll = 104;
inline constexpr int Search = 105;
inline constexpr int Forward = 106;
inline constexpr int Backward = 107;
inline constexpr int Menu = 108;
inline constexpr int Copyright = 109;
inline constexpr int Escape = 136;
inline constexpr int Back = 137;
inline constexpr int FocusHits = 139;
inline constexpr int HelpTopics = 57667;
} // namespace Command

// Runs the search with the text in the key buffer (WM_USER + 1).
inline constexpr std::uint32_t kRunSearch = 0x0400 + 1;

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    // The book list is built first (from `catalog` when given, else the "CATALOG" setting
    // and the mounted discs); check `hasBooks()` before showing the window.
    explicit CMainFrame(std::filesystem::path catalog = {});
    ~CMainFrame() override;

    bool hasBooks() const { return m_hasBooks; }
    book::BookShelf& shelf() { return *m_shelf; }
    HitListView& hitList() { return *m_hitList; }
    EntryView& display() { return *m_display; }
    QComboBox& keyEntry() { return *m_keyEntry; }
    QAction* command(int id) const;
    const lexview::DisplayHistory& history() const { return m_history; }
    // Busy: the search service refuses requests meanwhile.
    bool busy() const;
    void setWindowHandle(std::uint64_t handle) { m_windowHandle = handle; }
    std::optional<std::uint64_t> returnWindow() const { return m_returnWindow; }

    // Registers the search service; false when another viewer holds it.
    bool startSearchService();
    // The messages of other programs.
    std::int64_t handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
    // The search request of the service (Shift_JIS, "key TAB window"); ignored when it starts
    // with a TAB.
    void searchRequest(std::string_view sjis);

    // Commands.
    void searchCommand();
    void runSearch();
    void showHit(int row);
    void showEntry(const std::string& title, book::TextPosition position, std::size_t book);
    void showMenu();
    void showCopyright();
    void back();
    void copySelection();
    void copyAll();
    void rescan();
    void selectBook(std::size_t index);
    void returnToSender();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildBookMenu();
    void buildToolBars();
    void restorePlacement();
    void storePlacement();
    void refreshKeyHistory();
    void updateCommands();
    bool loadBooks();
    void selectFirstBook();
    void information(const std::string& utf8);
    void copyText(const std::string& sjis, bool hadExternal);
    void searchDisplayedSelection();
    void itemClicked(int kind, std::size_t index);
    // Runs `work` with the book made current, then restores the current book.
    template <typename Work>
    bool inBook(std::size_t book, Work&& work);

    std::filesystem::path m_catalog;
    std::unique_ptr<OpenMessageFlag> m_messageFlag;
    std::unique_ptr<MessageBoxPrompter> m_prompter;
    std::unique_ptr<book::BookShelf> m_shelf;
    std::unique_ptr<MediaPlayer> m_media;
    std::unique_ptr<dde::Server> m_service;
    bool m_hasBooks = false;
    bool m_searching = false;
    bool m_rebuilding = false;
    std::string m_keyBuffer;  // Shift_JIS
    std::size_t m_searchBook = 0;
    std::vector<book::HitRecord> m_listedHits;
    std::optional<std::size_t> m_displayBook;
    lexview::DisplayHistory m_history;
    std::optional<std::uint64_t> m_returnWindow;
    std::uint64_t m_windowHandle = 0;

    QComboBox* m_keyEntry = nullptr;
    HitListView* m_hitList = nullptr;
    EntryView* m_display = nullptr;
    QSplitter* m_splitter = nullptr;
    QMenu* m_fileMenu = nullptr;
    QLabel* m_statusPane = nullptr;
};

} // namespace yv::lexdisc
