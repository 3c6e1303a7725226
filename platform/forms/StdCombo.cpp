// The combo box over QComboBox: an item list kept in step with the widget, the item index, the
// change event for a choice from the list or typed text, and the owner-drawn styles.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include "platform/forms/EditCommands.h"
#include "platform/forms/QtText.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

// The popup list's rows of an owner-drawn combo box: painted and measured by the control.
class TComboItemDelegate : public QStyledItemDelegate {
 public:
  TComboItemDelegate(TComboBox* control, QObject* parent) : QStyledItemDelegate(parent), FControl(control) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    UINT state = 0;
    if (option.state & QStyle::State_Selected) state |= ODS_SELECTED;
    if (option.state & QStyle::State_HasFocus) state |= ODS_FOCUS;
    if (!(option.state & QStyle::State_Enabled)) state |= ODS_DISABLED;
    const QRect r = option.rect;
    RunGuarded([&] {
      FControl->DrawItemOn(*painter, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1), index.row(), state);
    });
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    Integer height = FControl->ItemHeight();
    if (FControl->Style() == csOwnerDrawVariable) RunGuarded([&] { FControl->MeasureItem(index.row(), height); });
    return QSize(option.rect.width(), std::max(height, 1));
  }

 private:
  TComboBox* FControl;
};

namespace {

// The combo's widget: for the owner-drawn styles it paints only its frame and arrow, and the
// control paints the selection field.
class TComboWidget : public THostWidget<QComboBox> {
 public:
  TComboWidget(TComboBox* control, QWidget* parent) : THostWidget<QComboBox>(control, parent), FControl(control) {}
  void SetSink(TWidgetSink* sink) override {
    THostWidget<QComboBox>::SetSink(sink);
    if (sink == nullptr) FControl = nullptr;
  }
  QRect EditFieldRect() const {
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (FControl == nullptr || !FControl->OwnerDrawn()) {
      QComboBox::paintEvent(event);
      return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
  }

 private:
  TComboBox* FControl;
};

}  // namespace

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
          })),
      FCanvas(std::make_unique<TCanvas>()) {
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FItems->OnChange = [this] { SyncItems(); };
}

TComboBox::~TComboBox() { FItems->OnChange = nullptr; }

std::unique_ptr<IHostWidget> TComboBox::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<TComboWidget>(this, parentWidget);
}

QComboBox* TComboBox::Combo() const {
  return Host() != nullptr ? static_cast<QComboBox*>(Host()->Widget()) : nullptr;
}

void TComboBox::InitWidget() {
  QComboBox* combo = Combo();
  combo->setEditable(FStyle == csDropDown || FStyle == csSimple);
  combo->setMaxVisibleItems(FDropDownCount > 0 ? FDropDownCount : 8);
  combo->setInsertPolicy(QComboBox::NoInsert);
  ApplyOwnerDraw();
  SyncItems();
  // A text given before the widget existed, naming no item, is what the new edit field shows.
  if (combo->isEditable() && FItemIndex < 0) {
    const QSignalBlocker block(combo);
    combo->setEditText(ToQString(FText));
  }
  QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), [this](int index) { RunGuarded([&] {
    FItemIndex = index;
    OnSelect(this);
    if (!ComponentState().Contains(csLoading)) Change();
  }); });
  // The edit field gets the mouse itself, past the control's own route.
  RouteInnerContextMenu(this, combo->lineEdit());
  if (QLineEdit* edit = combo->lineEdit()) {
    QObject::connect(edit, &QLineEdit::textEdited, [this](const QString&) { RunGuarded([&] {
      FItemIndex = -1;
      if (!ComponentState().Contains(csLoading)) Change();
    }); });
  }
}

void TComboBox::Change() { OnChange(this); }

void TComboBox::ApplyOwnerDraw() {
  QComboBox* combo = Combo();
  if (combo == nullptr) return;
  const bool ownerDraw = OwnerDrawn();
  if (ownerDraw == (dynamic_cast<TComboItemDelegate*>(combo->itemDelegate()) != nullptr)) return;
  // The widget owns the delegates it is given (as their parent); the one replaced stays its child
  // until the widget goes.
  if (ownerDraw) combo->setItemDelegate(new TComboItemDelegate(this, combo));
  else combo->setItemDelegate(new QStyledItemDelegate(combo));
  combo->update();
}

void TComboBox::SetItemHeight(Integer value) {
  FItemHeight = value;
  if (QComboBox* combo = Combo(); combo != nullptr && OwnerDrawn()) combo->update();
}

void TComboBox::MessageHandler(TMessage& message) {
  if (message.Msg == CN_DRAWITEM) {
    CNDrawItem(message);
    return;
  }
  TWinControl::MessageHandler(message);
}

