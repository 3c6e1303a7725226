// Form descriptions read into a registered form and written again: children by class name,
// properties by name, handlers bound by name, references resolved after loading, collections.
#include <gtest/gtest.h>
#include "Fixtures.h"
#include "platform/classes/ComponentRes.h"
#include "platform/classes/ObjectText.h"
#include "platform/rtl/SysUtils.h"

namespace orv::test {
namespace {

// Every entry differs from its default, so writing the form again gives the same text.
const char* const kMainForm =
    "object MainForm: TTestForm\n"
    "  Tag = 7\n"
    "  Caption = 'Orvinta'\n"
    "  OnCreate = FormCreate\n"
    "  object Timer1: TTestTimer\n"
    "    Interval = 250\n"
    "  end\n"
    "  object Panel1: TTestContainer\n"
    "    Left = 8\n"
    "    Top = 16\n"
    "    Width = 200\n"
    "    Caption = 'It''s #1'#9'tab'\n"
    "    Anchors = [akLeft, akBottom]\n"
    "    Align = alTop\n"
    "    Visible = False\n"
    "    Font.Name = 'DejaVu Sans'\n"
    "    Font.Size = 10\n"
    "    Font.Style = [fsBold, fsUnderline]\n"
    "    Color = clRed\n"
    "    object SendBtn: TTestControl\n"
    "      Left = 0\n"
    "      Top = -3\n"
    "      Caption = 'Senden'\n"
    "      OnClick = SendBtnClick\n"
    "      FocusControl = Edit1\n"
    "      PasswordChar = '*'\n"
    "      Ratio = 1.5\n"
    "      Big = 5000000000\n"
    "      WideCaption = 'Gr'#246#223'e '#1046#8364\n"
    "      WChar = #8364\n"
    "      Hint =\n"
    "        '0123456789012345678901234567890123456789012345678901234567890123' +\n"
    "        'and the rest'\n"
    "      Extra = 'defined'\n"
    "      Data = {\n"
    "        000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n"
    "        FF7F}\n"
    "    end\n"
    "    object Edit1: TTestControl\n"
    "      Left = 100\n"
    "      Top = 0\n"
    "      Caption = 'Caf'#233\n"
    "      Color = 1193046\n"
    "    end\n"
    "  end\n"
    "  object StatusBar1: TTestStatusBar\n"
    "    Left = 0\n"
    "    Top = 300\n"
    "    Panels = <\n"
    "      item\n"
    "        Text = 'Bereit'\n"
    "        Width = 250\n"
    "      end\n"
    "      item\n"
    "        Style = psOwnerDraw\n"
    "        Width = 50\n"
    "      end>\n"
    "  end\n"
    "end\n";

class FormTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    Log().clear();
  }
  TTestForm Form{nullptr};
};

TEST_F(FormTextTest, DescriptionReadAndWrittenAgainIsUnchanged) {
  ReadComponentFromText(kMainForm, &Form);
  EXPECT_EQ(WriteComponentToText(&Form), kMainForm);
}

TEST_F(FormTextTest, ChildrenAreMadeByClassNameOwnedByTheRootAndBoundToFields) {
  ReadComponentFromText(kMainForm, &Form);
  EXPECT_EQ(Form.Name(), "MainForm");
  ASSERT_EQ(Form.ComponentCount(), 5);
  ASSERT_NE(Form.SendBtn, nullptr);
  EXPECT_EQ(Form.SendBtn->ClassName(), "TTestControl");
  EXPECT_EQ(Form.SendBtn->Owner(), &Form);
  EXPECT_EQ(Form.SendBtn->GetParentComponent(), Form.Panel1);
  EXPECT_EQ(Form.Panel1->GetParentComponent(), &Form);
  EXPECT_EQ(Form.Timer1->FInterval, 250);
  EXPECT_EQ(Form.FindComponent("edit1"), Form.Edit1);
}

