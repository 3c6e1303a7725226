// The colour combo box as the newsletter designer uses it: colours from its window description,
// the colour list, choosing an entry, a free colour through the colour dialog, the colour-value
// and HTML colour writers, and the drawing of the entries.
#include "tests/controls/ControlsFixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>
#include <QStyleOptionViewItem>
#include "controls/VorelColorComboBox.h"
#include "platform/classes/ObjectText.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/forms/ComboRowImage.h"

namespace orv::test {
namespace {

// The size of a drawn row of the drop-down list.
const QSize kRow(120, 16);

class TDesignForm : public TForm {
 public:
  explicit TDesignForm(TComponent* owner) : TForm(owner) {}
  TVorelColorComboBox* VorelColorComboBox1 = nullptr;
  TVorelColorComboBox* VorelColorComboBox2 = nullptr;
  TVorelColorComboBox* VorelColorComboBox3 = nullptr;
  TVorelColorComboBox* VorelColorComboBox4 = nullptr;
  std::vector<std::string> Events;
  void ColorChange(TObject* sender) {
    auto* box = static_cast<TVorelColorComboBox*>(sender);
    Events.push_back(box->Name() + " " + box->HTMLcolor());
  }
};

const char* const kDesignForm = R"(object DesignForm: TDesignForm
  Width = 400
  Height = 300
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  object VorelColorComboBox1: TVorelColorComboBox
    Left = 8
    Top = 8
    Width = 145
    Height = 22
    ColorValue = clGray
    OnChange = ColorChange
  end
  object VorelColorComboBox2: TVorelColorComboBox
    Left = 8
    Top = 40
    Width = 145
    Height = 22
    OnChange = ColorChange
  end
  object VorelColorComboBox3: TVorelColorComboBox
    Left = 8
    Top = 72
    Width = 145
    Height = 22
    Language = lgDeutsch
    ColorValue = 1193046
  end
  object VorelColorComboBox4: TVorelColorComboBox
    Left = 8
    Top = 104
    Width = 145
    Height = 22
    HTMLcolor = '#ff0000'
  end
end
)";

QColor Screen(TColor color) {
  const COLORREF c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

class ColorComboBoxTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    using F = TDesignForm;
    RegisterClassType<F, TForm>("TDesignForm")
        .Field("VorelColorComboBox1", &F::VorelColorComboBox1)
        .Field("VorelColorComboBox2", &F::VorelColorComboBox2)
        .Field("VorelColorComboBox3", &F::VorelColorComboBox3)
        .Field("VorelColorComboBox4", &F::VorelColorComboBox4)
        .Method("ColorChange", &F::ColorChange);
    Form = MakeForm<TDesignForm>("TDesignForm", kDesignForm);
    Form->Show();
    Box = Form->VorelColorComboBox1;
  }

  // The user picks entry index from the list.
  static void Pick(TVorelColorComboBox* box, int index) {
    auto* qt = static_cast<QComboBox*>(box->Widget());
    qt->setCurrentIndex(index);
    emit qt->activated(index);
  }

  TDesignForm* Form = nullptr;
  TVorelColorComboBox* Box = nullptr;
};

TEST_F(ColorComboBoxTest, ListHoldsTheSixteenColoursAndMore) {
  const char* const texts[] = {"clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple",
                               "clTeal", "clGray", "clSilver", "clRed", "clLime", "clYellow",
                               "clBlue", "clFuchsia", "clAqua", "clWhite", "clWhite"};
  TVorelColorComboBox* fresh = Form->VorelColorComboBox2;
  ASSERT_EQ(fresh->Items().Count(), 17);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(fresh->Items().Get(i), texts[i]) << "entry " << i;
  EXPECT_EQ(static_cast<QComboBox*>(fresh->Widget())->count(), 17);
  EXPECT_EQ(fresh->ItemIndex(), 0);
  EXPECT_EQ(fresh->ColorValue(), clBlack);
  EXPECT_EQ(fresh->HTMLcolor(), "#000000");
  EXPECT_EQ(fresh->Style(), csOwnerDrawFixed);

  struct TName {
    int Index;
    TCLanguage Language;
    const char* Name;
  };
  const TName names[] = {
    {1, lgEnglish, "Maroon"}, {2, lgDeutsch, "Gr\xFCn"}, {3, lgFrensh, "Marron clair"},
    {10, lgFrensh, "Vert"}, {15, lgDeutsch, "Wei\xDF"}, {16, lgEnglish, "More..."},
    {16, lgDeutsch, "Mehr..."}, {16, lgFrensh, "Autres...."},
  };
  for (const auto& n : names)
    EXPECT_EQ(TVorelColorComboBox::EntryName(n.Index, n.Language), n.Name) << n.Index << " " << n.Language;

  auto* made = new TVorelColorComboBox(Form);
  EXPECT_EQ(made->Width(), 120);
  EXPECT_EQ(made->Language(), lgEnglish);
}

