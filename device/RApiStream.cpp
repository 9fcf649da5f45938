#include "device/RApiStream.h"

#include <algorithm>
#include <limits>

#include "device/KtRAPI.h"
#include "platform/CodePage.h"
#include "platform/SysError.h"
#include "rtl/Exceptions.h"

namespace halvern {
namespace {

// Opens or creates through the device. Code receives the error code on failure; requests the device
// must not see (a name with an embedded zero, which it would cut short) fail without a device call.
TCeFileHandle OpenDeviceFile(const std::string& FileName, rapi::DWORD Access, rapi::DWORD Share,
                             rapi::DWORD Disposition, uint32_t& Code) {
  if (FileName.find('\0') != std::string::npos) {
    Code = rapi::ErrorInvalidName;
    return TCeFileHandle();
  }
  const std::u16string Wide = platform::AnsiToWide(FileName);
  TCeFileHandle Handle(
      CeCreateFile(Wide.c_str(), Access, Share, nullptr, Disposition, rapi::FileAttributeNormal, nullptr));
  if (!Handle.Valid()) Code = CeGetLastError();
  return Handle;
}

bool ModeToOpenArguments(uint16_t Mode, rapi::DWORD& Access, rapi::DWORD& Share) {
  switch (Mode & 3) {
    case 0: Access = rapi::GenericRead; break;
    case 1: Access = rapi::GenericWrite; break;
    case 2: Access = rapi::GenericRead | rapi::GenericWrite; break;
    default: return false;
  }
  switch (Mode & 0xF0) {
    case 0x00:
    case 0x10: Share = 0; break;
    case 0x20: Share = rapi::FileShareRead; break;
    case 0x30: Share = rapi::FileShareWrite; break;
    case 0x40: Share = rapi::FileShareRead | rapi::FileShareWrite; break;
    default: return false;
  }
  return true;
}

}  // namespace

// Names may hold any byte, so no printf.
std::string FileMessage(std::string Pattern, const std::string& FileName, uint32_t Code) {
  size_t At = Pattern.find("%s");
  Pattern.replace(At, 2, FileName);
  At = Pattern.find("%s", At + FileName.size());
  Pattern.replace(At, 2, platform::SystemErrorText(Code));
  return Pattern;
}

void TCeFileHandle::Reset() noexcept {
  if (Valid()) CeCloseHandle(FHandle);
  FHandle = nullptr;
}

TRApiStream::TRApiStream(const std::string& FileName, uint16_t Mode)
    : TRApiStream(FileName, Mode, FileName) {}

TRApiStream::TRApiStream(const std::string& FileName, uint16_t Mode, const std::string& ShownName)
    : FFileName(FileName) {
  uint32_t Code = 0;
  if (Mode == ModeCreate) {
    FHandle = OpenDeviceFile(FileName, rapi::GenericRead | rapi::GenericWrite, 0, rapi::CreateAlways, Code);
    if (!FHandle.Valid()) throw EFCreateError(FileMessage(SFCreateErrorEx, ShownName, Code));
    return;
  }
  rapi::DWORD Access = 0, Share = 0;
  if (!ModeToOpenArguments(Mode, Access, Share)) {
    // Refused before the device is asked, so its last error says nothing about this request.
    throw EFOpenError(FileMessage(SFOpenErrorEx, ShownName, rapi::ErrorInvalidParameter));
  }
  FHandle = OpenDeviceFile(FileName, Access, Share, rapi::OpenExisting, Code);
  if (!FHandle.Valid()) throw EFOpenError(FileMessage(SFOpenErrorEx, ShownName, Code));
}

int32_t TRApiStream::Read(void* Buffer, int32_t Count) {
  if (Count <= 0 || Buffer == nullptr) return 0;
  rapi::DWORD Done = 0;
  if (!CeReadFile(FHandle.Get(), Buffer, static_cast<rapi::DWORD>(Count), &Done, nullptr)) return 0;
  return static_cast<int32_t>(std::min<rapi::DWORD>(Done, static_cast<rapi::DWORD>(Count)));
}

int32_t TRApiStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0 || Buffer == nullptr) return 0;
  rapi::DWORD Done = 0;
  if (!CeWriteFile(FHandle.Get(), Buffer, static_cast<rapi::DWORD>(Count), &Done, nullptr)) return 0;
  return static_cast<int32_t>(std::min<rapi::DWORD>(Done, static_cast<rapi::DWORD>(Count)));
}

int64_t TRApiStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  // The device takes a 32-bit distance; cutting a larger one to its low bits would land elsewhere.
  if (Offset < std::numeric_limits<int32_t>::min() || Offset > std::numeric_limits<int32_t>::max()) return -1;
  const rapi::DWORD Pos = CeSetFilePointer(FHandle.Get(), static_cast<rapi::LONG>(Offset), nullptr,
                                           static_cast<rapi::DWORD>(Origin));
  return static_cast<int32_t>(Pos);  // sign-extended: failure (0xFFFFFFFF) becomes -1
}

void TRApiStream::SetSize(int64_t NewSize) {
  if (NewSize < 0 || NewSize > std::numeric_limits<int32_t>::max()) RaiseCeError(rapi::ErrorInvalidParameter);
  // Setting the end of file where the pointer happens to stand after a failed seek would cut the file
  // at the wrong place.
  if (Seek(NewSize, TSeekOrigin::Beginning) != NewSize) RaiseLastCeError();
  if (!CeSetEndOfFile(FHandle.Get())) RaiseLastCeError();
}

int64_t TRApiStream::GetSize() {
  const int64_t Pos = Seek(0, TSeekOrigin::Current);
  if (Pos < 0) RaiseLastCeError();
  const int64_t Size = Seek(0, TSeekOrigin::End);
  if (Size < 0) RaiseLastCeError();
  if (Seek(Pos, TSeekOrigin::Beginning) != Pos) RaiseLastCeError();
  return Size;
}

}  // namespace halvern
