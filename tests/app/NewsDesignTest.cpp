// The newsletter designer: its defaults, each colour box named by what it colours, the fonts chosen
// through its buttons, the frame it gives the editor's HTML, and a mail's settings kept through it.
#include <QTimer>

#include "tests/app/AppFixture.h"

namespace orv::test {
namespace {

// Answers the font dialog with a fixed font.
class TFontAnswer : public TScriptedDialogs {
 public:
  bool ChooseFont(TFontChoice& font) override {
    Offered = font;
    font = {"Times New Roman", 20, clYellow, 1 | 4};
    return true;
  }
  TFontChoice Offered;
};

class NewsDesignTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
    D = NewsDesignForm;
    ASSERT_NE(D, nullptr);
  }
  // The label left of a control, on the same row.
  AnsiString LabelOf(const TControl* control) {
    for (Integer i = 0; i < D->ControlCount(); ++i) {
      auto* label = dynamic_cast<TLabel*>(D->Controls(i));
      if (label != nullptr && std::abs(label->Top() - control->Top()) <= 6) return label->Caption();
    }
    return "";
  }
  TNewsDesignForm* D = nullptr;
};

TEST_F(NewsDesignTest, DefaultsAreTheDesignersAndEachColourBoxIsLabelledByWhatItColours) {
  EXPECT_EQ(D->Caption(), "Newsletter design");
  const TNewsletterFrame f = D->Frame();
  EXPECT_EQ(f.MailBackground, static_cast<TColor>(0x808080));
  EXPECT_EQ(f.CaptionBackground, clBlack);
  EXPECT_EQ(f.BottomCaptionBackground, clBlack);
  EXPECT_EQ(f.Border, clBlack);
  EXPECT_EQ(f.Width, 550);
  EXPECT_EQ(f.MinHeight, 400);
  EXPECT_EQ(f.Caption, "Newsletter");
  EXPECT_FALSE(f.BottomCaption.empty());
  EXPECT_EQ(f.CaptionFont.Name, "Arial Black");
  EXPECT_EQ(f.CaptionFont.Size, 14) << "19 pixels at 96 pixels per inch";
  EXPECT_EQ(f.CaptionFont.Color, clWhite);
  EXPECT_EQ(f.BottomCaptionFont.Name, "Arial");
  EXPECT_EQ(f.BottomCaptionFont.Size, 8) << "11 pixels at 96 pixels per inch";
  EXPECT_TRUE(f.CaptionFont.Style.Empty());

  EXPECT_EQ(LabelOf(D->VorelColorComboBox1), "Mail background:");
  EXPECT_EQ(LabelOf(D->VorelColorComboBox2), "Caption background:") << "the caption table's colour";
  EXPECT_EQ(LabelOf(D->VorelColorComboBox3), "Bottom caption backgr.:") << "the bottom caption table's colour";
  EXPECT_EQ(LabelOf(D->VorelColorComboBox4), "Border:");
  EXPECT_EQ(LabelOf(D->BreitEd), "Width in pixels:");
  EXPECT_EQ(LabelOf(D->MinHEd), "Minimal height in pixels:");
  EXPECT_EQ(LabelOf(D->UeberSchriftEd), "Caption:");
  EXPECT_EQ(LabelOf(D->UnterSchriftEd), "Bottom caption:");
  EXPECT_EQ(D->Font1Btn->Caption(), "Caption font");
  EXPECT_EQ(D->Font2Btn->Caption(), "Bottom caption font");
  // The spin edits keep their ranges.
  D->BreitEd->SetValue(5000);
  EXPECT_EQ(D->Frame().Width, 1024);
  D->MinHEd->SetValue(1);
  EXPECT_EQ(D->Frame().MinHeight, 10);
}

TEST_F(NewsDesignTest, FontButtonsChooseTheCaptionFonts) {
  TFontAnswer fonts;
  SetDialogService(&fonts);
  // The XP-style button runs the handler its description binds.
  D->Font1Btn->Click();
  SetDialogService(&Dialogs);
  EXPECT_EQ(fonts.Offered.Name, "Arial Black");
  const TNewsletterFrame f = D->Frame();
  EXPECT_EQ(f.CaptionFont.Name, "Times New Roman");
  EXPECT_EQ(f.CaptionFont.Size, 20);
  EXPECT_EQ(f.CaptionFont.Color, clYellow);
  EXPECT_TRUE(f.CaptionFont.Style.Contains(fsBold));
  EXPECT_TRUE(f.CaptionFont.Style.Contains(fsUnderline));
  EXPECT_EQ(f.BottomCaptionFont.Name, "Arial") << "the other font stays";
}

TEST_F(NewsDesignTest, EditorFramesTheDesignWithTheDesignersSettings) {
  D->VorelColorComboBox1->SetColorValue(clRed);   // mail background
  D->VorelColorComboBox2->SetColorValue(clLime);  // caption table
  D->VorelColorComboBox3->SetColorValue(clBlue);  // bottom caption table
  D->VorelColorComboBox4->SetColorValue(clNavy);  // border
  D->BreitEd->SetValue(600);
  D->UeberSchriftEd->SetText("Spring news");
  TWriteMailForm* e = WriteMailForm;
  e->MailTyp1->SetChecked(true);
  e->NewsCheck->SetChecked(true);
  // The designer is shown from the editor; when it closes the HTML is made again.
  bool shown = false;
  QTimer::singleShot(0, [&] {
    shown = D->FormState().Contains(fsModal);
    D->OKBtn->Click();
  });
  e->NewsConfigBtnClick(e->NewsConfigBtn);
  EXPECT_TRUE(shown);
  const std::vector<AnsiString> html = e->Memo3->Lines().ToVector();
  ASSERT_GE(html.size(), 4u);
  EXPECT_EQ(html[0], "<html><body bgcolor=#FF0000>");
  EXPECT_EQ(html[1], "<table align=center width=600 bgcolor=#000080 cellpadding=0 cellspacing=0><tr></tr>");
  EXPECT_NE(html[2].find("bgcolor=#00FF00"), AnsiString::npos) << html[2];
  EXPECT_NE(html[2].find("<font face=\"Arial Black\" color=#FFFFFF size=4>Spring news"), AnsiString::npos) << html[2];
  const AnsiString all = e->Memo3->GetText();
  EXPECT_NE(all.find("bgcolor=#0000FF cellpadding=4"), AnsiString::npos) << "the bottom caption's table";
}

}  // namespace
}  // namespace orv::test
