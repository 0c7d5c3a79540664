// The example box's main window: its parts, placement, messages and the search.
#include "mainframe.h"

#include "folderviews.h"
#include "searchviews.h"

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <examplestore/messages.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/messagebox.h>
#include <platform/qtwindow.h>
#include <sampleview/boxrules.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>


namespace yv::samplebox {

namespace es = examplestore;
namespace msg = examplestore::messages;

namespace {

constexpr int kKeyHistoryBuffer = 20 * 514;
constexpr unsigned kHelpTopicSample = 4;
constexpr int kAnimationIntervalMs = 120;
constexpr const char* kReadDone = "読み出し終了";
constexpr const char* kStopped = "中止しました";
constexpr const char* kAnimationFrames[] = {"◐", "◓", "◑", "◒"};

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

std::uint32_t setting(const char* name, std::uint32_t fallback)
{
    return GetRegDWORD(HKEY_CURRENT_USER, sampleview::kSettingsKey, name, fallback);
}

void storeSetting(const char* name, int value)
{
    SetRegDWORD(HKEY_CURRENT_USER, sampleview::kSettingsKey, name, static_cast<std::uint32_t>(value));
}

QStringList keyHistory()
{
    std::vector<char> buffer(kKeyHistoryBuffer);
    char** keys = GetKeyList(HKEY_CURRENT_USER, sampleview::kSettingsKey, "keys", buffer.data(),
                             static_cast<std::uint32_t>(buffer.size()));
    QStringList list;
    for (char** k = keys; k && *k; ++k)
        list << QString::fromUtf8(*k);
    return list;
}

} // namespace

CMainFrame::CMainFrame(std::filesystem::path dataDir)
{
    qRegisterMetaType<es::SearchResult>();
    qRegisterMetaType<es::FolderNames>();
    setWindowTitle(q(sampleview::kMainTitle));
    m_store = std::make_unique<es::SampleStore>(dataDir);
    m_commands = std::make_unique<SampleCommands>(*m_store);
    m_worker = std::make_unique<SearchWorker>(dataDir);
    m_thread = std::make_unique<QThread>();
    m_worker->moveToThread(m_thread.get());
    connect(this, &CMainFrame::startWorker, m_worker.get(), &SearchWorker::search);
    connect(m_worker.get(), &SearchWorker::progress, this, [this](int percent) { m_progress->setValue(percent); });
    connect(m_worker.get(), &SearchWorker::finished, this, &CMainFrame::searchDone);
    m_thread->start();

    buildActions();
    buildViews();
    buildMenus();
    buildStatusBar();
    restorePlacement();

    reloadTree(es::kNoNode);
    const auto tops = m_store->tree().topNodes();
    if (!tops.empty()) {
        m_tree->selectNode(tops.front());
        if (QTreeWidgetItem* item = m_tree->itemOf(tops.front()))
            item->setExpanded(true);
    }
    updateCommands();
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    m_worker->requestStop();
    m_thread->quit();
    m_thread->wait();
}

QAction* CMainFrame::command(int id) const
{
    return findChild<QAction*>(QStringLiteral("command%1").arg(id));
}

QString CMainFrame::statusText(int pane) const
{
    return pane == 0 ? m_pane0->text() : m_pane1->text();
}

int CMainFrame::indexOpens() const
{
    int opens = 0;
    QMetaObject::invokeMethod(m_worker.get(), [&] { opens = m_worker->opens(); }, Qt::BlockingQueuedConnection);
    return opens;
}

void CMainFrame::buildActions()
{
    struct Spec {
        int id;
        const char* text;
        QKeySequence key;
        std::function<void()> run;
    };
    const Spec specs[] = {
        {Command::NewFolder, "ﾌｫﾙﾀﾞの作成(&N)", {}, [this] { newFolder(); }},
        {Command::RenameFolder, "ﾌｫﾙﾀﾞ名の変更(&R)", {}, [this] { renameFolder(); }},
        {Command::DeleteFolder, "ﾌｫﾙﾀﾞの削除(&D)", {}, [this] { deleteFolder(); }},
        {Command::AddDocument, "ｻﾝﾌﾟﾙﾌｧｲﾙの追加(&A)", {}, [this] { addDocuments(); }},
        {Command::OpenDocument, "ｻﾝﾌﾟﾙﾌｧｲﾙを開く(&O)", {}, [this] { openSelected(); }},
        {Command::DeleteDocuments, "ｻﾝﾌﾟﾙﾌｧｲﾙの削除(&D)", {}, [this] { deleteDocuments(); }},
        {Command::Close, "閉じる(&X)", {}, [this] { close(); }},
        {Command::Search, "例文検索(&S)", {}, [this] { searchCommand(); }},
        {Command::Wrap, "折り返し(&W)", {}, [] {}},
        {Command::Mark, "ﾏｰｸ(&M)", {}, [] {}},
        {Command::StopSearch, "検索の中止(&T)", {}, [this] { stopSearch(); }},
        {Command::Escape, "", {}, [this] { returnToSender(); }},
        {Command::HelpTopics, "ﾄﾋﾟｯｸﾒﾆｭｰ(&H)", {}, [] {
             bus::postMessage(messages::kToolboxClass, messages::kShowHelp, kHelpTopicSample, 0);
         }},
    };
    for (const Spec& spec : specs) {
        auto* action = new QAction(q(spec.text), this);
        action->setObjectName(QStringLiteral("command%1").arg(spec.id));
        if (!spec.key.isEmpty())
            action->setShortcut(spec.key);
        connect(action, &QAction::triggered, this, spec.run);
        addAction(action);
    }
    command(Command::Wrap)->setCheckable(true);
    command(Command::Mark)->setCheckable(true);
    command(Command::Mark)->setChecked(true);
    connect(command(Command::Wrap), &QAction::toggled, this, [this](bool on) { m_text->setWrapping(on); });
    connect(command(Command::Mark), &QAction::toggled, this, &CMainFrame::setMarks);
}

void CMainFrame::buildViews()
{
    m_tree = new CMyTreeView;
    m_list = new CMyListView;
    m_results = new CSearchListView;
    m_text = new CMyEditView;
    // The context menus have texts of their own.
    const std::pair<QWidget*, std::pair<const char*, int>> contextEntries[] = {
        {m_tree, {"ﾌｫﾙﾀﾞの作成", Command::NewFolder}},
        {m_tree, {"ﾌｫﾙﾀﾞ名の変更", Command::RenameFolder}},
        {m_tree, {"ﾌｫﾙﾀﾞの削除", Command::DeleteFolder}},
        {m_list, {"ｻﾝﾌﾟﾙ文書ﾌｧｲﾙを開く", Command::OpenDocument}},
        {m_list, {"ｻﾝﾌﾟﾙ文書ﾌｧｲﾙの削除", Command::DeleteDocuments}},
    };
    for (const auto& [view, entry] : contextEntries) {
        auto* action = new QAction(q(entry.first), view);
        connect(action, &QAction::triggered, command(entry.second), &QAction::trigger);
        view->addAction(action);
    }

    m_rightSplitter = new QSplitter(Qt::Vertical);
    m_resultSplitter = new QSplitter(Qt::Horizontal);
    m_resultSplitter->addWidget(m_results);
    m_resultSplitter->addWidget(m_text);
    m_rightSplitter->addWidget(m_list);
    m_rightSplitter->addWidget(m_resultSplitter);
    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_rightSplitter);
    m_splitter->setStretchFactor(1, 1);
    m_rightSplitter->setStretchFactor(1, 2);
    m_resultSplitter->setStretchFactor(1, 2);
    setCentralWidget(m_splitter);

