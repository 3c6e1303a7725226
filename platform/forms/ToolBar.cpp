// The tool bar and its buttons over Qt's tool bar and tool buttons; the tool button's action link.
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include "platform/forms/Menus.h"
#include "platform/forms/QtText.h"
#include "platform/forms/ToolBars.h"
#include "platform/graphics/ImgList.h"

namespace orv {

namespace {

inline constexpr Integer SeparatorWidth = 8;
inline constexpr Integer DefaultButtonWidth = 23;

bool IsSeparatorStyle(TToolButtonStyle style) { return style == tbsSeparator || style == tbsDivider; }

}  // namespace

// ----- TToolButton -----

TToolButton::TToolButton(TComponent* owner) : TWinControl(owner) {
  FWidth = DefaultButtonWidth;
  FHeight = 22;
  FTabStop = false;
  // The click comes from the Qt button (keyboard and mouse alike), not from the mouse route.
  FControlStyle = csCaptureMouse | csSetCaption | csDoubleClicks;
}

TToolButton::~TToolButton() {
  // Leaving the bar now lets it close the gap while this is still a tool button.
  if (TToolBar* bar = ToolBar()) {
    bar->RemoveControl(this);
    if (!bar->ComponentState().Contains(csDestroying)) bar->ArrangeButtons();
  }
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(FParent); }

void TToolButton::Rearrange() {
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
  else UpdateButton();
}

void TToolButton::SetParent(TWinControl* parent) {
  TToolBar* old = ToolBar();
  TWinControl::SetParent(parent);
  if (old != nullptr && old != FParent) old->ArrangeButtons();
  Rearrange();
}

void TToolButton::SetStyle(TToolButtonStyle style) {
  if (FStyle == style) return;
  FStyle = style;
  if (IsSeparatorStyle(style)) {
    // A width of its own is kept; a button's width becomes a separator's.
    if (FWidth == DefaultButtonWidth || (ToolBar() != nullptr && FWidth == ToolBar()->ButtonWidth()))
      FWidth = SeparatorWidth;
    FDown = false;
  } else if (style != tbsCheck) {
    FDown = false;
  }
  Rearrange();
}

std::vector<TToolButton*> TToolButton::Group() const {
  std::vector<TToolButton*> group;
  TToolBar* bar = ToolBar();
  if (bar == nullptr || !FGrouped || FStyle != tbsCheck) return group;
  const Integer count = bar->ButtonCount();
  Integer at = -1;
  for (Integer i = 0; i < count; ++i)
    if (bar->Buttons(i) == this) at = i;
  auto member = [](TToolButton* b) { return b->FGrouped && b->FStyle == tbsCheck; };
  Integer first = at;
  while (first > 0 && member(bar->Buttons(first - 1))) --first;
  for (Integer i = first; i < count && member(bar->Buttons(i)); ++i) group.push_back(bar->Buttons(i));
  return group;
}

void TToolButton::SetDown(bool value) {
  if (FStyle != tbsCheck) value = false;
  if (value == FDown) return;
  FDown = value;
  if (value)
    for (TToolButton* other : Group())
      if (other != this && other->FDown) {
        other->FDown = false;
        other->UpdateButton();
      }
  UpdateButton();
}

void TToolButton::SetGrouped(bool value) {
  if (FGrouped == value) return;
  FGrouped = value;
  // Joining a group keeps only the first down button of it down.
  if (value && FDown)
    for (TToolButton* other : Group())
      if (other != this && other->FDown) {
        FDown = false;
        break;
      }
  UpdateButton();
}

void TToolButton::SetImageIndex(Integer index) {
  if (FImageIndex == index) return;
  FImageIndex = index;
  UpdateButton();
}

void TToolButton::SetDropdownMenu(TPopupMenu* menu) {
  if (FDropdownMenu == menu) return;
  if (FDropdownMenu != nullptr) FDropdownMenu->RemoveFreeNotification(this);
  FDropdownMenu = menu;
  if (FDropdownMenu != nullptr) FDropdownMenu->FreeNotification(this);
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FDropdownMenu) FDropdownMenu = nullptr;
}

