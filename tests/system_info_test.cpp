// The rules of the environment queries: version names, the Administrators
// decision, the installed-program list and the sysnative path.
#include "support/system_info.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace dimmscope {
namespace {

TWindowsVersionFacts NtFacts(std::uint32_t Major, std::uint32_t Minor) {
  TWindowsVersionFacts facts;
  facts.VersionKnown = true;
  facts.PlatformId = 2;
  facts.Major = 6;  // what a compatibility layer may report instead
  facts.Minor = 2;
  facts.WorkstationKnown = true;
  facts.WorkstationMajor = Major;
  facts.WorkstationMinor = Minor;
  return facts;
}

TWindowsVersionFacts Win9xFacts(std::uint32_t Major, std::uint32_t Minor, std::string ServicePack = "") {
  TWindowsVersionFacts facts;
  facts.VersionKnown = true;
  facts.PlatformId = 1;
  facts.Major = Major;
  facts.Minor = Minor;
  facts.ServicePack = std::move(ServicePack);
  return facts;
}

TEST(WindowsVersionName, NtFamilyTakesTheWorkstationVersionAndItsSuffix) {
  EXPECT_EQ(WindowsVersionName(NtFacts(5, 0)), "5.0 (Windows 2000)");
  EXPECT_EQ(WindowsVersionName(NtFacts(5, 1)), "5.1 (Windows XP)");
  EXPECT_EQ(WindowsVersionName(NtFacts(6, 0)), "6.0 (Vista)");
  EXPECT_EQ(WindowsVersionName(NtFacts(6, 1)), "6.1 (Seven)");
  EXPECT_EQ(WindowsVersionName(NtFacts(6, 2)), "6.2 (Windows8)");
  EXPECT_EQ(WindowsVersionName(NtFacts(6, 3)), "6.3 (Windows8.1)");
  EXPECT_EQ(WindowsVersionName(NtFacts(10, 0)), "10.0 (Windows10)");
  // No suffix for versions outside the table.
  EXPECT_EQ(WindowsVersionName(NtFacts(5, 2)), "5.2");
  EXPECT_EQ(WindowsVersionName(NtFacts(6, 4)), "6.4");
  EXPECT_EQ(WindowsVersionName(NtFacts(11, 0)), "11.0");
  EXPECT_EQ(WindowsVersionName(NtFacts(10, 1)), "10.1");
}

TEST(WindowsVersionName, FailuresGiveUnknown) {
  TWindowsVersionFacts noWorkstation = NtFacts(10, 0);
  noWorkstation.WorkstationKnown = false;
  EXPECT_EQ(WindowsVersionName(noWorkstation), "Unknown");
  TWindowsVersionFacts noVersion = NtFacts(10, 0);
  noVersion.VersionKnown = false;
  EXPECT_EQ(WindowsVersionName(noVersion), "Unknown");
  EXPECT_EQ(WindowsVersionName(TWindowsVersionFacts{}), "Unknown");
  TWindowsVersionFacts otherPlatform = NtFacts(10, 0);
  otherPlatform.PlatformId = 3;  // Windows CE
  EXPECT_EQ(WindowsVersionName(otherPlatform), "Unknown");
}

TEST(WindowsVersionName, Win9xFamilyTakesTheVersionQuery) {
  EXPECT_EQ(WindowsVersionName(Win9xFacts(4, 0)), "4.0 (95)");
  EXPECT_EQ(WindowsVersionName(Win9xFacts(4, 10, " A ")), "4.10 (98SE)");
  EXPECT_EQ(WindowsVersionName(Win9xFacts(4, 10, "")), "4.10 (98)");
  EXPECT_EQ(WindowsVersionName(Win9xFacts(4, 10, "A")), "4.10 (98)");  // 'A' must be the second character
  EXPECT_EQ(WindowsVersionName(Win9xFacts(4, 10, " B ")), "4.10 (98)");
  EXPECT_EQ(WindowsVersionName(Win9xFacts(4, 90)), "4.90 (ME)");
  EXPECT_EQ(WindowsVersionName(Win9xFacts(4, 3)), "4.3 (Unknown)");
  // The workstation service plays no part there.
  TWindowsVersionFacts withWorkstation = Win9xFacts(4, 0);
  withWorkstation.WorkstationKnown = true;
  withWorkstation.WorkstationMajor = 10;
  EXPECT_EQ(WindowsVersionName(withWorkstation), "4.0 (95)");
}

TEST(AdministratorsInGroups, TheFirstAdministratorsGroupDecides) {
  const TTokenGroup users{false, 0x7};
  const TTokenGroup admins{true, 0x7};           // enabled, mandatory
  const TTokenGroup adminsDenyOnly{true, 0x10};  // UAC's filtered token
  EXPECT_FALSE(AdministratorsInGroups({}));
  EXPECT_FALSE(AdministratorsInGroups({users}));
  EXPECT_TRUE(AdministratorsInGroups({users, admins}));
  EXPECT_FALSE(AdministratorsInGroups({users, adminsDenyOnly}));
  EXPECT_FALSE(AdministratorsInGroups({adminsDenyOnly, admins}));
  EXPECT_TRUE(AdministratorsInGroups({admins, adminsDenyOnly}));
  EXPECT_FALSE(AdministratorsInGroups({TTokenGroup{true, 0x17}}));
}

// A registry made of keys given by the test; a key with no entry list
// cannot be opened.
class TFakeUninstallRegistry : public TUninstallRegistry {
 public:
  using TKey = std::pair<TRegistryRoot, std::string>;
  std::map<TKey, std::optional<std::vector<TUninstallEntry>>> Keys;

