// The progress of a long transfer, on standard error.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>

namespace halvern::host {

// "Imported 120000 records" on standard error, rewritten in place at most a few times a second, and only
// when standard error is a terminal. Done() clears the line.
class TProgress {
 public:
  TProgress(std::ostream& Err, const char* Verb);
  ~TProgress() { Done(); }
  TProgress(const TProgress&) = delete;
  TProgress& operator=(const TProgress&) = delete;

  void Update(int64_t Records) {
    if (FEnabled && (Records & 1023) == 0) Show(Records);
  }
  void Done();

 private:
  void Show(int64_t Records);

  std::ostream& FErr;
  const char* FVerb;
  bool FEnabled;
  bool FShown = false;
  std::chrono::steady_clock::time_point FNext;
};

}  // namespace halvern::host
