// Captures the memory inventory the program sees, through the WMI layer and
// whichever provider is installed (WMI, SMBIOS or a replayed file), so that
// it can be written to an inventory file and replayed anywhere.
#pragma once

#include <string>
#include <vector>

#include "wmi/inventory_file.h"
#include "wmi/replay_provider.h"

namespace dimmscope {

// Every property of every instance of "Win32_PhysicalMemoryArray" and
// "Win32_PhysicalMemory", Null values included, as the WMI layer stored them.
// A class that cannot be loaded has no instances, as the slot scan sees it
// too, and is named in `notes` when given.
TInventory CaptureInventory(std::vector<std::string>* notes = nullptr);

// The same two classes asked of the installed provider once: one connection,
// one query per class. A class that could not be loaded, or a connection that
// failed, is kept with its message, so that a replay of the answers fails
// where the provider failed.
TWmiAnswers CaptureWmiAnswers();

}  // namespace dimmscope
