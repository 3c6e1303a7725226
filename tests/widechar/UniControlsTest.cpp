// Wide control texts and Unicode windows: captions and hints kept beside the narrow ones, windowed
// controls in Unicode windows shown by their widgets with wide text, wide characters through the
// narrow key handling, narrow text messages converted by the system, window classes reused, and
// the wide hint window.
#include <QLineEdit>
#include <QPushButton>
#include "platform/forms/ActnList.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/CodePages.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniControls.h"
#include "tests/widechar/UnicodeTestControls.h"
#include "widechar/UniControlsInternal.h"

namespace orv::test {
namespace {

class THostForm : public TForm {
 public:
  explicit THostForm(TComponent* owner) : TForm(owner) {}
};

class UniControlsTest : public WideLayerTest {
 protected:
  static void SetUpTestSuite() {
    WideLayerTest::SetUpTestSuite();
    RegisterClassType<THostForm, TForm>("THostForm");
    RegisterUnicodeTestControls();
  }
  void SetUp() override {
    WideLayerTest::SetUp();
    Form = MakeForm<THostForm>("THostForm", "object HostForm: THostForm\n  Width = 320\n  Height = 200\nend\n");
  }
  template <class T>
  T* Place() {
    auto* control = new T(Form);  // owned by the form
    control->SetParent(Form);
    return control;
  }
  THostForm* Form = nullptr;
};

TEST_F(UniControlsTest, ANonWindowedControlKeepsItsWideCaptionBesideTheNarrowOne) {
  auto* label = Place<TLabel>();
  int changes = 0;
  label->WindowProc = [&, own = label->WindowProc](TMessage& m) {
    if (m.Msg == CM_TEXTCHANGED) ++changes;
    own(m);
  };
  const std::size_t holders = WideCaptionHolderCount();
  SetWideText(label, u"Senden \u263A");
  EXPECT_EQ(Show(GetWideText(label)), Show(u"Senden \u263A"));
  EXPECT_EQ(label->Caption(), "Senden ?");
  EXPECT_EQ(WideCaptionHolderCount(), holders + 1);
  // Another text with the same ANSI form still tells the control of a change: the narrow text is
  // emptied first.
  changes = 0;
  SetWideText(label, u"Senden \u263B");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(Show(GetWideText(label)), Show(u"Senden \u263B"));
  label->SetCaption("Anders");
  EXPECT_EQ(GetWideText(label), u"Anders") << "a narrow change made elsewhere wins";
  SetWideHint(label, u"Kurz \u263A|Lang \u263A");
  EXPECT_EQ(Show(GetWideHint(label)), Show(u"Kurz \u263A|Lang \u263A"));
  EXPECT_EQ(label->Hint(), "Kurz ?|Lang ?");
  EXPECT_EQ(Show(GetWideHintOfControlChain(label)), Show(u"Kurz \u263A|Lang \u263A"));
  delete label;
  EXPECT_EQ(WideCaptionHolderCount(), holders) << "the holder goes with its control";
}

TEST_F(UniControlsTest, AWindowedControlInAUnicodeWindowShowsItsWideCaption) {
  auto* button = Place<TUniTestButton>();
  SetWideText(button, u"Senden \u263A");  // no window yet: kept in the holder
  EXPECT_EQ(button->Caption(), "Senden ?");
  button->HandleNeeded();
  ASSERT_TRUE(IsWindowUnicode(button->Handle()));
  EXPECT_EQ(Show(GetWideText(button)), Show(u"Senden \u263A"));
  auto* widget = static_cast<QPushButton*>(button->Widget());
  EXPECT_EQ(widget->text(), QString::fromUtf16(u"Senden \u263A")) << "the widget shows the wide caption";
  SetWideText(button, u"Empfangen \u2603");
  EXPECT_EQ(widget->text(), QString::fromUtf16(u"Empfangen \u2603"));
  EXPECT_EQ(button->Caption(), "Empfangen ?");
  EXPECT_EQ(WindowClassName(button->Handle()), u"TUniTestButton.UnicodeClass");

  // A text message the control sends itself in narrow form is answered by the system in ANSI.
  char narrow[32] = {};
  EXPECT_EQ(button->Perform(WM_GETTEXT, sizeof narrow, PtrLParam(narrow)), 11);
  EXPECT_STREQ(narrow, "Empfangen ?");
  button->SetCaption("Plain");
  EXPECT_EQ(GetWideText(button), u"Plain");
  EXPECT_EQ(widget->text(), QString("Plain"));

  // Made again, the window keeps the wide caption.
  SetWideText(button, u"Wieder \u263A");
  button->RecreateWnd();
  ASSERT_TRUE(IsWindowUnicode(button->Handle()));
  EXPECT_EQ(Show(GetWideText(button)), Show(u"Wieder \u263A"));
  EXPECT_EQ(static_cast<QPushButton*>(button->Widget())->text(), QString::fromUtf16(u"Wieder \u263A"));
  // The ordinary control of the same kind stays narrow.
  auto* plain = Place<TButton>();
  plain->HandleNeeded();
  EXPECT_FALSE(IsWindowUnicode(plain->Handle()));
  SetWideText(plain, u"Senden \u263A");
  EXPECT_EQ(plain->Caption(), "Senden ?");
  EXPECT_EQ(GetWideText(plain), u"Senden ?");
}

TEST_F(UniControlsTest, AWideCharacterReachesKeyHandlingAs255AndTheWindowAsItself) {
  auto* edit = Place<TUniTestEdit>();
  edit->HandleNeeded();
  ASSERT_TRUE(IsWindowUnicode(edit->Handle()));
  SendMessageW(edit->Handle(), WM_CHAR, 0x263A, 0);
  EXPECT_EQ(edit->KeysPressed, std::vector<int>{255}) << "the narrow key handling sees a placeholder";
  EXPECT_EQ(Show(GetWideText(edit)), Show(u"\u263A")) << "the edit got the character itself";
  SendMessageW(edit->Handle(), WM_CHAR, u'\u00E9', 0);
  EXPECT_EQ(edit->KeysPressed.back(), 0xE9);
  EXPECT_EQ(Show(WideString(static_cast<QLineEdit*>(edit->Widget())->text().toStdU16String())), Show(u"\u263A\u00E9"));
  EXPECT_EQ(edit->GetText(), "?\xE9");
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_NOTIFYFORMAT, edit->Handle().AsWParam(), NF_QUERY), NFR_UNICODE);
  auto* plain = Place<TEdit>();
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_NOTIFYFORMAT, plain->Handle().AsWParam(), NF_QUERY), NFR_ANSI);
}

