#include "host/GbkInput.h"

#include <algorithm>
#include <cstring>
#include <istream>

#include "host/HostOptions.h"
#include "host/Transfer.h"
#include "platform/CodePage.h"

namespace halvern::host {
namespace {

constexpr size_t kBlock = 256 * 1024;

// True when every byte belongs to a valid UTF-8 sequence.
bool IsUtf8(std::string_view S) {
  for (size_t I = 0; I < S.size();) {
    const auto B = static_cast<unsigned char>(S[I]);
    if (B < 0x80) {
      ++I;
      continue;
    }
    const size_t N = B >= 0xC2 && B <= 0xDF ? 2 : B >= 0xE0 && B <= 0xEF ? 3 : B >= 0xF0 && B <= 0xF4 ? 4 : 0;
    if (N == 0 || I + N > S.size()) return false;
    const auto C1 = static_cast<unsigned char>(S[I + 1]);
    if ((B == 0xE0 && C1 < 0xA0) || (B == 0xED && C1 > 0x9F) || (B == 0xF0 && C1 < 0x90) ||
        (B == 0xF4 && C1 > 0x8F))
      return false;
    for (size_t K = 1; K < N; ++K)
      if ((static_cast<unsigned char>(S[I + K]) & 0xC0) != 0x80) return false;
    I += N;
  }
  return true;
}

}  // namespace

size_t TGbkInput::Read(char* Buffer, size_t Capacity) {
  while (FOutPos == FOut.size()) {
    FOut.clear();
    FOutPos = 0;
    if (!Fill()) return 0;
  }
  const size_t N = std::min(Capacity, FOut.size() - FOutPos);
  std::memcpy(Buffer, FOut.data() + FOutPos, N);
  FOutPos += N;
  return N;
}

bool TGbkInput::Fill() {
  const size_t Old = FRaw.size();
  FRaw.resize(Old + kBlock);
  FIn.read(FRaw.data() + Old, static_cast<std::streamsize>(kBlock));
  const auto Got = static_cast<size_t>(FIn.gcount());
  FRaw.resize(Old + Got);
  FBytesRead += static_cast<int64_t>(Got);
  if (!FStarted && FRaw.size() >= 3) {
    FStarted = true;
    // A UTF-8 byte-order mark is no character of the data.
    if (FFromUtf8 && FRaw.starts_with("\xEF\xBB\xBF")) FRaw.erase(0, 3);
  }
  const bool AtEnd = Got == 0;
  if (AtEnd && FRaw.empty()) return false;
  size_t Cut = FRaw.size();
  if (!AtEnd) {
    const size_t Lf = FRaw.rfind('\n');
    if (Lf == std::string::npos) return true;  // no line end yet: read on
    Cut = Lf + 1;
  }
  Convert(std::string_view(FRaw).substr(0, Cut));
  FRaw.erase(0, Cut);
  return true;
}

void TGbkInput::Convert(std::string_view Utf8) {
  if (!FFromUtf8) {
    FOut.append(Utf8);
  } else if (!platform::Utf8ToAnsiExact(Utf8, FOut)) {
    ThrowAtFault(Utf8);
  }
  for (const char *P = Utf8.data(), *End = P + Utf8.size();
       (P = static_cast<const char*>(std::memchr(P, '\n', static_cast<size_t>(End - P)))) != nullptr; ++P)
    ++FLine;
}

void TGbkInput::ThrowAtFault(std::string_view Utf8) const {
  int64_t Line = FLine;
  for (size_t Start = 0; Start < Utf8.size(); ++Line) {
    const size_t End = std::min(Utf8.find('\n', Start), Utf8.size() - 1) + 1;
    const std::string_view Text = Utf8.substr(Start, End - Start);
    std::string Unused;
    if (!IsUtf8(Text))
      throw EHostError("line " + std::to_string(Line) +
                       ": the text is not UTF-8 (if the CSV is GBK, add --encoding gbk)");
    if (!FitsGbk(Text, Unused))
      throw EHostError("line " + std::to_string(Line) +
                       ": a value holds characters the device's code page (GBK) cannot represent");
    Start = End;
  }
  throw EHostError("the input does not convert to GBK");
}

}  // namespace halvern::host
