// The word-choice dialog: look-up, list and the two commands.
#include "wordchoicedialog.h"

#include <EngineLink.h>
#include <Etc.h>
#include <SharedBlocks.h>
#include <editorcore/messages.h>
#include <platform/codec.h>

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace yv::trans {

namespace {

constexpr int kColumns = 3;
constexpr const char* kColumnWidthNames[kColumns] = {"LV_COL0", "LV_COL1", "LV_COL2"};
constexpr std::uint32_t kDefaultColumnWidths[kColumns] = {200, 100, 100};
constexpr const char* kLookUpMode = "0";

QString fromCp932(std::string_view cp932) { return QString::fromStdString(codec::cp932ToUtf8(cp932)); }

QString q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

} // namespace

WordChoiceDialog::WordChoiceDialog(const editor::WordChoiceUnit& unit,
                                   std::function<void(const std::string&)> registerHeadword, QWidget* parent)
    : QDialog(parent), m_unit(unit), m_registerHeadword(std::move(registerHeadword))
{
    setWindowTitle(q("訳語選択"));
    auto* sourceLabel = new QLabel(q("原語"), this);
    auto* source = new QLabel(fromCp932(unit.source).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
    source->setObjectName(QStringLiteral("sourceText"));
    source->setFrameShape(QFrame::StyledPanel);
    source->setFrameShadow(QFrame::Sunken);
    source->setWordWrap(true);
    source->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_list = new QTreeWidget(this);
    m_list->setColumnCount(kColumns);
    m_list->setHeaderLabels({q("訳語"), q("品詞"), q("辞書")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(false);
    for (int c = 0; c < kColumns; ++c)
        m_list->setColumnWidth(c, static_cast<int>(GetRegDWORD(0, kWordChoiceKey, kColumnWidthNames[c],
                                                                kDefaultColumnWidths[c])));

    auto* buttons = new QVBoxLayout;
    auto* choose = new QPushButton(q("選択"), this);
    choose->setDefault(true);
    auto* add = new QPushButton(q("訳語追加"), this);
    add->setAutoDefault(false);
    auto* cancel = new QPushButton(q("ｷｬﾝｾﾙ"), this);
    cancel->setAutoDefault(false);
    buttons->addWidget(choose);
    buttons->addWidget(add);
    buttons->addStretch();
    buttons->addWidget(cancel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(sourceLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(source, 0, 1);
    grid->addWidget(m_list, 1, 0, 1, 2);
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    resize(560, 320);

    connect(choose, &QPushButton::clicked, this, &WordChoiceDialog::choose);
    connect(add, &QPushButton::clicked, this, &WordChoiceDialog::addWord);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

WordChoiceDialog::~WordChoiceDialog() = default;

void WordChoiceDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // After the first paint: starting an engine can take a moment.
    if (!m_lookUpStarted)
        QTimer::singleShot(0, this, &WordChoiceDialog::startLookUp);
}

CEngineLink& WordChoiceDialog::link(int direction) { return m_links.get(direction); }

void WordChoiceDialog::startLookUp()
{
    if (m_lookUpStarted)
        return;
    m_lookUpStarted = true;
    if (blocks::readFlag(blocks::EngineBusy) != 0) {
        editor::messages::warn(editor::messages::kEngineBusy);
        m_lookUpDone = true;
        return;
    }
    const int direction = editor::wordDirection(m_unit.source);
    CEngineLink& engine = link(direction);
    engine.SetCallback(&WordChoiceDialog::lookUpCallback, this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool asked = engine.DicRead(m_unit.source.c_str(), kLookUpMode) != 0;
    QApplication::restoreOverrideCursor();
    if (!asked) {
        // No answer will come: say so instead of showing an empty list as if it were one.
        editor::messages::warn(direction == DIRECTION_EJ ? editor::messages::kCannotConnectEJ
                                                               : editor::messages::kCannotConnectJE);
        m_lookUpDone = true;
    }
}

int WordChoiceDialog::lookUpCallback(const char* result, void* context)
{
    auto* dialog = static_cast<WordChoiceDialog*>(context);
    dialog->showEntries(result ? std::string_view(result) : std::string_view());
    return 0;
}

void WordChoiceDialog::showEntries(std::string_view cp932)
{
    const enginelink::LookUpResult result = enginelink::parseLookUp(cp932);
    m_rows = result.rows;
    m_list->clear();
    for (const enginelink::LookUpRow& row : m_rows)
        new QTreeWidgetItem(m_list, {fromCp932(row.translation), fromCp932(row.partOfSpeech), fromCp932(row.dictionary)});
    m_links.forEachOpen([](CEngineLink& link) { link.DC_DicRead(); });
    m_lookUpDone = true;
    if (result.entries == 0)
        editor::messages::warn(editor::messages::kNotInDictionary);
}

void WordChoiceDialog::choose()
{
    for (int i = 0; i < m_list->topLevelItemCount() && i < static_cast<int>(m_rows.size()); ++i) {
        if (m_list->topLevelItem(i)->isSelected()) {
            // A row without a translation would delete the unit instead of replacing it.
            const std::string& translation = m_rows[static_cast<std::size_t>(i)].translation;
            if (translation.empty())
                break;
            m_chosen = translation;
            accept();
            return;
        }
    }
    editor::messages::warn(editor::messages::kChooseTranslation);
}

void WordChoiceDialog::addWord()
{
    // With no row there is no word: the registration then asks for the dictionary's direction.
    m_registerHeadword(m_rows.empty() ? std::string() : editor::headwordToRegister(m_rows.front().translation));
}

void WordChoiceDialog::done(int result)
{
    for (int c = 0; c < kColumns; ++c)
        SetRegDWORD(HKEY_CURRENT_USER, kWordChoiceKey, kColumnWidthNames[c],
                    static_cast<std::uint32_t>(m_list->columnWidth(c)));
    QDialog::done(result);
}

} // namespace yv::trans
