// SMBIOS entry points and the structure table. Every read goes through a
// bounds check; a structure that does not fit, or whose strings have no end,
// stops the walk there, because nothing after it can be located reliably.
#include "wmi/smbios_table.h"

#include <algorithm>
#include <cstdio>

namespace dimmscope {
namespace {

// A dump is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxDumpBytes = 64u << 20;
constexpr std::uint8_t kEndOfTable = 127;

std::uint8_t At(const std::string& bytes, std::size_t offset) { return static_cast<std::uint8_t>(bytes[offset]); }

// Little-endian field of `size` bytes at `offset`; the caller checked the bounds.
std::uint64_t Field(const std::string& bytes, std::size_t offset, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t i = size; i > 0; --i) value = (value << 8) | At(bytes, offset + i - 1);
  return value;
}

std::string Hex(std::uint64_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xFu];
  return "0x" + text;
}

bool ChecksumOk(const std::string& bytes, std::size_t offset, std::size_t length) {
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < length; ++i) sum = static_cast<std::uint8_t>(sum + At(bytes, offset + i));
  return sum == 0;
}

// What the entry point says about the table.
struct TEntryPoint {
  TSmbiosEntryKind Kind = TSmbiosEntryKind::Smbios3;
  std::uint8_t Major = 0;
  std::uint8_t Minor = 0;
  std::uint64_t TableAddress = 0;
  std::uint64_t TableLength = 0;     // exact for 2.x, a maximum for 3.x
  std::uint32_t StructureCount = 0;  // 2.x only
  std::vector<std::string> Notes;
};

TEntryPoint ParseEntryPoint(const std::string& entry) {
  TEntryPoint ep;
  if (entry.compare(0, 5, "_SM3_") == 0) {
    // 24 bytes: anchor, checksum, length, version 3.x, table maximum size
    // (0Ch, dword) and address (10h, qword).
    if (entry.size() < 0x18) throw ESmbiosError("the _SM3_ entry point is cut short");
    std::size_t length = At(entry, 0x06);
    if (length < 0x18 || length > entry.size()) {
      ep.Notes.push_back("the _SM3_ entry point states a length of " + std::to_string(length) + " bytes; 24 used");
      length = 0x18;
    }
    if (!ChecksumOk(entry, 0, length)) ep.Notes.push_back("the _SM3_ entry point's checksum does not add up");
    ep.Kind = TSmbiosEntryKind::Smbios3;
    ep.Major = At(entry, 0x07);
    ep.Minor = At(entry, 0x08);
    ep.TableLength = Field(entry, 0x0C, 4);
    ep.TableAddress = Field(entry, 0x10, 8);
    return ep;
  }
  if (entry.compare(0, 4, "_SM_") == 0) {
    // 31 bytes (30 on some old firmware, which is tolerated): version at 06h,
    // the "_DMI_" part at 10h with the table length (16h, word), address
    // (18h, dword) and number of structures (1Ch, word).
    if (entry.size() < 0x1E) throw ESmbiosError("the _SM_ entry point is cut short");
    std::size_t length = At(entry, 0x05);
    if (length < 0x1E || length > entry.size()) {
      ep.Notes.push_back("the _SM_ entry point states a length of " + std::to_string(length) + " bytes; 31 used");
      length = entry.size() < 0x1F ? 0x1E : 0x1F;
    }
    if (!ChecksumOk(entry, 0, length)) ep.Notes.push_back("the _SM_ entry point's checksum does not add up");
    if (entry.compare(0x10, 5, "_DMI_") != 0) {
      ep.Notes.push_back("the _SM_ entry point lacks its _DMI_ anchor");
    } else if (!ChecksumOk(entry, 0x10, length - 0x10)) {
      ep.Notes.push_back("the _DMI_ part of the entry point has a wrong checksum");
    }
    ep.Kind = TSmbiosEntryKind::Smbios2;
    ep.Major = At(entry, 0x06);
    ep.Minor = At(entry, 0x07);
    ep.TableLength = Field(entry, 0x16, 2);
    ep.TableAddress = Field(entry, 0x18, 4);
    ep.StructureCount = static_cast<std::uint32_t>(Field(entry, 0x1C, 2));
    return ep;
  }
  throw ESmbiosError("no _SM_ or _SM3_ entry point at the start");
}

