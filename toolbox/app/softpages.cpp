// The sheet's batch, programs and speech pages.
#include "settingspages.h"

#include <toolboxcore/settingsrules.h>
#include <toolboxcore/settingstexts.h>
#include <toolboxcore/toolboxtexts.h>

#include <captureengine/sessionentry.h>

#include <Messages.h>
#include <SharedBlocks.h>
#include <platform/bus.h>
#include <platform/messagebox.h>
#include <platform/paths.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace yv::toolbox {

namespace {

namespace session = capture::session;

constexpr const char* kBatchKey = "diZAV";
constexpr const char* kBatchFolderValue = "フォルダ";
constexpr std::uint64_t kBatchHelpTopic = 6;
constexpr std::uint64_t kVoiceSettingsChanged = 3;
// Entries of the text-editor list.
constexpr int kDesktopEditor = 0;
constexpr int kUserEditor = 1;

QString q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool isExecutableFile(const std::string& path)
{
    return !path.empty() && ::access(path.c_str(), X_OK) == 0 && ::access(path.c_str(), R_OK) == 0 &&
           std::filesystem::is_regular_file(path);
}

} // namespace

BatchSettingsPage::BatchSettingsPage(SheetServices& services)
    : SettingsPage(services)
{
    auto* box = new QGroupBox(QStringLiteral("一括翻訳のﾌｫﾙﾀﾞ"), this);
    auto* row = new QHBoxLayout(box);
    m_folder = new QLineEdit(box);
    m_folder->setObjectName(QStringLiteral("folder"));
    auto* browse = new QPushButton(QStringLiteral("参照..."), box);
    browse->setObjectName(QStringLiteral("browse"));
    auto* help = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ"), box);
    help->setObjectName(QStringLiteral("help"));
    row->addWidget(m_folder, 1);
    row->addWidget(browse);
    row->addWidget(help);
    m_body->addWidget(box);

    char buffer[ETC_MAX_PATH * 4] = {};
    GetRegStr(0, kBatchKey, kBatchFolderValue, buffer, sizeof buffer, "");
    m_folder->setText(QString::fromUtf8(buffer));
    connect(m_folder, &QLineEdit::textEdited, this, [this] { markChanged(); });
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        const QString folder = m_services.chooseFolder(this, QStringLiteral("一括翻訳のﾌｫﾙﾀﾞを指定"), desktop);
        if (folder.isEmpty())
            return;
        m_folder->setText(folder);
        markChanged();
    });
    connect(help, &QPushButton::clicked, this, [this] { m_services.showHelp(kBatchHelpTopic); });
}

void BatchSettingsPage::save()
{
    if (!changed())
        return;
    SetRegStr(HKEY_CURRENT_USER, kBatchKey, kBatchFolderValue, m_folder->text().trimmed().toUtf8().constData());
    setSaved();
}

