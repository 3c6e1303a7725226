// UTF-7 (RFC 2152): the direct and optional characters, run ends, "+-", surrogates, the invalid
// forms, checked both ways against Python's codec and iconv; the buffer forms at a full target.
#include "tests/widechar/PeerCodecs.h"
#include "tests/widechar/WideTestSupport.h"

namespace orv::test {
namespace {

const char* const kSetD = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
const char* const kSetO = "!\"#$%&*;<=>@[]^_`{|}";

std::vector<WideString> RoundTripTexts() {
  return {
      u"Hi Mom -\u263A-!",
      u"A\u2262\u0391.",
      u"\u65E5\u672C\u8A9E",
      u"Item 3 is \u00A31.",
      u"a+b=c, 1+1 and +-",
      u"back\\slash and ~tilde",
      u"\u00E9a\u00E9 \u00E9-\u00E9/\u00E9",
      u"emoji \U0001F600\U0001F601 end\U0001F602",
      u"tabs\tand\r\nlines",
      WideString(1, u'\0') + u"zero",
  };
}

TEST(Utf7Conversion, DirectAndOptionalCharactersAndWhiteSpaceStayAsTheyAre) {
  const WideString direct = AnsiToWide(std::string(kSetD) + kSetO + " \t\r\n");
  EXPECT_EQ(WideToUtf7(direct), WideToAnsi(direct));
  EXPECT_EQ(WideToUtf7(u"+"), "+-");
  EXPECT_EQ(WideToUtf7(u"1+1"), "1+-1");
  EXPECT_EQ(WideToUtf7(u""), "");
}

TEST(Utf7Conversion, RunsEndWithADashOnlyBeforeABase64CharacterOrADash) {
  struct TCase {
    WideString Text;
    const char* Utf7;
  };
  const TCase cases[] = {
      {u"\u00E9", "+AOk"},              // the end of the input: no dash
      {u"\u00E9a", "+AOk-a"},           // a letter is a base64 character
      {u"\u00E99", "+AOk-9"},
      {u"\u00E9/", "+AOk-/"},
      {u"\u00E9-", "+AOk--"},
      {u"\u00E9 ", "+AOk "},            // a space ends the run by itself
      {u"\u00E9.", "+AOk."},
      {u"~\\", "+AH4AXA"},              // neither direct nor optional
      {u"\u263A\u263B", "+JjomOw"},
      {u"\U0001F600", "+2D3eAA"},       // a surrogate pair is two units of the run
      {WideString(1, char16_t(0xD800)) + u"x", "+2AA-x"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Utf7);
    EXPECT_EQ(WideToUtf7(c.Text), c.Utf7);
    EXPECT_EQ(Show(Utf7ToWide(c.Utf7)), Show(c.Text));
  }
}

TEST(Utf7Conversion, OurTextDecodesInPythonAndIconv) {
  const auto texts = RoundTripTexts();
  std::vector<std::string> ours;
  for (const auto& t : texts) ours.push_back(WideToUtf7(t));
  const auto python = PythonCodec("decode utf-7", ours);
  ASSERT_EQ(python.size(), texts.size()) << "the Python peer did not answer every line";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(ours[i]);
    ASSERT_TRUE(python[i].has_value()) << "Python refused our UTF-7";
    EXPECT_EQ(Show(WideOfUtf16Le(*python[i])), Show(texts[i]));
    const auto viaIconv = Iconv("UTF-7", "UTF-16LE", ours[i]);
    ASSERT_TRUE(viaIconv.has_value()) << "iconv refused our UTF-7";
    EXPECT_EQ(Show(WideOfUtf16Le(*viaIconv)), Show(texts[i]));
  }
}

TEST(Utf7Conversion, PythonsAndIconvsTextDecodesHere) {
  const auto texts = RoundTripTexts();
  std::vector<std::string> inputs;
  for (const auto& t : texts) inputs.push_back(Utf16LeOf(t));
  const auto python = PythonCodec("encode utf-7", inputs);
  ASSERT_EQ(python.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(Show(texts[i]));
    ASSERT_TRUE(python[i].has_value());
    EXPECT_EQ(Show(Utf7ToWide(*python[i])), Show(texts[i])) << "from Python: " << *python[i];
    const auto fromIconv = Iconv("UTF-16LE", "UTF-7", inputs[i]);
    ASSERT_TRUE(fromIconv.has_value());
    EXPECT_EQ(Show(Utf7ToWide(*fromIconv)), Show(texts[i])) << "from iconv: " << *fromIconv;
  }
}

TEST(Utf7Conversion, InvalidInputIsReportedAfterTheWholeInputWasDecoded) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    bool PythonRefuses;
  };
  const TCase invalid[] = {
      {"lone plus at the end", "abc+", false},   // Python reads it as an empty run
      {"plus and a space", "+ x", true},
      {"plus and a period", "+.", true},
      {"run of one character", "+A-", true},
      {"left-over bits not zero", "+AOl-", true},
      {"byte above 0x7F", "caf\xE9", true},
      {"byte above 0x7F inside a run", "+AOk\xE9", true},
  };
  std::vector<std::string> inputs;
  for (const auto& c : invalid) inputs.push_back(c.Bytes);
  const auto python = PythonCodec("decode utf-7", inputs);
  ASSERT_EQ(python.size(), std::size(invalid));
  for (std::size_t i = 0; i < std::size(invalid); ++i) {
    const TCase& c = invalid[i];
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(!python[i].has_value(), c.PythonRefuses);
    try {
      Utf7ToWide(c.Bytes);
      ADD_FAILURE() << "no error";
    } catch (const EUniGeneralError& e) {
      EXPECT_EQ(e.Message(), "Invalid UTF7");
    }
  }
  // Zero bits left over in a run, even six or more of them, are accepted (Python refuses them).
  EXPECT_EQ(Utf7ToWide("+AAAA-"), WideString(1, u'\0'));
  EXPECT_EQ(Utf7ToWide("+-"), u"+");
  EXPECT_EQ(Utf7ToWide("++P8-"), u"\uF8FF") << "a plus inside a run is base64";

  // Decoding goes on past an invalid byte: every unit is there when the result says invalid.
  const std::string bad = "caf\xE9+AOk-!";
  std::vector<WideChar> units(bad.size(), u'#');
  const char* source = bad.data();
  WideChar* target = units.data();
  EXPECT_EQ(Utf7DecodeRun(source, bad.data() + bad.size(), target, units.data() + units.size()), utf7Invalid);
  EXPECT_EQ(source, bad.data() + bad.size());
  EXPECT_EQ(WideString(units.data(), static_cast<std::size_t>(target - units.data())), u"caf\u00E9\u00E9!");
}

