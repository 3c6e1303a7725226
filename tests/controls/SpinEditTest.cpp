// The spin edit as the windows use it: limits and value from a window description, clamping and
// the text forms of the value, typing, stepping by keys, button and mouse, OnChange, and the
// dialog keys.
#include "tests/controls/ControlsFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <chrono>
#include <thread>
#include "controls/OrvSpin.h"
#include "platform/classes/ObjectText.h"
#include "platform/rtl/CodePages.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TSpinForm : public TForm {
 public:
  explicit TSpinForm(TComponent* owner) : TForm(owner) {}
  TOrvSpinEdit* MailFieldEd = nullptr;
  TOrvSpinEdit* bccCountEd = nullptr;
  TOrvSpinEdit* VirusEd = nullptr;
  TOrvSpinEdit* BreitEd = nullptr;
  TOrvSpinEdit* MinHEd = nullptr;
  TOrvSpinEdit* FloatEd = nullptr;
  TButton* OkBtn = nullptr;
  TButton* CancelBtn = nullptr;
  std::vector<std::string> Events;
  void EdChange(TObject* sender) {
    auto* ed = static_cast<TOrvSpinEdit*>(sender);
    Events.push_back("change " + ed->Name() + " " + ed->GetText());
  }
  void EdTopClick(TObject*) { Events.push_back("top"); }
  void OkBtnClick(TObject*) { Events.push_back("ok"); }
  void CancelBtnClick(TObject*) { Events.push_back("cancel"); }
};

const char* const kSpinForm = R"(object SpinForm: TSpinForm
  Width = 400
  Height = 300
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  object MailFieldEd: TOrvSpinEdit
    Left = 8
    Top = 8
    Width = 60
    Height = 21
    OnChange = EdChange
    OnTopClick = EdTopClick
  end
  object bccCountEd: TOrvSpinEdit
    Left = 8
    Top = 40
    Width = 50
    Height = 21
    MaxValue = 100
    MinValue = 1
    Value = 20
    OnChange = EdChange
  end
  object VirusEd: TOrvSpinEdit
    Left = 8
    Top = 72
    Width = 80
    Height = 21
    MaxValue = 100000
    OnChange = EdChange
  end
  object BreitEd: TOrvSpinEdit
    Left = 120
    Top = 8
    Width = 60
    Height = 21
    MaxValue = 1024
    MinValue = 100
    Value = 5000
  end
  object MinHEd: TOrvSpinEdit
    Left = 120
    Top = 40
    Width = 60
    Height = 21
    MaxValue = 10000
    MinValue = 10
    Value = 400
  end
  object FloatEd: TOrvSpinEdit
    Left = 120
    Top = 72
    Width = 80
    Height = 21
    Increment = 0.25
    MaxValue = 10
    MinValue = -1.5
    ValueType = vtFloat
    Value = 2.5
    OnChange = EdChange
  end
  object OkBtn: TButton
    Left = 8
    Top = 200
    Caption = 'OK'
    Default = True
    OnClick = OkBtnClick
  end
  object CancelBtn: TButton
    Left = 100
    Top = 200
    Caption = 'Cancel'
    Cancel = True
    OnClick = CancelBtnClick
  end
end
)";

class SpinEditTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    using F = TSpinForm;
    RegisterClassType<F, TForm>("TSpinForm")
        .Field("MailFieldEd", &F::MailFieldEd)
        .Field("bccCountEd", &F::bccCountEd)
        .Field("VirusEd", &F::VirusEd)
        .Field("BreitEd", &F::BreitEd)
        .Field("MinHEd", &F::MinHEd)
        .Field("FloatEd", &F::FloatEd)
        .Field("OkBtn", &F::OkBtn)
        .Field("CancelBtn", &F::CancelBtn)
        .Method("EdChange", &F::EdChange)
        .Method("EdTopClick", &F::EdTopClick)
        .Method("OkBtnClick", &F::OkBtnClick)
        .Method("CancelBtnClick", &F::CancelBtnClick);
    Form = MakeForm<TSpinForm>("TSpinForm", kSpinForm);
    Form->Show();
  }

  // A spin edit of its own on the form, for the value cases.
  TOrvSpinEdit* NewEdit(Extended minValue, Extended maxValue, OrvSpin::TValueType type = vtInteger) {
    auto* ed = new TOrvSpinEdit(Form);
    ed->SetParent(Form);
    ed->SetBounds(250, 200, 80, 21);
    ed->SetValueType(type);
    ed->SetMinValue(minValue);
    ed->SetMaxValue(maxValue);
    return ed;
  }

  static void Type(TWinControl* control, const char* text) { TypeKeys(control->Widget(), text); }

  TSpinForm* Form = nullptr;
};

