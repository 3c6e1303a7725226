// Index files and tags: file kinds by extension, header and tag header layouts, numeric key
// coding and order, tag limits and errors, key violations, the locale check at open, malformed
// files, and a table that keeps its production index right through appends and edits.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "dbf/DbfIdxKeys.h"
#include "dbf/DbfIndexDef.h"
#include "dbf/DbfLang.h"
#include "tests/dbf/IndexTestUtil.h"

namespace orv {
namespace {

class IndexFileTest : public test::IndexFixture {};

TIdxKeyOrder Order(TIdxKeyKind kind, Integer length, Cardinal locale = kByteOrderLocale) {
  TIdxKeyOrder order;
  order.Kind = kind;
  order.KeyLength = length;
  order.Locale = locale;
  order.CodePage = 1252;
  return order;
}

TEST(IndexKeys, MdxNumbersEncodeAndOrder) {
  struct TCase {
    double Value;
    std::vector<Byte> Head;
  } cases[] = {
      {0.5, {0x34, 0x09, 0x50}}, {-12, {0x36, 0x91, 0x12}}, {0, {0x34, 0x01, 0x00}},
      {123, {0x37, 0x19, 0x12, 0x30}}, {0.05, {0x33, 0x09, 0x50}}, {1e6, {0x3B, 0x09, 0x10}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    Byte key[12];
    EncodeMdxNumber(c.Value, key);
    for (size_t i = 0; i < c.Head.size(); ++i) EXPECT_EQ(key[i], c.Head[i]) << i;
    for (size_t i = c.Head.size(); i < 12; ++i) EXPECT_EQ(key[i], 0) << i;
    EXPECT_DOUBLE_EQ(DecodeMdxNumber(key), c.Value);
  }
  Byte i12[12], f12[12];
  EncodeMdxInteger(-12, i12);
  EncodeMdxNumber(-12.0, f12);
  EXPECT_EQ(std::memcmp(i12, f12, 12), 0);
  // An integer gives all its digits, its trailing zeros too; the digit count has room for 15.
  struct TIntCase {
    Int64 Value;
    std::vector<Byte> Head;
    double Decoded;
  } ints[] = {
      {100, {0x37, 0x19, 0x10}, 100},
      {-1200, {0x38, 0xA1, 0x12}, -1200},
      {1000000, {0x3B, 0x39, 0x10}, 1e6},
      {1234567890123456789, {0x47, 0x79, 0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x50}, 1.23456789012345e18},
  };
  for (const auto& c : ints) {
    SCOPED_TRACE(c.Value);
    Byte key[12];
    EncodeMdxInteger(c.Value, key);
    for (size_t i = 0; i < c.Head.size(); ++i) EXPECT_EQ(key[i], c.Head[i]) << i;
    EXPECT_DOUBLE_EQ(DecodeMdxNumber(key), c.Decoded);
  }
  // Ascending values give ascending keys in both numeric formats.
  // Integers of more digits than the count holds still order as their values, and sort beside
  // the floating form of the same value.
  TIdxKeyOrder order = Order(ikMdxNumeric, 12);
  const Int64 big[] = {-1000000000000000000, -100, 0, 99, 100, 101, 1000000000000000, 999999999999999999,
                       1000000000000000000};
  for (size_t i = 0; i + 1 < std::size(big); ++i) {
    Byte a[12], b[12];
    EncodeMdxInteger(big[i], a);
    EncodeMdxInteger(big[i + 1], b);
    EXPECT_LT(order.Compare(a, b), 0) << big[i] << " < " << big[i + 1];
  }
  Byte hundred[12], hundredFloat[12];
  EncodeMdxInteger(100, hundred);
  EncodeMdxNumber(100.0, hundredFloat);
  EXPECT_EQ(order.Compare(hundred, hundredFloat), 0);
  const double sorted[] = {-1e9, -12.5, -12, -0.5, -0.001, 0, 0.001, 0.5, 1, 9.99, 10, 12, 123456789, 1e15};
  TIdxKeyOrder mdx = Order(ikMdxNumeric, 12);
  TIdxKeyOrder ndx = Order(ikNdxNumeric, 8);
  for (size_t i = 0; i + 1 < std::size(sorted); ++i) {
    Byte a[12], b[12];
    EncodeMdxNumber(sorted[i], a);
    EncodeMdxNumber(sorted[i + 1], b);
    EXPECT_LT(mdx.Compare(a, b), 0) << sorted[i] << " < " << sorted[i + 1];
    EXPECT_GT(mdx.Compare(b, a), 0);
    EXPECT_EQ(mdx.Compare(a, a), 0);
    EncodeNdxNumber(sorted[i], a);
    EncodeNdxNumber(sorted[i + 1], b);
    EXPECT_LT(ndx.Compare(a, b), 0);
  }
}

TEST(IndexKeys, CharacterOrderByBytesAndByLocale) {
  TIdxKeyOrder bytes = Order(ikCharacter, 6);
  // A zero byte in both ends the comparison.
  EXPECT_EQ(bytes.Compare(reinterpret_cast<const Byte*>("AB\0XYZ"), reinterpret_cast<const Byte*>("AB\0QRS")), 0);
  EXPECT_LT(bytes.Compare(reinterpret_cast<const Byte*>("AB\0XYZ"), reinterpret_cast<const Byte*>("ABC   ")), 0);
  EXPECT_GT(bytes.Compare(reinterpret_cast<const Byte*>("\xE9     "), reinterpret_cast<const Byte*>("Z     ")), 0);
  TIdxKeyOrder down = bytes;
  down.Descending = true;
  EXPECT_GT(down.Compare(reinterpret_cast<const Byte*>("A     "), reinterpret_cast<const Byte*>("B     ")), 0);
  // By locale: the same order every time, accents next to their letter, punctuation shifted.
  TIdxKeyOrder us = Order(ikCharacter, 12, 0x0409);
  const char* sorted[] = {"apple       ", "\xE9tude       ", "Meyerhof    ", "Meyer-Lansky", "O'Brien     ", "Obrist      "};
  for (int round = 0; round < 3; ++round)
    for (size_t i = 0; i + 1 < std::size(sorted); ++i)
      EXPECT_LT(us.Compare(reinterpret_cast<const Byte*>(sorted[i]), reinterpret_cast<const Byte*>(sorted[i + 1])), 0)
          << sorted[i] << " / " << sorted[i + 1];
}

TEST_F(IndexFileTest, KindByExtensionAndHeaderLayouts) {
  MakeTable();
  struct TCase {
    const char* File;
    int Level;
    Byte Version;
    bool Mdx;
  } cases[] = {{"names.Mdx", kLevelDbase4, 3, true}, {"names.IDX", kLevelDbase4, 2, false},
               {"fox.mdx", kLevelFoxPro, 5, true}, {"seven.mdx", kLevelDbase7, 6, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    Table->SetTableLevelCode(c.Level);
    auto index = NewIndex(c.File);
    EXPECT_EQ(index->Version(), c.Version);
    EXPECT_EQ(index->IsMdx(), c.Mdx);
    index->CreateTag("byname", "NAME", ixPrimary | ixUnique);
    index->CreateTag("ByNum", "NUM", ixDescending);
    index->CloseIndex();
    auto bytes = ReadBytes(c.File);
    if (!c.Mdx) {
      ASSERT_GE(bytes.size(), 1024u);
      EXPECT_EQ(GetLE16(&bytes[12]), 8);  // the second tag replaced the first: numeric key
      EXPECT_EQ(bytes[9], 'N');
      EXPECT_EQ(GetLE16(&bytes[16]), 1);
      EXPECT_EQ(bytes[11], 0x58);
      EXPECT_EQ(GetLE16(&bytes[18]), 16);
      EXPECT_EQ(GetLE16(&bytes[14]), 31);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[24])), "NUM");
      continue;
    }
    ASSERT_GE(bytes.size(), 2048u + 512u);
    EXPECT_EQ(bytes[0], c.Version == 6 ? 3 : 2);
    EXPECT_EQ(GetLE16(&bytes[22]), 1024);
    EXPECT_EQ(GetLE16(&bytes[28]), 2);
    const Integer stride = bytes[26];
    EXPECT_LE(512 + stride * (bytes[25]), 2048);
    const Byte* d0 = &bytes[static_cast<size_t>(512 + stride)];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d0 + 4)), "BYNAME");
    const Byte* d1 = d0 + stride;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d1 + 4)), "BYNUM");
    EXPECT_EQ(d1[c.Version == 6 ? 42 : 20], 'N');
    const Byte* tag = &bytes[static_cast<size_t>(GetLE32(d0)) * 512];
    EXPECT_EQ(tag[8], 0x70);  // distinct: 0x20 + 0x40, character 0x10
    EXPECT_EQ(tag[23], '!');
    EXPECT_EQ(GetLE16(tag + 12), 10);
    EXPECT_EQ(GetLE16(tag + 18), 16);
    EXPECT_EQ(GetLE16(tag + 14), 63);
    // Reopened in the layout it was written in.
    auto again = NewIndex(c.File, pfExclusiveOpen);
    // A new file of a FoxPro table is written in the dBASE IV layout and reads back as such.
    EXPECT_EQ(again->Version(), c.Version == 5 ? 3 : c.Version);
    EXPECT_EQ(again->TagNames(), (std::vector<AnsiString>{"BYNAME", "BYNUM"}));
    again->SelectTagByName("bynum");
    EXPECT_TRUE(again->Descending());
    EXPECT_EQ(again->KeyType(), 'N');
    EXPECT_EQ(again->KeyLength(), 12);
    TDbfIndexDef def(nullptr);
    again->TagInfo("BYNAME", def);
    EXPECT_EQ(def.Options(), ixExpression | ixPrimary);
    EXPECT_EQ(def.SortField(), "NAME");
    EXPECT_TRUE(def.FromIndexFile());
    EXPECT_EQ(again->IndexName(), "BYNUM");
  }
}

