// A box window over a small store, offscreen, with every message box recorded and the editor
// and the file dialog answered by the test.
#pragma once

#include "folderviews.h"
#include "mainframe.h"
#include "searchviews.h"

#include <storefixture.h>

#include <Etc.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace yv::samplebox::testing {

using namespace yv::examplestore;
using namespace yv::examplestore::testing;

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "samplewindow_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* const app = new QApplication(argc, argv);
    Q_UNUSED(app);
}

// 例文(1) { ごみ箱(0), A(2) { A1(3) }, B(4), NoDir { C(5) } }, with two documents in A and
// one in B, indexed.
class SampleWindow : public StoreFixture {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        writeDocument(2, 1, {"Weather", "", "It rains every day.", "毎日雨が降る。"});
        writeDocument(2, 2, {"Morning", "", "Good morning.", "おはようございます。"});
        writeDocument(4, 3, {"Trains", "", "The train is late every day.", "電車は毎日遅れる。"});
        {
            SampleStore store(dataDir);
            ASSERT_TRUE(store.rebuildIndex(IndexKind::Shipped));
        }
        frame = std::make_unique<CMainFrame>(dataDir);
        frame->startEditor = [this](const std::vector<std::string>& command) {
            started.push_back(command);
            return true;
        };
        frame->chooseFiles = [this] { return chosen; };
        frame->show();
        QApplication::processEvents();
    }

    void TearDown() override
    {
        frame.reset();
    }

    NodeId nodeOf(int number) { return frame->store().tree().findByNumber(number); }
    void select(int number)
    {
        frame->tree().selectNode(nodeOf(number));
        QApplication::processEvents();
    }
    QStringList listNames()
    {
        QStringList names;
        for (const ListEntry& entry : frame->list().entries())
            names << QString::fromStdString(entry.name);
        return names;
    }
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (const auto& m : presenter.messages)
            out.push_back(m.text);
        return out;
    }
    // Runs the deferred work of a drop or a message (its questions and refusals).
    static void settle() { QTest::qWait(20); }

    bool search(const QString& key)
    {
        QSignalSpy done(frame.get(), &CMainFrame::searchFinished);
        frame->keyEntry().setCurrentText(key);
        frame->searchCommand();
        return done.wait(20000);
    }

    // A drop as the desktop or the views deliver it, at the centre of a row.
    static void drop(QAbstractItemView& view, QTreeWidgetItem* item, std::unique_ptr<QMimeData> owned)
    {
        QMimeData* mime = owned.get();
        auto* tree = static_cast<QTreeWidget*>(&view);
        const QPoint at = item ? tree->visualItemRect(item).center() : QPoint(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        QDropEvent event(QPointF(at), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
        settle();
    }
    static std::unique_ptr<QMimeData> fileUrls(const std::vector<std::filesystem::path>& files)
    {
        auto mime = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const auto& file : files)
            urls << QUrl::fromLocalFile(QString::fromStdString(file.string()));
        mime->setUrls(urls);
        return mime;
    }

    yv::testing::RecordingPresenter presenter;
    std::unique_ptr<CMainFrame> frame;
    std::vector<std::vector<std::string>> started;
    std::vector<std::filesystem::path> chosen;
};

} // namespace yv::samplebox::testing
