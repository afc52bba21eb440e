// The Windows folders, file tests and maker values against the real system:
// everything in a scratch folder or a registry key of the test's own.
#include "platform/win32/app_folders_win32.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

// "Пользователь" (user) in UTF-8: outside every Western ANSI code page.
const std::string kCyrillic =
    "\xD0\x9F\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C";

bool WriteBytes(const std::string& Path, const std::string& Bytes) {
  const HANDLE file =
      CreateFileW(Utf8ToWide(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      Bytes.empty() ||
      (WriteFile(file, Bytes.data(), static_cast<DWORD>(Bytes.size()), &written, nullptr) && written == Bytes.size());
  return CloseHandle(file) && ok;
}

// A registry key of the test's own under the current user, removed at the end.
class TTestKey {
 public:
  TTestKey() {
    std::random_device random;
    path_ = std::string(kParent) + "\\" + std::to_string(random()) + "-" + std::to_string(GetCurrentProcessId());
  }
  ~TTestKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(path_).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, Utf8ToWide(kParent).c_str());  // only when no other run left keys there
  }
  TTestKey(const TTestKey&) = delete;
  TTestKey& operator=(const TTestKey&) = delete;
  const std::string& Path() const { return path_; }
  bool Exists() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(path_).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  LSTATUS SetRaw(const wchar_t* Name, DWORD Type, const void* Data, DWORD Size) const {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(path_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExW(key, Name, 0, Type, static_cast<const BYTE*>(Data), Size);
    RegCloseKey(key);
    return status;
  }

  static constexpr char kParent[] = "SOFTWARE\\Orvel Studio Tests";

 private:
  std::string path_;
};

TEST(MakerValues, TheProductUsesTheMakersKey) { EXPECT_STREQ(kMakerKeyPath, "SOFTWARE\\Orvel Studio"); }

TEST(MakerValues, RoundTripThroughTheRegistry) {
  const TTestKey key;
  // Reading a value that was never written gives nothing, and creates the key.
  EXPECT_EQ(ReadMakerValueAt(key.Path(), "Fesk"), "");
  EXPECT_TRUE(key.Exists());

  const std::string exe = "C:\\Users\\" + kCyrillic + "\\Downloads\\Dimmscope.exe";
  WriteMakerValueAt(key.Path(), "Dimmscope", exe);
  EXPECT_EQ(ReadMakerValueAt(key.Path(), "Dimmscope"), exe);
  WriteMakerValueAt(key.Path(), "Dimmscope", "D:\\Other.exe");
  EXPECT_EQ(ReadMakerValueAt(key.Path(), "Dimmscope"), "D:\\Other.exe");
  WriteMakerValueAt(key.Path(), "Empty", "");
  EXPECT_EQ(ReadMakerValueAt(key.Path(), "Empty"), "");

  // Stored as a plain string, with its terminator.
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key.Path()).c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(raw, L"Dimmscope", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(raw);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof(L"D:\\Other.exe"));
}

TEST(MakerValues, ValuesWrittenByOthers) {
  const TTestKey key;
  // Without a terminator and with an odd byte count.
  const wchar_t unterminated[] = {L'A', L'B', L'C'};
  ASSERT_EQ(key.SetRaw(L"Raw", REG_SZ, unterminated, sizeof unterminated + 1), ERROR_SUCCESS);
  EXPECT_EQ(ReadMakerValueAt(key.Path(), "Raw"), "ABC");
  // An expandable string is text too, returned as stored.
  const wchar_t expandable[] = L"%ProgramFiles%\\Fesk\\Fesk.exe";
  ASSERT_EQ(key.SetRaw(L"Fesk", REG_EXPAND_SZ, expandable, sizeof expandable), ERROR_SUCCESS);
  EXPECT_EQ(ReadMakerValueAt(key.Path(), "Fesk"), "%ProgramFiles%\\Fesk\\Fesk.exe");
  // Any other type is an error for the caller to report.
  const DWORD number = 7;
  ASSERT_EQ(key.SetRaw(L"Number", REG_DWORD, &number, sizeof number), ERROR_SUCCESS);
  EXPECT_THROW(ReadMakerValueAt(key.Path(), "Number"), std::runtime_error);
}

