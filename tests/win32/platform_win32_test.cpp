// The Windows platform layer against the real system (wine64 here, and the
// i686 build under WoW64), in scratch folders and registry keys of the test's
// own; paths the ANSI calls cannot name among them.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/app_folders_win32.h"
#include "platform/win32/controls.h"
#include "platform/win32/error_handler_win32.h"
#include "platform/win32/file_io_win32.h"
#include "platform/win32/system_info_win32.h"
#include "platform/win32/system_library_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/ansi_text.h"
#include "support/file_io.h"
#include "support/locale_settings.h"
#include "support/memory_status.h"
#include "support/shell.h"
#include "support/system_info.h"
#include "support/text_helpers.h"
#include "tests/case_table.h"
#include "tests/scratch_folder.h"
#include "update/http_client.h"
#include "update/version_info.h"

namespace dimmscope {
namespace {

// "Пользователь" (user) in UTF-8: outside every Western ANSI code page.
const std::string kCyrillic =
    "\xD0\x9F\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xB7\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C";

// The names of tests/cases/win32_files.txt, in a folder of the files it names.
TEST(FileTests, ExactNamesOfFilesAndFolders) {
  const TScratchFolder scratch;
  ASSERT_TRUE(WriteFileBytes(scratch.Path("empty.txt"), ""));
  ASSERT_TRUE(WriteFileBytes(scratch.Path(kCyrillic + ".txt"), std::string(70000, 'x')));
  ASSERT_TRUE(MakeDir(scratch.Path("sub")));
  for (const auto& c : testing::CaseTable("win32_files.txt", '|')) {
    const std::string path = scratch.Path() + "\\" + c[0];
    EXPECT_EQ(IsExistingFile(path), c[1] == "file") << c.Where;
    EXPECT_EQ(IsExistingDir(path), c[1] == "folder") << c.Where;
    EXPECT_EQ(IsNonEmptyFile(path), c[1] == "file" && c[2] != "0") << c.Where;
    EXPECT_EQ(GetFileSize64(path), std::stoull(c[2])) << c.Where;
  }
  EXPECT_TRUE(IsExistingFile(scratch.Path() + "/empty.txt"));  // '/' delimits too
  EXPECT_FALSE(IsNonEmptyFile(""));
}

TEST(FileTests, SizesBeyondFourGigabytes) {
  const TScratchFolder scratch;
  const std::string path = scratch.Path("large.bin");
  const HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  DeviceIoControl(file, 0x900C4, nullptr, 0, nullptr, 0, &returned, nullptr);  // FSCTL_SET_SPARSE: no disk taken
  LARGE_INTEGER size;
  size.QuadPart = (5LL << 30) + 3;
  const bool extended = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  ASSERT_TRUE(extended);
  EXPECT_EQ(GetFileSize64(path), (5ULL << 30) + 3);
}

std::string SystemFolder() {
  wchar_t folder[MAX_PATH];
  return WideToUtf8(std::wstring(folder, GetSystemDirectoryW(folder, MAX_PATH)));
}

// Folders and files beyond MAX_PATH, which only the long path form reaches,
// and a program's version read there.
TEST(LongPaths, FoldersAndFilesBeyondTheClassicLimit) {
  const TScratchFolder scratch;
  std::string path = scratch.Path();
  for (char part = 'a'; path.size() <= 300; ++part) {
    path += "\\" + std::string(60, part);
    ASSERT_TRUE(MakeDir(path)) << path.size();
  }
  EXPECT_TRUE(IsExistingDir(path));
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);  // the classic call cannot see it
  const std::string file = path + "\\Dimmscope.log";
  ASSERT_TRUE(WriteFileBytes(file, "one"));
  ASSERT_TRUE(ReplaceFileAtomically(file, "two!"));
  EXPECT_EQ(FileContents(file), "two!");
  EXPECT_TRUE(IsExistingFile(file));
  EXPECT_EQ(GetFileSize64(file), 4u);
  const std::string kernel = SystemFolder() + "\\kernel32.dll", copy = path + "\\kernel32.dll";
  ASSERT_TRUE(CopyFileW(Utf8ToWide(kernel).c_str(), WidePath(copy).c_str(), FALSE)) << GetLastError();
  ASSERT_NE(GetFileVersion(kernel), "");
  EXPECT_EQ(GetFileVersion(copy), GetFileVersion(kernel));
  EXPECT_EQ(GetVersionInfo(copy).FileVersion, GetVersionInfo(kernel).FileVersion);
  // The scratch folder's clean-up uses the classic calls.
  for (const std::string& name : {file, copy}) DeleteFileW(WidePath(name).c_str());
  for (; path.size() > scratch.Path().size(); path.resize(path.rfind('\\'))) {
    EXPECT_TRUE(RemoveDirectoryW(WidePath(path).c_str())) << path.size();
  }
}

// A hidden file is rewritten; a file held open without delete sharing is not
// replaced, and no temporary file is left.
TEST(FileWrites, HiddenAndHeldOpenFiles) {
  const TScratchFolder scratch;
  const std::string path = scratch.Path("export.csv");
  ASSERT_TRUE(WriteFileBytes(path, "old and longer"));
  ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(WriteFileBytes(path, "old"));
  ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_NORMAL));
  const HANDLE held = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReplaceFileAtomically(path, "new"));
  CloseHandle(held);
  EXPECT_EQ(FileContents(path), "old");
  EXPECT_EQ(scratch.EntryNames(), std::set<std::string>{"export.csv"});
}

