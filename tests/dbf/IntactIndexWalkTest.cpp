// Intact indexes walked at length: every tag both ways, turning on every entry (so across each
// leaf boundary in both directions), and back and forth for ten thousand steps, in .mdx and .ndx
// files, exclusive and shared, through the index file and through the data set. None of it may
// read as damage, however long the walk or however often it turns.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfTable.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

constexpr int kScrollSteps = 10000;

std::string NameOf(int i) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "N%03d", i);
  return buf;
}

// One way to walk an index: the index file's own steps, or the data set's.
struct TWalker {
  virtual ~TWalker() = default;
  virtual void First() = 0;
  virtual void Last() = 0;
  // False where the walk cannot go on (the data set then stays on its end record).
  virtual bool Next() = 0;
  virtual bool Prior() = 0;
  virtual int Current() = 0;
};

// The index file from before its first entry to after its last.
struct TIndexWalker : TWalker {
  explicit TIndexWalker(TIndexFile& index) : Index(index) {}
  void First() override { Index.GoFirst(); }
  void Last() override { Index.GoLast(); }
  bool Next() override { return Index.GoNext(); }
  bool Prior() override { return Index.GoPrev(); }
  int Current() override { return Index.CurrentRecNo(); }
  TIndexFile& Index;
};

// The data set, always on a record; the record number is read from NAME.
struct TDataSetWalker : TWalker {
  explicit TDataSetWalker(TDbfTable& table) : Table(table) {}
  void First() override { Table.First(); }
  void Last() override { Table.Last(); }
  bool Next() override {
    Table.Next();
    return !Table.Eof();
  }
  bool Prior() override {
    Table.Prior();
    return !Table.Bof();
  }
  int Current() override { return std::stoi(Table.FieldByName("NAME")->AsString().substr(1)); }
  TDbfTable& Table;
};

// Walks expected (record numbers in key order) every way, scrolling for the given number of steps;
// onEntry: the walker stands on an entry after First and Last (the data set) rather than before or
// after them (the index file).
void CheckWalks(TWalker& w, const std::vector<int>& expected, bool onEntry, int scrollSteps) {
  const int n = static_cast<int>(expected.size());
  // Whole walks, forwards and backwards.
  std::vector<int> seen;
  w.First();
  if (onEntry) seen.push_back(w.Current());
  while (w.Next()) seen.push_back(w.Current());
  ASSERT_EQ(seen, expected) << "forward walk";
  seen.clear();
  w.Last();
  if (onEntry) seen.push_back(w.Current());
  while (w.Prior()) seen.push_back(w.Current());
  std::reverse(seen.begin(), seen.end());
  ASSERT_EQ(seen, expected) << "backward walk";
  // Turning on every entry, forwards and then backwards: a step back and a step on again.
  w.First();
  for (int i = onEntry ? 1 : 0; i < n; ++i) {
    ASSERT_TRUE(w.Next()) << "forward to entry " << i;
    ASSERT_EQ(w.Current(), expected[static_cast<size_t>(i)]) << "forward to entry " << i;
    if (i == 0) continue;
    ASSERT_TRUE(w.Prior()) << "back from entry " << i;
    ASSERT_EQ(w.Current(), expected[static_cast<size_t>(i - 1)]) << "back from entry " << i;
    ASSERT_TRUE(w.Next()) << "on again to entry " << i;
    ASSERT_EQ(w.Current(), expected[static_cast<size_t>(i)]) << "on again to entry " << i;
  }
  w.Last();
  for (int i = onEntry ? n - 2 : n - 1; i >= 0; --i) {
    ASSERT_TRUE(w.Prior()) << "back to entry " << i;
    ASSERT_EQ(w.Current(), expected[static_cast<size_t>(i)]) << "back to entry " << i;
    if (i == n - 1) continue;
    ASSERT_TRUE(w.Next()) << "forward from entry " << i;
    ASSERT_EQ(w.Current(), expected[static_cast<size_t>(i + 1)]) << "forward from entry " << i;
    ASSERT_TRUE(w.Prior()) << "back again to entry " << i;
    ASSERT_EQ(w.Current(), expected[static_cast<size_t>(i)]) << "back again to entry " << i;
  }
  // Scrolling: runs of 1 to 40 steps in turns (a quarter of them single steps, back and forth in
  // place), far past both ends.
  std::mt19937 rng(27);
  w.First();
  int at = onEntry ? 0 : -1;
  bool forward = true;
  int run = 0;
  for (int step = 0; step < scrollSteps; ++step) {
    if (run == 0) {
      forward = !forward;
      run = rng() % 4 == 0 ? 1 : 1 + static_cast<int>(rng() % 40);
    }
    --run;
    const bool moved = forward ? w.Next() : w.Prior();
    const int want = std::clamp(at + (forward ? 1 : -1), onEntry ? 0 : -1, onEntry ? n - 1 : n);
    ASSERT_EQ(moved, want != at && want >= 0 && want < n) << "step " << step;
    at = want;
    if (moved) {
      ASSERT_EQ(w.Current(), expected[static_cast<size_t>(at)]) << "step " << step;
    }
  }
}

