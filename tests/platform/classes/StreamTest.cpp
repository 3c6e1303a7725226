// The binary component stream: value markers and their bytes, wide strings, stream-defined
// properties with has-data and ancestors, and the reader's errors on malformed input.
#include <gtest/gtest.h>
#include <cmath>
#include "Fixtures.h"
#include "platform/classes/ObjectText.h"
#include "platform/rtl/CodePages.h"

namespace orv::test {
namespace {

std::string Bytes(TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// A memory stream holding bytes, positioned at its start.
struct TBytes : TMemoryStream {
  explicit TBytes(std::string_view b) {
    if (!b.empty()) WriteBuffer(b.data(), static_cast<Int64>(b.size()));
    SetPosition(0);
  }
};

const std::string kWideMarker("\x12\x02\x00\x00\x00\x16\x04\xAC\x20", 9);  // u"\u0416\u20ac"

TEST(StreamValueTest, WideStringIsMarker18LengthInUnitsThenUtf16le) {
  TMemoryStream out;
  TWriter w(out);
  w.WriteWideString(u"\u0416\u20ac");
  EXPECT_EQ(Bytes(out), std::string(kWideMarker.data(), 9));

  TBytes in(std::string(kWideMarker.data(), 9));
  TReader r(in);
  EXPECT_EQ(r.NextValue(), vaWString);
  EXPECT_EQ(r.NextValue(), vaWString) << "NextValue does not consume";
  EXPECT_EQ(r.ReadWideString(), u"\u0416\u20ac");
  EXPECT_EQ(in.Position(), 9);
}

TEST(StreamValueTest, ValuesAreWrittenWithTheirMarkers) {
  struct Case { const char* Name; std::function<void(TWriter&)> Write; std::string Bytes; };
  const Case cases[] = {
      {"Int8", [](TWriter& w) { w.WriteInteger(-128); }, std::string("\x02\x80", 2)},
      {"Int16", [](TWriter& w) { w.WriteInteger(128); }, std::string("\x03\x80\x00", 3)},
      {"Int32", [](TWriter& w) { w.WriteInteger(-32769); }, std::string("\x04\xFF\x7F\xFF\xFF", 5)},
      {"Int64", [](TWriter& w) { w.WriteInteger(0x80000000LL); }, std::string("\x13\x00\x00\x00\x80\x00\x00\x00\x00", 9)},
      {"Extended", [](TWriter& w) { w.WriteFloat(1.5); }, std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11)},
      {"String", [](TWriter& w) { w.WriteString("ab"); }, std::string("\x06\x02" "ab", 4)},
      {"Ident", [](TWriter& w) { w.WriteIdent("alTop"); }, std::string("\x07\x05" "alTop", 7)},
      {"False", [](TWriter& w) { w.WriteBoolean(false); }, std::string("\x08", 1)},
      {"True", [](TWriter& w) { w.WriteIdent("true"); }, std::string("\x09", 1)},
      {"Nil", [](TWriter& w) { w.WriteIdent("nil"); }, std::string("\x0D", 1)},
      {"Binary", [](TWriter& w) { w.WriteBinary({1, 2}); }, std::string("\x0A\x02\x00\x00\x00\x01\x02", 7)},
      {"Set", [](TWriter& w) { w.WriteSetNames({"a", "b"}); }, std::string("\x0B\x01" "a\x01" "b\x00", 6)},
      {"List", [](TWriter& w) { w.WriteListBegin(); w.WriteListEnd(); }, std::string("\x01\x00", 2)},
      {"NarrowWideChar", [](TWriter& w) { w.WriteWideChar(u'x'); }, std::string("\x06\x01x", 3)},
      {"WideWideChar", [](TWriter& w) { w.WriteWideChar(u'\u20ac'); }, std::string("\x12\x01\x00\x00\x00\xAC\x20", 7)},
  };
  for (const Case& c : cases) {
    TMemoryStream out;
    TWriter w(out);
    c.Write(w);
    EXPECT_EQ(Bytes(out), c.Bytes) << c.Name;
  }
  TMemoryStream out;
  TWriter w(out);
  w.WriteString(std::string(256, 'x'));
  EXPECT_EQ(Bytes(out).substr(0, 5), std::string("\x0C\x00\x01\x00\x00", 5)) << "a long string is vaLString";
}

TEST(StreamValueTest, FloatsSurviveTheExtendedFormat) {
  for (double d : {0.0, -0.0, 1.5, -2.0, 1e300, 1e-310, 3.141592653589793, 5e-324}) {
    TMemoryStream s;
    TWriter(s).WriteFloat(d);
    s.SetPosition(0);
    TReader r(s);
    double back = r.ReadFloat();
    EXPECT_EQ(back, d);
    EXPECT_EQ(std::signbit(back), std::signbit(d));
  }
}

TEST(StreamValueTest, ReadStringHandsBackTheStoredBytes) {
  TBytes in(std::string("\x06\x02\xC3\xA9", 4));  // UTF-8 of e-acute kept as narrow bytes
  TReader r(in);
  EXPECT_EQ(r.ReadString(), "\xC3\xA9");
  TBytes wide(std::string(kWideMarker.data(), 9));
  TReader rw(wide);
  EXPECT_EQ(rw.ReadString(), "?\x80") << "a wide value is converted to the ANSI code page";
  TBytes narrow(std::string("\x06\x01\xE9", 3));
  TReader rn(narrow);
  EXPECT_EQ(rn.ReadWideString(), u"\u00e9") << "a narrow value is widened through the ANSI code page";
}

TEST(StreamValueTest, WideCharTakesOneCharacterOfANarrowOrWideString) {
  struct Case { std::string Bytes; int Expected; };  // -1: invalid property value
  const Case cases[] = {
      {std::string("\x06\x01" "a", 3), 'a'},
      {std::string("\x06\x01\x80", 3), 0x20AC},
      {std::string("\x12\x01\x00\x00\x00\x16\x04", 7), 0x416},
      {std::string("\x06\x00", 2), 0},
      {std::string("\x06\x02" "ab", 4), -1},
      {std::string("\x02\x41", 2), -1},
      {std::string("\x07\x01" "a", 3), -1},
  };
  for (const Case& c : cases) {
    TBytes in(c.Bytes);
    TReader r(in);
    if (c.Expected < 0) {
      try {
        r.ReadWideChar();
        ADD_FAILURE() << "accepted " << testing::PrintToString(c.Bytes);
      } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Ung\xFCltiger Wert der Eigenschaft");
      }
    } else {
      EXPECT_EQ(r.ReadWideChar(), c.Expected);
    }
  }
}

class ComponentStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    Log().clear();
  }
  std::string Write(TComponent* root, TComponent* ancestor = nullptr) {
    TMemoryStream out;
    WriteComponentToStream(out, root, ancestor);
    return Bytes(out);
  }
};

