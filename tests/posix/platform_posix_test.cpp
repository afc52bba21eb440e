// The native build's platform layer where it differs from the Windows one:
// the data folder and the maker's values under the XDG folders (scratch ones,
// never the user's), and ShellOpen through xdg-open without a shell.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "support/app_folders.h"
#include "support/shell.h"
#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

// Sets or clears an environment variable for one scope, then puts it back.
class TEnvVar {
 public:
  TEnvVar(const char* Name, const std::optional<std::string>& Value) : name_(Name) {
    if (const char* old = std::getenv(Name)) old_ = old;
    Value ? setenv(Name, Value->c_str(), 1) : unsetenv(Name);
  }
  ~TEnvVar() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PosixDataFolder, UnderTheXdgDataHomeOrElseTheProgramFolder) {
  const TScratchFolder scratch;
  const std::string expected = scratch.Path("deeper/Orvel Studio/Dimmscope/");
  {
    const TEnvVar data("XDG_DATA_HOME", scratch.Path("deeper"));  // made when missing
    EXPECT_EQ(GetDataFolder("/opt/ds/report", "Dimmscope"), expected);
    EXPECT_TRUE(IsExistingDir(expected) && !IsExistingFile(expected) && !IsNonEmptyFile(expected));
  }
  const TEnvVar home("HOME", std::nullopt), data("XDG_DATA_HOME", std::string("relative"));  // to be ignored
  EXPECT_EQ(GetDataFolder("/opt/ds/report", "Dimmscope"), "/opt/ds/");
}

TEST(PosixMakerValues, InASettingsFileWhereNoValueCanForgeAnother) {
  const TScratchFolder scratch;
  const TEnvVar config("XDG_CONFIG_HOME", scratch.Path());
  EXPECT_EQ(ReadMakerValue("Fesk"), "");
  const std::string tricky = "/x\nFesk=/tmp/evil\r\\n=";
  WriteMakerValue("Dimmscope", "/opt/old");
  WriteMakerValue("a=b", "c");
  WriteMakerValue("Dimmscope", tricky);
  EXPECT_EQ(ReadMakerValue("Dimmscope"), tricky);
  EXPECT_EQ(ReadMakerValue("Fesk"), "");
  EXPECT_EQ(ReadMakerValue("a=b"), "c");
  EXPECT_EQ(ReadMakerValue("a"), "");
  // Written through a temporary file that is gone afterwards.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path("Orvel Studio")), {}), 1);
  EXPECT_TRUE(IsNonEmptyFile(scratch.Path("Orvel Studio/settings.ini")));
}

// What ShellOpen had an xdg-open first in PATH record: its arguments, one a line.
std::string Opened(const std::string& Target, bool Runnable = true) {
  const TScratchFolder scratch;
  const std::string record = scratch.Path("record");
  std::ofstream(scratch.Path("xdg-open")) << (Runnable ? "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + record +
                                                             ".tmp'\n/bin/mv '" + record + ".tmp' '" + record + "'\n"
                                                       : "#!/nonexistent/interpreter\n");
  chmod(scratch.Path("xdg-open").c_str(), 0755);
  const TEnvVar path("PATH", scratch.Path());
  if (!ShellOpen(Target)) return "(not started)";
  for (int i = 0; i < 1000 && !std::filesystem::exists(record); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // it runs detached
  }
  return FileContents(record);
}

TEST(PosixShellOpen, TheTargetIsXdgOpensOnlyArgumentNeverAnOption) {
  const TScratchFolder scratch;
  const std::string target = "http://a.invalid/?q=a b&x=$(touch " + scratch.Path("pwned") + ")`id`;|";
  EXPECT_EQ(Opened(target), "1\n" + target + "\n");
  EXPECT_FALSE(std::filesystem::exists(scratch.Path("pwned")));
  EXPECT_EQ(Opened("--help"), "1\n./--help\n");
  EXPECT_EQ(Opened(""), "(not started)");
  EXPECT_EQ(Opened("http://a.invalid/", false), "(not started)");
}

}  // namespace
}  // namespace dimmscope
