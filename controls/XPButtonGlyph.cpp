// The XP-style button's glyph: state images in the shared glyph lists, and the layout and drawing
// of glyph and caption.
#include <algorithm>
#include "controls/XPStyleButtons.h"

namespace orv {
namespace {

TGlyphCacheHome& CacheHome() {
  static TGlyphCacheHome home;
  return home;
}

constexpr COLORREF kWhite = 0xFFFFFF, kGrey = 0x808080;

}  // namespace

TGlyphCache* TButtonGlyph::Cache() { return CacheHome().Cache(); }

TButtonGlyph::TButtonGlyph() : FOriginal(std::make_unique<TBitmap>()) {
  CacheHome().AddUser();
  FOriginal->OnChange = [this](TObject*) { GlyphChanged(); };
}

TButtonGlyph::~TButtonGlyph() {
  FOriginal->OnChange = nullptr;
  Invalidate();
  CacheHome().RemoveUser();
}

void TButtonGlyph::Invalidate() {
  for (Integer& index : FIndexes) {
    if (index >= 0 && FGlyphList != nullptr) FGlyphList->Delete(index);
    index = -1;
  }
  if (FGlyphList != nullptr && Cache() != nullptr) Cache()->ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

void TButtonGlyph::GlyphChanged() {
  Invalidate();
  FTransparentColor = FOriginal->Empty() ? clOlive : FOriginal->TransparentColor();
  if (OnChange) OnChange();
}

void TButtonGlyph::SetGlyph(TBitmap* bitmap) {
  Invalidate();
  FOriginal->Assign(bitmap);
  if (bitmap == nullptr || bitmap->Height() <= 0) return;
  FTransparentColor = bitmap->TransparentColor();
  const int w = bitmap->Width(), h = bitmap->Height();
  if (w % h == 0) {
    Integer count = w / h;
    if (count > 4) count = 1;
    FNumGlyphs = count;
  }
}

void TButtonGlyph::SetNumGlyphs(Integer value) {
  if (value < 1 || value > 4 || value == FNumGlyphs) return;
  Invalidate();
  FNumGlyphs = value;
  if (OnChange) OnChange();
}

Integer TButtonGlyph::MakeStateImage(TButtonState state) {
  if (state == bsDown && FNumGlyphs < 3) state = bsUp;
  if (FIndexes[state] >= 0) return FIndexes[state];
  // A strip without pixels has no image (either side being 0 would make an image list of no size).
  if (FOriginal->Width() <= 0 || FOriginal->Height() <= 0) return -1;
  const int w = FOriginal->Width() / FNumGlyphs, h = FOriginal->Height();
  if (w <= 0) return -1;
  // The cache lives while any glyph does.
  if (FGlyphList == nullptr) FGlyphList = Cache()->GetList(w, h);
  TBitmap work;
  work.SetSize(w, h);
  work.Canvas()->Brush()->SetColor(clBtnFace);
  work.Canvas()->FillRect(Rect(0, 0, w, h));
  const int image = static_cast<int>(state) < FNumGlyphs ? static_cast<int>(state) : 0;
  const int sx = image * w;
  const COLORREF transparent = ColorToRGB(FTransparentColor) & 0xFFFFFF;
  Integer index = -1;
  if (state != bsDisabled) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) work.SetPixelRGB(x, y, FOriginal->PixelRGB(sx + x, y));
    index = FOriginal->TransparentMode() == tmFixed ? FGlyphList->AddMasked(&work, FTransparentColor)
                                                   : FGlyphList->AddMasked(&work, clDefault);
  } else if (FNumGlyphs > 1) {
    // The strip's own disabled image, in the system's colours: white lights, grey shades, and the
    // see-through colour turned into the face colour.
    const COLORREF highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow),
                   face = ColorToRGB(clBtnFace);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const COLORREF c = FOriginal->PixelRGB(sx + x, y);
        COLORREF out = c;
        if (c == kWhite) out = highlight;
        if (c == kGrey) out = shadow;
        if (c == transparent) out = face;
        work.SetPixelRGB(x, y, out);
      }
    index = FGlyphList->AddMasked(&work, clDefault);
  } else {
    // Embossed from the up image: its black pixels, in highlight one pixel down and right, and in
    // shadow in place, on the face colour.
    const COLORREF highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
    const auto dark = [&](int x, int y) { return FOriginal->PixelRGB(sx + x, y) == 0; };
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (dark(x, y) && x + 1 < w && y + 1 < h) work.SetPixelRGB(x + 1, y + 1, highlight);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (dark(x, y)) work.SetPixelRGB(x, y, shadow);
    index = FGlyphList->AddMasked(&work, clDefault);
  }
  FIndexes[state] = index;
  FOriginal->Dormant();
  return index;
}

