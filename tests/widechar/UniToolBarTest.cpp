// Tool buttons that follow wide actions: the wide link kind of a tool button, wide captions and
// hints handed to the buttons (also a change the ANSI code page cannot show), checked and enabled
// state and the image, and a button with a caption of its own that no longer follows.
#include <QToolButton>
#include "platform/forms/Buttons.h"
#include "platform/forms/ToolBars.h"
#include "tests/widechar/UnicodeTestControls.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniActnList.h"
#include "widechar/UniControls.h"

namespace orv::test {
namespace {

// A tool button in a Unicode window with the wide action handling of a wide control class.
class TUniTestToolButton : public TUnicodeWindowed<TToolButton> {
 public:
  using TUnicodeWindowed<TToolButton>::TUnicodeWindowed;
  TControlActionLinkClass GetActionLinkClass() const override { return WideActionLinkClassFor(this); }
  void ActionChange(TObject* sender, bool checkDefaults) override {
    ApplyWideActionTexts(this, dynamic_cast<TBasicAction*>(sender), checkDefaults);
    TUnicodeWindowed<TToolButton>::ActionChange(sender, checkDefaults);
  }
};

class TBarHostForm : public TForm {
 public:
  explicit TBarHostForm(TComponent* owner) : TForm(owner) {}
};

class UniToolBarTest : public WideLayerTest {
 protected:
  static void SetUpTestSuite() {
    WideLayerTest::SetUpTestSuite();
    RegisterClassType<TBarHostForm, TForm>("TBarHostForm");
    RegisterClassType<TUniTestToolButton, TToolButton>("TUniTestToolButton");
  }
  void SetUp() override {
    WideLayerTest::SetUp();
    Form = MakeForm<TBarHostForm>("TBarHostForm", "object BarHostForm: TBarHostForm\n  Width = 300\nend\n");
    Bar = new TToolBar(Form);
    Bar->SetParent(Form);
    Bar->SetShowCaptions(true);
    Form->Show();
  }
  template <class T>
  T* AddButton(TToolButtonStyle style) {
    auto* button = new T(Form);
    button->SetParent(Bar);
    button->SetStyle(style);
    return button;
  }
  static QString Shown(TToolButton* b) { return static_cast<QToolButton*>(b->Widget())->text(); }

  TBarHostForm* Form = nullptr;
  TToolBar* Bar = nullptr;
};

TEST_F(UniToolBarTest, TheWideLinkKindOfAToolButton) {
  auto* tool = new TToolButton(Form);
  auto* speed = new TSpeedButton(Form);
  EXPECT_EQ(WideActionLinkClassFor(tool), &TUniToolButtonActionLink::Create);
  EXPECT_EQ(WideActionLinkClassFor(speed), &TUniButtonActionLink::Create) << "a speed button is a button control";
  EXPECT_EQ(tool->GetActionLinkClass(), &TToolButtonActionLink::Create);
  auto link = TUniToolButtonActionLink::Create(tool);
  EXPECT_NE(dynamic_cast<TToolButtonActionLink*>(link.get()), nullptr) << "the wide link keeps the checked state's rule";
}

TEST_F(UniToolBarTest, ButtonsFollowAWideAction) {
  auto* wide1 = AddButton<TUniTestToolButton>(tbsCheck);
  auto* wide2 = AddButton<TUniTestToolButton>(tbsCheck);
  auto* plain = AddButton<TToolButton>(tbsCheck);
  auto* action = new TUniAction(Form);
  action->SetWideCaption(u"Senden \u263A");
  action->SetWideHint(u"Senden|Sendet \u263A");
  action->SetChecked(true);
  for (TToolButton* b : {static_cast<TToolButton*>(wide1), static_cast<TToolButton*>(wide2), plain}) b->SetAction(action);
  ASSERT_NE(dynamic_cast<TUniToolButtonActionLink*>(wide1->ActionLink()), nullptr);

  EXPECT_TRUE(IsWindowUnicode(wide1->Handle()));
  for (TUniTestToolButton* b : {wide1, wide2}) {
    EXPECT_EQ(Show(GetWideText(b)), Show(u"Senden \u263A"));
    EXPECT_EQ(Shown(b), QString::fromUtf16(u"Senden \u263A")) << "the Qt button shows the wide caption";
    EXPECT_EQ(Show(GetWideHint(b)), Show(u"Senden|Sendet \u263A"));
    EXPECT_TRUE(b->Down());
  }
  EXPECT_EQ(plain->Caption(), "Senden ?") << "a narrow button gets the ANSI form";
  EXPECT_TRUE(plain->Down());

  // A new caption with the same ANSI form still reaches the wide buttons.
  action->SetWideCaption(u"Senden \u263B");
  EXPECT_EQ(Show(GetWideText(wide1)), Show(u"Senden \u263B"));
  EXPECT_EQ(Shown(wide2), QString::fromUtf16(u"Senden \u263B"));
  action->SetWideHint(u"Senden|Schickt \u2603");
  EXPECT_EQ(Show(GetWideHint(wide2)), Show(u"Senden|Schickt \u2603"));
  EXPECT_EQ(plain->Hint(), "Senden|Schickt ?");

  action->SetChecked(false);
  action->SetEnabled(false);
  for (TToolButton* b : {static_cast<TToolButton*>(wide1), static_cast<TToolButton*>(wide2), plain}) {
    EXPECT_FALSE(b->Down()) << b->Name();
    EXPECT_FALSE(static_cast<QToolButton*>(b->Widget())->isChecked());
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(b->Widget()->isEnabled());
  }
  action->SetEnabled(true);
  action->SetImageIndex(2);
  for (TToolButton* b : {static_cast<TToolButton*>(wide1), static_cast<TToolButton*>(wide2), plain})
    EXPECT_EQ(b->ImageIndex(), 2) << "the wide link hands on the image as the plain one does";

  // A button whose caption differs from the action's (if only in case) keeps its own.
  SetWideText(wide2, u"SENDEN \u263B");
  action->SetWideCaption(u"Empfangen \u2603");
  EXPECT_EQ(Show(GetWideText(wide1)), Show(u"Empfangen \u2603"));
  EXPECT_EQ(Show(GetWideText(wide2)), Show(u"SENDEN \u263B"));
  EXPECT_EQ(Shown(wide2), QString::fromUtf16(u"SENDEN \u263B"));
  EXPECT_EQ(plain->Caption(), "Empfangen ?");
  for (TToolButton* b : {static_cast<TToolButton*>(wide1), static_cast<TToolButton*>(wide2), plain}) b->SetAction(nullptr);
}

}  // namespace
}  // namespace orv::test
