#include <gtest/gtest.h>

#include <string>

#include "rtl/Exceptions.h"
#include "rtl/Persistent.h"
#include "rtl/StringList.h"

namespace halvern {
namespace {

TEST(StringList, AddInsertDeleteKeepOrder) {
  TStringList L;
  EXPECT_TRUE(L.Empty());
  EXPECT_EQ(L.Add("b"), 0);
  EXPECT_EQ(L.Add("d"), 1);
  L.Insert(0, "a");
  L.Insert(2, "c");
  L.Insert(4, "e");
  EXPECT_EQ(L.ToVector(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  L.Delete(1);
  L.Put(0, "A");
  EXPECT_EQ(L.ToVector(), (std::vector<std::string>{"A", "c", "d", "e"}));
  L.SetCount(2);
  L.SetCount(3);
  EXPECT_EQ(L.ToVector(), (std::vector<std::string>{"A", "c", ""})) << "grown slots are empty, not stale";
  L.Clear();
  EXPECT_EQ(L.Count(), 0);
  L.AddEmpty() = "x";
  EXPECT_EQ(L.Get(0), "x");
}

TEST(StringList, IndexErrorsCarryTheIndex) {
  TStringList L{"a"};
  EXPECT_THROW(L.Get(1), EStringListError);
  EXPECT_THROW(L.Put(-1, "x"), EStringListError);
  EXPECT_THROW(L.Delete(5), EStringListError);
  EXPECT_THROW(L.Insert(3, "x"), EStringListError);
  try {
    L.Get(-1);
  } catch (const EStringListError& E) {
    EXPECT_STREQ(E.what(), "List index out of bounds (-1)");
  }
}

class TThing : public TPersistent {
 public:
  const char* ClassName() const noexcept override { return "TThing"; }
};
class TOther : public TPersistent {
 public:
  const char* ClassName() const noexcept override { return "TOther"; }
};

TEST(Persistent, BaseRefusesWithBothClassNames) {
  TThing A;
  TOther B;
  try {
    A.CopySettingsTo(B);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_STREQ(E.what(), "Cannot assign a TThing to a TOther");
  }
}

}  // namespace
}  // namespace halvern
