// The class library's own measuring and drawing of an owner-drawn menu item: glyph area, check
// mark or image, caption with its hot-key underline, shortcut to the right.
#include "platform/forms/Menus.h"

#include <algorithm>
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"

namespace orv {

namespace {

constexpr Integer DefaultGlyphSize = 16;

Integer GlyphWidth(TMenu* menu) {
  return menu != nullptr && menu->Images() != nullptr ? menu->Images()->Width() : DefaultGlyphSize;
}

}  // namespace

void TMenuItem::MeasureItem(TCanvas* canvas, Integer& width, Integer& height) {
  TMenu* menu = GetParentMenu();
  if (IsLine()) {
    width = 0;
    height = 8;
  } else {
    const bool topLevel = IsMenuBarEntry();
    width = (topLevel ? 0 : GlyphWidth(menu) + 4) + canvas->TextWidth(StripHotkey(FCaption)) + 8;
    if (FShortCut != 0 && !topLevel) width += 10 + canvas->TextWidth(ShortCutToText(FShortCut));
    const Integer glyphHeight = menu != nullptr && menu->Images() != nullptr ? menu->Images()->Height() : DefaultGlyphSize;
    height = std::max(canvas->TextHeight("Wg") + 4, glyphHeight + 3);
  }
  OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* canvas, TRect rect, TOwnerDrawState state, bool topLevel) {
  if (OnAdvancedDrawItem) {
    OnAdvancedDrawItem(this, canvas, rect, state);
    return;
  }
  TMenu* menu = GetParentMenu();
  const bool selected = state.Contains(odSelected);
  canvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  canvas->FillRect(rect);
  if (IsLine()) {
    const Integer middle = rect.Top + rect.Height() / 2;
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->MoveTo(rect.Left, middle - 1);
    canvas->LineTo(rect.Right, middle - 1);
    canvas->Pen()->SetColor(clBtnHighlight);
    canvas->MoveTo(rect.Left, middle);
    canvas->LineTo(rect.Right, middle);
    return;
  }
  const Integer glyph = topLevel ? 0 : GlyphWidth(menu);
  TCustomImageList* images = menu != nullptr ? menu->Images() : nullptr;
  if (!topLevel && images != nullptr && FImageIndex >= 0 && FImageIndex < images->Count()) {
    images->Draw(canvas, rect.Left + 1, rect.Top + (rect.Height() - images->Height()) / 2, FImageIndex, FEnabled);
  } else if (!topLevel && FChecked) {
    // A tick drawn with two strokes in the glyph area.
    const Integer x = rect.Left + 4, y = rect.Top + rect.Height() / 2;
    canvas->Pen()->SetColor(selected ? clHighlightText : clMenuText);
    canvas->MoveTo(x, y);
    canvas->LineTo(x + 3, y + 3);
    canvas->LineTo(x + 9, y - 3);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(!FEnabled ? clGrayText : selected ? clHighlightText : clMenuText);
  TRect text{rect.Left + glyph + (topLevel ? 4 : 6), rect.Top, rect.Right - 4, rect.Bottom};
  DrawTextA(canvas->Handle(), FCaption.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS);
  if (FShortCut != 0 && !topLevel) {
    const AnsiString shortCut = ShortCutToText(FShortCut);
    TRect right{rect.Left, rect.Top, rect.Right - 10, rect.Bottom};
    DrawTextA(canvas->Handle(), shortCut.c_str(), -1, &right, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
  }
}

}  // namespace orv
