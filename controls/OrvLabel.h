// The shadow label: a window-less label that draws its caption twice, a shadow copy in a second
// colour moved by a few pixels, then the text itself.
#pragma once
#include "platform/forms/StdCtrls.h"

namespace orv {

enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

// Draws text with its shadow: the shadow (in shadowRgb, moved by shadowSize as position says)
// first, the text in the DC's text colour over it. rect becomes the union of both rectangles (with
// DT_CALCRECT: of the measured ones). Returns the height of the text, plus shadowSize when above 0.
int DrawTextWithShadow(HDC dc, const char* text, int length, TRect& rect, UINT flags,
                       Integer shadowSize, COLORREF shadowRgb, TShadowPosition position);

class TOrvCustomLabel : public TGraphicControl {
 public:
  explicit TOrvCustomLabel(TComponent* owner);
  ~TOrvCustomLabel() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout value);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor value);
  Byte ShadowSize() const { return FShadowSize; }
  void SetShadowSize(Byte value);
  TShadowPosition ShadowPos() const { return FShadowPos; }
  void SetShadowPos(TShadowPosition value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  bool ShowFocus() const { return FShowFocus; }
  void SetShowFocus(bool value);
  // Not opaque: the parent shows through where no text is.
  bool Transparent() const { return (FControlStyle & csOpaque) == 0; }
  void SetTransparent(bool value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value);

  bool MouseInControl() const { return FMouseInControl; }
  bool LabelFocused() const { return FFocused; }

  // Draws (or with DT_CALCRECT measures) the caption with its shadow into rect on the canvas.
  void DrawLabelText(TRect& rect, UINT flags);
  // Sizes the label to its text (AutoSize only).
  void AdjustLabelBounds();

 protected:
  virtual TColor GetDefaultFontColor() const;
  virtual AnsiString GetLabelCaption() const;
  virtual void MouseEnter();
  virtual void MouseLeave();
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MessageHandler(TMessage& message) override;
  void TextChanged() override;
  void FontChanged() override;
  void EnabledChanged() override;
  void VisibleChanged() override;
  void Loaded() override;
  void UpdateMouseTracking();

 private:
  // The canvas to draw on: the paint's, or a screen-compatible one while measuring.
  TCanvas* FDrawCanvas = nullptr;
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  TTextLayout FLayout = tlTop;
  TColor FShadowColor = clBtnHighlight;
  Byte FShadowSize = 1;
  TShadowPosition FShadowPos = spLeftTop;
  bool FShowAccelChar = true;
  bool FShowFocus = false;
  bool FWordWrap = false;
  TWinControl* FFocusControl = nullptr;
  bool FDragging = false;
  bool FMouseInControl = false;
  bool FFocused = false;
};

class TOrvLabel : public TOrvCustomLabel {
 public:
  explicit TOrvLabel(TComponent* owner) : TOrvCustomLabel(owner) {}
};

}  // namespace orv
