// The find and replace dialogs and the searches they run on the active pane.
#include "findreplace.h"

#include "mainwindow.h"

#include <Etc.h>
#include <editorcore/messages.h>
#include <editorcore/search.h>
#include <platform/codec.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace yv::trans {

namespace {

constexpr const char* kSearchKeys = "search_keys";
constexpr const char* kReplaceKeys = "replace_keys";
constexpr const char* kSearchMatchCase = "search_uplow";
constexpr const char* kSearchDirection = "search_direction";
constexpr const char* kReplaceMatchCase = "replace_uplow";
// 21 entries of 127 characters of up to three UTF-8 bytes, with their separators.
constexpr std::uint32_t kHistoryBytes = 16384;

QString q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::string toCp932(const QString& text) { return codec::utf8ToCp932(text.toStdString()); }

QStringList readHistory(const char* name)
{
    std::string stored(kHistoryBytes, '\0');
    GetRegStr(0, kSettingsKey, name, stored.data(), kHistoryBytes, "");
    stored.resize(stored.find('\0'));
    QStringList entries;
    for (const std::string& entry : editor::historyFromStore(stored))
        entries << QString::fromStdString(entry);
    return entries;
}

QComboBox* historyCombo(const char* name, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumContentsLength(24);
    combo->lineEdit()->setMaxLength(kSearchTextLimit);
    combo->addItems(readHistory(name));
    return combo;
}

// Stores the combo's text in front of its list, then shows the stored order.
void saveHistory(const char* name, QComboBox* combo)
{
    const QString current = combo->currentText();
    std::vector<std::string> listed;
    for (int i = 0; i < combo->count(); ++i)
        listed.push_back(combo->itemText(i).toStdString());
    SetRegStr(HKEY_CURRENT_USER, kSettingsKey, name, editor::historyToStore(current.toStdString(), listed).c_str());
    combo->clear();
    combo->addItems(readHistory(name));
    combo->setCurrentText(current);
}

bool readFlag(const char* name) { return GetRegDWORD(0, kSettingsKey, name, 0) == 1; }

void writeFlag(const char* name, bool on) { SetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, name, on ? 1 : 0); }

QPushButton* button(std::string_view text, QWidget* parent, QVBoxLayout* column)
{
    auto* b = new QPushButton(q(text), parent);
    b->setAutoDefault(false);
    column->addWidget(b);
    return b;
}

// Buttons that need a search text follow the combo's text.
void enableWithText(QComboBox* combo, std::initializer_list<QPushButton*> buttons)
{
    const auto update = [combo, buttons = std::vector<QPushButton*>(buttons)] {
        for (QPushButton* b : buttons)
            b->setEnabled(!combo->currentText().isEmpty());
    };
    QObject::connect(combo, &QComboBox::editTextChanged, combo, update);
    update();
}

} // namespace

FindDialog::FindDialog(FindReplace& owner, QWidget* parent)
    : QDialog(parent), m_owner(owner)
{
    setWindowTitle(q("文字列の検索"));
    m_text = historyCombo(kSearchKeys, this);
    auto* label = new QLabel(q("検索する文字列(&N):"), this);
    label->setBuddy(m_text);
    m_matchCase = new QCheckBox(q("大文字小文字を区別する(&C)"), this);
    m_matchCase->setChecked(readFlag(kSearchMatchCase));
    auto* direction = new QGroupBox(q("方向"), this);
    m_up = new QRadioButton(q("上へ(&U)"), direction);
    m_down = new QRadioButton(q("下へ(&D)"), direction);
    (readFlag(kSearchDirection) ? m_up : m_down)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);

    auto* buttons = new QVBoxLayout;
    m_find = button("検索(&F)", this, buttons);
    m_find->setDefault(true);
    QPushButton* cancel = button("キャンセル", this, buttons);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 2);
    grid->addWidget(m_matchCase, 1, 0, 1, 2, Qt::AlignBottom);
    grid->addWidget(direction, 1, 2);
    grid->addLayout(buttons, 0, 3, 2, 1);

    enableWithText(m_text, {m_find});
    connect(m_find, &QPushButton::clicked, this, &FindDialog::find);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

void FindDialog::find()
{
    if (m_text->currentText().isEmpty())
        return;
    saveHistory(kSearchKeys, m_text);
    writeFlag(kSearchMatchCase, m_matchCase->isChecked());
    writeFlag(kSearchDirection, m_up->isChecked());
    m_owner.search(m_text->currentText(), m_matchCase->isChecked(), m_up->isChecked());
}

