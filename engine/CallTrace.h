// The call trace for host integrators: with HALVERN_TRACE set to a file name (appended to) or to "-"
// (the platform's debug output), every export and value procedure call writes one line: the time (UTC),
// the thread, the call's name, its arguments, its result and any error the export guard swallowed.
//
// Off by default. The variable is read once, at the first call; while the trace is off a call costs one
// relaxed load (Enabled). Thread-safety: all of it; lines of concurrent calls never interleave.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace halvern::trace {

enum : int32_t { kUnread = 0, kOff = 1, kOn = 2 };
extern std::atomic<int32_t> GState;

// Reads HALVERN_TRACE when no call has yet (GState kUnread) and starts or leaves off the trace; true when
// it is on.
bool StartFromEnvironment() noexcept;

inline bool Enabled() noexcept {
  const int32_t State = GState.load(std::memory_order_relaxed);
  if (State == kOff) [[likely]]
    return false;
  return State == kOn || StartFromEnvironment();
}

// Starts the trace to Target as HALVERN_TRACE would name it ("" stops it), whatever the environment
// says; for tests. Calls running meanwhile may still write to the previous target or to none.
void Start(std::string_view Target) noexcept;

// A GBK text argument: Length bytes, or up to a zero byte when Length is negative. Shown as UTF-8, cut
// after kTextCut bytes.
struct TText {
  const char* Ptr;
  int32_t Length = -1;
};
inline constexpr size_t kTextCut = 64;

void AppendArg(std::string& Line, TText Text);
void AppendArg(std::string& Line, int64_t Value);
void AppendArg(std::string& Line, uint64_t Value);
void AppendArg(std::string& Line, double Value);
void AppendArg(std::string& Line, const void* Value);

template <class T>
void AppendValue(std::string& Line, const T& Value) {
  if constexpr (std::is_pointer_v<T>)
    AppendArg(Line, reinterpret_cast<const void*>(Value));
  else if constexpr (std::is_floating_point_v<T>)
    AppendArg(Line, static_cast<double>(Value));
  else if constexpr (std::is_signed_v<T>)
    AppendArg(Line, static_cast<int64_t>(Value));
  else
    AppendArg(Line, static_cast<uint64_t>(Value));
}

// One argument of AppendArgs, with the ones beside it.
template <size_t I, class TTuple>
void AppendArgAt(std::string& Line, const TTuple& All) {
  using T = std::remove_cvref_t<std::tuple_element_t<I, TTuple>>;
  if constexpr (std::is_same_v<T, const char*>) {
    TText Text{std::get<I>(All)};
    if constexpr (I + 1 < std::tuple_size_v<TTuple>) {
      using TNext = std::remove_cvref_t<std::tuple_element_t<I + 1, TTuple>>;
      const TNext& Next = std::get<I + 1>(All);
      if constexpr (std::is_same_v<TNext, int32_t>)
        Text.Length = Next > 0 ? Next : 0;
      else if constexpr (std::is_same_v<TNext, int32_t*>)
        Text.Length = Next && *Next > 0 ? *Next : 0;
    }
    AppendArg(Line, Text);
  } else {
    AppendValue(Line, std::get<I>(All));
  }
}

// A call's arguments, in order and comma-separated, each as its type shows it: a const char* is a GBK
// text, counted by the argument after it when that is its length (an int32_t, or a pointer to one, as
// the exports pass texts), else read up to its zero byte; any other pointer is an address.
template <class... TArgs>
void AppendArgs(std::string& Line, const TArgs&... Args) {
  const std::tuple<const TArgs&...> All(Args...);
  [&]<size_t... I>(std::index_sequence<I...>) {
    ((Line += I == 0 ? "" : ", ", AppendArgAt<I>(Line, All)), ...);
  }
  (std::index_sequence_for<TArgs...>());
}

// The line's head: time, thread and "Name(".
std::string BeginLine(const char* Name);
// Closes the argument list, adds the result (Result empty for none) and the swallowed Error (empty for
// none), and writes the line.
void EndLine(std::string& Line, std::string_view Result, std::string_view Error) noexcept;

// A line of its own about a call in progress, written before the call's line: "Name: Message Text".
void Note(const char* Name, std::string_view Message, TText Text) noexcept;

}  // namespace halvern::trace
