// Colours of the class library: TColor with red in the low byte, the system colours and their names.
#pragma once
#include <cstdint>
#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

namespace orv {

// 0x00BBGGRR for a plain colour; 0x80000000 | COLOR_index for a system colour; clNone and clDefault
// are markers that callers test for and never reach a pixel.
using TColor = std::int32_t;
inline constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

// System colour indices.
inline constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2,
  COLOR_INACTIVECAPTION = 3, COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6,
  COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18,
  COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20, COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23, COLOR_INFOBK = 24, COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27,
  COLOR_GRADIENTINACTIVECAPTION = 28, COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30;
inline constexpr int COLOR_ENDCOLORS = COLOR_MENUBAR;

inline constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

inline constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SysColor(COLOR_MENU);
inline constexpr TColor clWindow = SysColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
inline constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
inline constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
inline constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
inline constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
inline constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000,
  clOlive = 0x008080, clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
  clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF, clBlue = 0xFF0000,
  clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF, clLtGray = 0xC0C0C0,
  clDkGray = 0x808080, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF,
  clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// A system colour resolves through the fixed system colour table (GetSysColor); every other value,
// clNone and clDefault included, is returned as it is (drawing uses the low 24 bits; image lists
// take a value with a high byte as "no colour").
COLORREF ColorToRGB(TColor color);

// "clRed" for a named colour, else "$00BBGGRR".
AnsiString ColorToString(TColor color);
// Accepts a colour name (case-insensitive) or a number ("$00FF0000", decimal); EConvertError otherwise.
TColor StringToColor(const AnsiString& text);
bool ColorToIdent(TColor color, AnsiString& ident);
bool IdentToColor(const AnsiString& ident, TColor& color);

}  // namespace orv
