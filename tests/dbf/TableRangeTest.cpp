// The table data set over an index: key ranges (also while records come and go), searches by
// key, locating records by key and by reading them, and a detail restricted to its master's key.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "dbf/DbfFile.h"
#include "dbf/DbfIdxCursor.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfLang.h"
#include "dbf/DbfTable.h"
#include "platform/db/DataSource.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

struct TTagSpec {
  const char* Name;
  const char* Expression;
  TIndexOptions Options;
};

// The first dBASE language driver of a code page.
Byte DriverOf(Word codePage) {
  for (int b = 1; b < 256; ++b)
    if (CodePageOfDriver(static_cast<Byte>(b)) == codePage && !IsFoxProDriver(static_cast<Byte>(b)))
      return static_cast<Byte>(b);
  return 0;
}

class TableRange : public TTempDir {
 protected:
  using Names = std::vector<std::string>;

  // name.dbf with the fields, the language driver of the code page and a production index of
  // the tags.
  void MakeIndexedTable(const std::string& name, std::initializer_list<TFieldSpec> fields,
                        const std::vector<TTagSpec>& tags, Word codePage) {
    Create(name, kLevelDbase4, fields).reset();
    auto bytes = ReadBytes(name);
    bytes[29] = DriverOf(codePage);
    ASSERT_NE(bytes[29], 0);
    WriteBytes(name, bytes);
    auto file = Open(name, pfExclusiveOpen);
    ASSERT_EQ(file->UseCodePage(), codePage);
    for (const auto& tag : tags) ASSERT_TRUE(file->AddIndex(tag.Name, tag.Expression, tag.Options, true));
  }
  std::unique_ptr<TDbfTable> OpenTable(const std::string& name, const AnsiString& indexName) {
    auto t = std::make_unique<TDbfTable>();
    t->SetFilePath(Dir);
    t->SetTableName(name);
    t->SetIndexName(indexName);
    t->Open();
    return t;
  }
  static void AppendRow(TDbfTable& t, const std::string& name, const std::string& city, int num = 0) {
    t.Append();
    t.FieldByName("NAME")->SetAsString(name);
    t.FieldByName("CITY")->SetAsString(city);
    t.FieldByName("NUM")->SetAsFloat(num);
    t.Post();
  }
  static std::string Current(TDbfTable& t) {
    if (t.IsEmpty()) return "<empty>";
    return t.FieldByName("NAME")->AsString() + " " + t.FieldByName("CITY")->AsString();
  }
  static Names Forwards(TDbfTable& t) {
    Names out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName("NAME")->AsString());
    return out;
  }
  static Names Backwards(TDbfTable& t) {
    Names out;
    for (t.Last(); !t.Bof(); t.Prior()) out.insert(out.begin(), t.FieldByName("NAME")->AsString());
    return out;
  }
  static std::vector<Byte> KeyOf(TDbfTable& t, const AnsiString& text) {
    auto* cursor = dynamic_cast<TIndexCursor*>(t.Cursor());
    return cursor ? cursor->ValueToKey(TDbfKeyValue(t.Translate(text, true))) : std::vector<Byte>{};
  }

  // people.dbf in code page 850 with tags NAME, NUM and a descending CITY, and eight records.
  // Key order of NAME: Anna, Bert (Rome), Bert (Kiel), Cleo, Dora, Emil, Meyer, MÜLLER.
  std::unique_ptr<TDbfTable> Filled(const AnsiString& indexName) {
    MakeIndexedTable("people.dbf", {{"NAME", 'C', 10, 0}, {"CITY", 'C', 10, 0}, {"NUM", 'N', 5, 0}},
                     {{"NAME", "NAME", 0}, {"NUM", "NUM", 0}, {"CITY", "CITY", ixDescending}}, 850);
    auto t = OpenTable("people.dbf", indexName);
    AppendRow(*t, "Cleo", "Bonn", 3);
    AppendRow(*t, "Anna", "Oslo", 1);
    AppendRow(*t, "Bert", "Rome", 2);
    AppendRow(*t, "Emil", "Lima", 6);
    AppendRow(*t, "Bert", "Kiel", 2);
    AppendRow(*t, "Dora", "Turin", 4);
    AppendRow(*t, kMueller, "Wien", 7);
    AppendRow(*t, "Meyer", "Graz", 5);
    return t;
  }
  static constexpr const char* kMueller = "M\xDCLLER";
  const Names kAll{"Anna", "Bert", "Bert", "Cleo", "Dora", "Emil", "Meyer", kMueller};
};

