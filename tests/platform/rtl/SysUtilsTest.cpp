// String, number and file-name helpers: clamping, casing, integer and float text, OS errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/FloatDigits.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"

namespace orv {
namespace {

class LocaleScope {
 public:
  explicit LocaleScope(Cardinal lcid) : FSaved(NlsSettings()) { SetNlsSettings({1252, 850, lcid}); }
  ~LocaleScope() { SetNlsSettings(FSaved); }
 private:
  TNlsSettings FSaved;
};

TEST(SysUtils, CopyClampsAndNeverRaises) {
  struct Case { Int64 Index, Count; const char* Expected; };
  const Case cases[] = {
      {1, 3, "abc"}, {2, 100, "bcdef"}, {0, 2, "ab"}, {-5, 2, "ab"}, {6, 1, "f"},
      {7, 1, ""},    {3, 0, ""},        {3, -1, ""},  {INT64_MAX, 1, ""}, {2, INT64_MAX, "bcdef"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Copy(std::string_view("abcdef"), c.Index, c.Count), c.Expected) << c.Index << "," << c.Count;
    EXPECT_EQ(WideToAnsi(Copy(std::u16string_view(u"abcdef"), c.Index, c.Count)), c.Expected);
  }
}

TEST(SysUtils, CasingTrimAndSearch) {
  EXPECT_EQ(UpperCase("abz\xE4\xFF-19"), "ABZ\xE4\xFF-19");   // a-z only
  EXPECT_EQ(LowerCase("ABZ\xC4"), "abz\xC4");
  EXPECT_EQ(AnsiUpperCase("stra\xDF" "e \xE4\xFF\xB5"), "STRA\xDF" "E \xC4\x9F\xB5");   // no one-byte form stays
  EXPECT_EQ(AnsiLowerCase("\xC4\x8A"), "\xE4\x9A");
  {
    TNlsSettings saved = NlsSettings();
    SetNlsSettings({1251, 866, 0x419});   // the table follows the ANSI code page
    EXPECT_EQ(AnsiUpperCase("\xE0\xFF"), "\xC0\xDF");
    SetNlsSettings(saved);
  }
  EXPECT_EQ(AnsiUpperCase("\xE0"), "\xC0");
  EXPECT_EQ(CompareText("abc", "ABD"), -1);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_LT(CompareText("ab", "ABC"), 0);
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("\xE4", "\xC4"));
  EXPECT_EQ(AnsiCompareText("\xE4pfel", "\xC4PFEL"), 0);
  EXPECT_LT(AnsiCompareStr("\xE4pfel", "Birne"), 0);   // by the locale, not by byte value
  EXPECT_GT(AnsiCompareStr("co-op", "coo"), 0);        // punctuation is shifted, not ordered first
  EXPECT_LT(AnsiCompareStr("abc", "ABC"), 0);
  EXPECT_EQ(Trim(std::string_view("\t a b \r\n")), "a b");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  EXPECT_EQ(Trim(std::u16string_view(u"  \u00E4 ")), u"\u00E4");
  EXPECT_EQ(Pos("lo", "hello"), 4);
  EXPECT_EQ(Pos("", "hello"), 0);
  EXPECT_EQ(Pos(std::u16string_view(u"x"), std::u16string_view(u"abc")), 0);
  EXPECT_EQ(StringReplaceAll("a.b.c", ".", ".."), "a..b..c");
}

TEST(SysUtils, IntegerText) {
  struct Case { const char* Text; bool Ok; Int64 Value; };
  const Case cases[] = {
      {"0", true, 0},          {"-17", true, -17},   {"+5", true, 5},
      {"$FF", true, 255},      {"0x1a", true, 26},    {"-$10", true, -16},
      {"$FFFFFFFF", true, -1}, {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483648LL},
      {"2147483648", false, 0}, {"", false, 0},     {" 1", false, 0},
      {"1 ", false, 0},        {"12a", false, 0},    {"$", false, 0},
      {"$1FFFFFFFF", false, 0}, {"--1", false, 0},
  };
  for (const auto& c : cases) {
    Integer v = 0;
    EXPECT_EQ(TryStrToInt(c.Text, v), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(v, c.Value) << c.Text;
    }
  }
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToIntDef("x", 7), 7);
  try {
    StrToInt("12x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'12x' is not a valid integer value");
  }
  EXPECT_EQ(IntToStr(-9), "-9");
  EXPECT_EQ(IntToHex(0xABC, 6), "000ABC");
  EXPECT_EQ(IntToHex(0xFFFFFFFFFFFFFFFFull, 2), "FFFFFFFFFFFFFFFF");
}

