// Damaged index trees: walks that would come back to where they were, or run on past what the
// file can hold, stop with the damaged-page error; the table's walk by such an index ends. An
// intact tree of unusual shape (far deeper than trees grow) is no damage.
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>
#include "dbf/DbfIdxTree.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfTable.h"
#include "platform/rtl/Format.h"
#include "tests/dbf/DbfTestUtil.h"
#include "tests/dbf/MemIndexPages.h"

namespace orv::test {
namespace {

// .mdx layout: 8-byte keys in 12-byte entries, count at 0, entry i at 8 + 12 * i, its link first.
constexpr Integer kKeyBytes = 8, kEntryBytes = 12;
TIdxLayout MdxLayout() {
  TIdxLayout l;
  l.PageBytes = TMemPages::kPageBytes;
  l.KeyLength = kKeyBytes;
  l.EntryLength = kEntryBytes;
  l.MaxEntries = (l.PageBytes - 8) / kEntryBytes;
  return l;
}
LongWord LinkAt(const std::vector<Byte>& page, Integer i) { return GetLE32(page.data() + 8 + i * kEntryBytes); }
void SetLinkAt(std::vector<Byte>& page, Integer i, LongWord v) { PutLE32(page.data() + 8 + i * kEntryBytes, v); }

class DamagedTree : public ::testing::Test {
 public:
  // A tree of two levels: the root links the leaves in key order.
  void Fill(int count) {
    for (int i = 0; i < count; ++i) {
      std::string key = "K" + std::to_string(1000000 + i);
      ASSERT_TRUE(Tree.Insert(reinterpret_cast<const Byte*>(key.data()), static_cast<LongWord>(i + 1), false));
    }
    Tree.Flush();
    Tree.DropCache();
  }
  std::vector<Byte>& Root() { return Store.Pages[Tree.Root()]; }
  Integer RootLinks() { return static_cast<Integer>(GetLE32(Root().data())) + 1; }
  // Walks the whole tree one way; the record numbers seen, or the error met.
  std::string Walk(bool forward, std::vector<Integer>* seen = nullptr) {
    Tree.DropCache();
    try {
      if (forward) Tree.GoFirst();
      else Tree.GoLast();
      int steps = 0;
      while (forward ? Tree.GoNext() : Tree.GoPrev()) {
        if (seen) seen->push_back(Tree.CurrentRecNo());
        if (++steps > 100000) return "runs on";
      }
      return "ends";
    } catch (const EDbfError& e) {
      return e.Message();
    }
  }

  // Both ways the walk ends after every one of the entries, met in the same order.
  void ExpectWholeWalks(size_t entries) {
    std::vector<Integer> forward, backward;
    EXPECT_EQ(Walk(true, &forward), "ends");
    EXPECT_EQ(Walk(false, &backward), "ends");
    ASSERT_EQ(forward.size(), entries);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, backward);
  }

  void SetUp() override { Tree.MakeEmptyRoot(); }