SoftSettingsPage::SoftSettingsPage(SheetServices& services)
    : SettingsPage(services)
{
    SoftSettings soft{};
    LoadEnvSoft(&soft);

    auto* editorBox = new QGroupBox(QStringLiteral("ﾃｷｽﾄｴﾃﾞｨﾀ"), this);
    describe(editorBox, kTextEditorDescription);
    auto* editorGrid = new QGridLayout(editorBox);
    m_editor = new QComboBox(editorBox);
    m_editor->setObjectName(QStringLiteral("editor"));
    const QString desktopEditor = m_services.defaultTextEditor();
    m_editor->addItem(desktopEditor.isEmpty() ? QStringLiteral("ﾒﾓ帳") : QStringLiteral("ﾒﾓ帳 (%1)").arg(desktopEditor));
    m_editor->addItem(QStringLiteral("ﾕｰｻﾞｰ指定"));
    m_editorPath = new QLineEdit(QString::fromUtf8(soft.txtExe, static_cast<qsizetype>(strnlen(soft.txtExe, sizeof soft.txtExe))),
                                 editorBox);
    m_editorPath->setObjectName(QStringLiteral("editorPath"));
    m_editorBrowse = new QPushButton(QStringLiteral("参照..."), editorBox);
    m_editorBrowse->setObjectName(QStringLiteral("editorBrowse"));
    editorGrid->addWidget(m_editor, 0, 0);
    editorGrid->addWidget(m_editorPath, 0, 1);
    editorGrid->addWidget(m_editorBrowse, 0, 2);
    editorGrid->setColumnStretch(1, 1);
    m_editor->setCurrentIndex(!soft.txtAuto && soft.txtId == kUserEditor ? kUserEditor : kDesktopEditor);
    m_body->addWidget(editorBox);

    auto* officeBox = new QGroupBox(QStringLiteral("Microsoft Office"), this);
    describe(officeBox, kOfficeDescription);
    auto* officeGrid = new QGridLayout(officeBox);
    static constexpr const char* kApps[] = {"Word", "PowerPoint", "Excel"};
    const std::uint32_t autos[] = {soft.docAuto, soft.pptAuto, soft.xlsAuto};
    const std::uint16_t ids[] = {soft.docId, soft.pptId, soft.xlsId};
    const int found[] = {AutoFindDoc(), AutoFindPpt(), AutoFindXls()};
    for (std::size_t i = 0; i < std::size(kApps); ++i) {
        auto* versions = new QComboBox(officeBox);
        versions->setObjectName(QStringLiteral("version%1").arg(kApps[i]));
        for (const int version : kOfficeVersions)
            versions->addItem(QStringLiteral("%1%2").arg(QString::fromLatin1(kApps[i])).arg(version));
        auto* automatic = new QCheckBox(QStringLiteral("自動"), officeBox);
        automatic->setObjectName(QStringLiteral("auto%1").arg(kApps[i]));
        automatic->setChecked(autos[i] != 0);
        // The version found preselects the list while the choice is automatic.
        const std::optional<int> detected = officeEntryOf(found[i]);
        const int stored = ids[i] >= 1 && ids[i] <= 4 ? ids[i] - 1 : 0;
        versions->setCurrentIndex(autos[i] && detected ? *detected : stored);
        officeGrid->addWidget(new QLabel(QString::fromLatin1(kApps[i]), officeBox), static_cast<int>(i), 0);
        officeGrid->addWidget(versions, static_cast<int>(i), 1);
        officeGrid->addWidget(automatic, static_cast<int>(i), 2);
        m_officeAuto[i] = automatic;
        m_officeVersion[i] = versions;
        connect(automatic, &QCheckBox::toggled, this, [this, versions, detected](bool on) {
            if (on && detected)
                versions->setCurrentIndex(*detected);
            markChanged();
            updateEnabled();
        });
        connect(versions, &QComboBox::activated, this, [this] { markChanged(); });
    }
    officeGrid->setColumnStretch(1, 1);
    m_body->addWidget(officeBox);

    auto* spyBox = new QGroupBox(QStringLiteral("ｶｰｿﾙ位置の語句検索"), this);
    describe(spyBox, kSpyglassDescription);
    auto* spyGrid = new QGridLayout(spyBox);
    m_spyglass = new QCheckBox(QStringLiteral("使用する"), spyBox);
    m_spyglass->setObjectName(QStringLiteral("spyglass"));
    m_spyglass->setChecked(soft.spyglass != 0);
    m_delay = new QSlider(Qt::Horizontal, spyBox);
    m_delay->setObjectName(QStringLiteral("delay"));
    m_delay->setRange(kDelayMin, kDelayMax);
    m_delay->setValue(delayPositionOf(soft.spyglassTime));
    m_delayText = new QLabel(spyBox);
    m_delayText->setMinimumWidth(m_delayText->fontMetrics().horizontalAdvance(QStringLiteral("2000 ﾐﾘ秒")));
    const auto showDelay = [this] { m_delayText->setText(QStringLiteral("%1 ﾐﾘ秒").arg(spyglassDelayOf(m_delay->value()))); };
    showDelay();
    m_mode = new QButtonGroup(spyBox);
    m_mode->setObjectName(QStringLiteral("mode"));
    auto* modes = new QHBoxLayout;
    static constexpr const char* kModes[] = {"翻訳", "辞書", "CD-ROM"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(kModes[i]), spyBox);
        m_mode->addButton(radio, i + 1);
        modes->addWidget(radio);
    }
    modes->addStretch();
    if (QAbstractButton* mode = m_mode->button(soft.spyglassExec >= 1 && soft.spyglassExec <= 3 ? soft.spyglassExec : 2))
        mode->setChecked(true);
    spyGrid->addWidget(m_spyglass, 0, 0, 1, 3);
    spyGrid->addWidget(new QLabel(QStringLiteral("待ち時間"), spyBox), 1, 0);
    spyGrid->addWidget(m_delay, 1, 1);
    spyGrid->addWidget(m_delayText, 1, 2);
    spyGrid->addLayout(modes, 2, 0, 1, 3);
    // Other programs show their text to the suite only with the hook preloaded from login on.
    m_sessionHook = new QCheckBox(q(kSessionHookCaption), spyBox);
    m_sessionHook->setObjectName(QStringLiteral("sessionHook"));
    m_sessionNote = new QLabel(spyBox);
    m_sessionNote->setObjectName(QStringLiteral("sessionHookNote"));
    m_sessionNote->setWordWrap(true);
    m_sessionNote->setContentsMargins(m_sessionHook->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 4, 0, 0, 0);
    spyGrid->addWidget(m_sessionHook, 3, 0, 1, 3);
    spyGrid->addWidget(m_sessionNote, 4, 0, 1, 3);
    showSessionHook();
    m_body->addWidget(spyBox);

    connect(m_editor, &QComboBox::activated, this, [this] {
        markChanged();
        updateEnabled();
    });
    connect(m_editorPath, &QLineEdit::textEdited, this, [this] { markChanged(); });
    connect(m_editorBrowse, &QPushButton::clicked, this, [this] {
        // Any executable file: programs here have no ".exe".
        const QString file = m_services.openFile(this, QStringLiteral("ﾃｷｽﾄｴﾃﾞｨﾀのﾊﾟｽを指定"),
                                                 QStringLiteral("実行形式ﾌｧｲﾙ (*)"));
        if (file.isEmpty())
            return;
        m_editorPath->setText(file);
        markChanged();
    });
    connect(m_spyglass, &QCheckBox::toggled, this, [this] {
        markChanged();
        updateEnabled();
    });
    connect(m_delay, &QSlider::valueChanged, this, [this, showDelay] {
        showDelay();
        markChanged();
    });
    connect(m_mode, &QButtonGroup::idClicked, this, [this] { markChanged(); });
    connect(m_sessionHook, &QCheckBox::toggled, this, [this] { m_sessionHookChanged = true; });
    updateEnabled();
}

