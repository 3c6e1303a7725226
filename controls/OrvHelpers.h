// Free functions the extended controls share: transparent and disabled bitmap drawing, a parent's
// background behind a control, text shortening, command-text tokens, file-name tests, small memory
// helpers, and the start-up step that registers the hand and drag cursors.
#pragma once
#include <memory>
#include <string_view>
#include "platform/graphics/Graphics.h"
#include "platform/win/WinTypes.h"

namespace orv {

class TControl;
class TCustomImageList;

inline int IntMax(int a, int b) { return a > b ? a : b; }
inline int IntMin(int a, int b) { return a < b ? a : b; }
inline int RectWidth(const TRect& r) { return r.Right - r.Left; }
inline int RectHeight(const TRect& r) { return r.Bottom - r.Top; }

// The colour's RGB value with the palette-relative flag (0x02000000) set.
COLORREF PaletteRelativeColor(TColor color);

// ----- bitmaps -----

// Copies the source area to the destination area, stretched, leaving the destination visible
// where the source has the transparent colour. palette may be 0.
void MaskedStretchCopy(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                       int srcWidth, int srcHeight, HPALETTE palette, TColor transparent);
// Draws an area of the bitmap with a transparent colour (clNone: a plain copy with the canvas's
// copy mode; clDefault: the bitmap's bottom-left pixel; a monochrome bitmap: white). A destination
// size below 1 takes the bitmap's; a source size below 1 takes the whole bitmap.
void StretchBitmapMasked(TCanvas& dest, TBitmap& bitmap, TColor transparent, int x, int y, int width,
                         int height, int srcX, int srcY, int srcWidth, int srcHeight);
void DrawBitmapPartTransparent(TCanvas& dest, int x, int y, int width, int height, const TRect& source,
                               TBitmap& bitmap, TColor transparent);
// The disabled (embossed) look of a bitmap: the pixels of the outline colour (of a monochrome
// bitmap: the black ones) drawn in the shadow colour, and with drawHighlight in the highlight
// colour one pixel down and right, on the back colour.
std::unique_ptr<TBitmap> MakeDisabledBitmap(TBitmap& bitmap, TColor outline, TColor back, TColor highlight,
                                            TColor shadow, bool drawHighlight);
// clBtnFace back, clBtnHighlight highlight, clBtnShadow shadow, with the highlight.
std::unique_ptr<TBitmap> MakeDisabledBitmap(TBitmap& bitmap, TColor outline);
// One image of the list in the disabled look: its opaque pixels in the grey colour, and with
// drawHighlight in the highlight colour one pixel down and right.
void DrawDisabledListImage(TCustomImageList& images, TCanvas& canvas, int x, int y, int index,
                           TColor highlight, TColor grey, bool drawHighlight);

// ----- windows -----

// Paints what lies behind the control into dest: its parent's background and own painting, then
// the visible window-less siblings placed before it that overlap it. Nothing without a control or
// a parent.
void PaintParentBackground(TControl* control, TCanvas& dest);
// Cuts the text with "..." until it fits into maxWidth on the canvas.
AnsiString ShortenText(const AnsiString& text, TCanvas& canvas, int maxWidth);
// Removes one queued message of the number (for the window, or for any window when none); a quit
// message taken on the way is posted again.
void DiscardQueuedMessage(HWND window, UINT msg);
// After a pop-up menu closed: removes a left press or double click still waiting over the
// control's client area, so the click that closed the menu does not reach the control again.
// Both kinds of waiting press count: a message posted to the window the control's mouse input
// comes to, and the press Qt hands on to the window under the mouse once a pop-up closed. A press
// waiting anywhere else stays.
void DiscardQueuedClickOver(TControl* control);
// Whether the active window belongs to the calling thread.
bool ThreadOwnsActiveWindow();
// The arrow cursor back, an information box "Function not yet implemented", then the silent abort.
[[noreturn]] void ReportNotImplemented();

// ----- command texts -----

// The token that starts at or after pos (1-based), and in *next the position after it. Characters
// 1 to 32 and pairs of double quotes before it are skipped; a double quote inside starts a run
// taken up to the next double quote, without the quotes.
AnsiString NextCommandToken(const AnsiString& text, std::size_t pos, std::size_t* next);
int CountCommandTokens(const AnsiString& text);
// Token n, counted from 0; empty past the last.
AnsiString CommandToken(const AnsiString& text, int n);
// The first token; in *rest the later ones joined by one blank, each holding a blank quoted.
AnsiString SplitCommandText(const AnsiString& text, AnsiString* rest);

// ----- files -----

bool PathIsFolder(const AnsiString& path);
bool HasAnyOf(std::string_view text, std::string_view characters);
// Not empty and free of < > " [ ] |.
bool IsValidPathName(const AnsiString& name);
// The name of an existing file as found (long form; the short form where the system has one);
// empty when it does not exist.
AnsiString LongPathForm(const AnsiString& path);
AnsiString ShortPathForm(const AnsiString& path);

// ----- memory -----

// A zero-filled block of the size, none for a size of 0 or less; freed with FreeBlock, which sets
// the reference to none.
void* AllocZeroedBlock(Integer size);
void FreeBlock(void*& block);
bool SameBytes(const void* a, const void* b, std::size_t length);
inline void* OffsetPointer(void* p, std::ptrdiff_t offset) { return static_cast<Byte*>(p) + offset; }
// Overlapping ranges are copied as if through a buffer.
void CopyBytes(void* dest, const void* src, std::size_t count);
// A zero-terminated copy of the text.
std::unique_ptr<char[]> NewCString(std::string_view text);

// ----- start-up -----

inline constexpr int crOrvHand = 14000;
inline constexpr int crOrvDrag = 14001;
// Registers the hand (hot spot 6, 16) and drag (15, 16) cursors as screen cursors 14000 and 14001.
void InitExtendedCursors();
// Takes them off the screen again.
void DoneExtendedCursors();

}  // namespace orv
