// TDbfFile's index list: adding an index (a tag of the production .mdx or an index file of its
// own), filling a tag from every record, and finding an index file by name.
#include <algorithm>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

AnsiString BaseNameOf(const AnsiString& fileName) { return ChangeFileExt(ExtractFileName(fileName), ""); }

// The mode of an index file from the table's: the creating modes when the index is to be made.
TPagedFileMode IndexModeOf(TPagedFileMode tableMode, bool creating) {
  switch (tableMode) {
    case pfMemoryCreate: return pfMemoryCreate;
    case pfExclusiveCreate:
    case pfExclusiveOpen: return creating ? pfExclusiveCreate : pfExclusiveOpen;
    case pfReadWriteCreate:
    case pfReadWriteOpen: return creating ? pfReadWriteCreate : pfReadWriteOpen;
    default: return pfReadOnly;
  }
}

// After a remake failed: the tag made in the old one's place goes, and the old one comes back as
// it was, current again when it was current.
void RestoreReplacedTag(TIndexFile& index, const AnsiString& tag, const TIndexFile::TTagBackup& backup,
                        const AnsiString& current) {
  try {
    if (index.IsMdx() && index.TagIndexOf(tag) >= 0) index.DeleteTag(tag);
    index.RestoreTag(backup);
    if (!current.empty()) index.SelectTagByName(current);
  } catch (const Exception&) {
  }
}

}  // namespace

TDbfIndexFile* TDbfFile::IndexFileByName(const AnsiString& name) const {
  if (name.empty()) return nullptr;
  const bool tagName = ExtractFileExt(name).empty();
  for (const auto& [listed, file] : FIndexNames) {
    // Tag names are listed as given; the file keeps them cut, and so compares them.
    auto* index = dynamic_cast<TIndexFile*>(file);
    const bool same = tagName && index && index->IsMdx() && ExtractFileExt(listed).empty()
                          ? index->SameTagName(listed, name)
                          : SameText(listed, name);
    if (same) return file;
  }
  if (tagName) return nullptr;
  // A name with an extension is also found by the path of the open file.
  const AnsiString path = ExpandFileName(name);
  for (const auto& file : FIndexFiles) {
    auto* index = dynamic_cast<TIndexFile*>(file.get());
    if (index && SameText(ExpandFileName(index->FileName()), path)) return index;
  }
  return nullptr;
}

TDbfIndexFile* TDbfFile::IndexFileForAdd(const AnsiString& name, const AnsiString& expression, bool& create,
                                         bool& created) {
  created = false;
  if (TDbfIndexFile* listed = IndexFileByName(name)) return listed;
  const bool ownFile = !ExtractFileExt(name).empty();
  if (!ownFile && FProductionIndex) {
    FIndexNames.emplace_back(name, FProductionIndex);
    return FProductionIndex;
  }
  const AnsiString fileName = ownFile ? name : ProductionIndexName();
  auto index = std::make_unique<TIndexFile>(*this, fileName);
  index->SetMode(IndexModeOf(Mode(), create));
  // A read-only table never makes files.
  index->SetAutoCreate(!IsReadOnly() && (create || !expression.empty()));
  index->OnLocaleError = OnLocaleError;
  index->OpenIndex();
  created = ModeCreates(index->Mode());
  if (index->Unusable() || (created && expression.empty())) {
    index->CloseIndex();
    if (created && index->Mode() != pfMemoryCreate) index->DeleteFileOnDisk();
    create = false;
    return nullptr;
  }
  create = created;
  TDbfIndexFile* file = index.get();
  FIndexFiles.push_back(std::move(index));
  if (!ownFile) {
    FProductionIndex = file;
    FUnlinkProductionIndex = false;
  }
  FIndexNames.emplace_back(name, file);
  return file;
}

void TDbfFile::DropIndexFile(TDbfIndexFile* file, const AnsiString& name, bool created) {
  std::erase_if(FIndexNames, [&](const auto& entry) { return entry.second == file && entry.first == name; });
  auto* index = static_cast<TIndexFile*>(file);
  // An .ndx holds its one tag: without it the file goes.
  if (!created && index->IsMdx()) {
    // A tag that could not be filled is not left half-built.
    try {
      index->DeleteTag(TagNameFor(name));
    } catch (const Exception&) {
    }
    return;
  }
  std::erase_if(FIndexNames, [&](const auto& entry) { return entry.second == file; });
  if (FProductionIndex == file) FProductionIndex = nullptr;
  auto it = std::find_if(FIndexFiles.begin(), FIndexFiles.end(), [&](const auto& f) { return f.get() == file; });
  if (it == FIndexFiles.end()) return;
  std::unique_ptr<TDbfIndexFile> owned = std::move(*it);
  FIndexFiles.erase(it);
  try {
    index->CloseIndex();
  } catch (const Exception&) {
  }
  if (index->Mode() != pfMemoryCreate) index->DeleteFileOnDisk();
}

