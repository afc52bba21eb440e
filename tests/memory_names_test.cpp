// Maker names from texts and JEP106 codes; memory type names and PC ratings.
#include "app/memory_names.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

struct TCase {
  const char* Raw;
  const char* Shown;
};

void ExpectNames(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) EXPECT_EQ(ManufacturerName(c.Raw), c.Shown) << "raw text: \"" << c.Raw << "\"";
}

TEST(ManufacturerName, CodesAtTheStartAndNamesAnywhere) {
  ExpectNames({
      {"80CE000080CE", "Samsung"},
      {"ce00000000000000", "Samsung"},
      {"00AD00B300AD", "Hynix (Hyundai)"},
      {"16", "Synertek"},
      {"Xicor", "Xicor"},
      {"SK Hynix", "Hynix (Hyundai)"},
      {"Hyundai Electronics", "Hynix (Hyundai)"},
      {"Samsung Electronics", "Samsung"},
      {"8004", "Fujitsu"},
      {"7F7F7F7F43", "Ramaxel Technology"},
      {"7F7FFE0000", "Elpida"},
      {"Ramaxel Technology Co", "Ramaxel Technology"},
      {"xINTELx", "Numonyx (Intel)"},  // fragments match inside words, any case
  });
}

TEST(ManufacturerName, LongerEarlierCodeFormsWin) {
  ExpectNames({
      {"0198", "Kingston"},
      {"7F98", "Kingston"},
      {"0194", "Smart Modular"},
      {"02FE", "Elpida"},
      {"830B", "Nanya Technology"},
      {"0100", "AMD"},
      {"8300", "Fairchild"},
  });
}

TEST(ManufacturerName, UnmatchedTextsAreShownAsReported) {
  ExpectNames({
      {"Micron", "Micron"},
      {"Fujitsu", "Fujitsu"},  // the table's fragment is spelt "Fujistu"
      {"Undefined", "Undefined"},
      {"", ""},
      {"Kingston                      ", "Kingston"},
      {"Corsair  ", "Corsair  "},  // not trimmed
      {"0000000000000000", "0000000000000000"},
  });
}

TEST(ManufacturerName, PlaceholdersBecomeNA) {
  ExpectNames({{"Manufacturer00", "N/A"}, {"manufacturer", "N/A"}, {"Manufacturer3", "N/A"}});
}

TEST(ManufacturerName, JedecIdPrefixIsDroppedAndTrimmed) {
  ExpectNames({
      {"JEDEC ID: CE", "Samsung"},
      {"jedec id:CE 01 08 45 06 06 7D A4", "Samsung"},
      {"JEDEC ID:AD 01 10 11 69 37 38 21", "Hynix (Hyundai)"},
      {"JEDEC ID:  Something Else \t", "Something Else"},
  });
}

TEST(ManufacturerName, BlankSeparatedHexBytesAreReadAsOneCode) {
  ExpectNames({
      {"80 CE", "Samsung"},
      {"01 98", "Kingston"},
      {"7F 7F 7F 0B 00 00 00 00", "Nanya Technology"},
      {"JEDEC ID:80 2C 00 00", "Micron Technology"},
      {"02 9E", "02 9E"},    // banked and unknown: shown with its blank
      {"80  CE", "80  CE"},  // two blanks: not a byte list, and no row starts with "80 "
  });
}

TEST(ManufacturerName, BankedCodesDoNotMatchBankOneRows) {
  ExpectNames({
      {"029E", "029E"},                  // Corsair (bank 3), not AMI
      {"859B0000802C", "859B0000802C"},  // Crucial (bank 6), not GTE
      {"04CB", "04CB"},                  // A-DATA (bank 5), not Fujitsu
      {"04CD", "04CD"},                  // G.Skill (bank 5), not Fujitsu
      {"0443", "0443"},                  // Ramaxel written with its bank byte
      {"0400", "Fujitsu"},               // 00 is no code byte
      {"047F", "Fujitsu"},               // 7F is the continuation code
      {"0403", "Fujitsu"},               // 03 has even parity: no code byte
      {"04", "Fujitsu"},
      {"0B2C", "0B2C"},                  // bank 12, not Intersil
      {"8302", "8302"},                  // bank 4, not Fairchild
      {"0E00", "Freescale (Motorola)"},  // no code byte after the bank byte
  });
}

