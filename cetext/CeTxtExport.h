// The export port (kind 2): collects the records the host appends and posts as "|"-delimited lines in
// memory, and on Close writes that image as the device file in one exchange, replacing any file of
// that name only once the new one is complete: a failed export leaves the previous file as it was.
//
// The port owns its writer, the memory image and the column object; references to the column count on
// the port. Not thread-safe: driven from the host's calling thread.
#pragma once

#include <memory>

#include <string_view>

#include "cetext/CeDirectionalPort.h"
#include "transport/TransFields.h"

namespace halvern {

class TKtTextWriter;
class TMemoryStream;
class TCeTxtExport;

// A column of the export port. There is one per port, re-pointed at the column most recently asked for.
class TCeTxtWriter final : public TCustomFiledWriter {
 public:
  using TCustomFiledWriter::TCustomFiledWriter;

  std::string HV_STDCALL GetName() override;
  void HV_STDCALL SetName(const std::string&) override {}  // titles change only through the port's settings
  int32_t HV_STDCALL GetFieldType() override { return ftString; }
  int32_t HV_STDCALL GetIndex() override { return FIndex; }
  // The current record's value for this column.
  void HV_STDCALL SetAsString(const std::string& Value) override { SetText(Value); }
  void SetText(std::string_view Value);

  TCeTxtExport* FPort = nullptr;
  TKtTextWriter* FWriter = nullptr;
  int32_t FIndex = 0;
};

class TCeTxtExport final : public TCeDirectionalPort<IDataWriter> {
 public:
  TCeTxtExport();
  ~TCeTxtExport() override;

  TComPtr<ITransNode> CreateSameClass() const override;
  std::vector<std::string> DefaultColumns() const override;

  // ITransPort, reached through either base.
  void HV_STDCALL GetField(int32_t Index, ITransField** Field) override;

  // ITransNode
  bool HV_STDCALL Initialize(int32_t Kind) override;
  // Writes the image to the device when any record was appended since Initialize.
  void HV_STDCALL Close() override;

  // IDataWriter: the columns are fixed by the settings and are all text, so the host's announcements
  // change nothing.
  void HV_STDCALL SetFieldCount(int32_t) override {}
  void HV_STDCALL SetFieldType(int32_t, int32_t) override {}
  void HV_STDCALL Append() override;
  void HV_STDCALL Post() override;

  // IBorrowedFieldAccess: stores a column's text in the record being built, re-pointing the column as
  // GetField does; there is nothing to read.
  bool HV_STDCALL ReadFieldText(int32_t, std::string_view*) override { return false; }
  bool HV_STDCALL WriteFieldText(int32_t Index, const char* Text, size_t Length) override;

  // The file being built, for tests: null before the first Append.
  const TMemoryStream* Image() const { return FImage.get(); }

 private:
  void DropImage();
  // Points the port's one column at Index (a valid column index) and returns it.
  TCeTxtWriter& PointField(int32_t Index);
  void CreateField();
  // WriteFieldText for a valid index and text, when that needs a call: the column or the writer still to
  // be made, or a value that does not fit behind the others.
  bool WriteFieldTextSlowly(int32_t Index, const char* Text, size_t Length);
  // The first Append's part: the image, and in it the title line when the settings ask for one.
  void StartImage();

  std::unique_ptr<TKtTextWriter> FWriter;
  std::unique_ptr<TMemoryStream> FImage;  // the writer's stream from the first Append on
  std::unique_ptr<TCeTxtWriter> FField;
  bool FTitleWritten = false;
};

}  // namespace halvern
