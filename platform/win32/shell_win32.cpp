// The shell's open operation. The path goes to the shell in UTF-16, so files
// in folders outside the ANSI code page open too.
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/shell.h"

namespace dimmscope {

namespace {

bool Execute(const std::string& Target, ULONG Mask) {
  const std::wstring target = Utf8ToWide(Target);
  if (target.empty()) return false;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = Mask;
  info.lpFile = target.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

}  // namespace

// 0x600: environment variables in the name are expanded, and the shell shows
// no error message of its own.
bool ShellOpen(const std::string& Target) { return Execute(Target, SEE_MASK_DOENVSUBST | SEE_MASK_FLAG_NO_UI); }

bool ShellOpenAsIs(const std::string& Address) { return Execute(Address, SEE_MASK_FLAG_NO_UI); }

}  // namespace dimmscope
