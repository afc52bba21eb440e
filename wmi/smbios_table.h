// The firmware's SMBIOS structure table, read defensively: from a binary dump
// (the entry point at the start, the table where the entry point says, as
// `dmidecode --dump-bin` writes it), from an entry point and a table handed
// over separately (Linux publishes them as two files), or from the raw SMBIOS
// data Windows hands out (a short header, then the table). Firmware tables are
// often odd and dumps may be damaged: every length, offset and string index
// is checked, a broken structure is left out and said so in Notes, and
// nothing is ever read past the end of what was given.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dimmscope {

// The input has no usable entry point or table: nothing can be read from it.
class ESmbiosError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One structure: its formatted area (header included) and its strings.
struct TSmbiosStructure {
  std::uint8_t Type = 0;
  std::uint16_t Handle = 0;
  std::size_t Offset = 0;            // in the table, for notes
  std::string Formatted;             // bytes 0 .. length-1 of the structure
  std::vector<std::string> Strings;  // string 1 is Strings[0]

  std::size_t Length() const { return Formatted.size(); }
  // Fields are little-endian; each is missing when the structure is too
  // short to hold it.
  std::optional<std::uint8_t> Byte(std::size_t offset) const;
  std::optional<std::uint16_t> Word(std::size_t offset) const;
  std::optional<std::uint32_t> Dword(std::size_t offset) const;
  std::optional<std::uint64_t> Qword(std::size_t offset) const;
  // The string whose number is stored at `offset`: missing for number 0 (no
  // string), a number beyond the structure's strings or a short structure.
  std::optional<std::string> String(std::size_t offset) const;
  // Whether the byte at `offset` names a string that does not exist.
  bool BadStringIndex(std::size_t offset) const;
};

// "_SM_" or "_SM3_"; for Windows' raw data, which has no entry point, the
// kind its major version would have.
enum class TSmbiosEntryKind { Smbios2, Smbios3 };

struct TSmbiosTable {
  TSmbiosEntryKind EntryKind = TSmbiosEntryKind::Smbios3;
  std::uint8_t MajorVersion = 0;
  std::uint8_t MinorVersion = 0;
  std::vector<TSmbiosStructure> Structures;  // table order, up to the end-of-table structure
  std::vector<std::string> Notes;            // what was skipped or doubtful, and why
};

// Parses an entry point and the table it describes. `table` holds the table
// itself (starting with its first structure). Throws ESmbiosError when the
// entry point is unusable.
TSmbiosTable ParseSmbiosTable(const std::string& entryPoint, const std::string& table);
// Parses a dump: the entry point at offset 0, the table at the address the
// entry point states, as an offset into the dump.
TSmbiosTable ParseSmbiosDump(const std::string& dump);
// Parses the raw SMBIOS data of GetSystemFirmwareTable('RSMB'): calling
// method, major and minor version, DMI revision (a byte each), the table's
// length (dword), then the table. A length past the end of the data is noted
// and the bytes present are read. Throws ESmbiosError when the data is
// shorter than its header.
TSmbiosTable ParseRawSmbiosData(const std::string& data);
// Reads and parses a dump file; throws ESmbiosError naming the file when it
// cannot be read or holds no usable table.
TSmbiosTable LoadSmbiosDumpFile(const std::string& path);

}  // namespace dimmscope
