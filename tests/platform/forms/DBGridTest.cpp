// The data-aware grid and navigator in a window: rows and columns read through the data set, a
// cell edited and posted, rows followed both ways, buttons enabled by state, delete confirmation.
#include "tests/platform/forms/FormsFixture.h"

#include <QHeaderView>
#include <QTableView>
#include <QToolButton>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/DBCtrls.h"
#include "platform/forms/DBGrids.h"
#include "tests/platform/db/MemDataSet.h"

namespace orv::test {
namespace {

class TGridForm : public TForm {
 public:
  explicit TGridForm(TComponent* owner) : TForm(owner) {}
  TDataSource* Source1 = nullptr;
  TDBGrid* Grid1 = nullptr;
  TDBNavigator* Nav1 = nullptr;
};

const char* const kGridForm = R"(object GridForm: TGridForm
  Width = 400
  Height = 300
  Caption = 'Addresses'
  object Grid1: TDBGrid
    Left = 0
    Top = 30
    Width = 400
    Height = 250
    DataSource = Source1
  end
  object Nav1: TDBNavigator
    Left = 0
    Top = 0
    Width = 300
    Height = 25
    DataSource = Source1
  end
  object Source1: TDataSource
  end
end
)";

class DBGridTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterDBControls();
    RegisterClassType<TGridForm, TForm>("TGridForm")
        .Field("Source1", &TGridForm::Source1)
        .Field("Grid1", &TGridForm::Grid1)
        .Field("Nav1", &TGridForm::Nav1);
    Form = MakeForm<TGridForm>("TGridForm", kGridForm);
    Form->Show();
    Ds.FieldDefs().Add("NAME", ftString, 20);
    Ds.FieldDefs().Add("AGE", ftInteger);
    Ds.FieldDefs().Add("_LOCK", ftString, 4)->SetAttributes({faHiddenCol});
    Ds.Open();
    Integer age = 30;
    for (const char* name : {"Anna", "Bert", "Cleo"}) {
      Ds.Append();
      Ds.FieldByName("NAME")->SetAsString(name);
      Ds.FieldByName("AGE")->SetAsInteger(age++);
      Ds.Post();
    }
    Ds.First();
    ASSERT_NE(Form->Source1, nullptr);
    Form->Source1->SetDataSet(&Ds);
  }

  QTableView* View() { return Form->Grid1->View(); }
  QString Cell(int row, int column) { return View()->model()->index(row, column).data().toString(); }
  QStringList Column(int column) {
    QStringList out;
    for (int r = 0; r < View()->model()->rowCount(); ++r) out << Cell(r, column);
    return out;
  }
  void Press(TNavigateBtn button) { Form->Nav1->Button(button)->click(); }

  TMemDataSet Ds;
  TGridForm* Form = nullptr;
};

TEST_F(DBGridTest, ShowsTheVisibleFieldsOfEveryRecord) {
  auto* model = View()->model();
  ASSERT_EQ(model->columnCount(), 2) << "hidden fields get no column";
  EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "NAME");
  EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "AGE");
  EXPECT_EQ(Column(0), (QStringList{"Anna", "Bert", "Cleo"}));
  EXPECT_EQ(Column(1), (QStringList{"30", "31", "32"}));
  EXPECT_EQ(View()->currentIndex().row(), 0);
  EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "Anna") << "reading the rows leaves the record where it was";
  Press(nbNext);
  Press(nbNext);
  EXPECT_EQ(View()->currentIndex().row(), 2) << "the view follows scrolling";
  Press(nbPrior);
  EXPECT_EQ(View()->currentIndex().row(), 1);
  Ds.Close();
  EXPECT_EQ(model->rowCount(), 0);
  EXPECT_EQ(model->columnCount(), 0);
}

TEST_F(DBGridTest, EditedCellIsPostedByTheNavigator) {
  auto* model = View()->model();
  QModelIndex cell = model->index(1, 0);
  ASSERT_TRUE(model->flags(cell) & Qt::ItemIsEditable);
  ASSERT_TRUE(model->setData(cell, "Berta", Qt::EditRole));
  EXPECT_EQ(Ds.State(), dsEdit);
  EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "Berta");
  EXPECT_EQ(Cell(1, 0), "Berta");
  EXPECT_TRUE(Form->Nav1->ButtonEnabled(nbPost));
  Press(nbPost);
  EXPECT_EQ(Ds.State(), dsBrowse);
  EXPECT_EQ(Ds.RawText(1, 1), "Berta") << "the engine holds the posted value";
  EXPECT_EQ(Column(0), (QStringList{"Anna", "Berta", "Cleo"}));
  EXPECT_EQ(View()->currentIndex().row(), 1);
}