TEST_F(FormTextTest, PropertiesOfEveryKindAreSet) {
  ReadComponentFromText(kMainForm, &Form);
  TTestControl& p = *Form.Panel1;
  EXPECT_EQ(p.FBounds[0], 8);
  EXPECT_EQ(p.FBounds[2], 200);
  EXPECT_EQ(p.FCaption, "It's #1\ttab");
  EXPECT_EQ(p.FAnchors, (TSet<TTestAnchor>{akLeft, akBottom}));
  EXPECT_EQ(p.FAlign, alTop);
  EXPECT_FALSE(p.FVisible);
  EXPECT_EQ(p.FFont->FName, "DejaVu Sans");
  EXPECT_EQ(p.FFont->FStyle, (TSet<TTestFontStyle>{fsBold, fsUnderline}));
  EXPECT_EQ(p.FColor, kRed);
  EXPECT_EQ(Form.Edit1->FColor, 0x123456);
  TTestControl& b = *Form.SendBtn;
  EXPECT_EQ(b.FBounds[1], -3);
  EXPECT_EQ(b.FPasswordChar, '*');
  EXPECT_DOUBLE_EQ(b.FRatio, 1.5);
  EXPECT_EQ(b.FBig, 5000000000LL);
  EXPECT_EQ(b.FWideCaption, u"Gr\u00f6\u00dfe \u0416\u20ac");
  EXPECT_EQ(b.FWChar, u'\u20ac');
  EXPECT_EQ(b.FHint, "0123456789012345678901234567890123456789012345678901234567890123and the rest");
  EXPECT_EQ(b.FExtra, "defined");
  ASSERT_EQ(b.FData.size(), 34u);
  EXPECT_EQ(b.FData[33], 0x7F);
  EXPECT_EQ(Form.Edit1->FCaption, "Caf\xE9") << "a narrow property keeps the ANSI byte";
  EXPECT_TRUE(b.CaptionSetWhileLoading) << "properties are set while csLoading and csReading hold";
  EXPECT_FALSE(b.ComponentState().Contains(csLoading));
  EXPECT_FALSE(b.ComponentState().Contains(csReading));
}

TEST_F(FormTextTest, EventsAreBoundToTheRootsHandlersByName) {
  ReadComponentFromText(kMainForm, &Form);
  Form.FOnCreate(&Form);
  Form.SendBtn->FOnClick(Form.SendBtn);
  EXPECT_EQ(Log().back(), "SendBtnClick:SendBtn");
  EXPECT_EQ(Log()[Log().size() - 2], "FormCreate");
  EXPECT_EQ(Form.SendBtn->FOnClick.Method().Data, &Form);
}

TEST_F(FormTextTest, ReferencesAreResolvedBeforeLoadedRunsInnerComponentsFirst) {
  ReadComponentFromText(kMainForm, &Form);
  EXPECT_EQ(Form.SendBtn->FFocusControl, Form.Edit1) << "a forward reference is resolved";
  std::vector<std::string> expected = {"Loaded:Timer1", "Loaded:SendBtn+focus", "Loaded:Edit1",
                                       "Loaded:Panel1", "Loaded:StatusBar1", "Loaded:MainForm"};
  EXPECT_EQ(Log(), expected);
}

TEST_F(FormTextTest, ReferencedComponentGoingAwayClearsTheReferenceAndTheField) {
  ReadComponentFromText(kMainForm, &Form);
  Log().clear();
  delete Form.Edit1;
  EXPECT_EQ(Form.SendBtn->FFocusControl, nullptr);
  EXPECT_EQ(Form.Edit1, nullptr) << "the form's field is cleared when its component goes";
  EXPECT_EQ(Log(), (std::vector<std::string>{"Destroy:Edit1", "Notify:SendBtn:Edit1:destroying"}));
}

