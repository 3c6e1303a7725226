// The extended controls' classes and published properties in the property registry.
#include "controls/ExtendedControls.h"

#include "controls/FilenameEdit.h"
#include "controls/ImageBtnUnit.h"
#include "controls/OrvLabel.h"
#include "controls/OrvSpeedButton.h"
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
      .Prop("AutoSize", &S::AutoSize, &S::SetAutoSize).Default(true)
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

void RegisterSpeedButton() {
  RegisterEnum<TOrvDropDownMenuPos>("TOrvDropDownMenuPos", {"dmpBottom", "dmpRight"});
  using B = TOrvSpeedButton;
  RegisterClassType<B, TGraphicControl>("TOrvSpeedButton")
      .Prop("Alignment", &B::Alignment, &B::SetAlignment).Default(taCenter)
      .Prop("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp).Default(false)
      .Prop("AllowTimer", &B::AllowTimer, &B::SetAllowTimer).Default(false)
      .Prop("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).Default(0)
      .Prop("Down", &B::Down, &B::SetDown).Default(false)
      .Prop("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu)
      .Prop("MenuPosition", &B::MenuPosition, &B::SetMenuPosition).Default(dmpBottom)
      .Prop("Flat", &B::Flat, &B::SetFlat).Default(false)
      .Prop("Glyph", &B::Glyph, &B::SetGlyph)
      .Prop("GrayedInactive", &B::GrayedInactive, &B::SetGrayedInactive).Default(true)
      .Prop("InitPause", &B::InitPause, &B::SetInitPause).Default(Word{500})
      .Prop("Layout", &B::Layout, &B::SetLayout).Default(blGlyphTop)
      .Prop("Margin", &B::Margin, &B::SetMargin).Default(-1)
      .Prop("MarkDropDown", &B::MarkDropDown, &B::SetMarkDropDown).Default(true)
      .Prop("ModalResult", &B::ModalResult, &B::SetModalResult).Default(0)
      .Prop("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs).Default(1)
      .Prop("RepeatInterval", &B::RepeatInterval, &B::SetRepeatInterval).Default(Word{100})
      .Prop("ShowHint", &B::ShowHint, &B::SetShowHint).Default(true)
      .Prop("Spacing", &B::Spacing, &B::SetSpacing).Default(1)
      .Prop("Style", &B::Style, &B::SetStyle).Default(bsAutoDetect)
      .Prop("Transparent", &B::Transparent, &B::SetTransparent).Default(false)
      .Prop("WordWrap", &B::WordWrap, &B::SetWordWrap).Default(false);
}

void RegisterShadowLabel() {
  RegisterEnum<TShadowPosition>("TShadowPosition", {"spLeftTop", "spLeftBottom", "spRightBottom", "spRightTop"});
  using L = TOrvCustomLabel;
  RegisterClassType<L, TGraphicControl>("TOrvCustomLabel")
      .Prop("Alignment", &L::Alignment, &L::SetAlignment).Default(taLeftJustify)
      .Prop("AutoSize", &L::AutoSize, &L::SetAutoSize).Default(true)
      .Prop("Layout", &L::Layout, &L::SetLayout).Default(tlTop)
      .Prop("ShadowColor", &L::ShadowColor, &L::SetShadowColor).Idents(ColorIdents()).Default(clBtnHighlight)
      .Prop("ShadowSize", &L::ShadowSize, &L::SetShadowSize).Default(Byte{1})
      .Prop("ShadowPos", &L::ShadowPos, &L::SetShadowPos).Default(spLeftTop)
      .Prop("ShowAccelChar", &L::ShowAccelChar, &L::SetShowAccelChar).Default(true)
      .Prop("ShowFocus", &L::ShowFocus, &L::SetShowFocus).Default(false)
      .Prop("Transparent", &L::Transparent, &L::SetTransparent).Default(false)
      .Prop("WordWrap", &L::WordWrap, &L::SetWordWrap).Default(false)
      .Prop("FocusControl", &L::FocusControl, &L::SetFocusControl);
  RegisterClassType<TOrvLabel, TOrvCustomLabel>("TOrvLabel");
}

void RegisterFilenameEdit() {
  RegisterEnum<TGlyphKind>("TGlyphKind", {"gkCustom", "gkDefault", "gkDropDown", "gkEllipsis"});
  RegisterEnum<TFileDialogKind>("TFileDialogKind", {"dkOpen", "dkSave", "dkOpenPicture", "dkSavePicture"});
  using E = TFilenameEdit;
  RegisterClassType<E, TCustomMaskEdit>("TFilenameEdit")
      .Prop("Alignment", &E::Alignment, &E::SetAlignment).Default(taLeftJustify)
      .Prop("AcceptFiles", &E::AcceptFiles, &E::SetAcceptFiles).Default(false)
      .Prop("DialogKind", &E::DialogKind, &E::SetDialogKind).Default(dkOpen)
      .Prop("DefaultExt", &E::DefaultExt, &E::SetDefaultExt)
      .Prop("FileEditStyle", &E::FileEditStyle, &E::SetFileEditStyle).Default(fsEdit)
      .Prop("FileName", &E::GetFileName, &E::SetFileName).Stored(false)
      .Prop("Filter", &E::Filter, &E::SetFilter).Stored(&E::IsFilterStored)
      .Prop("FilterIndex", &E::FilterIndex, &E::SetFilterIndex).Default(1)
      .Prop("InitialDir", &E::InitialDir, &E::SetInitialDir)
      .Prop("HistoryList", &E::HistoryList, nullptr)
      .Prop("DialogOptions", &E::DialogOptions, &E::SetDialogOptions).Default(TOpenOptions{ofHideReadOnly})
      .Prop("DialogTitle", &E::DialogTitle, &E::SetDialogTitle).Stored(&E::IsDialogTitleStored)
      .Prop("ButtonHint", &E::ButtonHint, &E::SetButtonHint)
      .Prop("ClickKey", &E::ClickKey, &E::SetClickKey).Default(Word{VK_DOWN | scAlt})
      .Prop("DirectInput", &E::DirectInput, &E::SetDirectInput).Default(true)
      .Prop("GlyphKind", &E::GlyphKind, &E::SetGlyphKind).Default(gkDefault)
      .Prop("Glyph", &E::Glyph, &E::SetGlyph).Stored(&E::IsGlyphStored)
      .Prop("ButtonWidth", &E::ButtonWidth, &E::SetButtonWidth).Stored(&E::IsButtonWidthStored)
      .Prop("NumGlyphs", &E::NumGlyphs, &E::SetNumGlyphs)
      .Prop("ReadOnly", &E::ComboReadOnly, &E::SetReadOnly).Default(false)
      .Prop("HideSelection", &E::HideSelection, &E::SetHideSelection).Default(true)
      .Prop("OnButtonClick", &E::OnButtonClick, &E::OnButtonClick)
      .Prop("OnBeforeDialog", &E::OnBeforeDialog, &E::OnBeforeDialog)
      .Prop("OnAfterDialog", &E::OnAfterDialog, &E::OnAfterDialog)
      .Prop("OnDropFiles", &E::OnDropFiles, &E::OnDropFiles);
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
  RegisterSpeedButton();
  RegisterShadowLabel();
  RegisterFilenameEdit();
}

}  // namespace orv
