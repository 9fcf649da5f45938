// The import port (kind 1): walks the records of a "|"-delimited text file on the device. MoveFirst
// copies the whole device file into memory in one exchange; the text reader then parses that copy one
// line per record, and the port's one column object answers field reads from the current record.
//
// The port owns its reader, the in-memory copy and the column object; references to the column count on
// the port. Not thread-safe: driven from the host's calling thread, column reads not interleaved.
#pragma once

#include <memory>

#include <string_view>

#include "cetext/CeDirectionalPort.h"
#include "transport/TransFields.h"

namespace halvern {

class TKtTextReader;
class TMemoryStream;
class TCeTxtImPort;

// A column of the import port. There is one per port, re-pointed at the column most recently asked
// for: a reference obtained earlier answers for that latest column.
class TCeTxtReader final : public TCustomFieldReader {
 public:
  using TCustomFieldReader::TCustomFieldReader;

  std::string HV_STDCALL GetName() override;
  void HV_STDCALL SetName(const std::string&) override {}  // titles change only through the port's settings
  int32_t HV_STDCALL GetFieldType() override { return ftString; }
  int32_t HV_STDCALL GetIndex() override { return FIndex; }
  // The current record's field; empty when the record has fewer fields.
  std::string HV_STDCALL GetAsString() override { return std::string(TextView()); }
  // The same text, pointing into the reader's current record (valid until the reader moves).
  std::string_view TextView() const;
  // True when the field holds nothing but bytes 0-32.
  bool HV_STDCALL IsNull() override;

  TCeTxtImPort* FPort = nullptr;
  TKtTextReader* FReader = nullptr;
  int32_t FIndex = 0;
};

class TCeTxtImPort final : public TCeDirectionalPort<IDataReader> {
 public:
  TCeTxtImPort();
  ~TCeTxtImPort() override;

  TComPtr<ITransNode> CreateSameClass() const override;
  std::vector<std::string> DefaultColumns() const override;

  // ITransPort, reached through either base.
  void HV_STDCALL GetField(int32_t Index, ITransField** Field) override;

  // ITransNode
  bool HV_STDCALL Initialize(int32_t Kind) override;
  void HV_STDCALL Close() override;

  // IDataReader
  int32_t HV_STDCALL GetRecordCount() override { return -1; }  // known only by reading the file
  void HV_STDCALL MoveFirst() override;
  void HV_STDCALL MoveNext() override;
  bool HV_STDCALL IsEof() override;

  // IBorrowedFieldAccess: the current record's text of a column, re-pointing the column as GetField
  // does; there is nothing to write.
  bool HV_STDCALL ReadFieldText(int32_t Index, std::string_view* Text) override;
  bool HV_STDCALL WriteFieldText(int32_t, const char*, size_t) override { return false; }

  // The parsed copy, for tests: null until Initialize.
  TKtTextReader* Reader() const { return FReader.get(); }
  bool HasCopy() const { return FCopy != nullptr; }

 private:
  // Drops the in-memory copy; the reader is left at its end.
  void DropCopy();
  // Points the port's one column at Index (a valid column index) and returns it. Inline: every value
  // read of an import re-points it.
  TCeTxtReader& PointField(int32_t Index) {
    if (!FField) CreateField();
    FField->FReader = FReader.get();
    FField->FIndex = Index;
    FField->FPort = this;
    return *FField;
  }
  void CreateField();

  std::unique_ptr<TKtTextReader> FReader;
  std::unique_ptr<TMemoryStream> FCopy;  // the reader's stream while a copy is loaded
  std::unique_ptr<TCeTxtReader> FField;
};

}  // namespace halvern