bool TToolButton::CheckMenuDropdown() {
  if (FDropdownMenu == nullptr) return false;
  FDropdownMenu->SetPopupComponent(this);
  const TPoint at = ClientToScreen(Point(0, FHeight));
  FDropdownMenu->Popup(at.X, at.Y);
  return true;
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || FStyle != tbsDropDown || Host() == nullptr) return;
  QWidget* w = Host()->Widget();
  const int arrow = w->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, w);
  if (x >= FWidth - arrow) CheckMenuDropdown();
}

void TToolButton::Click() {
  if (IsSeparatorStyle(FStyle)) return;
  if (FStyle == tbsCheck) {
    const std::vector<TToolButton*> group = Group();
    bool allowAllUp = FAllowAllUp;
    for (TToolButton* b : group) allowAllUp = allowAllUp || b->FAllowAllUp;
    if (!FDown) SetDown(true);
    else if (group.empty() || allowAllUp) SetDown(false);
    else UpdateButton();  // stays down: undo Qt's own toggle
  }
  TWinControl::Click();
}

void TToolButton::ActionChange(TObject* sender, bool checkDefaults) {
  TWinControl::ActionChange(sender, checkDefaults);
  if (auto* action = dynamic_cast<TCustomAction*>(sender)) {
    if (!checkDefaults || !FDown) SetDown(action->Checked());
    if (!checkDefaults || FImageIndex == -1) SetImageIndex(action->ImageIndex());
  }
}

TControlActionLinkClass TToolButton::GetActionLinkClass() const { return &TToolButtonActionLink::Create; }

std::unique_ptr<IHostWidget> TToolButton::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QToolButton>>(this, parentWidget);
}

void TToolButton::InitWidget() {
  auto* button = static_cast<QToolButton*>(Widget());
  button->setFocusPolicy(Qt::NoFocus);
  QObject::connect(button, &QToolButton::clicked, [this] { RunGuarded([&] { Click(); }); });
  UpdateButton();
}

void TToolButton::TextToWidget() { UpdateButton(); }

void TToolButton::EnabledChanged() {
  TWinControl::EnabledChanged();
  UpdateButton();
}

void TToolButton::VisibleChanged() {
  TWinControl::VisibleChanged();
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::UpdateButton() {
  if (Host() == nullptr) return;
  auto* button = static_cast<QToolButton*>(Host()->Widget());
  const bool separator = IsSeparatorStyle(FStyle);
  TToolBar* bar = ToolBar();
  const bool showCaption = !separator && (bar == nullptr || bar->ShowCaptions());
  TCustomImageList* images = bar != nullptr ? bar->Images() : nullptr;
  QIcon icon;
  if (!separator && images != nullptr && FImageIndex >= 0 && FImageIndex < images->Count()) {
    TBitmap picture;
    images->GetBitmap(FImageIndex, &picture);
    icon = QIcon(QPixmap::fromImage(picture.Handle()->Image()));
    button->setIconSize(QSize(images->Width(), images->Height()));
  }
  button->setIcon(icon);
  button->setText(showCaption ? ToQString(WidgetCaption()) : QString());
  if (!icon.isNull() && showCaption) button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  else if (!icon.isNull()) button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  else button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // Qt toggles a checkable button on its own before the click arrives; the state shown is ours.
  button->setCheckable(FStyle == tbsCheck);
  button->setChecked(FDown);
  button->setPopupMode(FStyle == tbsDropDown ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
  button->setAutoRaise(bar == nullptr || bar->Flat() || separator);
  button->setEnabled(FEnabled && !separator);
}

// ----- TToolBar -----

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
  FAlign = alTop;
  FWidth = 150;
  FHeight = 29;
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks;
}

TToolBar::~TToolBar() {
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
}

Integer TToolBar::ButtonCount() const {
  Integer n = 0;
  for (TControl* c : FControls)
    if (dynamic_cast<TToolButton*>(c) != nullptr) ++n;
  return n;
}

TToolButton* TToolBar::Buttons(Integer index) const {
  Integer left = index;
  for (TControl* c : FControls)
    if (auto* b = dynamic_cast<TToolButton*>(c); b != nullptr && left-- == 0) return b;
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TToolBar::SetButtonWidth(Integer value) {
  if (value == FButtonWidth || value <= 0) return;
  FButtonWidth = value;
  ArrangeButtons();
}

void TToolBar::SetButtonHeight(Integer value) {
  if (value == FButtonHeight || value <= 0) return;
  FButtonHeight = value;
  ArrangeButtons();
}

void TToolBar::SetShowCaptions(bool value) {
  if (FShowCaptions == value) return;
  FShowCaptions = value;
  ArrangeButtons();
}

void TToolBar::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  ArrangeButtons();
}

void TToolBar::SetImages(TCustomImageList* images) {
  if (FImages == images) return;
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
  FImages = images;
  if (FImages != nullptr) FImages->FreeNotification(this);
  ArrangeButtons();
}

void TToolBar::SetWrapable(bool value) {
  if (FWrapable == value) return;
  FWrapable = value;
  ArrangeButtons();
}

void TToolBar::BoundsChanged() {
  TWinControl::BoundsChanged();
  ArrangeButtons();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FImages) {
    FImages = nullptr;
    ArrangeButtons();
  }
}

