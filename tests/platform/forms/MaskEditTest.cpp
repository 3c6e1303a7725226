// The masked edit: characters typed through the window's key route into the mask's positions
// (refused ones beep), the text with and without the literals, a text assigned into the mask,
// deleting, pasting, the check of the required positions when the focus leaves, and the mask
// read from a description and written back.
#include "tests/platform/forms/FormsFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include "platform/classes/ObjectText.h"
#include "platform/forms/Mask.h"
#include "platform/forms/QtText.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/Version.h"

namespace orv::test {
namespace {

class TMaskForm : public TForm {
 public:
  explicit TMaskForm(TComponent* owner) : TForm(owner) {}
  TMaskEdit* PhoneEd = nullptr;
  TEdit* Other = nullptr;
  std::vector<std::string> Changes;
  void PhoneEdChange(TObject*) { Changes.push_back(PhoneEd->GetText()); }
};

const char* const kMaskForm = R"(object MaskForm: TMaskForm
  Width = 400
  Height = 200
  object PhoneEd: TMaskEdit
    Left = 8
    Top = 8
    Width = 200
    Height = 21
    EditMask = '(999)000-0000;1;_'
    OnChange = PhoneEdChange
  end
  object Other: TEdit
    Left = 8
    Top = 40
    Width = 100
    Height = 21
  end
end
)";

class MaskEditTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    using F = TMaskForm;
    RegisterClassType<F, TForm>("TMaskForm")
        .Field("PhoneEd", &F::PhoneEd)
        .Field("Other", &F::Other)
        .Method("PhoneEdChange", &F::PhoneEdChange);
    Form = MakeForm<TMaskForm>("TMaskForm", kMaskForm);
    Form->Show();
    Ed = Form->PhoneEd;
    Ed->SetFocus();
    SetMessageBeepSink([this](UINT) { ++Beeps; });
  }

  void TearDown() override {
    SetMessageBeepSink(nullptr);
    FormsTest::TearDown();
  }

  // Types the characters into the edit's window as the keyboard does.
  void Type(const std::string& keys) { TypeKeys(Ed->Widget(), keys); }

  // A new mask on an empty edit with the caret at the start.
  void Start(const char* mask) {
    Ed->SetEditMask("");
    Ed->SetText("");
    Ed->SetEditMask(mask);
    Ed->SetSelStart(0);
    Ed->SetModified(false);
  }

  TMaskForm* Form = nullptr;
  TMaskEdit* Ed = nullptr;
  int Beeps = 0;
};

TEST_F(MaskEditTest, TypedCharactersFillThePositionsTheMaskAllows) {
  struct Case {
    const char* Mask;
    const char* Typed;
    const char* EditText;
    const char* Text;
    int Beeps;
  };
  const Case cases[] = {
      {"(999)000-0000;1;_", "5551234567", "(555)123-4567", "(555)123-4567", 0},
      {"(999)000-0000;0;_", "5551234567", "(555)123-4567", "5551234567", 0},
      {"(999)000-0000;0;_", "55", "(55_)___-____", "55        ", 0},
      // letters, digits and the case shifts
      {">LL-00;1;_", "ab12", "AB-12", "AB-12", 0},
      {"<LL;1;_", "XY", "xy", "xy", 0},
      {">L<ll;1;_", "aBC", "Abc", "Abc", 0},
      {">L<>l;1;_", "aB", "AB", "AB", 0},
      {"LL;1;_", "1a", "a_", "a ", 1},
      {"ll;1;_", "\xE9Z", "\xE9Z", "\xE9Z", 0},
      {"AA;1;_", "-a1", "a1", "a1", 1},
      {"CC;1;_", "-.", "-.", "-.", 0},
      {"CC;1;_", "a ", "a ", "a ", 0},
      {"000;1;_", "1a2", "12_", "12 ", 1},
      {"#99;1;_", "-12", "-12", "-12", 0},
      {"#99;1;_", "+x1", "+1_", "+1 ", 1},
      // literals: escaped, blank and typed over
      {"\\A00;1;_", "12", "A12", "A12", 0},
      {"00_00;1;_", "1234", "12 34", "12 34", 0},
      {"99-99;1;_", "1-23", "1_-23", "1 -23", 0},
      {"00-00;1;_", "12-34", "12-34", "12-34", 0},
      // a full field takes nothing more
      {"00;1;_", "123", "12", "12", 1},
      // the blank character of the third section
      {"00;1;*", "1", "1*", "1 ", 0},
      {"00;0;*", "1", "1*", "1 ", 0},
  };
  for (const Case& c : cases) {
    Start(c.Mask);
    Beeps = 0;
    Type(c.Typed);
    EXPECT_EQ(Ed->EditText(), c.EditText) << c.Mask << " typed " << c.Typed;
    EXPECT_EQ(Ed->GetText(), c.Text) << c.Mask << " typed " << c.Typed;
    EXPECT_EQ(FromQString(static_cast<QLineEdit*>(Ed->Widget())->text()), c.EditText) << c.Mask;
    EXPECT_EQ(Beeps, c.Beeps) << c.Mask << " typed " << c.Typed;
    EXPECT_TRUE(Ed->Modified()) << c.Mask;
  }
}