TEST_F(ColorComboBoxTest, DescriptionSetsTheColoursWithoutFiringOnChange) {
  struct TCase {
    TVorelColorComboBox* Box;
    TColor Color;
    Integer Index;
    const char* Html;
  };
  const TCase cases[] = {
    {Form->VorelColorComboBox1, 0x808080, 7, "#808080"},
    {Form->VorelColorComboBox2, 0x000000, 0, "#000000"},
    {Form->VorelColorComboBox3, 0x123456, 16, "#563412"},
    {Form->VorelColorComboBox4, 0x0000FF, 9, "#FF0000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Box->Name());
    EXPECT_EQ(c.Box->ColorValue(), c.Color);
    EXPECT_EQ(c.Box->ItemIndex(), c.Index);
    EXPECT_EQ(c.Box->HTMLcolor(), c.Html);
  }
  EXPECT_EQ(Form->VorelColorComboBox3->Language(), lgDeutsch);
  EXPECT_EQ(Form->VorelColorComboBox3->Items().Get(16), "$00123456");
  EXPECT_TRUE(Form->Events.empty());
}

TEST_F(ColorComboBoxTest, WrittenDescriptionCarriesTheColourNotTheList) {
  const AnsiString text = WriteComponentToText(Form);
  for (const char* absent : {"Items", "ItemIndex", " Style =", "Caption", "Text ="})
    EXPECT_EQ(text.find(absent), AnsiString::npos) << absent << " in\n" << text;
  EXPECT_NE(text.find("ColorValue = clGray"), AnsiString::npos) << text;
  EXPECT_NE(text.find("ColorValue = clBlack"), AnsiString::npos) << "the colour is always written";
  EXPECT_NE(text.find("Language = lgDeutsch"), AnsiString::npos);

  auto* copy = MakeForm<TDesignForm>("TDesignForm", text.c_str());
  EXPECT_EQ(copy->VorelColorComboBox3->ColorValue(), 0x123456);
  EXPECT_EQ(copy->VorelColorComboBox3->ItemIndex(), 16);
  EXPECT_EQ(copy->VorelColorComboBox4->HTMLcolor(), "#FF0000");
  EXPECT_EQ(copy->VorelColorComboBox1->Items().Count(), 17);
}

TEST_F(ColorComboBoxTest, DescriptionWithAListOfItsOwnStillOffersTheColours) {
  const char* const description = R"(object DesignForm: TDesignForm
  object VorelColorComboBox1: TVorelColorComboBox
    ColorValue = clRed
    Items.Strings = (
      'clRed'
      'clRed')
    ItemIndex = 1
  end
end
)";
  auto* form = MakeForm<TDesignForm>("TDesignForm", description);
  TVorelColorComboBox* box = form->VorelColorComboBox1;
  EXPECT_EQ(box->Items().Count(), 17);
  EXPECT_EQ(box->Items().Get(0), "clBlack");
  EXPECT_EQ(box->ItemIndex(), 9);
  EXPECT_EQ(box->ColorValue(), clRed);
}

