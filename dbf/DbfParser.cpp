// TDbfParser: binding of field names to field variables, preparation and evaluation on records.
#include "dbf/DbfParser.h"
#include "dbf/DbfExprFuncs.h"
#include "dbf/DbfFile.h"

namespace orv {

TDbfParser::TDbfParser(TDbfFile* dbfFile) : FDbfFile(dbfFile) { FillExpressionList(); }

TDbfParser::~TDbfParser() { ClearExpressions(); }

void TDbfParser::SetDbfFile(TDbfFile* file) {
  ClearExpressions();
  FDbfFile = file;
}

void TDbfParser::FillExpressionList() {
  WordsList().DisposeAll();
  WordsList().AllowDuplicates = true;
  for (auto& word : MakeDbfWords(FCaseInsensitive)) AddWord(std::move(word));
}

TFieldVar* TDbfParser::AddFieldVar(std::string_view name) {
  TDbfFieldDef* def = FDbfFile ? FDbfFile->FieldDefByName(AnsiString(name)) : nullptr;
  if (!def) throw EDbfError(DbfMessage(STRING_INDEX_BASED_ON_UNKNOWN_FIELD, AnsiString(name)));
  std::unique_ptr<TFieldVar> var;
  switch (def->FieldType()) {
    case ftString:
    case ftBoolean:
      if (FRawStrings) {
        var = std::make_unique<TRawStringFieldVar>(*def, *FDbfFile);
        DefineStringVariable(name, reinterpret_cast<const char**>(var->ValueAddress()), def->Size());
      } else {
        // The trimmed text ends at its NUL, so it is read as a NUL-terminated text.
        var = std::make_unique<TAnsiStringFieldVar>(*def, *FDbfFile);
        DefineStringVariable(name, reinterpret_cast<const char**>(var->ValueAddress()), -1, def->Size());
      }
      break;
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
      var = std::make_unique<TIntegerFieldVar>(*def, *FDbfFile);
      DefineIntegerVariable(name, reinterpret_cast<Integer*>(var->ValueAddress()));
      break;
    case ftFloat:
      var = std::make_unique<TFloatFieldVar>(*def, *FDbfFile);
      DefineFloatVariable(name, reinterpret_cast<double*>(var->ValueAddress()));
      break;
    case ftDate:
    case ftDateTime:
      var = std::make_unique<TDateTimeFieldVar>(*def, *FDbfFile);
      DefineDateTimeVariable(name, reinterpret_cast<double*>(var->ValueAddress()));
      break;
    case ftLargeint:
      var = std::make_unique<TLargeIntFieldVar>(*def, *FDbfFile);
      DefineLargeIntVariable(name, reinterpret_cast<Int64*>(var->ValueAddress()));
      break;
    default:
      throw EDbfError(DbfMessage(STRING_INVALID_INDEX_TYPE, AnsiString(name)));
  }
  FFieldVarList.emplace_back(AnsiString(name), std::move(var));
  return FFieldVarList.back().second.get();
}

void TDbfParser::ResolveUnknownWord(std::string_view name) { AddFieldVar(name); }

void TDbfParser::PrepareExpression(std::string_view text) {
  ClearExpressions();
  // A field named like a registered word is that word, as it is inside any expression.
  TDbfFieldDef* single = FDbfFile && !text.empty() && !WordsList().Find(text)
                             ? FDbfFile->FieldDefByName(AnsiString(text))
                             : nullptr;
  if (single) {
    FIsComputed = false;
    TFieldVar* var = AddFieldVar(text);
    FFieldResultType = var->FieldResultType();
    if (FFieldResultType == exString) FResultLength = single->Size();
  } else {
    FIsComputed = true;
    try {
      Compile(text);
    } catch (...) {
      ClearExpressions();
      throw;
    }
    if (GetResultType() == exString) FResultLength = MaxResultLength();
  }
  switch (GetResultType()) {
    case exBoolean: FResultLength = 1; break;
    case exInteger: FResultLength = 4; break;
    case exFloat:
    case exDateTime:
    case exLargeInt: FResultLength = 8; break;
    default: break;
  }
  if (FResultLength > kMaxIndexResultLength) {
    // The expression text goes in last so that a "%d" inside it stays as written.
    const AnsiString message = DbfMessage(DbfMessage(STRING_INDEX_EXPRESSION_TOO_LONG, FResultLength).c_str(),
                                          AnsiString(text));
    throw EDbfError(message);
  }
  FExpressionText = AnsiString(text);
}

const Byte* TDbfParser::EvaluateRecord(const Byte* record) {
  for (auto& entry : FFieldVarList) entry.second->Refresh(record);
  if (FIsComputed) {
    Evaluate();
    return ResultBuffer();
  }
  if (FFieldVarList.empty()) return nullptr;
  TFieldVar* var = FFieldVarList.front().second.get();
  if (var->FieldResultType() == exString) return reinterpret_cast<const Byte*>(static_cast<TStringFieldVar*>(var)->Text());
  return var->ValueAddress();
}

TExprType TDbfParser::GetResultType() const {
  return FIsComputed ? TCustomExpressionParser::GetResultType() : FFieldResultType;
}

void TDbfParser::ClearExpressions() {
  TCustomExpressionParser::ClearExpressions();
  for (auto& entry : FFieldVarList) ReplaceFunction(entry.first, nullptr);
  FFieldVarList.clear();
  FExpressionText.clear();
  FResultLength = 0;
  FIsComputed = false;
  FFieldResultType = exUnknown;
}

void TDbfParser::Rebuild() {
  const AnsiString text = FExpressionText;
  // Nothing may keep pointing at variables of the old table.
  ClearExpressions();
  FillExpressionList();
  if (!text.empty()) PrepareExpression(text);
}

void TDbfParser::SetCaseInsensitive(bool value) {
  if (value == FCaseInsensitive) return;
  FCaseInsensitive = value;
  Rebuild();
}

void TDbfParser::SetRawStrings(bool value) {
  if (value == FRawStrings) return;
  FRawStrings = value;
  Rebuild();
}

}  // namespace orv
