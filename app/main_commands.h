// What the main window's commands decide, apart from the window: the links
// file's web address, the module search text, the driver-update target and
// the export file. The window calls these and only hands the results to the
// shell or to its controls.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/slot_scan.h"

namespace dimmscope {

inline constexpr char kApplicationTitle[] = "Dimmscope";
inline constexpr char kLinksFileName[] = "dimmscope.ini";
inline constexpr char kLinksSection[] = "links";
inline constexpr char kRamLinkKey[] = "ram";

// A file name in the data folder (which may or may not end with a separator).
std::string DataFile(const std::string& DataFolder, const std::string& Name);

// The string under [Section] Key of an INI text, as the Windows profile
// functions read it: names compared without regard to case, the value's
// surrounding blanks and one pair of enclosing quotes removed; `Default`
// when absent.
std::string ReadIniString(const std::string& IniText, const std::string& Section, const std::string& Key,
                          const std::string& Default);

// Yes for an address the program may hand to the shell as a web page: it
// starts with http:// or https:// (any case) and holds no blank or control
// character.
bool IsWebAddress(const std::string& Text);

// The address under `Key` in section "links" of the links file, else
// `DefaultAddress`. The file comes over plain HTTP, so a value that is not a
// web address (a program, a local or network path) is never returned: the
// shell would start or open it. Every '%' that starts no "%XX" escape is
// written "%25", the same address, so that "%USERNAME%" in it reaches the web
// host as those characters even where the shell expands environment
// variables whatever it is told (Wine's does).
std::string GetLink(const std::string& LinksFile, const std::string& Key, const std::string& DefaultAddress);

// The module search text of a slot list: its manufacturer without any "N/A",
// a blank, its model, trimmed. Nothing when the list has fewer than four rows.
std::optional<std::string> SpecSearchText(const TSlotRows& Rows);

// The driver-update product when "Fesk" names a non-empty file, else the
// drivers page.
std::string DriversTarget(const std::string& Fesk, bool FeskIsNonEmptyFile, const std::string& DriversPage);

class EExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the shown panels to "export.<Extension>" in the data folder,
// replacing an earlier export of the same kind, and returns its name. Throws
// EExportError naming the file when it cannot be written.
std::string ExportSlots(const std::array<TExportPanel, kSlotPanels>& Panels, const std::string& Separator,
                        const std::string& Extension, const std::string& DataFolder);

}  // namespace dimmscope
