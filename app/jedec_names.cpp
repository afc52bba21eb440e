// JEP106 codes read from manufacturer texts and named from the table that
// the build makes of app/jep106.txt.
#include "app/jedec_names.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "support/text_helpers.h"

namespace dimmscope {
namespace {

#include "jep106_table.inc"

static_assert(std::size(kJep106Keys) == std::size(kJep106NameOffsets), "one name for each code");

constexpr int kBanks = 16;
constexpr int kContinuation = 0x7F;
constexpr char kJedecPrefix[] = "JEDEC ID:";

bool HasOddParity(int byte) {
  int bits = 0;
  for (int b = byte; b != 0; b >>= 1) bits += b & 1;
  return (bits & 1) != 0;
}

// A byte that names a maker within its bank: seven bits and odd parity, the
// numbers 0 and 7F (the continuation code) excluded.
bool IsCodeByte(int byte) {
  const int number = byte & 0x7F;
  return HasOddParity(byte) && number != 0 && number != kContinuation;
}

// A bank byte counts the continuation codes (0 to 15). Firmware writes it
// with its parity bit ("83" for bank 4) or as the bare count ("00", "06").
bool IsBankByte(int byte) { return (byte & 0x7F) < kBanks && (HasOddParity(byte) || (byte & 0x80) == 0); }

// The text's hex byte pairs, run together or with blanks between them;
// nothing when the text holds anything else.
std::optional<std::vector<int>> HexBytes(const std::string& text) {
  std::vector<int> bytes;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(high * 16 + low);
    i += 2;
  }
  return bytes;
}

}  // namespace

std::optional<TJedecMaker> JedecMaker(const std::string& Manufacturer) {
  const std::string text =
      StartsText(Manufacturer, kJedecPrefix) ? Manufacturer.substr(sizeof kJedecPrefix - 1) : Manufacturer;
  const std::optional<std::vector<int>> bytes = HexBytes(TrimControls(text));
  if (!bytes || bytes->empty()) return std::nullopt;
  const std::vector<int>& b = *bytes;

  std::size_t continuations = 0;
  while (continuations < b.size() && b[continuations] == kContinuation) ++continuations;
  int bank = 0;
  int code = 0;
  if (continuations > 0) {
    if (continuations >= b.size() || continuations >= static_cast<std::size_t>(kBanks)) return std::nullopt;
    bank = static_cast<int>(continuations) + 1;
    code = b[continuations];
  } else if (b.size() >= 2 && IsBankByte(b[0]) && IsCodeByte(b[1])) {
    bank = (b[0] & 0x7F) + 1;
    code = b[1];
  } else {
    bank = 1;
    code = b[0];
  }
  if (!IsCodeByte(code)) return std::nullopt;

  const auto key = static_cast<std::uint16_t>((bank - 1) * 128 + (code & 0x7F));
  const auto* const end = std::end(kJep106Keys);
  const auto* const found = std::lower_bound(std::begin(kJep106Keys), end, key);
  if (found == end || *found != key) return std::nullopt;
  const auto index = static_cast<std::size_t>(found - std::begin(kJep106Keys));
  return TJedecMaker{bank, code, std::string(kJep106Names + kJep106NameOffsets[index])};
}

std::string JedecMakerText(const std::string& Manufacturer) {
  const std::optional<TJedecMaker> maker = JedecMaker(Manufacturer);
  if (!maker) return std::string();
  static const char kHex[] = "0123456789ABCDEF";
  const std::string code{kHex[maker->Code >> 4], kHex[maker->Code & 0x0F]};
  return maker->Name + " (JEDEC bank " + std::to_string(maker->Bank) + ", code " + code + ")";
}

}  // namespace dimmscope