TEST(SysUtils, FloatTextInLocaleAndCLocale) {
  struct Case { double Value; const char* En; const char* De; bool RoundTrips = true; };
  const Case cases[] = {
      {0, "0", "0"},
      {1.5, "1.5", "1,5"},
      {-0.1, "-0.1", "-0,1"},
      {1.0 / 3, "0.333333333333333", "0,333333333333333", false},
      {123456789012345.0, "123456789012345", "123456789012345"},
      {1e15, "1E15", "1E15"},
      {0.00001, "0.00001", "0,00001"},
      {0.000001234, "1.234E-6", "1,234E-6"},
      {2.5e-300, "2.5E-300", "2,5E-300"},
      {0.30000000000000004, "0.3", "0,3", false},
  };
  for (const auto& c : cases) {
    {
      LocaleScope en(0x409);
      EXPECT_EQ(FloatToStr(c.Value), c.En);
      if (c.RoundTrips) {
        EXPECT_EQ(StrToFloat(c.En), c.Value) << c.En;
      }
    }
    {
      LocaleScope de(0x407);
      EXPECT_EQ(DecimalSeparator(), ',');
      EXPECT_EQ(FloatToStr(c.Value), c.De);
      if (c.RoundTrips) {
        EXPECT_EQ(StrToFloat(c.De), c.Value) << c.De;
      }
      EXPECT_EQ(FloatToStrC(c.Value), c.En);   // files always use '.'
    }
  }
  LocaleScope de(0x407);
  double v = 0;
  EXPECT_FALSE(TryStrToFloat("1.5", v));
  EXPECT_TRUE(TryStrToFloatC("1.5", v));
  EXPECT_EQ(v, 1.5);
  for (const char* bad : {"", "-", "1e", "1,2,3", "inf", "nan", "1e999", "1 2", "0x10", ","}) EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  for (const char* good : {" 2,5 ", ",5", "5,", "-1E-3", "1e-999"}) EXPECT_TRUE(TryStrToFloat(good, v)) << good;
  EXPECT_THROW(StrToFloat("abc"), EConvertError);
  EXPECT_EQ(FloatToStrC(0.1, 18), "0.100000000000000006");
  EXPECT_EQ(FloatToStrC(std::nan(""), 15), "NAN");
}

TEST(SysUtils, FixedFloatTextKeepsTheSignificantDigitsAskedFor) {
  struct Case { double Value; int Decimals, Precision; const char* Text; };
  const Case cases[] = {
      {1, 2, 15, "1.00"},
      {-0.125, 2, 15, "-0.13"},                         // halves away from zero
      {123456789012.345678, 5, 15, "123456789012.34600"},  // digits past the fifteenth are zeros
      {123456789012.345678, 5, 18, "123456789012.34567"},
      {0.000123456789, 12, 3, "0.000123000000"},
      {1234567890123456.0, 2, 15, "1.23456789012346E15"},  // more integer digits than the precision
      {999999999999999.9, 0, 15, "1E15"},                  // rounding carries past the precision
      {1e18, 2, 18, "1E18"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloatFixed(c.Value, c.Decimals, '.', 0, c.Precision), c.Text) << c.Value << " " << c.Precision;
}

TEST(SysUtils, RoundHalfEven) {
  struct Case { double Value; int Decimals; double Expected; };
  const Case cases[] = {
      {2.5, 0, 2},      {3.5, 0, 4},      {-2.5, 0, -2},     {2.675, 2, 2.68},   {2.665, 2, 2.66},
      {0.125, 2, 0.12}, {0.135, 2, 0.14}, {1.2346, 3, 1.235}, {9.995, 2, 10.0},   {1250, -2, 1200},
      {1350, -2, 1400}, {0.4, 0, 0},      {12.3, 5, 12.3},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.Value, c.Decimals), c.Expected) << c.Value << " " << c.Decimals;
}

