// The data-aware grid over QTableView: rows read through the data set, the current record kept in
// step with the view's current row, cell edits through the data set's fields.
#include "platform/forms/DBGrids.h"
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>
#include "platform/forms/Forms.h"
#include "platform/forms/QtText.h"

namespace orv {

class TDBGridModel : public QAbstractTableModel {
 public:
  explicit TDBGridModel(TDBGrid& grid) : FGrid(grid) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : FGrid.RowCount();
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : FGrid.ColumnCount();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
      return ToQString(FGrid.CellText(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) {
      switch (FGrid.Columns(index.column())->DataType()) {
        case ftSmallint: case ftWord: case ftInteger: case ftAutoInc: case ftLargeint: case ftFloat:
        case ftCurrency:
          return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default: return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
      }
    }
    return QVariant();
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Horizontal && section >= 0 && section < FGrid.ColumnCount())
      return ToQString(FGrid.Columns(section)->DisplayLabel());
    if (orientation == Qt::Vertical) return section == FGrid.Row() ? QStringLiteral("\u25B6") : QString();
    return QVariant();
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!FGrid.ReadOnly() && FGrid.Columns(index.column())->CanModify()) f |= Qt::ItemIsEditable;
    return f;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!index.isValid() || role != Qt::EditRole) return false;
    try {
      return FGrid.SetCellText(index.row(), index.column(), FromQString(value.toString()));
    } catch (const std::exception& e) {
      // A refused value is the user's to see, never a crash through Qt.
      Application->HandleException(e);
      return false;
    }
  }

  void Reset(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
  }
  void RowChanged(int row) {
    if (row < 0 || row >= FGrid.RowCount() || FGrid.ColumnCount() == 0) return;
    emit dataChanged(index(row, 0), index(row, FGrid.ColumnCount() - 1));
  }
  void HeaderChanged() { emit headerDataChanged(Qt::Vertical, 0, std::max(0, FGrid.RowCount() - 1)); }

 private:
  TDBGrid& FGrid;
};

// --- data link ---

void TGridDataLink::ActiveChanged() { FGrid.Reload(); }
void TGridDataLink::LayoutChanged() { FGrid.Reload(); }
void TGridDataLink::DataSetChanged() { FGrid.Reload(); }
void TGridDataLink::DataSetScrolled(Integer) { FGrid.CurrentRecordChanged(); }
void TGridDataLink::RecordChanged(TField*) { FGrid.RefreshCurrentRow(); }
void TGridDataLink::EditingChanged() { FGrid.RefreshCurrentRow(); }

// --- grid ---

TDBGrid::TDBGrid(TComponent* owner) : TWinControl(owner), FModel(std::make_unique<TDBGridModel>(*this)) {
  FWidth = 320;
  FHeight = 120;
  SetTabStop(true);
}

TDBGrid::~TDBGrid() {
  FDataLink.SetDataSource(nullptr);
  if (Host() != nullptr) View()->setModel(nullptr);
}

void TDBGrid::SetDataSource(TDataSource* source) {
  if (source == DataSource()) return;
  if (DataSource()) DataSource()->RemoveFreeNotification(this);
  FDataLink.SetDataSource(source);
  if (source) source->FreeNotification(this);
  Reload();
}

void TDBGrid::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == DataSource()) {
    FDataLink.SetDataSource(nullptr);
    Reload();
  }
}

std::unique_ptr<IHostWidget> TDBGrid::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QTableView>>(this, parentWidget);
}

QTableView* TDBGrid::View() const {
  return Host() ? static_cast<QTableView*>(Host()->Widget()) : nullptr;
}

void TDBGrid::InitWidget() {
  QTableView* view = View();
  view->setModel(FModel.get());
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                   [this](const QModelIndex& current, const QModelIndex&) {
                     if (!FBusy && current.isValid()) UserMovedTo(current.row());
                   });
  SelectCurrentRow();
}

void TDBGrid::LayoutColumns() {
  FColumns.clear();
  TDataSet* ds = FDataLink.DataSet();
  if (!ds || !FDataLink.Active()) return;
  for (Integer i = 0; i < ds->FieldCount(); ++i)
    if (ds->Fields().Fields(i)->Visible()) FColumns.push_back(ds->Fields().Fields(i));
}

std::vector<AnsiString> TDBGrid::CurrentTexts() const {
  std::vector<AnsiString> texts;
  texts.reserve(FColumns.size());
  for (TField* f : FColumns) texts.push_back(f->DisplayText());
  return texts;
}

AnsiString TDBGrid::CellText(Integer row, Integer column) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return AnsiString();
  TDataSet* ds = FDataLink.DataSet();
  if (row == FCurrentRow && ds && (ds->State() == dsEdit || ds->State() == dsInsert))
    return FColumns[static_cast<size_t>(column)]->DisplayText();
  const auto& texts = FRows[static_cast<size_t>(row)].Texts;
  return static_cast<size_t>(column) < texts.size() ? texts[static_cast<size_t>(column)] : AnsiString();
}

