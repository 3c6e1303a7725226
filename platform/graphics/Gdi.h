// The raw drawing calls on device-context handles: memory DCs and bitmaps, blits with raster
// operations, text colours, saved states, clipping, origins, frame controls and text drawing.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "platform/rtl/Geometry.h"
#include "platform/rtl/Types.h"
#include "platform/graphics/Colors.h"

class QImage;
class QPainter;

namespace orv {

class TGdiObject;
class TDeviceContext;
class TGdiBitmap;
class TGdiBrush;
class TGdiPen;
class TGdiFont;
class TGdiPalette;

// Handles are pointers to the objects below; 0 is "none". The Create* calls hand out objects their
// caller owns and frees with DeleteObject / DeleteDC (the handle ownership model of these calls);
// a handle of a class-library object (TBitmap, TBrush, ...) stays valid until that object is freed.
using HGDIOBJ = TGdiObject*;
using HDC = TDeviceContext*;
using HBITMAP = TGdiBitmap*;
using HBRUSH = TGdiBrush*;
using HPEN = TGdiPen*;
using HFONT = TGdiFont*;
using HPALETTE = TGdiPalette*;
using BOOL = int;

// Raster operations (ternary: pattern = brush, source, destination).
inline constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
  MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09,
  PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
// Where the source is set the brush is painted, elsewhere the destination stays.
inline constexpr DWORD ROP_DSPDxax = 0x00E20746;

// Stretch modes: how rows and columns that a shrinking blit drops are combined.
inline constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4,
  STRETCH_ANDSCANS = 1, STRETCH_ORSCANS = 2, STRETCH_DELETESCANS = 3, STRETCH_HALFTONE = 4;
// Background modes of text and hatched brushes.
inline constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Binary raster operations of the pen.
inline constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4,
  R2_MASKPENNOT = 5, R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10,
  R2_NOP = 11, R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
// Pen styles and hatch styles.
inline constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4,
  PS_NULL = 5, PS_INSIDEFRAME = 6;
inline constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3,
  HS_CROSS = 4, HS_DIAGCROSS = 5;
// Stock objects.
inline constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3,
  BLACK_BRUSH = 4, NULL_BRUSH = 5, HOLLOW_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
  SYSTEM_FONT = 13, DEFAULT_GUI_FONT = 17, DEFAULT_PALETTE = 15;
// Device capabilities.
inline constexpr int HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, NUMCOLORS = 24,
  RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90, SIZEPALETTE = 104;
inline constexpr int RC_PALETTE = 0x0100;
// The fixed screen resolution, in pixels per inch.
inline constexpr int ScreenPixelsPerInch = 96;

// Clip results.
inline constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;

// Text drawing flags.
inline constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
  DT_TABSTOP = 0x80, DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000,
  DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000, DT_RTLREADING = 0x20000,
  DT_WORD_ELLIPSIS = 0x40000, DT_NOFULLWIDTHCHARBREAK = 0x80000, DT_HIDEPREFIX = 0x100000,
  DT_PREFIXONLY = 0x200000;

// Frame controls: types and states.
inline constexpr UINT DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
inline constexpr UINT DFCS_BUTTONCHECK = 0x0000, DFCS_BUTTONRADIOIMAGE = 0x0001,
  DFCS_BUTTONRADIOMASK = 0x0002, DFCS_BUTTONRADIO = 0x0004, DFCS_BUTTON3STATE = 0x0008,
  DFCS_BUTTONPUSH = 0x0010, DFCS_INACTIVE = 0x0100, DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400,
  DFCS_TRANSPARENT = 0x0800, DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000,
  DFCS_MONO = 0x8000;
// Edges.
inline constexpr UINT BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4,
  BDR_SUNKENINNER = 0x8, EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, EDGE_ETCHED = 0x6, EDGE_BUMP = 0x9;
inline constexpr UINT BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_RECT = 0xF,
  BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;

// ----- objects -----

enum TGdiKind { gkBitmap, gkBrush, gkPen, gkFont, gkPalette };

class TGdiObject {
 public:
  explicit TGdiObject(TGdiKind kind) : FKind(kind) {}
  virtual ~TGdiObject() = default;
  TGdiKind Kind() const { return FKind; }
  // Stock objects and objects owned by a class-library object ignore DeleteObject.
  bool Permanent = false;
 private:
  TGdiKind FKind;
};

// A bitmap: pixels are kept as 32-bit RGB whatever the depth; BitsPerPixel says how they are
// stored in files and how blits convert (1 bit: colours against the background colour).
// Palette is used at 1/4/8 bits.
class TGdiBitmap : public TGdiObject {
 public:
  TGdiBitmap(int width, int height, int bitsPerPixel);
  ~TGdiBitmap() override;
  // The pixels; every DC that paints into this bitmap has finished its painting before this returns.
  QImage& Image();
  const QImage& Image() const;
  int Width() const;
  int Height() const;
  int BitsPerPixel() const { return FBitsPerPixel; }
  void SetBitsPerPixel(int bpp) { FBitsPerPixel = bpp; }
  // One bit of black and white (or without a palette): blits turn colours into black and white
  // against it and take it as text and background colours. A 1-bit picture whose two palette
  // colours are others is drawn in them.
  bool Monochrome() const;
  std::vector<COLORREF> Palette;
  // Number of DCs this bitmap is selected into.
  int SelectCount() const { return static_cast<int>(FUsers.size()); }
  // Pixels given as one byte each and the 32-bit pixel of each byte value: the bitmap takes the
  // size at once and makes its image from them when the image is first asked for. The n-th row of
  // values is row rows[n] of the picture (rows empty: row n); values holds width * height bytes.
  void SetIndexedPixels(int width, int height, std::unique_ptr<Byte[]> values, std::vector<int> rows,
                        const std::array<std::uint32_t, 256>& colors);
 private:
  friend class TDeviceContext;
  struct TIndexedPixels;
  // Makes the image from indexed pixels still waiting; EOutOfMemory when it cannot be had.
  void ExpandIndexed() const;
  std::unique_ptr<QImage> FImage;
  mutable std::unique_ptr<TIndexedPixels> FIndexed;
  int FBitsPerPixel;
  std::vector<TDeviceContext*> FUsers;
};

enum TGdiBrushStyle { gbSolid, gbNull, gbHatched, gbPattern };

class TGdiBrush : public TGdiObject {
 public:
  TGdiBrush() : TGdiObject(gkBrush) {}
  TGdiBrushStyle Style = gbSolid;
  COLORREF Color = 0xFFFFFF;
  int Hatch = HS_HORIZONTAL;
  // The pattern of a pattern brush (8x8 or the bitmap's size); monochrome patterns use the text and
  // background colours.
  std::shared_ptr<QImage> Pattern;
  bool PatternMono = false;
};

class TGdiPen : public TGdiObject {
 public:
  TGdiPen() : TGdiObject(gkPen) {}
  int Style = PS_SOLID;
  int Width = 1;
  COLORREF Color = 0;
};

class TGdiFont : public TGdiObject {
 public:
  TGdiFont();
  ~TGdiFont() override;
  AnsiString FaceName;      // as given by the caller, never the substituted family
  int Height = -11;         // negative: character height in pixels; positive: cell height
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  Byte Charset = 1;
  int Pitch = 0;
};

class TGdiPalette : public TGdiObject {
 public:
  TGdiPalette() : TGdiObject(gkPalette) {}
  std::vector<COLORREF> Entries;
};

struct PALETTEENTRY {
  Byte peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};

// ----- the calls -----

// A memory DC with a 1x1 monochrome bitmap selected, like the system gives. reference may be 0.
HDC CreateCompatibleDC(HDC reference);
BOOL DeleteDC(HDC dc);
// A bitmap of the given depth (1, 4, 8, 24, 32); bits, when given, are rows of the depth's size
// padded to 16 bits, top row first. Width or height 0 gives a 1x1 bitmap as the system does.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A colour bitmap (a monochrome one when the DC holds a monochrome bitmap).
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HPEN CreatePen(int style, int width, COLORREF color);
HGDIOBJ GetStockObject(int index);
// Returns the object of the same kind that was selected before; 0 for a bad handle or when a
// bitmap could not be selected.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, TGdiKind kind);
// False for a stock or owned object and for a bitmap that is still selected into a DC.
BOOL DeleteObject(HGDIOBJ object);

// Calls proc with the face name of every font family a device context can draw with (the
// system's fonts, in the ANSI code page, cut to 31 characters as face names are); a zero result
// stops the enumeration. dc may be 0 for the screen. Returns the last result of proc.
int EnumFontFamilies(HDC dc, const std::function<int(const AnsiString& faceName)>& proc);

COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
// Only MM_TEXT (one logical unit is one pixel) is drawn; other modes are kept for callers to read.
inline constexpr int MM_TEXT = 1;
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int GetDeviceCaps(HDC dc, int index);

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);

