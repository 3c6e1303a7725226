// Adding indexes to a table file: tags of the production .mdx and index files of their own,
// filled at once from every record in the order key-by-key insertion gives, the roll-back of a
// tag that cannot be filled (and of a remake that fails), lookups by name (long tag names
// included), the modes and locale hook of the files it opens, RebuildTag on its own, and edits
// refused by a distinct tag before anything is written.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>
#include "platform/rtl/SysUtils.h"
#include "tests/dbf/IndexTestUtil.h"

namespace orv {
namespace {

class AddIndexTest : public test::IndexFixture {
 protected:
  // n records with names drawn from a small alphabet (many equal keys, mixed case and accents,
  // so the locale's collation decides) and numbers with repeats.
  void Fill(Integer n, unsigned seed = 7) {
    std::mt19937 rng(seed);
    const char* parts[] = {"ab", "Ab", "b", "\xE9t", "e", "Z", "z", "a-b", "ac", " "};
    for (Integer i = 1; i <= n; ++i) {
      std::string name;
      for (int p = 0; p < 3; ++p) name += parts[rng() % 10];
      auto rec = Record(name, static_cast<Integer>(rng() % 50) - 25, (rng() % 1000) / 8.0);
      ASSERT_EQ(Table->InsertRecord(rec.data()), i);
    }
  }
  // The same tag built by inserting every record's key one by one, in a file of its own.
  std::vector<Integer> InsertedWalk(const char* expression, TIndexOptions options, const std::string& file) {
    auto index = NewIndex(file);
    index->CreateTag("X", expression, options);
    std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
    for (Integer n = 1; n <= Table->RecordCount(); ++n) {
      Table->ReadRecord(n, rec.data());
      EXPECT_TRUE(index->InsertKeys(n, rec.data()));
    }
    return Walk(*index);
  }
  TIndexFile* Production() { return dynamic_cast<TIndexFile*>(Table->ProductionIndex()); }
};

TEST_F(AddIndexTest, FilledTagsOrderAsInsertedOnesDoAndStayMaintainable) {
  MakeTable();
  Fill(5000);
  struct TCase {
    const char* Name;
    const char* Expression;
    TIndexOptions Options;
  } cases[] = {
      {"BYNAME", "NAME", 0},
      {"DESCNAME", "name", ixDescending},
      {"BYNUM", "NUM", 0},
      {"DESCAMT", "AMT", ixDescending},
      {"UNIQNAME", "NAME", ixUnique},
      {"NAMENUM", "NAME+STR(NUM,4)", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(Table->AddIndex(c.Name, c.Expression, c.Options, true));
    const auto expected = InsertedWalk(c.Expression, c.Options, std::string(c.Name) + ".mdx");
    TIndexFile* index = Production();
    ASSERT_NE(index, nullptr);
    ASSERT_NE(index->Locale(), kByteOrderLocale) << "the keys are ordered by a locale's collation";
    index->SelectTagByName(c.Name);
    EXPECT_EQ(index->Expression(), UpperCase(c.Expression));
    const auto walked = Walk(*index);
    EXPECT_EQ(walked, expected);
    auto back = WalkBack(*index);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, expected);
    // Every record of a full tag is found by its own key.
    if ((c.Options & ixUnique) == 0) {
      EXPECT_EQ(walked.size(), 5000u);
      for (Integer n : {1, 777, 2500, 5000}) EXPECT_TRUE(index->GotoRecord(n)) << n;
    }
  }
  // The header now links the production index, and a table opened again finds every tag.
  EXPECT_EQ(Table->Header()[28], 1);
  Table.reset();
  EXPECT_EQ(ReadBytes("people.dbf")[28], 1);
  Table = Open("people.dbf", pfExclusiveOpen);
  ASSERT_NE(Production(), nullptr);
  EXPECT_EQ(Production()->TagNames(),
            (std::vector<AnsiString>{"BYNAME", "DESCNAME", "BYNUM", "DESCAMT", "UNIQNAME", "NAMENUM"}));
  // Records added and changed afterwards go through the filled trees like any other.
  for (Integer i = 0; i < 400; ++i) {
    auto rec = Record(i % 2 ? "ab" : "zzz", i % 7);
    Table->InsertRecord(rec.data());
  }
  std::vector<Byte> buf(static_cast<size_t>(Table->RecordSize()));
  Table->LockRecord(10, buf.data());
  auto edited = Record("AAAA", 1);
  Table->UnlockRecord(10, edited.data());
  TIndexFile* index = Production();
  index->SelectTagByName("BYNAME");
  const auto walked = Walk(*index);
  EXPECT_EQ(walked.size(), 5400u);
  EXPECT_EQ(walked, InsertedWalk("NAME", 0, "again.mdx"));
}

TEST_F(AddIndexTest, EmptyTableAndIndexFilesOfTheirOwn) {
  MakeTable();
  // A standalone .ndx and a further .mdx, both named with their extension.
  ASSERT_TRUE(Table->AddIndex(Path("byname.ndx"), "NAME", 0, true));
  ASSERT_TRUE(Table->AddIndex(Path("extra.mdx"), "NUM", ixDescending, true));
  EXPECT_EQ(Table->ProductionIndex(), nullptr);
  EXPECT_EQ(Table->Header()[28], 0) << "only the production index is linked from the header";
  auto* ndx = dynamic_cast<TIndexFile*>(Table->IndexFileByName(Path("byname.ndx")));
  ASSERT_NE(ndx, nullptr);
  EXPECT_FALSE(ndx->IsMdx());
  EXPECT_TRUE(Walk(*ndx).empty());
  // Found without regard to case, and by another spelling of the same path.
  EXPECT_EQ(Table->IndexFileByName(UpperCase(Path("byname.ndx"))), ndx);
  EXPECT_EQ(Table->IndexFileByName(Dir + "/./byname.ndx"), ndx);
  EXPECT_EQ(Table->IndexFileByName("byname"), nullptr);
  auto* extra = dynamic_cast<TIndexFile*>(Table->IndexFileByName(Path("extra.mdx")));
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(extra->TagNames(), std::vector<AnsiString>{"EXTRA"});
  // Both are kept up to date from now on.
  const char* names[] = {"MEYER", "ADAMS", "ZORN"};
  for (Integer i = 0; i < 3; ++i) {
    auto rec = Record(names[i], i);
    Table->InsertRecord(rec.data());
  }
  EXPECT_EQ(Walk(*ndx), (std::vector<Integer>{2, 1, 3}));
  EXPECT_EQ(Walk(*extra), (std::vector<Integer>{3, 2, 1}));
}

TEST_F(AddIndexTest, WithoutCreateExistingTagsStayAndMissingOnesAreMade) {
  MakeTable();
  Fill(50);
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, true));
  const Int64 size = static_cast<Int64>(ReadBytes("people.mdx").size());
  // Asked again without create: the tag is there, nothing is rebuilt.
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NUM", 0, false));
  Production()->SelectTagByName("BYNAME");
  EXPECT_EQ(Production()->Expression(), "NAME");
  EXPECT_EQ(static_cast<Int64>(ReadBytes("people.mdx").size()), size);
  // A tag the file does not hold is made even without create.
  ASSERT_TRUE(Table->AddIndex("BYNUM", "NUM", 0, false));
  EXPECT_EQ(Production()->TagNames(), (std::vector<AnsiString>{"BYNAME", "BYNUM"}));
  // With create an existing tag is made afresh from the new expression.
  ASSERT_TRUE(Table->AddIndex("byname", "AMT", ixDescending, true));
  EXPECT_EQ(Production()->TagNames(), (std::vector<AnsiString>{"BYNUM", "BYNAME"}));
  Production()->SelectTagByName("BYNAME");
  EXPECT_EQ(Production()->Expression(), "AMT");
  EXPECT_EQ(Walk(*Production()), InsertedWalk("AMT", ixDescending, "amt.mdx"));
  // Without an expression a missing file is not made: opening it fails, or, when it had to be
  // made, it goes again.
  EXPECT_THROW(Table->AddIndex(Path("none.ndx"), "", 0, false), Exception);
  EXPECT_FALSE(Table->AddIndex(Path("none.ndx"), "", 0, true));
  EXPECT_FALSE(std::filesystem::exists(Path("none.ndx")));
  EXPECT_EQ(Table->IndexFiles().size(), 1u);
}

