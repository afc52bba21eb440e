// The generic WMI query layer: one TWmiClass per WMI class, loading every
// instance's property values once and letting a subclass copy the selected
// instance into typed fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wmi/variant.h"
#include "wmi/wmi_provider.h"

namespace dimmscope {

class TWmiConnection {
 public:
  TWmiConnection() = default;
  ~TWmiConnection();
  TWmiConnection(const TWmiConnection&) = delete;
  TWmiConnection& operator=(const TWmiConnection&) = delete;

  // Connects on first use, or again when Force is set; throws on failure and
  // leaves Connected false.
  void Connect(bool Force);

  std::unique_ptr<IWmiLocator> Locator;
  std::shared_ptr<IWmiService> Service;
  std::string Server = "localhost";
  std::string User;
  std::string Password;
  std::string NameSpace;
  bool Connected = false;
  bool KeepImpersonation = true;
};

// A class's first this many properties are kept; the rest are not read.
inline constexpr std::size_t kMaxWmiProperties = 256;

struct TVariantValueClass {
  TVariant Value;
};

// One instance's values; slot i belongs to entry i of the owner's PropertyNames.
// The load sizes Values to the class's property count and reserves nothing
// more: an inventory may list hundreds of thousands of instances.
struct TDataWmiClass {
  std::vector<TVariant> Values;
  TVariantValueClass Instance;
};

class TWmiClass {
 public:
  TWmiClass(bool LoadNow, const std::string& NameSpace, const std::string& WmiClassName);
  virtual ~TWmiClass();
  TWmiClass(const TWmiClass&) = delete;
  TWmiClass& operator=(const TWmiClass&) = delete;

  // Runs the query and stores every instance; false on any failure, which is
  // swallowed here: the caller decides what a failed load means.
  bool LoadCollection();
  // Number of stored instances, or -1 when the load failed.
  std::int32_t CollectionCount() const;
  virtual void SetCollectionIndex(std::int32_t Index);
  virtual std::int32_t FindCollectionIndex(const std::string& PropertyName, const TVariant& Value);
  TVariant GetPropertyValue(const std::string& PropertyName) const;
  TVariant GetPropertyValueAt(const std::string& PropertyName, std::int32_t Index) const;
  void ClearCollection();

  bool OwnsConnection = true;
  std::unique_ptr<TWmiConnection> Connection;
  std::string WmiClassName;
  TVariant ClassObject;
  bool Loaded = false;
  std::string LoadError;  // why the last load failed; empty after one that did not
  std::vector<std::string> PropertyNames;
  std::vector<std::unique_ptr<TDataWmiClass>> Collection;
  std::int32_t CollectionIndex = -1;

 protected:
  // Property names a subclass reads; a provider that cannot list an
  // instance's properties is asked for these instead.
  virtual std::vector<std::string> RecordPropertyNames() const { return {}; }
  // For subclasses: sets everything up without loading. The subclass loads
  // from its own constructor, once its SetCollectionIndex can be reached.
  TWmiClass(const std::string& NameSpace, const std::string& WmiClassName);

 private:
  std::int32_t FindPropertyName(const std::string& PropertyName) const;

  mutable std::size_t nextNameHint_ = 0;  // where the next lookup starts
  bool nameHintUsable_ = false;
};

}  // namespace dimmscope
