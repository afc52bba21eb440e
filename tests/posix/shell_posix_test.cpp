// ShellOpen on POSIX: xdg-open from PATH, started without a shell, with the
// target as its one argument, exactly as given.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "support/shell.h"
#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

class TPathOverride {
 public:
  explicit TPathOverride(const std::string& Path) {
    if (const char* old = std::getenv("PATH")) old_ = old;
    setenv("PATH", Path.c_str(), 1);
  }
  ~TPathOverride() {
    if (old_)
      setenv("PATH", old_->c_str(), 1);
    else
      unsetenv("PATH");
  }
  TPathOverride(const TPathOverride&) = delete;
  TPathOverride& operator=(const TPathOverride&) = delete;

 private:
  std::optional<std::string> old_;
};

// An xdg-open that writes its arguments, one per line, to `Record`.
void InstallRecorder(const TScratchFolder& Scratch, const std::string& Record) {
  const std::string script = Scratch.Path("bin/xdg-open");
  std::filesystem::create_directories(Scratch.Path("bin"));
  std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" << Record << ".tmp'\n/bin/mv '" << Record
                        << ".tmp' '" << Record << "'\n";
  chmod(script.c_str(), 0755);
}

// The recorder runs detached; wait for its file.
std::string WaitForRecord(const std::string& Record) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(Record);
    if (in) {
      std::ostringstream text;
      text << in.rdbuf();
      return text.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "(no record)";
}

TEST(PosixShellOpen, HandsTheTargetToXdgOpenUnchanged) {
  const TScratchFolder scratch;
  const std::string record = scratch.Path("record");
  InstallRecorder(scratch, record);
  const TPathOverride path(scratch.Path("bin"));
  const std::string target = "http://example.invalid/search?q=a b&x=$(touch " + scratch.Path("pwned") + ")`id`;|";
  ASSERT_TRUE(ShellOpen(target));
  EXPECT_EQ(WaitForRecord(record), "1\n" + target + "\n");
  EXPECT_FALSE(std::filesystem::exists(scratch.Path("pwned")));
}

TEST(PosixShellOpen, ALeadingDashIsNoOption) {
  const TScratchFolder scratch;
  const std::string record = scratch.Path("record");
  InstallRecorder(scratch, record);
  const TPathOverride path(scratch.Path("bin"));
  ASSERT_TRUE(ShellOpen("--help"));
  EXPECT_EQ(WaitForRecord(record), "1\n./--help\n");
}

TEST(PosixShellOpen, FalseWhenNothingCanBeStarted) {
  const TScratchFolder scratch;
  EXPECT_FALSE(ShellOpen(""));
  {
    const TPathOverride path(scratch.Path());  // no xdg-open there
    EXPECT_FALSE(ShellOpen("http://example.invalid/"));
  }
  // Present but not a program that can run.
  std::filesystem::create_directories(scratch.Path("bin"));
  std::ofstream(scratch.Path("bin/xdg-open")) << "#!/nonexistent/interpreter\n";
  chmod(scratch.Path("bin/xdg-open").c_str(), 0755);
  const TPathOverride path(scratch.Path("bin"));
  EXPECT_FALSE(ShellOpen("http://example.invalid/"));
}

}  // namespace
}  // namespace dimmscope
