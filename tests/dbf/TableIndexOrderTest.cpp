// The table data set walking a production index's tag: key order both ways, appends, key edits
// and deletes keeping the cursor on the right record, bookmarks, and back to physical order.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfTable.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

class TableIndexOrder : public TTempDir {
 protected:
  // people.dbf (NAME, CITY) with a production index of a NAME tag and a descending CITY tag.
  void MakeIndexedTable() {
    auto file = Create("people.dbf", kLevelDbase4, {{"NAME", 'C', 10, 0}, {"CITY", 'C', 10, 0}});
    ASSERT_TRUE(file->AddIndex("NAME", "NAME", 0, true));
    ASSERT_TRUE(file->AddIndex("CITY", "CITY", ixDescending, true));
  }
  std::unique_ptr<TDbfTable> OpenTable(const AnsiString& indexName) {
    auto t = std::make_unique<TDbfTable>();
    t->SetFilePath(Dir);
    t->SetTableName("people.dbf");
    t->SetIndexName(indexName);
    t->Open();
    return t;
  }
  static void AppendRow(TDbfTable& t, const std::string& name, const std::string& city) {
    t.Append();
    t.FieldByName("NAME")->SetAsString(name);
    t.FieldByName("CITY")->SetAsString(city);
    t.Post();
  }
  static std::string Current(TDbfTable& t) { return t.FieldByName("NAME")->AsString(); }
  static std::vector<std::string> Forwards(TDbfTable& t) {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(Current(t));
    return out;
  }
  static std::vector<std::string> Backwards(TDbfTable& t) {
    std::vector<std::string> out;
    for (t.Last(); !t.Bof(); t.Prior()) out.push_back(Current(t));
    return out;
  }
  // Physical order: Cleo, Anna, Dora, Bert.
  std::unique_ptr<TDbfTable> Filled(const AnsiString& indexName) {
    MakeIndexedTable();
    auto t = OpenTable(indexName);
    AppendRow(*t, "Cleo", "Bonn");
    AppendRow(*t, "Anna", "Oslo");
    AppendRow(*t, "Dora", "Athens");
    AppendRow(*t, "Bert", "Rome");
    return t;
  }
  using Names = std::vector<std::string>;
};

TEST_F(TableIndexOrder, WalksInKeyOrderBothWaysAndSwitchesOrders) {
  auto t = Filled("NAME");
  EXPECT_EQ(Forwards(*t), (Names{"Anna", "Bert", "Cleo", "Dora"}));
  EXPECT_EQ(Backwards(*t), (Names{"Dora", "Cleo", "Bert", "Anna"}));
  // RecNo is the place in key order; the bookmark stays the record's own number.
  t->First();
  t->Next();
  EXPECT_EQ(Current(*t), "Bert");
  EXPECT_EQ(t->RecNo(), 2);
  const TBookmark bert = t->GetBookmark();
  t->Last();
  t->GotoBookmark(bert);
  EXPECT_EQ(Current(*t), "Bert");
  EXPECT_TRUE(t->BookmarkValid(bert));
  t->SetRecNo(3);
  EXPECT_EQ(Current(*t), "Cleo");
  // A filter skips records in key order as in physical order.
  t->OnFilterRecord = [&](TDataSet*, bool& accept) { accept = t->FieldByName("CITY")->AsString() != "Rome"; };
  t->SetFiltered(true);
  EXPECT_EQ(Forwards(*t), (Names{"Anna", "Cleo", "Dora"}));
  EXPECT_EQ(Backwards(*t), (Names{"Dora", "Cleo", "Anna"}));
  t->SetFiltered(false);
  t->SetRecNo(3);

  // Another tag, while open: the current record stays current.
  t->SetIndexName("city");
  EXPECT_EQ(Current(*t), "Cleo");
  t->Next();
  EXPECT_EQ(Current(*t), "Dora");
  EXPECT_EQ(Forwards(*t), (Names{"Bert", "Anna", "Cleo", "Dora"}));

  // Back to physical order, again keeping the current record.
  t->First();
  t->Next();
  t->SetIndexName("");
  EXPECT_EQ(Current(*t), "Anna");
  EXPECT_EQ(t->RecNo(), 2);
  EXPECT_EQ(Forwards(*t), (Names{"Cleo", "Anna", "Dora", "Bert"}));
  EXPECT_EQ(Backwards(*t), (Names{"Bert", "Dora", "Anna", "Cleo"}));
}

