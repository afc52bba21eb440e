// Turning what firmware reports about a module into the names shown: the
// maker from its text or JEP106 code, the memory type from its code and
// speed, with the DDR generation's PC rating.
#pragma once

#include <cstdint>
#include <string>

namespace dimmscope {

std::string ManufacturerName(const std::string& Manufacturer);

// `smbiosType` is the raw SMBIOS memory type (0 when unknown); it names the
// type when the WMI code does not ("Unknown", "Other", "Reserved").
std::string MemoryTypeName(std::uint16_t code, std::uint32_t speed, std::uint16_t smbiosType = 0);
std::string TypeWithSpeedRating(const std::string& name, std::uint32_t speed);

// The name of an SMBIOS memory type code, or "" for codes that name nothing
// (0, 1 = other, 2 = unknown, reserved and future codes).
std::string SmbiosMemoryTypeName(std::uint16_t smbiosType);

}  // namespace dimmscope
