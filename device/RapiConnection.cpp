#include "device/RapiConnection.h"

#include <atomic>

#include "device/KtRAPI.h"
#include "platform/EventWait.h"

namespace halvern {
namespace {

// The device's last error; a failure that left none is a device that did not connect.
uint32_t LastErrorOrNotConnected() {
  const uint32_t Code = CeGetLastError();
  return Code != 0 ? Code : rapi::ErrorDeviceNotConnected;
}

}  // namespace

TRapiConnection::TRapiConnection(uint32_t TimeoutMilliseconds) {
  if (RapiHasInitEx())
    ConnectWaiting(TimeoutMilliseconds);
  else
    ConnectBlocking();
}

void TRapiConnection::ConnectBlocking() {
  // Only E_FAIL means no connection; any other answer is an open connection that must be ended.
  if (CeRapiInit() == rapi::RapiEFail) {
    FFailureCode = CeGetLastError();
    return;
  }
  FMustEnd = FConnected = true;
}

void TRapiConnection::ConnectWaiting(uint32_t TimeoutMilliseconds) {
  const rapi::HRESULT Asked = CeRapiInitEx(&FRequest);
  // This thread already holds a connection: as CeRapiInit's same answer, one to use and end.
  if (Asked == rapi::RapiEAlreadyInitialized) {
    FMustEnd = FConnected = true;
    return;
  }
  if (Asked < 0) {
    FFailureCode = LastErrorOrNotConnected();
    return;
  }
  FMustEnd = true;
  if (platform::WaitForEvent(FRequest.heRapiInit, TimeoutMilliseconds) != platform::TEventWait::Signalled) {
    FFailureCode = rapi::ErrorDeviceNotConnected;
    return;
  }
  // The library's own thread wrote the result before it set the event.
  const rapi::HRESULT Result =
      std::atomic_ref<rapi::HRESULT>(FRequest.hrRapiInit).load(std::memory_order_acquire);
  if (Result < 0) {
    FFailureCode = LastErrorOrNotConnected();
    return;
  }
  FConnected = true;
}

void TRapiConnection::End() noexcept {
  if (!FMustEnd) return;
  FMustEnd = false;
  FConnected = false;
  CeRapiUninit();
}

}  // namespace halvern
