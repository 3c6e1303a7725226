// Data sources and links: what a control learns about state, layout, records and scrolling, what
// DisableControls holds back, how a link's value reaches a post, and circular links.
#include "tests/platform/db/DataSetFixture.h"

namespace orv::test {
namespace {

class RecordingLink : public TDataLink {
 public:
  std::vector<std::string> Log;
  std::function<void()> OnUpdateData;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void EditingChanged() override { Log.push_back(Editing() ? "editing" : "browsing"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void DataSetScrolled(Integer distance) override { Log.push_back("scrolled " + std::to_string(distance)); }
  void RecordChanged(TField* field) override { Log.push_back(field ? "field " + field->FieldName() : "record"); }
  void LayoutChanged() override { Log.push_back("layout"); }
  void UpdateData() override { if (OnUpdateData) OnUpdateData(); }
};

class LinkFixture : public PeopleFixture {
 protected:
  void SetUp() override {
    PeopleFixture::SetUp();
    Source.SetDataSet(&Ds);
    Link.SetDataSource(&Source);
  }
  std::vector<std::string> Take() { auto l = Link.Log; Link.Log.clear(); return l; }
  TDataSource Source{nullptr};
  RecordingLink Link;
};

using Log = std::vector<std::string>;

TEST_F(LinkFixture, LinksFollowStateRecordsAndScrolling) {
  Link.SetBufferCount(4);
  EXPECT_EQ(Ds.BufferCount(), 4) << "the ring grows to what the links show";
  Ds.Open();
  EXPECT_TRUE(Link.Active());
  EXPECT_EQ(Take(), (Log{"active", "changed"}));
  Fill({"Anna", "Bert", "Cleo", "Dora", "Emil", "Fritz"});
  Take();
  struct Case { const char* what; std::function<void()> run; Log expected; };
  const Case cases[] = {
      {"next within the ring", [&] { Ds.Next(); }, {"scrolled 1"}},
      {"past the end of a full ring", [&] { Ds.MoveBy(4); }, {"scrolled 4"}},
      {"edit", [&] { Ds.Edit(); }, {"editing", "record"}},
      {"field change", [&] { Ds.FieldByName("AGE")->SetAsInteger(5); }, {"field AGE"}},
      {"post", [&] { Ds.Post(); }, {"browsing", "changed"}},
      {"hidden field", [&] { Ds.FieldByName("AGE")->SetVisible(false); }, {"layout"}},
      {"close", [&] { Ds.Close(); }, {"inactive"}},
  };
  for (const auto& c : cases) {
    c.run();
    EXPECT_EQ(Take(), c.expected) << c.what;
  }
  EXPECT_FALSE(Link.Active());
}

TEST_F(LinkFixture, DisabledControlsHearOneChangeAtTheEnd) {
  Fill({"Anna", "Bert", "Cleo"});
  Take();
  Ds.DisableControls();
  Ds.DisableControls();
  EXPECT_TRUE(Ds.ControlsDisabled());
  for (Ds.First(); !Ds.Eof(); Ds.Next()) {}
  Ds.Edit();
  Ds.FieldByName("NAME")->SetAsString("Cleo2");
  Ds.Post();
  Ds.EnableControls();
  EXPECT_TRUE(Ds.ControlsDisabled()) << "nested disabling holds until the last enable";
  EXPECT_EQ(Take(), Log{});
  Ds.EnableControls();
  EXPECT_FALSE(Ds.ControlsDisabled());
  EXPECT_EQ(Take(), Log{"changed"});
  Ds.DisableControls();
  Ds.EnableControls();
  EXPECT_EQ(Take(), Log{}) << "nothing happened, nothing to tell";
}

TEST_F(LinkFixture, AControlsValueIsCollectedBeforeThePost) {
  Fill({"Anna"});
  Link.OnUpdateData = [&] { Ds.FieldByName("NAME")->SetAsString("Typed"); };
  EXPECT_TRUE(Link.Edit());
  Ds.Post();
  EXPECT_EQ(Name(), "Typed");
  Link.OnUpdateData = nullptr;
  Source.SetAutoEdit(false);
  EXPECT_FALSE(Link.Edit()) << "without AutoEdit a control cannot start editing";
  EXPECT_EQ(Ds.State(), dsBrowse);
  Link.SetReadOnly(true);
  Source.SetAutoEdit(true);
  EXPECT_FALSE(Link.Edit());
}

TEST_F(LinkFixture, DisabledSourceAndLostDataSet) {
  Fill({"Anna"});
  Source.SetEnabled(false);
  EXPECT_FALSE(Link.Active());
  EXPECT_EQ(Source.State(), dsInactive);
  Source.SetEnabled(true);
  EXPECT_TRUE(Link.Active());
  EXPECT_EQ(Source.State(), dsBrowse);
  {
    TMemDataSet other;
    Define(other);
    other.Open();
    Source.SetDataSet(&other);
    EXPECT_TRUE(Link.Active());
  }
  EXPECT_EQ(Source.DataSet(), nullptr) << "a freed data set leaves its sources";
  EXPECT_FALSE(Link.Active());
}

TEST_F(LinkFixture, CircularLinksAreRefused) {
  TMemDataSet detail;
  Define(detail);
  TDataSource detailSource(nullptr);
  detailSource.SetDataSet(&detail);
  detail.Master = &Source;    // detail follows Ds
  Ds.Master = &detailSource;  // and Ds would follow detail
  struct Case { TDataSource* source; TDataSet* dataSet; };
  const Case cases[] = {{&Source, &detail}, {&detailSource, &Ds}};
  TDataSource own(nullptr);
  own.SetDataSet(&Ds);
  for (const auto& c : cases) {
    TDataSet* before = c.source->DataSet();
    try {
      c.source->SetDataSet(c.dataSet);
      ADD_FAILURE() << "a circular link was made";
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), "Circular datalinks are not allowed");
    }
    EXPECT_EQ(c.source->DataSet(), before);
  }
  EXPECT_TRUE(detail.IsLinkedTo(&Source));
  EXPECT_TRUE(detail.IsLinkedTo(&detailSource)) << "a source of the data set itself";
  Ds.Master = nullptr;
  EXPECT_FALSE(detail.IsLinkedTo(&own)) << "own reaches Ds, which no longer follows detail";
  detail.Master = nullptr;
}

}  // namespace
}  // namespace orv::test
