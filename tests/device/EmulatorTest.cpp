// The device emulator's own behaviour, driven through the bound entry points as the engine drives them:
// connections, path mapping and its refusals, Win32 file semantics, every injected fault and the
// counters that prove connections and handles are closed.
#include <gtest/gtest.h>

#include <string>

#include "device/KtRAPI.h"
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

TEST_F(EmulatorTest, ConnectsOnlyWithAnExistingRoot) {
  test::SetEnv("HALVERN_DEVICE_ROOT", "");
  EXPECT_EQ(CeRapiInit(), RapiEFail);
  EXPECT_EQ(CeGetLastError(), ErrorDeviceNotConnected);
  test::SetEnv("HALVERN_DEVICE_ROOT", (FRoot.Path() / "absent").string());
  EXPECT_EQ(CeRapiInit(), RapiEFail);
  // Without a connection the device refuses file calls and a stray uninit.
  EXPECT_EQ(Open(u"\\a", GenericRead, 0, OpenExisting), InvalidHandleValue());
  EXPECT_EQ(CeGetLastError(), ErrorDeviceNotConnected);
  EXPECT_EQ(CeRapiUninit(), RapiEFail);

  test::SetEnv("HALVERN_DEVICE_ROOT", FRoot.Path().string());
  EXPECT_EQ(CeRapiInit(), RapiSOk);
  EXPECT_EQ(CeRapiUninit(), RapiSOk);
  const RapiEmuCounters C = Counters();
  EXPECT_EQ(C.InitCalls, 3u);
  EXPECT_EQ(C.ConnectionsOpened, 1u);
  EXPECT_EQ(C.ConnectionsClosed, 1u);
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
