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
    if (!FFields.Empty() || FBufPos != FBufEnd) return false;
    return SourceExhausted();
  }

  // The field at Index, or "" at or beyond the field count; a negative index raises EStringListError.
  std::string GetField(int32_t Index) const {
    if (Index >= FFields.Count()) return std::string();
    return FFields.Get(Index);
  }
  // The same field without a copy: valid until the reader reads another record or is reset.
  std::string_view FieldView(int32_t Index) const {
    if (Index >= FFields.Count()) return {};
    return FFields.Get(Index);
  }
  const TStringList& Fields() const noexcept { return FFields; }

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
  // Plain: the line holds no quote or bracket byte, so fields end at every delimiter.
  void SplitDelimited(std::string_view Line, bool Plain);
  void SplitFixed(std::string_view Line);
  const char* SkipSeparator(const char* P, const char* End) const;
  // MayHoldQuote false: the scanner met no quote byte in Raw, so there is nothing to unquote.
  void AddField(std::string_view Raw, bool MayHoldQuote = true);
  void AddFixedField(std::string_view Raw);

  std::vector<int32_t> FColumnStops;
  TStringList FFields;
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

  bool FSourceDone = false;  // a read returned nothing: no more bytes will come
  bool FScannersDirty = true;
  bool FLineBreakBytes[256] = {};
  TDelimScanner FLineScanner;   // finds the line break
  TDelimScanner FFieldScanner;  // finds the field delimiter within a line
  std::string FLine;            // a record assembled from more than one buffer load
};

}  // namespace halvern
