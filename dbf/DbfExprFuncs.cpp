// Routines of the table-expression operators and functions: sums, comparisons, logic, STR, DTOS,
// SUBSTR and the case conversions.
#include "dbf/DbfExprFuncs.h"
#include "platform/rtl/FloatDigits.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <cstring>
#include "platform/rtl/DateTime.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

template <typename T>
T Arg(const TExpressionNode* node, int i) {
  T value{};
  std::memcpy(&value, node->Args[i], sizeof value);
  return value;
}
const char* TextArg(const TExpressionNode* node, int i) { return reinterpret_cast<const char*>(node->Args[i]); }

template <typename T>
void Put(TExpressionNode* node, T value) {
  node->Result.AssureSpace(sizeof value);
  std::memcpy(node->Result.Position(), &value, sizeof value);
}
void PutBool(TExpressionNode* node, bool value) { Put<Byte>(node, value ? 1 : 0); }

template <char A> struct TArgOf;
template <> struct TArgOf<'I'> { using T = Integer; };
template <> struct TArgOf<'L'> { using T = Int64; };
template <> struct TArgOf<'F'> { using T = double; };

enum TCompare { cmEq, cmLt, cmGt, cmLe, cmGe };

template <TCompare Op, typename T>
bool Compare(T a, T b) {
  switch (Op) {
    case cmEq: return a == b;
    case cmLt: return a < b;
    case cmGt: return a > b;
    case cmLe: return a <= b;
    default: return a >= b;
  }
}

template <TCompare Op, bool NoCase>
void CompareText(TExpressionNode* node) {
  const int c = NoCase ? AnsiCompareText(TextArg(node, 0), TextArg(node, 1)) : AnsiCompareStr(TextArg(node, 0), TextArg(node, 1));
  PutBool(node, Compare<Op, int>(c, 0));
}

template <TCompare Op, char A, char B>
void CompareNumbers(TExpressionNode* node) {
  using TA = typename TArgOf<A>::T;
  using TB = typename TArgOf<B>::T;
  const TA a = Arg<TA>(node, 0);
  const TB b = Arg<TB>(node, 1);
  if constexpr (A == 'F' || B == 'F')
    PutBool(node, Compare<Op, long double>(static_cast<long double>(a), static_cast<long double>(b)));
  else
    PutBool(node, Compare<Op, Int64>(static_cast<Int64>(a), static_cast<Int64>(b)));
}

template <char A, char B>
void SumFloat(TExpressionNode* node) {
  Put<double>(node, static_cast<double>(Arg<typename TArgOf<A>::T>(node, 0)) +
                        static_cast<double>(Arg<typename TArgOf<B>::T>(node, 1)));
}
// Integer sums wrap around like the machine's adds instead of overflowing.
void SumInteger(TExpressionNode* node) {
  Put<Integer>(node, static_cast<Integer>(static_cast<LongWord>(Arg<Integer>(node, 0)) +
                                          static_cast<LongWord>(Arg<Integer>(node, 1))));
}
template <char A, char B>
void SumLarge(TExpressionNode* node) {
  const auto a = static_cast<std::uint64_t>(static_cast<Int64>(Arg<typename TArgOf<A>::T>(node, 0)));
  const auto b = static_cast<std::uint64_t>(static_cast<Int64>(Arg<typename TArgOf<B>::T>(node, 1)));
  Put<Int64>(node, static_cast<Int64>(a + b));
}

void FuncNot(TExpressionNode* node) { Put<Byte>(node, static_cast<Byte>(*node->Args[0] ^ 1)); }
void FuncAnd(TExpressionNode* node) { PutBool(node, *node->Args[0] != 0 && *node->Args[1] != 0); }
void FuncOr(TExpressionNode* node) { PutBool(node, *node->Args[0] != 0 || *node->Args[1] != 0); }

