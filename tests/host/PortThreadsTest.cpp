// A port or page finalized while calls are inside it: on another thread (a host cancelling a transfer
// from its window's thread) or on the same thread, from the port's own event procedure. The handle dies
// at once, running calls finish on intact state (the sanitizers watch), and the closing work runs once.
#include <atomic>
#include <thread>

#include "PortTestSupport.h"

namespace halvern::test {
namespace {

TEST_F(PortHostTest, ImportFinalizedWhileAnotherThreadReads) {
  std::string Text;
  for (int I = 0; I < 3000; ++I) Text += "A" + std::to_string(I) + "|1|note\r\n";
  WriteDeviceFile("Temp/many.txt", Text);
  auto Read = reinterpret_cast<HV_READ_TEXT_PROC>(E->FieldGetProc(1, HV_FT_STRING));
  for (int Round = 0; Round < 20; ++Round) {
    TPortHandle Port(E, 1);
    Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\many.txt");
    E->MoveFirst(Port.H());
    std::atomic<int> Steps{0};
    std::thread Reader([&, H = Port.H()] {
      char Buffer[64];
      for (;;) {
        const int32_t Eof = E->IsEof(H);
        if (Eof == -1) return;  // finalized
        if (Eof == 1) {
          E->MoveFirst(H);
          continue;
        }
        int32_t Size = sizeof Buffer;
        Read(H, 0, Buffer, &Size);
        E->MoveNext(H);
        ++Steps;
      }
    });
    while (Steps < 50 * (Round % 4)) std::this_thread::yield();
    Port.Fina();
    Reader.join();
    EXPECT_TRUE(Port.Log.empty()) << Port.Log.front().second;
  }
}

TEST_F(PortHostTest, ExportFinalizedWhileAnotherThreadAppends) {
  auto Write = reinterpret_cast<HV_WRITE_TEXT_PROC>(E->FieldGetProc(2, HV_FT_STRING));
  WriteDeviceFile("Temp/out.txt", "");  // the folder
  for (int Round = 0; Round < 10; ++Round) {
    TPortHandle Port(E, 2);
    Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\out.txt");
    std::atomic<int> Posted{0};
    std::atomic<bool> Stop{false};
    std::thread Writer([&, H = Port.H()] {
      while (!Stop) {
        E->Append(H);
        for (int32_t I = 0; I < 3; ++I) Write(H, I, "abc", 3);
        E->Post(H);
        ++Posted;
      }
    });
    while (Posted < 20 * (Round % 3)) std::this_thread::yield();
    const int PostedBeforeFina = Posted;
    Port.Fina();
    Stop = true;
    Writer.join();
    // Written once, with every record posted before the handle died and none cut short.
    const std::string File = ReadDeviceFile("Temp/out.txt");
    size_t Lines = 0;
    for (size_t At = 0; At < File.size(); At += 13, ++Lines)
      ASSERT_EQ(File.substr(At, 11), "abc|abc|abc") << "at byte " << At;
    EXPECT_GE(Lines, static_cast<size_t>(PostedBeforeFina));
    EXPECT_TRUE(Port.Log.empty());
  }
}

// The host's log procedure finalizes the port that reports: the call that raised the event carries on.
struct TFinaFromEvent {
  const TExports* E;
  uint32_t H;
  int Events = 0;
};

void HV_STDCALL FinaOnLog(void* UserData, int32_t, const char*) {
  auto* F = static_cast<TFinaFromEvent*>(UserData);
  ++F->Events;
  F->E->EngineFina(F->H);
}

TEST_F(PortHostTest, PortFinalizedFromItsOwnEventProcedure) {
  uint32_t H = 0;
  ASSERT_EQ(E->EngineInit(1, &H), ENGINE_OK);
  TFinaFromEvent F{E, H};
  E->EngineSetEvent(H, &F, EVENT_LOG_MESSAGE, reinterpret_cast<HV_PROC>(&FinaOnLog));
  E->EngineSetOptions(H, HV_OPTION_FILE_NAME "=\\Temp\\absent.txt");
  E->MoveFirst(H);
  EXPECT_EQ(F.Events, 1);
  EXPECT_EQ(E->IsEof(H), -1) << "the handle died in the event procedure";
  E->EngineFina(H);  // dead: nothing more happens
  EXPECT_EQ(F.Events, 1);
}

TEST_F(PortHostTest, PageFinalizedWhileAnotherThreadUsesIt) {
  for (int Round = 0; Round < 10; ++Round) {
    TPortHandle Port(E, 1);
    // Valid entries: a check that fails shows a modal message box, which on a display waits for a user.
    Port.SetOptions(HV_OPTION_FILE_NAME "=\\Temp\\page.txt");
    uint32_t Page = 0;
    ASSERT_EQ(E->ConfigInit(Port.H(), nullptr, 0, &Page), ENGINE_OK);
    std::atomic<int> Calls{0};
    std::thread User([&] {
      while (E->ConfigIsEOF(Page) != CONFIG_ERR_HANDLE) {
        E->ConfigNext(Page);
        E->ConfigCheckSucceed(Page);
        ++Calls;
      }
    });
    while (Calls < 5 * (Round % 3)) std::this_thread::yield();
    E->ConfigFina(Page);
    User.join();
    EXPECT_EQ(E->ConfigIsBOF(Page), CONFIG_ERR_HANDLE);
  }
}

}  // namespace
}  // namespace halvern::test
