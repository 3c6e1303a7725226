// A dBASE table shown in the data-aware grid and navigator: a cell edited through the grid, a row
// appended and one deleted through the navigator all reach the file as a third-party reader sees it.
#include "tests/platform/forms/FormsFixture.h"

#include <sys/wait.h>

#include <QTableView>
#include <QToolButton>
#include <cstdio>
#include <sstream>
#include "dbf/DbfTable.h"
#include "platform/classes/TypeInfo.h"
#include "platform/forms/DBCtrls.h"
#include "platform/forms/DBGrids.h"
#include "tests/support/ShellCommand.h"

namespace orv::test {
namespace {

const std::string kTablePeer = "/usr/bin/python3 " + std::string(ORV_SOURCE_DIR) + "/tests/interop/table_peer.py";

// The rows the peer reads from path, one line each (a header line first), deleted records left out.
std::vector<std::string> PeerRows(const std::string& path) {
  const std::string out = RunChecked(kTablePeer + " dbfread " + path + " cp1252 2>&1");
  std::vector<std::string> rows;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) rows.push_back(line);
  return rows;
}

// The windows need a widget application; other tests of this executable settle for a core
// application when none exists, so the widget one is made before any test runs.
class TWidgetApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application->Initialize();
  }
};
[[maybe_unused]] ::testing::Environment* const kWidgetApplication =
    ::testing::AddGlobalTestEnvironment(new TWidgetApplication);

class TTableGridForm : public TForm {
 public:
  explicit TTableGridForm(TComponent* owner) : TForm(owner) {}
  TDataSource* Source1 = nullptr;
  TDBGrid* Grid1 = nullptr;
  TDBNavigator* Nav1 = nullptr;
};

const char* const kTableGridForm = R"(object TableGridForm: TTableGridForm
  Width = 420
  Height = 300
  Caption = 'Recipients'
  object Grid1: TDBGrid
    Left = 0
    Top = 30
    Width = 420
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

class TableGridInterop : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterDBControls();
    RegisterClassType<TTableGridForm, TForm>("TTableGridForm")
        .Field("Source1", &TTableGridForm::Source1)
        .Field("Grid1", &TTableGridForm::Grid1)
        .Field("Nav1", &TTableGridForm::Nav1);
    Path = FDataDir + "people.dbf";
    Table.SetFilePath(FDataDir);
    Table.SetTableName("people.dbf");
    Table.SetTableLevel(3);
    Table.FieldDefs().Add("NAME", ftString, 20);
    Table.FieldDefs().Add("CITY", ftString, 15);
    Table.FieldDefs().Add("AGE", ftInteger);
    Table.CreateTable();
    Table.Open();
    ASSERT_TRUE(Table.Active());
    const struct { const char* name; const char* city; Integer age; } rows[] = {
        {"M\xFCller", "K\xF6ln", 30}, {"Schmidt", "Bonn", 41}, {"Weber", "Essen", 52}};
    for (const auto& r : rows) {
      Table.Append();
      Table.FieldByName("NAME")->SetAsString(r.name);
      Table.FieldByName("CITY")->SetAsString(r.city);
      Table.FieldByName("AGE")->SetAsInteger(r.age);
      Table.Post();
    }
    Table.First();
    Form = MakeForm<TTableGridForm>("TTableGridForm", kTableGridForm);
    ASSERT_NE(Form->Source1, nullptr);
    Form->Source1->SetDataSet(&Table);
    Form->Show();
  }

  void TearDown() override {
    if (Form && Form->Source1) Form->Source1->SetDataSet(nullptr);
    Table.Close();
    FormsTest::TearDown();
  }

  QTableView* View() { return Form->Grid1->View(); }
  QAbstractItemModel* Model() { return View()->model(); }
  QStringList Column(int column) {
    QStringList out;
    for (int r = 0; r < Model()->rowCount(); ++r) out << Model()->index(r, column).data().toString();
    return out;
  }
  void Press(TNavigateBtn button) { Form->Nav1->Button(button)->click(); }
  // What the peer reads, both while the grid still holds the table open and after it is closed.
  void ExpectPeerSees(const std::vector<std::string>& rows, const std::string& what) {
    std::vector<std::string> want = {"#fields\tNAME\tCITY\tAGE"};
    want.insert(want.end(), rows.begin(), rows.end());
    EXPECT_EQ(PeerRows(Path), want) << what << ", table open";
    Form->Source1->SetDataSet(nullptr);
    Table.Close();
    EXPECT_EQ(PeerRows(Path), want) << what << ", table closed";
  }

  TDbfTable Table;
  TTableGridForm* Form = nullptr;
  std::string Path;
};