class IntactIndexWalk : public TTempDir {
 protected:
  // people.dbf, NAME C(10) and NUM N(8): record i is N<i> with the number count - i, appended
  // one by one after the indexes were made, so their pages split as records come: tags NAME and
  // NUM in the production .mdx (the NUM tag grows at its front), and byname.ndx on NAME.
  void MakeTable(int count) {
    auto file = Create("people.dbf", kLevelDbase4, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 0}});
    ASSERT_TRUE(file->AddIndex("NAME", "NAME", 0, true));
    ASSERT_TRUE(file->AddIndex("NUM", "NUM", 0, true));
    ASSERT_TRUE(file->AddIndex(Path("byname.ndx"), "NAME", 0, true));
    std::vector<Byte> rec(static_cast<size_t>(file->RecordSize()));
    for (int i = 1; i <= count; ++i) {
      file->BlankRecord(rec.data());
      const std::string name = NameOf(i);
      const Integer num = count - i;
      file->EncodeFieldValue(0, ftString, rec.data(), name.c_str());
      file->EncodeFieldValue(1, ftInteger, rec.data(), &num);
      ASSERT_EQ(file->InsertRecord(rec.data()), i);
    }
  }
  struct TIndexCase {
    const char* Name;  // IndexName of the data set
    bool Ascending;    // the key order is the record order
  };
  std::vector<TIndexCase> Indexes() const {
    return {{"NAME", true}, {"NUM", false}, {"byname.ndx", true}};
  }
  static std::vector<int> Order(int count, bool ascending) {
    std::vector<int> out;
    for (int i = 1; i <= count; ++i) out.push_back(ascending ? i : count + 1 - i);
    return out;
  }

  // Every index of tables of 10, 64 and 300 records (one leaf; two leaves of 32 in the .mdx;
  // several leaves in each), walked by the index file or by a data set. Shared, every step reads
  // the pages afresh: the long scroll goes over the NAME tag of two leaves of 32 only.
  void WalkAll(bool dataSet, bool exclusive) {
    for (int count : {10, 64, 300}) {
      SCOPED_TRACE(count);
      std::filesystem::remove_all(Dir);
      std::filesystem::create_directory(Dir);
      MakeTable(count);
      for (const auto& c : Indexes()) {
        SCOPED_TRACE(c.Name);
        const int scrollSteps = exclusive || (count == 64 && std::string(c.Name) == "NAME") ? kScrollSteps : 0;
        if (dataSet) {
          TDbfTable t;
          t.SetFilePath(Dir);
          t.SetTableName("people.dbf");
          t.IndexDefs().Add()->SetIndexFile("byname.ndx");
          t.Exclusive = exclusive;
          t.SetIndexName(c.Name);
          t.Open();
          TDataSetWalker walker(t);
          CheckWalks(walker, Order(count, c.Ascending), true, scrollSteps);
        } else {
          auto table = Open("people.dbf", exclusive ? pfExclusiveOpen : pfReadWriteOpen);
          ASSERT_TRUE(table->AddIndex(Path("byname.ndx"), "", 0, false));
          const bool ndx = std::string(c.Name).find('.') != std::string::npos;
          auto* index = dynamic_cast<TIndexFile*>(table->IndexFileByName(ndx ? Path(c.Name) : AnsiString(c.Name)));
          ASSERT_NE(index, nullptr);
          if (!ndx) index->SelectTagByName(c.Name);
          TIndexWalker walker(*index);
          CheckWalks(walker, Order(count, c.Ascending), false, scrollSteps);
        }
      }
    }
  }
};

TEST_F(IntactIndexWalk, IndexFilesExclusive) { WalkAll(false, true); }
TEST_F(IntactIndexWalk, IndexFilesShared) { WalkAll(false, false); }
TEST_F(IntactIndexWalk, DataSetsExclusive) { WalkAll(true, true); }
TEST_F(IntactIndexWalk, DataSetsShared) { WalkAll(true, false); }

}  // namespace
}  // namespace orv::test