TEST(WideFileInterface, IsAvailable) { EXPECT_TRUE(WideFileInterface()); }

TEST(DataFolder, CreatedUnderAnAppDataFolderOutsideTheCodePage) {
  const TScratchFolder scratch;
  const std::string appData = scratch.Path(kCyrillic + "\\AppData\\Roaming");
  ASSERT_TRUE(MakeDir(scratch.Path(kCyrillic)));
  ASSERT_TRUE(MakeDir(scratch.Path(kCyrillic + "\\AppData")));
  ASSERT_TRUE(MakeDir(appData));
  const std::string expected = appData + "\\Orvel Studio\\Dimmscope\\";
  EXPECT_EQ(GetDataFolderIn(appData, "C:\\Tools\\Dimmscope.exe", "Dimmscope"), expected);
  EXPECT_TRUE(IsExistingDir(appData + "\\Orvel Studio"));
  EXPECT_TRUE(IsExistingDir(appData + "\\Orvel Studio\\Dimmscope"));
  // The same answer while the folder exists; a trailing backslash on the
  // application-data folder changes nothing.
  EXPECT_EQ(GetDataFolderIn(appData + "\\", "C:\\Tools\\Dimmscope.exe", "Dimmscope"), expected);
  ASSERT_TRUE(WriteBytes(expected + "Dimmscope.log", "x"));
  EXPECT_TRUE(IsNonEmptyFile(expected + "Dimmscope.log"));
}

TEST(DataFolder, FallsBackToTheProgramFolder) {
  const TScratchFolder scratch;
  // The maker folder cannot be made where the parent is missing.
  EXPECT_EQ(GetDataFolderIn(scratch.Path("missing\\Roaming"), "C:\\Tools\\Dimmscope.exe", "Dimmscope"), "C:\\Tools\\");
  EXPECT_FALSE(IsExistingDir(scratch.Path("missing")));
  EXPECT_EQ(GetDataFolderIn("", "C:\\Tools\\Dimmscope.exe", "Dimmscope"), "C:\\Tools\\");
  // A file where the product folder should be.
  ASSERT_TRUE(MakeDir(scratch.Path("Orvel Studio")));
  ASSERT_TRUE(WriteBytes(scratch.Path("Orvel Studio\\Dimmscope"), "not a folder"));
  EXPECT_EQ(GetDataFolderIn(scratch.Path(), "E:\\Dimmscope.exe", "Dimmscope"), "E:\\");
}

TEST(FileTests, FilesFoldersAndMissingPaths) {
  const TScratchFolder scratch;
  const std::string empty = scratch.Path("empty.txt");
  const std::string full = scratch.Path(kCyrillic + ".txt");
  const std::string folder = scratch.Path("folder");
  const std::string missing = scratch.Path("missing.txt");
  ASSERT_TRUE(WriteBytes(empty, ""));
  ASSERT_TRUE(WriteBytes(full, std::string(70000, 'x')));
  ASSERT_TRUE(MakeDir(folder));

  EXPECT_TRUE(IsExistingFile(empty));
  EXPECT_TRUE(IsExistingFile(full));
  EXPECT_FALSE(IsExistingFile(folder));
  EXPECT_FALSE(IsExistingFile(missing));
  EXPECT_TRUE(IsExistingDir(folder));
  EXPECT_TRUE(IsExistingDir(scratch.Path()));
  EXPECT_FALSE(IsExistingDir(full));
  EXPECT_FALSE(IsExistingDir(missing));

  EXPECT_EQ(GetFileSize64(empty), 0u);
  EXPECT_EQ(GetFileSize64(full), 70000u);
  EXPECT_EQ(GetFileSize64(missing), 0u);

  EXPECT_FALSE(IsNonEmptyFile(empty));
  EXPECT_TRUE(IsNonEmptyFile(full));
  EXPECT_FALSE(IsNonEmptyFile(folder));
  EXPECT_FALSE(IsNonEmptyFile(missing));
  EXPECT_FALSE(IsNonEmptyFile(""));
}

