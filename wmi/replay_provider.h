// A WMI provider that serves the classes and instances of an inventory file,
// so a scan can be reproduced on any machine.
#pragma once

#include <memory>

#include "wmi/inventory_file.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {

// A locator factory serving `inventory`; every locator it creates shares it.
TWmiLocatorFactory MakeReplayLocatorFactory(std::shared_ptr<const TInventory> inventory);

}  // namespace dimmscope
