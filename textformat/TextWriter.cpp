#include "textformat/TextWriter.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "rtl/Exceptions.h"
#include "rtl/Stream.h"
#include "textformat/KtStrProc.h"

namespace halvern {

namespace {

bool Contains(std::string_view S, std::string_view Part) noexcept {
  return !Part.empty() && S.find(Part) != std::string_view::npos;
}

}  // namespace

TKtTextWriter::TKtTextWriter() {
  SetLineBreak("\r\n");
  SetDelimiter(",");
  SetQuote("\"");
}

TKtTextWriter::~TKtTextWriter() = default;

void TKtTextWriter::CopySettingsTo(TPersistent& Dest) const {
  auto* Writer = dynamic_cast<TKtTextWriter*>(&Dest);
  if (Writer == nullptr) AssignError(Dest);
  if (Writer == this) return;
  Writer->SetFixedWidth(FFixedWidth);
  Writer->SetQuote(FQuote);
  Writer->SetLineBreak(FLineBreak);
  Writer->SetDelimiter(FDelimiter);
  Writer->SetCloseBracket(FCloseBracket);
  Writer->SetOpenBracket(FOpenBracket);
}

void TKtTextWriter::SetLineBreak(std::string_view Value) {
  FLineBreak.assign(Value);
  SettingsChanged();
}
void TKtTextWriter::SetDelimiter(std::string_view Value) {
  FDelimiter.assign(Value);
  SettingsChanged();
}
void TKtTextWriter::SetQuote(std::string_view Value) {
  FQuote.assign(Value);
  SettingsChanged();
}
void TKtTextWriter::SetOpenBracket(std::string_view Value) {
  FOpenBracket.assign(Value);
  SettingsChanged();
}
void TKtTextWriter::SetCloseBracket(std::string_view Value) {
  FCloseBracket.assign(Value);
  SettingsChanged();
}

void TKtTextWriter::SettingsChanged() {
  FSpecial.Clear();
  for (const std::string* S : {&FLineBreak, &FDelimiter, &FQuote, &FOpenBracket, &FCloseBracket}) {
    if (!S->empty()) FSpecial.Add(static_cast<uint8_t>((*S)[0]));
  }
  FSpecial.Add(static_cast<uint8_t>(' '));
  for (char C : FAskBytes) FSpecial.Add(static_cast<uint8_t>(C));
}

void TKtTextWriter::SetCustomEnclosing() noexcept {
  FCustomEnclosing = true;
  FAskAnyValue = true;
}

void TKtTextWriter::SetCustomEnclosing(std::string_view Bytes, bool Empty) {
  FCustomEnclosing = true;
  FAskEmpty = Empty;
  FAskBytes.assign(Bytes);
  SettingsChanged();
}

void TKtTextWriter::SetStream(TStream* Stream) noexcept {
  FStream = Stream;
  FMemory =
      Stream != nullptr && TMemoryStream::IsPlain(*Stream) ? static_cast<TMemoryStream*>(Stream) : nullptr;
}

bool TKtTextWriter::IsPlain(std::string_view S) const {
  return !FSpecial.AnyIn(S) && !SubclassEncloses(S);
}

bool TKtTextWriter::NeedsEnclosing(std::string_view S) const {
  return Contains(S, FDelimiter) || Contains(S, FLineBreak) || Contains(S, FOpenBracket) ||
         Contains(S, FCloseBracket);
}

std::string TKtTextWriter::FormatField(int32_t I) const {
  std::string S;
  if (I >= 0 && I < FValues.Count()) {
    S = FValues.Get(I);
  } else if (FSkipEmpty) {
    return S;
  }
  if (FFixedWidth > 0) {
    if (S.size() > static_cast<size_t>(FFixedWidth)) {
      S.resize(static_cast<size_t>(FFixedWidth));
    } else {
      S = PadRight(S, ' ', FFixedWidth);
    }
    return S;
  }
  const bool Brackets = !FOpenBracket.empty() && !FCloseBracket.empty();
  if (!FQuote.empty() || Brackets) {
    const bool Special = NeedsEnclosing(S);
    if (Special && Brackets && (FQuote.empty() || CanBracket(S))) {
      S = FOpenBracket + S + FCloseBracket;
    } else if (!FQuote.empty() && (Special || Contains(S, FQuote) || S.find(' ') != std::string::npos)) {
      S = QuoteStr(S, FQuote);
    }
  }
  return S;
}

void TKtTextWriter::WriteStr(std::string_view S) {
  // A short write would cut the record silently; the stream's write error reports it instead.
  FStream->WriteBuffer(S.data(), static_cast<int32_t>(S.size()));
}

namespace {

// The delimiter and the line break, a byte or two as a rule: not worth a call to memcpy.
void Copy(char*& P, std::string_view S) noexcept {
  if (S.size() <= 2) {
    for (char C : S) *P++ = C;
    return;
  }
  std::memcpy(P, S.data(), S.size());
  P += S.size();
}

// Copies N (> 0) bytes in blocks of TRecordValues::kSlack: up to that many bytes past From + N are read
// and past To + N written (with garbage). A value of a record is a block or two, which this copies without a
// call or a loop of varying length.
void CopyBlocks(char*& P, const char* From, size_t N) noexcept {
  constexpr size_t kBlock = TRecordValues::kSlack;
  char* To = P;
  P += N;
  for (;;) {
    char Block[kBlock];
    std::memcpy(Block, From, kBlock);
    std::memcpy(To, Block, kBlock);
    if (N <= kBlock) return;
    N -= kBlock;
    From += kBlock;
    To += kBlock;
  }
}

}  // namespace

bool TKtTextWriter::WritePlainRecord() {
  // The record the general path below would build, put together in the stream's storage. Only committed
  // when every value is plain; the bytes left behind otherwise lie beyond the data. Over existing data
  // (after a seek back) they would not, so that is left to the general path.
  if (FMemory->Position() < FMemory->Size()) return false;
  // The values' bytes are screened for special ones all at once: they lie together, as a rule with
  // nothing between them. A hit, even in bytes a value set again left behind, or one the screen cannot
  // tell from a special byte, only sends the record to the general path, which writes the same bytes.
  static_assert(TRecordValues::kSlack >= TByteSet::kSlack);
  if (FSpecial.Screen().MayHold(FValues.Bytes(), FValues.Used())) return false;
  // Everything the copy loop needs is read into locals first: the bytes it stores could alias any member.
  const size_t Count = static_cast<size_t>(FValues.Count());
  const TRecordValues::TSpan* const Spans = FValues.Spans();
  const char* const Bytes = FValues.Bytes();
  const std::string_view Delimiter = FDelimiter;
  const bool SkipEmpty = FSkipEmpty;
  const bool Separated = FMemory->Position() != 0;
  // Room for the most the record can take, every byte in use with a delimiter after each value, so that
  // it is built in one pass; only what it does take is committed.
  // Overflow is tested without a division: this runs once per record.
  constexpr size_t kLimit = static_cast<size_t>(INT32_MAX) - TRecordValues::kSlack;
  size_t Bound = 0;
  if (__builtin_mul_overflow(Count, Delimiter.size(), &Bound) ||
      __builtin_add_overflow(Bound, FValues.Used() + (Separated ? FLineBreak.size() : 0), &Bound) ||
      Bound > kLimit)
    return false;
  // Values are copied in whole blocks: the room reaches a block past the record, and the values' buffer
  // is readable as far.
  char* const Start = FMemory->Room(static_cast<int64_t>(Bound + TRecordValues::kSlack));
  if (Start == nullptr) return false;  // a position the stream cannot write at: the general path reports it
  // The image grows into memory not yet in the cache: ask for the lines a few records ahead now, so that
  // later records do not wait for them.
  __builtin_prefetch(Start + 512, 1);
  char* P = Start;
  if (Separated) Copy(P, FLineBreak);
  bool AnyEmpty = false;
  for (size_t I = 0; I < Count; ++I) {
    const size_t Length = Spans[I].Length;
    if (Length != 0) {
      CopyBlocks(P, Bytes + Spans[I].Start, Length);
    } else {
      AnyEmpty = true;
      if (SkipEmpty) continue;
    }
    if (I != Count - 1) Copy(P, Delimiter);
  }
  if (AnyEnclosedBySubclass(AnyEmpty)) return false;
  // An empty record changes nothing, not even the size of a stream positioned past its end.
  if (P != Start) FMemory->Commit(P - Start);
  return true;
}

bool TKtTextWriter::AskSubclass() const {
  const int32_t Count = FValues.Count();
  for (int32_t I = 0; I < Count; ++I) {
    if (SubclassEncloses(FValues.View(static_cast<size_t>(I)))) return true;
  }
  return false;
}

void TKtTextWriter::WriteFormattedRecord() {
  if (FStream == nullptr) throw EWriteError(SWriteError);
  FRecord.clear();
  if (FStream->GetPosition() != 0) Append(FLineBreak);
  const int32_t Count = FValues.Count();
  for (int32_t I = 0; I < Count; ++I) {
    const std::string_view Value = FValues.View(static_cast<size_t>(I));
    if (FFixedWidth == 0 && IsPlain(Value)) {
      if (!FSkipEmpty || !Value.empty()) {
        Append(Value);
        if (I != Count - 1) Append(FDelimiter);
      }
      continue;
    }
    const std::string T = FormatField(I);
    if (!FSkipEmpty || !T.empty()) {
      Append(T);
      if (FFixedWidth == 0 && I != Count - 1) Append(FDelimiter);
    }
  }
  WriteStr(FRecord);
}

}  // namespace halvern
