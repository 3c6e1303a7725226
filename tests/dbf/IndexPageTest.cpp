// Index pages and their chain: both page layouts, the first split of a leaf, a leaf's new highest
// key passed to its parent, removals from a full page, bounds in the middle of a leaf, scroll
// positions in the gaps of pages not full, and steps that pass the entries of the record they
// started on.
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>
#include "dbf/DbfIdxTree.h"
#include "dbf/DbfIndexPage.h"
#include "tests/dbf/IndexTestUtil.h"
#include "tests/dbf/MemIndexPages.h"

namespace orv::test {
namespace {

// Only the layout: no pages behind it.
class TLayoutHost : public TIndexPageHost {
 public:
  TLayoutHost(Integer pageBytes, Integer keyLength, Integer entryLength)
      : FPageBytes(pageBytes), FKeyLength(keyLength), FEntryLength(entryLength) {}
  Integer PageBytes() const override { return FPageBytes; }
  Integer KeyLength() const override { return FKeyLength; }
  Integer EntryLength() const override { return FEntryLength; }
  Integer MaxEntries() const override { return (FPageBytes - (FPageBytes == 512 ? 4 : 8)) / FEntryLength; }
  bool SharedPages() const override { return false; }
  bool ReadPage(LongWord, Byte*, bool&) override { return false; }
  void PageChecked(LongWord) override {}
  void WritePage(LongWord, const Byte*) override {}
  void StorePage(LongWord, std::vector<Byte>&) override {}
  LongWord NewPageNo() override { return 0; }
  int CompareSearchKey(const Byte*) override { return 0; }
  Byte* BeforeFirst() override { return FBefore.data(); }
  Byte* AfterLast() override { return FAfter.data(); }
  bool RangesOn() const override { return true; }
  void LevelCreated(TIndexPage&) override {}
  TIndexPage& MakeRootAbove(TIndexPage& root) override { return root; }
  void PageDamaged(LongWord n) override { throw EDbfError("damaged " + std::to_string(n)); }

