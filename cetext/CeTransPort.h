// The device text port: the common base of the import and export ports. It holds a port's three
// settings (device file path, title flag, ordered column titles), turns them into the options text and
// back, hands out the host's event sink and performs the one device exchange both ports use.
//
// Ports are reference counted through their interfaces and are created by factories, which load the
// class's default columns before the object is handed out. Not thread-safe: a port is driven from the
// host's calling thread.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "transport/TransDefine.h"

namespace halvern {

class TStream;

class TCeTransPort : public TObject, public ITransNode, public ITransPort, public ITransObject {
 public:
  // Settings, read by the ports when a transfer starts and by the configuration page.
  std::string FFileName;  // GBK path on the device, used exactly as given
  bool FHasTitle = false;
  std::vector<std::string> FColumns;
  int32_t FKind = 0;

  // The host's event sink set by SetEvents, or empty.
  const TComPtr<ITransEvents>& Events() const { return FEvents; }
  // Sends Text to the event sink with code 35; nothing when no sink is set.
  void ReportError(const std::string& Text);

  // A new, uninitialised port of the same class, holding that class's default columns (the working copy
  // of a configuration page is made this way).
  virtual TComPtr<ITransNode> CreateSameClass() const = 0;

  // IInterface, ITransNode, ITransPort and ITransObject are implemented by the port classes.

 protected:
  TCeTransPort() = default;
  ~TCeTransPort() override = default;

  TComPtr<ITransEvents> FEvents;
  std::atomic<int32_t> FRefCount{0};
};

}  // namespace halvern
