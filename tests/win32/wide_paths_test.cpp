// Paths the ANSI calls cannot name: a program deeper than the classic path
// limit whose version is read, an inventory in a folder named outside the
// ANSI code page; and the form of a temporary name near that limit.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/file_io_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/file_io.h"
#include "support/system_info.h"
#include "tests/scratch_folder.h"
#include "update/version_info.h"
#include "wmi/inventory_file.h"

namespace dimmscope {
namespace {

TEST(WidePaths, AProgramBeyondTheClassicLimitHasItsVersion) {
  wchar_t system[MAX_PATH];
  const std::wstring kernel = std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + L"\\kernel32.dll";
  TScratchFolder folder;
  std::wstring dir = Utf8ToWide(folder.Path());
  for (wchar_t part = L'a'; dir.size() < 280; ++part) {
    dir += L"\\" + std::wstring(60, part);
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + dir).c_str(), nullptr)) << GetLastError();
  }
  const std::string copy = WideToUtf8(dir + L"\\kernel32.dll");
  ASSERT_TRUE(CopyFileW(kernel.c_str(), (L"\\\\?\\" + dir + L"\\kernel32.dll").c_str(), FALSE)) << GetLastError();
  const std::string version = GetFileVersion(WideToUtf8(kernel));
  ASSERT_FALSE(version.empty());
  EXPECT_EQ(GetFileVersion(copy), version);
  EXPECT_EQ(GetVersionInfo(copy).FileVersion, GetVersionInfo(WideToUtf8(kernel)).FileVersion);
}

TEST(WidePaths, AnInventoryInAFolderOutsideTheCodePage) {
  TScratchFolder folder;
  const std::string dir = folder.Path("\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB");  // "Журнал"
  ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr));
  const std::string path = dir + "\\inventory.ini";
  ASSERT_TRUE(WriteFileBytes(path, "[Win32_PhysicalMemoryArray]\nMemoryDevices = 2\n"));
  EXPECT_EQ(LoadInventoryFile(path).Instances.size(), 1u);
  // As the program is told where it is.
  ASSERT_TRUE(SetEnvironmentVariableW(L"DIMMSCOPE_TEST_PATH", Utf8ToWide(path).c_str()));
  EXPECT_EQ(EnvironmentValue("DIMMSCOPE_TEST_PATH"), path);
}

// A destination just short of the limit needs no long form; its temporary
// name, some 20 characters longer, does.
TEST(WidePaths, TheTemporaryFileOfAReplaceNearTheLimit) {
  const std::string path = "C:\\" + std::string(236, 'a');
  ASSERT_EQ(WidePath(path), Utf8ToWide(path));
  EXPECT_EQ(AtomicReplaceTempPath(path).rfind(L"\\\\?\\" + Utf8ToWide(path) + L".", 0), 0u);
}

}  // namespace
}  // namespace dimmscope
