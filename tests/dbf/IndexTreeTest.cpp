// The tag tree against an ordered multimap: random inserts, deletions, edits, walks both ways,
// ranges kept while keys change and searches inside them, in exclusive and in shared mode with
// two file objects, and a tree emptied to nothing and filled again.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include "tests/dbf/IndexTestUtil.h"

namespace orv {
namespace {

class IndexTreeTest : public test::IndexFixture {
 protected:
  using TOracle = std::multimap<std::string, Integer>;

  std::string RandomName(std::mt19937& rng) {
    // Few distinct names, so equal keys spread over several leaves.
    static const char* kNames[] = {"ADAMS", "BAKER", "CLARK", "DAVIS", "EVANS", "FOX", "GREEN", "HILL", "JONES", "KING"};
    std::string n = kNames[rng() % 10];
    if (rng() % 3 == 0) n += std::to_string(rng() % 40);
    return n.substr(0, 10);
  }
  static std::string Padded(std::string s) {
    s.resize(10, ' ');
    return s;
  }
  static std::vector<Integer> Expected(const TOracle& oracle) {
    std::vector<Integer> out;
    for (const auto& [k, r] : oracle) out.push_back(r);
    return out;
  }
  // Order among equal keys is arrival order in both, but a key that was removed and put back
  // arrives again; both sides are compared as key sequences and as record sets per key.
  // A key range as the oracle sees it: the keys from First to Second, both included.
  using TRange = std::optional<std::pair<std::string, std::string>>;
  static TOracle InRange(const TOracle& oracle, const TRange& range) {
    if (!range) return oracle;
    TOracle out;
    for (auto it = oracle.lower_bound(range->first); it != oracle.end() && it->first <= range->second; ++it)
      out.insert(out.end(), *it);
    return out;
  }
  void ExpectSame(TIndexFile& index, const TOracle& all, const TRange& range = {}) {
    const TOracle oracle = InRange(all, range);
    std::vector<std::pair<std::string, Integer>> got;
    index.GoFirst();
    while (index.GoNext())
      got.emplace_back(std::string(reinterpret_cast<const char*>(index.CurrentKey()), 10), index.CurrentRecNo());
    std::vector<std::pair<std::string, Integer>> want(oracle.begin(), oracle.end());
    ASSERT_EQ(got, want);
    std::vector<Integer> back = WalkBack(index);
    std::reverse(back.begin(), back.end());
    ASSERT_EQ(back, Expected(oracle));
  }
  // A search at or after a key finds the first entry of the range there; a failed one leaves the
  // position before the first entry.
  void ExpectSearch(TIndexFile& index, const TOracle& all, const TRange& range, const std::string& name) {
    const TOracle oracle = InRange(all, range);
    const auto want = oracle.lower_bound(name);
    auto key = index.ValueToKey(name);
    index.GoFirst();
    const bool found = index.FindByKey(key.data(), 1);
    ASSERT_EQ(found, want != oracle.end()) << name;
    if (found) {
      ASSERT_EQ(index.CurrentRecNo(), want->second) << name;
    } else {
      ASSERT_EQ(index.GoNext(), !oracle.empty()) << name;
      if (!oracle.empty()) {
        ASSERT_EQ(index.CurrentRecNo(), oracle.begin()->second) << name;
      }
    }
  }

