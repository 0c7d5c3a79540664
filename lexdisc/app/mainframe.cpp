// The viewer's main window.
#include "mainframe.h"

#include "entryview.h"
#include "hitlistview.h"
#include "mediaplayer.h"

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <lexview/bookmenu.h>
#include <lexview/placement.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/dde.h>
#include <platform/messagebox.h>
#include <platform/qtwindow.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>


namespace yv::lexdisc {

namespace {

constexpr int kKeyHistoryBuffer = 20 * 514;
constexpr int kMaxKeyBufferBytes = 513;
constexpr int kStatusPaneWidth = 200;
constexpr unsigned kHelpTopicLexdisc = 3;

constexpr const char* kNoKey = "検索キーがありません。\n検索キーを入力してから再度検索してください。";
constexpr const char* kExternalInKey = "検索キーに外字が含まれているので、検索できません。";
constexpr const char* kExternalInCopy = "指定範囲に外字が含まれています。\n外字は'@'に置き換わります。";
constexpr const char* kMenuTitle = "目録";
constexpr const char* kCopyrightTitle = "著作権";


QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString fromSjis(std::string_view sjis)
{
    return QString::fromStdString(codec::cp932ToUtf8(sjis));
}

std::string toSjis(const QString& text)
{
    return codec::utf8ToCp932(text.toStdString());
}

std::uint32_t settingOr(const char* name, int fallback)
{
    return GetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, name, static_cast<std::uint32_t>(fallback));
}

} // namespace

// Every message box of the program goes through it: while one is open, the search service
// answers busy.
class OpenMessageFlag final : public msgbox::Presenter {
public:
    OpenMessageFlag() : m_inner(msgbox::setPresenter(this)) {}
    ~OpenMessageFlag() override { msgbox::setPresenter(m_inner); }

    int show(std::uint64_t owner, unsigned style, std::string_view text, std::string_view caption) override
    {
        ++m_open;
        int answer = 0;
        if (m_inner) {
            answer = m_inner->show(owner, style, text, caption);
        } else {
            msgbox::setPresenter(nullptr);
            answer = msgbox::show(owner, style, text, caption);
            msgbox::setPresenter(this);
        }
        --m_open;
        return answer;
    }
    bool open() const { return m_open > 0; }

private:
    msgbox::Presenter* m_inner;
    int m_open = 0;
};


CMainFrame::CMainFrame(std::filesystem::path catalog)
    : m_catalog(std::move(catalog))
{
    m_messageFlag = std::make_unique<OpenMessageFlag>();
    setWindowTitle(q(kMainTitle));
    m_prompter = std::make_unique<MessageBoxPrompter>(0, false);
    m_shelf = std::make_unique<book::BookShelf>(*m_prompter);
    m_media = std::make_unique<MediaPlayer>(this);
    connect(m_media.get(), &MediaPlayer::failed, this, [this](const QString& text, const QString& caption) {
        const std::string captionText = caption.isEmpty() ? std::string(msgbox::kProductCaption) : caption.toStdString();
        msgbox::show(m_windowHandle, msgbox::Ok | msgbox::IconExclamation, text.toStdString(), captionText);
    });

    m_hitList = new HitListView;
    m_display = new EntryView;
    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->addWidget(m_hitList);
    m_splitter->addWidget(m_display);
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);

    buildActions();
    buildToolBars();
    buildMenus();
    m_statusPane = new QLabel;
    m_statusPane->setFixedWidth(kStatusPaneWidth);
    statusBar()->showMessage(q("ﾚﾃﾞｨ"));
    statusBar()->addPermanentWidget(m_statusPane);

    connect(m_hitList, &HitListView::chosen, this, &CMainFrame::showHit);
    connect(m_hitList, &HitListView::tabPressed, this, [this] { m_display->setFocus(Qt::TabFocusReason); });
    connect(m_display, &EntryView::tabPressed, this, [this] { m_keyEntry->setFocus(Qt::TabFocusReason); });
    connect(m_display, &EntryView::copyRequested, this, &CMainFrame::copySelection);
    connect(m_display, &EntryView::copyAllRequested, this, &CMainFrame::copyAll);
    connect(m_display, &EntryView::backRequested, this, &CMainFrame::back);
    connect(m_display, &EntryView::searchSelection, this, &CMainFrame::searchDisplayedSelection);
    connect(m_display, &EntryView::itemClicked, this,
            [this](lexview::ItemHit item) { itemClicked(static_cast<int>(item.kind), item.index); });

    m_hasBooks = loadBooks();
    if (m_hasBooks)
        selectFirstBook();
    buildBookMenu();
    refreshKeyHistory();
    restorePlacement();
    updateCommands();
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
}

