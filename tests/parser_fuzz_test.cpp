// Bounded random-mutation runs over the two parsers that read outside data:
// the SMBIOS table reader (with the provider on top) and the inventory file.
// Deterministic seeds, a few seconds at most; run natively under AddressSanitizer
// and UBSan, any read past a buffer or undefined step fails the test run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/fake_wmi_provider.h"
#include "tests/smbios_builder.h"
#include "wmi/inventory_file.h"
#include "wmi/smbios_provider.h"
#include "wmi/smbios_table.h"

namespace dimmscope {
namespace {

constexpr int kIterations = 20000;
constexpr auto kTimeBound = std::chrono::seconds(2);

class TMutator {
 public:
  explicit TMutator(std::uint32_t seed, std::string alphabet = {}) : rng_(seed), alphabet_(std::move(alphabet)) {}

  std::size_t Below(std::size_t n) { return n == 0 ? 0 : rng_() % n; }

  char AnyByte() {
    if (!alphabet_.empty() && Below(4) != 0) return alphabet_[Below(alphabet_.size())];
    static const char kEdges[] = {'\0', '\x01', '\x7F', '\x80', '\xFF', '\x04'};
    return Below(3) == 0 ? kEdges[Below(sizeof kEdges)] : static_cast<char>(rng_() & 0xFF);
  }

  std::string Mutate(std::string data) {
    const std::size_t steps = 1 + Below(4);
    for (std::size_t step = 0; step < steps; ++step) {
      switch (Below(7)) {
        case 0:  // overwrite a byte
          if (!data.empty()) data[Below(data.size())] = AnyByte();
          break;
        case 1:  // flip a bit
          if (!data.empty()) data[Below(data.size())] ^= static_cast<char>(1u << Below(8));
          break;
        case 2:  // insert bytes
          data.insert(Below(data.size() + 1), std::string(1 + Below(4), AnyByte()));
          break;
        case 3: {  // erase a range
          if (data.empty()) break;
          const std::size_t at = Below(data.size());
          data.erase(at, 1 + Below(16));
          break;
        }
        case 4:  // cut the end off
          data.resize(Below(data.size() + 1));
          break;
        case 5: {  // repeat a chunk
          if (data.empty()) break;
          const std::size_t at = Below(data.size());
          data.insert(Below(data.size() + 1), data.substr(at, 1 + Below(32)));
          break;
        }
        default:  // a 16-bit little-endian edge value (sizes, speeds, handles)
          if (data.size() >= 2) {
            static const std::uint16_t kValues[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF, 0xFFFE, 0x0100};
            const std::uint16_t v = kValues[Below(7)];
            const std::size_t at = Below(data.size() - 1);
            data[at] = static_cast<char>(v & 0xFF);
            data[at + 1] = static_cast<char>(v >> 8);
          }
      }
    }
    return data;
  }

 private:
  std::mt19937 rng_;
  std::string alphabet_;
};

// Runs `body` on mutations of the corpus until the iteration count or the
// time bound; returns the number of runs.
template <class Body>
int RunBounded(std::uint32_t seed, const std::vector<std::string>& corpus, const std::string& alphabet, Body body) {
  TMutator mutator(seed, alphabet);
  const auto deadline = std::chrono::steady_clock::now() + kTimeBound;
  int runs = 0;
  for (; runs < kIterations && std::chrono::steady_clock::now() < deadline; ++runs) {
    body(mutator.Mutate(corpus[mutator.Below(corpus.size())]));
  }
  return runs;
}

TEST(ParserFuzz, SmbiosDumpsNeverCrashAndAlwaysGiveAWritableInventory) {
  std::vector<std::string> corpus;
  for (const auto& dump : testing::SampleDumps()) corpus.push_back(dump.Bytes);
  int parsed = 0;
  const int runs = RunBounded(0x5EED5u, corpus, "", [&](const std::string& input) {
    TSmbiosTable table;
    try {
      table = ParseSmbiosDump(input);
    } catch (const ESmbiosError&) {
      return;
    }
    ++parsed;
    // The same bytes as the Linux files, entry point and table apart.
    try {
      ParseSmbiosTable(input.substr(0, 0x20), input.size() > 0x20 ? input.substr(0x20) : std::string());
    } catch (const ESmbiosError&) {
    }
    std::vector<std::string> notes;
    const TInventory inventory = SmbiosInventory(table, &notes);
    const std::string text = FormatInventory(inventory);
    ASSERT_EQ(FormatInventory(ParseInventory(text, "fuzz.ini")), text);
  });
  EXPECT_GT(runs, 100);
  EXPECT_GT(parsed, runs / 10);  // the mutations reach past the entry point
}

TEST(ParserFuzz, InventoryTextsParseOrFailCleanlyAndWriteBackStably) {
  std::vector<std::string> corpus;
  for (const char* name : {"samples/m0004.ini", "samples/m0561.ini", "scan/odd_values.ini", "scan/no_module.ini"}) {
    corpus.push_back(FormatInventory(LoadInventoryFile(testing::FixturePath(name))));
  }
  corpus.push_back("[A]\nS = \"\\x41\\\"\\\\\\t\"\nR = -1.5e-3\nI = -9223372036854775808\nB = true\nE = empty\n");
  int parsed = 0;
  const int runs =
      RunBounded(0xF11Eu, corpus, "\"\\x=[]#\n\r\t .e-+0123456789abcdefnulltruefalse", [&](const std::string& input) {
        TInventory inventory;
        try {
          inventory = ParseInventory(input, "fuzz.ini");
        } catch (const EInventoryError&) {
          return;
        }
        ++parsed;
        const std::string text = FormatInventory(inventory);
        ASSERT_EQ(FormatInventory(ParseInventory(text, "fuzz.ini")), text) << input;
      });
  EXPECT_GT(runs, 100);
  EXPECT_GT(parsed, runs / 20);
}

}  // namespace
}  // namespace dimmscope
