// Typed access to Win32_PhysicalMemory: one instance per installed module.
#pragma once

#include <cstdint>
#include <string>

#include "wmi/wmi_class.h"

namespace dimmscope {

class TWin32_PhysicalMemory : public TWmiClass {
 public:
  explicit TWin32_PhysicalMemory(bool LoadNow);
  ~TWin32_PhysicalMemory() override;
  void SetCollectionIndex(std::int32_t Index) override;

  std::string BankLabel;
  std::int64_t Capacity = 0;  // bytes
  std::string Caption;
  std::string CreationClassName;
  std::uint16_t DataWidth = 0;
  std::string Description;
  std::string DeviceLocator;
  std::uint16_t FormFactor = 0;
  bool HotSwappable = false;
  TDateTime InstallDate;
  std::uint16_t InterleaveDataDepth = 0;
  std::uint32_t InterleavePosition = 0;
  std::string Manufacturer;  // raw text; shown through ManufacturerName
  std::uint16_t MemoryType = 0;
  std::string Model;
  std::string Name;
  std::string OtherIdentifyingInfo;
  std::string PartNumber;
  std::uint32_t PositionInRow = 0;
  bool PoweredOn = false;
  bool Removable = false;
  bool Replaceable = false;
  std::string SerialNumber;
  std::string SKU;
  std::uint32_t Speed = 0;  // MT/s as reported
  std::string Status;
  std::string Tag;
  std::uint16_t TotalWidth = 0;
  std::uint16_t TypeDetail = 0;
  std::string Version;
  // Raw SMBIOS type code (0x1A = DDR4, 0x22 = DDR5); Windows 10 and later
  // report it where MemoryType says 0. Null (0 here) on older systems.
  std::uint16_t SMBIOSMemoryType = 0;
  // Windows 8 and later (and SMBIOS 2.6 to 2.8 tables) say more; each is Null,
  // 0 here, where older systems and tables say nothing, and 0 means unknown.
  std::uint32_t ConfiguredClockSpeed = 0;  // MT/s the module runs at; Speed is its rating
  std::uint32_t Attributes = 0;            // bits 0-3: the number of ranks
  std::uint32_t ConfiguredVoltage = 0;     // millivolts
  std::uint32_t MinVoltage = 0;            // millivolts
  std::uint32_t MaxVoltage = 0;            // millivolts

 protected:
  std::vector<std::string> RecordPropertyNames() const override;
};

}  // namespace dimmscope
