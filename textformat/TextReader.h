// TKtTextReader: reads a byte stream as records, one per line, and splits the current record into fields.
//
// Settings: Delimiter (default ";"), LineBreak ("\r\n"), Quote ("\""; empty turns quoting off),
// OpenBracket/CloseBracket (off unless both are set), TrimFields, BlankSeparated (Delimiter is then a set
// of one-byte separators) and ColumnStops (fixed-column mode when not empty; 1-based end positions).
// Change settings before SetStream or First.
//
// The reader reads through a 4096-byte buffer; a plain memory stream's own storage serves as the buffer
// instead, so its bytes are not copied before they are split. Quote and bracket state live in the reader's
// line scanner, not in the refill loop, so a quoted line break or a record of any length is read whole
// however the stream delivers its bytes. The stream is not owned; the caller frees it and detaches it with
// SetStream(nullptr). Not thread-safe.
//
// A record of a memory stream whose line holds no quote byte (the device file's records, as a rule) is
// found and split in one pass over its bytes, and its fields are kept as views into one copy of the line;
// the Fields list is filled from them only when it is asked for. Every other record takes the general
// path, which gives the same fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/Persistent.h"
#include "rtl/StringList.h"
#include "textformat/DelimScanner.h"

namespace halvern {

class TStream;
class TMemoryStream;

class TKtTextReader : public TPersistent {
 public:
  static constexpr int32_t DefaultBufSize = 4096;

  TKtTextReader();
  ~TKtTextReader() override;
  TKtTextReader(const TKtTextReader&) = delete;
  TKtTextReader& operator=(const TKtTextReader&) = delete;

  const char* ClassName() const noexcept override { return "TKtTextReader"; }
  // Copies ColumnStops, Quote, LineBreak, Delimiter, the brackets and TrimFields to another reader.
  void CopySettingsTo(TPersistent& Dest) const override;

  const std::vector<int32_t>& ColumnStops() const noexcept { return FColumnStops; }
  void SetColumnStops(std::vector<int32_t> Stops) { FColumnStops = std::move(Stops); }
  const std::string& Quote() const noexcept { return FQuote; }
  void SetQuote(std::string_view Value);
  const std::string& LineBreak() const noexcept { return FLineBreak; }
  void SetLineBreak(std::string_view Value);
  const std::string& Delimiter() const noexcept { return FDelimiter; }
  void SetDelimiter(std::string_view Value);
  const std::string& OpenBracket() const noexcept { return FOpenBracket; }
  void SetOpenBracket(std::string_view Value);
  const std::string& CloseBracket() const noexcept { return FCloseBracket; }
  void SetCloseBracket(std::string_view Value);
  // Whether a tripled quote inside a quoted section at depth 0 stands for one quote (the default, as the
  // writer escapes one) or the next quote closes the section wherever it is (textformat/DelimScanner.h).
  void SetTripledQuoteEscape(bool Value);
  bool TrimFields() const noexcept { return FTrimFields; }
  void SetTrimFields(bool Value) noexcept { FTrimFields = Value; }
  bool BlankSeparated() const noexcept { return FBlankSeparated; }
  void SetBlankSeparated(bool Value);
  int32_t BufSize() const noexcept { return static_cast<int32_t>(FBufSize); }

  TStream* Stream() const noexcept { return FStream; }
  // Stores Stream (nullptr detaches) and reads its first record.
  void SetStream(TStream* Stream);

  // Rewinds the stream to byte 0 and reads the first record.
  void First();
  // Reads the next record; ask Eof afterwards.
  void Next();
  // True without a stream, or once the data is used up and the record just read has no fields.
  bool Eof() const {
    if (FStream == nullptr) return true;
    if (FFieldCount != 0 || FBufPos != FBufEnd) return false;
    return SourceExhausted();
  }

