// The SMBIOS table reader: both entry points, dumps and separate tables,
// and every kind of damage firmware or a dump can bring.
#include "wmi/smbios_table.h"

#include <gtest/gtest.h>

#include "tests/fake_wmi_provider.h"
#include "tests/smbios_builder.h"

namespace dimmscope {
namespace {

using testing::TSmbiosBuilder;
using testing::TSmbiosDeviceFields;

std::string Body(std::size_t size, char fill = '\x11') { return std::string(size, fill); }

bool HasNote(const TSmbiosTable& table, const std::string& part) {
  for (const auto& note : table.Notes) {
    if (note.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(SmbiosTable, BothEntryPointsGiveTheSameStructures) {
  TSmbiosBuilder b;
  b.Add(0, Body(14), {"Vendor", "1.0"});
  b.AddDevice(TSmbiosDeviceFields{});
  b.Add(200, "", {"OEM"});  // a type the reader has no idea about
  b.AddEnd();
  for (const std::string& dump : {b.Dump2(2, 8), b.Dump3(3, 4)}) {
    const TSmbiosTable table = ParseSmbiosDump(dump);
    EXPECT_TRUE(table.Notes.empty()) << table.Notes.front();
    ASSERT_EQ(table.Structures.size(), 3u);  // the end-of-table structure is not kept
    EXPECT_EQ(table.Structures[0].Type, 0);
    EXPECT_EQ(table.Structures[0].Length(), 18u);
    EXPECT_EQ(table.Structures[0].Strings, (std::vector<std::string>{"Vendor", "1.0"}));
    EXPECT_EQ(table.Structures[1].Type, 17);
    EXPECT_EQ(table.Structures[1].Handle, 0x1001);
    EXPECT_EQ(table.Structures[1].Length(), 0x5Cu);
    EXPECT_EQ(table.Structures[1].String(0x10), std::optional<std::string>("DIMM 0"));
    EXPECT_EQ(table.Structures[2].Type, 200);
    EXPECT_EQ(table.Structures[2].Strings, (std::vector<std::string>{"OEM"}));
  }
  const TSmbiosTable two = ParseSmbiosDump(b.Dump2(2, 8));
  EXPECT_EQ(two.EntryKind, TSmbiosEntryKind::Smbios2);
  EXPECT_EQ(two.MajorVersion, 2);
  EXPECT_EQ(two.MinorVersion, 8);
  const TSmbiosTable three = ParseSmbiosDump(b.Dump3(3, 4));
  EXPECT_EQ(three.EntryKind, TSmbiosEntryKind::Smbios3);
  EXPECT_EQ(three.MinorVersion, 4);
}

TEST(SmbiosTable, SeparateEntryPointAndTableAsLinuxPublishesThem) {
  TSmbiosBuilder b;
  b.AddDevice(TSmbiosDeviceFields{});
  b.AddEnd();
  // The address is a physical one there, never an offset into the table.
  const TSmbiosTable table = ParseSmbiosTable(b.EntryPoint3(0x7A2B1000), b.Table());
  ASSERT_EQ(table.Structures.size(), 1u);
  EXPECT_TRUE(table.Notes.empty());
  const TSmbiosTable legacy = ParseSmbiosTable(b.EntryPoint2(0x000F0000), b.Table());
  ASSERT_EQ(legacy.Structures.size(), 1u);
  // A 2.x table shorter than its entry point says.
  const TSmbiosTable cut = ParseSmbiosTable(b.EntryPoint2(0), b.Table().substr(0, b.Table().size() - 4));
  EXPECT_EQ(cut.Structures.size(), 1u);
  EXPECT_TRUE(HasNote(cut, "the entry point announces"));
}

TEST(SmbiosTable, UnusableEntryPointsAreErrors) {
  TSmbiosBuilder b;
  b.AddEnd();
  EXPECT_THROW(ParseSmbiosDump(""), ESmbiosError);
  EXPECT_THROW(ParseSmbiosDump("_DMI_ legacy only, not read"), ESmbiosError);
  EXPECT_THROW(ParseSmbiosDump(b.Dump3().substr(0, 20)), ESmbiosError);
  EXPECT_THROW(ParseSmbiosDump(b.Dump2().substr(0, 29)), ESmbiosError);
  // The table offset points past the end of the dump.
  std::string dump = b.EntryPoint3(0x1000);
  dump.resize(0x20, '\0');
  try {
    ParseSmbiosDump(dump + b.Table());
    FAIL() << "no error";
  } catch (const ESmbiosError& error) {
    EXPECT_STREQ(error.what(), "the table offset 0x00001000 lies beyond the dump's 38 bytes");
  }
}

TEST(SmbiosTable, DoubtfulEntryPointsAreReadWithANote) {
  TSmbiosBuilder b;
  b.AddDevice(TSmbiosDeviceFields{});
  b.AddEnd();
  std::string dump = b.Dump3();
  dump[0x07] = 4;  // version changed, checksum left alone
  TSmbiosTable table = ParseSmbiosDump(dump);
  EXPECT_EQ(table.Structures.size(), 1u);
  EXPECT_TRUE(HasNote(table, "checksum does not add up"));
  dump = b.Dump2();
  dump[0x10] = 'X';  // the _DMI_ anchor
  table = ParseSmbiosDump(dump);
  EXPECT_EQ(table.Structures.size(), 1u);
  EXPECT_TRUE(HasNote(table, "lacks its _DMI_ anchor"));
  // A 2.x dump whose table is cut off within the file.
  table = ParseSmbiosDump(b.Dump2().substr(0, 0x20 + 30));
  EXPECT_TRUE(HasNote(table, "the dump holds 30 bytes of the table"));
}

TEST(SmbiosTable, ABrokenStructureEndsTheWalkButKeepsWhatCameBefore) {
  struct TCase {
    const char* What;
    std::string Tail;
    const char* Note;
  };
  const TCase cases[] = {
      {"length under the header", std::string("\x11\x03\x05\x00", 4) + std::string(8, '\0'),
       "states a length of 3, shorter than its header"},
      {"longer than the table", std::string("\x11\xF0\x05\x00", 4) + "abc", "bytes long but the table ends after"},
      {"strings without an end", std::string("\x11\x05\x05\x00\x00", 5) + "DIMM 1",
       "has no end to its strings before the table ends"},
      {"one zero after the strings", std::string("\x11\x05\x05\x00\x00", 5) + std::string("A\0", 2),
       "has no end to its strings"},
      {"formatted area ends the table", std::string("\x11\x05\x05\x00\x00", 5), "has no end to its strings"},
  };
  for (const auto& c : cases) {
    TSmbiosBuilder b;
    b.AddDevice(TSmbiosDeviceFields{});
    b.AddRaw(c.Tail);
    // Copied so the sanitizers see the table's true end.
    const std::string dump = b.Dump3();
    const TSmbiosTable table = ParseSmbiosDump(dump);
    ASSERT_EQ(table.Structures.size(), 1u) << c.What;
    EXPECT_EQ(table.Structures[0].Type, 17) << c.What;
    ASSERT_EQ(table.Notes.size(), 1u) << c.What;
    EXPECT_NE(table.Notes[0].find(c.Note), std::string::npos) << c.What << ": " << table.Notes[0];
    EXPECT_NE(table.Notes[0].find("table offset 0x"), std::string::npos) << c.What;
  }
}

TEST(SmbiosTable, TwoXTablesEndAfterTheAnnouncedCount) {
  TSmbiosBuilder b;
  b.AddDevice(TSmbiosDeviceFields{});
  TSmbiosBuilder withJunk = b;
  // Junk after the last announced structure, as firmware pads tables.
  std::string dump = b.Dump2() + std::string("\x11\xFF\xFF\xFF", 4);
  TSmbiosTable table = ParseSmbiosDump(dump);
  EXPECT_EQ(table.Structures.size(), 1u);
  EXPECT_TRUE(table.Notes.empty());
  // Fewer structures than announced, in a table shorter than announced.
  withJunk.AddDevice(TSmbiosDeviceFields{});
  table = ParseSmbiosTable(withJunk.EntryPoint2(0), b.Table());
  EXPECT_EQ(table.Structures.size(), 1u);
  EXPECT_TRUE(HasNote(table, "the table ended after 1 structures; the entry point announces 2"));
  EXPECT_TRUE(HasNote(table, "the table holds"));
}

TEST(SmbiosTable, FieldsAndStringsAreMissingRatherThanReadPastTheEnd) {
  TSmbiosBuilder b;
  b.Add(17, std::string("\x00\x10\x02\x00", 4) + "\x03", {"first", "second"});
  b.AddEnd();
  const TSmbiosTable table = ParseSmbiosDump(b.Dump3());
  ASSERT_EQ(table.Structures.size(), 1u);
  const TSmbiosStructure& s = table.Structures[0];
  EXPECT_EQ(s.Length(), 9u);
  EXPECT_EQ(s.Byte(8), std::optional<std::uint8_t>(3));
  EXPECT_FALSE(s.Byte(9));
  EXPECT_EQ(s.Word(4), std::optional<std::uint16_t>(0x1000));
  EXPECT_FALSE(s.Word(8));
  EXPECT_FALSE(s.Dword(6));
  EXPECT_EQ(s.Dword(4), std::optional<std::uint32_t>(0x00021000));
  EXPECT_FALSE(s.Qword(2));
  EXPECT_FALSE(s.Word(static_cast<std::size_t>(-1)));
  EXPECT_EQ(s.String(6), std::optional<std::string>("second"));
  EXPECT_FALSE(s.String(7));  // string 0: none
  EXPECT_FALSE(s.BadStringIndex(7));
  EXPECT_FALSE(s.String(8));  // string 3 of 2
  EXPECT_TRUE(s.BadStringIndex(8));
  EXPECT_FALSE(s.String(20));
  EXPECT_FALSE(s.BadStringIndex(20));
}

TEST(SmbiosTable, StringsAreKeptExactlyAsStored) {
  TSmbiosBuilder b;
  b.Add(17, std::string("\x01\x02\x03", 3), {"  padded  ", "\xC9T\xC9", "tab\there;semi"});
  b.AddEnd();
  const TSmbiosTable table = ParseSmbiosDump(b.Dump3());
  ASSERT_EQ(table.Structures.size(), 1u);
  EXPECT_EQ(table.Structures[0].String(4), std::optional<std::string>("  padded  "));
  EXPECT_EQ(table.Structures[0].String(5), std::optional<std::string>("\xC9T\xC9"));
  EXPECT_EQ(table.Structures[0].String(6), std::optional<std::string>("tab\there;semi"));
}

TEST(SmbiosTable, DumpFilesNameThemselvesInErrors) {
  try {
    LoadSmbiosDumpFile(testing::FixturePath("no-such-dump.bin"));
    FAIL() << "no error";
  } catch (const ESmbiosError& error) {
    EXPECT_NE(std::string(error.what()).find("no-such-dump.bin: cannot open the SMBIOS dump"), std::string::npos);
  }
  // An inventory file is no dump.
  try {
    LoadSmbiosDumpFile(testing::FixturePath("scan/four_modules.ini"));
    FAIL() << "no error";
  } catch (const ESmbiosError& error) {
    EXPECT_NE(std::string(error.what()).find("four_modules.ini: not a usable SMBIOS dump: no _SM_ or _SM3_"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace dimmscope
