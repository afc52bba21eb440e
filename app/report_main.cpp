// dimmscope-report: prints the System Info. texts and the slot panels of a
// scan, in the layout of the export files, with each module's details if
// asked; or the whole scan as JSON.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/inventory_capture.h"
#include "app/inventory_source.h"
#include "app/jedec_names.h"
#include "app/report_json.h"
#include "app/slot_scan.h"
#include "app/upgrade_advice.h"
#include "support/ansi_text.h"
#include "support/com_session.h"
#include "support/console.h"
#include "support/system_info.h"
#include "wmi/inventory_file.h"

namespace {

const char kUsage[] =
    "Usage: dimmscope-report [--format text|csv|json] [--jedec] [--details] [--advice]\n"
    "                        [--smbios FILE] [--save-inventory FILE]\n"
    "\n"
    "Prints the memory slots of this computer: the number of slots, the current\n"
    "and maximum memory, then one block per filled slot panel, fields separated\n"
    "by a tab (text, the default) or by ';' (csv). Lines end with CR LF.\n"
    "json prints the whole scan, every module with its values, as one JSON\n"
    "object (docs/report.schema.json describes it).\n"
    "\n"
    "  --jedec                after a Manufacturer value that comes from a JEDEC\n"
    "                         JEP106 code, the maker's JEP106 name in parentheses\n"
    "  --details              after each module's rows, what else is known of it:\n"
    "                         running and rated speed, form factor, ECC, ranks,\n"
    "                         buffering, voltage; and a last line naming the slots\n"
    "                         that run more than 10% below their rated speed\n"
    "  --advice               after the report (and the details, if asked), the\n"
    "                         upgrade advice: slots used and free, soldered memory,\n"
    "                         the firmware's maximum, what fits a free slot, what\n"
    "                         differs between the modules; for this computer's own\n"
    "                         inventory also memory installed against usable. The\n"
    "                         JSON report always holds it, as \"advice\"\n"
    "  --smbios FILE          read the memory modules from an SMBIOS table dump\n"
    "                         (as `dmidecode --dump-bin FILE` writes it)\n"
    "  --save-inventory FILE  also write the memory inventory read to FILE, as an\n"
    "                         inventory file that DIMMSCOPE_INVENTORY can replay\n"
    "\n"
    "Environment:\n"
    "  DIMMSCOPE_INVENTORY  an inventory file to read instead of this computer's\n"
    "                       own memory inventory (wins over any SMBIOS dump)\n"
    "  DIMMSCOPE_SMBIOS     an SMBIOS table dump to read, unless --smbios names one\n"
    "\n"
    "On Linux the memory modules come from the firmware's SMBIOS tables, which\n"
    "only root may read.\n"
    "\n"
    "Exit status:\n"
    "  0  the report was printed\n"
    "  1  nothing usable was read (the error is on standard error), or the\n"
    "     report could not be written\n"
    "  2  a wrong option\n"
    "  3  a partial report: the scan failed part way, but read a module or a\n"
    "     memory array (slots, maximum); what it read is printed, the error is\n"
    "     on standard error (and in the JSON's errors)\n";

// The text with every control byte (below 20h, and 7Fh) written as \xHH:
// locators and file names come from inventory files and firmware, and an
// escape sequence among them must not reach the terminal.
std::string Printable(const std::string& text) {
  std::string out;
  char escaped[8];
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else {
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}

void Say(const std::string& message) { std::fprintf(stderr, "dimmscope-report: %s\n", Printable(message).c_str()); }

int Fail(const std::string& message, int code) {
  Say(message);
  return code;
}

// Writes all of `text` on standard output: 0, or 1 with the reason told (a
// full disk): a large text bypasses the stdio buffer, so each write is checked.
int Write(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) return 0;
  return Fail(std::string("cannot write to standard output: ") + std::strerror(errno), 1);
}

// The value of an option given as "--name VALUE" or "--name=VALUE": true
// when `argv[i]` is that option, with `value` set (empty when missing) and
// `i` moved past it.
bool OptionValue(const char* name, int argc, char** argv, int& i, std::string& value) {
  const std::string arg = argv[i];
  const std::string prefix = std::string(name) + "=";
  if (arg == name) {
    value = i + 1 < argc ? argv[++i] : "";
    return true;
  }
  if (arg.compare(0, prefix.size(), prefix) == 0) {
    value = arg.substr(prefix.size());
    return true;
  }
  return false;
}

std::string SourceText(dimmscope::TInventorySource source, const std::string& smbiosDump) {
  using dimmscope::TInventorySource;
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "");
  };
  switch (source) {
    case TInventorySource::ReplayFile: return "the inventory file " + variable(dimmscope::kInventoryVariable);
    case TInventorySource::SmbiosDump:
      return "the SMBIOS dump " + (smbiosDump.empty() ? variable(dimmscope::kSmbiosVariable) : smbiosDump);
    case TInventorySource::Platform: return "this computer's own memory inventory";
    case TInventorySource::FirmwareTables: return "this computer's firmware tables, WMI having fallen short";
    case TInventorySource::None: break;
  }
  return "no inventory";
}

// The JSON report's name for a source.
std::string SourceKind(dimmscope::TInventorySource source) {
  using dimmscope::TInventorySource;
  switch (source) {
    case TInventorySource::ReplayFile: return "inventory-file";
    case TInventorySource::SmbiosDump: return "smbios-dump";
#ifdef _WIN32
    case TInventorySource::Platform: return "wmi";
#else
    case TInventorySource::Platform: return "firmware-tables";
#endif
    case TInventorySource::FirmwareTables: return "firmware-tables";
    case TInventorySource::None: break;
  }
  return "none";
}

