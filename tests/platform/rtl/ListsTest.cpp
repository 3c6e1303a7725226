// String lists (text, comma text, sorting, duplicates, objects) and pointer lists.
#include <gtest/gtest.h>

#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"

namespace orv {
namespace {

std::vector<AnsiString> Items(const TStringList& l) {
  std::vector<AnsiString> v;
  for (Integer i = 0; i < l.Count(); ++i) v.push_back(l.Get(i));
  return v;
}

using Strings = std::vector<AnsiString>;

TEST(StringList, TextSplitsAtAnyLineBreakAndJoinsWithCrLf) {
  const std::pair<std::string_view, Strings> cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\n", {""}},
      {"a\n\r", {"a", ""}},   // LF then CR: two breaks
  };
  for (const auto& [text, expected] : cases) {
    TStringList l;
    l.SetText(text);
    EXPECT_EQ(Items(l), expected) << text;
  }
  TStringList l;
  l.SetText("x\ny");
  EXPECT_EQ(l.Text(), "x\r\ny\r\n");
}

TEST(StringList, CommaTextBothWays) {
  struct Case { Strings Items; AnsiString Comma; };
  const Case cases[] = {
      {{"a", "b", "c"}, "a,b,c"},
      {{"with blank", "x"}, "\"with blank\",x"},
      {{"a,b", "say \"hi\""}, "\"a,b\",\"say \"\"hi\"\"\""},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a,,b"},
      {{"", "a"}, ",a"},
      {{"a", ""}, "a,\"\""},   // a bare trailing comma would lose the empty item
      {{"tab\there"}, "\"tab\there\""},
      {{}, ""},
  };
  for (const auto& c : cases) {
    TStringList l;
    for (const auto& s : c.Items) l.Add(s);
    EXPECT_EQ(l.CommaText(), c.Comma);
    TStringList back;
    back.SetCommaText(c.Comma);
    EXPECT_EQ(Items(back), c.Items) << c.Comma;
  }
  // Blanks separate like commas; blanks around commas go; an unclosed quote runs to the end.
  const std::pair<std::string_view, Strings> parses[] = {
      {"a b  c", {"a", "b", "c"}},
      {" a , b ,c ", {"a", "b", "c"}},
      {"\"x y\"z", {"x y", "z"}},
      {"a,", {"a"}},
      {"\"open, quote", {"open, quote"}},
      {",a", {"", "a"}},
  };
  for (const auto& [text, expected] : parses) {
    TStringList l;
    l.SetCommaText(text);
    EXPECT_EQ(Items(l), expected) << text;
  }
}

TEST(StringList, SortedWithDuplicates) {
  TStringList l;
  l.Add("pear");
  l.Add("Apple");
  l.Add("fig");
  l.SetSorted(true);
  EXPECT_EQ(Items(l), (Strings{"Apple", "fig", "pear"}));
  EXPECT_EQ(l.Add("apple"), 0);   // ignored: equal without regard to a-z case
  EXPECT_EQ(l.Count(), 3);
  Integer index = -1;
  EXPECT_TRUE(l.Find("FIG", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(l.Find("grape", index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(l.IndexOf("PEAR"), 2);
  l.SetDuplicates(dupError);
  try {
    l.Add("Pear");
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  l.SetDuplicates(dupAccept);
  int dummy;
  l.AddObject("fig", &dummy);
  EXPECT_EQ(Items(l), (Strings{"Apple", "fig", "fig", "pear"}));
  EXPECT_TRUE(l.Find("fig", index));
  EXPECT_EQ(index, 1);   // the first of equal items
  EXPECT_EQ(l.GetObject(1), &dummy);
  EXPECT_THROW(l.Insert(0, "x"), EListError);
  EXPECT_THROW(l.Put(0, "x"), EListError);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("apple"), -1);
}

TEST(StringList, ObjectsNamesValuesAndErrors) {
  TStringList l;
  int a = 1, b = 2;
  l.AddObject("one=1", &a);
  l.AddObject("Two=2", &b);
  l.Add("plain");
  l.Exchange(0, 1);
  EXPECT_EQ(l.GetObject(0), &b);
  EXPECT_EQ(l.Names(0), "Two");
  EXPECT_EQ(l.Names(2), "");
  EXPECT_EQ(l.Values("ONE"), "1");
  EXPECT_EQ(l.Values("three"), "");
  try {
    l.Get(3);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
  EXPECT_THROW(l.Delete(-1), EListError);
  EXPECT_THROW(l.Insert(4, "x"), EListError);
  l.Insert(3, "end");
  EXPECT_EQ(l.Get(3), "end");
}

TEST(StringList, ChangeIsReportedOncePerBulkOperation) {
  TStringList l;
  int changes = 0;
  l.OnChange = [&] { ++changes; };
  l.SetText("a\nb\nc");
  EXPECT_EQ(changes, 1);
  l.SetCommaText("x,y");
  EXPECT_EQ(changes, 2);
  l.Add("z");
  l.Delete(0);
  EXPECT_EQ(changes, 4);
}

TEST(StringList, CustomSortAndStreams) {
  TStringList l;
  l.SetCommaText("10,9,100,1");
  l.CustomSort([](const TStringList& list, Integer i, Integer j) {
    return std::stoi(list.Get(i)) - std::stoi(list.Get(j));
  });
  EXPECT_EQ(l.CommaText(), "1,9,10,100");
  TMemoryStream m;
  l.SaveToStream(m);
  EXPECT_EQ(m.Size(), 15);
  m.SetPosition(0);
  TStringList back;
  back.LoadFromStream(m);
  EXPECT_EQ(back.CommaText(), "1,9,10,100");
}

class CountingList : public TList {
 public:
  std::vector<std::pair<void*, int>> Seen;
 protected:
  void Notify(void* item, TListNotification action) override { Seen.emplace_back(item, action); }
};

TEST(List, IndexErrorsAndNotifications) {
  CountingList l;
  int a, b, c;
  l.Add(&a);
  l.Add(&b);
  l.Insert(0, &c);
  EXPECT_EQ(l.IndexOf(&a), 1);
  l.Move(0, 2);
  EXPECT_EQ(l.Last(), &c);
  EXPECT_EQ(l.Remove(&b), 1);
  EXPECT_EQ(l.Remove(&b), -1);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_THROW(l.Get(0), EListError);
  EXPECT_THROW(l.First(), EListError);
  std::vector<std::pair<void*, int>> expected = {{&a, 0}, {&b, 0}, {&c, 0}, {&b, 2}, {&c, 2}, {&a, 2}};
  EXPECT_EQ(l.Seen, expected);
}

struct Tracked {
  explicit Tracked(int& alive) : Alive(alive) { ++Alive; }
  ~Tracked() { --Alive; }
  int& Alive;
};

TEST(ObjectList, OwnsWhatItHoldsUntilExtracted) {
  int alive = 0;
  Tracked* kept = nullptr;
  {
    TObjectList<Tracked> l;
    l.Add(new Tracked(alive));
    l.Add(new Tracked(alive));
    kept = new Tracked(alive);
    l.Add(kept);
    l.Delete(0);
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(l.Extract(kept), kept);
    EXPECT_EQ(l.Extract(kept), nullptr);
    l.Put(0, new Tracked(alive));   // replacing destroys the old item
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 1);
  delete kept;
  TObjectList<Tracked> notOwning(false);
  Tracked outside(alive);
  notOwning.Add(&outside);
  notOwning.Clear();
  EXPECT_EQ(alive, 1);
}

}  // namespace
}  // namespace orv