// A registry key of the test's own under the current user, removed at the end.
struct TTestKey {
  const std::string Path = "SOFTWARE\\Orvel Studio Tests\\" + std::to_string(GetCurrentProcessId());
  ~TTestKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(Path).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\Orvel Studio Tests");  // only when no other run left keys there
  }
  void SetRaw(const wchar_t* Name, DWORD Type, const void* Data, DWORD Size) const {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Utf8ToWide(Path).c_str(), Name, Type, Data, Size), ERROR_SUCCESS);
  }
};

TEST(MakerValues, RoundTripThroughTheRegistry) {
  const TTestKey key;
  EXPECT_EQ(ReadMakerValueAt(key.Path, "Fesk"), "");  // never written
  const std::string exe = "C:\\Users\\" + kCyrillic + "\\Downloads\\Dimmscope.exe";
  WriteMakerValueAt(key.Path, "Dimmscope", exe);
  EXPECT_EQ(ReadMakerValueAt(key.Path, "Dimmscope"), exe);
  WriteMakerValueAt(key.Path, "Dimmscope", "D:\\x.exe");
  EXPECT_EQ(ReadMakerValueAt(key.Path, "Dimmscope"), "D:\\x.exe");
  DWORD type = 0;  // a plain string, as the maker's other programs read it
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, Utf8ToWide(key.Path).c_str(), L"Dimmscope", RRF_RT_ANY | RRF_NOEXPAND,
                         &type, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});
}

TEST(MakerValues, ValuesWrittenByOthers) {
  const TTestKey key;
  const wchar_t unterminated[] = {L'A', L'B', L'C'};
  key.SetRaw(L"Raw", REG_SZ, unterminated, sizeof unterminated + 1);  // and an odd byte count
  EXPECT_EQ(ReadMakerValueAt(key.Path, "Raw"), "ABC");
  const wchar_t expandable[] = L"%ProgramFiles%\\Fesk.exe";
  key.SetRaw(L"Fesk", REG_EXPAND_SZ, expandable, sizeof expandable);
  EXPECT_EQ(ReadMakerValueAt(key.Path, "Fesk"), "%ProgramFiles%\\Fesk.exe");  // as stored
  const DWORD number = 7;
  key.SetRaw(L"Number", REG_DWORD, &number, sizeof number);
  EXPECT_THROW(ReadMakerValueAt(key.Path, "Number"), std::runtime_error);
}

