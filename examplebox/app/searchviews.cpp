// The search views and the search worker.
#include "searchviews.h"

#include <platform/codec.h>

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>

namespace yv::samplebox {

namespace es = examplestore;

namespace {

// Progress reaches the window at most this often, however fast hits arrive.
constexpr qint64 kProgressIntervalMs = 40;

} // namespace

KeyEntry::KeyEntry(std::function<QStringList()> history, QWidget* parent)
    : QComboBox(parent)
    , m_history(std::move(history))
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMinimumContentsLength(24);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void KeyEntry::showPopup()
{
    const QString current = currentText();
    clear();
    addItems(m_history());
    setCurrentText(current);
    QComboBox::showPopup();
}

CSearchListView::CSearchListView(QWidget* parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setColumnCount(2);
    setHeaderLabels({QString::fromUtf8("書式内容"), QString::fromUtf8("ﾌｫﾙﾀﾞ名")});
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { emit opened(indexOfTopLevelItem(item)); });
}

void CSearchListView::load(const std::vector<es::ResultRow>& rows)
{
    m_rows = rows;
    clear();
    for (const es::ResultRow& row : m_rows)
        new QTreeWidgetItem(this, {QString::fromStdString(row.title), QString::fromStdString(row.folderName)});
}

CMyEditView::CMyEditView(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setWrapping(false);
}

void CMyEditView::setResultText(const std::string& sjis)
{
    m_sjis = sjis;
    QString text = QString::fromStdString(codec::cp932ToUtf8(sjis));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(text);
}

void CMyEditView::setWrapping(bool on)
{
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

SearchWorker::SearchWorker(std::filesystem::path dataDir)
    : m_session(std::move(dataDir))
{
}

SearchWorker::~SearchWorker() = default;

void SearchWorker::search(const QString& key, bool markKey, const es::FolderNames& folders)
{
    QElapsedTimer sinceReport;
    sinceReport.start();
    const auto report = [&](int percent) {
        if (sinceReport.elapsed() >= kProgressIntervalMs) {
            sinceReport.restart();
            emit progress(percent);
        }
    };
    const es::SearchResult result =
        es::searchExamples(m_session, folders, codec::utf8ToCp932(key.toStdString()), markKey, report, &m_stop);
    emit finished(result, key);
}

void SearchWorker::release()
{
    m_session.release();
}

int SearchWorker::opens()
{
    return m_session.opens();
}

} // namespace yv::samplebox