void SoftSettingsPage::showSessionHook()
{
    const std::filesystem::path hook = m_services.captureHook();
    const std::filesystem::path file = paths::sessionStartFile();
    const session::EntryState state = session::installedState(file, hook);
    const QSignalBlocker quiet(m_sessionHook);
    m_sessionHook->setChecked(state == session::EntryState::Present);
    m_sessionHook->setEnabled(state != session::EntryState::Damaged && state != session::EntryState::Unreadable);
    switch (state) {
    case session::EntryState::Present:
        m_sessionNote->setText(q(session::sessionHasHook(hook) ? kSessionHookActive : kSessionHookNextLogin));
        break;
    case session::EntryState::Absent:
        m_sessionNote->setText(q(kSessionHookAbsent));
        break;
    case session::EntryState::Other:
        m_sessionNote->setText(q(kSessionHookOther));
        break;
    case session::EntryState::Damaged:
    case session::EntryState::Unreadable:
        m_sessionNote->setText(q(withValue(kSessionHookBroken, file.string())));
        break;
    }
    m_sessionHookChanged = false;
}

void SoftSettingsPage::applySessionHook()
{
    if (!m_sessionHookChanged)
        return;
    const std::filesystem::path hook = m_services.captureHook();
    const std::filesystem::path file = paths::sessionStartFile();
    const bool install = m_sessionHook->isChecked();
    const session::Outcome outcome = install ? session::install(file, hook) : session::remove(file);
    switch (outcome.problem) {
    case session::Problem::None:
        if (outcome.changed)
            tell(msgbox::IconInformation, withValue(install ? kSessionHookInstalled : kSessionHookRemoved, file.string()));
        break;
    case session::Problem::HookMissing:
        tell(msgbox::IconError, withValue(kSessionHookMissing, hook.string()));
        break;
    case session::Problem::HookPathUnusable:
        tell(msgbox::IconError, withValue(kSessionHookUnusablePath, hook.string()));
        break;
    case session::Problem::Unreadable:
        tell(msgbox::IconError, withValue(kSessionFileUnreadable, file.string()));
        break;
    case session::Problem::Damaged:
        tell(msgbox::IconError, withValue(kSessionFileDamaged, file.string()));
        break;
    case session::Problem::Unwritable:
        tell(msgbox::IconError, withValue(kSessionFileUnwritable, file.string()));
        break;
    }
    // The box shows what the file holds now, whatever happened.
    showSessionHook();
}

