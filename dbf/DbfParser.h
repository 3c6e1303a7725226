// TDbfParser: expressions over the fields of one open table, evaluated on raw record buffers, for
// filters, index keys and master links.
#pragma once
#include <memory>
#include <utility>
#include <vector>
#include "dbf/DbfFieldVars.h"
#include "dbf/ExprParser.h"

namespace orv {

class TDbfFile;

inline constexpr const char* STRING_INDEX_BASED_ON_UNKNOWN_FIELD = "Index based on unknown field \"%s\".";
inline constexpr const char* STRING_INVALID_INDEX_TYPE = "Field \"%s\" is an invalid field type to base index on.";
inline constexpr const char* STRING_INDEX_EXPRESSION_TOO_LONG =
    "Index result for \"%s\" too long, >100 characters (%d).";
inline constexpr Integer kMaxIndexResultLength = 100;

class TDbfParser : public TCustomExpressionParser {
 public:
  // The table file is not owned and must outlive the parser's expression (it may be none; every
  // name that is not a word then fails as an unknown field).
  explicit TDbfParser(TDbfFile* dbfFile);
  ~TDbfParser() override;

  TDbfFile* DbfFile() const { return FDbfFile; }
  // Clears the expression first.
  void SetDbfFile(TDbfFile* file);

  // Clears the parser, then compiles the text (a lone field name is read directly). EDbfError for an
  // unknown field, an unusable field type or a result longer than 100 bytes (which leaves the
  // compiled expression in place); EParserException or EConvertError for a text that does not compile.
  virtual void PrepareExpression(std::string_view text);
  // record holds one whole record of the table. The result stays valid until the next evaluation,
  // preparation or clear: a boolean in its first byte, a string NUL-terminated, except a lone string
  // field read raw (ResultLength bytes inside record).
  virtual const Byte* EvaluateRecord(const Byte* record);

  TExprType GetResultType() const override;
  void ClearExpressions() override;
  AnsiString GetExpression() const override { return FExpressionText; }
  Integer ResultLength() const { return FResultLength; }
  bool IsComputed() const { return FIsComputed; }

  bool CaseInsensitive() const { return FCaseInsensitive; }
  bool RawStrings() const { return FRawStrings; }
  // A change rebuilds the word table and prepares the expression again from its text.
  void SetCaseInsensitive(bool value);
  void SetRawStrings(bool value);

 protected:
  void FillExpressionList() override;
  void ResolveUnknownWord(std::string_view name) override;

 private:
  void Rebuild();
  TFieldVar* AddFieldVar(std::string_view name);

  TDbfFile* FDbfFile;
  std::vector<std::pair<AnsiString, std::unique_ptr<TFieldVar>>> FFieldVarList;
  AnsiString FExpressionText;
  Integer FResultLength = 0;
  bool FIsComputed = false;
  TExprType FFieldResultType = exUnknown;
  bool FCaseInsensitive = true;
  bool FRawStrings = true;
};

}  // namespace orv
