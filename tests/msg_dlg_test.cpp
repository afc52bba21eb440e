// The message box's two code tables (button flags, icon flags and captions)
// and, without a message box, the text on standard error.
#include "dialogs/msg_dlg.h"

#include <gtest/gtest.h>

#include "tests/case_table.h"

namespace dimmscope {
namespace {

TEST(MessageBoxStyle, Table) {
  for (const auto& c : testing::CaseTable("message_box.txt")) {
    const auto style =
        MessageBoxStyle(static_cast<std::uint8_t>(std::stoi(c[0])), static_cast<std::uint8_t>(std::stoi(c[1])));
    EXPECT_EQ(style.Flags, std::stoul(c[2], nullptr, 16)) << c.Where;
    EXPECT_EQ(style.Caption, c.Fields.back()) << c.Where;
  }
}

#ifndef _WIN32
// Without a message box the message goes to standard error and the first
// button is the answer.
TEST(ShowMessageBox, PosixWritesTheMessageAndTakesTheDefault) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(AskQuestion(nullptr, "Download Dimmscope 1.9?"), AnswerYes);
  EXPECT_EQ(ShowMessageBox(nullptr, "Saved.", ButtonsOk, KindInformation), AnswerOk);
  EXPECT_EQ(ShowMessageBox(nullptr, "Retry?", ButtonsOkCancel, KindWarning), AnswerOk);
  EXPECT_EQ(ShowMessageBox(nullptr, "Keep?", ButtonsYesNoCancel, KindQuestion), AnswerYes);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Question: Download Dimmscope 1.9?\nInformation: Saved.\nWarning: Retry?\nQuestion: Keep?\n");
}
#endif

}  // namespace
}  // namespace dimmscope
