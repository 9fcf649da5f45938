#include "host/Progress.h"

#include <ostream>
#include <string>

#include "host/HostConsole.h"

namespace halvern::host {

TProgress::TProgress(std::ostream& Err, const char* Verb)
    : FErr(Err), FVerb(Verb), FEnabled(StderrIsTerminal()), FNext(std::chrono::steady_clock::now()) {
  FNext += std::chrono::milliseconds(250);
}

void TProgress::Show(int64_t Records) {
  const auto Now = std::chrono::steady_clock::now();
  if (Now < FNext) return;
  FNext = Now + std::chrono::milliseconds(250);
  FErr << "\r" << FVerb << " " << Records << " records" << std::flush;
  FShown = true;
}

void TProgress::Done() {
  if (!FShown) return;
  // Blanks rather than an erase sequence, which older Windows consoles print as it is.
  FErr << "\r" << std::string(40, ' ') << "\r" << std::flush;
  FShown = false;
}

}  // namespace halvern::host
