// The Qt presenter: styles become the right dialog, and the pressed button comes back.
#include <platform/messagebox.h>
#include <platform/qtmessagebox.h>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

using namespace yv::msgbox;

// Presses `button` on the message box once it is up, noting what the box looked like.
struct Presser {
    QMessageBox::StandardButton button;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;

    void arm()
    {
        QTimer::singleShot(0, [this] { poll(); });
    }
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(5, [this] { poll(); });
            return;
        }
        caption = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        if (box->defaultButton())
            defaultButton = box->standardButton(box->defaultButton());
        box->button(button)->click();
    }
};

class QtMessageBox : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "qtmessagebox_tests";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
        installQtPresenter();
    }
    static void TearDownTestSuite() { setPresenter(nullptr); }
};

TEST_F(QtMessageBox, StyleAndAnswerMapping)
{
    Presser presser{QMessageBox::No, {}, {}, {}, {}};
    presser.arm();
    EXPECT_EQ(show(0, YesNoCancel | IconQuestion | DefaultButton2, "保存しますか?"), IdNo);
    EXPECT_EQ(presser.caption, "Yorvane5");
    EXPECT_EQ(presser.icon, QMessageBox::Question);
    EXPECT_EQ(presser.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(presser.defaultButton, QMessageBox::No);

    Presser ok{QMessageBox::Ok, {}, {}, {}, {}};
    ok.arm();
    EXPECT_EQ(show(0, Ok | IconExclamation, "x"), IdOk);
    EXPECT_EQ(ok.icon, QMessageBox::Warning);
}

TEST_F(QtMessageBox, WorkerThreadsAreServedOnTheGuiThread)
{
    Presser presser{QMessageBox::Retry, {}, {}, {}, {}};
    presser.arm();
    std::atomic<int> answer = 0;
    std::thread worker([&] { answer = show(0, RetryCancel, "from a worker"); });
    while (answer == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(answer, IdRetry);
}

} // namespace
