// Icons and cursors from ICO/CUR streams: each image with its colour pixels, AND mask and, for
// cursors, its hot spot.
#pragma once
#include <memory>
#include <vector>
#include "platform/graphics/Graphics.h"
#include "platform/win/WinTypes.h"

namespace orv {

inline constexpr int kIconTypeIcon = 1;
inline constexpr int kIconTypeCursor = 2;

// The pixels the images of one file may decode to in all.
inline constexpr long long kMaxIconFilePixels = 1LL << 26;

// Raised, with the text "Icon image is too large", when an image claims more pixels than its
// budget has left: readers that skip an image they cannot read let this one pass on.
class EIconTooLarge : public EInvalidGraphic {
 public:
  EIconTooLarge() : EInvalidGraphic("Icon image is too large") {}
};

// The part of that limit a file has left. The icons of an icon list or of an animated cursor read
// from one file draw on one budget.
struct TIconBudget {
  long long Pixels = kMaxIconFilePixels;
};

// Directory entries naming the same bytes of a file share one image; icons assigned from one
// another share their images too. Nothing changes an image once made.
struct TIconImage {
  std::shared_ptr<TGdiBitmap> Colour;  // 32-bit images keep their alpha
  std::shared_ptr<TGdiBitmap> Mask;    // white where transparent
  int BitCount = 0;
  TPoint HotSpot;                      // cursors only
  std::shared_ptr<const std::vector<Byte>> Data;  // the image as stored in the file
};

// An icon or cursor handle: colour pixels, mask (white = transparent) and hot spot.
class TGdiIcon {
 public:
  std::shared_ptr<TGdiBitmap> Colour;
  std::shared_ptr<TGdiBitmap> Mask;
  bool IsIcon = true;
  TPoint HotSpot;
};
// Screen cursors are the forms layer's HCURSOR; an icon handle here may hold a cursor image.
using HICON = TGdiIcon*;

struct ICONINFO {
  BOOL fIcon = 1;
  DWORD xHotspot = 0, yHotspot = 0;
  HBITMAP hbmMask = nullptr;
  HBITMAP hbmColor = nullptr;
};

inline constexpr UINT DI_MASK = 1, DI_IMAGE = 2, DI_NORMAL = 3;

// Copies the bitmaps; the caller frees the icon with DestroyIcon. A missing colour bitmap or mask
// gives 0.
HICON CreateIconIndirect(const ICONINFO* info);
BOOL DestroyIcon(HICON icon);
// Copies of the icon's bitmaps, which the caller frees with DeleteObject.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
// width/height 0: the icon's own size. DI_NORMAL draws through the mask, DI_MASK the mask alone.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flicker, UINT flags);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// Icon resources: icon files compiled into a module under a name (the name compared without
// regard to a-z case). LoadIconA gives a new handle of the resource's first image, which the
// caller frees with DestroyIcon, or 0 when the module has no such icon or it does not read.
void RegisterIconResource(HINSTANCE module, const AnsiString& name, std::vector<Byte> iconFile);
HICON LoadIconA(HINSTANCE module, const AnsiString& name);

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;
  static TGraphicClass Class();
  TGraphicClass GraphicClass() const override { return Class(); }

  void Assign(TPersistent* source) override;
  bool Empty() const override { return Images().empty(); }
  // The first image's size.
  int Width() const override;
  int Height() const override;
  // EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  // EInvalidGraphic "Icon image is not valid" for a malformed or cut-short stream, "Icon image is
  // too large" when its images claim more pixels than the budget holds (a budget of its own by
  // default) or its directory names more bytes of distinct images than twice the file's size.
  void LoadFromStream(TStream& stream) override;
  void LoadFromStream(TStream& stream, TIconBudget& budget);
  // The same from an icon file in memory.
  void LoadFromMemory(const Byte* data, std::size_t size, TIconBudget& budget);
  // Writes every image as it was read (or as made by AddImage).
  void SaveToStream(TStream& stream) override;
  // Draws the image closest in size to rect, through its mask (or its alpha).
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // Any format the picture class hands an icon is a global block holding an icon file.
  void LoadFromClipboardFormat(Word format, std::uint64_t data, HPALETTE palette) override;

  int ImageType() const { return FType; }
  int ImageCount() const { return static_cast<int>(Images().size()); }
  const TIconImage& Image(int index) const { return Images().at(static_cast<std::size_t>(index)); }
  // Adds an image made from a bitmap and a mask bitmap (white = transparent; nullptr: opaque).
  void AddImage(TBitmap& colour, TBitmap* mask, TPoint hotSpot = {});
  void SetImageType(int type) { FType = type; }
  // The first image as a handle owned by the icon; valid until the icon changes or is freed.
  HICON Handle();
  // Takes ownership of the handle, which becomes the icon's only image.
  void SetHandle(HICON icon);
  // Gives up the first image's handle (the caller frees it with DestroyIcon); the icon is empty.
  HICON ReleaseHandle();

 protected:
  void Changed() override;

 private:
  const std::vector<TIconImage>& Images() const;
  void SetImages(std::vector<TIconImage> images);
  std::shared_ptr<const std::vector<TIconImage>> FImages;
  std::unique_ptr<TGdiIcon> FHandle;
  int FType = kIconTypeIcon;
};

}  // namespace orv