TEST_F(SpinEditTest, DescriptionGivesLimitsBeforeTheValue) {
  struct TCase {
    TOrvSpinEdit* Edit;
    const char* Text;
    Extended Min, Max;
  };
  const TCase cases[] = {
    {Form->MailFieldEd, "0", 0, 0},
    {Form->bccCountEd, "20", 1, 100},
    {Form->VirusEd, "0", 0, 100000},
    {Form->BreitEd, "1024", 100, 1024},
    {Form->MinHEd, "400", 10, 10000},
    {Form->FloatEd, "2.50", -1.5, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Edit->Name());
    EXPECT_EQ(c.Edit->GetText(), c.Text) << "a stored value above MaxValue is read clamped";
    EXPECT_EQ(c.Edit->MinValue(), c.Min);
    EXPECT_EQ(c.Edit->MaxValue(), c.Max);
  }
  TOrvSpinEdit* ed = Form->MailFieldEd;
  EXPECT_EQ(ed->Increment(), 1);
  EXPECT_EQ(ed->Decimal(), 2);
  EXPECT_EQ(ed->ButtonKind(), bkDiagonal);
  EXPECT_EQ(ed->ValueType(), vtInteger);
  EXPECT_TRUE(ed->ArrowKeys());
  EXPECT_TRUE(ed->EditorEnabled());
  EXPECT_NE(ed->SpinButton(), nullptr) << "the windows' spin edits show the diagonal button";
  EXPECT_EQ(Form->FloatEd->Increment(), 0.25);
  EXPECT_TRUE(Form->Events.empty()) << "reading the description fires no OnChange";
}

TEST_F(SpinEditTest, WrittenDescriptionKeepsWhatDiffersFromTheDefaultsAndReadsBack) {
  const AnsiString text = WriteComponentToText(Form);
  const auto block = [&](const char* name) {
    const auto start = text.find(AnsiString("object ") + name + ":");
    return text.substr(start, text.find("  end", start) - start);
  };
  const AnsiString bcc = block("bccCountEd");
  EXPECT_NE(bcc.find("MaxValue = 100.0\n"), AnsiString::npos) << bcc;
  EXPECT_NE(bcc.find("MinValue = 1.0\n"), AnsiString::npos) << bcc;
  EXPECT_NE(bcc.find(" Value = 20.0\n"), AnsiString::npos) << bcc;
  EXPECT_LT(bcc.find("MinValue"), bcc.find(" Value ")) << "the limits come before the value";
  const AnsiString mailField = block("MailFieldEd");
  for (const char* absent : {"Value =", "Text =", "Caption =", "Increment", "Decimal", "ButtonKind", "ArrowKeys"})
    EXPECT_EQ(mailField.find(absent), AnsiString::npos) << absent << " is at its default:\n" << mailField;
  EXPECT_NE(block("FloatEd").find("Increment = 0.25"), AnsiString::npos);

  auto* copy = MakeForm<TSpinForm>("TSpinForm", text.c_str());
  EXPECT_EQ(copy->bccCountEd->GetText(), "20");
  EXPECT_EQ(copy->FloatEd->GetText(), "2.50");
  EXPECT_EQ(copy->FloatEd->ValueType(), vtFloat);
  EXPECT_EQ(copy->VirusEd->MaxValue(), 100000);
}

