// Menu items in their system menus (entries, texts with shortcuts, separators, sub-menus, hidden
// items, the menu bar of a form), shortcut texts, the popup list window, owner-drawn items, and
// action links of controls and menu items that follow only what they still show.
#include <QImage>
#include "platform/classes/ObjectText.h"
#include "platform/forms/ActionLinks.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"
#include "tests/platform/forms/FormsFixture.h"

namespace orv::test {
namespace {

class TMenuTestForm : public TForm {
 public:
  explicit TMenuTestForm(TComponent* owner) : TForm(owner) {}
};

class MenusAndActionsTest : public FormsTest {
 protected:
  static void SetUpTestSuite() {
    FormsTest::SetUpTestSuite();
    RegisterClassType<TMenuTestForm, TForm>("TMenuTestForm");
  }
  TMenuTestForm* NewForm() {
    return MakeForm<TMenuTestForm>("TMenuTestForm", "object MenuTestForm: TMenuTestForm\n  Width = 300\n  Height = 200\nend\n");
  }

  // The texts of a system menu's entries ("-" for a separator).
  static std::vector<WideString> Entries(HMENU menu) {
    std::vector<WideString> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW info;
      info.fMask = MIIM_TYPE;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), true, &info);
      if (info.fType & MFT_SEPARATOR) {
        texts.push_back(u"-");
        continue;
      }
      WideString text(256, u'\0');
      const int n = GetMenuStringW(menu, static_cast<UINT>(i), text.data(), 256, MF_BYPOSITION);
      text.resize(static_cast<std::size_t>(n));
      texts.push_back(text);
    }
    return texts;
  }
  static TMenuItem* AddItem(TMenuItem* parent, const char* caption, Word shortCut = 0) {
    auto* item = new TMenuItem(parent);  // owned by its parent item
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    parent->Add(item);
    return item;
  }
};

TEST_F(MenusAndActionsTest, ShortCutTexts) {
  struct TCase {
    Word ShortCut;
    const char* Text;
  };
  const TCase cases[] = {
      {static_cast<Word>(scCtrl | 'O'), "Strg+O"},
      {static_cast<Word>(scShift | (VK_F1 + 4)), "Umsch+F5"},
      {static_cast<Word>(scAlt | VK_DELETE), "Alt+Entf"},
      {static_cast<Word>(scShift | scCtrl | scAlt | VK_HOME), "Umsch+Strg+Alt+Pos1"},
      {static_cast<Word>(scCtrl | VK_RETURN), "Strg+Eingabe"},
      {VK_F12, "F12"},
      {static_cast<Word>(scCtrl | VK_ADD), "Strg+Num +"},
      {0, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ShortCutToText(c.ShortCut), c.Text);
  }
  EXPECT_EQ(ShortCut('S', TShiftState{ssCtrl, ssShift}), scCtrl | scShift | 'S');
  EXPECT_EQ(StripHotkey("Save &as && close"), "Save as & close");
  EXPECT_TRUE(AnsiSameCaption("&Open", "oP&en"));
}

TEST_F(MenusAndActionsTest, TheSystemMenuFollowsTheItemTree) {
  TPopupMenu popup(nullptr);
  TMenuItem* root = popup.Items();
  TMenuItem* open = AddItem(root, "&Open", scCtrl | 'O');
  AddItem(root, "-");
  TMenuItem* more = AddItem(root, "More");
  TMenuItem* deep = AddItem(more, "Deep", VK_F1 + 1);
  TMenuItem* hidden = AddItem(root, "Hidden");
  hidden->SetVisible(false);
  const HMENU handle = popup.Handle();
  EXPECT_EQ(Entries(handle), (std::vector<WideString>{u"&Open\tStrg+O", u"-", u"More"}));
  EXPECT_EQ(GetMenuItemID(handle, 0), open->Command());
  EXPECT_EQ(GetSubMenu(handle, 2), more->Handle()) << "an item with sub-items has its own system menu";
  EXPECT_EQ(Entries(more->Handle()), (std::vector<WideString>{u"Deep\tF2"}));
  EXPECT_EQ(popup.FindItem(more->Handle().Value, fkHandle), more);
  EXPECT_EQ(popup.FindItem(deep->Command(), fkCommand), deep);
  EXPECT_NE(open->Command(), deep->Command());

  open->SetCaption("&Open mail");
  hidden->SetVisible(true);
  deep->SetEnabled(false);
  EXPECT_EQ(Entries(handle), (std::vector<WideString>{u"&Open mail\tStrg+O", u"-", u"More", u"Hidden"}));
  MENUITEMINFOW info;
  info.fMask = MIIM_STATE;
  GetMenuItemInfoW(more->Handle(), 0, true, &info);
  EXPECT_EQ(info.fState & MFS_GRAYED, MFS_GRAYED);
  delete hidden;
  EXPECT_EQ(Entries(handle).size(), 3u) << "a freed item leaves its menu";
}

