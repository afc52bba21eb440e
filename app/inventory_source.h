// Chooses where the memory inventory comes from: the inventory file named by
// DIMMSCOPE_INVENTORY, else an SMBIOS dump (named on the command line or by
// DIMMSCOPE_SMBIOS), else the platform's own provider (WMI on Windows, the
// firmware's SMBIOS tables on Linux).
#pragma once

#include <string>
#include <vector>

#include "wmi/inventory_file.h"
#include "wmi/platform_provider.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {

inline constexpr const char* kInventoryVariable = "DIMMSCOPE_INVENTORY";
inline constexpr const char* kSmbiosVariable = "DIMMSCOPE_SMBIOS";

enum class TInventorySource { ReplayFile, SmbiosDump, Platform, None };

// Installs the locator factory for the rest of the process. `smbiosDump`
// names a dump file and takes the place of DIMMSCOPE_SMBIOS when not empty.
// What the provider skipped or adjusted while reading goes to `notes`.
// Throws EInventoryError when the chosen source cannot be read or parsed
// (EInventoryAccessDenied when it needs privileges).
TInventorySource InstallInventoryProvider(const std::string& smbiosDump = std::string(),
                                          std::vector<std::string>* notes = nullptr);

}  // namespace dimmscope
