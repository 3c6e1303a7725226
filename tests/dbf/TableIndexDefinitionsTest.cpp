// The table data set's index definitions: made with the table, added at open, read back from the
// production index, chosen by name (tags and index files of their own), and the locale question
// of an index file answered through the data set.
#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfTable.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

class TableIndexDefinitions : public TTempDir {
 protected:
  using Names = std::vector<std::string>;
  std::unique_ptr<TDbfTable> NewTable() {
    auto t = std::make_unique<TDbfTable>();
    t->SetFilePath(Dir);
    t->SetTableName("people.dbf");
    return t;
  }
  static void AddDef(TDbfTable& t, const char* name, const char* expression, TIndexOptions options = 0) {
    TDbfIndexDef* def = t.IndexDefs().Add();
    def->SetIndexFile(name);
    def->SetSortField(expression);
    def->SetOptions(options);
  }
  // people.dbf with NAME and CITY and four records, without indexes.
  void MakePlainTable() {
    auto file = Create("people.dbf", kLevelDbase4, {{"NAME", 'C', 10, 0}, {"CITY", 'C', 10, 0}});
    for (auto row : {Names{"Cleo", "Bonn"}, Names{"Anna", "Oslo"}, Names{"Dora", "Athens"}, Names{"Bert", "Rome"}})
      AppendTexts(*file, row);
  }
  static Names Forwards(TDbfTable& t) {
    Names out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName("NAME")->AsString());
    return out;
  }
};

TEST_F(TableIndexDefinitions, CreatingTheTableMakesItsIndexes) {
  auto t = NewTable();
  t->FieldDefs().Add("NAME", ftString, 10, false);
  t->FieldDefs().Add("CITY", ftString, 10, false);
  AddDef(*t, "BYNAME", "NAME");
  AddDef(*t, "bycity.ndx", "CITY", ixDescending);
  t->CreateTable();
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(ReadBytes("people.dbf")[28], 1);
  EXPECT_TRUE(std::filesystem::exists(Path("people.mdx")));
  EXPECT_TRUE(std::filesystem::exists(Path("BYCITY.NDX")));
  t->Open();
  for (auto row : {Names{"Cleo", "Bonn"}, Names{"Anna", "Oslo"}, Names{"Dora", "Athens"}}) {
    t->Append();
    t->FieldByName("NAME")->SetAsString(row[0]);
    t->FieldByName("CITY")->SetAsString(row[1]);
    t->Post();
  }
  t->SetIndexName("byname");
  EXPECT_EQ(Forwards(*t), (Names{"Anna", "Cleo", "Dora"}));
  // An index file of its own is chosen by its file name, in any case.
  t->SetIndexName("ByCity.ndx");
  EXPECT_EQ(Forwards(*t), (Names{"Anna", "Cleo", "Dora"}));
  t->SetIndexName("");
  EXPECT_EQ(Forwards(*t), (Names{"Cleo", "Anna", "Dora"}));
  try {
    t->SetIndexName("other.ndx");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.Message()), "Index \"" + Path("other.ndx") + "\" does not exist.");
  }
}

TEST_F(TableIndexDefinitions, ADefinitionThatCannotBeMadeFailsTheCreationAndLeavesNothing) {
  auto t = NewTable();
  t->FieldDefs().Add("NAME", ftString, 10, false);
  AddDef(*t, "BYNAME", "NAME");
  AddDef(*t, "BAD", "NOSUCHFIELD");
  EXPECT_THROW(t->CreateTable(), Exception);
  EXPECT_FALSE(std::filesystem::exists(Path("people.dbf")));
  EXPECT_FALSE(std::filesystem::exists(Path("people.mdx")));
}