TEST_F(MenusAndActionsTest, AMainMenuIsTheBarOfItsFormsWindowWithoutShortcuts) {
  auto* form = NewForm();
  auto* menu = new TMainMenu(form);  // owned by the form
  TMenuItem* file = AddItem(menu->Items(), "&File", scCtrl | 'F');
  AddItem(file, "&Quit", scAlt | (VK_F1 + 3));
  std::vector<HWND> redrawn;
  SetMenuBarSink([&](HWND h) { redrawn.push_back(h); });
  form->SetMenu(menu);
  form->HandleNeeded();
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  EXPECT_EQ(Entries(menu->Handle()), (std::vector<WideString>{u"&File"})) << "a bar entry shows no shortcut";
  EXPECT_EQ(Entries(file->Handle()), (std::vector<WideString>{u"&Quit\tAlt+F4"}));
  redrawn.clear();
  file->SetCaption("&Mail");
  EXPECT_FALSE(redrawn.empty());
  EXPECT_EQ(redrawn.back(), form->Handle()) << "a change redraws the bar";
  SetMenuBarSink(nullptr);
  delete menu;
  EXPECT_EQ(form->Menu(), nullptr);
  EXPECT_FALSE(GetMenu(form->Handle()));
}

TEST_F(MenusAndActionsTest, ThePopupListWindowClicksCommandsAndShowsHints) {
  TPopupMenu popup(nullptr);
  TMenuItem* send = AddItem(popup.Items(), "Send");
  send->SetHint("Send|Sends the chosen mail");
  int clicks = 0;
  send->OnClick = [&](TObject*) { ++clicks; };
  popup.Handle();
  TPopupList* list = PopupList();
  ASSERT_NE(std::find(list->Menus().begin(), list->Menus().end(), &popup), list->Menus().end());
  SendMessageA(list->Window(), WM_COMMAND, send->Command(), 0);
  EXPECT_EQ(clicks, 1);
  SendMessageA(list->Window(), WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(send->Command()), 0), popup.Handle().AsLParam());
  EXPECT_EQ(Application->Hint(), "Sends the chosen mail");
  SendMessageA(list->Window(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(Application->Hint(), "") << "the menu closed";
}

TEST_F(MenusAndActionsTest, OwnerDrawnItemsMeasureAndDrawTheirCaption) {
  TPopupMenu popup(nullptr);
  popup.SetOwnerDraw(true);
  TMenuItem* item = AddItem(popup.Items(), "&Open", scCtrl | 'O');
  MENUITEMINFOW info;
  info.fMask = MIIM_TYPE;
  GetMenuItemInfoW(popup.Handle(), 0, true, &info);
  EXPECT_EQ(info.fType & MFT_OWNERDRAW, MFT_OWNERDRAW);
  TBitmap bitmap;
  bitmap.SetWidth(200);
  bitmap.SetHeight(24);
  TCanvas* canvas = bitmap.Canvas();
  Integer width = 0, height = 0;
  item->MeasureItem(canvas, width, height);
  EXPECT_GT(width, canvas->TextWidth("Open") + canvas->TextWidth("Strg+O"));
  EXPECT_GE(height, 19);
  int measured = 0;
  item->OnMeasureItem = [&](TObject*, TCanvas*, Integer& w, Integer&) {
    ++measured;
    w += 5;
  };
  Integer again = 0;
  item->MeasureItem(canvas, again, height);
  EXPECT_EQ(again, width + 5) << "the event adjusts the measured size";
  item->AdvancedDrawItem(canvas, TRect{0, 0, 200, 24}, TOwnerDrawState{odSelected}, false);
  GdiFlush(canvas->Handle());
  EXPECT_EQ(ColorToRGB(canvas->Pixels(199, 0)), ColorToRGB(clHighlight)) << "a selected item is highlighted";
  bool textDrawn = false;
  for (int x = 0; x < 120 && !textDrawn; ++x)
    for (int y = 0; y < 24; ++y)
      if (ColorToRGB(canvas->Pixels(x, y)) != ColorToRGB(clHighlight)) textDrawn = true;
  EXPECT_TRUE(textDrawn);
}

TEST_F(MenusAndActionsTest, LinkedClientsFollowTheirActionOnlyWhileTheyShowItsValue) {
  auto* form = NewForm();
  auto* action = new TAction(form);
  action->SetCaption("&Send");
  action->SetHint("Sends");
  auto* button = new TButton(form);
  button->SetParent(form);
  auto* label = new TLabel(form);
  label->SetParent(form);
  auto* menuItem = new TMenuItem(form);
  button->SetAction(action);
  label->SetAction(action);
  menuItem->SetAction(action);
  EXPECT_EQ(button->Caption(), "&Send");
  EXPECT_EQ(menuItem->Caption(), "&Send");
  ASSERT_NE(button->ActionLink(), nullptr);
  EXPECT_NE(dynamic_cast<TButtonActionLink*>(button->ActionLink()), nullptr) << "a button gets the button link";
  EXPECT_EQ(button->GetActionLinkClass(), &TButtonActionLink::Create);
  EXPECT_EQ(label->GetActionLinkClass(), &TControlActionLink::Create);
  EXPECT_FALSE(button->IsCaptionStored()) << "the action supplies the caption";

  menuItem->SetCaption("S&END");  // another hot key and case: still the action's caption
  label->SetCaption("Mine");       // a caption of its own
  action->SetCaption("Send &all");
  EXPECT_EQ(button->Caption(), "Send &all");
  EXPECT_EQ(menuItem->Caption(), "Send &all");
  EXPECT_EQ(label->Caption(), "Mine") << "a client showing another caption keeps it";
  EXPECT_TRUE(label->IsCaptionStored());
  action->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(menuItem->Enabled());
  delete action;
  EXPECT_EQ(button->Action(), nullptr);
  EXPECT_EQ(button->ActionLink(), nullptr);
  EXPECT_EQ(menuItem->Action(), nullptr);
}

class TAlignedMenuForm : public TForm {
 public:
  explicit TAlignedMenuForm(TComponent* owner) : TForm(owner) {}
  TPopupMenu* PopupMenu1 = nullptr;
  TAction* OpenAction = nullptr;
};

TEST_F(MenusAndActionsTest, MenuAlignmentAndActionImageAreReadAndWrittenBack) {
  RegisterClassType<TAlignedMenuForm, TForm>("TAlignedMenuForm")
      .Field("PopupMenu1", &TAlignedMenuForm::PopupMenu1)
      .Field("OpenAction", &TAlignedMenuForm::OpenAction);
  auto* form = MakeForm<TAlignedMenuForm>("TAlignedMenuForm", R"(object AlignedMenuForm: TAlignedMenuForm
  Width = 300
  Height = 200
  object PopupMenu1: TPopupMenu
    Alignment = paRight
  end
  object OpenAction: TAction
    Caption = 'Open'
    ImageIndex = 2
  end
end
)");
  EXPECT_EQ(form->PopupMenu1->Alignment(), paRight);
  EXPECT_EQ(form->OpenAction->ImageIndex(), 2);
  const AnsiString text = WriteComponentToText(form);
  EXPECT_NE(text.find("Alignment = paRight"), AnsiString::npos) << text;
  EXPECT_NE(text.find("ImageIndex = 2"), AnsiString::npos) << text;
  // Defaults are left out.
  form->PopupMenu1->SetAlignment(paLeft);
  form->OpenAction->SetImageIndex(-1);
  const AnsiString plain = WriteComponentToText(form);
  EXPECT_EQ(plain.find("Alignment ="), AnsiString::npos) << plain;
  EXPECT_EQ(plain.find("ImageIndex ="), AnsiString::npos) << plain;

  // A copied action takes the image too.
  TAction copy(nullptr);
  form->OpenAction->SetImageIndex(4);
  copy.Assign(form->OpenAction);
  EXPECT_EQ(copy.ImageIndex(), 4);
}

}  // namespace
}  // namespace orv::test
