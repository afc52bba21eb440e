// Memory status from GlobalMemoryStatusEx.
#include "platform/win32/os_error_win32.h"
#include "platform/win32/win_api.h"
#include "support/memory_status.h"

namespace dimmscope {

TMemoryStatus GetMemoryStatus() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);  // 64
  if (!GlobalMemoryStatusEx(&status)) ThrowLastOSError();
  TMemoryStatus result;
  result.MemoryLoad = status.dwMemoryLoad;
  result.TotalPhys = status.ullTotalPhys;
  result.AvailPhys = status.ullAvailPhys;
  return result;
}

}  // namespace dimmscope
