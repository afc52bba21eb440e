// Inventory capture over the two record classes. The records are loaded
// without their typed conversion, so a value a field could not hold is still
// captured as the provider gave it.
#include "app/inventory_capture.h"

#include "wmi/physical_memory.h"
#include "wmi/physical_memory_array.h"

namespace dimmscope {
namespace {

constexpr const char* kModulesClass = "Win32_PhysicalMemory";

// A record that keeps its values untouched: selecting an instance converts
// nothing. Its property names are still the record's when the provider
// cannot list them. Given a connection, it queries through that one.
template <class Record>
class TRawRecord : public Record {
 public:
  explicit TRawRecord(TWmiConnection* Shared) : Record(false) {
    if (Shared != nullptr) {
      this->Connection.reset(Shared);
      this->OwnsConnection = false;
    }
    this->Loaded = this->LoadCollection();
  }
  void SetCollectionIndex(std::int32_t Index) override { this->CollectionIndex = Index; }
};

template <class Record>
void Capture(const Record& record, TWmiAnswers& answers) {
  if (record.CollectionCount() < 0) {
    answers.QueryErrors.emplace_back(record.WmiClassName, record.LoadError);
    return;
  }
  for (std::int32_t i = 0; i < record.CollectionCount(); ++i) {
    TInventoryInstance instance;
    instance.ClassName = record.WmiClassName;
    instance.Properties.reserve(record.PropertyNames.size());
    for (const auto& name : record.PropertyNames) {
      instance.Properties.emplace_back(name, record.GetPropertyValueAt(name, i));
    }
    answers.Inventory.Instances.push_back(std::move(instance));
  }
}

}  // namespace

TWmiAnswers CaptureWmiAnswers() {
  TWmiAnswers answers;
  TRawRecord<TWin32_PhysicalMemoryArray> arrays(nullptr);
  Capture(arrays, answers);
  if (arrays.CollectionCount() < 0 && !arrays.Connection->Connected) {
    // The other class would meet the same refusal: it is not asked.
    answers.ConnectError = arrays.LoadError;
    answers.QueryErrors.emplace_back(kModulesClass, arrays.LoadError);
    return answers;
  }
  Capture(TRawRecord<TWin32_PhysicalMemory>(arrays.Connection.get()), answers);
  return answers;
}

TInventory CaptureInventory(std::vector<std::string>* notes) {
  TWmiAnswers answers = CaptureWmiAnswers();
  for (const auto& failed : answers.QueryErrors) {
    if (notes != nullptr) notes->push_back(failed.first + " could not be read; saved without instances");
  }
  return std::move(answers.Inventory);
}

}  // namespace dimmscope
