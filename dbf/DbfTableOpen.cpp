// TDbfTable: paths and properties, opening and closing, field definitions, creation and the text
// conversion between the table's code page and the application's.
#include <cstring>
#include <filesystem>
#include "dbf/DbfFile.h"
#include "dbf/DbfHelpers.h"
#include "dbf/DbfIdxCursor.h"
#include "dbf/DbfIndexFile.h"
#include "dbf/DbfParser.h"
#include "dbf/DbfTable.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

AnsiString ProgramFolder() { return IncludeTrailingPathDelimiter(ExtractFilePath(ExpandFileName(ParamStr0()))); }

int LevelCodeOf(Integer level) {
  switch (level) {
    case 3: return kLevelDbase3;
    case 7: return kLevelDbase7;
    case 25: return kLevelFoxPro;
    default: return kLevelDbase4;
  }
}

Integer LevelOfCode(int code) {
  switch (code) {
    case kLevelDbase3: return 3;
    case kLevelFoxPro: return 25;
    case kLevelDbase7: return 7;
    default: return 4;
  }
}

}  // namespace

TDbfTable::TDbfTable(TComponent* owner)
    : TDataSet(owner), FFilePathFull(ProgramFolder()), FIndexDefs(std::make_unique<TDbfIndexDefs>(this)) {
  DbfGlobals();
  FBookmarkSize = kRecordNoBytes;
  FMasterLink = std::make_unique<TDbfMasterLink>(this);
  FMasterLink->OnMasterChange = [this] { MasterChanged(); };
  FMasterLink->OnMasterDisable = [this] { MasterDisabled(); };
}

TDbfTable::~TDbfTable() {
  // The framework's destructor runs after this object's parts are gone, so close here.
  try {
    Close();
  } catch (...) {
    // Closing releases what it can; a failure to write the header cannot leave a destructor.
  }
  FMasterLink.reset();
}

void TDbfTable::SetMasterSource(TDataSource* source) {
  if (source && IsLinkedTo(source)) DatabaseError("Circular datalinks are not allowed");
  FMasterLink->SetDataSource(source);
}

const Byte* TDbfTable::ActiveRecordData() const {
  const Byte* buffer = GetActiveRecordBuffer();
  return buffer ? buffer + kRecordDataOffset : nullptr;
}

void TDbfTable::SetFilePath(const AnsiString& value) {
  CheckInactive();
  FFilePath = value.empty() ? AnsiString() : IncludeTrailingPathDelimiter(value);
  FFilePathFull = IsAbsolutePath(value) ? IncludeTrailingPathDelimiter(value)
                                        : ResolvePath(ProgramFolder(), FFilePath);
}

void TDbfTable::SetTableName(const AnsiString& value) {
  CheckInactive();
  FTableName = ExtractFileName(value);
  const AnsiString folder = ExtractFilePath(value);
  if (!folder.empty()) SetFilePath(folder);
  FieldDefs().SetUpdated(false);
}

void TDbfTable::SetTableLevel(Integer value) {
  if (value != 3 && value != 4 && value != 7 && value != 25) return;
  if (value == FTableLevel) return;
  CheckInactive();
  FTableLevel = value;
}

void TDbfTable::SetShowDeleted(bool value) {
  if (value == FShowDeleted) return;
  FShowDeleted = value;
  if (FCursor && Active()) {
    CheckBrowseMode();
    Resync({});
  }
}

AnsiString TDbfTable::IndexFieldNames() const {
  const TDbfIndexDef* def = FIndexDefs->FindByName(FIndexName);
  return def ? def->SortField() : AnsiString();
}

void TDbfTable::SetIndexFieldNames(const AnsiString& value) {
  const TDbfIndexDef* def = FIndexDefs->FindBySortField(value);
  SetIndexName(def ? def->IndexFile() : AnsiString());
}

// --- the current index ---

