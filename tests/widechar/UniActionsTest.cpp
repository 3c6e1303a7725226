// Wide actions: texts kept beside the narrow ones, links that make wide clients follow a change of
// the wide caption (also one whose ANSI form stays the same), hot-key and case rules of menu and
// control links, clients that differ from the action only in their wide texts, assigning actions,
// the link kinds, and wide texts applied to a form's controls.
#include <functional>
#include "platform/classes/ObjectText.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/CodePages.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniActnList.h"
#include "widechar/UniControls.h"
#include "widechar/UniMenus.h"

namespace orv::test {
namespace {

class TActionHostForm : public TForm {
 public:
  explicit TActionHostForm(TComponent* owner) : TForm(owner) {}
};

// A label with the wide action handling of a wide control class.
class TWideLinkedLabel : public TLabel {
 public:
  explicit TWideLinkedLabel(TComponent* owner) : TLabel(owner) {}
  TControlActionLinkClass GetActionLinkClass() const override { return WideActionLinkClassFor(this); }
  void ActionChange(TObject* sender, bool checkDefaults) override {
    ApplyWideActionTexts(this, dynamic_cast<TBasicAction*>(sender), checkDefaults);
    TLabel::ActionChange(sender, checkDefaults);
  }
};

class UniActionsTest : public WideLayerTest {
 protected:
  static void SetUpTestSuite() {
    WideLayerTest::SetUpTestSuite();
    RegisterClassType<TActionHostForm, TForm>("TActionHostForm");
  }
  void SetUp() override {
    WideLayerTest::SetUp();
    Form = MakeForm<TActionHostForm>("TActionHostForm", "object ActionHostForm: TActionHostForm\nend\n");
  }
  TUniMenuItem* NewItem() {
    auto* item = new TUniMenuItem(Form);  // owned by the form
    Menu.Items()->Add(item);
    return item;
  }
  TActionHostForm* Form = nullptr;
  TPopupMenu Menu{nullptr};
};

TEST_F(UniActionsTest, AnActionWithoutWideTextsReportsAndStoresItsAnsiForm) {
  auto* action = new TAction(Form);
  action->SetCaption("Senden");
  EXPECT_EQ(GetActionHelper(action), nullptr);
  EXPECT_EQ(GetActionWideCaption(action), u"Senden");
  SetActionWideCaption(action, u"Senden \u263A");
  EXPECT_EQ(action->Caption(), "Senden ?");
  EXPECT_EQ(GetActionWideCaption(action), u"Senden ?");
  SetActionWideHint(action, u"\u263A");
  EXPECT_EQ(action->Hint(), "?");
}

TEST_F(UniActionsTest, LinkedWideClientsFollowAChangeOfTheWideCaption) {
  auto* action = new TUniAction(Form);
  ASSERT_NE(GetActionHelper(action), nullptr);
  EXPECT_EQ(GetActionHelper(action), GetActionHelper(action)) << "one helper per action";
  action->SetWideCaption(u"&Senden \u263A");
  TUniMenuItem* item = NewItem();
  auto* label = new TWideLinkedLabel(Form);
  label->SetParent(Form);
  auto* plain = new TButton(Form);
  plain->SetParent(Form);
  item->SetAction(action);
  label->SetAction(action);
  plain->SetAction(action);
  EXPECT_EQ(Show(item->WideCaption()), Show(u"&Senden \u263A"));
  EXPECT_EQ(Show(GetWideText(label)), Show(u"&Senden \u263A"));
  EXPECT_EQ(plain->Caption(), "&Senden ?") << "a narrow client gets the ANSI form";

  // Another hot-key position and case: the menu item still counts as linked.
  item->SetWideCaption(u"SEN&DEN \u263A");
  // The new caption has the same ANSI form as the old one.
  action->SetWideCaption(u"&Senden \u263B");
  EXPECT_EQ(Show(action->WideCaption()), Show(u"&Senden \u263B"));
  EXPECT_EQ(Show(item->WideCaption()), Show(u"&Senden \u263B")) << "the linked item followed";
  EXPECT_EQ(Show(GetWideText(label)), Show(u"&Senden \u263B"));
  EXPECT_EQ(plain->Caption(), "&Senden ?");

  // A control with another case is not linked; the item is.
  SetWideText(label, u"&SENDEN \u263B");
  action->SetWideCaption(u"Empfangen \u2603");
  EXPECT_EQ(Show(item->WideCaption()), Show(u"Empfangen \u2603"));
  EXPECT_EQ(Show(GetWideText(label)), Show(u"&SENDEN \u263B")) << "a control with another case keeps its caption";
  EXPECT_EQ(plain->Caption(), "Empfangen ?");

  action->SetWideHint(u"Sendet \u263A");
  EXPECT_EQ(Show(item->WideHint()), Show(u"Sendet \u263A"));
  EXPECT_EQ(Show(GetWideHint(label)), Show(u"Sendet \u263A"));
  EXPECT_EQ(action->Hint(), "Sendet ?");
}

// A client whose narrow text equals the action's while its wide text does not is no longer linked:
// the narrow test alone would let it follow and lose its own wide text.
TEST_F(UniActionsTest, AClientWithTheSameAnsiFormButAnotherWideTextDoesNotFollow) {
  auto* action = new TUniAction(Form);
  action->SetWideCaption(u"Senden \u263A");
  action->SetWideHint(u"Sendet \u263A");
  auto* follower = new TWideLinkedLabel(Form);
  auto* label = new TWideLinkedLabel(Form);
  TUniMenuItem* item = NewItem();
  TUniMenuItem* followerItem = NewItem();
  for (TControl* c : {static_cast<TControl*>(follower), static_cast<TControl*>(label)}) {
    c->SetParent(Form);
    c->SetAction(action);
  }
  item->SetAction(action);
  followerItem->SetAction(action);
  // The same ANSI forms ("Senden ?", "Sendet ?") as the action's, other wide texts.
  SetWideText(label, u"Senden \u263B");
  SetWideHint(label, u"Sendet \u263B");
  item->SetWideCaption(u"Senden \u263B");
  item->SetWideHint(u"Sendet \u263B");

  struct TClient {
    const char* What;
    std::function<bool()> CaptionLinked, HintLinked;
    std::function<WideString()> Caption, Hint;
    bool Linked;
  };
  const std::vector<TClient> clients = {
      {"a control showing the action's texts", [&] { return follower->ActionLink()->IsCaptionLinked(); },
       [&] { return follower->ActionLink()->IsHintLinked(); }, [&] { return GetWideText(follower); },
       [&] { return GetWideHint(follower); }, true},
      {"a control with other wide texts", [&] { return label->ActionLink()->IsCaptionLinked(); },
       [&] { return label->ActionLink()->IsHintLinked(); }, [&] { return GetWideText(label); },
       [&] { return GetWideHint(label); }, false},
      {"a menu item showing the action's texts", [&] { return followerItem->ActionLink()->IsCaptionLinked(); },
       [&] { return followerItem->ActionLink()->IsHintLinked(); }, [&] { return followerItem->WideCaption(); },
       [&] { return followerItem->WideHint(); }, true},
      {"a menu item with other wide texts", [&] { return item->ActionLink()->IsCaptionLinked(); },
       [&] { return item->ActionLink()->IsHintLinked(); }, [&] { return item->WideCaption(); },
       [&] { return item->WideHint(); }, false},
  };
  for (const TClient& c : clients) {
    EXPECT_EQ(WideToAnsi(c.Caption()), action->Caption()) << c.What << ": the narrow halves agree";
    EXPECT_EQ(WideToAnsi(c.Hint()), action->Hint()) << c.What;
    EXPECT_EQ(c.CaptionLinked(), c.Linked) << c.What;
    EXPECT_EQ(c.HintLinked(), c.Linked) << c.What;
  }
  action->SetWideCaption(u"Empfangen \u2603");
  action->SetWideHint(u"Empf\u00E4ngt \u2603");
  for (const TClient& c : clients) {
    EXPECT_EQ(Show(c.Caption()), Show(c.Linked ? u"Empfangen \u2603" : u"Senden \u263B")) << c.What;
    EXPECT_EQ(Show(c.Hint()), Show(c.Linked ? u"Empf\u00E4ngt \u2603" : u"Sendet \u263B")) << c.What;
  }
}

TEST_F(UniActionsTest, AssigningAnActionCopiesItsWideTexts) {
  auto* source = new TUniAction(Form);
  source->SetWideCaption(u"Senden \u263A");
  source->SetWideHint(u"Sendet \u2603");
  source->SetShortCut(scCtrl | 'S');
  auto* target = new TUniAction(Form);
  target->Assign(source);
  EXPECT_EQ(Show(target->WideCaption()), Show(u"Senden \u263A")) << "no loss through the ANSI code page";
  EXPECT_EQ(Show(target->WideHint()), Show(u"Sendet \u2603"));
  EXPECT_EQ(target->ShortCut(), scCtrl | 'S');
  auto* narrow = new TAction(Form);
  narrow->SetCaption("Plain");
  target->Assign(narrow);
  EXPECT_EQ(target->WideCaption(), u"Plain");
  auto* label = new TLabel(Form);
  SetWideText(label, u"Vom Etikett \u263A");
  CopyWideActionTexts(target, label);
  EXPECT_EQ(Show(target->WideCaption()), Show(u"Vom Etikett \u263A"));
  auto* hint = new TUniHintAction(Form);
  hint->SetWideHint(u"\u263A");
  EXPECT_EQ(hint->Hint(), "?");
  void* intf = nullptr;
  EXPECT_TRUE(hint->QueryInterface(IWideTextAction::IID, &intf));
  EXPECT_FALSE(narrow->QueryInterface(IWideTextAction::IID, &intf));
}

TEST_F(UniActionsTest, LinkKindsAndWideTextsAppliedToAControl) {
  auto* button = new TButton(Form);
  auto* edit = new TEdit(Form);
  auto* label = new TLabel(Form);
  EXPECT_EQ(WideActionLinkClassFor(button), &TUniButtonActionLink::Create);
  EXPECT_EQ(WideActionLinkClassFor(edit), &TUniWinControlActionLink::Create);
  EXPECT_EQ(WideActionLinkClassFor(label), &TUniControlActionLink::Create);
  EXPECT_EQ(dynamic_cast<TUniMenuActionLink*>(TUniMenuItem(nullptr).GetActionLinkClass()(nullptr).get()) != nullptr, true);

  auto* action = new TUniAction(Form);
  action->SetWideCaption(u"Senden \u263A");
  action->SetWideHint(u"Sendet \u263A");
  label->SetName("Label1");
  label->SetCaption("Label1");
  ApplyWideActionTexts(label, action, true);
  EXPECT_EQ(Show(GetWideText(label)), Show(u"Senden \u263A")) << "a caption that is the name is a default";
  SetWideText(label, u"Eigen");
  SetWideHint(label, u"Eigener Hinweis");
  ApplyWideActionTexts(label, action, true);
  EXPECT_EQ(GetWideText(label), u"Eigen") << "checking defaults keeps an own caption";
  EXPECT_EQ(GetWideHint(label), u"Eigener Hinweis");
  ApplyWideActionTexts(label, action, false);
  EXPECT_EQ(Show(GetWideHint(label)), Show(u"Sendet \u263A"));
  auto* narrow = new TAction(Form);
  narrow->SetCaption("Plain");
  ApplyWideActionTexts(label, narrow, false);
  EXPECT_EQ(Show(GetWideText(label)), Show(u"Senden \u263A")) << "only wide actions apply wide texts";
}

TEST_F(UniActionsTest, AWideActionIsReadFromItsDescription) {
  auto* form = MakeForm<TActionHostForm>("TActionHostForm",
                                         "object ActionForm: TActionHostForm\n"
                                         "  object Action1: TUniAction\n"
                                         "    Caption = 'Senden ?'\n"
                                         "    Caption_UTF7 = 'Senden +Jjo'\n"
                                         "    Hint_UTF7 = '+Jjs'\n"
                                         "  end\n"
                                         "end\n");
  auto* action = dynamic_cast<TUniAction*>(form->FindComponent("Action1"));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(Show(action->WideCaption()), Show(u"Senden \u263A"));
  EXPECT_EQ(Show(action->WideHint()), Show(u"\u263B"));
  const AnsiString text = WriteComponentToText(form);
  EXPECT_NE(text.find("Caption_UTF7 = 'Senden +Jjo'"), AnsiString::npos) << text;
}

}  // namespace
}  // namespace orv::test
