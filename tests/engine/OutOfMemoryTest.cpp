// A port that runs out of memory: told once, then moving no records, while its settings still answer and
// other ports go on.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineFixture.h"
#include "platform/SysError.h"

namespace halvern::test {
namespace {

using TLog = std::vector<std::pair<int32_t, std::string>>;

void HV_STDCALL Collect(void* UserData, int32_t Code, const char* Text) {
  static_cast<TLog*>(UserData)->emplace_back(Code, Text);
}

class OutOfMemoryTest : public EngineTest {
 protected:
  // A port made by EngineInit, its events collected in Logs[Handle].
  uint32_t Open(int32_t Kind) {
    uint32_t H = 0;
    EXPECT_EQ(::EngineInit(Kind, &H), ENGINE_OK);
    ::EngineSetEvent(H, &Logs[H], EVENT_LOG_MESSAGE, reinterpret_cast<HV_PROC>(&Collect));
    return H;
  }
  TFakePort& Fake(uint32_t H) { return *TFakePort::From(PortUnder(H).Get()); }
  std::map<uint32_t, TLog> Logs;
  const TLog Told{{EVENT_CODE_TRANSFER, platform::SystemErrorText(8)}};
};

TEST_F(OutOfMemoryTest, AnImportEndsItsWalkAndKeepsItsSettings) {
  const uint32_t Failing = Open(ENGINE_PORT_IMPORT), Other = Open(ENGINE_PORT_IMPORT);
  Fake(Failing).OutOfMemoryOnMove = true;
  ::MoveFirst(Failing);
  EXPECT_EQ(Logs[Failing], Told);
  // The walk is over, and no record call reaches the port again.
  ::MoveFirst(Failing);
  ::MoveNext(Failing);
  EXPECT_EQ(::IsEof(Failing), 1);
  EXPECT_EQ(::FieldIsEmpty(Failing, 0), -1);
  EXPECT_EQ(Probe->MoveFirsts, 1);
  EXPECT_EQ(Probe->MoveNexts, 0);
  EXPECT_EQ(Logs[Failing].size(), 1u) << "told once";
  // Its settings still answer.
  EXPECT_EQ(::EngineSetOptions(Failing, "kept"), ENGINE_OK);
  char Text[8];
  int32_t Size = sizeof Text;
  EXPECT_EQ(::EngineGetOptions(Failing, Text, &Size), -1);
  EXPECT_EQ(std::string(Text, static_cast<size_t>(Size)), "kept");
  EXPECT_EQ(::FieldGetCount(Failing), 2);
  // The other port goes on.
  ::MoveFirst(Other);
  EXPECT_EQ(::IsEof(Other), 0);
  EXPECT_EQ(Probe->MoveFirsts, 2);
  EXPECT_TRUE(Logs[Other].empty());
  ::EngineFina(Failing);
  ::EngineFina(Other);
  EXPECT_EQ(Probe->Closed, 1) << "only the other port is closed";
}

TEST_F(OutOfMemoryTest, AnExportTakesNoMoreRecordsAndIsNotClosed) {
  const uint32_t H = Open(ENGINE_PORT_EXPORT);
  Fake(H).OutOfMemoryOnMove = true;
  ::Append(H);
  ::Post(H);
  ::Append(H);
  EXPECT_EQ(Logs[H], Told);
  EXPECT_EQ(Probe->Appends, 1);
  EXPECT_EQ(Probe->Posts, 0);
  EXPECT_EQ(::FieldSetCount(H, 3), ENGINE_ERR_HANDLE);
  ::EngineFina(H);
  EXPECT_EQ(Probe->Closed, 0) << "a failed export writes nothing";
  // The slot is clean again: the next port in it is closed as usual.
  ::EngineFina(Open(ENGINE_PORT_EXPORT));
  EXPECT_EQ(Probe->Closed, 1);
}

TEST_F(OutOfMemoryTest, MemoryRunningOutInCloseIsToldToo) {
  const uint32_t H = Open(ENGINE_PORT_EXPORT);
  TLog& Log = Logs[H];  // the port is gone once EngineFina returns; the log stays
  Fake(H).OutOfMemoryOnClose = true;
  ::EngineFina(H);
  EXPECT_EQ(Log, Told);
}

}  // namespace
}  // namespace halvern::test
