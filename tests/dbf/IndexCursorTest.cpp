// The index cursor over a table's production index, bounded lock waits between two writers, and
// a tag whose expression no longer compiles.
#include <gtest/gtest.h>
#include <chrono>
#include <cstring>
#include "dbf/DbfIdxCursor.h"
#include "tests/dbf/IndexTestUtil.h"

namespace orv {
namespace {

class IndexCursorTest : public test::IndexFixture {
 protected:
  // A table with its production index of a name tag and a descending number tag.
  void MakeIndexedTable() {
    MakeTable();
    ASSERT_TRUE(Table->AddIndex("NAME", "NAME", 0, true));
    ASSERT_TRUE(Table->AddIndex("AMT", "AMT", ixDescending, true));
    Table.reset();
    Table = Open("people.dbf", pfExclusiveOpen);
    Index = dynamic_cast<TIndexFile*>(Table->ProductionIndex());
    ASSERT_NE(Index, nullptr);
  }
  std::vector<Integer> CursorWalk(TIndexCursor& c) {
    std::vector<Integer> out;
    c.First();
    while (c.Next()) out.push_back(c.GetPhysicalRecNo());
    return out;
  }
  TIndexFile* Index = nullptr;
};

TEST_F(IndexCursorTest, WalksSeeksAndFollowsEdits) {
  MakeIndexedTable();
  struct TRow {
    const char* Name;
    double Amt;
  } rows[] = {{"MILLER", 5.5}, {"ADAMS", 120}, {"O'BRIEN", -3}, {"BAKER", 0.25}, {"ADAMS", 7}};
  for (const auto& r : rows) {
    auto rec = Record(r.Name, 1, r.Amt);
    Table->InsertRecord(rec.data());
  }
  TIndexCursor cursor(Index);
  Index->SelectTagByName("NAME");
  EXPECT_EQ(CursorWalk(cursor), (std::vector<Integer>{2, 5, 4, 1, 3}));
  Index->SelectTagByName("AMT");
  EXPECT_EQ(CursorWalk(cursor), (std::vector<Integer>{2, 5, 1, 4, 3}));
  cursor.Last();
  ASSERT_TRUE(cursor.Prev());
  EXPECT_EQ(cursor.GetBookmark(), 3);
  EXPECT_FALSE(cursor.Next());
  // By key: mode 2 on a key held by two records goes to the next greater key.
  Index->SelectTagByName("NAME");
  auto adams = cursor.ValueToKey(AnsiString("ADAMS"));
  ASSERT_TRUE(cursor.FindByKey(adams.data(), 2));
  EXPECT_EQ(cursor.GetPhysicalRecNo(), 4);
  // A range from here to MILLER.
  cursor.StartRangeHere();
  auto miller = cursor.ValueToKey(AnsiString("MILLER"));
  ASSERT_TRUE(cursor.FindByKey(miller.data(), 0));
  cursor.EndRangeHere();
  EXPECT_EQ(CursorWalk(cursor), (std::vector<Integer>{4, 1}));
  cursor.DropRange();
  // An append is already in the index; the cursor moves onto it.
  auto rec = Record("CARTER", 1, 1);
  EXPECT_EQ(Table->InsertRecord(rec.data()), 6);
  cursor.RecordAppended();
  EXPECT_EQ(cursor.GetPhysicalRecNo(), 6);
  ASSERT_TRUE(cursor.Next());
  EXPECT_EQ(cursor.GetPhysicalRecNo(), 1);
  // An edit that moves the current record keeps the cursor on it at its new place.
  cursor.GotoBookmark(1);
  std::vector<Byte> buf(static_cast<size_t>(Table->RecordSize()));
  Table->LockRecord(1, buf.data());
  auto edited = Record("AARON", 1, 5.5);
  Table->UnlockRecord(1, edited.data());
  cursor.RecordUpdated();
  EXPECT_EQ(cursor.GetPhysicalRecNo(), 1);
  EXPECT_FALSE(cursor.Prev());
  EXPECT_EQ(CursorWalk(cursor), (std::vector<Integer>{1, 2, 5, 4, 6, 3}));
  cursor.SetSequentialRecNo(1);
  EXPECT_EQ(cursor.GetSequentialRecNo(), 1);
  EXPECT_EQ(cursor.GetPhysicalRecNo(), 1);
}

TEST_F(IndexCursorTest, LockWaitIsBoundedAndFailsTheWrite) {
  MakeTable();
  {
    auto index = NewIndex("locks.mdx");
    index->CreateTag("NAME", "NAME", 0);
  }
  auto holder = NewIndex("locks.mdx", pfReadWriteOpen);
  auto writer = NewIndex("locks.mdx", pfReadWriteOpen);
  writer->SetLockWaitMilliseconds(150);
  const auto bytes = ReadBytes("locks.mdx");
  const Integer tagPage = static_cast<Integer>(GetLE32(&bytes[512 + 32]));
  ASSERT_TRUE(holder->LockPage(tagPage, false));
  auto rec = Record("WAITS", 1);
  Store(1, rec);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(writer->InsertKeys(1, rec.data()));
  EXPECT_TRUE(writer->IndexWriteError());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  writer->ResetIndexWriteError();
  holder->UnlockPage(tagPage);
  EXPECT_TRUE(Walk(*writer).empty());
  EXPECT_TRUE(writer->InsertKeys(1, rec.data()));
  EXPECT_EQ(Walk(*holder), std::vector<Integer>{1});
}

TEST_F(IndexCursorTest, TagWithBrokenExpressionKeepsRefusing) {
  MakeTable();
  {
    auto index = NewIndex("broken.mdx");
    index->CreateTag("NAME", "NAME", 0);
  }
  auto bytes = ReadBytes("broken.mdx");
  const size_t tag = GetLE32(&bytes[512 + 32]) * 512u;
  std::memcpy(&bytes[tag + 24], "NOFIELD\0", 8);
  WriteBytes("broken.mdx", bytes);
  auto index = NewIndex("broken.mdx", pfExclusiveOpen);
  auto rec = Record("ANY", 1);
  for (int attempt = 0; attempt < 3; ++attempt) EXPECT_TRUE(index->CanInsertKeys(1, rec.data())) << attempt;
  EXPECT_TRUE(index->InsertKeys(1, rec.data()));
  EXPECT_TRUE(Walk(*index).empty());
}

}  // namespace
}  // namespace orv
