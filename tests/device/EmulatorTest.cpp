// The device emulator's own behaviour, driven through the bound entry points as the engine drives them:
// connections waited for as the real link makes them wait, path mapping and its refusals, Win32 file
// semantics, every injected fault, the link's delays and the counters that prove connections and
// handles are closed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>

#include "device/KtRAPI.h"
#include "platform/EventWait.h"
#include "tests/device/DeviceTestSupport.h"

namespace halvern {
namespace {

using namespace rapi;

class EmulatorTest : public test::TEmulatorTest {
 protected:
  void TearDown() override {
    if (!IsSkipped()) {
      while (CeRapiUninit() == RapiSOk) {
      }
    }
    TEmulatorTest::TearDown();
  }

  HANDLE Open(const char16_t* Name, DWORD Access, DWORD Share, DWORD Disposition) {
    return CeCreateFile(Name, Access, Share, nullptr, Disposition, FileAttributeNormal, nullptr);
  }
  // The last error of a failed open, or 0 when it opened (the handle is closed again).
  DWORD OpenError(const char16_t* Name, DWORD Access = GenericRead, DWORD Disposition = OpenExisting) {
    HANDLE H = Open(Name, Access, FileShareRead, Disposition);
    if (H != InvalidHandleValue()) {
      CeCloseHandle(H);
      return 0;
    }
    return CeGetLastError();
  }
  std::string ReadAll(HANDLE H) {
    std::string Out;
    char Buf[4096];
    DWORD Done = 0;
    while (CeReadFile(H, Buf, sizeof Buf, &Done, nullptr) && Done > 0) Out.append(Buf, Done);
    return Out;
  }
  bool Write(HANDLE H, const std::string& S, DWORD* Done = nullptr) {
    DWORD N = 0;
    const BOOL Ok = CeWriteFile(H, S.data(), static_cast<DWORD>(S.size()), &N, nullptr);
    if (Done) *Done = N;
    return Ok != 0;
  }
};

// A plain CeRapiInit on another thread, which waits as long as no device is there. Result gives up after
// 20 s and ends the wait with CeRapiUninit, so a fault fails the test instead of hanging it.
class TWaitingInit {
 public:
  TWaitingInit() : FResult(std::async(std::launch::async, [] { return CeRapiInit(); })) {}
  ~TWaitingInit() {
    if (FResult.valid()) Result();
  }
  bool Answered(int Milliseconds) {
    return FResult.wait_for(std::chrono::milliseconds(Milliseconds)) == std::future_status::ready;
  }
  HRESULT Result() {
    if (!Answered(20000)) {
      ADD_FAILURE() << "CeRapiInit still waits";
      CeRapiUninit();
    }
    return FResult.get();
  }

