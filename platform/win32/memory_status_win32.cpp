// Memory status from GlobalMemoryStatusEx.
#include <stdexcept>
#include <string>

#include "platform/win32/win_api.h"
#include "support/memory_status.h"

namespace dimmscope {
namespace {

std::string SystemMessage(DWORD code) {
  char* buffer = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = "System Error.  Code: " + std::to_string(code) + ".";
  return text;
}

}  // namespace

TMemoryStatus GetMemoryStatus() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);  // 64
  if (!GlobalMemoryStatusEx(&status)) throw std::runtime_error(SystemMessage(GetLastError()));
  TMemoryStatus result;
  result.MemoryLoad = status.dwMemoryLoad;
  result.TotalPhys = status.ullTotalPhys;
  result.AvailPhys = status.ullAvailPhys;
  return result;
}

}  // namespace dimmscope
