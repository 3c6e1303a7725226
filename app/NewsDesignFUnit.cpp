// The newsletter designer window, the frame its controls describe, and its registration.
#include "app/NewsDesignFUnit.h"

#include <cmath>
#include <limits>

#include "app/FormTeardown.h"

namespace orv {

TNewsDesignForm* NewsDesignForm = nullptr;

namespace {

// A spin value as a whole number: the fraction dropped toward zero, held within Integer.
Integer WholeValue(double value) {
  if (!(value == value)) return 0;
  const double t = std::trunc(value);
  if (t >= static_cast<double>(std::numeric_limits<Integer>::max())) return std::numeric_limits<Integer>::max();
  if (t <= static_cast<double>(std::numeric_limits<Integer>::min())) return std::numeric_limits<Integer>::min();
  return static_cast<Integer>(t);
}

TDesignFont DesignFontOf(const TFont& font) {
  return {font.Name(), font.Size(), font.Color(), font.Style()};
}

void SetFont(TFont& font, const TDesignFont& design) {
  font.SetName(design.Name);
  font.SetSize(design.Size);
  font.SetColor(design.Color);
  font.SetStyle(design.Style);
}

}  // namespace

TNewsDesignForm::~TNewsDesignForm() {
  TearDownForm(*this);
  if (NewsDesignForm == this) NewsDesignForm = nullptr;
}

void TNewsDesignForm::Font1BtnClick(TObject*) { FontDialog1->Execute(); }

void TNewsDesignForm::Font2BtnClick(TObject*) { FontDialog2->Execute(); }

TNewsletterFrame TNewsDesignForm::Frame() const {
  TNewsletterFrame frame;
  frame.MailBackground = VorelColorComboBox1->ColorValue();
  frame.CaptionBackground = VorelColorComboBox2->ColorValue();
  frame.BottomCaptionBackground = VorelColorComboBox3->ColorValue();
  frame.Border = VorelColorComboBox4->ColorValue();
  frame.Width = WholeValue(BreitEd->Value());
  frame.MinHeight = WholeValue(MinHEd->Value());
  frame.Caption = UeberSchriftEd->GetText();
  frame.BottomCaption = UnterSchriftEd->GetText();
  frame.CaptionFont = DesignFontOf(*FontDialog1->Font());
  frame.BottomCaptionFont = DesignFontOf(*FontDialog2->Font());
  return frame;
}

void TNewsDesignForm::SetFrame(const TNewsletterFrame& frame) {
  VorelColorComboBox1->SetColorValue(frame.MailBackground);
  VorelColorComboBox2->SetColorValue(frame.CaptionBackground);
  VorelColorComboBox3->SetColorValue(frame.BottomCaptionBackground);
  VorelColorComboBox4->SetColorValue(frame.Border);
  BreitEd->SetValue(frame.Width);
  MinHEd->SetValue(frame.MinHeight);
  UeberSchriftEd->SetText(frame.Caption);
  UnterSchriftEd->SetText(frame.BottomCaption);
  SetFont(*FontDialog1->Font(), frame.CaptionFont);
  SetFont(*FontDialog2->Font(), frame.BottomCaptionFont);
}

TNewsletterFrame NewsletterFrame() {
  return NewsDesignForm != nullptr ? NewsDesignForm->Frame() : TNewsletterFrame{};
}

void RegisterNewsDesignFormClass() {
  using F = TNewsDesignForm;
  RegisterClassType<F, TForm>("TNewsDesignForm")
      .Field("VorelColorComboBox1", &F::VorelColorComboBox1)
      .Field("VorelColorComboBox2", &F::VorelColorComboBox2)
      .Field("VorelColorComboBox3", &F::VorelColorComboBox3)
      .Field("VorelColorComboBox4", &F::VorelColorComboBox4)
      .Field("BreitEd", &F::BreitEd)
      .Field("MinHEd", &F::MinHEd)
      .Field("UeberSchriftEd", &F::UeberSchriftEd)
      .Field("UnterSchriftEd", &F::UnterSchriftEd)
      .Field("Font1Btn", &F::Font1Btn)
      .Field("Font2Btn", &F::Font2Btn)
      .Field("OKBtn", &F::OKBtn)
      .Field("FontDialog1", &F::FontDialog1)
      .Field("FontDialog2", &F::FontDialog2)
      .Method("Font1BtnClick", &F::Font1BtnClick)
      .Method("Font2BtnClick", &F::Font2BtnClick);
}

}  // namespace orv
