// The newsletter designer: colours, fonts, size and captions of the newsletter frame of a design.
#pragma once
#include "app/DesignHtml.h"
#include "controls/OrvSpin.h"
#include "controls/VorelColorComboBox.h"
#include "controls/XPStyleButtons.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

// Lives as long as the application; the mail editor shows it modally, and its controls hold the
// settings of the mail last opened (a new mail keeps them).
class TNewsDesignForm : public TForm {
 public:
  explicit TNewsDesignForm(TComponent* owner) : TForm(owner) {}
  ~TNewsDesignForm() override;

  // Controls, set from the window description. Each label names what its colour box colours.
  TVorelColorComboBox* VorelColorComboBox1 = nullptr;  // mail background
  TVorelColorComboBox* VorelColorComboBox2 = nullptr;  // caption background
  TVorelColorComboBox* VorelColorComboBox3 = nullptr;  // bottom caption background
  TVorelColorComboBox* VorelColorComboBox4 = nullptr;  // border
  TOrvSpinEdit* BreitEd = nullptr;
  TOrvSpinEdit* MinHEd = nullptr;
  TEdit* UeberSchriftEd = nullptr;
  TEdit* UnterSchriftEd = nullptr;
  TBitBtnXP* Font1Btn = nullptr;
  TBitBtnXP* Font2Btn = nullptr;
  TBitBtnXP* OKBtn = nullptr;
  TFontDialog* FontDialog1 = nullptr;  // caption font
  TFontDialog* FontDialog2 = nullptr;  // bottom caption font

  void Font1BtnClick(TObject* sender);
  void Font2BtnClick(TObject* sender);

  // The frame its controls describe (spin values with their fractions dropped), and setting them.
  TNewsletterFrame Frame() const;
  void SetFrame(const TNewsletterFrame& frame);
};

extern TNewsDesignForm* NewsDesignForm;

void RegisterNewsDesignFormClass();

// The frame of the designer window, or the designer's defaults when there is none.
TNewsletterFrame NewsletterFrame();

}  // namespace orv
