// The batch box's window: commands over the list model, the run driven one file at a time
// through the worker, the messages of the other programs.
#include "mainframe.h"

#include "enginehost.h"
#include "fileworker.h"

#include <Etc.h>
#include <Messages.h>
#include <editorcore/placement.h>
#include <platform/bus.h>
#include <platform/messagebox.h>
#include <platform/process.h>
#include <platform/qtwindow.h>

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace yv::filebox {

namespace {

constexpr const char* kDirectionKey = "翻訳方向";
constexpr const char* kFolderValue = "フォルダ";
constexpr const char* kReady = "ﾚﾃﾞｨ";
constexpr std::uint32_t kUseDefault = 0x80000000u;  // CW_USEDEFAULT: the window manager places
constexpr int kDefaultWidths[4] = {200, 100, 200, 200};
constexpr int kHelpTopic = 5;
constexpr const char* kOpenFilter =
    "Wordﾌｧｲﾙ(*.doc;*.docx) (*.doc *.docx);;PowerPointﾌｧｲﾙ(*.ppt;*.pptx;*.ppsx) (*.ppt *.pptx *.ppsx);;"
    "Excelﾌｧｲﾙ(*.xls;*.xlsx;*.xlsb;*.xlsm) (*.xls *.xlsx *.xlsb *.xlsm);;ﾃｷｽﾄﾌｧｲﾙ(*.txt) (*.txt);;"
    "Webﾄﾞｷｭﾒﾝﾄ(*.htm;*.html) (*.htm *.html)";
constexpr const char* kMissingProgram = "%sがみつかりません。インストール状態を確認してください。";

std::uint32_t setting(const char* name, std::uint32_t fallback)
{
    return GetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, name, fallback);
}

int storedDirection()
{
    return static_cast<int>(GetRegDWORD(0, nullptr, kDirectionKey, DIRECTION_AUTO));
}

QString q(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Shows a translated output: text with the chosen text editor (or the desktop's), anything
// else with the desktop's application for its type.
bool openWithDesktop(const QString& program, const QString& output)
{
    if (program.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(output));
    if (QFileInfo(program).isFile())
        return QProcess::startDetached(program, {output});
    std::vector<std::string> words = process::splitArguments(program.toStdString());
    if (words.empty())
        return false;
    QStringList arguments;
    for (std::size_t i = 1; i < words.size(); ++i)
        arguments << QString::fromStdString(words[i]);
    arguments << output;
    return QProcess::startDetached(QString::fromStdString(words.front()), arguments);
}

} // namespace

CMainFrame::CMainFrame(JobMessages& messages) : m_messages(messages)
{
    setWindowTitle(QString::fromUtf8(kMainTitle));
    m_model = std::make_unique<FileListModel>(m_list);
    m_view = new QTreeView(this);
    m_view->setModel(m_model.get());
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->header()->setStretchLastSection(false);
    m_view->viewport()->setAcceptDrops(true);
    m_view->viewport()->installEventFilter(this);
    setCentralWidget(m_view);
    connect(m_view, &QTreeView::doubleClicked, this, [this] { showResult(); });

    chooseFiles = [](QWidget* parent) {
        return QFileDialog::getOpenFileNames(parent, QStringLiteral("翻訳ﾌｧｲﾙの指定"), {}, QString::fromUtf8(kOpenFilter));
    };
    openResult = openWithDesktop;

    buildActions();
    buildMenus();
    buildStatusBar();
    connect(m_view, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        const bool any = !selectedRows().empty();
        menu.addAction(QStringLiteral("選択したﾌｧｲﾙを翻訳する"), this, [this] { translateSelection(); })->setEnabled(any);
        menu.addAction(QStringLiteral("翻訳結果を表示"), this, [this] { showResult(); })->setEnabled(any);
        menu.addSeparator();
        menu.addAction(QStringLiteral("選択したﾌｧｲﾙを指定から除く"), this, [this] { removeSelected(); })->setEnabled(any);
        menu.exec(m_view->viewport()->mapToGlobal(at));
    });
    restorePlacement();
    updateDirection();
}

CMainFrame::~CMainFrame()
{
    if (m_worker)
        m_worker->finish();
}

void CMainFrame::setWindowHandle(std::uint64_t handle)
{
    m_windowHandle = handle;
    if (m_worker)
        return;
    m_worker = std::make_unique<FileWorker>(handle, m_messages);
    connect(m_worker.get(), &FileWorker::progress, this, [this](int percent) {
        if (m_inFlight > 0 && m_run.mode() != RunMode::Idle)
            m_progress->setValue(std::clamp(percent, 0, 100));
    });
    connect(m_worker.get(), &FileWorker::finished, this, &CMainFrame::fileFinished);
    m_worker->start();
}

void CMainFrame::buildActions()
{
    const auto make = [this](const char* text, const char* icon, auto slot) {
        auto* action = new QAction(QIcon::fromTheme(QString::fromLatin1(icon)), QString::fromUtf8(text), this);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    m_open = make("ﾌｧｲﾙを指定(&O)...", "document-open", [this] { addFiles(chooseFiles(this)); });
    m_open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_open->setIconText(QStringLiteral("開く"));
    m_remove = make("選択したﾌｧｲﾙを指定から除く(&D)", "list-remove", [this] { removeSelected(); });
    m_remove->setShortcut(QKeySequence::Delete);
    m_close = make("閉じる(&X)", "window-close", [this] { close(); });
    m_translate = make("選択したﾌｧｲﾙを翻訳(&T)", "go-next", [this] { translateSelection(); });
    m_translate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_translate->setIconText(QStringLiteral("翻訳"));
    m_translateAll = make("表示のﾌｧｲﾙを全て翻訳(&A)", "media-seek-forward", [this] { translateAll(); });
    m_translateAll->setIconText(QStringLiteral("一括翻訳"));
    m_stop = make("翻訳を中止する(&B)", "process-stop", [this] { stop(); });
    m_stop->setIconText(QStringLiteral("中止"));
    m_stop->setEnabled(false);
    m_show = make("翻訳結果を見る(&D)", "document-preview", [this] { showResult(); });
    m_show->setIconText(QStringLiteral("表示"));
    m_direction = make("方向(自動)", "view-refresh", [this] { cycleDirection(); });
    m_help = make("ﾄﾋﾟｯｸﾒﾆｭｰ(&H)", "help-contents", [this] { showHelp(); });
    for (QAction* action : {m_open, m_remove, m_translate})
        action->setShortcutContext(Qt::WindowShortcut);
    addActions({m_open, m_remove, m_translate});
}

void CMainFrame::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->addAction(m_open);
    file->addAction(m_remove);
    file->addSeparator();
    file->addAction(m_close);
    QMenu* translate = menuBar()->addMenu(QStringLiteral("翻訳(&T)"));
    translate->addAction(m_translate);
    translate->addAction(m_translateAll);
    translate->addAction(m_stop);
    translate->addSeparator();
    translate->addAction(m_show);
    m_directionMenu = translate->addMenu(QStringLiteral("翻訳方向(&D)"));
    const char* entries[] = {"自動判定(&A)", "英→日(&E)", "日→英(&J)"};
    for (int i = 0; i < 3; ++i) {
        m_directionEntries[i] = m_directionMenu->addAction(QString::fromUtf8(entries[i]));
        m_directionEntries[i]->setCheckable(true);
        m_directionEntries[i]->setEnabled(false);
    }
    menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"))->addAction(m_help);

    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addActions({m_open, m_translate, m_translateAll, m_stop, m_direction, m_show});
}

void CMainFrame::buildStatusBar()
{
    m_pane0 = new QLabel(q(kReady), this);
    m_pane0->setFixedWidth(280);
    m_pane1 = new QLabel(this);
    statusBar()->addWidget(m_pane0);
    statusBar()->addWidget(m_pane1, 1);
    // The bar lies over the first pane while a run goes.
    m_progress = new QProgressBar(statusBar());
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(true);
    m_progress->hide();
    statusBar()->installEventFilter(this);
}

void CMainFrame::restorePlacement()
{
    const int width = static_cast<int>(setting("WIDTH", 500));
    const int height = static_cast<int>(setting("HEIGHT", 300));
    const std::uint32_t left = setting("LEFT", kUseDefault);
    const std::uint32_t top = setting("TOP", kUseDefault);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const editor::WorkArea work{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    if (left == kUseDefault || top == kUseDefault) {
        const editor::WindowPlacement p = editor::clampPlacement({0, 0, width, height}, work);
        resize(p.width, p.height);
        return;
    }
    const editor::WindowPlacement p =
        editor::clampPlacement({static_cast<int>(left), static_cast<int>(top), width, height}, work);
    setGeometry(p.left, p.top, p.width, p.height);
}

void CMainFrame::storePlacement()
{
    const QRect r = normalGeometry();
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "LEFT", static_cast<std::uint32_t>(r.left()));
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "TOP", static_cast<std::uint32_t>(r.top()));
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "WIDTH", static_cast<std::uint32_t>(r.width()));
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "HEIGHT", static_cast<std::uint32_t>(r.height()));
    for (int column = 0; column < 4; ++column) {
        const std::string name = "LV_COL" + std::to_string(column);
        SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, name.c_str(),
                    static_cast<std::uint32_t>(m_view->header()->sectionSize(column)));
    }
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_widthsRead)
        return;
    m_widthsRead = true;
    for (int column = 0; column < 4; ++column) {
        const std::string name = "LV_COL" + std::to_string(column);
        const auto stored = static_cast<std::int32_t>(setting(name.c_str(), static_cast<std::uint32_t>(kDefaultWidths[column])));
        m_view->header()->resizeSection(column, std::clamp(stored, 50, 800));
    }
}