 private:
  std::future<HRESULT> FResult;
};

// The result of an asynchronous request, read as the engine reads it once the event is set.
HRESULT ResultOf(RAPIINIT& Init) {
  return std::atomic_ref<HRESULT>(Init.hrRapiInit).load(std::memory_order_acquire);
}

TEST_F(EmulatorTest, CeRapiInitWaitsForTheDevice) {
  // No device: the call waits until another thread's CeRapiUninit ends the wait.
  test::SetEnv("HALVERN_DEVICE_ROOT", "");
  {
    TWaitingInit Init;
    EXPECT_FALSE(Init.Answered(200));
    EXPECT_EQ(CeRapiUninit(), RapiSOk);
    EXPECT_EQ(Init.Result(), RapiEFail);
    EXPECT_EQ(CeGetLastError(), ErrorDeviceNotConnected);
  }
  // Without a connection the device refuses file calls and a stray uninit.
  EXPECT_EQ(Open(u"\\a", GenericRead, 0, OpenExisting), InvalidHandleValue());
  EXPECT_EQ(CeGetLastError(), ErrorDeviceNotConnected);
  EXPECT_EQ(CeRapiUninit(), RapiEFail);

  // The device's folder appears while the call waits: it connects.
  test::SetEnv("HALVERN_DEVICE_ROOT", (FRoot.Path() / "docked").string());
  {
    TWaitingInit Init;
    EXPECT_FALSE(Init.Answered(100));
    std::filesystem::create_directories(FRoot.Path() / "docked");
    EXPECT_EQ(Init.Result(), RapiSOk);
  }
  EXPECT_EQ(OpenError(u"\\new.txt", GenericWrite, CreateNew), 0u);
  EXPECT_EQ(CeRapiUninit(), RapiSOk);
  const RapiEmuCounters C = Counters();
  EXPECT_EQ(C.InitCalls, 2u);
  EXPECT_EQ(C.ConnectionsOpened, 1u);
  EXPECT_EQ(C.ConnectionsClosed, 1u);
  EXPECT_EQ(C.ConnectionsAsked, 1u);
  EXPECT_EQ(C.ConnectionsEnded, 1u);
  EXPECT_EQ(C.UninitCalls, 3u);
}

TEST_F(EmulatorTest, CeRapiInitExAnswersAtOnceAndSetsItsEventWhenTheDeviceAppears) {
  test::SetEnv("HALVERN_DEVICE_ROOT", (FRoot.Path() / "docked").string());
  RAPIINIT Init{sizeof(RAPIINIT), nullptr, RapiEFail};
  ASSERT_EQ(CeRapiInitEx(&Init), RapiSOk);
  EXPECT_EQ(platform::WaitForEvent(Init.heRapiInit, 100), platform::TEventWait::TimedOut);
  std::filesystem::create_directories(FRoot.Path() / "docked");
  ASSERT_EQ(platform::WaitForEvent(Init.heRapiInit, 20000), platform::TEventWait::Signalled);
  EXPECT_EQ(ResultOf(Init), RapiSOk);
  EXPECT_EQ(OpenError(u"\\new.txt", GenericWrite, CreateNew), 0u);
  EXPECT_EQ(CeRapiUninit(), RapiSOk);

  // A request never answered is ended by CeRapiUninit all the same.
  test::SetEnv("HALVERN_DEVICE_ROOT", "");
  Init = RAPIINIT{sizeof(RAPIINIT), nullptr, RapiEFail};
  ASSERT_EQ(CeRapiInitEx(&Init), RapiSOk);
  EXPECT_EQ(platform::WaitForEvent(Init.heRapiInit, 50), platform::TEventWait::TimedOut);
  EXPECT_EQ(CeRapiUninit(), RapiSOk);

  // The init fault answers through the event at once; a wrong size is refused.
  test::SetEnv("HALVERN_DEVICE_FAULTS", "init=21");
  Init = RAPIINIT{sizeof(RAPIINIT), nullptr, RapiSOk};
  ASSERT_EQ(CeRapiInitEx(&Init), RapiSOk);
  EXPECT_EQ(platform::WaitForEvent(Init.heRapiInit, 0), platform::TEventWait::Signalled);
  EXPECT_EQ(ResultOf(Init), RapiEFail);
  EXPECT_EQ(CeGetLastError(), ErrorNotReady);
  EXPECT_EQ(CeRapiUninit(), RapiSOk);
  Init.cbSize = 4;
  EXPECT_EQ(CeRapiInitEx(&Init), RapiEInvalidArg);

  const RapiEmuCounters C = Counters();
  EXPECT_EQ(C.InitExCalls, 4u);
  EXPECT_EQ(C.ConnectionsAsked, 3u);
  EXPECT_EQ(C.ConnectionsEnded, 3u);
  EXPECT_EQ(C.ConnectionsOpened, 1u);
  EXPECT_EQ(C.ConnectionsClosed, 1u);
}

TEST_F(EmulatorTest, DockAfterKeepsTheDeviceAwayForAWhile) {
  using Clock = std::chrono::steady_clock;
  test::SetEnv("HALVERN_DEVICE_FAULTS", "dock-after=500");
  auto Start = Clock::now();
  RAPIINIT Init{sizeof(RAPIINIT), nullptr, RapiEFail};
  ASSERT_EQ(CeRapiInitEx(&Init), RapiSOk);
  EXPECT_EQ(platform::WaitForEvent(Init.heRapiInit, 0), platform::TEventWait::TimedOut);
  ASSERT_EQ(platform::WaitForEvent(Init.heRapiInit, 20000), platform::TEventWait::Signalled);
  EXPECT_GE(Clock::now() - Start, std::chrono::milliseconds(500));
  EXPECT_EQ(ResultOf(Init), RapiSOk);
  EXPECT_EQ(CeRapiUninit(), RapiSOk);

  test::SetEnv("HALVERN_DEVICE_FAULTS", "dock-after=200");
  Start = Clock::now();
  EXPECT_EQ(CeRapiInit(), RapiSOk);
  EXPECT_GE(Clock::now() - Start, std::chrono::milliseconds(200));
}

TEST_F(EmulatorTest, InitFaultFailsTheConnectionWithTheChosenCode) {
  test::SetEnv("HALVERN_DEVICE_FAULTS", "init");
  EXPECT_EQ(CeRapiInit(), RapiEFail);
  EXPECT_EQ(CeGetLastError(), ErrorDeviceNotConnected);
  test::SetEnv("HALVERN_DEVICE_FAULTS", " init=21 ");
  EXPECT_EQ(CeRapiInit(), RapiEFail);
  EXPECT_EQ(CeGetLastError(), ErrorNotReady);
  EXPECT_EQ(Counters().ConnectionsOpened, 0u);
  Connect("bogus,also=bogus");  // unknown items are ignored
}

TEST_F(EmulatorTest, RefusesPathsThatWouldLeaveTheRoot) {
  Connect();
  test::WriteHostFile(Host("inner/x.txt"), "x");
  test::WriteHostFile(FRoot.Path().parent_path() / "outside.txt", "secret");
  for (const char16_t* Name :
       {u"\\..\\outside.txt", u"..\\outside.txt", u"/../outside.txt", u"\\inner\\..\\..\\outside.txt",
        u"\\inner\\..\\x.txt", u"C:\\outside.txt", u"C:outside.txt", u"\\inner\\c:x.txt",
        u"\\\\server\\share\\x.txt", u"//server/x"}) {
    EXPECT_EQ(OpenError(Name), ErrorAccessDenied)
        << std::string(Name, Name + std::char_traits<char16_t>::length(Name));
    EXPECT_EQ(OpenError(Name, GenericWrite, CreateAlways), ErrorAccessDenied);
  }
  EXPECT_EQ(test::ReadHostFile(FRoot.Path().parent_path() / "outside.txt"), "secret");
  std::filesystem::remove(FRoot.Path().parent_path() / "outside.txt");
  EXPECT_EQ(OpenError(u"\\inner\\*.txt"), ErrorInvalidName);
  EXPECT_EQ(OpenError(u"\\inner\\a?.txt"), ErrorInvalidName);
  EXPECT_EQ(OpenError(u"\\inner\\"), ErrorAccessDenied);  // a folder is no file
  EXPECT_EQ(OpenError(u""), ErrorPathNotFound);
  EXPECT_EQ(OpenError(u"/inner/./x.txt"), 0u);
}

TEST_F(EmulatorTest, MatchesNamesRegardlessOfCase) {
  Connect();
  test::WriteHostFile(Host("Temp/Stock.TXT"), "data");
  HANDLE H = Open(u"\\TEMP\\stock.txt", GenericRead, FileShareRead, OpenExisting);
  ASSERT_NE(H, InvalidHandleValue());
  EXPECT_EQ(ReadAll(H), "data");
  CeCloseHandle(H);
  // Creating through another spelling replaces the existing file rather than adding a second one.
  H = Open(u"\\temp\\STOCK.txt", GenericRead | GenericWrite, 0, CreateAlways);
  ASSERT_NE(H, InvalidHandleValue());
  EXPECT_EQ(CeGetLastError(), ErrorAlreadyExists);
  CeCloseHandle(H);
  EXPECT_EQ(test::ReadHostFile(Host("Temp/Stock.TXT")), "");
  size_t Entries = 0;
  for ([[maybe_unused]] const auto& E : std::filesystem::directory_iterator(Host("Temp"))) ++Entries;
  EXPECT_EQ(Entries, 1u);
  // Greek and full-width letters fold as well.
  std::filesystem::create_directories(FRoot.Path() / std::filesystem::path(u"\u0394\uFF21"));
  EXPECT_EQ(OpenError(u"\\\u03B4\uFF41\\new.txt", GenericWrite, CreateNew), 0u);
  EXPECT_TRUE(std::filesystem::exists(FRoot.Path() / std::filesystem::path(u"\u0394\uFF21/new.txt")));
}

TEST_F(EmulatorTest, FollowsWin32Dispositions) {
  Connect();
  EXPECT_EQ(OpenError(u"\\a.txt"), ErrorFileNotFound);
  EXPECT_EQ(OpenError(u"\\no\\a.txt"), ErrorPathNotFound);
  EXPECT_EQ(OpenError(u"\\no\\a.txt", GenericWrite, CreateAlways), ErrorPathNotFound);
  EXPECT_EQ(OpenError(u"\\a.txt", GenericWrite, CreateNew), 0u);
  EXPECT_EQ(OpenError(u"\\a.txt", GenericWrite, CreateNew), ErrorFileExists);
  test::WriteHostFile(Host("a.txt"), "old");
  EXPECT_EQ(OpenError(u"\\a.txt", GenericWrite, OpenAlways), 0u);
  EXPECT_EQ(test::ReadHostFile(Host("a.txt")), "old");
  EXPECT_EQ(OpenError(u"\\a.txt", GenericWrite, TruncateExisting), 0u);
  EXPECT_EQ(test::ReadHostFile(Host("a.txt")), "");
  EXPECT_EQ(OpenError(u"\\a.txt", GenericRead, 9), ErrorInvalidParameter);
}

TEST_F(EmulatorTest, KeepsAFilePointerAndAnEndOfFile) {
  Connect();
  HANDLE H = Open(u"\\f.bin", GenericRead | GenericWrite, 0, CreateAlways);
  ASSERT_NE(H, InvalidHandleValue());
  EXPECT_TRUE(Write(H, "0123456789"));
  EXPECT_EQ(CeSetFilePointer(H, 0, nullptr, FileCurrent), 10u);
  EXPECT_EQ(CeSetFilePointer(H, -4, nullptr, FileEnd), 6u);
  char Buf[8];
  DWORD Done = 99;
  EXPECT_TRUE(CeReadFile(H, Buf, 8, &Done, nullptr));
  EXPECT_EQ(std::string(Buf, Done), "6789");
  EXPECT_TRUE(CeReadFile(H, Buf, 8, &Done, nullptr));  // past the end: success, nothing read
  EXPECT_EQ(Done, 0u);
  EXPECT_EQ(CeSetFilePointer(H, -1, nullptr, FileBegin), InvalidSetFilePointer);
  EXPECT_EQ(CeGetLastError(), ErrorNegativeSeek);
  EXPECT_EQ(CeSetFilePointer(H, 0, nullptr, FileCurrent), 10u);  // unchanged by the failed seek
  EXPECT_EQ(CeSetFilePointer(H, 3, nullptr, FileBegin), 3u);
  EXPECT_TRUE(CeSetEndOfFile(H));
  EXPECT_EQ(CeSetFilePointer(H, 0, nullptr, FileEnd), 3u);
  EXPECT_EQ(CeSetFilePointer(H, 0, nullptr, 7), InvalidSetFilePointer);
  EXPECT_TRUE(CeCloseHandle(H));
  EXPECT_EQ(test::ReadHostFile(Host("f.bin")), "012");
}

TEST_F(EmulatorTest, EnforcesAccessAndShareModes) {
  Connect();
  test::WriteHostFile(Host("s.txt"), "abc");
  HANDLE Reader = Open(u"\\s.txt", GenericRead, FileShareRead, OpenExisting);
  ASSERT_NE(Reader, InvalidHandleValue());
  DWORD Done = 0;
  EXPECT_FALSE(Write(Reader, "x", &Done));
  EXPECT_EQ(CeGetLastError(), ErrorAccessDenied);
  EXPECT_FALSE(CeSetEndOfFile(Reader));
  EXPECT_EQ(OpenError(u"\\s.txt", GenericRead), 0u);  // others may read
  EXPECT_EQ(OpenError(u"\\s.txt", GenericWrite), ErrorSharingViolation);
  EXPECT_EQ(OpenError(u"\\s.txt", GenericWrite, CreateAlways), ErrorSharingViolation);
  EXPECT_EQ(test::ReadHostFile(Host("s.txt")), "abc");  // not truncated by the refused create
  CeCloseHandle(Reader);

  HANDLE Writer = Open(u"\\s.txt", GenericWrite, 0, OpenExisting);
  ASSERT_NE(Writer, InvalidHandleValue());
  char Buf[4];
  EXPECT_FALSE(CeReadFile(Writer, Buf, 4, &Done, nullptr));
  EXPECT_EQ(CeGetLastError(), ErrorAccessDenied);
  EXPECT_EQ(OpenError(u"\\s.txt", GenericRead), ErrorSharingViolation);
  CeCloseHandle(Writer);

  EXPECT_FALSE(CeCloseHandle(Writer));
  EXPECT_EQ(CeGetLastError(), ErrorInvalidHandle);
  EXPECT_FALSE(CeCloseHandle(InvalidHandleValue()));
  EXPECT_FALSE(CeReadFile(nullptr, Buf, 4, &Done, nullptr));
  EXPECT_EQ(CeGetLastError(), ErrorInvalidHandle);
}

TEST_F(EmulatorTest, OpenFaultFailsEveryOpen) {
  test::WriteHostFile(Host("a.txt"), "a");
  Connect("open=32");
  EXPECT_EQ(OpenError(u"\\a.txt"), ErrorSharingViolation);
  CeRapiUninit();
  Connect("open");
  EXPECT_EQ(OpenError(u"\\b.txt", GenericWrite, CreateAlways), ErrorAccessDenied);
  EXPECT_FALSE(std::filesystem::exists(Host("b.txt")));
  CeRapiUninit();
  Connect();  // faults are read anew at each connection
  EXPECT_EQ(OpenError(u"\\a.txt"), 0u);
}

TEST_F(EmulatorTest, ReadFaultStrikesAfterTheGivenByteCount) {
  test::WriteHostFile(Host("r.bin"), std::string(100, 'r'));
  Connect("read-after=30:21");
  HANDLE H = Open(u"\\r.bin", GenericRead, FileShareRead, OpenExisting);
  char Buf[100];
  DWORD Done = 0;
  EXPECT_TRUE(CeReadFile(H, Buf, 20, &Done, nullptr));
  EXPECT_TRUE(CeReadFile(H, Buf, 10, &Done, nullptr));
  EXPECT_FALSE(CeReadFile(H, Buf, 1, &Done, nullptr));
  EXPECT_EQ(Done, 0u);
  EXPECT_EQ(CeGetLastError(), ErrorNotReady);
  CeCloseHandle(H);
  CeRapiUninit();
  Connect("read-after=0");
  H = Open(u"\\r.bin", GenericRead, FileShareRead, OpenExisting);
  CeSetFilePointer(H, 0, nullptr, FileEnd);
  EXPECT_TRUE(CeReadFile(H, Buf, 10, &Done, nullptr));  // nothing left to read is no read
  CeSetFilePointer(H, 0, nullptr, FileBegin);
  EXPECT_FALSE(CeReadFile(H, Buf, 10, &Done, nullptr));
  EXPECT_EQ(CeGetLastError(), ErrorDeviceNotConnected);
  CeCloseHandle(H);
}

TEST_F(EmulatorTest, WriteFaultsStoreOnlyPartOfTheData) {
  Connect("write-after=5");
  HANDLE H = Open(u"\\w.bin", GenericWrite, 0, CreateAlways);
  DWORD Done = 0;
  EXPECT_TRUE(Write(H, "abc", &Done));
  EXPECT_FALSE(Write(H, "defgh", &Done));
  EXPECT_EQ(Done, 2u);
  EXPECT_EQ(CeGetLastError(), ErrorDiskFull);
  CeCloseHandle(H);
  EXPECT_EQ(test::ReadHostFile(Host("w.bin")), "abcde");
  CeRapiUninit();

  Connect("short-write");
  H = Open(u"\\w.bin", GenericWrite, 0, CreateAlways);
  EXPECT_TRUE(Write(H, "abcdefgh", &Done));
  EXPECT_EQ(Done, 4u);
  CeCloseHandle(H);
  EXPECT_EQ(test::ReadHostFile(Host("w.bin")), "abcd");
}

TEST_F(EmulatorTest, SetEofAndSeekFaults) {
  Connect("seteof=19,seek-after=2:6");
  HANDLE H = Open(u"\\e.bin", GenericRead | GenericWrite, 0, CreateAlways);
  EXPECT_FALSE(CeSetEndOfFile(H));
  EXPECT_EQ(CeGetLastError(), 19u);
  EXPECT_EQ(CeSetFilePointer(H, 0, nullptr, FileBegin), 0u);
  EXPECT_EQ(CeSetFilePointer(H, 0, nullptr, FileBegin), 0u);
  EXPECT_EQ(CeSetFilePointer(H, 0, nullptr, FileBegin), InvalidSetFilePointer);
  EXPECT_EQ(CeGetLastError(), ErrorInvalidHandle);
  CeCloseHandle(H);
}

TEST_F(EmulatorTest, DeletesAndRenamesFilesAsWin32Does) {
  Connect();
  test::WriteHostFile(Host("Temp/a.txt"), "a");
  test::WriteHostFile(Host("Temp/b.txt"), "b");
  const auto Fails = [](BOOL Ok) { return Ok ? 0u : CeGetLastError(); };
  EXPECT_EQ(Fails(CeDeleteFile(u"\\Temp\\none.txt")), ErrorFileNotFound);
  EXPECT_EQ(Fails(CeDeleteFile(u"\\None\\a.txt")), ErrorPathNotFound);
  EXPECT_EQ(Fails(CeDeleteFile(u"\\Temp")), ErrorAccessDenied);
  EXPECT_EQ(Fails(CeMoveFile(u"\\Temp\\none.txt", u"\\Temp\\c.txt")), ErrorFileNotFound);
  EXPECT_EQ(Fails(CeMoveFile(u"\\Temp\\a.txt", u"\\temp\\B.TXT")), ErrorAlreadyExists);
  // An open file is neither deleted nor renamed.
  HANDLE H = Open(u"\\Temp\\a.txt", GenericRead, FileShareRead, OpenExisting);
  EXPECT_EQ(Fails(CeDeleteFile(u"\\TEMP\\A.txt")), ErrorSharingViolation);
  EXPECT_EQ(Fails(CeMoveFile(u"\\Temp\\a.txt", u"\\Temp\\c.txt")), ErrorSharingViolation);
  CeCloseHandle(H);
  EXPECT_EQ(test::ReadHostFile(Host("Temp/a.txt")), "a");
  EXPECT_EQ(test::ReadHostFile(Host("Temp/b.txt")), "b");
  EXPECT_EQ(Fails(CeDeleteFile(u"\\Temp\\b.txt")), 0u);
  EXPECT_EQ(Fails(CeMoveFile(u"\\Temp\\A.TXT", u"\\Temp\\b.txt")), 0u);
  EXPECT_FALSE(std::filesystem::exists(Host("Temp/a.txt")));
  EXPECT_EQ(test::ReadHostFile(Host("Temp/b.txt")), "a");
  CeRapiUninit();

  // Their faults, and the call count of fail-call, which takes them in.
  Connect("delete=32,move=5");
  EXPECT_EQ(Fails(CeDeleteFile(u"\\Temp\\b.txt")), ErrorSharingViolation);
  EXPECT_EQ(Fails(CeMoveFile(u"\\Temp\\b.txt", u"\\Temp\\c.txt")), ErrorAccessDenied);
  CeRapiUninit();
  Connect("fail-call=3");
  EXPECT_EQ(Fails(CeMoveFile(u"\\Temp\\b.txt", u"\\Temp\\c.txt")), 0u);
  EXPECT_EQ(Fails(CeDeleteFile(u"\\Temp\\c.txt")), ErrorDeviceNotConnected);
  EXPECT_EQ(test::ReadHostFile(Host("Temp/c.txt")), "a");
  const RapiEmuCounters C = Counters();
  EXPECT_EQ(C.DeleteFileCalls, 7u);
  EXPECT_EQ(C.MoveFileCalls, 6u);
  EXPECT_EQ(C.FaultsFired, 1u);
}

TEST_F(EmulatorTest, TheLinkTakesTheTimeItsSpeedAllows) {
  // 100 KB/s and 20 ms per call: open, a write of 10,000 bytes and close take 160 ms (less a little for
  // a system clock coarser than the one measuring).
  test::SetEnv("HALVERN_DEVICE_LINK", "100:20");
  Connect();
  const auto Start = std::chrono::steady_clock::now();
  HANDLE H = Open(u"\\l.bin", GenericWrite, 0, CreateAlways);
  EXPECT_TRUE(Write(H, std::string(10000, 'l')));
  CeCloseHandle(H);
  EXPECT_GE(std::chrono::steady_clock::now() - Start, std::chrono::milliseconds(150));
  EXPECT_EQ(Counters().LinkCalls, 3u);
}

TEST_F(EmulatorTest, CountsConnectionsFilesAndHandles) {
  Connect();
  HANDLE H = Open(u"\\c.txt", GenericWrite, 0, CreateAlways);
  Write(H, "12345");
  CeCloseHandle(H);
  OpenError(u"\\missing");
  CeRapiUninit();
  RapiEmuCounters C = Counters();
  EXPECT_EQ(C.ConnectionsOpened, 1u);
  EXPECT_EQ(C.ConnectionsClosed, 1u);
  EXPECT_EQ(C.CreateFileCalls, 2u);
  EXPECT_EQ(C.FilesOpened, 1u);
  EXPECT_EQ(C.HandlesClosed, 1u);
  EXPECT_EQ(C.WriteCalls, 1u);
  EXPECT_EQ(C.BytesWritten, 5u);
  EXPECT_EQ(C.ConnectionsAsked, 1u);
  EXPECT_EQ(C.ConnectionsEnded, 1u);
  EXPECT_EQ(C.UninitCalls, 1u);
  FResetCounters();
  C = Counters();
  EXPECT_EQ(C.FilesOpened, 0u);
  EXPECT_EQ(C.InitCalls, 0u);
}

TEST_F(EmulatorTest, PublishesCountersToAFileForOtherProcesses) {
  const auto File = FRoot.Path() / "counters.txt";
  test::SetEnv("HALVERN_DEVICE_COUNTERS", File.string());
  Connect();
  CeRapiUninit();
  const std::string Text = test::ReadHostFile(File);
  EXPECT_NE(Text.find("ConnectionsOpened=1\n"), std::string::npos) << Text;
  EXPECT_NE(Text.find("ConnectionsClosed=1\n"), std::string::npos) << Text;
  EXPECT_NE(Text.find("HandlesClosed=0\n"), std::string::npos) << Text;
}

}  // namespace
}  // namespace halvern
