// What the WMI query layer needs of a WMI implementation: create a locator,
// connect, run a query, walk its instances, list an instance's property names
// and read a property by name. The Windows build serves these through COM
// automation; the replay provider serves them from an inventory file. Every
// operation reports failure by throwing.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wmi/variant.h"

namespace dimmscope {

class IWmiInstance {
 public:
  virtual ~IWmiInstance() = default;
  // The instance object itself, as a variant (kept by the record).
  virtual TVariant AsVariant() = 0;
  // Names of every property of the instance, in the provider's order.
  virtual std::vector<std::string> PropertyNames() = 0;
  // The value of one property; Null for a missing value.
  virtual TVariant PropertyValue(const std::string& name) = 0;
};

class IWmiEnumerator {
 public:
  virtual ~IWmiEnumerator() = default;
  // The next instance, or nullptr once the enumeration is over.
  virtual std::unique_ptr<IWmiInstance> Next() = 0;
};

class IWmiService {
 public:
  virtual ~IWmiService() = default;
  virtual void SetImpersonationLevel(int level) = 0;
  virtual std::unique_ptr<IWmiEnumerator> ExecQuery(const std::string& query, const std::string& language,
                                                    int flags) = 0;
  // The class-definition object.
  virtual TVariant GetClass(const std::string& className) = 0;
};

class IWmiLocator {
 public:
  virtual ~IWmiLocator() = default;
  virtual std::shared_ptr<IWmiService> ConnectServer(const std::string& server, const std::string& nameSpace,
                                                     const std::string& user, const std::string& password) = 0;
};

// Creates the locator, the first of the operations above. The process installs
// one factory at start (WMI, or the replay provider); tests install their own.
using TWmiLocatorFactory = std::function<std::unique_ptr<IWmiLocator>()>;

void SetWmiLocatorFactory(TWmiLocatorFactory factory);
std::unique_ptr<IWmiLocator> CreateWmiLocator();  // throws when none is installed

// Installs a factory for the lifetime of the object and restores the previous
// one afterwards.
class TScopedWmiLocatorFactory {
 public:
  explicit TScopedWmiLocatorFactory(TWmiLocatorFactory factory);
  ~TScopedWmiLocatorFactory();
  TScopedWmiLocatorFactory(const TScopedWmiLocatorFactory&) = delete;
  TScopedWmiLocatorFactory& operator=(const TScopedWmiLocatorFactory&) = delete;

 private:
  TWmiLocatorFactory previous_;
};

}  // namespace dimmscope
