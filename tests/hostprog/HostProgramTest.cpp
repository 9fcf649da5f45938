// The built host program run as a user runs it, on the device emulator: CSV round trips through export
// and import, the options text, device failures and usage errors, and the demo.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "halvern.h"
#include "hostprog/HostRunner.h"

namespace halvern::test {
namespace {

// "编号", "盘点标志", "备注" in GBK.
const std::string kStockTitleGbk = "\xB1\xE0\xBA\xC5|\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE|\xB1\xB8\xD7\xA2";

// Messages without the CR that a Windows console stream puts before each line feed.
std::string Text(std::string S) {
  std::erase(S, '\r');
  return S;
}

class HostProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("HALVERN_DEVICE_FAULTS", "");
    std::filesystem::create_directories(Device.Path() / "Temp");
  }
  void TearDown() override { SetEnv("HALVERN_DEVICE_FAULTS", ""); }

  std::vector<std::string> Port(const std::string& File, std::vector<std::string> More = {}) {
    std::vector<std::string> Args{"--device", Device.Text(), "--file", File};
    Args.insert(Args.end(), More.begin(), More.end());
    return Args;
  }
  TRunResult Run(const std::string& Command, const std::vector<std::string>& Args,
                 const std::string& In = {}) {
    std::vector<std::string> All{Command};
    All.insert(All.end(), Args.begin(), Args.end());
    return RunHost(All, In);
  }
  std::string DeviceFile(const std::string& Name) { return ReadBytes(Device.Path() / "Temp" / Name); }

  TScratch Device;
};

TEST_F(HostProgram, AwkwardValuesSurviveExportAndImport) {
  const std::string Csv =
      "id,name,qty\r\n"
      "A1,\"comma, here\",1\r\n"
      "A2,\"quote \"\"q\"\"\",2\r\n"
      "A3,pipe|bar,3\r\n"
      "A4,  spaces  ,4\r\n"
      "A5,资产 名称（中文）,5\r\n"
      "A6,,\r\n"
      "A7,\"two\r\nlines\",7\r\n";
  const auto Args = Port("\\Temp\\round.txt", {"--columns", "id,name,qty", "--title"});
  const TRunResult Export = Run("export", Args, Csv);
  ASSERT_EQ(Export.Status, 0) << Export.Err;
  EXPECT_EQ(Text(Export.Err), "halvern: exported 7 records (142 bytes of CSV) to \\Temp\\round.txt\n");
  const std::string File = DeviceFile("round.txt");
  EXPECT_EQ(File.substr(0, 13), "id|name|qty\r\n");
  EXPECT_NE(File.find("A3|\"pipe|bar\"|3"), std::string::npos) << File;

  const TRunResult Import = Run("import", Args);
  ASSERT_EQ(Import.Status, 0) << Import.Err;
  EXPECT_EQ(Import.Out, Csv);

  // The device holds GBK; --encoding gbk hands over those bytes unconverted, both ways.
  const TRunResult Raw =
      Run("import", Port("\\Temp\\round.txt", {"--columns", "id,name,qty", "--title", "--encoding", "gbk"}));
  ASSERT_EQ(Raw.Status, 0) << Raw.Err;
  EXPECT_NE(Raw.Out.find("A5,\xD7\xCA\xB2\xFA \xC3\xFB\xB3\xC6"), std::string::npos);
  const TRunResult Back =
      Run("export", Port("\\Temp\\raw.txt", {"--columns", "id,name,qty", "--title", "--encoding", "gbk"}),
          Raw.Out);
  ASSERT_EQ(Back.Status, 0) << Back.Err;
  EXPECT_EQ(DeviceFile("raw.txt"), File);
}

TEST_F(HostProgram, ImportReadsAHandheldFileWithItsTitleLine) {
  WriteBytes(Device.Path() / "Temp" / "stock.txt",
             kStockTitleGbk + "\r\nA1|1|\xD5\xFD\xB3\xA3\r\nA2|0|\r\nA3");  // 正常
  const TRunResult R = Run("import", Port("\\Temp\\stock.txt", {"--title"}));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "编号,盘点标志,备注\r\nA1,1,正常\r\nA2,0,\r\nA3,,\r\n");
}

