// Check boxes and radio groups, combo box choices, the timer, popup menus and the screen's cursor
// slots, driven as the windows use them.
#include "tests/platform/forms/FormsFixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"
#include "platform/win/Version.h"

namespace orv::test {
namespace {

class TChoiceForm : public TForm {
 public:
  explicit TChoiceForm(TComponent* owner) : TForm(owner) {}
  TRadioButton* MailTyp1 = nullptr;
  TRadioButton* MailTyp2 = nullptr;
  TRadioButton* MailTyp3 = nullptr;
  TCheckBox* AutoCreateCheck = nullptr;
  TComboBox* AbsenderCombo = nullptr;
  TTimer* Timer1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* open1 = nullptr;
  std::vector<std::string> Events;
  void MailTypClick(TObject* sender) { Events.push_back("type " + static_cast<TComponent*>(sender)->Name()); }
  void AutoCreateCheckClick(TObject*) { Events.push_back(AutoCreateCheck->Checked() ? "auto on" : "auto off"); }
  void AbsenderComboChange(TObject*) { Events.push_back("combo " + std::to_string(AbsenderCombo->ItemIndex())); }
  void Timer1Timer(TObject*) {
    Events.push_back("timer");
    Timer1->SetEnabled(false);
  }
  void open1Click(TObject*) { Events.push_back("open"); }
};

const char* const kChoiceForm = R"(object ChoiceForm: TChoiceForm
  Width = 400
  Height = 300
  Caption = 'Write email'
  object MailTyp1: TRadioButton
    Left = 8
    Top = 8
    Width = 200
    Caption = 'Design (generated HTML and blank text)'
    Checked = True
    OnClick = MailTypClick
  end
  object MailTyp2: TRadioButton
    Left = 8
    Top = 30
    Width = 200
    Caption = 'HTML mail (blank HTML && blank text)'
    OnClick = MailTypClick
  end
  object MailTyp3: TRadioButton
    Left = 8
    Top = 52
    Width = 200
    Caption = 'Text mail (only blank text)'
    OnClick = MailTypClick
  end
  object AutoCreateCheck: TCheckBox
    Left = 8
    Top = 80
    Width = 250
    Caption = 'Create blank text automatically from HTML code'
    Checked = True
    OnClick = AutoCreateCheckClick
  end
  object AbsenderCombo: TComboBox
    Left = 8
    Top = 110
    Style = csDropDownList
    OnChange = AbsenderComboChange
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 20
    OnTimer = Timer1Timer
  end
  object PopupMenu1: TPopupMenu
    object open1: TMenuItem
      Caption = ' open'
      OnClick = open1Click
    end
    object Delete1: TMenuItem
      Caption = 'Delete'
    end
  end
end
)";

class StandardControlsTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TChoiceForm, TForm>("TChoiceForm")
        .Field("MailTyp1", &TChoiceForm::MailTyp1)
        .Field("MailTyp2", &TChoiceForm::MailTyp2)
        .Field("MailTyp3", &TChoiceForm::MailTyp3)
        .Field("AutoCreateCheck", &TChoiceForm::AutoCreateCheck)
        .Field("AbsenderCombo", &TChoiceForm::AbsenderCombo)
        .Field("Timer1", &TChoiceForm::Timer1)
        .Field("PopupMenu1", &TChoiceForm::PopupMenu1)
        .Field("open1", &TChoiceForm::open1)
        .Method("MailTypClick", &TChoiceForm::MailTypClick)
        .Method("AutoCreateCheckClick", &TChoiceForm::AutoCreateCheckClick)
        .Method("AbsenderComboChange", &TChoiceForm::AbsenderComboChange)
        .Method("Timer1Timer", &TChoiceForm::Timer1Timer)
        .Method("open1Click", &TChoiceForm::open1Click);
    Form = MakeForm<TChoiceForm>("TChoiceForm", kChoiceForm);
    Form->Show();
  }
  TChoiceForm* Form = nullptr;
};

