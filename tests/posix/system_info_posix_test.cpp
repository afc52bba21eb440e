// The POSIX answers of the environment queries.
#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "support/system_info.h"

namespace dimmscope {
namespace {

TEST(PosixSystemInfo, VersionNameFromTheKernel) {
  struct utsname names {};
  ASSERT_EQ(uname(&names), 0);
  EXPECT_EQ(GetWindowsVersionName(), std::string(names.sysname) + " " + names.release + " (" + names.machine + ")");
}

TEST(PosixSystemInfo, ProcessFacts) {
  EXPECT_EQ(IsAdministrator(), geteuid() == 0);
  EXPECT_FALSE(IsWow64());
  EXPECT_EQ(SysNativePath("/usr/lib/x"), "/usr/lib/x");
  EXPECT_TRUE(SetWow64Redirection(true));
  EXPECT_TRUE(SetWow64Redirection(false));
  HardenDllSearch();
}

TEST(PosixSystemInfo, NoInstalledProgramsButTheHeading) {
  std::vector<std::string> names = {"stale"}, errors = {"stale"};
  ListInstalledPrograms(names, errors);
  EXPECT_EQ(names,
            std::vector<std::string>{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"});
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(IsProductInstalled("Orvel Studio Dimmscope"));
}

}  // namespace
}  // namespace dimmscope
