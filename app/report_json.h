// The report's JSON form of a scan, for collecting inventories from many
// machines: the layout docs/report.schema.json describes. Numbers are JSON
// numbers, unknown values null, keys always present and in a fixed order.
#pragma once

#include <optional>
#include <string>

#include "app/slot_scan.h"
#include "app/upgrade_advice.h"

namespace dimmscope {

// `source` says where the inventory came from: "wmi", "firmware-tables",
// "smbios-dump" or "inventory-file". The text is UTF-8, non-ASCII characters
// escaped, lines ended by LF. `live` is the running system's memory, for the
// advice's installed-against-usable line; none for an inventory of another
// machine.
std::string ScanJson(const TSlotScanModel& model, const std::string& source,
                     const std::optional<TLiveMemory>& live = std::nullopt);

}  // namespace dimmscope