TEST_F(SpinEditTest, ValueIsWrittenClampedInTheFormOfItsType) {
  struct TCase {
    Extended Min, Max;
    OrvSpin::TValueType Type;
    Extended Set;
    const char* Text;
  };
  const TCase cases[] = {
    {0, 0, vtInteger, -5, "-5"},            // equal limits limit nothing
    {0, 0, vtInteger, 123456789, "123456789"},
    {1, 100, vtInteger, 150, "100"},
    {1, 100, vtInteger, -3, "1"},
    {0, 0, vtInteger, 2.5, "2"},            // halves go to the even neighbour
    {0, 0, vtInteger, 3.5, "4"},
    {0, 0, vtInteger, -2.5, "-2"},
    {0, 0, vtInteger, 3e9, "2147483647"},   // the text stays a 32-bit number
    {0, 0, vtInteger, -3e9, "-2147483648"},
    {0, 0, vtHex, 255, "FF"},
    {0, 0, vtHex, 0, "0"},
    {0, 0, vtHex, -1, "FFFFFFFF"},
    {0, 0, vtFloat, 1, "1.00"},
    {0, 0, vtFloat, -0.125, "-0.13"},
    {-1.5, 10, vtFloat, 12.3, "10.00"},
    {0, 0, vtFloat, 123456789012.345678, "123456789012.34600"},  // 15 significant digits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<double>(c.Set) << " type " << c.Type);
    TOrvSpinEdit* ed = NewEdit(c.Min, c.Max, c.Type);
    if (c.Type == vtFloat && c.Set == 123456789012.345678) ed->SetDecimal(5);
    ed->SetValue(c.Set);
    EXPECT_EQ(ed->GetText(), c.Text);
    ed->SetValue(ed->GetValue());
    EXPECT_EQ(ed->GetText(), c.Text) << "the text reads back as the value it shows";
  }
}

TEST_F(SpinEditTest, TextThatDoesNotConvertReadsAsTheLowerLimit) {
  struct TCase {
    OrvSpin::TValueType Type;
    Extended Min;
    const char* Text;
    Extended Value;
  };
  const TCase cases[] = {
    {vtInteger, 1, "abc", 1},
    {vtInteger, 1, "", 1},
    {vtInteger, 1.7, "1.5", 1},       // the integer kinds truncate the limit
    {vtInteger, -1.7, "x", -1},
    {vtInteger, 0, "-42", -42},
    {vtHex, 2.9, "G1", 2},
    {vtHex, 0, "1f", 31},
    {vtFloat, -1.5, "", -1.5},
    {vtFloat, 0, "1.5e2", 150},
    {vtFloat, 0, "2,5", 0},           // not the separator of this locale
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TOrvSpinEdit* ed = NewEdit(c.Min, 1000, c.Type);
    ed->SetText(c.Text);
    EXPECT_EQ(ed->GetValue(), c.Value);
  }
}

TEST_F(SpinEditTest, ValueTypeChangeKeepsTheValueAndMakesTheIncrementWhole) {
  TOrvSpinEdit* ed = NewEdit(0, 0);
  ed->SetValue(255);
  ed->SetValueType(vtHex);
  EXPECT_EQ(ed->GetText(), "FF") << "the text is read in its old form before it is rewritten";
  ed->SetValueType(vtFloat);
  EXPECT_EQ(ed->GetText(), "255.00");
  ed->SetText("1.5");
  ed->SetIncrement(0.4);
  ed->SetValueType(vtInteger);
  EXPECT_EQ(ed->GetText(), "2");
  EXPECT_EQ(ed->Increment(), 1) << "an increment that rounds to 0 becomes 1";
  ed->SetValueType(vtFloat);
  ed->SetIncrement(2.5);
  ed->SetValueType(vtHex);
  EXPECT_EQ(ed->Increment(), 2);
  ed->SetValueType(vtFloat);
  ed->SetDecimal(0);
  EXPECT_EQ(ed->GetText(), "2") << "a new Decimal rewrites the text";
}

