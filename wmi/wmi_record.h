// Table-driven filling of a typed WMI record: one row per property, in the
// record's order, each naming the field and the Null-aware helper.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "wmi/wmi_class.h"

namespace dimmscope {

template <class Record>
struct TWmiField {
  using Member = std::variant<std::string Record::*, std::uint16_t Record::*, std::uint32_t Record::*,
                              std::int64_t Record::*, double Record::*, bool Record::*, TDateTime Record::*>;
  const char* Name;
  Member Field;
};

namespace detail {

inline void Assign(std::string& field, const TVariant& v) { field = VarToStrNull(v); }
inline void Assign(std::uint16_t& field, const TVariant& v) { field = VarToWordNull(v); }
inline void Assign(std::uint32_t& field, const TVariant& v) { field = VarToCardinalNull(v); }
inline void Assign(std::int64_t& field, const TVariant& v) { field = VarToInt64Null(v); }
inline void Assign(double& field, const TVariant& v) { field = VarToDoubleNull(v); }
inline void Assign(bool& field, const TVariant& v) { field = VarToBoolNull(v); }
inline void Assign(TDateTime& field, const TVariant& v) { field = WmiDateToDateTime(v); }

}  // namespace detail

// Selects instance Index of `record` and fills its fields from `table`, in
// order. An index out of range or already selected changes nothing. A
// conversion error stops the filling at that field and propagates, with the
// index already moved.
template <class Record, std::size_t N>
void SelectAndFill(Record& record, const TWmiField<Record> (&table)[N], std::int32_t Index) {
  if (Index < 0 || static_cast<std::size_t>(Index) >= record.Collection.size() || Index == record.CollectionIndex) {
    return;
  }
  record.CollectionIndex = Index;
  for (const auto& row : table) {
    const TVariant value = record.GetPropertyValue(row.Name);
    std::visit([&](auto member) { detail::Assign(record.*member, value); }, row.Field);
  }
}

template <class Record, std::size_t N>
std::vector<std::string> FieldNames(const TWmiField<Record> (&table)[N]) {
  std::vector<std::string> names;
  names.reserve(N);
  for (const auto& row : table) names.emplace_back(row.Name);
  return names;
}

}  // namespace dimmscope