// A roaming profile outside the ANSI code page (a Cyrillic user name on a
// Western code page): the shell's folder setting is pointed there for the test.
TEST(DataFolder, UnderAnAppDataFolderOutsideTheCodePage) {
  const TScratchFolder scratch;
  const std::string appData = scratch.Path(kCyrillic);
  ASSERT_TRUE(MakeDir(appData));
  ASSERT_NE(AnsiToWide(WideToAnsi(Utf8ToWide(appData))), Utf8ToWide(appData)) << "proves nothing on this code page";
  const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  wchar_t saved[MAX_PATH];
  DWORD size = sizeof saved, type = 0;
  const bool had =
      RegGetValueW(HKEY_CURRENT_USER, key, L"AppData", RRF_RT_ANY | RRF_NOEXPAND, &type, saved, &size) == ERROR_SUCCESS;
  const std::wstring wide = Utf8ToWide(appData);
  RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppData", REG_EXPAND_SZ, wide.c_str(),
                  static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  const std::string folder = GetDataFolder("C:\\Tools\\Dimmscope.exe", "Dimmscope");
  if (had) RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppData", type, saved, size);
  if (!had) RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"AppData");
  EXPECT_EQ(folder, appData + "\\Orvel Studio\\Dimmscope\\");
  ASSERT_TRUE(WriteFileBytes(folder + "Dimmscope.log", "x"));
  EXPECT_TRUE(IsNonEmptyFile(folder + "Dimmscope.log"));
}

// A 32-bit process on 64-bit Windows (the i686 build under WoW64), as the
// machine tells it rather than IsWow64, which is under test.
bool OnWow64() {
  SYSTEM_INFO native;
  GetNativeSystemInfo(&native);
  return sizeof(void*) == 4 && native.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL;
}

TEST(SystemInfo, VersionAndWow64) {
  const std::string name = GetWindowsVersionName();
  EXPECT_TRUE(std::regex_match(name, std::regex(R"((\d+)\.\d+( \(.+\))?)"))) << name;
  EXPECT_GE(std::stoi(name), 6) << name;  // Windows 7 and later
  EXPECT_EQ(IsWow64(), OnWow64());
  const std::string hosts = SystemFolder() + "\\drivers\\etc\\hosts";
  EXPECT_EQ(SysNativePath(hosts) == hosts, !OnWow64());
  // The inventory's path as the program is told it, outside the ANSI code page.
  const std::string inventory = "C:\\" + kCyrillic + "\\inventory.ini";
  ASSERT_TRUE(SetEnvironmentVariableW(L"DIMMSCOPE_TEST_PATH", Utf8ToWide(inventory).c_str()));
  EXPECT_EQ(EnvironmentValue("DIMMSCOPE_TEST_PATH"), inventory);
}

// Taken from kernel32 at run time; Windows and Wine both have it.
TEST(MemoryStatus, TheFirmwaresInstalledMemoryHoldsWhatWindowsCanUse) {
  const std::optional<std::uint64_t> installed = FirmwareInstalledBytes();
  ASSERT_TRUE(installed.has_value());
  EXPECT_GE(*installed, GetMemoryStatus().TotalPhys);
}

// What only a 32-bit process on 64-bit Windows meets: a second system folder
// and a second registry view, which it sees in place of the 64-bit ones.
#define SKIP_UNLESS_WOW64() \
  if (!OnWow64()) GTEST_SKIP() << "not a 32-bit process on 64-bit Windows"

