// A form's main menu on the screen: the menu bar at the top of the window with the items,
// sub-menus, check marks, grey entries and shortcut texts of the system menu, the client area below
// it, items chosen and passed over with the mouse (WM_COMMAND clicks the item, WM_MENUSELECT gives
// the application its hint), and changes of the items reaching what the bar shows.
#include "tests/platform/forms/FormsFixture.h"

#include <QPushButton>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/CodePages.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TMenuForm : public TForm {
 public:
  explicit TMenuForm(TComponent* owner) : TForm(owner) {}
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* Open1 = nullptr;
  TMenuItem* Recent1 = nullptr;
  TMenuItem* Quit1 = nullptr;
  TMenuItem* View1 = nullptr;
  TMenuItem* Bar1 = nullptr;
  TButton* Button1 = nullptr;
  std::vector<std::string> Clicks;
  std::vector<std::pair<Integer, Integer>> Presses;
  void ItemClick(TObject* sender) { Clicks.push_back(static_cast<TComponent*>(sender)->Name()); }
  void FormMouseDown(TObject*, TMouseButton, TShiftState, Integer x, Integer y) { Presses.emplace_back(x, y); }
};

const char* const kMenuForm = R"(object MenuForm: TMenuForm
  Width = 400
  Height = 300
  Menu = MainMenu1
  OnMouseDown = FormMouseDown
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&Datei'
      Hint = 'Datei|Dateien offnen und sichern'
      object Open1: TMenuItem
        Caption = '&Offnen'
        Hint = 'Offnen|Offnet eine Datei'
        ShortCut = 16463
        OnClick = ItemClick
      end
      object Sep1: TMenuItem
        Caption = '-'
      end
      object Recent1: TMenuItem
        Caption = '&Zuletzt'
        Hint = 'Zuletzt|Zuletzt benutzte Dateien'
        object Recent11: TMenuItem
          Caption = 'a.txt'
          OnClick = ItemClick
        end
      end
      object Quit1: TMenuItem
        Caption = '&Beenden'
        Enabled = False
        OnClick = ItemClick
      end
    end
    object View1: TMenuItem
      Caption = '&Ansicht'
      object Bar1: TMenuItem
        Caption = '&Symbolleiste'
        Checked = True
        OnClick = ItemClick
      end
    end
  end
  object Button1: TButton
    Left = 10
    Top = 5
    Width = 80
    Height = 25
    Caption = 'OK'
  end
end
)";

class MainMenuBarTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TMenuForm, TForm>("TMenuForm")
        .Field("MainMenu1", &TMenuForm::MainMenu1)
        .Field("File1", &TMenuForm::File1)
        .Field("Open1", &TMenuForm::Open1)
        .Field("Recent1", &TMenuForm::Recent1)
        .Field("Quit1", &TMenuForm::Quit1)
        .Field("View1", &TMenuForm::View1)
        .Field("Bar1", &TMenuForm::Bar1)
        .Field("Button1", &TMenuForm::Button1)
        .Method("ItemClick", &TMenuForm::ItemClick)
        .Method("FormMouseDown", &TMenuForm::FormMouseDown);
    Form = MakeForm<TMenuForm>("TMenuForm", kMenuForm);
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    if (QMenu* open = OpenMenu()) open->close();
    Application->SetHint("");
    FormsTest::TearDown();
  }
  QMenuBar* Bar() { return Form->Widget()->findChild<QMenuBar*>("MenuBar"); }
  // Opens a menu of the bar with the mouse; the menu that opened.
  QMenu* OpenBarMenu(const QString& text) {
    EXPECT_TRUE(ClickMenuBarEntry(Bar(), text)) << "no bar entry " << text.toStdString();
    QMenu* menu = OpenMenu();
    EXPECT_NE(menu, nullptr) << text.toStdString() << " did not open";
    return menu;
  }
  static void ClickEntry(QMenu* menu, const char* text) {
    QAction* action = MenuAction(menu, text);
    ASSERT_NE(action, nullptr) << "no entry " << text;
    WindowClick(menu, menu->actionGeometry(action).center());
  }
  static void PassOver(QMenu* menu, const char* text) {
    QAction* action = MenuAction(menu, text);
    ASSERT_NE(action, nullptr) << "no entry " << text;
    WindowMove(menu, menu->actionGeometry(action).center() + QPoint(1, 0));
    WindowMove(menu, menu->actionGeometry(action).center());
  }

  TMenuForm* Form = nullptr;
};

