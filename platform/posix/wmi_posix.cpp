// There is no WMI on POSIX systems. Linux publishes the firmware's SMBIOS
// tables under /sys/firmware/dmi/tables (readable by root only); they are
// served through the SMBIOS provider, so there is nothing to fall back on.
// Elsewhere inventories come from a file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "wmi/platform_provider.h"
#include "wmi/smbios_provider.h"
#include "wmi/smbios_table.h"

namespace dimmscope {
namespace {

constexpr const char* kDmiTables = "/sys/firmware/dmi/tables";
// Names another folder of the same two files; lets the tests reach this code
// on machines whose firmware publishes nothing.
constexpr const char* kDmiTablesVariable = "DIMMSCOPE_DMI_TABLES";
// The tables are a few kilobytes; a 3.x table may not exceed 4 GiB, but no
// real one comes near this.
constexpr std::size_t kMaxTableBytes = 64u << 20;

// A folder this user may not search hides whether the file is there: that
// too needs root.
bool Exists(const std::string& path) {
  if (access(path.c_str(), F_OK) == 0) return true;
  if (errno == EACCES) throw EInventoryAccessDenied();
  return false;
}

std::string ReadTableFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) throw EInventoryAccessDenied();
    throw EInventoryError(path + ": " + std::strerror(errno));
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      close(fd);
      if (error == EACCES || error == EPERM) throw EInventoryAccessDenied();
      throw EInventoryError(path + ": " + std::strerror(error));
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
    if (content.size() > kMaxTableBytes) {
      close(fd);
      throw EInventoryError(path + ": too large to be an SMBIOS table");
    }
  }
  close(fd);
  return content;
}

}  // namespace

TWmiLocatorFactory PlatformWmiLocatorFactory(std::vector<std::string>* notes) {
  const char* named = std::getenv(kDmiTablesVariable);
  const std::string folder = named != nullptr && *named != '\0' ? named : kDmiTables;
  const std::string entryPath = folder + "/smbios_entry_point";
  const std::string tablePath = folder + "/DMI";
  if (!Exists(entryPath) || !Exists(tablePath)) {
    throw EInventoryError("this system publishes no SMBIOS tables (" + folder +
                          " has none); name an inventory file with DIMMSCOPE_INVENTORY or an SMBIOS dump with "
                          "--smbios FILE");
  }
  const std::string entry = ReadTableFile(entryPath);
  const std::string table = ReadTableFile(tablePath);
  try {
    return MakeSmbiosLocatorFactory(ParseSmbiosTable(entry, table), notes);
  } catch (const ESmbiosError& error) {
    throw EInventoryError(folder + ": " + error.what());
  }
}

TFirmwareSmbiosReader PlatformFirmwareSmbiosReader() { return nullptr; }

}  // namespace dimmscope
