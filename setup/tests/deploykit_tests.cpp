// The exports as an installer calls them: the progress window while the copy runs, and the
// results.
#include "deploykit.h"

#include <testhome.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(Deploykit, CopyShowsItsProgressWindowAndTheExportsAnswerAsInstallersExpect)
{
    static int argc = 1;
    static char name[] = "deploykit_tests";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    yv::testing::TestHome home;
    for (int i = 0; i < 20; ++i)
        home.writeFile("cd/manual/page" + std::to_string(i) + ".html", std::string(1000, 'x'));
    fs::create_directories(home.dir() / "cd/setup");

    // Looked at from inside the copy, which serves events between entries.
    QString shownText;
    int shownMaximum = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<QDialog*>(widget) && widget->isVisible()) {
                if (const auto* label = widget->findChildren<QLabel*>().value(1))
                    shownText = label->text();
                if (const auto* bar = widget->findChild<QProgressBar*>())
                    shownMaximum = bar->maximum();
            }
        }
    });
    EXPECT_EQ(AllDirCopy((home.dir() / "cd/setup").c_str(), (home.dir() / "app").c_str()), 0);
    EXPECT_EQ(shownText, QStringLiteral("電子ﾏﾆｭｱﾙのｲﾝｽﾄｰﾙ中。\nお待ちください..."));
    EXPECT_EQ(shownMaximum, 100);
    EXPECT_TRUE(fs::exists(home.dir() / "app/manual/page19.html"));
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << "the progress window is gone after the copy";

    EXPECT_EQ(SetSecurity((home.dir() / "app/manual").c_str()), 1);
    EXPECT_EQ(SetSecurity((home.dir() / "missing").c_str()), 0);
    EXPECT_EQ(SetSecurity(nullptr), 0);

    EXPECT_EQ(AllDirRemove((home.dir() / "app").c_str()), 0);
    EXPECT_FALSE(fs::exists(home.dir() / "app/manual"));
    EXPECT_TRUE(fs::exists(home.dir() / "cd/manual/page0.html"));
    EXPECT_EQ(AllDirCopy(nullptr, "x"), 0);
    EXPECT_EQ(AllDirRemove(nullptr), 0);
}

} // namespace
