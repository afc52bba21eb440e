// Inventory source selection.
#include "app/inventory_source.h"

#include <cstdlib>
#include <memory>

#include "support/system_info.h"
#include "wmi/replay_provider.h"
#include "wmi/smbios_provider.h"
#include "wmi/smbios_table.h"

namespace dimmscope {

TInventorySource InstallInventoryProvider(const std::string& smbiosDump, std::vector<std::string>* notes) {
  // A replayed inventory wins over everything: it is how a machine's scan is
  // reproduced elsewhere, whatever that machine has.
  const std::string path = EnvironmentValue(kInventoryVariable);
  if (!path.empty()) {
    auto inventory = std::make_shared<const TInventory>(LoadInventoryFile(path));
    SetWmiLocatorFactory(MakeReplayLocatorFactory(std::move(inventory)));
    return TInventorySource::ReplayFile;
  }
  std::string dump = smbiosDump;
  if (dump.empty()) {
    const char* named = std::getenv(kSmbiosVariable);
    if (named != nullptr) dump = named;
  }
  if (!dump.empty()) {
    try {
      SetWmiLocatorFactory(MakeSmbiosLocatorFactory(LoadSmbiosDumpFile(dump), notes));
    } catch (const ESmbiosError& error) {
      throw EInventoryError(error.what());
    }
    return TInventorySource::SmbiosDump;
  }
  TWmiLocatorFactory platform = PlatformWmiLocatorFactory(notes);
  const bool available = static_cast<bool>(platform);
  SetWmiLocatorFactory(std::move(platform));
  return available ? TInventorySource::Platform : TInventorySource::None;
}

}  // namespace dimmscope