// Walks the structures of `table`. Notes go to `out`.
void WalkTable(const TEntryPoint& ep, const std::string& table, TSmbiosTable& out) {
  const std::size_t size = table.size();
  std::size_t pos = 0;
  std::uint32_t count = 0;
  bool ended = false;
  while (pos + 4 <= size) {
    if (ep.Kind == TSmbiosEntryKind::Smbios2 && count >= ep.StructureCount) {
      ended = true;
      break;
    }
    const std::uint8_t type = At(table, pos);
    const std::size_t length = At(table, pos + 1);
    const std::string where = "the type " + std::to_string(type) + " structure at table offset " + Hex(pos, 4);
    if (length < 4) {
      out.Notes.push_back(where + " states a length of " + std::to_string(length) +
                          ", shorter than its header; it and the rest of the table were skipped");
      return;
    }
    if (length > size - pos) {
      out.Notes.push_back(where + " is " + std::to_string(length) + " bytes long but the table ends after " +
                          std::to_string(size - pos) + "; it and the rest of the table were skipped");
      return;
    }
    // The strings follow the formatted area and end with an empty string, so
    // the structure ends at the first pair of zero bytes.
    std::size_t end = pos + length;
    while (end + 1 < size && (table[end] != '\0' || table[end + 1] != '\0')) ++end;
    if (end + 1 >= size) {
      out.Notes.push_back(where +
                          " has no end to its strings before the table ends; it and the rest of the table"
                          " were skipped");
      return;
    }
    TSmbiosStructure structure;
    structure.Type = type;
    structure.Handle = static_cast<std::uint16_t>(Field(table, pos + 2, 2));
    structure.Offset = pos;
    structure.Formatted = table.substr(pos, length);
    // An empty first string means the structure has none.
    std::size_t s = pos + length;
    while (s < end + 1 && table[s] != '\0') {
      const std::size_t nul = table.find('\0', s);  // found: end is a zero byte
      structure.Strings.push_back(table.substr(s, nul - s));
      s = nul + 1;
    }
    pos = end + 2;
    ++count;
    if (type == kEndOfTable) {
      ended = true;
      break;
    }
    out.Structures.push_back(std::move(structure));
  }
  if (!ended && ep.Kind == TSmbiosEntryKind::Smbios2 && count < ep.StructureCount) {
    out.Notes.push_back("the table ended after " + std::to_string(count) + " structures; the entry point announces " +
                        std::to_string(ep.StructureCount));
  }
}

TSmbiosTable Build(const TEntryPoint& ep, const std::string& table) {
  TSmbiosTable out;
  out.EntryKind = ep.Kind;
  out.MajorVersion = ep.Major;
  out.MinorVersion = ep.Minor;
  out.Notes = ep.Notes;
  WalkTable(ep, table, out);
  return out;
}

}  // namespace

std::optional<std::uint8_t> TSmbiosStructure::Byte(std::size_t offset) const {
  if (offset >= Formatted.size()) return std::nullopt;
  return At(Formatted, offset);
}

std::optional<std::uint16_t> TSmbiosStructure::Word(std::size_t offset) const {
  if (offset > Formatted.size() || Formatted.size() - offset < 2) return std::nullopt;
  return static_cast<std::uint16_t>(Field(Formatted, offset, 2));
}

std::optional<std::uint32_t> TSmbiosStructure::Dword(std::size_t offset) const {
  if (offset > Formatted.size() || Formatted.size() - offset < 4) return std::nullopt;
  return static_cast<std::uint32_t>(Field(Formatted, offset, 4));
}

std::optional<std::uint64_t> TSmbiosStructure::Qword(std::size_t offset) const {
  if (offset > Formatted.size() || Formatted.size() - offset < 8) return std::nullopt;
  return Field(Formatted, offset, 8);
}

std::optional<std::string> TSmbiosStructure::String(std::size_t offset) const {
  const auto index = Byte(offset);
  if (!index || *index == 0 || *index > Strings.size()) return std::nullopt;
  return Strings[*index - 1u];
}

