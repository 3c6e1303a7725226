// The image button's pictures and the mouse.
#include "controls/ImageBtnUnit.h"

namespace orv {

TImageBtn::TImageBtn(TComponent* owner)
    : TImage(owner), FPicture2(std::make_unique<TPicture>()), FSavedPicture(std::make_unique<TPicture>()) {
  SetAutoSize(true);
}

TImageBtn::~TImageBtn() = default;

void TImageBtn::SetPicture2(TPicture* value) {
  if (value == nullptr) FPicture2->SetGraphic(static_cast<const TGraphic*>(nullptr));
  else FPicture2->Assign(value);
}

void TImageBtn::ShowDownPicture() {
  if (FDownShown) return;
  FDownShown = true;
  FSavedPicture->Assign(FPicture.get());
  FPicture->Assign(FPicture2.get());
}

void TImageBtn::RestoreUpPicture() {
  if (!FDownShown) return;
  FPicture->Assign(FSavedPicture.get());
  FDownShown = false;
}

void TImageBtn::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  ShowDownPicture();
  FMouseHeld = true;
  TImage::MouseDown(button, shift, x, y);
}

void TImageBtn::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  RestoreUpPicture();
  FMouseHeld = false;
  TImage::MouseUp(button, shift, x, y);
}

void TImageBtn::MouseMove(TShiftState shift, Integer x, Integer y) {
  if (FMouseHeld) {
    if (x < 0 || x >= FWidth || y < 0 || y >= FHeight) RestoreUpPicture();
    else ShowDownPicture();
  }
  TImage::MouseMove(shift, x, y);
}

void TImageBtn::Click() {
  RestoreUpPicture();
  TImage::Click();
}

}  // namespace orv
