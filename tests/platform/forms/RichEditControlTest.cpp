// The rich edit control: the stored dialect loads with its attributes, positions count one per
// break, text put into a line keeps that line's format, streams round-trip, change events.
#include <gtest/gtest.h>

#include <QTextEdit>
#include <functional>

#include "platform/forms/ComCtrls.h"
#include "platform/forms/RichTextStreams.h"
#include "platform/forms/RtfReader.h"
#include "tests/platform/forms/FormsFixture.h"

namespace orv {
namespace {

// As a rich edit of this kind saves a design: half-point sizes, Symbol bullets in pntext groups.
const char* const kStoredDesign =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\froman\\fcharset0 Times New Roman;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "\\viewkind4\\uc1\\pard\\qc\\b\\f0\\fs36 Welcome\\b0\\par\r\n"
    "\\pard\\f2\\fs20 Line with \\cf1 red\\cf0  text\\par\r\n"
    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-200\\li200"
    "\\f0\\fs24 first bullet\\par\r\n"
    "{\\pntext\\f1\\'B7\\tab}second bullet\\par\r\n"
    "\\pard\\i\\cf2 italic\\i0\\cf0\\par\r\n"
    "}\r\n";

class TRichForm : public TForm {
 public:
  explicit TRichForm(TComponent* owner) : TForm(owner) {}
  TRichEdit* RichEdit1 = nullptr;
  int Changes = 0;
  int SelectionChanges = 0;
  void RichEdit1Change(TObject*) { ++Changes; }
  void RichEdit1SelectionChange(TObject*) { ++SelectionChanges; }
};

const char* const kRichForm = R"(object RichForm: TRichForm
  Width = 400
  Height = 300
  object RichEdit1: TRichEdit
    Left = 0
    Top = 0
    Width = 380
    Height = 250
    ScrollBars = ssBoth
    WordWrap = False
    OnChange = RichEdit1Change
    OnSelectionChange = RichEdit1SelectionChange
  end
end
)";

class RichEditControlTest : public test::FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClassType<TRichForm, TForm>("TRichForm")
        .Field("RichEdit1", &TRichForm::RichEdit1)
        .Method("RichEdit1Change", &TRichForm::RichEdit1Change)
        .Method("RichEdit1SelectionChange", &TRichForm::RichEdit1SelectionChange);
    Form = MakeForm<TRichForm>("TRichForm", kRichForm);
    Form->Show();
    Edit = Form->RichEdit1;
  }

  void Load(TRichEdit* edit, const AnsiString& bytes) {
    TStringStream stream(bytes);
    edit->LoadFromStream(stream);
  }

  AnsiString Save(TRichEdit* edit) {
    TStringStream stream;
    edit->SaveToStream(stream);
    return stream.DataString();
  }

  TRichCharFormat At(Integer position) {
    Edit->SetSelStart(position);
    Edit->SetSelLength(1);
    return Edit->SelAttributes().Get();
  }

  TRichForm* Form = nullptr;
  TRichEdit* Edit = nullptr;
};

// Start of each line: "Welcome", "Line with red text", "first bullet", "second bullet", "italic".
constexpr Integer kLine2 = 8, kLine3 = 27, kLine4 = 40, kLine5 = 54;