// conhost.exe exists only in the 64-bit system folder.
TEST(Wow64, TheRealSystemFolderThroughSysnativeOrWithoutRedirection) {
  SKIP_UNLESS_WOW64();
  const std::string exe = SystemFolder() + "\\conhost.exe";
  const std::string sysnative = SystemFolder().substr(0, SystemFolder().rfind('\\')) + "\\sysnative\\conhost.exe";
  EXPECT_FALSE(IsExistingFile(exe));  // redirected to the 32-bit folder
  EXPECT_TRUE(IsNonEmptyFile(exe));   // tested with the redirection off
  EXPECT_EQ(SysNativePath(exe), sysnative);
  EXPECT_TRUE(IsExistingFile(sysnative));
  EXPECT_NE(GetVersionInfo(exe).FileVersion, "");  // read through sysnative
}

// A 32-bit program's uninstall registration goes to Wow6432Node, a 64-bit
// one's to the 64-bit view, which the 32-bit process must ask for.
TEST(Wow64, InstalledProgramsOfBothRegistryViews) {
  SKIP_UNLESS_WOW64();
  const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dimmscope test";
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    const std::wstring name = view == KEY_WOW64_64KEY ? L"Dimmscope test 64" : L"Dimmscope test 32";
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &opened, nullptr), 0);
    RegSetValueExW(opened, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()), (name.size() + 1) * 2);
    RegCloseKey(opened);
  }
  std::vector<std::string> names, errors;
  ListInstalledPrograms(names, errors);
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
  // Each under its own place's heading, the 64-bit view's first.
  std::vector<std::string> found;
  for (const std::string& line : names) {
    if (line.rfind("HKEY_LOCAL_MACHINE", 0) == 0 || line.rfind("Dimmscope test", 0) == 0) found.push_back(line);
  }
  EXPECT_EQ(found, (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\" + UninstallPlaces()[1].KeyPath, "Dimmscope test 64",
                                             "HKEY_LOCAL_MACHINE\\" + UninstallPlaces()[2].KeyPath, "Dimmscope test 32"}));
  EXPECT_EQ(errors, std::vector<std::string>{});
}

// Uninstall registrations made under a key of the test's own.
TEST(InstalledPrograms, DisplayNamesOrSubkeyNamesAndMissingKeys) {
  const TTestKey key;
  const std::string base = key.Path + "\\";
  const auto add = [&](const char* Subkey, DWORD Type, const std::wstring& Name) {
    const std::wstring subkey = Utf8ToWide(base + Subkey);
    RegSetKeyValueW(HKEY_CURRENT_USER, subkey.c_str(), Type == REG_NONE ? L"Other" : L"DisplayName", Type, Name.c_str(),
                    static_cast<DWORD>((Name.size() + 1) * sizeof(wchar_t)));
  };
  add("A", REG_SZ, L"orvel studio dimmscope 1.8.0.20");
  add("B", REG_NONE, L"");
  add("C", REG_EXPAND_SZ, L"%SystemRoot%\\Tool");  // only a plain string names a program
  std::vector<std::string> names, errors;
  ListInstalledProgramsIn({{TRegistryRoot::CurrentUser, base, TMissingKey::Skip},
                           {TRegistryRoot::CurrentUser, base + "Missing\\", TMissingKey::Error},
                           {TRegistryRoot::CurrentUser, base + "Wow6432Node\\", TMissingKey::ErrorOnWow64}},
                          IsWow64(), names, errors);
  const std::string root = "HKEY_CURRENT_USER\\" + base;
  EXPECT_EQ(names, (std::vector<std::string>{root, "orvel studio dimmscope 1.8.0.20", "B", "C", root + "Missing\\",
                                             root + "Wow6432Node\\"}));
  std::vector<std::string> expected = {"Unable to open " + root + "Missing\\"};
  if (OnWow64()) expected.push_back("Unable to open " + root + "Wow6432Node\\");  // only there must it exist
  EXPECT_EQ(errors, expected);
}

