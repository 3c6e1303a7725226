// The data source, grid and navigator in the property registry, so window descriptions can hold
// them by class name.
#include "platform/classes/TypeInfo.h"
#include "platform/forms/DBCtrls.h"
#include "platform/forms/DBGrids.h"
#include "platform/forms/Forms.h"

namespace orv {

void RegisterDBControls() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterFormsClasses();
  RegisterEnum<TNavigateBtn>("TNavigateBtn", {"nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete",
                                              "nbEdit", "nbPost", "nbCancel", "nbRefresh"});
  RegisterClassType<TDataSet, TComponent>("TDataSet");
  RegisterClassType<TDataSource, TComponent>("TDataSource")
      .Prop("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true)
      .Prop("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
      .Prop("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
  RegisterClassType<TDBGrid, TWinControl>("TDBGrid")
      .Prop("DataSource", &TDBGrid::DataSource, &TDBGrid::SetDataSource)
      .Prop("ReadOnly", &TDBGrid::ReadOnly, &TDBGrid::SetReadOnly).Default(false);
  RegisterClassType<TDBNavigator, TWinControl>("TDBNavigator")
      .Prop("ConfirmDelete", &TDBNavigator::ConfirmDelete, &TDBNavigator::SetConfirmDelete).Default(true)
      .Prop("DataSource", &TDBNavigator::DataSource, &TDBNavigator::SetDataSource)
      .Prop("VisibleButtons", &TDBNavigator::VisibleButtons, &TDBNavigator::SetVisibleButtons)
      .Prop("BeforeAction", &TDBNavigator::BeforeAction, &TDBNavigator::BeforeAction)
      .Prop("OnClick", &TDBNavigator::OnClick, &TDBNavigator::OnClick);
}

}  // namespace orv
