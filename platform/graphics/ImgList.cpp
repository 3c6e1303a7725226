// Image lists: storing images with masks and drawing them normally, transparently or as masks.
#include "platform/graphics/ImgList.h"
#include <QImage>
#include "platform/graphics/GdiInternal.h"

namespace orv {

namespace {

std::unique_ptr<TGdiBitmap> Slice(const QImage& src, int left, int w, int h, int bpp) {
  auto out = std::make_unique<TGdiBitmap>(w, h, bpp);
  QImage& img = out->Image();
  img.fill(0xFF000000);
  for (int y = 0; y < h && y < src.height(); ++y)
    for (int x = 0; x < w && left + x < src.width(); ++x) img.setPixel(x, y, src.pixel(left + x, y) | 0xFF000000);
  out->Permanent = true;
  return out;
}

// Images and masks cut from image (and mask) in image widths; false when none fits.
bool Cut(HIMAGELIST list, HBITMAP image, HBITMAP mask, std::vector<std::unique_ptr<TGdiBitmap>>& images,
         std::vector<std::unique_ptr<TGdiBitmap>>& masks) {
  if (!list || !image || list->Width <= 0 || list->Height <= 0) return false;
  const QImage& src = image->Image();
  int n = src.width() / list->Width;
  if (n <= 0) return false;
  for (int i = 0; i < n; ++i) {
    images.push_back(Slice(src, i * list->Width, list->Width, list->Height, 24));
    if (mask) {
      masks.push_back(Slice(mask->Image(), i * list->Width, list->Width, list->Height, 1));
      // A mask with colours in it counts as monochrome by brightness.
      QImage& m = masks.back()->Image();
      for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x) m.setPixel(x, y, IsLight(m.pixel(x, y)) ? 0xFFFFFFFF : 0xFF000000);
    } else {
      masks.push_back(Slice(QImage(), 0, list->Width, list->Height, 1));
    }
  }
  return true;
}

std::unique_ptr<TGdiBitmap> MaskFromColour(HBITMAP image, COLORREF key, std::unique_ptr<TGdiBitmap>& blackened) {
  const QImage& src = image->Image();
  auto mask = std::make_unique<TGdiBitmap>(src.width(), src.height(), 1);
  blackened = std::make_unique<TGdiBitmap>(src.width(), src.height(), 24);
  QImage& m = mask->Image();
  QImage& b = blackened->Image();
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x) {
      bool transparent = FromQRgb(src.pixel(x, y)) == (key & 0xFFFFFF);
      m.setPixel(x, y, transparent ? 0xFFFFFFFF : 0xFF000000);
      b.setPixel(x, y, transparent ? 0xFF000000 : (src.pixel(x, y) | 0xFF000000));
    }
  return mask;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
  if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return nullptr;
  auto* list = new TImageListObject();
  list->Width = cx;
  list->Height = cy;
  list->Flags = flags;
  return list;
}

BOOL ImageList_Destroy(HIMAGELIST list) {
  if (!list) return 0;
  delete list;
  return 1;
}

int ImageList_GetImageCount(HIMAGELIST list) { return list ? list->Count() : 0; }

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  if (!list) return 0;
  if (cx) *cx = list->Width;
  if (cy) *cy = list->Height;
  return 1;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  std::vector<std::unique_ptr<TGdiBitmap>> images, masks;
  if (!Cut(list, image, mask, images, masks)) return -1;
  int first = list->Count();
  for (auto& i : images) list->FImages.push_back(std::move(i));
  for (auto& m : masks) list->FMasks.push_back(std::move(m));
  return first;
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) {
  if (!list || !image) return -1;
  std::unique_ptr<TGdiBitmap> blackened;
  std::unique_ptr<TGdiBitmap> m = MaskFromColour(image, mask, blackened);
  return ImageList_Add(list, blackened.get(), m.get());
}

BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask) {
  if (!list || index < 0 || index >= list->Count()) return 0;
  std::vector<std::unique_ptr<TGdiBitmap>> images, masks;
  if (!Cut(list, image, mask, images, masks)) return 0;
  list->FImages[static_cast<std::size_t>(index)] = std::move(images[0]);
  list->FMasks[static_cast<std::size_t>(index)] = std::move(masks[0]);
  return 1;
}

