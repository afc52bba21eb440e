// What each system offers as its own source of the memory inventory,
// implemented once per system under platform/: WMI through COM automation on
// Windows, with the firmware's raw SMBIOS data beside it for when WMI cannot
// answer; on Linux the firmware's SMBIOS tables under /sys.
#pragma once

#include <functional>
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

// Returns the firmware's raw SMBIOS data as the system hands it out (on
// Windows, GetSystemFirmwareTable('RSMB'), read with ParseRawSmbiosData);
// throws EInventoryError when the system cannot hand it out.
using TFirmwareSmbiosReader = std::function<std::string()>;

// The reader of the firmware's tables for when WMI cannot answer; empty where
// there is none: on Linux the WMI provider reads those tables already, and
// Windows has the call only from Vista on.
TFirmwareSmbiosReader PlatformFirmwareSmbiosReader();

}  // namespace dimmscope
