// The combo edit's pop-up: dropping it down under the edit, closing it (accepted or cancelled),
// and the watch that closes it when the user presses the mouse anywhere else.
#include <QApplication>
#include <QMouseEvent>
#include "controls/FilenameEdit.h"
#include "platform/forms/QtHost.h"

namespace orv {
namespace {

// Closes a visible pop-up without taking its value on a mouse press outside the pop-up and the
// edit's button (the button closes it itself).
class TPopupClickWatch : public QObject {
 public:
  TPopupClickWatch(TCustomComboEdit* edit, std::function<void()> close) : FEdit(edit), FClose(std::move(close)) {}
  ~TPopupClickWatch() override { qApp->removeEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || !FEdit->PopupVisible()) return false;
    if (Inside(widget, FEdit->Popup()) || Inside(widget, FEdit->ButtonWindow())) return false;
    RunGuarded(FClose);
    return false;
  }

 private:
  static bool Inside(QWidget* widget, TWinControl* control) {
    if (control == nullptr || !control->HandleAllocated()) return false;
    QWidget* w = control->Widget();
    return w == widget || w->isAncestorOf(widget);
  }

  TCustomComboEdit* FEdit;
  std::function<void()> FClose;
};

}  // namespace

// ----- TPopupWindow -----

TPopupWindow::TPopupWindow(TComponent* owner) : TCustomControl(owner) {
  FVisible = false;
  FColor = clWindow;
  FParentColor = false;
}

std::unique_ptr<IHostWidget> TPopupWindow::CreateWidget(QWidget* /*parentWidget*/) {
  auto host = std::make_unique<THostWidget<QWidget>>(this, nullptr,
                                                     Qt::ToolTip | Qt::FramelessWindowHint);
  host->Widget()->setAttribute(Qt::WA_ShowWithoutActivating);
  host->Widget()->setFocusPolicy(Qt::NoFocus);
  return host;
}

void TPopupWindow::ShowAt(const TPoint& origin) {
  SetBounds(origin.X, origin.Y, FWidth, FHeight);
  HandleNeeded();
  Widget()->setGeometry(origin.X, origin.Y, FWidth, FHeight);
  Widget()->show();
  FVisible = true;
  Invalidate();
}

void TPopupWindow::HideWindow() {
  FVisible = false;
  if (HandleAllocated()) Widget()->hide();
}

// ----- TCustomComboEdit: the pop-up protocol -----

void TCustomComboEdit::SetPopup(TPopupWindow* popup) {
  if (FPopup != nullptr) {
    FPopup->OnCloseUp = nullptr;
    FPopup->OnChange = nullptr;
    FPopup->RemoveFreeNotification(this);
  }
  FPopup = popup;
  if (popup == nullptr) return;
  popup->FreeNotification(this);
  popup->OnCloseUp = TCloseUpEvent(this, &TCustomComboEdit::PopupCloseUpEvent);
  popup->OnChange = TNotifyEvent(this, &TCustomComboEdit::PopupChangeEvent);
}

void TCustomComboEdit::PopupDropDown(bool disableEdit) {
  if (FPopup == nullptr || GetReadOnly() || FPopupVisible) return;
  const Integer screenWidth = Screen->Width(), screenHeight = Screen->Height();
  const Integer popupWidth = FPopup->Width(), popupHeight = FPopup->Height();
  TPoint p = FParent != nullptr ? FParent->ClientToScreen(Point(FLeft, FTop)) : Point(FLeft, FTop);
  const Integer left = p.X;
  Integer y = p.Y + FHeight;
  if (y + popupHeight > screenHeight) y = p.Y - popupHeight;
  if (FPopupAlign == epaRight) {
    p.X = left + FWidth - popupWidth;
    if (p.X < 0) p.X = left;
  } else if (left + popupWidth > screenWidth) {
    p.X = left + FWidth - popupWidth;
  }
  if (p.X + popupWidth > screenWidth) p.X = screenWidth - popupWidth;
  if (p.X < 0) p.X = 0;
  const AnsiString text = GetText();
  SetPopupValue(text.empty() ? TPopupValue() : TPopupValue(text));
  if (CanFocus() && !Focused()) SetFocus();
  ShowPopup(Point(p.X, y));
  FPopupVisible = true;
  // The watch stays with the edit; it listens only while the pop-up is shown.
  if (!FClickWatch) FClickWatch = std::make_unique<TPopupClickWatch>(this, [this] { PopupCloseUp(FPopup, false); });
  qApp->installEventFilter(FClickWatch.get());
  // A read-only line edit shows no caret.
  if (disableEdit) TCustomEdit::SetReadOnly(true);
}

void TCustomComboEdit::PopupCloseUp(TObject* /*sender*/, bool accept) { ClosePopup(accept, true); }

void TCustomComboEdit::ClosePopup(bool accept, bool refocus) {
  if (!FPopupVisible) return;
  struct TDone {
    TCustomComboEdit* Edit;
    ~TDone() { Edit->FPopupVisible = false; }
  } done{this};
  // The watch stops first: nothing of what follows may close the pop-up a second time.
  if (FClickWatch) qApp->removeEventFilter(FClickWatch.get());
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  TPopupValue value = GetPopupValue();
  HidePopup();
  try {
    if (refocus && CanFocus() && !Focused()) SetFocus();
  } catch (const std::exception&) {
    // The edit cannot take the focus back (its window is going away).
  }
  SetDirectInput(FDirectInput);
  Invalidate();
  if (accept && AcceptPopup(value) && EditCanModify()) {
    AcceptValue(value);
    if (FFocused) SelectAll();
  }
}

void TCustomComboEdit::ShowPopup(const TPoint& origin) { FPopup->ShowAt(origin); }
void TCustomComboEdit::HidePopup() { FPopup->HideWindow(); }
bool TCustomComboEdit::AcceptPopup(TPopupValue& /*value*/) { return true; }
void TCustomComboEdit::SetPopupValue(const TPopupValue& value) { FPopup->SetValue(value); }
TPopupValue TCustomComboEdit::GetPopupValue() { return FPopup->GetValue(); }

void TCustomComboEdit::AcceptValue(const TPopupValue& value) {
  const AnsiString text = value.value_or(AnsiString());
  if (text == GetText()) return;
  SetText(text);
  SetModified(true);
}

}  // namespace orv