void TButtonGlyph::CalcLayout(TCanvas& canvas, const TRect& client, const AnsiString& caption,
                              TButtonLayout layout, Integer margin, Integer spacing,
                              TPoint& glyphPos, TRect& textBounds, UINT biDiFlags) {
  if (biDiFlags & DT_RIGHT) {
    if (layout == blGlyphLeft) layout = blGlyphRight;
    else if (layout == blGlyphRight) layout = blGlyphLeft;
  }
  const TPoint clientSize = Point(client.Width(), client.Height());
  const TPoint glyphSize = FOriginal->Empty() ? Point(0, 0)
                                              : Point(FOriginal->Width() / FNumGlyphs, FOriginal->Height());
  TPoint textSize = Point(0, 0);
  if (!caption.empty()) {
    textBounds = Rect(0, 0, client.Width(), 0);
    DrawTextA(canvas.Handle(), caption.c_str(), -1, &textBounds, DT_CALCRECT | biDiFlags);
    textSize = Point(textBounds.Width(), textBounds.Height());
  } else {
    textBounds = Rect(0, 0, 0, 0);
  }
  TPoint textPos;
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  if (horizontal) {
    glyphPos.Y = (clientSize.Y - glyphSize.Y + 1) / 2;
    textPos.Y = (clientSize.Y - textSize.Y + 1) / 2;
  } else {
    glyphPos.X = (clientSize.X - glyphSize.X + 1) / 2;
    textPos.X = (clientSize.X - textSize.X + 1) / 2;
  }
  if (textSize.X == 0 || glyphSize.X == 0) spacing = 0;
  const Integer clientExtent = horizontal ? clientSize.X : clientSize.Y;
  const Integer glyphExtent = horizontal ? glyphSize.X : glyphSize.Y;
  const Integer textExtent = horizontal ? textSize.X : textSize.Y;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (clientExtent - (glyphExtent + textExtent)) / 3;
      spacing = margin;
    } else {
      margin = (clientExtent - (glyphExtent + spacing + textExtent) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (clientExtent - (margin + glyphExtent) - textExtent) / 2;
  }
  switch (layout) {
    case blGlyphLeft:
      glyphPos.X = margin;
      textPos.X = glyphPos.X + glyphSize.X + spacing;
      break;
    case blGlyphRight:
      glyphPos.X = clientSize.X - margin - glyphSize.X;
      textPos.X = glyphPos.X - spacing - textSize.X;
      break;
    case blGlyphTop:
      glyphPos.Y = margin;
      textPos.Y = glyphPos.Y + glyphSize.Y + spacing;
      break;
    case blGlyphBottom:
      glyphPos.Y = clientSize.Y - margin - glyphSize.Y;
      textPos.Y = glyphPos.Y - spacing - textSize.Y;
      break;
  }
  glyphPos = Point(glyphPos.X + client.Left, glyphPos.Y + client.Top);
  textBounds = Bounds(textPos.X + client.Left, textPos.Y + client.Top, textSize.X, textSize.Y);
}

void TButtonGlyph::DrawGlyph(TCanvas& canvas, const TPoint& pos, TButtonState state) {
  if (FOriginal->Empty()) return;
  const Integer index = MakeStateImage(state);
  if (index < 0 || FGlyphList == nullptr) return;
  // Always see-through, so the face (themed or not) shows around the glyph.
  ImageList_DrawEx(FGlyphList->Handle(), index, canvas.Handle(), pos.X, pos.Y, 0, 0,
                   static_cast<COLORREF>(clNone), static_cast<COLORREF>(clNone), ILD_TRANSPARENT);
}

void TButtonGlyph::DrawCaption(TCanvas& canvas, const AnsiString& caption, TRect textBounds,
                               TButtonState state, UINT biDiFlags) {
  canvas.Brush()->SetStyle(bsClear);
  const UINT flags = DT_CENTER | DT_VCENTER | biDiFlags;
  if (state == bsDisabled) {
    const TColor fontColor = canvas.Font()->Color();
    OffsetRect(textBounds, 1, 1);
    canvas.Font()->SetColor(clBtnHighlight);
    DrawTextA(canvas.Handle(), caption.c_str(), -1, &textBounds, flags);
    OffsetRect(textBounds, -1, -1);
    canvas.Font()->SetColor(clBtnShadow);
    DrawTextA(canvas.Handle(), caption.c_str(), -1, &textBounds, flags);
    canvas.Font()->SetColor(fontColor);
    return;
  }
  DrawTextA(canvas.Handle(), caption.c_str(), -1, &textBounds, flags);
}

TRect TButtonGlyph::PaintGlyphAndText(TCanvas& canvas, const TRect& client, const AnsiString& caption,
                                      TButtonLayout layout, Integer margin, Integer spacing,
                                      TButtonState state, UINT biDiFlags) {
  TPoint glyphPos;
  TRect textBounds;
  CalcLayout(canvas, client, caption, layout, margin, spacing, glyphPos, textBounds, biDiFlags);
  DrawGlyph(canvas, glyphPos, state);
  DrawCaption(canvas, caption, textBounds, state, biDiFlags);
  return textBounds;
}

}  // namespace orv
