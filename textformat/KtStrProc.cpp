#include "textformat/KtStrProc.h"

#include <cstring>

#include "textformat/DelimScanner.h"

namespace halvern {

std::string SetStrFromBuf(const char* P, size_t N) {
  return N == 0 ? std::string() : std::string(P, N);
}

const char* FindStr(const char* Buffer, std::string_view Pattern, size_t Length) {
  if (Buffer == nullptr || Length == 0 || Pattern.empty() || Pattern.size() > Length) return nullptr;
  const std::string_view Hay(Buffer, Length);
  const size_t At = Hay.find(Pattern);
  return At == std::string_view::npos ? nullptr : Buffer + At;
}

const char* FindCharOf(const char* Buffer, const char* Set, size_t Length, size_t SetLength) {
  if (Buffer == nullptr || Set == nullptr || Length == 0 || SetLength == 0) return nullptr;
  bool InSet[256] = {};
  for (size_t I = 0; I < SetLength; ++I) InSet[static_cast<uint8_t>(Set[I])] = true;
  for (size_t I = 0; I < Length; ++I) {
    if (InSet[static_cast<uint8_t>(Buffer[I])]) return Buffer + I;
  }
  return nullptr;
}

const char* FindChar(char C, const char* Buffer, size_t Length) {
  if (Buffer == nullptr || Length == 0) return nullptr;
  return static_cast<const char*>(std::memchr(Buffer, static_cast<unsigned char>(C), Length));
}

namespace {

const char* ScanOnce(const char* Start, size_t Length, std::string_view Delimiter, bool Set,
                     std::string_view Quote, std::string_view Open, std::string_view Close) {
  if (Start == nullptr || Length == 0 || Delimiter.empty()) return nullptr;
  TDelimScanner Scanner;
  Scanner.Configure(Delimiter, Set, Quote, Open, Close);
  const TDelimScanner::TResult R = Scanner.Scan(Start, Start + Length, true);
  return R.Found ? R.Pos : nullptr;
}

}  // namespace

const char* FindDelimiter(const char* Start, size_t Length, std::string_view Delimiter,
                          std::string_view Quote, std::string_view Open, std::string_view Close) {
  return ScanOnce(Start, Length, Delimiter, false, Quote, Open, Close);
}

const char* FindBlankDelimiter(const char* Start, size_t Length, std::string_view Separators,
                               std::string_view Quote, std::string_view Open, std::string_view Close) {
  return ScanOnce(Start, Length, Separators, true, Quote, Open, Close);
}

std::string QuoteStr(std::string_view S, std::string_view Q) {
  if (Q.empty()) return std::string(S);
  std::string T;
  T.reserve(S.size() + 2 * Q.size() + 8);
  size_t From = 0;
  for (size_t At = S.find(Q); At != std::string_view::npos; At = S.find(Q, From)) {
    T.append(S, From, At - From);
    for (int I = 0; I < 3; ++I) T.append(Q);
    From = At + Q.size();
  }
  T.append(S, From, std::string_view::npos);
  if (T.size() == 3 * Q.size() && T.compare(0, Q.size(), Q) == 0 && T.compare(Q.size(), Q.size(), Q) == 0 &&
      T.compare(2 * Q.size(), Q.size(), Q) == 0) {
    return T;
  }
  std::string R;
  R.reserve(T.size() + 2 * Q.size());
  R.append(Q).append(T).append(Q);
  return R;
}

std::string StripEnclosing(std::string_view S, std::string_view Q) {
  if (!Q.empty() && S.size() >= 2 * Q.size() && S.substr(0, Q.size()) == Q &&
      S.substr(S.size() - Q.size()) == Q) {
    return std::string(S.substr(Q.size(), S.size() - 2 * Q.size()));
  }
  return std::string(S);
}

std::string UnquoteStr(std::string_view S, std::string_view Q) {
  if (Q.empty()) return std::string(S);
  std::string Triple;
  for (int I = 0; I < 3; ++I) Triple.append(Q);
  std::string T;
  T.reserve(S.size());
  size_t From = 0;
  for (size_t At = S.find(Triple); At != std::string_view::npos; At = S.find(Triple, From)) {
    T.append(S, From, At - From);
    T.append(Q);
    From = At + Triple.size();
  }
  T.append(S, From, std::string_view::npos);
  return StripEnclosing(T, Q);
}

std::string PadRight(std::string_view S, char C, int32_t N) {
  std::string R(S);
  if (N > 0 && R.size() < static_cast<size_t>(N)) R.append(static_cast<size_t>(N) - R.size(), C);
  return R;
}

std::string RemoveChar(std::string_view S, char C) {
  std::string R(S.size(), '\0');
  size_t N = 0;
  for (char B : S) {
    if (B != C) R[N++] = B;
  }
  R.resize(N);
  return R;
}

}  // namespace halvern
