// The generic WMI query layer: connection, load, selection and lookup.
#include "wmi/wmi_class.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "support/text_helpers.h"

namespace dimmscope {
namespace {

TWmiLocatorFactory& LocatorFactory() {
  static TWmiLocatorFactory factory;
  return factory;
}

// No two names equal without regard to case.
bool HasUniqueNames(const std::vector<std::string>& names) {
  std::vector<std::string> folded;
  folded.reserve(names.size());
  for (const std::string& name : names) {
    folded.push_back(name);
    for (char& c : folded.back()) c = FoldAscii(c);
  }
  std::sort(folded.begin(), folded.end());
  return std::adjacent_find(folded.begin(), folded.end()) == folded.end();
}

[[noreturn]] void ThrowListIndex(std::int32_t index) {
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

void SetWmiLocatorFactory(TWmiLocatorFactory factory) { LocatorFactory() = std::move(factory); }

std::unique_ptr<IWmiLocator> CreateWmiLocator() {
  if (!LocatorFactory()) throw std::runtime_error("No WMI provider is available on this system");
  auto locator = LocatorFactory()();
  if (!locator) throw std::runtime_error("The WMI locator could not be created");
  return locator;
}

TScopedWmiLocatorFactory::TScopedWmiLocatorFactory(TWmiLocatorFactory factory)
    : previous_(std::move(LocatorFactory())) {
  LocatorFactory() = std::move(factory);
}

TScopedWmiLocatorFactory::~TScopedWmiLocatorFactory() { LocatorFactory() = std::move(previous_); }

TWmiConnection::~TWmiConnection() {
  // The service came from the locator: release it first.
  Service.reset();
  Locator.reset();
}

void TWmiConnection::Connect(bool Force) {
  if (!Force && Connected) return;
  Connected = false;
  Locator = CreateWmiLocator();
  Service = Locator->ConnectServer(Server, NameSpace, User, Password);
  if (!KeepImpersonation) Service->SetImpersonationLevel(3);  // 3 = impersonate
  Connected = true;
}

TWmiClass::TWmiClass(const std::string& NameSpace, const std::string& WmiClassName_)
    : Connection(std::make_unique<TWmiConnection>()), WmiClassName(WmiClassName_) {
  Connection->NameSpace = NameSpace;
}

TWmiClass::TWmiClass(bool LoadNow, const std::string& NameSpace, const std::string& WmiClassName_)
    : TWmiClass(NameSpace, WmiClassName_) {
  if (LoadNow) Loaded = LoadCollection();
}

TWmiClass::~TWmiClass() {
  PropertyNames.clear();
  ClearCollection();
  if (!OwnsConnection) (void)Connection.release();
}

bool TWmiClass::LoadCollection() {
  ClearCollection();
  LoadError.clear();
  try {
    Connection->Connect(false);
    const std::string query = "SELECT * FROM " + WmiClassName;
    auto instances = Connection->Service->ExecQuery(query, "WQL", 48);  // 16 return immediately + 32 forward-only
    ClassObject = Connection->Service->GetClass(WmiClassName);
    while (auto instance = instances->Next()) {
      if (PropertyNames.empty()) {
        std::vector<std::string> names;
        try {
          names = instance->PropertyNames();
        } catch (const std::exception&) {
          // Some providers answer a property by name but cannot list them;
          // the record's own names are all that is ever read.
          names = RecordPropertyNames();
          if (names.empty()) throw;
        }
        // Property names beyond the record's capacity are not kept, so every
        // stored name has a slot.
        if (names.size() > kMaxWmiProperties) names.resize(kMaxWmiProperties);
        PropertyNames = std::move(names);
        nameHintUsable_ = HasUniqueNames(PropertyNames);
      }
      auto record = std::make_unique<TDataWmiClass>();
      record->Instance.Value = instance->AsVariant();
      TDataWmiClass& stored = *record;
      Collection.push_back(std::move(record));
      stored.Values.resize(PropertyNames.size());
      for (std::size_t i = 0; i < PropertyNames.size(); ++i) {
        stored.Values[i] = instance->PropertyValue(PropertyNames[i]);
      }
    }
    if (!Collection.empty()) SetCollectionIndex(0);
  } catch (const std::exception& error) {
    LoadError = error.what();
    return false;
  }
  return true;
}

std::int32_t TWmiClass::CollectionCount() const { return Loaded ? static_cast<std::int32_t>(Collection.size()) : -1; }

void TWmiClass::SetCollectionIndex(std::int32_t) {
  throw std::logic_error("You must override this method SetCollectionIndex");
}

std::int32_t TWmiClass::FindCollectionIndex(const std::string& PropertyName, const TVariant& Value) {
  if (!Loaded) return -1;
  for (std::size_t i = 0; i < Collection.size(); ++i) {
    if (GetPropertyValueAt(PropertyName, static_cast<std::int32_t>(i)) == Value) {
      return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

std::int32_t TWmiClass::FindPropertyName(const std::string& PropertyName) const {
  // Records read their properties in an order that mostly follows the
  // provider's, so the name after the last one found is tried first. The
  // answer is the same as the linear search's when no two names are equal.
  const std::size_t hint = nextNameHint_;
  if (nameHintUsable_ && hint < PropertyNames.size() && SameText(PropertyNames[hint], PropertyName)) {
    nextNameHint_ = hint + 1;
    return static_cast<std::int32_t>(hint);
  }
  for (std::size_t i = 0; i < PropertyNames.size(); ++i) {
    if (SameText(PropertyNames[i], PropertyName)) {
      nextNameHint_ = i + 1;
      return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

TVariant TWmiClass::GetPropertyValue(const std::string& PropertyName) const {
  return GetPropertyValueAt(PropertyName, CollectionIndex);
}

TVariant TWmiClass::GetPropertyValueAt(const std::string& PropertyName, std::int32_t Index) const {
  const std::int32_t slot = FindPropertyName(PropertyName);
  if (Index < 0 || static_cast<std::size_t>(Index) >= Collection.size()) ThrowListIndex(Index);
  // A property the provider does not know is a missing value.
  if (slot < 0) return TVariant::Null();
  const auto& values = Collection[static_cast<std::size_t>(Index)]->Values;
  // A slot beyond what was stored reads as missing.
  if (static_cast<std::size_t>(slot) >= values.size()) return TVariant::Null();
  return values[static_cast<std::size_t>(slot)];
}

void TWmiClass::ClearCollection() {
  Collection.clear();
  CollectionIndex = -1;
}

}  // namespace dimmscope
