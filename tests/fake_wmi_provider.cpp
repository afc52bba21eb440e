// The tests' WMI provider.
#include "tests/fake_wmi_provider.h"

#include <algorithm>
#include <stdexcept>

namespace dimmscope::testing {
namespace {

// One object plays each part in turn: the locator, the service, the
// enumerator of a query and each instance it serves.
class TFake : public IWmiLocator, public IWmiService, public IWmiEnumerator, public IWmiInstance {
 public:
  explicit TFake(TFakeWmi& wmi) : wmi_(wmi) {}
  std::shared_ptr<IWmiService> ConnectServer(const std::string&, const std::string&, const std::string&,
                                             const std::string&) override {
    ++wmi_.Connects;
    if (wmi_.FailConnect) throw std::runtime_error("Access denied");
    return std::make_shared<TFake>(wmi_);
  }
  void SetImpersonationLevel(int) override {}
  std::unique_ptr<IWmiEnumerator> ExecQuery(const std::string& query, const std::string&, int) override {
    const std::string className = query.substr(query.rfind(' ') + 1);
    ++wmi_.Queries[className];
    if (wmi_.FailQuery) throw std::runtime_error("Invalid class");
    auto enumerator = std::make_unique<TFake>(wmi_);
    enumerator->className_ = className;
    return enumerator;
  }
  TVariant GetClass(const std::string&) override { return TVariant(); }
  std::unique_ptr<IWmiInstance> Next() override {
    if (served_++ == wmi_.FailNextAfter) throw std::runtime_error("enumeration failed");
    const auto& all = wmi_.Data.Instances;
    while (next_ < all.size() && all[next_].ClassName != className_) ++next_;
    if (next_ == all.size()) return nullptr;
    auto instance = std::make_unique<TFake>(wmi_);
    instance->instance_ = &all[next_++];
    return instance;
  }
  TVariant AsVariant() override { return TVariant(); }
  std::vector<std::string> PropertyNames() override {
    if (wmi_.FailListNames) throw std::runtime_error("Properties_ cannot be enumerated");
    std::vector<std::string> names;
    for (const auto& property : instance_->Properties) names.push_back(property.first);
    return names;
  }
  TVariant PropertyValue(const std::string& name) override {
    if (wmi_.FailValues) throw std::runtime_error("value read failed");
    const auto& properties = instance_->Properties;
    const auto found = std::find_if(properties.begin(), properties.end(),
                                    [&](const auto& property) { return property.first == name; });
    return found == properties.end() ? TVariant::Null() : found->second;
  }

 private:
  TFakeWmi& wmi_;
  std::string className_;
  std::size_t next_ = 0;
  int served_ = 0;
  const TInventoryInstance* instance_ = nullptr;
};

}  // namespace

TWmiLocatorFactory FakeWmi(std::shared_ptr<TFakeWmi> wmi) {
  return [wmi] {
    ++wmi->LocatorsCreated;
    if (wmi->FailCreateLocator) throw std::runtime_error("Invalid class string");
    return std::unique_ptr<IWmiLocator>(std::make_unique<TFake>(*wmi));
  };
}

std::string FixturePath(const std::string& name) { return std::string(DIMMSCOPE_FIXTURES) + "/" + name; }

}  // namespace dimmscope::testing
