// A WMI provider for tests: instances given as an inventory file's text and
// failures injected at the steps callers must survive.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "wmi/inventory_file.h"
#include "wmi/wmi_provider.h"

namespace dimmscope::testing {

struct TFakeWmi {
  explicit TFakeWmi(const std::string& Inventory = "") : Data(ParseInventory(Inventory, "fake.ini")) {}
  TInventory Data;  // served in file order, each instance with its own names
  bool FailQuery = false;
  bool FailListNames = false;  // like Wine, which cannot enumerate Properties_
  int FailNextAfter = -1;      // enumeration throws after this many instances
  bool FailCreateLocator = false;
  bool FailConnect = false;
  bool FailValues = false;
  int LocatorsCreated = 0;             // locators asked for, failed ones too
  int Connects = 0;                    // ConnectServer calls, failed ones too
  std::map<std::string, int> Queries;  // queries run, by class, failed ones too
};

// A locator factory serving `wmi`, or the instances of an inventory text.
TWmiLocatorFactory FakeWmi(std::shared_ptr<TFakeWmi> wmi);
inline TWmiLocatorFactory FakeWmi(const std::string& Inventory) {
  return FakeWmi(std::make_shared<TFakeWmi>(Inventory));
}

// Absolute path of a file in tests/fixtures.
std::string FixturePath(const std::string& name);

}  // namespace dimmscope::testing
