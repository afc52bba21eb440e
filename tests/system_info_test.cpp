// The rules of the environment queries: version names, the Administrators
// decision, the installed-program list and the sysnative path.
#include "support/system_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "support/text_helpers.h"
#include "tests/case_table.h"

namespace dimmscope {
namespace {

std::string Apply(const testing::TCase& c) {
  auto f = c.Fields;
  if (f[0] == "sysnative") {
    for (auto& field : f) std::replace(field.begin(), field.end(), '/', '\\');
    std::string path = SysNativePathFor(f[1], f[2], f[3] == "Yes");
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  TWindowsVersionFacts facts;
  facts.VersionKnown = f[1][0] != '-';
  std::sscanf(f[1].c_str() + (facts.VersionKnown ? 0 : 1), "%u", &facts.PlatformId);
  std::sscanf(f[2].c_str(), "%u.%u", &facts.Major, &facts.Minor);
  facts.ServicePack = f[3];
  facts.WorkstationKnown = std::sscanf(f[4].c_str(), "%u.%u", &facts.WorkstationMajor, &facts.WorkstationMinor) == 2;
  return WindowsVersionName(facts);
}

TEST(SystemInfo, Table) {
  for (const auto& c : testing::CaseTable("system_info.txt")) EXPECT_EQ(Apply(c), c.Fields.back()) << c.Where;
}

TEST(SystemInfo, TheFirstAdministratorsGroupDecides) {
  const TTokenGroup users{false, 0x7}, admins{true, 0x7}, denyOnly{true, 0x10};  // deny-only: UAC's filtered token
  EXPECT_FALSE(AdministratorsInGroups({}));
  EXPECT_FALSE(AdministratorsInGroups({users}));
  EXPECT_TRUE(AdministratorsInGroups({users, admins}));
  EXPECT_FALSE(AdministratorsInGroups({users, denyOnly, admins}));
  EXPECT_TRUE(AdministratorsInGroups({admins, denyOnly}));
  EXPECT_FALSE(AdministratorsInGroups({TTokenGroup{true, 0x17}}));
}

// A registry made of keys given by the test; a key with no entry list cannot be opened.
struct TFakeUninstallRegistry : TUninstallRegistry {
  std::map<std::pair<TRegistryRoot, std::string>, std::optional<std::vector<TUninstallEntry>>> Keys;
  bool KeyExists(TRegistryRoot Root, const std::string& KeyPath) override { return Keys.count({Root, KeyPath}) > 0; }
  std::optional<std::vector<TUninstallEntry>> ReadEntries(TRegistryRoot Root, const std::string& KeyPath) override {
    const auto found = Keys.find({Root, KeyPath});
    return found == Keys.end() ? std::nullopt : found->second;
  }
};

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kUninstall32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kUser = "HKEY_CURRENT_USER\\", kMachine = "HKEY_LOCAL_MACHINE\\";

TEST(SystemInfo, InstalledProgramsThePlacesInOrderWithHeadingsNamesAndErrors) {
  TFakeUninstallRegistry registry;
  registry.Keys[{TRegistryRoot::CurrentUser, kUninstall}] = std::vector<TUninstallEntry>{{"{user}", true, "User App"}};
  registry.Keys[{TRegistryRoot::LocalMachine, kUninstall}] = std::vector<TUninstallEntry>{
      {"Zeta", true, "Zeta Tools"}, {"NoName", true, std::nullopt}, {"Locked", false, std::nullopt}, {"E", true, ""}};
  registry.Keys[{TRegistryRoot::LocalMachine, kUninstall32}] =
      std::vector<TUninstallEntry>{{"{dimm}", true, "orvel studio dimmscope 1.8"}};
  std::vector<std::string> names = {"stale"}, errors = {"stale"};
  ComposeInstalledPrograms(registry, UninstallPlaces(), true, names, errors);
  EXPECT_EQ(names, (std::vector<std::string>{kUser + kUninstall, "User App", kMachine + kUninstall, "Zeta Tools",
                                             "NoName", "", kMachine + kUninstall32, "orvel studio dimmscope 1.8"}));
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to open " + kMachine + kUninstall + "Locked"});
  EXPECT_TRUE(AnyStartsText(names, "Orvel Studio Dimmscope"));
  EXPECT_FALSE(AnyStartsText(names, "Orvel Studio Fesk"));
  registry.Keys.clear();  // nothing can be opened
  // 32-bit Windows: no user key (skipped), the machine key fails, the 32-bit view's absence is no error.
  ComposeInstalledPrograms(registry, UninstallPlaces(), false, names, errors);
  EXPECT_EQ(names, (std::vector<std::string>{kMachine + kUninstall, kMachine + kUninstall32}));
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to open " + kMachine + kUninstall});
  EXPECT_FALSE(AnyStartsText(names, "Orvel Studio Dimmscope"));  // headings never match a product
  // 64-bit Windows: the 32-bit view must be there.
  ComposeInstalledPrograms(registry, UninstallPlaces(), true, names, errors);
  EXPECT_EQ(errors.back(), "Unable to open " + kMachine + kUninstall32);
  // A user key that exists but cannot be opened is reported like the others.
  registry.Keys[{TRegistryRoot::CurrentUser, kUninstall}] = std::nullopt;
  ComposeInstalledPrograms(registry, UninstallPlaces(), false, names, errors);
  EXPECT_EQ(errors.front(), "Unable to open " + kUser + kUninstall);
}

}  // namespace
}  // namespace dimmscope