TEST_F(AddIndexTest, ATagThatCannotBeFilledIsTakenAwayAndReported) {
  MakeTable();
  for (const char* name : {"SMITH", "JONES", "SMITH"}) {
    auto rec = Record(name, 1);
    Table->InsertRecord(rec.data());
  }
  // A new production index: the violation is raised and the file goes again.
  try {
    Table->AddIndex("PRIME", "NAME", ixPrimary, true);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Key violation. (Key already present in file).\r\nIndex: PRIME\r\nRecord=1 Key='SMITH'.");
  }
  EXPECT_EQ(Table->ProductionIndex(), nullptr);
  EXPECT_TRUE(Table->IndexFiles().empty());
  EXPECT_TRUE(Table->IndexNames().empty());
  EXPECT_FALSE(std::filesystem::exists(Path("people.mdx")));
  EXPECT_EQ(Table->Header()[28], 0);
  // In an existing production index only the failed tag goes.
  ASSERT_TRUE(Table->AddIndex("BYNUM", "NUM", 0, true));
  EXPECT_THROW(Table->AddIndex("PRIME", "NAME", ixPrimary, true), EDbfError);
  ASSERT_NE(Production(), nullptr);
  EXPECT_EQ(Production()->TagNames(), std::vector<AnsiString>{"BYNUM"});
  ASSERT_EQ(Table->IndexNames().size(), 1u);
  EXPECT_EQ(Table->IndexNames()[0].first, "BYNUM");
  // The same for a standalone file: its file goes, and an expression that is no index type
  // fails before anything is filled.
  EXPECT_THROW(Table->AddIndex(Path("prime.ndx"), "NAME", ixPrimary, true), EDbfError);
  EXPECT_FALSE(std::filesystem::exists(Path("prime.ndx")));
  EXPECT_THROW(Table->AddIndex(Path("born.ndx"), "BORN", 0, true), EDbfError);
  EXPECT_FALSE(std::filesystem::exists(Path("born.ndx")));
  EXPECT_EQ(Table->IndexFiles().size(), 1u);
  // A unique tag keeps the first record of each key instead.
  ASSERT_TRUE(Table->AddIndex("UNIQ", "NAME", ixUnique, true));
  Production()->SelectTagByName("UNIQ");
  EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{2, 1}));
}

