// Version information over version.dll, which is loaded from the system
// folder at first use rather than imported: a portable exe is often run from
// a Downloads folder, where a planted version.dll would otherwise be loaded
// before the real one.
#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "platform/win32/system_library_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/system_info.h"
#include "support/text_helpers.h"
#include "update/version_info.h"

namespace dimmscope {
namespace {

// The three functions of version.dll the routines use, resolved once; the
// library stays loaded for the life of the process.
struct TVersionApi {
  using TGetSize = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using TGetInfo = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using TQueryValue = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  TGetSize GetFileVersionInfoSizeW = nullptr;
  TGetInfo GetFileVersionInfoW = nullptr;
  TQueryValue VerQueryValueW = nullptr;
  bool Loaded() const { return GetFileVersionInfoSizeW && GetFileVersionInfoW && VerQueryValueW; }
};

const TVersionApi& VersionApi() {
  static const TSystemLibrary library(L"version.dll");
  static const TVersionApi api = [] {
    TVersionApi loaded;
    loaded.GetFileVersionInfoSizeW = library.Function<TVersionApi::TGetSize>("GetFileVersionInfoSizeW");
    loaded.GetFileVersionInfoW = library.Function<TVersionApi::TGetInfo>("GetFileVersionInfoW");
    loaded.VerQueryValueW = library.Function<TVersionApi::TQueryValue>("VerQueryValueW");
    return loaded;
  }();
  return api;
}

// The version information block of a file, or an empty one.
std::vector<unsigned char> ReadVersionBlock(const std::wstring& Path) {
  const TVersionApi& api = VersionApi();
  if (!api.Loaded()) return {};
  DWORD ignored = 0;
  const DWORD size = api.GetFileVersionInfoSizeW(Path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!api.GetFileVersionInfoW(Path.c_str(), 0, size, block.data())) return {};
  return block;
}

// A string value of the block; false when the query path names none.
bool QueryString(const std::vector<unsigned char>& Block, const std::wstring& Query, std::string& Value) {
  LPVOID data = nullptr;
  UINT length = 0;
  if (!VersionApi().VerQueryValueW(Block.data(), Query.c_str(), &data, &length) || data == nullptr) return false;
  const auto* text = static_cast<const wchar_t*>(data);
  Value = WideToAnsi(std::wstring(text, wcsnlen(text, length)));
  return true;
}

struct TTranslation {
  WORD Language;
  WORD CodePage;
};

std::vector<TTranslation> Translations(const std::vector<unsigned char>& Block) {
  LPVOID data = nullptr;
  UINT length = 0;
  if (!VersionApi().VerQueryValueW(Block.data(), L"\\VarFileInfo\\Translation", &data, &length) || data == nullptr) {
    return {};
  }
  const auto* entries = static_cast<const TTranslation*>(data);
  return std::vector<TTranslation>(entries, entries + length / sizeof(TTranslation));
}

std::wstring StringQuery(const TTranslation& Translation, const wchar_t* Name) {
  wchar_t query[128];
  std::swprintf(query, sizeof query / sizeof query[0], L"\\StringFileInfo\\%04x%04x\\%ls",
                static_cast<unsigned>(Translation.Language), static_cast<unsigned>(Translation.CodePage), Name);
  return query;
}

// A file in the system folder as a 32-bit process on 64-bit Windows must
// name it to read the real 64-bit file; the path as given when that cannot be
// told, since nothing here may fail. Both in the long form past the classic
// path limit, like every file the program opens.
std::wstring SysNativeWidePath(const std::string& Path) {
  try {
    return WidePath(SysNativePath(Path));
  } catch (const std::exception&) {
    return WidePath(Path);
  }
}

std::string CommasToDots(std::string Text) {
  for (std::size_t at = Text.find(", "); at != std::string::npos; at = Text.find(", ", at + 1)) {
    Text.replace(at, 2, ".");
  }
  return Text;
}

// The record's fields with the names the string table knows them by.
struct TField {
  const wchar_t* Name;
  std::string TVersionInfoRecord::*Member;
};
constexpr TField kFields[] = {
    {L"FileDescription", &TVersionInfoRecord::FileDescription},
    {L"CompanyName", &TVersionInfoRecord::CompanyName},
    {L"FileVersion", &TVersionInfoRecord::FileVersion},
    {L"InternalName", &TVersionInfoRecord::InternalName},
    {L"LegalCopyright", &TVersionInfoRecord::LegalCopyright},
    {L"OriginalFilename", &TVersionInfoRecord::OriginalFilename},
    {L"ProductName", &TVersionInfoRecord::ProductName},
    {L"ProductVersion", &TVersionInfoRecord::ProductVersion},
};

// Reads the string table of the first translation that has any of the
// eight strings; files without a translation list are tried with the usual
// US English tables. False when the file has no version information.
bool ReadStringTable(const std::wstring& Path, TVersionInfoRecord& Record) {
  const std::vector<unsigned char> block = ReadVersionBlock(Path);
  if (block.empty()) return false;
  std::vector<TTranslation> candidates = Translations(block);
  for (const TTranslation usual : {TTranslation{0x0409, 1200}, TTranslation{0x0409, 1252}, TTranslation{0x0409, 0}}) {
    candidates.push_back(usual);
  }
  for (const TTranslation& translation : candidates) {
    TVersionInfoRecord found;
    bool any = false;
    for (const TField& field : kFields) {
      if (QueryString(block, StringQuery(translation, field.Name), found.*field.Member)) any = true;
    }
    if (any) {
      Record = found;
      return true;
    }
  }
  return true;
}

// The value of the "name=value" line for `Name`, matched without regard to
// case (the fallback reader writes LegalCopyRight and OriginalFileName).
bool LineValue(const std::vector<std::string>& Lines, const std::string& Name, std::string& Value) {
  for (const std::string& line : Lines) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && SameText(std::string_view(line).substr(0, equals), Name)) {
      Value = line.substr(equals + 1);
      return true;
    }
  }
  return false;
}

}  // namespace

