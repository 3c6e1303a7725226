// Transparent and disabled bitmap drawing of the extended controls, on raw device contexts.
#include "controls/OrvHelpers.h"

#include "platform/graphics/ImgList.h"

namespace orv {

COLORREF PaletteRelativeColor(TColor color) { return ColorToRGB(color) | 0x02000000; }

void MaskedStretchCopy(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                       int srcWidth, int srcHeight, HPALETTE palette, TColor transparent) {
  HDC colourDC = CreateCompatibleDC(dest);
  HDC maskDC = CreateCompatibleDC(dest);
  HDC invDC = CreateCompatibleDC(dest);
  HDC workDC = CreateCompatibleDC(dest);
  HBITMAP mask = CreateBitmap(srcWidth, srcHeight, 1, 1, nullptr);
  HBITMAP inv = CreateBitmap(srcWidth, srcHeight, 1, 1, nullptr);
  HBITMAP work = CreateCompatibleBitmap(dest, width, height);
  HBITMAP colour = CreateCompatibleBitmap(dest, srcWidth, srcHeight);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  HGDIOBJ oldInv = SelectObject(invDC, inv);
  HGDIOBJ oldWork = SelectObject(workDC, work);
  HGDIOBJ oldColour = SelectObject(colourDC, colour);
  HPALETTE oldDestPal = nullptr, oldColourPal = nullptr, oldMaskPal = nullptr, oldWorkPal = nullptr;
  if (palette) {
    oldDestPal = SelectPalette(dest, palette, 1);
    RealizePalette(dest);
    oldColourPal = SelectPalette(colourDC, palette, 0);
    oldMaskPal = SelectPalette(maskDC, palette, 0);
    oldWorkPal = SelectPalette(workDC, palette, 1);
    RealizePalette(workDC);
  }
  SetMapMode(src, GetMapMode(dest));
  SetMapMode(colourDC, GetMapMode(dest));

  BitBlt(colourDC, 0, 0, srcWidth, srcHeight, src, srcX, srcY, SRCCOPY);
  // Against a monochrome target the pixels of the background colour become white, all others black.
  COLORREF oldBk = SetBkColor(colourDC, PaletteRelativeColor(transparent));
  BitBlt(maskDC, 0, 0, srcWidth, srcHeight, colourDC, 0, 0, SRCCOPY);
  SetBkColor(colourDC, oldBk);
  BitBlt(invDC, 0, 0, srcWidth, srcHeight, maskDC, 0, 0, NOTSRCCOPY);

  BitBlt(workDC, 0, 0, width, height, dest, x, y, SRCCOPY);
  StretchBlt(workDC, 0, 0, width, height, maskDC, 0, 0, srcWidth, srcHeight, SRCAND);
  BitBlt(colourDC, 0, 0, srcWidth, srcHeight, invDC, 0, 0, SRCAND);
  StretchBlt(workDC, 0, 0, width, height, colourDC, 0, 0, srcWidth, srcHeight, SRCPAINT);
  BitBlt(dest, x, y, width, height, workDC, 0, 0, SRCCOPY);

  if (palette) {
    SelectPalette(workDC, oldWorkPal, 0);
    SelectPalette(maskDC, oldMaskPal, 0);
    SelectPalette(colourDC, oldColourPal, 0);
    SelectPalette(dest, oldDestPal, 0);
  }
  SelectObject(colourDC, oldColour);
  SelectObject(workDC, oldWork);
  SelectObject(invDC, oldInv);
  SelectObject(maskDC, oldMask);
  DeleteObject(colour);
  DeleteObject(work);
  DeleteObject(inv);
  DeleteObject(mask);
  DeleteDC(workDC);
  DeleteDC(invDC);
  DeleteDC(maskDC);
  DeleteDC(colourDC);
}

void StretchBitmapMasked(TCanvas& dest, TBitmap& bitmap, TColor transparent, int x, int y, int width,
                         int height, int srcX, int srcY, int srcWidth, int srcHeight) {
  if (width < 1 || height < 1) {
    width = bitmap.Width();
    height = bitmap.Height();
  }
  if (srcWidth < 1 || srcHeight < 1) {
    srcX = 0;
    srcY = 0;
    srcWidth = bitmap.Width();
    srcHeight = bitmap.Height();
  }
  if (bitmap.Empty()) return;
  HDC destDC = dest.Handle();
  if (!bitmap.Monochrome()) SetStretchBltMode(destDC, STRETCH_DELETESCANS);
  TCanvas* canvas = bitmap.Canvas();
  // Drawing from the bitmap must neither be disturbed by nor report a change of it.
  struct TDetached {
    TBitmap& Bitmap;
    TCanvas* Canvas;
    TNotifyEvent Saved;
    TDetached(TBitmap& b, TCanvas* c) : Bitmap(b), Canvas(c), Saved(b.OnChange) {
      Canvas->Lock();
      Bitmap.OnChange = nullptr;
    }
    ~TDetached() {
      Bitmap.OnChange = Saved;
      Canvas->Unlock();
    }
  } detached(bitmap, canvas);
  HDC srcDC = canvas->Handle();
  if (transparent == clNone) {
    StretchBlt(destDC, x, y, width, height, srcDC, srcX, srcY, srcWidth, srcHeight, dest.CopyMode());
    return;
  }
  if (transparent == clDefault) transparent = static_cast<TColor>(bitmap.PixelRGB(0, bitmap.Height() - 1));
  const TColor key = bitmap.Monochrome() ? clWhite : static_cast<TColor>(ColorToRGB(transparent));
  MaskedStretchCopy(destDC, x, y, width, height, srcDC, srcX, srcY, srcWidth, srcHeight, bitmap.Palette(), key);
}

void DrawBitmapPartTransparent(TCanvas& dest, int x, int y, int width, int height, const TRect& source,
                               TBitmap& bitmap, TColor transparent) {
  StretchBitmapMasked(dest, bitmap, transparent, x, y, width, height, source.Left, source.Top, RectWidth(source),
                      RectHeight(source));
}

namespace {

// Paints the brush where the monochrome source is set (after the text and background colours
// have turned its pixels into all ones and all zeros), leaving the destination elsewhere.
void PaintThroughMono(HDC dest, int x, int y, int width, int height, TBitmap& mono, TColor brushColour,
                      COLORREF text, COLORREF back) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(brushColour));
  HGDIOBJ oldBrush = SelectObject(dest, brush);
  COLORREF oldText = SetTextColor(dest, text);
  COLORREF oldBack = SetBkColor(dest, back);
  HDC src = CreateCompatibleDC(dest);
  SelectObject(src, mono.Handle());
  BitBlt(dest, x, y, width, height, src, 0, 0, ROP_DSPDxax);
  DeleteDC(src);
  SetBkColor(dest, oldBack);
  SetTextColor(dest, oldText);
  SelectObject(dest, oldBrush);
  DeleteObject(brush);
}

}  // namespace

