// A program file's Windows version information: the fixed file version and
// the eight standard version strings. Paths are UTF-8; the strings come back
// in the ANSI code page like every text of the program. Nothing here throws:
// where there is nothing to read the results are empty.
#pragma once

#include <string>
#include <vector>

namespace dimmscope {

struct TVersionInfoRecord {
  std::string FileDescription;
  std::string CompanyName;
  std::string FileVersion;
  std::string InternalName;
  std::string LegalCopyright;
  std::string OriginalFilename;
  std::string ProductName;
  std::string ProductVersion;
};

// The fixed file version as "a.b.c.d"; "File not found" when no file (a
// folder does not count) is at `Path`; empty when it has no version
// information (and on systems without version resources).
std::string GetFileVersion(const std::string& Path);

// The eight version strings of the file, FileVersion and ProductVersion with
// ", " turned into "." (1, 8, 0, 19 becomes 1.8.0.19).
TVersionInfoRecord GetVersionInfo(const std::string& Path);

// Appends one "name=value" line to `Lines` for each version string the file
// has, read through its first translation; the fallback behind GetVersionInfo.
void ReadVersionStrings(const std::string& Path, std::vector<std::string>& Lines);

}  // namespace dimmscope