BOOL ImageList_Remove(HIMAGELIST list, int index) {
  if (!list) return 0;
  if (index == -1) {
    list->FImages.clear();
    list->FMasks.clear();
    return 1;
  }
  if (index < 0 || index >= list->Count()) return 0;
  list->FImages.erase(list->FImages.begin() + index);
  list->FMasks.erase(list->FMasks.begin() + index);
  return 1;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color) {
  if (!list) return CLR_NONE;
  COLORREF old = list->BkColor;
  list->BkColor = color;
  return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list) { return list ? list->BkColor : CLR_NONE; }

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
  return ImageList_DrawEx(list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy,
                      COLORREF bk, COLORREF, UINT style) {
  if (!list || !dc || index < 0 || index >= list->Count()) return 0;
  int w = dx > 0 ? std::min(dx, list->Width) : list->Width;
  int h = dy > 0 ? std::min(dy, list->Height) : list->Height;
  TGdiBitmap* image = list->FImages[static_cast<std::size_t>(index)].get();
  TGdiBitmap* mask = list->FMasks[static_cast<std::size_t>(index)].get();
  if (bk == CLR_DEFAULT) bk = list->BkColor;
  if ((bk >> 24) != 0) bk = CLR_NONE;
  HDC src = CreateCompatibleDC(nullptr);
  COLORREF oldText = SetTextColor(dc, 0x000000), oldBk = SetBkColor(dc, 0xFFFFFF);
  bool masked = (list->Flags & ILC_MASK) != 0;
  if (style & ILD_MASK) {
    SelectObject(src, mask);
    BitBlt(dc, x, y, w, h, src, 0, 0, SRCCOPY);
  } else if (!masked || (bk != CLR_NONE && !(style & ILD_TRANSPARENT))) {
    if (masked) {
      // The masked part takes the background colour.
      HBRUSH brush = CreateSolidBrush(bk);
      HGDIOBJ old = SelectObject(dc, brush);
      SelectObject(src, image);
      BitBlt(dc, x, y, w, h, src, 0, 0, SRCCOPY);
      SelectObject(src, mask);
      BitBlt(dc, x, y, w, h, src, 0, 0, ROP_DSPDxax);
      SelectObject(dc, old);
      DeleteObject(brush);
    } else {
      SelectObject(src, image);
      BitBlt(dc, x, y, w, h, src, 0, 0, SRCCOPY);
    }
  } else {
    // Opaque pixels are cut out, then the image (black where transparent) is ORed in.
    std::unique_ptr<TGdiBitmap> clean = std::make_unique<TGdiBitmap>(list->Width, list->Height, 24);
    const QImage& ci = image->Image();
    const QImage& mi = mask->Image();
    QImage& out = clean->Image();
    for (int yy = 0; yy < list->Height; ++yy)
      for (int xx = 0; xx < list->Width; ++xx) out.setPixel(xx, yy, IsLight(mi.pixel(xx, yy)) ? 0xFF000000 : ci.pixel(xx, yy));
    SelectObject(src, mask);
    BitBlt(dc, x, y, w, h, src, 0, 0, SRCAND);
    SelectObject(src, clean.get());
    BitBlt(dc, x, y, w, h, src, 0, 0, SRCPAINT);
    SelectObject(src, image);
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  DeleteDC(src);
  return 1;
}

// ----- TCustomImageList -----

TCustomImageList::TCustomImageList(TComponent* owner)
    : TComponent(owner), FHandle(ImageList_Create(16, 16, ILC_MASK | ILC_COLOR24, 4, 4)) {}

TCustomImageList::~TCustomImageList() = default;

std::unique_ptr<TCustomImageList> TCustomImageList::CreateSize(int width, int height) {
  auto list = std::make_unique<TCustomImageList>(nullptr);
  list->SetWidth(width);
  list->SetHeight(height);
  return list;
}

void TCustomImageList::SetWidth(int width) {
  if (width == FHandle->Width || width <= 0) return;
  ImageList_Remove(FHandle.get(), -1);
  FHandle->Width = width;
  Change();
}

void TCustomImageList::SetHeight(int height) {
  if (height == FHandle->Height || height <= 0) return;
  ImageList_Remove(FHandle.get(), -1);
  FHandle->Height = height;
  Change();
}

TColor TCustomImageList::BkColor() const {
  return FHandle->BkColor == CLR_NONE ? clNone : static_cast<TColor>(FHandle->BkColor);
}

void TCustomImageList::SetBkColor(TColor color) {
  FHandle->BkColor = color == clNone ? CLR_NONE : ColorToRGB(color);
  Change();
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty()) throw EInvalidOperation("Failed to add image");
  int index = ImageList_Add(FHandle.get(), image->Handle(), mask && !mask->Empty() ? mask->Handle() : nullptr);
  if (index < 0) throw EInvalidOperation("Invalid image size");
  Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image || image->Empty()) throw EInvalidOperation("Failed to add image");
  int index;
  if (maskColor == clNone || !FMasked) {
    index = ImageList_Add(FHandle.get(), image->Handle(), nullptr);
  } else {
    COLORREF key = maskColor == clDefault ? image->PixelRGB(0, image->Height() - 1) : ColorToRGB(maskColor);
    index = ImageList_AddMasked(FHandle.get(), image->Handle(), key);
  }
  if (index < 0) throw EInvalidOperation("Invalid image size");
  Change();
  return index;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty() ||
      !ImageList_Replace(FHandle.get(), index, image->Handle(), mask && !mask->Empty() ? mask->Handle() : nullptr))
    throw EInvalidOperation("Failed to replace image");
  Change();
}

