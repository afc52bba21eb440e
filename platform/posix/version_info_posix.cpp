// POSIX files carry no Windows version information: every result is the
// empty "nothing to read" one, and a missing file says so.
#include <sys/stat.h>

#include "update/version_info.h"

namespace dimmscope {

std::string GetFileVersion(const std::string& Path) {
  struct stat info {};
  if (Path.empty() || ::stat(Path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return "File not found";
  return std::string();
}

TVersionInfoRecord GetVersionInfo(const std::string&) { return TVersionInfoRecord(); }

void ReadVersionStrings(const std::string&, std::vector<std::string>&) {}

}  // namespace dimmscope