  TMemPages Store;
  TIdxTree Tree{Store, MdxLayout(), TIdxKeyOrder{}};
};

TEST_F(DamagedTree, IntactTreeWalksEveryEntryOnce) {
  Fill(200);
  ASSERT_GE(RootLinks(), 4) << "the fixture needs a root over several leaves";
  ExpectWholeWalks(200);
}

TEST_F(DamagedTree, LinksBackIntoTheWalkStopWithTheDamagedPageError) {
  struct TCase {
    const char* What;
    std::function<void(DamagedTree&)> Damage;
  };
  const TCase cases[] = {
      // The third child is the first one again: the walk would come back to a leaf it has left.
      {"a later link to an earlier leaf", [](DamagedTree& t) { SetLinkAt(t.Root(), 2, LinkAt(t.Root(), 0)); }},
      {"an earlier link to a later leaf",
       [](DamagedTree& t) { SetLinkAt(t.Root(), 0, LinkAt(t.Root(), t.RootLinks() - 1)); }},
      // The root as its own child: every descent would go round.
      {"the root as its own first child", [](DamagedTree& t) { SetLinkAt(t.Root(), 0, t.Tree.Root()); }},
      {"the root as its own last child",
       [](DamagedTree& t) { SetLinkAt(t.Root(), t.RootLinks() - 1, t.Tree.Root()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    Store = TMemPages{};
    Tree.MakeEmptyRoot();
    Fill(200);
    c.Damage(*this);
    for (bool forward : {true, false}) {
      const std::string outcome = Walk(forward);
      EXPECT_NE(outcome.find("is damaged."), std::string::npos) << (forward ? "forward: " : "backward: ") << outcome;
    }
  }
}

// Branch pages left with a single child (as removals leave them) can stack up deeper than any
// tree grows by splits: the tree is still intact, whatever its depth.
TEST_F(DamagedTree, ADeepTreeOfSingleChildBranchesIsIntact) {
  Fill(60);
  ASSERT_EQ(RootLinks(), 2) << "the fixture needs a root over two leaves";
  constexpr int kLevels = 40;
  for (int i = 0; i < kLevels; ++i) {
    const LongWord page = Store.NewIndexPage();
    SetLinkAt(Store.Pages[page], 0, Tree.Root());
    Tree.SetRoot(page);
  }
  ExpectWholeWalks(60);
  // Searches go down the whole chain, and keys added there split the leaves under it.
  const std::string key = "K1000033";
  EXPECT_EQ(Tree.Seek(reinterpret_cast<const Byte*>(key.data()), kSeekAtOrAfter), 0);
  EXPECT_EQ(Tree.CurrentRecNo(), 34);
  EXPECT_TRUE(Tree.GoPrev());
  EXPECT_EQ(Tree.CurrentRecNo(), 33);
  for (int i = 60; i < 300; ++i) {
    const std::string k = "K" + std::to_string(1000000 + i);
    ASSERT_TRUE(Tree.Insert(reinterpret_cast<const Byte*>(k.data()), static_cast<LongWord>(i + 1), false));
  }
  Tree.Flush();
  ExpectWholeWalks(300);
  std::vector<Integer> forward;
  Walk(true, &forward);
  EXPECT_TRUE(std::is_sorted(forward.begin(), forward.end()));
  Tree.SetSequentialNo(1);
  EXPECT_EQ(Tree.CurrentRecNo(), 1);
}

// Two walkers over the same pages, as two processes sharing a file: one stands on the last entry
// of a leaf, the other removes that entry, which takes the leaf out of the tree. The first
// finds its place again from the pages as they are now: no damage, and it goes on from the
// neighbours.
TEST_F(DamagedTree, AnEntryGoneWithItsLeafIsNoDamage) {
  Fill(60);
  ASSERT_EQ(RootLinks(), 2) << "the fixture needs a root over two leaves";
  TIdxTree other{Store, MdxLayout(), TIdxKeyOrder{}};
  other.SetRoot(Tree.Root());
  auto key = [](int i) { return "K" + std::to_string(1000000 + i); };
  auto bytes = [](const std::string& k) { return reinterpret_cast<const Byte*>(k.data()); };
  // The second leaf keeps only its first entry, which the walker then stands on.
  const int lone = 60 - (static_cast<int>(GetLE32(Store.Pages[LinkAt(Root(), 1)].data())));
  for (int i = lone + 1; i < 60; ++i) ASSERT_TRUE(other.Remove(bytes(key(i)), static_cast<LongWord>(i + 1)));
  other.Flush();
  Tree.DropCache();
  ASSERT_TRUE(Tree.GotoEntry(bytes(key(lone)), static_cast<LongWord>(lone + 1)));
  const TIdxTree::TSavedPosition at = Tree.SavePosition();
  ASSERT_TRUE(other.Remove(bytes(key(lone)), static_cast<LongWord>(lone + 1)));
  other.Flush();
  ASSERT_EQ(RootLinks(), 1) << "the leaf left the tree";
  for (bool forward : {true, false}) {
    SCOPED_TRACE(forward ? "forward" : "backward");
    try {
      Tree.DropCache();
      Tree.Refind(at, forward);
      if (forward) {
        EXPECT_FALSE(Tree.GoNext()) << "the entry gone was the last";
      } else {
        ASSERT_TRUE(Tree.GoPrev());
        EXPECT_EQ(Tree.CurrentRecNo(), lone);
      }
    } catch (const EDbfError& e) {
      ADD_FAILURE() << e.Message();
    }
  }
}

// Every branch entry links the same leaf: each step of the walk is a valid step, but the walk
// would pass the leaf again and again (with several levels, exponentially often).
TEST_F(DamagedTree, SharedLeafIsPassedOnlyOnce) {
  Fill(200);
  const LongWord first = LinkAt(Root(), 0);
  for (Integer i = 1; i < RootLinks(); ++i) SetLinkAt(Root(), i, first);
  std::vector<Integer> seen;
  const std::string outcome = Walk(true, &seen);
  EXPECT_EQ(outcome, Format("Index page %d is damaged.", {static_cast<Int64>(first)}));
  EXPECT_LE(seen.size(), 200u) << "no entry is handed out twice before the error";
}

// A walk that finds its place again before each step (as in shared mode) and, on a key out of
// order, lands before the first entry again: the steps are bounded by what the pages can hold.
TEST_F(DamagedTree, WalkThatFindsItsPlaceAgainIsBounded) {
  Fill(30);
  ASSERT_EQ(RootLinks() - 1, 30) << "one leaf";
  std::vector<Byte>& leaf = Root();
  leaf[8 + 28 * kEntryBytes + 4] = 0x00;  // the last key but one now sorts first
  Tree.DropCache();
  Tree.GoFirst();
  int steps = 0;
  try {
    for (;;) {
      const TIdxTree::TSavedPosition at = Tree.SavePosition();
      Tree.DropCache();
      Tree.Refind(at, true);
      if (!Tree.GoNext() || ++steps > 100000) break;
    }
    ADD_FAILURE() << "ended after " << steps << " steps";
  } catch (const EDbfError& e) {
    EXPECT_NE(e.Message().find("is damaged."), std::string::npos) << e.Message();
  }
  EXPECT_LT(steps, 1000);
}

// The table's walk by index: a key changed to sort before the others makes the shared walk's
// search for its place fail; without a bound the walk starts over from the first entry.
class DamagedIndexTable : public TTempDir {
 protected:
  void SetUp() override {
    TTempDir::SetUp();
    CreateWithProductionTag("p.dbf", {{"NAME", 'C', 10, 0}}, "NAME");
    auto t = OpenTable(false);
    for (int i = 0; i < 60; ++i) {
      const int k = (i * 37) % 60;
      const std::string name = std::string("N") + static_cast<char>('0' + k / 10) + static_cast<char>('0' + k % 10);
      t->Append();
      t->FieldByName("NAME")->SetAsString(name);
      t->Post();
    }
  }
  std::unique_ptr<TDbfTable> OpenTable(bool exclusive) {
    auto t = std::make_unique<TDbfTable>();
    t->SetFilePath(Dir);
    t->SetTableName("p.dbf");
    t->SetIndexName("NAME");
    t->Exclusive = exclusive;
    t->Open();
    return t;
  }
  // Changes the first byte of the stored key text in the .mdx.
  void DamageKey(const std::string& key, Byte value) {
    auto bytes = ReadBytes("p.mdx");
    auto at = std::search(bytes.begin(), bytes.end(), key.begin(), key.end());
    ASSERT_NE(at, bytes.end());
    *at = value;
    WriteBytes("p.mdx", bytes);
  }
  // One walk of the data set: the names it meets, and how it ended (or the error that ended it).
  static std::string Walk(TDbfTable& t, bool forward, std::vector<std::string>& names) {
    names.clear();
    try {
      for (forward ? t.First() : t.Last(); !(forward ? t.Eof() : t.Bof()) && names.size() <= 1000;
           forward ? t.Next() : t.Prior())
        names.push_back(t.FieldByName("NAME")->AsString());
      return names.size() > 1000 ? "runs on" : "ends";
    } catch (const EDbfError& e) {
      return e.Message();
    }
  }
};

TEST_F(DamagedIndexTable, WalksEndOnAKeyOutOfOrder) {
  std::vector<std::string> names;
  {
    auto intact = OpenTable(false);
    EXPECT_EQ(Walk(*intact, true, names), "ends");
    EXPECT_EQ(names.size(), 60u);
  }
  DamageKey("N58       ", 0x00);
  for (bool exclusive : {false, true}) {
    for (bool forward : {true, false}) {
      SCOPED_TRACE(std::string(exclusive ? "exclusive " : "shared ") + (forward ? "forward" : "backward"));
      auto t = OpenTable(exclusive);
      const std::string outcome = Walk(*t, forward, names);
      // Without others the walk reads the page as it is: every record once, the damaged key's
      // included. Shared, each step finds its place again by key, which the damaged key defeats
      // (the walk starts over): the steps are bounded by the index's size.
      if (exclusive) {
        EXPECT_EQ(outcome, "ends");
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
        EXPECT_EQ(names.size(), 60u);
      } else if (outcome != "ends") {
        EXPECT_NE(outcome.find("is damaged."), std::string::npos) << outcome;
      }
    }
  }
}

}  // namespace
}  // namespace orv::test
