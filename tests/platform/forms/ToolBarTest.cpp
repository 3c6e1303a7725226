// The tool bar: buttons from a description laid out left to right, captions and images from the
// bar's image list, check buttons and groups clicked through Qt, separators, the drop-down menu,
// buttons that follow their actions (caption, hint, checked, enabled, visible, image), rows that
// wrap with the bar's width, and buttons pressed with the mouse on the window.
#include "tests/platform/forms/FormsFixture.h"

#include <QImage>
#include <QToolBar>
#include <QToolButton>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ToolBars.h"
#include "platform/graphics/ImgList.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TBarForm : public TForm {
 public:
  explicit TBarForm(TComponent* owner) : TForm(owner) {}
  TToolBar* ToolBar1 = nullptr;
  TToolButton* NewBtn = nullptr;
  TToolButton* Sep1 = nullptr;
  TToolButton* LeftBtn = nullptr;
  TToolButton* RightBtn = nullptr;
  TToolButton* BoldBtn = nullptr;
  TToolButton* MoreBtn = nullptr;
  TPopupMenu* MorePopup = nullptr;
  std::vector<std::string> Clicks;
  void BtnClick(TObject* sender) { Clicks.push_back(static_cast<TComponent*>(sender)->Name()); }
};

const char* const kBarForm = R"(object BarForm: TBarForm
  Width = 400
  Height = 300
  object ToolBar1: TToolBar
    ButtonWidth = 30
    ButtonHeight = 26
    ShowCaptions = True
    object NewBtn: TToolButton
      Caption = 'Neu'
      Hint = 'Neu|Neue Mail'
      ImageIndex = 0
      OnClick = BtnClick
    end
    object Sep1: TToolButton
      Style = tbsSeparator
      OnClick = BtnClick
    end
    object LeftBtn: TToolButton
      Caption = 'L'
      Style = tbsCheck
      Grouped = True
      Down = True
      OnClick = BtnClick
    end
    object RightBtn: TToolButton
      Caption = 'R'
      Style = tbsCheck
      Grouped = True
      OnClick = BtnClick
    end
    object BoldBtn: TToolButton
      Caption = 'F'
      Style = tbsCheck
      OnClick = BtnClick
    end
    object MoreBtn: TToolButton
      Caption = 'Mehr'
      Style = tbsDropDown
      DropdownMenu = MorePopup
    end
  end
  object MorePopup: TPopupMenu
  end
end
)";

class ToolBarTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TBarForm, TForm>("TBarForm")
        .Field("ToolBar1", &TBarForm::ToolBar1)
        .Field("NewBtn", &TBarForm::NewBtn)
        .Field("Sep1", &TBarForm::Sep1)
        .Field("LeftBtn", &TBarForm::LeftBtn)
        .Field("RightBtn", &TBarForm::RightBtn)
        .Field("BoldBtn", &TBarForm::BoldBtn)
        .Field("MoreBtn", &TBarForm::MoreBtn)
        .Field("MorePopup", &TBarForm::MorePopup)
        .Method("BtnClick", &TBarForm::BtnClick);
    Form = MakeForm<TBarForm>("TBarForm", kBarForm);
    Form->Show();
  }
  static QToolButton* Q(TToolButton* b) { return static_cast<QToolButton*>(b->Widget()); }
  static void Press(TToolButton* b) { Click(b->Widget(), QPoint(5, 5)); }

  TBarForm* Form = nullptr;
};