  bool KeyExists(TRegistryRoot Root, const std::string& KeyPath) override { return Keys.count({Root, KeyPath}) > 0; }
  std::optional<std::vector<TUninstallEntry>> ReadEntries(TRegistryRoot Root, const std::string& KeyPath) override {
    const auto found = Keys.find({Root, KeyPath});
    return found == Keys.end() ? std::nullopt : found->second;
  }
};

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kUninstall32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TUninstallEntry Named(std::string Subkey, std::optional<std::string> DisplayName) {
  TUninstallEntry entry;
  entry.SubkeyName = std::move(Subkey);
  entry.DisplayName = std::move(DisplayName);
  return entry;
}

TUninstallEntry Unopenable(std::string Subkey) {
  TUninstallEntry entry;
  entry.SubkeyName = std::move(Subkey);
  entry.Opened = false;
  return entry;
}

TEST(InstalledPrograms, ThePlacesInOrderWithHeadingsNamesAndErrors) {
  TFakeUninstallRegistry registry;
  registry.Keys[{TRegistryRoot::CurrentUser, kUninstall}] =
      std::vector<TUninstallEntry>{Named("{user-app}", "User App 1.0")};
  registry.Keys[{TRegistryRoot::LocalMachine, kUninstall}] = std::vector<TUninstallEntry>{
      Named("Zeta", "Zeta Tools"), Named("NoName", std::nullopt), Unopenable("Locked"), Named("Empty", "")};
  registry.Keys[{TRegistryRoot::LocalMachine, kUninstall32}] =
      std::vector<TUninstallEntry>{Named("{dimm}", "orvel studio dimmscope 1.8")};
  std::vector<std::string> names = {"stale"}, errors = {"stale"};
  ComposeInstalledPrograms(registry, UninstallPlaces(), true, names, errors);
  const std::vector<std::string> expectedNames = {
      "HKEY_CURRENT_USER\\" + kUninstall,
      "User App 1.0",
      "HKEY_LOCAL_MACHINE\\" + kUninstall,
      "Zeta Tools",
      "NoName",
      "",
      "HKEY_LOCAL_MACHINE\\" + kUninstall32,
      "orvel studio dimmscope 1.8",
  };
  EXPECT_EQ(names, expectedNames);
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to open HKEY_LOCAL_MACHINE\\" + kUninstall + "Locked"});
  EXPECT_TRUE(AnyStartsText(names, "Orvel Studio Dimmscope"));
  EXPECT_FALSE(AnyStartsText(names, "Orvel Studio Fesk"));
}

TEST(InstalledPrograms, MissingKeys) {
  TFakeUninstallRegistry registry;  // nothing can be opened
  std::vector<std::string> names, errors;
  // 32-bit Windows: no user key (skipped), the machine key fails, the
  // 32-bit view's absence is no error.
  ComposeInstalledPrograms(registry, UninstallPlaces(), false, names, errors);
  EXPECT_EQ(names,
            (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\" + kUninstall, "HKEY_LOCAL_MACHINE\\" + kUninstall32}));
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to open HKEY_LOCAL_MACHINE\\" + kUninstall});
  // 64-bit Windows: the 32-bit view must be there.
  ComposeInstalledPrograms(registry, UninstallPlaces(), true, names, errors);
  EXPECT_EQ(errors, (std::vector<std::string>{"Unable to open HKEY_LOCAL_MACHINE\\" + kUninstall,
                                              "Unable to open HKEY_LOCAL_MACHINE\\" + kUninstall32}));
  // A user key that exists but cannot be opened is reported like the others.
  registry.Keys[{TRegistryRoot::CurrentUser, kUninstall}] = std::nullopt;
  ComposeInstalledPrograms(registry, UninstallPlaces(), false, names, errors);
  EXPECT_EQ(names.front(), "HKEY_CURRENT_USER\\" + kUninstall);
  EXPECT_EQ(errors.front(), "Unable to open HKEY_CURRENT_USER\\" + kUninstall);
}

TEST(InstalledPrograms, HeadingsNeverMatchAProduct) {
  TFakeUninstallRegistry registry;
  std::vector<std::string> names, errors;
  ComposeInstalledPrograms(registry, UninstallPlaces(), false, names, errors);
  EXPECT_FALSE(AnyStartsText(names, "Orvel Studio Dimmscope"));
  EXPECT_TRUE(AnyStartsText(names, "hkey_"));
  EXPECT_FALSE(AnyStartsText({}, ""));
}

TEST(SysNativePathFor, OnlyA32BitProcessOn64BitWindowsRewritesTheSystemFolder) {
  const std::string system = "C:\\Windows\\System32";
  const std::string hosts = "C:\\Windows\\System32\\drivers\\etc\\hosts";
  EXPECT_EQ(SysNativePathFor(hosts, system, true), "C:\\Windows\\sysnative\\drivers\\etc\\hosts");
  EXPECT_EQ(SysNativePathFor(hosts, system, false), hosts);
  EXPECT_EQ(SysNativePathFor(hosts, "", true), hosts);
  // Beginning with the system folder is compared with case; "\system32\" is found without.
  EXPECT_EQ(SysNativePathFor("c:\\windows\\system32\\x.dll", system, true), "c:\\windows\\system32\\x.dll");
  EXPECT_EQ(SysNativePathFor("C:\\Windows\\System32\\x.dll", "C:\\Windows\\System32", true),
            "C:\\Windows\\sysnative\\x.dll");
  // Elsewhere than at the system folder: unchanged.
  EXPECT_EQ(SysNativePathFor("D:\\Data\\system32\\file", system, true), "D:\\Data\\system32\\file");
  // Only the first occurrence.
  EXPECT_EQ(SysNativePathFor("C:\\Windows\\System32\\a\\SYSTEM32\\b", system, true),
            "C:\\Windows\\sysnative\\a\\SYSTEM32\\b");
  // The folder itself, without a following backslash, has nothing to replace.
  EXPECT_EQ(SysNativePathFor(system, system, true), system);
}

}  // namespace
}  // namespace dimmscope
