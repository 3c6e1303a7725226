// Inserting, editing, posting, cancelling and deleting; the before/after events, errors and the
// silent abort; filtering through OnFilterRecord.
#include <functional>
#include "tests/platform/db/DataSetFixture.h"
#include "platform/rtl/Exceptions.h"

namespace orv::test {
namespace {

class EditTest : public PeopleFixture, public ::testing::WithParamInterface<int> {};

TEST_P(EditTest, AppendInsertEditCancelAndDelete) {
  Ds.SetBufferCount(GetParam());
  Fill({"Anna", "Bert", "Cleo"});
  Ds.Next();
  Ds.Insert();
  EXPECT_EQ(Ds.State(), dsInsert);
  EXPECT_TRUE(Ds.FieldByName("NAME")->IsNull() || Name().empty());
  Ds.FieldByName("NAME")->SetAsString("Xena");
  Ds.Cancel();
  EXPECT_EQ(Ds.State(), dsBrowse);
  EXPECT_EQ(Name(), "Bert") << "cancelling an insert returns to the record it was made at";
  EXPECT_EQ(Forward(), "Anna Bert Cleo ");

  Ds.First();
  Ds.Edit();
  Ds.FieldByName("NAME")->SetAsString("Anja");
  EXPECT_TRUE(Ds.Modified());
  Ds.Cancel();
  EXPECT_EQ(Name(), "Anna");

  Ds.Append();
  Ds.FieldByName("NAME")->SetAsString("Dora");
  Ds.Post();
  EXPECT_EQ(Name(), "Dora") << "a posted append is the current record";
  EXPECT_EQ(Forward(), "Anna Bert Cleo Dora ");

  Ds.First();
  Ds.Next();
  Ds.Delete();
  EXPECT_EQ(Name(), "Cleo") << "after a delete the following record is current";
  EXPECT_EQ(Forward(), "Anna Cleo Dora ");
  EXPECT_EQ(Backward(), "Dora Cleo Anna ");
  EXPECT_TRUE(Ds.Rows[1].deleted) << "deleted records stay, marked";
  Ds.Last();
  Ds.Delete();
  EXPECT_EQ(Name(), "Cleo") << "deleting the last record moves to the one before";
}

INSTANTIATE_TEST_SUITE_P(Rings, EditTest, ::testing::Values(1, 3, 8));

TEST_F(PeopleFixture, DeletingEveryRecordLeavesAnEmptyDataSet) {
  Fill({"Anna", "Bert"});
  Ds.Delete();
  Ds.Delete();
  EXPECT_TRUE(Ds.IsEmpty());
  EXPECT_TRUE(Ds.Bof() && Ds.Eof());
  EXPECT_EQ(Ds.RecordCount(), 0);
  Ds.Edit();
  EXPECT_EQ(Ds.State(), dsInsert) << "editing an empty data set starts a new record";
  Ds.FieldByName("NAME")->SetAsString("Cleo");
  Ds.Post();
  EXPECT_EQ(Forward(), "Cleo ");
}

TEST_F(PeopleFixture, CheckBrowseModePostsOnlyModifiedRecords) {
  Fill({"Anna"});
  Ds.Edit();
  Ds.CheckBrowseMode();
  EXPECT_EQ(Ds.State(), dsBrowse);
  Ds.Append();
  Ds.CheckBrowseMode();
  EXPECT_EQ(Forward(), "Anna ") << "an unmodified append is dropped";
  Ds.Append();
  Ds.FieldByName("NAME")->SetAsString("Bert");
  Ds.Next();  // scrolling posts
  EXPECT_EQ(Forward(), "Anna Bert ");
}

TEST_F(PeopleFixture, EventsRunInOrder) {
  std::vector<std::string> log;
  auto hook = [&log](const char* name) { return [&log, name](TDataSet*) { log.push_back(name); }; };
  Ds.BeforeOpen = hook("BeforeOpen"); Ds.AfterOpen = hook("AfterOpen");
  Ds.BeforeClose = hook("BeforeClose"); Ds.AfterClose = hook("AfterClose");
  Ds.BeforeInsert = hook("BeforeInsert"); Ds.AfterInsert = hook("AfterInsert");
  Ds.OnNewRecord = hook("OnNewRecord");
  Ds.BeforeEdit = hook("BeforeEdit"); Ds.AfterEdit = hook("AfterEdit");
  Ds.BeforePost = hook("BeforePost"); Ds.AfterPost = hook("AfterPost");
  Ds.BeforeCancel = hook("BeforeCancel"); Ds.AfterCancel = hook("AfterCancel");
  Ds.BeforeDelete = hook("BeforeDelete"); Ds.AfterDelete = hook("AfterDelete");
  Ds.BeforeScroll = hook("BeforeScroll"); Ds.AfterScroll = hook("AfterScroll");
  struct Case { const char* what; std::function<void()> run; std::vector<std::string> expected; };
  const Case cases[] = {
      {"open", [&] { Ds.Open(); }, {"BeforeOpen", "AfterOpen", "AfterScroll"}},
      {"append", [&] { Ds.Append(); },
       {"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}},
      {"post", [&] { Ds.FieldByName("NAME")->SetAsString("Anna"); Ds.Post(); }, {"BeforePost", "AfterPost"}},
      {"edit", [&] { Ds.Edit(); }, {"BeforeEdit", "AfterEdit"}},
      {"cancel", [&] { Ds.Cancel(); }, {"BeforeCancel", "AfterCancel"}},
      {"delete", [&] { Ds.Delete(); }, {"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}},
      {"close", [&] { Ds.Close(); }, {"BeforeClose", "AfterClose"}},
  };
  for (const auto& c : cases) {
    log.clear();
    c.run();
    EXPECT_EQ(log, c.expected) << c.what;
  }
}

TEST_F(PeopleFixture, PostErrorsGoThroughTheErrorEvent) {
  Ds.FieldDefs().Items(0)->SetRequired(true);
  Fill({});
  struct Case { TDataAction action; bool raisesAbort; };
  const Case cases[] = {{daFail, false}, {daAbort, true}};
  for (const auto& c : cases) {
    Ds.OnPostError = [&c](TDataSet*, EDatabaseError&, TDataAction& a) { a = c.action; };
    Ds.Append();
    try {
      Ds.Post();
      FAIL() << "a record without its required field was posted";
    } catch (const EAbort&) {
      EXPECT_TRUE(c.raisesAbort) << "daFail must raise the error itself";
    } catch (const EDatabaseError& e) {
      EXPECT_FALSE(c.raisesAbort);
      EXPECT_STREQ(e.what(), "Field 'NAME' must have a value");
    }
    EXPECT_EQ(Ds.State(), dsInsert) << "a failed post keeps the record being edited";
    Ds.Cancel();
  }
  // Retry after the handler supplies the value.
  Ds.OnPostError = [](TDataSet* ds, EDatabaseError&, TDataAction& a) {
    ds->FieldByName("NAME")->SetAsString("Fixed");
    a = daRetry;
  };
  Ds.Append();
  Ds.Post();
  EXPECT_EQ(Forward(), "Fixed ");
}

TEST_F(PeopleFixture, OpenEndsSilentlyOrWithoutACursor) {
  Ds.FailOpenSilently = true;
  EXPECT_THROW(Ds.Open(), EAbort);
  EXPECT_FALSE(Ds.Active());
  Ds.FailOpenSilently = false;
  Ds.OpenNothing = true;
  bool afterOpen = false;
  Ds.AfterOpen = [&](TDataSet*) { afterOpen = true; };
  EXPECT_NO_THROW(Ds.Open());
  EXPECT_FALSE(Ds.Active());
  EXPECT_FALSE(afterOpen) << "an open that opened nothing must not report itself as opened";
  Ds.OpenNothing = false;
  Ds.Open();
  EXPECT_TRUE(Ds.Active());
  EXPECT_TRUE(afterOpen);
}

TEST_F(PeopleFixture, ReadOnlyEngineRefusesChanges) {
  Fill({"Anna"});
  Ds.ReadOnlyEngine = true;
  const std::function<void()> changes[] = {[&] { Ds.Edit(); }, [&] { Ds.Append(); }, [&] { Ds.Insert(); },
                                           [&] { Ds.Delete(); }};
  for (const auto& change : changes) {
    try {
      change();
      FAIL() << "a read-only data set accepted a change";
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), "Cannot modify a read-only dataset");
    }
    EXPECT_EQ(Ds.State(), dsBrowse);
  }
  EXPECT_THROW(Ds.FieldByName("NAME")->SetAsString("x"), EDatabaseError) << "browse state";
}

TEST_F(PeopleFixture, FilterRecordDecidesWhatBrowsingShows) {
  Ds.SetBufferCount(3);
  Fill({"Anna", "Bert", "Cleo", "Dora", "Emil", "Fritz"});
  struct Case { const char* what; std::function<bool(TDataSet*)> accept; const char* forward; };
  const Case cases[] = {
      {"all", [](TDataSet*) { return true; }, "Anna Bert Cleo Dora Emil Fritz "},
      {"none", [](TDataSet*) { return false; }, ""},
      {"even ages", [](TDataSet* d) { return d->FieldByName("AGE")->AsInteger() % 2 == 0; }, "Anna Cleo Emil "},
      {"first only", [](TDataSet* d) { return d->FieldByName("NAME")->AsString() == "Anna"; }, "Anna "},
      {"last only", [](TDataSet* d) { return d->FieldByName("NAME")->AsString() == "Fritz"; }, "Fritz "},
      {"long names", [](TDataSet* d) { return d->FieldByName("NAME")->AsString().size() > 4; }, "Fritz "},
  };
  for (const auto& c : cases) {
    TDataSetState seen = dsInactive;
    Ds.OnFilterRecord = [&](TDataSet* d, bool& accept) { seen = d->State(); accept = c.accept(d); };
    Ds.SetFiltered(true);
    EXPECT_EQ(Forward(), c.forward) << c.what;
    std::string fwd = c.forward, back;
    EXPECT_EQ(seen, dsFilter) << "the handler reads the record in the filter state";
    Ds.SetFiltered(false);
    EXPECT_EQ(Forward(), "Anna Bert Cleo Dora Emil Fritz ") << "unfiltered after " << c.what;
  }
}

TEST_F(PeopleFixture, FilteringOnResyncsToAnAcceptedRecord) {
  Fill({"Anna", "Bert", "Cleo"});
  Ds.Next();
  Ds.OnFilterRecord = [](TDataSet* d, bool& accept) { accept = d->FieldByName("NAME")->AsString() != "Bert"; };
  Ds.SetFiltered(true);
  EXPECT_EQ(Name(), "Anna");
  Ds.Next();
  Ds.Edit();
  Ds.FieldByName("NAME")->SetAsString("Bert");
  Ds.Post();
  EXPECT_NE(Name(), "Bert") << "a record that no longer passes the filter leaves the view";
  EXPECT_EQ(Forward(), "Anna ");
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST_F(PeopleFixture, EditOfALockedRecordStaysInBrowse) {
  Fill({"Anna"});
  Ds.Locked = true;
  try {
    Ds.Edit();
    FAIL() << "a locked record went into edit";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Record locked.");
  }
  EXPECT_EQ(Ds.State(), dsBrowse);
  int tries = 0;
  Ds.OnEditError = [&](TDataSet*, EDatabaseError&, TDataAction& action) {
    ++tries;
    Ds.Locked = tries < 3;  // released by the other side after a while
    action = daRetry;
  };
  Ds.Edit();
  EXPECT_EQ(Ds.State(), dsEdit);
  EXPECT_EQ(tries, 3);
}

}  // namespace
}  // namespace orv::test
