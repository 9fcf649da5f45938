#include <gtest/gtest.h>

#include <cstring>

#include "transport/TransFields.h"

namespace halvern {
namespace {

// Counts the references its columns add and give back.
class TCountingController : public IInterface {
 public:
  HRESULT HV_STDCALL QueryInterface(const TGuid&, void** Obj) override {
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  int32_t HV_STDCALL AddRef() override { return ++Count; }
  int32_t HV_STDCALL Release() override { return --Count; }
  int32_t Count = 1;
};

class TTestReader : public TCustomFieldReader {
 public:
  using TCustomFieldReader::TCustomFieldReader;
  int32_t HV_STDCALL GetIndex() override { return FIndex; }
  void Detach() { ReleaseController(); }
  int32_t FIndex = 0;
};

class TTestWriter : public TCustomFiledWriter {
 public:
  using TCustomFiledWriter::TCustomFiledWriter;
};

TEST(CollectObject, CountsOnItsController) {
  TCountingController Port;
  TTestReader Column(&Port);
  EXPECT_EQ(Column.AddRef(), 2);
  EXPECT_EQ(Column.AddRef(), 3);
  EXPECT_EQ(Column.RefCount(), 2);
  EXPECT_EQ(Column.Release(), 2);
  EXPECT_EQ(Column.RefCount(), 1);
  EXPECT_EQ(Port.Count, 2);

  // Every interface of the column counts on the same controller.
  TComPtr<IFieldReader> Reader;
  ASSERT_EQ(Column.QueryInterface(IFieldReader::IID, Reader.PutVoid()), S_OK);
  EXPECT_EQ(Port.Count, 3);
  TComPtr<ITransField> Field = Reader.Query<ITransField>();
  ASSERT_TRUE(Field);
  EXPECT_EQ(Port.Count, 4);
  EXPECT_EQ(Column.RefCount(), 3);
  Field = nullptr;
  Reader = nullptr;
  EXPECT_EQ(Port.Count, 2);
  EXPECT_EQ(Column.RefCount(), 1);
}

TEST(CollectObject, DestructionGivesBackOutstandingReferences) {
  TCountingController Port;
  {
    TTestReader Column(&Port);
    Column.AddRef();
    Column.AddRef();
    Column.Release();
    EXPECT_EQ(Port.Count, 2);
  }
  EXPECT_EQ(Port.Count, 1);  // exactly one Release from the destructor
}

TEST(CollectObject, DetachedReferencesAreInert) {
  TCountingController Port;
  TTestReader Column(&Port);
  IFieldReader* Held = nullptr;
  ASSERT_EQ(Column.QueryInterface(IFieldReader::IID, reinterpret_cast<void**>(&Held)), S_OK);
  EXPECT_EQ(Port.Count, 2);
  Column.Detach();
  EXPECT_EQ(Port.Count, 1);
  EXPECT_EQ(Held->AddRef(), 0);
  EXPECT_EQ(Held->Release(), 0);
  EXPECT_EQ(Column.RefCount(), 0);
  EXPECT_EQ(Port.Count, 1);
}

TEST(CollectObject, WithoutControllerNothingIsCounted) {
  TTestWriter Column(nullptr);
  EXPECT_EQ(Column.AddRef(), 0);
  EXPECT_EQ(Column.Release(), 0);
  EXPECT_EQ(Column.RefCount(), 0);
  void* P = nullptr;
  EXPECT_EQ(Column.QueryInterface(IFieldWriter::IID, &P), S_OK);
  EXPECT_NE(P, nullptr);
  EXPECT_EQ(Column.RefCount(), 0);
}

TEST(CollectObject, QueriesAnswerOnlyTheColumnsInterfaces) {
  TCountingController Port;
  TTestReader Reader(&Port);
  TTestWriter Writer(&Port);
  void* P = reinterpret_cast<void*>(1);
  for (const TGuid* Iid : {&IFieldWriter::IID, &ITransNode::IID, &ITransPort::IID, &ITransEvents::IID,
                           &ITransObject::IID, &IDataReader::IID}) {
    P = reinterpret_cast<void*>(1);
    EXPECT_EQ(Reader.QueryInterface(*Iid, &P), E_NOINTERFACE);
    EXPECT_EQ(P, nullptr);
  }
  P = reinterpret_cast<void*>(1);
  EXPECT_EQ(Writer.QueryInterface(IFieldReader::IID, &P), E_NOINTERFACE);
  EXPECT_EQ(P, nullptr);
  EXPECT_EQ(Port.Count, 1);

  // Supported both ways: from the writer interface back to the base ones and to itself.
  TComPtr<IFieldWriter> W;
  ASSERT_EQ(Writer.QueryInterface(IFieldWriter::IID, W.PutVoid()), S_OK);
  TComPtr<IInterface> Unknown = W.Query<IInterface>();
  EXPECT_EQ(Unknown.Get(), static_cast<IInterface*>(static_cast<TCollectObject*>(&Writer)));
  EXPECT_TRUE(Unknown.Query<ITransField>());
  EXPECT_TRUE(Unknown.Query<IFieldWriter>());
  EXPECT_FALSE(Unknown.Query<IFieldReader>());
}

TEST(CustomTransField, DefaultNameShowsTheIndex) {
  TTestReader Column(nullptr);
  EXPECT_EQ(Column.GetName(), "\xC1\xD0(0)");  // 列(0)
  Column.FIndex = 3;
  TComPtr<ITransField> Field;
  ASSERT_EQ(Column.QueryInterface(ITransField::IID, Field.PutVoid()), S_OK);
  EXPECT_EQ(Field->GetName(), "\xC1\xD0(3)");  // 列(3)
  EXPECT_EQ(Field->GetIndex(), 3);
  Field->SetName("\xB1\xE0\xBA\xC5");  // 编号
  EXPECT_EQ(Column.GetName(), "\xB1\xE0\xBA\xC5");
  Column.FIndex = -12;
  Column.SetName("");
  EXPECT_EQ(Column.GetName(), "\xC1\xD0(-12)");
}

TEST(CustomFieldReader, DefaultsAreNeutral) {
  TTestReader Column(nullptr);
  IFieldReader& R = Column;
  EXPECT_TRUE(R.IsNull());
  EXPECT_EQ(R.GetFieldType(), ftUnknown);
  EXPECT_EQ(R.GetIndex(), 0);
  EXPECT_FALSE(R.GetAsBoolean());
  EXPECT_EQ(R.GetAsByte(), 0);
  EXPECT_EQ(R.GetAsWord(), 0);
  EXPECT_EQ(R.GetAsLongWord(), 0u);
  EXPECT_EQ(R.GetAsShortInt(), 0);
  EXPECT_EQ(R.GetAsSmallInt(), 0);
  EXPECT_EQ(R.GetAsInteger(), 0);
  EXPECT_EQ(R.GetAsInt64(), 0);
  EXPECT_EQ(R.GetAsSingle(), 0.0f);
  EXPECT_EQ(R.GetAsDouble(), 0.0);
  EXPECT_EQ(R.GetAsExtended(), 0.0L);
  EXPECT_EQ(R.GetAsDateTime(), 0.0);
  EXPECT_EQ(R.GetAsString(), "");
  EXPECT_EQ(R.GetAsWideString(), u"");
  EXPECT_EQ(R.GetAsBlob(), nullptr);
  TGuid G;
  std::memset(&G, 0xAB, sizeof G);
  R.GetAsGuid(G);
  EXPECT_EQ(G, TGuid{});
}

TEST(CustomFiledWriter, DefaultsIgnoreValues) {
  TCountingController Port;
  TTestWriter Column(&Port);
  IFieldWriter& W = Column;
  W.SetAsBoolean(true);
  W.SetAsInteger(5);
  W.SetAsString("x");
  W.SetAsWideString(u"x");
  W.SetAsGuid(TGuid{1, 2, 3, {4}});
  W.SetAsBlob(nullptr);
  EXPECT_EQ(W.GetFieldType(), ftUnknown);
  EXPECT_EQ(W.GetName(), "\xC1\xD0(0)");
  EXPECT_EQ(Port.Count, 1);
}

}  // namespace
}  // namespace halvern
