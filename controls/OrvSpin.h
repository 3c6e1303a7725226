// The spin edit: a one-line numeric edit with a spin button at its right edge (the two-arrow
// button split along its diagonal, or the system's up-down control), stepped by the button, the
// mouse and the arrow keys.
#pragma once
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

// The module's own types. TValueType is used qualified (OrvSpin::TValueType), since the component
// stream has a TValueType of its own; the values are visible unqualified.
namespace OrvSpin {
enum TValueType { vtInteger, vtFloat, vtHex };
enum TSpinButtonKind { bkStandard, bkDiagonal };
// The part of the diagonal button that is pressed.
enum TSpinButtonState { sbNotDown, sbTopDown, sbBottomDown };
}  // namespace OrvSpin
using OrvSpin::TSpinButtonKind;
using OrvSpin::TSpinButtonState;
using OrvSpin::vtInteger;
using OrvSpin::vtFloat;
using OrvSpin::vtHex;
using OrvSpin::bkStandard;
using OrvSpin::bkDiagonal;
using OrvSpin::sbNotDown;
using OrvSpin::sbTopDown;
using OrvSpin::sbBottomDown;

// The width of the up-down control: the system's vertical scroll-bar width when below 16, else 15.
Integer DefaultSpinWidth();

// The two-arrow button: the upper-left half steps up, the lower-right half down. A press steps at
// once, again after 400 ms and then every 100 ms while the mouse holds it; dragging onto the other
// half stops the repeat. The arrows always come from the module's own bitmaps.
class TOrvSpinButton : public TGraphicControl {
 public:
  explicit TOrvSpinButton(TComponent* owner);
  ~TOrvSpinButton() override;

  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* control);
  // Inert: reading gives no bitmap and writing is ignored.
  TBitmap* UpGlyph() const { return nullptr; }
  void SetUpGlyph(TBitmap*) {}
  TBitmap* DownGlyph() const { return nullptr; }
  void SetDownGlyph(TBitmap*) {}

  TSpinButtonState Down() const { return FDown; }
  // The half a point lies in: the bottom part below the painted diagonal, else the top part.
  TSpinButtonState PartAt(Integer x, Integer y) const;
  // The repeat timer (nullptr before the first press); valid as long as the button.
  TTimer* RepeatTimer() const { return FRepeatTimer; }

  TNotifyEvent OnTopClick, OnBottomClick;

 protected:
  void Paint() override;
  void DrawFace(TSpinButtonState state);
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void EnabledChanged() override { Invalidate(); }
  void Notification(TComponent* component, TOperation operation) override;
  void FireTopClick();
  void FireBottomClick();
  void RepeatTick(TObject* sender);

 private:
  TSpinButtonState FDown = sbNotDown;
  TSpinButtonState FLastDown = sbNotDown;
  bool FDragging = false;
  TWinControl* FFocusControl = nullptr;
  TTimer* FRepeatTimer = nullptr;  // owned by the button
};

// The up-down control of the standard button kind: every arrow press is reported as the click of
// that arrow, and the position goes back to 0.
class TOrvUpDown : public TUpDown {
 public:
  explicit TOrvUpDown(TComponent* owner);
  ~TOrvUpDown() override;

 protected:
  void MessageHandler(TMessage& message) override;
  void ScrollStep(TMessage& message);

 private:
  bool FChanging = false;
};

// The spin edit. Value is read from the text as ValueType says (a text that does not convert reads
// as MinValue) and written clamped into MinValue..MaxValue, which limit nothing while equal.
// Integer and hexadecimal texts hold 32-bit values.
class TOrvSpinEdit : public TCustomEdit {
 public:
  explicit TOrvSpinEdit(TComponent* owner);
  ~TOrvSpinEdit() override;

  TAlignment Alignment() const { return FAlignment; }
  // Makes the window again when the value changes.
  void SetAlignment(TAlignment value);
  bool ArrowKeys() const { return FArrowKeys; }
  void SetArrowKeys(bool value);
  TSpinButtonKind ButtonKind() const { return FButtonKind; }
  void SetButtonKind(TSpinButtonKind value);
  Byte Decimal() const { return FDecimal; }
  void SetDecimal(Byte value);
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool value) { FEditorEnabled = value; }
  Extended Increment() const { return FIncrement; }
  void SetIncrement(Extended value) { FIncrement = value; }
  // Setting a limit does not clamp the current text.
  Extended MaxValue() const { return FMaxValue; }
  void SetMaxValue(Extended value) { FMaxValue = value; }
  Extended MinValue() const { return FMinValue; }
  void SetMinValue(Extended value) { FMinValue = value; }
  OrvSpin::TValueType ValueType() const { return FValueType; }
  void SetValueType(OrvSpin::TValueType value);

  // Never raises; does not clamp.
  Extended GetValue() const;
  Extended Value() const { return GetValue(); }
  // Writes the clamped value as text; the text change fires OnChange unless a step is writing it.
  void SetValue(Extended value);
  Extended ClampValue(Extended value) const;

  // One step up or down; on a read-only control a beep and nothing else.
  virtual void UpClick(TObject* sender);
  virtual void DownClick(TObject* sender);
  // Whether a typed character may enter the text.
  virtual bool IsValidChar(char key) const;

  TSpinButtonKind EffectiveButtonKind() const;
  // The companions of the current button kind (nullptr for the other kind); valid until the kind
  // changes.
  TOrvSpinButton* SpinButton() const { return FButton; }
  TWinControl* ButtonWindow() const { return FBtnWindow; }
  TOrvUpDown* UpDown() const { return FUpDown; }
  Integer SpinButtonWidth() const;
  // The smallest height: the font's text height, four border widths and one pixel.
  Integer MinimumHeight() const;
  // The rectangle the text is laid out in, in client coordinates (clear of the button).
  const TRect& TextArea() const { return FTextArea; }

  bool IsIncrementStored() const { return FIncrement != 1; }
  bool IsMaxValueStored() const { return FMaxValue != 0; }
  bool IsMinValueStored() const { return FMinValue != 0; }
  bool IsValueStored() const { return GetValue() != 0; }

  TNotifyEvent OnTopClick, OnBottomClick;

 protected:
  void Change() override;
  void KeyPress(char& key) override;
  void KeyDown(Word& key, TShiftState shift) override;
  bool WantsKey(Word key) const override;
  void MessageHandler(TMessage& message) override;
  void InitWidget() override;
  void BoundsChanged() override;
  void FontChanged() override;
  void EnabledChanged() override;
  void TextChanged() override;
  void Notification(TComponent* component, TOperation operation) override;

  void BuildButton();
  void PlaceButton();
  void SetTextArea();
  void UpDownClicked(TObject* sender, TUDBtnType button);

 private:
  void SizeChanged();
  void Step(Extended delta);
  void FreeButton();
  // How far the client area lies inside the window (the edit's border).
  Integer BorderOffset() const;

  TAlignment FAlignment = taLeftJustify;
  bool FArrowKeys = true;
  TSpinButtonKind FButtonKind = bkDiagonal;
  Byte FDecimal = 2;
  bool FEditorEnabled = true;
  Extended FIncrement = 1;
  Extended FMaxValue = 0;
  Extended FMinValue = 0;
  OrvSpin::TValueType FValueType = vtInteger;
  // Set while a step writes the text: its change is reported once, after the text is written.
  bool FChanging = false;
  TRect FTextArea;
  // Owned by the edit; the button and its window, or the up-down control, never both.
  TOrvSpinButton* FButton = nullptr;
  TWinControl* FBtnWindow = nullptr;
  TOrvUpDown* FUpDown = nullptr;
};

}  // namespace orv