bool TSmbiosStructure::BadStringIndex(std::size_t offset) const {
  const auto index = Byte(offset);
  return index && *index > Strings.size();
}

TSmbiosTable ParseSmbiosTable(const std::string& entryPoint, const std::string& table) {
  const TEntryPoint ep = ParseEntryPoint(entryPoint);
  std::string body = table;
  if (ep.TableLength < body.size()) {
    body.resize(static_cast<std::size_t>(ep.TableLength));
  } else if (ep.TableLength > body.size() && ep.Kind == TSmbiosEntryKind::Smbios2) {
    // A 3.x length is only an upper bound; a 2.x one is exact.
    TSmbiosTable out = Build(ep, body);
    out.Notes.insert(out.Notes.begin(), "the table holds " + std::to_string(body.size()) +
                                            " bytes; the entry point announces " + std::to_string(ep.TableLength));
    return out;
  }
  return Build(ep, body);
}

TSmbiosTable ParseSmbiosDump(const std::string& dump) {
  const TEntryPoint ep = ParseEntryPoint(dump);
  if (ep.TableAddress >= dump.size()) {
    throw ESmbiosError("the table offset " + Hex(ep.TableAddress, 8) + " lies beyond the dump's " +
                       std::to_string(dump.size()) + " bytes");
  }
  const std::size_t start = static_cast<std::size_t>(ep.TableAddress);
  const std::size_t available = dump.size() - start;
  std::size_t length = available;
  if (ep.TableLength < available) length = static_cast<std::size_t>(ep.TableLength);
  TSmbiosTable out = Build(ep, dump.substr(start, length));
  if (ep.Kind == TSmbiosEntryKind::Smbios2 && ep.TableLength > available) {
    out.Notes.insert(out.Notes.begin(), "the dump holds " + std::to_string(available) + " bytes of the table; the " +
                                            "entry point announces " + std::to_string(ep.TableLength));
  }
  return out;
}

TSmbiosTable ParseRawSmbiosData(const std::string& data) {
  constexpr std::size_t kHeaderBytes = 8;
  if (data.size() < kHeaderBytes) {
    throw ESmbiosError("the raw SMBIOS data holds " + std::to_string(data.size()) + " bytes, less than its " +
                       std::to_string(kHeaderBytes) + "-byte header");
  }
  // No entry point and no structure count: the walk runs to the end-of-table
  // structure or the end of the bytes, as for a 3.x table.
  TEntryPoint ep;
  ep.Kind = TSmbiosEntryKind::Smbios3;
  ep.Major = At(data, 1);
  ep.Minor = At(data, 2);
  const std::uint64_t length = Field(data, 4, 4);
  const std::size_t available = data.size() - kHeaderBytes;
  TSmbiosTable out =
      Build(ep, data.substr(kHeaderBytes, static_cast<std::size_t>(std::min<std::uint64_t>(length, available))));
  out.EntryKind = ep.Major >= 3 ? TSmbiosEntryKind::Smbios3 : TSmbiosEntryKind::Smbios2;
  if (length > available) {
    out.Notes.insert(out.Notes.begin(), "the raw SMBIOS data holds " + std::to_string(available) +
                                            " bytes of the table; its header announces " + std::to_string(length));
  }
  return out;
}

TSmbiosTable LoadSmbiosDumpFile(const std::string& path) {
  // C streams rather than the program's file layer: the read stops at the
  // size cap however large the file (a device, say) may be. The path is the
  // command line's or the environment's own text, as fopen takes it.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw ESmbiosError(path + ": cannot open the SMBIOS dump");
  std::string content;
  char buffer[16384];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && content.size() <= kMaxDumpBytes) {
    content.append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw ESmbiosError(path + ": cannot read the SMBIOS dump");
  if (content.size() > kMaxDumpBytes) throw ESmbiosError(path + ": too large to be an SMBIOS dump");
  try {
    return ParseSmbiosDump(content);
  } catch (const ESmbiosError& error) {
    throw ESmbiosError(path + ": not a usable SMBIOS dump: " + error.what());
  }
}

}  // namespace dimmscope
