// The editor window's test fixtures: a shown window in a test home with recorded message boxes
// and a scripted save dialog, and the same window beside the reference engines.
#pragma once

#include "mainwindow.h"
#include "transtests.h"

#include <enginetests.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QTest>

#include <memory>

namespace yv::testing {

class TransWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        frame = std::make_unique<trans::CMainFrame>();
        frame->saveAsDialog = [this]() -> std::optional<editor::SaveAsChoice> {
            ++saveDialogs;
            if (saveChoice.path.empty())
                return std::nullopt;
            return saveChoice;
        };
        frame->show();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        frame->view(editor::Side::Source).setFocus();
    }

    void type(const char* text) { QTest::keyClicks(&frame->view(editor::Side::Source), QString::fromLatin1(text)); }

    TestHome home;
    RecordingPresenter presenter;
    std::unique_ptr<trans::CMainFrame> frame;
    editor::SaveAsChoice saveChoice;
    int saveDialogs = 0;
};

// Through the reference engine: a whole run from the translate command to the end mark.
class TransProgram : public TransWindow {
protected:
    static void SetUpTestSuite()
    {
        useReferenceEngines(ENGINE_CACHE_DIR);
        ensureApplication();
    }

    void SetUp() override
    {
        writeEngineProfiles(home);
        TransWindow::SetUp();
    }

    void TearDown() override
    {
        frame.reset();
        closeEngines();
    }
};

} // namespace yv::testing