AnsiString TDbfTable::ResolveIndexName(const AnsiString& name) const {
  const AnsiString trimmed = Trim(name);
  // A name with an extension names an index file, found in the table's folder (without regard
  // to the case of its name, as index definitions hold it upper-cased).
  if (trimmed.empty() || ExtractFileExt(trimmed).empty()) return trimmed;
  return FindFileNoCase(ResolveFileName(FFilePathFull, trimmed));
}

TDbfIndexFile* TDbfTable::FindIndexFile(const AnsiString& name) const {
  if (!FDbfFile || name.empty()) return nullptr;
  return FDbfFile->IndexFileByName(ResolveIndexName(name));
}

void TDbfTable::UpdateIndexDefs() {
  FieldDefs().SetUpdated(false);
  FieldDefs().Update();
}

void TDbfTable::AddIndexDefs(TDbfFile& file, bool create) {
  for (Integer i = 0; i < FIndexDefs->Count(); ++i) {
    const TDbfIndexDef* def = FIndexDefs->Items(i);
    try {
      file.AddIndex(ResolveIndexName(def->IndexFile()), def->SortField(), def->Options(), create);
    } catch (const Exception&) {
      // Opening leaves an index that cannot be had out (choosing it reports it missing); it
      // leaves nothing of it behind. Creating fails.
      if (create) throw;
    }
  }
}

bool TDbfTable::InstallCursor(Integer recNo) {
  const AnsiString name = Trim(FIndexName);
  // A range is kept by the tag's tree: one left behind would come back with the tag.
  if (TIndexCursor* old = IndexCursor()) old->DropRange();
  auto* index = dynamic_cast<TIndexFile*>(FindIndexFile(name));
  // A tag name listed for the production index is an index only while the file holds the tag.
  if (index && index->IsMdx() && ExtractFileExt(name).empty() && index->TagIndexOf(name) < 0) index = nullptr;
  if (index) {
    if (index->IsMdx() && ExtractFileExt(name).empty()) index->SelectTagByName(name);
    else if (index->CurrentTag() < 0 && index->TagCount() > 0) index->SelectTag(0);
    auto cursor = std::make_unique<TIndexCursor>(index);
    cursor->DropRange();
    FCursor = std::move(cursor);
    ApplyMasterRange();
    // A record without an entry (deleted, or outside the tag) has no place in key order.
    if (recNo <= 0 || !index->GotoRecord(recNo)) index->GoFirst();
  } else {
    FCursor = std::make_unique<TDbfCursor>(FDbfFile.get());
    if (recNo > 0) FCursor->SetPhysicalRecNo(recNo);
    else FCursor->First();
  }
  return index || name.empty();
}

void TDbfTable::SetIndexName(const AnsiString& value) {
  FIndexName = value;
  if (!FCursor || !FDbfFile || State() == dsOpening) return;
  CheckBrowseMode();
  Integer recNo = 0;
  if (const Byte* buffer = ActiveBuffer(); buffer && GetBookmarkFlag(buffer) == bfCurrent) {
    std::int32_t n;
    std::memcpy(&n, buffer, sizeof n);
    recNo = n;
  }
  const bool found = InstallCursor(recNo);
  if (!found) FIndexName.clear();
  CursorPosChanged();
  Resync({});
  if (!found) throw EDbfError(Format("Index \"%s\" does not exist.", {ResolveIndexName(value)}));
}

AnsiString TDbfTable::Version() const { return Format("%d.%02d", {6, 29}); }

std::unique_ptr<TDbfFile> TDbfTable::MakeTableFile(TPagedFileMode mode) const {
  auto file = std::make_unique<TDbfFile>(FullFileName());
  file->SetMode(mode);
  file->SetAutoCreate(ModeCreates(mode));
  file->SetUseFloatFields(UseFloatFields);
  if (OnIndexMissing) file->OnIndexMissing = OnIndexMissing;
  if (OnLocaleError) file->OnLocaleError = OnLocaleError;
  file->DateTimeHandling = DateTimeHandling;
  file->OnCompareRecord = OnCompareRecord;
  file->OnCopyDateTimeAsString = OnCopyDateTimeAsString;
  return file;
}

// --- field definitions ---

