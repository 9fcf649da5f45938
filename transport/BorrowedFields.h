// IBorrowedFieldAccess: the engine's own fast path to a port's column values, for the value procedures
// that run once per value of a transfer. A port that answers for it gives, without creating or counting
// a column reference, what the column chain (GetField, QueryInterface for IFieldReader or IFieldWriter,
// GetAsString or SetAsString) would give: the same column is re-pointed at Index, the same text is read
// or stored. The caller holds a counted reference on the port for the whole call; nothing handed out
// here outlives it. Ports that lack the interface are reached through the column chain.
//
// Thread-safety: as the port's column access: driven from the host's calling thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "transport/TransDefine.h"

namespace halvern {

struct IBorrowedFieldAccess : IInterface {
  static constexpr TGuid IID{0xB7B5CBAD, 0xFA63, 0x4918, {0xBB, 0x07, 0x63, 0x1E, 0x7F, 0xAD, 0xEA, 0xB5}};

  // The text column Index of a record source reads in the current record. False, with Text untouched,
  // when the port has no such readable column. Text points into the port's current record: it stays
  // valid until the port's records or settings next change.
  virtual bool HV_STDCALL ReadFieldText(int32_t Index, std::string_view* Text) = 0;
  // Stores Length bytes at Text as column Index's text in the record being built by a record sink, as
  // SetAsString would. False when the port has no such writable column.
  virtual bool HV_STDCALL WriteFieldText(int32_t Index, const char* Text, size_t Length) = 0;

 protected:
  ~IBorrowedFieldAccess() = default;
};

}  // namespace halvern
