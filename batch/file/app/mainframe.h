// The batch box's window "diZAV": the list of files with their outputs and states, the
// commands that add, remove, translate, stop and show, the direction button, and the
// progress of a run in the status bar.
#pragma once

#include "filelistmodel.h"

#include <filebox/batchlist.h>
#include <filebox/batchrun.h>

#include <QMainWindow>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTreeView;

namespace yv::filebox {

class FileWorker;
class JobMessages;

inline constexpr const char* kMainTitle = "diZAV(複数のﾌｧｲﾙをまとめて翻訳します)";
inline constexpr const char* kSettingsKey = "diZAV";

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(JobMessages& messages);
    ~CMainFrame() override;

    // The window's bus handle: where the converter reports; starts the worker.
    void setWindowHandle(std::uint64_t handle);
    std::int64_t handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);

    // The folder of the "フォルダ" setting.
    void preload();
    // Adds files as the dialog and a drop do: other extensions are refused with a message.
    void addFiles(const QStringList& paths);

    void removeSelected();
    void translateSelection();
    void translateAll();
    void stop();
    void showResult();
    void cycleDirection();
    void showHelp();

    FileListModel& model() { return *m_model; }
    QTreeView& view() { return *m_view; }
    QProgressBar& progressBar() { return *m_progress; }
    QAction* directionButton() const { return m_direction; }
    QString statusText(int pane) const;
    RunMode runMode() const { return m_run.mode(); }
    // True while a file is with the worker (also after a stop, until it has ended).
    bool working() const { return m_inFlight > 0; }
    void selectRows(const std::vector<int>& rows);

    // Replaceable for tests: the open dialog and the program that shows a result.
    std::function<QStringList(QWidget* parent)> chooseFiles;
    std::function<bool(const QString& program, const QString& output)> openResult;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildStatusBar();
    void restorePlacement();
    void storePlacement();
    void updateDirection();
    void startRun(RunMode mode);
    void dispatchNext();
    void fileFinished(quint64 id, int outcome, const QString& message);
    void endRunDisplay();
    void setStage(std::uint64_t stage);
    std::vector<int> selectedRows() const;
    std::vector<std::string> selectedPaths() const;

    JobMessages& m_messages;
    BatchList m_list;
    BatchRun m_run{m_list};
    std::unique_ptr<FileListModel> m_model;
    std::unique_ptr<FileWorker> m_worker;
    std::uint64_t m_windowHandle = 0;
    int m_inFlight = 0;
    std::uint64_t m_lastJob = 0;
    std::string m_currentPath;
    int m_fileNumber = 0;
    bool m_closeWhenIdle = false;
    bool m_widthsRead = false;

    QTreeView* m_view = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_pane0 = nullptr;
    QLabel* m_pane1 = nullptr;
    QMenu* m_directionMenu = nullptr;
    QAction* m_open = nullptr;
    QAction* m_remove = nullptr;
    QAction* m_close = nullptr;
    QAction* m_translate = nullptr;
    QAction* m_translateAll = nullptr;
    QAction* m_stop = nullptr;
    QAction* m_show = nullptr;
    QAction* m_direction = nullptr;
    QAction* m_help = nullptr;
    QAction* m_directionEntries[3] = {};
};

} // namespace yv::filebox
