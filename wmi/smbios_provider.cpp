// SMBIOS memory structures as WMI instances. Windows numbers the instances
// of each class from 0 in table order ("Physical Memory 0", ...), counting
// installed modules only, and hands 64-bit values (Capacity) over as decimal
// text; both are kept so a report reads the same on either source.
#include "wmi/smbios_provider.h"

#include <memory>
#include <optional>
#include <utility>

#include "wmi/replay_provider.h"

namespace dimmscope {
namespace {

constexpr std::uint8_t kMemoryArray = 16;
constexpr std::uint8_t kMemoryDevice = 17;

// SMBIOS memory type (index) to the WMI MemoryType code; 0 where WMI has none
// (the reserved codes, and everything from 1Fh on: NVDIMM, HBM, DDR5, ...).
constexpr std::uint16_t kMemoryTypes[] = {
    0,   // 00h (not defined)
    1,   // 01h Other
    0,   // 02h Unknown
    2,   // 03h DRAM
    6,   // 04h EDRAM
    7,   // 05h VRAM
    8,   // 06h SRAM
    9,   // 07h RAM
    10,  // 08h ROM
    11,  // 09h Flash
    12,  // 0Ah EEPROM
    13,  // 0Bh FEPROM
    14,  // 0Ch EPROM
    15,  // 0Dh CDRAM
    16,  // 0Eh 3DRAM
    17,  // 0Fh SDRAM
    18,  // 10h SGRAM
    19,  // 11h RDRAM
    20,  // 12h DDR
    21,  // 13h DDR2
    22,  // 14h DDR2 FB-DIMM
    0,   // 15h reserved
    0,   // 16h reserved
    0,   // 17h reserved
    24,  // 18h DDR3
    25,  // 19h FBD2
    26,  // 1Ah DDR4
    27,  // 1Bh LPDDR
    28,  // 1Ch LPDDR2
    29,  // 1Dh LPDDR3
    30,  // 1Eh LPDDR4
};

// SMBIOS form factor (index) to the WMI FormFactor code. WMI's codes (CIM's
// chip packages) have none for a chip, a row of chips or a die, memory
// soldered on the board: they become SMD (14), surface-mounted, which keeps
// them told apart from a module (docs/upgrade_advice.md).
constexpr std::uint16_t kFormFactors[] = {
    0,   // 00h (not defined)
    1,   // 01h Other
    0,   // 02h Unknown
    7,   // 03h SIMM
    2,   // 04h SIP
    14,  // 05h Chip
    3,   // 06h DIP
    4,   // 07h ZIP
    6,   // 08h Proprietary Card
    8,   // 09h DIMM
    9,   // 0Ah TSOP
    14,  // 0Bh Row of chips
    11,  // 0Ch RIMM
    12,  // 0Dh SODIMM
    13,  // 0Eh SRIMM
    0,   // 0Fh FB-DIMM
    14,  // 10h Die
};

template <std::size_t N>
std::uint16_t Lookup(const std::uint16_t (&table)[N], std::uint8_t code) {
  return code < N ? table[code] : 0;
}

TVariant Int(std::uint64_t value) { return TVariant(static_cast<std::int64_t>(value)); }
TVariant Str(const std::optional<std::string>& value) { return value ? TVariant(*value) : TVariant::Null(); }

std::string Describe(const TSmbiosStructure& s) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string handle = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) handle += kDigits[(s.Handle >> shift) & 0xF];
  return "type " + std::to_string(s.Type) + " structure " + handle;
}

class TNotes {
 public:
  explicit TNotes(std::vector<std::string>* out) : out_(out) {}
  void Add(const std::string& note) {
    if (out_ != nullptr) out_->push_back(note);
  }
  // A string field whose number points past the structure's strings.
  void CheckString(const TSmbiosStructure& s, std::size_t offset, const char* property) {
    if (s.BadStringIndex(offset)) {
      Add(Describe(s) + ": " + property + " names string " + std::to_string(*s.Byte(offset)) + " of " +
          std::to_string(s.Strings.size()) + "; read as Null");
    }
  }

 private:
  std::vector<std::string>* out_;
};

// A speed field (MT/s) with its 32-bit extension: 0 is unknown, FFFFh means
// the value is in the extension (whose top bit is reserved).
TVariant Speed(const TSmbiosStructure& s, std::size_t offset, std::size_t extendedOffset) {
  const auto speed = s.Word(offset);
  if (!speed || *speed == 0) return TVariant::Null();
  if (*speed != 0xFFFF) return Int(*speed);
  const auto extended = s.Dword(extendedOffset);
  if (!extended || (*extended & 0x7FFFFFFFu) == 0) return TVariant::Null();
  return Int(*extended & 0x7FFFFFFFu);
}

// A width in bits; FFFFh is unknown.
TVariant Width(const TSmbiosStructure& s, std::size_t offset) {
  const auto width = s.Word(offset);
  return width && *width != 0xFFFF ? Int(*width) : TVariant::Null();
}

