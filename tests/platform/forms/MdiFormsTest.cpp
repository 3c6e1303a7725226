// Multiple-document forms: an MDI main form with three children shown in its MDI area, activation
// through the client window and through Qt, the window menu and its commands (also picked in the
// menu bar, and kept when the menu is made anew), cascade, tile and icon arrangement inside the
// client area, the sub-windows' buttons, menu and frames worked with the mouse, closing a child, and
// a child without an MDI main form.
#include "tests/platform/forms/FormsFixture.h"
#include "tests/platform/forms/MdiTestUtil.h"
#include "tests/platform/forms/WindowInput.h"

#include "platform/classes/TypeInfo.h"
#include "platform/forms/Menus.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/MdiWindows.h"
#include "platform/win/Menus.h"

namespace orv::test {
namespace {

class TMdiMainForm : public TForm {
 public:
  explicit TMdiMainForm(TComponent* owner) : TForm(owner) {}
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Window1 = nullptr;
};

class TMdiChildForm : public TForm {
 public:
  explicit TMdiChildForm(TComponent* owner) : TForm(owner) {
    OnActivate = [this](TObject*) { Events.push_back("activate"); };
    OnDeactivate = [this](TObject*) { Events.push_back("deactivate"); };
  }
  std::vector<std::string> Events;
};

class TPlainMainForm : public TForm {
 public:
  explicit TPlainMainForm(TComponent* owner) : TForm(owner) {}
};

const char* const kMainForm = R"(object MdiMainForm: TMdiMainForm
  Width = 640
  Height = 480
  Caption = 'Orvinta'
  FormStyle = fsMDIForm
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

const char* const kChildForm = R"(object MdiChildForm: TMdiChildForm
  Width = 200
  Height = 150
  Caption = 'Child'
  FormStyle = fsMDIChild
end
)";

class MdiFormsTest : public FormsTest {
 protected:
  static void SetUpTestSuite() {
    FormsTest::SetUpTestSuite();
    RegisterClassType<TMdiMainForm, TForm>("TMdiMainForm")
        .Field("MainMenu1", &TMdiMainForm::MainMenu1)
        .Field("Window1", &TMdiMainForm::Window1);
    RegisterClassType<TMdiChildForm, TForm>("TMdiChildForm");
    RegisterClassType<TPlainMainForm, TForm>("TPlainMainForm");
    RegisterComponentResource("TPlainMainForm", "object PlainMainForm: TPlainMainForm\nend\n");
    RegisterComponentResource("TMdiMainForm", kMainForm);
    RegisterComponentResource("TMdiChildForm", kChildForm);
  }
  void SetUp() override {
    FormsTest::SetUp();
    ASSERT_EQ(Application->MainForm(), nullptr);
    Application->CreateForm(Main);
    FForms.push_back(Main);
    Main->Show();
  }
  TMdiChildForm* NewChild(const char* caption) {
    auto* child = TCustomForm::Create<TMdiChildForm>(nullptr);
    FForms.push_back(child);
    child->SetCaption(caption);
    return child;
  }
  void MakeThree() {
    C1 = NewChild("Eins");
    C2 = NewChild("Zwei");
    C3 = NewChild("Drei");
  }
  QMdiArea* Area() { return MdiAreaOf(Main); }
  QMenuBar* MenuBar() { return Main->Widget()->findChild<QMenuBar*>("MenuBar"); }
  QMdiSubWindow* SubOf(TCustomForm* child) { return MdiSubOf(Main, child); }
  TRect ClientArea() { return MdiClientRect(Main); }
  std::vector<std::string> WindowMenuTexts() {
    std::vector<std::string> texts;
    const HMENU menu = Main->Window1->Handle();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW info;
      info.fMask = MIIM_STATE | MIIM_FTYPE;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), true, &info);
      char16_t buffer[64] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), buffer, 64, MF_BYPOSITION);
      std::string entry = (info.fType & MFT_SEPARATOR) ? "----" : WideToAnsi(buffer);
      if (info.fState & MFS_CHECKED) entry += " *";
      texts.push_back(entry);
    }
    return texts;
  }

  TMdiMainForm* Main = nullptr;
  TMdiChildForm* C1 = nullptr;
  TMdiChildForm* C2 = nullptr;
  TMdiChildForm* C3 = nullptr;
};

