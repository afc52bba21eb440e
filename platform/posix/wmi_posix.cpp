// There is no WMI on POSIX systems; inventories come from a file there.
#include "app/inventory_source.h"

namespace dimmscope {

TWmiLocatorFactory PlatformWmiLocatorFactory() { return {}; }

}  // namespace dimmscope
