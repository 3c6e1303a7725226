// Multiple-document forms: an MDI main form with three children shown in its MDI area, activation
// through the client window and through Qt, the window menu and its commands, cascade, tile and
// icon arrangement inside the client area, closing a child, and a child without an MDI main form.
#include "tests/platform/forms/FormsFixture.h"
#include "tests/platform/forms/MdiTestUtil.h"

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

}  // namespace
}  // namespace orv::test
