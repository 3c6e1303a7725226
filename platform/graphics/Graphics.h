// The class library's drawing classes: fonts, brushes, pens, the canvas, graphics, bitmaps and
// pictures with their registry of file formats.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/classes/Sets.h"
#include "platform/classes/TypeInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Geometry.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Gdi.h"

class QFont;

namespace orv {

class EInvalidGraphic : public Exception { public: using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { public: using Exception::Exception; };

// ----- fonts, brushes, pens -----

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;
inline constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2,
  SHIFTJIS_CHARSET = 128, HANGEUL_CHARSET = 129, GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136,
  OEM_CHARSET = 255, GREEK_CHARSET = 161, TURKISH_CHARSET = 162, HEBREW_CHARSET = 177,
  ARABIC_CHARSET = 178, BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204, THAI_CHARSET = 222,
  EASTEUROPE_CHARSET = 238;

// Base of TFont, TBrush and TPen: OnChange fires after every property change.
class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;
 protected:
  void Changed() { OnChange(this); }
};

// The face name is kept exactly as given; which family draws it is decided when the font is used
// (an unknown name draws with the bundled sans family). Size is in points, Height in pixels at
// 96 dpi (negative: character height without internal leading, the class library's convention).
class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* source) override;
  void Assign(const TFont& source);
  const AnsiString& Name() const { return FHandle->FaceName; }
  void SetName(const AnsiString& name);
  int Size() const;
  void SetSize(int points);
  int Height() const { return FHandle->Height; }
  void SetHeight(int pixels);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TFontStyles Style() const;
  void SetStyle(TFontStyles style);
  TFontCharset Charset() const { return FHandle->Charset; }
  void SetCharset(TFontCharset charset);
  TFontPitch Pitch() const { return static_cast<TFontPitch>(FHandle->Pitch); }
  void SetPitch(TFontPitch pitch);
  int PixelsPerInch() const { return ScreenPixelsPerInch; }
  // Valid as long as the font; its contents change with the font's properties.
  HFONT Handle() const { return FHandle.get(); }
  // The Qt font this font draws with.
  QFont ToQFont() const;
 private:
  std::unique_ptr<TGdiFont> FHandle;
  TColor FColor = clWindowText;
};

// The Qt font a font record draws with (family chosen from the face name, pixel size from Height).
QFont GdiFontToQFont(const TGdiFont& font);
// Text drawn after this call is antialiased or not (not by default, so pixels are the same everywhere).
void SetTextAntialiasing(bool on);
bool TextAntialiasing();

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBitmap;

class TBrush : public TGraphicsObject {
 public:
  TBrush();
  ~TBrush() override;
  void Assign(TPersistent* source) override;
  void Assign(const TBrush& source);
  TColor Color() const { return FColor; }
  // A clear brush becomes solid.
  void SetColor(TColor color);
  TBrushStyle Style() const { return FStyle; }
  // Removes the pattern bitmap.
  void SetStyle(TBrushStyle style);
  // A pattern bitmap (copied); nullptr removes it. The pattern wins over Style while set.
  TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(const TBitmap* bitmap);
  // Valid as long as the brush; its contents follow the brush's properties.
  HBRUSH Handle() const;
 private:
  void Rebuild();
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TGdiBrush> FHandle;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
 public:
  TPen();
  ~TPen() override;
  void Assign(TPersistent* source) override;
  void Assign(const TPen& source);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  int Width() const { return FHandle->Width; }
  void SetWidth(int width);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle style);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode mode);
  // The binary raster operation (R2_*) of Mode.
  int Rop2() const;
  HPEN Handle() const { return FHandle.get(); }
 private:
  std::unique_ptr<TGdiPen> FHandle;
  TColor FColor = clBlack;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

// ----- the canvas -----

using TCopyMode = DWORD;
inline constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
  cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
  cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT, cmSrcAnd = SRCAND,
  cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT,
  cmWhiteness = WHITENESS;

class TGraphic;

// Draws with its Font, Brush and Pen on a device context: a bitmap's own, or one its owner sets
// (a widget's paint event sets a DC made by CreatePainterDC and clears it before the painter ends).
class TCanvas : public TPersistent {
 public:
  TCanvas();
  virtual ~TCanvas();

