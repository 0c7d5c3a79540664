// The sheet's dictionary pages, one per direction.
#include "settingspages.h"

#include <toolboxcore/settingsrules.h>
#include <toolboxcore/settingstexts.h>
#include <toolboxcore/toolboxtexts.h>

#include <HandOver.h>
#include <SharedBlocks.h>
#include <platform/messagebox.h>
#include <platform/process.h>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace yv::toolbox {

namespace {

constexpr const char* kDictionaryFilter = "辞書(*.dic)";

std::string valueName(std::size_t number)
{
    return "DIC" + std::to_string(number);
}

} // namespace

DictionarySettingsPage::DictionarySettingsPage(SheetServices& services, int direction)
    : SettingsPage(services)
    , m_direction(direction)
    , m_subkey(direction == DIRECTION_EJ ? "RELAYER/EJ" : "RELAYER/JE")
{
    auto* userBox = new QGroupBox(QStringLiteral("ﾕｰｻﾞ辞書"), this);
    auto* userRow = new QHBoxLayout(userBox);
    m_user = new QLineEdit(userBox);
    m_user->setObjectName(QStringLiteral("user"));
    auto* browse = new QPushButton(QStringLiteral("参照..."), userBox);
    browse->setObjectName(QStringLiteral("browse"));
    auto* create = new QPushButton(QStringLiteral("新規作成..."), userBox);
    create->setObjectName(QStringLiteral("create"));
    userRow->addWidget(m_user, 1);
    userRow->addWidget(browse);
    userRow->addWidget(create);
    describe(userBox, kUserDictionaryDescription);
    describe(create, kNewDictionaryDescription);
    m_body->addWidget(userBox);

    auto* othersBox = new QGroupBox(QStringLiteral("その他の辞書"), this);
    auto* othersGrid = new QGridLayout(othersBox);
    m_others = new QListWidget(othersBox);
    m_others->setObjectName(QStringLiteral("others"));
    m_others->setMinimumHeight(m_others->fontMetrics().lineSpacing() * 6);
    othersGrid->addWidget(m_others, 0, 0, 5, 1);
    const struct {
        const char* name;
        const char* label;
        std::string_view description;
    } kListButtons[] = {
        {"add", "追加...", kAddDictionaryDescription},
        {"remove", "削除", kDeleteDictionaryDescription},
        {"up", "上へ", kOrderDictionaryDescription},
        {"down", "下へ", kOrderDictionaryDescription},
    };
    std::vector<QPushButton*> listButtons;
    for (const auto& b : kListButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.label), othersBox);
        button->setObjectName(QString::fromLatin1(b.name));
        describe(button, b.description);
        othersGrid->addWidget(button, static_cast<int>(listButtons.size()), 1);
        listButtons.push_back(button);
    }
    describe(m_others, kAddDictionaryDescription);
    m_body->addWidget(othersBox);

    auto* toolsRow = new QHBoxLayout;
    auto* tool = new QPushButton(QStringLiteral("辞書ツール..."), this);
    tool->setObjectName(QStringLiteral("tool"));
    auto* converter = new QPushButton(QStringLiteral("ｺﾝﾊﾞｰﾀ..."), this);
    converter->setObjectName(QStringLiteral("converter"));
    describe(tool, kDictionaryToolDescription);
    describe(converter, kConverterDescription);
    toolsRow->addWidget(tool);
    toolsRow->addWidget(converter);
    toolsRow->addStretch();
    m_body->addLayout(toolsRow);

    std::array<std::string, kDictionaryValues> values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        char buffer[ETC_MAX_PATH * 4] = {};
        GetRegStr_Engine(0, m_subkey, valueName(i + 1).c_str(), buffer, sizeof buffer, "", m_direction);
        values[i] = buffer;
    }
    const DictionaryList list = dictionaryListOf(values);
    m_user->setText(QString::fromStdString(list.user));
    for (const std::string& other : list.others)
        m_others->addItem(QString::fromStdString(other));

    connect(m_user, &QLineEdit::textEdited, this, [this] { markChanged(); });
    connect(browse, &QPushButton::clicked, this, &DictionarySettingsPage::browseUserDictionary);
    connect(create, &QPushButton::clicked, this, &DictionarySettingsPage::createUserDictionary);
    connect(listButtons[0], &QPushButton::clicked, this, &DictionarySettingsPage::addDictionary);
    connect(listButtons[1], &QPushButton::clicked, this, &DictionarySettingsPage::removeDictionary);
    connect(listButtons[2], &QPushButton::clicked, this, [this] { moveDictionary(-1); });
    connect(listButtons[3], &QPushButton::clicked, this, [this] { moveDictionary(1); });
    const bool ej = m_direction == DIRECTION_EJ;
    connect(tool, &QPushButton::clicked, this, [this, ej] { startTool(ej ? "Rytoolej.exe" : "Rytoolje.exe"); });
    connect(converter, &QPushButton::clicked, this, [this, ej] { startTool(ej ? "UPFConvEJ.exe" : "UPFConvJE.exe"); });
}

