// Wide text extents on a canvas.
#include "widechar/UniGraphics.h"

#include "platform/graphics/Gdi.h"

namespace orv {

TSize WideCanvasTextExtent(TCanvas& canvas, const WideString& text) {
  HDC dc = canvas.Handle();
  TSize size;
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

int WideCanvasTextWidth(TCanvas& canvas, const WideString& text) { return WideCanvasTextExtent(canvas, text).cx; }
int WideCanvasTextHeight(TCanvas& canvas, const WideString& text) { return WideCanvasTextExtent(canvas, text).cy; }

}  // namespace orv
