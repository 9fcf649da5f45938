// The one boundary every export and value procedure goes through: enter the call's handle, answer a
// dead one, run the body, turn any error the body raises into the call's neutral answer (halvern.h says
// each one), and, while the call trace is on, write the call's line with what was swallowed. Nothing
// unwinds into the host.
//
//   return GuardPort(HV_NEUTRAL_IsEof, Handle, &TPortView::Reader,
//                    [](const TPortView& Port) -> int32_t { ... }, Handle);
//   GuardPage(kNoAnswer, Page, [](IConfigPageEx& P) { ... }, Page);
//   return Guard(ENGINE_TYPE_CE_TEXT, [] { ... });
//
// The first argument is the call's neutral answer (kNoAnswer for a body without a result). The call's
// name in the trace is the name of the function the guard is called from, as the compiler knows it, so
// no body spells it. The arguments after the body are the call's own parameters, passed as received and
// in their order (a test holds every export and value procedure to that); the trace shows each by its
// type (trace::AppendArgs).
//
// A port body runs only for a live port handle whose port offers the interface it names (Node, Port,
// Reader, Writer), and may use that one without a test; a page body only for a live page handle. Else
// the guard answers the dead-handle answer without running the body: what a port of the wrong
// direction gets too.
//
// Memory running out inside a port body fails the port, loudly and once: the host gets one code-35
// event with the system's text for it (transport/OutOfMemory.h), the call its failed answer, and from then
// on the port moves no records. A body that needs the port's Reader or Writer (walking, reading and
// writing values, appending, posting) answers the failed answer without running, so a walk ends (IsEof
// 1) and nothing more is taken; the port is not closed at EngineFina (THandleRegistry, point 7), so an
// export writes nothing. The calls on its settings (Node, Port: options, events, column names) still
// run: the settings are whole, and a host may still want to store them.
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
#include "rtl/Exceptions.h"
#include "transport/ConfigPage.h"
#include "transport/OutOfMemory.h"

namespace halvern {

// The neutral answer of a call that returns nothing.
struct TNoAnswer {};
inline constexpr TNoAnswer kNoAnswer{};

template <class TRet>
using TNeutralOf = std::conditional_t<std::is_void_v<TRet>, TNoAnswer, TRet>;

// What a call answers when it cannot run: Dead for a dead handle (or a port without the interface the
// body needs), Failed for an error inside the engine; the same value unless two are given. Made where
// the guard is called, it also takes that function's name for the trace.
template <class T>
struct TNeutral {
  TNeutral(T Answer, const char* Caller = __builtin_FUNCTION()) noexcept
      : Dead(Answer), Failed(Answer), Name(Caller) {}
  TNeutral(T DeadAnswer, T FailedAnswer, const char* Caller = __builtin_FUNCTION()) noexcept
      : Dead(DeadAnswer), Failed(FailedAnswer), Name(Caller) {}
  T Dead;
  T Failed;
  const char* Name;
};

template <class TRet>
using TNeutralFor = std::type_identity_t<TNeutral<TNeutralOf<TRet>>>;

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
template <class TRet, class... TArgs>
[[gnu::noinline]] void TraceCall(const char* Name, const TNeutralOf<TRet>& Result, std::exception_ptr Error,
                                 TArgs... Args) noexcept {
  try {
    std::string Shown;
    if constexpr (!std::is_void_v<TRet>) trace::AppendValue(Shown, Result);
    std::string Line = trace::BeginLine(Name);
    trace::AppendArgs(Line, Args...);
    trace::EndLine(Line, Shown, Error ? ErrorText(Error) : std::string());
  } catch (...) {
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

// The interfaces through which a port moves records: refused once the port failed.
template <class TNeed>
inline constexpr bool kMovesRecords =
    std::is_same_v<TNeed, IDataReader> || std::is_same_v<TNeed, IDataWriter>;

template <class TRet>
TRet Answer(TNeutralOf<TRet> Value) noexcept {
  if constexpr (std::is_void_v<TRet>)
    return;
  else
    return Value;
}

}  // namespace guard_detail

// Body() or, should it raise, the failed answer. The line is written once the body has returned.
template <class TBody, class... TArgs, class TRet = std::invoke_result_t<TBody&>>
inline TRet Guard(TNeutralFor<TRet> Neutral, TBody&& Body, TArgs... Args) noexcept {
  TNeutralOf<TRet> Result;
  try {
    Result = guard_detail::RunBody<TRet>(Body);
  } catch (...) {
    if (trace::Enabled())
      guard_detail::TraceCall<TRet>(Neutral.Name, Neutral.Failed, std::current_exception(), Args...);
    return guard_detail::Answer<TRet>(Neutral.Failed);
  }
  if (trace::Enabled()) [[unlikely]]
    guard_detail::TraceCall<TRet>(Neutral.Name, Result, nullptr, Args...);
  return guard_detail::Answer<TRet>(Result);
}

// Body(Port) for the port under Handle when it offers Needs (one of Port's interfaces), guarded as Guard
// does; the port stays as it is, and its closing waits, for the call. A failed port, or one that runs out
// of memory in Body, is dealt with as the opening comment says.
template <class TNeed, class TBody, class... TArgs,
          class TRet = std::invoke_result_t<TBody&, const TPortView&>>
inline TRet GuardPort(TNeutralFor<TRet> Neutral, uint32_t Handle, TNeed* TPortView::*Needs, TBody&& Body,
                      TArgs... Args) noexcept {
  return Guard(
      Neutral,
      [&]() -> TRet {
        const THandleRegistry::TCall Call = GetHandleRegistry().Enter(Handle, THandleKind::Port);
        if (!Call || !(Call.Port().*Needs)) return guard_detail::Answer<TRet>(Neutral.Dead);
        if (guard_detail::kMovesRecords<TNeed> && Call.Failed())
          return guard_detail::Answer<TRet>(Neutral.Failed);
        try {
          return Body(Call.Port());
        } catch (const std::exception& E) {
          if (IsOutOfMemory(E) && Call.Fail() && Call.Port().Node) ReportOutOfMemory(*Call.Port().Node);
          throw;
        }
      },
      Args...);
}

// Body(Page) for the configuration page under Handle, guarded as Guard does; the page stays as it is,
// and its closing waits, for the call.
template <class TBody, class... TArgs, class TRet = std::invoke_result_t<TBody&, IConfigPageEx&>>
inline TRet GuardPage(TNeutralFor<TRet> Neutral, uint32_t Handle, TBody&& Body, TArgs... Args) noexcept {
  return Guard(
      Neutral,
      [&]() -> TRet {
        const THandleRegistry::TCall Call = GetHandleRegistry().Enter(Handle, THandleKind::Page);
        if (!Call || !Call.Page()) return guard_detail::Answer<TRet>(Neutral.Dead);
        return Body(*Call.Page());
      },
      Args...);
}

}  // namespace halvern
