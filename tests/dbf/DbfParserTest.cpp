// Table expressions over record buffers: field variables of every type, the functions on fields,
// result types and lengths, the preparation errors and the options that rebuild the word table.
#include <gtest/gtest.h>
#include <cstring>
#include "dbf/DbfFieldCodec.h"
#include "dbf/DbfLang.h"
#include "dbf/DbfParser.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv {
namespace {

using test::TFieldSpec;

class DbfParserTest : public test::TTempDir {
 protected:
  void SetUp() override {
    TTempDir::SetUp();
    File = Create("people.dbf", kLevelDbase4,
                  {{"NAME", 'C', 10, 0},
                   {"CITY", 'C', 8, 0},
                   {"NUM", 'N', 6, 0},
                   {"SMALL", 'N', 3, 0},
                   {"AMT", 'N', 10, 2},
                   {"BIG", 'N', 15, 0},
                   {"BORN", 'D', 8, 0},
                   {"OK", 'L', 1, 0},
                   {"NOTES", 'M', 10, 0}});
    Record.resize(static_cast<size_t>(File->RecordSize()));
    Blank = Record;
    File->BlankRecord(Blank.data());
    File->BlankRecord(Record.data());
    Put("NAME", ftString, "Smith");
    Put("CITY", ftString, "paris");
    const Integer num = 42;
    Put("NUM", ftInteger, &num);
    const std::int16_t small = -7;
    Put("SMALL", ftSmallint, &small);
    const double amt = 1234.5;
    Put("AMT", ftFloat, &amt);
    const Int64 big = 12345678901LL;
    Put("BIG", ftLargeint, &big);
    const Integer born = DayNumberOf(1970, 3, 9);
    Put("BORN", ftDate, &born);
    const std::int16_t yes = 1;
    Put("OK", ftBoolean, &yes);
  }
  void Put(const char* field, TFieldType type, const void* value) {
    for (size_t i = 0; i < File->FieldDefs().Count(); ++i)
      if (File->FieldDefs()[i].FieldName() == field) {
        File->EncodeFieldValue(static_cast<Integer>(i), type, Record.data(), value);
        return;
      }
    FAIL() << field;
  }
  std::unique_ptr<TDbfFile> File;
  std::vector<Byte> Record, Blank;
};

std::string ResultText(TDbfParser& p, const std::vector<Byte>& record) {
  const Byte* r = p.EvaluateRecord(record.data());
  switch (p.GetResultType()) {
    case exBoolean: return std::to_string(r[0]);
    case exInteger: { Integer v; std::memcpy(&v, r, 4); return std::to_string(v); }
    case exLargeInt: { Int64 v; std::memcpy(&v, r, 8); return std::to_string(v); }
    case exFloat: case exDateTime: { double v; std::memcpy(&v, r, 8); return std::to_string(v); }
    case exString:
      return p.IsComputed() ? std::string(reinterpret_cast<const char*>(r))
                            : std::string(reinterpret_cast<const char*>(r), static_cast<size_t>(p.ResultLength()));
    default: return "<unknown>";
  }
}

TEST_F(DbfParserTest, EvaluatesFieldsAndFunctionsOnARecord) {
  struct TCase {
    const char* Text;
    TExprType Type;
    Integer Length;
    const char* OnRecord;
    const char* OnBlank;
  };
  const TCase cases[] = {
      {"NAME", exString, 10, "Smith     ", "          "},
      {"name", exString, 10, "Smith     ", "          "},
      {"OK", exString, 1, "T", " "},
      {"NUM", exInteger, 4, "42", "0"},
      {"SMALL", exInteger, 4, "-7", "0"},
      {"AMT", exFloat, 8, "1234.500000", "0.000000"},
      {"BIG", exLargeInt, 8, "12345678901", "0"},
      {"BORN", exDateTime, 8, "25636.000000", "0.000000"},
      {"NAME + CITY", exString, 18, "Smith     paris   ", "                  "},
      {"UPPER(NAME) + UPPER(CITY)", exString, 18, "SMITH     PARIS   ", "                  "},
      {"LOWER(NAME) = 'smith     '", exBoolean, 1, "1", "0"},
      {"NAME = 'SMITH     '", exBoolean, 1, "1", "0"},
      {"SUBSTR(NAME, 1, 3) = 'Smi'", exBoolean, 1, "1", "0"},
      {"SUBSTR(NAME, 2, 3)", exString, 3, "mit", "   "},
      {"SUBSTR(NAME, 8, 3)", exString, 3, "   ", "   "},
      {"SUBSTR(NAME, 9, 3)", exString, 0, "", ""},
      {"NUM + SMALL", exInteger, 4, "35", "0"},
      {"NUM + BIG", exLargeInt, 8, "12345678943", "0"},
      {"AMT + NUM", exFloat, 8, "1276.500000", "0.000000"},
      {"NUM > 41 AND AMT < 1234.6", exBoolean, 1, "1", "0"},
      {"NUM = 41 OR BIG > 12345678900.5", exBoolean, 1, "1", "0"},
      {"BIG = 12345678901.0", exBoolean, 1, "1", "0"},
      {"NOT NUM = 42", exBoolean, 1, "0", "1"},
      {"STR(NUM)", exString, 11, "42", "0"},
      {"STR(AMT)", exString, 18, "1235", "0"},  // 1234.5: the tie goes away from zero
      {"STR(NUM) + STR(AMT)", exString, 29, "421235", "00"},
      {"STR(NUM, 5)", exString, 5, "00042", "00000"},
      {"STR(NUM, 5, 2)", exString, 8, "00042.00", "00000.00"},
      {"STR(AMT, 9, 2)", exString, 9, "  1234.50", "     0.00"},
      {"DTOS(BORN)", exString, 8, "19700309", "18991230"},
      {"DTOS(BORN) + NAME", exString, 18, "19700309Smith     ", "18991230          "},
      {"OK = 'T'", exBoolean, 1, "1", "0"},
  };
  TDbfParser p(File.get());
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    p.PrepareExpression(c.Text);
    EXPECT_EQ(p.GetResultType(), c.Type);
    EXPECT_EQ(p.ResultLength(), c.Length);
    EXPECT_EQ(p.GetExpression(), c.Text);
    EXPECT_EQ(ResultText(p, Record), c.OnRecord);
    EXPECT_EQ(ResultText(p, Blank), c.OnBlank);
  }
}