TEST_F(IndexFileTest, TagErrorsAndLimits) {
  MakeTable();
  auto index = NewIndex("limits.mdx");
  for (const char* expr : {"BORN", "NAME = 'X'"}) {
    try {
      index->CreateTag("BAD", expr, 0);
      FAIL() << expr;
    } catch (const EDbfError& e) {
      EXPECT_STREQ(e.what(), "Invalid index type: can only be string or float.");
    }
  }
  EXPECT_EQ(index->TagCount(), 0);
  for (int i = 0; i < 47; ++i) index->CreateTag("T" + std::to_string(i), "NAME", 0);
  try {
    index->CreateTag("T47", "NAME", 0);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Can not create index: too many indexes in file.");
  }
  EXPECT_EQ(index->TagCount(), 47);
  index->DeleteTag("t20");
  auto names = index->TagNames();
  ASSERT_EQ(names.size(), 46u);
  EXPECT_EQ(names[19], "T19");
  EXPECT_EQ(names[20], "T21");
  EXPECT_EQ(names[45], "T46");
  index->CloseIndex();
  auto again = NewIndex("limits.mdx", pfExclusiveOpen);
  EXPECT_EQ(again->TagNames(), names);
  // A shared table refuses tag changes.
  again->CloseIndex();
  Table.reset();
  Table = Open("people.dbf", pfReadWriteOpen);
  auto shared = NewIndex("limits.mdx", pfReadWriteOpen);
  try {
    shared->CreateTag("X", "NAME", 0);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Exclusive access is required for this operation.");
  }
}

