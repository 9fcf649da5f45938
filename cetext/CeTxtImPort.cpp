#include "cetext/CeTxtImPort.h"

#include "rtl/Stream.h"
#include "textformat/Blanks.h"
#include "textformat/TextReader.h"

namespace halvern {
namespace {

// 编号, 盘点标志, 备注
const char* const ImportColumns[] = {"\xB1\xE0\xBA\xC5", "\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE",
                                     "\xB1\xB8\xD7\xA2"};

}  // namespace

std::string HV_STDCALL TCeTxtReader::GetName() {
  // The titles may have changed since this column was handed out.
  if (FPort == nullptr || FIndex < 0 || FIndex >= FPort->GetFieldCount()) return {};
  return FPort->FColumns[static_cast<size_t>(FIndex)];
}

std::string_view TCeTxtReader::TextView() const {
  if (FReader == nullptr || FIndex < 0) return {};
  return FReader->FieldView(FIndex);
}

bool HV_STDCALL TCeTxtReader::IsNull() {
  for (char C : TextView())
    if (!IsBlank(C)) return false;
  return true;
}

TCeTxtImPort::TCeTxtImPort() = default;

TCeTxtImPort::~TCeTxtImPort() {
  // The column goes first: it gives back to this port any reference still counted on it.
  FField.reset();
  DropCopy();
}

TComPtr<ITransNode> TCeTxtImPort::CreateSameClass() const {
  return MakeCePort<TCeTxtImPort>();
}

std::vector<std::string> TCeTxtImPort::DefaultColumns() const {
  return {std::begin(ImportColumns), std::end(ImportColumns)};
}

void TCeTxtImPort::DropCopy() {
  if (FReader) FReader->SetStream(nullptr);
  FCopy.reset();
}

bool HV_STDCALL TCeTxtImPort::Initialize(int32_t Kind) {
  TCeTransPort::Initialize(Kind);
  if (!FReader) {
    FReader = std::make_unique<TKtTextReader>();
    FReader->SetDelimiter("|");
  }
  DropCopy();
  return Kind == ENGINE_PORT_IMPORT;
}

void HV_STDCALL TCeTxtImPort::Close() {
  DropCopy();
}

void HV_STDCALL TCeTxtImPort::GetField(int32_t Index, ITransField** Field) {
  if (Field == nullptr) return;
  *Field = nullptr;
  if (Index < 0 || Index >= GetFieldCount()) return;
  PointField(Index).QueryInterface(ITransField::IID, reinterpret_cast<void**>(Field));
}

void TCeTxtImPort::CreateField() {
  FField = std::make_unique<TCeTxtReader>(static_cast<ITransNode*>(this));
}

bool HV_STDCALL TCeTxtImPort::ReadFieldText(int32_t Index, std::string_view* Text) {
  if (Text == nullptr || Index < 0 || Index >= GetFieldCount()) return false;
  // As the column's TextView, without going through it: this runs once per value of an import.
  PointField(Index);
  *Text = FReader ? FReader->FieldView(Index) : std::string_view();
  return true;
}

void HV_STDCALL TCeTxtImPort::MoveFirst() {
  if (!FReader) return;  // not initialised: nothing to read into
  if (!FCopy) {
    auto Copy = std::make_unique<TMemoryStream>();
    // A failure has been reported; without a copy the port stays at its end.
    if (ExchangeWithDevice(TDirection::FromDevice, *Copy) != TExchangeResult::Success) return;
    FCopy = std::move(Copy);
    FReader->SetStream(FCopy.get());
  }
  FReader->First();
  // The title line is not compared with anything: columns match fields by position.
  if (FHasTitle) FReader->Next();
}

void HV_STDCALL TCeTxtImPort::MoveNext() {
  if (FReader) FReader->Next();
}

bool HV_STDCALL TCeTxtImPort::IsEof() {
  return !FReader || FReader->Eof();
}

}  // namespace halvern