  // The field at Index, or "" at or beyond the field count; a negative index raises EStringListError.
  std::string GetField(int32_t Index) const { return std::string(FieldView(Index)); }
  // The same field without a copy: valid until the reader reads another record or is reset.
  std::string_view FieldView(int32_t Index) const {
    if (static_cast<uint32_t>(Index) < FFieldCount) return FViews[static_cast<size_t>(Index)];
    if (Index < 0) TStringList::IndexError(Index);
    return {};
  }
  int32_t FieldCount() const noexcept { return static_cast<int32_t>(FFieldCount); }
  // The current record's fields as a list (filled on the first call after a record split in one pass).
  const TStringList& Fields() const;

 protected:
  // Given the text between the brackets of a bracketed field; returns the field's value. The plain
  // reader returns it unchanged.
  virtual std::string_view Unbracket(std::string_view Inner) const { return Inner; }

 private:
  void PrepareScanners();
  void FillBuffer();
  // FillBuffer over a plain memory stream: the view takes in every byte from the stream's position on.
  void FillFromMemory();
  void SkipLineBreak();
  bool SourceExhausted() const;
  // The raw text of the next record; BreakFollows tells whether a line break ends it in the buffer.
  std::string_view ReadLine(bool& BreakFollows);
  void ReadRecord();
  // The one-pass path: false, with nothing changed, when the next record is not a plain line of a
  // memory stream followed by a line break; the general path then reads it.
  bool ReadPlainRecord();
  // Room for at least Need bytes of the one-pass record's copy, keeping its bytes and the first Count
  // views into it; returns the copy. Raises std::bad_alloc.
  char* GrowRecordCopy(size_t Need, size_t Count);
  // More views; returns them. Raises std::bad_alloc.
  std::string_view* GrowViews();
  // The general path's fields, in FFields, become the current record's.
  void PublishFields();
  // The stream's storage moves when the stream grows: positions stay, the view follows.
  void FollowStorage() noexcept;
  // Plain: the line holds no quote or bracket byte, so fields end at every delimiter.
  void SplitDelimited(std::string_view Line, bool Plain);
  void SplitFixed(std::string_view Line);
  const char* SkipSeparator(const char* P, const char* End) const;
  // MayHoldQuote false: the scanner met no quote byte in Raw, so there is nothing to unquote.
  void AddField(std::string_view Raw, bool MayHoldQuote = true);
  void AddFixedField(std::string_view Raw);

  std::vector<int32_t> FColumnStops;
  // The general path's fields; behind the current record's (FFieldsStale) after a one-pass record.
  mutable TStringList FFields;
  mutable bool FFieldsStale = false;
  TStream* FStream = nullptr;
  std::string FQuote;
  std::string FLineBreak;
  std::string FDelimiter;
  std::unique_ptr<char[]> FBuffer;
  TMemoryStream* FMemory = nullptr;  // FStream, when it is a plain memory stream
  const char* FView;                 // the bytes FBufPos and FBufEnd count in: FBuffer or FMemory's storage
  size_t FBufPos = 0;                // first byte not yet consumed
  size_t FBufEnd = 0;                // one past the last valid byte
  size_t FBufSize = DefaultBufSize;
  std::string FOpenBracket;
  std::string FCloseBracket;
  bool FTrimFields = false;
  bool FBlankSeparated = false;
  bool FTripledQuoteEscape = true;

  bool FSourceDone = false;  // a read returned nothing: no more bytes will come
  bool FScannersDirty = true;
  bool FLineBreakBytes[256] = {};
  TDelimScanner FLineScanner;   // finds the line break
  TDelimScanner FFieldScanner;  // finds the field delimiter within a line
  std::string FLine;            // a record assembled from more than one buffer load

  // The current record's fields: views into FFields, or into FRecordCopy after a one-pass record.
  std::vector<std::string_view> FViews;
  size_t FFieldCount = 0;
  // The line of a one-pass record, copied as it is scanned, in blocks: FRecordRoom is a multiple of one.
  std::unique_ptr<char[]> FRecordCopy;
  size_t FRecordRoom = 0;
  // The one-pass path: its settings allow it, and the bytes it looks for (delimiter, first byte of the
  // line break, first byte of the quote or the delimiter again), all distinct, each also repeated across
  // a block.
  bool FPlainLines = false;
  char FPlainBytes[3] = {};
  alignas(16) char FPlainRows[3][16] = {};
};

}  // namespace halvern
