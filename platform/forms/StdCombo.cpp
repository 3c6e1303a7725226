// The combo box over QComboBox: an item list kept in step with the widget, the item index, and the
// change event for a choice from the list or typed text.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include "platform/forms/QtText.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner),
      FItems(std::make_unique<TStringList>()),
      FItemsProp(std::make_unique<TStringsProperty>(
          [this] {
            std::vector<AnsiString> v;
            for (Integer i = 0; i < FItems->Count(); ++i) v.push_back(FItems->Get(i));
            return v;
          },
          [this](const std::vector<AnsiString>& lines) {
            FItems->Clear();
            for (const auto& l : lines) FItems->Add(l);
          })) {
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FItems->OnChange = [this] { SyncItems(); };
}

TComboBox::~TComboBox() { FItems->OnChange = nullptr; }

std::unique_ptr<IHostWidget> TComboBox::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QComboBox>>(this, parentWidget);
}

QComboBox* TComboBox::Combo() const {
  return Host() != nullptr ? static_cast<QComboBox*>(Host()->Widget()) : nullptr;
}

void TComboBox::InitWidget() {
  QComboBox* combo = Combo();
  combo->setEditable(FStyle == csDropDown || FStyle == csSimple);
  combo->setMaxVisibleItems(FDropDownCount > 0 ? FDropDownCount : 8);
  combo->setInsertPolicy(QComboBox::NoInsert);
  SyncItems();
  QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), [this](int index) { RunGuarded([&] {
    FItemIndex = index;
    OnSelect(this);
    if (!ComponentState().Contains(csLoading)) OnChange(this);
  }); });
  if (QLineEdit* edit = combo->lineEdit()) {
    QObject::connect(edit, &QLineEdit::textEdited, [this](const QString&) { RunGuarded([&] {
      FItemIndex = -1;
      if (!ComponentState().Contains(csLoading)) OnChange(this);
    }); });
  }
}

void TComboBox::SyncItems() {
  QComboBox* combo = Combo();
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  if (combo == nullptr) return;
  const QSignalBlocker block(combo);
  const QString editText = combo->isEditable() ? combo->currentText() : QString();
  combo->clear();
  for (Integer i = 0; i < FItems->Count(); ++i) combo->addItem(ToQString(FItems->Get(i)));
  combo->setCurrentIndex(FItemIndex);
  if (combo->isEditable() && FItemIndex < 0) combo->setEditText(editText);
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (FStyle == style) return;
  FStyle = style;
  if (QComboBox* combo = Combo()) {
    const QSignalBlocker block(combo);
    combo->setEditable(style == csDropDown || style == csSimple);
  }
}

Integer TComboBox::ItemIndex() const {
  QComboBox* combo = Combo();
  if (combo == nullptr) return FItemIndex;
  if (combo->isEditable() && FItemIndex < 0) return -1;
  return combo->currentIndex();
}

void TComboBox::SetItemIndex(Integer index) {
  if (index < -1 || index >= FItems->Count()) index = -1;
  FItemIndex = index;
  if (QComboBox* combo = Combo()) {
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
    if (index < 0 && combo->isEditable()) combo->setEditText(QString());
  }
}

void TComboBox::SetSorted(bool value) {
  FSorted = value;
  FItems->SetSorted(value);
}

void TComboBox::Clear() {
  FItemIndex = -1;
  FItems->Clear();
  SetText("");
}

bool TComboBox::DroppedDown() const {
  QComboBox* combo = Combo();
  return combo != nullptr && combo->view() != nullptr && combo->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool value) {
  HandleNeeded();
  if (value) {
    OnDropDown(this);
    Combo()->showPopup();
  } else {
    Combo()->hidePopup();
  }
}

void TComboBox::TextToWidget() {
  QComboBox* combo = Combo();
  FItemIndex = FItems->IndexOf(FText);
  if (combo == nullptr) return;
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(FItemIndex);
  if (combo->isEditable()) combo->setEditText(ToQString(FText));
}

AnsiString TComboBox::TextFromWidget() const {
  QComboBox* combo = Combo();
  if (combo == nullptr) {
    if (FStyle == csDropDownList) return FItemIndex >= 0 ? FItems->Get(FItemIndex) : AnsiString();
    return FText;
  }
  return FromQString(combo->currentText());
}

bool TComboBox::WantsKey(Word key) const {
  if ((key == VK_RETURN || key == VK_ESCAPE) && DroppedDown()) return true;
  return TWinControl::WantsKey(key);
}

}  // namespace orv
