// The toolbox window and the messages it handles.
#include "toolboxwindow.h"

#include "captureworker.h"
#include "conversionprogress.h"
#include "hotkeys.h"
#include "settingssheet.h"
#include "spyglass.h"

#include <toolboxcore/commandline.h>
#include <toolboxcore/placement.h>

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <platform/bus.h>
#include <platform/messagebox.h>
#include <platform/paths.h>
#include <platform/x11.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace yv::toolbox {

namespace {

constexpr const char* kSettingsKey = "TOOLBOX";
constexpr std::uint32_t kNeverPlaced = 0x80000000u;
constexpr int kStatusFirstPartWidth = 100;
constexpr int kButtonSize = 44;
// How long a closing toolbox lets its workers finish.
constexpr int kWorkerDrainMs = 10000;

constexpr std::uint64_t kProgressValue = 0;
constexpr std::uint64_t kProgressStop = 7;

QString q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void notifyHere(unsigned style, const std::string& text)
{
    msgbox::show(0, style, text);
}

// The hot-key code of each action in the stored key settings.
HotKeyCode& codeOf(KeySettings& keys, ActionKind kind)
{
    switch (kind) {
    case ActionKind::Translate: return keys.translate;
    case ActionKind::Dictionary: return keys.dictionary;
    case ActionKind::CdRom: return keys.cdrom;
    case ActionKind::Example: return keys.example;
    }
    return keys.translate;
}

} // namespace

CToolboxWnd::CToolboxWnd(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , helpDirectory(paths::programDir().parent_path() / "help")
    , openHelpPage([](const std::filesystem::path& page) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    })
    , m_bridge(GuiBridge::create())
    , m_hotKeys(std::make_unique<HotKeys>())
    , m_spyglass(std::make_unique<Spyglass>(paths::programDir(), notifyHere))
    , m_progress(std::make_unique<ConversionProgress>())
{
    setWindowTitle(q(msgbox::kProductCaption));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    buildButtons();
    adjustSize();
    setFixedSize(size());
    place();
    connect(m_hotKeys.get(), &HotKeys::pressed, this, [this](std::uint32_t id) {
        for (const HotKeyInfo& key : kHotKeys) {
            if (key.id == id)
                runAction(key.kind);
        }
    }, Qt::QueuedConnection);
    connect(m_progress.get(), &ConversionProgress::stopRequested, this, &CToolboxWnd::stopConversion);
}

CToolboxWnd::~CToolboxWnd()
{
    delete m_sheet;
    releaseHotKeys();
    m_spyglass->stop();
    // Workers are told first, so that none waits for this thread; then they get a moment to end.
    m_bridge->close();
    for (int waited = 0; m_bridge->running > 0 && waited < kWorkerDrainMs; waited += 10) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}

void CToolboxWnd::buildButtons()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    for (const ButtonInfo& info : kButtons) {
        auto* button = new QToolButton(this);
        button->setText(q(info.label));
        button->setToolTip(q(info.description));
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(kButtonSize, kButtonSize);
        button->setAutoRaise(false);
        button->installEventFilter(this);
        connect(button, &QToolButton::clicked, this, [this, command = info.command] { runCommand(command); });
        row->addWidget(button);
        m_buttons[info.command] = button;
    }
    layout->addLayout(row);

    auto* status = new QHBoxLayout;
    status->setContentsMargins(1, 0, 1, 1);
    status->setSpacing(2);
    m_statusDescription = new QLabel(this);
    m_statusDescription->setFixedWidth(kStatusFirstPartWidth);
    m_statusKey = new QLabel(this);
    for (QLabel* part : {m_statusDescription, m_statusKey}) {
        part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        status->addWidget(part);
    }
    layout->addLayout(status);
}

void CToolboxWnd::place()
{
    const std::uint32_t storedLeft = GetRegDWORD(0, kSettingsKey, "LEFT", kNeverPlaced);
    const std::uint32_t storedTop = GetRegDWORD(0, kSettingsKey, "TOP", kNeverPlaced);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const WorkArea area{available.left(), available.top(), available.left() + available.width(),
                        available.top() + available.height()};
    const Position p = placeToolbox(static_cast<std::int32_t>(storedLeft), static_cast<std::int32_t>(storedTop),
                                    width(), height(), area);
    move(p.left, p.top);
}

