// The speed button: painting off-screen, the frame of each style, groups, the repeat timer, the
// drop-down menu and the mouse.
#include "controls/OrvSpeedButton.h"

#include "controls/ActionImages.h"
#include "controls/OrvHelpers.h"
#include "platform/forms/ActionLinks.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/win/MessageQueue.h"

namespace orv {
namespace {

// The 8 x 8 checked pattern of two colours.
std::unique_ptr<TBitmap> CheckedPattern(TColor a, TColor b) {
  auto pattern = std::make_unique<TBitmap>(8, 8);
  const COLORREF ca = ColorToRGB(a), cb = ColorToRGB(b);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pattern->SetPixelRGB(x, y, (x + y) % 2 == 0 ? ca : cb);
  return pattern;
}

}  // namespace

TOrvSpeedButton::TOrvSpeedButton(TComponent* owner)
    : TGraphicControl(owner), FOffscreen(std::make_unique<TBitmap>()), FGlyph(std::make_unique<TOrvButtonGlyph>()) {
  FWidth = 25;
  FHeight = 25;
  // The button decides what a click is: a release over it after a press on it.
  FControlStyle = csCaptureMouse | csDoubleClicks | csOpaque | csSetCaption;
  SetShowHint(true);
  FGlyph->OnChange = [this] { Invalidate(); };
}

TOrvSpeedButton::~TOrvSpeedButton() {
  FGlyph->OnChange = nullptr;
  if (FDropDownMenu != nullptr) FDropDownMenu->RemoveFreeNotification(this);
}

// ----- properties -----

void TOrvSpeedButton::SetAlignment(TAlignment value) { FGlyph->SetAlignment(value); }
void TOrvSpeedButton::SetWordWrap(bool value) { FGlyph->SetWordWrap(value); }

void TOrvSpeedButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  TellGroup();
}

void TOrvSpeedButton::SetAllowTimer(bool value) {
  FAllowTimer = value;
  if (!value && FRepeatTimer != nullptr) {
    TTimer* timer = std::exchange(FRepeatTimer, nullptr);
    timer->Free();
  }
}

void TOrvSpeedButton::SetGroupIndex(Integer value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  TellGroup();
}

void TOrvSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0) value = false;
  if (value == FDown || (FDown && !FAllowAllUp)) return;
  FDown = value;
  if (value) {
    if (FState == obsUp) Invalidate();
    FState = obsExclusive;
  } else {
    FState = obsUp;
  }
  Invalidate();
  if (value) TellGroup();
}

void TOrvSpeedButton::SetDropDownMenu(TPopupMenu* value) {
  if (value == FDropDownMenu) return;
  if (FDropDownMenu != nullptr) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = value;
  if (FDropDownMenu != nullptr) FDropDownMenu->FreeNotification(this);
  if (FMarkDropDown) Invalidate();
}

void TOrvSpeedButton::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  Invalidate();
}

void TOrvSpeedButton::SetGlyph(TBitmap* value) {
  FGlyphFromAction = false;
  FGlyph->SetGlyph(value);
  Invalidate();
}

void TOrvSpeedButton::SetGrayedInactive(bool value) {
  if (value == FGrayedInactive) return;
  FGrayedInactive = value;
  Invalidate();
}

void TOrvSpeedButton::SetLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TOrvSpeedButton::SetMargin(Integer value) {
  if (value == FMargin || value < -1) return;
  FMargin = value;
  Invalidate();
}

void TOrvSpeedButton::SetMarkDropDown(bool value) {
  if (value == FMarkDropDown) return;
  FMarkDropDown = value;
  Invalidate();
}

void TOrvSpeedButton::SetNumGlyphs(Integer value) {
  FGlyph->SetNumGlyphs(value);
  Invalidate();
}

void TOrvSpeedButton::SetSpacing(Integer value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TOrvSpeedButton::SetStyle(TButtonStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TOrvSpeedButton::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  if (value) FControlStyle &= ~csOpaque;
  else FControlStyle |= csOpaque;
  Invalidate();
}

// ----- groups -----

void TOrvSpeedButton::TellGroup() {
  if (FGroupIndex == 0 || FParent == nullptr) return;
  for (Integer i = 0; i < FParent->ControlCount(); ++i)
    FParent->Controls(i)->Perform(CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), PtrLParam(this));
}

