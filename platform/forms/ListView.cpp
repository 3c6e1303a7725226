// The list view in report style over QTreeWidget: columns, rows with sub-items kept in step with
// the widget, single or multiple selection, and the change event for each row whose selection
// changed. Mouse messages of the rows' area take the message route before Qt handles them.
#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTreeWidget>
#include "platform/forms/ComCtrls.h"
#include "platform/forms/QtInput.h"
#include "platform/forms/QtText.h"
#include "platform/win/MessageQueue.h"

namespace orv {
namespace {

// Turns the mouse events of the rows' area into messages of the list view; Qt's own handling
// follows (the event is not consumed).
class TViewportFilter : public QObject {
 public:
  explicit TViewportFilter(TListView* view) : FView(view) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    UINT msg = 0;
    auto* me = dynamic_cast<QMouseEvent*>(event);
    if (me == nullptr) return false;
    const int base = me->button() == Qt::LeftButton ? 0 : (me->button() == Qt::RightButton ? 3 : 6);
    switch (event->type()) {
      case QEvent::MouseButtonPress: msg = WM_LBUTTONDOWN + base; break;
      case QEvent::MouseButtonRelease: msg = WM_LBUTTONUP + base; break;
      case QEvent::MouseButtonDblClick: msg = WM_LBUTTONDBLCLK + base; break;
      default: return false;
    }
    SyncModifierState(me->modifiers());
    auto* viewport = static_cast<QWidget*>(watched);
    const QPoint p = viewport->mapTo(FView->Widget(), me->position().toPoint());
    MSG m;
    m.hwnd = FView->Handle();
    m.message = msg;
    m.wParam = QtMouseKeys(me->buttons(), me->modifiers());
    m.lParam = PointToLParam(p.x(), p.y());
    const QPoint g = me->globalPosition().toPoint();
    m.pt = POINT{g.x(), g.y()};
    SetCursorPosState(m.pt);
    DeliverInputMessage(m);
    return false;
  }

 private:
  TListView* FView;
};

}  // namespace

// ----- columns -----

TListColumn::TListColumn(TCollection* collection) : TCollectionItem(collection) {}

void TListColumn::SetCaption(const AnsiString& caption) { FCaption = caption; Changed(false); }
void TListColumn::SetWidth(Integer width) { FWidth = width; Changed(false); }
void TListColumn::SetAlignment(TAlignment alignment) { FAlignment = alignment; Changed(false); }

