// dimmscope_data_folder_probe: finds the data folder as the program does at
// start-up, writes a file there and prints what it did, so a script can
// check from outside where the file landed. Prints, one per line:
//   folder=<the data folder, UTF-8>
//   lossy=<1 when the folder cannot be written in the ANSI code page>
//   acp=<the ANSI code page>
// Exit code 0 when the file was written and found again.
#include <cstdio>
#include <string>

#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/app_folders.h"
#include "support/file_io.h"
#include "support/system_info.h"

int main(int argc, char** argv) {
  using namespace dimmscope;
  HardenDllSearch();
  const std::string fileName = argc > 1 ? argv[1] : "probe.txt";
  wchar_t exe[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  const std::string folder = GetDataFolder(WideToUtf8(std::wstring(exe, length)), "Dimmscope");
  const bool lossy = AnsiToWide(WideToAnsi(Utf8ToWide(folder))) != Utf8ToWide(folder);
  std::printf("folder=%s\nlossy=%d\nacp=%u\n", folder.c_str(), lossy ? 1 : 0, GetACP());
  const std::string path = folder + fileName;
  if (!WriteFileBytes(path, "written by the data folder probe\r\n")) return 3;
  if (!IsNonEmptyFile(path)) return 4;
  return 0;
}
