// A stream over one file on the device, opened or created at construction and closed at destruction.
//
// The mode word follows the classic file-mode layout: 0xFFFF creates (replacing an existing file);
// any other value opens an existing file with the access in bits 0-1 (read, write, both) and the
// sharing in bits 4-7. Positions are 32-bit on the device: seeks beyond 2^31 - 1 fail. The stream owns
// its device handle; one thread uses it at a time, inside one open device connection.
#pragma once

#include <cstdint>
#include <string>

#include "device/CeFileHandle.h"
#include "rtl/Stream.h"

namespace halvern {

class TRApiStream : public TStream {
 public:
  static constexpr uint16_t ModeCreate = 0xFFFF;
  static constexpr uint16_t ModeOpenRead = 0x0000;
  static constexpr uint16_t ModeOpenWrite = 0x0001;
  static constexpr uint16_t ModeOpenReadWrite = 0x0002;
  static constexpr uint16_t ModeShareExclusive = 0x0010;
  static constexpr uint16_t ModeShareDenyWrite = 0x0020;
  static constexpr uint16_t ModeShareDenyRead = 0x0030;
  static constexpr uint16_t ModeShareDenyNone = 0x0040;

  // FileName is GBK; it reaches the device as UTF-16. Raises EFCreateError ("Cannot create file ...")
  // or EFOpenError ("Cannot open file ...") with the system's text for the device's error code.
  TRApiStream(const std::string& FileName, uint16_t Mode);
  // The same, with ShownName in place of FileName in the messages: for a file written in the place of
  // another, whose name is what the user knows.
  TRApiStream(const std::string& FileName, uint16_t Mode, const std::string& ShownName);
  ~TRApiStream() override = default;

  // Returns the count moved; 0 when the device call fails.
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  // The new position, or -1 when the device refuses the move (or it is outside 32-bit positions).
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  // Moves the end of file to NewSize; raises EOSError when the device refuses.
  void SetSize(int64_t NewSize) override;
  // Seeks to the end and back; raises EOSError when the device refuses a seek, so that a whole-file
  // copy fails instead of copying nothing.
  int64_t GetSize() override;

  rapi::HANDLE Handle() const noexcept { return FHandle.Get(); }
  const std::string& FileName() const noexcept { return FFileName; }

 private:
  std::string FFileName;
  TCeFileHandle FHandle;
};

// Fills the two %s of SFOpenErrorEx or SFCreateErrorEx: the file name and the system's text for Code.
std::string FileMessage(std::string Pattern, const std::string& FileName, uint32_t Code);

}  // namespace halvern
