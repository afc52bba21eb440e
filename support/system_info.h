// Stateless questions about the machine and the process: the Windows version
// as a short name, 32-bit-on-64-bit, administrator membership, whether the
// product is registered as installed, and the 32-bit file-system redirection.
// The pure rules behind them live in system_info.cpp; each platform answers
// the questions in platform/<system>/system_info_<system>.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dimmscope {

// A failed system call, with the system's own message and its error code.
class EOSError : public std::runtime_error {
 public:
  EOSError(std::uint32_t Code, const std::string& Message) : std::runtime_error(Message), code_(Code) {}
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

// ---------------------------------------------------------------------------
// Platform services

// Makes the process load DLLs only from the system folder, never from the
// folder the program was started from (often a Downloads folder holding
// other people's DLLs). Called first thing in main. Nothing to do elsewhere.
void HardenDllSearch();

// "10.0 (Windows10)", "6.1 (Seven)", "5.2", or "Unknown"; never fails.
std::string GetWindowsVersionName();
// A 32-bit process on 64-bit Windows. Throws EOSError when the system call fails.
bool IsWow64();
// The token carries the Administrators group, not for deny-only use (so a
// non-elevated process of an administrator answers false). Throws EOSError.
bool IsAdministrator();
// Display names of all uninstall registrations, each place preceded by its
// heading line ("HKEY_..."); keys that cannot be opened go to `Errors`.
void ListInstalledPrograms(std::vector<std::string>& Names, std::vector<std::string>& Errors);
// Some uninstall registration's display name begins with `Prefix` (letters
// A to Z compared without case).
bool IsProductInstalled(const std::string& Prefix);
// A path into the system folder as a 32-bit process must write it to reach
// the 64-bit system folder ("\sysnative\"); otherwise `Path` unchanged.
std::string SysNativePath(const std::string& Path);
// Switches the 32-bit file-system redirection off (true) or back on (false)
// for the calling thread; does nothing where it does not exist. False only
// when an exception was swallowed.
bool SetWow64Redirection(bool Disabled);
// The environment variable `Name` in UTF-8, empty when it is not set. Windows
// is asked in UTF-16, so a path in it may name folders outside the ANSI code
// page.
std::string EnvironmentValue(const char* Name);

// ---------------------------------------------------------------------------
// The rules, free of system calls

// What the system said about its version.
struct TWindowsVersionFacts {
  bool VersionKnown = false;     // the version query succeeded
  std::uint32_t PlatformId = 0;  // 1 = 95/98/ME family, 2 = NT family
  std::uint32_t Major = 0;
  std::uint32_t Minor = 0;
  std::string ServicePack;  // " A " on Windows 98 SE
  // NT family: the workstation service's version, when it answered.
  bool WorkstationKnown = false;
  std::uint32_t WorkstationMajor = 0;
  std::uint32_t WorkstationMinor = 0;
};
std::string WindowsVersionName(const TWindowsVersionFacts& Facts);

// One group of an access token.
struct TTokenGroup {
  bool IsAdministrators = false;  // the built-in Administrators alias (S-1-5-32-544)
  std::uint32_t Attributes = 0;   // 0x10 = deny-only
};
// The first Administrators group decides: member unless it is deny-only.
bool AdministratorsInGroups(const std::vector<TTokenGroup>& Groups);

enum class TRegistryRoot { CurrentUser, LocalMachine };
// "HKEY_CURRENT_USER\" or "HKEY_LOCAL_MACHINE\".
std::string RegistryRootName(TRegistryRoot Root);

// The three places that hold uninstall registrations, in the order scanned.
enum class TMissingKey {
  Skip,          // no heading, no error
  Error,         // heading, then an error line
  ErrorOnWow64,  // heading; an error line only for a 32-bit process on 64-bit Windows
};
struct TUninstallPlace {
  TRegistryRoot Root;
  std::string KeyPath;  // ends with a backslash
  TMissingKey WhenMissing;
};
const std::vector<TUninstallPlace>& UninstallPlaces();

// One subkey of an uninstall place.
struct TUninstallEntry {
  std::string SubkeyName;
  bool Opened = true;
  std::optional<std::string> DisplayName;  // set only for a plain string value
};

// The registry as the installed-program scan reads it.
class TUninstallRegistry {
 public:
  virtual ~TUninstallRegistry() = default;
  virtual bool KeyExists(TRegistryRoot Root, const std::string& KeyPath) = 0;
  // The key's direct subkeys in the registry's order; nothing when the key
  // cannot be opened.
  virtual std::optional<std::vector<TUninstallEntry>> ReadEntries(TRegistryRoot Root, const std::string& KeyPath) = 0;
};

// Fills `Names` and `Errors` (emptied first) from the places, in order.
void ComposeInstalledPrograms(TUninstallRegistry& Registry, const std::vector<TUninstallPlace>& Places, bool Wow64,
                              std::vector<std::string>& Names, std::vector<std::string>& Errors);
bool AnyStartsText(const std::vector<std::string>& Names, const std::string& Prefix);

// `Path` with its first "\system32\" (any case) made "\sysnative\", when the
// process is a 32-bit one on 64-bit Windows and `Path` begins with the
// system folder (case counts there).
std::string SysNativePathFor(const std::string& Path, const std::string& SystemFolder, bool Wow64);

}  // namespace dimmscope
