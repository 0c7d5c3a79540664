// The example box's main window: the folder tree and document list over the store, the key
// entry, the result list and text, the status bar with its counts and progress, the commands
// and the hand-over from the other programs.
#pragma once

#include "commands.h"

#include <examplestore/searchsession.h>

#include <QMainWindow>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QProgressBar;
class QSplitter;
class QThread;
class QTimer;

namespace yv::samplebox {

class CMyEditView;
class CMyListView;
class CMyTreeView;
class CSearchListView;
class KeyEntry;
class SearchWorker;

// Command identifiers of the menus.
namespace Command {
inline constexpr int NewFolder = 40027;
inline constexpr int RenameFolder = 32772;
inline constexpr int DeleteFolder = 32773;
inline constexpr int AddDocument = 32774;
inline constexpr int OpenDocument = 32775;
inline constexpr int DeleteDocuments = 32776;
inline constexpr int Close = 57665;
inline constexpr int Search = 40026;
inline constexpr int Wrap = 32771;
inline constexpr int Mark = 40016;
inline constexpr int Escape = 40001;
inline constexpr int StopSearch = 40002;
inline constexpr int HelpTopics = 57667;
} // namespace Command

// Starts the search with the key entry's text.
inline constexpr std::uint32_t kStartSearch = 0x0400 + 10;

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(std::filesystem::path dataDir);
    ~CMainFrame() override;

    void setWindowHandle(std::uint64_t handle) { m_windowHandle = handle; }
    std::optional<std::uint64_t> returnWindow() const { return m_returnWindow; }
    QAction* command(int id) const;
    CMyTreeView& tree() { return *m_tree; }
    CMyListView& list() { return *m_list; }
    CSearchListView& results() { return *m_results; }
    CMyEditView& resultText() { return *m_text; }
    KeyEntry& keyEntry() { return *m_keyEntry; }
    examplestore::SampleStore& store() { return *m_store; }
    QString statusText(int pane) const;
    bool searching() const { return m_searching; }
    // How many times the search worker opened an index file.
    int indexOpens() const;

    // The messages of other programs.
    std::int64_t handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
    // The hand-over (+8), once its text is out of the block.
    void handOver(std::uint64_t length, const std::string& block, std::int64_t returnWindow);

    // Commands.
    void newFolder();
    void renameFolder();
    void deleteFolder();
    void addDocuments();
    void addFiles(const std::vector<std::filesystem::path>& files);
    void openSelected();
    void openListRow(int row);
    void openResultRow(int row);
    void deleteDocuments();
    void searchCommand();
    void stopSearch();
    void setMarks(bool on);
    void returnToSender();
    // Renames from the views' editors (the tree, and a list row).
    void renameNode(examplestore::NodeId node, const QString& name);
    void renameListRow(int row, const QString& name);
    void dropFolder(examplestore::NodeId folder, examplestore::NodeId target);
    void dropListRows(const std::vector<int>& rows, examplestore::NodeId target);

    // Where "ｻﾝﾌﾟﾙﾌｧｲﾙの追加" gets its files (a file dialog; tests answer themselves).
    std::function<std::vector<std::filesystem::path>()> chooseFiles;
    // Starts a program with its arguments (tests record instead); false when it did not start.
    std::function<bool(const std::vector<std::string>&)> startEditor;

signals:
    void searchFinished();
    void startWorker(const QString& key, bool markKey, const yv::examplestore::FolderNames& folders);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildViews();
    void buildStatusBar();
    void restorePlacement();
    void storePlacement();
    void showFolder(examplestore::NodeId node);
    void reloadTree(examplestore::NodeId select);
    void refreshList();
    // Stops a running search and lets the worker close the indexes before the store writes them.
    void releaseIndexes();
    template <typename Write>
    void writingIndexes(Write&& write);
    examplestore::StoreProgress storeProgress();
    void searchDone(const examplestore::SearchResult& result, const QString& key);
    void openDocument(const examplestore::DocumentRef& document);
    void updateCommands();

    std::unique_ptr<examplestore::SampleStore> m_store;
    std::unique_ptr<SampleCommands> m_commands;
    std::unique_ptr<SearchWorker> m_worker;
    std::unique_ptr<QThread> m_thread;
    examplestore::NodeId m_shown = examplestore::kNoNode;
    bool m_searching = false;
    // The store writes an index: a search asked for meanwhile waits for the end.
    bool m_writing = false;
    bool m_searchAfterWrite = false;
    std::string m_markedKey;  // Shift_JIS key of the shown result text
    std::optional<std::uint64_t> m_returnWindow;
    std::uint64_t m_windowHandle = 0;
    int m_animationStep = 0;

    CMyTreeView* m_tree = nullptr;
    CMyListView* m_list = nullptr;
    CSearchListView* m_results = nullptr;
    CMyEditView* m_text = nullptr;
    KeyEntry* m_keyEntry = nullptr;
    QSplitter* m_splitter = nullptr;
    QSplitter* m_rightSplitter = nullptr;
    QSplitter* m_resultSplitter = nullptr;
    QLabel* m_pane0 = nullptr;
    QLabel* m_pane1 = nullptr;
    QLabel* m_animation = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer* m_animationTimer = nullptr;
};

} // namespace yv::samplebox
