// Memory status from GlobalMemoryStatusEx, the firmware's installed memory
// from GetPhysicallyInstalledSystemMemory.
#include "platform/win32/os_error_win32.h"
#include "platform/win32/system_library_win32.h"
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

std::optional<std::uint64_t> FirmwareInstalledBytes() {
  // Absent before Vista SP1: taken from kernel32 at run time, never imported.
  using TGetInstalled = BOOL(WINAPI*)(PULONGLONG);
  const auto getInstalled = LoadedModuleFunction<TGetInstalled>(L"kernel32.dll", "GetPhysicallyInstalledSystemMemory");
  ULONGLONG kilobytes = 0;
  // It fails where the firmware's tables are missing or malformed. Past
  // 2^54 KB the figure would not fit in bytes: no machine holds that.
  if (getInstalled == nullptr || !getInstalled(&kilobytes) || kilobytes == 0 || kilobytes >= (1ULL << 54)) {
    return std::nullopt;
  }
  return kilobytes * 1024;
}

}  // namespace dimmscope