TEST_F(MdiFormsTest, ThreeChildrenLiveInTheMainFormsClientWindow) {
  ASSERT_TRUE(Main->ClientHandle());
  EXPECT_TRUE(IsMdiClient(Main->ClientHandle()));
  EXPECT_EQ(GetParent(Main->ClientHandle()), Main->Handle());
  ASSERT_NE(Area(), nullptr);
  EXPECT_EQ(Main->MDIChildCount(), 0);
  EXPECT_EQ(Main->ActiveMDIChild(), nullptr);
  MakeThree();

  EXPECT_EQ(Main->MDIChildCount(), 3);
  EXPECT_EQ(Main->MDIChildren(0), C1);
  EXPECT_EQ(Main->MDIChildren(2), C3);
  EXPECT_EQ(Main->MDIChildren(3), nullptr);
  for (TMdiChildForm* c : {C1, C2, C3}) {
    EXPECT_TRUE(c->Visible()) << "an MDI child is shown once made";
    EXPECT_TRUE(c->FormState().Contains(fsCreatedMDIChild));
    EXPECT_EQ(GetParent(c->Handle()), Main->ClientHandle());
    ASSERT_NE(SubOf(c), nullptr);
    EXPECT_TRUE(SubOf(c)->isVisible());
  }
  EXPECT_EQ(SubOf(C2)->windowTitle(), QString("Zwei"));
  EXPECT_EQ(Main->ActiveMDIChild(), C3) << "the newest child is active";
  EXPECT_EQ(Area()->activeSubWindow(), SubOf(C3));
  EXPECT_EQ(C1->Events, (std::vector<std::string>{"activate", "deactivate"}));
  EXPECT_EQ(WindowMenuTexts(), (std::vector<std::string>{"&Cascade", "----", "&1 Eins", "&2 Zwei", "&3 Drei *"}));

  // Through Qt: the sub-window the user picks becomes the client's active child.
  C1->Events.clear();
  Area()->setActiveSubWindow(SubOf(C1));
  EXPECT_EQ(Main->ActiveMDIChild(), C1);
  EXPECT_EQ(C1->Events, (std::vector<std::string>{"activate"}));
  EXPECT_EQ(C3->Events.back(), "deactivate");
  // Through code and through the window menu's command.
  C2->BringToFront();
  EXPECT_EQ(Main->ActiveMDIChild(), C2);
  EXPECT_EQ(Area()->activeSubWindow(), SubOf(C2));
  Main->Perform(WM_COMMAND, MDIFirstChildId + 2, 0);
  EXPECT_EQ(Main->ActiveMDIChild(), C3);
  EXPECT_EQ(WindowMenuTexts().back(), "&3 Drei *");
  C3->SetCaption("Drei neu");
  EXPECT_EQ(WindowMenuTexts().back(), "&3 Drei neu *") << "the list follows a child's caption";

  // Next and Previous walk the activation order: C3, C2, C1.
  Main->Next();
  EXPECT_EQ(Main->ActiveMDIChild(), C2);
  Main->Previous();
  EXPECT_EQ(Main->ActiveMDIChild(), C3);
}