QAction* CMainFrame::command(int id) const
{
    return findChild<QAction*>(QStringLiteral("command%1").arg(id));
}

bool CMainFrame::busy() const
{
    return m_searching || m_rebuilding || m_messageFlag->open() || m_prompter->messageOpen();
}

void CMainFrame::buildActions()
{
    struct Spec {
        int id;
        const char* text;
        const char* prompt;
        QKeySequence key;
        std::function<void()> run;
    };
    const Spec specs[] = {
        {Command::Rescan, "書籍一覧の更新(&B)", "CDROMを読み直して書籍リストを更新します\n書籍一覧の更新", {}, [this] { rescan(); }},
        {Command::Exit, "終了(&X)", "", {}, [this] { close(); }},
        {Command::Copy, "コピー(&C)", "選択範囲をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰします\nｺﾋﾟｰ", QKeySequence(Qt::CTRL | Qt::Key_C),
         [this] { copySelection(); }},
        {Command::CopyAll, "全コピー(&A)", "表示されている内容をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰします\n全ｺﾋﾟｰ", {}, [this] { copyAll(); }},
        {Command::Search, "検索の実行(&S)", "検索を実行します\n検索実行", {}, [this] { searchCommand(); }},
        {Command::Forward, "前方一致(&F)", "検索の方法を前方一致とします\n前方一致", {}, [] {}},
        {Command::Backward, "後方一致(&B)", "検索の方法を後方一致とします\n後方一致", {}, [] {}},
        {Command::Menu, "メニュー表示(&M)", "メニュー項目を表示します\nメニュー表示", {}, [this] { showMenu(); }},
        {Command::Copyright, "著作権表示(&C)", "著作権を表示します\n著作権表示", {}, [this] { showCopyright(); }},
        {Command::Back, "戻る(&B)", "前のページに戻ります\n戻る", QKeySequence(Qt::CTRL | Qt::Key_B), [this] { back(); }},
        {Command::HelpTopics, "ﾄﾋﾟｯｸﾒﾆｭｰ(&H)", "", {}, [] {
             bus::postMessage(messages::kToolboxClass, messages::kShowHelp, kHelpTopicLexdisc, 0);
         }},
    };
    for (const Spec& spec : specs) {
        auto* action = new QAction(q(spec.text), this);
        action->setObjectName(QStringLiteral("command%1").arg(spec.id));
        const QStringList prompt = q(spec.prompt).split(QLatin1Char('\n'));
        action->setStatusTip(prompt.value(0));
        action->setToolTip(prompt.value(1));
        if (!spec.key.isEmpty()) {
            action->setShortcut(spec.key);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        connect(action, &QAction::triggered, this, spec.run);
        addAction(action);
    }
    auto* methods = new QActionGroup(this);
    for (const int id : {Command::Forward, Command::Backward}) {
        command(id)->setCheckable(true);
        methods->addAction(command(id));
    }
    command(Command::Forward)->setChecked(true);
}

void CMainFrame::buildToolBars()
{
    auto* keyBand = new QToolBar(q("検索キー"), this);
    keyBand->setObjectName(QStringLiteral("keyBand"));
    keyBand->setMovable(false);
    keyBand->addWidget(new QLabel(q("検索キー") + QLatin1Char(' ')));
    m_keyEntry = new QComboBox;
    m_keyEntry->setEditable(true);
    m_keyEntry->setInsertPolicy(QComboBox::NoInsert);
    m_keyEntry->setMinimumContentsLength(20);
    m_keyEntry->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    keyBand->addWidget(m_keyEntry);
    connect(m_keyEntry->lineEdit(), &QLineEdit::returnPressed, this, &CMainFrame::searchCommand);
    addToolBar(keyBand);

    auto* buttons = new QToolBar(this);
    buttons->setObjectName(QStringLiteral("buttonBand"));
    buttons->setMovable(false);
    buttons->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::pair<int, const char*> labels[] = {
        {Command::Search, "検索"}, {Command::Menu, "ﾒﾆｭｰ表示"}, {Command::Copyright, "著作権表示"}, {Command::Back, "戻る"}};
    for (const auto& [id, label] : labels) {
        // The buttons keep their short texts; they follow their commands' states.
        QAction* action = command(id);
        auto* button = new QToolButton;
        button->setText(q(label));
        button->setObjectName(QStringLiteral("button%1").arg(id));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setStatusTip(action->statusTip());
        button->setToolTip(action->toolTip());
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
        buttons->addWidget(button);
    }
    addToolBar(buttons);
}

void CMainFrame::buildMenus()
{
    m_fileMenu = menuBar()->addMenu(q("ﾌｧｲﾙ(&F)"));
    QMenu* edit = menuBar()->addMenu(q("編集(&E)"));
    edit->addAction(command(Command::Copy));
    edit->addAction(command(Command::CopyAll));
    QMenu* search = menuBar()->addMenu(q("検索(&S)"));
    search->addAction(command(Command::Search));
    search->addSeparator();
    search->addAction(command(Command::Forward));
    search->addAction(command(Command::Backward));
    QMenu* view = menuBar()->addMenu(q("表示(&P)"));
    view->addAction(command(Command::Menu));
    view->addAction(command(Command::Copyright));
    view->addSeparator();
    view->addAction(command(Command::Back));
    QMenu* help = menuBar()->addMenu(q("ﾍﾙﾌﾟ(&H)"));
    help->addAction(command(Command::HelpTopics));
}

void CMainFrame::buildBookMenu()
{
    m_fileMenu->clear();
    m_fileMenu->addAction(command(Command::Rescan));
    m_fileMenu->addSeparator();
    for (const lexview::BookMenuEntry& entry : lexview::bookMenu(*m_shelf)) {
        if (entry.separator) {
            m_fileMenu->addSeparator();
            continue;
        }
        QAction* action = m_fileMenu->addAction(fromSjis(entry.title));
        action->setObjectName(QStringLiteral("command%1").arg(entry.command));
        action->setCheckable(true);
        action->setChecked(entry.checked);
        action->setEnabled(entry.enabled);
        connect(action, &QAction::triggered, this, [this, book = entry.book] { selectBook(book); });
    }
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(command(Command::Exit));
}

void CMainFrame::restorePlacement()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const lexview::Rect stored{static_cast<int>(settingOr("LEFT", lexview::kDefaultPlacement.left)),
                               static_cast<int>(settingOr("TOP", lexview::kDefaultPlacement.top)),
                               static_cast<int>(settingOr("WIDTH", lexview::kDefaultPlacement.width)),
                               static_cast<int>(settingOr("HEIGHT", lexview::kDefaultPlacement.height))};
    const lexview::Rect r =
        lexview::fitToWorkArea(stored, {area.left(), area.top(), area.right() + 1, area.bottom() + 1});
    setGeometry(r.left, r.top, r.width, r.height);
    const int client = r.width;
    const int divide = lexview::hitListWidth(static_cast<int>(settingOr("DIVIDE", 0)), client);
    m_splitter->setSizes({divide, std::max(1, client - divide)});
}

