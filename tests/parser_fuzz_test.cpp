// Random mutations of the inputs of the two parsers that read outside data:
// SMBIOS dumps (with the provider on top) and inventory files (with the scan
// on top). Fixed seeds
// and counts, so every run is the same; natively AddressSanitizer and UBSan
// turn any read past a buffer or undefined step into a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "app/slot_scan.h"
#include "support/file_io.h"
#include "tests/fake_wmi_provider.h"
#include "tests/smbios_builder.h"
#include "wmi/inventory_file.h"
#include "wmi/replay_provider.h"
#include "wmi/smbios_provider.h"
#include "wmi/smbios_table.h"

namespace dimmscope {
namespace {

// Calls `body` on `runs` mutations of the corpus: overwritten, flipped,
// inserted, erased and cut bytes and 16-bit edge values (sizes, handles),
// new bytes taken mostly from `alphabet` when one is given. Returns how many
// the parser under test accepted (`body` says).
template <class Body>
int Fuzz(std::uint32_t seed, int runs, const std::vector<std::string>& corpus, const std::string& alphabet, Body body) {
  static const std::uint16_t kEdges[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF, 0xFFFE, 0x0100};
  std::mt19937 rng(seed);
  int parsed = 0;
  auto below = [&](std::size_t n) { return rng() % n; };
  auto byte = [&] { return !alphabet.empty() && below(4) != 0 ? alphabet[below(alphabet.size())] : char(rng()); };
  for (int run = 0; run < runs; ++run) {
    std::string data = corpus[below(corpus.size())];
    for (std::size_t steps = 1 + below(4); steps > 0 && data.size() >= 2; --steps) {
      const std::size_t at = below(data.size() - 1);
      const std::uint16_t edge = kEdges[below(7)];
      switch (below(6)) {
        case 0: data[at] = byte(); break;
        case 1: data[at] = static_cast<char>(data[at] ^ (1 << below(8))); break;
        case 2: data.insert(at, std::string(1 + below(4), byte())); break;
        case 3: data.erase(at, 1 + below(16)); break;
        case 4: data.resize(at); break;
        default: data.replace(at, 2, {static_cast<char>(edge & 0xFF), static_cast<char>(edge >> 8)});
      }
    }
    parsed += body(data) ? 1 : 0;
  }
  return parsed;
}

TEST(ParserFuzz, SmbiosDumpsNeverCrashAndAlwaysGiveAWritableInventory) {
  std::vector<std::string> corpus;
  for (const auto& dump : testing::SampleDumps()) corpus.push_back(dump.Bytes);
  const int parsed = Fuzz(0x5EED5u, 600, corpus, "", [](const std::string& input) {
    TSmbiosTable table;
    try {
      // The same bytes as the Linux files give them, entry point and table apart.
      ParseSmbiosTable(input.substr(0, 0x20), input.substr(std::min<std::size_t>(input.size(), 0x20)));
      table = ParseSmbiosDump(input);
    } catch (const ESmbiosError&) {
      return false;
    }
    const std::string text = FormatInventory(SmbiosInventory(table));
    EXPECT_EQ(FormatInventory(ParseInventory(text, "fuzz.ini")), text);
    return true;
  });
  EXPECT_GT(parsed, 60);  // the mutations reach past the entry point
}

TEST(ParserFuzz, InventoryTextsParseOrFailCleanlyAndWriteBackStably) {
  // The seeds in fixtures/fuzz as written; report_golden.sh holds their JSON to the schema.
  std::vector<std::string> corpus(2);
  EXPECT_TRUE(ReadFileBytes(testing::FixturePath("fuzz/syntax.ini"), corpus[0]) &&
              ReadFileBytes(testing::FixturePath("fuzz/capacities.ini"), corpus[1]));
  for (const char* name : {"samples/m0004.ini", "scan/odd_values.ini"}) {
    corpus.push_back(FormatInventory(LoadInventoryFile(testing::FixturePath(name))));
  }
  const int parsed =
      Fuzz(0xF11Eu, 2000, corpus, "\"\\x=[]#\n\r\t .e-+0123456789abcdefnulltruefalse", [](const std::string& input) {
        TInventory inventory;
        try {
          inventory = ParseInventory(input, "fuzz.ini");
        } catch (const EInventoryError&) {
          return false;
        }
        const std::string text = FormatInventory(inventory);
        EXPECT_EQ(FormatInventory(ParseInventory(text, "fuzz.ini")), text) << input;
        // Whatever the capacities, the scan's sums stay defined.
        TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(std::make_shared<const TInventory>(inventory)));
        (void)ScanSlotModel();
        return true;
      });
  EXPECT_GT(parsed, 100);
}

}  // namespace
}  // namespace dimmscope