TEST_F(AddIndexTest, ASharedTableTakesExclusiveAccessForTheTag) {
  MakeTable();
  Fill(20);
  Table.reset();
  Table = Open("people.dbf", pfReadWriteOpen);
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, true));
  EXPECT_TRUE(Table->IsSharedMode()) << "the table is shared again afterwards";
  EXPECT_EQ(Walk(*Production()).size(), 20u);
  // Made afresh, also shared.
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", ixDescending, true));
  EXPECT_TRUE(Table->IsSharedMode());
  Production()->SelectTagByName("BYNAME");
  EXPECT_TRUE(Production()->Descending());
  EXPECT_EQ(Production()->TagNames(), std::vector<AnsiString>{"BYNAME"});
  EXPECT_EQ(Walk(*Production()).size(), 20u);
  // While another process has the table open, exclusive access cannot be had.
  auto other = Open("people.dbf", pfReadWriteOpen);
  try {
    Table->AddIndex("BYNUM", "NUM", 0, true);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Exclusive access is required for this operation.");
  }
  EXPECT_EQ(Production()->TagNames(), std::vector<AnsiString>{"BYNAME"});
}

TEST_F(AddIndexTest, AReadOnlyTableMakesNoIndex) {
  MakeTable();
  Fill(20);
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, true));
  Table.reset();
  const auto table = ReadBytes("people.dbf");
  const auto mdx = ReadBytes("people.mdx");
  Table = Open("people.dbf", pfReadOnly);
  for (bool create : {false, true}) {
    SCOPED_TRACE(create);
    EXPECT_THROW(Table->AddIndex("BYNUM", "NUM", 0, create), EDbfError);
    EXPECT_THROW(Table->AddIndex(Path("num.ndx"), "NUM", 0, create), Exception);
  }
  EXPECT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, false)) << "an index that is there is had";
  EXPECT_TRUE(Table->IsReadOnly());
  ASSERT_EQ(Table->IndexNames().size(), 1u);
  Table.reset();
  EXPECT_EQ(ReadBytes("people.dbf"), table);
  EXPECT_EQ(ReadBytes("people.mdx"), mdx);
  EXPECT_FALSE(std::filesystem::exists(Path("num.ndx")));
}

