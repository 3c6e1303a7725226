// The data-set navigator: a row of buttons that move through, edit, post, cancel, delete and
// refresh the records of a data source, enabled by the data set's state.
#pragma once
#include <array>
#include "platform/db/DataSource.h"
#include "platform/forms/Controls.h"

class QToolButton;

namespace orv {

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
using TNavButtonSet = TSet<TNavigateBtn>;
inline constexpr int kNavButtonCount = 10;

class TDBNavigator;

class TNavDataLink : public TDataLink {
 public:
  explicit TNavDataLink(TDBNavigator& navigator) : FNavigator(navigator) {}

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer distance) override;

 private:
  TDBNavigator& FNavigator;
};

class TDBNavigator : public TWinControl {
 public:
  explicit TDBNavigator(TComponent* owner);
  ~TDBNavigator() override;

  TDataSource* DataSource() const { return FDataLink.DataSource(); }
  void SetDataSource(TDataSource* source);
  TNavButtonSet VisibleButtons() const { return FVisibleButtons; }
  void SetVisibleButtons(TNavButtonSet value);
  // Asks "Delete record?" before deleting.
  bool ConfirmDelete() const { return FConfirmDelete; }
  void SetConfirmDelete(bool value) { FConfirmDelete = value; }

  // Does what the button does (an insert on nbInsert, ...); BeforeAction runs first and OnClick
  // after. Nothing happens for a disabled button.
  void BtnClick(TNavigateBtn button);
  bool ButtonEnabled(TNavigateBtn button) const { return FEnabled[button]; }
  QToolButton* Button(TNavigateBtn button) const { return FButtons[button]; }

  TEvent<TObject*, TNavigateBtn> BeforeAction;
  TEvent<TObject*, TNavigateBtn> OnClick;

  void Notification(TComponent* component, TOperation operation) override;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;

 private:
  friend class TNavDataLink;
  void UpdateButtons();
  TNavDataLink FDataLink{*this};
  TNavButtonSet FVisibleButtons{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};
  bool FConfirmDelete = true;
  std::array<bool, kNavButtonCount> FEnabled{};
  std::array<QToolButton*, kNavButtonCount> FButtons{};
};

}  // namespace orv
