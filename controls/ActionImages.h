// The image an action shows from its list's images, as a glyph bitmap for a button whose glyph is
// empty.
#pragma once
#include <memory>
#include "platform/forms/ActnList.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"

namespace orv {

// The images of the action's list when the action's image index lies within them, else nullptr.
TCustomImageList* ActionImages(TObject* action);
// The action's image on a clFuchsia ground, as large as the list's images (clFuchsia its
// transparent colour); nullptr when the action shows no image.
std::unique_ptr<TBitmap> ActionImageBitmap(TObject* action);

}  // namespace orv
