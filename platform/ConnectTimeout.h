// How long a transfer waits for the device to answer before it gives up: HALVERN_CONNECT_TIMEOUT, in
// whole seconds from 0 to 3600, read anew at every transfer; unset, empty or anything else gives the
// default. Shared by the engine, which waits, and the host program, which tells its user how long it
// waited. Thread-safe.
//
// Ten seconds: a handheld put into its cradle takes a few seconds to be connected, so a person who docks
// it and starts a transfer at once still gets it, and one who forgot to dock it learns so before they
// begin to wonder whether the program has hung.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Environment.h"

namespace halvern::platform {

inline constexpr uint32_t DefaultConnectTimeoutSeconds = 10;
inline constexpr uint32_t MaxConnectTimeoutSeconds = 3600;

inline uint32_t ConnectTimeoutSeconds() {
  const std::string Text = GetEnv("HALVERN_CONNECT_TIMEOUT");
  size_t B = 0, E = Text.size();
  while (B < E && (Text[B] == ' ' || Text[B] == '\t')) ++B;
  while (E > B && (Text[E - 1] == ' ' || Text[E - 1] == '\t')) --E;
  if (B == E) return DefaultConnectTimeoutSeconds;
  uint32_t Seconds = 0;
  for (size_t I = B; I < E; ++I) {
    if (Text[I] < '0' || Text[I] > '9') return DefaultConnectTimeoutSeconds;
    Seconds = Seconds * 10 + static_cast<uint32_t>(Text[I] - '0');
    if (Seconds > MaxConnectTimeoutSeconds) return DefaultConnectTimeoutSeconds;
  }
  return Seconds;
}

}  // namespace halvern::platform