TEST_F(FormTextTest, ReferencesIntoAnotherRootGoThroughTheGlobalLookup) {
  TTestForm other(nullptr);
  other.SetName("OtherForm");
  auto* target = new TTestControl(&other);
  target->SetName("Edit9");
  const char* text =
      "object F: TTestForm\n  object B: TTestControl\n    FocusControl = OtherForm.Edit9\n  end\n"
      "  object C: TTestControl\n    FocusControl = F.B\n  end\nend\n";
  EXPECT_THROW(ReadComponentFromText(text, &Form), EReadError) << "no lookup set: unresolved";
  SetFindGlobalComponent([&](std::string_view name) -> TComponent* {
    return SameText(name, other.Name()) ? &other : nullptr;
  });
  TTestForm form(nullptr);
  ReadComponentFromText(text, &form);
  SetFindGlobalComponent(nullptr);
  auto* b = static_cast<TTestControl*>(form.FindComponent("B"));
  auto* c = static_cast<TTestControl*>(form.FindComponent("C"));
  EXPECT_EQ(b->FFocusControl, target);
  EXPECT_EQ(c->FFocusControl, b);
  EXPECT_EQ(WriteComponentToText(&form),
            "object F: TTestForm\n  object B: TTestControl\n    Left = 0\n    Top = 0\n"
            "    FocusControl = OtherForm.Edit9\n  end\n  object C: TTestControl\n    Left = 0\n    Top = 0\n"
            "    FocusControl = B\n  end\nend\n");
  delete target;
  EXPECT_EQ(b->FFocusControl, nullptr) << "a free notification crosses roots";
}

TEST_F(FormTextTest, CollectionsAreReadIntoTheOwnersCollection) {
  ReadComponentFromText(kMainForm, &Form);
  TTestPanels& panels = Form.StatusBar1->FPanels;
  ASSERT_EQ(panels.Count(), 2);
  EXPECT_EQ(panels.Owner(), Form.StatusBar1);
  auto* p0 = panels.ItemsAs<TTestPanel>(0);
  auto* p1 = panels.ItemsAs<TTestPanel>(1);
  EXPECT_EQ(p0->FText, "Bereit");
  EXPECT_EQ(p0->FWidth, 250);
  EXPECT_EQ(p1->FStyle, psOwnerDraw);
  EXPECT_EQ(p1->FWidth, 50);
}

TEST_F(FormTextTest, CollectionReadTwiceDropsTheReferencesOfItsFreedItems) {
  ReadComponentFromText(
      "object F: TTestForm\n  object S: TTestStatusBar\n"
      "    Panels = <\n      item\n        Control = S\n      end\n      item\n        Control = S\n      end>\n"
      "    Panels = <\n      item\n        Control = F\n      end>\n  end\nend\n",
      &Form);
  auto* s = static_cast<TTestStatusBar*>(Form.FindComponent("S"));
  ASSERT_EQ(s->FPanels.Count(), 1);
  EXPECT_EQ(s->FPanels.ItemsAs<TTestPanel>(0)->FControl, &Form);
}

TEST_F(FormTextTest, ReadingAgainReplacesCollectionItemsAndReusesChildren) {
  ReadComponentFromText(kMainForm, &Form);
  TTestControl* btn = Form.SendBtn;
  ReadComponentFromText(kMainForm, &Form);
  EXPECT_EQ(Form.SendBtn, btn) << "a child of the same name and class is read into";
  EXPECT_EQ(Form.ComponentCount(), 5);
  EXPECT_EQ(Form.StatusBar1->FPanels.Count(), 2);
}

// Names of any length: a name's length byte is no value type, whatever it is.
class TTestTimerWithALongClassName : public TTestTimer {
 public:
  using TTestTimer::TTestTimer;
  Integer AnIntervalOfTwentyFiveChars = 0;
};

