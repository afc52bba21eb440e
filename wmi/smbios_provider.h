// A WMI provider over the firmware's SMBIOS tables, for systems without WMI
// and for captured dumps: memory arrays (type 16) become instances of
// "Win32_PhysicalMemoryArray", installed memory devices (type 17) instances of
// "Win32_PhysicalMemory", with the values Windows' own provider derives from
// the same bytes. Properties SMBIOS does not carry, and values the firmware
// marks unknown, are Null.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wmi/inventory_file.h"
#include "wmi/smbios_table.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {

// The instances the table describes, arrays first, each class in table
// order. What was skipped or adjusted on the way is added to `notes`
// (the table's own notes included) when given.
TInventory SmbiosInventory(const TSmbiosTable& table, std::vector<std::string>* notes = nullptr);

// A locator factory serving SmbiosInventory(table).
TWmiLocatorFactory MakeSmbiosLocatorFactory(const TSmbiosTable& table, std::vector<std::string>* notes = nullptr);

// Code translations from SMBIOS to the WMI classes' enumerations; a value
// without a WMI counterpart gives 0 ("Unknown").
std::uint16_t WmiMemoryType(std::uint8_t smbiosType);         // type 17, offset 12h
std::uint16_t WmiFormFactor(std::uint8_t smbiosFormFactor);   // type 17, offset 0Eh
std::uint16_t WmiArrayLocation(std::uint8_t smbiosLocation);  // type 16, offset 04h

}  // namespace dimmscope
