// The environment queries on POSIX systems: the kernel's name and release
// for the version, effective root for the administrator, and no Windows
// registrations or 32-bit redirection to speak of.
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>

#include "support/system_info.h"

namespace dimmscope {

void HardenDllSearch() {}

std::string GetWindowsVersionName() {
  struct utsname names {};
  if (uname(&names) != 0) return "Unknown";
  return std::string(names.sysname) + " " + names.release + " (" + names.machine + ")";
}

bool IsWow64() { return false; }

bool IsAdministrator() { return geteuid() == 0; }

void ListInstalledPrograms(std::vector<std::string>& Names, std::vector<std::string>& Errors) {
  // The local machine's heading, as Windows lists it even with no programs.
  const TUninstallPlace& machine = UninstallPlaces()[1];
  Names.assign(1, RegistryRootName(machine.Root) + machine.KeyPath);
  Errors.clear();
}

bool IsProductInstalled(const std::string& Prefix) {
  std::vector<std::string> names, errors;
  ListInstalledPrograms(names, errors);
  return AnyStartsText(names, Prefix);
}

std::string SysNativePath(const std::string& Path) { return Path; }

bool SetWow64Redirection(bool) { return true; }

std::string EnvironmentValue(const char* Name) {
  const char* value = std::getenv(Name);
  return value != nullptr ? value : std::string();
}

}  // namespace dimmscope