TEST_F(TableRange, RangesShowTheKeysBetweenTheirBounds) {
  auto t = Filled("NAME");
  struct TCase {
    const char* Low;
    const char* High;
    Names Want;
  } cases[] = {
      {"B", "D", {"Bert", "Bert", "Cleo"}},
      {"Bert", "Dora", {"Bert", "Bert", "Cleo", "Dora"}},
      {"Bert", "Bert", {"Bert", "Bert"}},
      {"Bertha", "Cleo", {"Cleo"}},
      {"A", "Z", kAll},
      {"Zed", "Zz", {}},
      {"0", "Aa", {}},
      {"Fritz", "Lutz", {}},
      {"Cz", "Bz", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Low) + ".." + c.High);
    t->SetKeyRange(c.Low, c.High);
    // The data set stands on the range's first record.
    EXPECT_EQ(t->IsEmpty() ? "" : t->FieldByName("NAME")->AsString(), c.Want.empty() ? "" : c.Want.front());
    EXPECT_EQ(Forwards(*t), c.Want);
    EXPECT_EQ(Backwards(*t), c.Want);
    t->CancelRange();
    EXPECT_EQ(Forwards(*t), kAll);
  }

  // A bound that makes no key leaves no record; a numeric index reads texts as numbers.
  t->SetKeyRange(TDbfKeyValue(), "Z");
  EXPECT_TRUE(t->IsEmpty());
  t->SetIndexName("NUM");
  t->SetKeyRange(2, "4");
  EXPECT_EQ(Forwards(*t), (Names{"Bert", "Bert", "Cleo", "Dora"}));
  t->SetKeyRange("two", 4);
  EXPECT_TRUE(t->IsEmpty());
  t->SetKeyRange(5.0, 99.5);
  EXPECT_EQ(Forwards(*t), (Names{"Meyer", "Emil", kMueller}));

  // Choosing an index drops the range, also when the same tag comes back.
  t->SetIndexName("NAME");
  EXPECT_EQ(Forwards(*t), kAll);
  t->SetKeyRange("B", "D");
  t->SetIndexName("CITY");
  t->SetIndexName("NAME");
  EXPECT_EQ(Forwards(*t), kAll);
  // In physical order there is no key to restrict by.
  t->SetIndexName("");
  t->SetKeyRange("B", "D");
  EXPECT_EQ(Forwards(*t).size(), 8u);
}

// The cursor's count of places: in key order the index's, up to the range's high bound (places
// count from the first entry, as RecNo's do; one leaf here, so exact), none for a range that can
// hold nothing; in physical order the file's record count, deleted records included.
TEST_F(TableRange, PhysicalRecordCountFollowsTheCursorAndItsRange) {
  auto t = Filled("NAME");
  EXPECT_EQ(t->PhysicalRecordCount(), 8);
  struct TCase {
    const char* Low;
    const char* High;
    Integer Count;
  } cases[] = {{"B", "D", 4}, {"Bert", "Bert", 3}, {"Cleo", "Z", 8}, {"0", "Aa", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Low) + ".." + c.High);
    t->SetKeyRange(c.Low, c.High);
    EXPECT_EQ(t->PhysicalRecordCount(), c.Count);
  }
  t->SetKeyRange(TDbfKeyValue(), "Z");
  EXPECT_EQ(t->PhysicalRecordCount(), 0);
  t->CancelRange();
  EXPECT_EQ(t->PhysicalRecordCount(), 8);
  t->First();
  t->Delete();
  EXPECT_EQ(t->PhysicalRecordCount(), 8) << "the tag keeps a deleted record's key";
  t->SetIndexName("");
  EXPECT_EQ(t->PhysicalRecordCount(), 8);
  AppendRow(*t, "Fritz", "Oslo");
  EXPECT_EQ(t->PhysicalRecordCount(), 9);
  t->Close();
  EXPECT_EQ(t->PhysicalRecordCount(), 0);
}

TEST_F(TableRange, CancellingKeepsTheCurrentRecord) {
  auto t = Filled("NAME");
  t->SetKeyRange("B", "D");
  t->Next();
  EXPECT_EQ(Current(*t), "Bert Kiel");
  t->CancelRange();
  EXPECT_EQ(Current(*t), "Bert Kiel");
  t->Prior();
  t->Prior();
  EXPECT_EQ(Current(*t), "Anna Oslo");
  // From an empty range every record comes back, from the first.
  t->SetKeyRange("Zed", "Zz");
  t->CancelRange();
  EXPECT_EQ(Current(*t), "Anna Oslo");
}

