// The message box's two code tables: button flags, icon flags and captions.
#include "dialogs/msg_dlg.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

TEST(MessageBoxStyle, ButtonsCodes) {
  EXPECT_EQ(MessageBoxStyle(ButtonsOk, KindMessage).Flags, 0x0u);           // MB_OK
  EXPECT_EQ(MessageBoxStyle(ButtonsYesNo, KindMessage).Flags, 0x4u);        // MB_YESNO
  EXPECT_EQ(MessageBoxStyle(ButtonsYesNoCancel, KindMessage).Flags, 0x3u);  // MB_YESNOCANCEL
  EXPECT_EQ(MessageBoxStyle(ButtonsOkCancel, KindMessage).Flags, 0x1u);     // MB_OKCANCEL
  EXPECT_EQ(MessageBoxStyle(4, KindMessage).Flags, 0x0u);                   // only OK
  EXPECT_EQ(MessageBoxStyle(255, KindMessage).Flags, 0x0u);
}

TEST(MessageBoxStyle, KindCodes) {
  struct {
    std::uint8_t Kind;
    std::uint32_t Icon;
    const char* Caption;
  } const kinds[] = {
      {KindMessage, 0x00, "Message"},
      {KindWarning, 0x30, "Warning"},
      {KindError, 0x10, "Error"},
      {KindQuestion, 0x20, "Question"},
      {KindInformation, 0x40, "Information"},
      {5, 0x00, ""},
      {255, 0x00, ""},
  };
  for (const auto& kind : kinds) {
    const TMessageBoxStyle style = MessageBoxStyle(ButtonsOk, kind.Kind);
    EXPECT_EQ(style.Flags, kind.Icon) << int(kind.Kind);
    EXPECT_EQ(style.Caption, kind.Caption) << int(kind.Kind);
  }
}

TEST(MessageBoxStyle, ButtonAndIconFlagsCombine) {
  EXPECT_EQ(MessageBoxStyle(ButtonsYesNo, KindQuestion).Flags, 0x24u);
  EXPECT_EQ(MessageBoxStyle(ButtonsYesNoCancel, KindError).Flags, 0x13u);
  EXPECT_EQ(MessageBoxStyle(ButtonsOkCancel, KindInformation).Flags, 0x41u);
  EXPECT_EQ(MessageBoxStyle(ButtonsOkCancel, KindWarning).Flags, 0x31u);
  const TMessageBoxStyle odd = MessageBoxStyle(9, 9);
  EXPECT_EQ(odd.Flags, 0u);
  EXPECT_EQ(odd.Caption, "");
}

#ifndef _WIN32
// Without a message box the message is written to standard error and the
// first button is the answer.
TEST(ShowMessageBox, PosixWritesTheMessageAndTakesTheDefault) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(AskQuestion(nullptr, "Download Dimmscope 1.9?"), AnswerYes);
  EXPECT_EQ(ShowMessageBox(nullptr, "Saved.", ButtonsOk, KindInformation), AnswerOk);
  EXPECT_EQ(ShowMessageBox(nullptr, "Retry?", ButtonsOkCancel, KindWarning), AnswerOk);
  EXPECT_EQ(ShowMessageBox(nullptr, "Keep?", ButtonsYesNoCancel, KindQuestion), AnswerYes);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Question: Download Dimmscope 1.9?\nInformation: Saved.\nWarning: Retry?\nQuestion: Keep?\n");
}
#endif

}  // namespace
}  // namespace dimmscope
