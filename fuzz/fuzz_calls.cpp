// Fuzzes sequences of export calls the way a host makes them, or misuses them: each input decodes into
// ports and pages created, used and finalized; stale, zero, foreign and wrong-kind handles; null and
// short buffers; options texts, column settings, device file contents and device faults. Every call must
// give an answer without a crash, a sanitizer report or a leak; whatever is still live at the end of an
// input is finalized.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cetext/CeFactories.h"
#include "config/CeConfigPage.h"
#include "engine/EngineState.h"
#include "engine/HandleRegistry.h"
#include "halvern.h"

namespace {

std::filesystem::path DeviceRoot;

// The input, read front to back; past its end every read gives zeros.
class TInput {
 public:
  TInput(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  bool More() const { return FAt < FSize; }
  uint8_t Byte() { return FAt < FSize ? FData[FAt++] : 0; }
  int32_t Int() {
    const uint8_t B = Byte();
    return B < 0xF0 ? static_cast<int32_t>(B % 8) - 1 : static_cast<int32_t>(Word());
  }
  uint32_t Word() {
    uint32_t W = 0;
    for (int I = 0; I < 4; ++I) W = W << 8 | Byte();
    return W;
  }
  // A byte count for Text: at most its length (a longer one would be the host reading past its own
  // buffer), possibly 0 or negative.
  int32_t LengthOf(const std::string& Text) { return std::min(Int(), static_cast<int32_t>(Text.size())); }
  std::string Text(size_t Max = 48) {
    size_t N = Byte() % (Max + 1);
    std::string S;
    while (N-- > 0 && More()) S += static_cast<char>(Byte());
    return S;
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FAt = 0;
};

// Texts the engine's own keys and values are made of, so short inputs reach the interesting paths.
const char* const kOptionPieces[] = {HV_OPTION_FILE_NAME "=\\Temp\\f.txt",
                                     HV_OPTION_HAS_TITLE "=1",
                                     HV_OPTION_COLUMNS "=",
                                     ";\r\n",
                                     "\"",
                                     "{",
                                     "}",
                                     ",",
                                     "=",
                                     " "};
const char* const kFaults[] = {
    "",       "init",        "open",       "read-after=", "write-after=", "short-write",
    "seteof", "seek-after=", "fail-call=", "delete",      "move",         "dock-after="};

struct TState {
  std::vector<uint32_t> Handles;  // ports and pages, live or finalized
  std::vector<uint32_t> Live;
};

uint32_t Pick(TInput& In, const TState& S) {
  const uint8_t B = In.Byte();
  if (B < 200 && !S.Handles.empty()) return S.Handles[B % S.Handles.size()];
  if (B < 220) return 0;
  return In.Word();  // a foreign handle
}

// A buffer for a text-out call: none, too short or large enough.
struct TOut {
  char Buffer[256];
  int32_t Size = 0;
  char* Ptr = nullptr;
  int32_t* SizePtr = &Size;
  explicit TOut(TInput& In) {
    const uint8_t B = In.Byte();
    Size = static_cast<int32_t>(B % 4 == 0 ? 0 : B % 4 == 1 ? 3 : sizeof Buffer);
    Ptr = B % 5 == 0 ? nullptr : Buffer;
    if (B % 7 == 0) SizePtr = nullptr;
  }
};

void CallValueProc(TInput& In, uint32_t H) {
  static const int32_t Types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 17, 18, 19, 33, 49, 50, 51, 65, 66, 67, 99};
  const int32_t Direction = In.Byte() % 3;
  const int32_t Type = Types[In.Byte() % (sizeof Types / sizeof Types[0])];
  HV_PROC Proc = ::FieldGetProc(Direction, Type);
  if (Proc == nullptr) return;
  const int32_t Index = In.Int();
  if (Direction == 1) {
    if (Type == 0 || Type == 65 || Type == 19) {
      TOut Out(In);
      reinterpret_cast<HV_READ_TEXT_PROC>(Proc)(H, Index, Out.Ptr, Out.SizePtr);
    } else if (Type == 66) {
      uint16_t Wide[64];
      int32_t Size = static_cast<int32_t>(In.Byte() % 2 ? sizeof Wide : 3);
      reinterpret_cast<HV_READ_WIDETEXT_PROC>(Proc)(H, Index, In.Byte() % 2 ? Wide : nullptr, &Size);
    } else if (Type == 7) {
      reinterpret_cast<HV_READ_INT64_PROC>(Proc)(H, Index);
    } else if (Type == 17) {
      reinterpret_cast<HV_READ_SINGLE_PROC>(Proc)(H, Index);
    } else if (Type == 18) {
      reinterpret_cast<HV_READ_DOUBLE_PROC>(Proc)(H, Index);
    } else if (Type == 33) {
      HV_GUID G;
      reinterpret_cast<HV_READ_GUID_PROC>(Proc)(In.Byte() % 2 ? &G : nullptr, H, Index);
    } else if (Type >= 49 && Type <= 51) {
      HV_SYSTEMTIME T;
      reinterpret_cast<HV_READ_DATETIME_PROC>(Proc)(In.Byte() % 2 ? &T : nullptr, H, Index);
    } else if (Type == 67) {
      int32_t Size = 0;
      reinterpret_cast<HV_READ_BLOB_PROC>(Proc)(0, 0, 0, 0, In.Byte() % 2 ? &Size : nullptr);
    } else {
      reinterpret_cast<HV_READ_INTEGER_PROC>(Proc)(H, Index);
    }
    return;
  }
  if (Direction != 2) return;
  const std::string Text = In.Text();
  if (Type == 0 || Type == 65) {
    reinterpret_cast<HV_WRITE_TEXT_PROC>(Proc)(H, Index, In.Byte() % 8 ? Text.c_str() : nullptr,
                                               In.LengthOf(Text));
  } else if (Type == 19) {
    int32_t Length = static_cast<int32_t>(Text.size());
    reinterpret_cast<HV_WRITE_VALUE_TEXT_PROC>(Proc)(H, Index, Text.c_str(),
                                                     In.Byte() % 8 ? &Length : nullptr);
  } else if (Type == 7) {
    reinterpret_cast<HV_WRITE_INT64_PROC>(Proc)(H, Index, static_cast<int64_t>(In.Word()) << 16);
  } else if (Type == 17) {
    reinterpret_cast<HV_WRITE_SINGLE_PROC>(Proc)(H, Index, static_cast<float>(In.Int()) / 3);
  } else if (Type == 18) {
    reinterpret_cast<HV_WRITE_DOUBLE_PROC>(Proc)(H, Index, static_cast<double>(In.Word()) / 7);
  } else if (Type == 33) {
    HV_GUID G{In.Word(), 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    reinterpret_cast<HV_WRITE_GUID_PROC>(Proc)(H, Index, In.Byte() % 2 ? &G : nullptr);
  } else if (Type >= 49 && Type <= 51) {
    HV_SYSTEMTIME T{
        static_cast<uint16_t>(In.Word()), In.Byte(), 0, In.Byte(), In.Byte(), In.Byte(), In.Byte(), 0};
    reinterpret_cast<HV_WRITE_DATETIME_PROC>(Proc)(H, Index, In.Byte() % 2 ? &T : nullptr);
  } else if (Type != 66 && Type != 67) {
    reinterpret_cast<HV_WRITE_INTEGER_PROC>(Proc)(H, Index, In.Int());
  }
}

void Step(TInput& In, TState& S) {
  switch (In.Byte() % 24) {
    case 0: {
      uint32_t H = 0;
      if (::EngineInit(In.Byte() % 4, In.Byte() % 16 ? &H : nullptr) == ENGINE_OK && H != 0) {
        S.Handles.push_back(H);
        S.Live.push_back(H);
      }
      break;
    }
    case 1: ::EngineFina(Pick(In, S)); break;
    case 2: {
      std::string Options;
      for (int N = In.Byte() % 6; N > 0; --N)
        Options += In.Byte() % 2 ? kOptionPieces[In.Byte() % std::size(kOptionPieces)] : In.Text(12);
      const uint32_t H = Pick(In, S);
      ::EngineSetOptions(H, In.Byte() % 16 ? Options.c_str() : nullptr);
      break;
    }
    case 3: {
      TOut Out(In);
      ::EngineGetOptions(Pick(In, S), Out.Ptr, Out.SizePtr);
      break;
    }
    case 4: ::MoveFirst(Pick(In, S)); break;
    case 5: ::MoveNext(Pick(In, S)); break;
    case 6: ::IsEof(Pick(In, S)); break;
    case 7: ::DataCount(Pick(In, S)); break;
    case 8: ::Append(Pick(In, S)); break;
    case 9: ::Post(Pick(In, S)); break;
    case 10: {
      const uint32_t H = Pick(In, S);
      In.Byte() % 2 ? ::FieldSetCount(H, In.Int()) : ::FieldGetCount(H);
      break;
    }
    case 11: {
      const uint32_t H = Pick(In, S);
      const int32_t Index = In.Int();
      if (In.Byte() % 2) {
        const std::string Name = In.Text(16);
        ::FieldSetName(H, Index, In.Byte() % 8 ? Name.c_str() : nullptr, In.LengthOf(Name));
      } else {
        TOut Out(In);
        ::FieldGetName(H, Index, Out.Ptr, Out.SizePtr);
      }
      break;
    }
    case 12: {
      const uint32_t H = Pick(In, S);
      const int32_t Index = In.Int();
      In.Byte() % 2 ? ::FieldSetType(H, Index, In.Byte() % 70) : (void)::FieldGetType(H, Index);
      break;
    }
    case 13: {
      const std::string Name = In.Text(8);
      ::FieldFindbyName(Pick(In, S), In.Byte() % 8 ? Name.c_str() : nullptr);
      break;
    }
    case 14: ::FieldIsEmpty(Pick(In, S), In.Int()); break;
    case 15:
    case 16: CallValueProc(In, Pick(In, S)); break;
    case 17: {
      uint32_t Page = 0;
      const uint32_t H = Pick(In, S);
      if (::ConfigInit(H, nullptr, In.Byte(), In.Byte() % 16 ? &Page : nullptr) == ENGINE_OK && Page != 0) {
        S.Handles.push_back(Page);
        S.Live.push_back(Page);
      }
      break;
    }
    case 18: ::ConfigFina(Pick(In, S)); break;
    case 19: {
      const uint32_t Page = Pick(In, S);
      switch (In.Byte() % 8) {
        case 0: ::ConfigFirst(Page); break;
        case 1: ::ConfigNext(Page); break;
        case 2: ::ConfigPrevious(Page); break;
        case 3: ::ConfigLast(Page); break;
        case 4: ::ConfigIsBOF(Page), ::ConfigIsEOF(Page); break;
        case 5: ::ConfigCheckSucceed(Page); break;
        case 6: ::ConfigUpdate(Page); break;
        default:
          if (const uint32_t Work = ::ConfigPort(Page)) S.Handles.push_back(Work);
      }
      break;
    }
    case 20: {
      const std::string Bytes = In.Text(200);
      std::ofstream(DeviceRoot / "Temp" / "f.txt", std::ios::binary | std::ios::trunc) << Bytes;
      break;
    }
    case 21: {
      std::string Faults = kFaults[In.Byte() % std::size(kFaults)];
      if (!Faults.empty() && Faults.back() == '=') Faults += std::to_string(In.Byte() % 40);
      setenv("HALVERN_DEVICE_FAULTS", Faults.c_str(), 1);
      break;
    }
    case 22: {
      TOut Out(In);
      In.Byte() % 2 ? ::EngineGetName(Out.Ptr, Out.SizePtr) : ::EngineDiscription(Out.Ptr, Out.SizePtr);
      break;
    }
    default: ::EngineSetEvent(Pick(In, S), nullptr, static_cast<int32_t>(0x10001 + In.Byte() % 3), nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  DeviceRoot = std::filesystem::temp_directory_path() / ("halvern-fuzz-calls-" + std::to_string(getpid()));
  std::filesystem::create_directories(DeviceRoot / "Temp");
  setenv("HALVERN_DEVICE_ROOT", DeviceRoot.c_str(), 1);
  setenv("HALVERN_RAPI_LIBRARY", HALVERN_FUZZ_EMULATOR_PATH, 1);
  setenv("HALVERN_QUIET_MESSAGES", "1", 1);
  halvern::TEngineIdentity Id;
  Id.Name = "fuzz";
  Id.TypeNumber = 3;
  Id.ImportPortFactory = &halvern::CreateImportPort;
  Id.ExportPortFactory = &halvern::CreateExportPort;
  halvern::SetEngineIdentity(std::move(Id));
  // The engine's wiring: ports make the page, and a shown page's working port is a handle.
  halvern::SetConfigPageFactory(&halvern::CreateCeConfig);
  halvern::TPageHandleHooks Hooks;
  Hooks.Add = [](halvern::ITransNode* Node) {
    halvern::GetHandleRegistry().Add(Node, halvern::THandleKind::Port);
  };
  Hooks.Remove = [](halvern::ITransNode* Node) { halvern::GetHandleRegistry().RemoveObject(Node); };
  halvern::SetPageHandleHooks(Hooks);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TInput In(Data, Size);
  TState S;
  setenv("HALVERN_DEVICE_FAULTS", "", 1);
  for (int Steps = 0; In.More() && Steps < 64; ++Steps) Step(In, S);
  // Pages before ports, as a host ends them; handles already dead are ignored.
  for (uint32_t H : S.Live) ::ConfigFina(H);
  for (uint32_t H : S.Live) ::EngineFina(H);
  return 0;
}