TEST(SysUtils, FileNames) {
  EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(ExtractFilePath("c.txt"), "");
  EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(ExtractFileExt("/a.d/b"), "");
  EXPECT_EQ(ExtractFileExt("/a/b.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("/a.d/b", ".dbf"), "/a.d/b.dbf");
  EXPECT_EQ(ChangeFileExt("x.DBF", ".mdx"), "x.mdx");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
  EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
  EXPECT_EQ(ExpandFileName("/../x/"), "/x/");
  EXPECT_EQ(ExpandFileName("rel"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "rel");
  EXPECT_TRUE(FileExists(ParamStr0()));
  EXPECT_TRUE(DirectoryExists("/tmp"));
  EXPECT_FALSE(FileExists("/tmp"));
  EXPECT_EQ(FileSizeOf("/nonexistent/file"), -1);

  char tmpl[] = "/tmp/orv_names_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  AnsiString dir = tmpl;
  AnsiString real = dir + "/MixedCase.DBF";
  FILE* f = fopen(real.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fclose(f);
  EXPECT_EQ(FindFileNoCase(dir + "/mixedcase.dbf"), real);
  EXPECT_EQ(FindFileNoCase(dir + "/other.dbf"), dir + "/other.dbf");
  EXPECT_TRUE(RenameFile(real, dir + "/b"));
  EXPECT_TRUE(DeleteFile(dir + "/b"));
  EXPECT_FALSE(DeleteFile(dir + "/b"));
  rmdir(tmpl);
}

TEST(SysUtils, OsErrorCarriesCodeAndText) {
  try {
    RaiseLastOSError(ENOENT);
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
    EXPECT_EQ(e.Message(), "System Error.  Code: 2.\r\nNo such file or directory");
  }
  errno = EACCES;
  EXPECT_THROW(RaiseLastOSError(), EOSError);
  const std::pair<int, const char*> ioCases[] = {
      {100, "Read beyond end of file"}, {101, "Disk full"}, {ENOSPC, "No space left on device"}, {103, "I/O error 103"}};
  for (const auto& [code, text] : ioCases) {
    try {
      RaiseInOutError(code);
      ADD_FAILURE() << code;
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Code(), code);
      EXPECT_EQ(e.Message(), text);
    }
  }
  EXPECT_THROW(Abort(), EAbort);
}

TEST(Random, LinearCongruentialSequence) {
  RandSeed(0);
  // seed 0 -> 1 -> 0x08088406 -> ...; Random(n) takes the high 32 bits of seed * n.
  EXPECT_EQ(Random(1000), 0);
  EXPECT_EQ(Random(1 << 16), 0x0808);
  Integer seen[10] = {};
  RandSeed(12345);
  for (int i = 0; i < 10000; ++i) {
    Integer r = Random(10);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 10);
    ++seen[r];
  }
  for (Integer n : seen) EXPECT_GT(n, 800);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  RandSeed(7);
  Integer a = Random(1 << 30);
  RandSeed(7);
  EXPECT_EQ(Random(1 << 30), a);
  double x = RandomFloat();
  EXPECT_GE(x, 0.0);
  EXPECT_LT(x, 1.0);
}

}  // namespace
}  // namespace orv