TEST_F(IndexFileTest, DistinctTagRefusesAndUniqueTagSkips) {
  MakeTable();
  auto index = NewIndex("keys.mdx");
  index->CreateTag("PRIME", "NAME", ixPrimary);
  index->CreateTag("UNIQ", "AMT", ixUnique);
  index->CreateTag("ALL", "NUM", 0);
  auto a = Record("SMITH", 1, 2.5), b = Record("JONES", 2, 2.5), c = Record("SMITH", 3, 7);
  Store(1, a);
  Store(2, b);
  // CanInsertKeys answers whether the record would violate a key.
  ASSERT_FALSE(index->CanInsertKeys(1, a.data()));
  ASSERT_TRUE(index->InsertKeys(1, a.data()));
  ASSERT_FALSE(index->CanInsertKeys(2, b.data()));
  ASSERT_TRUE(index->InsertKeys(2, b.data()));
  EXPECT_TRUE(index->CanInsertKeys(3, c.data())) << "a second SMITH violates the distinct tag";
  try {
    index->RaiseKeyViolation();
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Key violation. (Key already present in file).\r\nIndex: PRIME\r\nRecord=1 Key='SMITH'.");
  }
  index->SelectTagByName("UNIQ");
  EXPECT_EQ(Walk(*index), std::vector<Integer>{1});
  // Removing record 2 from the unique tag must not take record 1's entry with it.
  ASSERT_TRUE(index->RemoveKeys(2, b.data()));
  EXPECT_EQ(Walk(*index), std::vector<Integer>{1});
  index->SelectTagByName("ALL");
  EXPECT_EQ(Walk(*index), std::vector<Integer>{1});
  // Marking deleted takes the key from distinct tags only.
  ASSERT_TRUE(index->RemoveDistinctKeys(1, a.data()));
  EXPECT_EQ(Walk(*index), std::vector<Integer>{1});
  index->SelectTagByName("PRIME");
  EXPECT_TRUE(Walk(*index).empty());
  EXPECT_FALSE(index->CanInsertKeys(3, c.data()));
}

