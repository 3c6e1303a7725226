// The forms layer's classes in the property registry, with the properties their descriptions set,
// so windows are built from descriptions by class name.
#include "platform/forms/ActnList.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/HintWindow.h"
#include "platform/forms/Mask.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"
#include "platform/forms/ToolBars.h"
#include "platform/forms/WebBrowser.h"
#include "platform/graphics/ImgList.h"

namespace orv {

const TIdentMap& ColorIdents() {
  static const TIdentMap idents = [] {
    TIdentMap map;
    static const char* const names[] = {
      "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray",
      "clSilver", "clRed", "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite",
      "clMoneyGreen", "clSkyBlue", "clCream", "clMedGray", "clNone", "clDefault",
      "clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption", "clMenu", "clWindow",
      "clWindowFrame", "clMenuText", "clWindowText", "clCaptionText", "clActiveBorder",
      "clInactiveBorder", "clAppWorkSpace", "clHighlight", "clHighlightText", "clBtnFace",
      "clBtnShadow", "clGrayText", "clBtnText", "clInactiveCaptionText", "clBtnHighlight",
      "cl3DDkShadow", "cl3DLight", "clInfoText", "clInfoBk", "clHotLight",
      "clGradientActiveCaption", "clGradientInactiveCaption", "clMenuHighlight", "clMenuBar"};
    for (const char* name : names) {
      TColor value = 0;
      if (IdentToColor(name, value)) map.push_back({value, name});
    }
    return map;
  }();
  return idents;
}

namespace {

const TIdentMap& CursorIdents() {
  static const TIdentMap idents = {
    {crDefault, "crDefault"}, {crNone, "crNone"}, {crArrow, "crArrow"}, {crCross, "crCross"},
    {crIBeam, "crIBeam"}, {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"}, {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"}, {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"}, {crVSplit, "crVSplit"}, {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"}, {crNo, "crNo"}, {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
    {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"}};
  return idents;
}

const TIdentMap& CharsetIdents() {
  static const TIdentMap idents = {
    {ANSI_CHARSET, "ANSI_CHARSET"}, {DEFAULT_CHARSET, "DEFAULT_CHARSET"}, {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"}, {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"}, {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"}, {ARABIC_CHARSET, "ARABIC_CHARSET"}, {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"}, {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"}};
  return idents;
}

void RegisterEnums() {
  RegisterEnum<TAlign>("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
  RegisterEnum<TDragMode>("TDragMode", {"dmManual", "dmAutomatic"});
  RegisterEnum<TDragKind>("TDragKind", {"dkDrag", "dkDock"});
  RegisterEnum<TImeMode>("TImeMode", {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira", "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel"});
  RegisterEnum<TAnchorKind>("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
  RegisterEnum<TBiDiMode>("TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"});
  RegisterEnum<TFontStyle>("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  RegisterEnum<TFontPitch>("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  RegisterEnum<TFormBorderStyle>("TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
  RegisterEnum<TPosition>("TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
  RegisterEnum<TWindowState>("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
  RegisterEnum<TFormStyle>("TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
  RegisterEnum<TTileMode>("TTileMode", {"tbHorizontal", "tbVertical"});
  RegisterEnum<TAlignment>("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  RegisterEnum<TTextLayout>("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
  RegisterEnum<TCheckBoxState>("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  RegisterEnum<TEditCharCase>("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
  RegisterEnum<TScrollStyle>("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  RegisterEnum<TComboBoxStyle>("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"});
  RegisterEnum<TBevelCut>("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  RegisterEnum<TStatusPanelStyle>("TStatusPanelStyle", {"psText", "psOwnerDraw"});
  RegisterEnum<TStatusPanelBevel>("TStatusPanelBevel", {"pbNone", "pbLowered", "pbRaised"});
  RegisterEnum<TViewStyle>("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  RegisterEnum<TProgressBarOrientation>("TProgressBarOrientation", {"pbHorizontal", "pbVertical"});
  RegisterEnum<TUDOrientation>("TUDOrientation", {"udHorizontal", "udVertical"});
  RegisterEnum<TBitBtnKind>("TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
  RegisterEnum<TButtonLayout>("TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
  RegisterEnum<TButtonStyle>("TButtonStyle", {"bsAutoDetect", "bsWin31", "bsNew"});
  RegisterEnum<TOpenOption>("TOpenOption", {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing"});
  RegisterEnum<TFileEditStyle>("TFileEditStyle", {"fsEdit", "fsComboBox"});
  RegisterEnum<TColorDialogOption>("TColorDialogOption", {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"});
}

void RegisterGraphicsClasses() {
  // The drawing classes as the descriptions name them, unless their own layer has done so.
  if (ClassInfoOf<TFont>() == nullptr) {
    RegisterClassType<TFont, TPersistent>("TFont")
        .Prop("Charset", &TFont::Charset, &TFont::SetCharset).Idents(CharsetIdents())
        .Prop("Color", &TFont::Color, &TFont::SetColor).Idents(ColorIdents())
        .Prop("Height", &TFont::Height, &TFont::SetHeight)
        .Prop("Name", &TFont::Name, &TFont::SetName)
        .Prop("Pitch", &TFont::Pitch, &TFont::SetPitch)
        // The size in points follows from Height and is read but not written: written too, its
        // rounding would override the exact height that comes before it.
        .Prop("Size", &TFont::Size, &TFont::SetSize).Stored(false)
        .Prop("Style", &TFont::Style, &TFont::SetStyle);
  }
  if (ClassInfoOf<TPicture>() == nullptr) RegisterClassType<TPicture, TPersistent>("TPicture");
  if (ClassInfoOf<TGraphic>() == nullptr) RegisterClassType<TGraphic, TPersistent>("TGraphic");
  if (ClassInfoOf<TBitmap>() == nullptr) RegisterClassType<TBitmap, TGraphic>("TBitmap");
}

void RegisterControls() {
  RegisterClassType<TSizeConstraints, TPersistent>("TSizeConstraints")
      .Prop("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0)
      .Prop("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0)
      .Prop("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0)
      .Prop("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
  RegisterClassType<TControl, TComponent>("TControl")
      .Prop("Left", &TControl::Left, &TControl::SetLeft)
      .Prop("Top", &TControl::Top, &TControl::SetTop)
      .Prop("Width", &TControl::Width, &TControl::SetWidth)
      .Prop("Height", &TControl::Height, &TControl::SetHeight)
      .Prop("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).Stored(false)
      .Prop("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).Stored(false)
      .Prop("Align", &TControl::Align, &TControl::SetAlign).Default(alNone)
      .Prop("Anchors", &TControl::Anchors, &TControl::SetAnchors)
      .Prop("Action", &TControl::Action, &TControl::SetAction)
      .Prop("Caption", &TControl::GetText, &TControl::SetText).Stored(&TControl::IsCaptionStored)
      .Prop("Color", &TControl::Color, &TControl::SetColor).Idents(ColorIdents())
      .Prop("Cursor", &TControl::Cursor, &TControl::SetCursor).Idents(CursorIdents()).Default(0)
      .Prop("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true)
      .Prop("Font", &TControl::FontObject, &TControl::SetFontObject)
      .Prop("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0)
      .Prop("Hint", &TControl::Hint, &TControl::SetHint).Stored(&TControl::IsHintStored)
      .Prop("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
      .Prop("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
      .Prop("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
      .Prop("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored)
      .Prop("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true)
      .Prop("Visible", &TControl::Visible, &TControl::SetVisible).Default(true)
      .Prop("Constraints", &TControl::ConstraintsObject, &TControl::SetConstraintsObject)
      .Prop("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Idents(CursorIdents()).Default(Integer{crDrag})
      .Prop("DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag)
      .Prop("DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual)
      .Prop("OnClick", &TControl::OnClick, &TControl::OnClick)
      .Prop("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick)
      .Prop("OnMouseDown", &TControl::OnMouseDown, &TControl::OnMouseDown)
      .Prop("OnMouseUp", &TControl::OnMouseUp, &TControl::OnMouseUp)
      .Prop("OnMouseMove", &TControl::OnMouseMove, &TControl::OnMouseMove)
      .Prop("OnMouseEnter", &TControl::OnMouseEnter, &TControl::OnMouseEnter)
      .Prop("OnMouseLeave", &TControl::OnMouseLeave, &TControl::OnMouseLeave)
      .Prop("OnContextPopup", &TControl::OnContextPopup, &TControl::OnContextPopup)
      .Prop("OnMouseWheel", &TControl::OnMouseWheel, &TControl::OnMouseWheel)
      .Prop("OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::OnMouseWheelDown)
      .Prop("OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::OnMouseWheelUp)
      .Prop("OnStartDrag", &TControl::OnStartDrag, &TControl::OnStartDrag)
      .Prop("OnDragOver", &TControl::OnDragOver, &TControl::OnDragOver)
      .Prop("OnDragDrop", &TControl::OnDragDrop, &TControl::OnDragDrop)
      .Prop("OnEndDrag", &TControl::OnEndDrag, &TControl::OnEndDrag)
      .Prop("OnStartDock", &TControl::OnStartDock, &TControl::OnStartDock)
      .Prop("OnEndDock", &TControl::OnEndDock, &TControl::OnEndDock)
      .Prop("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored)
      .Prop("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
  RegisterClassType<TWinControl, TControl>("TWinControl")
      .Prop("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
      .Prop("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter)
      .Prop("OnExit", &TWinControl::OnExit, &TWinControl::OnExit)
      .Prop("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::OnKeyDown)
      .Prop("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::OnKeyUp)
      .Prop("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::OnKeyPress)
      .Prop("OnResize", &TWinControl::OnResize, &TWinControl::OnResize)
      .Prop("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Stored(&TWinControl::IsCtl3DStored)
      .Prop("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true)
      .Prop("DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(false)
      .Prop("ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode).Default(imDontCare)
      .Prop("ImeName", &TWinControl::ImeName, &TWinControl::SetImeName);
  RegisterClassType<TGraphicControl, TControl>("TGraphicControl");
  RegisterClassType<TCustomControl, TWinControl>("TCustomControl");

  RegisterClassType<TCustomForm, TWinControl>("TCustomForm")
      .Prop("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
      .Prop("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable)
      .Prop("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal)
      .Prop("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false)
      .Prop("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
      .Prop("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned)
      .Prop("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal)
      .Prop("TileMode", &TCustomForm::TileMode, &TCustomForm::SetTileMode).Default(tbHorizontal)
      .Prop("WindowMenu", &TCustomForm::WindowMenu, &TCustomForm::SetWindowMenu)
      .Prop("PixelsPerInch", &TCustomForm::FPixelsPerInch, &TCustomForm::FPixelsPerInch)
      .Prop("TextHeight", &TCustomForm::FTextHeight, &TCustomForm::FTextHeight)
      .Prop("OldCreateOrder", &TCustomForm::FOldCreateOrder, &TCustomForm::FOldCreateOrder)
      .Prop("Scaled", &TCustomForm::FScaled, &TCustomForm::FScaled)
      .Prop("OnCreate", &TCustomForm::OnCreate, &TCustomForm::OnCreate)
      .Prop("OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::OnDestroy)
      .Prop("OnShow", &TCustomForm::OnShow, &TCustomForm::OnShow)
      .Prop("OnHide", &TCustomForm::OnHide, &TCustomForm::OnHide)
      .Prop("OnActivate", &TCustomForm::OnActivate, &TCustomForm::OnActivate)
      .Prop("OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::OnDeactivate)
      .Prop("OnClose", &TCustomForm::OnClose, &TCustomForm::OnClose)
      .Prop("OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::OnCloseQuery);
  RegisterClassType<TForm, TCustomForm>("TForm");
}

void RegisterStandardControls() {
  RegisterClassType<TCustomLabel, TGraphicControl>("TCustomLabel")
      .Prop("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify)
      .Prop("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(true)
      .Prop("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
      .Prop("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop)
      .Prop("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true)
      .Prop("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false)
      .Prop("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
  RegisterClassType<TLabel, TCustomLabel>("TLabel");
  RegisterClassType<TGroupBox, TCustomControl>("TGroupBox");
  RegisterClassType<TButtonControl, TWinControl>("TButtonControl");
  RegisterClassType<TButton, TButtonControl>("TButton")
      .Prop("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false)
      .Prop("Default", &TButton::Default, &TButton::SetDefault).Default(false)
      .Prop("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
  RegisterClassType<TBitBtn, TButton>("TBitBtn")
      .Prop("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph)
      .Prop("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom)
      .Prop("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft)
      .Prop("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1)
      .Prop("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1)
      .Prop("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
  RegisterClassType<TSpeedButton, TButtonControl>("TSpeedButton")
      .Prop("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false)
      .Prop("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false)
      .Prop("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false)
      .Prop("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  RegisterClassType<TCheckBox, TButtonControl>("TCheckBox")
      .Prop("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment).Default(taRightJustify)
      .Prop("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed).Default(false)
      .Prop("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false)
      .Prop("State", &TCheckBox::State, &TCheckBox::SetState).Default(cbUnchecked);
  RegisterClassType<TRadioButton, TButtonControl>("TRadioButton")
      .Prop("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightJustify)
      .Prop("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
  RegisterClassType<TCustomEdit, TWinControl>("TCustomEdit")
      .Prop("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true)
      .Prop("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle)
      .Prop("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal)
      .Prop("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0)
      .Prop("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default(0)
      .Prop("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false)
      .Prop("Text", &TCustomEdit::GetText, &TCustomEdit::SetText)
      .Prop("OnChange", &TCustomEdit::OnChange, &TCustomEdit::OnChange);
  RegisterClassType<TEdit, TCustomEdit>("TEdit")
      .Prop("AutoSize", &TEdit::AutoSize, &TEdit::SetAutoSize).Default(true)
      .Prop("HideSelection", &TEdit::HideSelection, &TEdit::SetHideSelection).Default(true);
  RegisterClassType<TCustomMaskEdit, TCustomEdit>("TCustomMaskEdit")
      .Prop("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
  RegisterClassType<TMaskEdit, TCustomMaskEdit>("TMaskEdit")
      .Prop("AutoSize", &TMaskEdit::AutoSize, &TMaskEdit::SetAutoSize).Default(true)
      .Prop("HideSelection", &TMaskEdit::HideSelection, &TMaskEdit::SetHideSelection).Default(true);
  RegisterClassType<TCustomMemo, TCustomEdit>("TCustomMemo")
      .Prop("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment).Default(taLeftJustify)
      .Prop("Lines", &TCustomMemo::LinesProp, nullptr)
      .Prop("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone)
      .Prop("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true)
      .Prop("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(false)
      .Prop("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(true);
  RegisterClassType<TMemo, TCustomMemo>("TMemo");
  RegisterClassType<TRichEdit, TCustomMemo>("TRichEdit")
      .Prop("HideScrollBars", &TRichEdit::HideScrollBars, &TRichEdit::SetHideScrollBars).Default(true)
      .Prop("PlainText", &TRichEdit::PlainText, &TRichEdit::SetPlainText).Default(false)
      .Prop("OnSelectionChange", &TRichEdit::OnSelectionChange, &TRichEdit::OnSelectionChange);
  RegisterClassType<TComboBox, TWinControl>("TComboBox")
      .Prop("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8)
      .Prop("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight)
      .Prop("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex).Default(-1)
      .Prop("Items", &TComboBox::ItemsProp, nullptr)
      .Prop("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength).Default(0)
      .Prop("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted).Default(false)
      .Prop("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown)
      .Prop("Text", &TComboBox::GetText, &TComboBox::SetText)
      .Prop("OnChange", &TComboBox::OnChange, &TComboBox::OnChange)
      .Prop("OnDrawItem", &TComboBox::OnDrawItem, &TComboBox::OnDrawItem)
      .Prop("OnDropDown", &TComboBox::OnDropDown, &TComboBox::OnDropDown)
      .Prop("OnMeasureItem", &TComboBox::OnMeasureItem, &TComboBox::OnMeasureItem)
      .Prop("OnSelect", &TComboBox::OnSelect, &TComboBox::OnSelect);
  RegisterClassType<TWebBrowser, TWinControl>("TWebBrowser");
  RegisterClassType<TStringsProperty, TPersistent>("TStrings");
}

void RegisterExtendedControls() {
  RegisterClassType<TCustomPanel, TCustomControl>("TCustomPanel")
      .Prop("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter)
      .Prop("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone)
      .Prop("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised)
      .Prop("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1)
      .Prop("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNone)
      .Prop("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth).Default(0);
  RegisterClassType<TPanel, TCustomPanel>("TPanel");
  RegisterClassType<TImage, TGraphicControl>("TImage")
      .Prop("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false)
      .Prop("Center", &TImage::Center, &TImage::SetCenter).Default(false)
      .Prop("Picture", &TImage::Picture, &TImage::SetPicture)
      .Prop("Proportional", &TImage::Proportional, &TImage::SetProportional).Default(false)
      .Prop("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false)
      .Prop("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
  RegisterClassType<TTimer, TComponent>("TTimer")
      .Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true)
      .Prop("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000)
      .Prop("OnTimer", &TTimer::OnTimer, &TTimer::OnTimer);

  RegisterClassType<TTabSheet, TWinControl>("TTabSheet")
      .Prop("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(-1)
      .Prop("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false)
      .Prop("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
  RegisterClassType<TPageControl, TWinControl>("TPageControl")
      .Prop("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
      .Prop("OnChange", &TPageControl::OnChange, &TPageControl::OnChange)
      .Prop("OnChanging", &TPageControl::OnChanging, &TPageControl::OnChanging);
  RegisterClassType<TStatusPanel, TCollectionItem>("TStatusPanel")
      .Prop("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment).Default(taLeftJustify)
      .Prop("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel).Default(pbLowered)
      .Prop("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle).Default(psText)
      .Prop("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
      .Prop("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
  RegisterClassType<TStatusPanels, TCollection>("TStatusPanels");
  RegisterClassType<TStatusBar, TWinControl>("TStatusBar")
      .Prop("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels)
      .Prop("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false)
      .Prop("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
      .Prop("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip).Default(true)
      .Prop("OnDrawPanel", &TStatusBar::OnDrawPanel, &TStatusBar::OnDrawPanel);
  RegisterClassType<TProgressBar, TWinControl>("TProgressBar")
      .Prop("Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100)
      .Prop("Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0)
      .Prop("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation).Default(pbHorizontal)
      .Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0)
      .Prop("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth).Default(false)
      .Prop("Step", &TProgressBar::Step, &TProgressBar::SetStep).Default(10);
  RegisterClassType<TListColumn, TCollectionItem>("TListColumn")
      .Prop("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment).Default(taLeftJustify)
      .Prop("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize).Default(false)
      .Prop("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
      .Prop("Width", &TListColumn::Width, &TListColumn::SetWidth).Default(50);
  RegisterClassType<TListColumns, TCollection>("TListColumns");
  RegisterClassType<TListView, TWinControl>("TListView")
      .Prop("ColumnClick", &TListView::ColumnClick, &TListView::SetColumnClick).Default(true)
      .Prop("Columns", &TListView::Columns, &TListView::SetColumns)
      .Prop("GridLines", &TListView::GridLines, &TListView::SetGridLines).Default(false)
      .Prop("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection).Default(true)
      .Prop("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect).Default(false)
      .Prop("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly).Default(false)
      .Prop("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect).Default(false)
      .Prop("ShowColumnHeaders", &TListView::ShowColumnHeaders, &TListView::SetShowColumnHeaders).Default(true)
      .Prop("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle).Default(vsIcon)
      .Prop("OnChange", &TListView::OnChange, &TListView::OnChange)
      .Prop("OnSelectItem", &TListView::OnSelectItem, &TListView::OnSelectItem);
  RegisterClassType<TUpDown, TWinControl>("TUpDown")
      .Prop("Associate", &TUpDown::Associate, &TUpDown::SetAssociate)
      .Prop("Increment", &TUpDown::Increment, &TUpDown::SetIncrement).Default(1)
      .Prop("Max", &TUpDown::Max, &TUpDown::SetMax).Default(100)
      .Prop("Min", &TUpDown::Min, &TUpDown::SetMin).Default(0)
      .Prop("Orientation", &TUpDown::Orientation, &TUpDown::SetOrientation).Default(udVertical)
      .Prop("Position", &TUpDown::Position, &TUpDown::SetPosition).Default(0)
      .Prop("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap).Default(false)
      .Prop("OnChanging", &TUpDown::OnChanging, &TUpDown::OnChanging)
      .Prop("OnClick", &TUpDown::OnClick, &TUpDown::OnClick);
}

void RegisterComponents() {
  RegisterClassType<TMenuItem, TComponent>("TMenuItem")
      .Prop("Action", &TMenuItem::Action, &TMenuItem::SetAction)
      .Prop("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption).Stored(&TMenuItem::IsCaptionStored)
      .Prop("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false)
      .Prop("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false)
      .Prop("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true)
      .Prop("Hint", &TMenuItem::Hint, &TMenuItem::SetHint).Stored(&TMenuItem::IsHintStored)
      .Prop("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1)
      .Prop("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0)
      .Prop("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true)
      .Prop("OnClick", &TMenuItem::OnClick, &TMenuItem::OnClick)
      .Prop("OnMeasureItem", &TMenuItem::OnMeasureItem, &TMenuItem::OnMeasureItem)
      .Prop("OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem, &TMenuItem::OnAdvancedDrawItem);
  RegisterClassType<TMenu, TComponent>("TMenu")
      .Prop("BiDiMode", &TMenu::BiDiMode, &TMenu::SetBiDiMode).Default(bdLeftToRight)
      .Prop("Images", &TMenu::Images, &TMenu::SetImages)
      .Prop("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).Default(false);
  RegisterClassType<TMainMenu, TMenu>("TMainMenu");
  RegisterEnum<TPopupAlignment>("TPopupAlignment", {"paLeft", "paRight", "paCenter"});
  RegisterClassType<TPopupMenu, TMenu>("TPopupMenu")
      .Prop("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft)
      .Prop("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true)
      .Prop("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::OnPopup);
  RegisterClassType<TBasicAction, TComponent>("TBasicAction")
      .Prop("OnExecute", &TBasicAction::OnExecute, &TBasicAction::OnExecute)
      .Prop("OnUpdate", &TBasicAction::OnUpdate, &TBasicAction::OnUpdate);
  RegisterClassType<TCustomAction, TBasicAction>("TCustomAction")
      .Prop("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption)
      .Prop("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked).Default(false)
      .Prop("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled).Default(true)
      .Prop("Hint", &TCustomAction::Hint, &TCustomAction::SetHint)
      .Prop("ShortCut", &TCustomAction::ShortCut, &TCustomAction::SetShortCut).Default(0)
      .Prop("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible).Default(true)
      .Prop("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex).Default(-1);
  RegisterClassType<TAction, TCustomAction>("TAction");
  RegisterClassType<TCustomActionList, TComponent>("TCustomActionList")
      .Prop("Images", &TCustomActionList::Images, &TCustomActionList::SetImages);
  RegisterClassType<TActionList, TCustomActionList>("TActionList");
  RegisterClassType<THintAction, TCustomAction>("THintAction");
  RegisterClassType<THintWindow, TCustomControl>("THintWindow");
  RegisterClassType<TOpenDialog, TComponent>("TOpenDialog")
      .Prop("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
      .Prop("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
      .Prop("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
      .Prop("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1)
      .Prop("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
      .Prop("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
      .Prop("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle)
      .Prop("FileEditStyle", &TOpenDialog::FileEditStyle, &TOpenDialog::SetFileEditStyle).Default(fsEdit)
      .Prop("HelpContext", &TOpenDialog::HelpContext, &TOpenDialog::SetHelpContext).Default(0)
      .Prop("HistoryList", &TOpenDialog::HistoryListProp, nullptr);
  RegisterClassType<TSaveDialog, TOpenDialog>("TSaveDialog");
  RegisterClassType<TOpenPictureDialog, TOpenDialog>("TOpenPictureDialog");
  RegisterClassType<TSavePictureDialog, TSaveDialog>("TSavePictureDialog");
  RegisterClassType<TColorDialog, TComponent>("TColorDialog")
      .Prop("Color", &TColorDialog::Color, &TColorDialog::SetColor).Idents(ColorIdents())
      .Prop("Options", &TColorDialog::Options, &TColorDialog::SetOptions);
  RegisterClassType<TFontDialog, TComponent>("TFontDialog")
      .Prop("Font", &TFontDialog::Font, &TFontDialog::SetFont);
}

}  // namespace

void RegisterFormsClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterEnums();
  RegisterGraphicsClasses();
  RegisterControls();
  RegisterStandardControls();
  RegisterExtendedControls();
  RegisterComponents();
  RegisterToolBarClasses();
}

}  // namespace orv
