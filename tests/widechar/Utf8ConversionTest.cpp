// UTF-8 of the wide layer: units encoded one by one (a surrogate pair is six bytes), checked against
// Python's codecs both ways; malformed input; the bounds of the buffer forms.
#include <random>
#include "tests/widechar/PeerCodecs.h"
#include "tests/widechar/WideTestSupport.h"

namespace orv::test {
namespace {

// Texts of every encoded length, surrogate pairs and lone surrogates among them.
std::vector<WideString> SampleTexts() {
  std::vector<WideString> texts = {
      u"",
      u"plain ASCII, digits 0123 and ~!@#",
      u"Gr\u00FC\u00DFe aus M\u00FCnchen \u20AC 5",
      u"\u007F\u0080\u07FF\u0800\uFFFD\uFFFF",
      u"\u65E5\u672C\u8A9E\u30C6\u30AD\u30B9\u30C8",
      u"emoji \U0001F600 and \U00010348",
      WideString(u"lone ") + char16_t(0xD800) + u" high and " + char16_t(0xDC00) + u" low",
      WideString(1, u'\0') + u"embedded zero",
  };
  std::mt19937 random(20240611);
  for (int n = 0; n < 40; ++n) {
    WideString w;
    const int length = 1 + static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) w += static_cast<char16_t>(random() % 0x10000);
    texts.push_back(w);
  }
  return texts;
}

bool HasSurrogate(const WideString& w) {
  for (char16_t u : w)
    if (u >= 0xD800 && u <= 0xDFFF) return true;
  return false;
}

TEST(Utf8Conversion, EncodesEachUnitAsPythonDoesUnitByUnit) {
  const auto texts = SampleTexts();
  std::vector<std::string> inputs;
  for (const auto& t : texts) inputs.push_back(Utf16LeOf(t));
  const auto unitwise = PythonCodec("unitwise-utf8", inputs);
  const auto standard = PythonCodec("encode utf-8", inputs);
  ASSERT_EQ(unitwise.size(), texts.size()) << "the Python peer did not answer every line";
  ASSERT_EQ(standard.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(Show(texts[i]));
    const AnsiString ours = uni::WideToUtf8(texts[i]);
    ASSERT_TRUE(unitwise[i].has_value());
    EXPECT_EQ(HexOf(ours), HexOf(*unitwise[i]));
    // Text without surrogates is plain UTF-8, exactly as the standard codec writes it.
    if (!HasSurrogate(texts[i])) {
      ASSERT_TRUE(standard[i].has_value());
      EXPECT_EQ(HexOf(ours), HexOf(*standard[i]));
    }
  }
}

TEST(Utf8Conversion, DecodesWhatPythonEncodes) {
  const auto texts = SampleTexts();
  std::vector<std::string> inputs;
  for (const auto& t : texts) inputs.push_back(Utf16LeOf(t));
  const auto standard = PythonCodec("encode utf-8", inputs);
  const auto unitwise = PythonCodec("unitwise-utf8", inputs);
  ASSERT_EQ(standard.size(), texts.size());
  ASSERT_EQ(unitwise.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(Show(texts[i]));
    // Surrogates come back only from their three-byte forms.
    ASSERT_TRUE(unitwise[i].has_value());
    EXPECT_EQ(Show(uni::Utf8ToWide(*unitwise[i])), Show(texts[i]));
    if (!HasSurrogate(texts[i])) {
      ASSERT_TRUE(standard[i].has_value());
      EXPECT_EQ(Show(uni::Utf8ToWide(*standard[i])), Show(texts[i]));
    }
  }
}

TEST(Utf8Conversion, SurrogatePairIsSixBytesAndAFourByteSequenceIsNotItsCharacter) {
  EXPECT_EQ(HexOf(uni::WideToUtf8(u"\U0001F600")), "eda0bdedb880");
  EXPECT_EQ(uni::WideToUtf8(u"\U0001F600").size(), 6u);
  // Python reads the four-byte form as the character; the layer reads F0 as a three-byte lead.
  const auto python = PythonCodec("decode utf-8", {"\xF0\x9F\x98\x80"});
  ASSERT_EQ(python.size(), 1u);
  ASSERT_TRUE(python[0].has_value());
  EXPECT_EQ(WideOfUtf16Le(*python[0]), u"\U0001F600");
  EXPECT_NE(uni::Utf8ToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(uni::Utf8ToWide("\xF0\x9F\x98\x80\x80"), WideString(u"\u07D8") + char16_t(0))
      << "F0 9F 98 is one three-byte unit, 80 80 a two-byte one";
}

TEST(Utf8Conversion, MalformedInputGivesAnEmptyTextAndMinusOneFromTheBuffer) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    bool PythonRefuses;
    std::ptrdiff_t BufferResult;  // without destination
    WideString Text;
  };
  const TCase cases[] = {
      {"ends inside a two-byte sequence", "ab\xC3", true, -1, u""},
      {"ends inside a three-byte sequence", "\xE2\x82", true, -1, u""},
      {"continuation is ASCII", "\xC3" "A", true, -1, u""},
      {"second continuation is ASCII", "\xE2\x28\xA1", true, -1, u""},
      {"continuation is a lead byte", "\xC3\xC3\xA9", true, -1, u""},
      {"four-byte sequence alone", "\xF0\x9F\x98\x80", false, -1, u""},  // Python reads the emoji
      {"lead byte at the very end", "x\xE9", true, -1, u""},
      // Lead bytes are not checked further: these are read, where Python refuses them.
      {"overlong zero", "\xC0\x80", true, 2, WideString(1, u'\0')},
      {"overlong DEL", "\xC1\xBF", true, 2, u"\u007F"},
      {"continuation bytes as a lead", "\x80\x80", true, 2, WideString(1, u'\0')},
      {"surrogate in three bytes", "\xED\xA0\x80", true, 2, WideString(1, char16_t(0xD800))},
      {"valid text", "\xC3\xA9t\xC3\xA9", false, 4, u"\u00E9t\u00E9"},
  };
  std::vector<std::string> inputs;
  for (const auto& c : cases) inputs.push_back(c.Bytes);
  const auto python = PythonCodec("decode utf-8", inputs);
  ASSERT_EQ(python.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const TCase& c = cases[i];
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(!python[i].has_value(), c.PythonRefuses);
    EXPECT_EQ(Utf8ToWideBuffer(nullptr, 0, c.Bytes.data(), c.Bytes.size()), c.BufferResult);
    EXPECT_EQ(Show(uni::Utf8ToWide(c.Bytes)), Show(c.Text));
  }
}

