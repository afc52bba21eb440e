// The one place the Windows conformance tests tolerate what Wine does not
// do as Windows does. Each use names the gap; on real Windows the test runs
// in full.
#pragma once

#include <gtest/gtest.h>

#include "platform/win32/win_api.h"

namespace dimmscope {

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace dimmscope

// Skips the rest of the test under Wine, saying which gap it met.
#define WineGap(reason)                                                            \
  do {                                                                             \
    if (::dimmscope::RunningUnderWine()) GTEST_SKIP() << "Wine gap: " << (reason); \
  } while (false)