TEST_F(MainMenuBarTest, TheMainMenuIsTheWindowsMenuBarAboveTheClientArea) {
  QMenuBar* bar = Bar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"&Datei", "&Ansicht"}));
  const Integer height = Form->MenuBarHeight();
  ASSERT_GT(height, 0);
  EXPECT_EQ(bar->geometry(), QRect(0, 0, 400, height)) << "across the top of the window";
  EXPECT_EQ(Form->Height(), 300) << "the window's height holds the bar";
  EXPECT_EQ(Form->ClientHeight(), 300 - height);
  EXPECT_EQ(Form->Button1->Widget()->geometry(), QRect(10, 5 + height, 80, 25)) << "client coordinates start below the bar";
  const QPoint origin = Form->Widget()->mapToGlobal(QPoint(0, height));
  EXPECT_EQ(Form->ClientToScreen(Point(0, 0)), Point(origin.x(), origin.y()));

  // A press in the client area comes in client coordinates.
  WindowClick(Form->Widget(), QPoint(200, height + 100));
  EXPECT_EQ(Form->Presses, (std::vector<std::pair<Integer, Integer>>{{200, 100}}));
  // A press on the bar is the bar's.
  Form->Presses.clear();
  ASSERT_TRUE(ClickMenuBarEntry(bar, "&Ansicht"));
  EXPECT_NE(OpenMenu(), nullptr);
  EXPECT_TRUE(Form->Presses.empty());
  QTest::keyClick(OpenMenu()->windowHandle(), Qt::Key_Escape);

  // The window grows wider: so does the bar. Without the menu the client area takes its room.
  Form->SetWidth(500);
  EXPECT_EQ(bar->width(), 500);
  Form->SetMenu(nullptr);
  EXPECT_EQ(Bar(), nullptr);
  EXPECT_EQ(Form->MenuBarHeight(), 0);
  EXPECT_EQ(Form->ClientHeight(), 300);
  EXPECT_EQ(Form->Button1->Widget()->geometry(), QRect(10, 5, 80, 25));
  Form->SetMenu(Form->MainMenu1);
  ASSERT_NE(Bar(), nullptr);
  EXPECT_EQ(Form->Button1->Widget()->geometry(), QRect(10, 5 + height, 80, 25));
  Form->SetClientHeight(200);
  EXPECT_EQ(Form->Height(), 200 + height) << "the client height leaves the bar its room";
}

TEST_F(MainMenuBarTest, AnItemChosenWithTheMouseIsClickedThroughTheFormsCommand) {
  std::vector<WPARAM> commands;
  Form->WindowProc = [&, own = Form->WindowProc](TMessage& m) {
    if (m.Msg == WM_COMMAND) commands.push_back(m.WParam);
    own(m);
  };
  QMenu* file = OpenBarMenu("&Datei");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(MenuTexts(file), (std::vector<std::string>{"&Offnen\tStrg+O", "----", "&Zuletzt", "&Beenden (grey)"}))
      << "the shortcut's text after a tab, a grey entry for the disabled item";
  ClickEntry(file, "&Offnen\tStrg+O");
  EXPECT_EQ(OpenMenu(), nullptr) << "the menu closed";
  Application->ProcessMessages();
  EXPECT_EQ(Form->Clicks, std::vector<std::string>{"Open1"});
  EXPECT_EQ(commands, std::vector<WPARAM>{Form->Open1->Command()});

  // An item of a sub-menu, and a grey item that does nothing.
  file = OpenBarMenu("&Datei");
  ASSERT_NE(file, nullptr);
  ClickEntry(file, "&Zuletzt");
  QMenu* recent = OpenMenu();
  ASSERT_NE(recent, nullptr);
  ASSERT_NE(recent, file);
  EXPECT_EQ(MenuTexts(recent), std::vector<std::string>{"a.txt"});
  ClickEntry(recent, "a.txt");
  Application->ProcessMessages();
  EXPECT_EQ(Form->Clicks, (std::vector<std::string>{"Open1", "Recent11"}));
  file = OpenBarMenu("&Datei");
  ASSERT_NE(file, nullptr);
  ClickEntry(file, "&Beenden");
  Application->ProcessMessages();
  EXPECT_EQ(Form->Clicks.size(), 2u) << "a disabled item is not chosen";
  if (QMenu* open = OpenMenu()) QTest::keyClick(open->windowHandle(), Qt::Key_Escape);

  // The check mark; its handler takes it away, which the next opening shows.
  Form->Bar1->OnClick = [this](TObject*) { Form->Bar1->SetChecked(!Form->Bar1->Checked()); };
  QMenu* view = OpenBarMenu("&Ansicht");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(MenuTexts(view), std::vector<std::string>{"&Symbolleiste *"});
  ClickEntry(view, "&Symbolleiste");
  Application->ProcessMessages();
  EXPECT_FALSE(Form->Bar1->Checked());
  view = OpenBarMenu("&Ansicht");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(MenuTexts(view), std::vector<std::string>{"&Symbolleiste"});
}