TEST_F(SpinEditTest, FloatTextUsesTheLocalesSeparator) {
  const TNlsSettings saved = NlsSettings();
  TNlsSettings german = saved;
  german.UserLCID = 0x407;
  SetNlsSettings(german);
  TOrvSpinEdit* ed = NewEdit(0, 0, vtFloat);
  ed->SetValue(1);
  const AnsiString text = ed->GetText();
  ed->SetText("2,75");
  const Extended value = ed->GetValue();
  SetNlsSettings(saved);
  EXPECT_EQ(text, "1,00");
  EXPECT_EQ(value, 2.75);
}

TEST_F(SpinEditTest, TypingTakesOnlyCharactersOfANumber) {
  struct TCase {
    OrvSpin::TValueType Type;
    const char* Start;
    const char* Typed;
    const char* Text;
    int Beeps;
  };
  const TCase cases[] = {
    {vtInteger, "", "-12a+", "-12+", 1},
    {vtInteger, "", "1.5", "15", 1},
    {vtFloat, "", "1.5.2", "1.52", 1},      // a second separator cannot be typed
    {vtFloat, "", "1e5E3", "1e53", 1},      // nor a second exponent
    {vtHex, "", "7fAgZ", "7fA", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    TOrvSpinEdit* ed = NewEdit(0, 0, c.Type);
    ed->SetText(c.Start);
    Beeps = 0;
    Type(ed, c.Typed);
    EXPECT_EQ(ed->GetText(), c.Text);
    EXPECT_EQ(Beeps, c.Beeps) << "every refused character beeps";
  }
}

TEST_F(SpinEditTest, WithoutEditorOnlyTheButtonAndArrowKeysChangeTheText) {
  TOrvSpinEdit* ed = Form->MailFieldEd;
  ed->SetText("12");
  ed->SetEditorEnabled(false);
  QGuiApplication::clipboard()->setText("99");
  Type(ed, "5");
  Key(ed->Widget(), Qt::Key_Backspace, QString(QLatin1Char('\b')));
  ed->PasteFromClipboard();
  Key(ed->Widget(), Qt::Key_V, QString(QLatin1Char('\x16')), Qt::ControlModifier);
  ed->SelectAll();
  ed->CutToClipboard();
  EXPECT_EQ(ed->GetText(), "12") << "no typing, backspace, paste or cut";
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "99");
  Key(ed->Widget(), Qt::Key_Up);
  EXPECT_EQ(ed->GetText(), "13");

  ed->SetEditorEnabled(true);
  ed->SelectAll();
  ed->PasteFromClipboard();
  EXPECT_EQ(ed->GetText(), "99") << "with the editor enabled paste works";
  ed->SetReadOnly(true);
  ed->SelectAll();
  ed->CutToClipboard();
  EXPECT_EQ(ed->GetText(), "99") << "a read-only control refuses cut";
}

TEST_F(SpinEditTest, LeavingTheControlClampsWhatWasTyped) {
  TOrvSpinEdit* bcc = Form->bccCountEd;
  bcc->SetFocus();
  EXPECT_EQ(bcc->SelText(), "20") << "entering selects the whole text";
  Type(bcc, "150");
  EXPECT_EQ(bcc->GetText(), "150");
  Form->Events.clear();
  Form->VirusEd->SetFocus();
  EXPECT_EQ(bcc->GetText(), "100");
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"change bccCountEd 100"}));

  // Letters read as the lower limit, which lies within the limits: leaving keeps the text.
  QGuiApplication::clipboard()->setText("abc");
  bcc->SetFocus();
  bcc->SelectAll();
  bcc->PasteFromClipboard();
  EXPECT_EQ(bcc->GetValue(), 1);
  Form->VirusEd->SetFocus();
  EXPECT_EQ(bcc->GetText(), "abc");
  bcc->SetFocus();
  bcc->SetText("");
  Form->VirusEd->SetFocus();
  EXPECT_EQ(bcc->GetValue(), 1) << "an empty text reads as MinValue";
}

