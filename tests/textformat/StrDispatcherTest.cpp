#include <gtest/gtest.h>

#include <string>

#include "textformat/StrDispatcher.h"

namespace halvern {
namespace {

// Adds to D a handler under Key that records Name and the value it is called with in Seen.
void AddNamed(TStrDispatcher& D, std::string_view Key, std::string& Seen, const char* Name) {
  D.Add(Key, [&Seen, Name](const std::string& Value) { Seen = Name + Value; });
}

// What the handler found under Key records when called with "!"; "none" when there is none.
std::string Called(const TStrDispatcher& D, std::string_view Key, std::string& Seen) {
  const TStrHandler* Handler = D.Find(Key);
  if (Handler == nullptr) return "none";
  (*Handler)("!");
  return Seen;
}

TEST(StrDispatcher, HashFindShadowAndClear) {
  TStrDispatcher D(256);
  EXPECT_EQ(D.HashKey(""), 0u);
  EXPECT_EQ(D.HashKey("A"), 0x41u);
  EXPECT_EQ(D.HashKey("AB"), 0x146u);
  EXPECT_EQ(D.HashKey("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"),
            D.HashKey(std::string(17, '\xFF')));

  std::string Seen;
  EXPECT_EQ(Called(D, "k", Seen), "none");
  AddNamed(D, "k", Seen, "a");
  AddNamed(D, "k", Seen, "b");
  EXPECT_EQ(Called(D, "k", Seen), "b!") << "the latest registration wins";
  EXPECT_EQ(Called(D, "K", Seen), "none") << "case matters unless IgnoreCase";
  D.Clear();
  EXPECT_EQ(Called(D, "k", Seen), "none");
  AddNamed(D, "k", Seen, "a");
  EXPECT_EQ(Called(D, "k", Seen), "a!");
}

TEST(StrDispatcher, IgnoreCaseAndCollidingKeys) {
  TStrDispatcher D(1);  // one bucket: every key shares the chain
  D.IgnoreCase = true;
  std::string Seen;
  AddNamed(D, "Alpha", Seen, "a");
  AddNamed(D, "beta", Seen, "b");
  EXPECT_EQ(D.HashKey("ALPHA"), D.HashKey("alpha"));
  EXPECT_EQ(Called(D, "ALPHA", Seen), "a!");
  EXPECT_EQ(Called(D, "Beta", Seen), "b!");
  EXPECT_EQ(Called(D, "gamma", Seen), "none");
  TStrDispatcher Zero(0);  // a zero count is taken as one bucket, not a division by zero
  AddNamed(Zero, "x", Seen, "x");
  EXPECT_EQ(Called(Zero, "x", Seen), "x!");
}

}  // namespace
}  // namespace halvern
