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
  std::fill(std::begin(FSpecialByte), std::end(FSpecialByte), false);
  for (const std::string* S : {&FLineBreak, &FDelimiter, &FQuote, &FOpenBracket, &FCloseBracket}) {
    if (!S->empty()) FSpecialByte[static_cast<uint8_t>((*S)[0])] = true;
  }
  FSpecialByte[static_cast<uint8_t>(' ')] = true;
}

void TKtTextWriter::SetCustomEnclosing(std::string_view LastBytes, bool Empty, bool AnyByte) noexcept {
  FCustomEnclosing = true;
  FAskEmpty = Empty;
  FAskAnyByte = AnyByte;
  std::fill(std::begin(FAskLast), std::end(FAskLast), false);
  for (char C : LastBytes) FAskLast[static_cast<uint8_t>(C)] = true;
}

void TKtTextWriter::SetStream(TStream* Stream) noexcept {
  FStream = Stream;
  FMemory =
      Stream != nullptr && TMemoryStream::IsPlain(*Stream) ? static_cast<TMemoryStream*>(Stream) : nullptr;
}

bool TKtTextWriter::IsPlain(std::string_view S) const {
  for (char C : S) {
    if (FSpecialByte[static_cast<uint8_t>(C)]) return false;
  }
  return !SubclassEncloses(S);
}

bool TKtTextWriter::NeedsEnclosing(std::string_view S) const {
  return Contains(S, FDelimiter) || Contains(S, FLineBreak) || Contains(S, FOpenBracket) ||
         Contains(S, FCloseBracket);
}

std::string TKtTextWriter::FormatField(int32_t I) const {
  std::string S;
  if (I >= 0 && I < FFields.Count()) {
    S = FFields.Get(I);
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

// Copies S to P and tells whether any of its bytes is marked in Special. Records are a few short values:
// one pass without a call or a branch per byte beats a scan followed by memcpy.
bool CopyChecked(char*& P, std::string_view S, const bool (&Special)[256]) noexcept {
  bool Hit = false;
  char* Out = P;
  for (char C : S) {
    *Out++ = C;
    Hit |= Special[static_cast<uint8_t>(C)];
  }
  P = Out;
  return Hit;
}

// The delimiter and the line break, a byte or two as a rule: not worth a call to memcpy.
void Copy(char*& P, std::string_view S) noexcept {
  if (S.size() <= 2) {
    for (char C : S) *P++ = C;
    return;
  }
  std::memcpy(P, S.data(), S.size());
  P += S.size();
}

}  // namespace

bool TKtTextWriter::WritePlainRecord() {
  // The record the general path below would build, put together in the stream's storage. Only committed
  // when every value turns out to be plain; the bytes left behind otherwise lie beyond the data. Over
  // existing data (after a seek back) they would not, so that is left to the general path.
  if (FMemory->Position() < FMemory->Size()) return false;
  const int32_t Count = FFields.Count();
  const std::string* const Values = FFields.begin();
  const bool Separated = FMemory->Position() != 0;
  size_t Size = Separated ? FLineBreak.size() : 0;
  for (int32_t I = 0; I < Count; ++I) {
    if (FSkipEmpty && Values[I].empty()) continue;
    Size += Values[I].size();
    if (I != Count - 1) Size += FDelimiter.size();
  }
  if (Size > static_cast<size_t>(INT32_MAX)) return false;
  bool Special = false;
  if (Size != 0) {
    char* P = FMemory->Room(static_cast<int64_t>(Size));
    if (P == nullptr) return false;  // a position the stream cannot write at: the general path reports it
    if (Separated) Copy(P, FLineBreak);
    for (int32_t I = 0; I < Count; ++I) {
      if (FSkipEmpty && Values[I].empty()) continue;
      Special |= CopyChecked(P, Values[I], FSpecialByte);
      if (I != Count - 1) Copy(P, FDelimiter);
    }
  }
  if (Special) return false;
  for (int32_t I = 0; I < Count; ++I) {
    if (SubclassEncloses(Values[I])) return false;
  }
  if (Size != 0) FMemory->Commit(static_cast<int64_t>(Size));
  return true;
}

void TKtTextWriter::WriteRecord() {
  if (FStream == nullptr) throw EWriteError(SWriteError);
  if (FMemory != nullptr && FFixedWidth == 0 && WritePlainRecord()) return;
  FRecord.clear();
  if (FStream->GetPosition() != 0) Append(FLineBreak);
  const int32_t Count = FFields.Count();
  for (int32_t I = 0; I < Count; ++I) {
    const std::string& Value = FFields.Get(I);
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
