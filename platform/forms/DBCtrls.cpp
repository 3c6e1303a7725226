// The navigator's buttons, their enabled states from the data set, and what each one does.
#include "platform/forms/DBCtrls.h"
#include <QHBoxLayout>
#include <QToolButton>
#include <QWidget>
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"

namespace orv {
namespace {

struct TButtonLook {
  const char* Name;
  const char* Text;
  const char* Hint;
};
const TButtonLook kLooks[kNavButtonCount] = {
    {"First", "|<", "First record"}, {"Prior", "<", "Prior record"}, {"Next", ">", "Next record"},
    {"Last", ">|", "Last record"},   {"Insert", "+", "Insert record"}, {"Delete", "-", "Delete record"},
    {"Edit", "^", "Edit record"},    {"Post", "OK", "Post edit"},     {"Cancel", "X", "Cancel edit"},
    {"Refresh", "R", "Refresh data"}};

}  // namespace

void TNavDataLink::ActiveChanged() { FNavigator.UpdateButtons(); }
void TNavDataLink::EditingChanged() { FNavigator.UpdateButtons(); }
void TNavDataLink::DataSetChanged() { FNavigator.UpdateButtons(); }
void TNavDataLink::DataSetScrolled(Integer) { FNavigator.UpdateButtons(); }

TDBNavigator::TDBNavigator(TComponent* owner) : TWinControl(owner) {
  FWidth = 240;
  FHeight = 25;
}

TDBNavigator::~TDBNavigator() {
  FDataLink.SetDataSource(nullptr);
}

void TDBNavigator::SetDataSource(TDataSource* source) {
  if (source == DataSource()) return;
  if (DataSource()) DataSource()->RemoveFreeNotification(this);
  FDataLink.SetDataSource(source);
  if (source) source->FreeNotification(this);
  UpdateButtons();
}

void TDBNavigator::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == DataSource()) {
    FDataLink.SetDataSource(nullptr);
    UpdateButtons();
  }
}

void TDBNavigator::SetVisibleButtons(TNavButtonSet value) {
  FVisibleButtons = value;
  for (int i = 0; i < kNavButtonCount; ++i)
    if (FButtons[i]) FButtons[i]->setVisible(value.Contains(static_cast<TNavigateBtn>(i)));
}

std::unique_ptr<IHostWidget> TDBNavigator::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QWidget>>(this, parentWidget);
}

void TDBNavigator::InitWidget() {
  QWidget* panel = Widget();
  auto* layout = new QHBoxLayout(panel);  // owned by the panel, as are the buttons
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = 0; i < kNavButtonCount; ++i) {
    auto* b = new QToolButton(panel);
    b->setObjectName(kLooks[i].Name);
    b->setText(kLooks[i].Text);
    b->setToolTip(kLooks[i].Hint);
    b->setVisible(FVisibleButtons.Contains(static_cast<TNavigateBtn>(i)));
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(b);
    QObject::connect(b, &QToolButton::clicked, b, [this, i] {
      try {
        BtnClick(static_cast<TNavigateBtn>(i));
      } catch (const std::exception& e) {
        Application->HandleException(e);
      }
    });
    FButtons[i] = b;
  }
  UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
  TDataSet* ds = FDataLink.Active() ? FDataLink.DataSet() : nullptr;
  FEnabled.fill(false);
  if (ds && Enabled()) {
    bool editing = FDataLink.Editing();
    bool canModify = ds->CanModify() && !FDataLink.ReadOnly();
    bool upEnabled = !ds->Bof();
    bool downEnabled = !ds->Eof();
    FEnabled[nbFirst] = upEnabled;
    FEnabled[nbPrior] = upEnabled;
    FEnabled[nbNext] = downEnabled;
    FEnabled[nbLast] = downEnabled;
    FEnabled[nbInsert] = canModify;
    FEnabled[nbDelete] = canModify && !ds->IsEmpty();
    FEnabled[nbEdit] = canModify && !editing;
    FEnabled[nbPost] = canModify && editing;
    FEnabled[nbCancel] = canModify && editing;
    FEnabled[nbRefresh] = true;
  }
  for (int i = 0; i < kNavButtonCount; ++i)
    if (FButtons[i]) FButtons[i]->setEnabled(FEnabled[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  TDataSet* ds = FDataLink.DataSet();
  if (!ds || !FEnabled[button]) return;
  if (BeforeAction) BeforeAction(this, button);
  switch (button) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    case nbRefresh: ds->Refresh(); break;
    case nbDelete:
      if (!FConfirmDelete || MessageDlg("Delete record?", mtConfirmation, {mbOK, mbCancel}) == mrOk) ds->Delete();
      break;
  }
  if (OnClick) OnClick(this, button);
}

}  // namespace orv
