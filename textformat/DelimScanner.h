// TDelimScanner: the quote- and bracket-aware search for a delimiter, as a resumable state machine.
//
// The text reader finds line breaks in a buffer that is refilled from a stream, so a quoted section or a
// bracket opened in one load must still be open in the next. The scanner therefore keeps its state
// (inside quotes, bracket depth) between calls and only decides at a position once it can see every
// byte the decision depends on (the lookahead) or knows that no more bytes follow (Final). The one-shot
// searches FindDelimiter and FindBlankDelimiter are the same machine run once with Final set.
//
// Rules, with Q the quote and all matching byte for byte:
//  - outside quotes at depth 0, the delimiter ends the search (in separator-set mode, any byte of the set);
//  - a Q opens a quoted section, except that Q directly followed by QQ is stepped over as a whole;
//  - inside a quoted section the next Q closes it, except that a Q followed by QQ (a tripled quote, the
//    way the writer escapes a quote) is stepped over and the section stays open. The exception holds only
//    at depth 0, and not at all once SetTripledEscape(false): the writer never puts quoted text between
//    brackets, while a comma list written there doubles its quotes, so its closing QQQ is a doubled quote
//    and then the closing one;
//  - the open bracket raises the depth, the close bracket lowers it but never below 0; brackets count
//    only when both are non-empty.
// Owns copies of its patterns. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace halvern {

class TDelimScanner {
 public:
  struct TResult {
    // Found: the delimiter starts here. Not found: every byte before Pos has been decided and holds no
    // delimiter; the search resumes at Pos once more bytes follow (when Final, Pos is the end).
    const char* Pos;
    bool Found;
  };

  TDelimScanner() { Configure({}, false, {}, {}, {}); }

  // SeparatorSet: every byte of Delimiter is a one-byte separator. Brackets are ignored unless both are
  // non-empty.
  void Configure(std::string_view Delimiter, bool SeparatorSet, std::string_view Quote, std::string_view Open,
                 std::string_view Close);

  // Whether a tripled quote inside a quoted section at depth 0 stands for one quote (the default), or
  // the next quote closes the section wherever it is. Kept across Configure.
  void SetTripledEscape(bool Value) noexcept { FTripledEscape = Value; }

  // Forgets the quote and bracket state: the next Scan starts outside quotes at depth 0.
  void Reset() noexcept {
    FInQuote = false;
    FSawQuote = false;
    FSawBracket = false;
    FDepth = 0;
  }

  // Searches [P, End). When Final is false, more bytes may follow End and the scanner stops before any
  // position it cannot decide yet.
  TResult Scan(const char* P, const char* End, bool Final);

  // Bytes a decision may need to see from its position on; a buffer at least this large always lets the
  // scanner advance.
  size_t Lookahead() const noexcept { return FLookahead; }

  bool InQuote() const noexcept { return FInQuote; }
  // Whether a byte that can begin the quote was met since the last Reset: a field without one needs no
  // unquoting.
  bool SawQuote() const noexcept { return FSawQuote; }
  // Whether a byte that can begin the quote or a bracket was met since the last Reset: a text without one
  // splits at its delimiters as a plain search would.
  bool SawQuoteOrBracket() const noexcept { return FSawQuote || FSawBracket; }
  int64_t Depth() const noexcept { return FDepth; }

 private:
  enum : uint8_t { kDelim = 1, kQuote = 2, kOpen = 4, kClose = 8 };

  const char* FindTrigger(const char* P, const char* End) const noexcept;
  const char* FindQuote(const char* P, const char* End) const noexcept;
  // True when S lies whole at P + Offset, before End.
  static bool At(const char* P, size_t Offset, const char* End, const std::string& S) noexcept {
    if (static_cast<size_t>(End - P) < Offset + S.size()) return false;
    // Patterns are a byte or two in practice: compare those inline rather than call memcmp.
    const char* Q = P + Offset;
    switch (S.size()) {
      case 0: return true;
      case 1: return Q[0] == S[0];
      case 2: return Q[0] == S[0] && Q[1] == S[1];
      default: return std::memcmp(Q, S.data(), S.size()) == 0;
    }
  }

  std::string FDelim, FQuote, FOpen, FClose;
  bool FSet = false;
  bool FNoDelimiter = true;
  uint8_t FClass[256] = {};
  int FSingleTrigger = -1;  // the only trigger byte, when there is exactly one
  int FTriggerCount = 0;
  uint64_t FTriggerWords[4] = {};  // each trigger byte repeated eight times, for the word-wise search
  size_t FLookahead = 1;

  bool FTripledEscape = true;
  bool FInQuote = false;
  bool FSawQuote = false;
  bool FSawBracket = false;
  int64_t FDepth = 0;
};

}  // namespace halvern
