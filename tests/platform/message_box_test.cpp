/** @file Tests of message box routing. */
#include "platform/message_box/message_box.h"

#include <gtest/gtest.h>

TEST(MessageBox, GoesToTheInstalledSinkThenBackToStderr)
{
    platform::RecordingMessageBoxSink sink;
    {
        platform::ScopedMessageBoxSink scoped(sink);
        EXPECT_EQ(platform::showMessageBox("MMF Error", "Failed to open mmf a: Error 2.", platform::BoxIcon::Error), 1);
        sink.setAnswer(2);
        EXPECT_EQ(platform::showMessageBox("Note", "second"), 2);
    }
    const auto boxes = sink.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "MMF Error");
    EXPECT_EQ(boxes[0].text, "Failed to open mmf a: Error 2.");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(boxes[1].icon, platform::BoxIcon::None);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(platform::showMessageBox("Caption", "the text"), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Caption: the text\n");
    EXPECT_EQ(sink.count(), 2u);
}