    auto* keyBand = new QToolBar(q("検索キー"), this);
    keyBand->setObjectName(QStringLiteral("keyBand"));
    keyBand->setMovable(false);
    keyBand->addWidget(new QLabel(q("検索キー") + QLatin1Char(' ')));
    m_keyEntry = new KeyEntry(keyHistory);
    keyBand->addWidget(m_keyEntry);
    keyBand->setToolButtonStyle(Qt::ToolButtonTextOnly);
    keyBand->addAction(command(Command::Search));
    keyBand->addAction(command(Command::StopSearch));
    keyBand->addAction(command(Command::Mark));
    keyBand->addAction(command(Command::Wrap));
    addToolBar(keyBand);
    connect(m_keyEntry->lineEdit(), &QLineEdit::returnPressed, this, &CMainFrame::searchCommand);

    connect(m_tree, &CMyTreeView::nodeSelected, this, &CMainFrame::showFolder);
    connect(m_tree, &CMyTreeView::renamed, this, &CMainFrame::renameNode);
    connect(m_tree, &CMyTreeView::deletePressed, this, &CMainFrame::deleteFolder);
    // Drops are answered first; their questions and refusals come after.
    connect(m_tree, &CMyTreeView::folderDropped, this, [this](es::NodeId folder, es::NodeId target) {
        QTimer::singleShot(0, this, [=, this] { dropFolder(folder, target); });
    });
    connect(m_tree, &CMyTreeView::entriesDropped, this, [this](const std::vector<int>& rows, es::NodeId target) {
        QTimer::singleShot(0, this, [=, this] { dropListRows(rows, target); });
    });
    connect(m_list, &CMyListView::opened, this, &CMainFrame::openListRow);
    connect(m_list, &CMyListView::renamed, this, &CMainFrame::renameListRow);
    connect(m_list, &CMyListView::deletePressed, this, &CMainFrame::deleteDocuments);
    connect(m_list, &CMyListView::filesDropped, this, [this](const std::vector<std::filesystem::path>& files) {
        QTimer::singleShot(0, this, [=, this] { addFiles(files); });
    });
    connect(m_results, &CSearchListView::opened, this, &CMainFrame::openResultRow);
}

