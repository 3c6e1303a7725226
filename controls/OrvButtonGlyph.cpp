// The speed button's glyph: state images in the shared glyph lists, the grey rule of inactive
// glyphs, and the layout and drawing of glyph, caption and drop-down mark.
#include <algorithm>
#include "controls/OrvHelpers.h"
#include "controls/OrvSpeedButton.h"

namespace orv {
namespace {

TGlyphCacheHome& CacheHome() {
  static TGlyphCacheHome home;
  return home;
}

constexpr TColor kPaletteRelative = 0x02000000;

// Inactive glyphs are grey: the see-through colour and the face colour stay, every other colour
// becomes the grey of its brightness.
COLORREF GreyPixel(COLORREF c, COLORREF transparent, COLORREF face) {
  if (c == transparent || c == face) return c;
  const unsigned v = (77u * GetRValue(c) + 150u * GetGValue(c) + 29u * GetBValue(c)) >> 8;
  return RGB(v, v, v);
}

// Each line cut to the width; at most 255 characters take part.
AnsiString ShortenLines(const AnsiString& caption, TCanvas& canvas, Integer width) {
  const AnsiString text = caption.substr(0, 255);
  AnsiString result;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    const AnsiString line = text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
    result += ShortenText(line, canvas, width);
    if (end == AnsiString::npos) break;
    std::size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    result += text.substr(end, next - end);
    start = next;
  }
  while (!result.empty() && (result.back() == ' ' || result.back() == '\r' || result.back() == '\n'))
    result.pop_back();
  return result;
}

}  // namespace

TGlyphCache* TOrvButtonGlyph::Cache() { return CacheHome().Cache(); }

TOrvButtonGlyph::TOrvButtonGlyph() : FOriginal(std::make_unique<TBitmap>()) {
  CacheHome().AddUser();
  FOriginal->OnChange = [this](TObject*) { GlyphChanged(); };
}

TOrvButtonGlyph::~TOrvButtonGlyph() {
  FOriginal->OnChange = nullptr;
  DropStateImages();
  CacheHome().RemoveUser();
}

void TOrvButtonGlyph::DropStateImages() {
  for (Integer& index : FIndexes) {
    if (index >= 0 && FGlyphList != nullptr) FGlyphList->Delete(index);
    index = -1;
  }
  if (FGlyphList != nullptr && Cache() != nullptr) Cache()->ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

void TOrvButtonGlyph::GlyphChanged() {
  DropStateImages();
  const int w = FOriginal->Width(), h = FOriginal->Height();
  if (h > 0) {
    FTransparentColor = FOriginal->TransparentColor() & ~kPaletteRelative;
    if (w % h == 0) {
      Integer count = w / h;
      if (count > 5) count = 1;
      FNumGlyphs = count;
    }
  }
  if (OnChange) OnChange();
}

void TOrvButtonGlyph::SetGlyph(TBitmap* bitmap) {
  FOriginal->Assign(bitmap);
}

void TOrvButtonGlyph::SetNumGlyphs(Integer value) {
  if (value > 5) value = 5;
  if (value <= 0 || value == FNumGlyphs) return;
  DropStateImages();
  FNumGlyphs = value;
  if (OnChange) OnChange();
}

void TOrvButtonGlyph::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  if (OnChange) OnChange();
}

void TOrvButtonGlyph::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  if (OnChange) OnChange();
}

Integer TOrvButtonGlyph::MakeStateImage(TOrvButtonState state) {
  if (state == obsDown && FNumGlyphs < 3) state = obsUp;
  if (FIndexes[state] >= 0) return FIndexes[state];
  if (FOriginal->Width() <= 0 || FOriginal->Height() <= 0) return -1;
  const int w = FOriginal->Width() / FNumGlyphs, h = FOriginal->Height();
  if (w <= 0) return -1;
  if (FGlyphList == nullptr) FGlyphList = Cache()->GetList(w, h);
  TBitmap work(w, h);
  work.Canvas()->Brush()->SetColor(clBtnFace);
  work.Canvas()->FillRect(Rect(0, 0, w, h));
  const int image = static_cast<int>(state) < FNumGlyphs ? static_cast<int>(state) : 0;
  Integer index;
  if (state == obsDisabled && FNumGlyphs < 2) {
    std::unique_ptr<TBitmap> disabled = MakeDisabledBitmap(*FOriginal, clBlack);
    index = FGlyphList->AddMasked(disabled.get(), clBtnFace);
  } else if (state == obsInactive && FNumGlyphs < 5) {
    const COLORREF transparent = ColorToRGB(FTransparentColor), face = ColorToRGB(clBtnFace);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) work.SetPixelRGB(x, y, GreyPixel(FOriginal->PixelRGB(x, y), transparent, face));
    index = FGlyphList->AddMasked(&work, FTransparentColor);
  } else {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) work.SetPixelRGB(x, y, FOriginal->PixelRGB(image * w + x, y));
    index = FGlyphList->AddMasked(&work, FTransparentColor);
  }
  FIndexes[state] = index;
  FOriginal->Dormant();
  return index;
}

