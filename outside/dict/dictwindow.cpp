// The dictionary box window.
#include "dictwindow.h"

#include <EngineLink.h>
#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <enginelink/lookupresult.h>
#include <platform/codec.h>
#include <platform/qtwindow.h>

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace yv::dict {

namespace {

// A hand-over may be a whole selection: the box looks up its first line, this long at most.
constexpr int kMaxWordCharacters = 128;

QString fromCp932(const std::string& cp932)
{
    return QString::fromStdString(codec::cp932ToUtf8(cp932));
}

// The first non-empty line of a handed-over text, blanks (ideographic ones too) around it dropped.
QString wordOf(const QString& text)
{
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\r\n]")))) {
        QString word = line;
        while (!word.isEmpty() && (word.front().isSpace() || word.front() == QChar(0x3000)))
            word.remove(0, 1);
        while (!word.isEmpty() && (word.back().isSpace() || word.back() == QChar(0x3000)))
            word.chop(1);
        if (!word.isEmpty())
            return word.left(kMaxWordCharacters);
    }
    return {};
}

} // namespace

DictWindow::DictWindow(QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("辞書引き - Yorvane5"));
    resize(460, 380);

    auto* label = new QLabel(QStringLiteral("見出し語(&W):"), this);
    m_word = new QLineEdit(this);
    label->setBuddy(m_word);
    m_search = new QPushButton(QStringLiteral("検索(&S)"), this);
    m_search->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_word, 1);
    row->addWidget(m_search);

    m_entries = new QTreeWidget(this);
    m_entries->setRootIsDecorated(false);
    m_entries->setHeaderLabels({QStringLiteral("訳語"), QStringLiteral("品詞"), QStringLiteral("辞書")});
    m_entries->header()->resizeSection(0, 220);
    m_entries->header()->resizeSection(1, 90);
    m_status = new QLabel(QStringLiteral("調べる語を入力してください。"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_entries, 1);
    layout->addWidget(m_status);

    connect(m_search, &QPushButton::clicked, this, &DictWindow::lookUp);
    connect(m_word, &QLineEdit::returnPressed, this, &DictWindow::lookUp);
}

DictWindow::~DictWindow() = default;

QString DictWindow::statusText() const
{
    return m_status->text();
}

std::int64_t DictWindow::handleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t)
{
    switch (message) {
    case messages::kHandOver: {
        const std::optional<std::string> text = handover::receiveText(wParam);
        if (!text)
            return 0;
        m_word->setText(wordOf(fromCp932(*text)));
        // Answer the sender at once: the engine may take a while to start.
        QTimer::singleShot(0, this, &DictWindow::lookUp);
        return 1;
    }
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

CEngineLink& DictWindow::linkFor(int direction)
{
    std::unique_ptr<CEngineLink>& link = direction == DIRECTION_JE ? m_linkJE : m_linkEJ;
    if (!link) {
        if (direction == DIRECTION_JE)
            link = std::make_unique<CEngineLink_JE>();
        else
            link = std::make_unique<CEngineLink_EJ>();
        link->Init(nullptr);
    }
    return *link;
}

void DictWindow::lookUp()
{
    // The engine link serves events while it waits for the engine: a look-up asked for meanwhile
    // runs after this one, never inside it.
    if (m_inDicRead) {
        QTimer::singleShot(0, this, &DictWindow::lookUp);
        return;
    }
    const QString word = wordOf(m_word->text());
    if (word.isEmpty())
        return;
    const std::string cp932 = codec::utf8ToCp932(word.toStdString());
    const int direction = GetDirection(cp932.c_str()) == DIRECTION_JE ? DIRECTION_JE : DIRECTION_EJ;
    CEngineLink& link = linkFor(direction);
    m_entries->clear();
    m_status->setText(QStringLiteral("検索中..."));
    link.SetCallback(&DictWindow::onEntries, this);
    m_inDicRead = true;
    const int sent = link.DicRead(cp932.c_str(), "0");
    m_inDicRead = false;
    if (!sent) {
        m_status->setText(direction == DIRECTION_JE ? QStringLiteral("日英翻訳エンジンに接続できません。")
                                                    : QStringLiteral("英日翻訳エンジンに接続できません。"));
        return;
    }
    ++m_pending;
}

int DictWindow::onEntries(const char* result, void* context)
{
    auto* self = static_cast<DictWindow*>(context);
    if (self->m_pending > 0)
        --self->m_pending;
    // Ending a conversation that a look-up in progress still uses would pull it from under it.
    if (!self->m_inDicRead) {
        for (CEngineLink* link : {self->m_linkEJ.get(), self->m_linkJE.get()}) {
            if (link)
                link->DC_DicRead();
        }
    }
    // An answer to an earlier word that a newer look-up has overtaken is not shown.
    if (self->m_pending == 0)
        self->showEntries(result ? std::string(result) : std::string());
    return 0;
}

void DictWindow::showEntries(const std::string& cp932Result)
{
    m_entries->clear();
    const enginelink::LookUpResult parsed = enginelink::parseLookUp(cp932Result);
    for (const enginelink::LookUpRow& row : parsed.rows) {
        auto* item = new QTreeWidgetItem(m_entries, {fromCp932(row.translation), fromCp932(row.partOfSpeech),
                                                     fromCp932(row.dictionary)});
        if (row.headword) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
        }
    }
    m_status->setText(parsed.entries == 0 ? QStringLiteral("辞書に見つかりませんでした。")
                                          : QStringLiteral("%1 件").arg(parsed.rows.size()));
}

} // namespace yv::dict
