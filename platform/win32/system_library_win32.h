// DLLs that are not KnownDLLs are loaded at run time, and only from the
// system folder: an exe started from a Downloads folder must never pick up a
// planted netapi32.dll or version.dll lying beside it.
#pragma once

#include "platform/win32/win_api.h"

namespace dimmscope {

// Owns a module loaded from the system folder; empty when it could not be
// loaded (GetLastError tells why).
class TSystemLibrary {
 public:
  explicit TSystemLibrary(const wchar_t* FileName);
  ~TSystemLibrary();
  TSystemLibrary(const TSystemLibrary&) = delete;
  TSystemLibrary& operator=(const TSystemLibrary&) = delete;

  explicit operator bool() const { return module_ != nullptr; }
  HMODULE Get() const { return module_; }
  // The exported function `Name` as type `F`; null when absent.
  template <typename F>
  F Function(const char* Name) const {
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, Name)));
  }

 private:
  HMODULE module_ = nullptr;
};

// An export of an already loaded system module (kernel32, ntdll), resolved at
// run time because older systems lack it; null when absent.
template <typename F>
F LoadedModuleFunction(const wchar_t* Module, const char* Name) {
  const HMODULE module = GetModuleHandleW(Module);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, Name)));
}

}  // namespace dimmscope
