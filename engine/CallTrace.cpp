#include "engine/CallTrace.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/CodePage.h"
#include "platform/DebugOutput.h"
#include "platform/Environment.h"

namespace halvern::trace {

std::atomic<int32_t> GState{kUnread};

namespace {

// Closes the file, if any; under the sink's lock.
void CloseFile(std::FILE*& File) noexcept {
  if (File) std::fclose(std::exchange(File, nullptr));
}

// Where lines go: a file, or the debug output. A static object, not a heap one, so that a library
// loaded again and again leaves nothing behind: its end closes the file. It ends at the library's
// unload or the process's end. At the latter a call may still be tracing on another thread (Linux;
// it then finds the trace off), or, on Windows, a thread may have died holding the lock: the end only
// closes the file when it gets the lock at once, and the system closes it otherwise.
struct TSink {
  TSink() = default;
  TSink(const TSink&) = delete;
  TSink& operator=(const TSink&) = delete;
  ~TSink() {
    GState.store(kOff, std::memory_order_relaxed);
    if (!Lock.try_lock()) return;
    CloseFile(File);
    Lock.unlock();
  }

  std::mutex Lock;
  std::FILE* File = nullptr;
  bool Debug = false;
};
TSink GSink;

}  // namespace

void Start(std::string_view Target) noexcept {
  try {
    TSink& S = GSink;
    const std::lock_guard<std::mutex> Guard(S.Lock);
    CloseFile(S.File);
    S.Debug = Target == "-";
    if (!Target.empty() && !S.Debug) S.File = std::fopen(std::string(Target).c_str(), "ab");
    GState.store(S.Debug || S.File ? kOn : kOff, std::memory_order_relaxed);
  } catch (...) {
    GState.store(kOff, std::memory_order_relaxed);
  }
}

bool StartFromEnvironment() noexcept {
  try {
    // Only the first call reads the variable; calls racing with it wait here, once.
    static std::mutex Once;
    const std::lock_guard<std::mutex> Guard(Once);
    if (GState.load(std::memory_order_relaxed) == kUnread) Start(platform::GetEnv("HALVERN_TRACE"));
  } catch (...) {
    GState.store(kOff, std::memory_order_relaxed);
  }
  return GState.load(std::memory_order_relaxed) == kOn;
}

namespace {

// A text argument as the trace shows it: UTF-8, cut after kTextCut bytes at a whole character.
std::string ShowText(TText Text) {
  if (!Text.Ptr) return {};
  size_t Length = 0;
  if (Text.Length >= 0) {
    Length = static_cast<size_t>(Text.Length);
  } else {
    // Never read further than the cut needs: the text may be long.
    while (Length <= kTextCut && Text.Ptr[Length] != '\0') ++Length;
  }
  const bool Cut = Length > kTextCut;
  size_t Keep = Cut ? kTextCut : Length;
  // Whole characters only: a lead byte at the end goes with its trail byte.
  size_t I = 0;
  while (I < Keep) I += platform::IsLeadByte(static_cast<uint8_t>(Text.Ptr[I])) ? 2 : 1;
  if (I > Keep) Keep = I - 2;
  std::string Shown = platform::AnsiToUtf8(std::string_view(Text.Ptr, Keep));
  if (Cut) Shown += "...";
  return Shown;
}

// Text as a C string literal's contents would show it, so that a line break, a quote or a control byte
// inside an argument or a message never splits or muddles the one line a call writes. Bytes of 0x80
// and above (UTF-8) stay as they are.
void AppendEscaped(std::string& Line, std::string_view Text) {
  static const char kHex[] = "0123456789abcdef";
  for (const char C : Text) {
    const auto B = static_cast<uint8_t>(C);
    switch (C) {
      case '\n': Line += "\\n"; break;
      case '\r': Line += "\\r"; break;
      case '\t': Line += "\\t"; break;
      case '"': Line += "\\\""; break;
      case '\\': Line += "\\\\"; break;
      default:
        if (B < 0x20 || B == 0x7F) {
          Line += "\\x";
          Line += kHex[B >> 4];
          Line += kHex[B & 0xF];
        } else {
          Line += C;
        }
    }
  }
}

// Writes one finished line to the sink.
void WriteLine(std::string& Line) {
  TSink& S = GSink;
  const std::lock_guard<std::mutex> Guard(S.Lock);
  if (S.Debug) {
    platform::WriteDebugLine(Line);
  } else if (S.File) {
    Line += '\n';
    std::fwrite(Line.data(), 1, Line.size(), S.File);
    std::fflush(S.File);
  }
}

}  // namespace

void AppendArg(std::string& Line, TText Text) {
  if (!Text.Ptr) {
    Line += "NULL";
    return;
  }
  Line += '"';
  AppendEscaped(Line, ShowText(Text));
  Line += '"';
}

void AppendArg(std::string& Line, int64_t Value) {
  Line += std::to_string(Value);
}

void AppendArg(std::string& Line, uint64_t Value) {
  Line += std::to_string(Value);
}

void AppendArg(std::string& Line, double Value) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%g", Value);
  Line += Text;
}

void AppendArg(std::string& Line, const void* Value) {
  if (!Value) {
    Line += "NULL";
    return;
  }
  char Text[24];
  std::snprintf(Text, sizeof Text, "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(Value));
  Line += Text;
}

std::string BeginLine(const char* Name) {
  using namespace std::chrono;
  const auto Now = system_clock::now();
  const auto Day = floor<days>(Now);
  const year_month_day Date{Day};
  const hh_mm_ss Time{floor<milliseconds>(Now - Day)};
  char Head[80];
  std::snprintf(Head, sizeof Head, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ %" PRIu32 " ",
                static_cast<int>(Date.year()), static_cast<unsigned>(Date.month()),
                static_cast<unsigned>(Date.day()), static_cast<int>(Time.hours().count()),
                static_cast<int>(Time.minutes().count()), static_cast<int>(Time.seconds().count()),
                static_cast<int>(Time.subseconds().count()), platform::CurrentThreadNumber());
  std::string Line = Head;
  Line += Name;
  Line += '(';
  return Line;
}

void EndLine(std::string& Line, std::string_view Result, std::string_view Error) noexcept {
  try {
    Line += ')';
    if (!Result.empty()) {
      Line += " = ";
      Line += Result;
    }
    if (!Error.empty()) {
      Line += " swallowed: ";
      AppendEscaped(Line, Error);
    }
    WriteLine(Line);
  } catch (...) {
  }
}

void Note(const char* Name, std::string_view Message, TText Text) noexcept {
  try {
    std::string Line = BeginLine(Name);
    Line.back() = ':';
    Line += ' ';
    AppendEscaped(Line, Message);
    Line += ' ';
    AppendArg(Line, Text);
    WriteLine(Line);
  } catch (...) {
  }
}

}  // namespace halvern::trace
