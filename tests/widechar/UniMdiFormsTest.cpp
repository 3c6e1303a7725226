// Wide MDI forms: a wide MDI main form with wide and plain children made the wide way, activation
// through the frame's default handling, cascade and tile inside the client area, closing a child,
// the error text without an MDI main form, flat scroll bars turned off with the window, and the
// frame's wide default handling (its size left to the form, which keeps the client beside its tool
// bar; text kept wide).
#include <QMenuBar>
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Menus.h"
#include "platform/win/FlatScrollBars.h"
#include "platform/win/MdiWindows.h"
#include "platform/win/Menus.h"
#include "tests/platform/forms/MdiTestUtil.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniControls.h"
#include "widechar/UniForms.h"

namespace orv::test {
namespace {

class TWideMdiMain : public TUniForm {
 public:
  explicit TWideMdiMain(TComponent* owner) : TUniForm(owner) {}
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Window1 = nullptr;
};

class TWideMdiChild : public TUniForm {
 public:
  explicit TWideMdiChild(TComponent* owner) : TUniForm(owner) {}
};

class TPlainMdiChild : public TForm {
 public:
  explicit TPlainMdiChild(TComponent* owner) : TForm(owner) {}
};

class TPlainMain : public TForm {
 public:
  explicit TPlainMain(TComponent* owner) : TForm(owner) {}
};

const char* const kMain = R"(object WideMdiMain: TWideMdiMain
  Width = 640
  Height = 480
  FormStyle = fsMDIForm
  Caption_UTF7 = 'Post +Jjo'
  Menu = MainMenu1
  WindowMenu = Window1
  object MainMenu1: TMainMenu
    object Window1: TMenuItem
      Caption = '&Fenster'
      object Cascade1: TMenuItem
        Caption = '&Cascade'
      end
    end
  end
end
)";

const char* const kWideChild = R"(object WideMdiChild: TWideMdiChild
  Width = 200
  Height = 150
  FormStyle = fsMDIChild
  Caption_UTF7 = 'Brief +Jjo'
end
)";

const char* const kPlainChild = R"(object PlainMdiChild: TPlainMdiChild
  Width = 200
  Height = 150
  FormStyle = fsMDIChild
  Caption = 'Notiz'
end
)";

class UniMdiFormsTest : public WideLayerTest {
 protected:
  static void SetUpTestSuite() {
    WideLayerTest::SetUpTestSuite();
    RegisterClassType<TWideMdiMain, TUniForm>("TWideMdiMain")
        .Field("MainMenu1", &TWideMdiMain::MainMenu1)
        .Field("Window1", &TWideMdiMain::Window1);
    RegisterClassType<TWideMdiChild, TUniForm>("TWideMdiChild");
    RegisterClassType<TPlainMdiChild, TForm>("TPlainMdiChild");
    RegisterClassType<TPlainMain, TForm>("TPlainMain");
    RegisterComponentResource("TWideMdiMain", kMain);
    RegisterComponentResource("TWideMdiChild", kWideChild);
    RegisterComponentResource("TPlainMdiChild", kPlainChild);
    RegisterComponentResource("TPlainMain", "object PlainMain: TPlainMain\nend\n");
  }
  void SetUp() override {
    WideLayerTest::SetUp();
    ASSERT_EQ(Application->MainForm(), nullptr);
  }
  void MakeMain() {
    Application->CreateForm(Main);
    FForms.push_back(Main);
    Main->Show();
  }
  template <class T>
  T* NewChild() {
    T* child = TCustomForm::Create<T>(nullptr);
    FForms.push_back(child);
    return child;
  }
  void MakeThree() {
    W1 = NewChild<TWideMdiChild>();
    P2 = NewChild<TPlainMdiChild>();
    W3 = NewChild<TWideMdiChild>();
    W3->SetWideCaption(u"Antwort \u263B");
  }
  std::vector<TCustomForm*> Three() const { return {W1, P2, W3}; }
  QMdiArea* Area() { return MdiAreaOf(Main); }
  TRect ClientArea() { return MdiClientRect(Main); }
  std::vector<std::string> WindowMenuTexts() {
    std::vector<std::string> texts;
    const HMENU menu = Main->Window1->Handle();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char16_t buffer[64] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), buffer, 64, MF_BYPOSITION);
      texts.push_back(Show(buffer));
    }
    return texts;
  }

  TWideMdiMain* Main = nullptr;
  TWideMdiChild* W1 = nullptr;
  TPlainMdiChild* P2 = nullptr;
  TWideMdiChild* W3 = nullptr;
};

