#include "host/Transfer.h"

#include <algorithm>
#include <limits>
#include <ostream>

#include "host/Commands.h"

namespace halvern::host {

std::string DescribeEvent(int32_t Code, const std::string& Gbk) {
  return "halvern: device error " + std::to_string(Code) + ": " + ToTerminal(Gbk);
}

TPortSession::TPortSession(TEngineLib& Engine, int32_t Kind, std::ostream* Err)
    : FEngine(Engine), FKind(Kind), FErr(Err) {
  uint32_t Handle = 0;
  const int32_t Result = FEngine.EngineInit(Kind, &Handle);
  if (Result != ENGINE_OK) {
    throw EHostError("the engine made no " + std::string(Kind == ENGINE_PORT_IMPORT ? "import" : "export") +
                     " port (result " + std::to_string(Result) + ")");
  }
  FHandle = Handle;
  FEngine.EngineSetEvent(FHandle, this, EVENT_LOG_MESSAGE, reinterpret_cast<HV_PROC>(&TPortSession::OnLog));
}

TPortSession::~TPortSession() {
  // An export port left unfinished keeps the device file as it was.
  if (!FFinished && FKind == ENGINE_PORT_IMPORT) Finish();
}

void HV_STDCALL TPortSession::OnLog(void* UserData, int32_t Code, const char* Text) {
  auto* Self = static_cast<TPortSession*>(UserData);
  Self->FEvents.emplace_back(Text != nullptr ? Text : "");
  if (Self->FErr != nullptr) *Self->FErr << DescribeEvent(Code, Self->FEvents.back()) << "\n";
}

void TPortSession::SetOptions(const std::string& Gbk) {
  if (Gbk.empty()) return;
  const int32_t Result = FEngine.EngineSetOptions(FHandle, Gbk.c_str());
  if (Result != ENGINE_OK)
    throw EHostError("the engine refused the options (result " + std::to_string(Result) + ")");
}

std::string TPortSession::Options() const {
  return TEngineLib::FetchText(
      [this](char* Buffer, int32_t* Size) { return FEngine.EngineGetOptions(FHandle, Buffer, Size); });
}

std::vector<std::string> TPortSession::ColumnNames() const {
  std::vector<std::string> Names;
  const int32_t Count = FEngine.FieldGetCount(FHandle);
  for (int32_t I = 0; I < Count; ++I) {
    Names.push_back(TEngineLib::FetchText(
        [this, I](char* Buffer, int32_t* Size) { return FEngine.FieldGetName(FHandle, I, Buffer, Size); }));
  }
  return Names;
}

void TPortSession::Finish() {
  if (FFinished) return;
  FFinished = true;
  FEngine.EngineFina(FHandle);
}

TImportCursor::TImportCursor(TPortSession& Session) : FEngine(Session.Engine()), FHandle(Session.Handle()) {
  const int32_t Count = FEngine.FieldGetCount(FHandle);
  for (int32_t I = 0; I < Count; ++I) {
    const int32_t Type = FEngine.FieldGetType(FHandle, I);
    // Text columns (every column of a device text port) are read as they are stored.
    if (Type != HV_FT_STRING && Type != HV_FT_UNKNOWN)
      throw EHostError("column " + std::to_string(I + 1) + " has type " + std::to_string(Type) +
                       ", which this program does not read");
    const auto Proc = reinterpret_cast<HV_READ_TEXT_PROC>(FEngine.FieldGetProc(FIELD_DIR_READ, Type));
    if (Proc == nullptr) throw EHostError("the engine offers no text read procedure");
    FProcs.push_back(Proc);
  }
  FBuffer.resize(4096);
}

void TImportCursor::First() {
  FEngine.MoveFirst(FHandle);
}

bool TImportCursor::Eof() const {
  // 1 at the end, -1 for a handle that cannot walk records: either ends the loop.
  return FEngine.IsEof(FHandle) != 0;
}

void TImportCursor::Next() {
  FEngine.MoveNext(FHandle);
}

std::string_view TImportCursor::Value(size_t Column) {
  const auto Index = static_cast<int32_t>(Column);
  // The buffer goes along on the first call: the engine copies when it is large enough, which it nearly
  // always is, and otherwise reports the size needed for a second call.
  for (int Attempt = 0; Attempt < 2; ++Attempt) {
    const int32_t Capacity = static_cast<int32_t>(
        std::min<size_t>(FBuffer.size(), static_cast<size_t>(std::numeric_limits<int32_t>::max())));
    int32_t Size = Capacity;
    if (FProcs[Column](FHandle, Index, FBuffer.data(), &Size) == -1) {
      if (Size > 0 && Size <= Capacity) return std::string_view(FBuffer.data(), static_cast<size_t>(Size));
      break;
    }
    if (Size <= Capacity) break;
    FBuffer.resize(static_cast<size_t>(Size) * 2);
  }
  return {};
}

void TImportCursor::Read(std::vector<std::string>& Values) {
  Values.resize(FProcs.size());
  for (size_t I = 0; I < FProcs.size(); ++I) Values[I] = Value(I);
}

TExportCursor::TExportCursor(TPortSession& Session) : FEngine(Session.Engine()), FHandle(Session.Handle()) {
  const int32_t Count = FEngine.FieldGetCount(FHandle);
  for (int32_t I = 0; I < Count; ++I) {
    const int32_t Type = FEngine.FieldGetType(FHandle, I);
    HV_WRITE_TEXT_PROC Text = nullptr;
    HV_WRITE_VALUE_TEXT_PROC Converting = nullptr;
    if (Type == HV_FT_STRING || Type == HV_FT_UNKNOWN) {
      Text = reinterpret_cast<HV_WRITE_TEXT_PROC>(FEngine.FieldGetProc(FIELD_DIR_WRITE, Type));
    } else {
      // Other column types take their value from text through the converting procedure.
      Converting =
          reinterpret_cast<HV_WRITE_VALUE_TEXT_PROC>(FEngine.FieldGetProc(FIELD_DIR_WRITE, HV_FT_EXTENDED));
    }
    if (Text == nullptr && Converting == nullptr)
      throw EHostError("the engine offers no write procedure for column " + std::to_string(I + 1));
    FTextProcs.push_back(Text);
    FValueProcs.push_back(Converting);
  }
}

void TExportCursor::Begin() {
  FEngine.Append(FHandle);
}

void TExportCursor::Write(const std::vector<std::string>& Values) {
  FEngine.Append(FHandle);
  for (size_t I = 0; I < FTextProcs.size() && I < Values.size(); ++I) {
    const std::string& Value = Values[I];
    if (Value.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      throw EHostError("a value is too long for the engine");
    auto Length = static_cast<int32_t>(Value.size());
    if (FTextProcs[I] != nullptr) {
      FTextProcs[I](FHandle, static_cast<int32_t>(I), Value.data(), Length);
    } else {
      FValueProcs[I](FHandle, static_cast<int32_t>(I), Value.data(), &Length);
    }
  }
  FEngine.Post(FHandle);
}

}  // namespace halvern::host