TEST_F(StandardControlsTest, RadioButtonsOfOneParentFormAGroup) {
  EXPECT_TRUE(Form->Events.empty()) << "values read from the description fire no clicks";
  EXPECT_TRUE(Form->MailTyp1->Checked());
  struct TStep {
    const char* Name;
    std::function<void()> Do;
    std::vector<std::string> Events;
    bool Checked1, Checked2, Checked3;
  };
  const TStep steps[] = {
    {"click the third", [&] { Click(Form->MailTyp3->Widget(), QPoint(5, 5)); }, {"type MailTyp3"}, false, false, true},
    {"click the checked one again", [&] { Click(Form->MailTyp3->Widget(), QPoint(5, 5)); }, {}, false, false, true},
    {"check the second by code", [&] { Form->MailTyp2->SetChecked(true); }, {"type MailTyp2"}, false, true, false},
    {"uncheck by code", [&] { Form->MailTyp2->SetChecked(false); }, {}, false, false, false},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Name);
    Form->Events.clear();
    s.Do();
    EXPECT_EQ(Form->Events, s.Events);
    EXPECT_EQ(Form->MailTyp1->Checked(), s.Checked1);
    EXPECT_EQ(Form->MailTyp2->Checked(), s.Checked2);
    EXPECT_EQ(Form->MailTyp3->Checked(), s.Checked3);
  }
}

TEST_F(StandardControlsTest, CheckBoxClicksByUserAndByCode) {
  Click(Form->AutoCreateCheck->Widget(), QPoint(5, 5));
  EXPECT_FALSE(Form->AutoCreateCheck->Checked());
  Form->AutoCreateCheck->SetChecked(true);
  Form->AutoCreateCheck->SetChecked(true);
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"auto off", "auto on"}))
      << "a change by code clicks once; setting the same value again does nothing";
}

TEST_F(StandardControlsTest, ComboChoiceByUserChangesAndByCodeDoesNot) {
  TComboBox* combo = Form->AbsenderCombo;
  combo->Items().Add("Sender One one@example.org");
  combo->Items().Add("Sender Two two@example.org");
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->GetText(), "Sender Two two@example.org");
  EXPECT_TRUE(Form->Events.empty());
  auto* qt = static_cast<QComboBox*>(combo->Widget());
  ASSERT_EQ(qt->count(), 2);
  qt->setCurrentIndex(0);
  emit qt->activated(0);
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"combo 0"}));
  combo->Items().Clear();
  EXPECT_EQ(combo->ItemIndex(), -1) << "an emptied list has no choice";
  EXPECT_EQ(combo->GetText(), "");
  combo->SetItemIndex(5);
  EXPECT_EQ(combo->ItemIndex(), -1) << "an index past the items chooses nothing";
}

TEST_F(StandardControlsTest, UpDownReportsEachStepAsAScrollNotificationThatClicks) {
  auto* updown = new TUpDown(Form);
  updown->SetParent(Form);
  std::vector<std::string> seen;
  updown->SetMessageHandler(CN_VSCROLL, [&](TMessage& m) {
    seen.push_back("vscroll " + std::to_string(LOWORD(m.WParam)) + " at " +
                   std::to_string(static_cast<SmallInt>(HIWORD(m.WParam))));
    updown->InheritedDispatch(m);
  });
  updown->OnClick = [&](TObject*, TUDBtnType b) { seen.push_back(b == btNext ? "click up" : "click down"); };
  updown->ClickButton(btNext);
  updown->ClickButton(btPrev);
  EXPECT_EQ(seen, (std::vector<std::string>{"vscroll 4 at 1", "click up", "vscroll 8 at 1",
                                            "vscroll 4 at 0", "click down", "vscroll 8 at 0"}))
      << "SB_THUMBPOSITION with the new position clicks, SB_ENDSCROLL follows";
  seen.clear();
  updown->SetOrientation(udHorizontal);
  updown->SetMessageHandler(CN_HSCROLL, [&](TMessage& m) {
    seen.push_back("hscroll " + std::to_string(LOWORD(m.WParam)));
    updown->InheritedDispatch(m);
  });
  updown->ClickButton(btNext);
  EXPECT_EQ(seen, (std::vector<std::string>{"hscroll 4", "click up", "hscroll 8"}));
}

