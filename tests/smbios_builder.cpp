// SMBIOS table builder for the tests.
#include "tests/smbios_builder.h"

#include <algorithm>
#include <cstdio>

namespace dimmscope::testing {
namespace {

constexpr std::uint16_t kNoErrorInfo = 0xFFFE;  // "not provided"

std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i, value >>= 8) out += static_cast<char>(value & 0xFF);
  return out;
}

void FixChecksum(std::string& bytes, std::size_t start, std::size_t length, std::size_t at) {
  bytes[at] = 0;
  unsigned sum = 0;
  for (std::size_t i = start; i < start + length; ++i) sum += static_cast<unsigned char>(bytes[i]);
  bytes[at] = static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF);
}

// The number of `text` among `strings`, adding it; 0 for an empty text.
char StringNumber(std::vector<std::string>& strings, const std::string& text) {
  if (text.empty()) return 0;
  strings.push_back(text);
  return static_cast<char>(strings.size());
}

}  // namespace

std::string Le16(std::uint16_t value) { return Le(value, 2); }
std::string Le32(std::uint32_t value) { return Le(value, 4); }
std::string Le64(std::uint64_t value) { return Le(value, 8); }

std::uint16_t TSmbiosBuilder::Add(std::uint8_t type, const std::string& body, const std::vector<std::string>& strings,
                                  int length) {
  const std::uint16_t handle = nextHandle_++;
  const std::size_t start = table_.size();
  table_ += static_cast<char>(type);
  table_ += static_cast<char>(length >= 0 ? length : static_cast<int>(body.size() + 4));
  table_ += Le16(handle);
  table_ += body;
  if (strings.empty()) {
    table_ += std::string(2, '\0');
  } else {
    for (const auto& s : strings) table_ += s + '\0';
    table_ += '\0';
  }
  largest_ = std::max(largest_, table_.size() - start);
  ++count_;
  return handle;
}

std::uint16_t TSmbiosBuilder::AddArray(const TSmbiosArrayFields& fields) {
  std::string body;
  body += static_cast<char>(fields.Location);
  body += static_cast<char>(fields.Use);
  body += static_cast<char>(fields.ErrorCorrection);
  body += Le32(fields.MaxCapacityKB);
  body += Le16(kNoErrorInfo);
  body += Le16(fields.Devices);
  body += Le64(fields.ExtendedMaxCapacity);
  body.resize(fields.Length > 4 ? fields.Length - 4u : 0u);
  return Add(16, body);
}

std::uint16_t TSmbiosBuilder::AddDevice(const TSmbiosDeviceFields& fields) {
  std::vector<std::string> strings;
  std::string body;
  body += Le16(fields.ArrayHandle);
  body += Le16(kNoErrorInfo);
  body += Le16(fields.TotalWidth);
  body += Le16(fields.DataWidth);
  body += Le16(fields.Size);
  body += static_cast<char>(fields.FormFactor);
  body += '\0';  // device set
  body += StringNumber(strings, fields.DeviceLocator);
  body += StringNumber(strings, fields.BankLocator);
  body += static_cast<char>(fields.MemoryType);
  body += Le16(fields.TypeDetail);
  body += Le16(fields.Speed);  // 15h
  body += StringNumber(strings, fields.Manufacturer);
  body += StringNumber(strings, fields.SerialNumber);
  body += StringNumber(strings, fields.AssetTag);
  body += StringNumber(strings, fields.PartNumber);
  body += '\x01';                                // 1Bh attributes: one rank
  body += Le32(fields.ExtendedSize);             // 1Ch
  body += Le16(fields.ConfiguredSpeed);          // 20h
  body += Le16(1200) + Le16(1200) + Le16(1200);  // 22h voltages, mV
  body += '\x03';                                // 28h memory technology: DRAM
  body += Le16(0x0004);                          // 29h operating modes: volatile
  body += '\0';                                  // 2Bh firmware version: no string
  body += std::string(8, '\0');                  // 2Ch..33h module and controller ids
  body += std::string(32, '\0');                 // 34h..53h sizes
  body += Le32(fields.ExtendedSpeed);            // 54h
  body += Le32(fields.ExtendedConfiguredSpeed);  // 58h
  body.resize(fields.Length > 4 ? fields.Length - 4u : 0u);
  return Add(17, body, strings);
}

void TSmbiosBuilder::AddEnd() { Add(127, ""); }

