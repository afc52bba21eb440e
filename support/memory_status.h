// The physical memory figures the main window's timer shows every second,
// and the memory the firmware reports installed, for the upgrade advice.
#pragma once

#include <cstdint>
#include <optional>

namespace dimmscope {

struct TMemoryStatus {
  std::uint32_t MemoryLoad = 0;  // percent of physical memory in use, 0 to 100
  std::uint64_t TotalPhys = 0;   // bytes
  std::uint64_t AvailPhys = 0;   // bytes
};

// The system's current memory status. Throws std::runtime_error carrying the
// system's message when the system cannot tell.
TMemoryStatus GetMemoryStatus();

// The memory the firmware reports installed, in bytes: on Windows
// GetPhysicallyInstalledSystemMemory (from Vista SP1 on, so looked up at run
// time); nothing where the system cannot tell, Linux included.
std::optional<std::uint64_t> FirmwareInstalledBytes();

}  // namespace dimmscope