void TDbfTable::FillFieldDefsFrom(TDbfFile& file) {
  TFieldDefs& defs = FieldDefs();
  defs.Clear();
  TDbfFieldDefs& native = file.FieldDefs();
  for (size_t i = 0; i < native.Count(); ++i) {
    TDbfFieldDef& def = native[i];
    AnsiString name = def.FieldName();
    if (defs.Find(name)) {
      Integer suffix = 2;
      while (defs.Find(def.FieldName() + std::to_string(suffix))) ++suffix;
      name = def.FieldName() + std::to_string(suffix);
      def.SetFieldName(name);
    }
    const TFieldType type = def.FieldType();
    TFieldDef* added = defs.AddFieldDef();
    def.CopyTo(*added);
    // The framework sizes only text fields.
    if (type != ftString) added->SetSize(0);
    if (type == ftFloat || type == ftCurrency || type == ftBCD) added->SetPrecision(def.Precision());
    TFieldAttributes attributes = added->Attributes();
    if (type == ftAutoInc) attributes.Include(faReadonly);
    if (def.IsLockField()) attributes.Include(faHiddenCol);
    added->SetAttributes(attributes);
  }
  // The definitions taken from the production index are taken afresh; those the application
  // made, and index files named by file, stay.
  for (Integer i = FIndexDefs->Count() - 1; i >= 0; --i) {
    const TDbfIndexDef* def = FIndexDefs->Items(i);
    if (def->FromIndexFile() && ExtractFileExt(def->IndexFile()).empty()) FIndexDefs->Delete(i);
  }
  auto* production = dynamic_cast<TIndexFile*>(file.ProductionIndex());
  if (!production) return;
  // A definition names a tag as the application wrote it, which the file may keep cut.
  auto defined = [&](const AnsiString& tag) {
    for (Integer i = 0; i < FIndexDefs->Count(); ++i) {
      const AnsiString& name = FIndexDefs->Items(i)->IndexFile();
      if (ExtractFileExt(name).empty() && production->SameTagName(name, Trim(tag))) return true;
    }
    return false;
  };
  for (const AnsiString& tag : production->TagNames())
    if (!defined(tag)) production->TagInfo(tag, *FIndexDefs->Add());
}

void TDbfTable::BuildFieldDefinitions() {
  if (FDbfFile) {
    FillFieldDefsFrom(*FDbfFile);
    return;
  }
  auto file = MakeTableFile(pfReadOnly);
  file->OpenDbfFile();
  if (file->OpenFailed()) {
    file->CloseDbfFile();
    Abort();
  }
  try {
    FillFieldDefsFrom(*file);
  } catch (...) {
    file->CloseDbfFile();
    throw;
  }
  file->CloseDbfFile();
}

void TDbfTable::InternalInitFieldDefs() { BuildFieldDefinitions(); }

// --- opening and closing ---

void TDbfTable::InternalOpen() {
  if (!FileExists(FullFileName()) && (OpenMode == omAutoCreate || OpenMode == omTemporary)) {
    bool doCreate = true;
    if (BeforeAutoCreate) BeforeAutoCreate(this, doCreate);
    if (!doCreate) return;
    CreateTable();
  }
  const TPagedFileMode mode = ReadOnly ? pfReadOnly : Exclusive ? pfExclusiveOpen : pfReadWriteOpen;
  try {
    FDbfFile = MakeTableFile(mode);
    FDbfFile->OpenDbfFile();
    // A header the file object refused, or a missing index the handler kept, ends the open
    // without a message of its own.
    if (FDbfFile->OpenFailed()) Abort();
    FTableLevel = LevelOfCode(FDbfFile->TableLevelCode());
    BuildFieldDefinitions();
    CreateFields();
    BindFields(true);
    FBlobStreams.assign(FDbfFile->FieldDefs().Count(), nullptr);
    std::function<void(int&)> warn;
    if (OnLanguageWarning) warn = [this](int& action) { OnLanguageWarning(this, action); };
    FTranslationMode = ChooseTranslationMode(FDbfFile->UseCodePage(), warn);
    BuildByteMaps();
    FKnownRecordCount = 0;
    AddIndexDefs(*FDbfFile, false);
    if (!Filter().empty()) {
      try {
        // A filter set before opening is compiled as the parser comes, case-insensitive whatever
        // FilterOptions say; setting it (or the options) on the open table applies them.
        FParser = NewFilterParser();
        FParser->PrepareExpression(Filter());
      } catch (const Exception&) {
        FParser.reset();
        // Not yet open as far as the framework's setter goes, so it does not scroll.
        const TDataSetState saved = SetTempState(dsInactive);
        TDataSet::SetFilterText(AnsiString());
        RestoreState(saved);
      }
    }
    FLockedRecNo = -1;
    if (!InstallCursor(0)) {
      const AnsiString name = ResolveIndexName(FIndexName);
      FIndexName.clear();
      throw EDbfError(Format("Index \"%s\" does not exist.", {name}));
    }
  } catch (...) {
    CloseTableParts();
    throw;
  }
}