TEST(Utf7Conversion, AFullTargetStopsAtOnceWithThePositionsWhereItStopped) {
  const WideString text = u"ab\u00E9";
  std::vector<char> small(3, '#');  // "ab+" fits, the run's first base64 character does not
  const WideChar* source = text.data();
  char* target = small.data();
  EXPECT_EQ(Utf7EncodeRun(source, text.data() + text.size(), target, small.data() + small.size(), false, true),
            utf7TargetFull);
  EXPECT_EQ(target, small.data() + 3);
  EXPECT_EQ(source, text.data() + 2) << "the unit being encoded is not counted as done";
  EXPECT_EQ(std::string(small.data(), 3), "ab+");

  const std::string utf7 = "ab+AOk-c";
  std::vector<WideChar> units(2, u'#');
  const char* in = utf7.data();
  WideChar* out = units.data();
  EXPECT_EQ(Utf7DecodeRun(in, utf7.data() + utf7.size(), out, units.data() + units.size()), utf7TargetFull);
  EXPECT_EQ(out, units.data() + 2);
  EXPECT_EQ(in, utf7.data() + 5) << "stopped at the byte that completes the unit with no room";

  // With the terminator flag every run ends in "-"; with Set O encoded "!" is base64.
  const WideString mixed = u"\u00E9 !";
  std::vector<char> room(32);
  source = mixed.data();
  target = room.data();
  ASSERT_EQ(Utf7EncodeRun(source, mixed.data() + mixed.size(), target, room.data() + room.size(), true, false), utf7Done);
  EXPECT_EQ(std::string(room.data(), target), "+AOk- +ACE-");
}

}  // namespace
}  // namespace orv::test
