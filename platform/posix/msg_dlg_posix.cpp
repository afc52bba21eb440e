// Without a message box the message goes to standard error and the box's
// default answer (its first button) is taken.
#include <cstdio>

#include "dialogs/msg_dlg.h"

namespace dimmscope {

std::int32_t SystemMessageBox(TWindowHandle, const std::string& Text, const std::string& Caption, std::uint32_t Flags) {
  std::fprintf(stderr, "%s: %s\n", Caption.c_str(), Text.c_str());
  switch (Flags & 0xFu) {  // the button group
    case 0x3:              // Yes, No, Cancel
    case 0x4:              // Yes, No
      return AnswerYes;
    default: return AnswerOk;
  }
}

}  // namespace dimmscope
