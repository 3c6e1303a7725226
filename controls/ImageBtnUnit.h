// The image button: a picture that behaves as a button, showing a second picture while the mouse
// holds it down.
#pragma once
#include <memory>
#include "platform/forms/ExtCtrls.h"

namespace orv {

// Shows Picture; while a mouse button is held on it (and the mouse is over it) Picture2 takes its
// place, and the normal picture is back before OnClick runs. Sizes itself to the picture shown.
class TImageBtn : public TImage {
 public:
  explicit TImageBtn(TComponent* owner);
  ~TImageBtn() override;

  // The picture while held; valid as long as the button.
  TPicture* Picture2() const { return FPicture2.get(); }
  // Copies value into Picture2 (nullptr empties it); the caller keeps its own.
  void SetPicture2(TPicture* value);
  // Whether Picture2 is the one shown.
  bool DownShown() const { return FDownShown; }
  bool MouseHeld() const { return FMouseHeld; }

  void Click() override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  // Puts Picture2 in place, keeping the normal picture (once: a second call keeps the first copy).
  void ShowDownPicture();
  // Puts the kept normal picture back.
  void RestoreUpPicture();

 private:
  std::unique_ptr<TPicture> FPicture2;
  std::unique_ptr<TPicture> FSavedPicture;
  bool FMouseHeld = false;
  bool FDownShown = false;
};

}  // namespace orv
