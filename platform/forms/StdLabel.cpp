// TLabel (a window-less control painting its caption with DrawText) and TGroupBox.
#include <QPainter>
#include "platform/forms/StdCtrls.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphics.h"

namespace orv {

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  FControlStyle |= csReplicatable;
  FWidth = 65;
  FHeight = 17;
}

UINT TCustomLabel::DrawFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  else if (FAlignment == taCenter) flags |= DT_CENTER;
  return flags;
}

void TCustomLabel::Paint() {
  TCanvas& canvas = Canvas();
  TRect r = ClientRect();
  if (!FTransparent) {
    canvas.Brush()->SetColor(FColor);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(r);
  }
  canvas.Brush()->SetStyle(bsClear);
  HDC dc = canvas.Handle();
  SetBkMode(dc, TRANSPARENT);
  if (!FEnabled) SetTextColor(dc, ColorToRGB(clGrayText));
  const AnsiString& text = GetText();
  if (FLayout != tlTop) {
    TRect calc = r;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &calc, DrawFlags() | DT_CALCRECT);
    const Integer offset = FLayout == tlBottom ? r.Height() - calc.Height() : (r.Height() - calc.Height()) / 2;
    r.Top += offset;
  }
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags());
}

void TCustomLabel::SetAutoSize(bool value) {
  FAutoSize = value;
  AdjustBounds();
}

void TCustomLabel::FontChanged() {
  AdjustBounds();
  TGraphicControl::FontChanged();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading) || FAlign == alClient) return;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return;
  SelectObject(dc, Font().Handle());
  AnsiString text = GetText();
  if (text.empty() || (FShowAccelChar && text == "&")) text = " ";
  TRect r = Rect(0, 0, FWordWrap ? FWidth : 0, 0);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags() | DT_CALCRECT);
  DeleteDC(dc);
  Integer left = FLeft;
  // A right-aligned label keeps its right edge, a centred one its middle.
  if (FAlignment == taRightJustify) left += FWidth - r.Width();
  else if (FAlignment == taCenter) left += (FWidth - r.Width()) / 2;
  SetBounds(left, FTop, r.Width(), r.Height());
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

// ----- TGroupBox -----

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  FWidth = 185;
  FHeight = 105;
}

TRect TGroupBox::AlignClientRect() const {
  TRect r = ClientRect();
  r.Top += 16;
  InflateRect(r, -2, 0);
  r.Bottom -= 2;
  return r;
}

void TGroupBox::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush()->SetColor(FColor);
  canvas.FillRect(ClientRect());
  const Integer textHeight = canvas.TextHeight("0");
  canvas.Brush()->SetStyle(bsClear);
  canvas.Pen()->SetColor(clBtnShadow);
  canvas.Rectangle(0, textHeight / 2, FWidth, FHeight);
  canvas.Pen()->SetColor(clBtnHighlight);
  canvas.Rectangle(1, textHeight / 2 + 1, FWidth, FHeight);
  const AnsiString& text = GetText();
  if (!text.empty()) {
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(FColor);
    TRect r = Rect(8, 0, FWidth - 8, textHeight);
    HDC dc = canvas.Handle();
    TRect calc = r;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &calc, DT_SINGLELINE | DT_CALCRECT);
    canvas.FillRect(calc);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &calc, DT_SINGLELINE);
  }
}

}  // namespace orv