void CMainFrame::updateDirection()
{
    static constexpr const char* kTexts[] = {"方向(自動)", "方向(英日)", "方向(日英)"};
    static constexpr const char* kIcons[] = {"view-refresh", "go-next", "go-previous"};
    const int direction = storedDirection();
    for (int i = 0; i < 3; ++i)
        m_directionEntries[i]->setChecked(i == direction);
    if (direction >= 0 && direction <= 2) {
        m_direction->setText(QString::fromUtf8(kTexts[direction]));
        m_direction->setIcon(QIcon::fromTheme(QString::fromLatin1(kIcons[direction])));
    }
}

std::int64_t CMainFrame::handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == messages::kDirectionChanged) {
        updateDirection();
    } else if (message == messages::kProgress) {
        if (wParam == 0)
            m_progress->setValue(static_cast<int>(std::clamp<std::int64_t>(lParam, 0, 100)));
        else
            setStage(wParam);
    } else if (message == messages::kComeToFront) {
        window::comeToFront(this);
    }
    return 0;
}

void CMainFrame::setStage(std::uint64_t stage)
{
    static constexpr const char* kStages[] = {"準備中", "翻訳中", "読み込み中", "書き込み中"};
    if (stage >= 1 && stage <= 4)
        m_pane1->setText(QString::fromUtf8(kStages[stage - 1]));
}