TEST_F(IndexFileTest, LocaleCheckAtOpen) {
  MakeTable();
  {
    auto index = NewIndex("loc.mdx");
    index->CreateTag("NAMES", "NAME", 0);
  }
  // The index claims another language driver than the table's.
  auto bytes = ReadBytes("loc.mdx");
  const Byte tableDriver = Table->LanguageDriver();
  bytes[31] = tableDriver == 0x57 ? 0x02 : 0x57;
  WriteBytes("loc.mdx", bytes);
  struct TCase {
    Cardinal Solution;
    bool Unusable;
    bool Frozen;
    Cardinal Locale;
  } cases[] = {{0, true, false, 0}, {1, false, true, 0}, {0x0409, false, false, 0x0409}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Solution);
    auto index = std::make_unique<TIndexFile>(*Table, Path("loc.mdx"));
    index->SetMode(pfExclusiveOpen);
    int seen = -1;
    index->OnLocaleError = [&](int error, Cardinal& solution) {
      seen = error;
      solution = c.Solution;
    };
    index->OpenIndex();
    EXPECT_EQ(seen, tableDriver == 0 ? -1 : 2);
    if (tableDriver == 0) continue;
    EXPECT_EQ(index->Unusable(), c.Unusable);
    EXPECT_EQ(index->KeysFrozen(), c.Frozen);
    if (c.Locale) {
      EXPECT_EQ(index->Locale(), c.Locale);
    }
    if (c.Frozen) {
      auto rec = Record("NEW", 1);
      EXPECT_TRUE(index->CanInsertKeys(1, rec.data())) << "frozen keys refuse every record";
    }
  }
}

