// The speed button: a window-less push button that paints its glyph and caption off-screen and
// copies them to its parent; it can stay down within a group, repeat its click while held, drop
// down a popup menu, look flat until the mouse is over it and show its parent through it.
#pragma once
#include <memory>
#include "controls/GlyphCache.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Menus.h"

namespace orv {

// The states a speed button is drawn in; inactive is a flat button without the mouse over it.
enum TOrvButtonState { obsUp, obsDisabled, obsDown, obsExclusive, obsInactive };
enum TOrvDropDownMenuPos { dmpBottom, dmpRight };

// One glyph strip of up to five images (up, disabled, down, exclusive, inactive) turned into one
// image per state, kept in the image lists shared by every speed button.
class TOrvButtonGlyph {
 public:
  TOrvButtonGlyph();
  ~TOrvButtonGlyph();
  TOrvButtonGlyph(const TOrvButtonGlyph&) = delete;
  TOrvButtonGlyph& operator=(const TOrvButtonGlyph&) = delete;

  // The source strip; valid as long as the glyph object. Any change drops the state images.
  TBitmap* Glyph() const { return FOriginal.get(); }
  // Copies bitmap (nullptr empties the glyph).
  void SetGlyph(TBitmap* bitmap);
  Integer NumGlyphs() const { return FNumGlyphs; }
  // 1 to 5 (values above 5 become 5); a change drops the state images.
  void SetNumGlyphs(Integer value);
  TColor TransparentColor() const { return FTransparentColor; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);

  // The image of a state (made on first use), or -1 for an empty glyph.
  Integer MakeStateImage(TOrvButtonState state);
  Integer StateIndex(TOrvButtonState state) const { return FIndexes[state]; }
  TGlyphList* GlyphList() const { return FGlyphList; }
  // Frees every state image (system colours changed, the strip changed).
  void DropStateImages();
  // An action's image list and image, drawn in place of the strip (nullptr: the strip).
  void SetActionImage(TCustomImageList* images, Integer index);
  TCustomImageList* ActionImageList() const { return FActionImages; }

  // Where glyph and caption go inside client (the caption shortened to fit); returns the caption
  // as it is drawn.
  AnsiString LayoutButtonContent(TCanvas& canvas, const TRect& client, const AnsiString& caption,
                                 TButtonLayout layout, Integer margin, Integer spacing, bool drawMark,
                                 TPoint& glyphPos, TRect& textBounds, UINT biDiFlags);
  // Lays out and draws glyph, caption and (with drawMark) the drop-down mark; returns the
  // caption's rectangle.
  TRect Draw(TCanvas& canvas, const TRect& client, const AnsiString& caption, TButtonLayout layout,
             Integer margin, Integer spacing, bool drawMark, TOrvButtonState state, UINT biDiFlags);

  // Runs when the glyph changes (the button repaints).
  std::function<void()> OnChange;

  // The shared cache of every speed button glyph (nullptr while no glyph object exists).
  static TGlyphCache* Cache();

 private:
  void GlyphChanged();

  void DrawActionImage(TCanvas& canvas, const TPoint& pos, TOrvButtonState state);

  std::unique_ptr<TBitmap> FOriginal;
  TGlyphList* FGlyphList = nullptr;
  TCustomImageList* FActionImages = nullptr;
  Integer FActionImageIndex = -1;
  Integer FIndexes[5] = {-1, -1, -1, -1, -1};
  TColor FTransparentColor = clFuchsia;
  TAlignment FAlignment = taCenter;
  Integer FNumGlyphs = 1;
  bool FWordWrap = false;
};

// The downward triangle that marks a button with a drop-down menu, with its top row at y - 1.
void DrawDropDownMark(TCanvas& canvas, Integer x, Integer y, bool enabled);

class TOrvSpeedButton : public TGraphicControl {
 public:
  explicit TOrvSpeedButton(TComponent* owner);
  ~TOrvSpeedButton() override;

