// Whole-file writes, atomic replacement and reads, on every system: bytes
// pass unchanged, failures are false results that leave the old file alone.
#include "support/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

// Line ends, a zero byte and bytes above 127 must survive: no text mode.
const std::string kBinary("line one\r\nline two\n\0\xE9\xFF\r", 24);

TEST(WriteFileBytes, CreatesTruncatesAndKeepsBytesUnchanged) {
  TScratchFolder folder;
  const std::string path = folder.Path("out.txt");
  ASSERT_TRUE(WriteFileBytes(path, std::string(5000, 'x')));
  EXPECT_EQ(FileContents(path).size(), 5000u);
  ASSERT_TRUE(WriteFileBytes(path, kBinary));
  EXPECT_EQ(FileContents(path), kBinary);  // the longer old content is gone
  ASSERT_TRUE(WriteFileBytes(path, ""));
  EXPECT_EQ(FileContents(path), "");
  EXPECT_EQ(std::filesystem::file_size(FsPath(path)), 0u);
}

TEST(WriteFileBytes, UnwritableDestinationsGiveFalse) {
  TScratchFolder folder;
  EXPECT_FALSE(WriteFileBytes(folder.Path("missing/out.txt"), "x"));
  EXPECT_FALSE(std::filesystem::exists(FsPath(folder.Path("missing"))));
  EXPECT_FALSE(WriteFileBytes(folder.Path(), "x"));  // a folder
  EXPECT_TRUE(std::filesystem::is_directory(folder.Native()));
  EXPECT_FALSE(WriteFileBytes("", "x"));
}

#ifdef __linux__
TEST(WriteFileBytes, AFullDiskGivesFalse) { EXPECT_FALSE(WriteFileBytes("/dev/full", std::string(100000, 'x'))); }
#endif

TEST(ReplaceFileAtomically, CreatesAndReplacesLeavingNoTemporaryFile) {
  TScratchFolder folder;
  const std::string path = folder.Path("export.csv");
  ASSERT_TRUE(ReplaceFileAtomically(path, "first"));
  EXPECT_EQ(FileContents(path), "first");
  ASSERT_TRUE(ReplaceFileAtomically(path, kBinary));
  EXPECT_EQ(FileContents(path), kBinary);
  ASSERT_TRUE(ReplaceFileAtomically(path, ""));
  EXPECT_EQ(FileContents(path), "");
  EXPECT_EQ(folder.EntryNames(), std::set<std::string>{"export.csv"});
}

TEST(ReplaceFileAtomically, AFolderInTheWayIsLeftAsItWas) {
  TScratchFolder folder;
  const std::string dir = folder.Path("export.csv");
  std::filesystem::create_directory(FsPath(dir));
  ASSERT_TRUE(WriteFileBytes(folder.Path("export.csv/inside.txt"), "kept"));
  EXPECT_FALSE(ReplaceFileAtomically(dir, "new"));
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(dir)));
  EXPECT_EQ(FileContents(folder.Path("export.csv/inside.txt")), "kept");
  EXPECT_EQ(folder.EntryNames(), std::set<std::string>{"export.csv"});

  // An empty folder too: it must not be swapped for a file.
  std::filesystem::create_directory(FsPath(folder.Path("empty")));
  EXPECT_FALSE(ReplaceFileAtomically(folder.Path("empty"), "new"));
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(folder.Path("empty"))));
}

TEST(ReplaceFileAtomically, AMissingFolderGivesFalse) {
  TScratchFolder folder;
  EXPECT_FALSE(ReplaceFileAtomically(folder.Path("missing/export.csv"), "x"));
  EXPECT_FALSE(ReplaceFileAtomically("", "x"));
  EXPECT_TRUE(folder.EntryNames().empty());
}

TEST(ReadFileBytes, MissingFilesAndFoldersGiveFalseAndEmptyOutput) {
  TScratchFolder folder;
  std::string out = "stale";
  EXPECT_FALSE(ReadFileBytes(folder.Path("missing.txt"), out));
  EXPECT_EQ(out, "");
  out = "stale";
  EXPECT_FALSE(ReadFileBytes(folder.Path(), out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(ReadFileBytes("", out));
}

TEST(FileIo, LargeContentRoundTrips) {
  TScratchFolder folder;
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
  ASSERT_TRUE(WriteFileBytes(folder.Path("big.bin"), big));
  EXPECT_EQ(FileContents(folder.Path("big.bin")), big);
  ASSERT_TRUE(ReplaceFileAtomically(folder.Path("big.bin"), big + "tail"));
  EXPECT_EQ(FileContents(folder.Path("big.bin")), big + "tail");
}

// A user folder named in Cyrillic on a Western code page: UTF-8 paths must
// reach the file system intact.
TEST(FileIo, PathsOutsideTheAnsiCodePage) {
  TScratchFolder folder;
  const std::string dir = folder.Path("\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB \xE2\x9C\x93");  // "Журнал ✓"
  ASSERT_TRUE(std::filesystem::create_directory(FsPath(dir)));
  const std::string path = dir + "/\xD0\xBB\xD0\xBE\xD0\xB3.log";  // "лог.log"
  ASSERT_TRUE(WriteFileBytes(path, "one"));
  EXPECT_EQ(FileContents(path), "one");
  ASSERT_TRUE(ReplaceFileAtomically(path, "two"));
  EXPECT_EQ(FileContents(path), "two");
  EXPECT_TRUE(std::filesystem::is_regular_file(FsPath(path)));
  EXPECT_EQ(std::filesystem::file_size(FsPath(path)), 3u);
}

}  // namespace
}  // namespace dimmscope