void CMainFrame::storePlacement()
{
    const QRect r = normalGeometry();
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "LEFT", static_cast<std::uint32_t>(r.left()));
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "TOP", static_cast<std::uint32_t>(r.top()));
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "WIDTH", static_cast<std::uint32_t>(r.width()));
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "HEIGHT", static_cast<std::uint32_t>(r.height()));
    const QList<int> sizes = m_splitter->sizes();
    if (!sizes.isEmpty())
        SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "DIVIDE", static_cast<std::uint32_t>(sizes.first()));
}

void CMainFrame::refreshKeyHistory()
{
    const QString current = m_keyEntry->currentText();
    std::vector<char> buffer(kKeyHistoryBuffer);
    char** keys = GetKeyList(HKEY_CURRENT_USER, kSettingsKey, "keys", buffer.data(),
                             static_cast<std::uint32_t>(buffer.size()));
    // A new key moves one entry to the front: the list is edited in place, not rebuilt.
    int row = 0;
    for (char** k = keys; k && *k; ++k, ++row) {
        const QString key = QString::fromUtf8(*k);
        if (row < m_keyEntry->count() && m_keyEntry->itemText(row) == key)
            continue;
        for (int later = row + 1; later < m_keyEntry->count(); ++later) {
            if (m_keyEntry->itemText(later) == key) {
                m_keyEntry->removeItem(later);
                break;
            }
        }
        m_keyEntry->insertItem(row, key);
    }
    while (m_keyEntry->count() > row)
        m_keyEntry->removeItem(m_keyEntry->count() - 1);
    if (row > 0)
        m_keyEntry->setCurrentIndex(0);
    m_keyEntry->setCurrentText(current);
}