void TOrvSpeedButton::ButtonPressed(TOrvSpeedButton* sender) {
  if (sender == this || sender == nullptr || FParent == nullptr || !FParent->HandleAllocated()) return;
  if (FDown && sender->FDown) {
    FDown = false;
    FState = obsUp;
    Invalidate();
  }
  FAllowAllUp = sender->FAllowAllUp;
}

// ----- painting -----

bool TOrvSpeedButton::IsNewStyle() const {
  return FStyle == bsNew || (FStyle == bsAutoDetect && NewStyleControls());
}

UINT TOrvSpeedButton::ReadingFlags() const {
  UINT flags = 0;
  if (UseRightToLeftAlignment()) flags |= DT_RIGHT;
  if (UseRightToLeftReading()) flags |= DT_RTLREADING;
  return flags;
}

TRect TOrvSpeedButton::PaintButtonFrame(TCanvas& canvas, TRect r, bool down) const {
  if (down) {
    if (IsNewStyle()) {
      Frame3D(canvas, r, clWindowFrame, clBtnHighlight, 1);
      if (!FFlat) Frame3D(canvas, r, clBtnShadow, clBtnFace, 1);
    } else if (!FFlat) {
      Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
      canvas.Pen()->SetColor(clBtnShadow);
      canvas.MoveTo(r.Left, r.Bottom - 1);
      canvas.LineTo(r.Left, r.Top);
      canvas.LineTo(r.Right, r.Top);
    } else {
      Frame3D(canvas, r, clWindowFrame, clBtnHighlight, 1);
    }
  } else if (IsNewStyle()) {
    if (!FFlat) {
      Frame3D(canvas, r, clBtnHighlight, clWindowFrame, 1);
      Frame3D(canvas, r, clBtnFace, clBtnShadow, 1);
    } else {
      Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    }
  } else if (!FFlat) {
    Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
    Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
  } else {
    Frame3D(canvas, r, clBtnHighlight, clWindowFrame, 1);
  }
  InflateRect(r, -1, -1);
  return r;
}

void TOrvSpeedButton::PaintButtonContent(TCanvas& canvas, const TRect& rect, bool drawMark,
                                         TOrvButtonState drawState) {
  FGlyph->Draw(canvas, rect, GetText(), FLayout, FMargin, FSpacing, drawMark, drawState, ReadingFlags());
}

void TOrvSpeedButton::Paint() {
  FollowActionImage();
  const bool designing = ComponentState().Contains(csDesigning);
  if (!FEnabled) {
    FState = obsDisabled;
    FDragging = false;
  } else if (FState == obsDisabled) {
    FState = FDown && FGroupIndex != 0 ? obsExclusive : obsUp;
  }
  TOrvButtonState drawState = FState;
  if (FFlat && !FMouseInControl && !designing) drawState = obsInactive;

  FOffscreen->SetSize(FWidth, FHeight);
  TCanvas& c = *FOffscreen->Canvas();
  c.Font()->Assign(Font());
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(Rect(0, 0, FWidth, FHeight));
  if (FTransparent) PaintParentBackground(this, c);

  TRect r = Rect(0, 0, FWidth, FHeight);
  if (drawState != obsInactive || FState == obsExclusive) {
    r = PaintButtonFrame(c, r, FState == obsDown || FState == obsExclusive);
  } else {
    InflateRect(r, -2, -2);
  }
  if (FState == obsExclusive && !FTransparent && (!FFlat || drawState == obsInactive)) {
    TRect inner = r;
    InflateRect(inner, 1, 1);
    auto pattern = CheckedPattern(clBtnFace, clBtnHighlight);
    c.Brush()->SetBitmap(pattern.get());
    c.FillRect(inner);
    c.Brush()->SetBitmap(nullptr);
  }
  if (FState == obsDown || FState == obsExclusive) OffsetRect(r, 1, 1);
  const TOrvButtonState contentState = FGrayedInactive && FEnabled ? drawState : FState;
  const bool mark = FMarkDropDown && FDropDownMenu != nullptr;
  PaintButtonContent(c, r, mark, contentState);
  Canvas().Draw(0, 0, FOffscreen.get());
}

