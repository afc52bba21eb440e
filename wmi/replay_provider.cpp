// Replay provider: answers "SELECT * FROM <class>" from an inventory.
#include "wmi/replay_provider.h"

#include <stdexcept>

#include "support/text_helpers.h"

namespace dimmscope {
namespace {

// Stands for an instance object inside a variant.
class TReplayObject : public TVariantObject {
 public:
  explicit TReplayObject(const TInventoryInstance* instance) : Instance(instance) {}
  const TInventoryInstance* Instance;
};

class TReplayInstance : public IWmiInstance {
 public:
  TReplayInstance(std::shared_ptr<const TInventory> inventory, const TInventoryInstance& instance,
                  const TInventoryInstance& first)
      : inventory_(std::move(inventory)), instance_(instance), first_(first) {}

  TVariant AsVariant() override { return TVariant(std::make_shared<TReplayObject>(&instance_)); }

  // Every instance of a class has the first instance's properties, as a WMI
  // class has one schema; ones this instance lacks read as Null.
  std::vector<std::string> PropertyNames() override {
    std::vector<std::string> names;
    names.reserve(first_.Properties.size());
    for (const auto& property : first_.Properties) names.push_back(property.first);
    return names;
  }

  TVariant PropertyValue(const std::string& name) override {
    // The loader asks for the properties in file order, so the one after the
    // last found is tried first; the search only runs for gaps and reorders.
    const auto& properties = instance_.Properties;
    if (next_ < properties.size() && SameText(properties[next_].first, name)) return properties[next_++].second;
    for (std::size_t i = 0; i < properties.size(); ++i) {
      if (SameText(properties[i].first, name)) {
        next_ = i + 1;
        return properties[i].second;
      }
    }
    return TVariant::Null();
  }

 private:
  std::shared_ptr<const TInventory> inventory_;  // keeps the instances alive
  const TInventoryInstance& instance_;
  const TInventoryInstance& first_;
  std::size_t next_ = 0;
};

class TReplayEnumerator : public IWmiEnumerator {
 public:
  TReplayEnumerator(std::shared_ptr<const TInventory> inventory, std::string className)
      : inventory_(std::move(inventory)), className_(std::move(className)) {}

  std::unique_ptr<IWmiInstance> Next() override {
    const auto& instances = inventory_->Instances;
    while (next_ < instances.size()) {
      const TInventoryInstance& candidate = instances[next_++];
      if (!SameText(candidate.ClassName, className_)) continue;
      if (first_ == nullptr) first_ = &candidate;
      return std::make_unique<TReplayInstance>(inventory_, candidate, *first_);
    }
    return nullptr;
  }

 private:
  std::shared_ptr<const TInventory> inventory_;
  std::string className_;
  std::size_t next_ = 0;
  const TInventoryInstance* first_ = nullptr;
};

class TReplayService : public IWmiService {
 public:
  TReplayService(std::shared_ptr<const TInventory> inventory, std::shared_ptr<const TWmiAnswers> answers)
      : inventory_(std::move(inventory)), answers_(std::move(answers)) {}

  void SetImpersonationLevel(int) override {}

  std::unique_ptr<IWmiEnumerator> ExecQuery(const std::string& query, const std::string& language, int) override {
    static const std::string kPrefix = "SELECT * FROM ";
    if (!SameText(language, "WQL")) throw std::runtime_error("Unsupported query language " + language);
    if (query.size() <= kPrefix.size() || !SameText(query.substr(0, kPrefix.size()), kPrefix)) {
      throw std::runtime_error("Unsupported query: " + query);
    }
    const std::string className = query.substr(kPrefix.size());
    if (answers_) {
      for (const auto& failed : answers_->QueryErrors) {
        if (SameText(failed.first, className)) throw std::runtime_error(failed.second);
      }
    }
    // A class the inventory does not list has no instance on that machine.
    return std::make_unique<TReplayEnumerator>(inventory_, className);
  }

  TVariant GetClass(const std::string&) override { return TVariant(std::make_shared<TReplayObject>(nullptr)); }

 private:
  std::shared_ptr<const TInventory> inventory_;
  std::shared_ptr<const TWmiAnswers> answers_;  // the failures to repeat, when replaying answers
};

class TReplayLocator : public IWmiLocator {
 public:
  TReplayLocator(std::shared_ptr<const TInventory> inventory, std::shared_ptr<const TWmiAnswers> answers)
      : inventory_(std::move(inventory)), answers_(std::move(answers)) {}

  std::shared_ptr<IWmiService> ConnectServer(const std::string&, const std::string&, const std::string&,
                                             const std::string&) override {
    if (answers_ && !answers_->ConnectError.empty()) throw std::runtime_error(answers_->ConnectError);
    return std::make_shared<TReplayService>(inventory_, answers_);
  }

 private:
  std::shared_ptr<const TInventory> inventory_;
  std::shared_ptr<const TWmiAnswers> answers_;
};

}  // namespace

TWmiLocatorFactory MakeReplayLocatorFactory(std::shared_ptr<const TInventory> inventory) {
  return [inventory]() -> std::unique_ptr<IWmiLocator> { return std::make_unique<TReplayLocator>(inventory, nullptr); };
}

TWmiLocatorFactory MakeReplayLocatorFactory(std::shared_ptr<const TWmiAnswers> answers) {
  // The instances live inside the answers: the inventory shares their lifetime.
  std::shared_ptr<const TInventory> inventory(answers, &answers->Inventory);
  return [inventory, answers]() -> std::unique_ptr<IWmiLocator> {
    return std::make_unique<TReplayLocator>(inventory, answers);
  };
}

}  // namespace dimmscope
