// The library's end on Linux: the runtime destroys this object when the library is unloaded or the
// process ends (the registry and the engine's other objects go the same way), and the call trace's
// file is closed with it, so a library loaded again and again keeps no file open.
#include "engine/CallTrace.h"

namespace {

struct TLibraryEnd {
  TLibraryEnd() = default;
  TLibraryEnd(const TLibraryEnd&) = delete;
  TLibraryEnd& operator=(const TLibraryEnd&) = delete;
  ~TLibraryEnd() { halvern::trace::Stop(); }
};

const TLibraryEnd LibraryEnd;

}  // namespace