void CMainFrame::updateCommands()
{
    command(Command::Back)->setEnabled(m_history.canGoBack());
    command(Command::Copy)->setEnabled(m_display->hasEntry());
    command(Command::CopyAll)->setEnabled(m_display->hasEntry());
}

bool CMainFrame::loadBooks()
{
    std::error_code ec;
    if (m_catalog.empty())
        return LoadBookList(*m_shelf);
    if (std::filesystem::is_directory(m_catalog, ec))
        return m_shelf->LoadBookList({}, {m_catalog});
    return m_shelf->LoadBookList(m_catalog, {});
}

void CMainFrame::selectFirstBook()
{
    for (std::size_t i = 0; i < m_shelf->books().size(); ++i) {
        if (m_shelf->entryOf(m_shelf->books()[i]).selectable()) {
            m_shelf->SelectBook(i);
            return;
        }
    }
}

void CMainFrame::selectBook(std::size_t index)
{
    m_shelf->SelectBook(index);
    buildBookMenu();
}

void CMainFrame::information(const std::string& utf8)
{
    msgbox::show(m_windowHandle, msgbox::Ok | msgbox::IconInformation, utf8);
}

void CMainFrame::searchCommand()
{
    const QString text = m_keyEntry->currentText();
    if (!text.isEmpty()) {
        MemorizeKey(HKEY_CURRENT_USER, kSettingsKey, "keys", text.toStdString().c_str());
        refreshKeyHistory();
    }
    m_keyBuffer = toSjis(text).substr(0, kMaxKeyBufferBytes);
    QTimer::singleShot(0, this, &CMainFrame::runSearch);
}

void CMainFrame::runSearch()
{
    if (m_searching)
        return;
    if (m_keyBuffer.empty()) {
        information(kNoKey);
        return;
    }
    if (!m_shelf->currentIndex())
        return;
    m_searching = true;
    m_hitList->clearHeadings();
    m_listedHits.clear();
    const auto method = command(Command::Backward)->isChecked() ? book::SearchMethod::Backward
                                                                : book::SearchMethod::Forward;
    m_searchBook = *m_shelf->currentIndex();
    book::SearchOutcome outcome = book::SearchOutcome::ReadError;
    if (m_shelf->CheckCatalog()) {
        // One command: the text file stays open from the search to the last heading.
        const book::BookShelf::TextFileHold hold(*m_shelf);
        outcome = m_shelf->Search(m_keyBuffer, method);
        if (outcome == book::SearchOutcome::Found) {
            const std::vector<book::HeadingResult> headings = m_shelf->ReadHeadings(m_shelf->hits().hits());
            std::vector<std::vector<book::DisplayCell>> listed;
            for (std::size_t i = 0; i < headings.size(); ++i) {
                if (headings[i].error == book::kHeadingFileError) {
                    m_prompter->report(book::BookMessage::ResultRead, book::messageIcon(book::BookMessage::ResultRead));
                    break;
                }
                if (headings[i].error == book::kHeadingEmpty)
                    continue;
                listed.push_back(headings[i].cells);
                m_listedHits.push_back(m_shelf->hits().hits()[i]);
            }
            m_hitList->setHeadings(*m_shelf, std::move(listed));
        }
    }
    TraceLine("lexdisc search %s: %zu", codec::cp932ToUtf8(m_keyBuffer).c_str(), m_listedHits.size());
    if (m_listedHits.size() == 1) {
        showHit(0);
        m_display->setFocus();
    } else if (m_listedHits.size() > 1) {
        m_hitList->setFocus();
    } else if (outcome == book::SearchOutcome::NotFound) {
        information(codec::cp932ToUtf8(lexview::notFoundMessage(m_keyBuffer)));
    }
    m_searching = false;
}

