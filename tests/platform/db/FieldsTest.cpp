// Field definitions and field kinds: value buffers, conversions, limits, read-only and hidden
// fields, the text translation hook and blob fields.
#include <cmath>
#include <cstring>
#include <functional>
#include "tests/platform/db/DataSetFixture.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace orv::test {
namespace {

class KindsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& d = Ds.FieldDefs();
    d.Add("S", ftString, 5);
    d.Add("SI", ftSmallint);
    d.Add("W", ftWord);
    d.Add("I", ftInteger);
    d.Add("L", ftLargeint);
    d.Add("F", ftFloat);
    d.Add("B", ftBoolean);
    d.Add("D", ftDate);
    d.Add("DT", ftDateTime);
    d.Add("RO", ftInteger)->SetAttributes({faReadonly});
    d.Add("HID", ftString, 3)->SetAttributes({faHiddenCol});
    Ds.Open();
    Ds.Append();
  }
  TField* F(const char* name) { return Ds.FieldByName(name); }
  TMemDataSet Ds;
};

TEST_F(KindsFixture, DefinitionsShapeTheFields) {
  struct Case { const char* name; TFieldType type; Integer dataSize; Integer fieldNo; bool readOnly, visible; };
  const Case cases[] = {
      {"S", ftString, 6, 1, false, true},   {"SI", ftSmallint, 2, 2, false, true},
      {"W", ftWord, 2, 3, false, true},     {"I", ftInteger, 4, 4, false, true},
      {"L", ftLargeint, 8, 5, false, true}, {"F", ftFloat, 8, 6, false, true},
      {"B", ftBoolean, 2, 7, false, true},  {"D", ftDate, 4, 8, false, true},
      {"DT", ftDateTime, 8, 9, false, true}, {"RO", ftInteger, 4, 10, true, true},
      {"HID", ftString, 4, 11, false, false},
  };
  for (const auto& c : cases) {
    TField* f = F(c.name);
    EXPECT_EQ(f->DataType(), c.type) << c.name;
    EXPECT_EQ(f->DataSize(), c.dataSize) << c.name;
    EXPECT_EQ(f->FieldNo(), c.fieldNo) << c.name;
    EXPECT_EQ(f->ReadOnly(), c.readOnly) << c.name;
    EXPECT_EQ(f->Visible(), c.visible) << c.name;
    EXPECT_TRUE(f->IsNull()) << c.name << " of a new record";
  }
  EXPECT_EQ(static_cast<int>(ftLargeint), 25);
  EXPECT_EQ(static_cast<int>(ftMemo), 16);
  EXPECT_EQ(static_cast<int>(ftAutoInc), 14);
  try {
    Ds.FieldDefs().Add("s", ftInteger);
    FAIL() << "a duplicate field name was accepted";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Duplicate field name 's'");
  }
  try {
    Ds.FieldByName("NOPE");
    FAIL() << "an unknown field was found";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'NOPE' not found");
  }
  EXPECT_EQ(Ds.FieldDefs().Find("dt")->FieldNo(), 9);
  EXPECT_EQ(Ds.FindField("none"), nullptr);
}

TEST_F(KindsFixture, ValuesConvertBetweenKinds) {
  struct Case { const char* field; std::function<void(TField*)> set; const char* asString; double asFloat; };
  const Case cases[] = {
      {"S", [](TField* f) { f->SetAsString("abcdefgh"); }, "abcde", 0},
      {"S", [](TField* f) { f->SetAsInteger(42); }, "42", 42},
      {"SI", [](TField* f) { f->SetAsString(" -123 "); }, "-123", -123},
      {"W", [](TField* f) { f->SetAsInteger(65535); }, "65535", 65535},
      {"I", [](TField* f) { f->SetAsFloat(2.6); }, "3", 3},
      {"L", [](TField* f) { f->SetAsString("9000000000"); }, "9000000000", 9e9},
      {"F", [](TField* f) { f->SetAsInteger(-7); }, "-7", -7},
      {"B", [](TField* f) { f->SetAsString("t"); }, "True", 0},
      {"B", [](TField* f) { f->SetAsBoolean(false); }, "False", 0},
      {"I", [](TField* f) { f->SetAsString(""); }, "", 0},
  };
  for (const auto& c : cases) {
    TField* f = F(c.field);
    c.set(f);
    EXPECT_EQ(f->AsString(), c.asString) << c.field;
    if (c.asFloat != 0) {
      EXPECT_DOUBLE_EQ(f->AsFloat(), c.asFloat) << c.field;
    }
  }
  EXPECT_TRUE(F("I")->IsNull()) << "an empty text clears a number";
  F("B")->SetAsBoolean(true);
  EXPECT_TRUE(F("B")->AsBoolean());
  EXPECT_EQ(F("B")->AsInteger(), 1);
}

