#include <cstring>

#include "EngineLibrary.h"

namespace halvern::test {
namespace {

TEST_F(HostTest, InitRejectsUnknownPortTypes) {
  for (int32_t Type : {0, 3, -1, 0x7FFFFFFF}) {
    uint32_t Handle = 0xCAFEu;
    EXPECT_EQ(E->EngineInit(Type, &Handle), ENGINE_ERR_TYPE) << Type;
    EXPECT_EQ(Handle, 0xCAFEu) << "the handle variable is left as it was";
  }
}

TEST_F(HostTest, InitMakesPortsOrReportsCreate) {
  for (int32_t Type : {1, 2}) {
    uint32_t A = 0xCAFEu, B = 0xCAFEu;
    const int32_t Rc = E->EngineInit(Type, &A);
    if (Rc == ENGINE_OK) {
      EXPECT_NE(A, 0u);
      ASSERT_EQ(E->EngineInit(Type, &B), ENGINE_OK);
      EXPECT_NE(A, B);
      // Import ports read, export ports write: the other direction is refused.
      EXPECT_EQ(E->IsEof(A), Type == 1 ? E->IsEof(A) : -1);
      EXPECT_EQ(E->FieldSetCount(A, 3), Type == 2 ? ENGINE_OK : ENGINE_ERR_HANDLE);
      E->EngineFina(A);
      E->EngineFina(B);
    } else {
      EXPECT_EQ(Rc, ENGINE_ERR_CREATE);
      EXPECT_EQ(A, 0xCAFEu);
    }
    EXPECT_EQ(E->EngineInit(Type, nullptr), ENGINE_ERR_CREATE);
  }
}

// Every export given a handle that names nothing gives its neutral answer and writes nothing.
void CheckDeadHandle(const TExports* E, uint32_t H) {
  char Buf[8];
  std::memset(Buf, 'X', sizeof Buf);
  int32_t Size = 77;
  uint32_t Page = 0xABCu;

  E->EngineFina(H);
  E->EngineSetEvent(H, nullptr, EVENT_LOG_MESSAGE, nullptr);
  EXPECT_EQ(E->EngineGetOptions(H, Buf, &Size), 0);
  EXPECT_EQ(Size, 77);
  EXPECT_EQ(E->EngineSetOptions(H, "x=1"), ENGINE_ERR_HANDLE);
  EXPECT_EQ(E->EngineSetOptions(H, nullptr), ENGINE_ERR_HANDLE);
  E->MoveFirst(H);
  E->MoveNext(H);
  EXPECT_EQ(E->IsEof(H), -1);
  EXPECT_EQ(E->DataCount(H), -1);
  E->Append(H);
  E->Post(H);
  EXPECT_EQ(E->ConfigInit(H, nullptr, 0, &Page), ENGINE_ERR_HANDLE);
  EXPECT_EQ(Page, 0xABCu);
  E->ConfigFina(H);
  EXPECT_EQ(E->ConfigIsBOF(H), CONFIG_ERR_HANDLE);
  EXPECT_EQ(E->ConfigIsEOF(H), CONFIG_ERR_HANDLE);
  EXPECT_EQ(E->ConfigCheckSucceed(H), CONFIG_ERR_HANDLE);
  E->ConfigNext(H);
  E->ConfigPrevious(H);
  E->ConfigFirst(H);
  E->ConfigLast(H);
  E->ConfigUpdate(H);
  EXPECT_EQ(E->ConfigPort(H), 0u);
  EXPECT_EQ(E->FieldGetCount(H), 0);
  EXPECT_EQ(E->FieldSetCount(H, 2), ENGINE_ERR_HANDLE);
  EXPECT_EQ(E->FieldGetName(H, 0, Buf, &Size), 0);
  EXPECT_EQ(Size, 77);
  E->FieldSetName(H, 0, "abc", 3);
  EXPECT_EQ(E->FieldGetType(H, 0), 0);
  E->FieldSetType(H, 0, HV_FT_STRING);
  EXPECT_EQ(E->FieldFindbyName(H, "abc"), -1);
  EXPECT_EQ(E->FieldIsEmpty(H, 0), -1);
  for (char C : Buf) EXPECT_EQ(C, 'X');
}

TEST_F(HostTest, UnregisteredHandlesGetNeutralAnswers) {
  for (uint32_t H : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(H);
    CheckDeadHandle(E, H);
  }
}

TEST_F(HostTest, StaleHandlesGetNeutralAnswers) {
  uint32_t H = 0;
  if (E->EngineInit(1, &H) != ENGINE_OK) GTEST_SKIP() << "no import port in this build";
  EXPECT_GT(E->FieldGetCount(H), 0);
  E->EngineFina(H);
  CheckDeadHandle(E, H);
  // A later port never gets the dead value back.
  uint32_t Next = 0;
  ASSERT_EQ(E->EngineInit(1, &Next), ENGINE_OK);
  EXPECT_NE(Next, H);
  E->EngineFina(Next);
}

}  // namespace
}  // namespace halvern::test
