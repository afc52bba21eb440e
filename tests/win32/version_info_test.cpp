// Version information read back from the report exe this build made, whose
// resource CMake filled in from DIMMSCOPE_VERSION, and from system files.
#include "update/version_info.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/file_io.h"
#include "tests/scratch_folder.h"
#include "tests/win32/wine_gap.h"

#ifndef DIMMSCOPE_EXPECTED_VERSION
#error "the build passes the version it set as DIMMSCOPE_EXPECTED_VERSION"
#endif

namespace dimmscope {
namespace {

// dimmscope-report.exe sits in the build folder, one above this test exe.
std::string ReportExe() {
  wchar_t self[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring path(self, length);
  path = path.substr(0, path.find_last_of(L'\\'));  // ...\tests
  path = path.substr(0, path.find_last_of(L'\\'));  // the build folder
  return WideToUtf8(path + L"\\dimmscope-report.exe");
}

std::string SystemFile(const wchar_t* Name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return WideToUtf8(std::wstring(folder, length) + L"\\" + Name);
}

TEST(GetVersionInfo, TheReportExeCarriesTheBuildsVersion) {
  const std::string exe = ReportExe();
  ASSERT_EQ(GetFileAttributesW(Utf8ToWide(exe).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << exe;
  EXPECT_EQ(GetFileVersion(exe), DIMMSCOPE_EXPECTED_VERSION);

  const TVersionInfoRecord info = GetVersionInfo(exe);
  EXPECT_EQ(info.ProductName, "Dimmscope");
  EXPECT_EQ(info.CompanyName, "Orvel Studio");
  EXPECT_EQ(info.FileVersion, DIMMSCOPE_EXPECTED_VERSION);
  EXPECT_EQ(info.ProductVersion, DIMMSCOPE_EXPECTED_VERSION);
  EXPECT_EQ(info.FileDescription, "Dimmscope memory report");
  EXPECT_EQ(info.InternalName, "dimmscope-report");
  EXPECT_EQ(info.OriginalFilename, "dimmscope-report.exe");
  EXPECT_EQ(info.LegalCopyright.find("Copyright (C) "), 0u) << info.LegalCopyright;
  EXPECT_NE(info.LegalCopyright.find("Orvel Studio"), std::string::npos) << info.LegalCopyright;
}

TEST(ReadVersionStrings, OneLinePerStringInTheFallbacksSpelling) {
  std::vector<std::string> lines = {"kept"};
  ReadVersionStrings(ReportExe(), lines);
  const std::string v = DIMMSCOPE_EXPECTED_VERSION;
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "kept");  // appended to, not replaced
  EXPECT_EQ(lines[1], "FileDescription=Dimmscope memory report");
  EXPECT_EQ(lines[2], "CompanyName=Orvel Studio");
  EXPECT_EQ(lines[3], "FileVersion=" + v);
  EXPECT_EQ(lines[4], "InternalName=dimmscope-report");
  EXPECT_EQ(lines[5].rfind("LegalCopyRight=Copyright (C) ", 0), 0u) << lines[5];
  EXPECT_EQ(lines[6], "OriginalFileName=dimmscope-report.exe");
  EXPECT_EQ(lines[7], "ProductName=Dimmscope");
  EXPECT_EQ(lines[8], "ProductVersion=" + v);
}

TEST(GetFileVersion, FoldersAndMissingFilesAreNotFound) {
  TScratchFolder folder;
  EXPECT_EQ(GetFileVersion(folder.Path()), "File not found");
  EXPECT_EQ(GetFileVersion(folder.Path("missing.exe")), "File not found");
  EXPECT_EQ(GetFileVersion(""), "File not found");
}

TEST(GetFileVersion, AFileWithoutVersionInformationGivesEmptyResults) {
  TScratchFolder folder;
  const std::string path = folder.Path("plain.exe");
  ASSERT_TRUE(WriteFileBytes(path, "MZ not really a program"));
  EXPECT_EQ(GetFileVersion(path), "");
  const TVersionInfoRecord info = GetVersionInfo(path);
  EXPECT_EQ(info.FileDescription + info.CompanyName + info.FileVersion + info.InternalName + info.LegalCopyright +
                info.OriginalFilename + info.ProductName + info.ProductVersion,
            "");
  std::vector<std::string> lines;
  ReadVersionStrings(path, lines);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(GetVersionInfo(folder.Path("missing.exe")).ProductName, "");
}

TEST(GetFileVersion, SystemFilesHaveOne) {
  const std::string version = GetFileVersion(SystemFile(L"kernel32.dll"));
  int parts[4] = {-1, -1, -1, -1};
  ASSERT_EQ(std::sscanf(version.c_str(), "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]), 4) << version;
  EXPECT_GE(parts[0], 5);
  EXPECT_FALSE(GetVersionInfo(SystemFile(L"kernel32.dll")).FileVersion.empty());
}

// version.dll is not imported; the one in use must be the system folder's.
TEST(GetFileVersion, VersionDllComesFromTheSystemFolder) {
  (void)GetFileVersion(ReportExe());
  const HMODULE module = GetModuleHandleW(L"version.dll");
  ASSERT_NE(module, nullptr);
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  const std::string system = SystemFile(L"version.dll");
  EXPECT_EQ(CompareStringOrdinal(path, static_cast<int>(length), Utf8ToWide(system).c_str(), -1, TRUE), CSTR_EQUAL)
      << WideToUtf8(path) << " vs " << system;
}

// The manifest and icon the resource script attaches, read as data.
class ReportResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(Utf8ToWide(ReportExe()).c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  std::string Resource(LPCWSTR Type, LPCWSTR Name) const {
    const HRSRC info = FindResourceW(module_, Name, Type);
    if (info == nullptr) return std::string();
    const HGLOBAL data = LoadResource(module_, info);
    const void* bytes = data != nullptr ? LockResource(data) : nullptr;
    if (bytes == nullptr) return std::string();
    return std::string(static_cast<const char*>(bytes), SizeofResource(module_, info));
  }
  HMODULE module_ = nullptr;
};

TEST_F(ReportResources, ManifestAsksForCommonControls6AsInvokerWithoutDpiAwareness) {
  const std::string manifest = Resource(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("{e2011457-1546-43c5-a5fe-008deee3d3f0}"), std::string::npos);  // Vista
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // 10 and 11
  EXPECT_EQ(manifest.find("<dpiAware"), std::string::npos);
  EXPECT_EQ(manifest.find("<dpiAwareness"), std::string::npos);
  EXPECT_NE(manifest.find(std::string("version=\"") + DIMMSCOPE_EXPECTED_VERSION + "\""), std::string::npos);
}

TEST_F(ReportResources, IconIn16_32And48Pixels) {
  const std::string group = Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(1));  // RT_GROUP_ICON
  ASSERT_GE(group.size(), 6u);
  const unsigned count = static_cast<unsigned char>(group[4]) | static_cast<unsigned char>(group[5]) << 8;
  ASSERT_EQ(count, 3u);
  ASSERT_EQ(group.size(), 6u + 14u * count);
  std::vector<int> sizes;
  for (unsigned i = 0; i < count; ++i) sizes.push_back(static_cast<unsigned char>(group[6 + 14 * i]));
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
  for (const int size : {16, 32, 48}) {
    const HICON icon = static_cast<HICON>(
        LoadImageW(module_, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
    EXPECT_NE(icon, nullptr) << size;
  }
}

}  // namespace
}  // namespace dimmscope
