// Page control tabs, list view selection, the owner-drawn status panel and memo positions.
#include "tests/platform/forms/FormsFixture.h"

#include <QImage>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/ComCtrls.h"

namespace orv::test {
namespace {

class TPagesForm : public TForm {
 public:
  explicit TPagesForm(TComponent* owner) : TForm(owner) {}
  TPageControl* PageControl2 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  TListView* ListView1 = nullptr;
  TRichEdit* RichEdit1 = nullptr;
  int Changes = 0;
  std::vector<TRect> DrawnPanels;
  TColor DrawColor = clNavy;
  void PageControl2Change(TObject*) { ++Changes; }
  void StatusBar1DrawPanel(TStatusBar* bar, TStatusPanel*, const TRect& r) {
    DrawnPanels.push_back(r);
    bar->Canvas().Brush()->SetColor(DrawColor);
    bar->Canvas().FillRect(r);
  }
};

const char* const kPagesForm = R"(object PagesForm: TPagesForm
  Width = 500
  Height = 400
  Caption = 'Pages'
  object PageControl2: TPageControl
    Left = 0
    Top = 0
    Width = 500
    Height = 300
    ActivePage = TabSheet1
    Align = alClient
    OnChange = PageControl2Change
    object TabSheet1: TTabSheet
      Caption = 'eMail data base '
      object ListView1: TListView
        Left = 0
        Top = 0
        Width = 300
        Height = 200
        Columns = <
          item
            Caption = 'Sender'
            Width = 150
          end
          item
            Caption = 'eMail'
            Width = 100
          end>
        MultiSelect = True
        ViewStyle = vsReport
      end
    end
    object TabSheet2: TTabSheet
      Caption = 'Write emails'
      object RichEdit1: TRichEdit
        Left = 0
        Top = 0
        Width = 200
        Height = 100
        ReadOnly = True
      end
    end
    object TabSheet3: TTabSheet
      Caption = 'eMail accounts'
      object RightBtn: TButton
        Left = 400
        Top = 10
        Width = 80
        Height = 25
        Anchors = [akTop, akRight]
      end
      object WideEdit: TEdit
        Left = 10
        Top = 50
        Width = 470
        Height = 21
        Anchors = [akLeft, akTop, akRight]
      end
    end
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 381
    Width = 500
    Height = 19
    Panels = <
      item
        Width = 250
      end
      item
        Style = psOwnerDraw
        Width = 50
      end>
    OnDrawPanel = StatusBar1DrawPanel
  end
end
)";

class CommonControlsTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TPagesForm, TForm>("TPagesForm")
        .Field("PageControl2", &TPagesForm::PageControl2)
        .Field("TabSheet1", &TPagesForm::TabSheet1)
        .Field("TabSheet2", &TPagesForm::TabSheet2)
        .Field("TabSheet3", &TPagesForm::TabSheet3)
        .Field("StatusBar1", &TPagesForm::StatusBar1)
        .Field("ListView1", &TPagesForm::ListView1)
        .Field("RichEdit1", &TPagesForm::RichEdit1)
        .Method("PageControl2Change", &TPagesForm::PageControl2Change)
        .Method("StatusBar1DrawPanel", &TPagesForm::StatusBar1DrawPanel);
    Form = MakeForm<TPagesForm>("TPagesForm", kPagesForm);
    Form->Show();
  }

  QStringList TabTexts() const {
    auto* tabs = static_cast<QTabWidget*>(Form->PageControl2->Widget());
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    return texts;
  }

  TPagesForm* Form = nullptr;
};

TEST_F(CommonControlsTest, HiddenTabLeavesTheTabsAndHandsTheActivePageOn) {
  EXPECT_EQ(TabTexts(), (QStringList{"eMail data base ", "Write emails", "eMail accounts"}))
      << "captions are kept exactly, trailing blank included";
  EXPECT_EQ(Form->PageControl2->ActivePage(), Form->TabSheet1);

  Form->TabSheet1->SetTabVisible(false);
  EXPECT_EQ(TabTexts(), (QStringList{"Write emails", "eMail accounts"}));
  EXPECT_EQ(Form->PageControl2->ActivePage(), Form->TabSheet2) << "a hidden page cannot stay active";
  EXPECT_EQ(Form->TabSheet1->PageIndex(), 0) << "a hidden sheet keeps its place among the pages";
  EXPECT_EQ(Form->TabSheet2->TabIndex(), 0);

  Form->PageControl2->SetActivePage(Form->TabSheet1);
  EXPECT_EQ(Form->PageControl2->ActivePage(), Form->TabSheet2) << "a hidden sheet is never chosen";
  EXPECT_EQ(Form->Changes, 0) << "changes by code fire no OnChange";

  Form->TabSheet1->SetTabVisible(true);
  EXPECT_EQ(TabTexts(), (QStringList{"eMail data base ", "Write emails", "eMail accounts"}));

  // The user's choice of tab fires OnChange once.
  auto* tabs = static_cast<QTabWidget*>(Form->PageControl2->Widget());
  tabs->setCurrentIndex(2);
  EXPECT_EQ(Form->PageControl2->ActivePage(), Form->TabSheet3);
  EXPECT_EQ(Form->PageControl2->ActivePageIndex(), 2);
  EXPECT_EQ(Form->Changes, 1);
}

