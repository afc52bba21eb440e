// A scriptable WMI provider for tests: instances given in code, failures
// injected at any operation, and a count of the calls made.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "wmi/wmi_provider.h"

namespace dimmscope::testing {

struct TFakeInstance {
  std::vector<std::pair<std::string, TVariant>> Properties;
};

struct TFakeWmi {
  std::map<std::string, std::vector<TFakeInstance>> Classes;  // by class name
  bool FailCreateLocator = false;
  bool FailConnect = false;
  bool FailQuery = false;
  bool FailListNames = false;    // like Wine, which cannot enumerate Properties_
  int FailValueAtInstance = -1;  // reading any value of this instance throws
  int FailNextAfter = -1;        // enumeration throws after this many instances

  // Observed calls.
  int LocatorsCreated = 0;
  int Connects = 0;
  int Queries = 0;
  int ValueReads = 0;
  int ImpersonationLevel = 0;
  std::string LastQuery;
  std::string LastLanguage;
  int LastFlags = 0;
  std::string LastServer, LastNameSpace;

  TWmiLocatorFactory Factory();
};

// Installs `wmi` as the process's provider for the lifetime of the object.
class TFakeWmiScope {
 public:
  explicit TFakeWmiScope(std::shared_ptr<TFakeWmi> wmi) : scope_(wmi->Factory()) {}

 private:
  TScopedWmiLocatorFactory scope_;
};

// Absolute path of a file in tests/fixtures.
std::string FixturePath(const std::string& name);

}  // namespace dimmscope::testing
