// The expression parser's core: tokenising, syntax errors, priorities, overloads, folding, buffers
// and the word table, over a parser whose unknown names become variables of the test.
#include <gtest/gtest.h>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include "dbf/DbfExprFuncs.h"
#include "dbf/ExprParser.h"

namespace orv {
namespace {

// Names starting with i are integers, l large integers, f floats, d date-times, b booleans' stand-ins
// are not needed; every other name is a NUL-terminated text.
class TTestParser : public TCustomExpressionParser {
 public:
  TTestParser() { FillExpressionList(); }
  ~TTestParser() override { ClearExpressions(); }

  std::map<std::string, Integer> Ints;
  std::map<std::string, Int64> Larges;
  std::map<std::string, double> Floats;
  std::map<std::string, std::string> Texts;
  std::map<std::string, const char*> TextPtrs;

  std::string EvalText() {
    Evaluate();
    return reinterpret_cast<const char*>(ResultBuffer());
  }
  template <typename T>
  T EvalValue() {
    Evaluate();
    T v{};
    std::memcpy(&v, ResultBuffer(), sizeof v);
    return v;
  }
  void SetText(const std::string& name, std::string value) {
    Texts[name] = std::move(value);
    TextPtrs[name] = Texts[name].c_str();
  }

 protected:
  void FillExpressionList() override {
    WordsList().DisposeAll();
    for (auto& w : MakeDbfWords(true)) AddWord(std::move(w));
  }
  void ResolveUnknownWord(std::string_view name) override {
    const std::string n(name);
    if (!std::isalpha(static_cast<unsigned char>(n[0]))) return;
    switch (n[0]) {
      case 'i': DefineIntegerVariable(name, &Ints[n]); break;
      case 'l': DefineLargeIntVariable(name, &Larges[n]); break;
      case 'f': DefineFloatVariable(name, &Floats[n]); break;
      case 'd': DefineDateTimeVariable(name, &Floats[n]); break;
      case 'x': break;  // stays unknown
      default:
        if (!Texts.count(n)) SetText(n, "");
        DefineStringVariable(name, &TextPtrs[n], -1);
    }
  }
  AnsiString GetExpression() const override { return {}; }
};

std::string CompileError(TTestParser& p, const std::string& text) {
  try {
    p.ClearExpressions();
    p.Compile(text);
  } catch (const Exception& e) {
    EXPECT_EQ(p.GetResultType(), exUnknown) << text;
    return e.Message();
  }
  return "<compiled>";
}

TEST(ExprParser, ComputesOperatorsAndFunctions) {
  struct TCase {
    const char* Text;
    TExprType Type;
    const char* Expected;  // the result as text: booleans 0/1, numbers by std::to_string
  };
  const TCase cases[] = {
      {"i1 = i2 + i3", exBoolean, "1"},
      {"i1 = i2 = i3", exBoolean, "0"},  // (2 = 3) gives a boolean, which no overload compares with 4
      {"i2 + i3", exInteger, "5"},
      {"i2 + l5", exLargeInt, "7"},
      {"l5 + i2", exLargeInt, "7"},
      {"l5 + l5", exLargeInt, "10"},
      {"f1 + i2", exFloat, "3.500000"},
      {"i2 + f1", exFloat, "3.500000"},
      {"l5 + f1", exFloat, "6.500000"},
      {"f1 + 2.5", exFloat, "4.000000"},
      {"i2 < f1", exBoolean, "0"},
      {"f1 < i2", exBoolean, "1"},
      {"l5 >= i2", exBoolean, "1"},
      {"i2 <= l5", exBoolean, "1"},
      {"l5 > f1", exBoolean, "1"},
      {"f1 = l5", exBoolean, "0"},
      {"i2 >= i3", exBoolean, "0"},
      {"i2 < i3 AND i3 < i1", exBoolean, "1"},
      {"i2 > i3 OR i3 > i1", exBoolean, "0"},
      {"i2 > i3 OR i3 < i1", exBoolean, "1"},
      {"NOT i2 = i3", exBoolean, "1"},
      {"NOT NOT i2 = i3", exBoolean, "0"},
      {"NOT NOT NOT i2 = i3", exBoolean, "1"},
      {"i2 = i3 AND NOT i1 = i3", exBoolean, "0"},
      {"((name))", exString, "Smith"},
      {"(name) + (city)", exString, "SmithParis"},
      {"name + ' ' + city", exString, "Smith Paris"},
      {"UPPER name + 'x'", exString, "SMITHx"},
      {"upper(name) + LOWER(city)", exString, "SMITHparis"},
      {"UPPERCASE('aZ') + LOWERCASE('aZ')", exString, "AZaz"},
      {"name = 'SMITH'", exBoolean, "1"},
      {"name\t=\t'SMITH'", exBoolean, "1"},  // a lone control character is no word
      {"name < 'smythe'", exBoolean, "1"},
      {"name > 'smythe'", exBoolean, "0"},
      {"name <= 'Smith'", exBoolean, "1"},
      {"name >= 'zz'", exBoolean, "0"},
      {"'abc", exString, "'abc"},
      {"\"q\" + 'r'", exString, "qr"},
      {"$1F + i2", exInteger, "33"},
      {".5 + f1", exFloat, "2.000000"},
      {"1.5e+1 + f1", exFloat, "16.500000"},
      {"DTOS(d1)", exString, "20240229"},
      {"SUBSTR(name, 2, 3)", exString, "mit"},
  };
  for (bool optimize : {true, false}) {
    TTestParser p;
    p.Optimize = optimize;
    p.Ints = {{"i1", 5}, {"i2", 2}, {"i3", 3}};
    p.Larges = {{"l5", 5}};
    p.Floats = {{"f1", 1.5}, {"d1", 45351.0}};
    p.SetText("name", "Smith");
    p.SetText("city", "Paris");
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.Text);
      p.ClearExpressions();
      try {
        p.Compile(c.Text);
      } catch (const Exception& e) {
        if (std::string(c.Text) == "i1 = i2 = i3") {
          EXPECT_EQ(e.Message(), "Argument type mismatch");
          continue;
        }
        ADD_FAILURE() << e.Message();
        continue;
      }
      ASSERT_EQ(p.GetResultType(), c.Type);
      std::string got;
      switch (c.Type) {
        case exBoolean: got = std::to_string(p.EvalValue<Byte>()); break;
        case exInteger: got = std::to_string(p.EvalValue<Integer>()); break;
        case exLargeInt: got = std::to_string(p.EvalValue<Int64>()); break;
        case exFloat: got = std::to_string(p.EvalValue<double>()); break;
        default: got = p.EvalText();
      }
      EXPECT_EQ(got, c.Expected) << "optimize " << optimize;
    }
  }
}

