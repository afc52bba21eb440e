// A WMI provider that serves the classes and instances of an inventory file,
// so a scan can be reproduced on any machine.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "wmi/inventory_file.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {

// A locator factory serving `inventory`; every locator it creates shares it.
TWmiLocatorFactory MakeReplayLocatorFactory(std::shared_ptr<const TInventory> inventory);

// What a provider answered when it was asked once: the instances it listed,
// and the failures met on the way, by their messages.
struct TWmiAnswers {
  TInventory Inventory;
  std::string ConnectError;                                      // set when connecting failed
  std::vector<std::pair<std::string, std::string>> QueryErrors;  // class name, message
};

// Serves `answers` as the provider gave them: connecting, or the query of a
// class that failed, fails again with the same message.
TWmiLocatorFactory MakeReplayLocatorFactory(std::shared_ptr<const TWmiAnswers> answers);

}  // namespace dimmscope
