// The editor's main window: two panes over one document, the menus, tool bar and status bar,
// the file and translate commands, and the messages other programs send it.
#pragma once

#include "enginelinks.h"
#include "qtfontmetrics.h"
#include "transview.h"

#include <editorcore/transdoc.h>
#include <editorcore/translateflow.h>

#include <QMainWindow>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class CEngineLink;
class QAction;
class QActionGroup;
class QFileDialog;
class QLabel;
class QProgressBar;
class QSplitter;

namespace yv::trans {

class BusyIndicator;
class PrintTools;
class Speech;
class WordTools;

// Settings subkey of the editor.
inline constexpr const char* kSettingsKey = "翻訳BOX";
inline constexpr int kStatusPane1Width = 200;
inline constexpr int kRecentFiles = 4;

// The open dialog's file types and mode.
void setUpOpenDialog(QFileDialog& dialog);

class CMainFrame final : public QMainWindow, private editor::TranslateHost {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    editor::TransDoc& document() { return *m_doc; }
    editor::TranslateFlow& flow() { return *m_flow; }
    // The pane the edit commands act on: the one that last had the focus.
    editor::Side activeSide() const { return m_activeView == m_sourceView ? editor::Side::Source : editor::Side::Translation; }
    // The document's engine link of a direction (1 EJ, 2 JE), created and initialised on first use.
    CEngineLink& documentLink(int direction);
    WordTools& wordTools() { return *m_wordTools; }
    PrintTools& printTools() { return *m_printTools; }
    Speech& speech() { return *m_speech; }
    CTransView& view(editor::Side side) { return side == editor::Side::Source ? *m_sourceView : *m_translationView; }

    // The file dialogs; tests put their own in.
    std::function<std::optional<std::filesystem::path>()> openDialog;
    editor::SaveAsDialog saveAsDialog;

    // Commands, as the menus run them; each returns whether it went through.
    bool fileNew();
    bool fileOpen();
    bool openPath(const std::filesystem::path& file);
    bool fileSave();
    bool fileSaveAs();
    bool translate();
    void stopTranslation();
    void setDirection(int direction);
    void cut();
    void copy();
    void paste();
    // Esc: back to the window that handed the text over, when it still exists.
    bool returnToSender();
    void pairMark();
    // The selection handed to the dictionary box / the example box.
    void dictionarySearch();
    void exampleSearch();
    // The selection poked to the CD-ROM viewer's search service; true when it was accepted.
    bool cdRomSearch();
    void fileTranslation();
    void startOutsideProgram(std::string_view program);

    // The handle other programs know this window by (main() sets the registered one).
    std::uint64_t windowHandle() const;
    void setWindowHandle(std::uint64_t handle) { m_windowHandle = handle; }

    // A message from another program (+3, +8, +9, +12, +15, WM_CLOSE); the result goes back to the sender.
    std::int64_t handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);

    QAction* action(const char* name) const;
    QString statusText(int pane) const;
    bool busyAnimationRunning() const;
    std::uint64_t returnWindow() const { return m_returnWindow; }
    void updateCommandStates();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // TranslateHost
    bool engineBusy() const override;
    void setEngineBusy(bool busy) override;
    int directionSetting() const override;
    bool startEngine(int direction, std::string_view cp932Text) override;
    void stopEngines() override;
    void closeEngines() override;
    void runStarted() override;
    void progress(int percent) override;
    void showTranslationCaret() override;
    void runEnded() override;
    void runStopped() override;
    void readTranslationAloud() override;
    void dispatchPendingMessages() override;

    static int engineCallback(const char* result, void* context);

    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void restorePlacement();
    void savePlacement();
    void refreshViews();
    void updateCaption();
    void updateDirectionDisplay();
    void addRecentFile(const std::filesystem::path& file);
    void rebuildRecentMenu();
    bool handOver(std::uint64_t length, std::int64_t returnWindow, bool intoDocument);
    void handSelectionTo(std::string_view windowClass, std::string_view program);
    CTransView& activeView();
    std::optional<editor::SaveAsChoice> runSaveAsDialog();
    std::optional<std::filesystem::path> runOpenDialog();
    QString dialogFolder() const;

    std::unique_ptr<QtFontMetrics> m_font;
    std::unique_ptr<editor::TransDoc> m_doc;
    std::unique_ptr<editor::TranslateFlow> m_flow;
    EngineLinks m_links;
    std::unique_ptr<WordTools> m_wordTools;
    std::unique_ptr<PrintTools> m_printTools;
    std::unique_ptr<Speech> m_speech;
    QSplitter* m_splitter = nullptr;
    CTransView* m_sourceView = nullptr;
    CTransView* m_translationView = nullptr;
    CTransView* m_activeView = nullptr;
    QLabel* m_statusPane0 = nullptr;
    QLabel* m_statusPane1 = nullptr;
    QProgressBar* m_progress = nullptr;
    BusyIndicator* m_busy = nullptr;
    QActionGroup* m_directionGroup = nullptr;
    QMenu* m_recentMenu = nullptr;
    std::uint64_t m_returnWindow = 0;
    std::uint64_t m_windowHandle = 0;
    QMetaObject::Connection m_focusConnection;
    // "DIVIDE" as read; the first show applies it.
    int m_storedDivide = -1;
    bool m_dividePlaced = false;
};

} // namespace yv::trans