TEST(ExprParser, ReportsSyntaxErrorsWithTheirTexts) {
  const std::string deepSum = [] {
    std::string s = "i1";
    for (int i = 0; i < 300; ++i) s += "+i1";
    return s;
  }();
  const std::string deepCalls = [] {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "UPPER(";
    s += "name";
    for (int i = 0; i < 300; ++i) s += ")";
    return s;
  }();
  const std::pair<std::string, std::string> cases[] = {
      {"last first", "Missing operator between 'last' and 'first'"},
      {"LAST UPPER(FIRST)", "Missing operator between 'last' and 'upper'"},
      {"(A) UPPER(B)", "Missing operator between ')' and 'upper'"},
      {"UPPER(a) LOWER(b)", "Missing operator between ')' and 'lower'"},
      {"'x' 2", "Missing operator between ''x'' and '2'"},
      {"UPPER()", "Empty brackets ()"},
      {"(a", "Unequal brackets"},
      {"a)", "Unequal brackets"},
      {"(a)(b)", "Missing operator between )("},
      {"(a) b", "Missing operator between ) and constant/variable"},
      {"a (b)", "Missing operator between constant/variable and ("},
      {"STR(1, 2, 3, 4)", "Argument type mismatch"},  // the error of the last overload tried
      {"UPPER('a', 'b')", "Function or operand has too many arguments"},
      {"UPPER(a, b, c, d, e, f, g)", "Function or operand has too many arguments"},
      {"SUBSTR('abc', 1)", "Function or operand has too few arguments"},
      {"a +", "Function or operand has too few arguments"},
      {"UPPER", "Function or operand has too few arguments"},
      {"UPPER(i1)", "Argument type mismatch"},
      {"a + i1", "Argument type mismatch"},
      {"NOT a", "Argument type mismatch"},
      {"xname = 'a'", "Unknown variable 'xname' found."},
      {"a - b", "Unknown variable '-' found."},
      {",", "Operand/function missing"},
      {"UPPER(a,,b)", "Operand/function missing"},
      {"i1 = NOT i2", "Argument type mismatch"},
      {deepSum, "Expression too deeply nested"},
      {deepCalls, "Expression too deeply nested"},
      {"UPPER UPPER name", "Function or operand has too few arguments"},
  };
  TTestParser p;
  for (const auto& [text, message] : cases) EXPECT_EQ(CompileError(p, text), message) << text.substr(0, 40);
}

