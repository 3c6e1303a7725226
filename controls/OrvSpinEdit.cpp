// The spin edit: the value and its text, the steps, the keys, the focus, and the layout of the
// spin button beside the text.
#include <QFontMetrics>
#include <QLineEdit>
#include <cmath>
#include <limits>
#include <utility>
#include "controls/OrvSpin.h"
#include "platform/rtl/FloatDigits.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Keyboard.h"
#include "platform/win/SysColors.h"
#include "platform/win/Version.h"

namespace orv {
namespace {

// Half to even, kept within the 32-bit range so the text reads back as the value it shows.
Integer RoundToInteger(Extended value) {
  if (std::isnan(value)) return 0;
  const double r = RoundHalfEven(static_cast<double>(value), 0);
  if (r <= std::numeric_limits<Integer>::min()) return std::numeric_limits<Integer>::min();
  if (r >= std::numeric_limits<Integer>::max()) return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(r);
}

// The fixed form of a float: 15 significant digits, `decimals` after the locale's separator.
AnsiString FixedText(Extended value, int decimals) {
  return FormatFloatFixed(static_cast<double>(value), decimals, DecimalSeparator(), 0, 15);
}

}  // namespace

TOrvSpinEdit::TOrvSpinEdit(TComponent* owner) : TCustomEdit(owner) {
  FText = "0";
  FControlStyle &= ~csSetCaption;
  BuildButton();
}

TOrvSpinEdit::~TOrvSpinEdit() {
  Destroying();
  FChanging = true;
  FreeButton();
}

void TOrvSpinEdit::FreeButton() {
  // The pointers are cleared before the components go, so nothing reaches a half-freed one.
  TControl* const parts[] = {std::exchange(FButton, nullptr), std::exchange(FBtnWindow, nullptr),
                             std::exchange(FUpDown, nullptr)};
  for (TControl* c : parts)
    if (c != nullptr) c->Free();
}

// ----- value -----

Extended TOrvSpinEdit::ClampValue(Extended value) const {
  if (FMaxValue == FMinValue) return value;
  if (value < FMinValue) return FMinValue;
  if (value > FMaxValue) return FMaxValue;
  return value;
}

Extended TOrvSpinEdit::GetValue() const {
  try {
    const AnsiString text = GetText();
    switch (FValueType) {
      case vtFloat: {
        double v = 0;
        return TryStrToFloat(text, v) ? static_cast<Extended>(v) : FMinValue;
      }
      case vtHex: {
        Integer v = 0;
        if (TryStrToInt("$" + text, v)) return v;
        break;
      }
      case vtInteger: {
        Integer v = 0;
        if (TryStrToInt(text, v)) return v;
        break;
      }
    }
  } catch (const std::exception&) {
    // A text that cannot be read reads as the lower limit, as one that does not convert.
  }
  return FValueType == vtFloat ? FMinValue : std::trunc(FMinValue);
}

void TOrvSpinEdit::SetValue(Extended value) {
  const Extended v = ClampValue(value);
  switch (FValueType) {
    case vtFloat:
      SetText(FixedText(v, FDecimal));
      break;
    case vtHex:
      SetText(IntToHex(static_cast<std::uint32_t>(RoundToInteger(v)), 1));
      break;
    case vtInteger:
      SetText(IntToStr(RoundToInteger(v)));
      break;
  }
}

void TOrvSpinEdit::SetValueType(OrvSpin::TValueType value) {
  if (value == FValueType) return;
  // The text is read in the form it is in, then written in the new one.
  const Extended v = GetValue();
  FValueType = value;
  SetValue(v);
  if (value != vtFloat) {
    FIncrement = RoundHalfEven(static_cast<double>(FIncrement), 0);
    if (FIncrement == 0) FIncrement = 1;
  }
}

void TOrvSpinEdit::SetDecimal(Byte value) {
  if (value == FDecimal) return;
  FDecimal = value;
  SetValue(GetValue());
}

void TOrvSpinEdit::Change() {
  if (!FChanging) TCustomEdit::Change();
}

void TOrvSpinEdit::TextChanged() {
  TCustomEdit::TextChanged();
  // With a window the edit reports its own change; without one, the text set by code is
  // reported here.
  if (!HandleAllocated()) Change();
}

// ----- steps -----

void TOrvSpinEdit::Step(Extended delta) {
  const AnsiString old = GetText();
  FChanging = true;
  try {
    SetValue(GetValue() + delta);
  } catch (...) {
    FChanging = false;
    throw;
  }
  FChanging = false;
  if (CompareText(GetText(), old) != 0) {
    SetModified(true);
    Change();
  }
}

void TOrvSpinEdit::UpClick(TObject* /*sender*/) {
  if (FReadOnly) {
    MessageBeep(0);
    return;
  }
  Step(FIncrement);
  OnTopClick(this);
}

void TOrvSpinEdit::DownClick(TObject* /*sender*/) {
  if (FReadOnly) {
    MessageBeep(0);
    return;
  }
  Step(-FIncrement);
  OnBottomClick(this);
}

void TOrvSpinEdit::UpDownClicked(TObject* /*sender*/, TUDBtnType button) {
  if (FTabStop && CanFocus()) SetFocus();
  if (button == btNext) UpClick(this);
  else DownClick(this);
}

// ----- keys -----

bool TOrvSpinEdit::IsValidChar(char key) const {
  const auto k = static_cast<unsigned char>(key);
  bool valid = k < 32 || k == '+' || k == '-' || (k >= '0' && k <= '9');
  if (!valid && FValueType == vtFloat) {
    const AnsiString text = GetText();
    const char separator = DecimalSeparator();
    if (key == separator && text.find(separator) == AnsiString::npos) valid = true;
    if ((k == 'E' || k == 'e') && UpperCase(text).find('E') == AnsiString::npos) valid = true;
  }
  if (!valid && FValueType == vtHex) valid = (k >= 'A' && k <= 'F') || (k >= 'a' && k <= 'f');
  if (!FEditorEnabled && (k == 8 || k >= 32)) valid = false;
  return valid;
}

bool TOrvSpinEdit::WantsKey(Word key) const {
  // Enter and Escape reach the form from KeyPress, once, as the control's own dialog keys.
  if (key == VK_RETURN || key == VK_ESCAPE) return true;
  return TCustomEdit::WantsKey(key);
}

void TOrvSpinEdit::KeyPress(char& key) {
  if (!IsValidChar(key)) {
    key = 0;
    MessageBeep(0);
  }
  if (key != 0) TCustomEdit::KeyPress(key);
  if (key == '\r' || key == 27) {
    const bool enter = key == '\r';
    if (TCustomForm* form = ParentForm())
      form->Perform(CM_DIALOGKEY, enter ? VK_RETURN : VK_ESCAPE, 0);
    if (enter) key = 0;
  }
}

void TOrvSpinEdit::KeyDown(Word& key, TShiftState shift) {
  TCustomEdit::KeyDown(key, shift);
  if (!FArrowKeys || (key != VK_UP && key != VK_DOWN)) return;
  if (key == VK_UP) UpClick(this);
  else DownClick(this);
  key = 0;
}

// ----- messages -----

void TOrvSpinEdit::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
      TCustomEdit::MessageHandler(message);
      SizeChanged();
      return;
    case WM_CUT:
    case WM_PASTE:
      if (FEditorEnabled && !FReadOnly) TCustomEdit::MessageHandler(message);
      return;
    case CM_ENTER:
      if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      TCustomEdit::MessageHandler(message);
      return;
    case CM_EXIT: {
      TCustomEdit::MessageHandler(message);
      const Extended v = GetValue();
      if (ClampValue(v) != v) SetValue(v);
      return;
    }
    case CM_CTL3DCHANGED:
    case CM_BIDIMODECHANGED:
      TCustomEdit::MessageHandler(message);
      PlaceButton();
      SetTextArea();
      return;
    default:
      TCustomEdit::MessageHandler(message);
  }
}

