// Throughput of the delimited text reader and writer in the device-file configuration against bare
// split-and-copy and append-and-join loops over the same data, measured in one run. Prints MB/s and the
// ratio of each to its baseline.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "rtl/Stream.h"
#include "textformat/TextLoader.h"

using namespace halvern;

namespace {

constexpr int kLines = 2000000;

struct TRecord {
  std::string Number, Flag, Remark;
};

// Stocktake records: a number, a flag and a GBK remark of a few characters.
std::vector<TRecord> MakeRecords() {
  static const char* const Chars[] = {"\xB1\xB8", "\xD7\xA2", "\xB0\xEC", "\xB9\xAB", "\xD2\xCE",
                                      "\xD6\xD0", "\xCE\xC4", "\xC5\xCC", "\xB5\xE3"};
  std::mt19937 Rng(1);
  std::vector<TRecord> Records(kLines);
  char Number[32];
  for (int I = 0; I < kLines; ++I) {
    std::snprintf(Number, sizeof Number, "A%09d", I);
    Records[static_cast<size_t>(I)].Number = Number;
    Records[static_cast<size_t>(I)].Flag.assign(1, (Rng() & 1) ? '1' : '0');
    std::string& Remark = Records[static_cast<size_t>(I)].Remark;
    for (int N = 2 + static_cast<int>(Rng() % 4); N > 0; --N) Remark += Chars[Rng() % std::size(Chars)];
  }
  return Records;
}

template <class F>
double Seconds(F&& Body) {
  const auto Start = std::chrono::steady_clock::now();
  Body();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// Runs A and B alternately, five rounds, and keeps the best time of each, so both see the same load on a
// shared machine.
template <class A, class B>
std::pair<double, double> BestOfInterleaved(A&& RunA, B&& RunB) {
  double TA = 1e30, TB = 1e30;
  for (int I = 0; I < 5; ++I) {
    TA = std::min(TA, Seconds(RunA));
    TB = std::min(TB, Seconds(RunB));
  }
  return {TA, TB};
}

}  // namespace

int main() {
  const std::vector<TRecord> Records = MakeRecords();

  // The file, as the writer makes it (checked below against the bare join).
  TMemoryStream File;
  size_t Sink = 0;

  auto WriterRun = [&] {
    File.Clear();
    TKtTextWriter W;
    W.SetDelimiter("|");
    W.SetStream(&File);
    for (const TRecord& R : Records) {
      W.Clear();
      W.SetFieldCount(3);
      W.SetField(0, R.Number);
      W.SetField(1, R.Flag);
      W.SetField(2, R.Remark);
      W.WriteRecord();
    }
  };

  std::string Joined;
  auto JoinRun = [&] {
    Joined.clear();
    std::string Out;
    for (size_t I = 0; I < Records.size(); ++I) {
      if (I != 0) {
        Out += '\r';
        Out += '\n';
      }
      Out += Records[I].Number;
      Out += '|';
      Out += Records[I].Flag;
      Out += '|';
      Out += Records[I].Remark;
    }
    Joined.swap(Out);
  };
  const auto [WriterTime, JoinTime] = BestOfInterleaved(WriterRun, JoinRun);
  if (Joined != File.ToString()) {
    std::fprintf(stderr, "writer output differs from the bare join\n");
    return 1;
  }
  const double MB = static_cast<double>(Joined.size()) / 1e6;

  size_t ReaderRecords = 0;
  auto ReaderRun = [&] {
    TKtTextReader R;
    R.SetDelimiter("|");
    R.SetStream(&File);
    ReaderRecords = 0;
    while (!R.Eof()) {
      for (int32_t I = 0; I < 3; ++I) {
        std::string Value = R.GetField(I);
        Sink += Value.size();
      }
      ++ReaderRecords;
      R.Next();
    }
  };

  size_t SplitRecords = 0;
  auto SplitRun = [&] {
    const char* P = Joined.data();
    const char* const End = P + Joined.size();
    SplitRecords = 0;
    while (P < End) {
      const char* LineEnd = static_cast<const char*>(std::memchr(P, '\r', static_cast<size_t>(End - P)));
      if (LineEnd == nullptr) LineEnd = End;
      while (P <= LineEnd) {
        const char* F = static_cast<const char*>(std::memchr(P, '|', static_cast<size_t>(LineEnd - P)));
        if (F == nullptr) F = LineEnd;
        std::string Value(P, static_cast<size_t>(F - P));
        Sink += Value.size();
        P = F + 1;
      }
      P = LineEnd + 2;
      ++SplitRecords;
    }
  };
  const auto [ReaderTime, SplitTime] = BestOfInterleaved(ReaderRun, SplitRun);
  if (ReaderRecords != Records.size() || SplitRecords != Records.size()) {
    std::fprintf(stderr, "record counts differ: reader %zu, split %zu, wrote %zu\n", ReaderRecords,
                 SplitRecords, Records.size());
    return 1;
  }

  std::printf("data: %d lines, %.1f MB\n", kLines, MB);
  std::printf("reader      %8.1f MB/s\n", MB / ReaderTime);
  std::printf("bare split  %8.1f MB/s\n", MB / SplitTime);
  std::printf("reader/split ratio: %.2f (target >= 0.35)\n", SplitTime / ReaderTime);
  std::printf("writer      %8.1f MB/s\n", MB / WriterTime);
  std::printf("bare join   %8.1f MB/s\n", MB / JoinTime);
  std::printf("writer/join ratio:  %.2f (target >= 0.35)\n", JoinTime / WriterTime);
  std::printf("(checksum %zu)\n", Sink);
  return 0;
}
