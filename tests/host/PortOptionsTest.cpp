// Options texts through EngineGetOptions and EngineSetOptions.
#include <cstring>

#include "PortTestSupport.h"

namespace halvern::test {
namespace {

const std::string ImportColumns = "\xB1\xE0\xBA\xC5,\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE,\xB1\xB8\xD7\xA2";
const std::string ExportColumns =
    "\xB1\xE0\xBA\xC5,\xD7\xCA\xB2\xFA\xC3\xFB\xB3\xC6,\xD5\xCB\xC3\xE6\xCA\xFD\xC1\xBF";

TEST_F(HostTest, NewPortsReportTheirDefaultOptions) {
  TPortHandle Import(E, 1);
  ASSERT_EQ(Import.Result(), ENGINE_OK);
  EXPECT_EQ(Import.Options(), HV_OPTION_COLUMNS "=" + ImportColumns + ";\r\n" HV_OPTION_HAS_TITLE "=0");
  TPortHandle Export(E, 2);
  EXPECT_EQ(Export.Options(), HV_OPTION_COLUMNS "=" + ExportColumns + ";\r\n" HV_OPTION_HAS_TITLE "=0");
}

TEST_F(HostTest, TheDocumentedOptionsTextIsKeptByteForByte) {
  // The host guide's worked example in bytes, not built from HV_OPTION_*: a wrong byte in a published
  // key fails here.
  const std::string Text =
      "\xCE\xC4\xBC\xFE\xC3\xFB=\\Temp\\stock.txt;\r\n"
      "\xCA\xFD\xBE\xDD\xC1\xD0=" +
      ImportColumns + ";\r\n\xB0\xFC\xBA\xAC\xB1\xEA\xCC\xE2=1";
  TPortHandle Port(E, 2);
  EXPECT_EQ(Port.SetOptions(Text), 0);
  EXPECT_EQ(Port.Options(), Text);
  // The text-out rule: exactly the length, nothing past it.
  char Buf[128];
  std::memset(Buf, 'X', sizeof Buf);
  int32_t Size = static_cast<int32_t>(Text.size()) - 1;
  EXPECT_EQ(E->EngineGetOptions(Port.H(), Buf, &Size), 0);
  EXPECT_EQ(Size, static_cast<int32_t>(Text.size()));
  EXPECT_EQ(Buf[0], 'X');
  EXPECT_EQ(E->EngineGetOptions(Port.H(), Buf, &Size), -1);
  EXPECT_EQ(std::string(Buf, Text.size()), Text);
  EXPECT_EQ(Buf[Text.size()], 'X');
}

TEST_F(HostTest, OptionsChangeTheColumnsAndTitleFlag) {
  TPortHandle Port(E, 1);
  Port.SetOptions(HV_OPTION_COLUMNS "={\r\n\t\"a b\",c};\r\n" HV_OPTION_HAS_TITLE "=256");
  EXPECT_EQ(E->FieldGetCount(Port.H()), 2);
  EXPECT_EQ(E->FieldFindbyName(Port.H(), "C"), 1);
  EXPECT_EQ(E->FieldFindbyName(Port.H(), "a b"), 0);
  // The list "a b",c holds quotes and a blank: quoted, each inner quote tripled.
  EXPECT_EQ(Port.Options(), HV_OPTION_COLUMNS "=\"\"\"\"a b\"\"\",c\";\r\n" HV_OPTION_HAS_TITLE "=0");
  Port.SetOptions(HV_OPTION_COLUMNS "=   ;\r\n" HV_OPTION_HAS_TITLE "=yes");
  EXPECT_EQ(Port.Options(), HV_OPTION_COLUMNS "=" + ImportColumns + ";\r\n" HV_OPTION_HAS_TITLE "=1");
  EXPECT_EQ(E->EngineSetOptions(Port.H(), nullptr), 0);
  EXPECT_EQ(E->EngineSetOptions(0xABCDEF, "x=1"), ENGINE_ERR_HANDLE);
}

TEST_F(HostTest, AnySettingsSurviveGetThenSet) {
  struct TCase {
    std::string FileName;
    std::string Columns;  // as a comma list, when not empty
  };
  const std::string Names[] = {
      "\\My Documents\\stock 1.txt", "\\a;b=c{d}.txt", " \"quoted\" ", "\"", "{x", "}", "a;\r\nb"};
  const std::string Lists[] = {
      "\"a b\",\"c,d\"",    "\"\"", ",", ",,", "\"=\",\";\",\"{\",\"}\"", "\" lead\",\"trail \"",
      "\"\"\"\",\"a\"\"b\""};
  for (const auto& Name : Names) {
    for (const auto& List : Lists) {
      TPortHandle First(E, 1);
      // Set the settings through a text whose values are bracketed, which reads every byte back.
      First.SetOptions(HV_OPTION_FILE_NAME "={" + Name + "};\r\n" HV_OPTION_COLUMNS "={" + List + "}");
      const std::string Text = First.Options();
      TPortHandle Second(E, 1);
      Second.SetOptions(Text);
      EXPECT_EQ(Second.Options(), Text);
      EXPECT_EQ(E->FieldGetCount(Second.H()), E->FieldGetCount(First.H())) << Text;
      for (int32_t I = 0; I < E->FieldGetCount(First.H()); ++I) {
        char A[64], B[64];
        int32_t SizeA = sizeof A, SizeB = sizeof B;
        E->FieldGetName(First.H(), I, A, &SizeA);
        E->FieldGetName(Second.H(), I, B, &SizeB);
        EXPECT_EQ(std::string(A, static_cast<size_t>(SizeA)), std::string(B, static_cast<size_t>(SizeB)))
            << Text;
      }
    }
  }
}

}  // namespace
}  // namespace halvern::test