void TDBGrid::Reload() {
  if (FBusy) return;
  FBusy = true;
  TDataSet* ds = FDataLink.Active() ? FDataLink.DataSet() : nullptr;
  try {
    FModel->Reset([&] {
      LayoutColumns();
      if (!ds) {
        FRows.clear();
        FRowOf.clear();
        FCurrentRow = -1;
        return;
      }
      if (ds->State() == dsInsert) {
        // The new record is shown where it is made: at the end for an append, else in place of
        // the current row; the stored rows are not walked while it is being edited.
        Integer at = ds->Eof() || FCurrentRow < 0 ? RowCount() : FCurrentRow;
        bool shown = at < RowCount() && FRows[static_cast<size_t>(at)].Bookmark.empty();
        if (!shown) FRows.insert(FRows.begin() + at, TRowData{TBookmark(), CurrentTexts()});
        FCurrentRow = at;
        IndexRows();
        return;
      }
      if (ds->State() != dsBrowse) return;
      FRows.clear();
      TBookmark saved = ds->GetBookmark();
      bool atStart = ds->Bof(), atEnd = ds->Eof();
      ds->DisableControls();
      try {
        for (ds->First(); !ds->Eof(); ds->Next()) FRows.push_back(TRowData{ds->GetBookmark(), CurrentTexts()});
        // Back where the data set was, ends included: the navigator reads Bof and Eof.
        if (atStart || saved.empty()) ds->First();
        else if (atEnd) ds->Last();
        else {
          try {
            ds->GotoBookmark(saved);
          } catch (const EDatabaseError&) {
            ds->First();  // the record left the view (a filter, another process)
          }
        }
      } catch (...) {
        ds->EnableControls();
        throw;
      }
      ds->EnableControls();
      IndexRows();
      FCurrentRow = RowOfCurrent();
    });
  } catch (...) {
    FBusy = false;
    throw;
  }
  FBusy = false;
  SelectCurrentRow();
}

void TDBGrid::IndexRows() {
  FRowOf.clear();
  for (Integer i = 0; i < RowCount(); ++i)
    if (!FRows[static_cast<size_t>(i)].Bookmark.empty()) FRowOf.emplace(FRows[static_cast<size_t>(i)].Bookmark, i);
}

Integer TDBGrid::RowOfCurrent() const {
  TDataSet* ds = FDataLink.DataSet();
  if (!ds || !FDataLink.Active()) return -1;
  auto it = FRowOf.find(ds->GetBookmark());
  return it == FRowOf.end() ? -1 : it->second;
}

void TDBGrid::CurrentRecordChanged() {
  if (FBusy) return;
  FCurrentRow = RowOfCurrent();
  FModel->HeaderChanged();
  SelectCurrentRow();
}

void TDBGrid::RefreshCurrentRow() {
  if (FBusy || FCurrentRow < 0 || FCurrentRow >= RowCount()) return;
  TDataSet* ds = FDataLink.DataSet();
  if (ds && ds->State() != dsInactive) FRows[static_cast<size_t>(FCurrentRow)].Texts = CurrentTexts();
  FModel->RowChanged(FCurrentRow);
}

void TDBGrid::SelectCurrentRow() {
  QTableView* view = View();
  if (!view) return;
  bool busy = FBusy;
  FBusy = true;
  if (FCurrentRow >= 0 && FCurrentRow < RowCount()) {
    int column = view->currentIndex().isValid() ? view->currentIndex().column() : 0;
    view->setCurrentIndex(FModel->index(FCurrentRow, std::min(column, std::max(0, ColumnCount() - 1))));
  } else {
    view->setCurrentIndex(QModelIndex());
  }
  FBusy = busy;
}

void TDBGrid::SetRow(Integer row) {
  TDataSet* ds = FDataLink.DataSet();
  if (!ds || !FDataLink.Active() || row < 0 || row >= RowCount() || row == FCurrentRow) return;
  TBookmark target = FRows[static_cast<size_t>(row)].Bookmark;
  if (target.empty()) return;
  ds->CheckBrowseMode();
  ds->GotoBookmark(target);
}

void TDBGrid::UserMovedTo(Integer row) {
  try {
    SetRow(row);
  } catch (const std::exception& e) {
    Application->HandleException(e);
    SelectCurrentRow();
  }
}

bool TDBGrid::SetCellText(Integer row, Integer column, const AnsiString& text) {
  if (FReadOnly || column < 0 || column >= ColumnCount()) return false;
  TField* field = FColumns[static_cast<size_t>(column)];
  if (!field->CanModify()) return false;
  SetRow(row);
  if (row != FCurrentRow) return false;
  if (!FDataLink.Edit()) return false;
  field->SetAsString(text);
  return true;
}

}  // namespace orv