TEST_F(UniMdiFormsTest, WideAndPlainChildrenLiveInAWideMainForm) {
  MakeMain();
  ASSERT_TRUE(Main->ClientHandle());
  EXPECT_TRUE(IsWindowUnicode(Main->Handle()));
  MakeThree();
  ASSERT_EQ(Main->MDIChildCount(), 3);
  for (TCustomForm* c : Three()) {
    EXPECT_EQ(GetParent(c->Handle()), Main->ClientHandle()) << c->Name();
    EXPECT_TRUE(c->FormState().Contains(fsCreatedMDIChild)) << c->Name();
    EXPECT_TRUE(GetWindowLongPtrW(c->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD) << c->Name();
  }
  EXPECT_TRUE(IsWindowUnicode(W1->Handle())) << "a wide child's window is a Unicode window";
  EXPECT_EQ(WindowClassName(W1->Handle()), u"TWideMdiChild.UnicodeClass");
  EXPECT_FALSE(IsWindowUnicode(P2->Handle()));
  EXPECT_EQ(Show(WindowTextW(W1->Handle())), Show(u"Brief \u263A")) << "the wide caption reached the window";
  EXPECT_EQ(Show(W3->WideCaption()), Show(u"Antwort \u263B"));
  EXPECT_EQ(Area()->activeSubWindow()->windowTitle(), QString::fromUtf16(u"Antwort \u263B"));
  EXPECT_EQ(Main->ActiveMDIChild(), W3);
  EXPECT_EQ(WindowMenuTexts(), (std::vector<std::string>{"&Cascade", "", "&1 Brief \u263A", "&2 Notiz",
                                                          "&3 Antwort \u263B"}))
      << "the window menu lists the wide titles";

  // The frame's default handling is DefFrameProcW: a window-menu command activates the child.
  Main->Perform(WM_COMMAND, MDIFirstChildId + 1, 0);
  EXPECT_EQ(Main->ActiveMDIChild(), P2);
  Main->Perform(WM_COMMAND, MDIFirstChildId, 0);
  EXPECT_EQ(Main->ActiveMDIChild(), W1);
  // Qt's choice reaches the client the same way.
  ASSERT_NE(MdiSubOf(Main, W3), nullptr);
  Area()->setActiveSubWindow(MdiSubOf(Main, W3));
  EXPECT_EQ(Main->ActiveMDIChild(), W3);
  // The frame's caption still goes through its default handling to the widget.
  Main->SetWideCaption(u"Posteingang \u263A");
  EXPECT_EQ(Main->Widget()->windowTitle(), QString::fromUtf16(u"Posteingang \u263A"));

  const TRect area = ClientArea();
  Main->Cascade();
  for (TCustomForm* c : Three())
    EXPECT_TRUE(Inside(c->BoundsRect(), area)) << c->Name();
  EXPECT_GT(W3->Top(), W1->Top()) << "the active child is last in the cascade";
  Main->SetTileMode(tbVertical);
  Main->Tile();
  for (TCustomForm* c : Three())
    EXPECT_TRUE(Inside(c->BoundsRect(), area)) << c->Name();
  EXPECT_EQ(W3->Height(), area.Height());

  // A wide child closed for good: the one active before it takes over.
  W1->BringToFront();
  W3->BringToFront();
  W3->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  W3->Close();
  Application->ProcessMessages();
  FForms.erase(std::remove(FForms.begin(), FForms.end(), static_cast<TCustomForm*>(W3)), FForms.end());
  EXPECT_EQ(Main->MDIChildCount(), 2);
  EXPECT_EQ(Main->ActiveMDIChild(), W1);
  EXPECT_EQ(Area()->subWindowList().size(), 2);
  EXPECT_EQ(WindowMenuTexts().size(), 4u);
}

TEST_F(UniMdiFormsTest, AWideChildNeedsAnMdiMainForm) {
  try {
    NewChild<TWideMdiChild>();
    FAIL() << "a wide MDI child without any main form";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), kNoMdiFormsText);
  }
  TPlainMain* plain = nullptr;
  Application->CreateForm(plain);
  FForms.push_back(plain);
  try {
    NewChild<TWideMdiChild>();
    FAIL() << "a wide MDI child under a main form that is no MDI parent";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), kNoMdiFormsText);
  }
}

