// An action's image taken out of its list into a bitmap.
#include "controls/ActionImages.h"

namespace orv {

TCustomImageList* ActionImages(TObject* action) {
  auto* custom = dynamic_cast<TCustomAction*>(action);
  if (custom == nullptr || custom->ActionList() == nullptr) return nullptr;
  TCustomImageList* images = custom->ActionList()->Images();
  if (images == nullptr) return nullptr;
  const Integer index = custom->ImageIndex();
  return index >= 0 && index < images->Count() ? images : nullptr;
}

std::unique_ptr<TBitmap> ActionImageBitmap(TObject* action) {
  TCustomImageList* images = ActionImages(action);
  if (images == nullptr) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(images->Width(), images->Height());
  TCanvas* canvas = bitmap->Canvas();
  canvas->Brush()->SetColor(clFuchsia);
  canvas->FillRect(Rect(0, 0, images->Width(), images->Height()));
  images->Draw(canvas, 0, 0, static_cast<TCustomAction*>(action)->ImageIndex(), true);
  bitmap->SetTransparentColor(clFuchsia);
  return bitmap;
}

}  // namespace orv
