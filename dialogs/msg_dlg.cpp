// The two code tables of the message box and the calls built on them.
#include "dialogs/msg_dlg.h"

namespace dimmscope {
namespace {

// The system's flag values, written out so the table stays portable.
constexpr std::uint32_t kButtonFlags[] = {
    0x0,  // MB_OK
    0x4,  // MB_YESNO
    0x3,  // MB_YESNOCANCEL
    0x1,  // MB_OKCANCEL
};

struct TKind {
  const char* Caption;
  std::uint32_t IconFlag;
};
constexpr TKind kKinds[] = {
    {"Message", 0x00},      // no icon
    {"Warning", 0x30},      // MB_ICONWARNING
    {"Error", 0x10},        // MB_ICONERROR
    {"Question", 0x20},     // MB_ICONQUESTION
    {"Information", 0x40},  // MB_ICONINFORMATION
};

}  // namespace

TMessageBoxStyle MessageBoxStyle(std::uint8_t Buttons, std::uint8_t Kind) {
  TMessageBoxStyle style;
  if (Buttons < sizeof kButtonFlags / sizeof kButtonFlags[0]) style.Flags |= kButtonFlags[Buttons];
  if (Kind < sizeof kKinds / sizeof kKinds[0]) {
    style.Flags |= kKinds[Kind].IconFlag;
    style.Caption = kKinds[Kind].Caption;
  }
  return style;
}

std::int32_t ShowMessageBox(TWindowHandle Owner, const std::string& Text, std::uint8_t Buttons, std::uint8_t Kind) {
  const TMessageBoxStyle style = MessageBoxStyle(Buttons, Kind);
  return SystemMessageBox(Owner, Text, style.Caption, style.Flags);
}

std::int32_t AskQuestion(TWindowHandle Owner, const std::string& Text) {
  return ShowMessageBox(Owner, Text, ButtonsYesNo, KindQuestion);
}

}  // namespace dimmscope
