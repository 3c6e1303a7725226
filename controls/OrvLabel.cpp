// The shadow label: drawing text with its shadow, auto-size, layout, focus and accelerator, and
// the mouse tracking that fires OnMouseEnter and OnMouseLeave.
#include "controls/OrvLabel.h"

#include "platform/win/MessageQueue.h"
#include "controls/OrvHelpers.h"

namespace orv {

int DrawTextWithShadow(HDC dc, const char* text, int length, TRect& rect, UINT flags,
                       Integer shadowSize, COLORREF shadowRgb, TShadowPosition position) {
  TRect textRect = rect;
  TRect shadowRect = rect;
  const Integer s = shadowSize;
  switch (position) {
    case spLeftTop: OffsetRect(shadowRect, -s, -s); break;
    case spLeftBottom: OffsetRect(shadowRect, -s, s); break;
    case spRightBottom: OffsetRect(shadowRect, s, s); break;
    case spRightTop: OffsetRect(shadowRect, s, -s); break;
  }
  const COLORREF oldColor = SetTextColor(dc, shadowRgb);
  int result = DrawTextA(dc, text, length, &shadowRect, flags);
  SetTextColor(dc, oldColor);
  DrawTextA(dc, text, length, &textRect, flags);
  rect = Rect(std::min(textRect.Left, shadowRect.Left), std::min(textRect.Top, shadowRect.Top),
              std::max(textRect.Right, shadowRect.Right), std::max(textRect.Bottom, shadowRect.Bottom));
  if (result > 0) result += s;
  return result;
}

TOrvCustomLabel::TOrvCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  FControlStyle |= csOpaque | csReplicatable;
  FWidth = 65;
  FHeight = 17;
}

TOrvCustomLabel::~TOrvCustomLabel() {
  if (FFocusControl != nullptr) FFocusControl->RemoveFreeNotification(this);
}

TColor TOrvCustomLabel::GetDefaultFontColor() const { return Font().Color(); }
AnsiString TOrvCustomLabel::GetLabelCaption() const { return GetText(); }
void TOrvCustomLabel::MouseEnter() { OnMouseEnter(this); }
void TOrvCustomLabel::MouseLeave() { OnMouseLeave(this); }

void TOrvCustomLabel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TOrvCustomLabel::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustLabelBounds();
}

void TOrvCustomLabel::SetLayout(TTextLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TOrvCustomLabel::SetShadowColor(TColor value) {
  if (value == FShadowColor) return;
  FShadowColor = value;
  Invalidate();
}

void TOrvCustomLabel::SetShadowSize(Byte value) {
  if (value == FShadowSize) return;
  FShadowSize = value;
  AdjustLabelBounds();
  Invalidate();
}

void TOrvCustomLabel::SetShadowPos(TShadowPosition value) {
  if (value == FShadowPos) return;
  FShadowPos = value;
  Invalidate();
}

void TOrvCustomLabel::SetShowAccelChar(bool value) {
  if (value == FShowAccelChar) return;
  FShowAccelChar = value;
  Invalidate();
}

void TOrvCustomLabel::SetShowFocus(bool value) {
  if (value == FShowFocus) return;
  FShowFocus = value;
  Invalidate();
}

void TOrvCustomLabel::SetTransparent(bool value) {
  if (value == Transparent()) return;
  if (value) FControlStyle &= ~csOpaque;
  else FControlStyle |= csOpaque;
  Invalidate();
}

void TOrvCustomLabel::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  AdjustLabelBounds();
  Invalidate();
}

void TOrvCustomLabel::SetFocusControl(TWinControl* value) {
  if (value == FFocusControl) return;
  if (FFocusControl != nullptr) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = value;
  if (FFocusControl != nullptr) FFocusControl->FreeNotification(this);
  if (FShowFocus) Invalidate();
}

void TOrvCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) {
    FFocusControl = nullptr;
    if (FShowFocus) Invalidate();
  }
}

void TOrvCustomLabel::DrawLabelText(TRect& rect, UINT flags) {
  AnsiString text = GetLabelCaption();
  // An empty label still measures one line.
  if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += " ";
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  if (UseRightToLeftAlignment()) {
    if (flags & DT_RIGHT) flags &= ~DT_RIGHT;
    else if (!(flags & DT_CENTER)) flags |= DT_RIGHT;
  }
  if (UseRightToLeftReading()) flags |= DT_RTLREADING;
  TCanvas& canvas = *FDrawCanvas;
  canvas.Font()->Assign(Font());
  canvas.Font()->SetColor(GetDefaultFontColor());
  TShadowPosition position = FShadowPos;
  Integer size = FShadowSize;
  TColor shadow = FShadowColor;
  if (!FEnabled) {
    canvas.Font()->SetColor(clGrayText);
    shadow = clBtnHighlight;
    if (size == 0 && NewStyleControls()) {
      position = spRightBottom;
      size = 1;
    }
  }
  DrawTextWithShadow(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), rect, flags, size,
                     ColorToRGB(shadow), position);
}

