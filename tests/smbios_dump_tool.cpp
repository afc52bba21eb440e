// Writes the sample SMBIOS dumps into a folder and prints their paths, for the
// comparison with dmidecode and for the benchmark: smbios_dump_tool FOLDER
#include <cstdio>
#include <fstream>

#include "tests/smbios_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: smbios_dump_tool FOLDER\n", stderr);
    return 2;
  }
  for (const auto& dump : dimmscope::testing::SampleDumps(true)) {  // an unreadable description throws
    const std::string path = std::string(argv[1]) + "/" + dump.Name;
    if (!(std::ofstream(path, std::ios::binary) << dump.Bytes)) {
      std::fprintf(stderr, "smbios_dump_tool: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
