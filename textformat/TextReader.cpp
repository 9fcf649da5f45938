#include "textformat/TextReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/CodePage.h"
#include "rtl/Stream.h"
#include "textformat/Blanks.h"
#include "textformat/KtStrProc.h"

namespace halvern {

namespace {

bool StartsWith(std::string_view S, std::string_view P) noexcept {
  return S.substr(0, P.size()) == P;
}
bool EndsWith(std::string_view S, std::string_view P) noexcept {
  return S.size() >= P.size() && S.substr(S.size() - P.size()) == P;
}

// The bytes a one-pass record looks at, found a block at a time: a bit for each of the block's bytes that
// is one of the three, the block being copied on the way. Sixteen bytes at once with SSE2; nothing is read
// at or past the end of the data, so the last block of the data may be short.
class TPlainFinder {
 public:
  static constexpr size_t kBlock = 16;

  TPlainFinder(const char (&Rows)[3][kBlock], const char (&Bytes)[3]) noexcept : FBytes(Bytes) {
#if defined(__SSE2__)
    for (int I = 0; I < 3; ++I) FRows[I] = _mm_load_si128(reinterpret_cast<const __m128i*>(Rows[I]));
#else
    (void)Rows;
#endif
  }

  // The block of the N bytes left at P (N > 0), copied to To, which has room for a whole block.
  unsigned Scan(const char* P, size_t N, char* To) const noexcept {
#if defined(__SSE2__)
    if (N >= kBlock) {
      const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(To), B);
      const __m128i Any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(B, FRows[0]), _mm_cmpeq_epi8(B, FRows[1])),
                                       _mm_cmpeq_epi8(B, FRows[2]));
      return static_cast<unsigned>(_mm_movemask_epi8(Any));
    }
#endif
    N = std::min(N, kBlock);
    unsigned Mask = 0;
    for (size_t I = 0; I < N; ++I) {
      To[I] = P[I];
      if (P[I] == FBytes[0] || P[I] == FBytes[1] || P[I] == FBytes[2]) Mask |= 1u << I;
    }
    return Mask;
  }

 private:
  const char (&FBytes)[3];
#if defined(__SSE2__)
  __m128i FRows[3];
#endif
};

}  // namespace

TKtTextReader::TKtTextReader() : FBuffer(new char[DefaultBufSize]), FView(FBuffer.get()) {
  SetQuote("\"");
  SetDelimiter(";");
  SetLineBreak("\r\n");
}

TKtTextReader::~TKtTextReader() = default;

void TKtTextReader::CopySettingsTo(TPersistent& Dest) const {
  auto* Reader = dynamic_cast<TKtTextReader*>(&Dest);
  if (Reader == nullptr) AssignError(Dest);
  if (Reader == this) return;
  Reader->FColumnStops = FColumnStops;
  Reader->SetQuote(FQuote);
  Reader->SetLineBreak(FLineBreak);
  Reader->SetDelimiter(FDelimiter);
  Reader->SetCloseBracket(FCloseBracket);
  Reader->SetOpenBracket(FOpenBracket);
  Reader->SetTrimFields(FTrimFields);
}

void TKtTextReader::SetQuote(std::string_view Value) {
  FQuote.assign(Value);
  FScannersDirty = true;
}
void TKtTextReader::SetLineBreak(std::string_view Value) {
  FLineBreak.assign(Value);
  FScannersDirty = true;
}
void TKtTextReader::SetDelimiter(std::string_view Value) {
  FDelimiter.assign(Value);
  FScannersDirty = true;
}
void TKtTextReader::SetOpenBracket(std::string_view Value) {
  FOpenBracket.assign(Value);
  FScannersDirty = true;
}
void TKtTextReader::SetCloseBracket(std::string_view Value) {
  FCloseBracket.assign(Value);
  FScannersDirty = true;
}
void TKtTextReader::SetBlankSeparated(bool Value) {
  FBlankSeparated = Value;
  FScannersDirty = true;
}

void TKtTextReader::SetTripledQuoteEscape(bool Value) {
  FTripledQuoteEscape = Value;
  FScannersDirty = true;
}

