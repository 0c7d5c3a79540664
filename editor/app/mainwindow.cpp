// The editor's main window and its commands.
#include "mainwindow.h"

#include "busyindicator.h"
#include "printtools.h"
#include "speech.h"
#include "wordtools.h"

#include <EngineLink.h>
#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <editorcore/messages.h>
#include <editorcore/placement.h>
#include <editorcore/pairblock.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/x11.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <limits>
#include <string>

namespace yv::trans {

namespace {

constexpr const char* kRecentKey = "翻訳BOX\\Recent File List";
constexpr std::size_t kRecentPathBytes = 4096;
constexpr const char* kDirectionKey = "翻訳方向";
constexpr int kEditorHelpTopic = 1;

// Settings and help belong to the toolbox, which is started when it is not running.
void postToToolbox(std::uint32_t message, std::uint64_t wParam)
{
    const handover::Target toolbox = handover::locate(yv::messages::kToolboxClass, yv::messages::kToolboxProgram);
    if (toolbox.window)
        bus::postMessage(yv::messages::kToolboxClass, message, wParam, 0);
    else
        editor::messages::warn(handover::startFailureMessage(toolbox, yv::messages::kToolboxProgram));
}

// The pages of the toolbox's settings sheet, in page-number order.
constexpr std::string_view kSettingsPages[] = {"翻訳の設定(&T)...", "英日辞書の設定(&E)...",
                                               "日英辞書の設定(&J)...", "ﾌｧｲﾙ翻訳の設定(&F)...",
                                               "ｿﾌﾄｳｪｱの設定(&S)...", "音声の設定(&V)..."};

// Dictionary tools and user-dictionary converters: outside programs started without arguments.
constexpr std::pair<std::string_view, std::string_view> kOutsideTools[] = {
    {"英日辞書ﾂｰﾙ(&1)", "Rytoolej.exe"},
    {"日英辞書ﾂｰﾙ(&2)", "Rytoolje.exe"},
    {"英日ﾕｰｻﾞｰ辞書変換(&3)", "UPFConvEJ.exe"},
    {"日英ﾕｰｻﾞｰ辞書変換(&4)", "UPFConvJE.exe"},
};
constexpr int kDirectionCount = 3;
constexpr int kCommandStateIntervalMs = 500;

QString q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::filesystem::path toPath(const QString& file) { return std::filesystem::path(file.toStdString()); }

int readDword(const char* name, int def)
{
    return static_cast<int>(GetRegDWORD(0, kSettingsKey, name, static_cast<std::uint32_t>(def)));
}

void writeDword(const char* name, int value)
{
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, name, static_cast<std::uint32_t>(value));
}

std::string recentName(int index) { return "File" + std::to_string(index + 1); }

std::vector<std::string> readRecentFiles()
{
    std::vector<std::string> files;
    for (int i = 0; i < kRecentFiles; ++i) {
        std::string buffer(kRecentPathBytes, '\0');
        GetRegStr(0, kRecentKey, recentName(i).c_str(), buffer.data(), kRecentPathBytes, "");
        buffer.resize(buffer.find('\0'));
        if (!buffer.empty())
            files.push_back(buffer);
    }
    return files;
}

// "LEFT" of a window that was never closed before.
constexpr std::uint32_t kNeverPlaced = 0x80000000u;
// Title bar and borders of a usual window manager: the real frame is known only once shown.
constexpr editor::FrameAllowance kFrameAllowance{8, 32};

// The always-on-top toolbox's frame on the screen, when it runs on this display.
std::optional<editor::ScreenRect> toolboxRectangle()
{
    const std::optional<bus::WindowHandle> toolbox = bus::findWindow(yv::messages::kToolboxClass);
    if (!toolbox || *toolbox == 0 || *toolbox > std::numeric_limits<x11::WindowId>::max() || !x11::available())
        return std::nullopt;
    const std::optional<x11::Rect> frame = x11::frameRect(static_cast<x11::WindowId>(*toolbox));
    if (!frame)
        return std::nullopt;
    return editor::ScreenRect{frame->left, frame->top, frame->left + frame->width, frame->top + frame->height};
}

} // namespace

void setUpOpenDialog(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Each caption is shown as written; the pattern after it is what matches. "*.*" would
    // hide the files without an extension, which are common here.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters({q("翻訳ﾌｧｲﾙ(*.tts) (*.tts)"), q("ﾃｷｽﾄﾌｧｲﾙ(*.txt) (*.txt)"), q("全てのﾌｧｲﾙ(*.*) (*)")});
}