  void RandomRun(const std::string& file, Byte options, unsigned seed, int steps) {
    MakeTable();
    auto index = NewIndex(file);
    index->CreateTag("NAMES", "NAME", options);
    std::mt19937 rng(seed);
    TOracle oracle;
    std::map<Integer, std::string> live;
    TRange range;
    Integer next = 1;
    for (int step = 0; step < steps; ++step) {
      const unsigned op = rng() % 10;
      if (op < 5 || live.empty()) {
        const std::string name = RandomName(rng);
        auto rec = Record(name, next);
        Store(next, rec);
        ASSERT_TRUE(index->InsertKeys(next, rec.data()));
        oracle.emplace(Padded(name), next);
        live[next] = name;
        ++next;
      } else if (op < 7) {
        auto it = live.begin();
        std::advance(it, static_cast<long>(rng() % live.size()));
        auto rec = Record(it->second, it->first);
        ASSERT_TRUE(index->RemoveKeys(it->first, rec.data()));
        auto range = oracle.equal_range(Padded(it->second));
        for (auto o = range.first; o != range.second; ++o)
          if (o->second == it->first) {
            oracle.erase(o);
            break;
          }
        live.erase(it);
      } else if (op < 9) {
        auto it = live.begin();
        std::advance(it, static_cast<long>(rng() % live.size()));
        const std::string name = RandomName(rng);
        auto oldRec = Record(it->second, it->first), newRec = Record(name, it->first);
        ASSERT_TRUE(index->UpdateKeys(it->first, oldRec.data(), newRec.data()));
        Store(it->first, newRec);
        if (Padded(name) != Padded(it->second)) {
          auto range = oracle.equal_range(Padded(it->second));
          for (auto o = range.first; o != range.second; ++o)
            if (o->second == it->first) {
              oracle.erase(o);
              break;
            }
          oracle.emplace(Padded(name), it->first);
        }
        it->second = name;
      } else if (range && rng() % 2 == 0) {
        index->ClearBounds();
        range.reset();
      } else {
        // A range between two names (crossed ones hold nothing, equal ones one key); it stays
        // while the following steps add, change and remove keys in and around it.
        std::string low = Padded(RandomName(rng)), high = Padded(RandomName(rng));
        if (rng() % 4 == 0) high = low;
        auto lowKey = index->ValueToKey(low), highKey = index->ValueToKey(high);
        index->ClearBounds();
        index->SetLowBound(lowKey.data());
        index->SetHighBound(highKey.data());
        range = std::pair{low, high};
      }
      if (range && step % 5 == 0) {
        ExpectSame(*index, oracle, range);
        ExpectSearch(*index, oracle, range, Padded(RandomName(rng)));
      }
      if (step % 97 == 0) ExpectSame(*index, oracle, range);
    }
    ExpectSame(*index, oracle, range);
    index->ClearBounds();
    ExpectSame(*index, oracle);
    // Each live record is found by its own key and record number.
    for (const auto& [recNo, name] : live) ASSERT_TRUE(index->GotoRecord(recNo)) << recNo;
    index->CloseIndex();
    auto reopened = NewIndex(file, pfExclusiveOpen);
    ExpectSame(*reopened, oracle);
  }
};

TEST_F(IndexTreeTest, RandomEditsMatchOracle) {
  struct TCase {
    const char* File;
    unsigned Seed;
  } cases[] = {{"names.ndx", 1}, {"names.mdx", 2}, {"other.ndx", 3}, {"other.mdx", 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    RandomRun(c.File, 0, c.Seed, 2500);
    TearDown();
    SetUp();
  }
}

TEST_F(IndexTreeTest, EmptiedTreeRefillsAndWalksOnce) {
  for (const char* file : {"fill.ndx", "fill.mdx"}) {
    SCOPED_TRACE(file);
    MakeTable();
    auto index = NewIndex(file);
    index->CreateTag("NAMES", "NAME", 0);
    const int n = 700;
    for (int round = 0; round < 2; ++round) {
      for (Integer r = 1; r <= n; ++r) {
        char name[16];
        std::snprintf(name, sizeof name, "K%05d", (r * 7919) % n);
        auto rec = Record(name, r);
        Store(r, rec);
        ASSERT_TRUE(index->InsertKeys(r, rec.data()));
      }
      std::vector<Integer> walk = Walk(*index);
      ASSERT_EQ(walk.size(), static_cast<size_t>(n));
      // Removing in key order empties leaf after leaf; a walk after every tenth removal sees
      // each remaining key once.
      for (size_t i = 0; i < walk.size(); ++i) {
        std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
        Table->ReadRecord(walk[i], rec.data());
        ASSERT_TRUE(index->RemoveKeys(walk[i], rec.data()));
        if (i % 10 == 0) {
          std::vector<Integer> rest = Walk(*index);
          ASSERT_EQ(rest, std::vector<Integer>(walk.begin() + static_cast<long>(i) + 1, walk.end()));
        }
      }
      EXPECT_TRUE(Walk(*index).empty());
      EXPECT_TRUE(WalkBack(*index).empty());
    }
    index.reset();
    TearDown();
    SetUp();
  }
}

TEST_F(IndexTreeTest, TwoSharedFileObjectsSeeEachOthersKeys) {
  MakeTable();
  {
    auto index = NewIndex("shared.mdx");
    index->CreateTag("NAMES", "NAME", 0);
  }
  auto a = NewIndex("shared.mdx", pfReadWriteOpen);
  auto b = NewIndex("shared.mdx", pfReadWriteOpen);
  ASSERT_TRUE(a->IsSharedMode());
  std::mt19937 rng(7);
  TOracle oracle;
  for (Integer r = 1; r <= 600; ++r) {
    TIndexFile& writer = (rng() % 2) ? *a : *b;
    const std::string name = RandomName(rng);
    auto rec = Record(name, r);
    Store(r, rec);
    ASSERT_TRUE(writer.InsertKeys(r, rec.data()));
    oracle.emplace(Padded(name), r);
    if (r % 3 == 0) {
      auto victim = oracle.begin();
      std::advance(victim, static_cast<long>(rng() % oracle.size()));
      auto vrec = Record(victim->first.substr(0, victim->first.find_last_not_of(' ') + 1), victim->second);
      TIndexFile& other = (&writer == a.get()) ? *b : *a;
      ASSERT_TRUE(other.RemoveKeys(victim->second, vrec.data()));
      oracle.erase(victim);
    }
  }
  ExpectSame(*a, oracle);
  ExpectSame(*b, oracle);
}

TEST_F(IndexTreeTest, SearchModesAndFailedSearchKeepsPosition) {
  MakeTable();
  auto index = NewIndex("find.mdx");
  index->CreateTag("NAMES", "NAME", 0);
  const char* names[] = {"ALPHA", "BETA", "BETA", "BETA", "GAMMA", "OMEGA"};
  for (Integer r = 1; r <= 6; ++r) {
    auto rec = Record(names[r - 1], r);
    Store(r, rec);
    ASSERT_TRUE(index->InsertKeys(r, rec.data()));
  }
  struct TCase {
    const char* Key;
    int Mode;
    bool Found;
    Integer RecNo;
  } cases[] = {
      {"BETA", 0, true, 2},   {"BETA", 1, true, 2},   {"BETA", 2, true, 5},  {"DELTA", 0, false, 0},
      {"DELTA", 1, true, 5},  {"DELTA", 2, true, 5},  {"ZULU", 1, false, 0}, {"OMEGA", 2, false, 0},
      {"A", 2, true, 1},      {"OMEGA", 0, true, 6},  {"BETA", 7, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Key) + " mode " + std::to_string(c.Mode));
    ASSERT_TRUE(index->GotoRecord(1));
    auto key = index->ValueToKey(AnsiString(c.Key));
    EXPECT_EQ(index->FindByKey(key.data(), c.Mode), c.Found);
    EXPECT_EQ(index->CurrentRecNo(), c.Found ? c.RecNo : 1);
  }
  // Before-first and after-last survive a failed search.
  auto zulu = index->ValueToKey(AnsiString("ZULU"));
  index->GoFirst();
  EXPECT_FALSE(index->FindByKey(zulu.data(), 0));
  EXPECT_TRUE(index->GoNext());
  EXPECT_EQ(index->CurrentRecNo(), 1);
  index->GoLast();
  EXPECT_FALSE(index->FindByKey(zulu.data(), 0));
  EXPECT_TRUE(index->GoPrev());
  EXPECT_EQ(index->CurrentRecNo(), 6);
  // Search keys are blank-padded to the key length.
  auto ab = index->ValueToKey(AnsiString("AB"));
  EXPECT_EQ(std::string(ab.begin(), ab.end()), "AB        ");
}

TEST_F(IndexTreeTest, SequentialNumbersAndBounds) {
  MakeTable();
  auto index = NewIndex("seq.ndx");
  index->CreateTag("NAMES", "NAME", 0);
  for (Integer r = 1; r <= 300; ++r) {
    char name[16];
    std::snprintf(name, sizeof name, "N%04d", r);
    auto rec = Record(name, r);
    Store(r, rec);
    ASSERT_TRUE(index->InsertKeys(r, rec.data()));
  }
  index->GoFirst();
  EXPECT_EQ(index->SequentialNo(), 0);
  ASSERT_TRUE(index->GoNext());
  EXPECT_EQ(index->SequentialNo(), 1);
  index->GoLast();
  EXPECT_EQ(index->SequentialNo(), INT_MAX);
  EXPECT_GE(index->SequentialCount(), 300);
  index->SetSequentialNo(1);
  EXPECT_EQ(index->CurrentRecNo(), 1);
  // A number past the count ends on the last entry.
  index->SetSequentialNo(index->SequentialCount() + 50);
  EXPECT_EQ(index->CurrentRecNo(), 300);
  // A low bound in the middle: stepping back from its first entry fails.
  auto low = index->ValueToKey(AnsiString("N0150"));
  index->SetLowBound(low.data());
  index->GoFirst();
  ASSERT_TRUE(index->GoNext());
  EXPECT_EQ(index->CurrentRecNo(), 150);
  EXPECT_FALSE(index->GoPrev());
  EXPECT_EQ(index->CurrentRecNo(), -1);
  index->ClearBounds();
  EXPECT_EQ(Walk(*index).size(), 300u);
  // The count follows the range's high bound: fewer than the whole tag, never fewer than the
  // entries in range.
  const Integer whole = index->SequentialCount();
  auto high = index->ValueToKey(AnsiString("N0100"));
  index->SetHighBound(high.data());
  const Integer bounded = index->SequentialCount();
  EXPECT_LT(bounded, whole);
  EXPECT_GE(bounded, 100);
  index->SetEmptyRange();
  EXPECT_EQ(index->SequentialCount(), 0);
  index->ClearBounds();
  EXPECT_EQ(index->SequentialCount(), whole);
  // On a single page the count is exact.
  auto small = NewIndex("small.ndx");
  small->CreateTag("NAMES", "NAME", 0);
  for (Integer r = 1; r <= 10; ++r) {
    auto rec = Record("N" + std::to_string(r % 5), r);
    Store(r, rec);
    ASSERT_TRUE(small->InsertKeys(r, rec.data()));
  }
  EXPECT_EQ(small->SequentialCount(), 10);
  auto two = small->ValueToKey(AnsiString("N2"));
  small->SetHighBound(two.data());
  EXPECT_EQ(small->SequentialCount(), 6) << "N0, N1 and N2 twice each";
}

}  // namespace
}  // namespace orv
