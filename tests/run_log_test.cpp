// The run log: line format and stamp, newest first, the line cap, the level
// rules, and the whole-file rewrite that survives failed writes.
#include "support/run_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_io.h"
#include "support/text_helpers.h"
#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

class RunLogTest : public ::testing::Test {
 protected:
  void TearDown() override { TimeSeparator = ':'; }
  TRunLog Log(std::int32_t MaxLines = 10000, bool Verbose = false) {
    TRunLog log(path_, MaxLines, Verbose);
    log.SetClock([] { return TLocalTime{2026, 12, 5, 6, 40, 42}; });
    return log;
  }
  static std::string Line(const std::string& Level, const std::string& Text) {
    return Level + "\t[26-12-05 06:40:42]\t" + Text + "\r\n";
  }

  TScratchFolder folder_;
  std::string path_ = folder_.Path("Dimmscope.log");
};

TEST_F(RunLogTest, TheFirstEntryReplacesAnEarlierRunsFileAndTheNewestComesFirst) {
  ASSERT_TRUE(WriteFileBytes(path_, "Info\told 1\r\n"));
  TRunLog log = Log();
  EXPECT_EQ(FileContents(path_), "Info\told 1\r\n");  // creating the log touches no file
  log.Add("first", LogInfo);
  EXPECT_EQ(FileContents(path_), Line("Info", "first"));
  log.Add("Caf\xE9\r\ntwo", LogInfo);  // bytes pass unchanged, even a line break
  EXPECT_EQ(FileContents(path_), Line("Info", "Caf\xE9\r\ntwo") + Line("Info", "first"));
  EXPECT_EQ(log.Lines().back(), "Info\t[26-12-05 06:40:42]\tfirst");
}

TEST_F(RunLogTest, LevelsTheVerboseSwitchAndTheLineCap) {
  TRunLog log = Log(3);
  for (const char* text : {"e1", "e2", "e3", "e4"}) log.Add(text, LogInfo);
  log.Add("seven", 7);
  log.Add("detail", LogVerbose);  // dropped without the switch
  log.Add("negative", -1);
  EXPECT_EQ(FileContents(path_), Line("Error", "seven") + Line("Info", "e4") + Line("Info", "e3"));
  TRunLog verbose = Log(10000, true);
  verbose.Add("negative", -5);
  EXPECT_EQ(FileContents(path_), Line("Verbose", "negative"));
  TRunLog none = Log(0);
  none.Add("dropped", LogError);
  EXPECT_EQ(FileContents(path_), "");
}

TEST_F(RunLogTest, EntriesSurviveAFolderInTheWay) {
  std::filesystem::create_directory(FsPath(path_));
  TRunLog log = Log();
  log.Add("while blocked", LogError);
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(path_)));
  std::filesystem::remove(FsPath(path_));
  log.Add("writable again", LogInfo);
  EXPECT_EQ(FileContents(path_), Line("Info", "writable again") + Line("Error", "while blocked"));
}

TEST_F(RunLogTest, WithAFlushRequestEntriesWaitForTheFlushWhichIsAskedForOnceOrWrittenAtOnceIfRefused) {
  TRunLog log = Log();
  int requests = 0;
  log.SetFlushRequest([&requests] { return ++requests > 0; });
  log.Add("first", LogInfo);
  log.Add("second", LogInfo);
  EXPECT_EQ(requests, 1);
  EXPECT_FALSE(std::filesystem::exists(FsPath(path_)));
  log.Flush();
  EXPECT_EQ(FileContents(path_), Line("Info", "second") + Line("Info", "first"));
  std::filesystem::remove(FsPath(path_));
  log.Flush();  // nothing new: the file is not written again
  EXPECT_FALSE(std::filesystem::exists(FsPath(path_)));
  log.Add("third", LogInfo);
  EXPECT_EQ(requests, 2);
  log.Flush();
  EXPECT_EQ(FileContents(path_), Line("Info", "third") + Line("Info", "second") + Line("Info", "first"));
  log.SetFlushRequest([] { return false; });  // refused: each entry written at once
  log.Add("fourth", LogInfo);
  EXPECT_EQ(FileContents(path_).find(Line("Info", "fourth")), 0u);
  log.Add("fifth", LogInfo);
  EXPECT_EQ(FileContents(path_).find(Line("Info", "fifth") + Line("Info", "fourth")), 0u);
}

TEST_F(RunLogTest, TheStampHasTwoDigitsForEveryPartAndTheLocaleTimeSeparator) {
  TimeSeparator = '.';
  Log().Add("Starting", LogInfo);
  EXPECT_EQ(FileContents(path_), "Info\t[26-12-05 06.40.42]\tStarting\r\n");
  EXPECT_EQ(LogTimeStamp(TLocalTime{2100, 1, 2, 3, 4, 60}), "[00-01-02 03.04.60]");
}

}  // namespace
}  // namespace dimmscope