TEST_F(MdiFormsTest, CascadeTileAndArrangeIconsKeepChildrenInsideTheClientArea) {
  MakeThree();
  const TRect area = ClientArea();
  ASSERT_GT(area.Width(), 100);
  Main->Cascade();
  for (TMdiChildForm* c : {C1, C2, C3}) {
    EXPECT_TRUE(Inside(c->BoundsRect(), area)) << c->Caption();
    const QRect g = SubOf(c)->geometry();
    EXPECT_EQ(c->BoundsRect(), Rect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height()))
        << "the sub-window shows the child's bounds";
  }
  EXPECT_GT(C3->Top(), C1->Top()) << "the active child ends on top of the cascade";

  for (TTileMode mode : {tbHorizontal, tbVertical}) {
    Main->SetTileMode(mode);
    Main->Tile();
    for (TMdiChildForm* c : {C1, C2, C3}) EXPECT_TRUE(Inside(c->BoundsRect(), area)) << c->Caption();
    EXPECT_EQ(C3->Left(), 0);
    EXPECT_EQ(C3->Top(), 0);
    if (mode == tbHorizontal) EXPECT_EQ(C3->Width(), area.Width());
    else EXPECT_EQ(C3->Height(), area.Height());
  }

  // Closing without a handler minimises a child; the icons line up along the bottom.
  C1->Close();
  EXPECT_EQ(C1->WindowState(), wsMinimized);
  EXPECT_TRUE(SubOf(C1)->isMinimized());
  Main->ArrangeIcons();
  EXPECT_EQ(C1->Top() + C1->Height(), area.Bottom);
  EXPECT_EQ(C1->Left(), 0);
  Main->Tile();
  EXPECT_LE(C2->Top() + C2->Height(), area.Bottom - MdiIconHeight) << "the tiles leave the icons their row";
}

TEST_F(MdiFormsTest, AChildClosedForGoodLeavesTheListAndHandsOverActivation) {
  MakeThree();
  // The sub-window's own close asks the child, which is minimised rather than gone.
  SubOf(C1)->close();
  EXPECT_EQ(C1->WindowState(), wsMinimized);
  ASSERT_NE(SubOf(C1), nullptr);
  EXPECT_TRUE(SubOf(C1)->isMinimized());
  EXPECT_EQ(Main->MDIChildCount(), 3);
  C2->BringToFront();
  C3->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  C3->BringToFront();
  ASSERT_EQ(Main->ActiveMDIChild(), C3);
  C3->Close();
  Application->ProcessMessages();
  FForms.erase(std::remove(FForms.begin(), FForms.end(), static_cast<TCustomForm*>(C3)), FForms.end());
  EXPECT_EQ(Main->MDIChildCount(), 2);
  EXPECT_EQ(Area()->subWindowList().size(), 2);
  EXPECT_EQ(Main->ActiveMDIChild(), C2) << "the child active before it takes over";
  EXPECT_EQ(WindowMenuTexts(), (std::vector<std::string>{"&Cascade", "----", "&1 Eins", "&2 Zwei *"}));
  Main->Cascade();
  for (TMdiChildForm* c : {C1, C2}) EXPECT_TRUE(Inside(c->BoundsRect(), ClientArea()));
}

TEST_F(MdiFormsTest, AChildNeedsAnMdiMainForm) {
  MakeThree();
  // The main form goes: its children lose their windows with its client.
  Main->Free();
  FForms.erase(FForms.begin());
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_FALSE(C1->HandleAllocated());
  try {
    NewChild("Waise");
    FAIL() << "made without an MDI main form";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), kNoMdiFormsText);
  }
  // A main form that is no MDI parent will not do either.
  TPlainMainForm* plain = nullptr;
  Application->CreateForm(plain);
  FForms.push_back(plain);
  ASSERT_EQ(Application->MainForm(), plain);
  EXPECT_THROW(NewChild("Waise"), EInvalidOperation);
}


