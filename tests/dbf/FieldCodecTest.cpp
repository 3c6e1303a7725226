// Field value encodings: the bytes each native type stores and the values read back.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <vector>
#include "dbf/DbfFieldCodec.h"
#include "platform/db/Fields.h"

namespace orv {
namespace {

struct TCodecFixture {
  TDbfFieldDefs Defs;
  TDbfFieldDef* Def;
  std::vector<Byte> Record;
  TCodecFixture(char type, Integer size, Integer decimals, int level = kLevelDbase7) {
    Defs.TableLevel = level;
    Def = &Defs.Add();
    Def->SetFieldName("F");
    Def->SetSize(size);
    Def->SetPrecision(decimals);
    Def->SetNativeFieldType(type);
    Def->SetSize(size);
    Def->SetPrecision(decimals);
    Def->SetOffset(1);
    Record.assign(static_cast<size_t>(Def->Size()) + 1, 0xEE);
  }
  std::vector<Byte> Field() const { return {Record.begin() + 1, Record.end()}; }
  std::string Text() const { return std::string(Record.begin() + 1, Record.end()); }
};

TEST(FieldCodec, BinaryEncodingsAreBigEndianWithFlippedSign) {
  struct TCase { char Type; double Value; std::vector<Byte> Bytes; };
  const TCase cases[] = {
      {'I', 0, {0x80, 0, 0, 0}},
      {'I', -1, {0x7F, 0xFF, 0xFF, 0xFF}},
      {'I', 258, {0x80, 0, 1, 2}},
      {'+', 7, {0x80, 0, 0, 7}},
      {'O', 1.0, {0xBF, 0xF0, 0, 0, 0, 0, 0, 0}},
      {'O', -1.0, {0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    TCodecFixture f(c.Type, 0, 0);
    if (c.Type == 'O') {
      EncodeField(*f.Def, ftFloat, f.Record.data(), &c.Value);
      EXPECT_EQ(f.Field(), c.Bytes) << c.Type << " " << c.Value;
      double back = 0;
      ASSERT_TRUE(DecodeField(*f.Def, ftFloat, &back, f.Record.data()));
      EXPECT_EQ(back, c.Value);
    } else {
      std::int32_t v = static_cast<std::int32_t>(c.Value);
      EncodeField(*f.Def, ftInteger, f.Record.data(), &v);
      EXPECT_EQ(f.Field(), c.Bytes) << c.Type << " " << c.Value;
      std::int32_t back = 99;
      ASSERT_TRUE(DecodeField(*f.Def, ftInteger, &back, f.Record.data()));
      EXPECT_EQ(back, v);
    }
  }
}

TEST(FieldCodec, ZeroBinaryBytesAndBlankTextAreNull) {
  const char binaries[] = {'I', '+', 'O', '@'};
  for (char t : binaries) {
    TCodecFixture f(t, 0, 0);
    EncodeField(*f.Def, ftInteger, f.Record.data(), nullptr);
    EXPECT_EQ(f.Field(), std::vector<Byte>(static_cast<size_t>(f.Def->Size()), 0)) << t;
    EXPECT_FALSE(DecodeField(*f.Def, ftInteger, nullptr, f.Record.data())) << t;
  }
  TCodecFixture d('D', 8, 0);
  EncodeField(*d.Def, ftDate, d.Record.data(), nullptr);
  EXPECT_EQ(d.Text(), "        ");
  std::int32_t day = 0;
  EXPECT_FALSE(DecodeField(*d.Def, ftDate, &day, d.Record.data()));
}

TEST(FieldCodec, TextNumbers) {
  struct TCase { Integer Size, Decimals; TFieldType Type; double Value; const char* Text; };
  const TCase cases[] = {
      {5, 2, ftFloat, 3.14159, " 3.14"},
      {4, 0, ftInteger, -5, "-005"},
      {6, 0, ftInteger, 123, "000123"},
      {10, 0, ftLargeint, 9876543210.0, "9876543210"},
      {8, 3, ftFloat, -2.5, "  -2.500"},
      {6, 3, ftFloat, 1234.5678, "1234.6"},  // fewer decimals rather than lost high digits
      {5, 0, ftFloat, 2.5, "    3"},            // ties away from zero
      {5, 0, ftFloat, -2.5, "   -3"},
      {6, 2, ftFloat, 0.125, "  0.13"},
      {6, 2, ftFloat, 2.675, "  2.67"},         // below the tie as a double
      {4, 0, ftFloat, -0.4, "   0"},
      {3, 0, ftSmallint, 0, "000"},
  };
  for (const auto& c : cases) {
    TCodecFixture f('N', c.Size, c.Decimals);
    std::int16_t s = static_cast<std::int16_t>(c.Value);
    std::int32_t i = static_cast<std::int32_t>(c.Value);
    std::int64_t l = static_cast<std::int64_t>(c.Value);
    const void* src = c.Type == ftFloat ? static_cast<const void*>(&c.Value)
                    : c.Type == ftSmallint ? static_cast<const void*>(&s)
                    : c.Type == ftInteger ? static_cast<const void*>(&i) : static_cast<const void*>(&l);
    EncodeField(*f.Def, c.Type, f.Record.data(), src);
    EXPECT_EQ(f.Text(), c.Text) << c.Value;
  }
}

TEST(FieldCodec, NumberThatDoesNotFitIsRefused) {
  struct TCase { Integer Size, Decimals; double Value; };
  const TCase cases[] = {{3, 0, 12345}, {4, 0, -1234}, {5, 2, 123456.0}, {10, 2, 1e300}};
  for (const auto& c : cases) {
    TCodecFixture f('N', c.Size, c.Decimals);
    std::vector<Byte> before = f.Record;
    try {
      if (c.Decimals == 0) {
        std::int32_t v = static_cast<std::int32_t>(c.Value);
        EncodeField(*f.Def, ftInteger, f.Record.data(), &v);
      } else {
        EncodeField(*f.Def, ftFloat, f.Record.data(), &c.Value);
      }
      ADD_FAILURE() << c.Value << " was stored as " << f.Text();
    } catch (const EDbfError& e) {
      EXPECT_STREQ(e.what(), "Value does not fit field \"F\".");
    }
    EXPECT_EQ(f.Record, before) << "a refused value must leave the record as it was";
  }
}

TEST(FieldCodec, ReadingTextNumbers) {
  struct TCase { const char* Text; TFieldType Type; double Expected; bool Null; };
  const TCase cases[] = {
      {"   42", ftInteger, 42, false}, {"  -7 ", ftInteger, -7, false}, {"  abc", ftInteger, 0, false},
      {"     ", ftInteger, 0, true},   {" 3.25", ftFloat, 3.25, false}, {"+1.50", ftFloat, 1.5, false},
  };
  for (const auto& c : cases) {
    TCodecFixture f('N', 5, c.Type == ftFloat ? 2 : 0);
    std::memcpy(f.Record.data() + 1, c.Text, 5);
    double d = -1;
    std::int32_t i = -1;
    bool got = DecodeField(*f.Def, c.Type, c.Type == ftFloat ? static_cast<void*>(&d) : &i, f.Record.data());
    EXPECT_EQ(!got, c.Null) << c.Text;
    if (!c.Null) { EXPECT_EQ(c.Type == ftFloat ? d : i, c.Expected) << c.Text; }
  }
}

TEST(FieldCodec, TwentyDigitNumbersBeyondTheLargeIntRangeReadAsItsEnds) {
  // Other programs fill 20-digit fields with numbers past the 64-bit range; such a number must
  // not read as 0.
  struct TCase { const char* Text; std::int64_t Expected; };
  const TCase cases[] = {{"10000000000000000000", INT64_MAX},
                         {"-9999999999999999999", INT64_MIN},
                         {" 9223372036854775807", INT64_MAX},
                         {"-9223372036854775808", INT64_MIN},
                         {"  123456789012345678", 123456789012345678}};
  for (const auto& c : cases) {
    TCodecFixture f('N', 20, 0);
    std::memcpy(f.Record.data() + 1, c.Text, 20);
    std::int64_t v = 0;
    ASSERT_TRUE(DecodeField(*f.Def, ftLargeint, &v, f.Record.data())) << c.Text;
    EXPECT_EQ(v, c.Expected) << c.Text;
  }
}

TEST(FieldCodec, DatesAndTimes) {
  TCodecFixture f('D', 8, 0);
  std::int32_t day = DayNumberOf(2024, 2, 29);
  EncodeField(*f.Def, ftDate, f.Record.data(), &day);
  EXPECT_EQ(f.Text(), "20240229");
  std::int32_t back = 0;
  ASSERT_TRUE(DecodeField(*f.Def, ftDate, &back, f.Record.data()));
  EXPECT_EQ(back, day);

  std::memcpy(f.Record.data() + 1, "20240230", 8);
  ASSERT_TRUE(DecodeField(*f.Def, ftDate, &back, f.Record.data()));
  EXPECT_EQ(back, kDateDelta) << "an impossible date reads as 30 December 1899";

  // Two blanks in front of a two-digit year mark it as such; the window decides the century.
  std::memcpy(f.Record.data() + 1, "  990115", 8);
  ASSERT_TRUE(DecodeField(*f.Def, ftDate, &back, f.Record.data()));
  int y, m, d;
  DateOfDayNumber(back, y, m, d);
  EXPECT_EQ(y % 100, 99);
  EXPECT_GE(y, 1900) << "a two-digit year behind two blanks is expanded";
  std::memcpy(f.Record.data() + 1, "00990115", 8);
  ASSERT_TRUE(DecodeField(*f.Def, ftDate, &back, f.Record.data()));
  DateOfDayNumber(back, y, m, d);
  EXPECT_EQ(y, 99) << "a four-digit year 0099 is not expanded";

  TCodecFixture t('T', 14, 0);
  double ms = (static_cast<double>(DayNumberOf(2023, 7, 1))) * kMSecsPerDay + (13 * 3600 + 5 * 60 + 9) * 1000.0;
  EncodeField(*t.Def, ftDateTime, t.Record.data(), &ms);
  EXPECT_EQ(t.Text(), "20230701130509");
  double msBack = 0;
  ASSERT_TRUE(DecodeField(*t.Def, ftDateTime, &msBack, t.Record.data()));
  EXPECT_EQ(msBack, ms);
  std::memcpy(t.Record.data() + 1, "20230701256009", 14);
  ASSERT_TRUE(DecodeField(*t.Def, ftDateTime, &msBack, t.Record.data()));
  EXPECT_EQ(msBack, kDateDelta * kMSecsPerDay) << "an impossible time makes the value date-time 0";

  // A short 'T' field is read within its own bytes.
  TCodecFixture shortT('T', 8, 0);
  std::memcpy(shortT.Record.data() + 1, "20230701", 8);
  ASSERT_TRUE(DecodeField(*shortT.Def, ftDateTime, &msBack, shortT.Record.data()));
  EXPECT_EQ(msBack, DayNumberOf(2023, 7, 1) * kMSecsPerDay + 3661000.0);

  TCodecFixture stamp('@', 0, 0);
  EncodeField(*stamp.Def, ftDateTime, stamp.Record.data(), &ms);
  ASSERT_TRUE(DecodeField(*stamp.Def, ftDateTime, &msBack, stamp.Record.data()));
  EXPECT_EQ(msBack, ms);
}

// Tables of the later FoxPro layout store 'I' and 'T' little-endian: the integer as it is, the
// date-time as Julian day and milliseconds of the day.
TEST(FieldCodec, LaterFoxProLayoutIsLittleEndian) {
  struct TCase {
    const char* What;
    char Type;
    double Value;  // the integer, or the date-time in milliseconds
    std::vector<Byte> Bytes;
  };
  const double stamp = DayNumberOf(2024, 1, 2) * kMSecsPerDay + (3 * 3600 + 4 * 60 + 5) * 1000.0;
  const TCase cases[] = {
      {"one", 'I', 1, {1, 0, 0, 0}},
      {"five", 'I', 5, {5, 0, 0, 0}},
      {"zero is a number", 'I', 0, {0, 0, 0, 0}},
      {"minus one", 'I', -1, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"2024-01-02 03:04:05", 'T', stamp, {0x98, 0x8A, 0x25, 0x00, 0x88, 0x88, 0xA8, 0x00}},
      {"milliseconds are kept", 'T', DayNumberOf(1999, 12, 31) * kMSecsPerDay + 86399999.0,
       {0x58, 0x68, 0x25, 0x00, 0xFF, 0x5B, 0x26, 0x05}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TCodecFixture f(c.Type, c.Type == 'T' ? 8 : 4, 0, kLevelFoxPro);
    f.Defs.FoxProBinaryFields = true;
    if (c.Type == 'I') {
      const std::int32_t v = static_cast<std::int32_t>(c.Value);
      EncodeField(*f.Def, ftInteger, f.Record.data(), &v);
      EXPECT_EQ(f.Field(), c.Bytes);
      std::int32_t back = 12345;
      ASSERT_TRUE(DecodeField(*f.Def, ftInteger, &back, f.Record.data()));
      EXPECT_EQ(back, v);
    } else {
      EncodeField(*f.Def, ftDateTime, f.Record.data(), &c.Value);
      EXPECT_EQ(f.Field(), c.Bytes);
      double back = 0;
      ASSERT_TRUE(DecodeField(*f.Def, ftDateTime, &back, f.Record.data()));
      EXPECT_EQ(back, c.Value);
      std::int32_t day = 0;
      ASSERT_TRUE(DecodeField(*f.Def, ftDate, &day, f.Record.data()));
      EXPECT_EQ(day, static_cast<std::int32_t>(c.Value / kMSecsPerDay));
    }
  }
  // An empty date-time is null and is written as zero bytes; a day outside the calendar or a time
  // past the day's end reads as the date-time 0; a date without a time is midnight.
  TCodecFixture t('T', 8, 0, kLevelFoxPro);
  t.Defs.FoxProBinaryFields = true;
  std::fill(t.Record.begin() + 1, t.Record.end(), Byte{0});
  EXPECT_FALSE(DecodeField(*t.Def, ftDateTime, nullptr, t.Record.data()));
  std::fill(t.Record.begin() + 1, t.Record.end(), Byte{0xEE});
  EncodeField(*t.Def, ftDateTime, t.Record.data(), nullptr);
  EXPECT_EQ(t.Field(), std::vector<Byte>(8, 0));
  double back = 1;
  PutLE32(t.Record.data() + 1, 2460312);
  PutLE32(t.Record.data() + 5, 86400000);
  ASSERT_TRUE(DecodeField(*t.Def, ftDateTime, &back, t.Record.data()));
  EXPECT_EQ(back, kDateDelta * kMSecsPerDay);
  PutLE32(t.Record.data() + 1, 5);
  PutLE32(t.Record.data() + 5, 0);
  ASSERT_TRUE(DecodeField(*t.Def, ftDateTime, &back, t.Record.data()));
  EXPECT_EQ(back, kDateDelta * kMSecsPerDay);
  const std::int32_t day = DayNumberOf(2024, 1, 2);
  EncodeField(*t.Def, ftDate, t.Record.data(), &day);
  EXPECT_EQ(t.Field(), (std::vector<Byte>{0x98, 0x8A, 0x25, 0x00, 0, 0, 0, 0}));
  const double beforeYearOne = -kMSecsPerDay;
  EXPECT_THROW(EncodeField(*t.Def, ftDateTime, t.Record.data(), &beforeYearOne), EDbfError);
  // Other tables keep their own layouts for the same letters.
  TCodecFixture i('I', 4, 0, kLevelFoxPro);
  const std::int32_t one = 1;
  EncodeField(*i.Def, ftInteger, i.Record.data(), &one);
  EXPECT_EQ(i.Field(), (std::vector<Byte>{0x80, 0, 0, 1}));
}

TEST(FieldCodec, TwoDigitYearWindow) {
  EXPECT_EQ(ExpandTwoDigitYear(76, 2026), 1976);
  EXPECT_EQ(ExpandTwoDigitYear(75, 2026), 2075);
  EXPECT_EQ(ExpandTwoDigitYear(5, 2026), 2005);
  EXPECT_EQ(ExpandTwoDigitYear(5, 2026, 0), 2005);
}

TEST(FieldCodec, StringsLogicalsAndPadding) {
  TCodecFixture f('C', 6, 0);
  EncodeField(*f.Def, ftString, f.Record.data(), "abcdefgh");
  EXPECT_EQ(f.Text(), "abcdef");
  EncodeField(*f.Def, ftString, f.Record.data(), " ab");
  EXPECT_EQ(f.Text(), " ab   ");
  char out[7];
  ASSERT_TRUE(DecodeField(*f.Def, ftString, out, f.Record.data()));
  EXPECT_STREQ(out, " ab") << "strings keep leading blanks";

  TCodecFixture l('L', 1, 0);
  struct TCase { char Stored; bool Null; std::int16_t Value; };
  const TCase cases[] = {{'T', false, 1}, {'t', false, 1}, {'Y', false, 1}, {'F', false, 0}, {'?', true, 0}, {' ', true, 0}};
  for (const auto& c : cases) {
    l.Record[1] = static_cast<Byte>(c.Stored);
    std::int16_t v = 5;
    EXPECT_EQ(!DecodeField(*l.Def, ftBoolean, &v, l.Record.data()), c.Null) << c.Stored;
    if (!c.Null) { EXPECT_EQ(v != 0, c.Value != 0) << c.Stored; }
  }
}

TEST(FieldDefs, NormalisingAndTypeMapping) {
  TDbfFieldDefs defs;
  TDbfFieldDef& c = defs.Add();
  c.SetNativeFieldType('c');
  c.SetSize(70000);
  EXPECT_EQ(c.NativeFieldType(), 'C');
  EXPECT_EQ(c.Size(), 65534);
  TDbfFieldDef& n = defs.Add();
  n.SetNativeFieldType('N');
  n.SetSize(25);
  n.SetPrecision(30);
  EXPECT_EQ(n.Size(), 20);
  EXPECT_EQ(n.Precision(), 18);

  defs.UseFloatFields = true;
  struct TCase { char Type; Integer Size, Decimals; bool Floats; TFieldType Expected; };
  const TCase cases[] = {
      {'N', 4, 0, true, ftSmallint}, {'N', 9, 0, false, ftInteger}, {'N', 10, 0, false, ftLargeint},
      {'N', 10, 0, true, ftFloat},   {'N', 6, 2, false, ftFloat},   {'T', 14, 0, false, ftDateTime},
      {'X', 3, 0, false, ftUnknown},
  };
  for (const auto& k : cases) {
    defs.UseFloatFields = k.Floats;
    TDbfFieldDef& d = defs.Add();
    d.SetSize(k.Size);
    d.SetPrecision(k.Decimals);
    d.SetNativeFieldType(k.Type);
    EXPECT_EQ(d.FieldType(), k.Expected) << k.Type << k.Size;
  }
  defs.TableLevel = kLevelDbase4;
  TDbfFieldDef& i4 = defs.Add();
  i4.SetFieldType(ftInteger);
  EXPECT_EQ(i4.NativeFieldType(), 'N');
  defs.TableLevel = kLevelDbase7;
  TDbfFieldDef& i7 = defs.Add();
  i7.SetFieldType(ftInteger);
  EXPECT_EQ(i7.NativeFieldType(), 'I');
  TDbfFieldDef& bad = defs.Add();
  bad.SetFieldName("PIC");
  EXPECT_THROW(bad.SetFieldType(ftGraphic), EDbfError);
}

TEST(FieldDefs, CopiesFromAndToTheFrameworksDefinitions) {
  TFieldDefs framework(nullptr);
  struct TCase { const char* Name; TFieldType Type; Integer Size, Precision; char Native; Integer NativeSize, NativePrecision; };
  const TCase cases[] = {
      {"COUNT", ftInteger, 0, 0, 'N', 9, 0},  // default sizes for a size of 0
      {"PRICE", ftFloat, 0, 0, 'N', 18, 9},
      {"MONEY", ftCurrency, -1, 0, 'N', 16, 2},
      {"RATE", ftFloat, 8, 3, 'N', 8, 3},
      {"NOTES", ftString, 300, 0, 'C', 300, 0},
      {"WHEN", ftDateTime, 0, 0, '@', 8, 0},
  };
  TDbfFieldDefs defs;
  defs.TableLevel = kLevelDbase4;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFieldDef* source = framework.Add(c.Name, c.Type, 0, true);
    source->SetSize(c.Size);
    source->SetPrecision(c.Precision);
    TDbfFieldDef& d = defs.Add();
    d.SetOffset(7);
    d.SetIsLockField(true);
    d.CopyFrom(*source, 3);
    EXPECT_EQ(d.FieldName(), c.Name);
    EXPECT_EQ(d.NativeFieldType(), c.Native);
    EXPECT_EQ(d.Size(), c.NativeSize);
    EXPECT_EQ(d.Precision(), c.NativePrecision);
    EXPECT_TRUE(d.Required());
    EXPECT_EQ(d.SourceIndex(), 3);
    EXPECT_FALSE(d.IsLockField());
    EXPECT_EQ(d.Offset(), 0);
    // And back: the attributes the target had go.
    TFieldDef* target = framework.AddFieldDef();
    TFieldAttributes hidden;
    hidden.Include(faHiddenCol);
    target->SetAttributes(hidden);
    d.CopyTo(*target);
    EXPECT_EQ(target->Name(), c.Name);
    EXPECT_EQ(target->DataType(), c.Type == ftDateTime ? ftDateTime : d.FieldType());
    EXPECT_EQ(target->Size(), c.NativeSize);
    EXPECT_TRUE(target->Required());
    EXPECT_FALSE(target->Attributes().Contains(faHiddenCol));
  }
  TFieldDef* picture = framework.Add("PIC", ftGraphic);
  EXPECT_THROW(defs.Add().CopyFrom(*picture, 0), EDbfError);
}

}  // namespace
}  // namespace orv