void TToolBar::ArrangeButtons() {
  const Integer right = ClientWidth();
  Integer x = 0;
  Integer y = 0;
  for (TControl* c : FControls) {
    auto* button = dynamic_cast<TToolButton*>(c);
    if (button == nullptr || !button->Visible()) continue;
    const Integer width = IsSeparatorStyle(button->Style()) ? button->Width() : FButtonWidth;
    // A row holds at least one button, however narrow the bar.
    if (FWrapable && x > 0 && x + width > right) {
      x = 0;
      y += FButtonHeight;
    }
    if (button->Left() != x || button->Top() != y || button->Width() != width || button->Height() != FButtonHeight)
      button->SetBounds(x, y, width, FButtonHeight);
    x += width;
    button->UpdateButton();
  }
}

std::unique_ptr<IHostWidget> TToolBar::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QToolBar>>(this, parentWidget);
}

void TToolBar::InitWidget() {
  auto* bar = static_cast<QToolBar*>(Widget());
  bar->setMovable(false);
  bar->setFloatable(false);
}

// ----- TToolButtonActionLink -----

bool TToolButtonActionLink::IsCheckedLinked() {
  auto* button = dynamic_cast<TToolButton*>(FClient);
  return TControlActionLink::IsCheckedLinked() && button != nullptr && button->Down() == CustomAction()->Checked();
}

bool TToolButtonActionLink::IsImageIndexLinked() {
  auto* button = dynamic_cast<TToolButton*>(FClient);
  return TControlActionLink::IsImageIndexLinked() && button != nullptr &&
         button->ImageIndex() == CustomAction()->ImageIndex();
}

void TToolButtonActionLink::SetImageIndex(Integer value) {
  if (!IsImageIndexLinked()) return;
  if (auto* button = dynamic_cast<TToolButton*>(FClient)) button->SetImageIndex(value);
}

void TToolButtonActionLink::SetChecked(bool value) {
  if (!IsCheckedLinked()) return;
  if (auto* button = dynamic_cast<TToolButton*>(FClient)) button->SetDown(value);
}

std::unique_ptr<TControlActionLink> TToolButtonActionLink::Create(TControl* client) {
  return std::make_unique<TToolButtonActionLink>(client);
}

// ----- registration -----

void RegisterToolBarClasses() {
  RegisterEnum<TToolButtonStyle>("TToolButtonStyle", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"});
  RegisterClassType<TToolBar, TWinControl>("TToolBar")
      .Prop("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight).Default(22)
      .Prop("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth).Default(23)
      .Prop("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(false)
      .Prop("Images", &TToolBar::Images, &TToolBar::SetImages)
      .Prop("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(false)
      .Prop("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(true);
  RegisterClassType<TToolButton, TWinControl>("TToolButton")
      .Prop("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp).Default(false)
      .Prop("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu)
      .Prop("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(false)
      .Prop("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1)
      .Prop("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton)
      .Prop("Down", &TToolButton::Down, &TToolButton::SetDown).Default(false);
}

}  // namespace orv