TEST_F(ColorComboBoxTest, ColourValueWriterSelectsTheEntryOrTheFreeColour) {
  struct TCase {
    TColor Set;
    Integer Index;
    const char* Html;
    const char* FreeText;  // entry 16's item text afterwards
  };
  const TCase cases[] = {
    {0x808080, 7, "#808080", "clWhite"},
    {0xFFFFFF, 15, "#FFFFFF", "clWhite"},   // the last equal entry of the sixteen, never entry 16
    {0x123456, 16, "#563412", "$00123456"},
    {0x0000FF, 9, "#FF0000", "$00123456"},  // entry 16 keeps the last free colour
    {0xABCDEF, 16, "#EFCDAB", "$00ABCDEF"},
  };
  Form->Events.clear();
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.Set);
    Box->SetColorValue(c.Set);
    EXPECT_EQ(Box->ColorValue(), c.Set);
    EXPECT_EQ(Box->ItemIndex(), c.Index);
    EXPECT_EQ(Box->HTMLcolor(), c.Html);
    EXPECT_EQ(Box->Items().Get(16), c.FreeText);
  }
  EXPECT_TRUE(Form->Events.empty()) << "setting the colour by code fires no OnChange";
  EXPECT_EQ(ColorToHTML(clBtnFace), [] {
    const COLORREF c = ColorToRGB(clBtnFace);
    return "#" + IntToHex(GetRValue(c), 2) + IntToHex(GetGValue(c), 2) + IntToHex(GetBValue(c), 2);
  }()) << "a system colour is written as its colour on the screen";
}

TEST_F(ColorComboBoxTest, HtmlColourWriterTakesHashAndSixOrThreeHexDigits) {
  struct TCase {
    const char* Text;
    TColor Color;  // afterwards, starting from grey
    const char* Html;
    Integer Index;
  };
  const TCase cases[] = {
    {"#ff0000", 0x0000FF, "#FF0000", 9},
    {"", 0x000000, "#000000", 0},
    {"#0a0B0c", 0x0C0B0A, "#0A0B0C", 16},
    {"#FFF", 0xFFFFFF, "#FFFFFF", 15},   // the short form means white, as in HTML
    {"#f80", 0x0088FF, "#FF8800", 16},
    {"#GG0000", 0x808080, "#808080", 7}, // refused: nothing changes
    {"#12345", 0x808080, "#808080", 7},
    {"FF0000", 0x808080, "#808080", 7},
    {"#1234567", 0x808080, "#808080", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    Box->SetColorValue(0x808080);
    Box->SetHTMLcolor(c.Text);
    EXPECT_EQ(Box->ColorValue(), c.Color);
    EXPECT_EQ(Box->HTMLcolor(), c.Html);
    EXPECT_EQ(Box->ItemIndex(), c.Index);
  }
}

TEST_F(ColorComboBoxTest, PickingAnEntryTakesItsColourAndFiresOnChange) {
  Pick(Box, 12);
  EXPECT_EQ(Box->ColorValue(), 0xFF0000);
  EXPECT_EQ(Box->HTMLcolor(), "#0000FF");
  Pick(Box, 0);
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"VorelColorComboBox1 #0000FF", "VorelColorComboBox1 #000000"}));
  EXPECT_TRUE(ColorDialogs.ColorsAsked.empty()) << "the sixteen colours need no dialog";
}

TEST_F(ColorComboBoxTest, MoreAsksTheColourDialogFromTheCurrentColour) {
  bool dialogKept = false;
  ColorDialogs.WhileAsked = [&] {
    dialogKept = Box->ColorDlg() != nullptr && Box->ColorDlg()->Options().Contains(cdFullOpen) &&
                 Box->ColorDlg()->Owner() == Box;
  };
  ColorDialogs.ColorAnswers = {0x123456, 0x00FF00};
  Pick(Box, 16);
  EXPECT_EQ(ColorDialogs.ColorsAsked, (std::vector<TColor>{0x808080}));
  EXPECT_TRUE(dialogKept) << "the control owns a full-open dialog while it is answered";
  EXPECT_EQ(Box->ColorDlg(), nullptr);
  EXPECT_EQ(Box->ComponentCount(), 0) << "the dialog is freed";
  EXPECT_EQ(Box->ColorValue(), 0x123456);
  EXPECT_EQ(Box->HTMLcolor(), "#563412");
  EXPECT_EQ(Box->ItemIndex(), 16);
  EXPECT_EQ(Box->Items().Get(16), "$00123456");

  Pick(Box, 16);
  EXPECT_EQ(Box->ColorValue(), 0x00FF00) << "a chosen standard colour selects its entry";
  EXPECT_EQ(Box->ItemIndex(), 10);

  Box->SetColorValue(0x808080);
  Pick(Box, 16);  // no answer: cancelled
  EXPECT_EQ(Box->ColorValue(), 0x808080) << "a cancelled dialog keeps the colour";
  EXPECT_EQ(Box->HTMLcolor(), "#808080");
  EXPECT_EQ(Box->ItemIndex(), 16);
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"VorelColorComboBox1 #563412", "VorelColorComboBox1 #00FF00",
                                                    "VorelColorComboBox1 #808080"}))
      << "OnChange fires for every pick, a cancelled one too";
}

