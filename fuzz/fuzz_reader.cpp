// Fuzzes the delimited text reader: every setting comes from the input, the rest is the text, read
// through a stream that hands out a few bytes at a time and in place from a plain memory stream. Checks
// that reading ends, that the result does not depend on how the stream delivers its bytes (nor on the
// path the in-place reading takes), and the basic field invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "rtl/Stream.h"
#include "textformat/TextLoader.h"

namespace {

using namespace halvern;

class TChunkedStream : public TMemoryStream {
 public:
  TChunkedStream(const std::string& Data, int32_t Step) : FStep(Step) {
    WriteString(Data);
    SetPosition(0);
  }
  int32_t Read(void* Buffer, int32_t Count) override {
    return TMemoryStream::Read(Buffer, Count < FStep ? Count : FStep);
  }

 private:
  int32_t FStep;
};

struct TInput {
  const uint8_t* P;
  size_t N;
  uint8_t Byte() {
    if (N == 0) return 0;
    --N;
    return *P++;
  }
  // A short setting string: length 0-3 from the input.
  std::string Short() {
    std::string S;
    for (int L = Byte() % 4; L > 0 && N > 0; --L) S += static_cast<char>(Byte());
    return S;
  }
};

void Configure(TKtTextReader& R, TInput& In) {
  const uint8_t Flags = In.Byte();
  R.SetDelimiter(In.Short());
  R.SetLineBreak(In.Short());
  R.SetQuote(In.Short());
  R.SetOpenBracket(In.Short());
  R.SetCloseBracket(In.Short());
  R.SetTrimFields(Flags & 1);
  R.SetBlankSeparated(Flags & 2);
  if (Flags & 4) {
    std::vector<int32_t> Stops;
    for (int I = In.Byte() % 5; I > 0; --I) Stops.push_back(static_cast<int32_t>(In.Byte() % 40) - 2);
    R.SetColumnStops(Stops);
  }
}

// Step 0: in place, from a plain memory stream.
std::vector<std::vector<std::string>> ReadAll(TKtTextReader& R, const std::string& Text, int32_t Step) {
  TChunkedStream Chunked(Text, Step);
  TMemoryStream Plain;
  Plain.WriteString(Text);
  TStream& S = Step == 0 ? static_cast<TStream&>(Plain) : Chunked;
  R.SetStream(&S);
  std::vector<std::vector<std::string>> Records;
  while (!R.Eof()) {
    // Every record consumes at least one byte, so there are never more records than bytes (plus one).
    if (Records.size() > Text.size() + 1) std::abort();
    const int32_t Count = R.Fields().Count();
    if (!R.GetField(Count).empty()) std::abort();
    Records.push_back(R.Fields().ToVector());
    R.Next();
  }
  R.SetStream(nullptr);
  return Records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TInput In{Data, Size};
  TKtTextReader R;
  Configure(R, In);
  const int32_t Step = 1 + In.Byte() % 13;
  const std::string Text(reinterpret_cast<const char*>(In.P), In.N);
  const auto Whole = ReadAll(R, Text, 0x7FFFFFFF);
  if (ReadAll(R, Text, Step) != Whole) std::abort();
  if (ReadAll(R, Text, 0) != Whole) std::abort();
  // Fields are pieces of their lines less quotes and separators, so they never hold more bytes than the
  // text (fixed columns with stops out of order may repeat bytes, so they are left out).
  if (R.ColumnStops().empty()) {
    size_t FieldBytes = 0;
    for (const auto& Record : Whole) {
      for (const std::string& F : Record) FieldBytes += F.size();
    }
    if (FieldBytes > Text.size()) std::abort();
  }
  return 0;
}