TEST_F(HostProgram, OptionsPrintsTheEngineText) {
  const TRunResult R =
      Run("options", {"--file", "\\Temp\\stock.txt", "--columns", "编号,盘点标志,备注", "--title"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "文件名=\\Temp\\stock.txt;\r\n数据列=编号,盘点标志,备注;\r\n包含标题=1\n");

  // Awkward settings come back from the engine's text unchanged.
  const TRunResult Odd =
      Run("options", {"--kind", "export", "--file", "a b\"c;d=e{f}", "--columns", "x,\"y z\",w"});
  ASSERT_EQ(Odd.Status, 0) << Odd.Err;
  const TRunResult Again = Run("options", {"--kind", "export", "--options", Odd.Out});
  EXPECT_EQ(Again.Out, Odd.Out);
  // Settings given on their own override the records of --options.
  const TRunResult Over = Run("options", {"--options", Odd.Out, "--file", "q", "--no-title"});
  EXPECT_EQ(Over.Out, "文件名=q;\r\n数据列=\"x,\"\"\"y z\"\"\",w\";\r\n包含标题=0\n");
}

TEST_F(HostProgram, DeviceFailuresGiveStatusOneAndTheEngineMessage) {
  WriteBytes(Device.Path() / "Temp" / "stock.txt", "A1|1|x");
  SetEnv("HALVERN_DEVICE_FAULTS", "open");
  const TRunResult Import = Run("import", Port("\\Temp\\stock.txt"));
  EXPECT_EQ(Import.Status, 1);
  EXPECT_EQ(Import.Out, "");  // no header without data
  EXPECT_NE(Import.Err.find("Cannot open file \"\\Temp\\stock.txt\""), std::string::npos) << Import.Err;

  const TRunResult Export = Run("export", Port("\\Temp\\stock.txt"), "编号,资产名称,账面数量\r\nB1,x,1\r\n");
  EXPECT_EQ(Export.Status, 1);
  EXPECT_NE(Export.Err.find("Cannot create file"), std::string::npos) << Export.Err;
  SetEnv("HALVERN_DEVICE_FAULTS", "");
  EXPECT_EQ(DeviceFile("stock.txt"), "A1|1|x");

  // No --device: the real device library, which this machine lacks (unless a test run named one).
  if (std::getenv("HALVERN_RAPI_LIBRARY") == nullptr) {
    const TRunResult NoRapi = Run("import", {"--file", "\\Temp\\stock.txt"});
    EXPECT_EQ(NoRapi.Status, 1);
    EXPECT_NE(NoRapi.Err.find("无法连接设备,请检查驱动程序是否安装正确"), std::string::npos) << NoRapi.Err;
    EXPECT_NE(NoRapi.Err.find("--device DIR"), std::string::npos) << NoRapi.Err;
  }
#ifdef HALVERN_EMULATOR_PATH
  // A device library, but no device docked: the engine waited its time-out, and the program says so.
  const char* Named = std::getenv("HALVERN_RAPI_LIBRARY");
  const std::string Library = Named != nullptr ? Named : "";
  SetEnv("HALVERN_RAPI_LIBRARY", HALVERN_EMULATOR_PATH);
  SetEnv("HALVERN_DEVICE_ROOT", (Device.Path() / "not-docked").string());
  SetEnv("HALVERN_CONNECT_TIMEOUT", "1");
  const TRunResult NoDevice =
      Run("export", {"--file", "\\Temp\\stock.txt"}, "编号,资产名称,账面数量\r\nB1,x,1\r\n");
  SetEnv("HALVERN_RAPI_LIBRARY", Library);
  SetEnv("HALVERN_DEVICE_ROOT", "");
  SetEnv("HALVERN_CONNECT_TIMEOUT", "");
  EXPECT_EQ(NoDevice.Status, 1);
  EXPECT_NE(NoDevice.Err.find("no device answered within 1 s"), std::string::npos) << NoDevice.Err;
  EXPECT_NE(NoDevice.Err.find("--device DIR"), std::string::npos) << NoDevice.Err;
  EXPECT_EQ(DeviceFile("stock.txt"), "A1|1|x");
#endif
}

TEST_F(HostProgram, BadInputLeavesTheDeviceFileAlone) {
  WriteBytes(Device.Path() / "Temp" / "assets.txt", "old");
  const auto Args = Port("\\Temp\\assets.txt");
  struct TCase {
    const char* Why;
    std::string Csv;
  };
  const TCase Cases[] = {
      {"a row with more fields than columns", "编号,资产名称,账面数量\r\nB1,x,1\r\nB2,y,2,extra\r\n"},
      {"a header that does not fit the columns", "a,b\r\nB1,x\r\n"},
      {"an unclosed quote", "编号,资产名称,账面数量\r\nB1,\"x,1\r\nB2,y,2\r\n"},
      {"a character GBK cannot hold", "编号,资产名称,账面数量\r\nB1,\xF0\x9F\x98\x80,1\r\n"},
      {"bytes that are not UTF-8", "编号,资产名称,账面数量\r\nB1,\xB1\xE0,1\r\n"},
      {"no input at all", ""},
      {"a header without records", "编号,资产名称,账面数量\r\n"},
  };
  for (const TCase& C : Cases) {
    const TRunResult R = Run("export", Args, C.Csv);
    EXPECT_EQ(R.Status, 1) << C.Why;
    EXPECT_NE(R.Err.find("the device file was not changed"), std::string::npos) << C.Why << ": " << R.Err;
    EXPECT_EQ(DeviceFile("assets.txt"), "old") << C.Why;
  }
  // The messages lead to the fix.
  EXPECT_NE(Run("export", Args, Cases[2].Csv).Err.find("line 2: a quoted field is never closed"),
            std::string::npos);
  EXPECT_NE(Run("export", Args, Cases[4].Csv)
                .Err.find("line 2: the text is not UTF-8 (if the CSV is GBK, add --encoding gbk)"),
            std::string::npos);
  EXPECT_NE(Run("export", Args, Cases[6].Csv).Err.find("--allow-empty"), std::string::npos);
}

TEST_F(HostProgram, AnEmptyExportWritesAFileOnlyWhenAsked) {
  WriteBytes(Device.Path() / "Temp" / "assets.txt", "old");
  const TRunResult Titled =
      Run("export", Port("\\Temp\\assets.txt", {"--title", "--allow-empty"}), "编号,资产名称,账面数量\r\n");
  ASSERT_EQ(Titled.Status, 0) << Titled.Err;
  EXPECT_EQ(DeviceFile("assets.txt"),
            "\xB1\xE0\xBA\xC5|\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6|\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF");
  EXPECT_EQ(Text(Titled.Err), "halvern: exported 0 records (34 bytes of CSV) to \\Temp\\assets.txt\n");
  const TRunResult Bare =
      Run("export", Port("\\Temp\\assets.txt", {"--allow-empty"}), "编号,资产名称,账面数量\r\n");
  ASSERT_EQ(Bare.Status, 0) << Bare.Err;
  EXPECT_EQ(DeviceFile("assets.txt"), "");
}

TEST_F(HostProgram, ImportRefusesADeviceFileThatIsNotGbkText) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    const char* Says;
  };
  const TCase Cases[] = {
      {"u16.txt",
       std::string("\xFF\xFE"
                   "A\0"
                   "1\0|\0"
                   "x\0",
                   10),
       "is UTF-16 text"},
      {"u8.txt", "A1|1|\xE6\xAD\xA3\xE5\xB8\xB8\r\nA2|0|\xE6\xAD\xA3", "is UTF-8 text"},
      {"bom.txt",
       "\xEF\xBB\xBF"
       "A1|1|x",
       "is UTF-8 text (it begins with a byte-order mark)"},
      {"bin.txt", std::string("A1|1|x\r\nA2|\x01\x00\x02|\xFF", 16), "record 2 holds a zero byte"},
  };
  for (const TCase& C : Cases) {
    WriteBytes(Device.Path() / "Temp" / C.Name, C.Bytes);
    const TRunResult R = Run("import", Port(std::string("\\Temp\\") + C.Name, {"--no-title"}));
    EXPECT_EQ(R.Status, 1) << C.Name;
    EXPECT_EQ(R.Out, "") << C.Name;
    EXPECT_NE(R.Err.find(C.Says), std::string::npos) << R.Err;
    EXPECT_NE(R.Err.find("--no-text-check"), std::string::npos) << R.Err;
  }
  // Insisting reads the bytes as GBK.
  const TRunResult Forced = Run("import", Port("\\Temp\\u8.txt", {"--no-title", "--no-text-check"}));
  EXPECT_EQ(Forced.Status, 0) << Forced.Err;
  EXPECT_NE(Forced.Out.find("A2,0,"), std::string::npos);
}

