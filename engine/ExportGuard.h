// The one boundary every export and value procedure goes through: run the call's body, turn any error
// it raises into the call's neutral answer (halvern.h says each one), and, while the call trace is on,
// write the call's line with what was swallowed. Nothing unwinds into the host.
//
//   return Guard("IsEof", HV_NEUTRAL_IsEof, [&] { ... }, Handle);
//
// While the trace is off the guard adds one relaxed load to the body; errors are then swallowed
// silently, as before.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "engine/CallTrace.h"
#include "platform/CodePage.h"

namespace halvern {

namespace guard_detail {

// An exception's message as the trace shows it (engine messages are GBK).
inline std::string ErrorText(std::exception_ptr Error) noexcept {
  try {
    std::rethrow_exception(Error);
  } catch (const std::exception& E) {
    try {
      std::string Text = platform::AnsiToUtf8(E.what());
      return Text.empty() ? std::string("exception") : Text;
    } catch (...) {
      return "exception";
    }
  } catch (...) {
    return "unknown exception";
  }
}

template <class... TArgs>
std::string Head(const char* Name, const TArgs&... Args) {
  std::string Line = trace::BeginLine(Name);
  [[maybe_unused]] const char* Separator = "";
  ((Line += std::exchange(Separator, ", "), trace::AppendValue(Line, Args)), ...);
  return Line;
}

// The call's line; Error is the exception being handled, or none. Out of line, and given copies of the
// arguments, so that the untraced call keeps them in registers.
template <class... TArgs>
[[gnu::noinline]] void TraceCall(const char* Name, std::string_view Result, std::exception_ptr Error,
                                 TArgs... Args) noexcept {
  try {
    std::string Line = Head(Name, Args...);
    trace::EndLine(Line, Result, Error ? ErrorText(Error) : std::string());
  } catch (...) {
  }
}

template <class TRet>
std::string ResultText(TRet Result) {
  std::string Shown;
  trace::AppendValue(Shown, Result);
  return Shown;
}

template <class TRet, class... TArgs>
[[gnu::noinline]] void TraceResult(const char* Name, TRet Result, std::exception_ptr Error,
                                   TArgs... Args) noexcept {
  try {
    TraceCall(Name, ResultText(Result), Error, Args...);
  } catch (...) {
  }
}

}  // namespace guard_detail

// Body() or, should it raise, Neutral (of the body's result type). Args are the call's arguments as the trace
// shows them (trace::TText for a text). The line is written once the body has returned.
template <class TBody, class... TArgs, class TRet = std::invoke_result_t<TBody&>>
inline TRet Guard(const char* Name, std::type_identity_t<TRet> Neutral, TBody&& Body,
                  TArgs... Args) noexcept {
  TRet Result;
  try {
    Result = Body();
  } catch (...) {
    if (trace::Enabled()) guard_detail::TraceResult(Name, Neutral, std::current_exception(), Args...);
    return Neutral;
  }
  if (trace::Enabled()) [[unlikely]]
    guard_detail::TraceResult(Name, Result, nullptr, Args...);
  return Result;
}

// The same for a call without a result: an error leaves it having done nothing more.
template <class TBody, class... TArgs>
inline void GuardVoid(const char* Name, TBody&& Body, TArgs... Args) noexcept {
  try {
    Body();
  } catch (...) {
    if (trace::Enabled()) guard_detail::TraceCall(Name, {}, std::current_exception(), Args...);
    return;
  }
  if (trace::Enabled()) [[unlikely]]
    guard_detail::TraceCall(Name, {}, nullptr, Args...);
}

}  // namespace halvern