// RecordCount is the file's count in every order; RecNo in key order is the tree's estimate of
// the place, on the scale of the cursor's own count, which outgrows the records as pages split.
TEST_F(TableIndexOrder, RecordCountIsPhysicalAndRecNoTheTreesEstimate) {
  // Long keys: few to a page, so that 60 records make a tree of several leaves.
  CreateWithProductionTag("wide.dbf", {{"NAME", 'C', 100, 0}}, "NAME");
  auto open = [&](const AnsiString& indexName) {
    auto t = std::make_unique<TDbfTable>();
    t->SetFilePath(Dir);
    t->SetTableName("wide.dbf");
    t->SetIndexName(indexName);
    t->Open();
    return t;
  };
  auto append = [](TDbfTable& t, const std::string& name) {
    t.Append();
    t.FieldByName("NAME")->SetAsString(name);
    t.Post();
  };
  auto t = open("NAME");
  for (int i = 0; i < 60; ++i) {
    const int k = (i * 37) % 60;
    append(*t, std::string("N") + static_cast<char>('0' + k / 10) + static_cast<char>('0' + k % 10));
  }
  t->First();
  t->Delete();
  EXPECT_EQ(t->RecordCount(), 60) << "deleted records are counted";
  const Integer scale = t->Cursor()->GetSequentialRecordCount();
  EXPECT_GT(scale, 60) << "the estimate counts the places of full pages";
  Integer previous = 0, shown = 0;
  for (t->First(); !t->Eof(); t->Next()) {
    EXPECT_GT(t->RecNo(), previous) << Current(*t);
    EXPECT_LE(t->RecNo(), scale) << Current(*t);
    previous = t->RecNo();
    ++shown;
  }
  EXPECT_EQ(shown, 59);
  t->SetRecNo(scale);
  EXPECT_EQ(Current(*t), "N59");
  // Another process's append counts at once, in key order as in physical order.
  append(*open(""), "N60");
  EXPECT_EQ(t->RecordCount(), 61);
  t->SetIndexName("");
  EXPECT_EQ(t->RecordCount(), 61);
  EXPECT_EQ(t->Cursor()->GetSequentialRecordCount(), 61);
}

TEST_F(TableIndexOrder, AppendsEditsAndDeletesKeepTheCursorOnTheRecord) {
  auto t = Filled("NAME");
  AppendRow(*t, "Bea", "Lima");
  EXPECT_EQ(Current(*t), "Bea");
  t->Next();
  EXPECT_EQ(Current(*t), "Bert");
  EXPECT_EQ(Forwards(*t), (Names{"Anna", "Bea", "Bert", "Cleo", "Dora"}));

  // A new key moves the record; the data set stays on it at its new place.
  t->First();
  t->Edit();
  t->FieldByName("NAME")->SetAsString("Zoe");
  t->Post();
  EXPECT_EQ(Current(*t), "Zoe");
  t->Next();
  EXPECT_TRUE(t->Eof());
  t->Prior();
  EXPECT_EQ(Current(*t), "Dora");
  EXPECT_EQ(Forwards(*t), (Names{"Bea", "Bert", "Cleo", "Dora", "Zoe"}));
  // An edit that keeps the key keeps the place.
  t->First();
  t->Next();
  t->Edit();
  t->FieldByName("CITY")->SetAsString("Turin");
  t->Post();
  EXPECT_EQ(Current(*t), "Bert");
  t->Next();
  EXPECT_EQ(Current(*t), "Cleo");

  // A deleted record leaves key order; the next record (the previous one at the end) is shown.
  t->Prior();
  t->Delete();
  EXPECT_EQ(Current(*t), "Cleo");
  t->Last();
  t->Delete();
  EXPECT_EQ(Current(*t), "Dora");
  EXPECT_EQ(Forwards(*t), (Names{"Bea", "Cleo", "Dora"}));
  EXPECT_EQ(Backwards(*t), (Names{"Dora", "Cleo", "Bea"}));

  // The keys were written to the file: a reopened table walks the same order.
  t.reset();
  auto again = OpenTable("NAME");
  EXPECT_EQ(Forwards(*again), (Names{"Bea", "Cleo", "Dora"}));
  again->SetIndexName("");
  EXPECT_EQ(Forwards(*again), (Names{"Cleo", "Dora", "Bea"}));
}

