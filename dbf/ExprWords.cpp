// Words of the expression parser: constants, variables, functions, the word table and the value
// buffers the evaluation writes into.
#include "dbf/ExprWords.h"
#include <algorithm>
#include <cstring>
#include <limits>
#include "platform/rtl/SysUtils.h"

namespace orv {

TExprType TypeOfLetter(char letter) {
  switch (letter) {
    case 'B': return exBoolean;
    case 'D': return exDateTime;
    case 'F': return exFloat;
    case 'I': return exInteger;
    case 'L': return exLargeInt;
    case 'S': return exString;
    default: return exUnknown;
  }
}

void TDynamicType::AssureSpace(Int64 n) {
  const Int64 needed = n + (*FPos - *FBuffer);
  if (needed > *FSize) {
    if (needed > std::numeric_limits<Integer>::max() - 64) throw EOutOfMemory("Out of memory");
    Resize(static_cast<Integer>(needed), false);
  }
}

void TDynamicType::Resize(Integer n, bool exact) {
  if (!exact) n = (n / 32) * 32 + 32;
  auto block = std::make_unique<Byte[]>(static_cast<size_t>(n));
  const ptrdiff_t offset = *FPos - *FBuffer;
  if (*FBuffer) std::memcpy(block.get(), *FBuffer, static_cast<size_t>(std::min(n, *FSize)));
  *FOwner = std::move(block);
  *FBuffer = FOwner->get();
  *FPos = *FBuffer + offset;
  *FSize = n;
}

void TDynamicType::Append(const char* text, Integer length) {
  if (length < 0) length = 0;
  AssureSpace(static_cast<Int64>(length) + 4);
  if (length > 0) std::memcpy(*FPos, text, static_cast<size_t>(length));
  *FPos += length;
  **FPos = 0;
}

std::unique_ptr<TExpressionNode> NewExprNode() { return std::make_unique<TExpressionNode>(); }

void DisposeTree(std::unique_ptr<TExpressionNode> node) {
  if (!node) return;
  for (auto& arg : node->ArgNode) DisposeTree(std::move(arg));
}

namespace {

void CopyValue8(TExpressionNode* node) {
  node->Result.AssureSpace(8);
  std::memcpy(node->Result.Position(), node->Args[0], 8);
}
void CopyValue4(TExpressionNode* node) {
  node->Result.AssureSpace(4);
  std::memcpy(node->Result.Position(), node->Args[0], 4);
}
void CopyValue1(TExpressionNode* node) {
  node->Result.AssureSpace(1);
  *node->Result.Position() = *node->Args[0];
}
void CopyStringConstant(TExpressionNode* node) {
  const char* text = reinterpret_cast<const char*>(node->Args[0]);
  node->Result.Append(text, static_cast<Integer>(std::strlen(text)));
}
void CopyStringVariable(TExpressionNode* node) {
  const char* text = *reinterpret_cast<const char**>(node->Args[0]);
  if (!text) text = "";
  node->Result.Append(text, static_cast<Integer>(std::strlen(text)));
}
void CopyFixedStringVariable(TExpressionNode* node) {
  const char* text = *reinterpret_cast<const char**>(node->Args[0]);
  Integer length = 0;
  std::memcpy(&length, node->Args[1], sizeof length);
  if (!text) length = 0;
  node->Result.Append(text, length);
}

AnsiString LowerName(std::string_view name) { return LowerCase(name); }

}  // namespace

TExprWord::TExprWord(std::string_view name, TExprFunc routine) : FName(LowerName(name)), FRoutine(routine) {}

TFloatConstant::TFloatConstant(std::string_view name, std::string_view text)
    : TConstant(name, exFloat, CopyValue8), FValue(text.empty() ? 0.0 : StrToFloat(text)) {}
TFloatConstant::TFloatConstant(std::string_view name, double value)
    : TConstant(name, exFloat, CopyValue8), FValue(value) {}

TStringConstant::TStringConstant(std::string_view token) : TConstant(token, exString, CopyStringConstant) {
  if (token.size() >= 2 && (token.front() == '\'' || token.front() == '"') && token.back() == token.front())
    FValue.assign(token.substr(1, token.size() - 2));
  else
    FValue.assign(token);
  // The evaluation reads the constant up to its first NUL.
  FValue.resize(std::strlen(FValue.c_str()));
}
TStringConstant::TStringConstant(std::string_view name, AnsiString value)
    : TConstant(name, exString, CopyStringConstant), FValue(std::move(value)) {
  FValue.resize(std::strlen(FValue.c_str()));
}

TIntegerConstant::TIntegerConstant(Integer value)
    : TConstant(IntToStr(value), exInteger, CopyValue4), FValue(value) {}

TBooleanConstant::TBooleanConstant(std::string_view name, Byte value)
    : TConstant(name, exBoolean, CopyValue1), FValue(value) {}

TFloatVariable::TFloatVariable(std::string_view name, double* address)
    : TVariable(name, exFloat, CopyValue8, reinterpret_cast<Byte*>(address)) {}
TIntegerVariable::TIntegerVariable(std::string_view name, Integer* address)
    : TVariable(name, exInteger, CopyValue4, reinterpret_cast<Byte*>(address)) {}
TLargeIntVariable::TLargeIntVariable(std::string_view name, Int64* address)
    : TVariable(name, exLargeInt, CopyValue8, reinterpret_cast<Byte*>(address)) {}
TDateTimeVariable::TDateTimeVariable(std::string_view name, double* address)
    : TVariable(name, exDateTime, CopyValue8, reinterpret_cast<Byte*>(address)) {}

TStringVariable::TStringVariable(std::string_view name, const char** address, Integer fixedLength,
                                 Integer maxLength)
    : TVariable(name, exString, fixedLength >= 0 ? CopyFixedStringVariable : CopyStringVariable,
                reinterpret_cast<Byte*>(address)),
      FText(address), FFixedLength(fixedLength), FMaxLength(maxLength) {}

AnsiString TStringVariable::AsString() const {
  const char* text = *FText;
  if (!text) return {};
  return FFixedLength >= 0 ? AnsiString(text, static_cast<size_t>(FFixedLength)) : AnsiString(text);
}

TFunction::TFunction(std::string_view name, std::string_view typeSpec, Integer minArgs, TExprType resultType,
                     TExprFunc routine, std::string_view description, TLengthRule lengthRule)
    : TExprWord(name, routine), FIsOperator(false), FPriority(0), FDescription(description),
      FResultType(resultType), FLengthRule(lengthRule) {
  SetTypeSpec(typeSpec);
  FMinArgs = minArgs < 0 ? FMaxArgs : minArgs;
}

TFunction::TFunction(std::string_view name, Integer priority, TExprFunc routine, TExprType resultType,
                     std::string_view typeSpec)
    : TExprWord(name, routine), FIsOperator(true), FPriority(priority), FResultType(resultType) {
  SetTypeSpec(typeSpec);
  FMinArgs = FMaxArgs;
}

void TFunction::SetTypeSpec(std::string_view typeSpec) {
  if (typeSpec.size() > static_cast<size_t>(kMaxArgs)) throw EParserException("Too many arguments");
  FTypeSpec.assign(typeSpec);
  FMaxArgs = static_cast<Integer>(typeSpec.size());
}

}  // namespace orv
