// The conversion progress window of the toolbox.
#include "conversionprogress.h"

#include <SharedBlocks.h>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace yv::toolbox {

namespace {

constexpr int kComplete = 100;
// How often an open window checks that the job it shows still holds the engine.
constexpr int kBusyWatchMs = 500;

} // namespace

ConversionProgress::ConversionProgress()
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("翻訳中..."));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kComplete);
    m_bar->setMinimumWidth(260);
    layout->addWidget(m_bar);
    auto* row = new QHBoxLayout;
    row->addStretch();
    m_stop = new QPushButton(QStringLiteral("中止"), this);
    m_stop->setFocusPolicy(Qt::NoFocus);
    row->addWidget(m_stop);
    layout->addLayout(row);
    connect(m_stop, &QPushButton::clicked, this, &ConversionProgress::stopRequested);
    adjustSize();
    setFixedSize(size());
}

void ConversionProgress::report(long long percent)
{
    m_bar->setValue(static_cast<int>(std::clamp<long long>(percent, 0, kComplete)));
    if (percent >= kComplete) {
        finish();
        return;
    }
    if (!isVisible())
        show();
    if (m_watch == 0)
        m_watch = startTimer(kBusyWatchMs);
}

void ConversionProgress::finish()
{
    if (m_watch != 0) {
        killTimer(m_watch);
        m_watch = 0;
    }
    hide();
}

int ConversionProgress::value() const
{
    return m_bar->value();
}

void ConversionProgress::closeEvent(QCloseEvent* event)
{
    // Closed by the user while the job runs: that is a stop.
    event->ignore();
    emit stopRequested();
}

void ConversionProgress::timerEvent(QTimerEvent* event)
{
    // A job that ended without a last report (or whose program went away) leaves nothing to show.
    if (event->timerId() == m_watch && blocks::readFlag(blocks::EngineBusy) == 0)
        finish();
}

} // namespace yv::toolbox
