// The device file stream against the emulator: opening and creating, reads at the end, size, whole-file
// copies across the 0xF000 chunk edge, and every failure with its exact message.
#include <gtest/gtest.h>

#include <string>

#include "device/KtRAPI.h"
#include "platform/SysError.h"
#include "rtl/Exceptions.h"
#include "rtl/Stream.h"
#include "tests/device/DeviceTestSupport.h"

namespace halvern {
namespace {

using platform::SystemErrorText;

std::string Pattern(size_t Size) {
  std::string S(Size, '\0');
  for (size_t I = 0; I < Size; ++I) S[I] = static_cast<char>((I * 131 + I / 7) & 0xFF);
  return S;
}

class RApiStreamTest : public test::TEmulatorTest {
 protected:
  void SetUp() override {
    TEmulatorTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Connect();
  }
  void TearDown() override {
    if (!IsSkipped()) CeRapiUninit();
    TEmulatorTest::TearDown();
  }
  // Reconnects with faults in force.
  void Reconnect(const std::string& Faults) {
    CeRapiUninit();
    Connect(Faults);
  }
};

TEST_F(RApiStreamTest, OpensReadsAndReadsPastTheEnd) {
  test::WriteHostFile(Host("Temp/stock.txt"), "A|B\r\n");
  TRApiStream S("\\Temp\\stock.txt", TRApiStream::ModeShareDenyWrite);
  char Buf[16] = {};
  EXPECT_EQ(S.Read(Buf, sizeof Buf), 5);
  EXPECT_EQ(std::string(Buf, 5), "A|B\r\n");
  EXPECT_EQ(S.Read(Buf, sizeof Buf), 0);
  EXPECT_EQ(S.Read(Buf, 0), 0);
  EXPECT_EQ(S.Read(Buf, -1), 0);  // never handed to the device as a huge count
  EXPECT_EQ(Counters().ReadCalls, 2u);
}

TEST_F(RApiStreamTest, CreateReplacesAnExistingFile) {
  test::WriteHostFile(Host("out.txt"), "a much longer old content");
  {
    TRApiStream S("\\out.txt", TRApiStream::ModeCreate);
    S.WriteBuffer("new", 3);
  }
  EXPECT_EQ(test::ReadHostFile(Host("out.txt")), "new");
  const RapiEmuCounters C = Counters();
  EXPECT_EQ(C.FilesOpened, 1u);
  EXPECT_EQ(C.HandlesClosed, 1u);
}

TEST_F(RApiStreamTest, SizeLeavesThePositionUnchanged) {
  test::WriteHostFile(Host("f.bin"), Pattern(1000));
  TRApiStream S("\\f.bin", TRApiStream::ModeOpenRead);
  EXPECT_EQ(S.Seek(123, TSeekOrigin::Beginning), 123);
  EXPECT_EQ(S.GetSize(), 1000);
  EXPECT_EQ(S.GetPosition(), 123);
  EXPECT_EQ(S.Seek(-10, TSeekOrigin::End), 990);
  EXPECT_EQ(S.Seek(5, TSeekOrigin::Current), 995);
}

TEST_F(RApiStreamTest, CopiesWholeFilesBothWaysAcrossChunkEdges) {
  std::filesystem::create_directories(Host("Temp"));
  for (size_t Size : {size_t{0}, size_t{1}, size_t{0xF000}, size_t{0xF001}, size_t{3 * 1024 * 1024 + 7}}) {
    SCOPED_TRACE(Size);
    const std::string Data = Pattern(Size);
    TMemoryStream Source;
    Source.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
    {
      TRApiStream Out("\\Temp\\big.bin", TRApiStream::ModeCreate);
      EXPECT_EQ(Out.CopyFrom(Source, 0), static_cast<int64_t>(Size));
    }
    ASSERT_EQ(test::ReadHostFile(Host("Temp/big.bin")), Data);

    TMemoryStream Back;
    {
      TRApiStream In("\\temp\\BIG.bin", TRApiStream::ModeShareDenyWrite);
      EXPECT_EQ(Back.CopyFrom(In, 0), static_cast<int64_t>(Size));
    }
    ASSERT_EQ(Back.ToString(), Data);
  }
  const RapiEmuCounters C = Counters();
  EXPECT_EQ(C.FilesOpened, C.HandlesClosed);
}

TEST_F(RApiStreamTest, OpenFailuresNameTheFileAndTheSystemText) {
  const auto OpenMessage = [](const std::string& Name, uint16_t Mode) -> std::string {
    try {
      TRApiStream S(Name, Mode);
    } catch (const EFOpenError& E) {
      return E.what();
    }
    return "opened";
  };
  EXPECT_EQ(OpenMessage("\\missing.txt", 0x20), "Cannot open file \"\\missing.txt\". " + SystemErrorText(2));
  EXPECT_EQ(OpenMessage("\\NoDir\\x.txt", 0x20),
            "Cannot open file \"\\NoDir\\x.txt\". " + SystemErrorText(3));
  EXPECT_EQ(Counters().CreateFileCalls, 2u);
  EXPECT_EQ(Counters().FilesOpened, 0u);

  // Invalid access or sharing bits, and a name the device would cut short, never reach the device.
  test::WriteHostFile(Host("x.txt"), "x");
  EXPECT_EQ(OpenMessage("\\x.txt", 3), "Cannot open file \"\\x.txt\". " + SystemErrorText(87));
  EXPECT_EQ(OpenMessage("\\x.txt", 0x23), "Cannot open file \"\\x.txt\". " + SystemErrorText(87));
  EXPECT_EQ(OpenMessage("\\x.txt", 0x50), "Cannot open file \"\\x.txt\". " + SystemErrorText(87));
  // The message text ends at the zero, as every C string holding it does.
  const std::string WithZero("\\x.txt\0.exe", 11);
  EXPECT_EQ(OpenMessage(WithZero, 0x20), "Cannot open file \"\\x.txt");
  EXPECT_EQ(Counters().CreateFileCalls, 2u);

  // Bits outside access and sharing are ignored.
  EXPECT_EQ(OpenMessage("\\x.txt", 0x0120), "opened");
}

TEST_F(RApiStreamTest, CreateFailureNamesTheFileAndTheSystemText) {
  Reconnect("open=5");
  try {
    TRApiStream S("\\out.txt", TRApiStream::ModeCreate);
    ADD_FAILURE() << "created";
  } catch (const EFCreateError& E) {
    EXPECT_EQ(std::string(E.what()), "Cannot create file \"\\out.txt\". " + SystemErrorText(5));
  }
  Reconnect("open=32");
  EXPECT_THROW(TRApiStream("\\in.txt", 0x20), EFOpenError);
}

TEST_F(RApiStreamTest, GbkFileNamesReachTheDeviceAsUtf16) {
  // \盘点\编号.txt
  const std::string Name = "\\\xC5\xCC\xB5\xE3\\\xB1\xE0\xBA\xC5.txt";
  std::filesystem::create_directories(FRoot.Path() / std::filesystem::path(u"\u76D8\u70B9"));
  {
    TRApiStream S(Name, TRApiStream::ModeCreate);
    S.WriteBuffer("1", 1);
  }
  EXPECT_EQ(test::ReadHostFile(FRoot.Path() / std::filesystem::path(u"\u76D8\u70B9/\u7F16\u53F7.txt")), "1");
}

TEST_F(RApiStreamTest, CopyFailuresBecomeStreamErrors) {
  test::WriteHostFile(Host("in.bin"), Pattern(0x20000));
  Reconnect("read-after=70000:21");
  {
    TRApiStream In("\\in.bin", 0x20);
    TMemoryStream Mem;
    try {
      Mem.CopyFrom(In, 0);
      ADD_FAILURE() << "copied";
    } catch (const EReadError& E) {
      EXPECT_STREQ(E.what(), "Stream read error");
    }
  }
  TMemoryStream Data;
  Data.WriteString(Pattern(0x20000));
  for (const char* Fault : {"write-after=1000", "short-write"}) {
    SCOPED_TRACE(Fault);
    Reconnect(Fault);
    TRApiStream Out("\\out.bin", TRApiStream::ModeCreate);
    try {
      Out.CopyFrom(Data, 0);
      ADD_FAILURE() << "copied";
    } catch (const EWriteError& E) {
      EXPECT_STREQ(E.what(), "Stream write error");
    }
  }
}

TEST_F(RApiStreamTest, SetSizeMovesTheEndOfFileOrRaisesTheSystemError) {
  test::WriteHostFile(Host("f.bin"), "0123456789");
  {
    TRApiStream S("\\f.bin", TRApiStream::ModeOpenReadWrite);
    S.SetSize(4);
    EXPECT_EQ(S.GetSize(), 4);
    S.SetSize(6);
    EXPECT_EQ(S.GetSize(), 6);
  }
  EXPECT_EQ(test::ReadHostFile(Host("f.bin")), std::string("0123\0\0", 6));

  Reconnect("seteof=5");
  TRApiStream S("\\f.bin", TRApiStream::ModeOpenReadWrite);
  try {
    S.SetSize(2);
    ADD_FAILURE() << "resized";
  } catch (const EOSError& E) {
    EXPECT_EQ(std::string(E.what()), "System Error.  Code: 5.\r\n" + SystemErrorText(5));
    EXPECT_EQ(E.ErrorCode(), 5u);
  }
}

TEST_F(RApiStreamTest, FailedSeeksNeverCutTheFileOrPassForAnEmptyFile) {
  test::WriteHostFile(Host("f.bin"), "0123456789");
  Reconnect("seek-after=1:1167");
  {
    TRApiStream S("\\f.bin", TRApiStream::ModeOpenReadWrite);
    EXPECT_EQ(S.Seek(7, TSeekOrigin::Beginning), 7);  // the one seek allowed
    EXPECT_EQ(S.Seek(0, TSeekOrigin::Beginning), -1);
    // The end of file would land at 7 if SetSize went on after its seek failed.
    EXPECT_THROW(S.SetSize(2), EOSError);
    // A whole-file copy whose size cannot be taken fails instead of copying nothing.
    TMemoryStream Mem;
    try {
      Mem.CopyFrom(S, 0);
      ADD_FAILURE() << "copied " << Mem.GetSize() << " bytes";
    } catch (const EKtError&) {
    }
    EXPECT_EQ(Counters().SetEndOfFileCalls, 0u);
  }
  EXPECT_EQ(test::ReadHostFile(Host("f.bin")), "0123456789");
}

TEST_F(RApiStreamTest, SeeksOutsideThirtyTwoBitPositionsFailWithoutADeviceCall) {
  test::WriteHostFile(Host("f.bin"), "0123456789");
  TRApiStream S("\\f.bin", TRApiStream::ModeOpenRead);
  const uint32_t Before = Counters().SeekCalls;
  EXPECT_EQ(S.Seek(int64_t{1} << 32, TSeekOrigin::Beginning), -1);  // not position 0
  EXPECT_EQ(S.Seek(-(int64_t{1} << 33), TSeekOrigin::Current), -1);
  EXPECT_EQ(Counters().SeekCalls, Before);
  EXPECT_EQ(S.GetPosition(), 0);
  EXPECT_THROW(S.SetSize(int64_t{1} << 32), EOSError);
  EXPECT_EQ(S.Seek(-1, TSeekOrigin::Beginning), -1);  // the device refuses a negative position
}

TEST(RaiseCeError, FormatsTheCodeAndTheSystemText) {
  try {
    RaiseCeError(0);
  } catch (const EOSError& E) {
    EXPECT_STREQ(E.what(), "A call to an OS function failed");
    EXPECT_EQ(E.ErrorCode(), 0u);
  }
  try {
    RaiseCeError(1167);
  } catch (const EOSError& E) {
    EXPECT_EQ(std::string(E.what()), "System Error.  Code: 1167.\r\n" + SystemErrorText(1167));
  }
  try {
    RaiseCeError(0x80004005u);
  } catch (const EOSError& E) {
    EXPECT_EQ(std::string(E.what()), "System Error.  Code: -2147467259.\r\n" + SystemErrorText(0x80004005u));
    EXPECT_EQ(E.ErrorCode(), 0x80004005u);
  }
}

TEST_F(RApiStreamTest, RaiseLastCeErrorReportsTheDevicesLastError) {
  EXPECT_THROW(TRApiStream("\\missing", 0x20), EFOpenError);
  try {
    RaiseLastCeError();
  } catch (const EOSError& E) {
    EXPECT_EQ(std::string(E.what()), "System Error.  Code: 2.\r\n" + SystemErrorText(2));
  }
  test::WriteHostFile(Host("x"), "");
  TRApiStream S("\\x", 0x20);  // success leaves last error 0
  EXPECT_THROW(RaiseLastCeError(), EOSError);
  try {
    RaiseLastCeError();
  } catch (const EOSError& E) {
    EXPECT_STREQ(E.what(), "A call to an OS function failed");
  }
}

}  // namespace
}  // namespace halvern
