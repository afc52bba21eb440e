// The main window's command decisions: the links file (with its scheme
// check), the module search text, the drivers target and the export file.
#include "app/main_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "update/maker_urls.h"

namespace dimmscope {
namespace {

namespace fs = std::filesystem;

const char kDefault[] = "http://www.example.test/dimmscope";

class TempFolder {
 public:
  TempFolder() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = fs::temp_directory_path() / ("dimmscope-window-" + std::to_string(stamp));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  // The folder as the program passes it: UTF-8 with a trailing separator.
  std::string Folder() const { return path_.u8string() + static_cast<char>(fs::path::preferred_separator); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return (path_ / name).u8string();
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

TEST(ReadIniString, ReadsLikeTheProfileFunctions) {
  const std::string ini =
      "; the links\r\n[other]\r\nram=http://wrong\r\n[ Links ]\r\n  RAM =  \"http://a.test/x\"  \r\nforum=b\r\n";
  EXPECT_EQ(ReadIniString(ini, "links", "ram", "-"), "http://a.test/x");
  EXPECT_EQ(ReadIniString(ini, "LINKS", "forum", "-"), "b");
  EXPECT_EQ(ReadIniString(ini, "links", "missing", "-"), "-");
  EXPECT_EQ(ReadIniString(ini, "nosection", "ram", "-"), "-");
  EXPECT_EQ(ReadIniString("[links]\nram=http://last.test", "links", "ram", ""), "http://last.test");
}

TEST(GetLink, DefaultWithoutFileEmptyValueOrOneCharacter) {
  TempFolder temp;
  EXPECT_EQ(GetLink(temp.Folder() + "dimmscope.ini", "ram", kDefault), kDefault);
  const std::string empty = temp.Write("empty.ini", "");
  EXPECT_EQ(GetLink(empty, "ram", kDefault), kDefault);
  const std::string one = temp.Write("one.ini", "[links]\r\nram=h\r\n");
  EXPECT_EQ(GetLink(one, "ram", kDefault), kDefault);
  const std::string other = temp.Write("other.ini", "[links]\r\nforum=http://f.test\r\n");
  EXPECT_EQ(GetLink(other, "ram", kDefault), kDefault);
}

TEST(GetLink, ReturnsAWebAddressUnchanged) {
  TempFolder temp;
  const std::string file = temp.Write("dimmscope.ini", "[links]\r\nram=https://shop.test/ram?x=1&y=2\r\n");
  EXPECT_EQ(GetLink(file, "ram", kDefault), "https://shop.test/ram?x=1&y=2");
  const std::string upper = temp.Write("upper.ini", "[links]\r\nram=HTTP://shop.test/\r\n");
  EXPECT_EQ(GetLink(upper, "ram", kDefault), "HTTP://shop.test/");
}

TEST(GetLink, RefusesWhatTheShellWouldRunOrOpenLocally) {
  // The file arrives over plain HTTP: a tampered value must not start a
  // program or open a local or network path.
  TempFolder temp;
  for (const char* value : {"C:\\Windows\\System32\\calc.exe", "\\\\attacker\\share\\x.exe", "file:///C:/x.exe",
                            "calc.exe", "javascript:alert(1)", "ms-settings:", "http:/one-slash", "https",
                            "http://a.test/\"x\" --y", "http://a.test/ b"}) {
    const std::string file = temp.Write("dimmscope.ini", std::string("[links]\r\nram=") + value + "\r\n");
    EXPECT_EQ(GetLink(file, "ram", kDefault), kDefault) << value;
  }
}

TEST(SpecSearchText, ManufacturerWithoutNAThenModelTrimmed) {
  TSlotRows rows = {{"Slot Name", "DIMM1"},           {"Capacity", "4 GB"}, {"Manufacturer", "Samsung"},
                    {"Model", "M378B5273DH0-CH9   "}, {"Type", "DDR3"},     {"Serial#", "1"}};
  EXPECT_EQ(SpecSearchText(rows).value(), "Samsung M378B5273DH0-CH9");
  EXPECT_EQ(SearchUrl(*SpecSearchText(rows)).substr(SearchUrl(*SpecSearchText(rows)).rfind("&q=")),
            "&q=Samsung%20M378B5273DH0-CH9");
  rows[2].second = "N/A";
  rows[3].second = "N/A";
  EXPECT_EQ(SpecSearchText(rows).value(), "N/A");
  rows[2].second = "ACN/AME";
  rows[3].second = "X1";
  EXPECT_EQ(SpecSearchText(rows).value(), "ACME X1");
  rows[2].second = "n/a Corp";  // only the exact "N/A" goes
  EXPECT_EQ(SpecSearchText(rows).value(), "n/a Corp X1");
  EXPECT_FALSE(SpecSearchText(TSlotRows(3, {"a", "b"})).has_value());
}

TEST(DriversTarget, ProductOnlyWhenFeskNamesANonEmptyFile) {
  EXPECT_EQ(DriversTarget("C:\\Fesk\\fesk.exe", true, "http://d.test"), "C:\\Fesk\\fesk.exe");
  EXPECT_EQ(DriversTarget("C:\\Fesk\\fesk.exe", false, "http://d.test"), "http://d.test");
  EXPECT_EQ(DriversTarget("", true, "http://d.test"), "http://d.test");
}

std::array<TExportPanel, kSlotPanels> Panels() {
  std::array<TExportPanel, kSlotPanels> panels;
  panels[0].Rows = {{"Slot Name", "A0"}, {"Capacity", "8 GB"}, {"Manufacturer", "Kingston"},
                    {"Model", "K;1 "},   {"Type", "DDR3"},     {"Serial#", "S"}};
  panels[1].ListShown = false;
  panels[2].ListShown = false;
  panels[3].ListShown = false;
  return panels;
}

TEST(ExportSlots, WritesBothKindsSideBySideAndReplacesEach) {
  TempFolder temp;
  const std::string text = ExportSlots(Panels(), "\t", "txt", temp.Folder());
  EXPECT_EQ(text, temp.Folder() + "export.txt");
  EXPECT_EQ(temp.Read("export.txt"),
            "[BANK 1]\r\nSlot Name\tA0\r\nCapacity\t8 GB\r\nManufacturer\tKingston\r\nModel\tK;1 \r\n"
            "Type\tDDR3\r\nSerial#\tS\r\n");
  ExportSlots(Panels(), ";", "csv", temp.Folder());
  EXPECT_EQ(temp.Read("export.csv").substr(0, 22), "[BANK 1]\r\nSlot Name;A0");
  EXPECT_NE(temp.Read("export.csv").find("Model;K;1 \r\n"), std::string::npos);  // no quoting
  EXPECT_TRUE(fs::exists(temp.Path() / "export.txt"));

  auto none = Panels();
  none[0].ListShown = false;
  ExportSlots(none, "\t", "txt", temp.Folder());
  EXPECT_EQ(temp.Read("export.txt"), "");  // replaced, not appended
  // The folder without its trailing separator gives the same file.
  std::string folder = temp.Folder();
  folder.pop_back();
  EXPECT_EQ(ExportSlots(Panels(), "\t", "txt", folder), temp.Folder() + "export.txt");
}

TEST(ExportSlots, FailureNamesTheFileAndLeavesNothingBehind) {
  TempFolder temp;
  fs::create_directories(temp.Path() / "export.txt");  // a folder where the file goes
  try {
    ExportSlots(Panels(), "\t", "txt", temp.Folder());
    FAIL() << "expected EExportError";
  } catch (const EExportError& error) {
    EXPECT_NE(std::string(error.what()).find("export.txt"), std::string::npos) << error.what();
  }
  EXPECT_THROW(
      ExportSlots(Panels(), "\t", "csv", temp.Folder() + "missing" + static_cast<char>(fs::path::preferred_separator)),
      EExportError);
}

}  // namespace
}  // namespace dimmscope