int SaveDC(HDC dc);
// A negative level counts back from the latest save.
BOOL RestoreDC(HDC dc, int savedDC);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
// Removes the clip rectangle (the region argument of the system call is always "none" here).
int SelectClipRgn(HDC dc, std::nullptr_t region);
int GetClipBox(HDC dc, TRect* rect);
BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* previous);
BOOL GetViewportOrgEx(HDC dc, TPoint* origin);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* previous);
BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* previous);
BOOL GetWindowOrgEx(HDC dc, TPoint* origin);

int FillRect(HDC dc, const TRect& rect, HBRUSH brush);
int FrameRect(HDC dc, const TRect& rect, HBRUSH brush);
// Dotted rectangle drawn by inverting: drawing it twice leaves the pixels as they were.
BOOL DrawFocusRect(HDC dc, const TRect& rect);
BOOL MoveToEx(HDC dc, int x, int y, TPoint* previous);
// Draws from the current position up to, but not including, (x, y).
BOOL LineTo(HDC dc, int x, int y);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL Polygon(HDC dc, const TPoint* points, int count);
BOOL Polyline(HDC dc, const TPoint* points, int count);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the bitmap or on a DC without readable pixels.
COLORREF GetPixel(HDC dc, int x, int y);
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

BOOL TextOutA(HDC dc, int x, int y, const char* text, int length);
BOOL TextOutW(HDC dc, int x, int y, const WideChar* text, int length);
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int length, TSize* size);
BOOL GetTextExtentPoint32W(HDC dc, const WideChar* text, int length, TSize* size);
// length -1: up to the terminating zero. Returns the height of the text; with DT_CALCRECT rect
// receives the size the text needs (right and bottom moved) and nothing is drawn.
int DrawTextA(HDC dc, const char* text, int length, TRect* rect, UINT format);
int DrawTextW(HDC dc, const WideChar* text, int length, TRect* rect, UINT format);

BOOL DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state);
BOOL DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags);

// The colour the DC draws for the colour: itself on a true-colour surface, black or white on a
// monochrome one.
COLORREF GetNearestColor(HDC dc, COLORREF color);

// Palettes are accepted and ignored: every DC is true colour.
HPALETTE CreateHalftonePalette(HDC dc);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
UINT RealizePalette(HDC dc);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);

// ----- the bridge to Qt -----

// A DC that paints through a painter its caller owns (a widget's paint event); valid until
// DeleteDC, which must come before the painter ends. Blits with raster operations other than a
// plain copy read the destination only when the painter's device is an image.
HDC CreatePainterDC(QPainter* painter);
// A DC on an image its caller keeps alive for the DC's lifetime.
HDC CreateImageDC(QImage* image);
// Ends the DC's own painter so its pixels can be read; painting later starts it again.
void GdiFlush(HDC dc);
// A painter drawing on the DC with its origin and clip applied (nullptr when it has no surface);
// valid until the next call on the DC that reads pixels, blits or selects another bitmap.
QPainter* DCPainter(HDC dc);

}  // namespace orv