TEST_F(TableRange, RangeHoldsWhileRecordsAreAddedEditedAndDeleted) {
  auto t = Filled("NAME");
  t->SetKeyRange("B", "D");
  AppendRow(*t, "Bea", "Lima");
  EXPECT_EQ(Current(*t), "Bea Lima");
  EXPECT_EQ(Forwards(*t), (Names{"Bea", "Bert", "Bert", "Cleo"}));
  // Records outside the range are stored but not shown; the data set stays inside the range, at
  // its end nearest to the new key.
  for (const auto& [outside, nearest] : {std::pair{"Zoe", "Cleo Bonn"}, {"Aaron", "Bea Lima"}}) {
    SCOPED_TRACE(outside);
    AppendRow(*t, outside, "Rome");
    EXPECT_EQ(Current(*t), nearest);
    EXPECT_EQ(Forwards(*t), (Names{"Bea", "Bert", "Bert", "Cleo"}));
    EXPECT_EQ(Backwards(*t), (Names{"Bea", "Bert", "Bert", "Cleo"}));
  }
  // A key edited out of the range leaves it; one edited within moves inside it.
  t->First();
  t->Edit();
  t->FieldByName("NAME")->SetAsString("Xena");
  t->Post();
  EXPECT_EQ(Forwards(*t), (Names{"Bert", "Bert", "Cleo"}));
  t->First();
  t->Edit();
  t->FieldByName("NAME")->SetAsString("Cara");
  t->Post();
  EXPECT_EQ(Current(*t), "Cara Rome");
  EXPECT_EQ(Forwards(*t), (Names{"Bert", "Cara", "Cleo"}));
  t->Last();
  t->Delete();
  EXPECT_EQ(Current(*t), "Cara Rome");
  EXPECT_EQ(Backwards(*t), (Names{"Bert", "Cara"}));
  t->CancelRange();
  EXPECT_EQ(Forwards(*t), (Names{"Aaron", "Anna", "Bert", "Cara", "Dora", "Emil", "Meyer", kMueller, "Xena", "Zoe"}));
}

TEST_F(TableRange, SearchKeyTypesAndFailedSearchesStayPut) {
  auto t = Filled("NAME");
  struct TCase {
    const char* Key;
    int Type;
    const char* Want;  // nullptr: not found, the data set stays on Dora
  } cases[] = {
      {"Bert", 0, "Bert Rome"}, {"Bert", 1, "Bert Rome"}, {"Bert", 2, "Cleo Bonn"}, {"Bz", 0, nullptr},
      {"Bz", 1, "Cleo Bonn"},   {"Bz", 2, "Cleo Bonn"},   {"A", 2, "Anna Oslo"},   {"Zed", 1, nullptr},
      {kMueller, 2, nullptr},   {"Bert", 3, nullptr},
  };
  const Names order{"Anna Oslo", "Bert Rome", "Bert Kiel", "Cleo Bonn", "Dora Turin", "Emil Lima", "Meyer Graz"};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Key) + " type " + std::to_string(c.Type));
    t->First();
    t->MoveBy(4);
    ASSERT_EQ(Current(*t), "Dora Turin");
    EXPECT_EQ(t->SearchKey(KeyOf(*t, c.Key), c.Type), c.Want != nullptr);
    const std::string now = c.Want ? c.Want : "Dora Turin";
    EXPECT_EQ(Current(*t), now);
    // The cursor stands where the data set does: the next record follows in key order.
    t->Next();
    const auto at = std::find(order.begin(), order.end(), now);
    ASSERT_NE(at, order.end());
    EXPECT_EQ(Current(*t), *(at + 1));
  }
  // A key shorter than the index's is refused.
  EXPECT_FALSE(t->SearchKey({'B'}, 1));

  // Values: a text is converted to the table's code page as its records are.
  EXPECT_TRUE(t->SearchKeyValue(kMueller, false));
  EXPECT_EQ(Current(*t), std::string(kMueller) + " Wien");
  EXPECT_TRUE(t->SearchKeyValue("Cl", true));
  EXPECT_EQ(Current(*t), "Cleo Bonn");
  EXPECT_FALSE(t->SearchKeyValue("Cl", false));
  EXPECT_FALSE(t->SearchKeyValue(TDbfKeyValue(), true));
  EXPECT_EQ(Current(*t), "Cleo Bonn");

  // After the last record, a failed search leaves the data set there.
  t->Last();
  t->Next();
  ASSERT_TRUE(t->Eof());
  EXPECT_FALSE(t->SearchKeyValue("Zed", false));
  EXPECT_TRUE(t->Eof());
  EXPECT_EQ(Current(*t), std::string(kMueller) + " Wien");

  // Searches see only the shown records: inside the range, passing the filter.
  t->SetKeyRange("B", "D");
  EXPECT_FALSE(t->SearchKeyValue("Anna", false));
  EXPECT_TRUE(t->SearchKeyValue("A", true));
  EXPECT_EQ(Current(*t), "Bert Rome");
  EXPECT_FALSE(t->SearchKeyValue("Dora", true));
  t->CancelRange();
  t->OnFilterRecord = [&](TDataSet*, bool& accept) {
    accept = t->FieldByName("CITY")->AsString() != "Rome" && t->FieldByName("NAME")->AsString() != "Dora";
  };
  t->SetFiltered(true);
  EXPECT_TRUE(t->SearchKeyValue("Bert", false));
  EXPECT_EQ(Current(*t), "Bert Kiel");
  t->First();
  ASSERT_EQ(Current(*t), "Anna Oslo");
  // Dora's entry is reached but filtered out and the search goes on to Emil's, which does not
  // answer: the data set and its cursor stay on Anna.
  EXPECT_FALSE(t->SearchKeyValue("Dora", false));
  EXPECT_EQ(Current(*t), "Anna Oslo");
  t->Next();
  EXPECT_EQ(Current(*t), "Bert Kiel");
  EXPECT_TRUE(t->SearchKeyValue("Dora", true));
  EXPECT_EQ(Current(*t), "Emil Lima");
}

