// dimmscope-report: prints the System Info. texts and the slot panels of a
// scan, in the layout of the export files.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "app/inventory_source.h"
#include "app/slot_scan.h"
#include "support/com_session.h"
#include "support/console.h"
#include "wmi/inventory_file.h"

namespace {

const char kUsage[] =
    "Usage: dimmscope-report [--format text|csv]\n"
    "\n"
    "Prints the memory slots of this computer: the number of slots, the current\n"
    "and maximum memory, then one block per filled slot panel, fields separated\n"
    "by a tab (text, the default) or by ';' (csv). Lines end with CR LF.\n"
    "\n"
    "Environment:\n"
    "  DIMMSCOPE_INVENTORY  an inventory file to read instead of this computer's\n"
    "                       own memory inventory\n";

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "dimmscope-report: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace dimmscope;
  const TComSession com;
  std::string separator = "\t";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    std::string format;
    if (arg == "--format" && i + 1 < argc) {
      format = argv[++i];
    } else if (arg.rfind("--format=", 0) == 0) {
      format = arg.substr(9);
    } else {
      return Fail("unknown option '" + arg + "' (try --help)", 2);
    }
    if (format == "text") {
      separator = "\t";
    } else if (format == "csv") {
      separator = ";";
    } else {
      return Fail("unknown format '" + format + "': use text or csv", 2);
    }
  }

  try {
    if (InstallInventoryProvider() == TInventorySource::None) {
      return Fail("this system has no memory inventory provider; set DIMMSCOPE_INVENTORY to an inventory file", 1);
    }
  } catch (const EInventoryError& error) {
    return Fail(error.what(), 1);
  }

  const TSlotScanModel model = ScanSlotModel();
  if (model.Error) return Fail("the memory scan failed: " + *model.Error, 1);

  std::string out;
  out += *model.SlotsText + "\r\n";
  out += *model.CurMemText + "\r\n";
  out += *model.MaxMemText + "\r\n";
  out += "\r\n";
  out += ExportLayout(ExportPanels(model), separator);
  SetBinaryStdout();
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