TEST_F(IndexFileTest, MalformedFilesAreDroppedOrRefused) {
  MakeTable();
  {
    auto index = NewIndex("bad.mdx");
    index->CreateTag("NAMES", "NAME", 0);
    index->CreateTag("NUMS", "NUM", 0);
    for (Integer r = 1; r <= 200; ++r) {
      auto rec = Record("N" + std::to_string(r), r);
      Store(r, rec);
      ASSERT_TRUE(index->InsertKeys(r, rec.data()));
    }
  }
  const auto good = ReadBytes("bad.mdx");
  const size_t tagPage = GetLE32(&good[512 + 32]) * 512u;
  const size_t rootPage = GetLE32(&good[tagPage]) * 512u;
  const size_t numTagPage = GetLE32(&good[512 + 64]) * 512u;
  struct TCase {
    const char* What;
    size_t Offset;
    std::vector<Byte> Bytes;
    bool Unusable;
  } cases[] = {
      {"tag count past the header", 28, {200, 0}, true},
      {"descriptor stride too short", 26, {7}, true},
      {"tag header beyond the file", 512 + 32, {0xFF, 0xFF, 0xFF, 0x00}, true},
      {"tag header inside the file header", 512 + 32, {1, 0, 0, 0}, true},
      {"root entry count beyond the page", rootPage, {0xFF, 0xFF, 0, 0}, false},
      {"child link outside the file", rootPage + 8, {0xF0, 0xFF, 0xFF, 0x0F}, false},
      {"root loops to itself", rootPage + 8, {Byte(rootPage / 512), Byte(rootPage / 512 >> 8), 0, 0}, false},
      {"key length beyond 100", tagPage + 12, {0xFF, 0x7F}, false},
      {"numeric key shorter than a number", numTagPage + 12, {4, 0}, false},
      {"numeric key longer than a number", numTagPage + 12, {40, 0}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    auto bytes = good;
    std::copy(c.Bytes.begin(), c.Bytes.end(), bytes.begin() + static_cast<long>(c.Offset));
    WriteBytes("bad.mdx", bytes);
    auto index = NewIndex("bad.mdx", pfExclusiveOpen);
    EXPECT_EQ(index->Unusable(), c.Unusable);
    if (c.Unusable) continue;
    // Walks and key changes fail cleanly or work; none reads past a page.
    try {
      Walk(*index);
      WalkBack(*index);
    } catch (const EDbfError&) {
    }
    auto rec = Record("ZZ", 201);
    index->InsertKeys(201, rec.data());
    index->RemoveKeys(201, rec.data());
    index->ResetIndexWriteError();
  }
}

TEST_F(IndexFileTest, TableKeepsProductionIndexThroughEdits) {
  MakeTable();
  ASSERT_TRUE(Table->AddIndex("NAME", "NAME", 0, true));
  ASSERT_TRUE(Table->AddIndex("NUM", "NUM", ixPrimary, true));
  Table.reset();
  Table = Open("people.dbf", pfReadWriteOpen);
  ASSERT_NE(Table->ProductionIndex(), nullptr);
  const char* names[] = {"MEYER", "ADAMS", "ZORN", "BAKER", "MEYER"};
  for (Integer i = 0; i < 5; ++i) {
    auto rec = Record(names[i], 10 - i);
    EXPECT_EQ(Table->InsertRecord(rec.data()), i + 1);
  }
  // A second record with NUM 6 breaks the distinct tag.
  auto dup = Record("DUP", 6);
  try {
    Table->InsertRecord(dup.data());
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_NE(std::string(e.what()).find("Index: NUM\r\nRecord=5 Key='6'."), std::string::npos) << e.what();
  }
  // Edit record 3: ZORN becomes AARON.
  std::vector<Byte> buf(static_cast<size_t>(Table->RecordSize()));
  Table->LockRecord(3, buf.data());
  auto edited = Record("AARON", 8);
  Table->UnlockRecord(3, edited.data());
  auto* index = dynamic_cast<TIndexFile*>(Table->ProductionIndex());
  ASSERT_NE(index, nullptr);
  index->SelectTagByName("NAME");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{3, 2, 4, 1, 5}));
  index->SelectTagByName("NUM");
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{5, 4, 3, 2, 1}));
  auto key = index->ValueToKey(8.0);
  EXPECT_TRUE(index->FindByKey(key.data(), 0));
  EXPECT_EQ(index->CurrentRecNo(), 3);
}