TEST_F(TableGridInterop, CellEditedInTheGridIsInTheFile) {
  ASSERT_EQ(Model()->columnCount(), 3);
  EXPECT_EQ(Column(0), (QStringList{"M\u00fcller", "Schmidt", "Weber"}));
  Press(nbNext);
  ASSERT_EQ(View()->currentIndex().row(), 1);
  const QModelIndex city = Model()->index(1, 1);
  ASSERT_TRUE(Model()->flags(city) & Qt::ItemIsEditable);
  ASSERT_TRUE(Model()->setData(city, "D\u00fcren", Qt::EditRole));
  EXPECT_EQ(Table.State(), dsEdit);
  Press(nbPost);
  EXPECT_EQ(Table.State(), dsBrowse);
  EXPECT_EQ(Column(1), (QStringList{"K\u00f6ln", "D\u00fcren", "Essen"}));
  EXPECT_EQ(Table.FieldByName("CITY")->AsString(), "D\xFCren");
  // A number typed into the last row is posted by moving the view back to the first.
  View()->setCurrentIndex(Model()->index(2, 0));
  ASSERT_EQ(Table.FieldByName("NAME")->AsString(), "Weber");
  ASSERT_TRUE(Model()->setData(Model()->index(2, 2), "53", Qt::EditRole));
  View()->setCurrentIndex(Model()->index(0, 0));
  EXPECT_EQ(Table.State(), dsBrowse);
  ExpectPeerSees({"M\u00fcller\tK\u00f6ln\t30", "Schmidt\tD\u00fcren\t41", "Weber\tEssen\t53"}, "edited");
}

TEST_F(TableGridInterop, RowsAppendedAndDeletedByTheNavigatorAreInTheFile) {
  Press(nbLast);
  Press(nbInsert);
  ASSERT_EQ(Table.State(), dsInsert);
  ASSERT_EQ(Model()->rowCount(), 4);
  const int row = View()->currentIndex().row();
  ASSERT_GE(row, 0);
  ASSERT_TRUE(Model()->setData(Model()->index(row, 0), "\u00d6zt\u00fcrk", Qt::EditRole));
  ASSERT_TRUE(Model()->setData(Model()->index(row, 1), "Aachen", Qt::EditRole));
  ASSERT_TRUE(Model()->setData(Model()->index(row, 2), "27", Qt::EditRole));
  Press(nbPost);
  EXPECT_EQ(Table.State(), dsBrowse);
  EXPECT_EQ(Column(0), (QStringList{"M\u00fcller", "Schmidt", "Weber", "\u00d6zt\u00fcrk"}));
  EXPECT_EQ(Table.RecordCount(), 4);
  // The second row goes; the peer skips the deleted record.
  Press(nbFirst);
  Press(nbNext);
  ASSERT_EQ(Table.FieldByName("NAME")->AsString(), "Schmidt");
  Dialogs.Answers = {IDOK};
  Press(nbDelete);
  EXPECT_EQ(Dialogs.Asked.size(), 1u);
  EXPECT_EQ(Column(0), (QStringList{"M\u00fcller", "Weber", "\u00d6zt\u00fcrk"}));
  ExpectPeerSees({"M\u00fcller\tK\u00f6ln\t30", "Weber\tEssen\t52", "\u00d6zt\u00fcrk\tAachen\t27"},
                 "appended and deleted");
}

}  // namespace
}  // namespace orv::test