TEST_F(MainMenuBarTest, PassingOverItemsGivesTheApplicationTheirHints) {
  std::vector<std::pair<WPARAM, LPARAM>> selects;
  Form->WindowProc = [&, own = Form->WindowProc](TMessage& m) {
    if (m.Msg == WM_MENUSELECT) selects.emplace_back(m.WParam, m.LParam);
    own(m);
  };
  QMenu* file = OpenBarMenu("&Datei");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(Application->Hint(), "Dateien offnen und sichern") << "the opened bar entry's long hint";
  ASSERT_FALSE(selects.empty());
  EXPECT_EQ(selects.back(), (std::pair<WPARAM, LPARAM>{MAKEWPARAM(0, MF_HILITE | MF_POPUP), Form->MainMenu1->Handle().AsLParam()}))
      << "a sub-menu entry is named by its position in its menu";
  PassOver(file, "&Offnen\tStrg+O");
  EXPECT_EQ(Application->Hint(), "Offnet eine Datei");
  EXPECT_EQ(selects.back().first, MAKEWPARAM(static_cast<WORD>(Form->Open1->Command()), MF_HILITE));
  PassOver(file, "&Zuletzt");
  EXPECT_EQ(Application->Hint(), "Zuletzt benutzte Dateien");
  EXPECT_EQ(selects.back(), (std::pair<WPARAM, LPARAM>{MAKEWPARAM(2, MF_HILITE | MF_POPUP), Form->File1->Handle().AsLParam()}));
  Form->Open1->SetHint("");
  PassOver(file, "&Offnen\tStrg+O");
  EXPECT_EQ(Application->Hint(), "") << "an item without a hint";
  QTest::keyClick(file->windowHandle(), Qt::Key_Escape);
  EXPECT_EQ(OpenMenu(), nullptr);
  EXPECT_EQ(selects.back(), (std::pair<WPARAM, LPARAM>{MAKEWPARAM(0, 0xFFFF), 0})) << "the menu closed";
  EXPECT_EQ(Application->Hint(), "");

  // A closing menu names no item, whatever menu comes with it; a form without a menu sets no hint.
  Application->SetHint("vorher");
  Form->Perform(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), Form->MainMenu1->Handle().AsLParam());
  EXPECT_EQ(Application->Hint(), "");
  Form->View1->SetHint("Ansicht|Ansicht wechseln");
  Form->Perform(WM_MENUSELECT, MAKEWPARAM(1, 0xFFFF), Form->MainMenu1->Handle().AsLParam());
  EXPECT_EQ(Application->Hint(), "Ansicht wechseln") << "flags of 0xFFFF with an item are a sub-menu entry";
  Form->SetMenu(nullptr);
  Application->SetHint("vorher");
  Form->Perform(WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(Form->Open1->Command()), MF_HILITE), 0);
  EXPECT_EQ(Application->Hint(), "vorher");
}

TEST_F(MainMenuBarTest, ChangesOfTheItemsReachWhatTheBarShows) {
  QMenuBar* bar = Bar();
  ASSERT_NE(bar, nullptr);
  QAction* fileEntry = bar->actions().at(0);
  Form->File1->SetCaption("&Mail");
  Form->View1->SetEnabled(false);
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"&Mail", "&Ansicht (grey)"}));
  EXPECT_EQ(bar->actions().at(0), fileEntry) << "an entry of the same kind is shown anew in place";
  auto* help = new TMenuItem(Form);
  help->SetCaption("&Hilfe");
  help->OnClick = [this](TObject*) { Form->Clicks.push_back("Help"); };
  Form->MainMenu1->Items()->Add(help);
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"&Mail", "&Ansicht (grey)", "&Hilfe"}));
  // A command of the bar itself.
  ASSERT_TRUE(ClickMenuBarEntry(bar, "&Hilfe"));
  Application->ProcessMessages();
  EXPECT_EQ(Form->Clicks, std::vector<std::string>{"Help"});
  Form->View1->SetVisible(false);
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"&Mail", "&Hilfe"}));
  Form->View1->SetVisible(true);

  // What is written into the system menu by hand shows once the bar is drawn again.
  std::u16string text = u"&Post \u263A";
  MENUITEMINFOW info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  ASSERT_TRUE(SetMenuItemInfoW(Form->MainMenu1->Handle(), 0, true, &info));
  EXPECT_EQ(bar->actions().at(0)->text(), QString("&Mail"));
  DrawMenuBar(Form->Handle());
  EXPECT_EQ(bar->actions().at(0)->text(), QString::fromUtf16(u"&Post \u263A"));
  // A sub-menu is read when it opens.
  Form->Open1->SetCaption("&Laden");
  Form->Open1->SetShortCut(0);
  QMenu* file = OpenBarMenu(QString::fromUtf16(u"&Post \u263A"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(MenuTexts(file).front(), "&Laden");
}

}  // namespace
}  // namespace orv::test