TEST_F(AddIndexTest, AnEditThatBreaksADistinctTagIsRefusedBeforeAnythingIsWritten) {
  MakeTable();
  for (const char* name : {"ALPHA", "BETA", "GAMMA"}) {
    auto rec = Record(name, 1);
    Table->InsertRecord(rec.data());
  }
  ASSERT_TRUE(Table->AddIndex("PRIME", "NAME", ixPrimary, true));
  ASSERT_TRUE(Table->AddIndex("BYNUM", "NUM", 0, true));
  Table.reset();
  Table = Open("people.dbf", pfReadWriteOpen);
  std::vector<Byte> buf(static_cast<size_t>(Table->RecordSize()));
  Table->LockRecord(2, buf.data());
  auto clash = Record("ALPHA", 9);
  try {
    Table->UnlockRecord(2, clash.data());
    FAIL();
  } catch (const EDbfWriteError&) {
    FAIL() << "the key violation comes first";
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Key violation. (Key already present in file).\r\nIndex: PRIME\r\nRecord=1 Key='ALPHA'.");
  }
  // Table and tags still agree on the old record.
  EXPECT_EQ(test::ReadText(*Table, 2, 0), "BETA");
  TIndexFile* index = Production();
  index->SelectTagByName("PRIME");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{1, 2, 3}));
  EXPECT_TRUE(index->GotoRecord(2));
  index->SelectTagByName("BYNUM");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{1, 2, 3}));
  // The record is still locked for the edit, which may go on with another key.
  auto other = Open("people.dbf", pfReadWriteOpen);
  std::vector<Byte> theirs(buf.size());
  EXPECT_THROW(other->LockRecord(2, theirs.data()), EDbfError);
  auto fine = Record("DELTA", 0);
  Table->UnlockRecord(2, fine.data());
  EXPECT_EQ(test::ReadText(*Table, 2, 0), "DELTA");
  index->SelectTagByName("PRIME");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{1, 2, 3}));
  index->SelectTagByName("BYNUM");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{2, 1, 3}));
  // The record's own key, unchanged, is no violation.
  Table->LockRecord(2, buf.data());
  auto same = Record("DELTA", 5);
  Table->UnlockRecord(2, same.data());
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{1, 3, 2}));
}

// A tag name longer than the descriptors hold is kept cut, and the name it was made with finds
// it everywhere: in the file's lookups, in the check for a missing tag, and after opening again.
TEST_F(AddIndexTest, LongTagNamesAreOneNameEverywhere) {
  struct TCase {
    int Level;
    const char* Name;
    const char* Kept;
  } cases[] = {
      {kLevelDbase4, "NUMBERSORT1", "NUMBERSORT"},
      {kLevelDbase7, "NUMBERS_IN_THEIR_ORDER_FROM_LOWEST", "NUMBERS_IN_THEIR_ORDER_FROM_LOWE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Table.reset();
    std::filesystem::remove(Path("people.dbf"));
    std::filesystem::remove(Path("people.mdx"));
    MakeTable(c.Level);
    for (auto [name, num] : {std::pair{"BERT", 1}, {"ANNA", 3}, {"CLEO", 2}}) {
      auto rec = Record(name, num);
      Table->InsertRecord(rec.data());
    }
    ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, true));
    // Made while another tag is current: the new tag is filled, the current one left alone.
    ASSERT_TRUE(Table->AddIndex(c.Name, "NUM", 0, true));
    EXPECT_EQ(Production()->TagNames(), (std::vector<AnsiString>{"BYNAME", c.Kept}));
    EXPECT_EQ(Production()->IndexName(), "BYNAME");
    EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{2, 1, 3}));
    EXPECT_EQ(Table->IndexFileByName(LowerCase(c.Name)), Production());
    Production()->SelectTagByName(LowerCase(c.Name));
    EXPECT_EQ(Production()->IndexName(), c.Kept);
    EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{1, 3, 2}));
    // Asked for again, also after opening again: the tag is there, none is added.
    const auto mdx = ReadBytes("people.mdx");
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(Table->AddIndex(c.Name, "NUM", 0, false));
      Table.reset();
      Table = Open("people.dbf", pfExclusiveOpen);
    }
    EXPECT_EQ(ReadBytes("people.mdx"), mdx);
    // Made afresh under its long name, it replaces itself.
    ASSERT_TRUE(Table->AddIndex(c.Name, "NUM", ixDescending, true));
    EXPECT_EQ(Production()->TagNames(), (std::vector<AnsiString>{"BYNAME", c.Kept}));
    Production()->SelectTagByName(c.Name);
    EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{2, 3, 1}));
  }
}