void TComboBox::CNDrawItem(TMessage& message) {
  auto* dis = LParamPtr<DRAWITEMSTRUCT>(message.LParam);
  if (dis == nullptr || dis->hDC == nullptr) return;
  TOwnerDrawState state;
  const std::pair<UINT, TOwnerDrawStateItem> bits[] = {
    {ODS_SELECTED, odSelected}, {ODS_GRAYED, odGrayed}, {ODS_DISABLED, odDisabled},
    {ODS_CHECKED, odChecked}, {ODS_FOCUS, odFocused}, {ODS_DEFAULT, odDefault},
    {ODS_HOTLIGHT, odHotLight}, {ODS_INACTIVE, odInactive}, {ODS_NOACCEL, odNoAccel},
    {ODS_NOFOCUSRECT, odNoFocusRect}, {ODS_COMBOBOXEDIT, odComboBoxEdit}};
  for (const auto& [bit, item] : bits)
    if (dis->itemState & bit) state.Include(item);
  FCanvas->SetHandle(dis->hDC);
  struct TDetach {
    TCanvas& Canvas;
    ~TDetach() { Canvas.SetHandle(nullptr); }
  } detach{*FCanvas};
  FCanvas->Font()->Assign(Font());
  FCanvas->Brush()->SetColor(FColor);
  if (state.Contains(odSelected)) {
    FCanvas->Brush()->SetColor(clHighlight);
    FCanvas->Font()->SetColor(clHighlightText);
  }
  if (dis->itemID >= 0 && dis->itemID < FItems->Count()) DrawItem(dis->itemID, dis->rcItem, state);
  else FCanvas->FillRect(dis->rcItem);
  if (state.Contains(odFocused)) FCanvas->DrawFocusRect(dis->rcItem);
  message.Result = 1;
}

void TComboBox::DrawItem(Integer index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  FCanvas->FillRect(rect);
  FCanvas->TextOut(rect.Left + 2, rect.Top, FItems->Get(index));
}

void TComboBox::MeasureItem(Integer index, Integer& height) { OnMeasureItem(this, index, height); }

void TComboBox::DrawItemOn(QPainter& painter, const TRect& rect, Integer index, UINT itemState) {
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_COMBOBOX;
  dis.itemID = index;
  dis.itemState = itemState;
  dis.hwndItem = FHandle;
  dis.rcItem = rect;
  dis.hDC = CreatePainterDC(&painter);
  struct TRelease {
    HDC Dc;
    ~TRelease() { DeleteDC(Dc); }
  } release{dis.hDC};
  Perform(CN_DRAWITEM, 0, PtrLParam(&dis));
}

void TComboBox::PaintWindow(QPainter& painter) {
  if (!OwnerDrawn()) return;
  auto* widget = dynamic_cast<TComboWidget*>(Combo());
  if (widget == nullptr) return;
  const QRect r = widget->EditFieldRect();
  UINT state = ODS_COMBOBOXEDIT;
  if (widget->hasFocus()) state |= ODS_SELECTED | ODS_FOCUS;
  if (!FEnabled) state |= ODS_DISABLED;
  DrawItemOn(painter, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1), ItemIndex(), state);
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
    RouteInnerContextMenu(this, combo->lineEdit());
    ApplyOwnerDraw();
  }
}

LRESULT TComboBox::DefWndProc(TMessage& message) {
  QLineEdit* edit = Combo() != nullptr ? Combo()->lineEdit() : nullptr;
  if (edit == nullptr) return TWinControl::DefWndProc(message);
  TMessage m = message;
  if (EditDefaultHandling(*this, edit, m)) return m.Result;
  return TWinControl::DefWndProc(message);
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
  // The text is the chosen item's, so a window made later shows the same choice.
  FText = index >= 0 ? FItems->Get(index) : AnsiString();
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
  // A choice that shows this text stays (two items may have the same text).
  if (FItemIndex < 0 || FItemIndex >= FItems->Count() || FItems->Get(FItemIndex) != FText)
    FItemIndex = FItems->IndexOf(FText);
  if (combo == nullptr) return;
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(FItemIndex);
  if (combo->isEditable()) combo->setEditText(ToQString(FText));
}

AnsiString TComboBox::TextFromWidget() const {
  QComboBox* combo = Combo();
  if (combo == nullptr) {
    if (FStyle != csDropDown && FStyle != csSimple) return FItemIndex >= 0 ? FItems->Get(FItemIndex) : AnsiString();
    return FText;
  }
  return FromQString(combo->currentText());
}

bool TComboBox::WantsKey(Word key) const {
  if ((key == VK_RETURN || key == VK_ESCAPE) && DroppedDown()) return true;
  return TWinControl::WantsKey(key);
}

}  // namespace orv