void CMainFrame::buildMenus()
{
    QMenu* file = menuBar()->addMenu(q("ﾌｧｲﾙ(&F)"));
    file->addAction(command(Command::NewFolder));
    file->addAction(command(Command::AddDocument));
    file->addAction(command(Command::OpenDocument));
    file->addSeparator();
    file->addAction(command(Command::Close));
    QMenu* edit = menuBar()->addMenu(q("編集(&E)"));
    edit->addAction(command(Command::RenameFolder));
    edit->addAction(command(Command::DeleteFolder));
    edit->addSeparator();
    edit->addAction(command(Command::DeleteDocuments));
    QMenu* search = menuBar()->addMenu(q("検索(&S)"));
    search->addAction(command(Command::Search));
    search->addAction(command(Command::StopSearch));
    search->addSeparator();
    search->addAction(command(Command::Mark));
    search->addAction(command(Command::Wrap));
    QMenu* help = menuBar()->addMenu(q("ﾍﾙﾌﾟ(&H)"));
    help->addAction(command(Command::HelpTopics));
}

void CMainFrame::buildStatusBar()
{
    m_pane0 = new QLabel;
    m_pane1 = new QLabel;
    m_animation = new QLabel;
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_animation->setFixedWidth(20);
    m_pane1->setMinimumWidth(120);
    statusBar()->addWidget(m_pane0, 1);
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_animation);
    statusBar()->addPermanentWidget(m_pane1);
    m_animationTimer = new QTimer(this);
    m_animationTimer->setInterval(kAnimationIntervalMs);
    connect(m_animationTimer, &QTimer::timeout, this, [this] {
        m_animationStep = (m_animationStep + 1) % 4;
        m_animation->setText(q(kAnimationFrames[m_animationStep]));
    });
}

void CMainFrame::restorePlacement()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const sampleview::Placement p = sampleview::fitPlacement(
        setting("LEFT", sampleview::kUnset), setting("TOP", sampleview::kUnset), setting("WIDTH", sampleview::kUnset),
        setting("HEIGHT", sampleview::kUnset), area.x(), area.y(), area.width(), area.height());
    resize(p.width, p.height);
    if (p.left && p.top)
        move(*p.left, *p.top);
    const int divide = static_cast<int>(setting("DIVIDE", 0));
    const int treeWidth = divide > 0 && divide < p.width - 50 ? divide : p.width / 4;
    m_splitter->setSizes({treeWidth, p.width - treeWidth});
    m_list->setColumnWidth(0, sampleview::columnWidth(setting("LV_COL0", 0), 200));
    m_results->setColumnWidth(0, sampleview::columnWidth(setting("S_LV_COL0", 0), 200));
    m_results->setColumnWidth(1, sampleview::columnWidth(setting("S_LV_COL1", 0), 100));
}

void CMainFrame::storePlacement()
{
    const QRect r = normalGeometry();
    storeSetting("LEFT", r.left());
    storeSetting("TOP", r.top());
    storeSetting("WIDTH", r.width());
    storeSetting("HEIGHT", r.height());
    storeSetting("DIVIDE", m_splitter->sizes().value(0));
    storeSetting("LV_COL0", sampleview::columnWidth(static_cast<std::uint32_t>(m_list->columnWidth(0)), 200));
    storeSetting("S_LV_COL0", sampleview::columnWidth(static_cast<std::uint32_t>(m_results->columnWidth(0)), 200));
    storeSetting("S_LV_COL1", sampleview::columnWidth(static_cast<std::uint32_t>(m_results->columnWidth(1)), 100));
}