void TListColumn::Assign(TPersistent* source) {
  if (auto* c = dynamic_cast<TListColumn*>(source)) {
    FCaption = c->FCaption;
    FWidth = c->FWidth;
    FAlignment = c->FAlignment;
    FAutoSize = c->FAutoSize;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(source);
}

TListColumns::TListColumns(TListView* owner)
    : TCollection(owner, TCollection::ItemsOf<TListColumn>()), FListView(owner) {}

void TListColumns::Update(TCollectionItem* /*item*/) { FListView->SyncColumns(); }

// ----- items -----

TListItem::TListItem(TListItems& owner) : FOwner(owner), FSubItems(std::make_unique<TStringList>()) {
  FSubItems->OnChange = [this] { UpdateRow(); };
}

TListItem::~TListItem() { FSubItems->OnChange = nullptr; }

TListView* TListItem::ListView() const { return &FOwner.FOwner; }

Integer TListItem::Index() const { return FOwner.IndexOf(this); }

void TListItem::SetCaption(const AnsiString& caption) {
  FCaption = caption;
  UpdateRow();
}

void TListItem::UpdateRow() {
  QTreeWidget* tree = FOwner.FOwner.Tree();
  if (tree == nullptr || FOwner.FOwner.FSyncing) return;
  QTreeWidgetItem* row = tree->topLevelItem(Index());
  if (row == nullptr) return;
  row->setText(0, ToQString(FCaption));
  const int columns = std::max(tree->columnCount(), 1);
  for (int c = 1; c < columns; ++c)
    row->setText(c, c - 1 < FSubItems->Count() ? ToQString(FSubItems->Get(c - 1)) : QString());
}

bool TListItem::Selected() const {
  QTreeWidget* tree = FOwner.FOwner.Tree();
  if (tree == nullptr) return FSelected;
  QTreeWidgetItem* row = tree->topLevelItem(Index());
  return row != nullptr && row->isSelected();
}

void TListItem::SetSelected(bool value) {
  TListView& view = FOwner.FOwner;
  // With a widget, the selection-changed signal records the new state and reports it.
  if (QTreeWidget* tree = view.Tree()) {
    if (QTreeWidgetItem* row = tree->topLevelItem(Index())) {
      if (value && !view.FMultiSelect) tree->clearSelection();
      row->setSelected(value);
    }
    return;
  }
  FSelected = value;
  if (value && !view.FMultiSelect)
    for (auto& item : FOwner.FItems)
      if (item.get() != this) item->FSelected = false;
}

bool TListItem::Focused() const {
  QTreeWidget* tree = FOwner.FOwner.Tree();
  return tree != nullptr && tree->currentItem() == tree->topLevelItem(Index());
}

void TListItem::SetFocused(bool value) {
  QTreeWidget* tree = FOwner.FOwner.Tree();
  if (tree == nullptr) return;
  if (value) tree->setCurrentItem(tree->topLevelItem(Index()), 0, QItemSelectionModel::NoUpdate);
  else if (Focused()) tree->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
}

void TListItem::Delete() { FOwner.Delete(Index()); }

void TListItem::MakeVisible(bool /*partialOk*/) {
  QTreeWidget* tree = FOwner.FOwner.Tree();
  if (tree == nullptr) return;
  if (QTreeWidgetItem* row = tree->topLevelItem(Index())) tree->scrollToItem(row);
}

TListItems::~TListItems() = default;

TListItem* TListItems::Item(Integer index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FItems[static_cast<std::size_t>(index)].get();
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(Integer index) {
  if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  FItems.insert(FItems.begin() + index, std::make_unique<TListItem>(*this));
  FOwner.RowInserted(index);
  return FItems[static_cast<std::size_t>(index)].get();
}

void TListItems::Delete(Integer index) {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  FOwner.RowRemoved(index);
  FItems.erase(FItems.begin() + index);
}

void TListItems::Clear() {
  if (QTreeWidget* tree = FOwner.Tree()) {
    const QSignalBlocker block(tree);
    tree->clear();
  }
  FItems.clear();
}

void TListItems::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
}

Integer TListItems::IndexOf(const TListItem* item) const {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return static_cast<Integer>(i);
  return -1;
}

// ----- TListView -----

TListView::TListView(TComponent* owner)
    : TWinControl(owner), FColumns(std::make_unique<TListColumns>(this)), FItems(std::make_unique<TListItems>(*this)) {
  FWidth = 250;
  FHeight = 150;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
}

TListView::~TListView() {
  DestroyWnd();
  FItems.reset();
}

std::unique_ptr<IHostWidget> TListView::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QTreeWidget>>(this, parentWidget);
}

QTreeWidget* TListView::Tree() const {
  return Host() != nullptr ? static_cast<QTreeWidget*>(Host()->Widget()) : nullptr;
}

