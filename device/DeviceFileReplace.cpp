#include "device/DeviceFileReplace.h"

#include <exception>
#include <vector>

#include "device/KtRAPI.h"
#include "platform/CodePage.h"
#include "platform/SysError.h"
#include "rtl/Exceptions.h"

namespace halvern {
namespace {

// Characters of a device path, MAX_PATH less its terminating zero. Each GBK character, one byte or two,
// is one UTF-16 unit on the device.
constexpr size_t MaxDevicePathUnits = rapi::MaxPath - 1;
constexpr const char* TemporarySuffix = ".tmp";

// Byte offsets at which the characters of a GBK text begin.
std::vector<size_t> CharacterStarts(const std::string& Text) {
  std::vector<size_t> Starts;
  for (size_t I = 0; I < Text.size(); ++I) {
    Starts.push_back(I);
    if (platform::IsLeadByte(static_cast<uint8_t>(Text[I])) && I + 1 < Text.size()) ++I;
  }
  return Starts;
}

std::string LeftBehind(const std::string& Temporary) {
  return " The unfinished file \"" + Temporary + "\" is left on the device.";
}

// True when the temporary file is gone: deleted now, or never there.
bool RemoveTemporary(const std::u16string& Temporary) {
  return CeDeleteFile(Temporary.c_str()) || CeGetLastError() == rapi::ErrorFileNotFound;
}

// The rename, asked again once when the library refused it for want of memory: such a refusal comes from
// the library in this process before the request reaches the device, so nothing was done, and the
// previous list is already deleted; a second chance costs nothing and may keep the new one under its
// name.
bool MoveIntoPlace(const std::u16string& From, const std::u16string& To) {
  if (CeMoveFile(From.c_str(), To.c_str())) return true;
  const uint32_t Code = CeGetLastError();
  if (Code != rapi::ErrorNotEnoughMemory && Code != rapi::ErrorOutOfMemory) return false;
  return CeMoveFile(From.c_str(), To.c_str()) != 0;
}

}  // namespace

std::string TemporaryDeviceName(const std::string& FileName) {
  const std::vector<size_t> Starts = CharacterStarts(FileName);
  const size_t Suffix = std::char_traits<char>::length(TemporarySuffix);
  if (Starts.size() + Suffix <= MaxDevicePathUnits) return FileName + TemporarySuffix;
  // The name is what follows the last separator; a trail byte of GBK may equal '\', so only whole
  // characters are looked at.
  size_t NameChar = 0;
  for (size_t C = 0; C < Starts.size(); ++C) {
    const char B = FileName[Starts[C]];
    if (B == '\\' || B == '/') NameChar = C + 1;
  }
  if (NameChar + Suffix >= MaxDevicePathUnits || NameChar >= Starts.size()) return {};
  const size_t Keep = MaxDevicePathUnits - Suffix;  // characters of the path before the suffix
  return FileName.substr(0, Starts[Keep]) + TemporarySuffix;
}

void WriteDeviceFileWhole(const std::string& FileName, TStream& Source) {
  const std::string Temporary = RapiCanReplaceFiles() ? TemporaryDeviceName(FileName) : std::string();
  if (Temporary.empty()) {
    TRApiStream File(FileName, TRApiStream::ModeCreate);
    File.CopyFrom(Source, 0);
    return;
  }
  const std::u16string Target = platform::AnsiToWide(FileName);
  const std::u16string Written = platform::AnsiToWide(Temporary);
  bool Created = false;
  try {
    // Closed before anything else happens to it.
    TRApiStream File(Temporary, TRApiStream::ModeCreate, FileName);
    Created = true;
    File.CopyFrom(Source, 0);
  } catch (const std::exception& E) {
    if (!Created || RemoveTemporary(Written)) throw;
    // The host reads this text: memory running out is said in the system's words, not the class name.
    const std::string What = IsOutOfMemory(E) ? platform::OutOfMemoryText() : std::string(E.what());
    throw EStreamError(What + LeftBehind(Temporary));
  }
  // A target that is not there has nothing to lose; one that cannot be deleted (the counting program
  // has it open) stays as it is, as a create in its place would have.
  if (!CeDeleteFile(Target.c_str())) {
    const uint32_t Code = CeGetLastError();
    if (Code != rapi::ErrorFileNotFound) {
      std::string Message = FileMessage(SFCreateErrorEx, FileName, Code);
      if (!RemoveTemporary(Written)) Message += LeftBehind(Temporary);
      throw EFCreateError(Message);
    }
  }
  if (!MoveIntoPlace(Written, Target)) {
    const uint32_t Code = CeGetLastError();
    throw EFCreateError("Cannot rename file \"" + Temporary + "\" to \"" + FileName + "\". " +
                        platform::SystemErrorText(Code) + " The complete new file is on the device as \"" +
                        Temporary + "\"; the previous one was deleted.");
  }
}

}  // namespace halvern
