// The report's JSON form of a scan, for collecting inventories from many
// machines: the layout docs/report.schema.json describes. Numbers are JSON
// numbers, unknown values null, keys always present and in a fixed order.
#pragma once

#include <string>

#include "app/slot_scan.h"

namespace dimmscope {

// `source` says where the inventory came from: "wmi", "firmware-tables",
// "smbios-dump" or "inventory-file". The text is UTF-8, non-ASCII characters
// escaped, lines ended by LF.
std::string ScanJson(const TSlotScanModel& model, const std::string& source);

// A UTF-8 text as a quoted JSON string, every character outside printable
// ASCII escaped; a byte that starts no valid UTF-8 sequence stands for the
// Latin-1 character of that value.
std::string JsonString(const std::string& utf8);

}  // namespace dimmscope
