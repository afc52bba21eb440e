// Typed access to Win32_PhysicalMemoryArray: one instance per memory array
// (a set of module sockets with its own maximum capacity).
#pragma once

#include <cstdint>
#include <string>

#include "wmi/wmi_class.h"

namespace dimmscope {

class TWin32_PhysicalMemoryArray : public TWmiClass {
 public:
  explicit TWin32_PhysicalMemoryArray(bool LoadNow);
  ~TWin32_PhysicalMemoryArray() override;
  void SetCollectionIndex(std::int32_t Index) override;

  std::string Caption;
  std::string CreationClassName;
  double Depth = 0.0;
  std::string Description;
  double Height = 0.0;
  bool HotSwappable = false;
  TDateTime InstallDate;
  std::uint16_t Location = 0;
  std::string Manufacturer;
  std::uint32_t MaxCapacity = 0;    // kilobytes
  std::uint16_t MemoryDevices = 0;  // number of sockets
  std::uint16_t MemoryErrorCorrection = 0;
  std::string Model;
  std::string Name;
  std::string OtherIdentifyingInfo;
  std::string PartNumber;
  bool PoweredOn = false;
  bool Removable = false;
  bool Replaceable = false;
  std::string SerialNumber;
  std::string SKU;
  std::string Status;
  std::string Tag;
  std::uint16_t Use = 0;
  std::string Version;
  double Weight = 0.0;
  double Width = 0.0;

 protected:
  std::vector<std::string> RecordPropertyNames() const override;
};

}  // namespace dimmscope
