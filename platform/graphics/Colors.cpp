// Colour resolution through the system colour table, and colour names both ways.
#include "platform/graphics/Colors.h"
#include <charconv>
#include <cstring>
#include "platform/rtl/Exceptions.h"
#include "platform/win/SysColors.h"

namespace orv {

namespace {

struct TColorName { TColor Color; const char* Name; };

// Plain colours first so a value shared by two names prints as the first one.
constexpr TColorName kColorNames[] = {
  {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
  {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
  {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
  {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
  {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
  {clMedGray, "clMedGray"}, {clLtGray, "clLtGray"}, {clDkGray, "clDkGray"},
  {clActiveBorder, "clActiveBorder"}, {clActiveCaption, "clActiveCaption"},
  {clAppWorkSpace, "clAppWorkSpace"}, {clBackground, "clBackground"}, {clBtnFace, "clBtnFace"},
  {clBtnHighlight, "clBtnHighlight"}, {clBtnShadow, "clBtnShadow"}, {clBtnText, "clBtnText"},
  {clCaptionText, "clCaptionText"}, {clDefault, "clDefault"},
  {clGradientActiveCaption, "clGradientActiveCaption"},
  {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clGrayText, "clGrayText"},
  {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clHotLight, "clHotLight"},
  {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
  {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"},
  {clInfoText, "clInfoText"}, {clMenu, "clMenu"}, {clMenuBar, "clMenuBar"},
  {clMenuHighlight, "clMenuHighlight"}, {clMenuText, "clMenuText"}, {clNone, "clNone"},
  {clScrollBar, "clScrollBar"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
  {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"}, {clWindowText, "clWindowText"},
};

bool SameIdent(const AnsiString& a, const char* b) {
  std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

COLORREF ColorToRGB(TColor color) {
  auto u = static_cast<std::uint32_t>(color);
  if (u & 0x80000000u) return GetSysColor(static_cast<int>(u & 0xFF));
  return u;
}

bool ColorToIdent(TColor color, AnsiString& ident) {
  for (const auto& c : kColorNames)
    if (c.Color == color) { ident = c.Name; return true; }
  return false;
}

bool IdentToColor(const AnsiString& ident, TColor& color) {
  for (const auto& c : kColorNames)
    if (SameIdent(ident, c.Name)) { color = c.Color; return true; }
  return false;
}

AnsiString ColorToString(TColor color) {
  AnsiString name;
  if (ColorToIdent(color, name)) return name;
  static const char* hex = "0123456789ABCDEF";
  AnsiString out = "$";
  auto u = static_cast<std::uint32_t>(color);
  for (int shift = 28; shift >= 0; shift -= 4) out += hex[(u >> shift) & 0xF];
  return out;
}

TColor StringToColor(const AnsiString& text) {
  TColor color;
  if (IdentToColor(text, color)) return color;
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) { negative = s.front() == '-'; s.remove_prefix(1); }
  int base = 10;
  if (!s.empty() && s.front() == '$') { base = 16; s.remove_prefix(1); }
  else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) { base = 16; s.remove_prefix(2); }
  std::uint64_t value = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size() ||
      value > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull) || (base == 10 && !negative && value > 0x7FFFFFFFull))
    throw EConvertError("'" + text + "' is not a valid integer value");
  auto u = static_cast<std::uint32_t>(value);
  if (negative) u = 0u - u;
  return static_cast<TColor>(u);
}

}  // namespace orv