void TKtTextReader::PrepareScanners() {
  if (!FScannersDirty) return;
  // Without a quote the line break is a plain string search: brackets are ignored as well.
  if (FQuote.empty()) {
    FLineScanner.Configure(FLineBreak, false, {}, {}, {});
  } else {
    FLineScanner.Configure(FLineBreak, false, FQuote, FOpenBracket, FCloseBracket);
  }
  if (FBlankSeparated) {
    FFieldScanner.Configure(FDelimiter, true, FQuote, FOpenBracket, FCloseBracket);
  } else if (FQuote.empty()) {
    FFieldScanner.Configure(FDelimiter, false, {}, {}, {});
  } else {
    FFieldScanner.Configure(FDelimiter, false, FQuote, FOpenBracket, FCloseBracket);
  }
  FLineScanner.SetTripledEscape(FTripledQuoteEscape);
  FFieldScanner.SetTripledEscape(FTripledQuoteEscape);
  std::fill(std::begin(FLineBreakBytes), std::end(FLineBreakBytes), false);
  for (char C : FLineBreak) FLineBreakBytes[static_cast<uint8_t>(C)] = true;

  // One pass finds a record's line break and delimiters when a delimiter is one byte found as it is, a
  // line break one or two bytes, and only a quote byte could change where either counts.
  const bool Brackets = !FOpenBracket.empty() && !FCloseBracket.empty();
  FPlainLines = !FBlankSeparated && !Brackets && FDelimiter.size() == 1 &&
                (FLineBreak.size() == 1 || FLineBreak.size() == 2);
  if (FPlainLines) {
    FPlainBytes[0] = FDelimiter[0];
    FPlainBytes[1] = FLineBreak[0];
    FPlainBytes[2] = FQuote.empty() ? FDelimiter[0] : FQuote[0];
    FPlainLines = FPlainBytes[1] != FPlainBytes[0] && FPlainBytes[2] != FPlainBytes[1] &&
                  (FQuote.empty() || FPlainBytes[2] != FPlainBytes[0]);
    for (int I = 0; I < 3; ++I) std::memset(FPlainRows[I], FPlainBytes[I], sizeof FPlainRows[I]);
  }

  // The buffer must hold what one scanner decision looks at, or a long line break could never be seen.
  const size_t Needed = std::max<size_t>(DefaultBufSize, 2 * FLineScanner.Lookahead());
  if (Needed > FBufSize) {
    std::unique_ptr<char[]> Bigger(new char[Needed]);
    if (FMemory == nullptr) {
      std::memcpy(Bigger.get(), FBuffer.get() + FBufPos, FBufEnd - FBufPos);
      FBufEnd -= FBufPos;
      FBufPos = 0;
      FView = Bigger.get();
    }
    FBuffer = std::move(Bigger);
    FBufSize = Needed;
  }
  FScannersDirty = false;
}

void TKtTextReader::SetStream(TStream* Stream) {
  FStream = Stream;
  FMemory =
      Stream != nullptr && TMemoryStream::IsPlain(*Stream) ? static_cast<TMemoryStream*>(Stream) : nullptr;
  if (FMemory == nullptr) FView = FBuffer.get();
  First();
}

void TKtTextReader::First() {
  if (FStream != nullptr) FStream->SetPosition(0);
  FBufPos = FBufEnd;
  FSourceDone = false;
  ReadRecord();
}

void TKtTextReader::Next() {
  ReadRecord();
}

bool TKtTextReader::SourceExhausted() const {
  if (FStream == nullptr || FSourceDone) return true;
  return FStream->GetPosition() >= FStream->GetSize();
}

void TKtTextReader::FillBuffer() {
  if (FMemory != nullptr) {
    FillFromMemory();
    return;
  }
  const size_t N = FBufEnd - FBufPos;
  if (N > 0 && FBufPos > 0) std::memmove(FBuffer.get(), FBuffer.get() + FBufPos, N);
  FBufPos = 0;
  FBufEnd = N;
  if (FStream != nullptr && FBufEnd < FBufSize) {
    const auto Room = static_cast<int32_t>(FBufSize - FBufEnd);
    const int32_t Got = FStream->Read(FBuffer.get() + FBufEnd, Room);
    if (Got > 0) {
      FBufEnd += static_cast<size_t>(std::min(Got, Room));
    } else {
      // A stream that gives nothing now gives nothing later: treat it as exhausted, never wait on it.
      FSourceDone = true;
    }
  }
}

void TKtTextReader::FillFromMemory() {
  // The view is the stream's storage, in stream positions; what was read stays where it is, so only the
  // end moves, over whatever the stream holds beyond its position.
  const int64_t Pos = FMemory->Position();
  const int64_t Size = FMemory->Size();
  if (Pos < 0 || Pos >= Size) {
    FSourceDone = true;
    if (FBufPos != FBufEnd) {
      FView = FMemory->Data();  // bytes not yet consumed stay in view
    } else {
      FBufPos = FBufEnd = 0;
      FView = FBuffer.get();
    }
    return;
  }
  FView = FMemory->Data();
  if (FBufPos == FBufEnd || static_cast<int64_t>(FBufEnd) != Pos)
    FBufPos = FBufEnd = static_cast<size_t>(Pos);
  FBufEnd = static_cast<size_t>(Size);
  FMemory->Seek(Size - Pos, TSeekOrigin::Current);
}