void SoftSettingsPage::updateEnabled()
{
    const bool userEditor = m_editor->currentIndex() == kUserEditor;
    m_editorPath->setEnabled(userEditor);
    m_editorBrowse->setEnabled(userEditor);
    for (std::size_t i = 0; i < m_officeAuto.size(); ++i)
        m_officeVersion[i]->setEnabled(!m_officeAuto[i]->isChecked());
    m_delay->setEnabled(m_spyglass->isChecked());
    for (QAbstractButton* mode : m_mode->buttons())
        mode->setEnabled(m_spyglass->isChecked());
}

bool SoftSettingsPage::validate()
{
    if (!changed() || m_editor->currentIndex() != kUserEditor)
        return true;
    const std::string path = m_editorPath->text().trimmed().toStdString();
    if (isExecutableFile(path))
        return true;
    tell(msgbox::IconExclamation, withValue(kNotExecutable, path));
    return false;
}

void SoftSettingsPage::save()
{
    applySessionHook();
    if (!changed())
        return;
    SoftSettings soft{};
    LoadEnvSoft(&soft);
    const bool userEditor = m_editor->currentIndex() == kUserEditor;
    soft.txtAuto = userEditor ? 0 : 1;
    soft.txtId = static_cast<std::uint16_t>(m_editor->currentIndex());
    // The desktop's editor is the one the programs use when no program is stored.
    const std::string exe = userEditor ? m_editorPath->text().trimmed().toStdString() : std::string();
    std::memset(soft.txtExe, 0, sizeof soft.txtExe);
    std::strncpy(soft.txtExe, exe.c_str(), sizeof soft.txtExe - 1);
    std::uint32_t* autos[] = {&soft.docAuto, &soft.pptAuto, &soft.xlsAuto};
    std::uint16_t* ids[] = {&soft.docId, &soft.pptId, &soft.xlsId};
    for (std::size_t i = 0; i < m_officeAuto.size(); ++i) {
        *autos[i] = m_officeAuto[i]->isChecked() ? 1 : 0;
        *ids[i] = static_cast<std::uint16_t>(m_officeVersion[i]->currentIndex() + 1);
    }
    soft.spyglass = m_spyglass->isChecked() ? 1 : 0;
    soft.spyglassTime = spyglassDelayOf(m_delay->value());
    soft.spyglassExec = static_cast<std::uint16_t>(std::max(m_mode->checkedId(), 1));
    SaveEnvSoft(&soft);
    setSaved();
}

