// Win32_PhysicalMemoryArray record: the field table and its filling.
#include "wmi/physical_memory_array.h"

#include "wmi/wmi_record.h"

namespace dimmscope {
namespace {

using R = TWin32_PhysicalMemoryArray;

const TWmiField<R> kFields[] = {
    {"Caption", &R::Caption},
    {"CreationClassName", &R::CreationClassName},
    {"Depth", &R::Depth},
    {"Description", &R::Description},
    {"Height", &R::Height},
    {"HotSwappable", &R::HotSwappable},
    {"InstallDate", &R::InstallDate},
    {"Location", &R::Location},
    {"Manufacturer", &R::Manufacturer},
    {"MaxCapacity", &R::MaxCapacity},
    {"MemoryDevices", &R::MemoryDevices},
    {"MemoryErrorCorrection", &R::MemoryErrorCorrection},
    {"Model", &R::Model},
    {"Name", &R::Name},
    {"OtherIdentifyingInfo", &R::OtherIdentifyingInfo},
    {"PartNumber", &R::PartNumber},
    {"PoweredOn", &R::PoweredOn},
    {"Removable", &R::Removable},
    {"Replaceable", &R::Replaceable},
    {"SerialNumber", &R::SerialNumber},
    {"SKU", &R::SKU},
    {"Status", &R::Status},
    {"Tag", &R::Tag},
    {"Use", &R::Use},
    {"Version", &R::Version},
    {"Weight", &R::Weight},
    {"Width", &R::Width},
};

}  // namespace

TWin32_PhysicalMemoryArray::TWin32_PhysicalMemoryArray(bool LoadNow)
    : TWmiClass("root\\CIMV2", "Win32_PhysicalMemoryArray") {
  if (LoadNow) Loaded = LoadCollection();
}

TWin32_PhysicalMemoryArray::~TWin32_PhysicalMemoryArray() = default;

void TWin32_PhysicalMemoryArray::SetCollectionIndex(std::int32_t Index) { SelectAndFill(*this, kFields, Index); }

std::vector<std::string> TWin32_PhysicalMemoryArray::RecordPropertyNames() const { return FieldNames(kFields); }

}  // namespace dimmscope