TEST_F(StandardControlsTest, EditClipboardGoesThroughMessagesItsHandlerMayRefuse) {
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  edit->SetText("text");
  bool refuse = true;
  std::vector<UINT> seen;
  for (UINT msg : {WM_CUT, WM_COPY, WM_PASTE}) {
    edit->SetMessageHandler(msg, [&, edit](TMessage& m) {
      seen.push_back(m.Msg);
      if (!refuse) edit->InheritedDispatch(m);
    });
  }
  QGuiApplication::clipboard()->setText("pasted");
  auto* line = static_cast<QLineEdit*>(edit->Widget());
  line->selectAll();
  Key(line, Qt::Key_V, QString(QLatin1Char('\x16')), Qt::ControlModifier);
  edit->PasteFromClipboard();
  line->selectAll();
  edit->CutToClipboard();
  EXPECT_EQ(edit->GetText(), "text") << "refused by the handler";
  EXPECT_EQ(seen, (std::vector<UINT>{WM_PASTE, WM_PASTE, WM_CUT})) << "the shortcut is a message too";

  refuse = false;
  line->selectAll();
  Key(line, Qt::Key_V, QString(QLatin1Char('\x16')), Qt::ControlModifier);
  EXPECT_EQ(edit->GetText(), "pasted");
  line->selectAll();
  edit->CutToClipboard();
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "pasted");

  auto* memo = new TMemo(Form);
  memo->SetParent(Form);
  memo->SetText("memo");
  memo->SelectAll();
  memo->CopyToClipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "memo") << "a memo's clipboard calls reach its own widget";
}

TEST_F(StandardControlsTest, Ctl3DAndReadingOrderFollowTheParentUntilSetOnTheirOwn) {
  auto* panel = new TPanel(Form);
  panel->SetParent(Form);
  auto* edit = new TEdit(Form);
  edit->SetParent(panel);
  std::vector<std::string> seen;
  edit->SetMessageHandler(CM_CTL3DCHANGED, [&](TMessage& m) { seen.push_back("3d"); edit->InheritedDispatch(m); });
  edit->SetMessageHandler(CM_BIDIMODECHANGED, [&](TMessage& m) { seen.push_back("bidi"); edit->InheritedDispatch(m); });
  EXPECT_TRUE(edit->Ctl3D());
  Form->SetCtl3D(false);
  Form->SetBiDiMode(bdRightToLeft);
  EXPECT_FALSE(edit->Ctl3D()) << "through the panel";
  EXPECT_EQ(edit->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(seen, (std::vector<std::string>{"3d", "bidi"}));
  EXPECT_FALSE(edit->UseRightToLeftReading()) << "reading order changes only on a Middle East system";
  TOSVersion middleEast = OSVersion();
  middleEast.MiddleEast = true;
  SetOSVersion(middleEast);
  const bool rtl = edit->UseRightToLeftReading() && edit->UseRightToLeftAlignment();
  ResetOSVersion();
  EXPECT_TRUE(rtl);

  edit->SetCtl3D(true);
  Form->SetCtl3D(false);
  Form->SetCtl3D(true);
  Form->SetCtl3D(false);
  EXPECT_TRUE(edit->Ctl3D()) << "a value of its own stops following";
  EXPECT_FALSE(edit->ParentCtl3D());
  edit->SetParentCtl3D(true);
  EXPECT_FALSE(edit->Ctl3D());
}

TEST_F(StandardControlsTest, GraphicControlHoldsTheMouseFromPressToRelease) {
  auto* panel = new TPanel(Form);
  panel->SetParent(Form);
  panel->SetBounds(200, 150, 100, 60);
  auto* label = new TLabel(Form);
  label->SetParent(panel);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 40, 20);
  std::vector<bool> captured;
  label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { captured.push_back(label->MouseCapture()); };
  label->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { captured.push_back(label->MouseCapture()); };
  Mouse(panel->Widget(), QEvent::MouseButtonPress, QPoint(15, 15));
  Mouse(panel->Widget(), QEvent::MouseButtonRelease, QPoint(90, 50));
  EXPECT_EQ(captured, (std::vector<bool>{true, true})) << "the release outside still reaches it";
  EXPECT_FALSE(label->MouseCapture());
}