constexpr Integer kMaxStrWidth = 255;
Integer ClampWidth(Integer v) { return std::clamp<Integer>(v, 0, kMaxStrWidth); }
bool HasArg(const TExpressionNode* node, int i) { return node->ArgType[i] != exUnknown; }

void AppendText(TExpressionNode* node, std::string_view text) {
  node->Result.Append(text.data(), static_cast<Integer>(text.size()));
}

// Fixed notation with at most 18 significant digits; digits past them are written as zeros.
std::to_chars_result FixedText(char* buf, double value, Integer decimals) {
  constexpr int kPrecision = 18;
  char sci[64];
  const auto e = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, kPrecision - 1);
  const std::string_view text(sci, static_cast<size_t>(e.ptr - sci));
  const size_t expAt = text.find('e');
  const int exponent = std::atoi(text.data() + expAt + 1);
  if (value == 0 || exponent + 1 + decimals <= kPrecision) {
    if (decimals > 18) return std::to_chars(buf, buf + 400, value, std::chars_format::fixed, decimals);
    // Ties round away from zero, as the class library's fixed format does (STR(2.5) is 3).
    const std::string fixed = FormatFloatFixed(value, decimals, '.', 0, kPrecision);
    std::memcpy(buf, fixed.data(), fixed.size());
    return {buf + fixed.size(), std::errc()};
  }
  std::string digits;
  for (char c : text.substr(0, expAt))
    if (c >= '0' && c <= '9') digits += c;
  std::string out = value < 0 ? "-" : "";
  const int intDigits = exponent + 1;
  if (intDigits > 0) {
    out += digits.substr(0, static_cast<size_t>(intDigits));
    digits.erase(0, static_cast<size_t>(intDigits));
  } else {
    out += '0';
    digits.insert(0, static_cast<size_t>(-intDigits), '0');
  }
  if (decimals > 0) {
    digits.resize(static_cast<size_t>(decimals), '0');
    out += '.' + digits;
  }
  std::memcpy(buf, out.data(), out.size());
  return {buf + out.size(), std::errc()};
}

void FuncStrFloat(TExpressionNode* node) {
  const double value = Arg<double>(node, 0);
  const bool hasWidth = HasArg(node, 1);
  const Integer width = hasWidth ? ClampWidth(Arg<Integer>(node, 1)) : 18;
  const Integer decimals = HasArg(node, 2) ? ClampWidth(Arg<Integer>(node, 2)) : 0;
  char buf[512];
  std::to_chars_result r;
  if (!std::isfinite(value)) {
    const char* word = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    r.ptr = buf + std::strlen(word);
    std::memcpy(buf, word, static_cast<size_t>(r.ptr - buf));
  } else if (std::fabs(value) < 1e18) {
    r = FixedText(buf, value, decimals);
  } else {
    r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 17);
  }
  std::string_view text(buf, static_cast<size_t>(r.ptr - buf));
  if (static_cast<Integer>(text.size()) > width) text = text.substr(0, static_cast<size_t>(width));
  if (hasWidth && static_cast<Integer>(text.size()) < width)
    AppendText(node, AnsiString(static_cast<size_t>(width) - text.size(), ' '));
  AppendText(node, text);
}

void FuncStrInteger(TExpressionNode* node) {
  const Int64 value = Arg<Integer>(node, 0);
  const std::string digits = std::to_string(value < 0 ? -value : value);
  if (!HasArg(node, 1)) {
    AppendText(node, (value < 0 ? "-" : "") + digits);
    return;
  }
  const size_t width = static_cast<size_t>(ClampWidth(Arg<Integer>(node, 1)));
  AnsiString text;
  if (value < 0 && width > 0) text = "-";
  const size_t room = width - text.size();
  if (digits.size() >= room)
    text += digits.substr(digits.size() - room);
  else
    text += AnsiString(room - digits.size(), '0') + digits;
  if (HasArg(node, 2)) text += "." + AnsiString(static_cast<size_t>(ClampWidth(Arg<Integer>(node, 2))), '0');
  AppendText(node, text);
}

