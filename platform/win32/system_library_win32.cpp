// Loading a DLL by its full name in the system folder.
#include "platform/win32/system_library_win32.h"

#include <string>

namespace dimmscope {

TSystemLibrary::TSystemLibrary(const wchar_t* FileName) {
  // The search flag needs Windows 8, or Windows 7 with update KB2533623;
  // without it the call fails with ERROR_INVALID_PARAMETER.
  module_ = LoadLibraryExW(FileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module_ != nullptr) return;
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  path += FileName;
  // A full path is taken as it is, and the altered search order makes the
  // library's own dependencies come from its folder too.
  module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

TSystemLibrary::~TSystemLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

}  // namespace dimmscope