TEST(ExprParser, BadNumbersFailWithConversionErrors) {
  TTestParser p;
  for (const char* text : {"1e5", "99999999999", "$FFFFFFFFF", "1.5e"}) {
    SCOPED_TRACE(text);
    p.ClearExpressions();
    EXPECT_THROW(p.Compile(text), EConvertError);
    EXPECT_EQ(p.GetResultType(), exUnknown);
  }
}

TEST(ExprParser, ManyBracketsAroundOneNameReduceToTheName) {
  TTestParser p;
  p.SetText("name", "Ann");
  p.Compile(std::string(5000, '(') + "name" + std::string(5000, ')'));
  EXPECT_EQ(p.EvalText(), "Ann");
}

TEST(ExprParser, StrFormatsIntegersAndFloats) {
  const std::pair<const char*, std::string> cases[] = {
      {"STR(i5, 4)", "0005"},
      {"STR(2.5)", "3"},  // ties away from zero
      {"STR(fm25)", "-3"},
      {"STR(0.125, 5, 2)", " 0.13"},
      {"STR(2.675, 5, 2)", " 2.67"},  // below the tie as a double
      {"STR(f5, 4)", "   5"},
      {"STR(f1234, 3)", "123"},
      {"STR(im5)", "-5"},
      {"STR(im5, 4)", "-005"},
      {"STR(im5, 1)", "-"},
      {"STR(i1234, 2)", "34"},
      {"STR(i5, 3, 2)", "005.00"},
      {"STR(i5)", "5"},
      {"STR(f5)", "5"},
      {"STR(f1234, 8, 2)", " 1234.50"},
      {"STR(fm, 10, 1)", "   -2500.3"},  // the tie goes away from zero
      {"STR(f01, 22, 20)", "0.10000000000000000600"},  // 18 significant digits, then zeros
      {"STR(fm, 26, 20)", "-2500.25000000000000000000"},
      {"STR(f01, 22, 17)", "   0.10000000000000001"},
      {"STR(fsmall, 24, 22)", "0.0000012345678912345679"},
      {"STR(imin)", "-2147483648"},
      {"STR(imin, 11)", "-2147483648"},
      {"STR(i5, ineg3)", ""},
      {"STR(f5, 300)", std::string(254, ' ') + "5"},
  };
  TTestParser p;
  p.Ints = {{"ineg3", -3}, {"i5", 5}, {"im5", -5}, {"i1234", 1234}, {"imin", -2147483647 - 1}};
  p.Floats = {{"f5", 5.0}, {"f1234", 1234.5}, {"fm", -2500.25}, {"f01", 0.1}, {"fsmall", 1.23456789123456789e-6},
              {"fm25", -2.5}};
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    p.ClearExpressions();
    p.Compile(text);
    EXPECT_EQ(p.EvalText(), expected);
  }
}

TEST(ExprParser, SubstrBoundsGiveTheEmptyText) {
  const std::pair<const char*, const char*> cases[] = {
      {"SUBSTR(s, 3, 4)", "cdef"},   // reaches exactly the end
      {"SUBSTR(s, 3, 5)", ""},       // one further
      {"SUBSTR(s, 1, 0)", ""},
      {"SUBSTR(s, 7, 0)", ""},
      {"SUBSTR(s, 0, 2)", ""},
      {"SUBSTR(s, ineg5, 2)", ""},
      {"SUBSTR(s, 2, ineg1)", ""},
      {"SUBSTR(s, 2147483647, 2147483647)", ""},
      {"SUBSTR(s, 2, 2147483647)", ""},
  };
  TTestParser p;
  p.SetText("s", "abcdef");
  p.Ints = {{"ineg5", -5}, {"ineg1", -1}};
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    p.ClearExpressions();
    p.Compile(text);
    EXPECT_EQ(p.EvalText(), expected);
  }
}

