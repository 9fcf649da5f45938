// The built host program run as a user runs it, on the device emulator: CSV round trips through export
// and import, the options text, device failures and usage errors, and the demo.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostprog/HostRunner.h"

namespace halvern::test {
namespace {

// "编号", "盘点标志", "备注" in GBK.
const std::string kStockTitleGbk = "\xB1\xE0\xBA\xC5|\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE|\xB1\xB8\xD7\xA2";

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
  EXPECT_EQ(Export.Err, "halvern: exported 7 records (142 bytes of CSV) to \\Temp\\round.txt\n");
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
  }
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
      {"an unclosed quote", "编号,资产名称,账面数量\r\nB1,\"x,1\r\n"},
      {"a character GBK cannot hold", "编号,资产名称,账面数量\r\nB1,\xF0\x9F\x98\x80,1\r\n"},
      {"bytes that are not UTF-8", "编号,资产名称,账面数量\r\nB1,\xB1\xE0,1\r\n"},
      {"no input at all", ""},
  };
  for (const TCase& C : Cases) {
    const TRunResult R = Run("export", Args, C.Csv);
    EXPECT_EQ(R.Status, 1) << C.Why;
    EXPECT_NE(R.Err.find("the device file was not changed"), std::string::npos) << C.Why << ": " << R.Err;
    EXPECT_EQ(DeviceFile("assets.txt"), "old") << C.Why;
  }
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
  };
  for (const auto& Args : Cases) {
    const TRunResult R = RunHost(Args);
    EXPECT_EQ(R.Status, 2) << Args[0] << " " << Args.back() << ": " << R.Err;
    EXPECT_NE(R.Err.find("try 'halvern --help'"), std::string::npos) << R.Err;
  }
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