void TOrvCustomLabel::Paint() {
  if (!FEnabled && !ComponentState().Contains(csDesigning)) FDragging = false;
  TCanvas& canvas = Canvas();
  FDrawCanvas = &canvas;
  const TRect client = ClientRect();
  if (!Transparent()) {
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(FColor);
    canvas.FillRect(client);
  }
  canvas.Brush()->SetStyle(bsClear);
  TRect r = Rect(client.Left + 1, client.Top, client.Right - 1, client.Bottom);
  UINT flags = (FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER) | DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (FLayout != tlTop) {
    DrawLabelText(r, flags | DT_CALCRECT);
    r.Left = client.Left;
    r.Right = client.Right;
    const Integer dy = FLayout == tlBottom ? FHeight - r.Bottom : (FHeight - r.Bottom) / 2;
    OffsetRect(r, 0, dy);
  }
  DrawLabelText(r, flags);
  if (FShowFocus && FFocusControl != nullptr && FFocused && !ComponentState().Contains(csDesigning)) {
    InflateRect(r, 1, 1);
    canvas.Brush()->SetColor(FColor);
    canvas.DrawFocusRect(r);
  }
}

void TOrvCustomLabel::AdjustLabelBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading)) return;
  TRect r = ClientRect();
  r.Left += 1;
  r.Right -= 1;
  TBitmap screen(1, 1);
  FDrawCanvas = screen.Canvas();
  UINT flags = DT_EXPANDTABS | DT_CALCRECT;
  if (FWordWrap) flags |= DT_WORDBREAK;
  DrawLabelText(r, flags);
  FDrawCanvas = nullptr;
  r.Left -= 1;
  r.Right += 1;
  TAlignment alignment = FAlignment;
  if (UseRightToLeftAlignment() && alignment != taCenter)
    alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  Integer left = FLeft;
  if (alignment == taRightJustify) left += FWidth - r.Right;
  // The height holds the text and its shadow whichever way the shadow falls (a shadow above the
  // text leaves the bottom at the text's, yet still takes its rows).
  SetBounds(left, FTop, r.Right, r.Bottom - std::min<Integer>(r.Top, 0));
}

void TOrvCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustLabelBounds();
}

void TOrvCustomLabel::TextChanged() {
  Invalidate();
  AdjustLabelBounds();
}

void TOrvCustomLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustLabelBounds();
}

void TOrvCustomLabel::EnabledChanged() {
  TGraphicControl::EnabledChanged();
  UpdateMouseTracking();
  Invalidate();
}

void TOrvCustomLabel::VisibleChanged() {
  TGraphicControl::VisibleChanged();
  if (FVisible) UpdateMouseTracking();
}

void TOrvCustomLabel::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button == mbLeft && FEnabled) FDragging = true;
}

void TOrvCustomLabel::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button == mbLeft) FDragging = false;
  UpdateMouseTracking();
}

void TOrvCustomLabel::UpdateMouseTracking() {
  bool inside = false;
  if (FEnabled && FParent != nullptr && ThreadOwnsActiveWindow()) {
    // The cursor as the last mouse input left it: the windowing system's own position may be
    // out of date or unknown.
    POINT cursor{};
    GetCursorPos(&cursor);
    const TPoint p = FParent->ScreenToClient(Point(cursor.x, cursor.y));
    inside = FParent->ControlAtPos(p, true) == this;
  }
  if (inside == FMouseInControl) return;
  FMouseInControl = inside;
  if (inside) MouseEnter();
  else MouseLeave();
}

void TOrvCustomLabel::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGCHAR: {
      const char typed = static_cast<char>(message.WParam);
      if (FFocusControl != nullptr && FEnabled && FShowAccelChar && IsAccel(typed, GetText())) {
        if (FFocusControl->CanFocus()) FFocusControl->SetFocus();
        message.Result = 1;
        return;
      }
      TGraphicControl::MessageHandler(message);
      return;
    }
    case CM_FOCUSCHANGED: {
      auto* focused = LParamPtr<TWinControl>(message.LParam);
      const bool now = FFocusControl != nullptr && focused == FFocusControl;
      if (now != FFocused) {
        FFocused = now;
        if (FShowFocus) Invalidate();
      }
      TGraphicControl::MessageHandler(message);
      return;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      TGraphicControl::MessageHandler(message);
      UpdateMouseTracking();
      return;
    case CM_MOUSEENTER:
      if (Application != nullptr) Application->SetMouseControl(this);
      if (!FMouseInControl && FEnabled && ThreadOwnsActiveWindow()) {
        FMouseInControl = true;
        MouseEnter();
      }
      return;
    case CM_MOUSELEAVE:
      if (Application != nullptr && Application->MouseControl() == this) Application->SetMouseControl(nullptr);
      if (FMouseInControl && FEnabled && !FDragging) {
        FMouseInControl = false;
        MouseLeave();
      }
      return;
    default:
      TGraphicControl::MessageHandler(message);
  }
}

}  // namespace orv