TEST_F(FormTextTest, LongPropertyAndClassNamesReadAndWriteBack) {
  RegisterClassType<TTestTimerWithALongClassName, TTestTimer>("TTestTimerWithALongClassName")
      .Prop("AnIntervalOfTwentyFiveChars", &TTestTimerWithALongClassName::AnIntervalOfTwentyFiveChars,
            &TTestTimerWithALongClassName::AnIntervalOfTwentyFiveChars).Default(0);
  const std::string kTexts[] = {
    "object TTestTimerWithALongClassName\n  Interval = 5\n  AnIntervalOfTwentyFiveChars = 7\nend\n",
    "object Form1: TTestForm\n  object T: TTestTimerWithALongClassName\n  end\nend\n",
    "object Form1: TTestForm\n  object Button1: TTestControl\n    Left = 1\n    Top = 2\n"
    "    Font.Name = 'A font name with spaces'\n  end\nend\n",
  };
  for (const std::string& text : kTexts) {
    SCOPED_TRACE(text);
    const AnsiString binary = ObjectTextToBinary(text);
    EXPECT_EQ(ObjectBinaryToText(binary), text);
    std::unique_ptr<TComponent> c(ReadComponentFromText(text, nullptr));
    EXPECT_EQ(WriteComponentToText(c.get()), text);
  }
}

TEST_F(FormTextTest, UnnamedRootIsMadeFromTheStreamClass) {
  std::unique_ptr<TComponent> c(ReadComponentFromText(
      "object TTestTimer\n  Interval = 5\nend\n", nullptr));
  ASSERT_NE(dynamic_cast<TTestTimer*>(c.get()), nullptr);
  EXPECT_EQ(static_cast<TTestTimer*>(c.get())->FInterval, 5);
  EXPECT_EQ(WriteComponentToText(c.get()), "object TTestTimer\n  Interval = 5\nend\n");
}

TEST_F(FormTextTest, HandlerOfAnotherSignatureIsAnInvalidValue) {
  try {
    ReadComponentFromText(
        "object F: TTestForm\n  object B: TTestControl\n    OnClick = KeyHandler\n  end\nend\n", &Form);
    FAIL() << "a handler taking (TObject*, char&) was bound to a notify event";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Ung\xFCltiger Wert der Eigenschaft");
  }
}

// Each bad description and the error it must give.
struct BadForm {
  const char* Name;
  const char* Body;  // inside "object F: TTestForm" ... "end"
  const char* Message;
};

class BadFormTest : public FormTextTest, public ::testing::WithParamInterface<BadForm> {};

TEST_P(BadFormTest, RaisesClearError) {
  const BadForm& c = GetParam();
  std::string text = std::string("object F: TTestForm\n") + c.Body + "end\n";
  try {
    ReadComponentFromText(text, &Form);
    FAIL() << "no error for " << c.Name;
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), c.Message) << c.Name;
  }
  EXPECT_FALSE(Form.ComponentState().Contains(csLoading)) << "state is cleared after a failed read";
  EXPECT_FALSE(Form.ComponentState().Contains(csReading));
}

const char* const kInvalid = "Ung\xFCltiger Wert der Eigenschaft";