void TKtTextReader::SkipLineBreak() {
  const size_t L = FLineBreak.size();
  if (L == 0) return;
  if (FBufEnd - FBufPos < L) FillBuffer();
  const size_t Have = FBufEnd - FBufPos;
  const char* const P = FView + FBufPos;
  const size_t N = std::min(Have, L);
  for (size_t I = 0; I < N; ++I) {
    if (P[I] != FLineBreak[I]) return;
  }
  // All of the line break, or at the end of data its beginning: consume it.
  FBufPos += N;
}

std::string_view TKtTextReader::ReadLine(bool& BreakFollows) {
  BreakFollows = false;
  FLine.clear();
  if (FStream == nullptr) return {};
  FLineScanner.Reset();
  if (FBufPos == FBufEnd) FillBuffer();
  // Offset from FBufPos at which the scanner resumes; the bytes before it are decided.
  size_t ScanOffset = 0;
  for (;;) {
    const char* const Buf = FView;
    // Most lines end inside the buffer: only ask the stream whether more is coming when this one does not.
    TDelimScanner::TResult R = FLineScanner.Scan(Buf + FBufPos + ScanOffset, Buf + FBufEnd, false);
    const bool Final = !R.Found && SourceExhausted();
    if (Final) R = FLineScanner.Scan(R.Pos, Buf + FBufEnd, true);
    const auto Stop = static_cast<size_t>(R.Pos - Buf);
    if (R.Found) {
      BreakFollows = true;
      const size_t Start = FBufPos;
      FBufPos = Stop;
      if (FLine.empty()) return std::string_view(Buf + Start, Stop - Start);
      FLine.append(Buf + Start, Stop - Start);
      return FLine;
    }
    if (Final) {
      // No line break before the end of data. Line-break bytes left at the very end are the remains of an
      // incomplete line break, not data.
      std::string_view Rest(Buf + FBufPos, FBufEnd - FBufPos);
      FBufPos = FBufEnd;
      std::string_view Line = Rest;
      if (!FLine.empty()) {
        FLine.append(Rest);
        Line = FLine;
      }
      while (!Line.empty() && FLineBreakBytes[static_cast<uint8_t>(Line.back())]) Line.remove_suffix(1);
      return Line;
    }
    size_t Decided = Stop;
    if (FBufEnd - FBufPos == FBufSize) {
      // The record is longer than the buffer: move its decided bytes out to make room. The scanner
      // always decides at least one byte of a full buffer; should it not, take everything rather than stall.
      if (Decided == FBufPos) Decided = FBufEnd;
      FLine.append(Buf + FBufPos, Decided - FBufPos);
      FBufPos = Decided;
    }
    ScanOffset = Decided - FBufPos;
    FillBuffer();
  }
}

const TStringList& TKtTextReader::Fields() const {
  if (FFieldsStale) {
    FFields.Clear();
    for (size_t I = 0; I < FFieldCount; ++I) FFields.AddEmpty().append(FViews[I]);
    FFieldsStale = false;
  }
  return FFields;
}

void TKtTextReader::PublishFields() {
  const auto Count = static_cast<size_t>(FFields.Count());
  if (FViews.size() < Count) FViews.resize(Count);
  for (size_t I = 0; I < Count; ++I) FViews[I] = FFields.Get(static_cast<int32_t>(I));
  FFieldCount = Count;
  FFieldsStale = false;
}

void TKtTextReader::FollowStorage() noexcept {
  if (FMemory == nullptr || FView == FBuffer.get()) return;
  const auto Size = static_cast<size_t>(std::max<int64_t>(FMemory->Size(), 0));
  if (FView == FMemory->Data() && FBufEnd <= Size) return;
  FView = FMemory->Data();
  // A stream cut shorter takes the bytes beyond its end with it.
  FBufEnd = std::min(FBufEnd, Size);
  FBufPos = std::min(FBufPos, FBufEnd);
  if (FView == nullptr) {
    FView = FBuffer.get();
    FBufPos = FBufEnd = 0;
  }
}

std::string_view* TKtTextReader::GrowViews() {
  FViews.resize(std::max<size_t>(8, 2 * FViews.size()));
  return FViews.data();
}