// After the layer's exit a subclassed window passes nothing on; when it goes then, the control
// forgets it, so nothing later takes the dead handle for a window of the control.
TEST_F(UniControlsTest, AWindowThatGoesAfterTheLayersExitLeavesItsControlWithoutAHandle) {
  auto* edit = Place<TUniTestEdit>();
  SetWideText(edit, u"Brief \u263A");
  const HWND window = edit->Handle();
  ASSERT_TRUE(IsWindowUnicode(window));
  struct TRestart {
    ~TRestart() { InitUniControls(); }
  } restart;
  FinalizeUniControls();
  SendMessageW(window, WM_SETTEXT, 0, PtrLParam(u"Anders"));
  EXPECT_EQ(static_cast<QLineEdit*>(edit->Widget())->text(), QString::fromUtf16(u"Brief \u263A"))
      << "the message was passed on";
  DestroyWindow(window);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(edit->HandleAllocated()) << "the control still holds its destroyed window";
  EXPECT_EQ(FindControl(window), nullptr);
}

TEST_F(UniControlsTest, UnicodeWindowClassesAreRegisteredOnceAndOnlyUnicodeWindowsAreSubclassed) {
  TCreateParams params;
  params.WinClassName = "TUniClassReuse";
  WideString first, second;
  RegisterUnicodeWindowClass(params, first, false);
  WNDCLASSW wc;
  ASSERT_TRUE(GetClassInfoW(HInstance(), first, &wc));
  const WNDPROC proc = wc.lpfnWndProc;
  RegisterUnicodeWindowClass(params, second, false);
  EXPECT_EQ(first, second);
  ASSERT_TRUE(GetClassInfoW(HInstance(), second, &wc));
  EXPECT_EQ(wc.lpfnWndProc, proc) << "registered with the same procedure: reused";
  RegisterUnicodeWindowClass(params, second, true);
  ASSERT_TRUE(GetClassInfoW(HInstance(), second, &wc));
  EXPECT_EQ(wc.lpfnWndProc, &TWinControl::InitWndProc) << "another procedure: registered anew";
  UnregisterClassW(second, HInstance());

  auto* plain = Place<TButton>();
  plain->HandleNeeded();
  try {
    SubClassUnicodeControl(plain, "x", false);
    ADD_FAILURE() << "a narrow window was subclassed";
  } catch (const EUniInternalError& e) {
    EXPECT_EQ(e.Message(), "Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  }
}

TEST_F(UniControlsTest, TheWideHintWindowShowsTheWideShortHint) {
  auto* button = Place<TUniTestButton>();
  button->SetShowHint(true);
  SetWideHint(button, u"Senden \u263A|Sendet alle Mails");
  Form->Show();
  Application->ActivateHint(button, Point(10, 10));
  THintWindow* window = Application->HintWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_NE(dynamic_cast<TUniCustomHintWindow*>(window), nullptr) << "the plain hint window was retyped";
  ASSERT_TRUE(window->HandleAllocated());
  EXPECT_TRUE(IsWindowUnicode(window->Handle()));
  EXPECT_EQ(Show(GetWideText(window)), Show(u"Senden \u263A"));
  EXPECT_GT(window->Width(), 6);
  Application->CancelHint();

  // A control that is not in a Unicode window keeps the class library's hint window.
  auto* plain = Place<TButton>();
  plain->SetHint("Plain|Long");
  Application->ActivateHint(plain, Point(10, 10));
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->ClassName(), "THintWindow");
  EXPECT_EQ(Application->HintWindow()->Caption(), "Plain");
  Application->CancelHint();
}

TEST_F(UniControlsTest, HintTextOfTheInformationWithAShortcut) {
  auto* button = Place<TUniTestButton>();
  auto* action = new TAction(Form);
  action->SetShortCut(scCtrl | 'S');
  button->SetAction(action);
  SetWideHint(button, u"Senden \u263A");
  THintInfo info;
  info.HintControl = button;
  info.HintWindowClass = ClassInfoOf<THintWindow>();
  RetypeHintWindow(info);
  EXPECT_TRUE(IsWideHintData(&info));
  EXPECT_EQ(info.HintStr, "Senden ?");
  EXPECT_EQ(Show(WideHintTextOf(info)), Show(u"Senden \u263A"));
  info.HintStr = "Senden ? (Strg+S)";
  EXPECT_EQ(Show(WideHintTextOf(info)), Show(u"Senden \u263A (Strg+S)")) << "the shortcut the application adds";
  info.HintStr = "Other";
  EXPECT_EQ(WideHintTextOf(info), u"Other");
  EXPECT_FALSE(IsWideHintData(nullptr));
  THintInfo other = info;
  other.HintData = nullptr;
  EXPECT_FALSE(IsWideHintData(&other));
}

TEST_F(UniControlsTest, TheCaptionIsStoredOnlyWithoutAnActionSupplyingIt) {
  auto* button = Place<TUniTestButton>();
  EXPECT_TRUE(IsCaptionStoredFor(button));
  auto* action = new TAction(Form);
  action->SetCaption("Send");
  action->SetHint("Sends");
  button->SetAction(action);
  EXPECT_FALSE(IsCaptionStoredFor(button));
  EXPECT_FALSE(IsHintStoredFor(button));
  button->SetCaption("Own");
  EXPECT_TRUE(IsCaptionStoredFor(button));
}

}  // namespace
}  // namespace orv::test
