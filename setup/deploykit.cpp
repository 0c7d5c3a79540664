// The deploykit exports over the deploy core: trace lines to the suite's trace channel, and the
// copy's progress window when the calling program has a window system.
#include "deploykit.h"

#include <Etc.h>
#include <deploy/deploytree.h>

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace {

using namespace yv::deploy;

void trace(const std::string& line)
{
    TraceLine("%s", line.c_str());
}

void serveEvents()
{
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        QCoreApplication::processEvents();
}

// "電子ﾏﾆｭｱﾙのｲﾝｽﾄｰﾙ中。お待ちください..." with a bar from 0 to 100, owned by the
// installer's active window. Only a host with a widget application on this thread gets one.
std::unique_ptr<QDialog> makeProgressWindow(QProgressBar*& bar)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) ||
        QThread::currentThread() != QCoreApplication::instance()->thread())
        return nullptr;
    auto dialog = std::make_unique<QDialog>(QApplication::activeWindow(), Qt::Dialog | Qt::CustomizeWindowHint);
    dialog->setWindowTitle(QString());
    auto* icon = new QLabel(dialog.get());
    icon->setPixmap(dialog->style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(32, 32));
    auto* text = new QLabel(QStringLiteral("電子ﾏﾆｭｱﾙのｲﾝｽﾄｰﾙ中。\nお待ちください..."), dialog.get());
    bar = new QProgressBar(dialog.get());
    bar->setRange(0, 100);
    bar->setValue(0);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(dialog.get());
    layout->addLayout(row);
    layout->addWidget(bar);
    dialog->setModal(false);
    dialog->show();
    serveEvents();
    dialog->repaint();
    serveEvents();
    return dialog;
}

} // namespace

extern "C" int AllDirCopy(const char* source, const char* destination)
{
    if (!source || !destination)
        return 0;
    QProgressBar* bar = nullptr;
    const std::unique_ptr<QDialog> window = makeProgressWindow(bar);
    Sinks sinks;
    sinks.trace = trace;
    sinks.idle = serveEvents;
    sinks.progress = [bar](int percent) {
        if (bar)
            bar->setValue(percent);
    };
    copyManualTree(source, destination, sinks);
    return 0;
}

extern "C" int AllDirRemove(const char* path)
{
    if (!path)
        return 0;
    Sinks sinks;
    sinks.trace = trace;
    sinks.idle = serveEvents;
    removeManualTree(path, sinks);
    return 0;
}

extern "C" int SetSecurity(const char* path)
{
    if (!path)
        return 0;
    return openToEveryone(path, trace) == SecurityResult::Granted ? 1 : 0;
}
