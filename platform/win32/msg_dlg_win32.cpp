// The Windows message box.
#include "dialogs/msg_dlg.h"
#include "platform/win32/win_api.h"

namespace dimmscope {

std::int32_t SystemMessageBox(TWindowHandle Owner, const std::string& Text, const std::string& Caption,
                              std::uint32_t Flags) {
  const int answer = MessageBoxA(static_cast<HWND>(Owner), Text.c_str(), Caption.c_str(), Flags);
  // Windows says 0 when the box could not be shown; Wine passes on the
  // dialog's -1. Callers see one failure value.
  return answer > 0 ? answer : 0;
}

}  // namespace dimmscope
