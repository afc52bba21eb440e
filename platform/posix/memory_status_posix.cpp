// Memory status from /proc/meminfo (kilobyte figures), for the native build.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "support/memory_status.h"

namespace dimmscope {

TMemoryStatus GetMemoryStatus() {
  std::ifstream file("/proc/meminfo");
  if (!file) throw std::runtime_error(std::string("/proc/meminfo: ") + std::strerror(errno));
  std::uint64_t totalKB = 0, availKB = 0, freeKB = 0;
  bool haveAvail = false;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string name;
    std::uint64_t value = 0;
    if (!(fields >> name >> value)) continue;
    if (name == "MemTotal:") totalKB = value;
    if (name == "MemFree:") freeKB = value;
    if (name == "MemAvailable:") {
      availKB = value;
      haveAvail = true;
    }
  }
  if (totalKB == 0) throw std::runtime_error("/proc/meminfo gives no MemTotal");
  if (!haveAvail) availKB = freeKB;  // kernels before 3.14
  if (availKB > totalKB) availKB = totalKB;
  TMemoryStatus status;
  status.TotalPhys = totalKB * 1024;
  status.AvailPhys = availKB * 1024;
  status.MemoryLoad = static_cast<std::uint32_t>(
      std::lround(100.0 * static_cast<double>(totalKB - availKB) / static_cast<double>(totalKB)));
  return status;
}

// Linux keeps no firmware figure of installed memory apart from the SMBIOS
// tables the scan reads already.
std::optional<std::uint64_t> FirmwareInstalledBytes() { return std::nullopt; }

}  // namespace dimmscope
