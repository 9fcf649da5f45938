#include "textformat/TextWriter.h"

#include <algorithm>

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

bool TKtTextWriter::IsPlain(std::string_view S) const {
  for (char C : S) {
    if (FSpecialByte[static_cast<uint8_t>(C)]) return false;
  }
  // Without any of those bytes the settings' own rules leave S as it is; a subclass may still want it
  // enclosed, and FormatField would then change it.
  return !FCustomEnclosing || !PlainNeedsEnclosing(S);
}

void TKtTextWriter::SetField(int32_t Index, std::string_view Value) {
  if (Index >= FFields.Count()) SetFieldCount(Index + 1);
  FFields.Put(Index, Value);
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

void TKtTextWriter::WriteRecord() {
  if (FStream == nullptr) throw EWriteError(SWriteError);
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
