// The colour picker combo box: the sixteen standard colours and "More..." (the colour dialog),
// each entry drawn as a swatch and the colour's name in English, German or French; the chosen
// colour is kept as a colour value and as an HTML colour text.
#pragma once
#include "platform/forms/Dialogs.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

enum TCLanguage { lgEnglish, lgDeutsch, lgFrensh };

// "#" and the red, green and blue bytes of a colour as two upper-case hexadecimal digits each (a
// system colour by its colour on the screen).
AnsiString ColorToHTML(TColor color);

// An owner-drawn pick list of 17 entries. Entry i's item text is the colour-to-text form of its
// colour ("clBlack", ...); entry 16, "More...", holds the text of the last colour that is none of
// the sixteen and always shows ColorValue as its swatch. The list is complete from creation on, so
// colours may be set before the control has a window.
class TVorelColorComboBox : public TComboBox {
 public:
  static constexpr Integer MoreIndex = 16;
  static constexpr Integer EntryCount = 17;

  explicit TVorelColorComboBox(TComponent* owner);
  ~TVorelColorComboBox() override;

  TCLanguage Language() const { return FLanguage; }
  // Shows the current entry again in the new language.
  void SetLanguage(TCLanguage value);
  TColor ColorValue() const { return FColorValue; }
  // Selects the entry whose text is the colour's (the last of the sixteen that matches), else puts
  // the colour into entry 16 and selects it; then sets HTMLcolor. Fires no OnChange. A failure
  // keeps the previous colour, silently.
  void SetColorValue(TColor value);
  const AnsiString& HTMLcolor() const { return FHTMLcolor; }
  // Takes "#RRGGBB" or the short form "#RGB" (each digit doubled), in either case, and the empty
  // text as "#000000"; sets ColorValue from it and keeps the text in upper case as "#RRGGBB".
  // Anything else changes nothing, silently.
  void SetHTMLcolor(const AnsiString& text);
  // The colour dialog while "More..." is being answered, else nullptr.
  TColorDialog* ColorDlg() const { return FColorDlg; }

  // The colour of entry 0..15 and the name an entry shows in a language.
  static TColor EntryColor(Integer index);
  static AnsiString EntryName(Integer index, TCLanguage language);

 protected:
  // Swatch at the item's left (its right edge fixed at x = 24), the name beside it.
  void DrawItem(Integer index, const TRect& rect, TOwnerDrawState state) override;
  // A pick from the list: entry 16 asks the colour dialog, the others take their colour; then
  // OnChange fires.
  void Change() override;
  void Loaded() override;

 private:
  bool ListIsComplete() const;
  void FillList();

  TCLanguage FLanguage = lgEnglish;
  TColor FColorValue = clBlack;
  AnsiString FHTMLcolor = "#000000";
  TColorDialog* FColorDlg = nullptr;  // owned by the control while it is open
};

}  // namespace orv