TEST_F(HostProgram, ImportComparesTheTitleLineWithTheColumns) {
  // 编号|盘点标志|备注, then two records.
  WriteBytes(Device.Path() / "Temp" / "stock.txt", kStockTitleGbk + "\r\nA1|1|\xD5\xFD\xB3\xA3\r\nA2|0|x");
  const auto Args = [&](std::vector<std::string> More) { return Port("\\Temp\\stock.txt", More); };

  const TRunResult Wrong = Run("import", Args({"--title", "--columns", "备注,资产编码"}));
  EXPECT_EQ(Wrong.Status, 1);
  EXPECT_EQ(Wrong.Out, "");
  EXPECT_NE(Text(Wrong.Err).find("title line: 编号,盘点标志,备注\n  columns:    备注,资产编码"),
            std::string::npos)
      << Wrong.Err;

  const TRunResult Picked = Run("import", Args({"--title", "--by-title", "--columns", "备注,编号"}));
  ASSERT_EQ(Picked.Status, 0) << Picked.Err;
  EXPECT_EQ(Picked.Out, "备注,编号\r\n正常,A1\r\nx,A2\r\n");
  EXPECT_EQ(Text(Picked.Err), "halvern: imported 2 records from \\Temp\\stock.txt (32 bytes of CSV)\n");
  const TRunResult Missing = Run("import", Args({"--title", "--by-title", "--columns", "备注,资产编码"}));
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_NE(Missing.Err.find("no column '资产编码'"), std::string::npos) << Missing.Err;

  // Without --title the title line would pass for a record.
  const TRunResult Forgot = Run("import", Args({}));
  EXPECT_EQ(Forgot.Status, 1);
  EXPECT_NE(Forgot.Err.find("add --title"), std::string::npos) << Forgot.Err;
  const TRunResult AsRecord = Run("import", Args({"--no-title"}));
  ASSERT_EQ(AsRecord.Status, 0) << AsRecord.Err;
  EXPECT_EQ(AsRecord.Out.substr(0, AsRecord.Out.find("A1")), "编号,盘点标志,备注\r\n编号,盘点标志,备注\r\n");
}

