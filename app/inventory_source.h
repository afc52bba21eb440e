// Chooses where the memory inventory comes from: the inventory file named by
// DIMMSCOPE_INVENTORY, else an SMBIOS dump (named on the command line or by
// DIMMSCOPE_SMBIOS), else the platform's own provider (WMI on Windows, the
// firmware's SMBIOS tables on Linux); on Windows the firmware's tables stand
// in for WMI when it cannot answer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/upgrade_advice.h"
#include "wmi/inventory_file.h"
#include "wmi/platform_provider.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {

inline constexpr const char* kInventoryVariable = "DIMMSCOPE_INVENTORY";
inline constexpr const char* kSmbiosVariable = "DIMMSCOPE_SMBIOS";

enum class TInventorySource { ReplayFile, SmbiosDump, Platform, FirmwareTables, None };

// Installs the locator factory for the rest of the process. `smbiosDump`
// names a dump file and takes the place of DIMMSCOPE_SMBIOS when not empty.
// What the provider skipped or adjusted while reading goes to `notes`. When
// the firmware's tables stand in for WMI, `sourceLine` gets the line saying
// so and why (for the log); it is left alone otherwise.
// Throws EInventoryError when the chosen source cannot be read or parsed
// (EInventoryAccessDenied when it needs privileges).
TInventorySource InstallInventoryProvider(const std::string& smbiosDump = std::string(),
                                          std::vector<std::string>* notes = nullptr, std::string* sourceLine = nullptr);

// The choice between WMI and the firmware's tables: WMI, unless connecting to
// it or the Win32_PhysicalMemory query fails, or the query lists no module
// while the tables list at least one installed module. Then the tables serve
// both classes. `sourceLine` and `notes` as for InstallInventoryProvider.
// WMI is asked once, here: one connection, one query per class; what it
// answered (failures included) is what the returned factory serves, so the
// scan asks WMI nothing more. The tables are read only when WMI falls short;
// with an empty `firmware` WMI's answers are kept whatever they are.
TWmiLocatorFactory ChooseWmiOrFirmware(TWmiLocatorFactory wmi, const TFirmwareSmbiosReader& firmware,
                                       std::vector<std::string>* notes = nullptr, std::string* sourceLine = nullptr);

// What the running system reports of its memory, for the upgrade advice: set
// only for this computer's own inventory (Platform or FirmwareTables), never
// for an inventory file or a dump, which describe another machine. A figure
// the system cannot give is left unset.
std::optional<TLiveMemory> LiveMemory(TInventorySource source);

}  // namespace dimmscope