std::string TSmbiosBuilder::EntryPoint2(std::uint32_t address, std::uint8_t major, std::uint8_t minor) const {
  std::string ep = "_SM_";
  ep += '\0';  // checksum
  ep += '\x1F';
  ep += static_cast<char>(major);
  ep += static_cast<char>(minor);
  ep += Le16(static_cast<std::uint16_t>(std::min<std::size_t>(largest_, 0xFFFF)));
  ep += '\0';  // entry point revision
  ep += std::string(5, '\0');
  ep += "_DMI_";
  ep += '\0';  // intermediate checksum
  ep += Le16(static_cast<std::uint16_t>(std::min<std::size_t>(table_.size(), 0xFFFF)));
  ep += Le32(address);
  ep += Le16(static_cast<std::uint16_t>(count_));
  ep += static_cast<char>(((major & 0xF) << 4) | (minor & 0xF));
  FixChecksum(ep, 0x10, 0x0F, 0x15);
  FixChecksum(ep, 0, 0x1F, 0x04);
  return ep;
}

std::string TSmbiosBuilder::EntryPoint3(std::uint64_t address, std::uint8_t major, std::uint8_t minor) const {
  std::string ep = "_SM3_";
  ep += '\0';  // checksum
  ep += '\x18';
  ep += static_cast<char>(major);
  ep += static_cast<char>(minor);
  ep += '\0';    // docrev
  ep += '\x01';  // entry point revision
  ep += '\0';
  ep += Le32(static_cast<std::uint32_t>(table_.size()));
  ep += Le64(address);
  FixChecksum(ep, 0, 0x18, 0x05);
  return ep;
}

std::string TSmbiosBuilder::Dump2(std::uint8_t major, std::uint8_t minor) const {
  std::string dump = EntryPoint2(0x20, major, minor);
  dump.resize(0x20, '\0');
  return dump + table_;
}