AnsiString TOrvButtonGlyph::LayoutButtonContent(TCanvas& canvas, const TRect& client,
                                                const AnsiString& caption, TButtonLayout layout,
                                                Integer margin, Integer spacing, bool drawMark,
                                                TPoint& glyphPos, TRect& textBounds, UINT biDiFlags) {
  const Integer cw = client.Width(), ch = client.Height();
  Integer gw = 0, gh = 0;
  if (FActionImages != nullptr) {
    gw = FActionImages->Width();
    gh = FActionImages->Height();
  } else if (!FOriginal->Empty()) {
    gw = FOriginal->Width() / FNumGlyphs;
    gh = FOriginal->Height();
  }
  const Integer m0 = margin == -1 ? 0 : margin, sp0 = spacing == -1 ? 0 : spacing;
  const bool vertical = layout == blGlyphTop || layout == blGlyphBottom;
  Integer availW = vertical ? cw : cw - gw - m0 - sp0 - (drawMark ? 9 : 0);
  Integer availH = vertical ? ch - gh - m0 - sp0 : ch;
  availW = std::max<Integer>(availW, 0);
  availH = std::max<Integer>(availH, 0);

  AnsiString text = FWordWrap ? caption.substr(0, 255) : ShortenLines(caption, canvas, availW);
  Integer tw = 0, th = 0;
  if (!text.empty()) {
    TRect r = Rect(0, 0, availW, 0);
    UINT flags = DT_CALCRECT | DT_CENTER | DT_VCENTER | biDiFlags;
    if (FWordWrap) flags |= DT_WORDBREAK;
    DrawTextA(canvas.Handle(), text.c_str(), -1, &r, flags);
    tw = std::min(r.Width(), availW);
    th = std::min(r.Height(), availH);
  }
  if (drawMark) {
    if (gw == 0 || layout == blGlyphLeft) tw += 9;
    else if (gw > 0) gw += 6;
  }
  TPoint textPos;
  if (!vertical) {
    glyphPos.Y = ch / 2 - gh / 2;
    textPos.Y = ch / 2 - th / 2;
  } else {
    glyphPos.X = cw / 2 - gw / 2;
    textPos.X = cw / 2 - tw / 2;
  }
  if (tw == 0 || gw == 0) spacing = 0;
  const Integer extent = vertical ? ch : cw, g = vertical ? gh : gw, t = vertical ? th : tw;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (extent - (g + t)) / 3;
      spacing = margin;
    } else {
      margin = extent / 2 - (g + spacing + t) / 2;
    }
  } else if (spacing == -1) {
    spacing = (extent - margin - g) / 2 - t / 2;
  }
  switch (layout) {
    case blGlyphLeft:
      glyphPos.X = margin;
      textPos.X = margin + gw + spacing;
      break;
    case blGlyphRight:
      glyphPos.X = cw - margin - gw;
      textPos.X = glyphPos.X - spacing - tw;
      break;
    case blGlyphTop:
      glyphPos.Y = margin;
      textPos.Y = margin + gh + spacing;
      break;
    case blGlyphBottom:
      glyphPos.Y = ch - margin - gh;
      textPos.Y = glyphPos.Y - spacing - th;
      break;
  }
  glyphPos = Point(glyphPos.X + client.Left, glyphPos.Y + client.Top);
  textBounds = Bounds(textPos.X + client.Left, textPos.Y + client.Top, tw, th);
  return text;
}

void DrawDropDownMark(TCanvas& canvas, Integer x, Integer y, bool enabled) {
  const auto triangle = [&](Integer px, Integer py, TColor colour) {
    canvas.Pen()->SetColor(colour);
    canvas.Pen()->SetWidth(1);
    for (int row = 0; row < 4; ++row) {
      canvas.MoveTo(px + row, py - 1 + row);
      canvas.LineTo(px + 7 - row, py - 1 + row);
    }
  };
  if (!enabled) {
    triangle(x + 1, y + 1, clBtnHighlight);
    triangle(x, y, clBtnShadow);
    return;
  }
  triangle(x, y, clBtnText);
}

