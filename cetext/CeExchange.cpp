// The one device exchange of the device text ports: a whole file copied between the device and memory
// over one connection.
#include <exception>

#include "cetext/CeTransPort.h"
#include "device/KtRAPI.h"
#include "platform/SysError.h"
#include "rtl/Stream.h"

namespace halvern {
namespace {

// Read access, others may read but not write.
constexpr uint16_t ModeReadShared = TRApiStream::ModeOpenRead | TRApiStream::ModeShareDenyWrite;

// Ends the connection that CeRapiInit opened, on every path out of the exchange.
class TRapiConnection {
 public:
  TRapiConnection() = default;
  TRapiConnection(const TRapiConnection&) = delete;
  TRapiConnection& operator=(const TRapiConnection&) = delete;
  ~TRapiConnection() { CeRapiUninit(); }
};

}  // namespace

TCeTransPort::TExchangeResult TCeTransPort::ExchangeWithDevice(TDirection Direction, TStream& Buffer) {
  if (!RapiAvailable()) {
    ReportError(SNoDeviceConnection);
    return TExchangeResult::NoConnection;
  }
  // Only E_FAIL means no connection; any other answer is an open connection that must be ended.
  if (CeRapiInit() == rapi::RapiEFail) {
    ReportError(platform::SystemErrorText(CeGetLastError()));
    return TExchangeResult::NoConnection;
  }
  std::string Failure;
  bool Failed = false;
  {
    TRapiConnection Connection;
    try {
      // The device file is closed before the connection ends.
      if (Direction == TDirection::FromDevice) {
        TRApiStream File(FFileName, ModeReadShared);
        Buffer.CopyFrom(File, 0);
      } else {
        TRApiStream File(FFileName, TRApiStream::ModeCreate);
        File.CopyFrom(Buffer, 0);
      }
    } catch (const std::exception& E) {
      Failed = true;
      Failure = E.what();
    }
  }
  if (Failed) {
    ReportError(Failure);
    return TExchangeResult::TransferFailed;
  }
  return TExchangeResult::Success;
}

}  // namespace halvern
