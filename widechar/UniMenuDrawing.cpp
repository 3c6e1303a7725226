// Drawing and measuring a TUniMenuItem with its wide caption and shortcut: the inherited drawing
// paints background, check mark and image without text, then the wide texts go where the narrow
// ones would have gone.
#include <algorithm>
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Version.h"
#include "widechar/UniMenus.h"
#include "widechar/UniSystem.h"
#include "widechar/UniWindows.h"

namespace orv {

namespace {

constexpr UINT ItemTextFlags = DT_LEFT | DT_SINGLELINE | DT_EXPANDTABS;  // 0x60
constexpr UINT MeasureFlags = DT_CALCRECT | DT_NOCLIP | ItemTextFlags;  // 0x560

bool VersionAtLeast(DWORD major, DWORD minor) {
  const TOSVersion& v = OSVersion();
  return v.MajorVersion > major || (v.MajorVersion == major && v.MinorVersion >= minor);
}

bool HasUsableImage(TMenuItem* item, TCustomImageList* images) {
  return images != nullptr && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count();
}

// The two-colour checkered pattern behind the glyph of a checked item that is not selected.
TBitmap* CheckedPattern() {
  static TBitmap* pattern = [] {
    static TBitmap bitmap;
    bitmap.SetWidth(8);
    bitmap.SetHeight(8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) bitmap.Canvas()->SetPixels(x, y, (x + y) % 2 == 0 ? clBtnFace : clBtnHighlight);
    return &bitmap;
  }();
  return pattern;
}

}  // namespace

void TUniMenuItem::DrawItemText(TCanvas* canvas, WideString text, UINT flags, bool selected, TRect& rect) {
  TMenu* menu = GetParentMenu();
  if (!Win32PlatformIsUnicode || IsLine()) {
    const AnsiString narrow = WideToAnsi(text);
    DrawTextA(canvas->Handle(), narrow.c_str(), -1, &rect, flags);
    return;
  }
  if (menu != nullptr && menu->IsRightToLeft()) flags |= DT_RIGHT | DT_RTLREADING;
  if ((flags & DT_CALCRECT) != 0 && (text.empty() || text == u"&")) text += u' ';
  canvas->Brush()->SetStyle(bsClear);
  if (Default()) {
    TFontStyles style = canvas->Font()->Style();
    canvas->Font()->SetStyle(style.Include(fsBold));
  }
  if ((flags & DT_CALCRECT) != 0) {
    WideDrawText(canvas->Handle(), text.c_str(), -1, &rect, flags);
    return;
  }
  if (!Enabled()) {
    if (!selected) {
      TRect shadow = rect;
      shadow.Left += 1;
      shadow.Right += 1;
      shadow.Top += 1;
      shadow.Bottom += 1;
      canvas->Font()->SetColor(clBtnHighlight);
      WideDrawText(canvas->Handle(), text.c_str(), -1, &shadow, flags);
    }
    const bool sameColours = ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow);
    canvas->Font()->SetColor(selected && sameColours ? clBtnHighlight : clBtnShadow);
  }
  WideDrawText(canvas->Handle(), text.c_str(), -1, &rect, flags);
}

void TUniMenuItem::AdvancedDrawItem(TCanvas* canvas, TRect rect, TOwnerDrawState state, bool topLevel) {
  TMenu* menu = GetParentMenu();
  const bool ownerDrawn = menu != nullptr && (menu->OwnerDraw() || menu->Images() != nullptr);
  if (!Win32PlatformIsUnicode || IsLine() || (ownerDrawn && OnAdvancedDrawItem)) {
    TMenuItem::AdvancedDrawItem(canvas, rect, state, topLevel);
    return;
  }
  const WideString caption = WideCaption();
  const Word shortCut = ShortCut();
  FIgnoreMenuChanged = true;
  TMenuItem::SetCaption(AnsiString());
  SetShortCut(0);
  FIgnoreMenuChanged = false;
  TMenuItem::AdvancedDrawItem(canvas, rect, state, topLevel);
  FIgnoreMenuChanged = true;
  SetWideCaption(caption);
  SetShortCut(shortCut);
  FIgnoreMenuChanged = false;
  DrawWideItemText(canvas, rect, state, topLevel);
}

