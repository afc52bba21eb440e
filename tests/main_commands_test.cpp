// The main window's command decisions: web addresses and the links file (with
// its scheme check), the module search address and the export file.
#include "app/main_commands.h"

#include <gtest/gtest.h>

#include "support/text_helpers.h"
#include "tests/case_table.h"
#include "tests/scratch_folder.h"
#include "update/maker_urls.h"

namespace dimmscope {
namespace {

std::string Apply(const testing::TCase& c) {
  const auto& f = c.Fields;
  if (f[0] == "url") return UrlEncode(f[1]);
  if (f[0] == "web") return YesNo(IsWebAddress(f[1]));
  if (f[0] == "ini") return ReadIniString(f[1], f[2], f[3], "-");
  return SearchUrl(
      SpecSearchText({{"Slot Name", "A"}, {"Capacity", "8 GB"}, {"Manufacturer", f[1]}, {"Model", f[2]}}).value());
}

TEST(MainCommands, UrlsTable) {
  for (const auto& c : testing::CaseTable("urls.txt")) EXPECT_EQ(Apply(c), c.Fields.back()) << c.Where;
  EXPECT_FALSE(SpecSearchText(TSlotRows(3, {"a", "b"})).has_value());  // no Model row
}

TEST(MainCommands, GetLinkGivesTheDefaultUnlessTheFileNamesAWebAddress) {
  const char kDefault[] = "http://www.example.test/dimmscope";
  TScratchFolder folder;
  const std::string file = folder.Path("dimmscope.ini");
  EXPECT_EQ(GetLink(file, "ram", kDefault), kDefault);  // no file
  for (const std::string value : {"", "h", "calc.exe", "https://shop.test/ram"}) {
    ASSERT_TRUE(WriteFileBytes(file, "[links]\r\nram=" + value + "\r\n"));
    EXPECT_EQ(GetLink(file, "ram", kDefault), value.size() > 10 ? value : kDefault) << value;
  }
  EXPECT_EQ(GetLink(file, "forum", kDefault), kDefault);
}

TEST(MainCommands, ExportSlotsReplacesTheFileOfItsKindOrNamesTheOneItCannotWrite) {
  std::array<TExportPanel, kSlotPanels> panels;
  panels[0].Rows = {{"Slot Name", "A0"}, {"Model", "K;1 "}};
  panels[1].ListShown = panels[2].ListShown = panels[3].ListShown = false;
  TScratchFolder folder;
  EXPECT_EQ(ExportSlots(panels, ";", "csv", folder.Path()), folder.Path("export.csv"));  // no trailing separator
  EXPECT_EQ(FileContents(folder.Path("export.csv")), "[BANK 1]\r\nSlot Name;A0\r\nModel;K;1 \r\n");
  panels[0].ListShown = false;
  ExportSlots(panels, "\t", "csv", folder.Path() + "/");                 // with a trailing separator
  EXPECT_EQ(FileContents(folder.Path("export.csv")), "");                // replaced, not appended
  std::filesystem::create_directory(FsPath(folder.Path("export.txt")));  // a folder where the file goes
  try {
    ExportSlots(panels, "\t", "txt", folder.Path());
    FAIL() << "expected EExportError";
  } catch (const EExportError& error) {
    EXPECT_NE(std::string(error.what()).find("export.txt"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace dimmscope