TEST_F(UniMdiFormsTest, FlatScrollBarsGoWithAWideFormsWindow) {
  MakeMain();
  for (const bool unicode : {true, false}) {
    if (!unicode) UseNarrowPlatform();
    auto* form = TCustomForm::Create<TPlainMain>(nullptr);  // a plain form has no such step
    FForms.push_back(form);
    const HWND mainWindow = Main->Handle();
    ASSERT_TRUE(InitializeFlatSB(mainWindow));
    const HWND plainWindow = form->Handle();
    ASSERT_TRUE(InitializeFlatSB(plainWindow));
    Main->RecreateWnd();
    form->RecreateWnd();
    EXPECT_EQ(UninitializeFlatSB(mainWindow), unicode ? S_FALSE : S_OK)
        << "on the wide platform the wide form's window lost its flat scroll bars first";
    EXPECT_EQ(UninitializeFlatSB(plainWindow), S_OK);
  }
}


// Every place the watched widget takes.
class TGeometryRecorder : public QObject {
 public:
  std::vector<QRect> Seen;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) Seen.push_back(static_cast<QWidget*>(watched)->geometry());
    return QObject::eventFilter(watched, event);
  }
};

TEST_F(UniMdiFormsTest, AWideFramesDefaultHandlingKeepsTheClientBesideItsToolBarAndTextWide) {
  MakeMain();
  MakeThree();
  auto* tools = new TPanel(Main);  // owned by the form
  tools->SetHeight(40);
  tools->SetAlign(alTop);
  tools->SetParent(Main);
  const Integer clientTop = Main->MenuBarHeight() + 40;
  TGeometryRecorder recorder;
  Area()->installEventFilter(&recorder);
  // The window is sized: WM_SIZE goes to the wide default procedure, not to DefFrameProcW, which
  // would stretch the client window over the tool bar.
  Main->Widget()->resize(700, 520);
  Area()->removeEventFilter(&recorder);
  EXPECT_EQ(Main->Width(), 700);
  ASSERT_FALSE(recorder.Seen.empty()) << "the client window followed the frame";
  for (const QRect& g : recorder.Seen) EXPECT_GE(g.top(), clientTop) << "the client window covered the tool bar";
  EXPECT_EQ(Area()->geometry(), QRect(0, clientTop, 700, Main->ClientHeight() - 40));

  // Everything else goes through DefFrameProcW: text stays wide on its way to the widget, and a
  // window-menu command activates its child.
  Main->SetWideCaption(u"Posteingang \u263A");
  EXPECT_EQ(Main->Widget()->windowTitle(), QString::fromUtf16(u"Posteingang \u263A"));
  EXPECT_EQ(Show(WindowTextW(Main->Handle())), Show(u"Posteingang \u263A"));
  Main->Perform(WM_COMMAND, MDIFirstChildId, 0);
  EXPECT_EQ(Main->ActiveMDIChild(), W1);
}

}  // namespace
}  // namespace orv::test
