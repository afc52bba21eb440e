// The environment queries against the real system. Values that depend on
// the machine (administrator or not) are only required to come back.
#include "platform/win32/system_info_win32.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "platform/win32/system_library_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/shell.h"
#include "tests/scratch_folder.h"

namespace dimmscope {
namespace {

TEST(WindowsVersionName, MajorDotMinorWithTheTablesSuffix) {
  const std::string name = GetWindowsVersionName();
  EXPECT_TRUE(std::regex_match(
      name, std::regex(R"(\d+\.\d+( \((Windows 2000|Windows XP|Vista|Seven|Windows8|Windows8\.1|Windows10)\))?)")))
      << name;
  // This program runs on Windows 7 and later.
  EXPECT_GE(std::stoi(name), 6) << name;
}

TEST(IsWow64, AnswersAs64BitOr32BitProcess) {
  bool wow64 = true;
  ASSERT_NO_THROW(wow64 = IsWow64());
#ifdef _WIN64
  EXPECT_FALSE(wow64);  // a 64-bit process never runs under WOW64
#else
  BOOL direct = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &direct));
  EXPECT_EQ(wow64, direct != FALSE);
#endif
}

TEST(IsAdministrator, Answers) {
  bool admin = false;
  EXPECT_NO_THROW(admin = IsAdministrator());
  // An impersonating thread answers for its own token; this one has none,
  // so the process token decides, and twice the same.
  EXPECT_EQ(IsAdministrator(), admin);
}

TEST(InstalledPrograms, TheMachinePlacesHaveTheirHeadings) {
  std::vector<std::string> names, errors;
  ListInstalledPrograms(names, errors);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front().rfind("HKEY_", 0), 0u);
  const std::string machine = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  bool found = false;
  for (const std::string& name : names) found = found || name == machine;
  EXPECT_TRUE(found);
  EXPECT_FALSE(IsProductInstalled("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\x"));
}

// Uninstall registrations made by the test under a key of its own.
class InstalledProgramsKey : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    base_ = std::string("SOFTWARE\\Orvel Studio Tests\\") + std::to_string(random()) + "\\Uninstall\\";
  }
  void TearDown() override {
    std::string root = base_.substr(0, base_.size() - std::string("\\Uninstall\\").size());
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(root).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\Orvel Studio Tests");
  }
  void Add(const std::string& Subkey, DWORD Type, const std::wstring& DisplayName) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(base_ + Subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (Type != REG_NONE) {
      RegSetValueExW(key, L"DisplayName", 0, Type, reinterpret_cast<const BYTE*>(DisplayName.c_str()),
                     static_cast<DWORD>((DisplayName.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
  }
  std::string base_;
};

TEST_F(InstalledProgramsKey, DisplayNamesOrSubkeyNames) {
  Add("A", REG_SZ, L"orvel studio dimmscope 1.8.0.20");
  Add("B", REG_NONE, L"");
  Add("C", REG_EXPAND_SZ, L"%SystemRoot%\\Tool");
  const std::vector<TUninstallPlace> places = {
      {TRegistryRoot::CurrentUser, base_, TMissingKey::Skip},
      {TRegistryRoot::CurrentUser, base_ + "Missing\\", TMissingKey::Error},
  };
  std::vector<std::string> names, errors;
  ListInstalledProgramsIn(places, false, names, errors);
  const std::vector<std::string> expected = {"HKEY_CURRENT_USER\\" + base_, "orvel studio dimmscope 1.8.0.20", "B", "C",
                                             "HKEY_CURRENT_USER\\" + base_ + "Missing\\"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to open HKEY_CURRENT_USER\\" + base_ + "Missing\\"});
  EXPECT_TRUE(AnyStartsText(names, "Orvel Studio Dimmscope"));
}

// What a 32-bit process on 64-bit Windows does: the 64-bit view flag on
// every open (harmless in a 64-bit process, so this runs everywhere), and
// a missing 32-bit-view key reported.
TEST_F(InstalledProgramsKey, TheWow64Scan) {
  Add("A", REG_SZ, L"Some Tool");
  const std::vector<TUninstallPlace> places = {
      {TRegistryRoot::CurrentUser, base_, TMissingKey::Error},
      {TRegistryRoot::CurrentUser, base_ + "Wow6432Node\\", TMissingKey::ErrorOnWow64},
  };
  std::vector<std::string> names, errors;
  ListInstalledProgramsIn(places, false, names, errors);
  EXPECT_EQ(names.size(), 3u);
  EXPECT_TRUE(errors.empty());
  ListInstalledProgramsIn(places, true, names, errors);
  EXPECT_EQ(names, (std::vector<std::string>{"HKEY_CURRENT_USER\\" + base_, "Some Tool",
                                             "HKEY_CURRENT_USER\\" + base_ + "Wow6432Node\\"}));
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to open HKEY_CURRENT_USER\\" + base_ + "Wow6432Node\\"});
}

TEST(SysNativePath, A64BitProcessKeepsThePath) {
  wchar_t system[MAX_PATH];
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, system)));
  const std::string hosts = WideToUtf8(system) + "\\drivers\\etc\\hosts";
  if (IsWow64()) {
    EXPECT_NE(SysNativePath(hosts).find("\\sysnative\\"), std::string::npos);
  } else {
    EXPECT_EQ(SysNativePath(hosts), hosts);
  }
  EXPECT_EQ(SysNativePath("D:\\Data\\system32\\x"), "D:\\Data\\system32\\x");
}

TEST(SetWow64Redirection, SwitchesOffAndOnWithoutHarm) {
  EXPECT_TRUE(SetWow64Redirection(true));
  EXPECT_TRUE(SetWow64Redirection(false));
  // The system folder is still reached as usual afterwards.
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  EXPECT_NE(GetFileAttributesW((std::wstring(system) + L"\\kernel32.dll").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SystemLibrary, LoadsFromTheSystemFolderOnly) {
  const TSystemLibrary netapi(L"netapi32.dll");
  ASSERT_TRUE(netapi);
  EXPECT_NE(netapi.Function<FARPROC>("NetWkstaGetInfo"), nullptr);
  EXPECT_EQ(netapi.Function<FARPROC>("NoSuchExport"), nullptr);
  const TSystemLibrary missing(L"dimmscope-no-such.dll");
  EXPECT_FALSE(missing);
}

TEST(HardenDllSearch, ThePlantedDllInTheCurrentFolderIsNotLoaded) {
  const TScratchFolder scratch;
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  // Any real DLL will do as the plant, under a name only the scratch folder has.
  ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\version.dll").c_str(),
                        Utf8ToWide(scratch.Path("dimmscope_planted.dll")).c_str(), FALSE));
  wchar_t previous[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(Utf8ToWide(scratch.Path()).c_str()));
  HardenDllSearch();
  const HMODULE planted = LoadLibraryW(L"dimmscope_planted.dll");
  if (planted != nullptr) FreeLibrary(planted);
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(planted, nullptr);
  // System DLLs still load by name.
  const HMODULE netapi = LoadLibraryW(L"netapi32.dll");
  EXPECT_NE(netapi, nullptr);
  if (netapi != nullptr) FreeLibrary(netapi);
}

TEST(ShellOpen, RefusesWhatCannotBeOpened) {
  const TScratchFolder scratch;
  EXPECT_FALSE(ShellOpen(""));
  // No message box of the shell's own: the call returns on its own.
  EXPECT_FALSE(ShellOpen(scratch.Path("missing.dimmscope-none")));
}

}  // namespace
}  // namespace dimmscope