// The advice's lines after the report, one a line, CR LF ended, after an
// empty line and a heading.
std::string AdviceText(const dimmscope::TUpgradeAdvice& advice) {
  std::string text = "\r\nUpgrade advice\r\n";
  for (const auto& line : advice.Lines) text += line + "\r\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  dimmscope::HardenDllSearch();
  using namespace dimmscope;
  const TComSession com;
  std::string separator = "\t";
  bool jedecNames = false;
  bool details = false;
  bool json = false;
  bool advice = false;
  std::string smbiosDump;
  std::string savePath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      return Write(kUsage);
    }
    if (arg == "--jedec" || arg == "--details") {
      (arg == "--jedec" ? jedecNames : details) = true;
      continue;
    }
    if (arg == "--advice") {
      advice = true;
      continue;
    }
    std::string file;
    const bool isSmbios = OptionValue("--smbios", argc, argv, i, file);
    if (isSmbios || OptionValue("--save-inventory", argc, argv, i, file)) {
      if (file.empty()) return Fail("option '" + arg.substr(0, arg.find('=')) + "' needs a file name", 2);
      // The inventory file layer takes UTF-8 paths; the SMBIOS dump's reader
      // opens the command line's own text.
      if (isSmbios) {
        smbiosDump = file;
      } else {
        savePath = Utf8FromAnsi(file);
      }
      continue;
    }
    std::string format;
    if (arg == "--format" && i + 1 < argc) {
      format = argv[++i];
    } else if (arg.rfind("--format=", 0) == 0) {
      format = arg.substr(9);
    } else {
      return Fail("unknown option '" + arg + "' (try --help)", 2);
    }
    json = format == "json";
    if (format == "text") {
      separator = "\t";
    } else if (format == "csv") {
      separator = ";";
    } else if (!json) {
      return Fail("unknown format '" + format + "': use text, csv or json", 2);
    }
  }

  std::vector<std::string> notes;
  std::string sourceLine;
  TInventorySource source = TInventorySource::None;
  try {
    source = InstallInventoryProvider(smbiosDump, &notes, &sourceLine);
    if (source == TInventorySource::None) {
      return Fail("this system has no memory inventory provider; set DIMMSCOPE_INVENTORY to an inventory file", 1);
    }
  } catch (const EInventoryAccessDenied& error) {
    // One plain line: the user has only to run it again as root.
    std::fprintf(stderr, "%s\n", Printable(error.what()).c_str());
    return 1;
  } catch (const EInventoryError& error) {
    return Fail(error.what(), 1);
  }
  // The same line the program logs when the firmware's tables stand in for WMI.
  if (!sourceLine.empty()) std::fprintf(stderr, "%s\n", Printable(sourceLine).c_str());
  for (const auto& note : notes) Say("note: " + note);

  if (!savePath.empty()) {
    try {
      std::vector<std::string> captureNotes;
      const TInventory inventory = CaptureInventory(&captureNotes);
      std::vector<std::string> comments = {"Saved by dimmscope-report from " + SourceText(source, smbiosDump)};
      for (const auto& note : notes) comments.push_back("note: " + note);
      for (const auto& note : captureNotes) comments.push_back("note: " + note);
      SaveInventoryFile(savePath, inventory, comments);
    } catch (const std::exception& error) {
      return Fail(std::string("cannot save the inventory: ") + error.what(), 1);
    }
  }

  const TSlotScanModel model = ScanSlotModel();
  for (const auto& note : model.Notes) Say("note: " + note);
  // A scan that failed is partial when it read a module or a memory array
  // (one that gives slots or a maximum): what it read is printed as the scan
  // left it, as the window shows it before the error. With nothing read it
  // is a failure, and only the error is told.
  const bool readSome = !model.Modules.empty() || model.Slots > 0 || model.MaxGB > 0;
  const std::optional<std::string> error = model.Error();
  if (error && !readSome) return Fail("the memory scan failed: " + *error, 1);
  if (error) Say("the memory scan failed in part: " + *error);

  std::string out;
  if (json) {
    out = ScanJson(model, SourceKind(source), LiveMemory(source));
  } else {
    for (const auto& text : SystemInfoTexts(model)) out += text + "\r\n";
    out += "\r\n";
    std::array<TExportPanel, kSlotPanels> panels = ExportPanels(model);
    for (std::size_t k = 0; k < panels.size(); ++k) {
      TSlotRows& rows = panels[k].Rows;
      const std::optional<std::string>& raw = model.Panels[k].Manufacturer;
      const std::optional<TJedecMaker> maker = jedecNames && raw ? JedecMaker(*raw) : std::nullopt;
      if (maker && rows.size() > static_cast<std::size_t>(kManufacturerRow)) {
        rows[kManufacturerRow].second += " (" + maker->Name + ")";
      }
      if (details && k < model.Modules.size()) {
        for (auto& row : DetailRows(model.Modules[k])) rows.push_back(std::move(row));
      }
    }
    out += ExportLayout(panels, separator);
    const std::string summary = details ? BelowRatingSummary(model.Modules) : "";
    if (!summary.empty()) out += "\r\n" + summary + "\r\n";
    if (advice) out += AdviceText(UpgradeAdvice(model, LiveMemory(source)));
  }
  SetBinaryStdout();
  const int written = Write(out);
  return written != 0 ? written : error ? 3 : 0;
}
