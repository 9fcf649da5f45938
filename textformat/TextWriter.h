// TKtTextWriter: collects the values of one record and writes them to a stream as one delimited line.
//
// Settings: Delimiter (default ","), LineBreak ("\r\n"), Quote ("\""; empty turns quoting off),
// OpenBracket/CloseBracket (enclose values that hold a delimiter, line break or bracket, when both are
// set), FixedWidth (> 0: every field exactly that many bytes, no delimiters) and SkipEmpty (leave out empty
// values with their delimiters). A line break precedes every record written at a stream position other
// than 0. Values that need it are quoted with every inner quote tripled, which the reader's quote scanning
// reads back as one field.
//
// A record goes to the stream in one write; a short write raises EWriteError. On a plain memory stream a
// record of values written as they are is put together in the stream's own storage instead. The stream is
// not owned. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "rtl/Persistent.h"
#include "textformat/ByteSet.h"
#include "textformat/RecordValues.h"

namespace halvern {

class TStream;
class TMemoryStream;

class TKtTextWriter : public TPersistent {
 public:
  TKtTextWriter();
  ~TKtTextWriter() override;
  TKtTextWriter(const TKtTextWriter&) = delete;
  TKtTextWriter& operator=(const TKtTextWriter&) = delete;

  // Constructs a T (a TKtTextWriter or a subclass) and attaches Stream.
  template <class T = TKtTextWriter>
  static std::unique_ptr<T> CreateOn(TStream* Stream) {
    auto Writer = std::make_unique<T>();
    Writer->SetStream(Stream);
    return Writer;
  }

  const char* ClassName() const noexcept override { return "TKtTextWriter"; }
  // Copies FixedWidth, Quote, LineBreak, Delimiter and the brackets to another writer.
  void CopySettingsTo(TPersistent& Dest) const override;

  const std::string& LineBreak() const noexcept { return FLineBreak; }
  void SetLineBreak(std::string_view Value);
  const std::string& Delimiter() const noexcept { return FDelimiter; }
  void SetDelimiter(std::string_view Value);
  const std::string& Quote() const noexcept { return FQuote; }
  void SetQuote(std::string_view Value);
  int32_t FixedWidth() const noexcept { return FFixedWidth; }
  void SetFixedWidth(int32_t Value) noexcept { FFixedWidth = Value; }
  const std::string& OpenBracket() const noexcept { return FOpenBracket; }
  void SetOpenBracket(std::string_view Value);
  const std::string& CloseBracket() const noexcept { return FCloseBracket; }
  void SetCloseBracket(std::string_view Value);
  bool SkipEmpty() const noexcept { return FSkipEmpty; }
  void SetSkipEmpty(bool Value) noexcept { FSkipEmpty = Value; }

  TStream* Stream() const noexcept { return FStream; }
  void SetStream(TStream* Stream) noexcept;

  int32_t FieldCount() const noexcept { return FValues.Count(); }
  // Value I of the record, valid until the record changes; outside [0, FieldCount) raises
  // EStringListError.
  std::string_view Field(int32_t I) const { return FValues.Get(I); }
  void Clear() noexcept { FValues.Clear(); }
  void SetFieldCount(int32_t Count) { FValues.SetCount(Count); }
  // Grows the record to Index + 1 values when needed; a negative index raises EStringListError.
  void SetField(int32_t Index, std::string_view Value) { FValues.Set(Index, Value); }
  // SetField when that takes no call (see TRecordValues::TrySet); false, with nothing changed, otherwise.
  bool TrySetField(int32_t Index, std::string_view Value) noexcept { return FValues.TrySet(Index, Value); }
  // Writes the current values as one record; they stay in place. Without a stream raises EWriteError.
  void WriteRecord() {
    // A record of plain values on a memory stream, an export's every record as a rule, is put together
    // in place; FMemory is set only with a stream.
    if (FMemory != nullptr && FFixedWidth == 0 && WritePlainRecord()) return;
    WriteFormattedRecord();
  }

  // The text of value I as written.
  std::string FormatField(int32_t I) const;

 protected:
  // True when S must be enclosed: it holds the delimiter, the line break or a bracket.
  virtual bool NeedsEnclosing(std::string_view S) const;
  // Whether a value that needs enclosing can go between the brackets; when not, it is quoted instead.
  virtual bool CanBracket(std::string_view) const { return true; }
  // A subclass whose NeedsEnclosing looks at more than the settings' bytes makes the plain-value
  // shortcut of WriteRecord ask PlainNeedsEnclosing as well, for every value.
  void SetCustomEnclosing() noexcept;
  // The same, for a subclass whose PlainNeedsEnclosing can only answer true for an empty value (when
  // Empty) or a value holding a byte of Bytes: only those are asked, the others are written as they are.
  void SetCustomEnclosing(std::string_view Bytes, bool Empty);
  // NeedsEnclosing for a value that holds no byte of the settings (so the settings' own rules cannot
  // apply to it); a subclass may answer it more cheaply than NeedsEnclosing does.
  virtual bool PlainNeedsEnclosing(std::string_view S) const { return NeedsEnclosing(S); }

 private:
  void SettingsChanged();
  // True when no byte of S could make it need quoting or enclosing: it is written as it is.
  bool IsPlain(std::string_view S) const;
  // True when S, holding no special byte, must be enclosed all the same because the subclass says so.
  bool SubclassEncloses(std::string_view S) const {
    // Without any of the settings' bytes their own rules leave S as it is; a subclass may still want it
    // enclosed, and FormatField would then change it. A value holding one of the bytes the subclass named
    // is not plain, so only the empty value and, for a subclass that wants every value asked, the others
    // remain to be asked.
    if (!FCustomEnclosing) return false;
    return (FAskAnyValue || (S.empty() && FAskEmpty)) && PlainNeedsEnclosing(S);
  }
  // Writes the record into the memory stream's storage when every value is plain; false (nothing
  // written) otherwise.
  bool WritePlainRecord();
  // WriteRecord for any record on any stream.
  void WriteFormattedRecord();
  // True when the subclass wants a value of the record enclosed (see SubclassEncloses); AnyEmpty tells
  // whether the record holds an empty value. Asks only when there is something to ask about.
  bool AnyEnclosedBySubclass(bool AnyEmpty) const {
    return FCustomEnclosing && (FAskAnyValue || (AnyEmpty && FAskEmpty)) && AskSubclass();
  }
  // AnyEnclosedBySubclass, asking about every value.
  bool AskSubclass() const;
  void WriteStr(std::string_view S);
  void Append(std::string_view S) { FRecord.append(S.data(), S.size()); }

  TRecordValues FValues;
  TStream* FStream = nullptr;
  std::string FLineBreak;
  std::string FDelimiter;
  std::string FQuote;
  int32_t FFixedWidth = 0;
  std::string FOpenBracket;
  std::string FCloseBracket;
  bool FSkipEmpty = false;

  TMemoryStream* FMemory = nullptr;  // FStream, when it is a plain memory stream
  bool FCustomEnclosing = false;
  bool FAskEmpty = false;     // with FCustomEnclosing: an empty plain value is asked about
  bool FAskAnyValue = false;  // with FCustomEnclosing: every plain value is asked about
  std::string FAskBytes;      // with FCustomEnclosing: a value holding one of these is not plain
  // The bytes that make a value not plain: the first byte of every setting that can make a value special,
  // space, and FAskBytes.
  TByteSet FSpecial;
  std::string FRecord;  // the record being written, handed to the stream in one write
};

}  // namespace halvern