TEST_F(MaskEditTest, DateAndTimeSeparatorsAreTheLocales) {
  Start("00/00:00;1;_");
  Type("123456");
  const TEditMask& mask = Ed->Mask();
  ASSERT_EQ(mask.Count(), 8);
  EXPECT_EQ(mask.Position(2).Literal, DateSeparator());
  EXPECT_EQ(Ed->EditText()[2], DateSeparator());
  EXPECT_EQ(Ed->EditText().substr(0, 2), "12");
  EXPECT_EQ(Ed->EditText().substr(6), "56");
}

TEST_F(MaskEditTest, AssignedTextGoesIntoTheMaskWithOrWithoutItsLiterals) {
  struct Case {
    const char* Mask;
    const char* Assigned;
    const char* EditText;
    const char* Text;
  };
  const Case cases[] = {
      {"(999)000-0000;1;_", "(555)123-4567", "(555)123-4567", "(555)123-4567"},
      {"(999)000-0000;0;_", "5551234567", "(555)123-4567", "5551234567"},
      {"(999)000-0000;1;_", "", "(___)___-____", "(   )   -    "},
      {"999;0;_", "12", "12_", "12 "},
      {"!999;0;_", "12", "_12", " 12"},
      {"!999;1;_", "12", "_12", " 12"},
      {">LL;1;_", "ab", "AB", "AB"},
      {"00;1;_", "x1", "_1", " 1"},
      {"00;1;_", "123", "12", "12"},
      {"00;1", "12", "12", "12"},
      {"00", "12", "12", "12"},
  };
  for (const Case& c : cases) {
    Start(c.Mask);
    Ed->SetText(c.Assigned);
    EXPECT_EQ(Ed->EditText(), c.EditText) << c.Mask << " <- " << c.Assigned;
    EXPECT_EQ(Ed->GetText(), c.Text) << c.Mask << " <- " << c.Assigned;
    // The text written back reads the same.
    Ed->SetText(Ed->GetText());
    EXPECT_EQ(Ed->EditText(), c.EditText) << c.Mask;
  }
}

TEST_F(MaskEditTest, ChangingTheMaskRewritesTheTextAndAnEmptyMaskMakesAPlainEdit) {
  Ed->SetText("(555)123-4567");
  Ed->SetEditMask("(999)000-0000;0;_");
  EXPECT_EQ(Ed->EditText(), "(555)123-4567");
  EXPECT_EQ(Ed->GetText(), "5551234567");
  Ed->SetEditMask("");
  EXPECT_FALSE(Ed->IsMasked());
  EXPECT_EQ(Ed->GetText(), "(555)123-4567");
  Type("x");
  EXPECT_EQ(Ed->GetText().size(), 14u);
  EXPECT_EQ(Beeps, 0);
}

TEST_F(MaskEditTest, BackspaceDeleteAndSelectionBlankPositionsAndKeepTheLiterals) {
  Start("00-00;1;_");
  Type("1234");
  Key(Ed->Widget(), Qt::Key_Backspace, QString(QChar(8)));
  EXPECT_EQ(Ed->EditText(), "12-3_");
  EXPECT_EQ(Ed->SelStart(), 4);
  // Backspace steps over the literal.
  Ed->SetSelStart(3);
  Key(Ed->Widget(), Qt::Key_Backspace, QString(QChar(8)));
  EXPECT_EQ(Ed->EditText(), "1_-3_");
  EXPECT_EQ(Ed->SelStart(), 1);
  Ed->SetSelStart(2);
  Key(Ed->Widget(), Qt::Key_Delete);
  EXPECT_EQ(Ed->EditText(), "1_-__");
  // Typing over a selection blanks it first.
  Ed->SetText("12-34");
  Ed->SetSelStart(1);
  Ed->SetSelLength(3);
  Type("9");
  EXPECT_EQ(Ed->EditText(), "19-_4");
  Ed->SelectAll();
  Key(Ed->Widget(), Qt::Key_Delete);
  EXPECT_EQ(Ed->EditText(), "__-__");
}

