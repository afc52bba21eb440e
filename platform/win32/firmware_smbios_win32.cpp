// The firmware's raw SMBIOS data on Windows, for when WMI cannot answer.
// GetSystemFirmwareTable is taken from kernel32 at run time: it exists from
// Vista on, and older systems simply have no such fallback.
#include <string>

#include "platform/win32/system_library_win32.h"
#include "platform/win32/win_api.h"
#include "wmi/platform_provider.h"

namespace dimmscope {
namespace {

using TGetSystemFirmwareTable = UINT(WINAPI*)(DWORD, DWORD, PVOID, DWORD);

// The provider signature 'RSMB', as the call expects it (the characters in
// this order from the most significant byte).
constexpr DWORD kRawSmbios = 0x52534D42;
// The data is a few kilobytes; a larger answer is not SMBIOS data.
constexpr UINT kMaxDataBytes = 16u << 20;

std::string ReadRawSmbios(TGetSystemFirmwareTable getTable) {
  UINT size = getTable(kRawSmbios, 0, nullptr, 0);
  DWORD error = size == 0 ? GetLastError() : 0;
  // The table is fixed while the system runs, but the size is asked again
  // should it ever grow between two calls.
  for (int attempt = 0; attempt < 3 && size != 0; ++attempt) {
    if (size > kMaxDataBytes) throw EInventoryError("the firmware tables are too large to be SMBIOS data");
    std::string data(size, '\0');
    const UINT got = getTable(kRawSmbios, 0, &data[0], size);
    if (got != 0 && got <= size) {
      data.resize(got);
      return data;
    }
    error = got == 0 ? GetLastError() : 0;
    size = got;
  }
  if (size == 0)
    throw EInventoryError("the firmware tables cannot be read (system error " + std::to_string(error) + ")");
  throw EInventoryError("the firmware tables cannot be read: their size keeps changing");
}

}  // namespace

TFirmwareSmbiosReader PlatformFirmwareSmbiosReader() {
  const auto getTable = LoadedModuleFunction<TGetSystemFirmwareTable>(L"kernel32.dll", "GetSystemFirmwareTable");
  if (getTable == nullptr) return nullptr;
  return [getTable] { return ReadRawSmbios(getTable); };
}

}  // namespace dimmscope
