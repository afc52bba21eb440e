// The physical memory figures the main window's timer shows every second.
#pragma once

#include <cstdint>

namespace dimmscope {

struct TMemoryStatus {
  std::uint32_t MemoryLoad = 0;  // percent of physical memory in use, 0 to 100
  std::uint64_t TotalPhys = 0;   // bytes
  std::uint64_t AvailPhys = 0;   // bytes
};

// The system's current memory status. Throws std::runtime_error carrying the
// system's message when the system cannot tell.
TMemoryStatus GetMemoryStatus();

}  // namespace dimmscope
