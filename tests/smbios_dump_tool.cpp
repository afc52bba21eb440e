// Writes the sample SMBIOS dumps into a folder, for the comparison with
// dmidecode and for the benchmark: smbios_dump_tool FOLDER
#include <cstdio>
#include <string>

#include "tests/smbios_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: smbios_dump_tool FOLDER\n", stderr);
    return 2;
  }
  const std::string folder = argv[1];
  for (const auto& dump : dimmscope::testing::SampleDumps()) {
    const std::string path = folder + "/" + dump.Name;
    if (!dimmscope::testing::WriteBytes(path, dump.Bytes)) {
      std::fprintf(stderr, "smbios_dump_tool: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
