#include "rtl/StringList.h"

#include <algorithm>
#include <cstdio>

#include "rtl/Exceptions.h"

namespace halvern {

TStringList::TStringList(std::initializer_list<std::string_view> Items) {
  for (std::string_view S : Items) Add(S);
}

void TStringList::IndexError(int32_t Index) {
  char Text[64];
  std::snprintf(Text, sizeof Text, SListIndexError, static_cast<int>(Index));
  throw EStringListError(Text);
}

int32_t TStringList::Add(std::string_view S) {
  AddEmpty().append(S.data(), S.size());
  return static_cast<int32_t>(FCount - 1);
}

void TStringList::Insert(int32_t Index, std::string_view S) {
  if (Index != static_cast<int32_t>(FCount)) CheckIndex(Index);
  AddEmpty().assign(S);
  // Move the new string from the end into place.
  std::rotate(FItems.begin() + Index, FItems.begin() + static_cast<std::ptrdiff_t>(FCount) - 1,
              FItems.begin() + static_cast<std::ptrdiff_t>(FCount));
}

void TStringList::Delete(int32_t Index) {
  CheckIndex(Index);
  // Rotate the removed string behind the list, where its storage waits for reuse.
  std::rotate(FItems.begin() + Index, FItems.begin() + Index + 1,
              FItems.begin() + static_cast<std::ptrdiff_t>(FCount));
  --FCount;
}

void TStringList::SetCountSlow(int32_t N) {
  if (N < 0) N = 0;
  const auto Target = static_cast<size_t>(N);
  while (FCount > Target) --FCount;
  while (FCount < Target) AddEmpty();
}

std::vector<std::string> TStringList::ToVector() const {
  return std::vector<std::string>(begin(), end());
}

bool operator==(const TStringList& A, const TStringList& B) {
  return std::equal(A.begin(), A.end(), B.begin(), B.end());
}

}  // namespace halvern
