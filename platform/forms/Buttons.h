// The bit button: a push button of a kind (OK, Cancel, Yes, ...) that presets its caption and
// modal result, with a glyph picture kept for it; and the speed button, a tool-bar button that
// never takes the focus and can stay down as a toggle within a group.
#pragma once
#include "platform/forms/StdCtrls.h"
#include "platform/graphics/Graphics.h"

namespace orv {

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The caption and modal result a button kind presets.
const char* BitBtnKindCaption(TBitBtnKind kind);
TModalResult BitBtnKindResult(TBitBtnKind kind);
// Which look a drawn button takes: the old flat-faced one (bsWin31), the 3-D one (bsNew), or the
// one the system's controls have (bsAutoDetect).
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

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

// A button of a group (GroupIndex > 0; the group is its parent's speed buttons of the same
// index) stays down when clicked and lets the group's other button up; with AllowAllUp a click on
// the down button lets it up. GroupIndex 0 is a plain push button that never stays down. Setting
// Down by code runs no OnClick.
class TSpeedButton : public TButtonControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value) { FAllowAllUp = value; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  void Click() override;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;
  void TextToWidget() override;
  void UpdateDown();
  // Lets the other down button of the group up.
  void ReleaseGroup();

  bool FDown = false;
  Integer FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FFlat = false;
};

}  // namespace orv
