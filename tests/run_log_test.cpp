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

// 06:40:42 on 5 December 2026.
TLocalTime FixedTime() {
  TLocalTime time;
  time.Year = 2026;
  time.Month = 12;
  time.Day = 5;
  time.Hour = 6;
  time.Minute = 40;
  time.Second = 42;
  return time;
}

const char kStamp[] = "[26-12-05 06:40:42]";

class RunLogTest : public ::testing::Test {
 protected:
  void TearDown() override { TimeSeparator = ':'; }

  TRunLog MakeLog(std::int32_t MaxLines = 10000, bool Verbose = false) {
    TRunLog log(path_, MaxLines, Verbose);
    log.SetClock(FixedTime);
    return log;
  }
  std::string FileText() const {
    std::string bytes;
    if (!ReadFileBytes(path_, bytes)) return "<no file>";
    return bytes;
  }
  static std::string Line(const std::string& Level, const std::string& Text) {
    return Level + "\t" + kStamp + "\t" + Text + "\r\n";
  }

  TScratchFolder folder_;
  std::string path_ = folder_.Path("Dimmscope.log");
};

TEST_F(RunLogTest, CreatingTheLogTouchesNoFile) {
  ASSERT_TRUE(WriteFileBytes(path_, "earlier run\r\n"));
  const TRunLog log = MakeLog();
  EXPECT_EQ(FileText(), "earlier run\r\n");
  EXPECT_EQ(log.FileName(), path_);
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(RunLogTest, TheFirstEntryReplacesAnEarlierRunsFile) {
  ASSERT_TRUE(WriteFileBytes(path_, "Info\told 1\r\nInfo\told 2\r\nInfo\told 3\r\n"));
  TRunLog log = MakeLog();
  log.Add("Starting", LogInfo);
  EXPECT_EQ(FileText(), "Info\t[26-12-05 06:40:42]\tStarting\r\n");
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0], "Info\t[26-12-05 06:40:42]\tStarting");
}

TEST_F(RunLogTest, NewestEntryFirst) {
  TRunLog log = MakeLog();
  log.Add("first", LogInfo);
  log.Add("second", LogInfo);
  EXPECT_EQ(FileText(), Line("Info", "second") + Line("Info", "first"));
}

TEST_F(RunLogTest, VerboseEntriesOnlyWithTheSwitchOn) {
  ASSERT_TRUE(WriteFileBytes(path_, "untouched"));
  TRunLog quiet = MakeLog(10000, false);
  quiet.Add("detail", LogVerbose);
  EXPECT_EQ(FileText(), "untouched");
  EXPECT_TRUE(quiet.Lines().empty());

  TRunLog verbose = MakeLog(10000, true);
  verbose.Add("detail", LogVerbose);
  EXPECT_EQ(FileText(), Line("Verbose", "detail"));
}

TEST_F(RunLogTest, LevelsAboveTwoAreErrorsAndBelowZeroVerbose) {
  TRunLog log = MakeLog();
  log.Add("two", LogError);
  log.Add("seven", 7);
  log.Add("negative", -1);  // not verbose: dropped
  EXPECT_EQ(FileText(), Line("Error", "seven") + Line("Error", "two"));

  TRunLog verbose = MakeLog(10000, true);
  verbose.Add("negative", -5);
  EXPECT_EQ(FileText(), Line("Verbose", "negative"));
}

TEST_F(RunLogTest, TheLineCapKeepsTheNewest) {
  TRunLog log = MakeLog(3);
  for (const char* text : {"e1", "e2", "e3", "e4", "e5"}) log.Add(text, LogInfo);
  EXPECT_EQ(FileText(), Line("Info", "e5") + Line("Info", "e4") + Line("Info", "e3"));
  EXPECT_EQ(log.Lines().size(), 3u);

  TRunLog none = MakeLog(0);
  none.Add("dropped", LogInfo);
  EXPECT_TRUE(none.Lines().empty());
  EXPECT_EQ(FileText(), "");
}

TEST_F(RunLogTest, TextIsWrittenUnchanged) {
  TRunLog log = MakeLog();
  // ANSI bytes stay single bytes; an embedded line break makes two file lines.
  log.Add("Caf\xE9 Kingston", LogInfo);
  log.Add("one\r\ntwo", LogInfo);
  EXPECT_EQ(FileText(), Line("Info", "one\r\ntwo") + Line("Info", "Caf\xE9 Kingston"));
  EXPECT_EQ(log.Lines().size(), 2u);
}