TEST(ExprParser, BuffersGrowForLongTexts) {
  TTestParser p;
  const std::string longText(1000, 'a');
  p.SetText("s", longText);
  p.Compile("UPPER(s) + s + SUBSTR(s, 1, 3) + 'z'");
  const std::string expected = std::string(1000, 'A') + longText + "aaaz";
  EXPECT_EQ(p.EvalText(), expected);
  p.SetText("s", "b");
  EXPECT_EQ(p.EvalText(), "Bbz") << "a shorter value after a longer one";
  p.SetText("s", longText);
  EXPECT_EQ(p.EvalText(), expected);
}

TEST(ExprParser, VariablesFollowTheirStorage) {
  TTestParser p;
  p.Ints["i1"] = 1;
  p.Compile("i1 + 10");
  EXPECT_EQ(p.EvalValue<Integer>(), 11);
  p.Ints["i1"] = 2147483647;
  EXPECT_EQ(p.EvalValue<Integer>(), -2147483647 + 8) << "32-bit sums wrap";
}

TEST(ExprParser, RedefiningAVariableRebindsTheCompiledExpression) {
  TTestParser p;
  p.Ints["i1"] = 1;
  p.Compile("i1 + 1");
  Integer other = 41;
  p.DefineIntegerVariable("I1", &other);
  EXPECT_EQ(p.EvalValue<Integer>(), 42);
  try {
    p.ReplaceFunction("i1", nullptr);
    ADD_FAILURE() << "undefined a variable in use";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot undefine function/variable while expression present");
  }
  try {
    p.ReplaceFunction("i1", std::make_unique<TFunction>("i1", "S", 1, exString, nullptr));
    ADD_FAILURE() << "replaced a variable by a function";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot replace variable/function MaxFunctionArg doesn't match");
  }
  EXPECT_EQ(p.EvalValue<Integer>(), 42);
  double real = 1;
  EXPECT_THROW(p.DefineFloatVariable("i1", &real), Exception) << "the sum was compiled for an integer";
  EXPECT_EQ(p.EvalValue<Integer>(), 42);
  p.ClearExpressions();
  p.ReplaceFunction("i1", nullptr);
  p.Compile("i1 + 1");  // defined afresh through the unknown-name hook
  EXPECT_EQ(p.EvalValue<Integer>(), 2);
}

TEST(ExprParser, FixedLengthTextReplacesANulTerminatedOne) {
  TTestParser p;
  p.SetText("s", "abc");
  p.Compile("s + 'x'");
  const char* text = "defgh";
  p.DefineStringVariable("s", &text, 2);
  EXPECT_EQ(p.EvalText(), "dex");
  p.DefineStringVariable("s", &text, -1);
  EXPECT_EQ(p.EvalText(), "defghx");
}

TEST(ExprParser, TooLongTypeSpecificationIsRejected) {
  try {
    TFunction f("f", "SSSSSSS", 1, exString, nullptr);
    ADD_FAILURE();
  } catch (const EParserException& e) {
    EXPECT_EQ(e.Message(), "Too many arguments");
  }
}

TEST(ExprParser, WordTableFindsTheLastRegisteredOverloadFirst) {
  TExpressList list;
  list.AllowDuplicates = true;
  auto a = std::make_unique<TFunction>("+", 40, nullptr, exString, "SS");
  auto b = std::make_unique<TFunction>("+", 40, nullptr, exInteger, "II");
  TExprWord* first = a.get();
  TExprWord* second = b.get();
  list.InsertItem(std::move(a));
  list.InsertItem(std::make_unique<TIntegerConstant>(7));
  list.InsertItem(std::move(b));
  EXPECT_EQ(list.Find("+"), second);
  EXPECT_EQ(list.IndexOfItem(first), list.IndexOfItem(second) + 1);
  list.AllowDuplicates = false;
  list.InsertItem(std::make_unique<TIntegerConstant>(7));
  EXPECT_EQ(list.Count(), 3) << "a present name is not inserted again";
  EXPECT_EQ(TypeOfLetter('S'), exString);
  EXPECT_EQ(TypeOfLetter('s'), exUnknown);
}

}  // namespace
}  // namespace orv
