// Scriptable WMI provider for the query-layer tests.
#include "tests/fake_wmi_provider.h"

#include <cstdlib>
#include <stdexcept>

namespace dimmscope::testing {
namespace {

class TFakeInstanceObject : public IWmiInstance {
 public:
  TFakeInstanceObject(TFakeWmi& wmi, const TFakeInstance& data, int index) : wmi_(wmi), data_(data), index_(index) {}
  TVariant AsVariant() override { return TVariant(std::make_shared<TVariantObject>()); }
  std::vector<std::string> PropertyNames() override {
    if (wmi_.FailListNames) throw std::runtime_error("Properties_ cannot be enumerated");
    std::vector<std::string> names;
    for (const auto& p : data_.Properties) names.push_back(p.first);
    return names;
  }
  TVariant PropertyValue(const std::string& name) override {
    ++wmi_.ValueReads;
    if (index_ == wmi_.FailValueAtInstance) throw std::runtime_error("value read failed");
    for (const auto& p : data_.Properties) {
      if (p.first == name) return p.second;
    }
    return TVariant::Null();
  }

 private:
  TFakeWmi& wmi_;
  const TFakeInstance& data_;
  int index_;
};

class TFakeEnumerator : public IWmiEnumerator {
 public:
  TFakeEnumerator(TFakeWmi& wmi, const std::vector<TFakeInstance>* instances) : wmi_(wmi), instances_(instances) {}
  std::unique_ptr<IWmiInstance> Next() override {
    if (wmi_.FailNextAfter >= 0 && next_ >= static_cast<std::size_t>(wmi_.FailNextAfter)) {
      throw std::runtime_error("enumeration failed");
    }
    if (instances_ == nullptr || next_ >= instances_->size()) return nullptr;
    const int index = static_cast<int>(next_);
    return std::make_unique<TFakeInstanceObject>(wmi_, (*instances_)[next_++], index);
  }

 private:
  TFakeWmi& wmi_;
  const std::vector<TFakeInstance>* instances_;
  std::size_t next_ = 0;
};

class TFakeService : public IWmiService {
 public:
  explicit TFakeService(TFakeWmi& wmi) : wmi_(wmi) {}
  void SetImpersonationLevel(int level) override { wmi_.ImpersonationLevel = level; }
  std::unique_ptr<IWmiEnumerator> ExecQuery(const std::string& query, const std::string& language, int flags) override {
    ++wmi_.Queries;
    wmi_.LastQuery = query;
    wmi_.LastLanguage = language;
    wmi_.LastFlags = flags;
    if (wmi_.FailQuery) throw std::runtime_error("Invalid class");
    const std::string prefix = "SELECT * FROM ";
    const auto found = wmi_.Classes.find(query.substr(prefix.size()));
    return std::make_unique<TFakeEnumerator>(wmi_, found == wmi_.Classes.end() ? nullptr : &found->second);
  }
  TVariant GetClass(const std::string&) override { return TVariant(std::make_shared<TVariantObject>()); }

 private:
  TFakeWmi& wmi_;
};

class TFakeLocator : public IWmiLocator {
 public:
  explicit TFakeLocator(TFakeWmi& wmi) : wmi_(wmi) {}
  std::shared_ptr<IWmiService> ConnectServer(const std::string& server, const std::string& nameSpace,
                                             const std::string&, const std::string&) override {
    ++wmi_.Connects;
    wmi_.LastServer = server;
    wmi_.LastNameSpace = nameSpace;
    if (wmi_.FailConnect) throw std::runtime_error("Access denied");
    return std::make_shared<TFakeService>(wmi_);
  }

 private:
  TFakeWmi& wmi_;
};

}  // namespace

TWmiLocatorFactory TFakeWmi::Factory() {
  return [this]() -> std::unique_ptr<IWmiLocator> {
    ++LocatorsCreated;
    if (FailCreateLocator) throw std::runtime_error("Invalid class string");
    return std::make_unique<TFakeLocator>(*this);
  };
}

std::string FixturePath(const std::string& name) {
  const char* overridden = std::getenv("DIMMSCOPE_FIXTURES");
  const std::string root = overridden != nullptr && *overridden != '\0' ? overridden : DIMMSCOPE_FIXTURES;
  return root + "/" + name;
}

}  // namespace dimmscope::testing