// An index file named with its extension, made afresh, gets its tag made anew rather than a
// second one beside it.
TEST_F(AddIndexTest, IndexFilesOfTheirOwnAreMadeAfresh) {
  MakeTable();
  for (auto [name, num] : {std::pair{"BERT", 1}, {"ANNA", 3}, {"CLEO", 2}}) {
    auto rec = Record(name, num);
    Table->InsertRecord(rec.data());
  }
  ASSERT_TRUE(Table->AddIndex(Path("extra.mdx"), "NAME", 0, true));
  ASSERT_TRUE(Table->AddIndex(Path("extra.mdx"), "NUM", 0, true));
  auto* extra = dynamic_cast<TIndexFile*>(Table->IndexFileByName(Path("extra.mdx")));
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(extra->TagNames(), std::vector<AnsiString>{"EXTRA"});
  extra->SelectTagByName("EXTRA");
  EXPECT_EQ(extra->Expression(), "NUM");
  EXPECT_EQ(Walk(*extra), (std::vector<Integer>{1, 3, 2}));
  ASSERT_TRUE(Table->AddIndex(Path("byname.ndx"), "NAME", 0, true));
  ASSERT_TRUE(Table->AddIndex(Path("byname.ndx"), "NAME", ixDescending, true));
  auto* ndx = dynamic_cast<TIndexFile*>(Table->IndexFileByName(Path("byname.ndx")));
  ASSERT_NE(ndx, nullptr);
  EXPECT_EQ(Walk(*ndx), (std::vector<Integer>{3, 1, 2}));
  EXPECT_EQ(Table->IndexFiles().size(), 2u);
}

// A distinct tag holds live records only, also when it is filled at once; a remake that fails
// (a key met twice, an expression that is no index) leaves the old tag as it was, in its place,
// still kept up to date and still refusing its keys, and the other tags with every key.
TEST_F(AddIndexTest, DistinctTagsSkipDeletedRecordsAndAFailedRemakeChangesNothing) {
  MakeTable();
  for (auto [name, num] : {std::pair{"ALPHA", 1}, {"ALPHA", 2}, {"BETA", 2}}) {
    auto rec = Record(name, num);
    Table->InsertRecord(rec.data());
  }
  // Record 1 is marked deleted while no distinct tag exists: a second live ALPHA is then fine.
  std::vector<Byte> buf(static_cast<size_t>(Table->RecordSize()));
  Table->LockRecord(1, buf.data());
  buf[0] = '*';
  Table->UnlockRecord(1, buf.data());
  ASSERT_TRUE(Table->AddIndex("BYNUM", "NUM", 0, true));
  ASSERT_TRUE(Table->AddIndex("PRIME", "NAME", ixPrimary, true));
  ASSERT_TRUE(Table->AddIndex("UNIQ", "NAME", ixUnique, true));
  ASSERT_TRUE(Table->AddIndex(Path("prime.ndx"), "NAME", ixPrimary, true));
  auto* ndx = dynamic_cast<TIndexFile*>(Table->IndexFileByName(Path("prime.ndx")));
  ASSERT_NE(ndx, nullptr);
  Production()->SelectTagByName("PRIME");
  EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{2, 3}));
  EXPECT_EQ(Walk(*ndx), (std::vector<Integer>{2, 3}));
  // A unique tag keeps deleted records' keys, as its upkeep does: the first ALPHA is record 1.
  Production()->SelectTagByName("UNIQ");
  EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{1, 3}));
  ASSERT_TRUE(Table->AddIndex("PRIME", "NAME", ixPrimary, true)) << "made afresh it fills again";
  // Records appended since are in the tags' pages in memory only, until the file is flushed.
  auto gamma = Record("GAMMA", 0);
  ASSERT_EQ(Table->InsertRecord(gamma.data()), 4);
  const std::vector<AnsiString> tags{"BYNUM", "UNIQ", "PRIME"};
  ASSERT_EQ(Production()->TagNames(), tags);
  struct TCase {
    const char* What;
    const char* Expression;
    TIndexOptions Options;
  } cases[] = {{"two live records share a number", "NUM", ixPrimary}, {"a date is no index", "BORN", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_THROW(Table->AddIndex("PRIME", c.Expression, c.Options, true), EDbfError);
    EXPECT_THROW(Table->AddIndex(Path("prime.ndx"), c.Expression, c.Options, true), EDbfError);
    EXPECT_TRUE(std::filesystem::exists(Path("prime.ndx")));
    ASSERT_EQ(Production()->TagNames(), tags);
    Production()->SelectTagByName("PRIME");
    EXPECT_EQ(Production()->Expression(), "NAME");
    EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{2, 3, 4}));
    EXPECT_EQ(ndx, Table->IndexFileByName(Path("prime.ndx")));
    EXPECT_EQ(ndx->Expression(), "NAME");
    EXPECT_EQ(Walk(*ndx), (std::vector<Integer>{2, 3, 4}));
    Production()->SelectTagByName("BYNUM");
    EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{4, 1, 2, 3}));
  }
  // Both tags still refuse a second live BETA, and still take a new name.
  auto beta = Record("BETA", 7);
  EXPECT_THROW(Table->InsertRecord(beta.data()), EDbfError);
  auto delta = Record("DELTA", 7);
  ASSERT_EQ(Table->InsertRecord(delta.data()), 5);
  Table.reset();
  Table = Open("people.dbf", pfExclusiveOpen);
  ASSERT_TRUE(Table->AddIndex(Path("prime.ndx"), "", 0, false));
  ndx = dynamic_cast<TIndexFile*>(Table->IndexFileByName(Path("prime.ndx")));
  ASSERT_NE(ndx, nullptr);
  EXPECT_EQ(Walk(*ndx), (std::vector<Integer>{2, 3, 5, 4}));
  Production()->SelectTagByName("PRIME");
  EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{2, 3, 5, 4}));
  Production()->SelectTagByName("BYNUM");
  EXPECT_EQ(Walk(*Production()), (std::vector<Integer>{4, 1, 2, 3, 5}));
}

