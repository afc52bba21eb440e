// The SMBIOS table reader's field access, and the Linux layout of the entry
// point and the table apart. Whole dumps, damaged ones among them, are read
// through the report by tests/smbios_dmidecode.sh.
#include "wmi/smbios_table.h"

#include <gtest/gtest.h>

#include "tests/smbios_builder.h"

namespace dimmscope {
namespace {

TEST(SmbiosTable, FieldsAndStringsAreMissingRatherThanReadPastTheEnd) {
  testing::TSmbiosBuilder b;
  b.Add(17, std::string("\x00\x10\x02\x00\x03", 5), {"first", "second"});
  b.AddEnd();
  const TSmbiosTable table = ParseSmbiosDump(b.Dump(3, 3));
  ASSERT_EQ(table.Structures.size(), 1u);
  const TSmbiosStructure& s = table.Structures[0];
  EXPECT_EQ(s.Byte(8), std::optional<std::uint8_t>(3));
  EXPECT_FALSE(s.Byte(9));
  EXPECT_EQ(s.Word(4), std::optional<std::uint16_t>(0x1000));
  EXPECT_FALSE(s.Word(8));
  EXPECT_EQ(s.Dword(4), std::optional<std::uint32_t>(0x00021000));
  EXPECT_FALSE(s.Dword(6));
  EXPECT_FALSE(s.Qword(2));
  EXPECT_FALSE(s.Word(static_cast<std::size_t>(-1)));
  EXPECT_EQ(s.String(6), std::optional<std::string>("second"));
  EXPECT_FALSE(s.String(7) || s.BadStringIndex(7));    // string 0: none
  EXPECT_TRUE(!s.String(8) && s.BadStringIndex(8));    // string 3 of 2
  EXPECT_FALSE(s.String(20) || s.BadStringIndex(20));  // beyond the structure
}

TEST(SmbiosTable, EntryPointAndTableApartAsLinuxPublishesThem) {
  testing::TSmbiosBuilder b;
  b.Add(17, std::string(0x18, '\0'));
  b.AddEnd();
  // The address is a physical one there, never an offset into the table.
  EXPECT_EQ(ParseSmbiosTable(b.EntryPoint(0x7A2B1000, 3, 3), b.Table()).Structures.size(), 1u);
  // A 2.x table shorter than announced, cut within its end-of-table structure.
  const TSmbiosTable cut = ParseSmbiosTable(b.EntryPoint(0, 2, 8), b.Table().substr(0, b.Table().size() - 4));
  EXPECT_EQ(cut.Structures.size(), 1u);
  EXPECT_EQ(cut.Notes, (std::vector<std::string>{"the table holds 32 bytes; the entry point announces 36",
                                                 "the table ended after 1 structures; the entry point announces 2"}));
}

}  // namespace
}  // namespace dimmscope
