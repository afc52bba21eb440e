// Builds SMBIOS tables and dumps with chosen structures for the tests: memory
// arrays and devices from a few fields, any raw structure or bytes, and
// either entry point, so odd and damaged firmware can be made on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dimmscope::testing {

// A memory array (type 16). Length is the formatted length to emit: 0Fh for
// SMBIOS 2.1, 17h with the extended maximum capacity (2.7 on).
struct TSmbiosArrayFields {
  std::uint8_t Location = 0x03;              // system board
  std::uint8_t Use = 0x03;                   // system memory
  std::uint8_t ErrorCorrection = 0x03;       // none
  std::uint32_t MaxCapacityKB = 0x01000000;  // 16 GiB
  std::uint16_t Devices = 2;
  std::uint64_t ExtendedMaxCapacity = 0;  // bytes
  std::uint8_t Length = 0x17;
};

// A memory device (type 17). Empty strings are stored as "no string" (0).
// Length: 15h (2.1), 1Bh (2.3), 22h (2.7), 28h (2.8), 5Ch (3.3, the extended
// speeds).
struct TSmbiosDeviceFields {
  std::uint16_t ArrayHandle = 0x1000;
  std::uint16_t TotalWidth = 64;
  std::uint16_t DataWidth = 64;
  std::uint16_t Size = 8192;       // MB; bit 15 for KB, 7FFFh for extended, 0 empty
  std::uint8_t FormFactor = 0x09;  // DIMM
  std::string DeviceLocator = "DIMM 0";
  std::string BankLocator = "BANK 0";
  std::uint8_t MemoryType = 0x1A;     // DDR4
  std::uint16_t TypeDetail = 0x0080;  // synchronous
  std::uint16_t Speed = 2400;
  std::string Manufacturer = "Samsung";
  std::string SerialNumber = "12345678";
  std::string AssetTag;
  std::string PartNumber = "M378A1K43CB2-CTD    ";
  std::uint32_t ExtendedSize = 0;  // MB
  std::uint16_t ConfiguredSpeed = 2400;
  std::uint32_t ExtendedSpeed = 0;
  std::uint32_t ExtendedConfiguredSpeed = 0;
  std::uint8_t Length = 0x5C;
};

class TSmbiosBuilder {
 public:
  // A structure of `type` whose formatted area after the 4-byte header is
  // `body`, followed by `strings`; the length byte is 4 + body size unless
  // `length` (0..255) says otherwise. Returns its handle.
  std::uint16_t Add(std::uint8_t type, const std::string& body, const std::vector<std::string>& strings = {},
                    int length = -1);
  std::uint16_t AddArray(const TSmbiosArrayFields& fields);
  std::uint16_t AddDevice(const TSmbiosDeviceFields& fields);
  // Bytes appended as they are (damaged structures, padding).
  void AddRaw(const std::string& bytes) {
    table_ += bytes;
    ++count_;
  }
  // The end-of-table structure (type 127).
  void AddEnd();

  const std::string& Table() const { return table_; }
  int Count() const { return count_; }

  // Entry points for a table at `address`, with valid checksums.
  std::string EntryPoint2(std::uint32_t address, std::uint8_t major = 2, std::uint8_t minor = 8) const;
  std::string EntryPoint3(std::uint64_t address, std::uint8_t major = 3, std::uint8_t minor = 3) const;
  // A dump as `dmidecode --dump-bin` writes one: the entry point at 0, the
  // table at 20h.
  std::string Dump2(std::uint8_t major = 2, std::uint8_t minor = 8) const;
  std::string Dump3(std::uint8_t major = 3, std::uint8_t minor = 3) const;

 private:
  std::string table_;
  int count_ = 0;
  std::size_t largest_ = 0;  // bytes of the largest structure
  std::uint16_t nextHandle_ = 0x1000;
};

// Dumps of whole machines, named for the files the dump tool writes: a
// laptop, a 48-module server, and firmware of several ages and oddities.
struct TSampleDump {
  std::string Name;  // file name
  std::string Bytes;
};
std::vector<TSampleDump> SampleDumps();

// Little-endian bytes of a field.
std::string Le16(std::uint16_t value);
std::string Le32(std::uint32_t value);
std::string Le64(std::uint64_t value);

// Writes `bytes` to `path`; false when it cannot.
bool WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace dimmscope::testing