TEST_F(CommonControlsTest, ASheetShowsItsOwnColourInTheWindow) {
  // Read from the whole window: whatever the page control draws under its pages, the sheet's
  // free area shows the sheet's colour (its parent's, or one of its own).
  const auto shownAt = [this](TTabSheet* sheet, QPoint local) {
    Form->PageControl2->SetActivePage(sheet);
    Application->ProcessMessages();
    const QImage window = Form->Widget()->grab().toImage();
    return window.pixelColor(sheet->Widget()->mapTo(Form->Widget(), local));
  };
  const auto shown = [](TColor color) {
    const COLORREF c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
  };
  EXPECT_EQ(shownAt(Form->TabSheet3, QPoint(200, 150)), shown(Form->Color())) << "the form's colour, taken over";
  Form->TabSheet3->SetColor(clYellow);
  EXPECT_EQ(shownAt(Form->TabSheet3, QPoint(200, 150)), shown(clYellow));
}

TEST_F(CommonControlsTest, AnchoredControlsKeepTheirDistanceToTheRightEdge) {
  auto* sheet = Form->TabSheet3;
  auto* button = Find<TButton>(Form, "RightBtn");
  auto* edit = Find<TEdit>(Form, "WideEdit");
  const Integer buttonGap = sheet->ClientWidth() - button->BoundsRect().Right;
  const Integer editGap = sheet->ClientWidth() - edit->BoundsRect().Right;
  Form->SetWidth(700);
  Form->PageControl2->SetActivePage(sheet);
  Application->ProcessMessages();
  EXPECT_EQ(Form->PageControl2->Width(), 700);
  EXPECT_GT(sheet->ClientWidth(), 600) << "the sheet follows its page control";
  EXPECT_EQ(sheet->ClientWidth() - button->BoundsRect().Right, buttonGap) << "right-anchored: moved";
  EXPECT_EQ(button->Width(), 80);
  EXPECT_EQ(sheet->ClientWidth() - edit->BoundsRect().Right, editGap) << "left and right anchored: widened";
  EXPECT_EQ(edit->Left(), 10);
}

TEST_F(CommonControlsTest, ListViewSelectsSeveralRowsAndReportsTheFirst) {
  TListView* list = Form->ListView1;
  for (const char* name : {"alpha", "beta", "gamma"}) {
    TListItem* item = list->Items().Add();
    item->SetCaption(name);
    item->SubItems().Add(std::string(name) + "@example.org");
  }
  auto* tree = static_cast<QTreeWidget*>(list->Widget());
  ASSERT_EQ(tree->topLevelItemCount(), 3);
  EXPECT_EQ(tree->topLevelItem(1)->text(1), QString("beta@example.org")) << "sub-items fill the next columns";
  EXPECT_EQ(tree->headerItem()->text(0), QString("Sender"));

  std::vector<std::pair<std::string, bool>> changes;
  list->OnChange = [&](TObject*, TListItem* item, TItemChange change) {
    if (change == ctState) changes.emplace_back(item->Caption(), item->Selected());
  };
  struct TStep {
    const char* Name;
    std::function<void()> Do;
    Integer SelCount;
    const char* First;
  };
  const TStep steps[] = {
    {"select the third by code", [&] { list->Items()[2]->SetSelected(true); }, 1, "gamma"},
    {"add the first with Ctrl+click",
     [&] {
       const QRect r = tree->visualItemRect(tree->topLevelItem(0));
       Click(tree->viewport(), r.center(), Qt::ControlModifier);
     },
     2, "alpha"},
    {"plain click on the second", [&] {
       const QRect r = tree->visualItemRect(tree->topLevelItem(1));
       Click(tree->viewport(), r.center());
     }, 1, "beta"},
    {"clear", [&] { list->ClearSelection(); }, 0, nullptr},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Name);
    s.Do();
    EXPECT_EQ(list->SelCount(), s.SelCount);
    TListItem* first = list->Selected();
    EXPECT_EQ(first != nullptr ? first->Caption() : AnsiString("none"), s.First != nullptr ? s.First : "none");
  }
  // Every row whose selection changed was reported once per change.
  EXPECT_EQ(changes, (std::vector<std::pair<std::string, bool>>{
                         {"gamma", true}, {"alpha", true}, {"alpha", false}, {"beta", true},
                         {"gamma", false}, {"beta", false}}));

  // Double clicks and the right button in the rows' area take the message route too.
  std::vector<std::string> mouse;
  list->OnDblClick = [&](TObject*) { mouse.push_back("double"); };
  list->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, Integer, Integer) {
    mouse.push_back(b == mbRight ? "right down" : "left down");
  };
  const QPoint row = tree->visualItemRect(tree->topLevelItem(2)).center();
  Mouse(tree->viewport(), QEvent::MouseButtonPress, row, Qt::RightButton);
  Mouse(tree->viewport(), QEvent::MouseButtonRelease, row, Qt::RightButton);
  Mouse(tree->viewport(), QEvent::MouseButtonDblClick, row);
  EXPECT_EQ(mouse, (std::vector<std::string>{"right down", "double", "left down"}));

  list->SetMultiSelect(false);
  list->Items()[0]->SetSelected(true);
  list->Items()[1]->SetSelected(true);
  EXPECT_EQ(list->SelCount(), 1) << "without MultiSelect one row at most is selected";
  EXPECT_EQ(list->Selected()->Caption(), "beta");
}

