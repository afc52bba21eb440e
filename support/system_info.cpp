// The system-independent rules of the environment queries: version names,
// the Administrators decision, the installed-program list, the sysnative path.
#include "support/system_info.h"

#include <string_view>

#include "support/text_helpers.h"

namespace dimmscope {
namespace {

struct TVersionSuffix {
  std::uint32_t Major;
  std::uint32_t Minor;
  const char* Suffix;
};

// NT family, as the workstation service reports the version.
constexpr TVersionSuffix kNtSuffixes[] = {
    {5, 0, " (Windows 2000)"}, {5, 1, " (Windows XP)"}, {6, 0, " (Vista)"},      {6, 1, " (Seven)"},
    {6, 2, " (Windows8)"},     {6, 3, " (Windows8.1)"}, {10, 0, " (Windows10)"},
};

std::string DottedVersion(std::uint32_t Major, std::uint32_t Minor) {
  return std::to_string(Major) + "." + std::to_string(Minor);
}

std::string Win9xSuffix(const TWindowsVersionFacts& Facts) {
  if (Facts.Major == 4 && Facts.Minor == 0) return " (95)";
  if (Facts.Major == 4 && Facts.Minor == 10) {
    // Windows 98 SE reports the service-pack text " A ".
    return Facts.ServicePack.size() >= 2 && Facts.ServicePack[1] == 'A' ? " (98SE)" : " (98)";
  }
  if (Facts.Major == 4 && Facts.Minor == 90) return " (ME)";
  return " (Unknown)";
}

}  // namespace

std::string WindowsVersionName(const TWindowsVersionFacts& Facts) {
  if (!Facts.VersionKnown) return "Unknown";
  if (Facts.PlatformId == 1) return DottedVersion(Facts.Major, Facts.Minor) + Win9xSuffix(Facts);
  if (Facts.PlatformId != 2 || !Facts.WorkstationKnown) return "Unknown";
  std::string name = DottedVersion(Facts.WorkstationMajor, Facts.WorkstationMinor);
  for (const TVersionSuffix& row : kNtSuffixes) {
    if (row.Major == Facts.WorkstationMajor && row.Minor == Facts.WorkstationMinor) return name + row.Suffix;
  }
  return name;
}

bool AdministratorsInGroups(const std::vector<TTokenGroup>& Groups) {
  constexpr std::uint32_t kDenyOnly = 0x10;
  for (const TTokenGroup& group : Groups) {
    if (group.IsAdministrators) return (group.Attributes & kDenyOnly) == 0;
  }
  return false;
}

std::string RegistryRootName(TRegistryRoot Root) {
  return Root == TRegistryRoot::CurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\";
}

const std::vector<TUninstallPlace>& UninstallPlaces() {
  static const std::vector<TUninstallPlace> places = {
      {TRegistryRoot::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", TMissingKey::Skip},
      {TRegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", TMissingKey::Error},
      // Only 64-bit Windows has the 32-bit programs' view.
      {TRegistryRoot::LocalMachine, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
       TMissingKey::ErrorOnWow64},
  };
  return places;
}

void ComposeInstalledPrograms(TUninstallRegistry& Registry, const std::vector<TUninstallPlace>& Places, bool Wow64,
                              std::vector<std::string>& Names, std::vector<std::string>& Errors) {
  Names.clear();
  Errors.clear();
  for (const TUninstallPlace& place : Places) {
    if (place.WhenMissing == TMissingKey::Skip && !Registry.KeyExists(place.Root, place.KeyPath)) continue;
    const std::string where = RegistryRootName(place.Root) + place.KeyPath;
    Names.push_back(where);
    const auto entries = Registry.ReadEntries(place.Root, place.KeyPath);
    if (!entries) {
      if (place.WhenMissing != TMissingKey::ErrorOnWow64 || Wow64) Errors.push_back("Unable to open " + where);
      continue;
    }
    for (const TUninstallEntry& entry : *entries) {
      if (!entry.Opened) {
        Errors.push_back("Unable to open " + where + entry.SubkeyName);
      } else {
        Names.push_back(entry.DisplayName ? *entry.DisplayName : entry.SubkeyName);
      }
    }
  }
}

bool AnyStartsText(const std::vector<std::string>& Names, const std::string& Prefix) {
  for (const std::string& name : Names) {
    if (StartsText(name, Prefix)) return true;
  }
  return false;
}

std::string SysNativePathFor(const std::string& Path, const std::string& SystemFolder, bool Wow64) {
  if (!Wow64 || SystemFolder.empty() || Path.compare(0, SystemFolder.size(), SystemFolder) != 0) return Path;
  static constexpr std::string_view kSystem32 = "\\system32\\";
  static constexpr std::string_view kSysnative = "\\sysnative\\";
  for (std::size_t at = 0; at + kSystem32.size() <= Path.size(); ++at) {
    if (SameText(std::string_view(Path).substr(at, kSystem32.size()), kSystem32)) {
      return Path.substr(0, at) + std::string(kSysnative) + Path.substr(at + kSystem32.size());
    }
  }
  return Path;
}

}  // namespace dimmscope