TEST_F(SpinEditTest, ArrowKeysStepOncePerPressWithOneChangeEach) {
  TOrvSpinEdit* ed = Form->MailFieldEd;
  Key(ed->Widget(), Qt::Key_Down);
  Key(ed->Widget(), Qt::Key_Down);
  EXPECT_EQ(ed->GetText(), "-2") << "without limits steps go below 0";
  EXPECT_TRUE(ed->Modified());
  Key(ed->Widget(), Qt::Key_Up);
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"change MailFieldEd -1", "change MailFieldEd -2",
                                                    "change MailFieldEd -1", "top"}));

  Form->Events.clear();
  TOrvSpinEdit* bcc = Form->bccCountEd;
  bcc->SetValue(100);
  Form->Events.clear();
  Key(bcc->Widget(), Qt::Key_Up);
  EXPECT_EQ(bcc->GetText(), "100");
  EXPECT_TRUE(Form->Events.empty()) << "a step that leaves the text as it is reports no change";

  Form->FloatEd->SetValue(9.9);
  Form->Events.clear();
  Key(Form->FloatEd->Widget(), Qt::Key_Up);
  Key(Form->FloatEd->Widget(), Qt::Key_Up);
  EXPECT_EQ(Form->FloatEd->GetText(), "10.00");
  EXPECT_EQ(Form->Events.size(), 1u);

  ed->SetArrowKeys(false);
  Key(ed->Widget(), Qt::Key_Up);
  EXPECT_EQ(ed->GetText(), "-1") << "arrow keys off";
}

TEST_F(SpinEditTest, ReadOnlyControlBeepsAndDoesNotStep) {
  TOrvSpinEdit* ed = Form->MailFieldEd;
  ed->SetReadOnly(true);
  Key(ed->Widget(), Qt::Key_Up);
  ed->DownClick(ed);
  EXPECT_EQ(ed->GetText(), "0");
  EXPECT_EQ(Beeps, 2);
  EXPECT_TRUE(Form->Events.empty()) << "neither OnChange nor OnTopClick";
}

TEST_F(SpinEditTest, ValueSetByCodeFiresOnChangeWithOrWithoutAWindow) {
  auto* ed = new TOrvSpinEdit(nullptr);
  std::vector<std::string> changes;
  ed->OnChange = [&](TObject*) { changes.push_back(ed->GetText()); };
  ed->SetValue(7);
  ed->SetValue(7);
  EXPECT_FALSE(ed->HandleAllocated());
  ed->SetParent(Form);
  ed->HandleNeeded();
  ed->SetValue(8);
  EXPECT_EQ(changes, (std::vector<std::string>{"7", "8"})) << "once per new text";
  ed->Free();
}

TEST_F(SpinEditTest, EnterAndEscapeReachTheFormAsDialogKeys) {
  TOrvSpinEdit* bcc = Form->bccCountEd;
  bcc->SetFocus();
  Key(bcc->Widget(), Qt::Key_Return, "\r");
  EXPECT_EQ(bcc->GetText(), "20") << "Enter is not inserted";
  Key(bcc->Widget(), Qt::Key_Escape, QString(QLatin1Char('\x1b')));
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"ok", "cancel"}))
      << "each key clicks its button once";
}

TEST_F(SpinEditTest, ButtonSitsInsideTheBorderAndTheTextBesideIt) {
  TOrvSpinEdit* ed = Form->MailFieldEd;  // 60 x 21
  ASSERT_NE(ed->ButtonWindow(), nullptr);
  EXPECT_EQ(ed->ButtonWindow()->BoundsRect(), Rect(40, 1, 58, 19));
  EXPECT_EQ(ed->SpinButton()->BoundsRect(), Rect(0, 0, 18, 18)) << "the button fills its window";
  EXPECT_EQ(ed->TextArea(), Rect(0, 0, 36, 18));

  ed->SetWidth(100);
  EXPECT_EQ(ed->ButtonWindow()->Left(), 80) << "the button follows the right edge";
  ed->SetHeight(3);
  EXPECT_GT(ed->MinimumHeight(), 3);
  EXPECT_EQ(ed->Height(), ed->MinimumHeight()) << "a height below the font's is raised";
  EXPECT_EQ(ed->ButtonWindow()->Height(), ed->Height() - 3);

  ed->SetCtl3D(false);
  EXPECT_EQ(ed->ButtonWindow()->Width(), ed->Height()) << "the flat border takes a full-height button";

  ed->SetText("123");
  ed->SetAlignment(taRightJustify);
  auto* line = static_cast<QLineEdit*>(ed->Widget());
  EXPECT_TRUE(line->alignment() & Qt::AlignRight) << "the window made again aligns its text";
  EXPECT_EQ(ed->GetText(), "123");
  EXPECT_TRUE(ed->ButtonWindow()->HandleAllocated()) << "with its button";
  EXPECT_EQ(ed->ButtonWindow()->Widget()->parentWidget(), line);
}

