// Wide properties in window descriptions: the "W" and "_UTF7" entries beside wide-string and
// wide-character properties, when they are written, when they are applied, the ancestor and the
// default, and the read errors of a bad wide-character entry.
#include "platform/classes/ObjectText.h"
#include "platform/rtl/Streams.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniClasses.h"
#include "widechar/UniTypInfo.h"

namespace orv::test {
namespace {

class TWideProbe : public TComponent {
 public:
  explicit TWideProbe(TComponent* owner) : TComponent(owner) {}
  WideString FTitle;
  WideChar FMark = u'?';
  WideString FNotes[2];
  virtual WideString GetTitle() const { return FTitle; }
  virtual void SetTitle(const WideString& v) { FTitle = v; }
  WideString GetNote(Integer i) const { return FNotes[i]; }
  void SetNote(Integer i, const WideString& v) { FNotes[i] = v; }
  void DefineProperties(TFiler& filer) override {
    TComponent::DefineProperties(filer);
    DefineWideProperties(filer, this);
  }
};

class TProbeRoot : public TComponent {
 public:
  explicit TProbeRoot(TComponent* owner) : TComponent(owner) {}
};

class WidePropertyStreamingTest : public WidePlatformTest {
 protected:
  static void SetUpTestSuite() {
    RegisterClassType<TWideProbe, TComponent>("TWideProbe")
        .Prop("Title", &TWideProbe::GetTitle, &TWideProbe::SetTitle)
        .Prop("Mark", &TWideProbe::FMark, &TWideProbe::FMark).Default(u'?')
        .IndexedProp("Note", 1, &TWideProbe::GetNote, &TWideProbe::SetNote);
    RegisterClassType<TProbeRoot, TComponent>("TProbeRoot");
  }
  void SetUp() override {
    WidePlatformTest::SetUp();
    InitUniClasses();
  }
  void TearDown() override {
    WideStreamingEnabled = true;
    WidePlatformTest::TearDown();
  }