TEST_F(RunLogTest, EntriesSurviveAFolderInTheWay) {
  std::filesystem::create_directory(FsPath(path_));
  TRunLog log = MakeLog();
  log.Add("while blocked 1", LogInfo);
  log.Add("while blocked 2", LogError);
  EXPECT_EQ(log.Lines().size(), 2u);
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(path_)));

  std::filesystem::remove(FsPath(path_));
  log.Add("writable again", LogInfo);
  EXPECT_EQ(FileText(),
            Line("Info", "writable again") + Line("Error", "while blocked 2") + Line("Info", "while blocked 1"));
}

TEST_F(RunLogTest, EntriesSurviveAMissingFolder) {
  const std::string dir = folder_.Path("data");
  TRunLog log(dir + "/Dimmscope.log", 10000, false);
  log.SetClock(FixedTime);
  log.Add("before", LogInfo);
  EXPECT_FALSE(std::filesystem::exists(FsPath(dir)));
  std::filesystem::create_directory(FsPath(dir));
  log.Add("after", LogInfo);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir + "/Dimmscope.log", bytes));
  EXPECT_EQ(bytes, Line("Info", "after") + Line("Info", "before"));
}

TEST_F(RunLogTest, EntriesSurviveAReadOnlyFile) {
  ASSERT_TRUE(WriteFileBytes(path_, "locked"));
  const auto writable = std::filesystem::status(FsPath(path_)).permissions();
  std::filesystem::permissions(FsPath(path_), std::filesystem::perms::owner_read);
  if (WriteFileBytes(path_, "locked")) {
    std::filesystem::permissions(FsPath(path_), writable);
    GTEST_SKIP() << "this account may write read-only files (an administrator); the folder cases cover it";
  }
  TRunLog log = MakeLog();
  log.Add("while read-only", LogInfo);
  EXPECT_EQ(FileText(), "locked");
  std::filesystem::permissions(FsPath(path_), writable);
  log.Add("writable again", LogInfo);
  EXPECT_EQ(FileText(), Line("Info", "writable again") + Line("Info", "while read-only"));
}

TEST_F(RunLogTest, TheStampUsesTheLocaleTimeSeparator) {
  TimeSeparator = '.';
  TRunLog log = MakeLog();
  log.Add("Starting", LogInfo);
  EXPECT_EQ(FileText(), "Info\t[26-12-05 06.40.42]\tStarting\r\n");
}

TEST(LogTimeStamp, TwoDigitsForEveryPart) {
  TLocalTime time;
  time.Year = 2005;
  time.Month = 1;
  time.Day = 2;
  time.Hour = 3;
  time.Minute = 4;
  time.Second = 5;
  EXPECT_EQ(LogTimeStamp(time), "[05-01-02 03:04:05]");
  time.Year = 2100;
  time.Hour = 23;
  time.Minute = 59;
  time.Second = 60;  // a leap second
  EXPECT_EQ(LogTimeStamp(time), "[00-01-02 23:59:60]");
}

TEST(LogTimeStamp, TheSystemClockGivesAPlausibleStamp) {
  const TLocalTime now = CurrentLocalTime();
  EXPECT_GE(now.Year, 2024);
  EXPECT_GE(now.Month, 1);
  EXPECT_LE(now.Month, 12);
  EXPECT_GE(now.Day, 1);
  EXPECT_LE(now.Day, 31);
  EXPECT_LE(now.Hour, 23);
  const std::string stamp = LogTimeStamp(now);
  ASSERT_EQ(stamp.size(), 19u);
  EXPECT_EQ(stamp.front(), '[');
  EXPECT_EQ(stamp.back(), ']');
}

TEST(LogAdd, NoLogIsNotAnError) {
  LogAdd(nullptr, "nothing happens", LogError);
  TScratchFolder folder;
  TRunLog log(folder.Path("x.log"), 10, false);
  LogAdd(&log, "kept", LogInfo);
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0].substr(0, 5), "Info\t");
  EXPECT_EQ(log.Lines()[0].substr(log.Lines()[0].size() - 5), "\tkept");
}

}  // namespace
}  // namespace dimmscope