template <typename Work>
bool CMainFrame::inBook(std::size_t book, Work&& work)
{
    const std::optional<std::size_t> current = m_shelf->currentIndex();
    if (current != book && !m_shelf->SelectBook(book))
        return false;
    work();
    if (current && current != book)
        m_shelf->SelectBook(*current);
    return true;
}

void CMainFrame::showHit(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_listedHits.size())
        return;
    showEntry(m_keyBuffer, m_listedHits[static_cast<std::size_t>(row)].text, m_searchBook);
}

void CMainFrame::showEntry(const std::string& title, book::TextPosition position, std::size_t bookIndex)
{
    inBook(bookIndex, [&] {
        book::DisplayModel model;
        if (!m_shelf->ReadEntry(position, model))
            return;
        lexview::highlightKey(model, title);
        m_display->setEntry(*m_shelf, std::move(model));
        m_displayBook = bookIndex;
        m_history.push({title, position, bookIndex});
    });
    updateCommands();
}

void CMainFrame::showMenu()
{
    if (const auto at = m_shelf->menuPosition(); at && m_shelf->currentIndex())
        showEntry(toSjis(q(kMenuTitle)), *at, *m_shelf->currentIndex());
}

void CMainFrame::showCopyright()
{
    if (const auto at = m_shelf->copyrightPosition(); at && m_shelf->currentIndex())
        showEntry(toSjis(q(kCopyrightTitle)), *at, *m_shelf->currentIndex());
}

void CMainFrame::back()
{
    if (const auto previous = m_history.back())
        showEntry(previous->title, previous->position, previous->book);
    updateCommands();
}

void CMainFrame::copyText(const std::string& sjis, bool hadExternal)
{
    QGuiApplication::clipboard()->setText(fromSjis(sjis));
    if (hadExternal)
        information(kExternalInCopy);
}

void CMainFrame::copySelection()
{
    if (!m_display->hasSelection())
        return;
    const lexview::CopiedText copied = m_display->selectedText();
    copyText(copied.sjis, copied.hadExternal);
}

void CMainFrame::copyAll()
{
    if (!m_display->hasEntry())
        return;
    const lexview::CopiedText copied = m_display->allText();
    copyText(copied.sjis, copied.hadExternal);
}

void CMainFrame::searchDisplayedSelection()
{
    const std::optional<std::string> key = m_display->selectionKey();
    if (!m_display->hasSelection())
        return;
    if (!key) {
        information(kExternalInKey);
        return;
    }
    if (key->empty())
        return;
    const QString text = fromSjis(*key);
    m_keyEntry->setCurrentText(text);
    MemorizeKey(HKEY_CURRENT_USER, kSettingsKey, "keys", text.toStdString().c_str());
    refreshKeyHistory();
    m_keyBuffer = key->substr(0, kMaxKeyBufferBytes);
    // In the displayed entry's book; the current book is restored afterwards.
    const std::optional<std::size_t> current = m_shelf->currentIndex();
    if (m_displayBook && current != m_displayBook && m_shelf->SelectBook(*m_displayBook)) {
        runSearch();
        if (current)
            m_shelf->SelectBook(*current);
        return;
    }
    runSearch();
}

