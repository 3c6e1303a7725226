// The record array's cursor rules and the length-prefixed strings of the record files.
#include "app/Tervan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/Streams.h"

namespace orv {
namespace {

struct TRec {
  Integer Value;
  AnsiString Text;
};

std::vector<Integer> Walk(TDynaArray<TRec>& a, TRec*& cursor) {
  std::vector<Integer> seen;
  a.First();
  while (a.Next()) seen.push_back(cursor->Value);
  return seen;
}

TDynaArray<TRec>* Fill(TDynaArray<TRec>& a, std::initializer_list<Integer> values) {
  for (Integer v : values) a.Append()->Value = v;
  return &a;
}

TEST(DynaArrayTest, DeleteAndWalkCases) {
  struct Case {
    std::initializer_list<Integer> start;
    Integer deleteIndex;
    std::vector<Integer> after;
  };
  const Case cases[] = {
      {{1, 2, 3}, 1, {1, 3}},     // middle: order kept
      {{1, 2, 3}, 2, {1, 2}},     // last
      {{1, 2, 3}, 0, {2, 3}},     // first
      {{1, 2, 3}, -1, {1, 2, 3}}, // before the first: ignored
      {{1, 2, 3}, 3, {1, 2, 3}},  // index == count: ignored
      {{7}, 0, {}},               // the only one
  };
  for (const Case& c : cases) {
    TRec* cursor = nullptr;
    TDynaArray<TRec> a(&cursor);
    Fill(a, c.start);
    a.Delete(c.deleteIndex);
    EXPECT_EQ(Walk(a, cursor), c.after) << "deleting index " << c.deleteIndex;
  }
}

TEST(DynaArrayTest, CursorAndPointerVariable) {
  TRec* cursor = reinterpret_cast<TRec*>(1);
  TDynaArray<TRec> a(&cursor);
  EXPECT_FALSE(a.Next()) << "Next on an empty array";
  a.First();
  EXPECT_EQ(cursor, reinterpret_cast<TRec*>(1)) << "First on an empty array leaves the cursor";

  TRec* added = a.Append();
  EXPECT_EQ(cursor, added) << "Append makes the new element current";
  EXPECT_EQ(added->Value, 0) << "new elements are zero-filled";
  EXPECT_TRUE(added->Text.empty());
  a.Append()->Value = 5;
  EXPECT_EQ(a.Index(), 1);
  EXPECT_EQ(a.Select(0), cursor);
  a.Delete(0);
  EXPECT_EQ(cursor, nullptr) << "Delete clears the pointer variable";
  EXPECT_EQ(a.Index(), -1);
  EXPECT_FALSE(a.Next()) << "no walk without First after a Delete";
}

TEST(DynaArrayTest, ArrayWithoutPointerVariableReadsItsOwnCursor) {
  // A record that holds its own sub-array (a mail and its attachments) moves when the outer array
  // grows; the sub-array's cursor must stay right across those moves.
  struct TOuter {
    std::unique_ptr<TDynaArray<TRec>> Inner;
  };
  TOuter* outerCursor = nullptr;
  TDynaArray<TOuter> outer(&outerCursor);
  for (int i = 0; i < 20; ++i) {
    TOuter* o = outer.Append();
    o->Inner = std::make_unique<TDynaArray<TRec>>();
    o->Inner->Append()->Value = i;
    o->Inner->Append()->Value = i + 100;
  }
  for (int i = 0; i < 20; ++i) {
    TDynaArray<TRec>& inner = *outer[i].Inner;
    std::vector<Integer> seen;
    inner.First();
    while (inner.Next()) seen.push_back(inner.Current()->Value);
    EXPECT_EQ(seen, (std::vector<Integer>{i, i + 100}));
  }
}

TEST(RecordFileStringsTest, ShortAndLongPrefixes) {
  struct Case {
    AnsiString text;
    bool isShort;
    std::string expected;
  };
  const Case cases[] = {
      {"", true, std::string(1, '\0')},
      {"", false, std::string(4, '\0')},
      {"ab", true, std::string("\x02" "ab", 3)},
      {"ab", false, std::string("\x02\0\0\0" "ab", 6)},
      {std::string(255, 'x'), true, "\xFF" + std::string(255, 'x')},
      {std::string(300, 'y'), false, std::string("\x2C\x01\0\0", 4) + std::string(300, 'y')},
  };
  for (const Case& c : cases) {
    TMemoryStream m;
    if (c.isShort) WriteShortStr(m, c.text); else WriteLongStr(m, c.text);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), m.Size()), c.expected);
    m.SetPosition(0);
    EXPECT_EQ(c.isShort ? ReadShortStr(m) : ReadLongStr(m), c.text);
  }
}

TEST(RecordFileStringsTest, ShortStringOver255BytesIsRefusedBeforeWriting) {
  TMemoryStream m;
  EXPECT_THROW(WriteShortStr(m, std::string(256, 'z')), EInOutError);
  EXPECT_EQ(m.Size(), 0) << "nothing may be written behind a wrapped length";
}

TEST(RecordFileStringsTest, CutShortAndImpossibleLengthsAreErrors) {
  const std::string damaged[] = {
      std::string("\x05" "abc", 4),                 // short: 5 announced, 3 there
      std::string("\x05\0\0\0" "abc", 7),           // long: 5 announced, 3 there
      std::string("\xFF\xFF\xFF\xFF", 4),           // long: negative length
      std::string("\xFF\xFF\xFF\x7F" "a", 5),       // long: 2 GB announced in a 5-byte file
      std::string("\x01\0", 2),                     // long: the length itself cut short
  };
  for (std::size_t i = 0; i < std::size(damaged); ++i) {
    TStringStream s(damaged[i]);
    if (i == 0)
      EXPECT_THROW(ReadShortStr(s), EInOutError) << "case " << i;
    else
      EXPECT_THROW(ReadLongStr(s), EInOutError) << "case " << i;
  }
  TMemoryStream empty;
  EXPECT_THROW(ReadShortStr(empty), EInOutError) << "nothing at all to read";
}

}  // namespace
}  // namespace orv
