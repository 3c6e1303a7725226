// The parser's collections (owning, no-owner, sorted with and without duplicates, the word table)
// and its evaluation list with the constants that outlive each expression.
#include <gtest/gtest.h>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "dbf/DbfExprFuncs.h"
#include "dbf/ExprParser.h"

namespace orv {
namespace {

// An item that reports its own destruction.
struct TTracked {
  TTracked(int key, std::vector<int>* freed) : Key(key), Freed(freed) {}
  ~TTracked() { Freed->push_back(Key); }
  int Key;
  std::vector<int>* Freed;
};

class TTrackedList : public TSortedCollection<TTracked, int> {
 public:
  TTrackedList() : TSortedCollection(4) {}
  int CompareKeys(int key1, int key2) const override { return key1 < key2 ? -1 : key1 > key2 ? 1 : 0; }
  int KeyOfItem(const TTracked* item) const override { return item->Key; }

  std::vector<int> Keys() const {
    std::vector<int> keys;
    for (Integer i = 0; i < Count(); ++i) keys.push_back(Items(i)->Key);
    return keys;
  }
};

// Items that are their own keys.
class TIntList : public TSortedCollection<int> {
 public:
  TIntList() : TSortedCollection(0) {}
  int CompareKeys(const int* key1, const int* key2) const override { return *key1 - *key2; }
};

struct TCollections : ::testing::Test {
  std::vector<int> Freed;
  std::unique_ptr<TTracked> Item(int key) { return std::make_unique<TTracked>(key, &Freed); }
};

TEST_F(TCollections, WithoutDuplicatesAnItemOfAPresentKeyIsHandedBack) {
  TTrackedList list;
  EXPECT_FALSE(list.AllowDuplicates);
  for (int key : {5, 1, 3}) EXPECT_EQ(list.InsertItem(Item(key)), nullptr);
  std::unique_ptr<TTracked> refused = list.InsertItem(Item(1));
  ASSERT_NE(refused, nullptr);
  EXPECT_TRUE(Freed.empty()) << "a refused item is not disposed";
  EXPECT_EQ(list.Keys(), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(list.IndexOfItem(refused.get()), -1) << "an equal key is not the item itself";
  EXPECT_EQ(list.IndexOfItem(list.Items(2)), 2);
}

TEST_F(TCollections, WithDuplicatesTheLastInsertedComesFirst) {
  TTrackedList list;
  list.AllowDuplicates = true;
  TTracked* first = list.Items(list.Add(Item(2)));
  TTracked* second = nullptr;
  {
    auto item = Item(2);
    second = item.get();
    EXPECT_EQ(list.InsertItem(std::move(item)), nullptr);
  }
  list.InsertItem(Item(1));
  list.InsertItem(Item(3));
  EXPECT_EQ(list.Keys(), (std::vector<int>{1, 2, 2, 3}));
  Integer index = -1;
  EXPECT_TRUE(list.FindKey(2, index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list.Items(1), second);
  EXPECT_EQ(list.IndexOfItem(second), 1);
  EXPECT_EQ(list.IndexOfItem(first), 2);
}

TEST_F(TCollections, FindKeyGivesThePositionOrTheInsertionPoint) {
  TTrackedList list;
  Integer index = -1;
  EXPECT_FALSE(list.FindKey(7, index));
  EXPECT_EQ(index, 0) << "empty";
  for (int key : {30, 10, 20}) list.InsertItem(Item(key));
  const struct {
    int Key;
    bool Found;
    Integer Index;
  } cases[] = {{5, false, 0}, {10, true, 0}, {15, false, 1}, {20, true, 1}, {30, true, 2}, {35, false, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Key);
    EXPECT_EQ(list.FindKey(c.Key, index), c.Found);
    EXPECT_EQ(index, c.Index);
  }
}

TEST_F(TCollections, ReplaceItemHandsBackTheEntryItDisplaces) {
  TTrackedList list;
  for (int key : {1, 2, 3}) list.InsertItem(Item(key));
  TTracked* old = list.Items(1);
  auto fresh = Item(2);
  TTracked* added = fresh.get();
  std::unique_ptr<TTracked> displaced = list.ReplaceItem(std::move(fresh));
  EXPECT_EQ(displaced.get(), old);
  EXPECT_TRUE(Freed.empty()) << "the displaced entry is not disposed";
  EXPECT_EQ(list.Items(1), added);
  EXPECT_EQ(list.ReplaceItem(Item(4)), nullptr) << "no entry of that key";
  EXPECT_EQ(list.Keys(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(TCollections, TheOwningCollectionDisposesAndTheNoOwnerOneDoesNot) {
  std::vector<std::unique_ptr<TTracked>> store;
  for (int key : {1, 2, 3, 4, 5}) store.push_back(Item(key));
  {
    TNoOwnerCollection<TTracked> refs(2);
    for (auto& item : store) refs.Add(item.get());
    refs.DeleteAndDispose(0);
    refs.DeleteAndDisposeRange(0, 2);
    refs.Put(0, store[0].get());
    EXPECT_EQ(refs.Count(), 2);
    refs.DisposeAll();
    EXPECT_EQ(refs.Count(), 0);
    refs.Add(store[1].get());
  }
  EXPECT_TRUE(Freed.empty()) << "a no-owner collection frees nothing, not even at its end";

  {
    TOCollection<TTracked> owned(2);
    for (auto& item : store) owned.Add(std::move(item));
    owned.DeleteAndDispose(1);
    EXPECT_EQ(Freed, (std::vector<int>{2}));
    std::unique_ptr<TTracked> taken = owned.Extract(0);
    EXPECT_EQ(Freed.size(), 1u) << "an extracted item goes back to the caller";
    owned.Put(0, Item(6));
    EXPECT_EQ(Freed, (std::vector<int>{2, 3}));
    owned.Add(Item(7));
    owned.DeleteAndDisposeRange(1, 2);
    EXPECT_EQ(Freed, (std::vector<int>{2, 3, 4, 5}));
    owned.Add(Item(8));
    owned.DisposeAll();
    EXPECT_EQ(Freed, (std::vector<int>{2, 3, 4, 5, 6, 7, 8})) << "first to last";
    EXPECT_EQ(owned.Count(), 0);
    owned.Add(std::move(taken));
  }
  EXPECT_EQ(Freed.back(), 1) << "the collection's end disposes what it still holds";
}

TEST_F(TCollections, PositionsOutsideTheListFail) {
  TOCollection<TTracked> owned(0);
  owned.Add(Item(1));
  const auto message = [](auto&& call) {
    try {
      call();
    } catch (const EListError& e) {
      return e.Message();
    }
    return std::string("<no error>");
  };
  EXPECT_EQ(message([&] { owned.Items(1); }), "List index out of bounds (1)");
  EXPECT_EQ(message([&] { owned.Extract(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(message([&] { owned.Insert(2, Item(2)); }), "List index out of bounds (2)");
  EXPECT_EQ(message([&] { owned.DeleteAndDisposeRange(0, 2); }), "List index out of bounds (1)");
  owned.Insert(1, Item(3));  // the position after the last is an append
  EXPECT_EQ(owned.Count(), 2);
  EXPECT_EQ(Freed, (std::vector<int>{2})) << "only the item given to the failed insert";
}

TEST(ExprCollections, ItemsAreTheirOwnKeysByDefault) {
  TIntList list;
  for (int v : {4, 2, 9}) list.InsertItem(std::make_unique<int>(v));
  const int probe = 4;
  Integer index = -1;
  EXPECT_TRUE(list.FindKey(&probe, index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(*list.Items(2), 9);
}

TEST(ExprCollections, TheWordTableComparesNamesWithoutCase) {
  TExpressList words;
  words.InsertItem(std::make_unique<TFunction>("Upper", "S", 1, exString, nullptr));
  words.InsertItem(std::make_unique<TFunction>("AND", 90, nullptr, exBoolean, "BB"));
  EXPECT_EQ(words.KeyOfItem(words.Items(1)), "upper") << "names are kept in lower case";
  Integer index = -1;
  EXPECT_TRUE(words.FindKey("UPPER", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(words.FindKey("uppe", index));
  EXPECT_LT(words.CompareKeys("abc", "ABD"), 0);
  EXPECT_EQ(words.CompareKeys("abc", "ABC"), 0);
  EXPECT_EQ(words.Find("And"), words.Items(0));
}

TEST(ExprCollections, AnExpressionsWordsAreSlicedWithoutBeingFreed) {
  TExpressList words;
  for (int v : {1, 2, 3}) words.InsertItem(std::make_unique<TIntegerConstant>(v));
  {
    TExprCollection expression;
    for (Integer i = 0; i < words.Count(); ++i) expression.Add(words.Items(i));
    TExprCollection part = expression.Slice(1, 3);
    ASSERT_EQ(part.Count(), 2);
    EXPECT_EQ(part.Items(0), words.Items(1));
    EXPECT_EQ(expression.Slice(2, 2).Count(), 0);
  }
  EXPECT_EQ(words.Items(2)->Name(), "3") << "the words outlive the expression's collections";
}

// Names starting with i are integer variables, every other name a text variable.
class TListParser : public TCustomExpressionParser {
 public:
  TListParser() { FillExpressionList(); }
  ~TListParser() override { ClearExpressions(); }

  std::map<std::string, Integer> Ints;
  std::map<std::string, const char*> Texts;

  std::vector<std::string> ListNames() const {
    std::vector<std::string> names;
    for (const TExpressionNode* node = ListHead(); node; node = node->Next.get()) {
      names.push_back(node->Word->Name());
      if (!node->Next) {
        EXPECT_EQ(node, ListTail());
      }
    }
    return names;
  }

 protected:
  void FillExpressionList() override {
    WordsList().DisposeAll();
    WordsList().AllowDuplicates = true;
    for (auto& w : MakeDbfWords(true)) AddWord(std::move(w));
  }
  void ResolveUnknownWord(std::string_view name) override {
    const std::string n(name);
    if (n[0] == 'i') {
      DefineIntegerVariable(name, &Ints[n]);
    } else {
      if (!Texts.count(n)) Texts[n] = "";
      DefineStringVariable(name, &Texts[n], -1);
    }
  }
  AnsiString GetExpression() const override { return {}; }
};

TEST(ExprEvalList, RunsInPostOrderFromHeadToTail) {
  const struct {
    const char* Text;
    std::vector<std::string> Names;
  } cases[] = {
      {"i1 + i2", {"i1", "i2", "+"}},
      {"i1 + i2 = i3", {"i1", "i2", "+", "i3", "="}},
      {"UPPER(s) + 'x'", {"s", "upper", "'x'"}},  // the string sum writes its operands one after the other
      {"'a' = 'b' AND s = 'c'", {"false", "s", "'c'", "=", "and"}},  // the constant comparison is folded
      {"i1 + 1 + 2", {"i1", "1", "+", "2", "+"}},  // integer sums are not folded
  };
  TListParser p;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    p.ClearExpressions();
    p.Compile(c.Text);
    EXPECT_EQ(p.ListNames(), c.Names);
  }
  p.ClearExpressions();
  EXPECT_EQ(p.ListHead(), nullptr);
  EXPECT_EQ(p.ListTail(), nullptr);
  EXPECT_EQ(p.GetResultType(), exUnknown);
}

TEST(ExprEvalList, ConstantsStayUntilTheParserGoes) {
  TListParser p;
  p.Compile("s = 'abc'");
  ASSERT_EQ(p.ConstantsList().Count(), 1);
  const TExprWord* abc = p.ConstantsList().Items(0);
  p.ClearExpressions();
  EXPECT_EQ(p.ConstantsList().Count(), 1);
  EXPECT_EQ(p.ConstantsList().Items(0), abc);
  EXPECT_EQ(abc->AsString(), "abc");
  p.Compile("'x' + 'y'");  // two constants and the folded one
  EXPECT_EQ(p.ConstantsList().Count(), 4);
  EXPECT_EQ(p.ConstantsList().Items(3)->AsString(), "xy");
  p.ClearExpressions();
  EXPECT_THROW(p.Compile("'q' 'r'"), EParserException);
  EXPECT_EQ(p.ConstantsList().Count(), 6) << "a failed compile keeps its constants too";
  EXPECT_EQ(p.ListHead(), nullptr);
}

TEST(ExprEvalList, ALongListIsRunAndDisposed) {
  // A balanced sum of 65536 terms: a list of 131071 entries over a tree of height 17, long enough
  // that freeing the entries one inside the other would run out of stack.
  std::string text = "i1";
  for (int level = 0; level < 16; ++level) text = "(" + text + ")+(" + text + ")";
  TListParser p;
  p.Ints["i1"] = 1;
  p.Compile(text);
  Integer count = 0;
  for (const TExpressionNode* node = p.ListHead(); node; node = node->Next.get()) ++count;
  EXPECT_EQ(count, 131071);
  p.Evaluate();
  Integer sum = 0;
  std::memcpy(&sum, p.ResultBuffer(), sizeof sum);
  EXPECT_EQ(sum, 65536);
  p.ClearExpressions();
  EXPECT_EQ(p.ListHead(), nullptr);
}

}  // namespace
}  // namespace orv
