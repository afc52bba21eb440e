// Inventory source selection.
#include "app/inventory_source.h"

#include <cstdlib>
#include <memory>

#include "wmi/inventory_file.h"
#include "wmi/replay_provider.h"

namespace dimmscope {

TInventorySource InstallInventoryProvider() {
  const char* path = std::getenv(kInventoryVariable);
  if (path != nullptr && *path != '\0') {
    auto inventory = std::make_shared<const TInventory>(LoadInventoryFile(path));
    SetWmiLocatorFactory(MakeReplayLocatorFactory(std::move(inventory)));
    return TInventorySource::ReplayFile;
  }
  TWmiLocatorFactory platform = PlatformWmiLocatorFactory();
  const bool available = static_cast<bool>(platform);
  SetWmiLocatorFactory(std::move(platform));
  return available ? TInventorySource::Platform : TInventorySource::None;
}

}  // namespace dimmscope