TEST_F(ComponentStreamTest, WidePropertiesGoBothWaysAsMarker18) {
  TTestControl c(nullptr);
  c.SetName("B");
  c.FWideCaption = u"\u0416\u20ac";
  std::string bin = Write(&c);
  EXPECT_NE(bin.find("\x0BWideCaption" + std::string(kWideMarker.data(), 9)), std::string::npos);

  TTestControl back(nullptr);
  TBytes in(bin);
  ReadComponentFromStream(in, &back);
  EXPECT_EQ(back.FWideCaption, u"\u0416\u20ac");
  EXPECT_EQ(back.Name(), "B");
}

TEST_F(ComponentStreamTest, DefinedPropertyIsWrittenOnlyWithData) {
  TTestControl c(nullptr);
  EXPECT_EQ(Write(&c).find("Extra"), std::string::npos);
  c.FExtra = "x";
  c.FData = {0xDE, 0xAD};
  std::string bin = Write(&c);
  EXPECT_NE(bin.find("\x05" "Extra\x06\x01x"), std::string::npos);
  EXPECT_NE(bin.find(std::string("\x04" "Data\x0A\x02\x00\x00\x00\xDE\xAD", 12)), std::string::npos);

  TTestControl back(nullptr);
  TBytes in(bin);
  ReadComponentFromStream(in, &back);
  EXPECT_EQ(back.FExtra, "x");
  EXPECT_EQ(back.FData, (std::vector<Byte>{0xDE, 0xAD}));
  EXPECT_EQ(back.SeenOwner, &back) << "the reader's owner is the root being read";
  EXPECT_EQ(back.SeenRoot, &back);
}

TEST_F(ComponentStreamTest, AncestorLeavesOutWhatIsEqualAndIsSeenByDefineProperties) {
  const char* text =
      "object F: TTestForm\n  Caption = 'A'\n  object B: TTestControl\n    Left = 1\n    Top = 2\n"
      "    Extra = 'same'\n  end\nend\n";
  TTestForm base(nullptr), derived(nullptr);
  ReadComponentFromText(text, &base);
  ReadComponentFromText(text, &derived);
  derived.FCaption = "B";
  TMemoryStream out;
  TWriter w(out);
  w.WriteDescendent(&derived, &base);
  EXPECT_EQ(w.RootAncestor(), &base);
  EXPECT_EQ(w.Root(), &derived);
  auto* b = static_cast<TTestControl*>(derived.FindComponent("B"));
  EXPECT_EQ(b->SeenAncestor, base.FindComponent("B")) << "a child's ancestor is the root ancestor's child";
  EXPECT_EQ(ObjectBinaryToText(Bytes(out)),
            "object F: TTestForm\n  Caption = 'B'\n  object B: TTestControl\n  end\nend\n");
}