void CMainFrame::itemClicked(int kind, std::size_t index)
{
    if (!m_displayBook)
        return;
    const book::DisplayModel& model = m_display->model();
    switch (static_cast<lexview::ItemKind>(kind)) {
    case lexview::ItemKind::Reference: {
        const book::ReferenceItem& ref = model.references.at(index);
        const std::string title = lexview::copyText(model, m_display->entryLayout(), ref.cells.first, ref.cells.last).sjis;
        showEntry(title, ref.target, *m_displayBook);
        return;
    }
    case lexview::ItemKind::ColourGraphic:
        inBook(*m_displayBook, [&] { m_media->showColourGraphic(m_shelf->OpenTextFile(), model.colourGraphics.at(index)); });
        return;
    case lexview::ItemKind::MonochromeGraphic:
        inBook(*m_displayBook,
               [&] { m_media->showMonochromeGraphic(m_shelf->OpenTextFile(), model.monochromeGraphics.at(index)); });
        return;
    case lexview::ItemKind::Wave:
        inBook(*m_displayBook, [&] { m_media->playWave(m_shelf->OpenTextFile(), model.waves.at(index)); });
        return;
    case lexview::ItemKind::CdAudio:
        m_media->playCdAudio(m_shelf->books().at(*m_displayBook).root, model.cdAudio.at(index));
        return;
    case lexview::ItemKind::None:
        return;
    }
}

void CMainFrame::rescan()
{
    setEnabled(false);
    m_rebuilding = true;
    m_media->closePictures();
    m_media->stopSound();
    m_searching = false;
    m_keyEntry->setCurrentText(QString());
    m_hitList->clearHeadings();
    m_listedHits.clear();
    m_display->clearEntry();
    m_displayBook.reset();
    m_history.clear();
    m_shelf = std::make_unique<book::BookShelf>(*m_prompter);
    m_hasBooks = loadBooks();
    if (m_hasBooks)
        selectFirstBook();
    buildBookMenu();
    updateCommands();
    m_rebuilding = false;
    setEnabled(true);
    if (!m_hasBooks) {
        m_prompter->report(book::BookMessage::NoBooks, book::messageIcon(book::BookMessage::NoBooks));
        close();
        return;
    }
    m_keyEntry->setFocus();
}

void CMainFrame::returnToSender()
{
    if (m_returnWindow)
        handover::returnTo(static_cast<bus::WindowHandle>(*m_returnWindow));
}

void CMainFrame::searchRequest(std::string_view sjis)
{
    const std::optional<lexview::SearchRequest> request = lexview::parseSearchRequest(sjis);
    if (!request)
        return;
    if (request->returnWindow)
        m_returnWindow = request->returnWindow;
    const QString key = fromSjis(request->key);
    MemorizeKey(HKEY_CURRENT_USER, kSettingsKey, "keys", key.toStdString().c_str());
    refreshKeyHistory();
    m_keyBuffer = request->key;
    window::comeToFront(this);
    m_keyEntry->setCurrentText(key);
    QTimer::singleShot(0, this, &CMainFrame::runSearch);
}

bool CMainFrame::startSearchService()
{
    dde::Server::Callbacks callbacks;
    callbacks.topics = {std::string(messages::kLexdiscTopic)};
    callbacks.connect = [](dde::ConversationId, const std::string& topic) { return topic == messages::kLexdiscTopic; };
    callbacks.poke = [this](dde::ConversationId, const std::string&, const std::string& data) {
        if (busy())
            return dde::Status::Busy;
        // The request is handled at once, its search runs after the answer.
        searchRequest(dde::textOf(data));
        return dde::Status::Ack;
    };
    m_service = dde::Server::registerService(messages::kLexdiscService, std::move(callbacks));
    return m_service != nullptr;
}

std::int64_t CMainFrame::handleMessage(std::uint32_t message, std::uint64_t, std::int64_t)
{
    switch (message) {
    case kRunSearch:
        runSearch();
        return 1;
    case messages::kComeToFront:
        window::comeToFront(this);
        return 1;
    case messages::kWmClose:
        close();
        return 0;
    default:
        return 0;
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Esc in any of the program's windows brings back the window the request came from.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
        && watched->isWidgetType() && QApplication::activeWindow() && !QApplication::activePopupWidget()
        && !QApplication::activeModalWidget()) {
        returnToSender();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_media->closePictures();
    m_media->stopSound();
    storePlacement();
    m_service.reset();
    event->accept();
}

} // namespace yv::lexdisc