TEST_F(TableIndexOrder, IndexDefinitionsFollowTheProductionTags) {
  auto t = Filled("");
  ASSERT_EQ(t->IndexDefs().Count(), 2);
  const TDbfIndexDef* city = t->IndexDefs().FindByName("CITY");
  ASSERT_NE(city, nullptr);
  EXPECT_EQ(city->SortField(), "CITY");
  EXPECT_TRUE(city->FromIndexFile());
  EXPECT_TRUE(city->Options() & ixDescending);
  t->SetIndexFieldNames(" city ");
  EXPECT_EQ(t->IndexName(), "CITY");
  EXPECT_EQ(t->IndexFieldNames(), "CITY");
  EXPECT_EQ(Forwards(*t), (Names{"Bert", "Anna", "Cleo", "Dora"}));
  // Reopening takes the tags afresh rather than adding them again.
  t->Close();
  t->Open();
  EXPECT_EQ(t->IndexDefs().Count(), 2);
  EXPECT_EQ(Forwards(*t), (Names{"Bert", "Anna", "Cleo", "Dora"}));
}

TEST_F(TableIndexOrder, UnknownIndexIsRefused) {
  auto t = Filled("");
  t->First();
  t->Next();
  try {
    t->SetIndexName(" NOPE ");
    FAIL() << "an unknown index was accepted";
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.Message()), "Index \"NOPE\" does not exist.");
  }
  EXPECT_EQ(t->IndexName(), "");
  EXPECT_EQ(Current(*t), "Anna");
  EXPECT_EQ(Forwards(*t), (Names{"Cleo", "Anna", "Dora", "Bert"}));

  // Named before opening, it fails the open.
  t.reset();
  auto closed = std::make_unique<TDbfTable>();
  closed->SetFilePath(Dir);
  closed->SetTableName("people.dbf");
  closed->SetIndexName("MISSING");
  try {
    closed->Open();
    FAIL() << "a table opened on an unknown index";
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.Message()), "Index \"MISSING\" does not exist.");
  }
  EXPECT_FALSE(closed->Active());
}

// A delete whose post is refused (by BeforePost, by a field that must have a value) changes no
// index: the record stays live with its key in the distinct tag, which goes on refusing that key.
// A delete that is written takes the key out.
TEST_F(TableIndexOrder, ARefusedDeleteLeavesTheIndexesAsTheyWere) {
  struct TCase {
    const char* What;
    std::function<void(TDbfTable&)> Refuse;
  } cases[] = {
      {"BeforePost raises", [](TDbfTable& t) { t.BeforePost = [](TDataSet*) { DatabaseError("not now"); }; }},
      {"a required field is empty", [](TDbfTable& t) { t.FieldByName("CITY")->SetRequired(true); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove(Path("people.dbf"));
    std::filesystem::remove(Path("people.mdx"));
    {
      auto file = Create("people.dbf", kLevelDbase4, {{"NAME", 'C', 10, 0}, {"CITY", 'C', 10, 0}});
      ASSERT_TRUE(file->AddIndex("PRIME", "NAME", ixPrimary, true));
    }
    auto t = OpenTable("PRIME");
    AppendRow(*t, "ALPHA", "");
    AppendRow(*t, "BETA", "Bonn");
    c.Refuse(*t);
    t->First();
    ASSERT_EQ(Current(*t), "ALPHA");
    EXPECT_ANY_THROW(t->Delete());
    t->Cancel();
    t->BeforePost = nullptr;
    t->FieldByName("CITY")->SetRequired(false);
    EXPECT_EQ(Forwards(*t), (Names{"ALPHA", "BETA"}));
    t->Append();
    t->FieldByName("NAME")->SetAsString("ALPHA");
    EXPECT_THROW(t->Post(), EDbfError) << "the distinct tag still holds ALPHA";
    t->Cancel();
    EXPECT_EQ(t->RecordCount(), 2);
    // Written, the delete takes the key out, and ALPHA may come again.
    t->First();
    t->Delete();
    EXPECT_EQ(Forwards(*t), (Names{"BETA"}));
    AppendRow(*t, "ALPHA", "Kiel");
    EXPECT_EQ(Forwards(*t), (Names{"ALPHA", "BETA"}));
  }
}

}  // namespace
}  // namespace orv::test