VoiceSettingsPage::VoiceSettingsPage(SheetServices& services)
    : SettingsPage(services)
{
    // Probed once per session: making the speech engine takes a moment.
    if (blocks::readFlag(blocks::VoiceProbed) == 0) {
        blocks::setFlag(blocks::VoiceAvailable, m_services.speechAvailable() ? 1 : 0);
        blocks::setFlag(blocks::VoiceProbed, 1);
    }
    m_speechAvailable = blocks::readFlag(blocks::VoiceAvailable) != 0;

    VoiceSettings voice{};
    LoadEnvVoice(&voice);
    static constexpr const char* kLabels[] = {"音声認識を使用する", "音声認識の終了後に翻訳する", "音声合成を使用する",
                                              "翻訳の終了後に読み上げる"};
    static constexpr const char* kNames[] = {"useReg", "regTrans", "useSpeak", "transSpeak"};
    const std::uint32_t values[] = {voice.useReg, voice.regTrans, voice.useSpeak, voice.transSpeak};
    auto* recognitionBox = new QGroupBox(QStringLiteral("音声認識"), this);
    auto* recognition = new QGridLayout(recognitionBox);
    auto* synthesisBox = new QGroupBox(QStringLiteral("音声合成"), this);
    auto* synthesis = new QVBoxLayout(synthesisBox);
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        auto* check = new QCheckBox(QString::fromUtf8(kLabels[i]), i < 2 ? recognitionBox : synthesisBox);
        check->setObjectName(QString::fromLatin1(kNames[i]));
        check->setChecked(values[i] != 0);
        describe(check, kVoiceDescriptions[i]);
        if (i < 2)
            recognition->addWidget(check, static_cast<int>(i), 0);
        else
            synthesis->addWidget(check);
        connect(check, &QCheckBox::toggled, this, [this] {
            markChanged();
            updateEnabled();
        });
        m_checks[i] = check;
    }
    // There is no speech recognizer on this platform: its controls stay off and say so.
    auto* microphone = new QPushButton(QStringLiteral("ﾏｲｸの設定..."), recognitionBox);
    microphone->setObjectName(QStringLiteral("microphone"));
    auto* training = new QPushButton(QStringLiteral("ﾄﾚｰﾆﾝｸﾞ..."), recognitionBox);
    training->setObjectName(QStringLiteral("training"));
    describe(microphone, kVoiceDescriptions[4]);
    describe(training, kVoiceDescriptions[5]);
    recognition->addWidget(microphone, 0, 1);
    recognition->addWidget(training, 1, 1);
    auto* note = new QLabel(q(kNoRecognizer), recognitionBox);
    note->setObjectName(QStringLiteral("recognizerNote"));
    recognition->addWidget(note, 2, 0, 1, 2);
    for (QWidget* w : std::initializer_list<QWidget*>{m_checks[0], m_checks[1], microphone, training})
        w->setEnabled(false);
    m_body->addWidget(recognitionBox);
    m_body->addWidget(synthesisBox);
    if (!m_speechAvailable) {
        synthesisBox->setEnabled(false);
        auto* none = new QLabel(QStringLiteral("この環境では音声合成を使用できません。"), synthesisBox);
        synthesis->addWidget(none);
    }
    updateEnabled();
}

void VoiceSettingsPage::updateEnabled()
{
    // Translating after recognition needs recognition; reading after translation needs a voice.
    m_checks[3]->setEnabled(m_speechAvailable && m_checks[2]->isChecked());
}

void VoiceSettingsPage::save()
{
    if (!changed())
        return;
    const VoiceSettings voice{m_checks[0]->isChecked() ? 1u : 0u, m_checks[1]->isChecked() ? 1u : 0u,
                              m_checks[2]->isChecked() ? 1u : 0u, m_checks[3]->isChecked() ? 1u : 0u};
    SaveEnvVoice(&voice);
    // The editor, if it runs, makes or drops its voice now.
    if (bus::findWindow(messages::kTransClass))
        bus::postMessage(messages::kTransClass, messages::kSpeechSetup, kVoiceSettingsChanged, 0);
    setSaved();
}

} // namespace yv::toolbox