// Capacity in bytes, as text. Size (0Ch): bits 14..0 count megabytes, or
// kilobytes when bit 15 is set; 7FFFh defers to the extended size (1Ch,
// megabytes in bits 30..0) on structures long enough to hold it.
TVariant Capacity(const TSmbiosStructure& s, std::uint16_t size, TNotes& notes) {
  if (size == 0xFFFF) return TVariant::Null();
  std::uint64_t bytes = 0;
  if (size == 0x7FFF && s.Length() >= 0x20) {
    const std::uint32_t megabytes = *s.Dword(0x1C) & 0x7FFFFFFFu;
    if (megabytes == 0) {
      notes.Add(Describe(s) + ": the extended size is 0; Capacity read as Null");
      return TVariant::Null();
    }
    bytes = static_cast<std::uint64_t>(megabytes) << 20;
  } else if ((size & 0x8000u) != 0) {
    bytes = static_cast<std::uint64_t>(size & 0x7FFFu) << 10;
  } else {
    bytes = static_cast<std::uint64_t>(size) << 20;
  }
  return TVariant(std::to_string(bytes));
}

// A field the table's version introduced (a version as 0xMMmm). Firmware of an
// older version that pads its structures past their length says nothing in
// the padding, whatever bytes it holds.
bool Since(std::uint16_t version, std::uint16_t introduced) { return version >= introduced; }

// A word a firmware writes 0 in when it does not know the value.
TVariant KnownWord(const TSmbiosStructure& s, std::size_t offset) {
  const auto value = s.Word(offset);
  return value && *value != 0 ? Int(*value) : TVariant::Null();
}

// The rank count: bits 3..0 of the attributes (1Bh); 0 is unknown.
TVariant Ranks(const TSmbiosStructure& s) {
  const auto attributes = s.Byte(0x1B);
  return attributes && (*attributes & 0x0F) != 0 ? Int(*attributes & 0x0F) : TVariant::Null();
}

TInventoryInstance MemoryDevice(const TSmbiosStructure& s, std::uint16_t size, int tag, std::uint16_t version,
                                TNotes& notes) {
  // 15h bytes is the oldest layout (SMBIOS 2.1); fields newer layouts added
  // are simply absent from it.
  if (s.Length() < 0x15) {
    notes.Add(Describe(s) + " is " + std::to_string(s.Length()) +
              " bytes long; the fields it cannot hold are read as Null");
  }
  notes.CheckString(s, 0x10, "DeviceLocator");
  notes.CheckString(s, 0x11, "BankLabel");
  notes.CheckString(s, 0x17, "Manufacturer");
  notes.CheckString(s, 0x18, "SerialNumber");
  notes.CheckString(s, 0x1A, "PartNumber");
  const auto formFactor = s.Byte(0x0E);
  const auto memoryType = s.Byte(0x12);
  const auto typeDetail = s.Word(0x13);
  const TVariant null = TVariant::Null();
  TInventoryInstance instance;
  instance.ClassName = "Win32_PhysicalMemory";
  instance.Properties = {
      {"BankLabel", Str(s.String(0x11))},
      {"Capacity", Capacity(s, size, notes)},
      {"Caption", TVariant("Physical Memory")},
      {"CreationClassName", TVariant("Win32_PhysicalMemory")},
      {"DataWidth", Width(s, 0x0A)},
      {"Description", TVariant("Physical Memory")},
      {"DeviceLocator", Str(s.String(0x10))},
      {"FormFactor", formFactor ? Int(WmiFormFactor(*formFactor)) : null},
      {"HotSwappable", null},
      {"InstallDate", null},
      {"InterleaveDataDepth", null},
      {"InterleavePosition", null},
      {"Manufacturer", Str(s.String(0x17))},
      {"MemoryType", memoryType ? Int(WmiMemoryType(*memoryType)) : null},
      {"Model", null},
      {"Name", TVariant("Physical Memory")},
      {"OtherIdentifyingInfo", null},
      {"PartNumber", Str(s.String(0x1A))},
      {"PositionInRow", null},
      {"PoweredOn", null},
      {"Removable", null},
      {"Replaceable", null},
      {"SerialNumber", Str(s.String(0x18))},
      {"SKU", null},
      {"Speed", Speed(s, 0x15, 0x54)},
      {"Status", null},
      {"Tag", TVariant("Physical Memory " + std::to_string(tag))},
      {"TotalWidth", Width(s, 0x08)},
      {"TypeDetail", typeDetail ? Int(*typeDetail) : null},
      {"Version", null},
      {"SMBIOSMemoryType", memoryType ? Int(*memoryType) : null},
      {"ConfiguredClockSpeed", Since(version, 0x0207) ? Speed(s, 0x20, 0x58) : null},
      {"Attributes", Since(version, 0x0206) ? Ranks(s) : null},
      // Millivolts.
      {"ConfiguredVoltage", Since(version, 0x0208) ? KnownWord(s, 0x26) : null},
      {"MinVoltage", Since(version, 0x0208) ? KnownWord(s, 0x22) : null},
      {"MaxVoltage", Since(version, 0x0208) ? KnownWord(s, 0x24) : null},
  };
  return instance;
}

