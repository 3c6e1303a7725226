// The extended controls' classes and published properties in the property registry.
#include "controls/ExtendedControls.h"

#include "controls/ImageBtnUnit.h"
#include "controls/OrvSpin.h"
#include "controls/VorelColorComboBox.h"
#include "controls/XPStyleButtons.h"

namespace orv {
namespace {

void RegisterSpinEdit() {
  RegisterEnum<OrvSpin::TValueType>("TValueType", {"vtInteger", "vtFloat", "vtHex"});
  RegisterEnum<TSpinButtonKind>("TSpinButtonKind", {"bkStandard", "bkDiagonal"});

  RegisterClassType<TOrvSpinButton, TGraphicControl>("TOrvSpinButton")
      .Prop("DownGlyph", &TOrvSpinButton::DownGlyph, &TOrvSpinButton::SetDownGlyph).Stored(false)
      .Prop("FocusControl", &TOrvSpinButton::FocusControl, &TOrvSpinButton::SetFocusControl)
      .Prop("UpGlyph", &TOrvSpinButton::UpGlyph, &TOrvSpinButton::SetUpGlyph).Stored(false)
      .Prop("OnBottomClick", &TOrvSpinButton::OnBottomClick, &TOrvSpinButton::OnBottomClick)
      .Prop("OnTopClick", &TOrvSpinButton::OnTopClick, &TOrvSpinButton::OnTopClick);

  RegisterClassType<TOrvUpDown, TUpDown>("TOrvUpDown");

  using S = TOrvSpinEdit;
  RegisterClassType<S, TCustomEdit>("TOrvSpinEdit")
      // Value carries the text.
      .Prop("Caption", &S::GetText, &S::SetText).Stored(false)
      .Prop("Text", &S::GetText, &S::SetText).Stored(false)
      .Prop("Alignment", &S::Alignment, &S::SetAlignment).Default(taLeftJustify)
      .Prop("ArrowKeys", &S::ArrowKeys, &S::SetArrowKeys).Default(true)
      .Prop("ButtonKind", &S::ButtonKind, &S::SetButtonKind).Default(bkDiagonal)
      .Prop("Decimal", &S::Decimal, &S::SetDecimal).Default(Byte{2})
      .Prop("EditorEnabled", &S::EditorEnabled, &S::SetEditorEnabled).Default(true)
      .Prop("Increment", &S::Increment, &S::SetIncrement).Stored(&S::IsIncrementStored)
      .Prop("MaxValue", &S::MaxValue, &S::SetMaxValue).Stored(&S::IsMaxValueStored)
      .Prop("MinValue", &S::MinValue, &S::SetMinValue).Stored(&S::IsMinValueStored)
      .Prop("ValueType", &S::ValueType, &S::SetValueType).Default(vtInteger)
      .Prop("Value", &S::GetValue, &S::SetValue).Stored(&S::IsValueStored)
      .Prop("OnBottomClick", &S::OnBottomClick, &S::OnBottomClick)
      .Prop("OnTopClick", &S::OnTopClick, &S::OnTopClick);
}

void RegisterColorComboBox() {
  RegisterEnum<TCLanguage>("TCLanguage", {"lgEnglish", "lgDeutsch", "lgFrensh"});
  using C = TVorelColorComboBox;
  RegisterClassType<C, TComboBox>("TVorelColorComboBox")
      // The list, the choice and the style are the control's own; ColorValue carries the choice.
      .Prop("Caption", &C::GetText, &C::SetText).Stored(false)
      .Prop("ItemIndex", &C::ItemIndex, &C::SetItemIndex).Stored(false)
      .Prop("Items", &C::ItemsProp, nullptr).Stored(false)
      .Prop("Style", &C::Style, &C::SetStyle).Default(csOwnerDrawFixed)
      .Prop("Text", &C::GetText, &C::SetText).Stored(false)
      .Prop("Language", &C::Language, &C::SetLanguage).Default(lgEnglish)
      .Prop("ColorValue", &C::ColorValue, &C::SetColorValue).Idents(ColorIdents())
      .Prop("HTMLcolor", &C::HTMLcolor, &C::SetHTMLcolor);
}

void RegisterXPStyleButton() {
  using B = TBitBtnXP;
  RegisterClassType<B, TButton>("TBitBtnXP")
      // A standard kind carries its caption, results and glyph, so only a custom button keeps them.
      .Prop("Caption", &B::GetText, &B::SetText).Stored(&B::IsCustomCaption)
      .Prop("Cancel", &B::Cancel, &B::SetCancel).Default(false).Stored(&B::IsCustom)
      .Prop("Default", &B::Default, &B::SetDefault).Default(false).Stored(&B::IsCustom)
      .Prop("ModalResult", &B::ModalResult, &B::SetModalResult).Default(0).Stored(&B::IsCustom)
      .Prop("Glyph", &B::Glyph, &B::SetGlyph).Stored(&B::IsCustom)
      .Prop("Kind", &B::Kind, &B::SetKind).Default(bkCustom)
      .Prop("Layout", &B::Layout, &B::SetLayout).Default(blGlyphLeft)
      .Prop("Margin", &B::Margin, &B::SetMargin).Default(-1)
      .Prop("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs).Default(1).Stored(&B::IsCustom)
      .Prop("Spacing", &B::Spacing, &B::SetSpacing).Default(4)
      .Prop("Style", &B::Style, &B::SetStyle).Default(bsAutoDetect);
}

void RegisterImageButton() {
  RegisterClassType<TImageBtn, TImage>("TImageBtn")
      .Prop("Picture2", &TImageBtn::Picture2, &TImageBtn::SetPicture2);
}

}  // namespace

void RegisterExtendedControls() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterFormsClasses();
  RegisterSpinEdit();
  RegisterColorComboBox();
  RegisterXPStyleButton();
  RegisterImageButton();
}

}  // namespace orv
