// Measuring wide text on a canvas, wide on every platform.
#pragma once
#include "platform/graphics/Graphics.h"

namespace orv {

// Makes the canvas's device context and font valid and measures the text with
// GetTextExtentPoint32W; an empty text measures (0, height of the font) as the system gives it.
TSize WideCanvasTextExtent(TCanvas& canvas, const WideString& text);
int WideCanvasTextWidth(TCanvas& canvas, const WideString& text);
int WideCanvasTextHeight(TCanvas& canvas, const WideString& text);

}  // namespace orv
