// Standard input as the device's GBK bytes, converted from UTF-8 a block at a time (one conversion
// per value would cost ten times the transfer). Blocks end after a
// line feed, which never falls inside a UTF-8 or GBK character, so no character is ever split. Input
// that is not UTF-8, or holds a character GBK cannot represent, throws EHostError naming its line. With
// conversion off the bytes pass through unchanged. One object per stream; not thread-safe.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace halvern::host {

class TGbkInput {
 public:
  TGbkInput(std::istream& In, bool FromUtf8) : FIn(In), FFromUtf8(FromUtf8) {}

  // Up to Capacity bytes of GBK into Buffer; 0 at the end of input. Fits TCsvReader::TSource.
  size_t Read(char* Buffer, size_t Capacity);

  // Bytes taken from the stream so far.
  int64_t BytesRead() const noexcept { return FBytesRead; }

 private:
  bool Fill();
  void Convert(std::string_view Utf8);
  [[noreturn]] void ThrowAtFault(std::string_view Utf8) const;

  std::istream& FIn;
  bool FFromUtf8;
  bool FStarted = false;
  std::string FRaw;  // bytes read but not yet converted (a line without its end)
  std::string FOut;  // converted bytes not yet handed out
  size_t FOutPos = 0;
  int64_t FLine = 1;  // the line on which FRaw begins
  int64_t FBytesRead = 0;
};

}  // namespace halvern::host