INSTANTIATE_TEST_SUITE_P(
    Cases, BadFormTest,
    ::testing::Values(
        BadForm{"UnknownClass", "  object X: TNoSuchClass\n  end\n", "Klasse TNoSuchClass nicht gefunden"},
        BadForm{"NotAComponentClass", "  object X: TTestFont\n  end\n", "Klasse TTestFont nicht gefunden"},
        BadForm{"UnknownProperty", "  object B: TTestControl\n    Colour = 1\n  end\n",
                "Eigenschaft B.Colour existiert nicht"},
        BadForm{"UnknownNestedProperty", "  object B: TTestControl\n    Font.Colour = 1\n  end\n",
                "Eigenschaft B.Font.Colour existiert nicht"},
        BadForm{"PathThroughNonObject", "  object B: TTestControl\n    Caption.X = 1\n  end\n",
                "Eigenschaft B.Caption.X existiert nicht"},
        BadForm{"UnknownItemProperty", "  object S: TTestStatusBar\n    Panels = <\n      item\n"
                "        Colour = 1\n      end>\n  end\n", "Eigenschaft Colour existiert nicht"},
        BadForm{"UnknownMethod", "  object B: TTestControl\n    OnClick = NoHandler\n  end\n",
                "Methode NoHandler nicht gefunden"},
        BadForm{"UnresolvedReference", "  object B: TTestControl\n    FocusControl = Nobody\n  end\n",
                "Komponente Nobody nicht gefunden"},
        BadForm{"StringForInteger", "  object B: TTestControl\n    Left = 'x'\n  end\n", kInvalid},
        BadForm{"IntegerOutOfRange", "  object B: TTestControl\n    Left = 5000000000\n  end\n", kInvalid},
        BadForm{"UnknownEnumValue", "  object B: TTestControl\n    Align = alNowhere\n  end\n", kInvalid},
        BadForm{"UnknownIntegerIdent", "  object B: TTestControl\n    Color = clNoSuch\n  end\n", kInvalid},
        BadForm{"IdentForPlainInteger", "  object B: TTestControl\n    Left = clRed\n  end\n", kInvalid},
        BadForm{"IntegerForEnum", "  object B: TTestControl\n    Align = 1\n  end\n", kInvalid},
        BadForm{"UnknownSetElement", "  object B: TTestControl\n    Anchors = [akLeft, akMiddle]\n  end\n", kInvalid},
        BadForm{"TwoCharsForChar", "  object B: TTestControl\n    PasswordChar = '**'\n  end\n", kInvalid},
        BadForm{"TwoCharsForWideChar", "  object B: TTestControl\n    WChar = 'ab'\n  end\n", kInvalid},
        BadForm{"IdentForString", "  object B: TTestControl\n    Caption = Senden\n  end\n", kInvalid},
        BadForm{"CollectionForReference", "  object B: TTestControl\n    FocusControl = <>\n  end\n", kInvalid},
        BadForm{"ListForFloat", "  object B: TTestControl\n    Ratio = (1)\n  end\n", kInvalid},
        BadForm{"ReferenceToWrongClass", "  object T: TTestTimer\n  end\n  object B: TTestControl\n"
                "    FocusControl = T\n  end\n", kInvalid},
        BadForm{"FieldOfAnotherClass", "  object SendBtn: TTestTimer\n  end\n",
                "Das Feld SendBtn passt nicht zur Klasse TTestTimer"},
        BadForm{"DuplicateName", "  object B: TTestControl\n  end\n  object B: TTestTimer\n  end\n",
                "Eine Komponente namens B existiert bereits"},
        BadForm{"SameNameTwice", "  object B: TTestControl\n  end\n  object B: TTestControl\n  end\n",
                "Eine Komponente namens B existiert bereits"},
        BadForm{"SameNameNested", "  object B: TTestContainer\n    object B: TTestContainer\n    end\n  end\n",
                "Eine Komponente namens B existiert bereits"},
        BadForm{"BadName", "  object B: TTestControl\n    Name = '1x'\n  end\n",
                "'1x' ist kein g\xFCltiger Komponentenname"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FormTextTest, ComponentResourceIsFoundByClassNameOrRaisesNotFound) {
  try {
    InitComponentFromResource(&Form, ClassInfoOf<TComponent>());
    FAIL() << "no description registered";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Ressource TTestForm nicht gefunden");
  }
  RegisterComponentResource("TTestForm", kMainForm);
  InitComponentFromResource(&Form, ClassInfoOf<TComponent>());
  UnregisterComponentResource("TTestForm");
  EXPECT_EQ(Form.FCaption, "Orvinta");
  EXPECT_EQ(Form.ComponentCount(), 5);
}

}  // namespace
}  // namespace orv::test
