// Manufacturer and memory type tables.
#include "app/memory_names.h"

#include <array>
#include <string_view>

#include "support/text_helpers.h"

namespace dimmscope {
namespace {

struct TMakerRow {
  std::array<std::string_view, 3> Codes;      // matched at the start of the text
  std::array<std::string_view, 3> Fragments;  // matched anywhere in the text
  std::string_view Name;
};

constexpr TMakerRow kMakers[] = {
    {{"04", "8004"}, {"Fujistu"}, "Fujitsu"},
    {{"0500", "7F7FFE", "02FE"}, {"Elpida"}, "Elpida"},
    {{"07", "8007"}, {"Hitachi"}, "Hitachi"},
    {{"08", "8008"}, {"Inmos"}, "Inmos"},
    {{"0B", "800B"}, {"Intersil"}, "Intersil"},
    {{"0D", "800D"}, {"Mostek"}, "Mostek"},
    {{"0E", "800E"}, {"Freescale", "Motorola"}, "Freescale (Motorola)"},
    {{"10", "8010"}, {"NEC"}, "NEC"},
    {{"13", "8013"}, {"Conexant", "Rockwell"}, "Conexant (Rockwell)"},
    {{"15", "8015"}, {"Philips", "Signetics", "NXP"}, "NXP (Philips Semi, Signetics)"},
    {{"16", "8016"}, {"Synertek"}, "Synertek"},
    {{}, {"Xicor"}, "Xicor"},
    {{"1A", "801A"}, {"Zilog"}, "Zilog"},
    {{"1C", "801C"}, {"Mitsubishi"}, "Mitsubishi"},
    {{"2C", "802C"}, {"Micron Technology"}, "Micron Technology"},
    {{"40", "8040"}, {"ProMOS", "Mosel Vitelic"}, "ProMOS/Mosel Vitelic"},
    {{"6A", "806A"}, {"Goldenram"}, "Goldenram"},
    {{"7F7FB5"}, {"SpecTek"}, "SpecTek"},
    {{"7F7F7F0B", "830B"}, {"Nanya"}, "Nanya Technology"},
    {{"83", "8083"}, {"Fairchild"}, "Fairchild"},
    {{"85"}, {"GTE"}, "GTE"},
    {{"89", "8089"}, {"Numonyx", "Intel"}, "Numonyx (Intel)"},
    {{"91", "8091"}, {"DATARAM"}, "DATARAM"},
    {{"94", "0194"}, {"Smart Modular"}, "Smart Modular"},
    {{"98", "8098"}, {"Toshiba"}, "Toshiba"},
    {{"A4", "80A4"}, {"IBM"}, "IBM"},
    {{"AD", "80AD", "00AD"}, {"Hynix", "Hyundai"}, "Hynix (Hyundai)"},
    {{"C1", "80C1", "7F7F7F7F7F51"}, {"Infineon", "Siemens"}, "Infineon (Siemens)"},
    {{"CE", "80CE", "00CE"}, {"Samsung"}, "Samsung"},
    {{"DE", "80DE"}, {"Winbond"}, "Winbond Electronics"},
    {{"E0", "80E0"}, {"LG", "Goldstar"}, "LG (Goldstar)"},
    {{"7F45"}, {"Micron CMS"}, "Micron CMS"},
    {{"0198", "7F98"}, {"Kingston"}, "Kingston"},
    {{"7F7F7F7F43"}, {"Ramaxel"}, "Ramaxel Technology"},
    {{"01", "8001"}, {"AMD"}, "AMD"},
    {{"02", "8002"}, {"AMI"}, "AMI"},
    {{"06C1"}, {"ASint"}, "ASint"},
};
static_assert(sizeof kMakers / sizeof kMakers[0] == 37);

// "80 CE" or "7F 7F 7F 0B 00": hex byte pairs separated by single blanks.
bool IsBlankSeparatedHex(const std::string& key) {
  if (key.size() < 5 || (key.size() + 1) % 3 != 0) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (i % 3 == 2 ? key[i] != ' ' : HexDigit(key[i]) < 0) return false;
  }
  return true;
}

// Banks 2 to 16 of JEP106 are written as a bank byte (the bank number minus
// one, odd parity in bit 7) followed by the maker's code byte, which has odd
// parity too and is never the continuation code 7F.
bool HasOddParity(int byte) {
  int bits = 0;
  for (int b = byte; b != 0; b >>= 1) bits += b & 1;
  return (bits & 1) != 0;
}

bool StartsWithBankedCode(const std::string& key) {
  if (key.size() < 4) return false;
  int digits[4];
  for (int i = 0; i < 4; ++i) {
    digits[i] = HexDigit(key[static_cast<std::size_t>(i)]);
    if (digits[i] < 0) return false;
  }
  const int bank = digits[0] * 16 + digits[1];
  const int code = digits[2] * 16 + digits[3];
  const int bankIndex = bank & 0x7F;  // banks 2..16 give 1..15
  const bool isBankByte = bankIndex >= 1 && bankIndex <= 15 && HasOddParity(bank);
  return isBankByte && code != 0x7F && HasOddParity(code);
}

bool CodeFormMatches(const std::string& codeKey, bool banked, std::size_t row, std::string_view form) {
  if (form.empty() || !StartsText(codeKey, form)) return false;
  // A bank-1 code cannot stand for a code written with its bank byte.
  if (banked && form.size() == 2) return false;
  // A longer code form of an earlier row takes precedence.
  for (std::size_t earlier = 0; earlier < row; ++earlier) {
    for (std::string_view other : kMakers[earlier].Codes) {
      if (other.size() > form.size() && StartsText(codeKey, other)) return false;
    }
  }
  return true;
}

constexpr std::size_t kMakerRows = sizeof kMakers / sizeof kMakers[0];

const std::array<std::array<std::string, 3>, kMakerRows>& LowerFragments() {
  static const auto table = [] {
    std::array<std::array<std::string, 3>, kMakerRows> lower;
    for (std::size_t row = 0; row < kMakerRows; ++row) {
      for (std::size_t i = 0; i < 3; ++i) {
        for (char c : kMakers[row].Fragments[i]) lower[row][i] += FoldAscii(c);
      }
    }
    return lower;
  }();
  return table;
}

constexpr std::string_view kMemoryTypes[] = {
    "Unknown", "Other", "DRAM",         "Synchronous DRAM", "Cache DRAM", "EDO",   "EDRAM", "VRAM",  "SRAM",   "RAM",
    "ROM",     "Flash", "EEPROM",       "FEPROM",           "EPROM",      "CDRAM", "3DRAM", "SDRAM", "SGRAM",  "RDRAM",
    "DDR",     "DDR2",  "DDR2 FB-DIMM", "Reserved",         "DDR3",       "FBD2",  "DDR4",  "LPDDR", "LPDDR2", "LPDDR3",
    "LPDDR4",
};
static_assert(sizeof kMemoryTypes / sizeof kMemoryTypes[0] == 31);

// SMBIOS type 17 memory types (offset 12h); empty entries name nothing.
// clang-format off
constexpr std::string_view kSmbiosMemoryTypes[] = {
    "",  // 0x00
    "",  // 0x01 other
    "",  // 0x02 unknown
    "DRAM", "EDRAM", "VRAM", "SRAM", "RAM", "ROM", "Flash", "EEPROM", "FEPROM", "EPROM",  // 0x03 - 0x0C
    "CDRAM", "3DRAM", "SDRAM", "SGRAM", "RDRAM",                                          // 0x0D - 0x11
    "DDR", "DDR2", "DDR2 FB-DIMM",                                                        // 0x12 - 0x14
    "", "", "",                                                                           // 0x15 - 0x17 reserved
    "DDR3", "FBD2", "DDR4", "LPDDR", "LPDDR2", "LPDDR3", "LPDDR4",                        // 0x18 - 0x1E
    "Logical non-volatile device", "HBM", "HBM2",                                         // 0x1F - 0x21
    "DDR5", "LPDDR5", "HBM3",                                                             // 0x22 - 0x24
};
// clang-format on
static_assert(sizeof kSmbiosMemoryTypes / sizeof kSmbiosMemoryTypes[0] == 0x25);

}  // namespace