TEST(IndexDefs, NamesAreTrimmedAndUpperCased) {
  TDbfIndexDef def(nullptr);
  def.SetIndexFile("  name.mdx ");
  def.SetSortField(" upper(last)  ");
  EXPECT_EQ(def.IndexFile(), "NAME.MDX");
  EXPECT_EQ(def.SortField(), "UPPER(LAST)");
  EXPECT_FALSE(def.FromIndexFile());
  TDbfIndexDef copy(nullptr);
  copy.SetOptions(ixDescending);
  def.SetOptions(ixUnique);
  copy.CopyFrom(&def);
  EXPECT_EQ(copy.IndexFile(), "NAME.MDX");
  EXPECT_EQ(copy.Options(), ixUnique);
  EXPECT_TRUE(LCIDList().Contains(0x0409));
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST_F(IndexFileTest, SearchKeysTakeTheTablesCodePage) {
  MakeTable();
  Byte driver = 0;
  for (int b = 1; b < 256 && driver == 0; ++b)
    if (CodePageOfDriver(static_cast<Byte>(b)) == 850 && !IsFoxProDriver(static_cast<Byte>(b))) driver = static_cast<Byte>(b);
  ASSERT_NE(driver, 0);
  Table.reset();
  auto bytes = ReadBytes("people.dbf");
  bytes[29] = driver;
  WriteBytes("people.dbf", bytes);
  Table = Open("people.dbf", pfExclusiveOpen);
  ASSERT_EQ(Table->UseCodePage(), 850u);
  auto index = NewIndex("cp.mdx");
  index->CreateTag("NAME", "NAME", 0);
  // The ANSI text of E acute becomes the code page 850 byte the stored keys hold.
  auto key = index->ValueToKey(AnsiString("\xC9T\xC9"));
  EXPECT_EQ(key[0], 0x90);
  EXPECT_EQ(key[1], 'T');
  EXPECT_EQ(key[2], 0x90);
  EXPECT_EQ(key[3], ' ');
  std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
  Table->BlankRecord(rec.data());
  std::memcpy(rec.data() + 1, "\x90T\x90", 3);
  Table->WriteRecord(1, rec.data());
  ASSERT_TRUE(index->InsertKeys(1, rec.data()));
  EXPECT_TRUE(index->FindByKey(key.data(), 0));
  // Outside the entries the current key is a zero-filled full key.
  index->GoFirst();
  const Byte* k = index->CurrentKey();
  for (Integer i = 0; i < index->KeyLength(); ++i) EXPECT_EQ(k[i], 0) << i;
  index->GoLast();
  k = index->CurrentKey();
  for (Integer i = 0; i < index->KeyLength(); ++i) EXPECT_EQ(k[i], 0) << i;
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST_F(IndexFileTest, NewerLayoutWithTheOlderStrideIsRead) {
  MakeTable(kLevelDbase7, "seven.dbf");
  {
    auto index = NewIndex("seven.mdx");
    ASSERT_EQ(index->MaxTags(), 34);
    index->CreateTag("LONG_TAG_NAME_OF_TWENTY", "NAME", 0);
    auto rec = Record("ONLY", 1);
    Store(1, rec);
    ASSERT_TRUE(index->InsertKeys(1, rec.data()));
  }
  auto bytes = ReadBytes("seven.mdx");
  ASSERT_EQ(bytes[26], 43);
  std::vector<Byte> descriptor(bytes.begin() + 512 + 43, bytes.begin() + 512 + 86);
  std::fill(bytes.begin() + 512, bytes.begin() + 2048, Byte{0});
  bytes[529] = 1;
  std::copy(descriptor.begin(), descriptor.end(), bytes.begin() + 512 + 32);
  bytes[26] = 32;
  WriteBytes("seven.mdx", bytes);
  auto index = NewIndex("seven.mdx", pfExclusiveOpen);
  ASSERT_FALSE(index->Unusable());
  EXPECT_EQ(index->Version(), 6);
  EXPECT_EQ(index->MaxTags(), 47);
  // The name is read within the 32-byte stride.
  EXPECT_EQ(index->TagNames(), std::vector<AnsiString>{"LONG_TAG_NAME_OF_TWENTY"});
  EXPECT_EQ(Walk(*index), std::vector<Integer>{1});
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

TEST_F(IndexFileTest, ResetGivesTagsNewEmptyTrees) {
  MakeTable();
  auto index = NewIndex("reset.mdx");
  index->CreateTag("NAME", "NAME", 0);
  index->CreateTag("NUM", "NUM", 0);
  for (Integer r = 1; r <= 120; ++r) {
    auto rec = Record("R" + std::to_string(r), r);
    Store(r, rec);
    ASSERT_TRUE(index->InsertKeys(r, rec.data()));
  }
  index->SelectTagByName("NAME");
  index->ResetTag();
  EXPECT_TRUE(Walk(*index).empty());
  index->SelectTagByName("NUM");
  EXPECT_EQ(Walk(*index).size(), 120u);
  // Refilling one tag alone leaves the other as it is.
  index->SelectTagByName("NAME");
  index->SetCurrentTagOnly(true);
  for (Integer r = 1; r <= 120; ++r) {
    std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
    Table->ReadRecord(r, rec.data());
    ASSERT_TRUE(index->InsertKeys(r, rec.data()));
  }
  index->SetCurrentTagOnly(false);
  EXPECT_EQ(Walk(*index).size(), 120u);
  index->SelectTagByName("NUM");
  EXPECT_EQ(Walk(*index).size(), 120u);
  index->ResetAllTags();
  index->CloseIndex();
  auto again = NewIndex("reset.mdx", pfExclusiveOpen);
  for (const char* tag : {"NAME", "NUM"}) {
    again->SelectTagByName(tag);
    EXPECT_TRUE(Walk(*again).empty()) << tag;
  }
}

// Integer keys written with their trailing zeros left out (100 as the one digit 1, as files made
// before hold them) still order, find and change as the keys written now.
TEST_F(IndexFileTest, IntegerKeysOfTheShorterFormStillReadAndFind) {
  MakeTable();
  const Integer nums[] = {100, 5, 2000, 30};
  {
    auto index = NewIndex("num.mdx");
    index->CreateTag("NUM", "NUM", 0);
    for (Integer r = 1; r <= 4; ++r) {
      auto rec = Record("R", nums[r - 1]);
      Store(r, rec);
      ASSERT_TRUE(index->InsertKeys(r, rec.data()));
    }
  }
  auto bytes = ReadBytes("num.mdx");
  int rewritten = 0;
  for (Integer v : nums) {
    Byte key[12];
    EncodeMdxInteger(v, key);
    auto at = std::search(bytes.begin(), bytes.end(), key, key + 12);
    ASSERT_NE(at, bytes.end()) << v;
    if (at[1] != 0x09) ++rewritten;
    at[1] = 0x09;  // one significant digit
  }
  ASSERT_EQ(rewritten, 3);
  WriteBytes("num.mdx", bytes);
  auto index = NewIndex("num.mdx", pfExclusiveOpen);
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{2, 4, 1, 3}));
  for (Integer r = 1; r <= 4; ++r) {
    EXPECT_TRUE(index->GotoRecord(r)) << r;
    EXPECT_TRUE(index->FindByKey(index->ValueToKey(static_cast<double>(nums[r - 1])).data(), 0)) << r;
    EXPECT_EQ(index->CurrentRecNo(), r);
  }
  // Changing and removing keys finds the old entries: none is left behind.
  auto was = Record("R", 100), now = Record("R", 7);
  Store(1, now);
  ASSERT_TRUE(index->UpdateKeys(1, was.data(), now.data()));
  auto thirty = Record("R", 30);
  ASSERT_TRUE(index->RemoveKeys(4, thirty.data()));
  EXPECT_EQ(Walk(*index), (std::vector<Integer>{2, 1, 3}));
}

// WriteHeader of an .mdx writes the current tag's header, not the file header: at once when the
// file is shared, at the next FlushIndex otherwise.
TEST_F(IndexFileTest, WriteHeaderWritesTheCurrentTagHeader) {
  MakeTable();
  Int64 tagAt = 0;
  {
    auto index = NewIndex("hdr.mdx");
    index->CreateTag("NAME", "NAME", 0);
    index->CreateTag("NUM", "NUM", 0);
    const auto bytes = ReadBytes("hdr.mdx");
    tagAt = static_cast<Int64>(GetLE32(&bytes[512 + 2 * 32])) * 512;
  }
  // Spoils the NUM tag's key flags and the file header's date on the disk, under the open file.
  auto spoil = [&] {
    auto bytes = ReadBytes("hdr.mdx");
    bytes[static_cast<size_t>(tagAt) + 8] = 0xEE;
    bytes[44] = 0xEE;
    WriteBytes("hdr.mdx", bytes);
  };
  for (TPagedFileMode mode : {pfExclusiveOpen, pfReadWriteOpen}) {
    SCOPED_TRACE(mode == pfExclusiveOpen ? "exclusive" : "shared");
    auto index = NewIndex("hdr.mdx", mode);
    index->SelectTagByName("NUM");
    spoil();
    index->WriteHeader();
    const bool shared = mode == pfReadWriteOpen;
    EXPECT_EQ(ReadBytes("hdr.mdx")[static_cast<size_t>(tagAt) + 8], shared ? 0x00 : 0xEE);
    index->FlushIndex();
    const auto after = ReadBytes("hdr.mdx");
    EXPECT_EQ(after[static_cast<size_t>(tagAt) + 8], 0x00) << "the tag header is written";
    EXPECT_EQ(after[44], 0xEE) << "the file header is not";
    index->CloseIndex();
    auto bytes = ReadBytes("hdr.mdx");
    bytes[44] = 0;
    WriteBytes("hdr.mdx", bytes);
  }
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// Without a handler for the locale question the answer is 0: the index is not used, and a table
// asked to add it gets nothing.
TEST_F(IndexFileTest, ALocaleQuestionWithoutHandlerDropsTheFile) {
  MakeTable();
  const Byte tableDriver = Table->LanguageDriver();
  if (tableDriver == 0) GTEST_SKIP() << "the table has no language driver to differ from";
  {
    auto index = NewIndex("nohook.mdx");
    index->CreateTag("NAMES", "NAME", 0);
  }
  auto bytes = ReadBytes("nohook.mdx");
  bytes[31] = tableDriver == 0x57 ? 0x02 : 0x57;
  WriteBytes("nohook.mdx", bytes);
  auto index = NewIndex("nohook.mdx", pfExclusiveOpen);
  EXPECT_TRUE(index->Unusable());
  EXPECT_EQ(index->TagCount(), 0);
  index.reset();
  EXPECT_FALSE(Table->AddIndex(Path("nohook.mdx"), "", 0, false));
  EXPECT_EQ(Table->IndexFileByName(Path("nohook.mdx")), nullptr);
  EXPECT_EQ(ReadBytes("nohook.mdx"), bytes) << "the file stays as it was";
}

}  // namespace
}  // namespace orv
