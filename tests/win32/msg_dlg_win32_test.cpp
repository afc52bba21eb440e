// The real message box: raised on a thread of its own, found by its class and
// caption as any other program would find it, inspected and answered.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "dialogs/msg_dlg.h"
#include "platform/win32/win_api.h"
#include "tests/win32/wine_gap.h"

namespace dimmscope {
namespace {

// The static control that holds a message box's text.
constexpr int kTextId = 0xFFFF;

// Runs one message box on its own thread; the destructor waits for it.
class TBoxThread {
 public:
  template <typename F>
  explicit TBoxThread(F Show) : thread_([this, Show] { result_ = Show(); }) {}
  ~TBoxThread() { Join(); }
  int Join() {
    if (thread_.joinable()) thread_.join();
    return result_;
  }
  bool Returned() const { return result_ != -1; }

 private:
  std::atomic<int> result_{-1};
  std::thread thread_;
};

// The box with this caption, waited for up to ten seconds or until the
// call returns without one.
HWND FindBox(const TBoxThread& Run, const char* Caption) {
  for (int i = 0; i < 500 && !Run.Returned(); ++i) {
    if (const HWND box = FindWindowA("#32770", Caption)) return box;
    Sleep(20);
  }
  return nullptr;
}

// Wine shows windows only on an X display; ctest runs these tests again as
// wine64.message_box under Xvfb (tests/wine/with_xvfb.sh).
bool WineWithoutDisplay() { return RunningUnderWine() && GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0; }

#define FIND_BOX_OR_STOP(box, run, caption)                                                        \
  const HWND box = FindBox(run, caption);                                                          \
  if (box == nullptr) {                                                                            \
    const int answer = run.Join();                                                                 \
    if (WineWithoutDisplay()) GTEST_SKIP() << "Wine has no X display here to show the box on";     \
    FAIL() << "no message box captioned " << caption << " appeared; the call returned " << answer; \
  }

std::string BoxText(HWND Box) {
  char text[256] = {};
  GetDlgItemTextA(Box, kTextId, text, sizeof text);
  return text;
}

void Press(HWND Box, int Button) {
  PostMessageA(Box, WM_COMMAND, MAKEWPARAM(Button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Box, Button)));
}

TEST(MessageBoxWin32, AskQuestionShowsYesAndNoAndReturnsTheChoice) {
  for (const int button : {IDYES, IDNO}) {
    TBoxThread run([] { return AskQuestion(nullptr, "Download Dimmscope 1.9?"); });
    FIND_BOX_OR_STOP(box, run, "Question");
    EXPECT_EQ(BoxText(box), "Download Dimmscope 1.9?");
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    Press(box, button);
    EXPECT_EQ(run.Join(), button == IDYES ? AnswerYes : AnswerNo);
  }
}

TEST(MessageBoxWin32, PlainMessageShowsOnlyOk) {
  TBoxThread run([] { return ShowMessageBox(nullptr, "Export saved.", ButtonsOk, KindMessage); });
  FIND_BOX_OR_STOP(box, run, "Message");
  EXPECT_EQ(BoxText(box), "Export saved.");
  const HWND ok = GetDlgItem(box, IDOK);
  EXPECT_NE(ok, nullptr);
  EXPECT_EQ(GetDlgItem(box, IDYES), nullptr);
  EXPECT_EQ(GetDlgItem(box, IDNO), nullptr);
  // A click on the button, as a user would give it.
  PostMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_EQ(run.Join(), AnswerOk);
}

TEST(MessageBoxWin32, OkCancelAnsweredCancel) {
  TBoxThread run([] { return ShowMessageBox(nullptr, "Retry the download?", ButtonsOkCancel, KindWarning); });
  FIND_BOX_OR_STOP(box, run, "Warning");
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
  Press(box, IDCANCEL);
  EXPECT_EQ(run.Join(), AnswerCancel);
}

}  // namespace
}  // namespace dimmscope
