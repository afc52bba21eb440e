// The system's memory status, as the main window's timer reads it.
#include "support/memory_status.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

TEST(MemoryStatus, ReportsConsistentFigures) {
  const TMemoryStatus status = GetMemoryStatus();
  EXPECT_GT(status.TotalPhys, 0u);
  EXPECT_LE(status.AvailPhys, status.TotalPhys);
  EXPECT_LE(status.MemoryLoad, 100u);
}

}  // namespace
}  // namespace dimmscope