TEST_F(ToolBarTest, ButtonsSitLeftToRightOnABarAtTheTop) {
  TToolBar* bar = Form->ToolBar1;
  EXPECT_NE(qobject_cast<QToolBar*>(bar->Widget()), nullptr);
  EXPECT_EQ(bar->Align(), alTop);
  EXPECT_EQ(bar->Top(), 0);
  EXPECT_EQ(bar->Width(), Form->ClientWidth());
  ASSERT_EQ(bar->ButtonCount(), 6);
  EXPECT_EQ(bar->Buttons(0), Form->NewBtn);
  EXPECT_THROW(bar->Buttons(6), EListError);
  struct TExpected {
    TToolButton* Button;
    Integer Left, Width;
  };
  for (const TExpected& e : {TExpected{Form->NewBtn, 0, 30}, TExpected{Form->Sep1, 30, 8}, TExpected{Form->LeftBtn, 38, 30},
                             TExpected{Form->RightBtn, 68, 30}, TExpected{Form->MoreBtn, 128, 30}}) {
    EXPECT_EQ(e.Button->Left(), e.Left) << e.Button->Name();
    EXPECT_EQ(e.Button->Width(), e.Width) << e.Button->Name();
    EXPECT_EQ(e.Button->Height(), 26) << e.Button->Name();
    EXPECT_EQ(e.Button->Widget()->geometry(), QRect(e.Left, 0, e.Width, 26)) << e.Button->Name();
  }
  // A hidden button leaves no gap; a new width moves the rest.
  Form->RightBtn->SetVisible(false);
  EXPECT_EQ(Form->BoldBtn->Left(), 68);
  Form->RightBtn->SetVisible(true);
  bar->SetButtonWidth(40);
  EXPECT_EQ(Form->LeftBtn->Left(), 48);
  EXPECT_EQ(Form->Sep1->Width(), 8) << "a separator keeps its own width";
  // A button that goes closes the gap.
  delete Form->Sep1;
  Form->Sep1 = nullptr;
  EXPECT_EQ(Form->LeftBtn->Left(), 40);
  EXPECT_EQ(bar->ButtonCount(), 5);

  EXPECT_EQ(Q(Form->NewBtn)->text(), QString("Neu"));
  bar->SetShowCaptions(false);
  EXPECT_TRUE(Q(Form->NewBtn)->text().isEmpty()) << "without captions only the image shows";
  EXPECT_EQ(Q(Form->MoreBtn)->popupMode(), QToolButton::MenuButtonPopup);
}

