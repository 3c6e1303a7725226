// Tool bars: TToolBar over a Qt tool bar with its TToolButton children over Qt tool buttons
// (caption, image from the bar's image list, Down, Grouped, the button styles), and the tool
// button's action link.
#pragma once
#include <vector>
#include "platform/forms/ActionLinks.h"
#include "platform/forms/Controls.h"

namespace orv {

class TCustomImageList;
class TPopupMenu;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// A button of a tool bar. A check button toggles Down when clicked; the grouped check buttons next
// to each other form a group of which at most one is down (with AllowAllUp none need be). A click
// on a separator does nothing. Setting Down by code runs no OnClick.
class TToolButton : public TWinControl {
 public:
  explicit TToolButton(TComponent* owner);
  ~TToolButton() override;

  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle style);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value) { FAllowAllUp = value; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer index);
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* menu);
  // The bar the button sits on, or nullptr.
  TToolBar* ToolBar() const;
  // Pops the drop-down menu up below the button; false when it has none.
  bool CheckMenuDropdown();
  // The picture the widget shows, refreshed from the bar's images and captions.
  void UpdateButton();

  void Click() override;
  void SetParent(TWinControl* parent) override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  TControlActionLinkClass GetActionLinkClass() const override;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void TextToWidget() override;
  void EnabledChanged() override;
  // A press on a drop-down button's arrow pops its menu up.
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void VisibleChanged() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The grouped check buttons next to this one on the bar, this one included.
  std::vector<TToolButton*> Group() const;
  void Rearrange();

  TToolButtonStyle FStyle = tbsButton;
  bool FDown = false;
  bool FGrouped = false;
  bool FAllowAllUp = false;
  Integer FImageIndex = -1;
  TPopupMenu* FDropdownMenu = nullptr;
};

// Lays its buttons out left to right in the order they were put on it, each ButtonWidth wide
// (a separator keeps its own width) and ButtonHeight high; a Wrapable bar starts a new row of
// ButtonHeight for a button that would reach past its right edge, and lays the buttons out again
// whenever it is resized. Aligned to the top by default.
class TToolBar : public TWinControl {
 public:
  explicit TToolBar(TComponent* owner);
  ~TToolBar() override;

  Integer ButtonCount() const;
  TToolButton* Buttons(Integer index) const;
  Integer ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(Integer value);
  Integer ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(Integer value);
  // Captions are shown only when set; without them a button shows its image alone.
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* images);
  // Places the buttons and refreshes what they show.
  void ArrangeButtons();

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void BoundsChanged() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  Integer FButtonWidth = 23;
  Integer FButtonHeight = 22;
  bool FShowCaptions = false;
  bool FFlat = false;
  bool FWrapable = true;
  TCustomImageList* FImages = nullptr;
};

// The tool button's link: besides a control's properties the button's Down follows the action's
// Checked, and its ImageIndex the action's, while it shows them.
class TToolButtonActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
  bool IsCheckedLinked() override;
  bool IsImageIndexLinked() override;
  void SetChecked(bool value) override;
  void SetImageIndex(Integer value) override;
  static std::unique_ptr<TControlActionLink> Create(TControl* client);
};

void RegisterToolBarClasses();

}  // namespace orv
