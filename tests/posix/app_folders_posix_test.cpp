// The POSIX data folder, file tests and maker values, in scratch folders
// named by the XDG variables (never the user's real ones).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "support/app_folders.h"
#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

// Sets or clears an environment variable for one test, then puts it back.
class TEnvVar {
 public:
  TEnvVar(const char* Name, const std::optional<std::string>& Value) : name_(Name) {
    if (const char* old = std::getenv(Name)) old_ = old;
    if (Value)
      setenv(Name, Value->c_str(), 1);
    else
      unsetenv(Name);
  }
  ~TEnvVar() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }
  TEnvVar(const TEnvVar&) = delete;
  TEnvVar& operator=(const TEnvVar&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string ReadText(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& Path, const std::string& Text) { std::ofstream(Path, std::ios::binary) << Text; }

TEST(PosixDataFolder, UnderTheXdgDataHome) {
  const TScratchFolder scratch;
  // The base folder itself is made when missing.
  const TEnvVar data("XDG_DATA_HOME", scratch.Path("data/deeper"));
  EXPECT_EQ(GetDataFolder("/opt/dimmscope/dimmscope-report", "Dimmscope"),
            scratch.Path("data/deeper/Orvel Studio/Dimmscope/"));
  EXPECT_TRUE(IsExistingDir(scratch.Path("data/deeper/Orvel Studio/Dimmscope")));
  EXPECT_EQ(GetDataFolder("/opt/dimmscope/dimmscope-report", "Dimmscope"),
            scratch.Path("data/deeper/Orvel Studio/Dimmscope/"));
}

TEST(PosixDataFolder, DefaultsUnderTheHomeFolder) {
  const TScratchFolder scratch;
  const TEnvVar home("HOME", scratch.Path());
  // A relative XDG variable is to be ignored.
  const TEnvVar data("XDG_DATA_HOME", std::string("relative/data"));
  EXPECT_EQ(GetDataFolder("/opt/dimmscope/dimmscope-report", "Dimmscope"),
            scratch.Path(".local/share/Orvel Studio/Dimmscope/"));
}

TEST(PosixDataFolder, FallsBackToTheProgramFolder) {
  const TScratchFolder scratch;
  {
    const TEnvVar home("HOME", std::nullopt);
    const TEnvVar data("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(GetDataFolder("/opt/dimmscope/dimmscope-report", "Dimmscope"), "/opt/dimmscope/");
  }
  // A file where the maker folder should be.
  WriteText(scratch.Path("Orvel Studio"), "not a folder");
  const TEnvVar data("XDG_DATA_HOME", scratch.Path());
  EXPECT_EQ(GetDataFolder("/opt/dimmscope/dimmscope-report", "Dimmscope"), "/opt/dimmscope/");
  EXPECT_EQ(GetDataFolder("dimmscope-report", "Dimmscope"), "./");
}

TEST(PosixFileTests, FilesFoldersAndMissingPaths) {
  const TScratchFolder scratch;
  WriteText(scratch.Path("empty"), "");
  WriteText(scratch.Path("five"), "12345");
  ASSERT_TRUE(MakeDir(scratch.Path("folder")));
  EXPECT_FALSE(MakeDir(scratch.Path("folder")));
  EXPECT_FALSE(MakeDir(scratch.Path("a/b")));
  EXPECT_FALSE(MakeDir(""));

  EXPECT_TRUE(IsExistingFile(scratch.Path("empty")));
  EXPECT_FALSE(IsExistingFile(scratch.Path("folder")));
  EXPECT_FALSE(IsExistingFile(scratch.Path("missing")));
  EXPECT_TRUE(IsExistingDir(scratch.Path("folder")));
  EXPECT_FALSE(IsExistingDir(scratch.Path("five")));
  EXPECT_EQ(GetFileSize64(scratch.Path("five")), 5u);
  EXPECT_EQ(GetFileSize64(scratch.Path("folder")), 0u);
  EXPECT_EQ(GetFileSize64(scratch.Path("missing")), 0u);
  EXPECT_TRUE(IsNonEmptyFile(scratch.Path("five")));
  EXPECT_FALSE(IsNonEmptyFile(scratch.Path("empty")));
  EXPECT_FALSE(IsNonEmptyFile(scratch.Path("folder")));
  EXPECT_FALSE(IsNonEmptyFile(scratch.Path("missing")));
}

TEST(PosixMakerValues, RoundTripThroughTheSettingsFile) {
  const TScratchFolder scratch;
  const TEnvVar config("XDG_CONFIG_HOME", scratch.Path("config"));
  // Reading creates the maker's folder, as reading opens the key on Windows.
  EXPECT_EQ(ReadMakerValue("Fesk"), "");
  EXPECT_TRUE(IsExistingDir(scratch.Path("config/Orvel Studio")));

  WriteMakerValue("Dimmscope", "/opt/dimmscope/dimmscope-report");
  WriteMakerValue("Fesk", "/opt/fesk/fesk");
  WriteMakerValue("Dimmscope", "/usr/bin/dimmscope-report");
  EXPECT_EQ(ReadMakerValue("Dimmscope"), "/usr/bin/dimmscope-report");
  EXPECT_EQ(ReadMakerValue("Fesk"), "/opt/fesk/fesk");
  EXPECT_EQ(ReadMakerValue("Other"), "");

  const std::string settings = ReadText(scratch.Path("config/Orvel Studio/settings.ini"));
  EXPECT_NE(settings.find("\nDimmscope=/usr/bin/dimmscope-report\nFesk=/opt/fesk/fesk\n"), std::string::npos)
      << settings;
  // Written through a temporary file that is gone afterwards.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.Path("config/Orvel Studio"))) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(PosixMakerValues, NoValueCanForgeAnother) {
  const TScratchFolder scratch;
  const TEnvVar config("XDG_CONFIG_HOME", scratch.Path());
  const std::string tricky = "/x\nFesk=/tmp/evil\r\\n=";
  WriteMakerValue("Dimmscope", tricky);
  WriteMakerValue("a=b", "c");
  EXPECT_EQ(ReadMakerValue("Dimmscope"), tricky);
  EXPECT_EQ(ReadMakerValue("Fesk"), "");
  EXPECT_EQ(ReadMakerValue("a=b"), "c");
  EXPECT_EQ(ReadMakerValue("a"), "");
}

TEST(PosixMakerValues, WithoutAConfigFolderNothingHappens) {
  const TEnvVar home("HOME", std::nullopt);
  const TEnvVar config("XDG_CONFIG_HOME", std::nullopt);
  WriteMakerValue("Dimmscope", "/x");
  EXPECT_EQ(ReadMakerValue("Dimmscope"), "");
}

TEST(PosixMakerValues, AnUnreadableFileIsLeftAlone) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const TScratchFolder scratch;
  const TEnvVar config("XDG_CONFIG_HOME", scratch.Path());
  WriteMakerValue("Fesk", "/opt/fesk");
  const std::string path = scratch.Path("Orvel Studio/settings.ini");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  WriteMakerValue("Dimmscope", "/x");
  chmod(path.c_str(), 0600);
  EXPECT_EQ(ReadMakerValue("Fesk"), "/opt/fesk");
  EXPECT_EQ(ReadMakerValue("Dimmscope"), "");
}

}  // namespace
}  // namespace dimmscope
