// The dictionary box with the reference engines: a handed-over word listed with its entries,
// and the program as one window that other programs find by its class.
#include "dictwindow.h"

#include <HandOver.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <enginetests.h>
#include <testhome.h>

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

using yv::testing::serveUntil;

using namespace yv;


class DictBox : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "dict_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);  // lives for the whole test program
        // What the engines derive from their dictionary is shared by the tests' engines.
        ::setenv("YORVANE_CACHE_DIR", ENGINE_CACHE_DIR, 1);
    }

    void SetUp() override
    {
        yv::testing::writeEngineProfiles(home);
    }

    void TearDown() override
    {
        yv::testing::closeEngines();
    }

    static bool handOver(dict::DictWindow& window, const std::string& utf8)
    {
        const auto block = blocks::TextBlockWriter::write(codec::utf8ToCp932(utf8));
        return block && window.handleMessage(messages::kHandOver, block->length(), 0) == 1;
    }

    static std::vector<std::string> column(const QTreeWidget& list, int index)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            texts.push_back(list.topLevelItem(i)->text(index).toStdString());
        return texts;
    }

    yv::testing::TestHome home;
};

TEST_F(DictBox, AHandedOverWordIsListedWithItsEntries)
{
    dict::DictWindow window;
    ASSERT_TRUE(handOver(window, "  book\r\nsecond line"));
    EXPECT_EQ(window.wordEdit()->text().toStdString(), "book");
    ASSERT_TRUE(serveUntil([&] { return window.entryList()->topLevelItemCount() > 0 && !window.lookingUp(); }));
    const auto translations = column(*window.entryList(), 0);
    EXPECT_EQ(translations.front(), "<book>");
    EXPECT_TRUE(window.entryList()->topLevelItem(0)->font(0).bold());
    EXPECT_NE(std::find(translations.begin(), translations.end(), "本"), translations.end());
    EXPECT_EQ(column(*window.entryList(), 2).back(), "edict");
    EXPECT_EQ(window.statusText().toStdString(), std::to_string(translations.size()) + " 件");

    // Japanese goes to the other engine.
    ASSERT_TRUE(handOver(window, "\u3000本"));
    ASSERT_TRUE(serveUntil([&] { return !window.lookingUp() && window.entryList()->topLevelItemCount() > 0
                                        && window.entryList()->topLevelItem(0)->text(0) == QStringLiteral("<本>"); }));
    const auto english = column(*window.entryList(), 0);
    EXPECT_NE(std::find(english.begin(), english.end(), "book"), english.end());

    // A word no dictionary holds.
    window.wordEdit()->setText(QStringLiteral("zzqxv"));
    window.lookUp();
    ASSERT_TRUE(serveUntil([&] { return !window.lookingUp(); }));
    EXPECT_EQ(window.entryList()->topLevelItemCount(), 0);
    EXPECT_EQ(window.statusText().toStdString(), "辞書に見つかりませんでした。");

    // A hand-over whose block is gone is refused.
    EXPECT_EQ(window.handleMessage(messages::kHandOver, blocks::kTextBlockSize + 1, 0), 0);
}

TEST_F(DictBox, TheProgramIsOneWindowFoundByItsClass)
{
    QProcess first;
    first.start(QStringLiteral(DICT_PROGRAM), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kDictClass).has_value(); }, 20000));
    EXPECT_EQ(handover::sendText(messages::kDictClass, "book", messages::kHandOver, 0), handover::Result::Delivered);
    // The look-up brings up the engine (which the test closes at its end).
    EXPECT_TRUE(serveUntil([] { return bus::findWindow(messages::kEngineEjClass).has_value(); }));

    QProcess second;
    second.start(QStringLiteral(DICT_PROGRAM), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(bus::sendMessage(messages::kDictClass, messages::kComeToFront, 0, 0), std::optional<std::int64_t>(1));

    bus::postMessage(messages::kDictClass, messages::kWmClose, 0, 0);
    EXPECT_TRUE(first.waitForFinished(20000));
}

} // namespace