TEST_F(TableRange, LocateByIndexAndByReadingTheRecords) {
  auto t = Filled("NAME");
  const std::string mueller = std::string(kMueller) + " Wien";
  struct TCase {
    const char* Fields;
    std::vector<AnsiString> Values;
    TLocateOptions Options;
    std::string Want;  // empty: not found, the data set stays on Dora
  } cases[] = {
      {"NAME", {"Cleo"}, {}, "Cleo Bonn"},
      {"NAME", {"Cl"}, {loPartialKey}, "Cleo Bonn"},
      {"NAME", {"Cl"}, {}, ""},
      {"NAME", {"M\xFC"}, {loPartialKey, loCaseInsensitive}, mueller},
      {"NAME", {"m\xFCller"}, {loCaseInsensitive}, mueller},
      {"NAME", {"M\xFC"}, {loPartialKey}, ""},
      {"NAME", {"M\xDC"}, {loPartialKey}, mueller},
      {"NAME", {"Bert"}, {}, "Bert Rome"},
      {"NAME;CITY", {"Bert", "Kiel"}, {}, "Bert Kiel"},
      {"NAME;CITY", {"Bert"}, {}, ""},
      {"NAME;CITY", {"Bert", "K"}, {loPartialKey}, "Bert Kiel"},
      {"NUM", {"7"}, {}, mueller},
      {"NUM", {"x"}, {}, ""},
      {"NAME", {"Zed"}, {}, ""},
      {"NAME", {"CleoCleoCleo"}, {loPartialKey}, ""},
  };
  for (const char* index : {"NAME", "NUM", ""}) {
    t->SetIndexName(index);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(index) + ": " + c.Fields + " = " + c.Values.front());
      ASSERT_TRUE(t->Locate("NAME", {"Dora"}, {}));
      EXPECT_EQ(t->Locate(c.Fields, c.Values, c.Options), !c.Want.empty());
      EXPECT_EQ(Current(*t), c.Want.empty() ? "Dora Turin" : c.Want);
    }
  }
  EXPECT_THROW(t->Locate("NOSUCH", {"x"}, {}), EDatabaseError);

  // On the index's road only the record with the key is read (and read again as the data set
  // shows it); the other road reads every record before the one found.
  int reads = 0;
  t->OnFilterRecord = [&](TDataSet*, bool& accept) {
    ++reads;
    accept = true;
  };
  t->SetFiltered(true);
  t->SetIndexName("NAME");
  reads = 0;
  ASSERT_TRUE(t->Locate("NAME", {kMueller}, {}));
  EXPECT_EQ(reads, 2);
  t->SetIndexName("");
  reads = 0;
  ASSERT_TRUE(t->Locate("NAME", {kMueller}, {}));
  EXPECT_EQ(reads, 8);
}