TEST_F(MaskEditTest, PastedCharactersAreTypedAndTheRefusedOnesLeftOut) {
  Start("(999)000-0000;0;_");
  QApplication::clipboard()->setText("555 12x34567");
  Key(Ed->Widget(), Qt::Key_V, QString(), Qt::ControlModifier);
  EXPECT_EQ(Ed->EditText(), "(555)123-4567");
  EXPECT_EQ(Ed->GetText(), "5551234567");
  Ed->SetSelStart(1);
  Ed->SetSelLength(3);
  Key(Ed->Widget(), Qt::Key_X, QString(), Qt::ControlModifier);
  EXPECT_EQ(FromQString(QApplication::clipboard()->text()), "555");
  EXPECT_EQ(Ed->EditText(), "(___)123-4567");
  Ed->SetReadOnly(true);
  Ed->SetSelStart(1);
  QApplication::clipboard()->setText("999");
  Key(Ed->Widget(), Qt::Key_V, QString(), Qt::ControlModifier);
  Type("9");
  EXPECT_EQ(Ed->EditText(), "(___)123-4567");
}

TEST_F(MaskEditTest, LeavingWithAnEmptyRequiredPositionRaisesTheErrorAndKeepsTheFocus) {
  Start("(999)000-0000;1;_");
  Type("555123");
  EXPECT_THROW(Ed->ValidateEdit(), EDBEditError);
  EXPECT_EQ(Ed->SelStart(), 9);
  Beeps = 0;
  Ed->SetSelStart(0);
  EXPECT_THROW(Form->Other->SetFocus(), EDBEditError);
  EXPECT_EQ(Beeps, 1);
  EXPECT_EQ(Form->ActiveControl(), Ed);
  EXPECT_EQ(Ed->SelStart(), 9);
  // Every required position filled, the optional ones left empty: no error.
  Start("(999)000-0000;1;_");
  Ed->SetSelStart(5);
  Type("1234567");
  EXPECT_EQ(Ed->EditText(), "(___)123-4567");
  EXPECT_NO_THROW(Ed->ValidateEdit());
  EXPECT_NO_THROW(Form->Other->SetFocus());
  EXPECT_EQ(Form->ActiveControl(), Form->Other);
  // An unchanged text is not checked.
  Ed->SetFocus();
  Start("000;1;_");
  EXPECT_NO_THROW(Ed->ValidateEdit());
}

TEST_F(MaskEditTest, EscapeTakesBackTheChangesSinceTheEditWasEntered) {
  Form->Other->SetFocus();
  Ed->SetText("(555)123-4567");
  Ed->SetFocus();
  Ed->SetSelStart(1);
  Type("9");
  EXPECT_EQ(Ed->EditText(), "(955)123-4567");
  Key(Ed->Widget(), Qt::Key_Escape, QString(QChar(27)));
  EXPECT_EQ(Ed->EditText(), "(555)123-4567");
  EXPECT_FALSE(Ed->Modified());
}

TEST_F(MaskEditTest, TypingFiresOnChangeWithTheMaskedText) {
  Start("00;0;_");
  Form->Changes.clear();
  Type("4");
  ASSERT_FALSE(Form->Changes.empty());
  EXPECT_EQ(Form->Changes.back(), "4 ");
}

TEST_F(MaskEditTest, DescriptionKeepsTheMaskAndTheTextThroughAWriteAndARead) {
  Ed->SetText("(555)123-4567");
  const AnsiString text = WriteComponentToText(Form);
  EXPECT_NE(text.find("EditMask = '(999)000-0000;1;_'"), AnsiString::npos) << text;
  RegisterComponentResource("TMaskForm", text.c_str());
  auto* again = TCustomForm::Create<TMaskForm>(nullptr);
  FForms.push_back(again);
  again->Show();
  EXPECT_EQ(again->PhoneEd->EditMask(), "(999)000-0000;1;_");
  EXPECT_EQ(again->PhoneEd->GetText(), "(555)123-4567");
  EXPECT_EQ(WriteComponentToText(again), text);
}

}  // namespace
}  // namespace orv::test
