// Captures the memory inventory the program sees, through the WMI layer and
// whichever provider is installed (WMI, SMBIOS or a replayed file), so that
// it can be written to an inventory file and replayed anywhere.
#pragma once

#include <string>
#include <vector>

#include "wmi/inventory_file.h"

namespace dimmscope {

// Every property of every instance of "Win32_PhysicalMemoryArray" and
// "Win32_PhysicalMemory", Null values included, as the WMI layer stored them.
// A class that cannot be loaded has no instances, as the slot scan sees it
// too, and is named in `notes` when given.
TInventory CaptureInventory(std::vector<std::string>* notes = nullptr);

}  // namespace dimmscope