QString CMainFrame::statusText(int pane) const
{
    return pane == 0 ? m_pane0->text() : m_pane1->text();
}

void CMainFrame::preload()
{
    char folder[ETC_MAX_PATH * 4];
    GetRegStr(0, kSettingsKey, kFolderValue, folder, sizeof folder, "");
    if (folder[0] == '\0')
        return;
    for (const std::string& path : filesToPreload(folder))
        m_model->addPath(path);
}

void CMainFrame::addFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        const std::string utf8 = QFileInfo(path).absoluteFilePath().toStdString();
        if (kindOf(utf8) == Kind::None) {
            msgbox::show(m_windowHandle, msgbox::IconError, utf8 + "\n\n" + std::string(texts::kNotAccepted));
            continue;
        }
        m_model->addPath(utf8);
    }
}

std::vector<int> CMainFrame::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> CMainFrame::selectedPaths() const
{
    std::vector<std::string> paths;
    for (const int row : selectedRows())
        paths.push_back(m_list.row(static_cast<std::size_t>(row)).path);
    return paths;
}

void CMainFrame::selectRows(const std::vector<int>& rows)
{
    m_view->clearSelection();
    for (const int row : rows)
        m_view->selectionModel()->select(m_model->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CMainFrame::removeSelected()
{
    const std::vector<int> rows = selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        m_model->removeRowAt(*it);
}

void CMainFrame::translateSelection()
{
    if (m_run.mode() != RunMode::Idle)
        return;
    if (selectedRows().empty()) {
        msgbox::show(m_windowHandle, msgbox::IconInformation, texts::kNoSelection);
        return;
    }
    startRun(RunMode::Selection);
}

void CMainFrame::translateAll()
{
    if (m_run.mode() != RunMode::Idle)
        return;
    TraceLine("OnTransAll()\n");
    startRun(RunMode::All);
}

void CMainFrame::startRun(RunMode mode)
{
    if (!m_worker)
        setWindowHandle(m_windowHandle);
    if (!m_run.start(mode, selectedPaths()))
        return;
    m_fileNumber = 0;
    m_progress->setValue(0);
    m_progress->show();
    m_stop->setEnabled(true);
    m_translate->setEnabled(false);
    m_translateAll->setEnabled(false);
    dispatchNext();
}

void CMainFrame::dispatchNext()
{
    // A stopped file that is still running goes first.
    if (m_inFlight > 0)
        return;
    const RunMode mode = m_run.mode();
    const auto job = m_run.next();
    if (!job) {
        if (mode == RunMode::All)
            TraceLine("OnTransAll() END\n");
        endRunDisplay();
        return;
    }
    m_currentPath = job->source;
    m_model->refresh(job->source);
    TraceLine(" No. %d file trans\n", m_fileNumber++);
    m_progress->setValue(0);
    m_pane1->setText(job->kind == Kind::Office ? QString() : QStringLiteral("翻訳中"));
    ++m_inFlight;
    m_lastJob = job->id;
    m_worker->post(*job, storedDirection());
}

void CMainFrame::fileFinished(quint64 id, int outcome, const QString& message)
{
    --m_inFlight;
    m_run.finish(id, FileResult{static_cast<Outcome>(outcome), message.toStdString()});
    m_model->refresh(m_currentPath);
    m_pane0->setText(q(kReady));
    if (m_closeWhenIdle && m_inFlight == 0) {
        close();
        return;
    }
    if (m_run.mode() != RunMode::Idle)
        dispatchNext();
}

void CMainFrame::endRunDisplay()
{
    m_progress->setValue(0);
    m_progress->hide();
    m_pane1->clear();
    m_stop->setEnabled(false);
    m_translate->setEnabled(true);
    m_translateAll->setEnabled(true);
}

void CMainFrame::stop()
{
    if (m_run.mode() == RunMode::Idle)
        return;
    if (m_worker)
        m_worker->requestStop(m_lastJob);
    const std::string current = m_currentPath;
    m_run.stop();
    m_model->refresh(current);
    endRunDisplay();
}

void CMainFrame::showResult()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    const Row& row = m_list.row(static_cast<std::size_t>(rows.front()));
    if (row.state != kTranslated)
        return;
    QString program;
    if (kindOf(row.path) == Kind::Text) {
        SoftSettings soft{};
        LoadEnvSoft(&soft);
        program = QString::fromUtf8(soft.txtExe, static_cast<qsizetype>(strnlen(soft.txtExe, sizeof soft.txtExe)));
    }
    if (!openResult(program, QString::fromStdString(outputPath(row.path)))) {
        const std::string missing = program.isEmpty() ? outputPath(row.path) : program.toStdString();
        PrintBox(m_windowHandle, msgbox::IconExclamation, kMissingProgram, missing.c_str());
    }
}

void CMainFrame::cycleDirection()
{
    const int direction = storedDirection();
    const int next = direction == 0 ? 1 : direction == 1 ? 2 : direction == 2 ? 0 : direction;
    PostDirectionChanged(next);
}

void CMainFrame::showHelp()
{
    bus::postMessage(messages::kToolboxClass, messages::kShowHelp, kHelpTopic, 0);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A file still with the engine is stopped first; the window closes when it has ended.
    if (m_inFlight > 0) {
        m_closeWhenIdle = true;
        stop();
        if (m_worker)
            m_worker->requestStop(m_lastJob);
        event->ignore();
        return;
    }
    storePlacement();
    if (m_worker)
        m_worker->finish();
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == statusBar() && event->type() == QEvent::Resize) {
        m_progress->setGeometry(2, 2, 185, std::max(1, statusBar()->height() - 2));
    } else if (watched == m_view->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls()) {
                if (url.isLocalFile())
                    paths << url.toLocalFile();
            }
            addFiles(paths);
            drop->acceptProposedAction();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace yv::filebox
