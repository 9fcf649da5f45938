#include "textformat/StrDispatcher.h"

#include <utility>

namespace halvern {
namespace {

char UpperAscii(char C) noexcept {
  return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C;
}

}  // namespace

TStrDispatcher::TStrDispatcher(int32_t BucketCount)
    : FBuckets(BucketCount > 0 ? static_cast<size_t>(BucketCount) : 1) {}

TStrDispatcher::~TStrDispatcher() {
  Clear();
}

uint32_t TStrDispatcher::HashKey(std::string_view Key) const noexcept {
  uint32_t H = 0;
  for (char C : Key) {
    const auto B = static_cast<uint8_t>(IgnoreCase ? UpperAscii(C) : C);
    H = ((H << 2) | (H >> 30)) ^ B;
  }
  return H;
}

bool TStrDispatcher::KeysMatch(std::string_view A, std::string_view B) const noexcept {
  if (A.size() != B.size()) return false;
  if (!IgnoreCase) return A == B;
  for (size_t I = 0; I < A.size(); ++I) {
    if (UpperAscii(A[I]) != UpperAscii(B[I])) return false;
  }
  return true;
}

const std::unique_ptr<TStrDispatcher::TDispItem>* TStrDispatcher::FindSlot(std::string_view Key) const {
  const std::unique_ptr<TDispItem>* Link = &FBuckets[HashKey(Key) % FBuckets.size()];
  while (*Link && !KeysMatch((*Link)->Key, Key)) Link = &(*Link)->Next;
  return Link;
}

void TStrDispatcher::Add(std::string_view Key, TStrHandler Handler) {
  auto Item = std::make_unique<TDispItem>();
  Item->Key.assign(Key);
  Item->Handler = std::move(Handler);
  std::unique_ptr<TDispItem>& Head = FBuckets[HashKey(Key) % FBuckets.size()];
  Item->Next = std::move(Head);
  Head = std::move(Item);
}

const TStrHandler* TStrDispatcher::Find(std::string_view Key) const {
  const std::unique_ptr<TDispItem>& Item = *FindSlot(Key);
  return Item ? &Item->Handler : nullptr;
}

void TStrDispatcher::Clear() noexcept {
  for (std::unique_ptr<TDispItem>& Head : FBuckets) {
    // Unlink one entry at a time so a long chain is not freed by deep recursion.
    while (Head) Head = std::move(Head->Next);
  }
}

}  // namespace halvern
