// TStrDispatcher: a hash table from byte-string keys to handlers, each taking a value; the options
// reader routes every option it reads to the code that applies it through one.
//
// Keys are bytes, compared exactly (or, with IgnoreCase, ignoring ASCII letter case only). Adding a key
// again shadows the older entry, which stays until Clear. The dispatcher owns its handlers (and so
// whatever they capture). Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

// The code a key is bound to; it takes the key's value.
using TStrHandler = std::function<void(const std::string& Value)>;

class TStrDispatcher {
 public:
  // BucketCount must be at least 1 (0 is taken as 1).
  explicit TStrDispatcher(int32_t BucketCount);
  ~TStrDispatcher();
  TStrDispatcher(const TStrDispatcher&) = delete;
  TStrDispatcher& operator=(const TStrDispatcher&) = delete;

  void Add(std::string_view Key, TStrHandler Handler);
  // The handler registered last under Key, or nullptr. Valid until the next Add or Clear.
  const TStrHandler* Find(std::string_view Key) const;
  void Clear() noexcept;

  // Keys compare and hash ignoring ASCII letter case.
  bool IgnoreCase = false;

  uint32_t HashKey(std::string_view Key) const noexcept;
  size_t BucketCount() const noexcept { return FBuckets.size(); }

 private:
  // One entry of a bucket chain; new entries go in front.
  struct TDispItem {
    std::unique_ptr<TDispItem> Next;
    std::string Key;
    TStrHandler Handler;
  };

  // The link that refers to Key's entry, or the empty link at the end of its chain.
  const std::unique_ptr<TDispItem>* FindSlot(std::string_view Key) const;
  bool KeysMatch(std::string_view A, std::string_view B) const noexcept;

  std::vector<std::unique_ptr<TDispItem>> FBuckets;
};

}  // namespace halvern
