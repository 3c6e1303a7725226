// TDbfMasterLink: the link from a detail table data set to its master's data source, with the
// master expression compiled against the master's table file.
#pragma once
#include <functional>
#include <memory>
#include "dbf/DbfKeyValue.h"
#include "platform/db/DataSource.h"

namespace orv {

class TDbfParser;
class TDbfTable;

class TDbfMasterLink : public TDataLink {
 public:
  explicit TDbfMasterLink(TDbfTable* detail);
  ~TDbfMasterLink() override;

  TDbfTable* Detail() const { return FDetail; }
  const AnsiString& FieldNames() const { return FFieldNames; }
  // On a change the text is stored and the expression compiled again (when the link is active).
  void SetFieldNames(const AnsiString& text);
  bool Compiled() const { return FCompiled; }
  TDbfParser* Parser() const { return FParser.get(); }
  // The master expression on the master's active record; nullptr without a compiled expression
  // or a master record. Valid until the next evaluation.
  const Byte* MasterKey();
  // The same value for a search of the detail's index: a text converted from the master table's
  // code page into the application's, or a number; null without a master record or for a result
  // that is neither.
  TDbfKeyValue MasterKeyValue();

  // Sent to the detail.
  std::function<void()> OnMasterChange;
  std::function<void()> OnMasterDisable;

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override { ActiveChanged(); }
  void RecordChanged(TField* field) override;
  void CheckBrowseMode() override;

 private:
  TDbfTable* FDetail;
  AnsiString FFieldNames;
  std::unique_ptr<TDbfParser> FParser;
  bool FCompiled = false;
};

}  // namespace orv