void FuncDtos(TExpressionNode* node) { AppendText(node, FormatDateTime("yyyymmdd", Arg<double>(node, 0))); }

void FuncSubstr(TExpressionNode* node) {
  const char* text = TextArg(node, 0);
  const Int64 length = static_cast<Int64>(std::strlen(text));
  const Int64 start = Arg<Integer>(node, 1);
  const Int64 count = Arg<Integer>(node, 2);
  if (start < 1 || count < 0 || start - 1 + count > length) {
    AppendText(node, {});
    return;
  }
  AppendText(node, std::string_view(text + (start - 1), static_cast<size_t>(count)));
}

template <bool Upper>
void FuncCase(TExpressionNode* node) {
  const char* text = TextArg(node, 0);
  const Integer length = static_cast<Integer>(std::strlen(text));
  node->Result.Append(text, length);
  Byte* p = node->Result.Position() - length;
  for (Integer i = 0; i < length; ++i) {
    if (Upper && p[i] >= 'a' && p[i] <= 'z') p[i] = static_cast<Byte>(p[i] - 32);
    if (!Upper && p[i] >= 'A' && p[i] <= 'Z') p[i] = static_cast<Byte>(p[i] + 32);
  }
}

bool ConstantInteger(const TExpressionNode* node, Integer& value) {
  if (!node || !node->Word->IsValueWord() || node->Word->CanVary() || node->Word->ResultType() != exInteger)
    return false;
  std::memcpy(&value, node->Word->AsPointer(), sizeof value);
  return true;
}

// STR gives its width, or without one the width of its argument type's largest value.
Integer StrLength(const TExpressionNode& node, const Integer*) {
  const bool isFloat = node.ArgNode[0] && node.ArgNode[0]->Word->ResultType() == exFloat;
  if (!node.ArgNode[1]) return isFloat ? 18 : 11;
  Integer width = kMaxStrWidth, decimals = kMaxStrWidth;
  if (ConstantInteger(node.ArgNode[1].get(), width)) width = ClampWidth(width);
  if (isFloat || !node.ArgNode[2]) return width;
  if (ConstantInteger(node.ArgNode[2].get(), decimals)) decimals = ClampWidth(decimals);
  return width + 1 + decimals;
}
Integer DtosLength(const TExpressionNode&, const Integer*) { return 8; }
Integer SubstrLength(const TExpressionNode& node, const Integer* lengths) {
  Integer start = 0, count = 0;
  const bool knownStart = ConstantInteger(node.ArgNode[1].get(), start);
  if (!ConstantInteger(node.ArgNode[2].get(), count)) return lengths[0];
  if (count < 0 || (knownStart && (start < 1 || static_cast<Int64>(start) - 1 + count > lengths[0]))) return 0;
  return std::min(count, lengths[0]);
}
Integer FirstLength(const TExpressionNode&, const Integer* lengths) { return lengths[0]; }

using TWords = std::vector<std::unique_ptr<TExprWord>>;

void AddOperator(TWords& words, const char* name, Integer priority, TExprFunc routine, TExprType result,
                 const char* spec) {
  words.push_back(std::make_unique<TFunction>(name, priority, routine, result, spec));
}

template <char A, char B>
void AddNumericCompares(TWords& words) {
  const char spec[3] = {A, B, 0};
  AddOperator(words, "=", 80, CompareNumbers<cmEq, A, B>, exBoolean, spec);
  AddOperator(words, "<", 80, CompareNumbers<cmLt, A, B>, exBoolean, spec);
  AddOperator(words, ">", 80, CompareNumbers<cmGt, A, B>, exBoolean, spec);
  AddOperator(words, "<=", 80, CompareNumbers<cmLe, A, B>, exBoolean, spec);
  AddOperator(words, ">=", 80, CompareNumbers<cmGe, A, B>, exBoolean, spec);
}

