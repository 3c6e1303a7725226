// A form built from its description: nested controls made by class name, fields and handlers
// bound by name, alignment applied, and the errors of a bad description.
#include "tests/platform/forms/FormsFixture.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/TypeInfo.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/StdCtrls.h"

namespace orv::test {
namespace {

class TReadForm : public TForm {
 public:
  explicit TReadForm(TComponent* owner) : TForm(owner) {}
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;
  TLabel* Label1 = nullptr;
  TMemo* Memo1 = nullptr;
  TComboBox* Combo1 = nullptr;
  int Clicks = 0;
  bool CreatingSeenInCreate = true;
  bool ChildrenSeenInCreate = false;
  void Button1Click(TObject*) { ++Clicks; }
  void FormCreate(TObject*) {
    CreatingSeenInCreate = FormState().Contains(fsCreating);
    ChildrenSeenInCreate = Button1 != nullptr && Button1->Parent() == Panel1;
  }
};

const char* const kDescription = R"(object ReadForm: TReadForm
  Left = 20
  Top = 30
  Width = 400
  Height = 300
  Caption = 'Reading test'
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  OnCreate = FormCreate
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 100
    Height = 60
    Align = alTop
    BevelOuter = bvLowered
    Caption = ''
    object Button1: TButton
      Left = 8
      Top = 8
      Width = 75
      Height = 25
      Caption = '&Go'
      Default = True
      OnClick = Button1Click
    end
    object Label1: TLabel
      Left = 100
      Top = 12
      Caption = 'Subject:'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWhite
      Font.Style = [fsBold]
      ParentFont = False
    end
  end
  object Memo1: TMemo
    Left = 0
    Top = 60
    Width = 400
    Height = 100
    Align = alClient
    Lines.Strings = (
      'first'
      'second')
  end
  object Combo1: TComboBox
    Left = 8
    Top = 200
    Style = csDropDownList
    Items.Strings = (
      'one'
      'two')
    ItemIndex = 1
  end
end
)";

void RegisterReadForm() {
  RegisterClassType<TReadForm, TForm>("TReadForm")
      .Field("Panel1", &TReadForm::Panel1)
      .Field("Button1", &TReadForm::Button1)
      .Field("Label1", &TReadForm::Label1)
      .Field("Memo1", &TReadForm::Memo1)
      .Field("Combo1", &TReadForm::Combo1)
      .Method("Button1Click", &TReadForm::Button1Click)
      .Method("FormCreate", &TReadForm::FormCreate);
}

class FormReadingTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterReadForm();
  }
};

