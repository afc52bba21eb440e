// How long the inventory path takes: parsing and loading a large server's
// inventory and scanning it, and decoding many maker texts; and how much
// memory loading a huge inventory takes.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/memory_names.h"
#include "app/slot_scan.h"
#include "wmi/inventory_file.h"
#include "wmi/physical_memory.h"
#include "wmi/replay_provider.h"

namespace dimmscope {
namespace {

// 4 arrays of 16 sockets and 64 modules, with every property Windows lists.
std::string ServerInventory() {
  std::string text;
  for (int a = 0; a < 4; ++a) {
    text +=
        "[Win32_PhysicalMemoryArray]\nCaption = \"Physical Memory Array\"\nMaxCapacity = 536870912\n"
        "MemoryDevices = 16\nMemoryErrorCorrection = 6\nLocation = 3\nUse = 3\nTag = \"Physical Memory Array " +
        std::to_string(a) + "\"\n";
  }
  for (int m = 0; m < 64; ++m) {
    const std::string n = std::to_string(m);
    text += "[Win32_PhysicalMemory]\nBankLabel = \"P" + n + "_Node1_Channel0_Dimm0\"\nCapacity = \"34359738368\"\n" +
            "Caption = \"Physical Memory\"\nCreationClassName = \"Win32_PhysicalMemory\"\nDataWidth = 64\n" +
            "Description = \"Physical Memory\"\nDeviceLocator = \"CPU" + n + "_DIMM_A0\"\nFormFactor = 8\n" +
            "HotSwappable = null\nInstallDate = null\nInterleaveDataDepth = 2\nInterleavePosition = 1\n" +
            "Manufacturer = \"" +
            (m % 3 == 0   ? "Samsung"
             : m % 3 == 1 ? "00AD063200AD"
                          : "859B0000802C") +
            "\"\n" + "MemoryType = 0\nModel = null\nName = \"Physical Memory\"\nOtherIdentifyingInfo = null\n" +
            "PartNumber = \"M393A4K40DB3-CWE    \"\nPositionInRow = 1\nPoweredOn = null\nRemovable = null\n" +
            "Replaceable = null\nSerialNumber = \"" + n + "ABCDEF\"\nSKU = null\nSpeed = 3200\nStatus = null\n" +
            "Tag = \"Physical Memory " + n + "\"\nTotalWidth = 72\nTypeDetail = 128\nVersion = null\n" +
            "SMBIOSMemoryType = 26\nConfiguredClockSpeed = 2933\n";
  }
  return text;
}

void BM_ParseLoadAndScan(benchmark::State& state) {
  const std::string text = ServerInventory();
  for (auto _ : state) {
    auto inventory = std::make_shared<const TInventory>(ParseInventory(text, "server.ini"));
    TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(inventory));
    TSlotScanModel model = ScanSlotModel();
    benchmark::DoNotOptimize(model);
  }
}
BENCHMARK(BM_ParseLoadAndScan)->Unit(benchmark::kMicrosecond);

void BM_LoadAndScan(benchmark::State& state) {
  auto inventory = std::make_shared<const TInventory>(ParseInventory(ServerInventory(), "server.ini"));
  TScopedWmiLocatorFactory scope(MakeReplayLocatorFactory(inventory));
  for (auto _ : state) {
    TSlotScanModel model = ScanSlotModel();
    benchmark::DoNotOptimize(model);
  }
}
BENCHMARK(BM_LoadAndScan)->Unit(benchmark::kMicrosecond);

// A figure of /proc/self/status in MiB: VmHWM is the peak resident size (what
// getrusage gives as ru_maxrss), VmPeak the peak of the address space, which
// is what runs out first in a 32-bit process.
double StatusMiB(const std::string& name) {
  std::ifstream status("/proc/self/status");
  std::string key;
  double kib = 0;
  while (status >> key && key != name + ":") status.ignore(1 << 10, '\n');
  status >> kib;
  return kib / 1024;
}

// 100,000 instances without a property (23 bytes of text each), loaded once.
// The figures are the process's peaks, so run it on its own:
// bench/run --benchmark_filter=Load100000
void BM_Load100000BareInstances(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "[Win32_PhysicalMemory]\n";
  TScopedWmiLocatorFactory scope(
      MakeReplayLocatorFactory(std::make_shared<const TInventory>(ParseInventory(text, "bare.ini"))));
  state.counters["rss_before_MiB"] = StatusMiB("VmHWM");
  state.counters["vm_before_MiB"] = StatusMiB("VmPeak");
  for (auto _ : state) {
    TWin32_PhysicalMemory modules(true);
    if (modules.CollectionCount() != 100000) state.SkipWithError("the inventory did not load");
  }
  state.counters["peak_rss_MiB"] = StatusMiB("VmHWM");
  state.counters["peak_vm_MiB"] = StatusMiB("VmPeak");
}
BENCHMARK(BM_Load100000BareInstances)->Iterations(1)->Unit(benchmark::kMillisecond);

// Maker texts in the shapes firmware writes them.
std::vector<std::string> MakerTexts(std::size_t count) {
  static const char* const kShapes[] = {
      "Samsung",
      "Kingston                      ",
      "80CE000080CE",
      "ce00000000000000",
      "00AD00B300AD",
      "JEDEC ID:CE 01 08 45 06 06 7D A4",
      "JEDEC ID:98 00 08 17 70 2E 65 DE",
      "7F98000000000000      ",
      "029E",
      "859B0000802C",
      "04CB",
      "Manufacturer00",
      "Undefined",
      "Corsair",
      "Team Group Inc",
      "UniIC",
      "0198",
      "830B",
      "7F7F7F0B00000000",
      "Micron Technology",
      "SK Hynix",
      "80 2C",
      "Not Specified",
      "",
  };
  std::mt19937 random(42);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kShapes / sizeof kShapes[0] - 1);
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < count; ++i) texts.emplace_back(kShapes[pick(random)]);
  return texts;
}

void BM_ManufacturerName10000(benchmark::State& state) {
  const std::vector<std::string> texts = MakerTexts(10000);
  for (auto _ : state) {
    for (const std::string& text : texts) benchmark::DoNotOptimize(ManufacturerName(text));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_ManufacturerName10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace dimmscope

BENCHMARK_MAIN();