// A tag made afresh among others that hold keys not yet written: those keys stay theirs.
TEST_F(AddIndexTest, RemakingATagKeepsWhatTheOtherTagsHoldInMemory) {
  MakeTable();
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, true));
  ASSERT_TRUE(Table->AddIndex("BYNUM", "NUM", 0, true));
  ASSERT_TRUE(Table->AddIndex("BYAMT", "AMT", ixDescending, true));
  Fill(600);
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, true));
  EXPECT_EQ(Production()->TagNames(), (std::vector<AnsiString>{"BYNUM", "BYAMT", "BYNAME"}));
  for (auto [tag, expression, options] : {std::tuple{"BYNUM", "NUM", TIndexOptions{0}}, {"BYAMT", "AMT", ixDescending}}) {
    SCOPED_TRACE(tag);
    Production()->SelectTagByName(tag);
    EXPECT_EQ(Walk(*Production()), InsertedWalk(expression, options, std::string(tag) + ".mdx"));
  }
}

// The index file opened for AddIndex takes its mode from the table's: made, or opened.
TEST_F(AddIndexTest, IndexFilesTakeTheirModeFromTheTable) {
  MakeTable();
  ASSERT_TRUE(Table->AddIndex(Path("old.ndx"), "NAME", 0, true));
  Table.reset();
  struct TCase {
    TPagedFileMode Table;
    TPagedFileMode Made;    // pfNone: nothing is made
    TPagedFileMode Opened;
  } cases[] = {
      {pfMemoryCreate, pfMemoryCreate, pfMemoryCreate},
      {pfExclusiveCreate, pfExclusiveCreate, pfExclusiveOpen},
      {pfExclusiveOpen, pfExclusiveCreate, pfExclusiveOpen},
      // Made shared, the file returns from the exclusive access that filling it takes in the
      // mode that opens it (never truncating it again).
      {pfReadWriteCreate, pfReadWriteOpen, pfReadWriteOpen},
      {pfReadWriteOpen, pfReadWriteOpen, pfReadWriteOpen},
      {pfReadOnly, pfNone, pfReadOnly},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Table));
    const bool creates = ModeCreates(c.Table);
    auto table = creates ? Create("fresh.dbf", kLevelDbase4, {{"NAME", 'C', 10, 0}}, c.Table)
                         : Open("people.dbf", c.Table);
    // A stale file of the name that a made index replaces.
    WriteBytes("new.ndx", std::vector<Byte>(2048, 0x5A));
    if (c.Made != pfNone) {
      ASSERT_TRUE(table->AddIndex(Path("new.ndx"), "NAME", 0, true));
      auto* made = dynamic_cast<TIndexFile*>(table->IndexFileByName(Path("new.ndx")));
      ASSERT_NE(made, nullptr);
      EXPECT_EQ(made->Mode(), c.Made);
      if (c.Table != pfMemoryCreate) {
        EXPECT_NE(ReadBytes("new.ndx")[600], 0x5A) << "the stale file is replaced";
      }
    } else {
      EXPECT_THROW(table->AddIndex(Path("new.ndx"), "NAME", 0, true), EDbfError);
    }
    ASSERT_TRUE(table->AddIndex(Path("old.ndx"), "NAME", 0, false));
    auto* opened = dynamic_cast<TIndexFile*>(table->IndexFileByName(Path("old.ndx")));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->Mode(), c.Opened);
  }
}