void TOrvSpinEdit::Notification(TComponent* component, TOperation operation) {
  TCustomEdit::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FButton) FButton = nullptr;
  if (component == FBtnWindow) FBtnWindow = nullptr;
  if (component == FUpDown) FUpDown = nullptr;
}

// ----- the button and the layout -----

TSpinButtonKind TOrvSpinEdit::EffectiveButtonKind() const {
  return NewStyleControls() ? FButtonKind : bkDiagonal;
}

void TOrvSpinEdit::SetButtonKind(TSpinButtonKind value) {
  if (value == FButtonKind) return;
  const TSpinButtonKind old = FButtonKind;
  FButtonKind = value;
  if (EffectiveButtonKind() == old) return;
  BuildButton();
  PlaceButton();
  SetTextArea();
}

void TOrvSpinEdit::SetArrowKeys(bool value) {
  FArrowKeys = value;
  PlaceButton();
}

void TOrvSpinEdit::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  RecreateWnd();
}

void TOrvSpinEdit::BuildButton() {
  if (ComponentState().Contains(csDestroying)) return;
  FreeButton();
  if (EffectiveButtonKind() == bkStandard) {
    FUpDown = new TOrvUpDown(this);
    FUpDown->SetVisible(true);
    FUpDown->SetBounds(0, 0, DefaultSpinWidth(), FHeight);
    FUpDown->SetAlign(UseRightToLeftAlignment() ? alLeft : alRight);
    FUpDown->SetParent(this);
    FUpDown->OnClick = TUDClickEvent(this, &TOrvSpinEdit::UpDownClicked);
    return;
  }
  FBtnWindow = new TWinControl(this);
  FBtnWindow->SetVisible(true);
  FBtnWindow->SetParent(this);
  FBtnWindow->SetBounds(0, 0, FHeight, FHeight);
  FButton = new TOrvSpinButton(this);
  FButton->SetVisible(true);
  FButton->SetParent(FBtnWindow);
  FButton->SetFocusControl(this);
  FButton->OnTopClick = TNotifyEvent(this, &TOrvSpinEdit::UpClick);
  FButton->OnBottomClick = TNotifyEvent(this, &TOrvSpinEdit::DownClick);
  FButton->SetBounds(0, 0, FBtnWindow->Width(), FBtnWindow->Height());
}