TEST_F(FormReadingTest, NestedControlsFieldsAndHandlersComeFromTheDescription) {
  auto* form = MakeForm<TReadForm>("TReadForm", kDescription);
  EXPECT_EQ(form->Caption(), "Reading test");
  ASSERT_NE(form->Panel1, nullptr);
  ASSERT_NE(form->Button1, nullptr);
  EXPECT_EQ(form->Panel1->Parent(), form);
  EXPECT_EQ(form->Button1->Parent(), form->Panel1) << "a child is made inside the control that encloses it";
  EXPECT_EQ(form->Label1->Parent(), form->Panel1);
  EXPECT_EQ(form->Button1->Owner(), form) << "every control is owned by the form";
  EXPECT_FALSE(form->CreatingSeenInCreate) << "OnCreate runs after reading, with fsCreating cleared";
  EXPECT_TRUE(form->ChildrenSeenInCreate);
  EXPECT_TRUE(form->Button1->Default());
  EXPECT_EQ(form->Label1->Font().Color(), clWhite);
  EXPECT_TRUE(form->Label1->Font().Style().Contains(fsBold));
  EXPECT_EQ(form->Label1->Font().Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(form->Button1->Font().Name(), "DejaVu Sans") << "a child takes its parent's font";
  EXPECT_EQ(form->Panel1->BevelOuter(), bvLowered);

  // Aligned controls fill the client area: the panel across the top, the memo below it.
  EXPECT_EQ(form->Panel1->BoundsRect(), Rect(0, 0, 400, 60));
  EXPECT_EQ(form->Memo1->BoundsRect(), Rect(0, 60, 400, 300));

  EXPECT_EQ(form->Memo1->Lines().Count(), 2);
  EXPECT_EQ(form->Memo1->Lines().Get(1), "second");
  EXPECT_EQ(form->Combo1->Items().Count(), 2);
  EXPECT_EQ(form->Combo1->ItemIndex(), 1);
  EXPECT_EQ(form->Combo1->GetText(), "two");

  form->Button1->Click();
  EXPECT_EQ(form->Clicks, 1) << "OnClick is bound to the form's method by name";

  // The same holds once the windows exist.
  form->Show();
  EXPECT_TRUE(form->Button1->HandleAllocated());
  EXPECT_EQ(form->Combo1->GetText(), "two");
  EXPECT_EQ(form->Memo1->Lines().Get(0), "first");
  EXPECT_EQ(form->Widget()->windowTitle(), QString("Reading test"))
      << "the title is the caption alone, without the program's name";
}

TEST_F(FormReadingTest, BadDescriptionsFailWithTheReadersErrors) {
  struct TCase {
    const char* Name;
    const char* Text;
    const char* Message;
  };
  const TCase cases[] = {
    {"unknown class", "object ReadForm: TReadForm\n  object X: TNoSuchControl\n  end\nend\n", "Klasse TNoSuchControl nicht gefunden"},
    {"unknown property", "object ReadForm: TReadForm\n  Colour = clRed\nend\n", "Colour"},
    {"unknown handler", "object ReadForm: TReadForm\n  OnCreate = NoSuchMethod\nend\n", "NoSuchMethod"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    RegisterComponentResource("TReadForm", c.Text);
    try {
      auto* form = TCustomForm::Create<TReadForm>(nullptr);
      form->Free();
      ADD_FAILURE() << "the description was accepted";
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(c.Message), AnsiString::npos) << e.Message();
    }
  }
  UnregisterComponentResource("TReadForm");
  try {
    auto* form = TCustomForm::Create<TReadForm>(nullptr);
    form->Free();
    ADD_FAILURE() << "a form without description was made";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Ressource TReadForm nicht gefunden");
  }
}

// A font's height in pixels is what a description keeps: written back and read again it is the
// same height, whatever its size in points rounds to; a description giving only the size in points
// is still read.
TEST_F(FormReadingTest, AFontComesBackFromTheWrittenDescriptionWithItsHeight) {
  struct TCase {
    const char* Font;
    int Height;
  };
  const TCase cases[] = {
    {"Font.Height = -14", -14},  // 10.5 points
    {"Font.Height = -11", -11},  // 8.25 points
    {"Font.Height = -13", -13},
    {"Font.Height = -19", -19},
    {"Font.Height = 16", 16},  // a cell height
    {"Font.Size = 11", -15},
    {"Font.Size = 8", -11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Font);
    const std::string text = std::string("object ReadForm: TReadForm\n  Font.Name = 'DejaVu Sans'\n  ") + c.Font +
                             "\n  object Panel1: TPanel\n    ParentFont = False\n    " + c.Font + "\n  end\nend\n";
    auto* first = MakeForm<TReadForm>("TReadForm", text.c_str());
    EXPECT_EQ(first->Font().Height(), c.Height);
    ASSERT_NE(first->Panel1, nullptr);
    EXPECT_EQ(first->Panel1->Font().Height(), c.Height);
    const std::string written = WriteComponentToText(first);
    EXPECT_EQ(written.find("Font.Size"), std::string::npos) << written;
    auto* second = MakeForm<TReadForm>("TReadForm", written.c_str());
    EXPECT_EQ(second->Font().Height(), c.Height) << written;
    EXPECT_EQ(second->Panel1->Font().Height(), c.Height) << written;
  }
}

}  // namespace
}  // namespace orv::test
