// The bit button: a push button of a kind (OK, Cancel, Yes, ...) that presets its caption and
// modal result, with a glyph picture kept for it.
#pragma once
#include "platform/forms/StdCtrls.h"
#include "platform/graphics/Graphics.h"

namespace orv {

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;
  TBitBtnKind Kind() const { return FKind; }
  // A kind other than bkCustom sets the caption (when none was given), the modal result, and
  // Default (bkOK, bkYes) or Cancel (bkCancel, bkNo).
  void SetKind(TBitBtnKind kind);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* glyph);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout layout) { FLayout = layout; }
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer value) { FMargin = value; }
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer value) { FSpacing = value; }
  Integer NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer value) { FNumGlyphs = value; }
  void Click() override;

 protected:
  void InitWidget() override;
  void UpdateGlyph();

  TBitBtnKind FKind = bkCustom;
  std::unique_ptr<TBitmap> FGlyph;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1;
  Integer FSpacing = 4;
  Integer FNumGlyphs = 1;
};

}  // namespace orv
