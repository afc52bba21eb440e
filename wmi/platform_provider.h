// What each system offers as its own source of the memory inventory,
// implemented once per system under platform/: WMI through COM automation on
// Windows, the firmware's SMBIOS tables under /sys on Linux.
#pragma once

#include <string>
#include <vector>

#include "wmi/inventory_file.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {

// The system's memory tables exist but this user may not read them. Its text
// is the one line to show.
class EInventoryAccessDenied : public EInventoryError {
 public:
  EInventoryAccessDenied() : EInventoryError("Reading memory modules needs root: run it with sudo") {}
};

// The platform's own WMI provider; an empty function where there is none.
// What the provider skipped or adjusted while reading goes to `notes`.
// Throws EInventoryError when its source cannot be read or parsed
// (EInventoryAccessDenied when it needs privileges).
TWmiLocatorFactory PlatformWmiLocatorFactory(std::vector<std::string>* notes = nullptr);

}  // namespace dimmscope