TEST_F(TableRange, LocateByIndexTakesOnlyTheExactText) {
  auto t = Filled("NAME");
  AppendRow(*t, "O'BRIEN", "Cork");
  AppendRow(*t, "OBRIEN", "Sligo");
  auto* cursor = dynamic_cast<TIndexCursor*>(t->Cursor());
  ASSERT_NE(cursor, nullptr);
  const auto a = KeyOf(*t, "O'BRIEN"), b = KeyOf(*t, "OBRIEN");
  ASSERT_EQ(cursor->IndexFile()->CompareKeys(a.data(), b.data()), 0) << "the locale ranks the two texts alike";
  EXPECT_TRUE(t->Locate("NAME", {"OBRIEN"}, {}));
  EXPECT_EQ(Current(*t), "OBRIEN Sligo");
  EXPECT_TRUE(t->Locate("NAME", {"O'BRIEN"}, {}));
  EXPECT_EQ(Current(*t), "O'BRIEN Cork");
  EXPECT_TRUE(t->Locate("NAME", {"OB"}, {loPartialKey}));
  EXPECT_EQ(Current(*t), "OBRIEN Sligo");
}

// Customers (code page 850) and their orders (code page 1252) indexed by customer.
class MasterDetail : public TableRange {
 protected:
  void SetUp() override {
    TableRange::SetUp();
    Create("cust.dbf", kLevelDbase4, {{"ID", 'C', 4, 0}, {"NAME", 'C', 10, 0}}).reset();
    Master = OpenTable("cust.dbf", "");
    ASSERT_EQ(Master->DbfFile()->UseCodePage(), 850u);
    for (const auto& [id, name] : {std::pair{"K1", "Anna"}, {"K\xDC", "\xDCmit"}, {"K3", "Cleo"}}) {
      Master->Append();
      Master->FieldByName("ID")->SetAsString(id);
      Master->FieldByName("NAME")->SetAsString(name);
      Master->Post();
    }
    MakeIndexedTable("orders.dbf", {{"CUST", 'C', 4, 0}, {"ITEM", 'C', 10, 0}}, {{"CUST", "CUST", 0}}, 1252);
    Detail = OpenTable("orders.dbf", "CUST");
    for (const auto& [cust, item] : {std::pair{"K1", "Apples"}, {"K\xDC", "Bread"}, {"K1", "Cherries"}, {"K\xDC", "Dates"}})
      AddOrder(cust, item);
    MasterSource.SetDataSet(Master.get());
    Detail->SetMasterSource(&MasterSource);
    Detail->SetMasterFields("ID");
  }
  void TearDown() override {
    Detail.reset();
    Master.reset();
    TableRange::TearDown();
  }
  void AddOrder(const std::string& cust, const std::string& item) {
    Detail->Append();
    Detail->FieldByName("CUST")->SetAsString(cust);
    Detail->FieldByName("ITEM")->SetAsString(item);
    Detail->Post();
  }
  Names Items() {
    Names out;
    for (Detail->First(); !Detail->Eof(); Detail->Next()) out.push_back(Detail->FieldByName("ITEM")->AsString());
    return out;
  }
  TDataSource MasterSource{nullptr};
  std::unique_ptr<TDbfTable> Master, Detail;
};

TEST_F(MasterDetail, MovingTheMasterChangesTheDetailsRecords) {
  Master->First();
  EXPECT_EQ(Items(), (Names{"Apples", "Cherries"}));
  // The master's key in code page 850 finds the detail's keys in code page 1252.
  Master->Next();
  EXPECT_EQ(Items(), (Names{"Bread", "Dates"}));
  Master->Next();
  EXPECT_TRUE(Detail->IsEmpty());
  Master->First();
  EXPECT_EQ(Detail->FieldByName("ITEM")->AsString(), "Apples");
  // An order added for the current customer shows; one for another does not.
  AddOrder("K1", "Eggs");
  AddOrder("K3", "Figs");
  EXPECT_EQ(Items(), (Names{"Apples", "Cherries", "Eggs"}));
  Master->Last();
  EXPECT_EQ(Items(), (Names{"Figs"}));

  // Physical order has no key to follow; the index brings the master's range back.
  Detail->SetIndexName("");
  EXPECT_EQ(Items().size(), 6u);
  Detail->SetIndexName("CUST");
  EXPECT_EQ(Items(), (Names{"Figs"}));

  // A closed master shows every order; open again, the first customer's.
  Master->Close();
  EXPECT_EQ(Items(), (Names{"Apples", "Cherries", "Eggs", "Figs", "Bread", "Dates"}));
  Master->Open();
  EXPECT_EQ(Items(), (Names{"Apples", "Cherries", "Eggs"}));
  // Without master records the detail has none either.
  while (!Master->IsEmpty()) Master->Delete();
  EXPECT_TRUE(Detail->IsEmpty());
}

}  // namespace
}  // namespace orv::test