TEST_F(CommonControlsTest, OwnerDrawnPanelIsDrawnByOnDrawPanelAndCanBePaintedOver) {
  TStatusBar* bar = Form->StatusBar1;
  EXPECT_EQ(bar->BoundsRect(), Rect(0, 381, 500, 400)) << "the status bar sits at the bottom";
  QImage shot = bar->Widget()->grab().toImage();
  ASSERT_EQ(Form->DrawnPanels.size(), 1u) << "one owner-drawn panel, one call";
  const TRect r = Form->DrawnPanels[0];
  EXPECT_EQ(r, bar->PanelRect(1));
  EXPECT_GE(r.Left, 250) << "the second panel follows the 250-pixel first one";
  const QPoint inside(r.Left + 2, (r.Top + r.Bottom) / 2);
  EXPECT_EQ(shot.pixelColor(inside), QColor(0, 0, 128)) << "the handler's navy fill is what shows";

  // Painting on the canvas outside a repaint changes the picture without another owner-draw call.
  bar->Canvas().Brush()->SetColor(clRed);
  bar->Canvas().FillRect(Rect(r.Left, r.Top, r.Left + 5, r.Bottom));
  shot = bar->Widget()->grab().toImage();
  EXPECT_EQ(Form->DrawnPanels.size(), 1u);
  EXPECT_EQ(shot.pixelColor(inside), QColor(255, 0, 0));

  // A repaint draws the panels again, through the handler.
  Form->DrawColor = clLime;
  bar->Invalidate();
  shot = bar->Widget()->grab().toImage();
  EXPECT_EQ(Form->DrawnPanels.size(), 2u);
  EXPECT_EQ(shot.pixelColor(inside), QColor(0, 255, 0));
}

TEST_F(CommonControlsTest, MemoPositionsCountOnePerLineBreak) {
  TRichEdit* edit = Form->RichEdit1;
  edit->Lines().Add("ab");
  edit->Lines().Add("cd");
  EXPECT_EQ(edit->GetText(), "ab\r\ncd");
  EXPECT_EQ(edit->Lines().Text(), "ab\r\ncd\r\n");
  struct TCase {
    Integer SelStart;
    Integer SelLength;
    const char* SelText;
  };
  const TCase cases[] = {
    {0, 2, "ab"},
    {2, 1, "\r\n"},   // the break is one position
    {3, 2, "cd"},
    {1, 3, "b\r\nc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.SelStart);
    edit->SetSelStart(c.SelStart);
    edit->SetSelLength(c.SelLength);
    EXPECT_EQ(edit->SelStart(), c.SelStart);
    EXPECT_EQ(edit->SelLength(), c.SelLength);
    EXPECT_EQ(edit->SelText(), c.SelText);
  }
  // A rich edit takes the focus, so entering and leaving it is reported.
  std::vector<std::string> seen;
  edit->OnEnter = [&](TObject*) { seen.push_back("enter"); };
  edit->OnExit = [&](TObject*) { seen.push_back("exit"); };
  Form->PageControl2->SetActivePage(Form->TabSheet2);
  edit->SetFocus();
  Form->PageControl2->SetActivePage(Form->TabSheet1);
  Form->ListView1->SetFocus();
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "exit"}));
}

}  // namespace
}  // namespace orv::test
