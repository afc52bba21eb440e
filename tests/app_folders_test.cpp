// The rules of the data folder and of the long Windows path form.
#include "support/app_folders.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace dimmscope {
namespace {

TEST(FolderOfPath, UpToTheLastSeparatorWithADelimiter) {
  EXPECT_EQ(FolderOfPath("C:\\Tools\\dimmscope.exe", "\\:", '\\'), "C:\\Tools\\");
  EXPECT_EQ(FolderOfPath("C:dimmscope.exe", "\\:", '\\'), "C:\\");  // drive-relative: the colon ends the folder
  EXPECT_EQ(FolderOfPath("\\\\server\\share\\a.exe", "\\:", '\\'), "\\\\server\\share\\");
  EXPECT_EQ(FolderOfPath("C:\\Tools\\", "\\:", '\\'), "C:\\Tools\\");
  EXPECT_EQ(FolderOfPath("/usr/bin/dimmscope-report", "/", '/'), "/usr/bin/");
  EXPECT_EQ(FolderOfPath("/dimmscope", "/", '/'), "/");
  // A bare name is in the current folder, not at the root of the drive.
  EXPECT_EQ(FolderOfPath("dimmscope.exe", "\\:", '\\'), ".\\");
  EXPECT_EQ(FolderOfPath("", "/", '/'), "./");
}

TEST(WithTrailingDelimiter, AddsOnlyWhatIsMissing) {
  EXPECT_EQ(WithTrailingDelimiter("C:\\Users\\A\\AppData\\Roaming", '\\'), "C:\\Users\\A\\AppData\\Roaming\\");
  EXPECT_EQ(WithTrailingDelimiter("C:\\Data\\", '\\'), "C:\\Data\\");
  EXPECT_EQ(WithTrailingDelimiter("", '\\'), "");
}

// A file system of folders held in a set, recording every creation.
struct TFakeFolders {
  std::set<std::string> Folders;
  std::vector<std::string> Created;
  bool Writable = true;

  TFolderOps Ops() {
    return TFolderOps{'\\', "\\:",
                      [this](const std::string& Path) {
                        Created.push_back(Path);
                        std::string name = Path;
                        if (!name.empty() && name.back() == '\\') name.pop_back();
                        return Writable && Folders.insert(name).second;
                      },
                      [this](const std::string& Path) { return Folders.count(Path) > 0; }};
  }
};

TEST(ChooseDataFolder, MakerAndProductFoldersUnderAppData) {
  TFakeFolders fs;
  const std::string appData = "C:\\Users\\\xD0\x9F\\AppData\\Roaming";  // UTF-8 passes through untouched
  EXPECT_EQ(ChooseDataFolder("C:\\Tools\\dimmscope.exe", "Dimmscope", appData, fs.Ops()),
            appData + "\\Orvel Studio\\Dimmscope\\");
  EXPECT_EQ(fs.Created,
            (std::vector<std::string>{appData + "\\Orvel Studio\\", appData + "\\Orvel Studio\\Dimmscope"}));
  // A second call finds both folders there (creation fails) and gives the same answer.
  EXPECT_EQ(ChooseDataFolder("C:\\Tools\\dimmscope.exe", "Dimmscope", appData + "\\", fs.Ops()),
            appData + "\\Orvel Studio\\Dimmscope\\");
}

TEST(ChooseDataFolder, FallsBackToTheProgramFolder) {
  TFakeFolders fs;
  EXPECT_EQ(ChooseDataFolder("C:\\Tools\\dimmscope.exe", "Dimmscope", "", fs.Ops()), "C:\\Tools\\");
  EXPECT_TRUE(fs.Created.empty());
  fs.Writable = false;
  EXPECT_EQ(ChooseDataFolder("D:\\dimmscope.exe", "Dimmscope", "C:\\AppData", fs.Ops()), "D:\\");
  EXPECT_EQ(fs.Created.size(), 2u);
}

TEST(ChooseDataFolder, PosixShape) {
  std::set<std::string> folders;
  const TFolderOps ops{'/', "/", [&](const std::string& p) { return folders.insert(p).second; },
                       [&](const std::string& p) { return folders.count(p) > 0; }};
  EXPECT_EQ(ChooseDataFolder("/opt/x/dimmscope-report", "Dimmscope", "/home/a/.local/share", ops),
            "/home/a/.local/share/Orvel Studio/Dimmscope/");
}

TEST(LongPathForm, DrivePathsAndNetworkPaths) {
  EXPECT_EQ(LongPathForm("C:\\Users\\a"), "\\\\?\\C:\\Users\\a");
  EXPECT_EQ(LongPathForm("z:\\"), "\\\\?\\z:\\");
  EXPECT_EQ(LongPathForm("\\\\server\\share\\dir"), "\\\\?\\UNC\\server\\share\\dir");
}

TEST(LongPathForm, LeavesWhatThePrefixWouldBreak) {
  // Already in a device form.
  EXPECT_EQ(LongPathForm("\\\\?\\C:\\x"), "\\\\?\\C:\\x");
  EXPECT_EQ(LongPathForm("\\\\?\\UNC\\s\\x"), "\\\\?\\UNC\\s\\x");
  EXPECT_EQ(LongPathForm("\\\\.\\PhysicalDrive0"), "\\\\.\\PhysicalDrive0");
  // Relative paths: the long form takes a path literally, from no current folder.
  EXPECT_EQ(LongPathForm("logs\\today"), "logs\\today");
  EXPECT_EQ(LongPathForm("C:relative"), "C:relative");
  EXPECT_EQ(LongPathForm("\\rooted"), "\\rooted");
  EXPECT_EQ(LongPathForm(""), "");
  EXPECT_EQ(LongPathForm("1:\\x"), "1:\\x");
}

}  // namespace
}  // namespace dimmscope