TEST_F(RichEditControlTest, StoredDesignLoadsWithItsAttributes) {
  auto* widget = static_cast<QTextEdit*>(Edit->Widget());
  EXPECT_EQ(widget->lineWrapMode(), QTextEdit::NoWrap) << "the form's WordWrap reaches the editor";
  EXPECT_EQ(widget->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  Load(Edit, kStoredDesign);
  EXPECT_EQ(Edit->Lines().ToVector(),
            (std::vector<AnsiString>{"Welcome", "Line with red text", "first bullet", "second bullet", "italic"}));
  EXPECT_EQ(Edit->GetText().find('\xB7'), AnsiString::npos) << "bullet characters are not text";
  EXPECT_EQ(Edit->GetText().find('\t'), AnsiString::npos);

  struct TCase {
    Integer Position;
    const char* Name;
    Integer Size;
    TColor Color;
    bool Bold, Italic;
    TAlignment Alignment;
    TNumberingStyle Numbering;
  };
  const TCase cases[] = {
      {0, "Arial", 18, clBlack, true, false, taCenter, nsNone},
      {kLine2, "Times New Roman", 10, clBlack, false, false, taLeftJustify, nsNone},
      {kLine2 + 10, "Times New Roman", 10, static_cast<TColor>(0x0000FF), false, false, taLeftJustify, nsNone},
      {kLine2 + 14, "Times New Roman", 10, clBlack, false, false, taLeftJustify, nsNone},
      {kLine3, "Arial", 12, clBlack, false, false, taLeftJustify, nsBullet},
      {kLine4 + 3, "Arial", 12, clBlack, false, false, taLeftJustify, nsBullet},
      {kLine5, "Arial", 12, static_cast<TColor>(0xFF0000), false, true, taLeftJustify, nsNone},
  };
  for (const TCase& c : cases) {
    const TRichCharFormat f = At(c.Position);
    EXPECT_EQ(f.Name, c.Name) << c.Position;
    EXPECT_EQ(f.Size, c.Size) << c.Position;
    EXPECT_EQ(f.Color, c.Color) << c.Position;
    EXPECT_EQ(f.Style.Contains(fsBold), c.Bold) << c.Position;
    EXPECT_EQ(f.Style.Contains(fsItalic), c.Italic) << c.Position;
    EXPECT_EQ(Edit->Paragraph().Alignment(), c.Alignment) << c.Position;
    EXPECT_EQ(Edit->Paragraph().Numbering(), c.Numbering) << c.Position;
  }
}

TEST_F(RichEditControlTest, PositionsCountOnePerBreak) {
  Load(Edit, kStoredDesign);
  struct TCase {
    Integer Start, Length;
    const char* Text;
  };
  const TCase cases[] = {
      {kLine3, 5, "first"},
      {kLine3 - 5, 7, "text\r\nfi"},
      {kLine5 - 1, 3, "\r\nit"},
      {0, 7, "Welcome"},
  };
  for (const TCase& c : cases) {
    Edit->SetSelStart(c.Start);
    Edit->SetSelLength(c.Length);
    EXPECT_EQ(Edit->SelStart(), c.Start);
    EXPECT_EQ(Edit->SelLength(), c.Length);
    EXPECT_EQ(Edit->SelText(), c.Text) << c.Start;
  }
  // A \line break is one position too, and shows as a line of its own.
  Load(Edit, "{\\rtf1\\ansi ab\\line cd\\par ef}");
  EXPECT_EQ(Edit->Lines().ToVector(), (std::vector<AnsiString>{"ab", "cd", "ef"}));
  Edit->SetSelStart(3);
  Edit->SetSelLength(4);
  EXPECT_EQ(Edit->SelText(), "cd\r\ne");
}

TEST_F(RichEditControlTest, TextPutIntoALineKeepsThatLinesFormat) {
  Load(Edit, kStoredDesign);
  // What inserting a field at the caret does: the line is rewritten around the caret.
  Edit->SetSelStart(kLine3 + 5);
  const Integer caret = Edit->SelStart();
  EXPECT_EQ(caret, kLine3 + 5);
  const AnsiString line = Edit->Lines().Get(2);
  Edit->Lines().Put(2, line.substr(0, 5) + "[%Name]" + line.substr(5));
  EXPECT_EQ(Edit->Lines().Get(2), "first[%Name] bullet");
  for (Integer p : {kLine3 + 5, kLine3 + 11, kLine3 + 12}) {
    const TRichCharFormat f = At(p);
    EXPECT_EQ(f.Name, "Arial") << p;
    EXPECT_EQ(f.Size, 12) << p;
    EXPECT_EQ(Edit->Paragraph().Numbering(), nsBullet) << p;
  }
  EXPECT_EQ(At(0).Size, 18) << "other lines keep theirs";
  EXPECT_TRUE(At(0).Style.Contains(fsBold));
  EXPECT_EQ(At(kLine4 + 7).Size, 12);

  // Typed text at the caret takes the format of the character before it.
  Edit->SetSelStart(kLine2 + 13);
  Edit->SetSelText("dish");
  EXPECT_EQ(Edit->Lines().Get(1), "Line with reddish text");
  EXPECT_EQ(At(kLine2 + 14).Color, static_cast<TColor>(0x0000FF));
}

TEST_F(RichEditControlTest, SaveAndReloadKeepTextAndAttributes) {
  Load(Edit, kStoredDesign);
  Edit->SetSelStart(kLine2);
  Edit->SetSelLength(4);
  Edit->SelAttributes().SetStyle(TFontStyles().Include(fsUnderline).Include(fsStrikeOut));
  Edit->SetSelStart(kLine5);
  Edit->Paragraph().SetAlignment(taRightJustify);
  Edit->Paragraph().SetNumbering(nsBullet);
  Edit->SetSelStart(kLine3);
  Edit->Paragraph().SetNumbering(nsNone);
  const TRichDocument before = Edit->RichText();
  EXPECT_EQ(before.ParagraphAt(kLine5).Alignment, taRightJustify);
  EXPECT_EQ(before.ParagraphAt(kLine5).Numbering, nsBullet);
  EXPECT_EQ(before.ParagraphAt(kLine3).Numbering, nsNone);
  EXPECT_EQ(before.FormatAt(kLine2 + 4).Size, 10) << "the merge leaves the rest of the line alone";
  EXPECT_FALSE(before.FormatAt(kLine2 + 4).Style.Contains(fsUnderline));

  const AnsiString rtf = Save(Edit);
  EXPECT_TRUE(IsRtf(rtf));
  // The background is the control's own and not part of the rich text.
  Edit->SetColor(clYellow);
  EXPECT_EQ(Save(Edit), rtf);

  auto* other = new TRichEdit(Form);  // owned by the form
  other->SetParent(Form);
  Load(other, rtf);
  EXPECT_EQ(other->GetText(), Edit->GetText());
  EXPECT_EQ(other->RichText().Paragraphs, before.Paragraphs);
  EXPECT_EQ(other->Color(), clWindow);
}

TEST_F(RichEditControlTest, PlainTextStreamsCarryOnlyText) {
  Edit->SetPlainText(true);
  Load(Edit, "{\\rtf1 not read}\r\nsecond");
  EXPECT_EQ(Edit->Lines().ToVector(), (std::vector<AnsiString>{"{\\rtf1 not read}", "second"}));
  Edit->SetPlainText(false);
  Load(Edit, kStoredDesign);
  Edit->SetPlainText(true);
  EXPECT_EQ(Save(Edit), "Welcome\r\nLine with red text\r\nfirst bullet\r\nsecond bullet\r\nitalic");
}

TEST_F(RichEditControlTest, EmptyEditUsesAndTypesTheDefaultAttributes) {
  Edit->DefAttributes().SetName("Courier New");
  Edit->DefAttributes().SetSize(14);
  Edit->DefAttributes().SetColor(clGreen);
  EXPECT_EQ(Edit->SelAttributes().Name(), "Courier New") << "an empty edit shows its defaults";
  EXPECT_EQ(Edit->SelAttributes().Size(), 14);
  Edit->SetSelText("typed");
  const TRichCharFormat f = At(0);
  EXPECT_EQ(f.Name, "Courier New");
  EXPECT_EQ(f.Size, 14);
  EXPECT_EQ(f.Color, clGreen);
  // At the caret a set attribute applies to what is typed next.
  Edit->SetSelStart(5);
  Edit->SelAttributes().SetStyle(TFontStyles().Include(fsBold));
  Edit->SetSelText("B");
  EXPECT_TRUE(At(5).Style.Contains(fsBold));
  EXPECT_FALSE(At(4).Style.Contains(fsBold));

  // Cleared, the edit types its defaults again, not the format of the removed text.
  Load(Edit, kStoredDesign);
  Edit->Clear();
  EXPECT_EQ(Edit->GetText(), "");
  EXPECT_EQ(Edit->Paragraph().Alignment(), taLeftJustify);
  Edit->SetSelText("again");
  EXPECT_EQ(At(0).Name, "Courier New");
  EXPECT_EQ(At(0).Size, 14);
  EXPECT_FALSE(At(0).Style.Contains(fsBold));
}

TEST_F(RichEditControlTest, ChangeEventsStayQuietWhileLoading) {
  Load(Edit, kStoredDesign);
  Load(Edit, "{\\rtf1 second load}");
  EXPECT_EQ(Form->Changes, 0);
  EXPECT_EQ(Form->SelectionChanges, 0);
  struct TCase {
    const char* What;
    std::function<void()> Do;
    bool Changes, MovesSelection;
  };
  const TCase cases[] = {
      {"typing", [&] { Edit->SetSelText("x"); }, true, true},
      {"caret move", [&] { Edit->SetSelStart(3); }, false, true},
      {"same caret", [&] { Edit->SetSelStart(3); }, false, false},
      {"line added", [&] { Edit->Lines().Add("more"); }, true, false},
      {"loading", [&] { Load(Edit, "{\\rtf1 again}"); }, false, false},
      {"clearing", [&] { Edit->Clear(); }, true, false},
  };
  for (const TCase& c : cases) {
    const int changes = Form->Changes, moves = Form->SelectionChanges;
    c.Do();
    EXPECT_EQ(Form->Changes > changes, c.Changes) << c.What;
    EXPECT_EQ(Form->SelectionChanges > moves, c.MovesSelection) << c.What;
  }
}

TEST_F(RichEditControlTest, OversizedPlainLoadIsRefused) {
  Edit->SetPlainText(true);
  TMemoryStream stream;
  stream.SetSize(kMaxRichTextBytes + 1);
  EXPECT_THROW(Edit->LoadFromStream(stream), EReadError);
}

}  // namespace
}  // namespace orv