char* TKtTextReader::GrowRecordCopy(size_t Need, size_t Count) {
  constexpr size_t Block = TPlainFinder::kBlock;
  const size_t Room = std::max({Need, 2 * FRecordRoom, size_t{256}}) / Block * Block + Block;
  std::unique_ptr<char[]> Bigger(new char[Room]);
  const char* const Old = FRecordCopy.get();
  if (FRecordRoom != 0) std::memcpy(Bigger.get(), Old, FRecordRoom);
  for (size_t I = 0; I < Count; ++I)
    FViews[I] = std::string_view(Bigger.get() + (FViews[I].data() - Old), FViews[I].size());
  FRecordCopy = std::move(Bigger);
  FRecordRoom = Room;
  return FRecordCopy.get();
}

bool TKtTextReader::ReadPlainRecord() {
  constexpr size_t Block = TPlainFinder::kBlock;
  if (FBufPos == FBufEnd) FillBuffer();
  // Used up, the view has gone back to the reader's own buffer: the general path ends the data.
  if (FView == FBuffer.get()) return false;
  // Until the record is complete it has no fields, whatever happens on the way (running out of memory).
  FFieldCount = 0;
  FFieldsStale = true;
  const char* const Start = FView + FBufPos;
  const size_t Left = FBufEnd - FBufPos;  // bytes to the end of the data
  const TPlainFinder Finder(FPlainRows, FPlainBytes);
  const char Delimiter = FPlainBytes[0];
  const char Lead = FPlainBytes[1];
  const bool TwoByteBreak = FLineBreak.size() == 2;
  const char Second = TwoByteBreak ? FLineBreak[1] : 0;
  // The fields are views into the reader's copy of the line, so that they outlast changes to the stream.
  char* Copy = FRecordCopy.get();
  std::string_view* Views = FViews.data();
  size_t ViewRoom = FViews.size();
  size_t Count = 0;
  size_t FieldStart = 0;  // offsets into the line
  size_t LineEnd = 0;
  for (size_t Offset = 0;; Offset += Block) {
    // No line break before the end of data: the general path knows what the last line's tail means.
    if (Offset >= Left) return false;
    if (Offset + Block > FRecordRoom) Copy = GrowRecordCopy(Offset + Block, Count);
    unsigned Hits = Finder.Scan(Start + Offset, Left - Offset, Copy + Offset);
    for (; Hits != 0; Hits &= Hits - 1) {
      const size_t At = Offset + static_cast<size_t>(std::countr_zero(Hits));
      if (Start[At] == Delimiter) {
        if (Count == ViewRoom) {
          Views = GrowViews();
          ViewRoom = FViews.size();
        }
        Views[Count++] = std::string_view(Copy + FieldStart, At - FieldStart);
        FieldStart = At + 1;
        continue;
      }
      if (Start[At] != Lead) return false;  // a quote byte: quoting rules apply
      if (!TwoByteBreak || (At + 1 < Left && Start[At + 1] == Second)) break;
      // The line break's first byte alone is data.
    }
    if (Hits != 0) {
      LineEnd = Offset + static_cast<size_t>(std::countr_zero(Hits));
      break;
    }
  }
  // A field after the last delimiter counts when it holds something, as in the general split.
  if (FieldStart < LineEnd) {
    if (Count == ViewRoom) Views = GrowViews();
    Views[Count++] = std::string_view(Copy + FieldStart, LineEnd - FieldStart);
  }
  FFieldCount = Count;
  FBufPos += LineEnd + FLineBreak.size();
  return true;
}

void TKtTextReader::ReadRecord() {
  PrepareScanners();
  FollowStorage();
  if (FPlainLines && FMemory != nullptr && FColumnStops.empty() && !FTrimFields && ReadPlainRecord()) return;
  FFields.Clear();
  FFieldCount = 0;
  bool BreakFollows = false;
  const std::string_view Line = ReadLine(BreakFollows);
  if (!FColumnStops.empty()) {
    // Fixed columns give every line its fields, even an empty one; once the data is used up there is
    // no line, and no fields, or Eof would never come.
    if (!Line.empty() || BreakFollows) SplitFixed(Line);
  } else {
    // The line scan met every quote and bracket byte before the line break; without any, the field
    // search needs no quote or bracket rules.
    const bool Plain = !FBlankSeparated && (FQuote.empty() || !FLineScanner.SawQuoteOrBracket());
    SplitDelimited(Line, Plain);
  }
  // Only now: skipping may refill the buffer, which the line may point into.
  if (BreakFollows) SkipLineBreak();
  PublishFields();
}