void TUniMenuItem::DrawWideItemText(TCanvas* canvas, TRect rect, TOwnerDrawState state, bool topLevel) {
  TMenu* menu = GetParentMenu();
  const bool rightToLeft = menu != nullptr && menu->IsRightToLeft();
  const bool selected = state.Contains(odSelected);
  TCustomImageList* images = menu != nullptr ? menu->Images() : nullptr;
  const bool useImage = HasUsableImage(this, images);
  const bool emptyBitmap = !HasBitmap() || Bitmap()->Empty();
  const bool hasGlyph = useImage || (Checked() && emptyBitmap) || !emptyBitmap;

  TRect glyph = rect;
  glyph.Left = rect.Left + 1;
  if (hasGlyph) {
    glyph.Right = glyph.Left + (useImage ? images->Width() : 16);
    if (Checked()) {
      glyph.Left += 1;
      if (!selected) canvas->Brush()->SetBitmap(CheckedPattern());
    }
  } else {
    glyph.Right = glyph.Left + (topLevel || images == nullptr ? 0 : images->Width());
  }
  if (rightToLeft) {
    const Integer left = rect.Right - (glyph.Right - rect.Left);
    const Integer right = rect.Right - (glyph.Left - rect.Left);
    glyph.Left = left;
    glyph.Right = right;
  }
  glyph.Left -= 1;
  glyph.Right += 2;

  TRect text = rect;
  if (rightToLeft) text.Right = glyph.Left - 1;
  else text.Left = glyph.Right + 1;
  text.Left += 2;
  text.Right -= 1;
  const bool newMenus = VersionAtLeast(4, 1);
  if (selected && !(topLevel && newMenus)) canvas->Brush()->SetColor(clHighlight);
  if (topLevel && !selected && newMenus) {
    text.Top -= 1;
    text.Bottom -= 1;
  }

  UINT flags = ItemTextFlags;
  if (OSVersion().PlatformId == VER_PLATFORM_WIN32_NT && VersionAtLeast(5, 0) && state.Contains(odNoAccel))
    flags |= DT_HIDEPREFIX;
  if (state.Contains(odDefault)) {
    TFontStyles style = canvas->Font()->Style();
    canvas->Font()->SetStyle(style.Include(fsBold));
  }

  const WideString caption = WideCaption();
  TRect measured = text;
  DrawItemText(canvas, caption, flags | DT_CALCRECT | DT_NOCLIP, selected, measured);
  if (rightToLeft) {
    measured.Left = text.Left;
    measured.Right = text.Right;
  }
  const Integer shift = (text.Height() - measured.Height()) / 2;
  measured.Top += shift;
  measured.Bottom += shift;
  if (topLevel && selected && newMenus) {
    measured.Left += 1;
    measured.Right += 1;
  }
  DrawItemText(canvas, caption, flags, selected, measured);

  if (ShortCut() != 0 && !topLevel) {
    const WideString shortCutText = WideShortCutToText(ShortCut());
    TRect area = measured;
    if (rightToLeft) {
      TRect size{0, 0, 0, 0};
      DrawItemText(canvas, shortCutText, MeasureFlags, selected, size);
      area.Left = rect.Left + 10;
      area.Right = area.Left + size.Width();
    } else {
      area.Left = measured.Right;
      area.Right = rect.Right - 10;
    }
    DrawItemText(canvas, shortCutText, flags | DT_RIGHT, selected, area);
  }
}

void TUniMeasureHandler::operator()(TObject*, TCanvas* canvas, Integer& width, Integer& height) const {
  Item->MeasureItemHandler(canvas, width, height);
}

void TUniMenuItem::MeasureItemHandler(TCanvas* canvas, Integer& width, Integer& height) {
  if (!Win32PlatformIsUnicode || IsLine()) {
    OnMeasureItem = UserMeasureItem;
    struct TPutBack {
      TUniMenuItem* Item;
      ~TPutBack() { Item->InstallOwnMeasureHandler(); }
    } putBack{this};
    TMenuItem::MeasureItem(canvas, width, height);
    return;
  }
  {
    OnMeasureItem = nullptr;
    struct TPutBack {
      TUniMenuItem* Item;
      ~TPutBack() { Item->InstallOwnMeasureHandler(); }
    } putBack{this};
    TMenuItem::MeasureItem(canvas, width, height);
  }
  auto textWidth = [&](const WideString& text) {
    TRect r{0, 0, 0, 0};
    DrawItemText(canvas, text, MeasureFlags, false, r);
    return r.Width();
  };
  width += textWidth(WideCaption()) - textWidth(AnsiToWide(Caption()));
  if (ShortCut() != 0)
    width += textWidth(WideShortCutToText(ShortCut())) - textWidth(AnsiToWide(ShortCutToText(ShortCut())));
  UserMeasureItem(this, canvas, width, height);
}

}  // namespace orv
