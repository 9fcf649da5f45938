// TStringList: an ordered list of byte strings (GBK text, no conversion).
//
// Used for the fields of the record a text reader or writer holds and for lists of column titles. The
// list owns its strings. Indexes outside [0, Count) raise EStringListError, which is how a negative field
// index reaches the caller. Clear keeps the removed strings' storage for reuse, so a reader refilling the
// list record after record does not allocate once the list has warmed up.
// Not thread-safe; one owner uses it at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string_view> Items);

  int32_t Count() const noexcept { return static_cast<int32_t>(FCount); }
  bool Empty() const noexcept { return FCount == 0; }

  const std::string& Get(int32_t Index) const {
    CheckIndex(Index);
    return FItems[static_cast<size_t>(Index)];
  }
  void Put(int32_t Index, std::string_view S) {
    CheckIndex(Index);
    std::string& Slot = FItems[static_cast<size_t>(Index)];
    // Filling an empty string (the usual case: a record's fields are cleared first) is a plain append,
    // cheaper than a replace, which must allow for S lying inside the string it replaces.
    if (Slot.empty()) {
      Slot.append(S.data(), S.size());
    } else {
      Slot.assign(S.data(), S.size());
    }
  }
  int32_t Add(std::string_view S);
  void Insert(int32_t Index, std::string_view S);
  void Delete(int32_t Index);
  void Clear() noexcept { FCount = 0; }
  // Makes the list exactly N long: drops strings from the end, or appends empty ones.
  void SetCount(int32_t N) {
    // A record's fields are set up this way once per record: reusing strings must not cost a call.
    if (N >= 0 && static_cast<size_t>(N) <= FItems.size()) {
      for (size_t I = FCount; I < static_cast<size_t>(N); ++I) FItems[I].clear();
      FCount = static_cast<size_t>(N);
    } else {
      SetCountSlow(N);
    }
  }

  // Appends an empty string and returns it for the caller to fill in place (reuses old storage).
  std::string& AddEmpty() {
    if (FCount == FItems.size()) FItems.emplace_back();
    std::string& Slot = FItems[FCount++];
    Slot.clear();
    return Slot;
  }

  const std::string& operator[](int32_t Index) const { return Get(Index); }
  std::vector<std::string> ToVector() const;

  const std::string* begin() const noexcept { return FItems.data(); }
  const std::string* end() const noexcept { return FItems.data() + FCount; }

  friend bool operator==(const TStringList& A, const TStringList& B);

  // Raises the list's index error for Index; other lists of values raise the same.
  [[noreturn]] static void IndexError(int32_t Index);

 private:
  void CheckIndex(int32_t Index) const {
    if (Index < 0 || static_cast<size_t>(Index) >= FCount) IndexError(Index);
  }
  // SetCount beyond the strings held so far, or to a negative count.
  void SetCountSlow(int32_t N);

  std::vector<std::string> FItems;  // the first FCount are the list; the rest is spare storage
  size_t FCount = 0;
};

}  // namespace halvern
