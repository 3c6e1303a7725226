// Field variables of table expressions: each holds one field's value read from a record buffer,
// at an address the expression parser's variable words read.
#pragma once
#include <memory>
#include <vector>
#include "dbf/DbfFieldDef.h"
#include "dbf/ExprWords.h"

namespace orv {

class TDbfFile;

class TFieldVar {
 public:
  TFieldVar(const TDbfFieldDef& def, const TDbfFile& file) : FFieldDef(def), FDbfFile(file) {}
  virtual ~TFieldVar() = default;
  TFieldVar(const TFieldVar&) = delete;
  TFieldVar& operator=(const TFieldVar&) = delete;

  // Stays valid as long as the variable; what it points at changes with each Refresh.
  virtual Byte* ValueAddress() = 0;
  virtual TExprType FieldResultType() const = 0;
  // record holds one whole record of the table.
  virtual void Refresh(const Byte* record) = 0;
  const TDbfFieldDef& FieldDef() const { return FFieldDef; }

 protected:
  const TDbfFieldDef& FFieldDef;
  const TDbfFile& FDbfFile;
};

class TStringFieldVar : public TFieldVar {
 public:
  using TFieldVar::TFieldVar;
  Byte* ValueAddress() override { return reinterpret_cast<Byte*>(&FText); }
  TExprType FieldResultType() const override { return exString; }
  const char* Text() const { return FText; }

 protected:
  const char* FText = nullptr;
};

// Points into the record itself: the field's bytes with their blanks, not NUL-terminated.
class TRawStringFieldVar : public TStringFieldVar {
 public:
  TRawStringFieldVar(const TDbfFieldDef& def, const TDbfFile& file);
  void Refresh(const Byte* record) override;

 private:
  std::vector<char> FBlank;  // read before the first Refresh
};

// The field's text without trailing blanks, in the ANSI code page, NUL-terminated.
class TAnsiStringFieldVar : public TStringFieldVar {
 public:
  TAnsiStringFieldVar(const TDbfFieldDef& def, const TDbfFile& file);
  void Refresh(const Byte* record) override;

 private:
  AnsiString FBuffer;
  Cardinal FFromCodePage = 0, FToCodePage = 0;
  // Byte-for-byte translation between two single-byte code pages; empty when a whole-text
  // conversion is needed (or none at all).
  std::vector<char> FTable;
};

class TIntegerFieldVar : public TFieldVar {
 public:
  using TFieldVar::TFieldVar;
  Byte* ValueAddress() override { return reinterpret_cast<Byte*>(&FValue); }
  TExprType FieldResultType() const override { return exInteger; }
  void Refresh(const Byte* record) override;

 private:
  Integer FValue = 0;
};

class TFloatFieldVar : public TFieldVar {
 public:
  using TFieldVar::TFieldVar;
  Byte* ValueAddress() override { return reinterpret_cast<Byte*>(&FValue); }
  TExprType FieldResultType() const override { return exFloat; }
  void Refresh(const Byte* record) override;

 private:
  double FValue = 0;
};

class TLargeIntFieldVar : public TFieldVar {
 public:
  using TFieldVar::TFieldVar;
  Byte* ValueAddress() override { return reinterpret_cast<Byte*>(&FValue); }
  TExprType FieldResultType() const override { return exLargeInt; }
  void Refresh(const Byte* record) override;

 private:
  Int64 FValue = 0;
};

// The value as a class-library date-time (days since 1899-12-30).
class TDateTimeFieldVar : public TFieldVar {
 public:
  using TFieldVar::TFieldVar;
  Byte* ValueAddress() override { return reinterpret_cast<Byte*>(&FValue); }
  TExprType FieldResultType() const override { return exDateTime; }
  void Refresh(const Byte* record) override;

 private:
  double FValue = 0;
};

}  // namespace orv