void TListView::InitWidget() {
  QTreeWidget* tree = Tree();
  tree->setRootIsDecorated(false);
  tree->setUniformRowHeights(true);
  tree->setAllColumnsShowFocus(true);
  tree->setSelectionMode(FMultiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree->setHeaderHidden(!FShowColumnHeaders);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SyncColumns();
  SyncAllRows();
  FViewportFilter = std::make_unique<TViewportFilter>(this);
  tree->viewport()->installEventFilter(FViewportFilter.get());
  QObject::connect(tree, &QTreeWidget::itemSelectionChanged, [this] { RunGuarded([&] { WidgetSelectionChanged(); }); });
}

void TListView::DestroyWnd() {
  // Selection lives in the widget while there is one: keep it for the next one.
  if (QTreeWidget* tree = Tree()) {
    for (Integer i = 0; i < FItems->Count(); ++i) {
      QTreeWidgetItem* row = tree->topLevelItem(i);
      FItems->Item(i)->FSelected = row != nullptr && row->isSelected();
    }
    tree->viewport()->removeEventFilter(FViewportFilter.get());
    const QSignalBlocker block(tree);
    tree->clear();
  }
  TWinControl::DestroyWnd();
  FViewportFilter.reset();
}

void TListView::SyncColumns() {
  QTreeWidget* tree = Tree();
  if (tree == nullptr) return;
  const int count = std::max(FColumns->Count(), 1);
  tree->setColumnCount(count);
  QStringList labels;
  for (Integer i = 0; i < FColumns->Count(); ++i) labels << ToQString(FColumns->Items(i)->Caption());
  if (labels.isEmpty()) labels << QString();
  tree->setHeaderLabels(labels);
  for (Integer i = 0; i < FColumns->Count(); ++i) tree->setColumnWidth(i, FColumns->Items(i)->Width());
  for (auto& item : FItems->FItems) item->UpdateRow();
}

void TListView::SyncAllRows() {
  QTreeWidget* tree = Tree();
  if (tree == nullptr) return;
  const QSignalBlocker block(tree);
  tree->clear();
  for (Integer i = 0; i < FItems->Count(); ++i) {
    auto* row = new QTreeWidgetItem();  // the tree takes it over
    tree->addTopLevelItem(row);
    FItems->Item(i)->UpdateRow();
    row->setSelected(FItems->Item(i)->FSelected);
  }
}

void TListView::RowInserted(Integer index) {
  QTreeWidget* tree = Tree();
  if (tree == nullptr) return;
  const QSignalBlocker block(tree);
  tree->insertTopLevelItem(index, new QTreeWidgetItem());  // the tree takes it over
}

void TListView::RowRemoved(Integer index) {
  QTreeWidget* tree = Tree();
  if (tree == nullptr) return;
  const QSignalBlocker block(tree);
  delete tree->takeTopLevelItem(index);
}

void TListView::WidgetSelectionChanged() {
  QTreeWidget* tree = Tree();
  std::vector<TListItem*> changed;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TListItem* item = FItems->Item(i);
    QTreeWidgetItem* row = tree->topLevelItem(i);
    const bool now = row != nullptr && row->isSelected();
    if (now != item->FSelected) {
      item->FSelected = now;
      changed.push_back(item);
    }
  }
  for (TListItem* item : changed) {
    OnSelectItem(this, item, item->FSelected);
    OnChange(this, item, ctState);
  }
}

void TListView::SetColumns(TListColumns* columns) {
  if (columns != nullptr) FColumns->Assign(columns);
}

void TListView::SetMultiSelect(bool value) {
  FMultiSelect = value;
  if (QTreeWidget* tree = Tree())
    tree->setSelectionMode(value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TListView::SetShowColumnHeaders(bool value) {
  FShowColumnHeaders = value;
  if (QTreeWidget* tree = Tree()) tree->setHeaderHidden(!value);
}

TListItem* TListView::Selected() const { return GetNextSelected(nullptr); }

void TListView::SetSelected(TListItem* item) {
  ClearSelection();
  if (item != nullptr) item->SetSelected(true);
}

Integer TListView::SelCount() const {
  Integer n = 0;
  for (auto& item : FItems->FItems)
    if (item->Selected()) ++n;
  return n;
}

TListItem* TListView::GetNextSelected(TListItem* start) const {
  Integer i = start != nullptr ? FItems->IndexOf(start) + 1 : 0;
  for (; i < FItems->Count(); ++i)
    if (FItems->Item(i)->Selected()) return FItems->Item(i);
  return nullptr;
}

TListItem* TListView::ItemFocused() const {
  for (auto& item : FItems->FItems)
    if (item->Focused()) return item.get();
  return nullptr;
}

void TListView::SetItemFocused(TListItem* item) {
  if (item != nullptr) item->SetFocused(true);
}

TListItem* TListView::GetItemAt(Integer x, Integer y) const {
  QTreeWidget* tree = Tree();
  if (tree == nullptr) return nullptr;
  const QPoint p = tree->viewport()->mapFrom(tree, QPoint(x, y));
  QTreeWidgetItem* row = tree->itemAt(p);
  if (row == nullptr) return nullptr;
  const int index = tree->indexOfTopLevelItem(row);
  return index >= 0 ? FItems->Item(index) : nullptr;
}

void TListView::ClearSelection() {
  if (QTreeWidget* tree = Tree()) tree->clearSelection();
  else
    for (auto& item : FItems->FItems) item->FSelected = false;
}

void TListView::SelectAll() {
  if (!FMultiSelect) return;
  if (QTreeWidget* tree = Tree()) tree->selectAll();
  else
    for (auto& item : FItems->FItems) item->FSelected = true;
}

}  // namespace orv
