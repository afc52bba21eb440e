// The general error handler; see error_handler_win32.h.
#include "platform/win32/error_handler_win32.h"

#include "platform/win32/win_api.h"

namespace dimmscope {
namespace win {
namespace {

std::string& Title() {
  static std::string title;
  return title;
}

}  // namespace

void SetApplicationTitle(const std::string& Text) { Title() = Text; }
const std::string& ApplicationTitle() { return Title(); }

void ShowException(const char* Message) {
  // A failure that repeats while its message is up (a timer tick every
  // second) would otherwise stack up one message box per tick.
  static bool showing = false;
  if (showing) return;
  showing = true;
  HWND owner = GetActiveWindow();
  MessageBoxA(owner, Message, Title().c_str(), MB_OK | MB_ICONERROR);
  showing = false;
}

}  // namespace win
}  // namespace dimmscope