Integer TOrvSpinEdit::SpinButtonWidth() const {
  if (FUpDown != nullptr) return FUpDown->Width();
  if (FButton != nullptr) return FButton->Width();
  return DefaultSpinWidth();
}

Integer TOrvSpinEdit::BorderOffset() const {
  if (FBorderStyle != bsSingle) return 0;
  return Ctl3D() ? 2 : 1;
}

void TOrvSpinEdit::PlaceButton() {
  const bool rtl = UseRightToLeftReading();
  if (FUpDown != nullptr) {
    FUpDown->SetWidth(DefaultSpinWidth());
    FUpDown->SetAlign(rtl ? alLeft : alRight);
    return;
  }
  if (FButton == nullptr || FBtnWindow == nullptr) return;
  TRect r;
  if (NewStyleControls() && Ctl3D() && FBorderStyle == bsSingle) {
    const Integer size = FHeight - 3;
    r = Bounds(rtl ? -1 : FWidth - FHeight - 1, -1, size, size);
  } else {
    r = Bounds(rtl ? 0 : FWidth - FHeight, 0, FHeight, FHeight);
  }
  // The rectangle is in the client area's terms, which starts inside the edit's border.
  const Integer b = BorderOffset();
  FBtnWindow->SetBounds(r.Left + b, r.Top + b, r.Width(), r.Height());
  FButton->SetBounds(0, 0, FBtnWindow->Width(), FBtnWindow->Height());
}

void TOrvSpinEdit::SetTextArea() {
  const Integer b = BorderOffset();
  const Integer clientWidth = FWidth - 2 * b, clientHeight = FHeight - 2 * b;
  if (UseRightToLeftReading())
    FTextArea = Rect(SpinButtonWidth() + 1, 0, clientWidth - 1, clientHeight + 1);
  else
    FTextArea = Rect(0, 0, clientWidth - SpinButtonWidth() - 2, clientHeight + 1);
  if (QLineEdit* edit = LineEdit())
    edit->setTextMargins(std::max(FTextArea.Left, 0), 0, std::max(clientWidth - FTextArea.Right, 0), 0);
}

Integer TOrvSpinEdit::MinimumHeight() const {
  return QFontMetrics(Font().ToQFont()).height() + 4 * GetSystemMetrics(SM_CYBORDER) + 1;
}

void TOrvSpinEdit::SizeChanged() {
  if (FHeight < MinimumHeight()) {
    SetHeight(MinimumHeight());  // sizes again
    return;
  }
  PlaceButton();
  SetTextArea();
}

void TOrvSpinEdit::BoundsChanged() {
  TCustomEdit::BoundsChanged();
  SizeChanged();
}

void TOrvSpinEdit::FontChanged() {
  TCustomEdit::FontChanged();
  PlaceButton();
  SetTextArea();
}

void TOrvSpinEdit::EnabledChanged() {
  TCustomEdit::EnabledChanged();
  if (FUpDown != nullptr) {
    FUpDown->SetEnabled(FEnabled);
    PlaceButton();
  } else if (FButton != nullptr) {
    FButton->SetEnabled(FEnabled);
  }
}

void TOrvSpinEdit::InitWidget() {
  TCustomEdit::InitWidget();
  TAlignment alignment = FAlignment;
  if (UseRightToLeftReading() && alignment != taCenter)
    alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  const Qt::Alignment horizontal = alignment == taRightJustify ? Qt::AlignRight
                                   : alignment == taCenter     ? Qt::AlignHCenter
                                                               : Qt::AlignLeft;
  LineEdit()->setAlignment(horizontal | Qt::AlignVCenter);
  SetTextArea();
}

}  // namespace orv