void TDbfTable::InternalClose() { CloseTableParts(); }

void TDbfTable::CloseTableParts() {
  // References handed out may outlive the table; they no longer reach it.
  for (auto& stream : FBlobStreams)
    if (stream) stream->Detach();
  FBlobStreams.clear();
  BindFields(false);
  if (DefaultFields()) DestroyFields();
  FParser.reset();
  FCursor.reset();
  if (FDbfFile) {
    // A shared table's header is brought up to date under the header lock by the file itself;
    // writing this copy would put back a record count that other processes have passed.
    if (!ReadOnly && FDbfFile->IsOpen() && !FDbfFile->IsSharedMode() && !FDbfFile->IsReadOnly())
      FDbfFile->WriteDbfHeader();
    FDbfFile->CloseDbfFile();
    FDbfFile.reset();
  }
  FLockedRecNo = -1;
  FKnownRecordCount = 0;
  FByteMap[0].clear();
  FByteMap[1].clear();
  FTranslationMode = tmNoneAvailable;
}

// --- creation ---

void TDbfTable::CreateTableEx(const TDbfFieldDefs* fieldDefs) {
  // Auto-creation runs while the data set is opening.
  if (State() != dsOpening) CheckInactive();
  const int levelCode = LevelCodeOf(FTableLevel);
  TDbfFieldDefs made;
  if (!fieldDefs) {
    if (FieldDefs().Count() == 0) {
      for (Integer i = 0; i < Fields().Count(); ++i) {
        TField* f = Fields().Fields(i);
        if (f->FieldKind() == fkData) FieldDefs().Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
      }
    }
    made.TableLevel = levelCode;
    made.UseFloatFields = UseFloatFields;
    for (Integer i = 0; i < FieldDefs().Count(); ++i) made.Add().CopyFrom(*FieldDefs().Items(i), i);
    fieldDefs = &made;
  }
  // Refused before any file is touched.
  if (fieldDefs->Count() == 0) throw EDbfError(DbfMessage(STRING_INVALID_FIELD_COUNT, Int64{0}));
  auto file = MakeTableFile(pfExclusiveCreate);
  file->SetTableLevelCode(levelCode);
  bool ours = false;
  try {
    file->OpenDbfFile();
    // From here the file is this call's: the exclusive open succeeded, so no one else has it.
    ours = file->IsOpen();
    file->FinishCreate(*fieldDefs, 512);
    AddIndexDefs(*file, true);
  } catch (...) {
    // The memo and index files made so far go with the table.
    std::vector<AnsiString> companions;
    if (file->MemoFile()) companions.push_back(file->MemoFile()->FileName());
    for (const auto& index : file->IndexFiles())
      if (auto* made = dynamic_cast<TIndexFile*>(index.get())) companions.push_back(made->FileName());
    try {
      file->CloseDbfFile();
    } catch (...) {
    }
    file.reset();
    if (ours) {
      DeleteFile(FullFileName());
      for (const auto& name : companions) DeleteFile(name);
    }
    throw;
  }
  file->CloseDbfFile();
}