std::optional<std::string> DictionarySettingsPage::chooseDictionary(const QString& caption)
{
    const QString file = m_services.openFile(this, caption, QString::fromUtf8(kDictionaryFilter));
    if (file.isEmpty())
        return std::nullopt;
    const std::string path = file.toStdString();
    if (!hasDictionaryExtension(path)) {
        tell(msgbox::IconExclamation, std::string(kNotDictionaryExtension));
        return std::nullopt;
    }
    return dictionaryNameOf(path);
}

void DictionarySettingsPage::browseUserDictionary()
{
    if (const auto name = chooseDictionary(QStringLiteral("辞書ﾌｧｲﾙの指定"))) {
        m_user->setText(QString::fromStdString(*name));
        markChanged();
    }
}

void DictionarySettingsPage::addDictionary()
{
    if (static_cast<std::size_t>(m_others->count()) >= kMaxOtherDictionaries) {
        tell(msgbox::IconExclamation, std::string(kTooManyDictionaries));
        return;
    }
    if (const auto name = chooseDictionary(QStringLiteral("辞書ﾌｧｲﾙの指定"))) {
        m_others->addItem(QString::fromStdString(*name));
        m_others->setCurrentRow(m_others->count() - 1);
        markChanged();
    }
}

void DictionarySettingsPage::removeDictionary()
{
    const int row = m_others->currentRow();
    if (row < 0)
        return;
    delete m_others->takeItem(row);
    markChanged();
}

void DictionarySettingsPage::moveDictionary(int by)
{
    const int row = m_others->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_others->count())
        return;
    m_others->insertItem(to, m_others->takeItem(row));
    m_others->setCurrentRow(to);
    markChanged();
}

void DictionarySettingsPage::createUserDictionary()
{
    if (blocks::readFlag(blocks::EngineBusy) != 0) {
        tell(msgbox::IconExclamation, std::string(kEngineBusy));
        return;
    }
    const bool ej = m_direction == DIRECTION_EJ;
    const QString file = m_services.saveFile(this, ej ? QStringLiteral("新規辞書作成 - 英日") : QStringLiteral("新規辞書作成 - 日英"),
                                             QString::fromUtf8(kDictionaryFilter));
    if (file.isEmpty())
        return;
    const std::string path = file.toStdString();
    if (!hasDictionaryExtension(path)) {
        tell(msgbox::IconExclamation, std::string(kNotDictionaryExtension));
        return;
    }
    const std::string name = dictionaryNameOf(path);
    if (!m_services.createDictionary(m_direction, name)) {
        tell(msgbox::IconExclamation, std::string(ej ? kCannotConnectEj : kCannotConnectJe));
        return;
    }
    m_user->setText(QString::fromStdString(name));
    markChanged();
}

void DictionarySettingsPage::startTool(std::string_view program)
{
    // The dictionary tools and converters are outside programs that may not be installed.
    if (!m_services.startProgram(program))
        tell(msgbox::IconExclamation, withValue(handover::kProgramMissing, process::programFileName(program)));
}

bool DictionarySettingsPage::validate()
{
    if (!changed() || !m_user->text().trimmed().isEmpty())
        return true;
    tell(msgbox::IconError, std::string(kUserDictionaryRequired));
    return false;
}

void DictionarySettingsPage::save()
{
    if (!changed())
        return;
    DictionaryList list;
    list.user = m_user->text().trimmed().toStdString();
    for (int i = 0; i < m_others->count(); ++i)
        list.others.push_back(m_others->item(i)->text().toStdString());
    const auto values = dictionaryValuesOf(list);
    for (std::size_t i = 0; i < values.size(); ++i)
        SetRegStr_Engine(HKEY_CURRENT_USER, m_subkey, valueName(i + 1).c_str(), values[i].c_str(), m_direction);
    ResetEngine(0, m_direction);
    setSaved();
}

} // namespace yv::toolbox