TEST_F(ToolBarTest, ImagesComeFromTheBarsImageList) {
  auto* images = new TImageList(Form);
  images->SetWidth(16);
  images->SetHeight(16);
  TBitmap red;
  red.SetSize(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(Rect(0, 0, 16, 16));
  ASSERT_EQ(images->Add(&red, nullptr), 0);
  EXPECT_TRUE(Q(Form->NewBtn)->icon().isNull());
  Form->ToolBar1->SetImages(images);
  ASSERT_FALSE(Q(Form->NewBtn)->icon().isNull());
  const QImage shown = Q(Form->NewBtn)->icon().pixmap(16, 16).toImage();
  EXPECT_EQ(shown.pixelColor(8, 8), QColor(255, 0, 0));
  EXPECT_EQ(Q(Form->NewBtn)->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  EXPECT_TRUE(Q(Form->LeftBtn)->icon().isNull()) << "no image index, no image";
  Form->LeftBtn->SetImageIndex(5);
  EXPECT_TRUE(Q(Form->LeftBtn)->icon().isNull()) << "an index past the list shows none";
  delete images;
  EXPECT_EQ(Form->ToolBar1->Images(), nullptr);
  EXPECT_TRUE(Q(Form->NewBtn)->icon().isNull());
}

TEST_F(ToolBarTest, CheckButtonsAndGroupsFollowClicks) {
  EXPECT_TRUE(Form->LeftBtn->Down());
  EXPECT_TRUE(Q(Form->LeftBtn)->isChecked());
  Press(Form->RightBtn);
  EXPECT_TRUE(Form->RightBtn->Down());
  EXPECT_FALSE(Form->LeftBtn->Down()) << "one of a group is down";
  EXPECT_FALSE(Q(Form->LeftBtn)->isChecked());
  Press(Form->RightBtn);
  EXPECT_TRUE(Form->RightBtn->Down()) << "a group's down button stays down";
  EXPECT_TRUE(Q(Form->RightBtn)->isChecked());
  Form->RightBtn->SetAllowAllUp(true);
  Press(Form->RightBtn);
  EXPECT_FALSE(Form->RightBtn->Down()) << "unless all may be up";
  Press(Form->BoldBtn);
  EXPECT_TRUE(Form->BoldBtn->Down());
  Press(Form->BoldBtn);
  EXPECT_FALSE(Form->BoldBtn->Down()) << "an ungrouped check button toggles";
  Press(Form->NewBtn);
  EXPECT_FALSE(Form->NewBtn->Down());
  Form->NewBtn->SetDown(true);
  EXPECT_FALSE(Form->NewBtn->Down()) << "a plain button is never down";
  Form->Sep1->Click();
  EXPECT_EQ(Form->Clicks, (std::vector<std::string>{"RightBtn", "RightBtn", "RightBtn", "BoldBtn", "BoldBtn", "NewBtn"}))
      << "a separator runs no OnClick";
  Form->Clicks.clear();
  Form->LeftBtn->SetDown(true);
  EXPECT_FALSE(Form->RightBtn->Down());
  EXPECT_TRUE(Form->Clicks.empty()) << "Down set by code runs no OnClick";
  // The drop-down menu pops up below its button.
  TPoint shownAt;
  TPopupMenu* shown = nullptr;
  SetPopupPresenter([&](TPopupMenu& menu, Integer x, Integer y) {
    shown = &menu;
    shownAt = Point(x, y);
    return nullptr;
  });
  EXPECT_TRUE(Form->MoreBtn->CheckMenuDropdown());
  SetPopupPresenter(nullptr);
  EXPECT_EQ(shown, Form->MorePopup);
  EXPECT_EQ(shownAt, Form->MoreBtn->ClientToScreen(Point(0, Form->MoreBtn->Height())));
  EXPECT_FALSE(Form->NewBtn->CheckMenuDropdown());
  // A press on the arrow of a drop-down button does the same; elsewhere it is a plain press.
  shown = nullptr;
  SetPopupPresenter([&](TPopupMenu& menu, Integer, Integer) {
    shown = &menu;
    return nullptr;
  });
  Mouse(Form->MoreBtn->Widget(), QEvent::MouseButtonPress, QPoint(2, 5));
  Mouse(Form->MoreBtn->Widget(), QEvent::MouseButtonRelease, QPoint(2, 5));
  EXPECT_EQ(shown, nullptr);
  Mouse(Form->MoreBtn->Widget(), QEvent::MouseButtonPress, QPoint(Form->MoreBtn->Width() - 2, 5));
  Mouse(Form->MoreBtn->Widget(), QEvent::MouseButtonRelease, QPoint(Form->MoreBtn->Width() - 2, 5));
  SetPopupPresenter(nullptr);
  EXPECT_EQ(shown, Form->MorePopup);
}

TEST_F(ToolBarTest, ButtonsFollowTheirActions) {
  auto* send = new TAction(Form);
  send->SetCaption("Senden");
  send->SetHint("Senden|Sendet die Mail");
  send->SetChecked(true);
  int executed = 0;
  send->OnExecute = [&](TObject*) { ++executed; };
  Form->BoldBtn->OnClick = nullptr;
  Form->BoldBtn->SetAction(send);
  ASSERT_NE(dynamic_cast<TToolButtonActionLink*>(Form->BoldBtn->ActionLink()), nullptr);
  EXPECT_EQ(Form->BoldBtn->Caption(), "Senden");
  EXPECT_EQ(Form->BoldBtn->Hint(), "Senden|Sendet die Mail");
  EXPECT_TRUE(Form->BoldBtn->Down());
  EXPECT_EQ(Q(Form->BoldBtn)->text(), QString("Senden"));

  send->SetChecked(false);
  EXPECT_FALSE(Form->BoldBtn->Down());
  EXPECT_FALSE(Q(Form->BoldBtn)->isChecked());
  send->SetEnabled(false);
  EXPECT_FALSE(Form->BoldBtn->Enabled());
  EXPECT_FALSE(Q(Form->BoldBtn)->isEnabled());
  send->SetEnabled(true);
  send->SetCaption("Abschicken");
  EXPECT_EQ(Q(Form->BoldBtn)->text(), QString("Abschicken"));
  send->SetVisible(false);
  EXPECT_FALSE(Form->BoldBtn->Visible());
  EXPECT_EQ(Form->MoreBtn->Left(), 98) << "the bar closed the gap";
  send->SetVisible(true);
  Press(Form->BoldBtn);
  EXPECT_EQ(executed, 1) << "a click runs the action";
  Form->BoldBtn->SetAction(nullptr);
}


// A list of solid squares, one for each colour.
TImageList* SolidImages(TComponent* owner, std::initializer_list<TColor> colors) {
  auto* images = new TImageList(owner);
  images->SetWidth(16);
  images->SetHeight(16);
  for (TColor color : colors) {
    TBitmap square;
    square.SetSize(16, 16);
    square.Canvas()->Brush()->SetColor(color);
    square.Canvas()->FillRect(Rect(0, 0, 16, 16));
    images->Add(&square, nullptr);
  }
  return images;
}

QColor ShownColor(QToolButton* button) { return button->icon().pixmap(16, 16).toImage().pixelColor(8, 8); }

TEST_F(ToolBarTest, AButtonShowsItsActionsImage) {
  Form->ToolBar1->SetImages(SolidImages(Form, {clRed, clLime, clBlue}));
  auto* send = new TAction(Form);
  send->SetImageIndex(1);
  Form->BoldBtn->SetAction(send);
  EXPECT_EQ(Form->BoldBtn->ImageIndex(), 1) << "a button without an image takes the action's";
  EXPECT_EQ(ShownColor(Q(Form->BoldBtn)), QColor(0, 255, 0));
  send->SetImageIndex(2);
  EXPECT_EQ(Form->BoldBtn->ImageIndex(), 2) << "a linked button follows the action";
  EXPECT_EQ(ShownColor(Q(Form->BoldBtn)), QColor(0, 0, 255));
  // A button that shows an image of its own is no longer linked to the action's.
  Form->BoldBtn->SetImageIndex(0);
  send->SetImageIndex(1);
  EXPECT_EQ(Form->BoldBtn->ImageIndex(), 0);
  EXPECT_EQ(ShownColor(Q(Form->BoldBtn)), QColor(255, 0, 0));
  // Linked by code rather than while its form is read, a button with an image of its own takes
  // the action's all the same.
  Form->NewBtn->SetAction(send);
  EXPECT_EQ(Form->NewBtn->ImageIndex(), 1);
  Form->BoldBtn->SetAction(nullptr);
  Form->NewBtn->SetAction(nullptr);
}

TEST_F(ToolBarTest, ButtonsWrapIntoRowsAndFollowTheBarsWidth) {
  TToolBar* bar = Form->ToolBar1;
  struct TRow {
    Integer BarWidth;
    std::vector<std::pair<Integer, Integer>> Places;  // NewBtn, Sep1, LeftBtn, RightBtn, BoldBtn, MoreBtn
  };
  const std::vector<TRow> table = {
      {400, {{0, 0}, {30, 0}, {38, 0}, {68, 0}, {98, 0}, {128, 0}}},
      {100, {{0, 0}, {30, 0}, {38, 0}, {68, 0}, {0, 26}, {30, 26}}},
      {70, {{0, 0}, {30, 0}, {38, 0}, {0, 26}, {30, 26}, {0, 52}}},
      {10, {{0, 0}, {0, 26}, {0, 52}, {0, 78}, {0, 104}, {0, 130}}},  // a row holds one button at least
  };
  const std::vector<TToolButton*> buttons = {Form->NewBtn, Form->Sep1, Form->LeftBtn, Form->RightBtn, Form->BoldBtn, Form->MoreBtn};
  for (const TRow& row : table) {
    // The bar sits at the top: the form's width is the bar's.
    Form->SetWidth(row.BarWidth);
    ASSERT_EQ(bar->Width(), row.BarWidth);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      EXPECT_EQ(std::make_pair(buttons[i]->Left(), buttons[i]->Top()), row.Places[i])
          << buttons[i]->Name() << " on a bar " << row.BarWidth << " wide";
      EXPECT_EQ(buttons[i]->Widget()->pos(), QPoint(row.Places[i].first, row.Places[i].second)) << buttons[i]->Name();
    }
  }
  bar->SetWrapable(false);
  EXPECT_EQ(Form->MoreBtn->Left(), 128) << "a bar that does not wrap keeps one row";
  EXPECT_EQ(Form->MoreBtn->Top(), 0);
}

TEST_F(ToolBarTest, AButtonPressedOnTheWindowRunsItsAction) {
  auto* send = new TAction(Form);
  int executed = 0;
  send->OnExecute = [&](TObject*) { ++executed; };
  Form->NewBtn->OnClick = nullptr;
  Form->NewBtn->SetAction(send);
  // NewBtn and the separator on the first row, BoldBtn on the fourth; the bar is high enough for all.
  Form->SetWidth(40);
  Form->ToolBar1->SetHeight(5 * 26);
  ASSERT_EQ(Form->BoldBtn->Top(), 78);
  WindowClick(Form->NewBtn->Widget(), QPoint(15, 13));
  EXPECT_EQ(executed, 1);
  WindowClick(Form->BoldBtn->Widget(), QPoint(15, 13));
  EXPECT_TRUE(Form->BoldBtn->Down()) << "a wrapped button is pressed where it shows";
  EXPECT_EQ(Form->Clicks, std::vector<std::string>{"BoldBtn"});
  Form->NewBtn->SetAction(nullptr);
}

}  // namespace
}  // namespace orv::test