CMainFrame::CMainFrame()
    : m_font(std::make_unique<QtFontMetrics>(paneFont())),
      m_doc(std::make_unique<editor::TransDoc>(*m_font, *m_font)),
      m_flow(std::make_unique<editor::TranslateFlow>(*m_doc, static_cast<editor::TranslateHost&>(*this)))
{
    openDialog = [this] { return runOpenDialog(); };
    saveAsDialog = [this] { return runSaveAsDialog(); };
    m_doc->onPathSet = [this](const std::filesystem::path& file) { addRecentFile(file); };
    m_doc->onWriting = [](bool writing) {
        if (writing)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_sourceView = new CTransView(m_doc->source(), *m_font, m_splitter);
    m_translationView = new CTransView(m_doc->translation(), *m_font, m_splitter);
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);
    m_activeView = m_sourceView;
    for (CTransView* view : {m_sourceView, m_translationView}) {
        CTransView* other = view == m_sourceView ? m_translationView : m_sourceView;
        const editor::Side side = view == m_sourceView ? editor::Side::Source : editor::Side::Translation;
        connect(view, &CTransView::switchPaneRequested, this, [other] { other->setFocus(Qt::TabFocusReason); });
        connect(view, &CTransView::edited, this, &CMainFrame::updateCommandStates);
        connect(view, &CTransView::returnRequested, this, &CMainFrame::returnToSender);
        connect(view, &CTransView::contextMenuRequested, this, [this](const QPoint& at) {
            QMenu menu(this);
            for (const auto& [name, text] : {std::pair{"editUndo", "元に戻す"}, {"editCut", "切り取り"},
                                              {"editCopy", "ｺﾋﾟｰ"}, {"editPaste", "貼り付け"}}) {
                QAction* item = menu.addAction(QString::fromUtf8(text));
                QAction* command = action(name);
                item->setEnabled(command->isEnabled());
                connect(item, &QAction::triggered, command, &QAction::trigger);
            }
            menu.exec(at);
        });
        connect(view, &CTransView::doubleClicked, this, [this, side](std::size_t cell) {
            m_doc->doubleClick(side, cell);
            refreshViews();
        });
    }
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == m_sourceView || now == m_translationView) {
            m_activeView = static_cast<CTransView*>(now);
            updateCommandStates();
        }
    });

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    restorePlacement();
    updateCaption();
    updateDirectionDisplay();
    updateCommandStates();
    // Other programs raise and drop the busy flag: the commands follow it while idle.
    auto* commandTimer = new QTimer(this);
    connect(commandTimer, &QTimer::timeout, this, &CMainFrame::updateCommandStates);
    commandTimer->start(kCommandStateIntervalMs);
    m_sourceView->setFocus();
    m_wordTools = std::make_unique<WordTools>(*this);
    m_printTools = std::make_unique<PrintTools>(*this);
    m_speech = std::make_unique<Speech>(*this);
    updateCommandStates();
}

CMainFrame::~CMainFrame()
{
    // The panes give up the focus while the window goes; this object is gone by then.
    disconnect(m_focusConnection);
    if (m_doc->run.holdsBusyFlag)
        setEngineBusy(false);
}

QAction* CMainFrame::action(const char* name) const { return findChild<QAction*>(QString::fromLatin1(name)); }

QString CMainFrame::statusText(int pane) const { return (pane == 0 ? m_statusPane0 : m_statusPane1)->text(); }

bool CMainFrame::busyAnimationRunning() const { return m_busy->isRunning(); }

CTransView& CMainFrame::activeView() { return *m_activeView; }

