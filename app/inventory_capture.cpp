// Inventory capture over the two record classes. The records are loaded
// without their typed conversion, so a value a field could not hold is still
// captured as the provider gave it.
#include "app/inventory_capture.h"

#include "wmi/physical_memory.h"
#include "wmi/physical_memory_array.h"

namespace dimmscope {
namespace {

// A record that keeps its values untouched: selecting an instance converts
// nothing. Its property names are still the record's when the provider
// cannot list them.
template <class Record>
class TRawRecord : public Record {
 public:
  TRawRecord() : Record(false) { this->Loaded = this->LoadCollection(); }
  void SetCollectionIndex(std::int32_t Index) override { this->CollectionIndex = Index; }
};

template <class Record>
void Capture(TInventory& inventory, std::vector<std::string>* notes) {
  TRawRecord<Record> record;
  if (record.CollectionCount() < 0) {
    if (notes != nullptr) notes->push_back(record.WmiClassName + " could not be read; saved without instances");
    return;
  }
  for (std::int32_t i = 0; i < record.CollectionCount(); ++i) {
    TInventoryInstance instance;
    instance.ClassName = record.WmiClassName;
    instance.Properties.reserve(record.PropertyNames.size());
    for (const auto& name : record.PropertyNames) {
      instance.Properties.emplace_back(name, record.GetPropertyValueAt(name, i));
    }
    inventory.Instances.push_back(std::move(instance));
  }
}

}  // namespace

TInventory CaptureInventory(std::vector<std::string>* notes) {
  TInventory inventory;
  Capture<TWin32_PhysicalMemoryArray>(inventory, notes);
  Capture<TWin32_PhysicalMemory>(inventory, notes);
  return inventory;
}

}  // namespace dimmscope