  TFont* Font() const { return FFont.get(); }
  TBrush* Brush() const { return FBrush.get(); }
  TPen* Pen() const { return FPen.get(); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode mode) { FCopyMode = mode; }
  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }

  // The DC with the font, brush, pen and colours of this canvas selected; EInvalidOperation
  // "Canvas does not allow drawing" when there is none.
  HDC Handle();
  // A DC set from outside is not owned; 0 detaches it.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return FHandle != nullptr; }

  void MoveTo(int x, int y);
  // The end point is left out, so joined lines do not paint their joints twice.
  void LineTo(int x, int y);
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  // Pen outline and brush inside; right and bottom are exclusive.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void Polygon(const std::vector<TPoint>& points);
  void Polyline(const std::vector<TPoint>& points);
  void DrawFocusRect(const TRect& rect);

  // Text at (x, y) as its top-left corner; with a solid brush the cell is filled with Brush.Color.
  void TextOut(int x, int y, const AnsiString& text);
  void TextOutW(int x, int y, const WideString& text);
  // Text clipped to rect.
  void TextRect(const TRect& rect, int x, int y, const AnsiString& text);
  TSize TextExtent(const AnsiString& text);
  int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }
  TSize TextExtentW(const WideString& text);

  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // Copies source's srcRect to dest (stretching) with CopyMode.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect);
  // Copies bitmap's srcRect to dest, painting the pixels of colour `transparent` with Brush.
  void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& srcRect, TColor transparent);

  // -1 (not a colour) outside a readable surface, as the class library returns it.
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);
  TRect ClipRect();

  void Lock() { ++FLockCount; }
  void Unlock() { if (FLockCount > 0) --FLockCount; }
  int LockCount() const { return FLockCount; }
  bool TryLock() { if (FLockCount) return false; Lock(); return true; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Called when the handle is needed and none is set; a bitmap canvas creates its DC here.
  virtual void CreateHandle() {}
  void Changing() { OnChanging(this); }
  void Changed() { OnChange(this); }
  // The handle without selecting anything into it.
  HDC RawHandle() { if (!FHandle) CreateHandle(); return FHandle; }
  HDC FHandle = nullptr;

 private:
  void Select();
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  TCopyMode FCopyMode = cmSrcCopy;
  TPoint FPenPos;
  int FLockCount = 0;
};

class EInvalidOperation : public Exception { public: using Exception::Exception; };

// ----- graphics and pictures -----

class TGraphic;
// Identifies a kind of graphic: its class name (as stored in form data) and how to make one.
struct TGraphicClassInfo {
  const char* Name;
  std::unique_ptr<TGraphic> (*Create)();
};
using TGraphicClass = const TGraphicClassInfo*;

enum TProgressStage { psStarting, psRunning, psEnding };
// Sender, stage, percent done, whether the picture can be redrawn now, the changed rectangle, message.
using TProgressEvent = TEvent<TObject*, TProgressStage, Byte, bool, const TRect&, const AnsiString&>;

// An abstract picture: a bitmap, an icon, a JPEG or GIF picture.
class TGraphic : public TPersistent {
 public:
  // The kind of this graphic in the picture registry.
  virtual TGraphicClass GraphicClass() const = 0;
  // Copies source when this class knows its kind; the class library's assignment error else.
  void Assign(TPersistent* source) override;
  // The binary property "Data" (ReadData / WriteData) while the graphic is not empty.
  void DefineProperties(TFiler& filer) override;
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);
  // Form data: by default the file as it is; a bitmap prefixes its size (32-bit LE).
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);
  // Draws into rect (stretched); called by TCanvas::Draw and StretchDraw.
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
  // The clipboard: the data of a clipboard format (a global memory block, for CF_BITMAP a bitmap
  // handle the clipboard keeps) read into this graphic with the palette (or 0), and this graphic
  // as a format and data the clipboard takes over. The default raises EInvalidGraphic
  // "Unsupported clipboard format".
  virtual void LoadFromClipboardFormat(Word format, std::uint64_t data, HPALETTE palette);
  virtual void SaveToClipboardFormat(Word& format, std::uint64_t& data, HPALETTE& palette);
  // Whether this graphic copies itself into dest (its AssignTo); a bitmap assigned from such a
  // graphic takes that copy instead of drawing the graphic.
  virtual bool CopiesInto(const TPersistent* dest) const { (void)dest; return false; }
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }
  // Set when the graphic got a new palette (a GIF picture read); whoever realizes it clears it.
  bool PaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool value) { FPaletteModified = value; }

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  // Marks the graphic modified and fires OnChange.
  virtual void Changed();
  void Progress(TProgressStage stage, Byte percentDone, bool redrawNow, const TRect& r,
                const AnsiString& msg);
  bool FTransparent = false;
  bool FModified = false;
  bool FPaletteModified = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

class TBitmapCanvas;