  // The root with one probe, read from a description whose probe block holds body.
  static std::unique_ptr<TProbeRoot> Read(const std::string& body) {
    auto root = std::make_unique<TProbeRoot>(nullptr);
    ReadComponentFromText("object Root: TProbeRoot\n  object Probe: TWideProbe\n" + body + "  end\nend\n", root.get());
    return root;
  }
  static TWideProbe* ProbeOf(TComponent* root) { return dynamic_cast<TWideProbe*>(root->FindComponent("Probe")); }
};

TEST_F(WidePropertyStreamingTest, OnlyNonAsciiTextIsWrittenAlsoAsUtf7) {
  TProbeRoot root(nullptr);
  root.SetName("Root");
  auto* probe = new TWideProbe(&root);  // owned by the root
  probe->SetName("Probe");
  probe->SetTitle(u"Plain text");
  AnsiString text = WriteComponentToText(&root);
  EXPECT_NE(text.find("Title = 'Plain text'"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("Title_UTF7"), AnsiString::npos) << "ASCII goes through the ordinary property alone";
  EXPECT_EQ(text.find("TitleW"), AnsiString::npos);

  probe->SetTitle(u"Gr\u00FC\u00DFe \u263A");
  text = WriteComponentToText(&root);
  EXPECT_NE(text.find("Title_UTF7 = 'Gr+APwA3w-e +Jjo'"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("TitleW"), AnsiString::npos) << "the UTF-8 entry is never written";

  auto back = Read(text.substr(text.find("    Title"), text.find("  end") - text.find("    Title")));
  EXPECT_EQ(ProbeOf(back.get())->GetTitle(), u"Gr\u00FC\u00DFe \u263A");
}

TEST_F(WidePropertyStreamingTest, EntriesAreReadInEveryEncodingAndAppliedWhereStreamingIsOn) {
  // "W" holds UTF-8 bytes (as they stand in the ANSI code page of the description text).
  auto root = Read("    TitleW = 'Gr\xC3\xBC\xC3\x9F" "e'\n");
  EXPECT_EQ(ProbeOf(root.get())->GetTitle(), u"Gr\u00FC\u00DFe");
  root = Read("    Title_UTF7 = '+JjoAIA-x'\n");
  EXPECT_EQ(ProbeOf(root.get())->GetTitle(), u"\u263A x");
  root = Read("    TitleW = '\xC3'\n");
  EXPECT_EQ(ProbeOf(root.get())->GetTitle(), u"") << "malformed UTF-8 gives an empty value, no error";
  try {
    Read("    Title_UTF7 = '+'\n");
    ADD_FAILURE() << "invalid UTF-7 was read";
  } catch (const EUniGeneralError& e) {
    EXPECT_EQ(e.Message(), "Invalid UTF7");
  }

  // Switched off, the wide entries of wide strings are read and dropped...
  WideStreamingEnabled = false;
  root = Read("    Title = 'narrow'\n    Title_UTF7 = '+Jjo'\n    TitleW = '\xE2\x98\xBA'\n");
  EXPECT_EQ(ProbeOf(root.get())->GetTitle(), u"narrow");
  // ...unless the owner is being designed.
  auto designed = std::make_unique<TProbeRoot>(nullptr);
  designed->SetDesigning(true);
  ReadComponentFromText("object Root: TProbeRoot\n  object Probe: TWideProbe\n    Title_UTF7 = '+Jjo'\n  end\nend\n",
                        designed.get());
  EXPECT_EQ(ProbeOf(designed.get())->GetTitle(), u"\u263A");
}

TEST_F(WidePropertyStreamingTest, AReaderWithoutOwnerIgnoresTheWideEntriesOfWideStrings) {
  TWideProbe source(nullptr);
  source.SetTitle(u"\u263A\u263B");
  TMemoryStream stream;
  {
    TWriter writer(stream);
    writer.WriteData(&source);
  }
  stream.SetPosition(0);
  TWideProbe target(nullptr);
  TReader reader(stream);
  ASSERT_EQ(reader.Owner(), nullptr);
  target.SetTitle(u"before");
  reader.ReadData(&target);
  EXPECT_EQ(target.GetTitle(), u"\u263A\u263B") << "the ordinary wide property is read";
  // The UTF-7 entry was there, read and dropped: feed it alone to show it.
  TMemoryStream alone;
  {
    TWriter writer(alone);
    writer.WriteStr("Title_UTF7");
    writer.WriteString("+Jjo");
    writer.WriteListEnd();
    writer.WriteListEnd();
  }
  alone.SetPosition(0);
  TReader again(alone);
  again.ReadData(&target);
  EXPECT_EQ(target.GetTitle(), u"\u263A\u263B");
}

TEST_F(WidePropertyStreamingTest, WideCharacterEntries) {
  TProbeRoot root(nullptr);
  root.SetName("Root");
  auto* probe = new TWideProbe(&root);
  probe->SetName("Probe");
  AnsiString text = WriteComponentToText(&root);
  EXPECT_EQ(text.find("MarkW"), AnsiString::npos) << "the declared default is not written";
  probe->FMark = u'\u263A';
  TMemoryStream binary;
  WriteComponentToStream(binary, &root);
  const std::string bytes(reinterpret_cast<const char*>(binary.Memory()), static_cast<std::size_t>(binary.Size()));
  EXPECT_NE(bytes.find(std::string("\x05MarkW\x12\x01\x00\x00\x00\x3A\x26", 12)), std::string::npos)
      << "a wide-string value of one unit";
  text = WriteComponentToText(&root);
  auto back = Read(text.substr(text.find("    Mark"), text.find("  end") - text.find("    Mark")));
  EXPECT_EQ(ProbeOf(back.get())->FMark, u'\u263A');

  EXPECT_EQ(ProbeOf(Read("    MarkW = ''\n").get())->FMark, u'\0') << "empty sets the character 0";
  EXPECT_EQ(ProbeOf(Read("    MarkW = 'z'\n").get())->FMark, u'z');
  WideStreamingEnabled = false;
  EXPECT_EQ(ProbeOf(Read("    MarkW = #9731\n").get())->FMark, u'\u2603') << "applied whatever the setting";
  EXPECT_EQ(ProbeOf(Read("    Mark_UTF7 = '+Jjo'\n").get())->FMark, u'?') << "the UTF-7 entry follows the setting";
  WideStreamingEnabled = true;
  EXPECT_EQ(ProbeOf(Read("    Mark_UTF7 = '+Jjo'\n").get())->FMark, u'\u263A');
  EXPECT_EQ(ProbeOf(Read("    Mark_UTF7 = ''\n").get())->FMark, u'\0');

  for (const char* bad : {"    MarkW = 'ab'\n", "    MarkW = 12\n", "    MarkW = True\n"}) {
    SCOPED_TRACE(bad);
    try {
      Read(bad);
      ADD_FAILURE() << "read";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Ung\xFCltiger Wert der Eigenschaft");
    }
  }
}

TEST_F(WidePropertyStreamingTest, AnAncestorWithTheSameValueKeepsTheEntriesOut) {
  TProbeRoot ancestorRoot(nullptr);
  ancestorRoot.SetName("Root");
  auto* ancestor = new TWideProbe(&ancestorRoot);
  ancestor->SetName("Probe");
  ancestor->SetTitle(u"\u263A");
  ancestor->FMark = u'\u2603';
  TProbeRoot root(nullptr);
  root.SetName("Root");
  auto* probe = new TWideProbe(&root);
  probe->SetName("Probe");
  probe->SetTitle(u"\u263A");
  probe->FMark = u'\u2603';
  AnsiString text = WriteComponentToText(&root, &ancestorRoot);
  EXPECT_EQ(text.find("Title_UTF7"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("MarkW"), AnsiString::npos);
  probe->SetTitle(u"\u263B");
  probe->FMark = u'?';  // the declared default, but the ancestor holds another value
  text = WriteComponentToText(&root, &ancestorRoot);
  EXPECT_NE(text.find("Title_UTF7 = '+Jjs'"), AnsiString::npos) << text;
  EXPECT_NE(text.find("MarkW = '?'"), AnsiString::npos) << text;
}

TEST_F(WidePropertyStreamingTest, WideStringPropertiesThroughTheirReadersAndWriters) {
  TWideProbe probe(nullptr);
  const TPropInfo* title = GetPropInfoOfKind(&probe, "Title", tkWString);
  const TPropInfo* note = GetPropInfoOfKind(&probe, "Note", tkWString);
  ASSERT_NE(title, nullptr);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(title->Reader.Kind, akVirtual);
  EXPECT_EQ(GetPropInfoOfKind(&probe, "Title", tkWChar), nullptr);
  SetWideStrProp(&probe, *title, u"\u263A");
  EXPECT_EQ(GetWideStrProp(&probe, *title), u"\u263A");
  SetWideStrProp(&probe, *note, u"\u00E9");
  EXPECT_EQ(probe.FNotes[1], u"\u00E9") << "the index reaches the method";
  EXPECT_THROW(GetWideStrProp(&probe, *GetPropInfo(&probe, "Mark")), EPropertyError);
}

}  // namespace
}  // namespace orv::test
