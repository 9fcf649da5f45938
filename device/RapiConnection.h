// One connection to the device for one transfer: asked for at construction, ended at destruction.
//
// With a library that has CeRapiInitEx the request returns at once and the connection is waited for,
// up to a time-out, on the event the library hands back; without it CeRapiInit is called, which returns
// when the library decides (the real one only once a device is connected). CeRapiUninit is called
// exactly once whenever the library took the request, also when the connection then failed or did not
// come in time (the library keeps the request pending until then); a request it refused outright has
// nothing to end, and an uninit then could end a connection another thread of the process holds.
//
// The wait is a plain wait on the event, not a message loop. The engine runs inside a host's export
// call, often on its window thread: dispatching the host's messages there would run its window
// procedures, and any export they call, in the middle of a transfer the host believes is one call.
// The remote API does not need the waiting thread to pump messages (the connection is made by its own
// threads), and the wait is bounded by the time-out, so the worst a window sees is a pause that long.
//
// Not thread-safe: one object per transfer, used by the thread that made it.
#pragma once

#include <cstdint>

#include "device/RapiTypes.h"

namespace halvern {

class TRapiConnection {
 public:
  explicit TRapiConnection(uint32_t TimeoutMilliseconds);
  TRapiConnection(const TRapiConnection&) = delete;
  TRapiConnection& operator=(const TRapiConnection&) = delete;
  ~TRapiConnection() { End(); }

  bool Connected() const noexcept { return FConnected; }
  // Why there is no connection: the error code whose system text the host is shown.
  uint32_t FailureCode() const noexcept { return FFailureCode; }
  // CeRapiUninit now, when the request needs it; later calls and the destructor do nothing.
  void End() noexcept;

 private:
  void ConnectWaiting(uint32_t TimeoutMilliseconds);
  void ConnectBlocking();

  // The request of CeRapiInitEx: the library may write its result here until CeRapiUninit, also after a
  // wait that gave up, so it lives as long as the connection.
  rapi::RAPIINIT FRequest{sizeof(rapi::RAPIINIT), nullptr, rapi::RapiEFail};
  bool FMustEnd = false;
  bool FConnected = false;
  uint32_t FFailureCode = 0;
};

}  // namespace halvern
