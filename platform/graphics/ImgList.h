// Image lists: equally sized images with masks, kept in one handle, drawn normally, through their
// mask or as the mask itself; the class library's TCustomImageList / TImageList over it.
#pragma once
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/Graphics.h"

namespace orv {

class TImageListObject;
using HIMAGELIST = TImageListObject*;

inline constexpr UINT ILC_MASK = 0x0001, ILC_COLOR = 0x0000, ILC_COLORDDB = 0x00FE, ILC_COLOR4 = 0x0004,
  ILC_COLOR8 = 0x0008, ILC_COLOR16 = 0x0010, ILC_COLOR24 = 0x0018, ILC_COLOR32 = 0x0020;
inline constexpr UINT ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001, ILD_BLEND25 = 0x0002,
  ILD_FOCUS = 0x0002, ILD_BLEND50 = 0x0004, ILD_SELECTED = 0x0004, ILD_BLEND = 0x0004,
  ILD_MASK = 0x0010, ILD_IMAGE = 0x0020;
inline constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
inline constexpr COLORREF CLR_DEFAULT = 0xFF000000;

// The handle's contents: images of one size, each with its mask (white = transparent).
class TImageListObject {
 public:
  int Width = 16, Height = 16;
  UINT Flags = ILC_MASK;
  COLORREF BkColor = CLR_NONE;
  int Count() const { return static_cast<int>(FImages.size()); }
  std::vector<std::unique_ptr<TGdiBitmap>> FImages;
  std::vector<std::unique_ptr<TGdiBitmap>> FMasks;
};

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// Adds as many images as the bitmap is wide (in image widths); returns the first index or -1.
// mask: a monochrome bitmap, white where transparent; 0 makes the images opaque.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// The mask is made from the pixels of colour `mask`, which become black in the stored image.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask);
// index -1 removes every image; later images move down by one.
BOOL ImageList_Remove(HIMAGELIST list, int index);
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// bk: CLR_NONE draws through the mask, CLR_DEFAULT uses the list's colour, a colour fills the
// masked part. The class library's none colour (0x1FFFFFFF) counts as CLR_NONE.
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy,
                      COLORREF bk, COLORREF fg, UINT style);

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;
  // A list of images of the given size (the class library's CreateSize).
  static std::unique_ptr<TCustomImageList> CreateSize(int width, int height);

  int Width() const { return FHandle->Width; }
  int Height() const { return FHandle->Height; }
  // Changing the size removes every image.
  void SetWidth(int width);
  void SetHeight(int height);
  int Count() const { return FHandle->Count(); }
  bool Masked() const { return FMasked; }
  void SetMasked(bool value) { FMasked = value; }
  TColor BkColor() const;
  void SetBkColor(TColor color);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle style) { FDrawingStyle = style; }
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType type) { FImageType = type; }

  // Returns the index of the first added image; EInvalidOperation "Failed to add image" (empty
  // or wrongly sized bitmap) or "Invalid image size" as the class library words them.
  int Add(TBitmap* image, TBitmap* mask);
  int AddMasked(TBitmap* image, TColor maskColor);
  // EInvalidOperation "Failed to replace image" for an index outside 0..Count-1.
  void Replace(int index, TBitmap* image, TBitmap* mask);
  void ReplaceMasked(int index, TBitmap* newImage, TColor maskColor);
  // EInvalidOperation "Failed to remove image" for an index outside 0..Count-1.
  void Delete(int index);
  void Clear();
  // Enabled: the drawing style and background colour of the list; disabled: embossed grey.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  void DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay, bool enabled = true);
  // Copies an image into bitmap (sized to the list) on the background colour or white.
  void GetBitmap(int index, TBitmap* bitmap);
  HIMAGELIST Handle() const { return FHandle.get(); }
  void Assign(TPersistent* source) override;

  TNotifyEvent OnChange;

 protected:
  void Change() { OnChange(this); }

 private:
  std::unique_ptr<TImageListObject> FHandle;
  bool FMasked = true;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};

}  // namespace orv