// MaxCapacity in kilobytes (07h, dword); 80000000h defers to the extended
// maximum capacity (0Fh, qword, bytes), which the 32-bit property may not hold.
TVariant MaxCapacity(const TSmbiosStructure& s, TNotes& notes) {
  const auto capacity = s.Dword(0x07);
  if (!capacity) return TVariant::Null();
  if (*capacity != 0x80000000u) return Int(*capacity);
  const auto extended = s.Qword(0x0F);
  if (!extended || *extended == 0) {
    notes.Add(Describe(s) + ": the maximum capacity is in the extended field, which is " +
              (extended ? "0" : "missing") + "; MaxCapacity read as Null");
    return TVariant::Null();
  }
  const std::uint64_t kilobytes = *extended >> 10;
  if (kilobytes > 0xFFFFFFFFu) {
    notes.Add(Describe(s) + ": the maximum capacity of " + std::to_string(kilobytes) +
              " KB exceeds the 32-bit MaxCapacity; clamped to 4294967295 KB");
    return Int(0xFFFFFFFFu);
  }
  return Int(kilobytes);
}

TInventoryInstance MemoryArray(const TSmbiosStructure& s, int tag, TNotes& notes) {
  if (s.Length() < 0x0F) {
    notes.Add(Describe(s) + " is " + std::to_string(s.Length()) +
              " bytes long; the fields it cannot hold are read as Null");
  }
  const auto location = s.Byte(0x04);
  const auto use = s.Byte(0x05);
  const auto correction = s.Byte(0x06);
  const auto devices = s.Word(0x0D);
  const TVariant null = TVariant::Null();
  TInventoryInstance instance;
  instance.ClassName = "Win32_PhysicalMemoryArray";
  instance.Properties = {
      {"Caption", TVariant("Physical Memory Array")},
      {"CreationClassName", TVariant("Win32_PhysicalMemoryArray")},
      {"Depth", null},
      {"Description", TVariant("Physical Memory Array")},
      {"Height", null},
      {"HotSwappable", null},
      {"InstallDate", null},
      {"Location", location ? Int(WmiArrayLocation(*location)) : null},
      {"Manufacturer", null},
      {"MaxCapacity", MaxCapacity(s, notes)},
      {"MemoryDevices", devices ? Int(*devices) : null},
      // Use and error correction share their codes with WMI.
      {"MemoryErrorCorrection", correction ? Int(*correction) : null},
      {"Model", null},
      {"Name", TVariant("Physical Memory Array")},
      {"OtherIdentifyingInfo", null},
      {"PartNumber", null},
      {"PoweredOn", null},
      {"Removable", null},
      {"Replaceable", null},
      {"SerialNumber", null},
      {"SKU", null},
      {"Status", null},
      {"Tag", TVariant("Physical Memory Array " + std::to_string(tag))},
      {"Use", use ? Int(*use) : null},
      {"Version", null},
      {"Weight", null},
      {"Width", null},
  };
  return instance;
}

}  // namespace

std::uint16_t WmiMemoryType(std::uint8_t smbiosType) { return Lookup(kMemoryTypes, smbiosType); }

std::uint16_t WmiFormFactor(std::uint8_t smbiosFormFactor) { return Lookup(kFormFactors, smbiosFormFactor); }

std::uint16_t WmiArrayLocation(std::uint8_t smbiosLocation) {
  // 01h..0Ah share their codes; the PC-98 locations A0h..A3h are 11..14.
  if (smbiosLocation <= 0x0A) return smbiosLocation;
  if (smbiosLocation >= 0xA0 && smbiosLocation <= 0xA3) return static_cast<std::uint16_t>(smbiosLocation - 0xA0 + 11);
  return 0;
}

TInventory SmbiosInventory(const TSmbiosTable& table, std::vector<std::string>* notesOut) {
  TNotes notes(notesOut);
  for (const auto& note : table.Notes) notes.Add(note);
  TInventory inventory;
  int arrays = 0;
  for (const auto& s : table.Structures) {
    if (s.Type == kMemoryArray) inventory.Instances.push_back(MemoryArray(s, arrays++, notes));
  }
  int modules = 0;
  const auto version = static_cast<std::uint16_t>(table.MajorVersion << 8 | table.MinorVersion);
  for (const auto& s : table.Structures) {
    if (s.Type != kMemoryDevice) continue;
    const auto size = s.Word(0x0C);
    if (!size) {
      notes.Add(Describe(s) + " is too short to say whether a module is installed; skipped");
      continue;
    }
    if (*size == 0) continue;  // an empty socket
    inventory.Instances.push_back(MemoryDevice(s, *size, modules++, version, notes));
  }
  return inventory;
}

TWmiLocatorFactory MakeSmbiosLocatorFactory(const TSmbiosTable& table, std::vector<std::string>* notes) {
  return MakeReplayLocatorFactory(std::make_shared<const TInventory>(SmbiosInventory(table, notes)));
}

}  // namespace dimmscope
