// The progress dialog and the finished note of the add-in.
#include "requestdialogs.h"

#include <platform/messagebox.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace yv::addin {

namespace {

const QString kProgressTitle = QStringLiteral("翻訳中...");
const QString kCancelText = QStringLiteral("中止");
const QString kFinishedText = QStringLiteral("翻訳が終了しました。「貼り付け」等で貼り付けることが出来ます。");
const QString kDontShowAgainText = QStringLiteral("今後、このメッセージを表示しない。");

} // namespace

ProgressDialog::ProgressDialog()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
    , m_bar(new QProgressBar(this))
{
    setWindowTitle(kProgressTitle);
    setObjectName(QStringLiteral("progress205"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(260);
    auto* cancel = new QPushButton(kCancelText, this);
    connect(cancel, &QPushButton::clicked, this, &ProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kProgressTitle, this));
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
}

void ProgressDialog::setPercent(int percent)
{
    m_bar->setValue(percent);
}

void ProgressDialog::reject()
{
    // The request notices the flag in its wait and closes the dialog itself.
    m_cancelRequested = true;
}

FinishedNote::FinishedNote()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , m_box(new QCheckBox(kDontShowAgainText, this))
{
    setWindowTitle(QString::fromUtf8(msgbox::kProductCaption.data(), qsizetype(msgbox::kProductCaption.size())));
    setObjectName(QStringLiteral("note207"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kFinishedText, this));
    layout->addWidget(m_box);
    layout->addWidget(buttons);
}

bool FinishedNote::dontShowAgain() const
{
    return m_box->isChecked();
}

DialogRequestView::DialogRequestView() = default;
DialogRequestView::~DialogRequestView() = default;

void DialogRequestView::showProgress()
{
    m_progress = std::make_unique<ProgressDialog>();
    m_progress->show();
    m_progress->raise();
}

void DialogRequestView::setProgress(int percent)
{
    if (m_progress)
        m_progress->setPercent(percent);
}

bool DialogRequestView::cancelRequested() const
{
    return m_progress && m_progress->cancelRequested();
}

void DialogRequestView::closeProgress()
{
    m_progress.reset();
}

bool DialogRequestView::showFinishedNote()
{
    FinishedNote note;
    note.exec();
    // The box counts only when OK closes the note.
    return note.result() == QDialog::Accepted && note.dontShowAgain();
}

} // namespace yv::addin
