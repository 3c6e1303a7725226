// Wide menus: shortcut texts, hot-key markers, wide captions written into system menus and kept in
// step with their narrow shadows, items read from descriptions, drawing and measuring of wide
// captions, and the wide popup list's hints.
#include "platform/classes/ObjectText.h"
#include "platform/graphics/Graphics.h"
#include "platform/win/Keyboard.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniForms.h"
#include "widechar/UniMenus.h"

namespace orv::test {
namespace {

class TMenuHostForm : public TForm {
 public:
  explicit TMenuHostForm(TComponent* owner) : TForm(owner) {}
};

class UniMenusTest : public WideLayerTest {
 protected:
  static void SetUpTestSuite() {
    WideLayerTest::SetUpTestSuite();
    RegisterClassType<TMenuHostForm, TForm>("TMenuHostForm");
  }
  static TUniMenuItem* AddUni(TMenuItem* parent, const WideString& caption, Word shortCut = 0) {
    auto* item = new TUniMenuItem(parent);  // owned by its parent item
    parent->Add(item);
    item->SetWideCaption(caption);
    item->SetShortCut(shortCut);
    return item;
  }
  static WideString EntryText(HMENU menu, UINT command) {
    char16_t buffer[128] = {};
    const int n = GetMenuStringW(menu, command, buffer, 128, MF_BYCOMMAND);
    return WideString(buffer, static_cast<std::size_t>(std::max(0, n)));
  }
};

TEST_F(UniMenusTest, WideShortCutTexts) {
  struct TCase {
    Word ShortCut;
    WideString Text;
  };
  const TCase cases[] = {
      {static_cast<Word>(scCtrl | 'A'), u"Strg+A"},              // the letter MapVirtualKeyW gives
      {static_cast<Word>(scShift | (VK_F1 + 4)), u"Umsch+F5"},   // the class library's own text
      {static_cast<Word>(scAlt | (VK_NUMPAD0 + 7)), u"Alt+7"},   // a keypad digit as its character
      {static_cast<Word>(scShift | scCtrl | VK_OEM_1), u"Umsch+Strg+;"},  // the key's own name
      {static_cast<Word>(scCtrl | VK_DELETE), u"Strg+Entf"},
      {static_cast<Word>(scCtrl | 0xFF), u""},                    // no key text: nothing
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(Show(c.Text));
    EXPECT_EQ(Show(WideShortCutToText(c.ShortCut)), Show(c.Text));
  }
  EXPECT_EQ(WideKeyName(VK_OEM_1), u";");
  UseNarrowPlatform();
  EXPECT_EQ(WideShortCutToText(scAlt | (VK_NUMPAD0 + 7)), u"Alt+Num 7") << "the narrow platform takes the class library's text";
}

TEST_F(UniMenusTest, HotKeyMarkers) {
  EXPECT_EQ(WideStripHotkey(u"&Datei && mehr"), u"Datei & mehr");
  EXPECT_EQ(WideStripHotkey(u"Datei(&F)"), u"Datei(F)");
  EXPECT_TRUE(WideSameCaption(u"&\u00D6ffnen", u"\u00F6ff&nen"));
  EXPECT_FALSE(WideSameCaptionExact(u"&\u00D6ffnen", u"\u00F6ff&nen"));
  EXPECT_EQ(SyncHotKeyPosition(u"Sen&den ?", u"&Senden \u263A"), u"Sen&den \u263A");
  EXPECT_EQ(SyncHotKeyPosition(u"Other", u"&Senden"), u"&Senden") << "different texts are left alone";
  TOSVersion farEast;
  farEast.FarEast = true;
  SetOSVersion(farEast);
  EXPECT_EQ(WideStripHotkey(u"\u30D5\u30A1\u30A4\u30EB(&F)"), u"\u30D5\u30A1\u30A4\u30EB") << "the whole group goes";
  EXPECT_EQ(SyncHotKeyPosition(u"?(&F)", u"\u65E5"), u"\u65E5(&F)");
}

TEST_F(UniMenusTest, WideCaptionsGoIntoTheSystemMenuAndFollowTheNarrowShadow) {
  TPopupMenu popup(nullptr);
  TUniMenuItem* send = AddUni(popup.Items(), u"&Senden \u263A", scCtrl | 'S');
  TUniMenuItem* sub = AddUni(popup.Items(), u"Mehr \u2603");
  AddUni(sub, u"Tief \u00E9", scCtrl | 'T');
  TUniMenuItem* line = AddUni(popup.Items(), u"-");
  const HMENU handle = popup.Handle();
  EXPECT_EQ(Show(EntryText(handle, send->Command())), Show(u"&Senden \u263A\tStrg+S"));
  EXPECT_EQ(Show(EntryText(handle, sub->Command())), Show(u"Mehr \u2603")) << "an entry opening a sub-menu has no shortcut";
  EXPECT_EQ(send->Caption(), "&Senden ?") << "the narrow caption is the ANSI form";
  MENUITEMINFOW info;
  info.fMask = MIIM_TYPE;
  ASSERT_TRUE(GetMenuItemInfoW(handle, 2, true, &info));
  EXPECT_EQ(info.fType & MFT_SEPARATOR, MFT_SEPARATOR) << "a separator is never rewritten";
  (void)line;

  // The class library moved the hot-key marker of the narrow caption: the wide one follows.
  send->SetCaption("Sen&den ?");
  EXPECT_EQ(Show(send->WideCaption()), Show(u"Sen&den \u263A"));
  // A narrow caption changed elsewhere wins.
  send->SetCaption("Quit");
  EXPECT_EQ(send->WideCaption(), u"Quit");
  EXPECT_EQ(EntryText(handle, send->Command()), u"Quit\tStrg+S");
  send->SetWideHint(u"Senden|Sendet \u263A");
  EXPECT_EQ(Show(GetMenuItemWideHint(send)), Show(u"Senden|Sendet \u263A"));
  EXPECT_EQ(send->Hint(), "Senden|Sendet ?");
}

TEST_F(UniMenusTest, AMenuBarEntryNeverGetsItsShortcut) {
  TMainMenu menu(nullptr);
  TUniMenuItem* bar = AddUni(menu.Items(), u"&Datei \u263A", scCtrl | 'D');
  TUniMenuItem* open = AddUni(bar, u"\u00D6ffnen", scCtrl | 'O');
  const HMENU handle = menu.Handle();
  EXPECT_EQ(Show(EntryText(handle, bar->Command())), Show(u"&Datei \u263A"));
  EXPECT_EQ(Show(EntryText(handle, open->Command())), Show(u"\u00D6ffnen\tStrg+O"));
}

TEST_F(UniMenusTest, ItemsReadFromADescriptionShowTheirWideCaptions) {
  auto* form = MakeForm<TMenuHostForm>("TMenuHostForm",
                               "object MenuForm: TMenuHostForm\n"
                               "  object PopupMenu1: TPopupMenu\n"
                               "    object Send1: TUniMenuItem\n"
                               "      Caption = 'Senden ?'\n"
                               "      Caption_UTF7 = 'Senden +Jjo'\n"
                               "      ShortCut = 16467\n"
                               "    end\n"
                               "  end\n"
                               "end\n");
  auto* popup = dynamic_cast<TPopupMenu*>(form->FindComponent("PopupMenu1"));
  ASSERT_NE(popup, nullptr);
  auto* item = dynamic_cast<TUniMenuItem*>(popup->Items()->Items(0));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Show(item->WideCaption()), Show(u"Senden \u263A"));
  EXPECT_EQ(Show(EntryText(popup->Handle(), item->Command())), Show(u"Senden \u263A\tStrg+S"));
  const AnsiString written = WriteComponentToText(form);
  EXPECT_NE(written.find("Caption_UTF7 = 'Senden +Jjo'"), AnsiString::npos) << written;
}

TEST_F(UniMenusTest, DrawingAndMeasuringUseTheWideCaption) {
  TPopupMenu popup(nullptr);
  popup.SetOwnerDraw(true);
  TUniMenuItem* item = AddUni(popup.Items(), u"\u263A\u263A\u263A\u263A", scCtrl | 'S');
  TBitmap bitmap;
  bitmap.SetWidth(240);
  bitmap.SetHeight(24);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Font()->SetName("DejaVu Sans");
  Integer userWidth = -1;
  item->UserMeasureItem = [&](TObject*, TCanvas*, Integer& w, Integer&) { userWidth = w; };
  Integer width = 0, height = 0;
  item->MeasureItem(canvas, width, height);
  Integer narrowWidth = 0, narrowHeight = 0;
  {
    TMenuItem plain(nullptr);
    popup.Items()->Add(&plain);
    plain.SetCaption("????");
    plain.SetShortCut(scCtrl | 'S');
    plain.MeasureItem(canvas, narrowWidth, narrowHeight);
    popup.Items()->Remove(&plain);
  }
  EXPECT_EQ(userWidth, width) << "the user's event comes last, with the wide width";
  EXPECT_NE(width, narrowWidth) << "the width follows the wide caption";
  EXPECT_TRUE(item->HasOwnMeasureHandler());
  // An event put into OnMeasureItem itself becomes the user's at the next update.
  int assigned = 0;
  item->OnMeasureItem = [&](TObject*, TCanvas*, Integer&, Integer&) { ++assigned; };
  UpdateWideMenuItemText(item, &popup);
  EXPECT_TRUE(item->HasOwnMeasureHandler());
  item->MeasureItem(canvas, width, height);
  EXPECT_EQ(assigned, 1);

  canvas->Brush()->SetColor(clMenu);
  canvas->FillRect(TRect{0, 0, 240, 24});
  item->AdvancedDrawItem(canvas, TRect{0, 0, 240, 24}, TOwnerDrawState{}, false);
  GdiFlush(canvas->Handle());
  std::vector<TColor> widePixels;
  for (int x = 0; x < 240; ++x) widePixels.push_back(canvas->Pixels(x, 12));
  EXPECT_EQ(item->WideCaption(), u"\u263A\u263A\u263A\u263A") << "drawing leaves the caption as it was";
  EXPECT_EQ(item->ShortCut(), scCtrl | 'S');
  UseNarrowPlatform();
  canvas->FillRect(TRect{0, 0, 240, 24});
  item->AdvancedDrawItem(canvas, TRect{0, 0, 240, 24}, TOwnerDrawState{}, false);
  GdiFlush(canvas->Handle());
  std::vector<TColor> narrowPixels;
  for (int x = 0; x < 240; ++x) narrowPixels.push_back(canvas->Pixels(x, 12));
  EXPECT_NE(widePixels, narrowPixels) << "the wide road draws other glyphs than the question marks";
}

TEST_F(UniMenusTest, TheWidePopupListSetsTheWideApplicationHint) {
  ASSERT_NE(UniPopupList(), nullptr);
  EXPECT_NE(PopupList(), UniPopupList()) << "it does not become the class library's popup list";
  TPopupMenu popup(nullptr);
  TUniMenuItem* item = AddUni(popup.Items(), u"Senden");
  item->SetWideHint(u"Senden|Sendet \u263A");
  UniPopupList()->Add(&popup);
  SendMessageA(UniPopupList()->Window(), WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(item->Command()), 0),
               popup.Handle().AsLParam());
  ASSERT_NE(UniApplication, nullptr);
  EXPECT_EQ(Show(UniApplication->ReadHint()), Show(u"Sendet \u263A"));
  SendMessageA(UniPopupList()->Window(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(UniApplication->ReadHint(), u"");
  TPopupList* before = PopupList();
  SetPopupList(nullptr);
  SendMessageA(UniPopupList()->Window(), WM_ENTERMENULOOP, 0, 0);
  EXPECT_EQ(PopupList(), UniPopupList()->SavedPopupList()) << "a menu loop puts the remembered list back";
  SetPopupList(before);
  UniPopupList()->Remove(&popup);
}

}  // namespace
}  // namespace orv::test
