// The one device exchange of the device text ports: a whole file copied between the device and memory
// over one connection.
#include <exception>

#include "cetext/CeTransPort.h"
#include "device/DeviceFileReplace.h"
#include "device/KtRAPI.h"
#include "device/RapiConnection.h"
#include "platform/ConnectTimeout.h"
#include "platform/SysError.h"
#include "rtl/Exceptions.h"
#include "rtl/Stream.h"

namespace halvern {
namespace {

// Read access, others may read but not write.
constexpr uint16_t ModeReadShared = TRApiStream::ModeOpenRead | TRApiStream::ModeShareDenyWrite;

}  // namespace

TCeTransPort::TExchangeResult TCeTransPort::ExchangeWithDevice(TDirection Direction, TStream& Buffer) {
  if (!RapiAvailable()) {
    ReportError(SNoDeviceConnection);
    return TExchangeResult::NoConnection;
  }
  TExchangeResult Result = TExchangeResult::Success;
  std::string Failure;
  {
    TRapiConnection Connection(platform::ConnectTimeoutSeconds() * 1000);
    if (!Connection.Connected()) {
      Result = TExchangeResult::NoConnection;
      Failure = platform::SystemErrorText(Connection.FailureCode());
    } else {
      try {
        // The device file is closed before the connection ends.
        if (Direction == TDirection::FromDevice) {
          TRApiStream File(FFileName, ModeReadShared);
          Buffer.CopyFrom(File, 0);
        } else {
          WriteDeviceFileWhole(FFileName, Buffer);
        }
      } catch (const std::exception& E) {
        if (IsOutOfMemory(E))
          throw;  // no failure of the device: the caller tells it, once the connection ended
        Result = TExchangeResult::TransferFailed;
        Failure = E.what();
      }
    }
  }
  // Reported once the connection has ended, so that a host acting on the event finds the device free.
  if (Result != TExchangeResult::Success) ReportError(Failure);
  return Result;
}

}  // namespace halvern