 private:
  Integer FPageBytes, FKeyLength, FEntryLength;
  std::vector<Byte> FBefore = std::vector<Byte>(256, 0), FAfter = std::vector<Byte>(256, 0);
};

TEST(IndexPageLayout, EntriesLinksAndBranchPages) {
  struct TCase {
    const char* What;
    bool Ndx;
    Integer PageBytes, KeyLength, EntryLength;
    Integer Base, KeyOffset, RecordOffset, ChildOffset;
  } cases[] = {
      {"multiple-tag page", false, 1024, 10, 16, 8, 4, 0, 0},
      {"single-key page", true, 512, 10, 20, 4, 8, 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TLayoutHost host(c.PageBytes, c.KeyLength, c.EntryLength);
    std::unique_ptr<TIndexPage> page;
    if (c.Ndx) page = std::make_unique<TNdxPage>(host);
    else page = std::make_unique<TMdxPage>(host);
    Byte* buf = page->Buffer();
    EXPECT_EQ(page->EntryAt(3), buf + c.Base + 3 * c.EntryLength);
    EXPECT_EQ(page->KeyAt(3), buf + c.Base + 3 * c.EntryLength + c.KeyOffset);
    // A leaf entry: its record number, no child.
    EXPECT_EQ(page->StoreLinkAt(2, 77, 0), page->EntryAt(2));
    EXPECT_EQ(GetLE32(buf + c.Base + 2 * c.EntryLength + c.RecordOffset), 77u);
    page->StoreEntryCount(3);
    page->IncEntryCount();
    EXPECT_EQ(page->EntryCount(), 4);
    EXPECT_EQ(GetLE32(buf), 4u);
    EXPECT_FALSE(page->IsBranch());
    page->Entry = page->EntryAt(2);
    EXPECT_EQ(page->CurrentRecordNo(), 77u);
    EXPECT_EQ(page->CurrentKey(), page->KeyAt(2));
    // A branch: a child in every entry, one behind the last keyed entry too.
    page->StoreEntryCount(3);
    for (Integer i = 0; i <= 3; ++i) page->StoreLinkAt(i, 0, 100 + static_cast<LongWord>(i));
    EXPECT_TRUE(page->IsBranch());
    page->Entry = page->EntryAt(3);
    EXPECT_EQ(page->CurrentChild(), 103u);
    EXPECT_EQ(GetLE32(buf + c.Base + 3 * c.EntryLength + c.ChildOffset), 103u);
    page->Entry = page->EntryAt(1);
    page->StoreCurrentLink(0, 55);
    EXPECT_EQ(page->CurrentChild(), 55u);
    // The sentinels name no entry.
    page->Entry = host.AfterLast();
    EXPECT_EQ(page->CurrentChild(), 0u);
    EXPECT_EQ(page->CurrentRecordNo(), 0u);
  }
}

TEST(IndexPageLayout, WhatMakesABranchPage) {
  // Multiple-tag pages: a link behind the last keyed entry, on a page that is not full.
  TLayoutHost mdxHost(1024, 10, 16);
  TMdxPage mdx(mdxHost);
  mdx.StoreEntryCount(3);
  for (Integer i = 0; i < 3; ++i) mdx.StoreLinkAt(i, 10 + static_cast<LongWord>(i), 0);
  EXPECT_FALSE(mdx.IsBranch()) << "records only";
  mdx.StoreLinkAt(3, 0, 9);
  EXPECT_TRUE(mdx.IsBranch()) << "a link behind the last entry";
  mdx.StoreEntryCount(mdx.EntryCount() + 60);  // 63: a full page has no entry behind its last
  EXPECT_FALSE(mdx.IsBranch()) << "a full page";
  // Single-key pages: the first entry's child.
  TLayoutHost ndxHost(512, 10, 20);
  TNdxPage ndx(ndxHost);
  ndx.StoreEntryCount(2);
  ndx.StoreLinkAt(0, 4, 0);
  ndx.StoreLinkAt(1, 5, 0);
  EXPECT_FALSE(ndx.IsBranch());
  ndx.StoreLinkAt(0, 0, 7);
  EXPECT_TRUE(ndx.IsBranch());
}

// The tree of tag 0 as the file holds it.
class IndexPages : public IndexFixture {
 protected:
  struct TPage {
    Integer Count = 0;
    bool Branch = false;
    std::vector<LongWord> Links;  // children of a branch, records of a leaf
    std::vector<std::string> Keys;
  };
  static std::string Name(int i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "K%03d", i);
    return buf;
  }
  void Add(TIndexFile& index, Integer recNo, const std::string& name) {
    auto rec = Record(name, recNo);
    Store(recNo, rec);
    ASSERT_TRUE(index.InsertKeys(recNo, rec.data()));
  }
  // A new table with records 1..keys, record k holding key k, in a tag of the file's own.
  std::unique_ptr<TIndexFile> NamesIndex(const std::string& file, int keys) {
    MakeTable();
    auto index = NewIndex(file);
    index->CreateTag("NAMES", "NAME", 0);
    for (int k = 1; k <= keys; ++k) Add(*index, k, Name(k));
    return index;
  }
  // Closes the index and starts the next case in a fresh directory.
  void Restart(std::unique_ptr<TIndexFile>& index) {
    index.reset();
    TearDown();
    SetUp();
  }
  void Remove(TIndexFile& index, Integer recNo, const std::string& name) {
    auto rec = Record(name, recNo);
    ASSERT_TRUE(index.RemoveKeys(recNo, rec.data()));
  }
  // The root's page number and the entry length of the file's first (or only) tag.
  static LongWord RootOf(const std::vector<Byte>& bytes, bool mdx, Integer* entryLength) {
    *entryLength = GetLE16(&bytes[TagAt(bytes, mdx) + 18]);
    return GetLE32(&bytes[TagAt(bytes, mdx)]);
  }
  static size_t TagAt(const std::vector<Byte>& bytes, bool mdx) {
    return mdx ? static_cast<size_t>(GetLE32(&bytes[512 + 32])) * 512 : 0;
  }
  static Integer EntryLengthOf(const std::vector<Byte>& bytes, bool mdx) {
    return GetLE16(&bytes[TagAt(bytes, mdx) + 18]);
  }
  static TPage PageOf(const std::vector<Byte>& bytes, bool mdx, LongWord n, Integer entryLength) {
    const Byte* p = &bytes[static_cast<size_t>(n) * 512];
    const Integer base = mdx ? 8 : 4, keyAt = mdx ? 4 : 8, max = ((mdx ? 1024 : 512) - base) / entryLength;
    TPage page;
    page.Count = static_cast<Integer>(GetLE32(p));
    page.Branch = mdx ? page.Count < max && GetLE32(p + base + page.Count * entryLength) != 0 : GetLE32(p + base) != 0;
    for (Integer i = 0; i < page.Count + (page.Branch ? 1 : 0); ++i) {
      const Byte* e = p + base + i * entryLength;
      page.Links.push_back(mdx || page.Branch ? GetLE32(e) : GetLE32(e + 4));
      if (i < page.Count) page.Keys.emplace_back(reinterpret_cast<const char*>(e + keyAt), 4);
    }
    return page;
  }
};

TEST_F(IndexPages, TheFirstSplitOfALeafGivesTwoHalvesUnderANewRoot) {
  // 25 entries fill a leaf of a single-key file (10-character keys); the 26th splits it, at the
  // end, at the start and in the middle of the page.
  struct TCase {
    const char* What;
    int Last;  // the key inserted last, 1..26; the others in ascending order before it
  } cases[] = {{"behind the last entry", 26}, {"before the first", 1}, {"in the middle", 13}, {"just behind it", 14}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    MakeTable();
    auto index = NewIndex("split.ndx");
    index->CreateTag("NAMES", "NAME", 0);
    Integer recNo = 0;
    for (int k = 1; k <= 26; ++k)
      if (k != c.Last) Add(*index, ++recNo, Name(k));
    index->FlushIndex();
    Integer e = 0;
    auto bytes = ReadBytes("split.ndx");
    const LongWord leafRoot = RootOf(bytes, false, &e);
    ASSERT_EQ(e, 20);
    TPage full = PageOf(bytes, false, leafRoot, e);
    EXPECT_FALSE(full.Branch);
    EXPECT_EQ(full.Count, 25);
    Add(*index, ++recNo, Name(c.Last));
    index->FlushIndex();
    bytes = ReadBytes("split.ndx");
    const LongWord root = RootOf(bytes, false, &e);
    EXPECT_NE(root, leafRoot);
    const TPage top = PageOf(bytes, false, root, e);
    ASSERT_TRUE(top.Branch);
    ASSERT_EQ(top.Count, 1) << "one key and two children";
    const TPage left = PageOf(bytes, false, top.Links[0], e), right = PageOf(bytes, false, top.Links[1], e);
    EXPECT_FALSE(left.Branch);
    EXPECT_FALSE(right.Branch);
    EXPECT_GE(left.Count, 12);
    EXPECT_LE(left.Count, 13);
    EXPECT_GE(right.Count, 12);
    EXPECT_LE(right.Count, 13);
    EXPECT_EQ(left.Count + right.Count, 26);
    // The parent's key is the left half's highest; together the halves hold every key in order.
    EXPECT_EQ(top.Keys[0], left.Keys.back());
    std::vector<std::string> keys = left.Keys;
    keys.insert(keys.end(), right.Keys.begin(), right.Keys.end());
    std::vector<std::string> want;
    for (int k = 1; k <= 26; ++k) want.push_back(Name(k));
    EXPECT_EQ(keys, want);
    EXPECT_EQ(Walk(*index).size(), 26u);
    Restart(index);
  }
}

TEST_F(IndexPages, RemovingALeafsLastEntryGivesItsParentTheNewHighestKey) {
  struct TCase {
    const char* File;
    int Keys;  // one more than a leaf holds: two leaves under a root
  } cases[] = {{"high.ndx", 26}, {"high.mdx", 64}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    const bool mdx = std::string(c.File).find(".mdx") != std::string::npos;
    auto index = NamesIndex(c.File, c.Keys);
    index->FlushIndex();
    Integer e = 0;
    auto bytes = ReadBytes(c.File);
    TPage top = PageOf(bytes, mdx, RootOf(bytes, mdx, &e), EntryLengthOf(bytes, mdx));
    ASSERT_TRUE(top.Branch);
    ASSERT_EQ(top.Count, 1);
    const TPage left = PageOf(bytes, mdx, top.Links[0], e);
    ASSERT_GE(left.Count, 2);
    // Record k holds key k: the left leaf's last entry goes.
    const int highest = std::stoi(left.Keys.back().substr(1));
    ASSERT_EQ(left.Links.back(), static_cast<LongWord>(highest));
    Remove(*index, highest, Name(highest));
    index->FlushIndex();
    bytes = ReadBytes(c.File);
    top = PageOf(bytes, mdx, RootOf(bytes, mdx, &e), EntryLengthOf(bytes, mdx));
    const TPage after = PageOf(bytes, mdx, top.Links[0], e);
    EXPECT_EQ(after.Count, left.Count - 1);
    EXPECT_EQ(after.Keys.back(), Name(highest - 1));
    EXPECT_EQ(top.Keys[0], after.Keys.back());
    // Every key still found, the one removed no more.
    EXPECT_EQ(Walk(*index).size(), static_cast<size_t>(c.Keys - 1));
    auto key = index->ValueToKey(AnsiString(Name(highest)));
    EXPECT_FALSE(index->FindByKey(key.data(), 0));
    key = index->ValueToKey(AnsiString(Name(highest + 1)));
    EXPECT_TRUE(index->FindByKey(key.data(), 0));
    EXPECT_EQ(index->CurrentRecNo(), highest + 1);
    Restart(index);
  }
}

TEST_F(IndexPages, TheFileSearchLooksForWhatTheTagsUniquenessAsks) {
  // Equal keys of many records, over several leaves: a tag without uniqueness finds each record's
  // own entry; a record that holds none is not found.
  for (const char* file : {"same.ndx", "same.mdx"}) {
    SCOPED_TRACE(file);
    MakeTable();
    auto index = NewIndex(file);
    index->CreateTag("NAMES", "NAME", 0);
    for (int r = 1; r <= 150; ++r) Add(*index, r, "SAME");
    const auto same = index->ValueToKey(AnsiString("SAME"));
    for (Integer r : {1, 26, 64, 150}) {
      index->LoadKey(same.data(), r);
      EXPECT_EQ(index->SeekKey(false), 0) << "record " << r;
      EXPECT_EQ(index->CurrentRecNo(), r);
    }
    index->LoadKey(same.data(), 151);
    EXPECT_NE(index->SeekKey(false), 0);
    Restart(index);
  }
  // A unique tag looks for the first entry at or after the key, whatever the record.
  MakeTable();
  auto index = NewIndex("unique.mdx");
  index->CreateTag("NAMES", "NAME", ixUnique);
  for (int k = 1; k <= 10; ++k) Add(*index, k, Name(k));
  const struct {
    std::string Key;
    Integer RecNo;
    int Sign;       // of the result
    Integer Found;  // the record of the entry reached
  } cases[] = {
      {Name(5), 77, 0, 5},           // another record's number changes nothing
      {Name(5) + "5", 0, -1, 6},     // the entry reached holds the greater key
      {Name(11), 0, 1, -1},          // behind the last entry
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Key);
    const auto key = index->ValueToKey(AnsiString(c.Key));
    index->LoadKey(key.data(), c.RecNo);
    const int r = index->SeekKey(false);
    EXPECT_EQ((r > 0) - (r < 0), c.Sign);
    EXPECT_EQ(index->CurrentRecNo(), c.Found);
  }
  Restart(index);
}

TEST_F(IndexPages, AFileSearchForAnInsertionSplitsTheFullLeafOnItsWay) {
  auto index = NamesIndex("insert.ndx", 25);
  index->FlushIndex();
  Integer e = 0;
  auto bytes = ReadBytes("insert.ndx");
  const LongWord leafRoot = RootOf(bytes, false, &e);
  ASSERT_EQ(PageOf(bytes, false, leafRoot, e).Count, 25);
  const auto key = index->ValueToKey(AnsiString(Name(26)));
  index->LoadKey(key.data(), 26);
  EXPECT_EQ(index->SeekKey(true), 0);
  index->FlushIndex();
  bytes = ReadBytes("insert.ndx");
  const TPage top = PageOf(bytes, false, RootOf(bytes, false, &e), e);
  ASSERT_TRUE(top.Branch) << "a new root over the two halves";
  EXPECT_EQ(top.Count, 1);
  EXPECT_EQ(PageOf(bytes, false, top.Links[0], e).Count + PageOf(bytes, false, top.Links[1], e).Count, 25);
  EXPECT_EQ(Walk(*index).size(), 25u) << "the search itself adds nothing";
}

// A full page of a multiple-tag file has no entry behind its last; one removed from its middle
// leaves one behind, whose link must not make the leaf read as a branch.
TEST_F(IndexPages, RemovingFromAFullLeafKeepsItALeaf) {
  auto index = NamesIndex("full.mdx", 63);
  index->FlushIndex();
  Integer e = 0;
  auto bytes = ReadBytes("full.mdx");
  ASSERT_EQ(PageOf(bytes, true, RootOf(bytes, true, &e), EntryLengthOf(bytes, true)).Count, 63) << "one full leaf";
  Remove(*index, 20, Name(20));
  index->CloseIndex();
  bytes = ReadBytes("full.mdx");
  const TPage leaf = PageOf(bytes, true, RootOf(bytes, true, &e), EntryLengthOf(bytes, true));
  EXPECT_FALSE(leaf.Branch);
  EXPECT_EQ(leaf.Count, 62);
  auto reopened = NewIndex("full.mdx", pfExclusiveOpen);
  std::vector<Integer> want;
  for (Integer k = 1; k <= 63; ++k)
    if (k != 20) want.push_back(k);
  EXPECT_EQ(Walk(*reopened), want);
  EXPECT_EQ(WalkBack(*reopened).size(), 62u);
}

TEST_F(IndexPages, BoundsInTheMiddleOfALeafEndTheSteps) {
  // Record k holds key k. Leaves of a single-key file hold 13 entries as keys come in order, those
  // of a multiple-tag file 32: the bounds fall inside leaves.
  struct TCase {
    const char* File;
    int Keys, Low, High;
  } cases[] = {{"one.ndx", 10, 5, 7}, {"one.mdx", 10, 4, 8}, {"many.ndx", 300, 150, 233}, {"many.mdx", 300, 150, 211}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    auto index = NamesIndex(c.File, c.Keys);
    // Without bounds the first entry is number 1, the place after the last the largest number.
    index->GoFirst();
    EXPECT_EQ(index->SequentialNo(), 0);
    ASSERT_TRUE(index->GoNext());
    EXPECT_EQ(index->SequentialNo(), 1);
    EXPECT_EQ(index->CurrentRecNo(), 1);
    index->GoLast();
    EXPECT_EQ(index->SequentialNo(), INT_MAX);
    auto low = index->ValueToKey(AnsiString(Name(c.Low))), high = index->ValueToKey(AnsiString(Name(c.High)));
    index->SetLowBound(low.data());
    index->GoFirst();
    ASSERT_TRUE(index->GoNext());
    EXPECT_EQ(index->CurrentRecNo(), c.Low);
    EXPECT_FALSE(index->GoPrev()) << "nothing before the first entry in range";
    EXPECT_EQ(index->CurrentRecNo(), -1);
    EXPECT_EQ(index->SequentialNo(), 0);
    ASSERT_TRUE(index->GoNext());
    EXPECT_EQ(index->CurrentRecNo(), c.Low);
    index->SetHighBound(high.data());
    index->GoLast();
    ASSERT_TRUE(index->GoPrev());
    EXPECT_EQ(index->CurrentRecNo(), c.High);
    EXPECT_FALSE(index->GoNext()) << "nothing behind the last entry in range";
    EXPECT_EQ(index->CurrentRecNo(), -1);
    std::vector<Integer> want;
    for (Integer k = c.Low; k <= c.High; ++k) want.push_back(k);
    EXPECT_EQ(Walk(*index), want);
    // Keys added inside and outside the range: the bounds follow their keys.
    Add(*index, c.Keys + 1, Name(c.Low) + "A");
    Add(*index, c.Keys + 2, Name(c.Low - 1) + "Z");
    want.insert(want.begin() + 1, c.Keys + 1);
    EXPECT_EQ(Walk(*index), want);
    index->ClearBounds();
    EXPECT_EQ(Walk(*index).size(), static_cast<size_t>(c.Keys + 2));
    Restart(index);
  }
}

TEST_F(IndexPages, ScrollPositionsGoToTheEntryTheyFallOn) {
  // Sequential numbers count full pages: between two entries' numbers lie gaps where pages are
  // not full. A number in a gap goes on to the next entry, so positions never run backwards.
  struct TCase {
    const char* File;
    int Keys;
    bool EveryNumber;  // else only the numbers next to each entry's
  } cases[] = {{"seq.ndx", 300, true}, {"seq.mdx", 300, true}, {"deep.ndx", 2000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    auto index = NamesIndex(c.File, c.Keys);
    std::vector<Integer> numbers, records;
    index->GoFirst();
    while (index->GoNext()) {
      numbers.push_back(index->SequentialNo());
      records.push_back(index->CurrentRecNo());
    }
    ASSERT_EQ(numbers.size(), static_cast<size_t>(c.Keys));
    ASSERT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(numbers.front(), 1);
    for (size_t i = 0; i < numbers.size(); ++i) {
      const Integer from = i == 0 ? 1 : numbers[i - 1] + 1;
      for (Integer m = from; m <= numbers[i]; ++m) {
        if (!c.EveryNumber && m != from && m != numbers[i]) continue;
        index->SetSequentialNo(m);
        ASSERT_EQ(index->CurrentRecNo(), records[i]) << "number " << m;
      }
    }
    index->SetSequentialNo(numbers.back() + 1);
    EXPECT_EQ(index->CurrentRecNo(), records.back()) << "a number beyond the last entry";
    Restart(index);
  }
}

// A tag that holds two entries of one record side by side: a step goes on to another record.
TEST(IndexChain, StepsPassTheEntriesOfTheRecordTheyStartedOn) {
  TMemPages store;
  TIdxLayout layout;
  layout.PageBytes = 512;
  layout.KeyLength = 4;
  layout.EntryLength = 8;
  layout.MaxEntries = (512 - 8) / 8;
  TIdxTree tree(store, layout, TIdxKeyOrder{});
  tree.MakeEmptyRoot();
  const struct {
    const char* Key;
    LongWord RecNo;
  } entries[] = {{"AAAA", 1}, {"BBBB", 1}, {"CCCC", 2}, {"DDDD", 2}, {"EEEE", 3}};
  for (const auto& e : entries) ASSERT_TRUE(tree.Insert(reinterpret_cast<const Byte*>(e.Key), e.RecNo, false));
  std::vector<Integer> forward, backward;
  tree.GoFirst();
  while (tree.GoNext()) forward.push_back(tree.CurrentRecNo());
  tree.GoLast();
  while (tree.GoPrev()) backward.push_back(tree.CurrentRecNo());
  EXPECT_EQ(forward, (std::vector<Integer>{1, 2, 3}));
  EXPECT_EQ(backward, (std::vector<Integer>{3, 2, 1}));
  // From before the first entry a step takes the first; the record's second entry is passed.
  tree.GoFirst();
  ASSERT_TRUE(tree.GoNext());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(tree.CurrentKey()), 4), "AAAA");
  ASSERT_TRUE(tree.GoNext());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(tree.CurrentKey()), 4), "CCCC");
}

}  // namespace
}  // namespace orv::test