void CMainFrame::createActions()
{
    const auto make = [this](const char* name, std::string_view text, QKeySequence key,
                             std::function<void()> run) {
        auto* a = new QAction(q(text), this);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
        return a;
    };
    make("fileNew", "新規作成(&N)", QKeySequence(Qt::CTRL | Qt::Key_N), [this] { fileNew(); });
    make("fileOpen", "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { fileOpen(); });
    make("fileSave", "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { fileSave(); });
    make("fileSaveAs", "名前を付けて保存(&A)...", {}, [this] { fileSaveAs(); });
    make("fileExit", "アプリケーションの終了(&X)", {}, [this] { close(); });
    QAction* undo = make("editUndo", "元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z), [this] {
        activeView().pane().undo();
        refreshViews();
        updateCommandStates();
    });
    undo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    undo->setIconText(q("元に戻す"));
    QAction* cutAction = make("editCut", "切り取り(&T)", {}, [this] { cut(); });
    cutAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    cutAction->setIconText(q("切り取り"));
    QAction* copyAction = make("editCopy", "ｺﾋﾟｰ(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copy(); });
    copyAction->setIconText(q("ｺﾋﾟｰ"));
    QAction* pasteAction = make("editPaste", "貼り付け(&P)", {}, [this] { paste(); });
    pasteAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    pasteAction->setIconText(q("貼り付け"));
    QAction* run = make("translate", "翻訳(&T)", QKeySequence(Qt::CTRL | Qt::Key_T), [this] { translate(); });
    run->setIconText(q("翻訳"));
    QAction* stop = make("stop", "翻訳中止(&S)", {}, [this] { stopTranslation(); });
    stop->setIconText(q("中止"));
    make("direction", "方向", {}, [this] {
        setDirection((directionSetting() + 1) % kDirectionCount);
    });

    // Commands whose behaviour lives beside the window (word tools, printing, speech) are
    // created here so that menus and tool bar keep one order; their owners connect them.
    const auto named = [this, &make](const char* name, std::string_view text, QKeySequence key,
                                     std::string_view iconText = {}) {
        QAction* a = make(name, text, key, [] {});
        if (!iconText.empty())
            a->setIconText(q(iconText));
        return a;
    };
    named("wordChoice", "訳語選択(&W)...", QKeySequence(Qt::CTRL | Qt::Key_W), "訳語");
    named("registerWord", "単語登録(&R)...", QKeySequence(Qt::CTRL | Qt::Key_R));
    make("pairMark", "対訳ﾏｰｸ(&K)", QKeySequence(Qt::CTRL | Qt::Key_K), [this] { pairMark(); });
    named("editFind", "検索(&F)...", QKeySequence(Qt::CTRL | Qt::Key_F));
    named("editFindNext", "次を検索(&N)", QKeySequence(Qt::Key_F3));
    named("editFindPrevious", "前を検索(&V)", QKeySequence(Qt::SHIFT | Qt::Key_F3));
    named("editReplace", "置換(&E)...", QKeySequence(Qt::CTRL | Qt::Key_H));
    named("filePrint", "印刷(&P)...", QKeySequence(Qt::CTRL | Qt::Key_P));
    named("filePrintPreview", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", {});
    named("filePageSetup", "ﾍﾟｰｼﾞﾚｲｱｳﾄの設定(&U)...", {});
    named("filePrintSetup", "ﾌﾟﾘﾝﾀの設定(&R)...", {});
    make("dictSearch", "辞書検索(&D)", {}, [this] { dictionarySearch(); })->setIconText(q("辞書"));
    make("cdSearch", "CD-ROM検索(&C)", {}, [this] { cdRomSearch(); })->setIconText(q("CD"));
    make("exampleSearch", "例文検索(&E)", {}, [this] { exampleSearch(); })->setIconText(q("例文"));
    make("fileTranslate", "ﾌｧｲﾙ翻訳(&F)", {}, [this] { fileTranslation(); })->setIconText(q("ﾌｧｲﾙ翻訳"));
    named("voiceInput", "音声入力(&I)", {})->setCheckable(true);
    named("readAloud", "音声合成(&S)", {}, "読み上げ");
    named("stopReading", "読み上げ中止(&X)", {}, "読み上げ中止");

    m_directionGroup = new QActionGroup(this);
    const std::pair<const char*, std::string_view> directions[kDirectionCount] = {
        {"directionAuto", "自動判定(&A)"}, {"directionEJ", "英→日(&E)"}, {"directionJE", "日→英(&J)"}};
    for (int d = 0; d < kDirectionCount; ++d) {
        QAction* a = make(directions[d].first, directions[d].second, {}, [this, d] { setDirection(d); });
        a->setCheckable(true);
        m_directionGroup->addAction(a);
    }
}

void CMainFrame::createMenus()
{
    const auto addActions = [this](QMenu* menu, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (name)
                menu->addAction(action(name));
            else
                menu->addSeparator();
        }
    };
    QMenu* file = menuBar()->addMenu(q("ﾌｧｲﾙ(&F)"));
    addActions(file, {"fileNew", "fileOpen", "fileSave", "fileSaveAs", nullptr, "filePageSetup",
                      "filePrintPreview", "filePrint", "filePrintSetup", nullptr});
    m_recentMenu = file->addMenu(q("最近使ったﾌｧｲﾙ"));
    file->addSeparator();
    file->addAction(action("fileExit"));
    rebuildRecentMenu();

    addActions(menuBar()->addMenu(q("編集(&E)")),
               {"editUndo", nullptr, "editCut", "editCopy", "editPaste", nullptr, "editFind", "editFindNext",
                "editFindPrevious", "editReplace"});
    addActions(menuBar()->addMenu(q("翻訳(&T)")),
               {"translate", "stop", nullptr, "directionAuto", "directionEJ", "directionJE", nullptr,
                "wordChoice", "registerWord", "pairMark"});

    QMenu* tools = menuBar()->addMenu(q("ﾂｰﾙ(&O)"));
    addActions(tools, {"dictSearch", "cdSearch", "exampleSearch", "fileTranslate", nullptr, "voiceInput",
                       "readAloud", "stopReading", nullptr});
    for (const auto& [text, program] : kOutsideTools) {
        QAction* a = tools->addAction(q(text));
        connect(a, &QAction::triggered, this, [this, program = program] { startOutsideProgram(program); });
    }

    QMenu* settings = menuBar()->addMenu(q("設定(&S)"));
    for (int page = 1; page <= static_cast<int>(std::size(kSettingsPages)); ++page) {
        QAction* a = settings->addAction(q(kSettingsPages[page - 1]));
        a->setObjectName(QStringLiteral("settingsPage%1").arg(page));
        connect(a, &QAction::triggered, this, [page] { postToToolbox(messages::kOpenSettings, page); });
    }

    QMenu* help = menuBar()->addMenu(q("ﾍﾙﾌﾟ(&H)"));
    QAction* topics = help->addAction(q("ﾄﾋﾟｯｸ(&H)"));
    topics->setObjectName(QStringLiteral("helpTopics"));
    connect(topics, &QAction::triggered, this, [] { postToToolbox(messages::kShowHelp, kEditorHelpTopic); });
}

void CMainFrame::createToolBar()
{
    QToolBar* bar = addToolBar(q("ﾂｰﾙﾊﾞｰ"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    // Captions always; the desktop theme's images beside them where it has them.
    constexpr std::pair<const char*, const char*> themeIcons[] = {
        {"translate", "system-run"},          {"stop", "process-stop"},
        {"editCut", "edit-cut"},              {"editCopy", "edit-copy"},
        {"editPaste", "edit-paste"},          {"editUndo", "edit-undo"},
        {"dictSearch", "accessories-dictionary"}, {"cdSearch", "media-optical"},
        {"exampleSearch", "edit-find"},       {"fileTranslate", "document-open"},
        {"voiceInput", "audio-input-microphone"}, {"readAloud", "media-playback-start"},
        {"stopReading", "media-playback-stop"}};
    bool themed = false;
    for (const auto& [name, icon] : themeIcons) {
        if (QIcon::hasThemeIcon(QString::fromLatin1(icon))) {
            action(name)->setIcon(QIcon::fromTheme(QString::fromLatin1(icon)));
            themed = true;
        }
    }
    bar->setToolButtonStyle(themed ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextOnly);
    const std::initializer_list<const char*> buttons = {
        "translate", "direction", "stop", nullptr, "editCut", "editCopy", "editPaste", "editUndo", nullptr,
        "wordChoice", "dictSearch", "cdSearch", "exampleSearch", "fileTranslate", nullptr, "voiceInput",
        "readAloud", "stopReading"};
    for (const char* name : buttons) {
        if (name)
            bar->addAction(action(name));
        else
            bar->addSeparator();
    }
}

void CMainFrame::createStatusBar()
{
    m_statusPane0 = new QLabel(q("ﾚﾃﾞｨ"), this);
    m_statusPane1 = new QLabel(this);
    m_statusPane1->setFixedWidth(kStatusPane1Width);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(kStatusPane1Width);
    m_progress->hide();
    m_busy = new BusyIndicator(this);
    statusBar()->addWidget(m_statusPane0, 1);
    statusBar()->addPermanentWidget(m_busy);
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_statusPane1);
}

void CMainFrame::restorePlacement()
{
    m_storedDivide = readDword("DIVIDE", -1);
    const auto toArea = [](const QRect& r) { return editor::WorkArea{r.left(), r.top(), r.right() + 1, r.bottom() + 1}; };
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect primaryArea = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    editor::WindowPlacement placed;
    if (GetRegDWORD(0, kSettingsKey, "LEFT", kNeverPlaced) == kNeverPlaced) {
        placed = editor::defaultPlacement(toArea(primaryArea), toolboxRectangle(), kFrameAllowance);
    } else {
        editor::WindowPlacement stored;
        stored.left = readDword("LEFT", stored.left);
        stored.top = readDword("TOP", stored.top);
        stored.width = readDword("WIDTH", stored.width);
        stored.height = readDword("HEIGHT", stored.height);
        // The screen the window was on, if it is still there; else it comes back to the primary one.
        const QScreen* screen = QGuiApplication::screenAt(QPoint(stored.left + stored.width / 2, stored.top + stored.height / 2));
        placed = editor::clampPlacement(stored, toArea(screen ? screen->availableGeometry() : primaryArea));
    }
    // LEFT and TOP place the frame, title bar included, as the user sees the window.
    move(placed.left, placed.top);
    resize(placed.width, placed.height);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_dividePlaced)
        return;
    // The splitter has its real width only once the window is laid out for showing.
    const int client = m_splitter->width() - m_splitter->handleWidth();
    const int divide = editor::splitterPosition(m_storedDivide, client);
    m_splitter->setSizes({divide, client - divide});
    m_dividePlaced = true;
}

void CMainFrame::savePlacement()
{
    const QRect normal = normalGeometry();
    const QPoint frameMargin = geometry().topLeft() - frameGeometry().topLeft();
    writeDword("LEFT", normal.left() - frameMargin.x());
    writeDword("TOP", normal.top() - frameMargin.y());
    writeDword("WIDTH", normal.width());
    writeDword("HEIGHT", normal.height());
    writeDword("DIVIDE", m_sourceView->width());
}

void CMainFrame::refreshViews()
{
    m_sourceView->refresh();
    m_translationView->refresh();
}

void CMainFrame::updateCaption() { setWindowTitle(q(m_doc->caption())); }

void CMainFrame::updateDirectionDisplay()
{
    static constexpr std::string_view kCaptions[kDirectionCount] = {"方向(自動)", "方向(英日)", "方向(日英)"};
    static constexpr const char* kItems[kDirectionCount] = {"directionAuto", "directionEJ", "directionJE"};
    int direction = directionSetting();
    if (direction < 0 || direction >= kDirectionCount)
        direction = DIRECTION_AUTO;
    action(kItems[direction])->setChecked(true);
    action("direction")->setText(q(kCaptions[direction]));
}

void CMainFrame::updateCommandStates()
{
    action("translate")->setEnabled(m_flow->canTranslate());
    action("stop")->setEnabled(m_flow->canStop());
    const bool documentStays = m_flow->runActive();
    for (const char* name : {"fileNew", "fileOpen", "fileExit"})
        action(name)->setEnabled(!documentStays);
    m_recentMenu->setEnabled(!documentStays && !m_recentMenu->isEmpty());
    const bool editable = activeView().isEnabled();
    const editor::EditPane& pane = activeView().pane();
    action("editUndo")->setEnabled(editable && pane.store().canUndo());
    action("editCut")->setEnabled(editable && pane.hasSelection());
    action("editCopy")->setEnabled(pane.hasSelection());
    action("editPaste")->setEnabled(editable);
    action("pairMark")->setEnabled(pane.currentPair() != 0);
    if (m_wordTools)
        m_wordTools->updateCommandStates();
    if (m_speech)
        m_speech->updateCommandStates();
}

void CMainFrame::addRecentFile(const std::filesystem::path& file)
{
    const std::string entry = file.string();
    std::vector<std::string> files = readRecentFiles();
    std::erase(files, entry);
    files.insert(files.begin(), entry);
    for (int i = 0; i < kRecentFiles; ++i) {
        const std::string value = i < static_cast<int>(files.size()) ? files[static_cast<std::size_t>(i)] : "";
        SetRegStr(HKEY_CURRENT_USER, kRecentKey, recentName(i).c_str(), value.c_str());
    }
    rebuildRecentMenu();
}

void CMainFrame::rebuildRecentMenu()
{
    m_recentMenu->clear();
    const std::vector<std::string> files = readRecentFiles();
    m_recentMenu->setEnabled(!files.empty() && !m_flow->runActive());
    int number = 1;
    for (const std::string& file : files) {
        QAction* a = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(q(file)));
        connect(a, &QAction::triggered, this, [this, file] {
            if (!m_flow->runActive() && m_doc->promptToSave(saveAsDialog, false))
                openPath(file);
        });
    }
}

QString CMainFrame::dialogFolder() const
{
    // The folder of the file last opened or saved, else the user's documents.
    const std::filesystem::path& last = m_doc->lastFile().empty() ? m_doc->path() : m_doc->lastFile();
    if (!last.empty() && std::filesystem::is_directory(last.parent_path()))
        return QString::fromStdString(last.parent_path().string());
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

std::optional<std::filesystem::path> CMainFrame::runOpenDialog()
{
    QFileDialog dialog(this, q("ﾌｧｲﾙの指定"), dialogFolder());
    setUpOpenDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return toPath(dialog.selectedFiles().front());
}

std::optional<editor::SaveAsChoice> CMainFrame::runSaveAsDialog()
{
    const QString ttsFilter = q("翻訳ﾌｧｲﾙ(*.tts)");
    const QString textFilter = q("ﾃｷｽﾄﾌｧｲﾙ(*.txt)");
    QFileDialog dialog(this, q("保存ﾌｧｲﾙの指定"), dialogFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // An imported text is proposed as a document of the same name.
    const std::filesystem::path& last = m_doc->lastFile().empty() ? m_doc->path() : m_doc->lastFile();
    if (!last.empty())
        dialog.selectFile(QString::fromStdString(last.stem().string() + ".tts"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters({ttsFilter, textFilter});
    dialog.setDefaultSuffix(QStringLiteral("tts"));
    auto* translationOnly = new QCheckBox(q("訳文のみ保存"), &dialog);
    translationOnly->setEnabled(false);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(translationOnly, grid->rowCount(), 0, 1, grid->columnCount());
    connect(&dialog, &QFileDialog::filterSelected, translationOnly, [&](const QString& filter) {
        const bool text = filter == textFilter;
        translationOnly->setEnabled(text);
        if (!text)
            translationOnly->setChecked(false);
        // A name typed without extension gets the chosen type's.
        dialog.setDefaultSuffix(text ? QStringLiteral("txt") : QStringLiteral("tts"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return editor::SaveAsChoice{toPath(dialog.selectedFiles().front()), translationOnly->isChecked()};
}

bool CMainFrame::fileNew()
{
    if (m_flow->runActive() || !m_doc->promptToSave(saveAsDialog, false))
        return false;
    m_doc->newDocument();
    refreshViews();
    updateCaption();
    updateCommandStates();
    return true;
}

bool CMainFrame::fileOpen()
{
    if (m_flow->runActive() || !m_doc->promptToSave(saveAsDialog, false))
        return false;
    const std::optional<std::filesystem::path> file = openDialog();
    return file && openPath(*file);
}

bool CMainFrame::openPath(const std::filesystem::path& file)
{
    // Results still on their way would land in the other document.
    if (m_flow->runActive())
        return false;
    const bool opened = m_doc->openFile(file);
    refreshViews();
    updateCaption();
    if (opened)
        m_sourceView->setFocus();
    updateCommandStates();
    return opened;
}

bool CMainFrame::fileSave()
{
    const bool saved = m_doc->save(saveAsDialog);
    updateCaption();
    return saved;
}

bool CMainFrame::fileSaveAs()
{
    const bool saved = m_doc->saveAs(saveAsDialog);
    updateCaption();
    return saved;
}

bool CMainFrame::translate()
{
    const bool started = m_flow->start();
    refreshViews();
    updateCommandStates();
    return started;
}

void CMainFrame::stopTranslation()
{
    m_flow->stop();
    updateCommandStates();
}

void CMainFrame::setDirection(int direction)
{
    PostDirectionChanged(direction);
    updateDirectionDisplay();
}

void CMainFrame::copy()
{
    const editor::EditPane& pane = activeView().pane();
    if (!pane.hasSelection())
        return;
    QGuiApplication::clipboard()->setText(q(codec::cp932ToUtf8(pane.selectionText())));
}

void CMainFrame::cut()
{
    editor::EditPane& pane = activeView().pane();
    if (!pane.hasSelection())
        return;
    const editor::CutResult result = pane.cut();
    auto data = std::make_unique<QMimeData>();
    data->setText(q(codec::cp932ToUtf8(result.text)));
    const std::string block = editor::encodePairBlock(result.pairBlock);
    data->setData(q(editor::kPairBlockMimeType), QByteArray(block.data(), static_cast<qsizetype>(block.size())));
    QGuiApplication::clipboard()->setMimeData(data.release());
    refreshViews();
    updateCommandStates();
}

void CMainFrame::paste()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText())
        return;
    const QString text = data->text();
    std::optional<editor::PairBlock> block;
    const QString blockType = q(editor::kPairBlockMimeType);
    if (data->hasFormat(blockType)) {
        const QByteArray bytes = data->data(blockType);
        block = editor::decodePairBlock(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    const bool usedBlock = activeView().pane().paste(codec::utf8ToCp932(text.toStdString()), block ? &*block : nullptr);
    // The pair numbers serve one paste only.
    if (usedBlock)
        clipboard->setText(text);
    activeView().pane().scrollToCell(activeView().pane().caret());
    refreshViews();
    updateCommandStates();
}

void CMainFrame::pairMark()
{
    if (m_doc->pairMark(activeSide()))
        refreshViews();
    updateCommandStates();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The run stops first, so that nothing arrives while the user answers the save prompt.
    if (m_doc->run.translating) {
        m_flow->stop();
        updateCommandStates();
    }
    if (!m_doc->promptToSave(saveAsDialog, true)) {
        event->ignore();
        return;
    }
    savePlacement();
    event->accept();
}

bool CMainFrame::engineBusy() const { return blocks::readFlag(blocks::EngineBusy) != 0; }

void CMainFrame::setEngineBusy(bool busy) { blocks::setFlag(blocks::EngineBusy, busy ? 1 : 0); }

int CMainFrame::directionSetting() const
{
    return static_cast<int>(GetRegDWORD(0, nullptr, kDirectionKey, DIRECTION_AUTO));
}

int CMainFrame::engineCallback(const char* result, void* context)
{
    auto* frame = static_cast<CMainFrame*>(context);
    const int answer = frame->m_flow->onCallback(result);
    frame->refreshViews();
    frame->updateCommandStates();
    return answer;
}

CEngineLink& CMainFrame::documentLink(int direction) { return m_links.get(direction); }

bool CMainFrame::startEngine(int direction, std::string_view cp932Text)
{
    CEngineLink& link = documentLink(direction);
    link.SetCallback(&CMainFrame::engineCallback, this);
    return link.TransStartSTR3(std::string(cp932Text).c_str()) != 0;
}

void CMainFrame::stopEngines()
{
    m_links.forEachOpen([](CEngineLink& link) { link.TransStop(); });
}

void CMainFrame::closeEngines()
{
    m_links.forEachOpen([](CEngineLink& link) { link.DC_TransSTR3(); });
}

void CMainFrame::runStarted()
{
    m_sourceView->setEnabled(false);
    m_translationView->setEnabled(false);
    m_statusPane0->clear();
    m_statusPane1->setText(q("翻訳中..."));
    m_busy->start();
    m_progress->setValue(0);
    m_progress->show();
}

void CMainFrame::progress(int percent) { m_progress->setValue(percent); }

void CMainFrame::showTranslationCaret()
{
    m_doc->translation().scrollToCell(m_doc->translation().caret());
    m_translationView->refresh();
}

void CMainFrame::runEnded()
{
    m_sourceView->setEnabled(true);
    m_translationView->setEnabled(true);
    m_sourceView->setFocus();
    m_busy->stop();
    m_statusPane1->setText(q("翻訳終了"));
    m_progress->setValue(0);
    m_progress->hide();
    refreshViews();
}

void CMainFrame::runStopped()
{
    m_busy->stop();
    m_statusPane1->setText(q("翻訳中止"));
    m_progress->setValue(0);
    m_progress->hide();
}

void CMainFrame::readTranslationAloud() { m_speech->readAfterTranslation(); }

void CMainFrame::dispatchPendingMessages() { QCoreApplication::processEvents(); }

} // namespace yv::trans