std::string ManufacturerName(const std::string& Manufacturer) {
  const std::string key =
      StartsText(Manufacturer, "JEDEC ID:") ? RemovePrefixText(Manufacturer, "JEDEC ID:") : Manufacturer;
  std::string codeKey = key;
  // Firmware pads the field with blanks: "80 CE 00 00 " is a byte list too.
  const std::size_t lastPair = key.find_last_not_of(' ');
  if (lastPair != std::string::npos && IsBlankSeparatedHex(key.substr(0, lastPair + 1))) {
    codeKey.clear();
    for (char c : key) {
      if (c != ' ') codeKey += c;
    }
  }
  const bool banked = StartsWithBankedCode(codeKey);
  // Fragments match anywhere, ignoring the case of A to Z: fold both once.
  std::string lowerKey = key;
  for (char& c : lowerKey) c = FoldAscii(c);

  std::string result = key;
  for (std::size_t row = 0; row < kMakerRows; ++row) {
    const TMakerRow& maker = kMakers[row];
    bool matches = false;
    for (std::string_view form : maker.Codes) matches = matches || CodeFormMatches(codeKey, banked, row, form);
    for (const std::string& fragment : LowerFragments()[row]) {
      matches = matches || (!fragment.empty() && lowerKey.find(fragment) != std::string::npos);
    }
    if (matches) result = std::string(maker.Name);
  }
  if (StartsText(result, "Manufacturer")) result = "N/A";
  return result;
}

std::string SmbiosMemoryTypeName(std::uint16_t smbiosType) {
  if (smbiosType >= sizeof kSmbiosMemoryTypes / sizeof kSmbiosMemoryTypes[0]) return std::string();
  return std::string(kSmbiosMemoryTypes[smbiosType]);
}

std::string MemoryTypeName(std::uint16_t code, std::uint32_t speed, std::uint16_t smbiosType) {
  const std::string name = code <= 30 ? std::string(kMemoryTypes[code]) : std::string("Unknown");
  const bool unusable = name == "Reserved" || name == "Unknown" || code < 2;
  if (!unusable) return name;
  // Windows 10 and later report code 0 for DDR4 and DDR5; the SMBIOS code
  // still says which it is, which beats guessing from the speed.
  const std::string smbiosName = SmbiosMemoryTypeName(smbiosType);
  if (!smbiosName.empty()) return smbiosName;
  const auto signedSpeed = static_cast<std::int32_t>(speed);
  if (signedSpeed <= 200) return name;
  if (signedSpeed < 400) return "DDR";
  if (signedSpeed < 800) return "DDR2";
  if (signedSpeed < 2400) return "DDR3/4";
  return "DDR4";
}

std::string TypeWithSpeedRating(const std::string& name, std::uint32_t speed) {
  if (speed == 0) return name;
  const std::string rating = std::to_string(static_cast<std::uint32_t>(speed * 8u));
  if (name == "DDR2" || name == "DDR3" || name == "DDR4" || name == "DDR5") {
    return name + " / PC" + name[3] + "-" + rating;
  }
  if (name == "DDR") return name + " / PC-" + rating;
  return name + " @ " + std::to_string(speed) + "MHz";
}

}  // namespace dimmscope