TEST_F(StandardControlsTest, TimerFiresFromTheLoopWhileEnabled) {
  Form->Timer1->SetEnabled(true);
  QElapsedTimer clock;
  clock.start();
  while (Form->Events.empty() && clock.elapsed() < 2000) Application->HandleMessage();
  const qint64 waited = clock.elapsed();
  // It disabled itself in its handler: no second firing follows.
  while (clock.elapsed() < waited + 100) Application->ProcessMessages();
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"timer"}));
  EXPECT_FALSE(Form->Timer1->Enabled());
}

TEST_F(StandardControlsTest, PopupMenuItemsComeFromTheDescriptionAndClick) {
  ASSERT_EQ(Form->PopupMenu1->Items()->Count(), 2);
  EXPECT_EQ(Form->PopupMenu1->Items()->Items(0), Form->open1);
  EXPECT_EQ(Form->PopupMenu1->Items()->Items(1)->Caption(), "Delete");
  TPoint shownAt;
  SetPopupPresenter([&](TPopupMenu& menu, Integer x, Integer y) {
    shownAt = Point(x, y);
    return menu.Items()->Items(0);
  });
  Form->PopupMenu1->Popup(100, 200);
  SetPopupPresenter(nullptr);
  EXPECT_EQ(shownAt, Point(100, 200));
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"open"}));
}

TEST_F(StandardControlsTest, ScreenKeepsTheProgramsCursorSlots) {
  auto shape = std::make_shared<TCursorShape>();
  shape->Frames.push_back(QImage(32, 32, QImage::Format_ARGB32));
  shape->HotX = 3;
  Screen->SetCursors(14000, shape);
  EXPECT_EQ(Screen->Cursors(14000), shape);
  EXPECT_EQ(Screen->Cursors(14001), nullptr) << "an empty slot holds nothing";
  Screen->SetCursor(14000);
  EXPECT_EQ(Screen->Cursor(), 14000);
  Screen->SetCursor(crDefault);
  Screen->SetCursors(14000, nullptr);
  EXPECT_EQ(Screen->Cursors(14000), nullptr);
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_GT(Screen->Height(), 0);
}

TEST_F(StandardControlsTest, PositionsStayInRangeAndUpDownWritesItsEdit) {
  auto* bar = new TProgressBar(Form);  // owned by the form
  bar->SetParent(Form);
  struct TCase { Integer Set, Expected; };
  for (const TCase c : {TCase{50, 50}, TCase{150, 100}, TCase{-5, 0}}) {
    bar->SetPosition(c.Set);
    EXPECT_EQ(bar->Position(), c.Expected) << c.Set;
  }
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  auto* updown = new TUpDown(Form);
  updown->SetParent(Form);
  updown->SetMin(1);
  updown->SetMax(3);
  updown->SetAssociate(edit);
  updown->SetPosition(2);
  EXPECT_EQ(edit->GetText(), "2");
  updown->ClickButton(btNext);
  updown->ClickButton(btNext);
  EXPECT_EQ(updown->Position(), 3) << "without Wrap the position stops at Max";
  updown->SetWrap(true);
  updown->ClickButton(btNext);
  EXPECT_EQ(updown->Position(), 1) << "with Wrap it goes round to Min";
  EXPECT_EQ(edit->GetText(), "1");
}

TEST_F(StandardControlsTest, ImagePlacesItsPictureByStretchCenterAndProportion) {
  auto* image = new TImage(Form);
  image->SetParent(Form);
  image->SetBounds(0, 0, 100, 50);
  TBitmap bitmap(20, 10);
  image->Picture()->SetGraphic(&bitmap);
  struct TCase {
    bool Stretch, Center, Proportional;
    TRect Expected;
  };
  const TCase cases[] = {
    {false, false, false, Rect(0, 0, 20, 10)},
    {false, true, false, Rect(40, 20, 60, 30)},
    {true, false, false, Rect(0, 0, 100, 50)},
    {true, true, true, Rect(0, 0, 100, 50)},
  };
  for (const auto& c : cases) {
    image->SetStretch(c.Stretch);
    image->SetCenter(c.Center);
    image->SetProportional(c.Proportional);
    EXPECT_EQ(image->DestRect(), c.Expected) << c.Stretch << c.Center << c.Proportional;
  }
  image->SetBounds(0, 0, 100, 100);
  EXPECT_EQ(image->DestRect(), Rect(0, 25, 100, 75)) << "a proportional picture keeps its shape";
}

}  // namespace
}  // namespace orv::test