// Pixels with a depth (1/4/8/24/32 bits), a palette at 1/4/8 bits, and a canvas. Monochrome is
// 1 bit: drawn on a canvas its black pixels take the font colour and white ones the brush colour.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;
  static TGraphicClass Class();
  TGraphicClass GraphicClass() const override { return Class(); }

  void Assign(TPersistent* source) override;
  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  // New pixels are white; kept pixels stay where they are.
  void SetSize(int width, int height);
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // CF_DIB (a global block holding a device-independent bitmap) and CF_BITMAP (a bitmap handle)
  // are read; the bitmap is written as CF_DIB. EInvalidGraphic for another format or bad data.
  void LoadFromClipboardFormat(Word format, std::uint64_t data, HPALETTE palette) override;
  void SaveToClipboardFormat(Word& format, std::uint64_t& data, HPALETTE& palette) override;

  TCanvas* Canvas();
  // Valid until the bitmap is changed in size or depth, or freed; the bitmap keeps owning it.
  HBITMAP Handle();
  // Takes ownership of a bitmap made by CreateBitmap & co. (the current one is freed).
  void SetHandle(HBITMAP bitmap);
  // Gives up the handle: the caller owns it (DeleteObject), the bitmap is empty afterwards.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return FImage != nullptr; }
  TBitmapHandleType HandleType() const { return FHandleType; }
  void SetHandleType(TBitmapHandleType type) { FHandleType = type; }

  TPixelFormat PixelFormat() const;
  // Converts the pixels: to 1 bit by brightness against mid-grey, to 4 bits to the nearest of the
  // standard 16 colours, to 8 bits to the picture's own colours when there are at most 256, else to
  // the nearest of a standard 256-colour palette. A palette already set for the depth is kept.
  // A device-dependent bitmap (HandleType bmDDB) converts to and from 1 bit as a blit does: the
  // canvas's brush colour becomes white, all else black; back, black takes the font colour and
  // white the brush colour.
  void SetPixelFormat(TPixelFormat format);
  bool Monochrome() const;
  void SetMonochrome(bool value);
  // tmAuto: the bottom-left pixel (clWhite for an empty monochrome bitmap); tmFixed: the set colour.
  TColor TransparentColor();
  void SetTransparentColor(TColor color);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode mode);
  // The palette at 1/4/8 bits (0 otherwise); owned by the bitmap. Setting copies the entries.
  HPALETTE Palette();
  void SetPalette(HPALETTE palette);
  // A monochrome mask: white where the pixel is `transparent`, black elsewhere; caller owns it.
  HBITMAP MaskHandleFor(TColor transparent);
  void Mask(TColor transparent);
  void Dormant() {}
  void FreeImage() {}

  // 0x00BBGGRR of a pixel; the caller keeps x, y inside the bitmap.
  COLORREF PixelRGB(int x, int y);
  void SetPixelRGB(int x, int y, COLORREF color);
  // Row y of the pixels as 0xAARRGGBB words whatever the depth (alpha is 0xFF except at 32 bits);
  // valid until the size, depth or handle changes. Writes must keep a monochrome bitmap black and
  // white and a 1/4/8-bit one within its palette.
  std::uint32_t* PixelRow(int y);

 protected:
  void Changed() override;

 private:
  friend class TBitmapCanvas;
  void HandleNeeded();
  void SyncPalette();
  // The bitmap becomes the image read or pasted, with its size and pixel format.
  void TakeImage(std::unique_ptr<TGdiBitmap> image);
  std::unique_ptr<TGdiBitmap> FImage;
  int FWidth = 0, FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  std::unique_ptr<TGdiPalette> FPaletteObj;
  std::unique_ptr<TBitmapCanvas> FCanvas;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  TBitmapHandleType FHandleType = bmDIB;
};

// A picture holding any registered kind of graphic.
class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  // nullptr while empty; valid until the graphic is replaced.
  TGraphic* Graphic() const { return FGraphic.get(); }
  // Copies graphic into a new one of its kind (nullptr empties the picture).
  void SetGraphic(const TGraphic* graphic);
  // Takes the graphic over.
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // The graphic as a bitmap: an empty bitmap replaces anything else.
  TBitmap* Bitmap();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  // A picture or a graphic (copied); nullptr empties the picture.
  void Assign(TPersistent* source) override;
  // The binary property "Data" (ReadData / WriteData) while the picture holds a graphic.
  void DefineProperties(TFiler& filer) override;

  // The kind is chosen by the file's extension, case-insensitive; EInvalidGraphic
  // "Unknown picture file extension (.ext)" for one nobody registered.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);
  // Form data: the class name as a short string (length byte), then the graphic's own data;
  // an empty picture is a zero length byte.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  // The registry, shared by all pictures. Extensions are given without the dot.
  static void RegisterFileFormat(const AnsiString& extension, const AnsiString& description,
                                 TGraphicClass graphicClass);
  static void RegisterClipboardFormat(Word format, TGraphicClass graphicClass);
  static void UnregisterGraphicClass(TGraphicClass graphicClass);
  // nullptr when no class is registered for it.
  static TGraphicClass FileFormatClass(const AnsiString& extension);
  static TGraphicClass ClipboardFormatClass(Word format);
  static TGraphicClass ClassByName(const AnsiString& name);
  // "Bitmaps (*.bmp)|*.bmp|..." for open and save dialogs.
  static AnsiString FileFilter();

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 private:
  void Attach(std::unique_ptr<TGraphic> graphic);
  void Changed() { OnChange(this); }
  std::unique_ptr<TGraphic> FGraphic;
};

inline constexpr Word CF_BITMAP = 2, CF_METAFILEPICT = 3, CF_DIB = 8, CF_PALETTE = 9;

}  // namespace orv
