// A port's settings as the options text, and the round trip through GetOptions and SetOptions.
#include <gtest/gtest.h>

#include <random>

#include "cetext/CeTransPort.h"
#include "tests/cetext/CePortTestSupport.h"

namespace halvern::test {
namespace {

const std::string Number = "\xB1\xE0\xBA\xC5";                     // 编号
const std::string CountFlag = "\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE";  // 盘点标志
const std::string Remark = "\xB1\xB8\xD7\xA2";                     // 备注
const std::vector<std::string> ImportDefaults{Number, CountFlag, Remark};

TCeTransPort& Port(const TComPtr<ITransNode>& Node) {
  return *dynamic_cast<TCeTransPort*>(Node.Get());
}

TEST(CeOptions, SettingsWithoutSpecialBytesKeepTheDocumentedText) {
  auto Node = CreateImportPort();
  Port(Node).FFileName = "\\Temp\\stock.txt";
  Port(Node).FHasTitle = true;
  const std::string Expected = HV_OPTION_FILE_NAME "=\\Temp\\stock.txt;\r\n" HV_OPTION_COLUMNS "=" + Number +
                               "," + CountFlag + "," + Remark + ";\r\n" HV_OPTION_HAS_TITLE "=1";
  EXPECT_EQ(Node->GetOptions(), Expected);

  auto Other = CreateExportPort();
  EXPECT_EQ(Other->SetOptions(Expected), 0);
  EXPECT_EQ(Port(Other).FFileName, "\\Temp\\stock.txt");
  EXPECT_TRUE(Port(Other).FHasTitle);
  EXPECT_EQ(Port(Other).FColumns, ImportDefaults);
}

TEST(CeOptions, ANewPortWritesColumnsAndTitleFlagOnly) {
  EXPECT_EQ(CreateImportPort()->GetOptions(), HV_OPTION_COLUMNS "=" + Number + "," + CountFlag + "," +
                                                  Remark + ";\r\n" HV_OPTION_HAS_TITLE "=0");
  auto Node = CreateImportPort();
  Port(Node).FColumns.clear();
  EXPECT_EQ(Node->GetOptions(), HV_OPTION_HAS_TITLE "=0");
}

TEST(CeOptions, AnEmptyColumnListRestoresTheDefaults) {
  for (const std::string Value : {"", "   ", "\t"}) {
    auto Node = CreateImportPort();
    Port(Node).FColumns = {"x"};
    Node->SetOptions(HV_OPTION_COLUMNS "=" + Value);
    EXPECT_EQ(Port(Node).FColumns, ImportDefaults) << '"' << Value << '"';
  }
}

TEST(CeOptions, BlanksSeparateUnquotedTitles) {
  auto Node = CreateImportPort();
  Node->SetOptions(HV_OPTION_COLUMNS "={\r\n\t\"a b\",c}");
  EXPECT_EQ(Port(Node).FColumns, (std::vector<std::string>{"a b", "c"}));
  Node->SetOptions(HV_OPTION_COLUMNS "=\"a b,c\"");
  EXPECT_EQ(Port(Node).FColumns, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(CeOptions, TheTitleFlagTakesTheLowByteOfAnInteger) {
  auto Flag = [](const std::string& Value) {
    auto Node = CreateImportPort();
    Node->SetOptions(HV_OPTION_HAS_TITLE "=" + Value);
    return Port(Node).FHasTitle;
  };
  EXPECT_FALSE(Flag("0"));
  EXPECT_TRUE(Flag("1"));
  EXPECT_FALSE(Flag("256"));
  EXPECT_TRUE(Flag("257"));
  EXPECT_TRUE(Flag("-1"));
  EXPECT_FALSE(Flag("$100"));
  EXPECT_TRUE(Flag("abc"));
  EXPECT_TRUE(Flag(""));
  EXPECT_TRUE(Flag("1.0"));
  // A record without "=" has an empty value.
  auto Node = CreateImportPort();
  Node->SetOptions(HV_OPTION_HAS_TITLE);
  EXPECT_TRUE(Port(Node).FHasTitle);
}

TEST(CeOptions, RecordsApplyInOrderAndOtherKeysAreIgnored) {
  auto Node = CreateImportPort();
  Port(Node).FFileName = "keep";
  EXPECT_EQ(Node->SetOptions("x=1;\r\n" HV_OPTION_HAS_TITLE "=1;\r\n" HV_OPTION_HAS_TITLE "=0;\r\n" +
                             std::string(HV_OPTION_FILE_NAME).substr(2) + "=no"),
            0);
  EXPECT_FALSE(Port(Node).FHasTitle);
  EXPECT_EQ(Port(Node).FFileName, "keep");
  EXPECT_EQ(Port(Node).FColumns, ImportDefaults);
  EXPECT_EQ(Node->SetOptions(""), 0);
  EXPECT_EQ(Port(Node).FFileName, "keep");
}

// Applies the port's own options text to a fresh port and compares every setting.
void ExpectRoundTrip(const std::string& FileName, const std::vector<std::string>& Titles, bool HasTitle) {
  auto Source = CreateExportPort();
  Port(Source).FFileName = FileName;
  Port(Source).FColumns = Titles;
  Port(Source).FHasTitle = HasTitle;
  const std::string Text = Source->GetOptions();
  auto Target = CreateImportPort();
  Target->SetOptions(Text);
  EXPECT_EQ(Port(Target).FFileName, FileName) << Text;
  EXPECT_EQ(Port(Target).FColumns, Titles.empty() ? ImportDefaults : Titles) << Text;
  EXPECT_EQ(Port(Target).FHasTitle, HasTitle) << Text;
}

TEST(CeOptions, AwkwardSettingsSurviveTheRoundTrip) {
  ExpectRoundTrip("\\My Documents\\stock 1.txt", {"a b", "c,d"}, true);
  ExpectRoundTrip("\\Temp\\\"quoted\";x=y{z}.txt", {"=", ";", "{", "}", "{\r\n\t", ";\r\n"}, false);
  ExpectRoundTrip(" lead and trail ", {" lead", "trail ", " "}, true);
  ExpectRoundTrip("\"", {"\"", "\"\"", "a\"b", "\"a"}, false);
  ExpectRoundTrip("a;b", {""}, true);
  ExpectRoundTrip("{a}", {"", ""}, true);
  ExpectRoundTrip("}", {"", "", ""}, false);
  ExpectRoundTrip("\t", {"x", ""}, false);
  ExpectRoundTrip("\\\xB1\xE0\xBA\xC5.txt", {"\xB1\xE0\xBA\xC5 \xB1\xB8", "\xC5\xCC,"}, true);
  ExpectRoundTrip("", {}, false);
}

// Column lists with quoted titles as a writer that doubles quotes, or a person, stored them: inside
// brackets and bare, with blanks, commas, semicolons, "=" and braces in the titles.
TEST(CeOptions, StoredListsWithDoubledQuotesReadAsWritten) {
  const std::string Name = "\xC3\xFB\xB3\xC6";  // 名称
  const auto Expect = [&](const std::string& Columns, const std::vector<std::string>& Titles) {
    auto Node = CreateImportPort();
    EXPECT_EQ(Node->SetOptions(HV_OPTION_COLUMNS "=" + Columns +
                               ";" HV_OPTION_HAS_TITLE "=1;" HV_OPTION_FILE_NAME "=f"),
              0);
    EXPECT_EQ(Port(Node).FColumns, Titles) << Columns;
    EXPECT_TRUE(Port(Node).FHasTitle) << Columns << ": the keys after the list must still be read";
    EXPECT_EQ(Port(Node).FFileName, "f") << Columns;
  };
  Expect("{" + Number + ",\"" + Name + " \"\"A\"\"\",x=y}", {Number, Name + " \"A\"", "x=y"});
  Expect("{\"a;b\",\"c}d\",\"e{f\",\"\"\"q\"\"\",g=h}", {"a;b", "c}d", "e{f", "\"q\"", "g=h"});
  Expect("{\r\n\t\"x \"\"=\"\"\",y}", {"x \"=\"", "y"});
  Expect(Number + ",\"" + Name + " \"\"A\"\"\"", {Number, Name + " \"A"});
  Expect("\"a, b\",c", {"a, b", "c"});
}

TEST(CeOptions, RandomSettingsSurviveTheRoundTrip) {
  std::mt19937 Rng(5301);
  const std::string Alphabet[] = {"a", "Z", "0", " ",  ",", "\"",       "\t",       "\r", "\n",   "\r\n", "=",
                                  ";", "{", "}", "\\", "$", "\xB1\xE0", "\xC1\xD0", "|",  "\x01", "\x7F"};
  auto Text = [&](unsigned MaxLen) {
    std::string S;
    for (unsigned N = Rng() % (MaxLen + 1); N > 0; --N) S += Alphabet[Rng() % std::size(Alphabet)];
    return S;
  };
  for (int Trial = 0; Trial < 2000; ++Trial) {
    std::vector<std::string> Titles(Rng() % 5);
    for (auto& T : Titles) T = Text(6);
    ExpectRoundTrip(Text(10), Titles, Rng() % 2 == 0);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace halvern::test