TEST_F(DBGridTest, LeavingAnEditedRowPostsIt) {
  auto* model = View()->model();
  ASSERT_TRUE(model->setData(model->index(0, 1), "44", Qt::EditRole));
  View()->setCurrentIndex(model->index(2, 0));
  EXPECT_EQ(Ds.State(), dsBrowse);
  EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "Cleo") << "the data set follows the view's row";
  EXPECT_EQ(Column(1), (QStringList{"44", "31", "32"}));
  Ds.First();
  EXPECT_EQ(Ds.FieldByName("AGE")->AsInteger(), 44);
  EXPECT_EQ(View()->currentIndex().row(), 0) << "the view follows the data set's record";
}

TEST_F(DBGridTest, RefusedValueLeavesTheRecordUnchanged) {
  auto* model = View()->model();
  Dialogs.Answers.push_back(IDOK);
  EXPECT_FALSE(model->setData(model->index(0, 1), "old", Qt::EditRole));
  Ds.Cancel();
  EXPECT_EQ(Column(1), (QStringList{"30", "31", "32"}));
}

TEST_F(DBGridTest, NavigatorButtonsFollowTheState) {
  struct Case { const char* what; std::function<void()> run; TNavButtonSet enabled; };
  const TNavButtonSet all{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};
  const Case cases[] = {
      {"first record", [] {}, TNavButtonSet{nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbRefresh}},
      {"middle", [&] { Press(nbNext); }, all - TNavButtonSet{nbPost, nbCancel}},
      {"last record", [&] { Press(nbLast); Press(nbNext); }, TNavButtonSet{nbFirst, nbPrior, nbInsert, nbDelete, nbEdit, nbRefresh}},
      {"editing", [&] { Press(nbEdit); }, TNavButtonSet{nbFirst, nbPrior, nbInsert, nbDelete, nbPost, nbCancel, nbRefresh}},
      {"cancelled", [&] { Press(nbCancel); Press(nbFirst); }, TNavButtonSet{nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbRefresh}},
      {"closed", [&] { Ds.Close(); }, TNavButtonSet{}},
  };
  for (const auto& c : cases) {
    c.run();
    for (int b = 0; b < kNavButtonCount; ++b) {
      auto button = static_cast<TNavigateBtn>(b);
      EXPECT_EQ(Form->Nav1->ButtonEnabled(button), c.enabled.Contains(button)) << c.what << ", button " << b;
      EXPECT_EQ(Form->Nav1->Button(button)->isEnabled(), c.enabled.Contains(button)) << c.what << ", widget " << b;
    }
  }
}

TEST_F(DBGridTest, InsertShowsTheNewRowAndPostKeepsIt) {
  Press(nbNext);
  Press(nbInsert);
  EXPECT_EQ(Ds.State(), dsInsert);
  EXPECT_EQ(View()->model()->rowCount(), 4);
  EXPECT_EQ(View()->currentIndex().row(), 1) << "the new row takes the current row's place";
  ASSERT_TRUE(View()->model()->setData(View()->model()->index(1, 0), "Dora", Qt::EditRole));
  Press(nbPost);
  EXPECT_EQ(Ds.RecordCount(), 4);
  EXPECT_EQ(Column(0), (QStringList{"Anna", "Bert", "Cleo", "Dora"})) << "this engine stores new records last";
  EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "Dora");
  EXPECT_EQ(View()->currentIndex().row(), 3);
}

TEST_F(DBGridTest, DeleteAsksFirst) {
  Press(nbNext);
  struct Case { int answer; QStringList rows; };
  const Case cases[] = {{IDCANCEL, {"Anna", "Bert", "Cleo"}}, {IDOK, {"Anna", "Cleo"}}};
  for (const auto& c : cases) {
    Dialogs.Asked.clear();
    Dialogs.Answers = {c.answer};
    Press(nbDelete);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Delete record?");
    EXPECT_EQ(Column(0), c.rows) << "answer " << c.answer;
  }
  Form->Nav1->SetConfirmDelete(false);
  Dialogs.Asked.clear();
  Press(nbDelete);
  EXPECT_TRUE(Dialogs.Asked.empty());
  EXPECT_EQ(Column(0), QStringList{"Anna"});
}

TEST_F(DBGridTest, FilteringChangesTheRows) {
  Ds.OnFilterRecord = [](TDataSet* d, bool& accept) { accept = d->FieldByName("AGE")->AsInteger() != 31; };
  Ds.SetFiltered(true);
  EXPECT_EQ(Column(0), (QStringList{"Anna", "Cleo"}));
  Ds.SetFiltered(false);
  EXPECT_EQ(Column(0), (QStringList{"Anna", "Bert", "Cleo"}));
}

}  // namespace
}  // namespace orv::test
