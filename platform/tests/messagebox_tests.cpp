// The message seam: default answers and the presenter chain.
#include <platform/messagebox.h>

#include <testhome.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::msgbox;

TEST(MessageBox, DefaultAnswerFollowsTheStyle)
{
    EXPECT_EQ(defaultAnswer(Ok), IdOk);
    EXPECT_EQ(defaultAnswer(YesNoCancel | IconQuestion), IdYes);
    EXPECT_EQ(defaultAnswer(YesNoCancel | DefaultButton3), IdCancel);
    EXPECT_EQ(defaultAnswer(YesNo | DefaultButton2), IdNo);
    EXPECT_EQ(defaultAnswer(OkCancel | DefaultButton2), IdCancel);
    EXPECT_EQ(defaultAnswer(0xE), IdOk);  // unknown button set
}

TEST(MessageBox, RecorderSeesEveryBoxAndStandardErrorIsTheFallback)
{
    {
        yv::testing::RecordingPresenter recorder;
        recorder.answers.push_back(IdNo);
        EXPECT_EQ(show(5, YesNo, "消しますか?"), IdNo);
        EXPECT_EQ(show(0, Ok, "x", "other"), IdOk);
        ASSERT_EQ(recorder.messages.size(), 2u);
        EXPECT_EQ(recorder.messages[0].caption, "Yorvane5");
        EXPECT_EQ(recorder.messages[1].caption, "other");
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(show(0, OkCancel, "ﾌｧｲﾙがありません"), IdOk);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Yorvane5: ﾌｧｲﾙがありません\n");
}

} // namespace