TEST_F(SpinEditTest, StandardButtonKindUsesTheUpDownControl) {
  TOrvSpinEdit* ed = Form->MailFieldEd;
  ed->SetButtonKind(bkStandard);
  ASSERT_NE(ed->UpDown(), nullptr);
  EXPECT_EQ(ed->SpinButton(), nullptr);
  EXPECT_EQ(ed->ButtonWindow(), nullptr);
  EXPECT_EQ(ed->UpDown()->Width(), DefaultSpinWidth());
  EXPECT_EQ(ed->UpDown()->Left(), ed->Width() - DefaultSpinWidth()) << "at the right edge";
  EXPECT_EQ(ed->TextArea().Right, ed->Width() - 4 - DefaultSpinWidth() - 2);

  ed->UpDown()->ClickButton(btNext);
  ed->UpDown()->ClickButton(btNext);
  EXPECT_EQ(ed->GetText(), "2") << "every press steps, also at the up-down's own limit";
  EXPECT_EQ(ed->UpDown()->Position(), 0);
  ed->UpDown()->ClickButton(btPrev);
  EXPECT_EQ(ed->GetText(), "1");
  EXPECT_EQ(ed->UpDown()->Position(), 0);

  ed->SetButtonKind(bkDiagonal);
  EXPECT_EQ(ed->UpDown(), nullptr);
  ASSERT_NE(ed->SpinButton(), nullptr);
  EXPECT_EQ(ed->SpinButton()->FocusControl(), ed);
}

class SpinButtonMouseTest : public SpinEditTest {
 protected:
  void Press(QPoint at) { Mouse(Window(), QEvent::MouseButtonPress, at); }
  void Move(QPoint at) { Mouse(Window(), QEvent::MouseMove, at); }
  void Release(QPoint at) { Mouse(Window(), QEvent::MouseButtonRelease, at); }
  QWidget* Window() { return Form->MailFieldEd->ButtonWindow()->Widget(); }
  void Tick() {
    TTimer* timer = Form->MailFieldEd->SpinButton()->RepeatTimer();
    ASSERT_NE(timer, nullptr);
    timer->OnTimer(timer);
  }
  static constexpr QPoint kTop{3, 3}, kBottom{15, 15};
};

TEST_F(SpinButtonMouseTest, HeldPressStepsAtOnceThenAfter400AndEvery100Milliseconds) {
  TOrvSpinEdit* ed = Form->MailFieldEd;
  TOrvSpinButton* button = ed->SpinButton();
  Press(kTop);
  EXPECT_EQ(ed->GetText(), "1") << "the press steps at once";
  EXPECT_TRUE(ed->Focused()) << "the press focuses the edit";
  EXPECT_EQ(button->Down(), sbTopDown);
  TTimer* timer = button->RepeatTimer();
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 400u);
  Tick();
  EXPECT_EQ(timer->Interval(), 100u);
  Tick();
  EXPECT_EQ(ed->GetText(), "3");

  Move(kBottom);
  EXPECT_EQ(button->Down(), sbNotDown) << "dragging onto the other half stops the repeat";
  Tick();
  EXPECT_EQ(ed->GetText(), "3") << "without starting the other direction";
  Move(kTop);
  EXPECT_EQ(button->Down(), sbTopDown) << "back on the first half it repeats again";
  Tick();
  EXPECT_EQ(ed->GetText(), "4");
  Move(QPoint(40, 3));
  EXPECT_EQ(button->Down(), sbNotDown);
  Move(kTop);
  Release(kTop);
  EXPECT_EQ(button->Down(), sbNotDown);
  EXPECT_FALSE(timer->Enabled());
  Tick();
  EXPECT_EQ(ed->GetText(), "4") << "a tick after the release does nothing";
  EXPECT_EQ(std::count(Form->Events.begin(), Form->Events.end(), "top"), 4) << "one OnTopClick per step";
}