TEST(FileTests, ExactNamesOnly) {
  const TScratchFolder scratch;
  ASSERT_TRUE(WriteBytes(scratch.Path("a.txt"), "abc"));
  ASSERT_TRUE(MakeDir(scratch.Path("sub")));
  // A wildcard would find some other entry.
  EXPECT_FALSE(IsExistingFile(scratch.Path("*")));
  EXPECT_FALSE(IsExistingFile(scratch.Path("?.txt")));
  EXPECT_FALSE(IsExistingDir(scratch.Path("s*")));
  // A name ending with a backslash can only be a folder.
  EXPECT_TRUE(IsExistingDir(scratch.Path("sub") + "\\"));
  EXPECT_FALSE(IsExistingFile(scratch.Path("a.txt") + "\\"));
  // Forward slashes are ordinary delimiters on Windows.
  EXPECT_TRUE(IsExistingFile(scratch.Path() + "/a.txt"));
}

TEST(FileTests, SizesBeyondFourGigabytes) {
  const TScratchFolder scratch;
  const std::string path = scratch.Path("large.bin");
  const HANDLE file =
      CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  // Sparse where the file system allows, so no disk space is taken.
  constexpr DWORD kSetSparse = 0x900C4;  // FSCTL_SET_SPARSE, from <winioctl.h>
  DeviceIoControl(file, kSetSparse, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = (5LL << 30) + 3;
  const bool extended = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  if (!extended) GTEST_SKIP() << "the scratch folder's file system holds no 5 GB file";
  EXPECT_EQ(GetFileSize64(path), (5ULL << 30) + 3);
  EXPECT_TRUE(IsNonEmptyFile(path));
}

TEST(MakeDir, OneLevelAtATime) {
  const TScratchFolder scratch;
  EXPECT_TRUE(MakeDir(scratch.Path("one")));
  EXPECT_FALSE(MakeDir(scratch.Path("one")));         // already there
  EXPECT_FALSE(MakeDir(scratch.Path("two\\three")));  // parent missing
  EXPECT_TRUE(MakeDir(scratch.Path("four") + "\\"));
  EXPECT_TRUE(IsExistingDir(scratch.Path("four")));
  EXPECT_TRUE(MakeDir(scratch.Path(kCyrillic)));
  EXPECT_TRUE(IsExistingDir(scratch.Path(kCyrillic)));
  EXPECT_FALSE(MakeDir(""));
}

TEST(MakeDir, PathsBeyondTheClassicLimit) {
  const TScratchFolder scratch;
  std::vector<std::string> levels;
  std::string path = scratch.Path();
  while (path.size() <= 320) {
    path += "\\" + std::string(40, 'd') + std::to_string(levels.size());
    levels.push_back(path);
    ASSERT_TRUE(MakeDir(path)) << "at " << path.size() << " characters";
  }
  EXPECT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_TRUE(IsExistingDir(path));
  // The classic call cannot see it; only the long form reaches it.
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(Utf8ToWide("\\\\?\\" + path).c_str()), INVALID_FILE_ATTRIBUTES);

  const std::string file = path + "\\deep.txt";
  const HANDLE handle = CreateFileW(Utf8ToWide("\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(handle, "12345", 5, &written, nullptr);
  CloseHandle(handle);
  EXPECT_TRUE(IsExistingFile(file));
  EXPECT_EQ(GetFileSize64(file), 5u);
  EXPECT_TRUE(IsNonEmptyFile(file));

  // The scratch folder's own clean-up uses the classic calls.
  DeleteFileW(Utf8ToWide("\\\\?\\" + file).c_str());
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    EXPECT_TRUE(RemoveDirectoryW(Utf8ToWide("\\\\?\\" + *level).c_str()));
  }
}

}  // namespace
}  // namespace dimmscope
