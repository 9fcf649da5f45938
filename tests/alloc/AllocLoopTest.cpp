// Memory running out in every allocation of a transfer in turn: for N = 1, 2, ... the N-th allocation of
// an import of 2,000 records, an export of 300 and a configuration page session fails, until a trial no
// longer reaches its countdown. Each trial is a host that allocates nothing of its own while its calls
// run; it must end, without a crash, either complete and right or told (a result code that says failure,
// or exactly one code-35 event), and a told host must not have been given wrong data: an import never
// yields a record that is not the file's next one, a told export leaves the previous device file as it
// was, a page leaves the port's settings either as they were or as the page held them, never a mix.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>

#include "alloc/AllocCountdown.h"
#include "host/PortTestSupport.h"
#include "platform/SysError.h"

namespace halvern::test {
namespace {

constexpr unsigned kTrialSeconds = 30;

// The first event a port reported, and how many came. Filled by the host's log procedure without
// allocating.
struct THostLog {
  int32_t Count = 0;
  int32_t Code = 0;
  char Text[256] = {};

  static void HV_STDCALL Collect(void* UserData, int32_t Code, const char* Text) {
    auto* Log = static_cast<THostLog*>(UserData);
    if (Log->Count++ == 0) {
      Log->Code = Code;
      std::snprintf(Log->Text, sizeof Log->Text, "%s", Text);
    }
  }
  void Attach(const TExports& E, uint32_t Handle) {
    E.EngineSetEvent(Handle, this, EVENT_LOG_MESSAGE, reinterpret_cast<HV_PROC>(&Collect));
  }
};

// What the host saw, judged: Refused names a call whose result said failure.
TTrialResult Judge(bool Reached, const char* Refused, const THostLog& Log, bool DataRight, bool DataKept,
                   const char* Wrong) {
  TTrialResult R;
  R.Reached = Reached;
  const bool OneEvent = Log.Count == 1 && Log.Code == EVENT_CODE_TRANSFER;
  if (Log.Count == 0 && !Refused && DataRight) {
    R.Verdict = TVerdict::Right;
  } else if ((OneEvent || (Refused && Log.Count == 0)) && DataKept) {
    R.Verdict = TVerdict::Told;
    const bool Memory = Log.Count == 1 && platform::SystemErrorText(8) == Log.Text;
    std::snprintf(R.How, sizeof R.How, "%s%.60s%s%s",
                  Log.Count == 0 ? ""
                  : Memory       ? "memory event"
                                 : "event: ",
                  Log.Count == 0 || Memory ? "" : Log.Text, Log.Count && Refused ? ", " : "",
                  Refused ? Refused : "");
    if (Refused) std::snprintf(R.How + std::strlen(R.How), sizeof R.How - std::strlen(R.How), " refused");
  } else {
    std::snprintf(R.How, sizeof R.How, "%d events (%.60s), %s%s", Log.Count, Log.Text, Wrong,
                  Refused ? ", a call refused" : "");
  }
  return R;
}

// ---- import: 2,000 records ----

constexpr int kImportRecords = 2000;
const char* const kImportOptions = HV_OPTION_FILE_NAME "=\\Import\\list.txt";

const std::vector<std::array<std::string, 3>>& ImportRecords() {
  static const auto Records = [] {
    std::vector<std::array<std::string, 3>> R;
    for (int I = 0; I < kImportRecords; ++I)
      R.push_back({"A" + std::to_string(100000 + I), std::to_string(I % 2),
                   I % 3 ? "\xB1\xB8\xD7\xA2 " + std::to_string(I) : std::string()});
    return R;
  }();
  return Records;
}

void PrepareImport() {
  std::string Text;
  for (const auto& R : ImportRecords()) Text += (Text.empty() ? "" : "\r\n") + R[0] + "|" + R[1] + "|" + R[2];
  WriteDeviceFile("Import/list.txt", Text);
}

TTrialResult ImportTrial(const TExports& E, uint64_t N) {
  const auto& File = ImportRecords();
  THostLog Log;
  const char* Refused = nullptr;
  int Taken = 0;       // records read whole, no event during them
  bool Wrong = false;  // one of them was not the file's next record
  bool WalkedOn = false;
  ArmCountdown(N);
  uint32_t H = 0;
  if (E.EngineInit(ENGINE_PORT_IMPORT, &H) != ENGINE_OK) {
    Refused = "EngineInit";
  } else {
    Log.Attach(E, H);
    if (E.EngineSetOptions(H, kImportOptions) != 0) Refused = "EngineSetOptions";
    auto Read = reinterpret_cast<HV_READ_TEXT_PROC>(E.FieldGetProc(FIELD_DIR_READ, HV_FT_STRING));
    E.MoveFirst(H);
    // A host that walks on whatever it was told; it drops a record an event came during.
    for (int Seen = 0; E.IsEof(H) == 0 && Seen <= kImportRecords; ++Seen) {
      WalkedOn = WalkedOn || Log.Count > 0;
      const int32_t Events = Log.Count;
      bool Same = Taken < kImportRecords;
      for (int32_t C = 0; C < 3; ++C) {
        char Value[64];
        int32_t Size = sizeof Value;
        const bool Got = Read(H, C, Value, &Size) == -1;
        Same = Same && Got &&
               File[static_cast<size_t>(Taken)][static_cast<size_t>(C)] ==
                   std::string_view(Value, static_cast<size_t>(Size));
      }
      if (Log.Count == Events) {
        Wrong = Wrong || !Same;
        ++Taken;
      }
      E.MoveNext(H);
    }
    E.EngineFina(H);
  }
  const bool Reached = DisarmCountdown();
  char What[80];
  std::snprintf(What, sizeof What, "%d records taken%s%s", Taken, Wrong ? ", not the file's" : "",
                WalkedOn ? ", the walk went on after the event" : "");
  return Judge(Reached, Refused, Log, !Wrong && Taken == kImportRecords, !Wrong && !WalkedOn, What);
}

// ---- export: 300 records over a previous list ----

constexpr int kExportRecords = 300;
const char* const kExportOptions = HV_OPTION_FILE_NAME "=\\Export\\list.txt";
const std::string kPreviousList = "B1|chair|2\r\nB2|desk|1";

std::array<std::string, 3> ExportRecord(int I) {
  return {"C" + std::to_string(I), I % 4 ? "\xD7\xCA\xB2\xFA " + std::to_string(I) : "a|b",
          std::to_string(I % 7)};
}

const std::vector<std::array<std::string, 3>>& ExportRecords() {
  static const auto Records = [] {
    std::vector<std::array<std::string, 3>> R;
    for (int I = 0; I < kExportRecords; ++I) R.push_back(ExportRecord(I));
    return R;
  }();
  return Records;
}

const std::string& ExportedText() {
  static const std::string Text = [] {
    std::string T;
    for (const auto& R : ExportRecords()) T += (T.empty() ? "" : "\r\n") + R[0] + "|\"" + R[1] + "\"|" + R[2];
    return T;
  }();
  return Text;
}

void PrepareExport() {
  WriteDeviceFile("Export/list.txt", kPreviousList);
  std::filesystem::remove(TPortDevice::Get().Root() / "Export/list.txt.tmp");
  (void)ExportedText();
}

TTrialResult ExportTrial(const TExports& E, uint64_t N) {
  const auto& Records = ExportRecords();
  THostLog Log;
  const char* Refused = nullptr;
  ArmCountdown(N);
  uint32_t H = 0;
  if (E.EngineInit(ENGINE_PORT_EXPORT, &H) != ENGINE_OK) {
    Refused = "EngineInit";
  } else {
    Log.Attach(E, H);
    if (E.EngineSetOptions(H, kExportOptions) != 0) Refused = "EngineSetOptions";
    auto Write = reinterpret_cast<HV_WRITE_TEXT_PROC>(E.FieldGetProc(FIELD_DIR_WRITE, HV_FT_STRING));
    // A host that sends every record whatever it was told.
    for (const auto& Record : Records) {
      E.Append(H);
      for (int32_t C = 0; C < 3; ++C) {
        const std::string& V = Record[static_cast<size_t>(C)];
        Write(H, C, V.data(), static_cast<int32_t>(V.size()));
      }
      E.Post(H);
    }
    E.EngineFina(H);
  }
  const bool Reached = DisarmCountdown();
  const std::string Now = ReadDeviceFile("Export/list.txt");
  const bool Target = DeviceFileExists("Export/list.txt");
  const bool Temporary = DeviceFileExists("Export/list.txt.tmp");
  char What[80];
  if (!Target)
    std::snprintf(What, sizeof What, "the list gone");
  else if (Now == kPreviousList)
    std::snprintf(What, sizeof What, "the previous list kept%s", Temporary ? ", a temporary file left" : "");
  else
    std::snprintf(What, sizeof What, "a list of %zu lines written",
                  static_cast<size_t>(std::count(Now.begin(), Now.end(), '\n')) + !Now.empty());
  return Judge(Reached, Refused, Log, Now == ExportedText() && !Temporary,
               Target && Now == kPreviousList && !Temporary, What);
}

// ---- a configuration page session ----

const char* const kOptionsA =
    HV_OPTION_FILE_NAME "=\\Temp\\page-a.txt;\r\n" HV_OPTION_COLUMNS
                        "=\xB1\xE0\xBA\xC5,\xB1\xB8\xD7\xA2,qty;\r\n" HV_OPTION_HAS_TITLE "=1";
const char* const kOptionsB =
    HV_OPTION_FILE_NAME "=\\Temp\\page-b.txt;\r\n" HV_OPTION_COLUMNS "=x,y;\r\n" HV_OPTION_HAS_TITLE "=0";

// The port's options into Text; false when the call said it copied nothing.
bool OptionsOf(const TExports& E, uint32_t Handle, char (&Text)[256]) {
  int32_t Size = sizeof Text - 1;
  std::memset(Text, 0, sizeof Text);
  return E.EngineGetOptions(Handle, Text, &Size) == -1;
}

// The page is made while the port holds A; the port is then set to B, and the page's update stores A
// back: the port ends with A when the update happened, B when it did not.
TTrialResult PageTrial(const TExports& E, uint64_t N) {
  THostLog Log;
  const char* Refused = nullptr;
  char Working[256] = {}, Final[256] = {};
  bool WorkingRead = false, FinalRead = false, KeptWhole = true;
  ArmCountdown(N);
  uint32_t H = 0, Page = 0;
  const auto Refuse = [&Refused](const char* Call) { Refused = Refused ? Refused : Call; };
  if (E.EngineInit(ENGINE_PORT_IMPORT, &H) != ENGINE_OK) {
    Refuse("EngineInit");
  } else {
    Log.Attach(E, H);
    // Without its settings there is no page session to judge: a host stops here.
    if (E.EngineSetOptions(H, kOptionsA) != 0) {
      E.EngineFina(H);
      const bool Reached = DisarmCountdown();
      return Judge(Reached, "EngineSetOptions", Log, false, true, "");
    }
    if (E.ConfigInit(H, nullptr, 0, &Page) != ENGINE_OK) Refuse("ConfigInit");
    E.ConfigFirst(Page);
    if (E.ConfigIsBOF(Page) != -1 || E.ConfigIsEOF(Page) != -1) Refuse("ConfigIsBOF/ConfigIsEOF");
    // Refused, the port keeps A whole, never part of B.
    if (E.EngineSetOptions(H, kOptionsB) != 0) {
      Refuse("EngineSetOptions");
      char Now[256];
      KeptWhole = !OptionsOf(E, H, Now) || std::string_view(Now) == kOptionsA;
    }
    // As the host guide says: the update only after a check that found the entries valid.
    if (E.ConfigCheckSucceed(Page) != 0)
      Refuse("ConfigCheckSucceed");
    else
      E.ConfigUpdate(Page);
    const uint32_t Work = E.ConfigPort(Page);
    if (Work == 0) Refuse("ConfigPort");
    WorkingRead = Work != 0 && OptionsOf(E, Work, Working);
    if (Work != 0 && !WorkingRead) Refuse("EngineGetOptions");
    E.ConfigFina(Page);
    FinalRead = OptionsOf(E, H, Final);
    if (!FinalRead) Refuse("EngineGetOptions");
    E.EngineFina(H);
  }
  const bool Reached = DisarmCountdown();
  const std::string_view A = kOptionsA, B = kOptionsB;
  const bool WorkingKept = !WorkingRead || Working == A;
  return Judge(Reached, Refused, Log, WorkingRead && FinalRead && Working == A && Final == A,
               KeptWhole && WorkingKept && (!FinalRead || Final == A || Final == B),
               Final == B ? "the update lost" : "settings neither as they were nor as the page held them");
}

// ---- memory that stays short ----

// From MoveFirst on every allocation fails: the host is still told, once, and the walk ends.
TTrialResult ShortOfMemoryTrial(const TExports& E, uint64_t) {
  THostLog Log;
  uint32_t H = 0;
  const bool Made = E.EngineInit(ENGINE_PORT_IMPORT, &H) == ENGINE_OK;
  Log.Attach(E, H);
  E.EngineSetOptions(H, kImportOptions);
  ArmCountdown(1, true);
  E.MoveFirst(H);
  const int32_t Eof = E.IsEof(H);
  E.EngineFina(H);
  TTrialResult R;
  R.Reached = DisarmCountdown();
  const bool Told = Made && Log.Count == 1 && platform::SystemErrorText(8) == Log.Text && Eof == 1;
  R.Verdict = Told ? TVerdict::Told : TVerdict::Silent;
  std::snprintf(R.How, sizeof R.How, "%d events (%.60s), IsEof %d", Log.Count, Log.Text, Eof);
  return R;
}

// ---- the loop ----

struct TTally {
  int Runs = 0, Right = 0, Told = 0, Silent = 0, Crashed = 0;
  std::map<std::string, int> HowTold;
  std::vector<std::string> Faults;  // the first few silent and crashed runs
};

TTally FailEachAllocationInTurn(const char* Kind, void (*Prepare)(), TTrial Trial) {
  TTally T;
  for (uint64_t N = 0;; ++N) {
    if (Prepare) Prepare();
    const TTrialResult R = RunOnFreshEngine(Trial, N, kTrialSeconds);
    // N = 0 arms nothing: the transfer as it runs with memory to spare.
    if (N == 0) {
      EXPECT_EQ(R.Verdict, TVerdict::Right) << Kind << " without a failure: " << R.How;
      continue;
    }
    if (!R.Reached && R.Verdict != TVerdict::Crashed) break;
    ++T.Runs;
    switch (R.Verdict) {
      case TVerdict::Right: ++T.Right; break;
      case TVerdict::Told: ++T.Told, ++T.HowTold[R.How]; break;
      case TVerdict::Silent: ++T.Silent; break;
      case TVerdict::Crashed: ++T.Crashed; break;
    }
    if ((R.Verdict == TVerdict::Silent && T.Silent <= 6) ||
        (R.Verdict == TVerdict::Crashed && T.Crashed <= 6))
      T.Faults.push_back("allocation " + std::to_string(N) + ": " +
                         (R.Verdict == TVerdict::Crashed ? "crashed, " : "silent, ") + R.How);
    if (N > 100000) {
      ADD_FAILURE() << Kind << ": the countdown is still reached after 100000 allocations";
      break;
    }
  }
  std::printf("%s: %d runs, %d all right, %d told, %d silent, %d crashed\n", Kind, T.Runs, T.Right, T.Told,
              T.Silent, T.Crashed);
  for (const auto& [How, Count] : T.HowTold) std::printf("  told %4d: %s\n", Count, How.c_str());
  for (const std::string& F : T.Faults) std::printf("  %s\n", F.c_str());
  EXPECT_EQ(T.Silent, 0) << Kind;
  EXPECT_EQ(T.Crashed, 0) << Kind;
  EXPECT_GT(T.Runs, 10) << Kind << ": the countdown hardly reached the engine";
  return T;
}

class AllocLoopTest : public PortHostTest {
 protected:
  void SetUp() override {
    if (const char* Why = CountdownUnavailable()) GTEST_SKIP() << Why;
    PortHostTest::SetUp();
    // A connection the emulator fails to make is given up soon, not after ten seconds.
    SetEnv("HALVERN_CONNECT_TIMEOUT", "2");
  }
};

TEST_F(AllocLoopTest, ImportOfTwoThousandRecords) {
  FailEachAllocationInTurn("import", &PrepareImport, &ImportTrial);
}

TEST_F(AllocLoopTest, ExportOfThreeHundredRecords) {
  FailEachAllocationInTurn("export", &PrepareExport, &ExportTrial);
}

TEST_F(AllocLoopTest, ConfigurationPageSession) {
  FailEachAllocationInTurn("page", nullptr, &PageTrial);
}

TEST_F(AllocLoopTest, TheHostIsToldWhileMemoryStaysShort) {
  if (const char* Why = FailingForGoodUnavailable()) GTEST_SKIP() << Why;
  PrepareImport();
  const TTrialResult R = RunOnFreshEngine(&ShortOfMemoryTrial, 0, kTrialSeconds);
  EXPECT_TRUE(R.Reached);
  EXPECT_EQ(R.Verdict, TVerdict::Told) << R.How;
}

}  // namespace
}  // namespace halvern::test
