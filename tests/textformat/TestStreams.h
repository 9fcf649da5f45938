// Streams for reader tests: a memory stream that hands out at most Step bytes per read (as a device or a
// pipe may), and one that stops delivering before its end (a failing source).
#pragma once

#include <string>
#include <string_view>

#include "rtl/Stream.h"

namespace halvern::test {

class TChunkedStream : public TMemoryStream {
 public:
  explicit TChunkedStream(std::string_view Data, int32_t Step = 0x7FFFFFFF) : FStep(Step) {
    WriteString(std::string(Data));
    SetPosition(0);
  }
  int32_t Read(void* Buffer, int32_t Count) override {
    ++Reads;
    return TMemoryStream::Read(Buffer, Count < FStep ? Count : FStep);
  }
  int Reads = 0;

 private:
  int32_t FStep;
};

// Delivers the first Limit bytes, then reads return 0 although the size says more is there.
class TStallingStream : public TMemoryStream {
 public:
  TStallingStream(std::string_view Data, int64_t Limit) : FLimit(Limit) {
    WriteString(std::string(Data));
    SetPosition(0);
  }
  int32_t Read(void* Buffer, int32_t Count) override {
    const int64_t Left = FLimit - GetPosition();
    if (Left <= 0) return 0;
    return TMemoryStream::Read(Buffer, Count < Left ? Count : static_cast<int32_t>(Left));
  }

 private:
  int64_t FLimit;
};

}  // namespace halvern::test
