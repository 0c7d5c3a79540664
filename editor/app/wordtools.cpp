// Word choice, registration and the "日英/英日の選択" question.
#include "wordtools.h"

#include "findreplace.h"
#include "mainwindow.h"
#include "wordchoicedialog.h"

#include <EngineLink.h>
#include <Etc.h>
#include <SharedBlocks.h>

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace yv::trans {

namespace {

constexpr std::uint32_t kDictionaryPathBytes = 4096;

QString q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

} // namespace

WordTools::WordTools(CMainFrame& frame)
    : m_frame(frame), m_findReplace(std::make_unique<FindReplace>(frame))
{
    runWordChoiceDialog = [](WordChoiceDialog& dialog) { return dialog.exec(); };
    askDirection = [this] { return runDirectionDialog(); };
    connect(frame.action("wordChoice"), &QAction::triggered, this, [this] { wordChoice(); });
    connect(frame.action("registerWord"), &QAction::triggered, this, [this] { registerSelection(); });
}

WordTools::~WordTools() = default;

bool WordTools::wordChoice()
{
    editor::TransDoc& doc = m_frame.document();
    const std::optional<editor::WordChoiceUnit> unit = editor::selectWordChoiceUnit(doc, m_frame.activeSide());
    m_frame.view(editor::Side::Source).refresh();
    m_frame.view(editor::Side::Translation).refresh();
    if (!unit)
        return false;
    WordChoiceDialog dialog(*unit, [this](const std::string& word) { registerHeadword(word); }, &m_frame);
    if (runWordChoiceDialog(dialog) != QDialog::Accepted)
        return false;
    const bool replaced = editor::applyWordChoice(doc, *unit, dialog.chosenTranslation());
    m_frame.view(editor::Side::Translation).refresh();
    m_frame.updateCommandStates();
    return replaced;
}

editor::Registration WordTools::registerSelection()
{
    return registerHeadword(m_frame.document().source().selectionText());
}

editor::Registration WordTools::registerHeadword(std::string_view cp932Word)
{
    return editor::registerWord(*this, cp932Word);
}

void WordTools::updateCommandStates()
{
    const editor::Side side = m_frame.activeSide();
    const bool editable = m_frame.view(side).isEnabled();
    m_frame.action("wordChoice")->setEnabled(editable && m_frame.document().pane(side).currentPair() != 0);
    m_findReplace->updateCommandStates();
}

bool WordTools::engineBusy() const { return blocks::readFlag(blocks::EngineBusy) != 0; }

int WordTools::askDictionaryDirection() { return askDirection(); }

std::optional<std::string> WordTools::userDictionary(int direction)
{
    const char* key = direction == DIRECTION_EJ ? "RELAYER/EJ" : "RELAYER/JE";
    std::string path(kDictionaryPathBytes, '\0');
    if (!GetRegStr_Engine(0, key, "DIC1", path.data(), kDictionaryPathBytes, "", direction))
        return std::nullopt;
    path.resize(path.find('\0'));
    return path;
}

bool WordTools::openRegistration(int direction, std::string_view cp932Word, std::string_view dictionary)
{
    CEngineLink& link = m_frame.documentLink(direction);
    link.SetCallback(nullptr, nullptr);
    return link.DicEdit(std::string(cp932Word).c_str(), std::string(dictionary).c_str()) != 0;
}

void WordTools::registrationFailed() { m_frame.flow().endWithoutRun(); }

int WordTools::runDirectionDialog()
{
    QDialog dialog(&m_frame);
    dialog.setWindowTitle(q("日英/英日の選択"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(q("作成する辞書の種類を指定します。"), &dialog));
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    int chosen = 0;
    for (const auto& [text, direction] : {std::pair{"英 → 日", int(DIRECTION_EJ)}, {"日 → 英", int(DIRECTION_JE)}}) {
        auto* b = new QPushButton(q(text), &dialog);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, &dialog, [&dialog, &chosen, direction = direction] {
            chosen = direction;
            dialog.accept();
        });
    }
    auto* cancel = new QPushButton(q("ｷｬﾝｾﾙ"), &dialog);
    row->addWidget(cancel);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return dialog.exec() == QDialog::Accepted ? chosen : 0;
}

} // namespace yv::trans
