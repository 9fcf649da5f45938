// Every device call of a transfer failed in turn: call N of the connection fails, for N = 1, 2, ...
// until a transfer fires no fault. Each failed transfer must give exactly one code-35 event, read no
// partial file, leave the previous device file as it was (but for the one moment the event names), and
// leave no connection or file open (the leak checker of the sanitizer builds watches memory).
#include "PortTestSupport.h"

namespace halvern::test {
namespace {

using TRecords = std::vector<std::vector<std::string>>;

const TRecords Records{{"A1", "1", "x"}, {"A2", "0", ""}, {"A3", "1", "\xB1\xB8\xD7\xA2"}};
const std::string Text = "A1|1|x\r\nA2|0|\r\nA3|1|\xB1\xB8\xD7\xA2";

// Runs Transfer with call N failing for N = 1, 2, ... and checks each run; returns the number of runs
// that fired a fault.
template <class TTransfer>
int FailEachCallInTurn(TTransfer Transfer) {
  for (int N = 1; N < 200; ++N) {
    SetEnv("HALVERN_DEVICE_FAULTS", "fail-call=" + std::to_string(N));
    TPortDevice::Get().ResetCounters();
    const TLog Log = Transfer();
    const RapiEmuCounters C = TPortDevice::Get().Counters();
    EXPECT_EQ(C.ConnectionsOpened, C.ConnectionsClosed) << "call " << N;
    EXPECT_EQ(C.FilesOpened, C.HandlesClosed) << "call " << N;
    if (C.FaultsFired == 0) {
      EXPECT_TRUE(Log.empty()) << "call " << N << ": " << Log.front().second;
      return N - 1;
    }
    EXPECT_EQ(Log.size(), 1u) << "call " << N;
    if (!Log.empty()) {
      EXPECT_EQ(Log.front().first, 35) << "call " << N;
    }
  }
  ADD_FAILURE() << "the transfer never completed";
  return 0;
}

TEST_F(PortHostTest, ImportSurvivesEachDeviceCallFailing) {
  WriteDeviceFile("Temp/loop.txt", Text);
  const int Failed = FailEachCallInTurn([&] {
    TPortHandle Port(E, 1);
    Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\loop.txt");
    const TRecords Got = Port.ReadAll();
    const bool Faulted = TPortDevice::Get().Counters().FaultsFired != 0;
    EXPECT_EQ(Got, Faulted ? TRecords{} : Records) << "a failed read yields nothing, not a part";
    return Port.Log;
  });
  EXPECT_GE(Failed, 3) << "init, open and a read at least";
}

TEST_F(PortHostTest, ExportSurvivesEachDeviceCallFailing) {
  const std::string Previous = "B1|chair|2\r\nB2|desk|1";
  const int Failed = FailEachCallInTurn([&] {
    WriteDeviceFile("Temp/loop.txt", Previous);
    TLog Log;
    {
      TPortHandle Port(E, 2);
      Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\loop.txt");
      Port.WriteAll(Records);
      Port.Fina();
      Log = Port.Log;
    }
    const bool Temporary = DeviceFileExists("Temp/loop.txt.tmp");
    if (Log.empty()) {
      EXPECT_EQ(ReadDeviceFile("Temp/loop.txt"), Text);
      EXPECT_FALSE(Temporary);
    } else if (!Log.front().second.starts_with("Cannot rename file")) {
      // Any failure before the previous list is deleted keeps it as it was, and nothing else.
      EXPECT_EQ(ReadDeviceFile("Temp/loop.txt"), Previous) << Log.front().second;
      EXPECT_FALSE(Temporary) << Log.front().second;
    } else {
      // The one moment left, between the delete and the rename: the new list is whole under the
      // temporary name, and the event says so.
      EXPECT_FALSE(DeviceFileExists("Temp/loop.txt"));
      EXPECT_EQ(ReadDeviceFile("Temp/loop.txt.tmp"), Text);
      EXPECT_NE(Log.front().second.find("\"\\Temp\\loop.txt.tmp\""), std::string::npos) << Log.front().second;
      std::filesystem::remove(TPortDevice::Get().Root() / "Temp/loop.txt.tmp");
    }
    return Log;
  });
  EXPECT_GE(Failed, 5) << "init, create, write, delete and rename at least";
}

}  // namespace
}  // namespace halvern::test