TEST_F(DbfParserTest, TrimmedTextsWithoutRawStrings) {
  TDbfParser p(File.get());
  p.SetRawStrings(false);
  const std::pair<const char*, const char*> cases[] = {
      {"NAME", "Smith"},
      {"NAME + CITY", "Smithparis"},
      {"NAME = 'smith'", "1"},
      {"UPPER(CITY) = 'PARIS'", "1"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    p.PrepareExpression(text);
    const Byte* r = p.EvaluateRecord(Record.data());
    const std::string got = p.GetResultType() == exBoolean ? std::to_string(r[0]) : reinterpret_cast<const char*>(r);
    EXPECT_EQ(got, expected);
  }
  p.PrepareExpression("NAME");
  EXPECT_STREQ(reinterpret_cast<const char*>(p.EvaluateRecord(Blank.data())), " ")
      << "a blank field keeps its first character";
}

TEST_F(DbfParserTest, TextFieldsAreConvertedToTheAnsiCodePage) {
  File.reset();
  auto bytes = ReadBytes("people.dbf");
  for (int driver = 1; driver < 256 && bytes[29] == 0; ++driver)
    if (!IsFoxProDriver(static_cast<Byte>(driver)) && CodePageOfDriver(static_cast<Byte>(driver)) == 850)
      bytes[29] = static_cast<Byte>(driver);
  ASSERT_NE(bytes[29], 0);
  WriteBytes("people.dbf", bytes);
  File = Open("people.dbf");
  ASSERT_EQ(File->UseCodePage(), 850u);
  const char oem[] = "M\x81ller";  // u-umlaut in code page 850
  Put("NAME", ftString, oem);
  // The codec may convert on encoding; write the raw OEM bytes directly.
  const TDbfFieldDef* def = File->FieldDefByName("NAME");
  std::memcpy(Record.data() + def->Offset(), oem, 6);
  TDbfParser p(File.get());
  p.SetRawStrings(false);
  p.PrepareExpression("NAME = 'M\xFCller'");
  EXPECT_EQ(p.EvaluateRecord(Record.data())[0], 1);
}

TEST_F(DbfParserTest, CaseSensitivityFollowsTheOptionAndKeepsTheExpression) {
  TDbfParser p(File.get());
  p.SetRawStrings(false);
  p.PrepareExpression("CITY = 'PARIS'");
  EXPECT_EQ(p.EvaluateRecord(Record.data())[0], 1);
  p.SetCaseInsensitive(false);
  EXPECT_EQ(p.GetExpression(), "CITY = 'PARIS'") << "prepared again after the rebuild";
  EXPECT_EQ(p.EvaluateRecord(Record.data())[0], 0);
  p.SetCaseInsensitive(true);
  EXPECT_EQ(p.EvaluateRecord(Record.data())[0], 1);
  p.SetRawStrings(true);
  EXPECT_EQ(p.GetExpression(), "CITY = 'PARIS'");
  EXPECT_EQ(p.EvaluateRecord(Record.data())[0], 1);
}

TEST_F(DbfParserTest, PreparationErrors) {
  struct TCase {
    std::string Text;
    std::string Message;
  };
  const std::string longText = [] {
    std::string s = "NAME";
    for (int i = 0; i < 10; ++i) s += " + NAME";
    return s;
  }();
  const TCase cases[] = {
      {"NAME = NOSUCH", "Index based on unknown field \"NOSUCH\"."},
      {"NOSUCH", "Index based on unknown field \"NOSUCH\"."},
      {"NAME # 'a'", "Index based on unknown field \"#\"."},
      {"NAME - CITY", "Index based on unknown field \"-\"."},
      {"NOTES", "Field \"NOTES\" is an invalid field type to base index on."},
      {"UPPER(NOTES)", "Field \"NOTES\" is an invalid field type to base index on."},
      {longText, "Index result for \"" + longText + "\" too long, >100 characters (110)."},
      {"STR(NUM, 99, 9)", "Index result for \"STR(NUM, 99, 9)\" too long, >100 characters (109)."},
      {"NAME CITY", "Missing operator between 'name' and 'city'"},
      {"(NAME", "Unequal brackets"},
  };
  TDbfParser p(File.get());
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    p.PrepareExpression("NUM");
    try {
      p.PrepareExpression(c.Text);
      ADD_FAILURE() << "prepared";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_EQ(p.GetExpression(), "");
  }
  // Nothing of a failed preparation stays bound: the same parser prepares again.
  p.PrepareExpression("NUM = 42");
  EXPECT_EQ(p.EvaluateRecord(Record.data())[0], 1);
}

TEST_F(DbfParserTest, TooLongResultKeepsTheCompiledExpression) {
  TDbfParser p(File.get());
  EXPECT_THROW(p.PrepareExpression("STR(NUM, 101)"), EDbfError);
  EXPECT_EQ(p.GetResultType(), exString);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.EvaluateRecord(Record.data()))),
            std::string(99, '0') + "42");
}