// Windows calls the program back from its own frames, which the i686 build's
// exceptions cannot unwind through: what a window procedure, a timer or an HTTP
// completion throws goes to the general error handler's box.
class Callbacks : public ::testing::Test, public win::TWindowProc {
 protected:
  Callbacks() {
    Register("DimmscopeTestWindow", nullptr, nullptr);
    CreateWindowExA(0, "DimmscopeTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                    static_cast<win::TWindowProc*>(this));
    win::SetApplicationTitle("Dimmscope test");
  }
  ~Callbacks() override { DestroyWindow(handle_); }
  bool OnMessage(UINT Message, WPARAM WParam, LPARAM, LRESULT&) override {
    if (Message == WM_TIMER && KillTimer(handle_, WParam)) throw std::runtime_error("timer");
    if (Message == WM_APP) throw std::runtime_error("handler");
    return false;
  }
  // The box's text, read and the box closed by a second thread while this
  // one runs Start and the message loop; empty after 20 s without a box.
  std::string Shown(const std::function<void()>& Start) {
    std::atomic<bool> closed{false};
    std::string text;
    std::thread watcher([&] {
      HWND box = nullptr;
      for (int tries = 0; tries < 200 && text.empty(); ++tries, Sleep(100)) {
        text = win::TWindow(GetDlgItem(box = FindWindowA("#32770", "Dimmscope test"), 0xFFFF)).Text();
      }
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      closed = true;
    });
    Start();
    for (int tries = 0; tries < 200 && !closed; ++tries) PumpHttpCompletions(100);
    watcher.join();
    return text;
  }
};

TEST_F(Callbacks, WindowProcedure) { EXPECT_EQ(Shown([&] { SendMessageA(handle_, WM_APP, 0, 0); }), "handler"); }
TEST_F(Callbacks, Timer) { EXPECT_EQ(Shown([&] { SetTimer(handle_, 1, 10, nullptr); }), "timer"); }
TEST_F(Callbacks, HttpCompletion) {
  THttpClient client;
  client.URL = "http://127.0.0.1:1/";  // refused at once
  client.OnRequestDone = [](THttpClient&, std::int32_t) { throw std::runtime_error("completion"); };
  EXPECT_EQ(Shown([&] { client.GetASync(); }), "completion");
}

TEST(SystemLibrary, LoadsFromTheSystemFolderOnly) {
  EXPECT_NE(TSystemLibrary(L"netapi32.dll").Function<FARPROC>("NetWkstaGetInfo"), nullptr);
  EXPECT_FALSE(TSystemLibrary(L"dimmscope-no-such.dll"));
  // A DLL planted in the current folder is not loaded once the search is hardened.
  const TScratchFolder scratch;
  ASSERT_TRUE(CopyFileW(Utf8ToWide(SystemFolder() + "\\version.dll").c_str(),
                        Utf8ToWide(scratch.Path("dimmscope_planted.dll")).c_str(), FALSE));
  wchar_t previous[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(Utf8ToWide(scratch.Path()).c_str()));
  HardenDllSearch();
  const HMODULE planted = LoadLibraryW(L"dimmscope_planted.dll");
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(planted, nullptr);
  if (planted != nullptr) FreeLibrary(planted);
}

TEST(ShellOpen, RefusesWhatCannotBeOpened) {
  EXPECT_FALSE(ShellOpen(""));
  EXPECT_FALSE(ShellOpen("C:\\dimmscope-missing.dimmscope-none"));  // and shows no message of its own
}

TEST(TextConversions, Utf8Utf16AndTheAnsiCodePage) {
  const char cyrillic[] = "\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB";  // "Журнал"
  EXPECT_EQ(Utf8ToWide(cyrillic), L"\x0416\x0443\x0440\x043D\x0430\x043B");
  EXPECT_EQ(WideToUtf8(L"\x0416\x0443\x0440\x043D\x0430\x043B"), cyrillic);
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");  // beyond the basic plane: a surrogate pair
  EXPECT_EQ(WideToUtf8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));  // counted, not scanned
  EXPECT_EQ(Utf8ToWide("a\xFF"), L"a\xFFFD");                               // invalid: the replacement character
  ASSERT_EQ(GetACP(), 1252u) << "the rest assumes the Western code page";
  EXPECT_EQ(AnsiFromUtf8("Caf\xC3\xA9"), "Caf\xE9");
  EXPECT_EQ(Utf8FromAnsi("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(AnsiFromUtf8(cyrillic), "??????");
}

TEST(WidePath, LongAbsolutePathsGetTheLongForm) {
  const std::string tail(300, 'a');
  const std::wstring wide = Utf8ToWide(tail);
  EXPECT_EQ(WidePath("C:\\short\\path.txt"), L"C:\\short\\path.txt");
  EXPECT_EQ(WidePath("C:/" + tail), L"\\\\?\\C:\\" + wide);
  EXPECT_EQ(WidePath("\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + wide);
  EXPECT_EQ(WidePath("\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + wide);
  EXPECT_EQ(WidePath(tail), wide);                                   // relative stays relative
  EXPECT_EQ(WidePath("C:\\a\\..\\" + tail), L"C:\\a\\..\\" + wide);  // the long form would not resolve ".."
  // A destination just short of the limit needs no long form; its temporary
  // name, some 20 characters longer, does.
  const std::string nearLimit = "C:\\" + std::string(236, 'a');
  ASSERT_EQ(WidePath(nearLimit), Utf8ToWide(nearLimit));
  EXPECT_EQ(AtomicReplaceTempPath(nearLimit).rfind(L"\\\\?\\" + Utf8ToWide(nearLimit) + L".", 0), 0u);
}

TEST(LocaleSettings, SeparatorsFollowTheUsersLocale) {
  wchar_t time[16], decimal[16];
  ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, time, 16), 0);
  ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 16), 0);
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L"."));
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
  LoadLocaleSettings();
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, time);
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal);
  EXPECT_EQ(TimeSeparator, '.');
  EXPECT_EQ(DecimalSeparator, ',');
  TimeSeparator = ':';
  DecimalSeparator = '.';
}

