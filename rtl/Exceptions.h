// Exceptions raised inside the engine. Each carries the message text that the ports report to the host
// (code 35) or that a boundary turns into a neutral answer; nothing of this family crosses an export.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

namespace halvern {

// Base of every engine error; the message is GBK text.
class EKtError : public std::runtime_error {
 public:
  explicit EKtError(const std::string& Message) : std::runtime_error(Message) {}
};

// "Stream read error", "Stream write error".
class EStreamError : public EKtError {
  using EKtError::EKtError;
};
class EReadError : public EStreamError {
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};
// "Cannot open file \"%s\". %s" / "Cannot create file \"%s\". %s".
class EFOpenError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
  using EStreamError::EStreamError;
};

// "System Error.  Code: %d.\r\n%s" or "A call to an OS function failed"; carries the error code.
class EOSError : public EKtError {
 public:
  EOSError(const std::string& Message, uint32_t Code) : EKtError(Message), FErrorCode(Code) {}
  uint32_t ErrorCode() const noexcept { return FErrorCode; }

 private:
  uint32_t FErrorCode;
};

// "Cannot assign a %s to a %s".
class EConvertError : public EKtError {
  using EKtError::EKtError;
};

// Conversion failures of tagged values (text that is no number, a value out of range); swallowed by
// the field value assignment.
class EVariantError : public EKtError {
  using EKtError::EKtError;
};

// Index outside a string list.
class EStringListError : public EKtError {
  using EKtError::EKtError;
};

inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SFOpenErrorEx = "Cannot open file \"%s\". %s";
inline constexpr const char* SFCreateErrorEx = "Cannot create file \"%s\". %s";
inline constexpr const char* SOSError = "System Error.  Code: %d.\r\n%s";
inline constexpr const char* SUnkOSError = "A call to an OS function failed";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";

// True for the errors that mean memory ran out: std::bad_alloc, and a std::system_error saying so (a
// lock the threads library could not make: the 32-bit build's makes a lock on its first use). Neither
// is a failure of the device or of the data; the engine tells the host of them as such.
inline bool IsOutOfMemory(const std::exception& E) noexcept {
  if (dynamic_cast<const std::bad_alloc*>(&E)) return true;
  const auto* System = dynamic_cast<const std::system_error*>(&E);
  return System && System->code() == std::errc::not_enough_memory;
}

}  // namespace halvern