TEST_F(MdiFormsTest, TheMenuBarsWindowMenuListsTheChildrenAndActivatesThePickedOne) {
  MakeThree();
  QMenuBar* bar = MenuBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuTexts(bar), std::vector<std::string>{"&Fenster"});
  EXPECT_EQ(Area()->geometry().top(), Main->MenuBarHeight()) << "the client window lies below the menu bar";

  ASSERT_TRUE(ClickMenuBarEntry(bar, "&Fenster"));
  QMenu* menu = OpenMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(MenuTexts(menu), (std::vector<std::string>{"&Cascade", "----", "&1 Eins", "&2 Zwei", "&3 Drei *"}));
  WindowClick(menu, menu->actionGeometry(MenuAction(menu, "&1 Eins")).center());
  Application->ProcessMessages();
  EXPECT_EQ(OpenMenu(), nullptr) << "the menu closed";
  EXPECT_EQ(Main->ActiveMDIChild(), C1) << "the picked entry's child is active";
  EXPECT_EQ(Area()->activeSubWindow(), SubOf(C1));
  ASSERT_TRUE(ClickMenuBarEntry(bar, "&Fenster"));
  ASSERT_NE(OpenMenu(), nullptr);
  EXPECT_EQ(MenuTexts(OpenMenu()), (std::vector<std::string>{"&Cascade", "----", "&1 Eins *", "&2 Zwei", "&3 Drei"}));
  QTest::keyClick(OpenMenu()->windowHandle(), Qt::Key_Escape);
  EXPECT_EQ(OpenMenu(), nullptr);

  // The window menu made anew (a new caption, a new entry) keeps the children's entries.
  Main->Window1->SetCaption("&Fenster!");
  EXPECT_EQ(WindowMenuTexts(), (std::vector<std::string>{"&Cascade", "----", "&1 Eins *", "&2 Zwei", "&3 Drei"}));
  auto* tile = new TMenuItem(Main);
  tile->SetCaption("&Tile");
  Main->Window1->Add(tile);
  EXPECT_EQ(WindowMenuTexts(), (std::vector<std::string>{"&Cascade", "&Tile", "----", "&1 Eins *", "&2 Zwei", "&3 Drei"}));
  EXPECT_EQ(MenuTexts(bar), std::vector<std::string>{"&Fenster!"});
  ASSERT_TRUE(ClickMenuBarEntry(bar, "&Fenster!"));
  ASSERT_NE(OpenMenu(), nullptr);
  EXPECT_EQ(MenuTexts(OpenMenu()), (std::vector<std::string>{"&Cascade", "&Tile", "----", "&1 Eins *", "&2 Zwei", "&3 Drei"}));
  WindowClick(OpenMenu(), OpenMenu()->actionGeometry(MenuAction(OpenMenu(), "&3 Drei")).center());
  Application->ProcessMessages();
  EXPECT_EQ(Main->ActiveMDIChild(), C3);
}