// dimmscope-report.exe, one folder above this test exe, carries the build's version resource.
TEST(VersionInfo, TheReportExeAndFilesWithout) {
  wchar_t self[MAX_PATH];
  const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  const std::wstring build = path.substr(0, path.substr(0, path.rfind(L'\\')).rfind(L'\\'));
  const std::string exe = WideToUtf8(build + L"\\dimmscope-report.exe");
  const TVersionInfoRecord info = GetVersionInfo(exe);
  EXPECT_EQ(info.ProductName + "|" + info.CompanyName + "|" + info.FileVersion + "|" + info.OriginalFilename,
            "Dimmscope|Orvel Studio|" DIMMSCOPE_EXPECTED_VERSION "|dimmscope-report.exe");
  std::vector<std::string> lines = {"kept"};
  ReadVersionStrings(exe, lines);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[1], "FileDescription=Dimmscope memory report");
  EXPECT_EQ(lines[5].rfind("LegalCopyRight=Copyright (C) ", 0), 0u) << lines[5];  // the fallback's spelling
  EXPECT_EQ(lines[8], "ProductVersion=" DIMMSCOPE_EXPECTED_VERSION);

  const TScratchFolder scratch;
  EXPECT_EQ(GetFileVersion(scratch.Path()), "File not found");
  EXPECT_EQ(GetFileVersion(scratch.Path("missing.exe")), "File not found");
  ASSERT_TRUE(WriteFileBytes(scratch.Path("plain.exe"), "MZ not really a program"));
  EXPECT_EQ(GetFileVersion(scratch.Path("plain.exe")), "");
  EXPECT_EQ(GetVersionInfo(scratch.Path("plain.exe")).ProductName, "");
}

}  // namespace
}  // namespace dimmscope