TEST_F(SpinButtonMouseTest, ASecondPressWaitsTheFullPauseBeforeItsFirstRepeat) {
  // Pressed through the window, as the user does: the window finds the button under the mouse.
  QWidget* top = Form->Widget();
  const QPoint at = testinput::At(Window(), kTop);
  struct TCase {
    const char* Name;
    int Repeats;  // repeats of the first press before its release
  };
  const TCase cases[] = {
    {"released before its first repeat", 0},
    {"released while repeating every 100 ms", 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    testinput::Move(top, at);
    testinput::Press(top, at);
    for (int i = 0; i < c.Repeats; ++i) Tick();
    testinput::Release(top, at);
    // The first press's wait would be half run out by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::string before = Form->MailFieldEd->GetText();
    testinput::Press(top, at);
    EXPECT_EQ(std::stoi(Form->MailFieldEd->GetText()), std::stoi(before) + 1) << "the press steps at once";
    TTimer* timer = Form->MailFieldEd->SpinButton()->RepeatTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 400u);
    EXPECT_GT(timer->RemainingMs(), 300) << "the 400 ms wait starts again at the second press";
    testinput::Release(top, at);
    EXPECT_EQ(timer->RemainingMs(), -1) << "the release stops the repeat";
  }
}

TEST_F(SpinButtonMouseTest, LowerRightHalfStepsDown) {
  Press(kBottom);
  Release(kBottom);
  Press(kBottom);
  Release(kBottom);
  EXPECT_EQ(Form->MailFieldEd->GetText(), "-2");
  EXPECT_EQ(Form->MailFieldEd->SpinButton()->PartAt(8, 8), sbTopDown);
  EXPECT_EQ(Form->MailFieldEd->SpinButton()->PartAt(9, 10), sbBottomDown);
}

TEST_F(SpinButtonMouseTest, FaceIsSplitAlongItsDiagonalWithAnArrowInEachHalf) {
  const QColor face = [] {
    const COLORREF c = ColorToRGB(clBtnFace);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
  }();
  const QColor black(0, 0, 0);
  auto shot = [&] { return Window()->grab().toImage(); };
  QImage image = shot();
  ASSERT_EQ(image.size(), QSize(18, 18));
  struct TPixel {
    int X, Y;
    QColor Color;
    const char* What;
  };
  const TPixel released[] = {
    {0, 9, black, "frame"},
    {9, 8, black, "diagonal"},
    {10, 2, face, "background"},
    {5, 3, black, "tip of the up arrow"},
    {3, 5, black, "wing of the up arrow"},
    {3, 3, face, "see-through corner of the up arrow"},
    {9, 12, black, "wing of the down arrow"},
    {11, 14, black, "tip of the down arrow"},
    {1, 5, QColor(255, 255, 255), "highlight of the raised top"},
  };
  for (const auto& p : released)
    EXPECT_EQ(image.pixelColor(p.X, p.Y), p.Color) << p.What << " at " << p.X << "," << p.Y;

  Press(kTop);
  image = shot();
  EXPECT_EQ(image.pixelColor(6, 4), black) << "the pressed up arrow moves one pixel down and right";
  EXPECT_EQ(image.pixelColor(5, 3), face);
  EXPECT_NE(image.pixelColor(1, 5), QColor(255, 255, 255)) << "a pressed top is shadowed";
  EXPECT_EQ(image.pixelColor(11, 14), black) << "the down arrow stays";
  Release(kTop);
}

}  // namespace
}  // namespace orv::test