TEST_F(TableIndexDefinitions, OpeningAddsTheIndexesTheDefinitionsName) {
  MakePlainTable();
  AppendTexts(*Open("people.dbf", pfExclusiveOpen), {"Emil", "Bonn"});
  auto t = NewTable();
  AddDef(*t, "BYCITY", "CITY");
  AddDef(*t, "names.ndx", "NAME", ixDescending);
  AddDef(*t, "BROKEN", "NOSUCHFIELD");
  AddDef(*t, "PRIME", "CITY", ixPrimary);  // Bonn twice: it cannot be filled
  t->Open();
  // Made and filled from the records there are; those that cannot be made are left out, the
  // one that could not be filled without a half-built tag.
  t->SetIndexName("BYCITY");
  EXPECT_EQ(Forwards(*t), (Names{"Dora", "Cleo", "Emil", "Anna", "Bert"}));
  t->SetIndexName("NAMES.NDX");
  EXPECT_EQ(Forwards(*t), (Names{"Emil", "Dora", "Cleo", "Bert", "Anna"}));
  EXPECT_THROW(t->SetIndexName("BROKEN"), EDbfError);
  EXPECT_THROW(t->SetIndexName("PRIME"), EDbfError);
  auto* production = dynamic_cast<TIndexFile*>(t->DbfFile()->ProductionIndex());
  ASSERT_NE(production, nullptr);
  EXPECT_EQ(production->TagNames(), std::vector<AnsiString>{"BYCITY"});
  t->Close();
  // A second open finds them and builds nothing again (without the definition that fails, which
  // is tried again at every open).
  t->IndexDefs().Delete(t->IndexDefs().FindByName("PRIME")->Index());
  const auto mdx = ReadBytes("people.mdx");
  t->Open();
  EXPECT_EQ(ReadBytes("people.mdx"), mdx);
  t->SetIndexName("BYCITY");
  EXPECT_EQ(Forwards(*t), (Names{"Dora", "Cleo", "Emil", "Anna", "Bert"}));
  t->Close();
  // Another data set learns the production index's tags from the file.
  auto other = NewTable();
  other->UpdateIndexDefs();
  ASSERT_EQ(other->IndexDefs().Count(), 1);
  EXPECT_EQ(other->IndexDefs().Items(0)->IndexFile(), "BYCITY");
  EXPECT_TRUE(other->IndexDefs().Items(0)->FromIndexFile());
}

TEST_F(TableIndexDefinitions, TheLocaleQuestionReachesTheDataSet) {
  MakePlainTable();
  {
    auto file = Open("people.dbf", pfExclusiveOpen);
    ASSERT_TRUE(file->AddIndex("BYNAME", "NAME", 0, true));
  }
  // The index claims another language driver than the table's.
  auto bytes = ReadBytes("people.mdx");
  const Byte tableDriver = ReadBytes("people.dbf")[29];
  ASSERT_NE(tableDriver, 0);
  bytes[31] = tableDriver == 0x57 ? 0x02 : 0x57;
  WriteBytes("people.mdx", bytes);
  struct TCase {
    Cardinal Solution;
    bool Usable;
  } cases[] = {{0, false}, {1, true}, {0x0409, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Solution);
    auto t = NewTable();
    int seen = -1;
    t->OnLocaleError = [&](int error, Cardinal& solution) {
      seen = error;
      solution = c.Solution;
    };
    t->Open();
    EXPECT_EQ(seen, 2);
    if (!c.Usable) {
      EXPECT_THROW(t->SetIndexName("BYNAME"), EDbfError);
      continue;
    }
    t->SetIndexName("BYNAME");
    EXPECT_EQ(Forwards(*t), (Names{"Anna", "Bert", "Cleo", "Dora"}));
    auto* index = dynamic_cast<TIndexFile*>(t->DbfFile()->ProductionIndex());
    ASSERT_NE(index, nullptr);
    if (c.Solution == 1) {
      // Its keys are frozen: a new record would leave it behind, so it is refused.
      EXPECT_TRUE(index->KeysFrozen());
      t->Append();
      t->FieldByName("NAME")->SetAsString("Emil");
      EXPECT_THROW(t->Post(), EDbfError);
      t->Cancel();
      EXPECT_EQ(t->RecordCount(), 4);
    } else {
      EXPECT_EQ(index->Locale(), 0x0409u);
    }
  }
}

// A definition whose tag name is longer than the file keeps: opened again and again, it finds its
// tag (cut) rather than adding one, the tags read from the file do not add it a second time, and
// choosing it walks its own tag, whichever was current.
TEST_F(TableIndexDefinitions, ALongTagNameNamesOneTag) {
  MakePlainTable();
  auto t = NewTable();
  AddDef(*t, "BYNAME", "NAME");
  AddDef(*t, "CITYSORTED1", "CITY");
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    t->Open();
    auto* production = dynamic_cast<TIndexFile*>(t->DbfFile()->ProductionIndex());
    ASSERT_NE(production, nullptr);
    EXPECT_EQ(production->TagNames(), (std::vector<AnsiString>{"BYNAME", "CITYSORTED"}));
    EXPECT_EQ(t->IndexDefs().Count(), 2);
    t->SetIndexName("BYNAME");
    EXPECT_EQ(Forwards(*t), (Names{"Anna", "Bert", "Cleo", "Dora"}));
    t->SetIndexName("CITYSORTED1");
    EXPECT_EQ(Forwards(*t), (Names{"Dora", "Cleo", "Anna", "Bert"}));
    t->Close();
  }
}

}  // namespace
}  // namespace orv::test
