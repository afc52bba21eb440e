// Win32_PhysicalMemory record: the field table and its filling.
#include "wmi/physical_memory.h"

#include "wmi/wmi_record.h"

namespace dimmscope {
namespace {

using R = TWin32_PhysicalMemory;

const TWmiField<R> kFields[] = {
    {"BankLabel", &R::BankLabel},
    {"Capacity", &R::Capacity},
    {"Caption", &R::Caption},
    {"CreationClassName", &R::CreationClassName},
    {"DataWidth", &R::DataWidth},
    {"Description", &R::Description},
    {"DeviceLocator", &R::DeviceLocator},
    {"FormFactor", &R::FormFactor},
    {"HotSwappable", &R::HotSwappable},
    {"InstallDate", &R::InstallDate},
    {"InterleaveDataDepth", &R::InterleaveDataDepth},
    {"InterleavePosition", &R::InterleavePosition},
    {"Manufacturer", &R::Manufacturer},
    {"MemoryType", &R::MemoryType},
    {"Model", &R::Model},
    {"Name", &R::Name},
    {"OtherIdentifyingInfo", &R::OtherIdentifyingInfo},
    {"PartNumber", &R::PartNumber},
    {"PositionInRow", &R::PositionInRow},
    {"PoweredOn", &R::PoweredOn},
    {"Removable", &R::Removable},
    {"Replaceable", &R::Replaceable},
    {"SerialNumber", &R::SerialNumber},
    {"SKU", &R::SKU},
    {"Speed", &R::Speed},
    {"Status", &R::Status},
    {"Tag", &R::Tag},
    {"TotalWidth", &R::TotalWidth},
    {"TypeDetail", &R::TypeDetail},
    {"Version", &R::Version},
    {"SMBIOSMemoryType", &R::SMBIOSMemoryType},
    {"ConfiguredClockSpeed", &R::ConfiguredClockSpeed},
    {"Attributes", &R::Attributes},
    {"ConfiguredVoltage", &R::ConfiguredVoltage},
    {"MinVoltage", &R::MinVoltage},
    {"MaxVoltage", &R::MaxVoltage},
};

}  // namespace

TWin32_PhysicalMemory::TWin32_PhysicalMemory(bool LoadNow) : TWmiClass("root\\CIMV2", "Win32_PhysicalMemory") {
  if (LoadNow) Loaded = LoadCollection();
}

TWin32_PhysicalMemory::~TWin32_PhysicalMemory() = default;

void TWin32_PhysicalMemory::SetCollectionIndex(std::int32_t Index) { SelectAndFill(*this, kFields, Index); }

std::vector<std::string> TWin32_PhysicalMemory::RecordPropertyNames() const { return FieldNames(kFields); }

}  // namespace dimmscope