std::unique_ptr<TBitmap> MakeDisabledBitmap(TBitmap& bitmap, TColor outline, TColor back, TColor highlight,
                                            TColor shadow, bool drawHighlight) {
  auto result = std::make_unique<TBitmap>();
  const int w = bitmap.Width(), h = bitmap.Height();
  result->SetSize(w, h);
  TBitmap work;
  work.Assign(&bitmap);
  work.SetHandleType(bmDDB);
  work.Canvas()->Brush()->SetColor(outline);
  if (work.Monochrome()) {
    // Black pixels take the font colour (white) and white ones the brush colour (the outline), so
    // the black pixels are the ones that stay set below.
    work.Canvas()->Font()->SetColor(clWhite);
    work.SetMonochrome(false);
    work.Canvas()->Brush()->SetColor(clWhite);
  }
  work.SetMonochrome(true);
  TCanvas* canvas = result->Canvas();
  canvas->Brush()->SetColor(back);
  canvas->FillRect(Rect(0, 0, w, h));
  HDC dc = canvas->Handle();
  if (drawHighlight) PaintThroughMono(dc, 1, 1, w, h, work, highlight, 0x000000, 0xFFFFFF);
  PaintThroughMono(dc, 0, 0, w, h, work, shadow, 0x000000, 0xFFFFFF);
  return result;
}

std::unique_ptr<TBitmap> MakeDisabledBitmap(TBitmap& bitmap, TColor outline) {
  return MakeDisabledBitmap(bitmap, outline, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

void DrawDisabledListImage(TCustomImageList& images, TCanvas& canvas, int x, int y, int index,
                           TColor highlight, TColor grey, bool drawHighlight) {
  const TColor savedBrush = canvas.Brush()->Color();
  TBitmap mono;
  mono.SetSize(images.Width(), images.Height());
  mono.Canvas()->Brush()->SetColor(clWhite);
  mono.Canvas()->FillRect(Rect(0, 0, images.Width(), images.Height()));
  ImageList_Draw(images.Handle(), index, mono.Canvas()->Handle(), 0, 0, ILD_MASK);
  mono.SetMonochrome(true);
  HDC dc = canvas.Handle();
  // The opaque (black) mask pixels turn into all ones through the white text colour.
  if (drawHighlight) PaintThroughMono(dc, x + 1, y + 1, images.Width(), images.Height(), mono, highlight, 0xFFFFFF, 0x000000);
  PaintThroughMono(dc, x, y, images.Width(), images.Height(), mono, grey, 0xFFFFFF, 0x000000);
  canvas.Brush()->SetColor(savedBrush);
}

}  // namespace orv