// ----- mouse -----

TPoint TOrvSpeedButton::MenuPoint() const {
  // The point is where the menu's aligned edge (or its centre) goes.
  const TPopupAlignment align = FDropDownMenu != nullptr ? FDropDownMenu->Alignment() : paLeft;
  if (align == paCenter) return Point(FWidth / 2, FHeight);
  if (FMenuPosition == dmpBottom) return align == paRight ? Point(FWidth + 1, FHeight) : Point(-1, FHeight);
  return align == paRight ? Point(-1, -1) : Point(FWidth, -1);
}

void TOrvSpeedButton::DropDown() {
  if (TCustomForm* form = ParentForm()) form->Perform(CM_CANCELMODE);
  FDropDownMenu->SetPopupComponent(this);
  const TPoint p = ClientToScreen(MenuPoint());
  FDropDownMenu->Popup(p.X, p.Y);
}

void TOrvSpeedButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (FMenuTracking) return;
  TGraphicControl::MouseDown(button, shift, x, y);
  if (FEnabled && !FMouseInControl) {
    FMouseInControl = true;
    Invalidate();
  }
  if (button != mbLeft || !FEnabled) return;
  if (!FDown) {
    FState = obsDown;
    Invalidate();
  }
  FDragging = true;
  FMenuTracking = true;
  if (FDropDownMenu != nullptr && FDropDownMenu->AutoPopup() && !ComponentState().Contains(csDesigning)) {
    DropDown();
    // The release that closed the menu is taken as this press's release; a click that closed the
    // menu over the button does not press it again, one anywhere else goes where it was made.
    MouseUp(mbLeft, shift, x, y);
    DiscardQueuedClickOver(this);
  }
  FMenuTracking = false;
  if (FAllowTimer) {
    if (FRepeatTimer == nullptr) {
      FRepeatTimer = new TTimer(this);
      FRepeatTimer->OnTimer = TNotifyEvent(this, &TOrvSpeedButton::RepeatTick);
    }
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetInterval(FInitPause);
    FRepeatTimer->SetEnabled(true);
  }
}

void TOrvSpeedButton::MouseMove(TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!FDragging) return;
  const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
  const TOrvButtonState state = FDown ? obsExclusive : (inside ? obsDown : obsUp);
  if (state != FState) {
    FState = state;
    Invalidate();
  }
}

void TOrvSpeedButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button == mbLeft && FDragging) {
    FDragging = false;
    const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
    if (FGroupIndex == 0) {
      FState = obsUp;
      FMouseInControl = false;
      Invalidate();
    } else if (inside) {
      const bool wasDown = FDown;
      SetDown(!FDown);
      if (FDown && !wasDown) Invalidate();
    } else {
      if (FDown) FState = obsExclusive;
      Invalidate();
    }
    if (inside && !FMenuTracking) Click();
  }
  UpdateMouseTracking();
  if (FRepeatTimer != nullptr) FRepeatTimer->SetEnabled(false);
}

void TOrvSpeedButton::RepeatTick(TObject*) {
  FRepeatTimer->SetInterval(FRepeatInterval);
  if (FState == obsDown && MouseCapture()) {
    try {
      Click();
    } catch (...) {
      FRepeatTimer->SetEnabled(false);
      throw;
    }
  }
}

void TOrvSpeedButton::DblClick() {
  if (FMenuTracking) return;
  if (FDown) TGraphicControl::DblClick();
}

void TOrvSpeedButton::Click() {
  if (TCustomForm* form = ParentForm()) form->SetModalResult(FModalResult);
  TGraphicControl::Click();
}

// ----- tracking and notifications -----

void TOrvSpeedButton::MouseEnter() {
  OnMouseEnter(this);
}

void TOrvSpeedButton::MouseLeave() {
  OnMouseLeave(this);
}

void TOrvSpeedButton::UpdateMouseTracking() {
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
  if (FFlat) Invalidate();
  if (inside) MouseEnter();
  else MouseLeave();
}