TEST_F(KindsFixture, BadValuesAreRefused) {
  struct Case { const char* field; std::function<void(TField*)> set; const char* message; };
  const Case cases[] = {
      {"I", [](TField* f) { f->SetAsString("12x"); }, "'12x' is not a valid integer value"},
      {"F", [](TField* f) { f->SetAsString("1.2.3"); }, "'1.2.3' is not a valid floating point value"},
      {"B", [](TField* f) { f->SetAsString("maybe"); }, "'maybe' is not a valid boolean value"},
      {"SI", [](TField* f) { f->SetAsInteger(40000); },
       "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
      {"W", [](TField* f) { f->SetAsInteger(-1); },
       "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535"},
      {"I", [](TField* f) { f->SetAsString("9000000000"); },
       "9000000000 is not a valid value for field 'I'. The allowed range is -2147483648 to 2147483647"},
      {"F", [](TField* f) { f->SetAsFloat(std::nan("")); }, "Invalid value for field 'F'"},
      {"RO", [](TField* f) { f->SetAsInteger(1); }, "Field 'RO' cannot be modified"},
      {"D", [](TField* f) { f->SetAsBoolean(true); }, "Invalid type conversion to Boolean in field 'D'"},
  };
  for (const auto& c : cases) {
    try {
      c.set(F(c.field));
      ADD_FAILURE() << c.field << " accepted a bad value";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message) << c.field;
    }
    EXPECT_TRUE(F(c.field)->IsNull()) << c.field << " kept a refused value";
  }
}

TEST_F(KindsFixture, DatesUseTheEngineDayNumbers) {
  TDateTime leapDay = EncodeDate(2024, 2, 29);
  F("D")->SetAsDateTime(leapDay + 0.75);
  F("DT")->SetAsDateTime(leapDay + 0.5);
  Integer day = 0;
  ASSERT_TRUE(F("D")->GetData(&day));
  EXPECT_EQ(day, 738945) << "days since 0001-01-01 plus one";
  double ms = 0;
  ASSERT_TRUE(F("DT")->GetData(&ms));
  EXPECT_DOUBLE_EQ(ms, 738945.0 * 86400000.0 + 43200000.0);
  EXPECT_DOUBLE_EQ(F("D")->AsDateTime(), leapDay) << "a date field drops the time";
  EXPECT_DOUBLE_EQ(F("DT")->AsDateTime(), leapDay + 0.5);
  EXPECT_DOUBLE_EQ(MSecsToDateTime(DateTimeToMSecs(leapDay + 0.25)), leapDay + 0.25);
}

TEST_F(KindsFixture, ValuesNeedEditOrInsertState) {
  F("S")->SetAsString("x");
  Ds.Post();
  try {
    F("S")->SetAsString("y");
    FAIL() << "a field was written while browsing";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
  }
  EXPECT_EQ(F("S")->AsString(), "x");
}

TEST_F(PeopleFixture, TextCrossesTheTranslateHookBothWays) {
  // The engine keeps 0x84 where the application sees 0xE4.
  Ds.TranslateHook = [](const AnsiString& s, bool toOem) {
    AnsiString out = s;
    for (char& c : out) {
      if (toOem && c == '\xe4') c = '\x84';
      else if (!toOem && c == '\x84') c = '\xe4';
    }
    return out;
  };
  Fill({"B\xe4r"});
  EXPECT_EQ(Ds.RawText(0, 1), "B\x84r") << "stored in the engine's code page";
  EXPECT_EQ(Name(), "B\xe4r") << "read back in the application's";
  TField* name = Ds.FieldByName("NAME");
  name->SetTransliterate(false);
  EXPECT_EQ(name->AsString(), "B\x84r");
}