// RebuildTag on its own: the named tag is filled from every record, the current tag and the
// current-tag-only setting come back; a name the file does not hold rebuilds nothing.
TEST_F(AddIndexTest, RebuildTagFillsTheNamedTagAndKeepsTheCurrentOne) {
  MakeTable();
  ASSERT_TRUE(Table->AddIndex("BYNAME", "NAME", 0, true));
  ASSERT_TRUE(Table->AddIndex("BYNUM", "NUM", 0, true));
  // Records written without their keys.
  Integer n = 0;
  for (auto [name, num] : {std::pair{"BERT", 1}, {"ANNA", 3}, {"CLEO", 2}}) Store(++n, Record(name, num));
  TIndexFile* index = Production();
  index->SelectTagByName("BYNAME");
  ASSERT_TRUE(Table->RebuildTag(index, "bynum"));
  EXPECT_EQ(index->IndexName(), "BYNAME");
  EXPECT_FALSE(index->CurrentTagOnly());
  EXPECT_TRUE(Walk(*index).empty()) << "the current tag is not the one rebuilt";
  index->SelectTagByName("BYNUM");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{1, 3, 2}));
  EXPECT_FALSE(Table->RebuildTag(index, "NOSUCHTAG"));
  EXPECT_EQ(index->IndexName(), "BYNUM");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{1, 3, 2}));
}

// The locale question of an index file that AddIndex opens goes to the table's hook.
TEST_F(AddIndexTest, TheLocaleHookAnswersForFilesAddIndexOpens) {
  MakeTable();
  const Byte tableDriver = Table->LanguageDriver();
  if (tableDriver == 0) GTEST_SKIP() << "the table has no language driver to differ from";
  ASSERT_TRUE(Table->AddIndex(Path("extra.mdx"), "NAME", 0, true));
  Table.reset();
  auto bytes = ReadBytes("extra.mdx");
  bytes[31] = tableDriver == 0x57 ? 0x02 : 0x57;
  WriteBytes("extra.mdx", bytes);
  struct TCase {
    Cardinal Solution;
    bool Added;
    bool Frozen;
  } cases[] = {{0, false, false}, {1, true, true}, {0x0409, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Solution);
    Table.reset();
    Table = Open("people.dbf", pfExclusiveOpen);
    int seen = -1;
    Table->OnLocaleError = [&](int error, Cardinal& solution) {
      seen = error;
      solution = c.Solution;
    };
    EXPECT_EQ(Table->AddIndex(Path("extra.mdx"), "", 0, false), c.Added);
    EXPECT_EQ(seen, 2);
    auto* extra = dynamic_cast<TIndexFile*>(Table->IndexFileByName(Path("extra.mdx")));
    EXPECT_EQ(extra != nullptr, c.Added);
    if (!extra) continue;
    EXPECT_EQ(extra->KeysFrozen(), c.Frozen);
    if (!c.Frozen) {
      EXPECT_EQ(extra->Locale(), c.Solution);
    }
  }
}

}  // namespace
}  // namespace orv
