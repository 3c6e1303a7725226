// The newsletter designer: colours, fonts, size and captions of the newsletter frame of a design.
#pragma once
#include "app/DesignHtml.h"
#include "platform/forms/Forms.h"

namespace orv {

// Lives as long as the application; the mail editor shows it modally.
class TNewsDesignForm : public TForm {
 public:
  explicit TNewsDesignForm(TComponent* owner) : TForm(owner) {}
  ~TNewsDesignForm() override;
  // The frame its controls describe.
  TNewsletterFrame Frame() const { return FFrame; }
  void SetFrame(const TNewsletterFrame& frame) { FFrame = frame; }

 private:
  TNewsletterFrame FFrame;
};

extern TNewsDesignForm* NewsDesignForm;

void RegisterNewsDesignFormClass();

// The frame of the designer window, or the designer's defaults when there is none.
TNewsletterFrame NewsletterFrame();

}  // namespace orv
