// The time a call takes on the emulated link, from HALVERN_DEVICE_LINK=<KB/s>[:<ms per call>] (KB of
// 1000 bytes; unset or malformed: no delay). TLinkPause sleeps, when it goes, for what was charged to it,
// so that a call charges while it holds the device's lock and waits after releasing it. Plain values;
// a pause belongs to one call on one thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

namespace rapiemu {

struct TLink {
  uint64_t BytesPerSecond = 0;  // 0: bytes cost nothing
  std::chrono::microseconds PerCall{0};

  // The time Bytes take at the link's speed, on top of PerCall.
  std::chrono::microseconds ByteTime(uint64_t Bytes) const;
};

TLink ParseLink(std::string_view Text);

class TLinkPause {
 public:
  TLinkPause() = default;
  TLinkPause(const TLinkPause&) = delete;
  TLinkPause& operator=(const TLinkPause&) = delete;
  ~TLinkPause();

  void Charge(std::chrono::microseconds Time) { FTime += Time; }

 private:
  std::chrono::microseconds FTime{0};
};

}  // namespace rapiemu
