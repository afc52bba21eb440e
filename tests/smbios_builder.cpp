// SMBIOS table builder for the tests.
#include "tests/smbios_builder.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "tests/case_table.h"

namespace dimmscope::testing {

std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i, value >>= 8) out += static_cast<char>(value & 0xFF);
  return out;
}

namespace {

void FixChecksum(std::string& bytes, std::size_t start, std::size_t length, std::size_t at) {
  unsigned sum = 0;
  bytes[at] = 0;
  for (std::size_t i = start; i < start + length; ++i) sum += static_cast<unsigned char>(bytes[i]);
  bytes[at] = static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF);
}

// Where a field of a memory array or device lies: offset, and width in bytes
// (0 for a string).
struct TFieldPlace {
  std::size_t Offset, Width;
};

// The formatted area after the header and the strings of a structure from
// "name=value" fields (a later one wins; "length" is the formatted length).
std::pair<std::string, std::vector<std::string>> Formatted(const std::map<std::string, TFieldPlace>& layout,
                                                           const std::vector<std::string>& fields) {
  std::map<std::string, std::string> values;
  for (const auto& field : fields) values[field.substr(0, field.find('='))] = field.substr(field.find('=') + 1);
  std::string body(0x58, '\0');  // room for the longest: a 3.3 device
  std::vector<std::string> strings;
  for (const auto& [name, value] : values) {
    if (name == "length") continue;
    if (layout.count(name) == 0) throw std::invalid_argument("no SMBIOS field " + name);
    const TFieldPlace& place = layout.at(name);
    if (place.Width > 0) {
      body.replace(place.Offset - 4, place.Width, Le(std::stoull(value, nullptr, 0), static_cast<int>(place.Width)));
    } else if (!value.empty()) {
      strings.push_back(value);
      body[place.Offset - 4] = static_cast<char>(strings.size());
    }
  }
  body.resize(std::stoul(values.at("length"), nullptr, 0) - 4);
  return {body, strings};
}

}  // namespace

std::uint16_t TSmbiosBuilder::Add(std::uint8_t type, const std::string& body, const std::vector<std::string>& strings) {
  std::string bytes = std::string(1, static_cast<char>(type)) + static_cast<char>(body.size() + 4) + Le(nextHandle_, 2);
  bytes += body;
  for (const auto& text : strings) bytes += text + '\0';
  AddRaw(bytes + std::string(strings.empty() ? 2 : 1, '\0'));
  return nextHandle_++;
}

void TSmbiosBuilder::AddRaw(const std::string& bytes) {
  table_ += bytes;
  largest_ = std::max(largest_, bytes.size());
  ++count_;
}

std::string TSmbiosBuilder::EntryPoint(std::uint64_t address, std::uint8_t major, std::uint8_t minor) const {
  const std::string version = std::string(1, static_cast<char>(major)) + static_cast<char>(minor);
  if (major >= 3) {
    // Anchor, checksum, length, version, docrev, revision 1, table size and address.
    std::string ep = std::string("_SM3_\0\x18", 7) + version + std::string("\0\x01\0", 3) + Le(table_.size(), 4);
    ep += Le(address, 8);
    FixChecksum(ep, 0, 0x18, 0x05);
    return ep;
  }
  // Anchor, checksum, length, version, largest structure, revision and
  // formatted area; then _DMI_, its checksum, table length, address, count
  // and version in BCD.
  std::string ep = std::string("_SM_\0\x1F", 6) + version + Le(largest_, 2) + std::string(6, '\0');
  ep += std::string("_DMI_\0", 6) + Le(table_.size(), 2) + Le(address, 4) + Le(count_, 2);
  ep += static_cast<char>(((major & 0xF) << 4) | (minor & 0xF));
  FixChecksum(ep, 0x10, 0x0F, 0x15);
  FixChecksum(ep, 0, 0x1F, 0x04);
  return ep;
}

std::string TSmbiosBuilder::Dump(std::uint8_t major, std::uint8_t minor) const {
  std::string dump = EntryPoint(0x20, major, minor);
  dump.resize(0x20, '\0');
  return dump + table_;
}

std::vector<TSampleDump> SampleDumps(bool unreadableToo) {
  const auto rows = CaseTable("smbios_dumps.txt", '|');
  std::vector<TSampleDump> dumps;
  std::map<std::string, std::vector<std::string>> defaults;
  std::map<std::string, std::map<std::string, TFieldPlace>> layouts;
  TSmbiosBuilder b;
  std::string version;  // "major.minor"
  for (const auto& row : rows) {
    const std::string& kind = row.Fields[0];
    const std::vector<std::string> rest(row.Fields.begin() + 1, row.Fields.end());
    const auto number = [&rest](std::size_t i) { return std::stoul(rest.at(i), nullptr, 0); };
    if (kind == "field") layouts[rest.at(0)][rest.at(1)] = {number(2), number(3)};
    if (kind == "defaults") defaults[rest.at(0)].assign(rest.begin() + 1, rest.end());
    if (kind == "poke") dumps.back().Bytes.at(number(0)) = static_cast<char>(number(1));  // damage to the finished dump
    if (kind == "cut") dumps.back().Bytes.resize(number(0));
    if (kind == "field" || kind == "defaults" || kind == "poke" || kind == "cut") continue;
    if (kind == "dump") {
      b = TSmbiosBuilder();
      dumps.push_back({rest.at(0), "", rest.size() > 2 && rest[2] == "unreadable"});
      version = rest.at(1);
    } else if (kind == "array" || kind == "device") {
      std::vector<std::string> fields = defaults[kind];
      fields.insert(fields.end(), rest.begin(), rest.end());
      const auto [body, strings] = Formatted(layouts[kind], fields);
      b.Add(kind == "array" ? 16 : 17, body, strings);
    } else if (kind == "raw") {
      b.AddRaw(rest.at(0));
    } else if (kind == "end") {
      b.AddEnd();
    } else {
      throw std::runtime_error(row.Where + ": no such line: " + kind);
    }
    dumps.back().Bytes = b.Dump(static_cast<std::uint8_t>(std::stoi(version)),
                                static_cast<std::uint8_t>(std::stoi(version.substr(version.find('.') + 1))));
  }
  if (!unreadableToo) {
    dumps.erase(std::remove_if(dumps.begin(), dumps.end(), [](const TSampleDump& d) { return d.Unreadable; }),
                dumps.end());
  }
  return dumps;
}

}  // namespace dimmscope::testing
