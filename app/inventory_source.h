// Chooses where the memory inventory comes from: the inventory file named by
// DIMMSCOPE_INVENTORY, or else the platform's own provider.
#pragma once

#include <string>

#include "wmi/wmi_provider.h"

namespace dimmscope {

inline constexpr const char* kInventoryVariable = "DIMMSCOPE_INVENTORY";

enum class TInventorySource { ReplayFile, Platform, None };

// Installs the locator factory for the rest of the process. Throws
// EInventoryError when the named inventory file cannot be read or parsed.
TInventorySource InstallInventoryProvider();

// The platform's own WMI provider; an empty function where there is none.
TWmiLocatorFactory PlatformWmiLocatorFactory();

}  // namespace dimmscope