void CToolboxWnd::savePosition()
{
    const QPoint p = isMinimized() ? normalGeometry().topLeft() : pos();
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "LEFT", static_cast<std::uint32_t>(p.x()));
    SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "TOP", static_cast<std::uint32_t>(p.y()));
}

bool CToolboxWnd::hotKeysAvailable() const
{
    return m_hotKeys->available();
}

void CToolboxWnd::registerHotKeys()
{
    if (!m_hotKeys->available())
        return;
    KeySettings keys{};
    LoadEnvKeys(&keys);
    for (const HotKeyInfo& key : kHotKeys) {
        HotKeyCode& code = codeOf(keys, key.kind);
        if (code == 0 || m_hotKeys->grab(key.id, code))
            continue;
        msgbox::show(0, msgbox::IconExclamation, withValue(kKeyRefused, keyName(code)));
        code = 0;
    }
    SaveEnvKeys(&keys);
}

void CToolboxWnd::releaseHotKeys()
{
    for (const HotKeyInfo& key : kHotKeys)
        m_hotKeys->release(key.id);
    m_hotKeys->release(kSpareHotKeyId);
}

void CToolboxWnd::startSpyglass()
{
    m_spyglass->start();
}

HotKeyCode CToolboxWnd::hotKeyOf(Command command) const
{
    KeySettings keys{};
    LoadEnvKeys(&keys);
    switch (command) {
    case CmdTranslate: return keys.translate;
    case CmdDictionary: return keys.dictionary;
    case CmdCdRom: return keys.cdrom;
    case CmdExample: return keys.example;
    case CmdSettings:
    case CmdBatch: break;
    }
    return 0;
}

void CToolboxWnd::showStatus(Command command)
{
    for (const ButtonInfo& info : kButtons) {
        if (info.command == command)
            m_statusDescription->setText(q(info.description));
    }
    m_statusKey->setText(q(keyName(hotKeyOf(command))));
}

bool CToolboxWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        for (const auto& [command, button] : m_buttons) {
            if (button == watched)
                showStatus(command);
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString CToolboxWnd::statusText(int part) const
{
    return part == 0 ? m_statusDescription->text() : m_statusKey->text();
}

QToolButton* CToolboxWnd::button(Command command) const
{
    const auto it = m_buttons.find(command);
    return it != m_buttons.end() ? it->second : nullptr;
}

int CToolboxWnd::runningActions() const
{
    return m_bridge->running;
}

void CToolboxWnd::runCommand(Command command)
{
    switch (command) {
    case CmdTranslate: runAction(ActionKind::Translate); break;
    case CmdDictionary: runAction(ActionKind::Dictionary); break;
    case CmdCdRom: runAction(ActionKind::CdRom); break;
    case CmdExample: runAction(ActionKind::Example); break;
    case CmdBatch: runBatchBox(); break;
    case CmdSettings: showSettingsSheet(-1); break;
    }
}

void CToolboxWnd::runAction(ActionKind kind)
{
    WindowHandle source = x11::activeWindow();
    // The toolbox never takes the focus; should a window manager give it anyway, there is no
    // text of the user's to take from it.
    if (source != 0 && QGuiApplication::platformName() == QLatin1String("xcb") &&
        source == static_cast<WindowHandle>(winId()))
        source = 0;
    startCapture(m_bridge, {kind, source});
}

void CToolboxWnd::runBatchBox()
{
    const BoxTarget box = batchBox();
    const handover::Target target = handover::locate(box.windowClass, box.program);
    if (target.window)
        bus::sendMessage(box.windowClass, messages::kComeToFront, 0, 0);
    else
        notifyHere(msgbox::IconExclamation, handover::startFailureMessage(target, box.program));
}

void CToolboxWnd::showSettingsSheet(int page)
{
    if (m_sheet) {
        m_sheet->showPage(page);
        m_sheet->raise();
        m_sheet->activateWindow();
        return;
    }
    // While the keys and the cursor capture are being set, neither acts.
    releaseHotKeys();
    m_spyglass->stop();
    setEnabled(false);
    SheetServices services = SheetServices::real();
    services.showHelp = [this](std::uint64_t topic) { showHelp(topic); };
    m_sheet = new CMyPropSheet(page, std::move(services));
    // Modal to the toolbox, which stays disabled meanwhile; other windows (a conversion's
    // progress) stay usable.
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_sheet, &QDialog::finished, this, &CToolboxWnd::settingsSheetClosed);
    m_sheet->show();
    m_sheet->raise();
    m_sheet->activateWindow();
}

