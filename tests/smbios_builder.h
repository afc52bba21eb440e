// Builds SMBIOS tables and dumps for the tests: structures from their fields or
// raw bytes, behind either entry point, so that odd and damaged firmware can be
// made on purpose. The sample machines are described, field by field, in
// tests/cases/smbios_dumps.txt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dimmscope::testing {

// `bytes` little-endian bytes of `value`.
std::string Le(std::uint64_t value, int bytes);

class TSmbiosBuilder {
 public:
  // A structure whose formatted area after the 4-byte header is `body`,
  // followed by `strings`. Returns its handle.
  std::uint16_t Add(std::uint8_t type, const std::string& body, const std::vector<std::string>& strings = {});
  // Bytes appended as they are (damaged structures), counted as a structure.
  void AddRaw(const std::string& bytes);
  void AddEnd() { Add(127, ""); }
  const std::string& Table() const { return table_; }

  // The entry point for a table at `address`, with valid checksums: _SM_
  // below version 3, _SM3_ from 3 on.
  std::string EntryPoint(std::uint64_t address, std::uint8_t major, std::uint8_t minor) const;
  // A dump as `dmidecode --dump-bin` writes one: the entry point at 0, the
  // table at 20h.
  std::string Dump(std::uint8_t major, std::uint8_t minor) const;

 private:
  std::string table_;
  int count_ = 0;
  std::size_t largest_ = 0;  // bytes of the largest structure
  std::uint16_t nextHandle_ = 0x1000;
};

struct TSampleDump {
  std::string Name;  // file name
  std::string Bytes;
  bool Unreadable = false;  // by any reader
};
// The dumps of tests/cases/smbios_dumps.txt, but for those no reader can make
// sense of unless asked; throws when the file cannot be read.
std::vector<TSampleDump> SampleDumps(bool unreadableToo = false);

}  // namespace dimmscope::testing
