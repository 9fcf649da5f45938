#include <gtest/gtest.h>

#include <string>

#include "rtl/Exceptions.h"
#include "rtl/Stream.h"

namespace halvern {
namespace {

// Delivers its bytes a few at a time, as a device read may.
class TTrickleStream : public TMemoryStream {
 public:
  explicit TTrickleStream(int32_t Step) : FStep(Step) {}
  int32_t Read(void* Buffer, int32_t Count) override {
    return TMemoryStream::Read(Buffer, Count < FStep ? Count : FStep);
  }

 private:
  int32_t FStep;
};

TEST(MemoryStream, WriteSeekReadRoundTrip) {
  TMemoryStream S;
  S.WriteString("hello");
  EXPECT_EQ(S.GetSize(), 5);
  EXPECT_EQ(S.GetPosition(), 5);
  S.SetPosition(1);
  char Buf[8] = {};
  EXPECT_EQ(S.Read(Buf, 8), 4);
  EXPECT_EQ(std::string(Buf, 4), "ello");
  EXPECT_EQ(S.Read(Buf, 8), 0) << "reading past the end moves nothing";
  EXPECT_EQ(S.Seek(-2, TSeekOrigin::End), 3);
}

TEST(MemoryStream, ShortTransfersRaiseTheirMessages) {
  TMemoryStream S;
  S.WriteString("ab");
  S.SetPosition(0);
  char Buf[4];
  try {
    S.ReadBuffer(Buf, 3);
    FAIL() << "no error";
  } catch (const EReadError& E) {
    EXPECT_STREQ(E.what(), "Stream read error");
  }
}

TEST(Stream, CopyFromWholeSourceInChunks) {
  for (int64_t Size : {0, 1, 0xF000, 0xF001, 3 * 0xF000 + 7}) {
    TTrickleStream Source(0x10000);
    std::string Data(static_cast<size_t>(Size), '\0');
    for (size_t I = 0; I < Data.size(); ++I) Data[I] = static_cast<char>(I * 31);
    Source.WriteString(Data);
    TMemoryStream Dest;
    EXPECT_EQ(Dest.CopyFrom(Source, 0), Size);
    EXPECT_EQ(Dest.ToString(), Data) << Size;
  }
}

TEST(Stream, CopyFromShortReadFails) {
  TTrickleStream Source(7);  // a source that gives fewer bytes than asked
  Source.WriteString(std::string(100, 'x'));
  TMemoryStream Dest;
  EXPECT_THROW(Dest.CopyFrom(Source, 0), EReadError);
}

}  // namespace
}  // namespace halvern