TEST_F(ComponentStreamTest, AncestorDifferingFromDefaultsWritesTheValueAgain) {
  TTestControl base(nullptr), derived(nullptr);
  base.FVisible = false;
  base.FFont->FSize = 12;
  std::string text = WriteComponentToText(&derived, &base);
  EXPECT_EQ(text, "object TTestControl\n  Visible = True\n  Font.Size = 8\nend\n");
}

// A persistent whose published sub-object is itself.
class TLoop : public TPersistent {
 public:
  TLoop* Self() const { return const_cast<TLoop*>(this); }
};
class TLoopHolder : public TComponent {
 public:
  using TComponent::TComponent;
  TLoop* GetLoop() const { return const_cast<TLoop*>(&FLoop); }
  TLoop FLoop;
};

TEST_F(ComponentStreamTest, SubObjectLeadingBackToItselfIsAWriteError) {
  RegisterClassType<TLoop, TPersistent>("TLoop").Prop("Self", &TLoop::Self, nullptr);
  RegisterClassType<TLoopHolder, TComponent>("TLoopHolder").Prop("Loop", &TLoopHolder::GetLoop, nullptr);
  TLoopHolder h(nullptr);
  EXPECT_THROW(Write(&h), EWriteError);
}

TEST_F(ComponentStreamTest, SetElementWithoutANameIsAWriteError) {
  TTestControl c(nullptr);
  c.FAnchors = TSet<TTestAnchor>::FromBits(1u << 9);
  EXPECT_THROW(Write(&c), EWriteError);
}

// Malformed binary streams and the errors they must give.
TEST_F(ComponentStreamTest, MalformedStreamsRaiseReadErrors) {
  const std::string head = std::string("TPF0\x0CTTestControl\x01" "B", 19);
  struct Case { const char* Name; std::string Bytes; const char* Message; };
  const Case cases[] = {
      {"Empty", "", "Ung\xFCltiges Stream-Format"},
      {"NoSignature", "TPF1", "Ung\xFCltiges Stream-Format"},
      {"Truncated", head, "Stream-Read-Fehler"},
      {"InheritedFlags", std::string("TPF0\xF1", 5) + "\x0CTTestControl\x01" "B", "Ung\xFCltiges Stream-Format"},
      {"UnknownMarker", head + "\x04Left\x55", "Ung\xFCltiges Stream-Format"},
      {"StringPastEnd", head + "\x07" "Caption\x0C\xFF\xFF\xFF\x7F" "abc", "Stream-Read-Fehler"},
      {"WidePastEnd", head + "\x0BWideCaption\x12\xFF\xFF\xFF\xFF", "Stream-Read-Fehler"},
      {"BinaryPastEnd", head + "\x04" "Data\x0A\x10\x00\x00\x00\x01", "Stream-Read-Fehler"},
      {"BinaryForData", head + "\x04" "Data\x02\x01", "Ung\xFCltiger Wert der Eigenschaft"},
      {"Int64ForInteger", head + std::string("\x04Left\x13\x00\x00\x00\x00\x01\x00\x00\x00", 14),
       "Ung\xFCltiger Wert der Eigenschaft"},
  };
  for (const Case& c : cases) {
    TTestControl target(nullptr);
    TBytes in(c.Bytes);
    try {
      ReadComponentFromStream(in, &target);
      ADD_FAILURE() << "accepted " << c.Name;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), c.Message) << c.Name;
    }
    EXPECT_FALSE(target.ComponentState().Contains(csReading)) << c.Name;
  }
}

TEST_F(ComponentStreamTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  std::string bin = std::string("TPF0\x0ATTestTimer\x00", 16) + "\x03Tag";
  for (int i = 0; i < 100000; ++i) bin += '\x01';
  TBytes in(bin);
  TTestTimer t(nullptr);
  EXPECT_THROW(ReadComponentFromStream(in, &t), EReadError);
  std::string text = "object T: TTestTimer\n  Tag = ";
  for (int i = 0; i < 100000; ++i) text += '(';
  EXPECT_THROW(ObjectTextToBinary(text), EParserError);
}

