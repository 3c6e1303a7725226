// The data-aware grid: a Qt table view over a model that reads a data set's visible fields through
// a data link, edits a cell of the current record and posts when the row is left.
#pragma once
#include <memory>
#include <unordered_map>
#include <vector>
#include "platform/db/DataSource.h"
#include "platform/forms/Controls.h"

class QTableView;

namespace orv {

class TDBGrid;
class TDBGridModel;

class TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TDBGrid& grid) : FGrid(grid) {}

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer distance) override;
  void RecordChanged(TField* field) override;
  void EditingChanged() override;

 private:
  TDBGrid& FGrid;
};

class TDBGrid : public TWinControl {
 public:
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  TDataSource* DataSource() const { return FDataLink.DataSource(); }
  void SetDataSource(TDataSource* source);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }

  // The grid's rows are the data set's records in browsing order (the record being inserted
  // included); columns are its visible fields.
  Integer RowCount() const { return static_cast<Integer>(FRows.size()); }
  Integer ColumnCount() const { return static_cast<Integer>(FColumns.size()); }
  TField* Columns(Integer index) const { return FColumns.at(static_cast<size_t>(index)); }
  AnsiString CellText(Integer row, Integer column) const;
  // The row of the data set's current record, -1 when there is none.
  Integer Row() const { return FCurrentRow; }
  // Moves the data set to the record of row (posting an edited record first).
  void SetRow(Integer row);
  // Edits column of row as a user typing into the cell would: moves there, enters edit state
  // (through the source's AutoEdit) and sets the field's text. False when the cell cannot change.
  bool SetCellText(Integer row, Integer column, const AnsiString& text);
  QTableView* View() const;

  void Notification(TComponent* component, TOperation operation) override;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;

 private:
  friend class TGridDataLink;
  friend class TDBGridModel;
  struct TRowData {
    TBookmark Bookmark;
    std::vector<AnsiString> Texts;
  };
  // Re-reads every row from the data set, leaving its current record where it was.
  void Reload();
  void LayoutColumns();
  void CurrentRecordChanged();
  void RefreshCurrentRow();
  void SelectCurrentRow();
  void UserMovedTo(Integer row);
  std::vector<AnsiString> CurrentTexts() const;

  TGridDataLink FDataLink{*this};
  std::unique_ptr<TDBGridModel> FModel;
  std::vector<TField*> FColumns;
  std::vector<TRowData> FRows;
  // Row of each bookmark, so following the data set's record costs no walk over the rows.
  std::unordered_map<TBookmark, Integer> FRowOf;
  void IndexRows();
  Integer RowOfCurrent() const;
  Integer FCurrentRow = -1;
  bool FReadOnly = false;
  bool FBusy = false;  // the grid itself moves the data set: its events are not news
};

// Registers TDataSource, TDBGrid and TDBNavigator (and the forms layer's classes they build on);
// call before reading a window description that holds them.
void RegisterDBControls();

}  // namespace orv