  TAlignment Alignment() const { return FGlyph->Alignment(); }
  void SetAlignment(TAlignment value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool AllowTimer() const { return FAllowTimer; }
  void SetAllowTimer(bool value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer value);
  bool Down() const { return FDown; }
  // Outside a group the button never stays down; a down button of a group that does not allow
  // all up stays down.
  void SetDown(bool value);
  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* value);
  TOrvDropDownMenuPos MenuPosition() const { return FMenuPosition; }
  void SetMenuPosition(TOrvDropDownMenuPos value) { FMenuPosition = value; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  TBitmap* Glyph() const { return FGlyph->Glyph(); }
  void SetGlyph(TBitmap* value);
  bool GrayedInactive() const { return FGrayedInactive; }
  void SetGrayedInactive(bool value);
  Word InitPause() const { return FInitPause; }
  void SetInitPause(Word value) { FInitPause = value; }
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  Integer Margin() const { return FMargin; }
  // Values below -1 are ignored.
  void SetMargin(Integer value);
  bool MarkDropDown() const { return FMarkDropDown; }
  void SetMarkDropDown(bool value);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  Integer NumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(Integer value);
  Word RepeatInterval() const { return FRepeatInterval; }
  void SetRepeatInterval(Word value) { FRepeatInterval = value; }
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer value);
  TButtonStyle Style() const { return FStyle; }
  void SetStyle(TButtonStyle value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool WordWrap() const { return FGlyph->WordWrap(); }
  void SetWordWrap(bool value);

  // The parent form's modal result becomes ModalResult, then OnClick.
  void Click() override;
  // A checked action puts a grouped button down; the action's image fills an empty glyph.
  void ActionChange(TObject* sender, bool checkDefaults) override;
  TControlActionLinkClass GetActionLinkClass() const override;

  TOrvButtonState State() const { return FState; }
  bool MouseInControl() const { return FMouseInControl; }
  TOrvButtonGlyph& ButtonGlyph() const { return *FGlyph; }
  // The repeat timer (nullptr before AllowTimer's first press); valid as long as the button.
  TTimer* RepeatTimer() const { return FRepeatTimer; }

 protected:
  void Paint() override;
  // Draws glyph, caption and mark into rect on canvas.
  virtual void PaintButtonContent(TCanvas& canvas, const TRect& rect, bool drawMark,
                                  TOrvButtonState drawState);
  // Draws the 3-D frame and returns the rectangle inside it.
  TRect PaintButtonFrame(TCanvas& canvas, TRect rect, bool down) const;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void DblClick() override;
  void MessageHandler(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void EnabledChanged() override;
  // Shown under the mouse, the button is entered at once.
  void VisibleChanged() override;
  void TextChanged() override { Invalidate(); }
  void FontChanged() override;
  void Loaded() override;
  void RepeatTick(TObject* sender);
  // The action's image list drawn in place of an empty glyph or of the glyph copied from it, as
  // the action has it now.
  void FollowActionImage();
  void UpdateMouseTracking();
  void MouseEnter();
  void MouseLeave();

 private:
  bool IsNewStyle() const;
  void TellGroup();
  void ButtonPressed(TOrvSpeedButton* sender);
  TPoint MenuPoint() const;
  void DropDown();
  UINT ReadingFlags() const;

  TOrvButtonState FState = obsUp;
  std::unique_ptr<TBitmap> FOffscreen;
  std::unique_ptr<TOrvButtonGlyph> FGlyph;
  bool FDragging = false;
  bool FMouseInControl = false;
  bool FMenuTracking = false;
  // The glyph is the copy of the action's image made when the glyph was empty.
  bool FGlyphFromAction = false;
  TTimer* FRepeatTimer = nullptr;  // owned by the button
  bool FAllowAllUp = false;
  bool FAllowTimer = false;
  Integer FGroupIndex = 0;
  bool FDown = false;
  TPopupMenu* FDropDownMenu = nullptr;
  TOrvDropDownMenuPos FMenuPosition = dmpBottom;
  bool FFlat = false;
  bool FGrayedInactive = true;
  Word FInitPause = 500;
  TButtonLayout FLayout = blGlyphTop;
  Integer FMargin = -1;
  bool FMarkDropDown = true;
  TModalResult FModalResult = mrNone;
  Word FRepeatInterval = 100;
  Integer FSpacing = 1;
  TButtonStyle FStyle = bsAutoDetect;
  bool FTransparent = false;
};

}  // namespace orv