AnsiString TDbfFile::TagNameFor(const AnsiString& name) { return ExtractFileExt(name).empty() ? name : BaseNameOf(name); }

bool TDbfFile::AddIndex(const AnsiString& name, const AnsiString& expression, Byte options, bool create) {
  if (name.empty()) return false;
  // A table opened read-only writes nothing, not even for a while.
  if (create && IsReadOnly()) throw EDbfError(STRING_NEED_EXCLUSIVE_ACCESS);
  bool created = false;
  TDbfIndexFile* file = IndexFileForAdd(name, expression, create, created);
  if (!file) return false;
  auto* index = static_cast<TIndexFile*>(file);
  const AnsiString tag = TagNameFor(name);
  // A tag the file holds (an existing .ndx holds its one tag) is made afresh with create, and
  // made in any case when missing.
  const bool held = index->IsMdx() ? index->TagIndexOf(tag) >= 0 : !created;
  const bool remake = create && held;
  if (!held) create = true;
  if (!create) return true;
  if (IsReadOnly()) {
    DropIndexFile(file, name, created);
    throw EDbfError(STRING_NEED_EXCLUSIVE_ACCESS);
  }
  const bool shared = IsSharedMode();
  if (shared) TryExclusive();
  // The tag a cursor walks stays current.
  const AnsiString current = index->IsMdx() && index->CurrentTag() >= 0 ? index->IndexName() : AnsiString();
  TIndexFile::TTagBackup backup;
  bool replaced = false;
  try {
    if (remake) {
      backup = index->BackupTag(tag);
      if (index->IsMdx()) index->DeleteTag(tag);
      replaced = true;
    }
    index->CreateTag(tag, UpperCase(expression), options);
    if (!current.empty()) index->SelectTagByName(current);
    if (!RebuildTag(index, tag)) {
      if (index->KeyViolationNoted()) index->RaiseKeyViolation();
      throw EDbfWriteError(STRING_WRITE_INDEX_ERROR);
    }
    if (file == FProductionIndex) UpdateHeader([](Byte* h) { h[28] = 1; });
  } catch (...) {
    if (replaced) RestoreReplacedTag(*index, tag, backup, current);
    else if (!remake) DropIndexFile(file, name, created);
    if (shared) EndExclusive();
    throw;
  }
  if (shared) EndExclusive();
  return true;
}

bool TDbfFile::RebuildTag(TDbfIndexFile* indexFile, const AnsiString& name) {
  auto* index = dynamic_cast<TIndexFile*>(indexFile);
  if (!index || (index->IsMdx() && index->TagIndexOf(name) < 0)) return false;
  const Integer savedTag = index->CurrentTag();
  const bool savedOnly = index->CurrentTagOnly();
  index->SelectTagByName(name);
  index->ResetTag();
  index->SetCurrentTagOnly(true);
  // The records are read in blocks, as a scan of the whole table does.
  const Integer count = RecordCount();
  const Integer size = RecordSize();
  constexpr Integer kBlock = 512;
  std::vector<Byte> block(static_cast<size_t>(size) * kBlock);
  Integer first = 0, held = 0;
  bool ok;
  try {
    ok = index->FillTag(count, [&](Integer n) -> const Byte* {
      if (n < first || n >= first + held) {
        first = n;
        held = std::min(kBlock, count - n + 1);
        const Int64 bytes = static_cast<Int64>(held) * size;
        if (ReadAt(PagePosition(n), block.data(), bytes) != bytes) {
          held = 0;
          return nullptr;
        }
      }
      return block.data() + static_cast<size_t>(n - first) * static_cast<size_t>(size);
    });
    index->FlushIndex();
  } catch (...) {
    index->SetCurrentTagOnly(savedOnly);
    index->SelectTag(savedTag);
    throw;
  }
  ok = ok && !index->WriteError();
  index->SetCurrentTagOnly(savedOnly);
  if (savedTag >= 0) index->SelectTag(savedTag);
  return ok;
}

}  // namespace orv