TEST_F(HostProgram, HelpAndVersionNameEveryOption) {
  const TRunResult Help = RunHost({"--help"});
  ASSERT_EQ(Help.Status, 0);
  for (const char* Option :
       {"--file", "--title", "--no-title", "--columns", "--options", "--by-title", "--no-text-check",
        "--allow-empty", "--device", "--encoding", "--kind", "--engine", "--version", "2  usage"})
    EXPECT_NE(Help.Out.find(Option), std::string::npos) << Option;
  EXPECT_EQ(Help.Out.find("..."), std::string::npos);

  const TRunResult Import = RunHost({"import", "--help"});
  EXPECT_EQ(Import.Status, 0);
  EXPECT_NE(Import.Out.find("--by-title"), std::string::npos) << Import.Out;
  EXPECT_EQ(Import.Out.find("--allow-empty"), std::string::npos) << Import.Out;
  EXPECT_EQ(Text(RunHost({"--version"}).Out), std::string("halvern ") + HALVERN_VERSION_STRING + "\n");
}

TEST_F(HostProgram, UsageErrorsGiveStatusTwoWithAHint) {
  const std::vector<std::vector<std::string>> Cases = {
      {"import", "--bogus"},
      {"import", "--file"},
      {"export", "--encoding", "latin1"},
      {"options", "--kind", "sideways"},
      {"import", "--device", (Device.Path() / "missing").string()},
      {"options", "--file", "\xF0\x9F\x98\x80"},
      {"demo", "--title"},
      {"no-such-command"},
      {"import", "--device", Device.Text()},
      {"options", "--columns", ""},
      {"options", "--columns", "a,\"b"},
      {"options", "--columns", "\"a\"b"},
      {"options", "--options", "foo=1"},
      {"options", "--options", "数据列"},
      {"options", "--options", "文件名=\"x"},
      {"export", "--by-title"},
      {"configure", "--kind", "sideways"},
  };
  for (const auto& Args : Cases) {
    const TRunResult R = RunHost(Args);
    EXPECT_EQ(R.Status, 2) << Args[0] << " " << Args.back() << ": " << R.Err;
    EXPECT_NE(R.Err.find("try 'halvern --help'"), std::string::npos) << R.Err;
  }
}