TEST(Utf8Conversion, BufferFormsStayInsideTheirCapacity) {
  // Exactly sized buffers: a write past the end is caught by the address sanitizer.
  const WideString text = u"a\u00E9\u20AC";  // 1 + 2 + 3 bytes
  EXPECT_EQ(WideToUtf8Buffer(nullptr, 0, text.data(), text.size()), 7u) << "bytes needed with the zero";
  EXPECT_EQ(WideToUtf8Buffer(nullptr, 0, nullptr, 0), 0u) << "no source";
  struct TCut {
    std::size_t Capacity;
    std::size_t Result;
    const char* Stored;
  };
  // The last byte gives way to the terminator and takes its whole character with it.
  const TCut cuts[] = {{7, 7, "a\xC3\xA9\xE2\x82\xAC"}, {6, 4, "a\xC3\xA9"}, {4, 4, "a\xC3\xA9"},
                       {3, 2, "a"}, {2, 2, "a"}, {1, 1, ""}};
  for (const TCut& c : cuts) {
    SCOPED_TRACE(c.Capacity);
    std::vector<char> buffer(c.Capacity, '#');
    EXPECT_EQ(WideToUtf8Buffer(buffer.data(), buffer.size(), text.data(), text.size()), c.Result);
    EXPECT_STREQ(buffer.data(), c.Stored);
  }
  char untouched = '#';
  EXPECT_EQ(WideToUtf8Buffer(&untouched, 0, text.data(), text.size()), 0u) << "no room at all stores nothing";
  EXPECT_EQ(untouched, '#');

  const std::string bytes = "ab\xC3\xA9";
  EXPECT_EQ(Utf8ToWideBuffer(nullptr, 0, bytes.data(), bytes.size()), 4);
  std::vector<WideChar> units(2, u'#');
  EXPECT_EQ(Utf8ToWideBuffer(units.data(), units.size(), bytes.data(), bytes.size()), 2);
  EXPECT_EQ(units[0], u'a');
  EXPECT_EQ(units[1], u'\0');
  WideChar none = u'#';
  EXPECT_EQ(Utf8ToWideBuffer(&none, 0, bytes.data(), bytes.size()), 0);
  EXPECT_EQ(none, u'#');
  EXPECT_EQ(Utf8ToWideBuffer(units.data(), units.size(), nullptr, 0), 0) << "no source";
}

}  // namespace
}  // namespace orv::test