void CMainFrame::searchCommand()
{
    if (m_store->dataDir().empty() || !isSetUp(m_store->dataDir()))
        return;
    if (m_writing) {
        m_searchAfterWrite = true;
        return;
    }
    if (m_searching) {
        // The running search ends first; this one starts when it has.
        m_worker->requestStop();
        connect(this, &CMainFrame::searchFinished, this, &CMainFrame::searchCommand, Qt::SingleShotConnection);
        return;
    }
    const QString key = m_keyEntry->currentText();
    if (!key.isEmpty())
        MemorizeKey(HKEY_CURRENT_USER, sampleview::kSettingsKey, "keys", key.toStdString().c_str());
    m_searching = true;
    m_animationTimer->start();
    m_results->load({});
    m_progress->setValue(0);
    m_progress->show();
    updateCommands();
    m_worker->clearStop();
    emit startWorker(key, command(Command::Mark)->isChecked(), es::folderNamesOf(m_store->tree()));
}

void CMainFrame::stopSearch()
{
    if (m_searching)
        m_worker->requestStop();
}

void CMainFrame::searchDone(const es::SearchResult& result, const QString& key)
{
    m_searching = false;
    m_animationTimer->stop();
    m_animation->clear();
    m_results->load(result.rows);
    m_progress->hide();
    TraceLine("sample search %s: %d/%d", key.toStdString().c_str(), result.exampleCount, result.documentCount);
    switch (result.status) {
    case es::SearchStatus::Complete:
    case es::SearchStatus::Stopped:
        m_markedKey = codec::utf8ToCp932(key.toStdString());
        m_text->setResultText(result.text);
        m_pane0->setText(QString::fromStdString(hitCountsText(result)));
        m_pane1->setText(q(result.status == es::SearchStatus::Complete ? kReadDone : kStopped));
        break;
    case es::SearchStatus::TooManyHits:
        msgbox::show(m_windowHandle, msgbox::Ok | msgbox::IconExclamation, msg::kTooManyHits);
        break;
    case es::SearchStatus::NoIndex:
    case es::SearchStatus::DocumentMissing:
        break;
    }
    updateCommands();
    emit searchFinished();
}

void CMainFrame::setMarks(bool on)
{
    const std::string& shown = m_text->resultText();
    if (m_markedKey.empty() || shown.empty())
        return;
    m_text->setResultText(on ? es::addMarks(es::removeMarks(shown, m_markedKey), m_markedKey)
                             : es::removeMarks(shown, m_markedKey));
}

void CMainFrame::releaseIndexes()
{
    m_worker->requestStop();
    QMetaObject::invokeMethod(m_worker.get(), &SearchWorker::release, Qt::BlockingQueuedConnection);
}

void CMainFrame::returnToSender()
{
    if (m_returnWindow)
        handover::returnTo(static_cast<bus::WindowHandle>(*m_returnWindow));
}

void CMainFrame::handOver(std::uint64_t length, const std::string& block, std::int64_t returnWindow)
{
    const std::optional<std::string> key = sampleview::handOverKey(length, block);
    if (!key) {
        msgbox::show(m_windowHandle, msgbox::Ok | msgbox::IconInformation, sampleview::kKeyTooLong);
        return;
    }
    m_keyEntry->setCurrentText(QString::fromStdString(codec::cp932ToUtf8(*key)));
    m_returnWindow = static_cast<std::uint64_t>(returnWindow);
    handleMessage(kStartSearch, 0, 0);
}

std::int64_t CMainFrame::handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case messages::kHandOver: {
        // The text is copied out while the sender waits; the rest runs after its answer.
        std::string block;
        if (wParam < sampleview::kMaxHandOverLength)
            block = handover::receiveText(wParam).value_or(std::string());
        QTimer::singleShot(0, this, [this, wParam, block, lParam] { handOver(wParam, block, lParam); });
        return 1;
    }
    case kStartSearch:
        QTimer::singleShot(0, this, &CMainFrame::searchCommand);
        return 1;
    case messages::kComeToFront:
        window::comeToFront(this);
        return 1;
    case messages::kWmClose:
        QTimer::singleShot(0, this, &QWidget::close);
        return 0;
    default:
        return 0;
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Esc brings back the window the key came from, unless an editor or a dialog takes it.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
        && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this
        && !QApplication::activePopupWidget()
        && !QApplication::activeModalWidget() && !m_tree->editing()
        && !m_list->editing()) {
        command(Command::Escape)->trigger();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_worker->requestStop();
    storePlacement();
    m_store->save();
    event->accept();
}

} // namespace yv::samplebox