const char* TKtTextReader::SkipSeparator(const char* P, const char* End) const {
  if (!FBlankSeparated) {
    const size_t DL = FDelimiter.size();
    if (static_cast<size_t>(End - P) < DL) return P;
    for (size_t I = 0; I < DL; ++I) {
      if (P[I] != FDelimiter[I]) return P;
    }
    return P + DL;
  }
  while (P < End && IsBlank(*P)) ++P;
  if (P < End && FDelimiter.find(*P) != std::string::npos) ++P;
  return P;
}

void TKtTextReader::SplitDelimited(std::string_view Line, bool Plain) {
  const char* P = Line.data();
  const char* const End = P + Line.size();
  if (Plain && FDelimiter.size() == 1) {
    // Without trimming or brackets a field is its bytes as they are.
    const bool AsIs = !FTrimFields && (FOpenBracket.empty() || FCloseBracket.empty());
    while (P < End) {
      const auto* Q = static_cast<const char*>(std::memchr(P, FDelimiter[0], static_cast<size_t>(End - P)));
      const char* const FieldEnd = Q == nullptr ? End : Q;
      if (AsIs) {
        // The slot has just been emptied: appending is the cheapest way to fill it.
        FFields.AddEmpty().append(P, static_cast<size_t>(FieldEnd - P));
      } else {
        AddField(std::string_view(P, static_cast<size_t>(FieldEnd - P)), false);
      }
      if (Q == nullptr) return;
      P = Q + 1;
    }
    return;
  }
  if (FBlankSeparated) P = SkipSeparator(P, End);
  while (P < End) {
    FFieldScanner.Reset();
    const TDelimScanner::TResult R = FFieldScanner.Scan(P, End, true);
    if (!R.Found) {
      AddField(std::string_view(P, static_cast<size_t>(End - P)), FFieldScanner.SawQuote());
      return;
    }
    AddField(std::string_view(P, static_cast<size_t>(R.Pos - P)), FFieldScanner.SawQuote());
    P = SkipSeparator(R.Pos, End);
  }
}

void TKtTextReader::AddField(std::string_view Raw, bool MayHoldQuote) {
  std::string_view S = FTrimFields ? TrimBlanks(Raw) : Raw;
  std::string& Slot = FFields.AddEmpty();
  const size_t OL = FOpenBracket.size();
  const size_t CL = FCloseBracket.size();
  if (OL > 0 && CL > 0 && StartsWith(S, FOpenBracket) && EndsWith(S, FCloseBracket)) {
    const std::string_view Inner =
        S.size() >= OL + CL ? S.substr(OL, S.size() - OL - CL) : std::string_view();
    Slot.assign(Unbracket(Inner));
  } else if (MayHoldQuote && !FQuote.empty() && !S.empty() &&
             std::memchr(S.data(), FQuote[0], S.size()) != nullptr) {
    Slot = UnquoteStr(S, FQuote);
  } else {
    Slot.assign(S);
  }
}

void TKtTextReader::AddFixedField(std::string_view Raw) {
  FFields.Add(FTrimFields ? TrimBlanks(Raw) : Raw);
}

void TKtTextReader::SplitFixed(std::string_view Line) {
  const auto Len = static_cast<int64_t>(Line.size());
  // Character starts: a stop must not fall between the two bytes of a double-byte character. Walking
  // from the line start tells a lead byte from a trail byte of the same value.
  std::vector<bool> LeadAt(Line.size() + 2, false);
  for (int64_t I = 1; I <= Len;) {
    if (platform::IsLeadByte(static_cast<uint8_t>(Line[static_cast<size_t>(I - 1)]))) {
      LeadAt[static_cast<size_t>(I)] = true;
      I += 2;
    } else {
      ++I;
    }
  }
  // Delphi-style copy of bytes [From, To) (1-based), clipped to the line.
  auto Copy = [&](int64_t From, int64_t To) {
    From = std::max<int64_t>(From, 1);
    To = std::min<int64_t>(To, Len + 1);
    if (To <= From) return std::string_view();
    return Line.substr(static_cast<size_t>(From - 1), static_cast<size_t>(To - From));
  };
  int64_t Start = 1;
  for (int32_t Stop : FColumnStops) {
    int64_t End = static_cast<int64_t>(Stop) + 1;
    if (Stop >= 1 && Stop <= Len && LeadAt[static_cast<size_t>(Stop)]) End = Stop;
    AddFixedField(Copy(Start, End));
    Start = End;
  }
  AddFixedField(Copy(Start, Len + 1));
}

}  // namespace halvern
