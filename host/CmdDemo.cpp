// halvern demo: the engine at work in one command, on the device emulator.
//
//   halvern demo [--device DIR]
//
// Prepares a device folder (a fresh temporary folder, removed afterwards, or DIR, which keeps the files)
// holding a handheld's stocktake count file \Temp\stock.txt (GBK, title line, columns 编号|盘点标志|备注),
// imports it through an import port, exports an asset list to \Temp\assets.txt through an export port,
// reads that file back with the export's own options text, and prints both as tables. Exit 0 when every
// step worked and the asset list read back as written.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/HostOptions.h"
#include "host/TextTable.h"
#include "host/Transfer.h"
#include "platform/CodePage.h"

namespace halvern::host {
namespace {

using TRows = std::vector<std::vector<std::string>>;

// The demonstration data is the user's, kept as a host keeps it (UTF-8) and converted to the device's
// GBK at the boundary like any CSV input.
const char* const kStockTitle = "编号|盘点标志|备注";
// As the handheld writes them: one record per line, "|" between fields, a field with "|" or a blank quoted.
const char* const kStockLines[] = {
    "ZC-2023-0001|已盘|正常",
    "ZC-2023-0002|已盘|三楼会议室，标签完好",
    "ZC-2023-0003|未盘|借出至财务部",
    "ZC-2023-0004|盘盈|账外资产，待入账",
    "ZC-2023-0005|已盘|\"屏幕有划痕 | 仍可使用\"",
    "ZC-2023-0006|盘亏|未找到，已报告行政部",
    "ZC-2023-0007|已盘|",
    "ZC-2023-0008|已盘|仓库B区货架3层",
    "ZC-2023-0009|未盘|维修中（送修单号WX-118）",
    "ZC-2023-0010|已盘|标签脱落，已补贴",
    "ZC-2023-0011|已盘|正常",
    "ZC-2023-0012|盘亏|报废待审批",
};

const TRows kAssets = {
    {"ZC-2023-0001", "联想台式电脑 ThinkCentre M720", "1"},
    {"ZC-2023-0002", "会议桌（实木，2.4米）", "1"},
    {"ZC-2023-0003", "惠普激光打印机", "2"},
    {"ZC-2023-0004", "办公椅", "12"},
    {"ZC-2023-0005", "戴尔显示器 24\"", "3"},
    {"ZC-2023-0006", "投影仪|含幕布", "1"},
    {"ZC-2023-0007", "文件柜", "4"},
    {"ZC-2023-0008", "货架（四层）", "6"},
    {"ZC-2023-0009", "笔记本电脑", "5"},
    {"ZC-2023-0010", "空调 格力1.5匹", "2"},
    {"ZC-2023-0011", "碎纸机", "1"},
    {"ZC-2023-0012", "饮水机", "0"},
};

const char* const kStockFile = "\\Temp\\stock.txt";
const char* const kAssetFile = "\\Temp\\assets.txt";

std::filesystem::path PathFromUtf8(const std::string& Utf8) {
  return std::filesystem::path(std::u8string(Utf8.begin(), Utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& Path) {
  const std::u8string Text = Path.u8string();
  return std::string(Text.begin(), Text.end());
}

// A temporary device folder that is removed with this object.
class TScratchFolder {
 public:
  TScratchFolder() {
    std::random_device Random;
    FPath = std::filesystem::temp_directory_path() / ("halvern-demo-" + std::to_string(Random()));
    std::filesystem::create_directories(FPath);
  }
  ~TScratchFolder() {
    std::error_code Ec;
    std::filesystem::remove_all(FPath, Ec);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const std::filesystem::path& Path() const noexcept { return FPath; }

 private:
  std::filesystem::path FPath;
};

void WriteStockFile(const std::filesystem::path& Root) {
  std::string Text = platform::Utf8ToAnsi(kStockTitle);
  for (const char* Line : kStockLines) Text += "\r\n" + platform::Utf8ToAnsi(Line);
  std::filesystem::create_directories(Root / "Temp");
  std::ofstream Out(Root / "Temp" / "stock.txt", std::ios::binary | std::ios::trunc);
  Out.write(Text.data(), static_cast<std::streamsize>(Text.size()));
  if (!Out.flush()) throw EHostError("cannot write the demo's count file in " + PathToUtf8(Root));
}

THostOptions PortSettings(const char* File, const char* Columns) {
  THostOptions O;
  O.HasFile = true;
  O.File = File;
  O.HasColumns = true;
  O.Columns = platform::Utf8ToAnsi(Columns);
  O.Title = 1;
  return O;
}

// Every record of an import port with the given options, as UTF-8; the column titles into Header.
TRows ImportAll(TEngineLib& Engine, const std::string& Options, std::vector<std::string>& Header) {
  TPortSession Session(Engine, ENGINE_PORT_IMPORT, &std::cerr);
  Session.SetOptions(Options);
  TImportCursor Cursor(Session);
  Cursor.First();
  if (Session.Failed()) throw EHostError("the import port could not read the device file");
  Header.clear();
  for (const std::string& Name : Session.ColumnNames()) Header.push_back(ToTerminal(Name));
  TRows Rows;
  std::vector<std::string> Values;
  for (; !Cursor.Eof(); Cursor.Next()) {
    Cursor.Read(Values);
    for (std::string& V : Values) V = ToTerminal(V);
    Rows.push_back(Values);
  }
  return Rows;
}

int RunDemo(TCommandContext& C) {
  THostOptions Args;
  if (const int Status = ParseHostOptions(C, "demo", hoDevice | hoEngine, Args); Status != ExitOk)
    return Status;
  std::unique_ptr<TScratchFolder> Scratch;
  if (Args.Device.empty()) {
    Scratch = std::make_unique<TScratchFolder>();
    Args.Device = PathToUtf8(Scratch->Path());
  }
  if (const int Status = PrepareEngine(C, Args); Status != ExitOk) return Status;
  const std::filesystem::path Root = PathFromUtf8(Args.Device);
  WriteStockFile(Root);

  C.Out << "Engine: " << ToTerminal(C.Engine.Name()) << " (type " << C.Engine.EngineGetType() << "), "
        << C.Engine.Path() << "\n"
        << "Device: the emulator over " << Args.Device << (Scratch ? " (removed afterwards)" : "") << "\n\n";

  // 1. The handheld's count file, read through an import port.
  std::vector<std::string> StockHeader;
  const TRows Stock =
      ImportAll(C.Engine, SettingsOptionsText(PortSettings(kStockFile, "编号,盘点标志,备注")), StockHeader);
  C.Out << "Imported " << kStockFile << " (" << Stock.size() << " records):\n\n"
        << FormatTable(StockHeader, Stock) << "\n";

  // 2. The asset list, written through an export port; its options text is what a host would store.
  std::string AssetOptions;
  {
    TPortSession Session(C.Engine, ENGINE_PORT_EXPORT, &std::cerr);
    Session.SetOptions(SettingsOptionsText(PortSettings(kAssetFile, "编号,资产名称,账面数量")));
    TExportCursor Cursor(Session);
    std::vector<std::string> Values;
    for (const auto& Asset : kAssets) {
      Values.clear();
      for (const std::string& V : Asset) Values.push_back(platform::Utf8ToAnsi(V));
      Cursor.Write(Values);
    }
    AssetOptions = Session.Options();
    Session.Finish();
    if (Session.Failed()) throw EHostError("the export port could not write the device file");
  }

  // 3. The asset list read back with the export's own options.
  std::vector<std::string> AssetHeader;
  const TRows Assets = ImportAll(C.Engine, AssetOptions, AssetHeader);
  std::error_code Ec;
  const auto Bytes = std::filesystem::file_size(Root / "Temp" / "assets.txt", Ec);
  C.Out << "Exported " << kAssets.size() << " assets to " << kAssetFile << " (" << (Ec ? 0 : Bytes)
        << " bytes of GBK text) and read them back:\n\n"
        << FormatTable(AssetHeader, Assets) << "\n";

  const bool Same = Assets == kAssets;
  // The records' CR LF separators would only break the line on a terminal.
  std::string Shown = ToTerminal(AssetOptions);
  for (size_t At; (At = Shown.find("\r\n")) != std::string::npos;) Shown.replace(At, 2, " ");
  C.Out << "Options text stored for the asset list: " << Shown << "\n\n";
  if (!Same) {
    C.Err << "halvern: the asset list did not read back as it was written\n";
    return ExitFailure;
  }
  C.Out << "Done: " << Stock.size() << " stocktake records imported, " << kAssets.size()
        << " assets exported and read back unchanged, all through the engine's exports.\n";
  return ExitOk;
}

const TCommandRegistration Demo({"demo", "[--device DIR]",
                                 "import a sample count file and export an asset list on the emulated device",
                                 hoDevice | hoEngine, &RunDemo});

}  // namespace
}  // namespace halvern::host