namespace {

// The speed button follows its action's checked state as its Down, and repaints for a new image.
class TOrvSpeedButtonActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
  bool IsCheckedLinked() override {
    auto* button = static_cast<TOrvSpeedButton*>(FClient);
    return TActionLink::IsCheckedLinked() && button->Down() == CustomAction()->Checked();
  }
  void SetChecked(bool value) override {
    if (IsCheckedLinked()) static_cast<TOrvSpeedButton*>(FClient)->SetDown(value);
  }
  void SetImageIndex(Integer) override { FClient->Invalidate(); }
  static std::unique_ptr<TControlActionLink> Create(TControl* client) {
    return std::make_unique<TOrvSpeedButtonActionLink>(client);
  }
};

}  // namespace

TControlActionLinkClass TOrvSpeedButton::GetActionLinkClass() const { return &TOrvSpeedButtonActionLink::Create; }

void TOrvSpeedButton::ActionChange(TObject* sender, bool checkDefaults) {
  TGraphicControl::ActionChange(sender, checkDefaults);
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (action == nullptr) return;
  if (action->Checked() && (!checkDefaults || !FDown)) SetDown(true);
  if (FGlyph->Glyph()->Empty()) {
    if (std::unique_ptr<TBitmap> image = ActionImageBitmap(action)) {
      SetGlyph(image.get());
      FGlyphFromAction = true;
    }
  }
  FollowActionImage();
  Invalidate();
}

void TOrvSpeedButton::FollowActionImage() {
  // The action's list is drawn for an empty glyph or one the action filled; a glyph of the
  // button's own is drawn as it is.
  const bool fromAction = FGlyph->Glyph()->Empty() || FGlyphFromAction;
  auto* action = fromAction ? dynamic_cast<TCustomAction*>(Action()) : nullptr;
  TCustomImageList* images = ActionImages(action);
  FGlyph->SetActionImage(images, images != nullptr ? action->ImageIndex() : -1);
}

void TOrvSpeedButton::EnabledChanged() {
  TGraphicControl::EnabledChanged();
  FGlyph->MakeStateImage(!FEnabled ? obsDisabled : (FFlat ? obsInactive : obsUp));
  UpdateMouseTracking();
  Invalidate();
}

void TOrvSpeedButton::VisibleChanged() {
  TGraphicControl::VisibleChanged();
  if (FVisible) UpdateMouseTracking();
}

void TOrvSpeedButton::FontChanged() {
  TGraphicControl::FontChanged();
  Invalidate();
}

void TOrvSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  FGlyph->MakeStateImage(!FEnabled ? obsDisabled : obsUp);
}

void TOrvSpeedButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FDropDownMenu) FDropDownMenu = nullptr;
  if (component == FRepeatTimer) FRepeatTimer = nullptr;
}

void TOrvSpeedButton::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED:
      if (static_cast<Integer>(message.WParam) == FGroupIndex)
        ButtonPressed(dynamic_cast<TOrvSpeedButton*>(LParamPtr<TControl>(message.LParam)));
      return;
    case CM_DIALOGCHAR: {
      const char typed = static_cast<char>(message.WParam);
      if (IsAccel(typed, GetText()) && FEnabled && Showing()) {
        Click();
        message.Result = 1;
        return;
      }
      TGraphicControl::MessageHandler(message);
      return;
    }
    case CM_SYSCOLORCHANGE:
      FGlyph->DropStateImages();
      Invalidate();
      return;
    case CM_MOUSEENTER:
      if (Application != nullptr) Application->SetMouseControl(this);
      if (!FMouseInControl && FEnabled && ThreadOwnsActiveWindow()) {
        FMouseInControl = true;
        if (FFlat) Invalidate();
        MouseEnter();
      }
      return;
    case CM_MOUSELEAVE:
      if (Application != nullptr && Application->MouseControl() == this) Application->SetMouseControl(nullptr);
      if (FMouseInControl && FEnabled && !FDragging) {
        FMouseInControl = false;
        if (FFlat) Invalidate();
        MouseLeave();
      }
      return;
    default:
      TGraphicControl::MessageHandler(message);
  }
}

}  // namespace orv