void CToolboxWnd::settingsSheetClosed()
{
    m_sheet = nullptr;
    setEnabled(true);
    if (m_closing)
        return;
    // From the stored settings: a key the desktop holds by now is reported by name.
    registerHotKeys();
    startSpyglass();
}

void CToolboxWnd::stopConversion()
{
    CnvHtm_stop();
    CnvTxt_stop();
    // The engine is free again whatever the stopped job left behind: no later job waits for it.
    blocks::setFlag(blocks::EngineBusy, 0);
    m_progress->finish();
}

void CToolboxWnd::showHelp(std::uint64_t topic)
{
    const std::string_view page = helpPage(topic);
    if (page.empty())
        return;
    const std::filesystem::path file = helpDirectory / "html" / std::string(page);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || !openHelpPage(file))
        notifyHere(msgbox::IconExclamation, withValue(kHelpMissing, file.string()));
}

void CToolboxWnd::openCommandLine(const std::vector<std::string>& arguments)
{
    if (arguments.empty() || arguments.front().empty())
        return;
    const BoxTarget editor = boxOf(ActionKind::Translate);
    const auto window = bringUpBox(editor, notifyHere);
    if (!window)
        return;
    const CommandLineText file = readCommandLineFile(arguments.front());
    switch (file.status) {
    case CommandLineText::Status::Unreadable:
        notifyHere(msgbox::IconExclamation, withValue(kCannotReadFile, arguments.front()));
        return;
    case CommandLineText::Status::TooLong:
        notifyHere(msgbox::IconError, std::string(kTextTooLong));
        return;
    case CommandLineText::Status::Ok:
        handover::sendText(editor.windowClass, file.cp932, messages::kHandOverNew, 0);
        return;
    }
}

std::int64_t CToolboxWnd::handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case messages::kDirectionChanged:
        // Only the settings sheet shows the direction.
        if (m_sheet)
            m_sheet->directionChanged();
        return 0;
    case messages::kProgress:
        if (wParam == kProgressValue)
            m_progress->report(lParam);
        else if (wParam == kProgressStop)
            stopConversion();
        return 0;
    case messages::kOpenSettings:
        showSettingsSheet(static_cast<int>(std::min<std::uint64_t>(wParam, CMyPropSheet::PageCount)));
        return 0;
    case messages::kComeToFront:
        // Shown and raised, never activated: the focus stays with the user's program.
        if (isMinimized())
            showNormal();
        else
            show();
        raise();
        return 1;
    case messages::kShowHelp:
        showHelp(wParam);
        return 0;
    case kPassCommandLine: {
        const auto text = handover::receiveText(wParam);
        const auto arguments = text ? decodeArguments(*text) : std::nullopt;
        if (!arguments)
            return 0;
        // Opened after the sender's call returns: the text block is the sender's until then.
        QMetaObject::invokeMethod(this, [this, arguments = *arguments] { openCommandLine(arguments); },
                                  Qt::QueuedConnection);
        return 1;
    }
    case messages::kWmClose:
        close();
        return 0;
    default:
        return 0;
    }
}

void CToolboxWnd::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        closeSuite();
        emit suiteClosed();
    }
    event->accept();
}

void CToolboxWnd::closeSuite()
{
    savePosition();
    if (m_sheet)
        m_sheet->reject();
    releaseHotKeys();
    m_spyglass->stop();
    m_progress->finish();
    for (const std::string_view title : kOutsideToolTitles) {
        for (const x11::WindowId window : x11::windowsTitled(title))
            x11::closeWindow(window);
    }
    for (const std::string_view windowClass :
         {messages::kTransClass, messages::kDictClass, messages::kFileClass, messages::kSampleClass,
          messages::kLexdiscClass, messages::kEngineEjClass, messages::kEngineJeClass})
        bus::postMessage(windowClass, messages::kWmClose, 0, 0);
}

} // namespace yv::toolbox
