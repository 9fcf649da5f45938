#include "cetext/CeTxtExport.h"

#include "rtl/Stream.h"
#include "textformat/TextWriter.h"

namespace halvern {
namespace {

// 编号, 资产名称, 账面数量
const char* const ExportColumns[] = {"\xB1\xE0\xBA\xC5", "\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6",
                                     "\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF"};

// The device file's writer. Two kinds of value would otherwise not read back:
//  - a value ending in a lone CR or LF, written bare as the last value of the file, loses that byte (the
//    reader takes trailing line-break bytes at the end of the data for a partial line break);
//  - a record of one empty value is an empty line, which the reader cannot tell from the end of the file
//    (and which, as the first line, is not written at all, so the next record takes its place).
// Both are quoted, which the reader removes again; every other value is written exactly as before.
class TCeLineWriter final : public TKtTextWriter {
 public:
  TCeLineWriter() { SetCustomEnclosing("\r\n", true); }

 protected:
  bool NeedsEnclosing(std::string_view S) const override {
    return TKtTextWriter::NeedsEnclosing(S) || PlainNeedsEnclosing(S);
  }
  // The two cases above, which are all that remain for a value without a byte of the settings.
  bool PlainNeedsEnclosing(std::string_view S) const override {
    if (S.empty()) return FieldCount() == 1;
    return S.back() == '\r' || S.back() == '\n';
  }
};

}  // namespace

std::string HV_STDCALL TCeTxtWriter::GetName() {
  if (FPort == nullptr || FIndex < 0 || FIndex >= FPort->GetFieldCount()) return {};
  return FPort->FColumns[static_cast<size_t>(FIndex)];
}

void TCeTxtWriter::SetText(std::string_view Value) {
  if (FWriter != nullptr && FIndex >= 0) FWriter->SetField(FIndex, Value);
}

TCeTxtExport::TCeTxtExport() = default;

TCeTxtExport::~TCeTxtExport() {
  FField.reset();
  DropImage();
}

TComPtr<ITransNode> TCeTxtExport::CreateSameClass() const {
  return MakeCePort<TCeTxtExport>();
}

std::vector<std::string> TCeTxtExport::DefaultColumns() const {
  return {std::begin(ExportColumns), std::end(ExportColumns)};
}

void TCeTxtExport::DropImage() {
  if (FWriter) FWriter->SetStream(nullptr);
  FImage.reset();
}

bool HV_STDCALL TCeTxtExport::Initialize(int32_t Kind) {
  TCeTransPort::Initialize(Kind);
  if (!FWriter) {
    FWriter = std::make_unique<TCeLineWriter>();
    FWriter->SetDelimiter("|");
  }
  // Records buffered so far are dropped.
  DropImage();
  FTitleWritten = false;
  return Kind == ENGINE_PORT_EXPORT;
}

// Inline: the per-value fast path below points the column too.
inline TCeTxtWriter& TCeTxtExport::PointField(int32_t Index) {
  if (!FField) CreateField();
  FField->FWriter = FWriter.get();
  FField->FIndex = Index;
  FField->FPort = this;
  return *FField;
}

void HV_STDCALL TCeTxtExport::GetField(int32_t Index, ITransField** Field) {
  if (Field == nullptr) return;
  *Field = nullptr;
  if (Index < 0 || Index >= GetFieldCount()) return;
  PointField(Index).QueryInterface(ITransField::IID, reinterpret_cast<void**>(Field));
}

void TCeTxtExport::CreateField() {
  FField = std::make_unique<TCeTxtWriter>(static_cast<ITransNode*>(this));
}

bool HV_STDCALL TCeTxtExport::WriteFieldText(int32_t Index, const char* Text, size_t Length) {
  if ((Text == nullptr && Length > 0) || Index < 0 || Index >= GetFieldCount()) return false;
  // As the column's SetText, without going through it: this runs once per value of an export, so the
  // usual case makes no call, and everything else is handed on whole.
  if (!FField || !FWriter) return WriteFieldTextSlowly(Index, Text, Length);
  FField->FWriter = FWriter.get();
  FField->FIndex = Index;
  FField->FPort = this;
  if (FWriter->TrySetField(Index, std::string_view(Text, Length))) return true;
  return WriteFieldTextSlowly(Index, Text, Length);
}

bool TCeTxtExport::WriteFieldTextSlowly(int32_t Index, const char* Text, size_t Length) {
  PointField(Index);
  if (FWriter) FWriter->SetField(Index, std::string_view(Text, Length));
  return true;
}

void HV_STDCALL TCeTxtExport::Append() {
  if (!FWriter) return;  // not initialised
  // Once per port, out of line: what runs for every record saves nothing for it.
  if (!FImage || (!FTitleWritten && FHasTitle)) StartImage();
  FWriter->Clear();
  FWriter->SetFieldCount(GetFieldCount());
}

void TCeTxtExport::StartImage() {
  if (!FImage) {
    FImage = std::make_unique<TMemoryStream>();
    FWriter->SetStream(FImage.get());
  }
  // The title line is written once, from the columns current at the first Append.
  if (!FTitleWritten && FHasTitle) {
    const int32_t Count = GetFieldCount();
    FWriter->Clear();
    FWriter->SetFieldCount(Count);
    for (int32_t I = 0; I < Count; ++I) FWriter->SetField(I, FColumns[static_cast<size_t>(I)]);
    FWriter->WriteRecord();
    FTitleWritten = true;
  }
}

void HV_STDCALL TCeTxtExport::Post() {
  // Before the first Append there is no image to write into.
  if (FWriter && FImage) FWriter->WriteRecord();
}

void HV_STDCALL TCeTxtExport::Close() {
  if (!FImage) return;  // nothing appended: the device file is neither created nor changed
  // On failure (already reported) nothing is retried; the records go with the port.
  if (ExchangeWithDevice(TDirection::ToDevice, *FImage) == TExchangeResult::Success) DropImage();
}

}  // namespace halvern
