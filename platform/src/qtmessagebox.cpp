// Message boxes as QMessageBox dialogs, with the Windows button and icon numbering mapped.
#include <platform/qtmessagebox.h>

#include <platform/messagebox.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMetaObject>
#include <QString>
#include <QThread>
#include <QTranslator>
#include <QWidget>

namespace yv::msgbox {

namespace {

QMessageBox::StandardButton toQt(int answer)
{
    switch (answer) {
    case IdOk: return QMessageBox::Ok;
    case IdCancel: return QMessageBox::Cancel;
    case IdAbort: return QMessageBox::Abort;
    case IdRetry: return QMessageBox::Retry;
    case IdIgnore: return QMessageBox::Ignore;
    case IdYes: return QMessageBox::Yes;
    case IdNo: return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

int fromQt(int button, unsigned style)
{
    switch (button) {
    case QMessageBox::Ok: return IdOk;
    case QMessageBox::Cancel: return IdCancel;
    case QMessageBox::Abort: return IdAbort;
    case QMessageBox::Retry: return IdRetry;
    case QMessageBox::Ignore: return IdIgnore;
    case QMessageBox::Yes: return IdYes;
    case QMessageBox::No: return IdNo;
    }
    // Closed with Esc or the title bar: Cancel where there is one, else the default.
    const unsigned buttons = style & ButtonMask;
    return (buttons == OkCancel || buttons == YesNoCancel || buttons == RetryCancel)
               ? IdCancel
               : defaultAnswer(style);
}

QMessageBox::Icon iconOf(unsigned style)
{
    switch (style & IconMask) {
    case IconError: return QMessageBox::Critical;
    case IconQuestion: return QMessageBox::Question;
    case IconExclamation: return QMessageBox::Warning;
    case IconInformation: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(unsigned style)
{
    switch (style & ButtonMask) {
    case OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case YesNo: return QMessageBox::Yes | QMessageBox::No;
    case RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QWidget* ownerWidget(std::uint64_t owner)
{
    if (owner == 0)
        return QApplication::activeWindow();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isWindow() && static_cast<std::uint64_t>(w->winId()) == owner)
            return w;
    }
    return QApplication::activeWindow();
}

int showOnGuiThread(std::uint64_t owner, unsigned style, const QString& text, const QString& caption)
{
    QMessageBox box(iconOf(style), caption, text, buttonsOf(style), ownerWidget(owner));
    box.setDefaultButton(toQt(defaultAnswer(style)));
    return fromQt(box.exec(), style);
}

class QtPresenter final : public Presenter {
public:
    int show(std::uint64_t owner, unsigned style, std::string_view text, std::string_view caption) override
    {
        const QString qText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        const QString qCaption = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
        auto* app = QApplication::instance();
        if (!app)
            return defaultAnswer(style);
        if (QThread::currentThread() == app->thread())
            return showOnGuiThread(owner, style, qText, qCaption);
        int answer = defaultAnswer(style);
        QMetaObject::invokeMethod(app, [&] { answer = showOnGuiThread(owner, style, qText, qCaption); },
                                  Qt::BlockingQueuedConnection);
        return answer;
    }
};

} // namespace

void installQtPresenter()
{
    static QtPresenter presenter;
    setPresenter(&presenter);
    // The suite speaks Japanese whatever the desktop's language; without the translation
    // files Qt's English texts remain.
    static QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

} // namespace yv::msgbox