ReplaceDialog::ReplaceDialog(FindReplace& owner, QWidget* parent)
    : QDialog(parent), m_owner(owner)
{
    setWindowTitle(q("文字列の置換"));
    m_search = historyCombo(kSearchKeys, this);
    m_replacement = historyCombo(kReplaceKeys, this);
    auto* searchLabel = new QLabel(q("検索する文字列(&N):"), this);
    searchLabel->setBuddy(m_search);
    auto* replacementLabel = new QLabel(q("置換後の文字列(&P):"), this);
    replacementLabel->setBuddy(m_replacement);
    m_matchCase = new QCheckBox(q("大文字小文字を区別する(&C)"), this);
    m_matchCase->setChecked(readFlag(kReplaceMatchCase));

    auto* buttons = new QVBoxLayout;
    QPushButton* next = button("次を検索(&F)", this, buttons);
    next->setDefault(true);
    QPushButton* replaceOne = button("置換(&R)", this, buttons);
    QPushButton* replaceEvery = button("すべて置換(&A)", this, buttons);
    QPushButton* cancel = button("キャンセル", this, buttons);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(searchLabel, 0, 0);
    grid->addWidget(m_search, 0, 1);
    grid->addWidget(replacementLabel, 1, 0);
    grid->addWidget(m_replacement, 1, 1);
    grid->addWidget(m_matchCase, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    grid->addLayout(buttons, 0, 2, 4, 1);

    enableWithText(m_search, {next, replaceOne, replaceEvery});
    connect(next, &QPushButton::clicked, this, &ReplaceDialog::findNext);
    connect(replaceOne, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(replaceEvery, &QPushButton::clicked, this, &ReplaceDialog::replaceAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

void ReplaceDialog::saveHistories()
{
    saveHistory(kSearchKeys, m_search);
    saveHistory(kReplaceKeys, m_replacement);
    // The replace dialog keeps its own case box: the find dialog's stays as it was.
    writeFlag(kReplaceMatchCase, m_matchCase->isChecked());
}

void ReplaceDialog::findNext()
{
    if (m_search->currentText().isEmpty())
        return;
    saveHistory(kSearchKeys, m_search);
    writeFlag(kReplaceMatchCase, m_matchCase->isChecked());
    m_owner.search(m_search->currentText(), m_matchCase->isChecked(), false);
}

void ReplaceDialog::replace()
{
    if (m_search->currentText().isEmpty())
        return;
    saveHistories();
    m_owner.replace(m_search->currentText(), m_replacement->currentText(), m_matchCase->isChecked());
}

void ReplaceDialog::replaceAll()
{
    if (m_search->currentText().isEmpty())
        return;
    m_owner.replaceAll(m_search->currentText(), m_replacement->currentText(), m_matchCase->isChecked());
    saveHistories();
}

FindReplace::FindReplace(CMainFrame& frame)
    : m_frame(frame)
{
    connect(frame.action("editFind"), &QAction::triggered, this, [this] { openFind(); });
    connect(frame.action("editReplace"), &QAction::triggered, this, [this] { openReplace(); });
    connect(frame.action("editFindNext"), &QAction::triggered, this, [this] { findAgain(false); });
    connect(frame.action("editFindPrevious"), &QAction::triggered, this, [this] { findAgain(true); });
}

FindReplace::~FindReplace()
{
    // The dialogs call back into this object: they go first.
    delete m_findDialog.data();
    delete m_replaceDialog.data();
}

namespace {

template <typename Dialog>
Dialog* bringUp(QPointer<Dialog>& dialog, FindReplace& owner, QWidget* parent)
{
    if (!dialog) {
        dialog = new Dialog(owner, parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace

FindDialog* FindReplace::openFind() { return bringUp(m_findDialog, *this, &m_frame); }

ReplaceDialog* FindReplace::openReplace() { return bringUp(m_replaceDialog, *this, &m_frame); }

editor::Side FindReplace::side() const { return m_frame.activeSide(); }

editor::EditPane& FindReplace::pane() { return m_frame.document().pane(side()); }

// A pane is disabled while a translation runs into it: replacing then would move text under
// the run's offsets.
bool FindReplace::paneEditable() { return m_frame.view(side()).isEnabled(); }

void FindReplace::afterChange()
{
    m_frame.view(side()).refresh();
    m_frame.updateCommandStates();
}

bool FindReplace::search(const QString& text, bool matchCase, bool up)
{
    m_lastSearch = toCp932(text);
    m_lastMatchCase = matchCase;
    return findAgain(up);
}

bool FindReplace::findAgain(bool up)
{
    if (m_lastSearch.empty())
        return false;
    const bool found = up ? editor::findUp(pane(), m_lastSearch, m_lastMatchCase)
                          : editor::findDown(pane(), m_lastSearch, m_lastMatchCase);
    afterChange();
    if (!found)
        editor::messages::warn(editor::messages::kSearchDone);
    return found;
}

void FindReplace::replace(const QString& text, const QString& replacement, bool matchCase)
{
    if (!paneEditable()) {
        QApplication::beep();
        return;
    }
    m_lastSearch = toCp932(text);
    m_lastMatchCase = matchCase;
    const bool more = editor::replaceAndFind(pane(), m_lastSearch, toCp932(replacement), matchCase);
    afterChange();
    if (!more)
        editor::messages::warn(editor::messages::kSearchDone);
}

std::size_t FindReplace::replaceAll(const QString& text, const QString& replacement, bool matchCase)
{
    if (!paneEditable()) {
        QApplication::beep();
        return 0;
    }
    m_lastSearch = toCp932(text);
    m_lastMatchCase = matchCase;
    const std::size_t replaced = editor::replaceAll(pane(), m_lastSearch, toCp932(replacement), matchCase);
    afterChange();
    return replaced;
}

void FindReplace::updateCommandStates()
{
    m_frame.action("editFindNext")->setEnabled(hasSearchText());
    m_frame.action("editFindPrevious")->setEnabled(hasSearchText());
    m_frame.action("editReplace")->setEnabled(paneEditable());
}

} // namespace yv::trans
