// The Windows side of the file and text services: UTF-8/UTF-16/ANSI
// conversions, files Windows refuses to replace, hidden files, long paths,
// and the locale's separators.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/ansi_text.h"
#include "support/file_io.h"
#include "support/locale_settings.h"
#include "support/text_helpers.h"
#include "tests/scratch_folder.h"
#include "tests/win32/wine_gap.h"

namespace dimmscope {
namespace {

const char kCyrillicUtf8[] = "\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB";  // "Журнал"

TEST(TextConversions, Utf8AndUtf16RoundTrip) {
  EXPECT_EQ(Utf8ToWide(kCyrillicUtf8), L"\x0416\x0443\x0440\x043D\x0430\x043B");
  EXPECT_EQ(WideToUtf8(L"\x0416\x0443\x0440\x043D\x0430\x043B"), kCyrillicUtf8);
  // A character beyond the basic plane travels as a surrogate pair.
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");
  EXPECT_EQ(WideToUtf8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(WideToUtf8(L""), "");
  // Embedded zeros are kept: lengths are counted, not scanned.
  EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
  // Invalid UTF-8 turns into the replacement character, never into nothing.
  EXPECT_EQ(Utf8ToWide("a\xFF"
                       "b"),
            L"a\xFFFD"
            L"b");
}

TEST(TextConversions, AnsiFollowsTheCodePage) {
  EXPECT_EQ(AnsiFromUtf8("Kingston 99U5471"), "Kingston 99U5471");
  EXPECT_EQ(Utf8FromAnsi("Kingston"), "Kingston");
  EXPECT_EQ(WideToAnsi(L"plain"), "plain");
  EXPECT_EQ(AnsiToWide("plain"), L"plain");
  if (GetACP() != 1252) GTEST_SKIP() << "the rest assumes the Western code page 1252, this system uses " << GetACP();
  EXPECT_EQ(AnsiFromUtf8("Caf\xC3\xA9"), "Caf\xE9");
  EXPECT_EQ(Utf8FromAnsi("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(AnsiFromUtf8(kCyrillicUtf8), "??????");  // not in the code page
}

TEST(WidePath, LongAbsolutePathsGetTheLongForm) {
  EXPECT_EQ(WidePath("C:\\short\\path.txt"), L"C:\\short\\path.txt");
  EXPECT_EQ(WidePath("relative\\path.txt"), L"relative\\path.txt");
  const std::string tail(300, 'a');
  EXPECT_EQ(WidePath("C:/" + tail), L"\\\\?\\C:\\" + Utf8ToWide(tail));
  EXPECT_EQ(WidePath("\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + Utf8ToWide(tail));
  EXPECT_EQ(WidePath("\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + Utf8ToWide(tail));
  EXPECT_EQ(WidePath(tail), Utf8ToWide(tail));  // relative stays relative
  EXPECT_EQ(WidePath("C:\\a\\..\\" + tail), L"C:\\a\\..\\" + Utf8ToWide(tail));
}

TEST(FileIoWin32, FilesInAFolderBeyondTheClassicPathLimit) {
  TScratchFolder folder;
  std::wstring dir = Utf8ToWide(folder.Path());
  for (char part = 'a'; dir.size() < 300; ++part) {
    dir += L"\\" + std::wstring(60, static_cast<wchar_t>(part));
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + dir).c_str(), nullptr)) << GetLastError();
  }
  const std::string path = WideToUtf8(dir) + "\\Dimmscope.log";
  ASSERT_TRUE(WriteFileBytes(path, "one"));
  EXPECT_EQ(FileContents(path), "one");
  ASSERT_TRUE(ReplaceFileAtomically(path, "two"));
  EXPECT_EQ(FileContents(path), "two");
}

TEST(FileIoWin32, HiddenFilesAreRewritten) {
  TScratchFolder folder;
  const std::string path = folder.Path("Dimmscope.log");
  ASSERT_TRUE(WriteFileBytes(path, "old and longer"));
  ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(WriteFileBytes(path, "new"));
  EXPECT_EQ(FileContents(path), "new");
}

TEST(FileIoWin32, AReadOnlyFileIsLeftAsItWas) {
  TScratchFolder folder;
  const std::string path = folder.Path("export.csv");
  const std::wstring wide = Utf8ToWide(path);
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  const bool written = WriteFileBytes(path, "new");
  const bool replaced = ReplaceFileAtomically(path, "new");
  const std::string after = FileContents(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (written || replaced) WineGap("a read-only file is written when the Unix account may write it (root)");
  EXPECT_FALSE(written);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(after, "old");
  EXPECT_EQ(folder.EntryNames(), std::set<std::string>{"export.csv"});  // no temporary file left
}

TEST(FileIoWin32, AFileHeldOpenWithoutDeleteSharingIsNotReplaced) {
  TScratchFolder folder;
  const std::string path = folder.Path("export.csv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  const HANDLE held = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const bool replaced = ReplaceFileAtomically(path, "new");
  CloseHandle(held);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(FileContents(path), "old");
  EXPECT_EQ(folder.EntryNames(), std::set<std::string>{"export.csv"});
}

// The user's separators come from the locale; the test sets them for the
// user and puts the old values back.
class LocaleSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, time_, 16), 0);
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_, 16), 0);
  }
  void TearDown() override {
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, time_);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_);
    TimeSeparator = ':';
    DecimalSeparator = '.';
  }
  wchar_t time_[16] = {};
  wchar_t decimal_[16] = {};
};

TEST_F(LocaleSettingsTest, SeparatorsFollowTheUsersLocale) {
  if (!SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L".") ||
      !SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L",")) {
    GTEST_SKIP() << "the user's locale settings cannot be changed here";
  }
  LoadLocaleSettings();
  EXPECT_EQ(TimeSeparator, '.');
  EXPECT_EQ(DecimalSeparator, ',');

  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L":"));
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L"."));
  LoadLocaleSettings();
  EXPECT_EQ(TimeSeparator, ':');
  EXPECT_EQ(DecimalSeparator, '.');
}

}  // namespace
}  // namespace dimmscope