TEST_F(DbfParserTest, ParserWithoutTableKnowsNoFields) {
  TDbfParser p(nullptr);
  EXPECT_THROW(p.PrepareExpression("NAME"), EDbfError);
  p.PrepareExpression("UPPER('a') = 'A'");
  EXPECT_EQ(p.EvaluateRecord(nullptr)[0], 1);
  p.SetDbfFile(File.get());
  p.PrepareExpression("NAME = 'Smith     '");
  EXPECT_EQ(p.EvaluateRecord(Record.data())[0], 1);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

class DbfParserWordNames : public test::TTempDir {};

TEST_F(DbfParserWordNames, FieldNamedLikeAFunctionLeavesTheFunctionInPlace) {
  auto file = Create("words.dbf", kLevelDbase4, {{"STR", 'C', 5, 0}, {"N", 'N', 5, 0}});
  std::vector<Byte> rec(static_cast<size_t>(file->RecordSize()));
  file->BlankRecord(rec.data());
  const Integer n = 7;
  file->EncodeFieldValue(1, ftInteger, rec.data(), &n);
  TDbfParser p(file.get());
  try {
    p.PrepareExpression("STR");
    ADD_FAILURE() << "a function name read as a field";
  } catch (const EParserException& e) {
    EXPECT_EQ(e.Message(), "Function or operand has too few arguments");
  }
  p.PrepareExpression("STR(N, 3)");
  EXPECT_STREQ(reinterpret_cast<const char*>(p.EvaluateRecord(rec.data())), "007");
}

}  // namespace
}  // namespace orv