TEST_F(ColorComboBoxTest, ListRowShowsSwatchFramedInBlackAndTheName) {
  const QImage plain = DrawComboRow(Box, 9, false, kRow);
  EXPECT_EQ(plain.pixelColor(1, 8), Screen(clWindow)) << "the row's background";
  EXPECT_EQ(plain.pixelColor(4, 8), QColor(0, 0, 0)) << "left edge of the frame";
  EXPECT_EQ(plain.pixelColor(23, 8), QColor(0, 0, 0)) << "right edge of the frame, at x = 23";
  EXPECT_EQ(plain.pixelColor(10, 1), QColor(0, 0, 0)) << "top edge";
  EXPECT_EQ(plain.pixelColor(10, 14), QColor(0, 0, 0)) << "bottom edge";
  EXPECT_EQ(plain.pixelColor(10, 8), QColor(255, 0, 0)) << "the swatch of red";
  EXPECT_EQ(plain.pixelColor(26, 8), Screen(clWindow));
  int textPixels = 0;
  for (int x = 30; x < plain.width(); ++x)
    for (int y = 0; y < plain.height(); ++y) textPixels += plain.pixelColor(x, y) != Screen(clWindow);
  EXPECT_GT(textPixels, 10) << "the name is drawn right of the swatch";

  const QImage selected = DrawComboRow(Box, 9, true, kRow);
  EXPECT_EQ(selected.pixelColor(1, 8), Screen(clHighlight));
  EXPECT_EQ(selected.pixelColor(10, 8), QColor(255, 0, 0));

  Box->SetColorValue(0x123456);
  EXPECT_EQ(DrawComboRow(Box, 16, false, kRow).pixelColor(10, 8), QColor(0x56, 0x34, 0x12)) << "entry 16 shows ColorValue";

  const QImage english = DrawComboRow(Box, 0, false, kRow);
  Box->SetLanguage(lgFrensh);
  const QImage french = DrawComboRow(Box, 0, false, kRow);
  EXPECT_EQ(english.copy(0, 0, 28, 16), french.copy(0, 0, 28, 16)) << "the same swatch";
  EXPECT_NE(english.copy(28, 0, 92, 16), french.copy(28, 0, 92, 16)) << "another name";
  EXPECT_EQ(Box->Items().Get(0), "clBlack") << "the item texts stay";

  auto* qt = static_cast<QComboBox*>(Box->Widget());
  EXPECT_EQ(qt->itemDelegate()->sizeHint(QStyleOptionViewItem(), qt->model()->index(0, 0)).height(), Box->ItemHeight());
}

TEST_F(ColorComboBoxTest, ClosedBoxShowsTheChosenColoursSwatch) {
  Box->SetColorValue(0x123456);
  const QImage shot = Box->Widget()->grab().toImage();
  const QColor swatch(0x56, 0x34, 0x12);
  int inside = 0, beyond = 0;
  for (int x = 0; x < shot.width(); ++x)
    for (int y = 0; y < shot.height(); ++y)
      if (shot.pixelColor(x, y) == swatch) ++(x < 24 ? inside : beyond);
  EXPECT_GT(inside, 40) << "the swatch of the chosen colour";
  EXPECT_EQ(beyond, 0) << "the swatch ends at x = 24";
}

}  // namespace
}  // namespace orv::test