std::string TSmbiosBuilder::Dump3(std::uint8_t major, std::uint8_t minor) const {
  std::string dump = EntryPoint3(0x20, major, minor);
  dump.resize(0x20, '\0');
  return dump + table_;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace dimmscope::testing

namespace dimmscope::testing {
namespace {

// Two SO-DIMMs of DDR4 in a two-socket array, SMBIOS 3.3.
std::string Laptop() {
  TSmbiosBuilder b;
  // BIOS information, a structure the provider passes over.
  b.Add(0, std::string("\x01\x02\x00\xF0\x03\x0F", 6) + std::string(8, '\0'), {"Vendor", "1.0", "01/01/2024"});
  TSmbiosArrayFields array;
  array.MaxCapacityKB = 32u << 20;  // 32 GiB
  const std::uint16_t handle = b.AddArray(array);
  for (int i = 0; i < 2; ++i) {
    TSmbiosDeviceFields d;
    d.ArrayHandle = handle;
    d.FormFactor = 0x0D;  // SODIMM
    d.DeviceLocator = "ChannelA-DIMM" + std::to_string(i);
    d.BankLocator = "BANK " + std::to_string(i);
    d.Size = 8192;
    d.Speed = 3200;
    d.ConfiguredSpeed = 2933;
    d.Manufacturer = "859B";
    d.SerialNumber = "E1B2C3D" + std::to_string(i);
    d.PartNumber = "CT8G4SFRA32A.C8FE ";
    b.AddDevice(d);
  }
  b.AddEnd();
  return b.Dump3(3, 3);
}

// Two arrays of 24 sockets, all filled with 32 GiB DDR5 RDIMMs with ECC
// (sizes of 32 GiB and more only fit the extended size field).
std::string Server48() {
  TSmbiosBuilder b;
  for (int a = 0; a < 2; ++a) {
    TSmbiosArrayFields array;
    array.ErrorCorrection = 0x06;  // multi-bit ECC
    array.Devices = 24;
    array.MaxCapacityKB = 0xC0000000u;  // 3 TiB
    const std::uint16_t handle = b.AddArray(array);
    for (int i = 0; i < 24; ++i) {
      TSmbiosDeviceFields d;
      d.ArrayHandle = handle;
      d.TotalWidth = 80;
      d.DataWidth = 64;
      d.Size = 0x7FFF;
      d.ExtendedSize = 32768;
      d.MemoryType = 0x22;    // DDR5
      d.TypeDetail = 0x2080;  // synchronous, registered
      d.Speed = 4800;
      d.ConfiguredSpeed = 4400;
      d.DeviceLocator = "CPU" + std::to_string(a) + "_DIMM_" + static_cast<char>('A' + i / 2) + std::to_string(i % 2);
      d.BankLocator = "P" + std::to_string(a) + "_Node" + std::to_string(a) + "_Channel" + std::to_string(i / 2) +
                      "_Dimm" + std::to_string(i % 2);
      d.Manufacturer = "Hynix";
      d.SerialNumber = "8A1B" + std::to_string(1000 + a * 24 + i);
      d.PartNumber = "HMCG88AEBRA115N";
      d.AssetTag = "CPU" + std::to_string(a) + "_AssetTag";
      b.AddDevice(d);
    }
  }
  b.AddEnd();
  return b.Dump3(3, 5);
}

// An SMBIOS 2.3 desktop: DDR2, four sockets of which two are empty, a module
// counted in kilobytes, texts with blanks, separators and bytes above 7Fh.
std::string Legacy() {
  TSmbiosBuilder b;
  TSmbiosArrayFields array;
  array.Length = 0x0F;
  array.Devices = 4;
  array.MaxCapacityKB = 8u << 20;
  const std::uint16_t handle = b.AddArray(array);
  const char* locators[] = {"DIMM0", "DIMM1", "DIMM2", "DIMM3"};
  for (int i = 0; i < 4; ++i) {
    TSmbiosDeviceFields d;
    d.Length = 0x1B;
    d.ArrayHandle = handle;
    d.DeviceLocator = locators[i];
    d.MemoryType = 0x13;  // DDR2
    d.Speed = 667;
    d.TypeDetail = 0x0080;
    d.Size = i == 0 ? 1024 : i == 2 ? static_cast<std::uint16_t>(0x8000 | 16384) : 0;  // MB, KB, empty
    if (d.Size == 0) {
      d.Manufacturer = "";
      d.SerialNumber = "";
      d.PartNumber = "";
      d.Speed = 0;
    } else if (i == 2) {
      d.Manufacturer = "Manufacturer02";
      d.SerialNumber = "\xC9T\xC9";
      d.PartNumber = "PN;WITH;SEMICOLONS  ";
    }
    b.AddDevice(d);
  }
  b.AddEnd();
  return b.Dump2(2, 3);
}

// SMBIOS 3.5 with the fields of recent machines: speeds beyond 16 bits in the
// extended fields, a module of unknown size, a maximum capacity too large for
// the 32-bit property.
std::string Extended() {
  TSmbiosBuilder b;
  TSmbiosArrayFields array;
  array.MaxCapacityKB = 0x80000000u;
  array.ExtendedMaxCapacity = 8ull << 40;  // 8 TiB
  array.Devices = 3;
  const std::uint16_t handle = b.AddArray(array);
  TSmbiosDeviceFields fast;
  fast.ArrayHandle = handle;
  fast.DeviceLocator = "DIMM_A1";
  fast.MemoryType = 0x22;
  fast.Size = 0x7FFF;
  fast.ExtendedSize = 65536;  // 64 GiB
  fast.Speed = 0xFFFF;
  fast.ExtendedSpeed = 70000;
  fast.ConfiguredSpeed = 0xFFFF;
  fast.ExtendedConfiguredSpeed = 68000;
  b.AddDevice(fast);
  TSmbiosDeviceFields unknown = fast;
  unknown.DeviceLocator = "DIMM_B1";
  unknown.Size = 0xFFFF;
  unknown.Speed = 0;
  unknown.ConfiguredSpeed = 0;
  unknown.TotalWidth = 0xFFFF;
  unknown.DataWidth = 0xFFFF;
  b.AddDevice(unknown);
  TSmbiosDeviceFields lp = fast;
  lp.DeviceLocator = "DIMM_C1";
  lp.MemoryType = 0x1E;  // LPDDR4
  lp.FormFactor = 0x0B;  // row of chips
  lp.Size = 4096;
  lp.Speed = 4266;
  lp.ConfiguredSpeed = 4266;
  b.AddDevice(lp);
  b.AddEnd();
  return b.Dump3(3, 5);
}

// SMBIOS 2.1 structures: no speed, no manufacturer, part or serial number.
std::string Oldest() {
  TSmbiosBuilder b;
  TSmbiosArrayFields array;
  array.Length = 0x0F;
  array.Devices = 2;
  array.MaxCapacityKB = 512u << 10;
  array.ErrorCorrection = 0x04;  // parity
  const std::uint16_t handle = b.AddArray(array);
  for (int i = 0; i < 2; ++i) {
    TSmbiosDeviceFields d;
    d.Length = 0x15;
    d.ArrayHandle = handle;
    d.FormFactor = 0x03;  // SIMM
    d.MemoryType = 0x0F;  // SDRAM
    d.DeviceLocator = "SIMM" + std::to_string(i);
    d.Size = 128;
    b.AddDevice(d);
  }
  b.AddEnd();
  return b.Dump2(2, 1);
}

}  // namespace

std::vector<TSampleDump> SampleDumps() {
  return {{"laptop.bin", Laptop()},
          {"server48.bin", Server48()},
          {"legacy.bin", Legacy()},
          {"extended.bin", Extended()},
          {"oldest.bin", Oldest()}};
}

}  // namespace dimmscope::testing
