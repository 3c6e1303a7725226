// Scrolling through the ring of record buffers: ends, distances, resync, bookmarks and locating.
#include "tests/platform/db/DataSetFixture.h"
#include "platform/rtl/Exceptions.h"

namespace orv::test {
namespace {

class NavigationTest : public PeopleFixture, public ::testing::WithParamInterface<int> {};

TEST_P(NavigationTest, WalksBothWaysWhateverTheRingSize) {
  Ds.SetBufferCount(GetParam());
  Fill({"Anna", "Bert", "Cleo", "Dora", "Emil"});
  EXPECT_EQ(Forward(), "Anna Bert Cleo Dora Emil ");
  EXPECT_EQ(Backward(), "Emil Dora Cleo Bert Anna ");
  // Next at the end keeps the last record and reports Eof; Prior at the start keeps the first.
  Ds.Last();
  Ds.Next();
  EXPECT_TRUE(Ds.Eof());
  EXPECT_EQ(Name(), "Emil");
  Ds.First();
  Ds.Prior();
  EXPECT_TRUE(Ds.Bof());
  EXPECT_EQ(Name(), "Anna");
}

TEST_P(NavigationTest, MoveByReportsTheDistanceMoved) {
  Ds.SetBufferCount(GetParam());
  Fill({"Anna", "Bert", "Cleo", "Dora", "Emil"});
  struct Case { int distance; int moved; const char* name; bool bof, eof; };
  const Case cases[] = {
      {2, 2, "Cleo", false, false}, {1, 1, "Dora", false, false}, {5, 1, "Emil", false, true},
      {-3, -3, "Bert", false, false}, {-9, -1, "Anna", true, false}, {0, 0, "Anna", true, false},
      {4, 4, "Emil", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ds.MoveBy(c.distance), c.moved) << "MoveBy(" << c.distance << ")";
    EXPECT_EQ(Name(), c.name) << "after MoveBy(" << c.distance << ")";
    EXPECT_EQ(Ds.Bof(), c.bof) << "Bof after MoveBy(" << c.distance << ")";
    EXPECT_EQ(Ds.Eof(), c.eof) << "Eof after MoveBy(" << c.distance << ")";
  }
}

TEST_P(NavigationTest, BookmarksSurviveEditsAndRingChanges) {
  Ds.SetBufferCount(GetParam());
  Fill({"Anna", "Bert", "Cleo", "Dora", "Emil"});
  Ds.MoveBy(3);
  TBookmark dora = Ds.GetBookmark();
  ASSERT_EQ(dora.size(), 4u);
  Ds.First();
  TBookmark anna = Ds.GetBookmark();
  Ds.Edit();
  Ds.FieldByName("NAME")->SetAsString("Anja");
  Ds.Post();
  Ds.Last();
  Ds.GotoBookmark(dora);
  EXPECT_EQ(Name(), "Dora");
  EXPECT_LT(Ds.CompareBookmarks(anna, dora), 0);
  EXPECT_GT(Ds.CompareBookmarks(dora, anna), 0);
  EXPECT_EQ(Ds.CompareBookmarks(dora, Ds.GetBookmark()), 0);
  EXPECT_LT(Ds.CompareBookmarks(TBookmark(), dora), 0);
  Ds.Next();
  EXPECT_EQ(Name(), "Emil");
  Ds.GotoBookmark(anna);
  EXPECT_EQ(Name(), "Anja");
  EXPECT_EQ(Backward(), "Emil Dora Cleo Bert Anja ");
}

INSTANTIATE_TEST_SUITE_P(Rings, NavigationTest, ::testing::Values(1, 2, 3, 8));

TEST_F(PeopleFixture, EmptyDataSetIsAtBothEnds) {
  Ds.Open();
  EXPECT_TRUE(Ds.Bof());
  EXPECT_TRUE(Ds.Eof());
  EXPECT_TRUE(Ds.IsEmpty());
  EXPECT_EQ(Ds.MoveBy(1), 0);
  EXPECT_TRUE(Ds.GetBookmark().empty());
  EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "");
  EXPECT_TRUE(Ds.FieldByName("AGE")->IsNull());
  try {
    Ds.Delete();
    FAIL() << "deleting in an empty data set succeeded";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation on an empty dataset");
  }
}

TEST_F(PeopleFixture, BookmarksOfDeletedOrForeignRecordsAreRefused) {
  Fill({"Anna", "Bert"});
  Ds.Next();
  TBookmark bert = Ds.GetBookmark();
  EXPECT_TRUE(Ds.BookmarkValid(bert));
  Ds.Delete();
  EXPECT_FALSE(Ds.BookmarkValid(bert));
  EXPECT_THROW(Ds.GotoBookmark(bert), EDatabaseError);
  EXPECT_THROW(Ds.GotoBookmark(TBookmark("xy")), EDatabaseError);
  EXPECT_EQ(Name(), "Anna");
}

TEST_F(PeopleFixture, ClosedDataSetRefusesNavigation) {
  try {
    Ds.First();
    FAIL() << "First on a closed data set succeeded";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
  }
  EXPECT_THROW(Ds.Edit(), EDatabaseError);
  EXPECT_THROW(Ds.Append(), EDatabaseError);
}

TEST_F(PeopleFixture, LocateMatchesByFieldKindAndOptions) {
  Ds.SetBufferCount(3);
  Fill({"Anna", "Bert", "M\xdcLLER", "Dora", "Emil"});
  struct Case { const char* fields; std::vector<AnsiString> values; TLocateOptions options; bool found; const char* name; };
  const Case cases[] = {
      {"NAME", {"Dora"}, {}, true, "Dora"},
      {"NAME", {"dora"}, {}, false, "Anna"},
      {"NAME", {"dora"}, {loCaseInsensitive}, true, "Dora"},
      {"NAME", {"Do"}, {}, false, "Anna"},
      {"NAME", {"Do"}, {loPartialKey}, true, "Dora"},
      {"NAME", {"M\xfc"}, {loPartialKey, loCaseInsensitive}, true, "M\xdcLLER"},
      {"NAME", {""}, {loPartialKey}, true, "Anna"},
      {"AGE", {"23"}, {}, true, "Dora"},
      {"AGE", {"99"}, {}, false, "Anna"},
      {"NAME;AGE", {"Emil", "24"}, {}, true, "Emil"},
      {"NAME;AGE", {"Emil", "23"}, {}, false, "Anna"},
      {"NAME;AGE", {"Emil"}, {}, false, "Anna"},
  };
  for (const auto& c : cases) {
    Ds.First();
    EXPECT_EQ(Ds.Locate(c.fields, c.values, c.options), c.found) << c.fields << " = " << c.values[0];
    EXPECT_EQ(Name(), c.name) << "position after locating " << c.values[0];
  }
  EXPECT_THROW(Ds.Locate("NOPE", {"x"}, {}), EDatabaseError);
}

TEST_F(PeopleFixture, RefreshShowsRecordsChangedBehindTheRing) {
  Ds.SetBufferCount(2);
  Fill({"Anna", "Bert", "Cleo"});
  Ds.Next();
  Ds.Rows[1].values[0] = std::vector<Byte>{'B', 'o', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Ds.Rows[2].deleted = true;
  EXPECT_EQ(Name(), "Bert");
  Ds.Refresh();
  EXPECT_EQ(Name(), "Bob");
  EXPECT_EQ(Forward(), "Anna Bob ");
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

class ReadErrorTest : public PeopleFixture, public ::testing::WithParamInterface<int> {};

TEST_P(ReadErrorTest, AFailedReadLeavesTheRingUsable) {
  Ds.SetBufferCount(GetParam());
  Fill({"Anna", "Bert", "Cleo", "Dora"});
  Ds.Next();
  Ds.FailAtRow = 3;
  EXPECT_THROW(Ds.Next(), EDatabaseError);
  EXPECT_EQ(Ds.State(), dsBrowse);
  EXPECT_EQ(Name(), "Bert") << "the record before the failure stays current";
  Ds.FailAtRow = 0;
  Ds.Next();
  EXPECT_EQ(Name(), "Cleo") << "the record that failed is read again, not skipped";
  Ds.Last();
  Ds.FailAtRow = 2;
  EXPECT_THROW(Ds.MoveBy(-3), EDatabaseError);
  Ds.FailAtRow = 0;
  Ds.Prior();
  EXPECT_EQ(Name(), "Bert");
  EXPECT_EQ(Backward(), "Dora Cleo Bert Anna ");
}

INSTANTIATE_TEST_SUITE_P(Rings, ReadErrorTest, ::testing::Values(1, 2));

}  // namespace
}  // namespace orv::test