TEST_F(MdiFormsTest, TheSubWindowsButtonsAndMenuReachTheChild) {
  MakeThree();
  Main->Cascade();  // the title of each child shows
  QMdiSubWindow* sub = SubOf(C2);
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarLabel).center());
  ASSERT_EQ(Main->ActiveMDIChild(), C2);
  auto styleOf = [](TCustomForm* f) { return static_cast<DWORD>(GetWindowLongPtrA(f->Handle(), GWL_STYLE)); };
  auto maximizedFlag = [this] {
    int maximized = -1;
    SendMessageA(Main->ClientHandle(), WM_MDIGETACTIVE, 0, PtrLParam(&maximized));
    return maximized;
  };

  // Minimised by its button: an icon for the arrangements.
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarMinButton).center());
  EXPECT_TRUE(sub->isMinimized());
  EXPECT_EQ(C2->WindowState(), wsMinimized);
  EXPECT_TRUE(styleOf(C2) & WS_MINIMIZE);
  const TRect area = ClientArea();
  Main->Tile();
  for (TMdiChildForm* c : {C1, C3}) EXPECT_LE(c->Top() + c->Height(), area.Bottom - MdiIconHeight) << c->Caption();
  EXPECT_EQ(C1->Width(), area.Width()) << "two windows share the tiles";
  Main->ArrangeIcons();
  EXPECT_EQ(C2->Top() + C2->Height(), area.Bottom) << "the icon sits in the bottom row";

  // Restored by its button: a window again.
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarNormalButton).center());
  EXPECT_FALSE(sub->isMinimized());
  EXPECT_EQ(C2->WindowState(), wsNormal);
  EXPECT_FALSE(styleOf(C2) & (WS_MINIMIZE | WS_MAXIMIZE));
  Main->Tile();
  EXPECT_TRUE(Inside(C2->BoundsRect(), area));
  EXPECT_EQ(C2->Height(), area.Height() / 3) << "three windows share the tiles";

  // Maximised by its button, restored by the button that takes the maximise button's place.
  ASSERT_EQ(Main->ActiveMDIChild(), C2);
  EXPECT_EQ(maximizedFlag(), 0);
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarMaxButton).center());
  EXPECT_TRUE(sub->isMaximized());
  EXPECT_EQ(C2->WindowState(), wsMaximized);
  EXPECT_TRUE(styleOf(C2) & WS_MAXIMIZE);
  EXPECT_EQ(maximizedFlag(), 1) << "the client reports its active child maximised";
  EXPECT_EQ(C2->BoundsRect(), area) << "a maximised child fills the client area";
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarNormalButton).center());
  EXPECT_EQ(C2->WindowState(), wsNormal);
  EXPECT_EQ(maximizedFlag(), 0);

  // The sub-window's own menu, opened from its icon.
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarSysMenu).center());
  QMenu* system = OpenMenu();
  ASSERT_EQ(system, sub->systemMenu());
  WindowClick(system, system->actionGeometry(MenuAction(system, "Ma&ximize")).center());
  EXPECT_EQ(C2->WindowState(), wsMaximized);
  EXPECT_TRUE(styleOf(C2) & WS_MAXIMIZE);
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarSysMenu).center());
  ASSERT_EQ(OpenMenu(), system);
  WindowClick(system, system->actionGeometry(MenuAction(system, "&Restore")).center());
  EXPECT_EQ(C2->WindowState(), wsNormal);
  EXPECT_FALSE(styleOf(C2) & WS_MAXIMIZE);

  // The close button asks the child: minimised by default, gone when its handler frees it.
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarCloseButton).center());
  EXPECT_EQ(C2->WindowState(), wsMinimized);
  EXPECT_EQ(Main->MDIChildCount(), 3);
  QMdiSubWindow* third = SubOf(C3);
  WindowClick(third, TitleBarPart(third, QStyle::SC_TitleBarLabel).center());
  C3->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  WindowClick(third, TitleBarPart(third, QStyle::SC_TitleBarCloseButton).center());
  Application->ProcessMessages();
  FForms.erase(std::remove(FForms.begin(), FForms.end(), static_cast<TCustomForm*>(C3)), FForms.end());
  EXPECT_EQ(Main->MDIChildCount(), 2);
  EXPECT_EQ(Area()->subWindowList().size(), 2);
}

TEST_F(MdiFormsTest, ChildrenAreActivatedMovedAndSizedByTheMouse) {
  MakeThree();
  ASSERT_EQ(Main->ActiveMDIChild(), C3);
  Main->Cascade();
  QMdiSubWindow* sub = SubOf(C1);
  C1->Events.clear();
  // C1 lies at the back of the cascade; its title's left end is not covered.
  WindowClick(sub, TitleBarPart(sub, QStyle::SC_TitleBarLabel).topLeft() + QPoint(30, 4));
  EXPECT_EQ(Main->ActiveMDIChild(), C1);
  EXPECT_EQ(C1->Events, std::vector<std::string>{"activate"});
  EXPECT_EQ(C3->Events.back(), "deactivate");

  const TRect before = C1->BoundsRect();
  WindowDrag(sub, TitleBarPart(sub, QStyle::SC_TitleBarLabel).topLeft() + QPoint(30, 4), QPoint(40, 25));
  EXPECT_EQ(C1->Left(), before.Left + 40);
  EXPECT_EQ(C1->Top(), before.Top + 25);
  EXPECT_EQ(C1->Width(), before.Width()) << "moved, not sized";
  const QRect g = sub->geometry();
  EXPECT_EQ(C1->BoundsRect(), Rect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height()));

  // The bottom right corner of its frame sizes it.
  WindowDrag(sub, QPoint(sub->width() - 2, sub->height() - 2), QPoint(-30, -20));
  EXPECT_EQ(C1->Left(), before.Left + 40);
  EXPECT_EQ(C1->Width(), before.Width() - 30);
  EXPECT_EQ(C1->Height(), before.Height() - 20);
  EXPECT_EQ(C1->ClientWidth(), C1->Widget()->width()) << "the form's client is what the frame holds";
}

}  // namespace
}  // namespace orv::test
