// The settings sheet and what its pages share.
#include "settingssheet.h"

#include "boxes.h"
#include "settingspages.h"

#include <toolboxcore/settingstexts.h>

#include <EngineLink.h>
#include <Etc.h>
#include <captureengine/sessionentry.h>
#include <platform/messagebox.h>
#include <platform/paths.h>
#include <speech/synthesizer.h>

#include <QApplication>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace yv::toolbox {

namespace {

constexpr int kDescribeIntervalMs = 300;
constexpr const char* kDescriptionProperty = "yvDescription";

QString q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool createDictionaryThroughEngine(int direction, const std::string& path)
{
    std::unique_ptr<CEngineLink> link;
    if (direction == DIRECTION_EJ)
        link = std::make_unique<CEngineLink_EJ>();
    else
        link = std::make_unique<CEngineLink_JE>();
    if (!link->Init(nullptr))
        return false;
    const bool created = link->DicInit(path.c_str()) != 0;
    link->Close();
    return created;
}

// The name of the application xdg-mime gives for plain text ("org.gnome.gedit.desktop").
QString desktopTextEditor()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000))
        return {};
    QString entry = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (entry.endsWith(QStringLiteral(".desktop")))
        entry.chop(8);
    return entry;
}

} // namespace

SheetServices SheetServices::real()
{
    SheetServices s;
    s.openFile = [](QWidget* parent, const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    };
    s.saveFile = [](QWidget* parent, const QString& caption, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
    };
    s.chooseFolder = [](QWidget* parent, const QString& caption, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, caption, start);
    };
    s.startProgram = [](std::string_view program) { return StartProgram(program) != 0; };
    s.showHelp = [](std::uint64_t) {};
    s.createDictionary = createDictionaryThroughEngine;
    s.speechAvailable = [] { return speech::Synthesizer::create(nullptr) != nullptr; };
    s.defaultTextEditor = desktopTextEditor;
    s.captureHook = [] { return paths::programDir() / capture::session::kHookFile; };
    return s;
}

SettingsPage::SettingsPage(SheetServices& services, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
{
    auto* layout = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body);
    layout->addStretch();
    m_descriptionLine = new QLabel(this);
    m_descriptionLine->setObjectName(QStringLiteral("description"));
    m_descriptionLine->setWordWrap(true);
    m_descriptionLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_descriptionLine->setMargin(3);
    // Room for the longest description (two lines) so that the page does not jump; the text
    // wraps to the page's width instead of widening it.
    m_descriptionLine->setFixedHeight(m_descriptionLine->fontMetrics().lineSpacing() * 2 +
                                      2 * (m_descriptionLine->frameWidth() + m_descriptionLine->margin()) + 4);
    m_descriptionLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_descriptionLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_descriptionLine);
}

QString SettingsPage::description() const
{
    return m_descriptionLine->text();
}

void SettingsPage::describe(QWidget* control, std::string_view text)
{
    control->setProperty(kDescriptionProperty, q(text));
}

void SettingsPage::describeAt(QWidget* widgetUnderMouse)
{
    for (QWidget* w = widgetUnderMouse; w && w != this; w = w->parentWidget()) {
        const QVariant text = w->property(kDescriptionProperty);
        if (text.isValid()) {
            m_descriptionLine->setText(text.toString());
            return;
        }
    }
}

void SettingsPage::tell(unsigned style, const std::string& text) const
{
    const QWidget* sheet = window();
    msgbox::show(sheet->testAttribute(Qt::WA_WState_Created) ? static_cast<std::uint64_t>(sheet->winId()) : 0, style,
                 text);
}

CMyPropSheet::CMyPropSheet(int page, SheetServices services, QWidget* parent)
    : QDialog(parent)
    , m_services(std::move(services))
{
    setWindowTitle(q(kSheetCaption));
    m_tabs = new QTabWidget(this);
    // Every page's caption in sight.
    m_tabs->tabBar()->setUsesScrollButtons(false);
    m_pages = {new KeysSettingsPage(m_services),
               new TransSettingsPage(m_services),
               new DictionarySettingsPage(m_services, DIRECTION_EJ),
               new DictionarySettingsPage(m_services, DIRECTION_JE),
               new BatchSettingsPage(m_services),
               new SoftSettingsPage(m_services),
               new VoiceSettingsPage(m_services)};
    for (int i = 0; i < PageCount; ++i)
        m_tabs->addTab(m_pages[static_cast<std::size_t>(i)], q(kPageCaptions[i]));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    m_apply = buttons->button(QDialogButtonBox::Apply);
    m_apply->setText(QStringLiteral("適用(&A)"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CMyPropSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMyPropSheet::reject);
    connect(m_apply, &QPushButton::clicked, this, &CMyPropSheet::apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    // Each page, once shown, is the one the sheet opens on next time.
    connect(m_tabs, &QTabWidget::currentChanged, this,
            [](int index) { SetRegDWORD(HKEY_CURRENT_USER, nullptr, kSheetPageValue, static_cast<std::uint32_t>(index)); });
    showPage(page >= 0 && page < PageCount ? page : storedPage());

    connect(&m_describeTimer, &QTimer::timeout, this, &CMyPropSheet::describeUnderMouse);
    m_describeTimer.start(kDescribeIntervalMs);
}

int CMyPropSheet::storedPage()
{
    const std::uint32_t stored = GetRegDWORD(0, nullptr, kSheetPageValue, 0);
    return stored < PageCount ? static_cast<int>(stored) : 0;
}

void CMyPropSheet::showPage(int page)
{
    if (page < 0 || page >= PageCount)
        return;
    m_tabs->setCurrentIndex(page);
    SetRegDWORD(HKEY_CURRENT_USER, nullptr, kSheetPageValue, static_cast<std::uint32_t>(page));
}

int CMyPropSheet::currentPage() const
{
    return m_tabs->currentIndex();
}

SettingsPage* CMyPropSheet::page(int index) const
{
    return index >= 0 && index < PageCount ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

bool CMyPropSheet::apply()
{
    for (int i = 0; i < PageCount; ++i) {
        if (!m_pages[static_cast<std::size_t>(i)]->validate()) {
            showPage(i);
            return false;
        }
    }
    for (SettingsPage* p : m_pages)
        p->save();
    return true;
}

void CMyPropSheet::accept()
{
    if (apply())
        QDialog::accept();
}

void CMyPropSheet::directionChanged()
{
    static_cast<TransSettingsPage*>(m_pages[TransPage])->followDirection();
}

void CMyPropSheet::describeUnderMouse()
{
    QWidget* under = QApplication::widgetAt(QCursor::pos());
    if (under && under->window() == this)
        m_pages[static_cast<std::size_t>(currentPage())]->describeAt(under);
}

} // namespace yv::toolbox
