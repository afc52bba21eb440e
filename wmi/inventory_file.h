// The inventory file: WMI classes, their instances and typed property values
// as text, so that any machine's memory can be replayed anywhere.
//
//   # comment
//   [Win32_PhysicalMemory]          starts a new instance of that class
//   Capacity = "17179869184"        string (escapes \" \\ \t \n \r \xHH)
//   MemoryType = 26                 integer; 1.5 or 1e3 are reals
//   SerialNumber = null             also: empty, true, false
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "wmi/variant.h"

namespace dimmscope {

// A malformed inventory; the message names the file, the line and what was
// expected there.
class EInventoryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TInventoryInstance {
  std::string ClassName;
  std::vector<std::pair<std::string, TVariant>> Properties;  // file order
};

struct TInventory {
  std::vector<TInventoryInstance> Instances;  // file order
};

// Parses inventory text; `sourceName` names the file in error messages.
TInventory ParseInventory(const std::string& text, const std::string& sourceName);
// Reads and parses a file (a UTF-8 path, as everywhere in the core); throws
// EInventoryError when it cannot be read.
TInventory LoadInventoryFile(const std::string& path);

// The inventory as text that ParseInventory reads back to the same classes,
// names and typed values, byte for byte: every property is written, Null
// included. `comments` become '#' lines at the top. Throws EInventoryError
// for a class or property name the format cannot hold.
std::string FormatInventory(const TInventory& inventory, const std::vector<std::string>& comments = {});
// Writes FormatInventory's text to a file; throws EInventoryError when it
// cannot be written.
void SaveInventoryFile(const std::string& path, const TInventory& inventory,
                       const std::vector<std::string>& comments = {});

}  // namespace dimmscope
