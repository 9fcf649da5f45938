#include "emulator/EmuLink.h"

#include <thread>

namespace rapiemu {
namespace {

bool Digits(std::string_view S, uint64_t& Value) {
  if (S.empty() || S.size() > 9) return false;
  Value = 0;
  for (char C : S) {
    if (C < '0' || C > '9') return false;
    Value = Value * 10 + static_cast<uint64_t>(C - '0');
  }
  return true;
}

}  // namespace

std::chrono::microseconds TLink::ByteTime(uint64_t Bytes) const {
  return std::chrono::microseconds(BytesPerSecond > 0 ? Bytes * 1000000 / BytesPerSecond : 0);
}

TLink ParseLink(std::string_view Text) {
  TLink L;
  const size_t Colon = Text.find(':');
  uint64_t Speed = 0, Ms = 0;
  if (!Digits(Text.substr(0, Colon), Speed)) return {};
  if (Colon != std::string_view::npos && !Digits(Text.substr(Colon + 1), Ms)) return {};
  L.BytesPerSecond = Speed * 1000;
  L.PerCall = std::chrono::milliseconds(Ms);
  return L;
}

TLinkPause::~TLinkPause() {
  if (FTime.count() > 0) std::this_thread::sleep_for(FTime);
}

}  // namespace rapiemu