std::string GetFileVersion(const std::string& Path) {
  // The long form past the classic limit: an exe deep in a folder tree would
  // otherwise read as "File not found", and its caption and update check
  // with it.
  const std::wstring path = WidePath(Path);
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "File not found";
  const std::vector<unsigned char> block = ReadVersionBlock(path);
  if (block.empty()) return std::string();
  LPVOID data = nullptr;
  UINT length = 0;
  if (!VersionApi().VerQueryValueW(block.data(), L"\\", &data, &length) || data == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return std::string();
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionLS)));
  return text;
}

TVersionInfoRecord GetVersionInfo(const std::string& Path) {
  TVersionInfoRecord record;
  const std::wstring path = SysNativeWidePath(Path);
  const bool read = !path.empty() && ReadStringTable(path, record);
  if (!read || (record.FileDescription.empty() && record.CompanyName.empty() && record.FileVersion.empty())) {
    std::vector<std::string> lines;
    ReadVersionStrings(Path, lines);
    // A name the fallback did not find keeps what the string table gave.
    for (const TField& field : kFields) {
      (void)LineValue(lines, WideToUtf8(field.Name), record.*field.Member);
    }
  }
  record.FileVersion = CommasToDots(record.FileVersion);
  record.ProductVersion = CommasToDots(record.ProductVersion);
  return record;
}

void ReadVersionStrings(const std::string& Path, std::vector<std::string>& Lines) {
  const std::wstring path = SysNativeWidePath(Path);
  if (path.empty()) return;
  const std::vector<unsigned char> block = ReadVersionBlock(path);
  if (block.empty()) return;
  const std::vector<TTranslation> translations = Translations(block);
  static const wchar_t* const kNames[] = {L"FileDescription", L"CompanyName",      L"FileVersion", L"InternalName",
                                          L"LegalCopyRight",  L"OriginalFileName", L"ProductName", L"ProductVersion"};
  for (const wchar_t* name : kNames) {
    const std::wstring query = translations.empty() ? std::wstring(name) : StringQuery(translations.front(), name);
    std::string value;
    if (QueryString(block, query, value)) Lines.push_back(WideToAnsi(name) + "=" + value);
  }
}

}  // namespace dimmscope