TEST_F(PeopleFixture, MemoStreamsKeepWhatWasWritten) {
  Fill({"Anna", "Bert"});
  auto* note = static_cast<TBlobField*>(Ds.FieldByName("NOTE"));
  EXPECT_TRUE(note->IsNull());
  EXPECT_EQ(note->DisplayText(), "(Memo)");
  EXPECT_TRUE(note->Transliterate()) << "memo text crosses the translation hook";
  EXPECT_FALSE(TBlobField(ftBlob).Transliterate()) << "binary blobs never do";
  Ds.Edit();
  note->SetAsString("first line");
  Ds.Post();
  EXPECT_EQ(note->AsString(), "first line");
  EXPECT_EQ(note->DisplayText(), "(MEMO)");
  Ds.Edit();
  {
    auto rw = Ds.CreateBlobStream(note, bmReadWrite);
    EXPECT_EQ(rw->Size(), 10);
    rw->Seek(0, soEnd);
    rw->Write("\r\nsecond", 8);
    rw->SetPosition(0);  // rewinding after a write keeps the text
  }
  Ds.Post();
  EXPECT_EQ(note->AsString(), "first line\r\nsecond");
  EXPECT_EQ(note->BlobSize(), 18);
  Ds.Next();
  EXPECT_EQ(note->AsString(), "") << "the other record has no memo";
  Ds.Prior();
  TMemoryStream saved;
  note->SaveToStream(saved);
  EXPECT_EQ(saved.Size(), 18);
  EXPECT_THROW(note->SetAsString("x"), EDatabaseError) << "browse state";
  EXPECT_EQ(note->AsString(), "first line\r\nsecond");
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

class PersistentFieldsTest : public PeopleFixture {
 protected:
  void AddData() {
    Ds.Fields().Add(std::make_unique<TStringField>(12))->SetFieldName("NAME");
    Ds.Fields().Add(std::make_unique<TIntegerField>())->SetFieldName("AGE");
  }
};

TEST_F(PersistentFieldsTest, CalculatedFieldsFollowTheirInputs) {
  AddData();
  TField* next = Ds.Fields().Add(std::make_unique<TIntegerField>());
  next->SetFieldName("NEXTAGE");
  next->SetFieldKind(fkCalculated);
  Ds.OnCalcFields = [](TDataSet* d) {
    EXPECT_EQ(d->State(), dsCalcFields);
    EXPECT_THROW(d->FieldByName("AGE")->SetAsInteger(0), EDatabaseError) << "data fields are not written here";
    if (!d->FieldByName("AGE")->IsNull()) d->FieldByName("NEXTAGE")->SetAsInteger(d->FieldByName("AGE")->AsInteger() + 1);
  };
  Fill({"Anna", "Bert"});
  EXPECT_FALSE(Ds.DefaultFields());
  EXPECT_EQ(Ds.FieldCount(), 3) << "persistent fields only: NOTE has none";
  EXPECT_LT(next->FieldNo(), 0);
  EXPECT_EQ(next->AsInteger(), 21);
  Ds.Next();
  EXPECT_EQ(next->AsInteger(), 22);
  Ds.Edit();
  Ds.FieldByName("AGE")->SetAsInteger(40);
  EXPECT_EQ(next->AsInteger(), 41) << "recomputed when a data field changes";
  Ds.Post();
  Ds.Close();
  EXPECT_EQ(Ds.FieldCount(), 3) << "persistent fields outlive the open";
}

TEST_F(PersistentFieldsTest, FieldsThatDoNotMatchTheDefinitionsKeepTheDataSetClosed) {
  struct Case { TFieldType type; const char* name; const char* message; };
  const Case cases[] = {
      {ftInteger, "NAME", "Type mismatch for field 'NAME'"},
      {ftString, "MISSING", "Field 'MISSING' not found"},
  };
  for (const auto& c : cases) {
    Ds.Fields().Clear();
    Ds.Fields().Add(MakeField(c.type, 12))->SetFieldName(c.name);
    try {
      Ds.Open();
      ADD_FAILURE() << c.name << " opened";
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_FALSE(Ds.Active());
  }
}

}  // namespace
}  // namespace orv::test