TEST(ObjectTextTest, ParseErrorsNameTheLine) {
  struct Case { const char* Name; const char* Text; const char* Message; };
  const Case cases[] = {
      {"NoObject", "thing X: TTestTimer\nend\n", "Zeile 1: 'object' erwartet"},
      {"NoEquals", "object X: TTestTimer\n  Tag 5\nend\n", "Zeile 2: '=' erwartet"},
      {"OpenString", "object X: TTestTimer\n  Tag = 1\n  Caption = 'abc\nend\n",
       "Zeile 3: Zeichenkette nicht abgeschlossen"},
      {"NoEnd", "object X: TTestTimer\n  Tag = 1\n", "Zeile 3: 'end' erwartet"},
      {"OddHex", "object X: TTestTimer\n  Data = {ABC}\nend\n", "Zeile 2: ungerade Anzahl Hexadezimalziffern"},
      {"BadHex", "object X: TTestTimer\n  Data = {AG}\nend\n", "Zeile 2: Hexadezimalziffer erwartet"},
      {"TooBig", "object X: TTestTimer\n  Tag = 99999999999999999999\nend\n", "Zeile 2: Zahl zu gro\xDF"},
      {"BadCode", "object X: TTestTimer\n  Caption = #\nend\n", "Zeile 2: Zeichencode erwartet"},
      {"Trailing", "object X: TTestTimer\nend\nend\n", "Zeile 3: Ende der Beschreibung erwartet"},
      {"Inherited", "inherited X: TTestTimer\nend\n",
       "Zeile 1: geerbte Komponenten werden nicht unterst\xFCtzt"},
      {"NoItem", "object X: TTestTimer\n  Panels = <\n    thing\n  end>\nend\n", "Zeile 3: 'item' erwartet"},
  };
  for (const Case& c : cases) {
    try {
      ObjectTextToBinary(c.Text);
      ADD_FAILURE() << "accepted " << c.Name;
    } catch (const EParserError& e) {
      EXPECT_EQ(e.Message(), c.Message) << c.Name;
    }
  }
}

TEST(ObjectTextTest, LineEndingsAndIndentationDoNotMatter) {
  std::string lf = ObjectTextToBinary("object T: TTestTimer\n  Tag = 'a' +\n    'b'\nend\n");
  EXPECT_EQ(ObjectTextToBinary("object T: TTestTimer\r\n\tTag = 'a' +\r\n'b'\r\nend"), lf);
  EXPECT_EQ(ObjectTextToBinary("OBJECT T : TTestTimer Tag='a'+'b' END"), lf);
}

TEST(ObjectTextTest, ValuesTakeTheirMarkersFromTheText) {
  struct Case { const char* Value; std::string Bytes; };
  const Case cases[] = {
      {"-5", std::string("\x02\xFB", 2)},
      {"$FF", std::string("\x03\xFF\x00", 3)},
      {"'a'#13#10'b'", std::string("\x06\x04" "a\r\nb", 6)},
      {"'ab' +\n    'cd'", std::string("\x06\x04" "abcd", 6)},
      {"#233", std::string("\x06\x01\xE9", 3)},
      {"#8364", std::string("\x06\x01\x80", 3)},
      {"#1046", std::string("\x12\x01\x00\x00\x00\x16\x04", 7)},
      {"'\xE9'", std::string("\x06\x01\xE9", 3)},
      {"True", std::string("\x09", 1)},
      {"nil", std::string("\x0D", 1)},
      {"Form2.Edit1", std::string("\x07\x0B" "Form2.Edit1", 13)},
      {"[]", std::string("\x0B\x00", 2)},
      {"()", std::string("\x01\x00", 2)},
      {"{}", std::string("\x0A\x00\x00\x00\x00", 5)},
      {"<>", std::string("\x0E\x00", 2)},
      {"1.5", std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11)},
      {"2.5s", std::string("\x0F\x00\x00\x20\x40", 5)},
      {"1.5c", std::string("\x10\x98\x3A\x00\x00\x00\x00\x00\x00", 9)},
      // Currency spans the whole 64-bit range of ten-thousandths.
      {"922235683283796c", std::string("\x10\x00\x00\x34\x65\xAD\x64\xFC\x7F", 9)},
      {"-922337203685477.5808c", std::string("\x10\x00\x00\x00\x00\x00\x00\x00\x80", 9)},
      {"922337203685477.5807c", std::string("\x10\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 9)},
  };
  for (const Case& c : cases) {
    std::string text = std::string("object T: TTestTimer\n  Tag = ") + c.Value + "\nend\n";
    std::string bin = ObjectTextToBinary(text);
    std::string prefix = std::string("TPF0\x0ATTestTimer\x01T\x03Tag", 21);
    ASSERT_EQ(bin.substr(0, prefix.size()), prefix) << c.Value;
    EXPECT_EQ(bin.substr(prefix.size(), bin.size() - prefix.size() - 2), c.Bytes) << c.Value;
    // Text again: the same value reads the same way.
    EXPECT_EQ(ObjectTextToBinary(ObjectBinaryToText(bin)), bin) << c.Value;
  }
}

}  // namespace
}  // namespace orv::test
