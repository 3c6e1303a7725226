// Words of the expression parser: result types, constants, variables, operators and functions,
// the growable value buffers and the tree node that later becomes one entry of the evaluation list.
#pragma once
#include <memory>
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace orv {

class EParserException : public Exception {
 public:
  using Exception::Exception;
};

enum TExprType : Byte {
  exBoolean = 0, exInteger = 1, exLargeInt = 2, exFloat = 3, exDateTime = 4, exString = 5,
  exLeftBracket = 6, exRightBracket = 7, exComma = 8, exUnknown = 9
};

// B, D, F, I, L, S (upper case only) to their types; any other character gives exUnknown.
TExprType TypeOfLetter(char letter);

inline constexpr int kMaxArgs = 6;

struct TExpressionNode;
using TExprFunc = void (*)(TExpressionNode* node);

// A view of a growable byte buffer whose address, write position and size live in the parser or in
// a parent node; the owning pointer lives beside them.
class TDynamicType {
 public:
  TDynamicType() = default;
  TDynamicType(Byte** buffer, Byte** pos, Integer* size, std::unique_ptr<Byte[]>* owner)
      : FBuffer(buffer), FPos(pos), FSize(size), FOwner(owner) {}
  void AssureSpace(Int64 n);
  // Unless exact, n is rounded to the next multiple of 32 above it; the position keeps its offset.
  void Resize(Integer n, bool exact);
  // Copies length bytes to the position, advances over them and writes a NUL behind them.
  void Append(const char* text, Integer length);
  Byte* Position() const { return *FPos; }
  Byte*& PositionRef() const { return *FPos; }
  Byte* Buffer() const { return *FBuffer; }

 private:
  Byte** FBuffer = nullptr;
  Byte** FPos = nullptr;
  Integer* FSize = nullptr;
  std::unique_ptr<Byte[]>* FOwner = nullptr;
};

class TExprWord;

// One node of the expression tree; after the compile one entry of the evaluation list, which owns
// the entry after it through Next.
struct TExpressionNode {
  TExprFunc Routine = nullptr;
  std::unique_ptr<TExpressionNode> Next;
  TDynamicType Result;
  TExprWord* Word = nullptr;
  bool ResetDest = false;
  // Args[i] is the argument's value: the node's own buffer ArgBuf[i] for a computed argument, or the
  // value address of a constant or variable in a leaf.
  Byte* Args[kMaxArgs] = {};
  Byte* ArgPos[kMaxArgs] = {};
  Integer ArgSize[kMaxArgs] = {};
  TExprType ArgType[kMaxArgs] = {exUnknown, exUnknown, exUnknown, exUnknown, exUnknown, exUnknown};
  std::unique_ptr<TExpressionNode> ArgNode[kMaxArgs];
  std::unique_ptr<Byte[]> ArgBuf[kMaxArgs];
  // Height of the subtree (1 for a leaf); bounded at compile time so recursion over it stays shallow.
  int Height = 1;

  TExpressionNode() = default;
  TExpressionNode(const TExpressionNode&) = delete;
  TExpressionNode& operator=(const TExpressionNode&) = delete;
  // The entries after this one go one at a time, however long the list.
  ~TExpressionNode() {
    while (Next) Next = std::move(Next->Next);
  }
};

// A node with every pointer absent, every position and size 0 and every argument type exUnknown.
std::unique_ptr<TExpressionNode> NewExprNode();
// Frees a tree: each present argument subtree, then the node with its result view and buffers.
void DisposeTree(std::unique_ptr<TExpressionNode> node);

// Upper bound of the text length a node produces, given the bounds of its arguments.
using TLengthRule = Integer (*)(const TExpressionNode& node, const Integer* argLengths);

class TExprWord {
 public:
  TExprWord(std::string_view name, TExprFunc routine);
  virtual ~TExprWord() = default;
  TExprWord(const TExprWord&) = delete;
  TExprWord& operator=(const TExprWord&) = delete;

  const AnsiString& Name() const { return FName; }
  TExprFunc Routine() const { return FRoutine; }

  virtual bool IsOperator() const { return false; }
  virtual AnsiString AsString() const { return {}; }
  virtual Integer FixedLength() const { return -1; }
  virtual bool CanVary() const { return false; }
  virtual TExprType ResultType() const { return exUnknown; }
  virtual Integer MinArgs() const { return 0; }
  virtual Integer MaxArgs() const { return 0; }
  virtual AnsiString Description() const { return {}; }
  virtual AnsiString TypeSpec() const { return {}; }
  virtual Byte* LengthAddress() { return nullptr; }
  virtual Byte* AsPointer() { return nullptr; }
  virtual bool IsFunction() const { return false; }
  // Constants and variables: their routine copies their value to the destination.
  virtual bool IsValueWord() const { return false; }
  // Largest text length of a string value word (-1 unknown).
  virtual Integer MaxLength() const { return -1; }

 protected:
  AnsiString FName;
  TExprFunc FRoutine;
};

class TLeftBracket : public TExprWord {
 public:
  TLeftBracket() : TExprWord("(", nullptr) {}
  TExprType ResultType() const override { return exLeftBracket; }
};
class TRightBracket : public TExprWord {
 public:
  TRightBracket() : TExprWord(")", nullptr) {}
  TExprType ResultType() const override { return exRightBracket; }
};
class TComma : public TExprWord {
 public:
  explicit TComma(char separator) : TExprWord(std::string_view(&separator, 1), nullptr) {}
  TExprType ResultType() const override { return exComma; }
};

class TConstant : public TExprWord {
 public:
  TConstant(std::string_view name, TExprType type, TExprFunc routine)
      : TExprWord(name, routine), FType(type) {}
  TExprType ResultType() const override { return FType; }
  bool IsValueWord() const override { return true; }

 private:
  TExprType FType;
};

class TFloatConstant : public TConstant {
 public:
  // From text with the locale's decimal separator; empty text gives 0. EConvertError when invalid.
  TFloatConstant(std::string_view name, std::string_view text);
  TFloatConstant(std::string_view name, double value);
  Byte* AsPointer() override { return reinterpret_cast<Byte*>(&FValue); }

 private:
  double FValue = 0;
};

class TStringConstant : public TConstant {
 public:
  // From a token: a pair of equal quotes around it is stripped.
  explicit TStringConstant(std::string_view token);
  // With its value as given.
  TStringConstant(std::string_view name, AnsiString value);
  AnsiString AsString() const override { return FValue; }
  Byte* AsPointer() override { return reinterpret_cast<Byte*>(FValue.data()); }
  Integer MaxLength() const override { return static_cast<Integer>(FValue.size()); }

 private:
  AnsiString FValue;
};

class TIntegerConstant : public TConstant {
 public:
  explicit TIntegerConstant(Integer value);
  Byte* AsPointer() override { return reinterpret_cast<Byte*>(&FValue); }

 private:
  Integer FValue;
};

class TBooleanConstant : public TConstant {
 public:
  TBooleanConstant(std::string_view name, Byte value);
  Byte* AsPointer() override { return &FValue; }

 private:
  Byte FValue;
};

class TVariable : public TExprWord {
 public:
  TVariable(std::string_view name, TExprType type, TExprFunc routine, Byte* address)
      : TExprWord(name, routine), FType(type), FAddress(address) {}
  bool CanVary() const override { return true; }
  TExprType ResultType() const override { return FType; }
  Byte* AsPointer() override { return FAddress; }
  bool IsValueWord() const override { return true; }

 private:
  TExprType FType;
  Byte* FAddress;
};

class TFloatVariable : public TVariable {
 public:
  TFloatVariable(std::string_view name, double* address);
};
class TIntegerVariable : public TVariable {
 public:
  TIntegerVariable(std::string_view name, Integer* address);
};
class TLargeIntVariable : public TVariable {
 public:
  TLargeIntVariable(std::string_view name, Int64* address);
};
class TDateTimeVariable : public TVariable {
 public:
  TDateTimeVariable(std::string_view name, double* address);
};

// Refers to a text pointer kept elsewhere. A fixed length of -1 reads the text up to its NUL;
// otherwise exactly that many bytes are read. maxLength bounds the text of a NUL-terminated one.
class TStringVariable : public TVariable {
 public:
  TStringVariable(std::string_view name, const char** address, Integer fixedLength, Integer maxLength = -1);
  AnsiString AsString() const override;
  Integer FixedLength() const override { return FFixedLength; }
  Byte* LengthAddress() override { return reinterpret_cast<Byte*>(&FFixedLength); }
  Integer MaxLength() const override { return FFixedLength >= 0 ? FFixedLength : FMaxLength; }

 private:
  const char** FText;
  Integer FFixedLength;
  Integer FMaxLength;
};

// Operators and functions alike.
class TFunction : public TExprWord {
 public:
  // A function; minArgs -1 means all the arguments of the type specification.
  TFunction(std::string_view name, std::string_view typeSpec, Integer minArgs, TExprType resultType,
            TExprFunc routine, std::string_view description = {}, TLengthRule lengthRule = nullptr);
  // An operator: as many arguments as its type specification has letters.
  TFunction(std::string_view name, Integer priority, TExprFunc routine, TExprType resultType,
            std::string_view typeSpec);

  bool IsOperator() const override { return FIsOperator; }
  TExprType ResultType() const override { return FResultType; }
  Integer MinArgs() const override { return FMinArgs; }
  Integer MaxArgs() const override { return FMaxArgs; }
  AnsiString Description() const override { return FDescription; }
  AnsiString TypeSpec() const override { return FTypeSpec; }
  bool IsFunction() const override { return true; }
  Integer Priority() const { return FPriority; }
  TLengthRule LengthRule() const { return FLengthRule; }

 private:
  void SetTypeSpec(std::string_view typeSpec);

  bool FIsOperator;
  Integer FPriority;
  Integer FMinArgs = 0;
  Integer FMaxArgs = 0;
  AnsiString FDescription;
  AnsiString FTypeSpec;
  TExprType FResultType;
  TLengthRule FLengthRule = nullptr;
};

}  // namespace orv