void TCustomImageList::ReplaceMasked(int index, TBitmap* newImage, TColor maskColor) {
  if (!newImage || newImage->Empty() || index < 0 || index >= Count()) throw EInvalidOperation("Failed to replace image");
  COLORREF key = maskColor == clDefault ? newImage->PixelRGB(0, newImage->Height() - 1) : ColorToRGB(maskColor);
  std::unique_ptr<TGdiBitmap> blackened;
  std::unique_ptr<TGdiBitmap> mask = MaskFromColour(newImage->Handle(), key, blackened);
  if (!ImageList_Replace(FHandle.get(), index, blackened.get(), mask.get())) throw EInvalidOperation("Failed to replace image");
  Change();
}

void TCustomImageList::Delete(int index) {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Failed to remove image");
  ImageList_Remove(FHandle.get(), index);
  Change();
}

void TCustomImageList::Clear() {
  ImageList_Remove(FHandle.get(), -1);
  Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (!canvas || index < 0 || index >= Count()) return;
  HDC dc = canvas->Handle();
  if (enabled) {
    UINT style = FImageType == itMask ? ILD_MASK : ILD_NORMAL;
    if (FDrawingStyle == dsTransparent) style |= ILD_TRANSPARENT;
    ImageList_DrawEx(FHandle.get(), index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
    return;
  }
  // Disabled: the opaque part embossed, highlight one pixel down-right, shadow on top.
  TGdiBitmap* mask = FHandle->FMasks[static_cast<std::size_t>(index)].get();
  auto inverted = std::make_unique<TGdiBitmap>(Width(), Height(), 1);
  const QImage& mi = mask->Image();
  QImage& inv = inverted->Image();
  for (int yy = 0; yy < Height(); ++yy)
    for (int xx = 0; xx < Width(); ++xx) inv.setPixel(xx, yy, IsLight(mi.pixel(xx, yy)) ? 0xFF000000 : 0xFFFFFFFF);
  HDC src = CreateCompatibleDC(nullptr);
  SelectObject(src, inverted.get());
  COLORREF oldText = SetTextColor(dc, 0x000000), oldBk = ::orv::SetBkColor(dc, 0xFFFFFF);
  for (int pass = 0; pass < 2; ++pass) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(pass == 0 ? clBtnHighlight : clBtnShadow));
    HGDIOBJ old = SelectObject(dc, brush);
    BitBlt(dc, x + (pass == 0 ? 1 : 0), y + (pass == 0 ? 1 : 0), Width(), Height(), src, 0, 0, ROP_DSPDxax);
    SelectObject(dc, old);
    DeleteObject(brush);
  }
  SetTextColor(dc, oldText);
  ::orv::SetBkColor(dc, oldBk);
  DeleteDC(src);
}

void TCustomImageList::DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay, bool enabled) {
  Draw(canvas, x, y, index, enabled);
  Draw(canvas, x, y, overlay, enabled);
}

void TCustomImageList::GetBitmap(int index, TBitmap* bitmap) {
  if (!bitmap || index < 0 || index >= Count()) return;
  bitmap->SetSize(Width(), Height());
  bitmap->Canvas()->Brush()->SetColor(BkColor() == clNone ? clWhite : BkColor());
  bitmap->Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  Draw(bitmap->Canvas(), 0, 0, index, true);
}

void TCustomImageList::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCustomImageList*>(source);
  if (!other) {
    TComponent::Assign(source);
    return;
  }
  if (other == this) return;
  FHandle->Width = other->FHandle->Width;
  FHandle->Height = other->FHandle->Height;
  FHandle->Flags = other->FHandle->Flags;
  FHandle->BkColor = other->FHandle->BkColor;
  FHandle->FImages.clear();
  FHandle->FMasks.clear();
  for (std::size_t i = 0; i < other->FHandle->FImages.size(); ++i) {
    auto img = std::make_unique<TGdiBitmap>(1, 1, 24);
    img->Image() = other->FHandle->FImages[i]->Image().copy();
    auto mask = std::make_unique<TGdiBitmap>(1, 1, 1);
    mask->Image() = other->FHandle->FMasks[i]->Image().copy();
    FHandle->FImages.push_back(std::move(img));
    FHandle->FMasks.push_back(std::move(mask));
  }
  FMasked = other->FMasked;
  FDrawingStyle = other->FDrawingStyle;
  FImageType = other->FImageType;
  Change();
}

}  // namespace orv