template <bool NoCase>
void AddTextCompares(TWords& words) {
  AddOperator(words, "=", 80, CompareText<cmEq, NoCase>, exBoolean, "SS");
  AddOperator(words, "<", 80, CompareText<cmLt, NoCase>, exBoolean, "SS");
  AddOperator(words, ">", 80, CompareText<cmGt, NoCase>, exBoolean, "SS");
  AddOperator(words, "<=", 80, CompareText<cmLe, NoCase>, exBoolean, "SS");
  AddOperator(words, ">=", 80, CompareText<cmGe, NoCase>, exBoolean, "SS");
}

}  // namespace

TWords MakeDbfWords(bool caseInsensitive) {
  TWords words;
  words.push_back(std::make_unique<TLeftBracket>());
  words.push_back(std::make_unique<TRightBracket>());
  words.push_back(std::make_unique<TComma>(','));
  AddOperator(words, "+", 40, nullptr, exString, "SS");
  AddOperator(words, "+", 40, SumFloat<'F', 'F'>, exFloat, "FF");
  AddOperator(words, "+", 40, SumFloat<'F', 'I'>, exFloat, "FI");
  AddOperator(words, "+", 40, SumFloat<'I', 'F'>, exFloat, "IF");
  AddOperator(words, "+", 40, SumFloat<'F', 'L'>, exFloat, "FL");
  AddOperator(words, "+", 40, SumFloat<'L', 'F'>, exFloat, "LF");
  AddOperator(words, "+", 40, SumInteger, exInteger, "II");
  AddOperator(words, "+", 40, SumLarge<'I', 'L'>, exLargeInt, "IL");
  AddOperator(words, "+", 40, SumLarge<'L', 'L'>, exLargeInt, "LL");
  AddOperator(words, "+", 40, SumLarge<'L', 'I'>, exLargeInt, "LI");
  if (caseInsensitive)
    AddTextCompares<true>(words);
  else
    AddTextCompares<false>(words);
  AddNumericCompares<'F', 'F'>(words);
  AddNumericCompares<'F', 'I'>(words);
  AddNumericCompares<'I', 'I'>(words);
  AddNumericCompares<'I', 'F'>(words);
  AddNumericCompares<'L', 'L'>(words);
  AddNumericCompares<'L', 'F'>(words);
  AddNumericCompares<'L', 'I'>(words);
  AddNumericCompares<'F', 'L'>(words);
  AddNumericCompares<'I', 'L'>(words);
  AddOperator(words, "NOT", 85, FuncNot, exBoolean, "B");
  AddOperator(words, "AND", 90, FuncAnd, exBoolean, "BB");
  AddOperator(words, "OR", 100, FuncOr, exBoolean, "BB");
  words.push_back(std::make_unique<TFunction>("STR", "FII", 1, exString, FuncStrFloat, "", StrLength));
  words.push_back(std::make_unique<TFunction>("STR", "III", 1, exString, FuncStrInteger, "", StrLength));
  words.push_back(std::make_unique<TFunction>("DTOS", "D", 1, exString, FuncDtos, "", DtosLength));
  words.push_back(std::make_unique<TFunction>("SUBSTR", "SII", 3, exString, FuncSubstr, "", SubstrLength));
  words.push_back(std::make_unique<TFunction>("UPPERCASE", "S", 1, exString, FuncCase<true>, "", FirstLength));
  words.push_back(std::make_unique<TFunction>("LOWERCASE", "S", 1, exString, FuncCase<false>, "", FirstLength));
  words.push_back(std::make_unique<TFunction>("UPPER", "S", 1, exString, FuncCase<true>, "", FirstLength));
  words.push_back(std::make_unique<TFunction>("LOWER", "S", 1, exString, FuncCase<false>, "", FirstLength));
  return words;
}

}  // namespace orv
