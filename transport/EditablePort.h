// What a configuration page may see and change of the port it edits: the port's three settings as one
// value, a working copy to edit them on, and the host's event sink for hints. The page reaches a port
// only through this, so it needs to know no port class; the port never refers to a page class either:
// it is handed a TConfigPageFactory by the engine's wiring.
#pragma once

#include <string>
#include <vector>

#include "transport/ConfigPage.h"
#include "transport/TransDefine.h"

namespace halvern {

struct TPortSettings {
  std::string FileName;  // GBK path on the device, used exactly as given
  bool HasTitle = false;
  std::vector<std::string> Columns;  // ordered column titles
};

class IEditablePort {
 public:
  // The port as a counted node: a page keeps it alive through this for as long as it edits the port.
  virtual ITransNode& Node() = 0;
  virtual TPortSettings Settings() const = 0;
  // Takes all three settings, or, should memory run out, none: the page's update relies on it.
  virtual void ApplySettings(const TPortSettings& Settings) = 0;
  // A new port of the same class, initialised for the same direction, holding these settings and no
  // event sink (whatever it reports is dropped); empty when none was made.
  virtual TComPtr<ITransNode> CreateWorkingCopy() const = 0;
  // The host's event sink, or empty.
  virtual const TComPtr<ITransEvents>& Events() const = 0;

 protected:
  ~IEditablePort() = default;
};

// Makes a configuration page bound to Port; empty when none was made.
using TConfigPageFactory = TComPtr<IConfigPageEx> (*)(IEditablePort& Port);

}  // namespace halvern