TEST(ManufacturerName, TheTwentyThirtySevenRowsAllNameSomething) {
  // One code form of each row that has one, spot-checking the table's order
  // and names.
  ExpectNames({
      {"8007", "Hitachi"},
      {"8008", "Inmos"},
      {"800B", "Intersil"},
      {"800D", "Mostek"},
      {"800E", "Freescale (Motorola)"},
      {"8010", "NEC"},
      {"8013", "Conexant (Rockwell)"},
      {"8015", "NXP (Philips Semi, Signetics)"},
      {"801A", "Zilog"},
      {"801C", "Mitsubishi"},
      {"802C", "Micron Technology"},
      {"8040", "ProMOS/Mosel Vitelic"},
      {"806A", "Goldenram"},
      {"7F7FB5", "SpecTek"},
      {"8083", "Fairchild"},
      {"85", "GTE"},
      {"8089", "Numonyx (Intel)"},
      {"8091", "DATARAM"},
      {"8098", "Toshiba"},
      {"80A4", "IBM"},
      {"7F7F7F7F7F51", "Infineon (Siemens)"},
      {"80DE", "Winbond Electronics"},
      {"80E0", "LG (Goldstar)"},
      {"7F45", "Micron CMS"},
      {"8001", "AMD"},
      {"8002", "AMI"},
      {"06C1", "ASint"},
      {"0500", "Elpida"},
  });
}

TEST(MemoryTypeName, NamesAndPcRatings) {
  auto label = [](std::uint16_t code, std::uint32_t speed) {
    return TypeWithSpeedRating(MemoryTypeName(code, speed), speed);
  };
  EXPECT_EQ(label(24, 1600), "DDR3 / PC3-12800");
  EXPECT_EQ(label(26, 2400), "DDR4 / PC4-19200");
  EXPECT_EQ(label(20, 400), "DDR / PC-3200");
  EXPECT_EQ(label(21, 0), "DDR2");
  EXPECT_EQ(label(17, 133), "SDRAM @ 133MHz");
  EXPECT_EQ(label(0, 2133), "DDR3/4 @ 2133MHz");
  EXPECT_EQ(label(1, 2666), "DDR4 / PC4-21328");
  EXPECT_EQ(label(0, 667), "DDR2 / PC2-5336");
  EXPECT_EQ(label(0, 0), "Unknown");
  EXPECT_EQ(label(23, 150), "Reserved @ 150MHz");
  EXPECT_EQ(label(23, 200), "Reserved @ 200MHz");
  EXPECT_EQ(label(1, 201), "DDR / PC-1608");
  EXPECT_EQ(label(22, 667), "DDR2 FB-DIMM @ 667MHz");
  EXPECT_EQ(label(31, 800), "DDR3/4 @ 800MHz");
  EXPECT_EQ(label(65535, 3200), "DDR4 / PC4-25600");
  EXPECT_EQ(label(9, 0), "RAM");
  EXPECT_EQ(label(30, 4266), "LPDDR4 @ 4266MHz");
}

TEST(MemoryTypeName, SpeedsAreComparedSigned) {
  // 0x80000000 and above are negative: no fallback.
  EXPECT_EQ(MemoryTypeName(0, 0x80000000u), "Unknown");
  // The rating multiplies the unsigned 32-bit speed, wrapping.
  EXPECT_EQ(TypeWithSpeedRating("DDR4", 0x20000001u), "DDR4 / PC4-8");
}

TEST(MemoryTypeName, SmbiosTypeNamesWhatTheWmiCodeCannot) {
  auto label = [](std::uint16_t code, std::uint32_t speed, std::uint16_t smbios) {
    return TypeWithSpeedRating(MemoryTypeName(code, speed, smbios), speed);
  };
  EXPECT_EQ(label(0, 4800, 0x22), "DDR5 / PC5-38400");
  EXPECT_EQ(label(0, 2133, 0x1A), "DDR4 / PC4-17064");
  EXPECT_EQ(label(0, 5600, 0x23), "LPDDR5 @ 5600MHz");
  EXPECT_EQ(label(1, 1600, 0x18), "DDR3 / PC3-12800");
  EXPECT_EQ(label(23, 100, 0x0F), "SDRAM @ 100MHz");
  // A usable WMI code wins over the SMBIOS code.
  EXPECT_EQ(label(24, 1600, 0x1A), "DDR3 / PC3-12800");
  // Absent, 0, "other", "unknown" and reserved SMBIOS codes change nothing.
  for (std::uint16_t smbios : {0, 1, 2, 0x15, 0x25, 0xFFFF}) {
    EXPECT_EQ(label(0, 2133, smbios), "DDR3/4 @ 2133MHz") << smbios;
    EXPECT_EQ(label(0, 0, smbios), "Unknown") << smbios;
  }
}

}  // namespace
}  // namespace dimmscope
