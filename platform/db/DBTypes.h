// Shared vocabulary of the data-set framework: field types with their ordinals, data-set states,
// record fetch modes and results, bookmark flags, data events and the option sets.
#pragma once
#include <functional>
#include <string>
#include "platform/classes/Sets.h"
#include "platform/rtl/Types.h"

namespace orv {

// The generic field types; their ordinals are stored by table engines and must not move.
enum TFieldType : int {
  ftUnknown = 0, ftString = 1, ftSmallint = 2, ftInteger = 3, ftWord = 4, ftBoolean = 5, ftFloat = 6,
  ftCurrency = 7, ftBCD = 8, ftDate = 9, ftTime = 10, ftDateTime = 11, ftBytes = 12, ftVarBytes = 13,
  ftAutoInc = 14, ftBlob = 15, ftMemo = 16, ftGraphic = 17, ftFmtMemo = 18, ftParadoxOle = 19,
  ftDBaseOle = 20, ftTypedBinary = 21, ftCursor = 22, ftFixedChar = 23, ftWideString = 24, ftLargeint = 25
};

enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
  dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
enum TDataAction { daFail, daAbort, daRetry };
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
  deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl
};

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;
enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;
enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TSet<TFieldAttribute>;
enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;

// A bookmark is opaque bytes of the engine's bookmark size; empty means none.
using TBookmark = std::string;

class TDataSet;
class TField;
using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataSet, bool& accept)>;
using TDataSetErrorEvent = std::function<void(TDataSet* dataSet, class EDatabaseError& e, TDataAction& action)>;
using TFieldNotifyEvent = std::function<void(TField* field)>;

}  // namespace orv
