// Fuzzes the options text round trip: key/value pairs taken from the input are written with
// TOptionsWriter and must come back unchanged, in order, from TOPtionsReader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "rtl/Stream.h"
#include "transport/TransOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace halvern;
  // Pairs: a length byte and that many bytes for the key, the same for the value.
  std::vector<std::pair<std::string, std::string>> Pairs;
  size_t I = 0;
  auto Take = [&] {
    std::string S;
    if (I >= Size) return S;
    size_t L = Data[I++] % 24;
    while (L-- > 0 && I < Size) S += static_cast<char>(Data[I++]);
    return S;
  };
  while (I < Size && Pairs.size() < 16) {
    std::string Key = Take();
    std::string Value = Take();
    Pairs.emplace_back(std::move(Key), std::move(Value));
  }

  TMemoryStream S;
  {
    TOptionsWriter W(S);
    for (const auto& [K, V] : Pairs) W.WriteValue(K, V);
  }
  std::vector<std::pair<std::string, std::string>> Got;
  TOPtionsReader R(S);
  R.OnUnknownKey = [&](const std::string& K, const std::string& V) { Got.emplace_back(K, V); };
  R.Parse();
  if (Got != Pairs) std::abort();
  return 0;
}