// --- code pages ---

bool TDbfTable::CanModify() const {
  return FDbfFile && !ReadOnly && !FDbfFile->IsReadOnly() && FTranslationMode != tmNoneAvailable;
}

AnsiString TDbfTable::Translate(const AnsiString& text, bool toOem) {
  if (OnTranslate) {
    AnsiString dest;
    const Integer length = OnTranslate(this, text, dest, toOem);
    if (length >= 0 && static_cast<size_t>(length) < dest.size()) dest.resize(static_cast<size_t>(length));
    return dest;
  }
  if (!FDbfFile) return text;
  const std::vector<Byte>& map = FByteMap[toOem ? 0 : 1];
  if (!map.empty()) {
    AnsiString out(text);
    for (char& c : out) c = static_cast<char>(map[static_cast<Byte>(c)]);
    return out;
  }
  return TranslateText(FTranslationMode, FDbfFile->UseCodePage(), text, toOem);
}

void TDbfTable::BuildByteMaps() {
  FByteMap[0].clear();
  FByteMap[1].clear();
  if (FTranslationMode != tmSimple && FTranslationMode != tmAdvanced) return;
  const Cardinal tableCodePage = FTranslationMode == tmSimple ? NlsSettings().OemCodePage : FDbfFile->UseCodePage();
  // A lead byte of a double-byte code page joins the byte after it into one character.
  for (Cardinal codePage : {NlsSettings().AnsiCodePage, tableCodePage}) {
    for (int b = 0x80; b < 0x100; ++b) {
      const WideString wide = MultiByteToWide(AnsiString{static_cast<char>(b), 'A'}, codePage);
      if (wide.size() != 2 || wide[1] != u'A') return;
    }
  }
  // Only where every byte converts to exactly one byte both ways is a byte table the same as
  // converting the whole text; otherwise (double-byte code pages) texts are converted whole.
  std::vector<Byte> maps[2];
  for (int dir = 0; dir < 2; ++dir) {
    maps[dir].resize(256);
    for (int b = 0; b < 256; ++b) {
      const AnsiString one(1, static_cast<char>(b));
      const AnsiString converted = TranslateText(FTranslationMode, FDbfFile->UseCodePage(), one, dir == 0);
      if (converted.size() != 1) return;
      maps[dir][static_cast<size_t>(b)] = static_cast<Byte>(converted[0]);
    }
  }
  FByteMap[0] = std::move(maps[0]);
  FByteMap[1] = std::move(maps[1]);
}

TBlobTranslator TDbfTable::BlobTranslator() {
  return [this](const AnsiString& text, bool toFile) { return Translate(text, toFile); };
}

// --- filter text ---

// Text fields enter a filter trimmed and in the ANSI code page, as the application sees them:
// their raw bytes, blank-padded to the field's size, would equal no shorter constant.
std::unique_ptr<TDbfParser> TDbfTable::NewFilterParser() const {
  auto parser = std::make_unique<TDbfParser>(FDbfFile.get());
  parser->SetRawStrings(false);
  return parser;
}

void TDbfTable::CompileFilter(const AnsiString& text) {
  if (!FParser) FParser = NewFilterParser();
  FParser->SetCaseInsensitive(FilterOptions().Contains(foCaseInsensitive));
  FParser->PrepareExpression(text);
}

void TDbfTable::SetFilterText(const AnsiString& value) {
  if (!value.empty() && FDbfFile) {
    try {
      CompileFilter(value);
    } catch (...) {
      // The filter is off rather than left on an expression that is not the text.
      FParser.reset();
      TDataSet::SetFilterText(AnsiString());
      throw;
    }
  }
  TDataSet::SetFilterText(value);
}

void TDbfTable::SetFiltered(bool value) { TDataSet::SetFiltered(value); }

void TDbfTable::SetFilterOptions(TFilterOptions value) {
  if (FParser) FParser->SetCaseInsensitive(value.Contains(foCaseInsensitive));
  TDataSet::SetFilterOptions(value);
}

}  // namespace orv