TRect TOrvButtonGlyph::Draw(TCanvas& canvas, const TRect& client, const AnsiString& caption,
                            TButtonLayout layout, Integer margin, Integer spacing, bool drawMark,
                            TOrvButtonState state, UINT biDiFlags) {
  TPoint glyphPos;
  TRect textBounds;
  const AnsiString text = LayoutButtonContent(canvas, client, caption, layout, margin, spacing,
                                              drawMark, glyphPos, textBounds, biDiFlags);
  if (FActionImages != nullptr) {
    DrawActionImage(canvas, glyphPos, state);
  } else {
    const Integer index = MakeStateImage(state);
    if (index >= 0 && FGlyphList != nullptr) FGlyphList->Draw(&canvas, glyphPos.X, glyphPos.Y, index);
  }
  if (!text.empty()) {
    canvas.Brush()->SetStyle(bsClear);
    const UINT align = FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
    UINT flags = DT_VCENTER | align | biDiFlags;
    if (FWordWrap) flags |= DT_WORDBREAK;
    TRect r = textBounds;
    if (drawMark && ((FOriginal->Empty() && FActionImages == nullptr) || layout == blGlyphLeft)) r.Right -= 9;
    if (state == obsDisabled) {
      const TColor fontColor = canvas.Font()->Color();
      OffsetRect(r, 1, 1);
      canvas.Font()->SetColor(clBtnHighlight);
      DrawTextA(canvas.Handle(), text.c_str(), -1, &r, flags);
      OffsetRect(r, -1, -1);
      canvas.Font()->SetColor(clBtnShadow);
      DrawTextA(canvas.Handle(), text.c_str(), -1, &r, flags);
      canvas.Font()->SetColor(fontColor);
    } else {
      DrawTextA(canvas.Handle(), text.c_str(), -1, &r, flags);
    }
  }
  if (drawMark) {
    const bool enabled = state != obsDisabled;
    const Integer gw = FActionImages != nullptr ? FActionImages->Width()
                       : FOriginal->Empty()    ? 0 : FOriginal->Width() / FNumGlyphs;
    const Integer gh = FActionImages != nullptr ? FActionImages->Height() : FOriginal->Height();
    if (layout != blGlyphLeft && gw > 0) {
      DrawDropDownMark(canvas, glyphPos.X + gw + 1, glyphPos.Y + gh / 2, enabled);
    } else {
      const Integer x = !text.empty() ? textBounds.Right - 9 + 3 : (client.Left + client.Right - 7) / 2;
      DrawDropDownMark(canvas, x, textBounds.Top + textBounds.Height() / 2, enabled);
    }
  }
  return textBounds;
}

void TOrvButtonGlyph::SetActionImage(TCustomImageList* images, Integer index) {
  if (images != nullptr && (index < 0 || index >= images->Count())) images = nullptr;
  FActionImages = images;
  FActionImageIndex = images != nullptr ? index : -1;
}

void TOrvButtonGlyph::DrawActionImage(TCanvas& canvas, const TPoint& pos, TOrvButtonState state) {
  if (state == obsDisabled) {
    DrawDisabledListImage(*FActionImages, canvas, pos.X, pos.Y, FActionImageIndex, clBtnHighlight, clBtnShadow, true);
    return;
  }
  if (state != obsInactive) {
    FActionImages->Draw(&canvas, pos.X, pos.Y, FActionImageIndex, true);
    return;
  }
  // Inactive: a grey copy, made as the inactive glyph is.
  const int w = FActionImages->Width(), h = FActionImages->Height();
  TBitmap copy(w, h);
  copy.Canvas()->Brush()->SetColor(clFuchsia);
  copy.Canvas()->FillRect(Rect(0, 0, w, h));
  FActionImages->Draw(copy.Canvas(), 0, 0, FActionImageIndex, true);
  const COLORREF see = ColorToRGB(clFuchsia), face = ColorToRGB(clBtnFace);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) copy.SetPixelRGB(x, y, GreyPixel(copy.PixelRGB(x, y), see, face));
  copy.SetTransparentColor(clFuchsia);
  copy.SetTransparent(true);
  canvas.Draw(pos.X, pos.Y, &copy);
}

}  // namespace orv