// The page in the program's own window where there is a window system (Wine here); elsewhere the
// command says it needs one. The options go in as wide text that the ANSI code page may not hold.
TEST_F(HostProgram, ConfigureShowsThePageAndPrintsTheConfirmedOptions) {
  const std::string Options = "文件名=\\Temp\\盘点.txt;\r\n数据列=编号,备注;\r\n包含标题=1";
#ifdef _WIN32
  // Runs configure, presses Command in its window once the page is up, and returns the run.
  const auto Answer = [&](UINT Message, WPARAM Command) {
    auto Run = std::async(std::launch::async, [&] { return RunHost({"configure", "--options", Options}); });
    HWND Dialog = nullptr;
    for (int I = 0; I < 1200 && !(Dialog && IsWindowVisible(Dialog)); ++I) {
      if (Run.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready) break;
      Dialog = FindWindowW(L"HalvernConfigureDialog", nullptr);
    }
    EXPECT_TRUE(Dialog != nullptr && IsWindowVisible(Dialog)) << "no dialog window";
    if (Dialog) PostMessageW(Dialog, Message, Command, 0);
    return Run.get();
  };
  const TRunResult Ok = Answer(WM_COMMAND, IDOK);
  EXPECT_EQ(Ok.Status, 0) << Ok.Err;
  EXPECT_EQ(Text(Ok.Out), Text(Options) + "\n");
  const TRunResult Closed = Answer(WM_CLOSE, 0);
  EXPECT_EQ(Closed.Status, 1) << Closed.Err;
  EXPECT_EQ(Closed.Out, "");
#else
  const TRunResult R = RunHost({"configure", "--options", Options});
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Err.find("needs a Windows host"), std::string::npos) << R.Err;
#endif
}

TEST_F(HostProgram, DemoShowsBothTables) {
  const TRunResult R = RunHost({"demo", "--device", Device.Text()});
  ASSERT_EQ(R.Status, 0) << R.Out << R.Err;
  EXPECT_NE(R.Out.find("编号          盘点标志  备注"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("编号          资产名称"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("ZC-2023-0012  盘亏      报废待审批"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("Done: 12 stocktake records imported, 12 assets"), std::string::npos) << R.Out;
  // The asset list is on the device as GBK with its title line.
  EXPECT_EQ(DeviceFile("assets.txt").substr(0, 24),
            "\xB1\xE0\xBA\xC5|\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6|\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF\r\n");

  // Without --device it makes its own folder and still succeeds.
  const TRunResult Own = RunHost({"demo"});
  EXPECT_EQ(Own.Status, 0) << Own.Err;
}

}  // namespace
}  // namespace halvern::test
