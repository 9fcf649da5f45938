// How a port that ran out of memory tells the host: one code-35 event through the port's event sink,
// with the system's text for error 8. Sending it takes no memory: the text is made before the first
// port (platform::OutOfMemoryText), and the host's adapter passes it to the host's procedure as it is.
#pragma once

#include "transport/TransDefine.h"

namespace halvern {

// The event, when the port has a sink; whatever the sink raises is swallowed.
void ReportOutOfMemory(ITransNode& Port) noexcept;

}  // namespace halvern
