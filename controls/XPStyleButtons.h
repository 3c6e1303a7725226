// The XP-style bitmap button: an owner-drawn push button with a glyph and the standard kinds
// (OK, Cancel, Yes, ...), drawn with the desktop's visual style where the theme library offers one
// and with the classic 3-D frame otherwise (always, on this platform).
#pragma once
#include <functional>
#include <memory>
#include "controls/GlyphCache.h"
#include "controls/UxTheme.h"
#include "platform/forms/Buttons.h"

namespace orv {

// The kinds are those of the class library's bit button.
using TBitBtnXPKind = TBitBtnKind;
// Button states as the glyph keeps an image for each.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// The glyph of one button: a strip of NumGlyphs images (up, disabled, down, exclusive) turned into
// one image per state, kept in the image lists shared by all XP-style buttons, and laid out with
// the caption inside the button.
class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // The source strip; valid as long as the glyph. Changing it drops the state images.
  TBitmap* Glyph() const { return FOriginal.get(); }
  // Copies bitmap (nullptr empties the glyph); a strip whose width is a multiple of its height
  // sets NumGlyphs to the number of images in it (1 when that is above 4).
  void SetGlyph(TBitmap* bitmap);
  Integer NumGlyphs() const { return FNumGlyphs; }
  // Takes values 1 to 4; another value changes nothing.
  void SetNumGlyphs(Integer value);
  TColor TransparentColor() const { return FTransparentColor; }

  // The image of a state in the glyph list (made on first use), or -1 for an empty glyph.
  Integer MakeStateImage(TButtonState state);
  // The slot of a state, -1 while not made.
  Integer StateIndex(TButtonState state) const { return FIndexes[state]; }
  // The list the state images live in (nullptr until the first one is made); valid while any of
  // them is made.
  TGlyphList* GlyphList() const { return FGlyphList; }
  // Frees every state image.
  void Invalidate();

  // Lays out glyph and caption inside client, draws both, and returns the caption's rectangle.
  TRect PaintGlyphAndText(TCanvas& canvas, const TRect& client, const AnsiString& caption,
                          TButtonLayout layout, Integer margin, Integer spacing,
                          TButtonState state, UINT biDiFlags);
  // The layout step alone: where glyph and caption go.
  void CalcLayout(TCanvas& canvas, const TRect& client, const AnsiString& caption,
                  TButtonLayout layout, Integer margin, Integer spacing, TPoint& glyphPos,
                  TRect& textBounds, UINT biDiFlags);

  // Runs when the glyph changes (the button repaints).
  std::function<void()> OnChange;

  // The shared cache of every XP-style button glyph (nullptr while no glyph exists).
  static TGlyphCache* Cache();

 private:
  void GlyphChanged();
  void DrawGlyph(TCanvas& canvas, const TPoint& pos, TButtonState state);
  void DrawCaption(TCanvas& canvas, const AnsiString& caption, TRect textBounds,
                   TButtonState state, UINT biDiFlags);

  std::unique_ptr<TBitmap> FOriginal;
  TGlyphList* FGlyphList = nullptr;
  Integer FIndexes[4] = {-1, -1, -1, -1};
  TColor FTransparentColor = clOlive;
  Integer FNumGlyphs = 1;
};

class TBitBtnXP : public TButton {
 public:
  explicit TBitBtnXP(TComponent* owner);
  ~TBitBtnXP() override;

  TBitmap* Glyph() const { return FGlyph->Glyph(); }
  // Copies the bitmap; the kind then reads as bkCustom.
  void SetGlyph(TBitmap* value);
  // A kind reads as bkCustom once Default, Cancel, ModalResult or the glyph no longer match it.
  TBitBtnXPKind Kind() const;
  // A standard kind sets Default, Cancel, the caption (kept while the window description is read
  // when one was given), ModalResult and the kind's two-image glyph.
  void SetKind(TBitBtnXPKind value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  // -1 centres glyph and caption; values below -1 are ignored.
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer value);
  // -1 spreads the free space evenly.
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer value);
  Integer NumGlyphs() const { return FGlyph->NumGlyphs(); }
  // Values above 4 become 4.
  void SetNumGlyphs(Integer value);
  // Kept and stored; the drawing does not depend on it.
  TButtonStyle Style() const { return FStyle; }
  void SetStyle(TButtonStyle value);

  // bkHelp shows the help context of the nearest control that has one; bkClose closes the form;
  // the others click as a push button does (OnClick, then the modal result to the form).
  void Click() override;
  // An action's image fills an empty glyph.
  void ActionChange(TObject* sender, bool checkDefaults) override;

  TButtonGlyph& ButtonGlyph() const { return *FGlyph; }
  // The theme handle opened at creation (nullptr when themes were off).
  HTHEME Theme() const { return FTheme; }
  // The button shows itself as the focused default button.
  bool IsFocused() const { return FIsFocused; }

  // Stored-property tests of the window description.
  bool IsCustom() const { return Kind() == bkCustom; }
  bool IsCustomCaption() const;

  // The caption, modal result and glyph of a kind.
  static AnsiString KindCaption(TBitBtnXPKind kind);
  static TModalResult KindModalResult(TBitBtnXPKind kind);
  // The kind's two-image glyph (nullptr for bkCustom); made on first use and kept until
  // FreeKindGlyphs.
  static TBitmap* KindGlyph(TBitBtnXPKind kind);
  static void FreeKindGlyphs();

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void InitWidget() override;
  void PaintWindow(QPainter& painter) override;
  void MessageHandler(TMessage& message) override;
  void ApplyButtonStyle(bool isDefault) override;
  void FontChanged() override;
  void EnabledChanged() override;
  void PaintButtonFace(const DRAWITEMSTRUCT& item);

 private:
  UINT DrawTextBiDiFlags() const;

  HTHEME FTheme = nullptr;
  std::unique_ptr<TCanvas> FCanvas;
  std::unique_ptr<TButtonGlyph> FGlyph;
  TButtonStyle FStyle = bsAutoDetect;
  mutable TBitBtnXPKind FKind = bkCustom;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FSpacing = 4;
  Integer FMargin = -1;
  bool FIsFocused = false;
  bool FModifiedGlyph = false;
};

// The end of the program for the XP-style buttons: frees the kinds' glyphs and lets the theme
// library go.
void FinalizeXPStyleButtons();

}  // namespace orv
