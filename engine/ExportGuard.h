// The one boundary every export and value procedure goes through: resolve the call's handle, run its
// body, turn any error the body raises into the call's neutral answer (halvern.h says each one), and,
// while the call trace is on, write the call's line with what was swallowed. Nothing unwinds into the
// host.
//
//   return GuardPort("IsEof", HV_NEUTRAL_IsEof, Handle, [&](const TPortView& Port) { ... }, Handle);
//   GuardPage("ConfigNext", kNoAnswer, Page, [&](IConfigPageEx& P) { ... }, Page);
//   return Guard("EngineGetType", 0, [&] { ... });
//
// A body without a result takes kNoAnswer as its neutral answer. Arguments after the body are the
// call's arguments, in order, as the trace shows them (trace::TText for a text).
//
// While the trace is off the guard adds one relaxed load to the body; errors are then swallowed
// silently, as they always were.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "engine/CallTrace.h"
#include "engine/HandleRegistry.h"
#include "platform/CodePage.h"
#include "transport/ConfigPage.h"

namespace halvern {

// The neutral answer of a call that returns nothing.
struct TNoAnswer {};
inline constexpr TNoAnswer kNoAnswer{};

template <class TRet>
using TNeutralOf = std::conditional_t<std::is_void_v<TRet>, TNoAnswer, TRet>;

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

// The call's line: Result as shown (empty for none), Error the exception being handled, or none. Out of
// line, and given copies of the arguments, so that the untraced call keeps them in registers.
template <class... TArgs>
[[gnu::noinline]] void TraceCall(const char* Name, std::string_view Result, std::exception_ptr Error,
                                 TArgs... Args) noexcept {
  try {
    std::string Line = trace::BeginLine(Name);
    [[maybe_unused]] const char* Separator = "";
    ((Line += std::exchange(Separator, ", "), trace::AppendValue(Line, Args)), ...);
    trace::EndLine(Line, Result, Error ? ErrorText(Error) : std::string());
  } catch (...) {
  }
}

template <class TRet, class... TArgs>
[[gnu::noinline]] void TraceResult(const char* Name, const TNeutralOf<TRet>& Result, std::exception_ptr Error,
                                   TArgs... Args) noexcept {
  if constexpr (std::is_void_v<TRet>) {
    TraceCall(Name, {}, Error, Args...);
  } else {
    try {
      std::string Shown;
      trace::AppendValue(Shown, Result);
      TraceCall(Name, Shown, Error, Args...);
    } catch (...) {
    }
  }
}

// What Body() gave, or nothing for a body without a result.
template <class TRet, class TBody>
TNeutralOf<TRet> RunBody(TBody& Body) {
  if constexpr (std::is_void_v<TRet>) {
    Body();
    return kNoAnswer;
  } else {
    return Body();
  }
}

template <class TRet>
TRet Answer(TNeutralOf<TRet> Value) noexcept {
  if constexpr (std::is_void_v<TRet>)
    return;
  else
    return Value;
}

}  // namespace guard_detail

// Body() or, should it raise, Neutral (of the body's result type, kNoAnswer for none). The line is
// written once the body has returned.
template <class TBody, class... TArgs, class TRet = std::invoke_result_t<TBody&>>
inline TRet Guard(const char* Name, std::type_identity_t<TNeutralOf<TRet>> Neutral, TBody&& Body,
                  TArgs... Args) noexcept {
  TNeutralOf<TRet> Result;
  try {
    Result = guard_detail::RunBody<TRet>(Body);
  } catch (...) {
    if (trace::Enabled()) guard_detail::TraceResult<TRet>(Name, Neutral, std::current_exception(), Args...);
    return guard_detail::Answer<TRet>(Neutral);
  }
  if (trace::Enabled()) [[unlikely]]
    guard_detail::TraceResult<TRet>(Name, Result, nullptr, Args...);
  return guard_detail::Answer<TRet>(Result);
}

// Body(Port) for the port under Handle, guarded as Guard does. Port holds the port's interfaces, kept
// alive (and its finish waiting) for the call; all of them are null when Handle names no live port, and
// those the port does not offer are null too, so the body tests the one it needs. A call on the port
// the thread used last takes no lock and counts nothing: the record and value calls run once per record
// and value.
template <class TBody, class... TArgs, class TRet = std::invoke_result_t<TBody&, const TPortView&>>
inline TRet GuardPort(const char* Name, std::type_identity_t<TNeutralOf<TRet>> Neutral, uint32_t Handle,
                      TBody&& Body, TArgs... Args) noexcept {
  return Guard(
      Name, Neutral, [&]() -> TRet { return GetHandleRegistry().WithPort(Handle, Body); }, Args...);
}

// Body(Page) for the configuration page under Handle, guarded as Guard does; the page is kept alive, and
// its finish waiting, for the call. Neutral, without running Body, when Handle names no live page: every
// page call answers a dead page as it answers an error.
template <class TBody, class... TArgs, class TRet = std::invoke_result_t<TBody&, IConfigPageEx&>>
inline TRet GuardPage(const char* Name, std::type_identity_t<TNeutralOf<TRet>> Neutral, uint32_t Handle,
                      TBody&& Body, TArgs... Args) noexcept {
  return Guard(
      Name, Neutral,
      [&]() -> TRet {
        const TCountedCall Call = GetHandleRegistry().ResolveCall(Handle, THandleKind::Page);
        const TComPtr<IConfigPageEx> Page = TComPtr<IInterface>(Call.Get()).Query<IConfigPageEx>();
        if (!Page) return guard_detail::Answer<TRet>(Neutral);
        return Body(*Page);
      },
      Args...);
}

}  // namespace halvern
