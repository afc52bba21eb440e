// Whole-file writes, atomic replacement and reads, on every system: bytes
// pass unchanged, failures are false results that leave the old file alone.
#include "support/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#ifdef __linux__
#include <sys/resource.h>

#include <csignal>
#endif

#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

// Line ends, a zero byte and bytes above 127 must survive: no text mode. The
// large one spans many read and write calls. The names are outside any
// Western code page, as a user's Cyrillic profile folder would be.
const std::string kBinary("line one\r\nline two\n\0\xE9\xFF\r", 24);
const std::string kLog = "\xD0\xBB\xD0\xBE\xD0\xB3.log",
                  kJournal = "\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB \xE2\x9C\x93";

TEST(FileIo, WritesAndReplacementsKeepTheBytesAndLeaveNoTemporaryFile) {
  TScratchFolder folder;
  const std::string written = folder.Path(kLog), replaced = folder.Path(kJournal);
  std::string large(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 131 % 251);
  for (const std::string& bytes : {large, kBinary, std::string()}) {
    ASSERT_TRUE(WriteFileBytes(written, bytes));
    EXPECT_EQ(FileContents(written), bytes);  // a longer old content is gone
    ASSERT_TRUE(ReplaceFileAtomically(replaced, bytes));
    EXPECT_EQ(FileContents(replaced), bytes);
  }
  EXPECT_EQ(folder.EntryNames(), (std::set<std::string>{kLog, kJournal}));  // "лог.log", "Журнал ✓"
}

TEST(FileIo, FailuresGiveFalseAndLeaveWhatWasThere) {
  TScratchFolder folder;
  std::filesystem::create_directory(FsPath(folder.Path("dir")));
  ASSERT_TRUE(WriteFileBytes(folder.Path("dir/inside.txt"), "kept"));
  std::filesystem::create_directory(FsPath(folder.Path("empty")));
  for (const std::string& path :
       {folder.Path("missing/out.txt"), folder.Path("dir"), folder.Path("empty"), std::string()}) {
    EXPECT_FALSE(WriteFileBytes(path, "x")) << path;
    EXPECT_FALSE(ReplaceFileAtomically(path, "x")) << path;  // a folder, even empty, is never swapped for a file
    std::string out = "stale";
    EXPECT_FALSE(ReadFileBytes(path, out)) << path;
    EXPECT_EQ(out, "");
  }
  EXPECT_EQ(FileContents(folder.Path("dir/inside.txt")), "kept");
  EXPECT_EQ(folder.EntryNames(), (std::set<std::string>{"dir", "empty"}));
}

#ifdef __linux__
TEST(FileIo, AWriteThatFailsHalfWayGivesFalse) {
  EXPECT_FALSE(WriteFileBytes("/dev/full", std::string(100000, 'x')));
  // Beyond the file-size limit the write fails: the old file must stay.
  TScratchFolder folder;
  const std::string path = folder.Path("export.csv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const rlimit small{1000, saved.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool replaced = ReplaceFileAtomically(path, std::string(5000, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(FileContents(path), "old");
  EXPECT_EQ(folder.EntryNames(), std::set<std::string>{"export.csv"});
}
#endif

}  // namespace
}  // namespace dimmscope
