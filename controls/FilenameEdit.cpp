// The combo-edit family: the embedded button and its layout, the keys, the read-only states, the
// glyph kinds, and the file-name edit's name handling and dialog.
#include "controls/FilenameEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QProxyStyle>
#include "controls/OrvHelpers.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/DropFiles.h"
#include "platform/win/ErrorMode.h"
#include "platform/win/Nls.h"
#include "platform/win/SysColors.h"

namespace orv {
namespace {

void CopyLines(const TStringList& from, TStringList& to) {
  to.Clear();
  for (Integer i = 0; i < from.Count(); ++i) to.Add(from.Get(i));
}

constexpr const char* kEditGlyph[12] = {
  "ddddddd000dddd", "dddddd0ddd0d0d", "ddddddddddd00d", "dddddddddd000d",
  "dd000ddddddddd", "d0fff000000ddd", "d0ffffffff0ddd", "d0fff000000000",
  "d0ff0888888880", "d0f0888888880d", "d00888888880dd", "d0000000000ddd"};

std::unique_ptr<TBitmap> MakeEditGlyph() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf4bit);
  bitmap->SetSize(14, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 14; ++x) {
      const char c = kEditGlyph[y][x];
      bitmap->SetPixelRGB(x, y, c == 'd' ? 0xFF00FF : c == '0' ? 0x000000 : c == 'f' ? 0xFFFFFF : 0x808080);
    }
  return bitmap;
}

// The ellipsis glyph: three 2 x 2 dots, as wide as the button allows.
std::unique_ptr<TBitmap> MakeEllipsis(Integer buttonWidth) {
  const int width = std::max<Integer>(1, buttonWidth - 6);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetMonochrome(true);
  bitmap->SetSize(width, 4);
  const int gap = std::clamp((width - 6) / 2, 1, 3);
  const int x0 = (width - 6 - 2 * gap) / 2;
  for (int dot = 0; dot < 3; ++dot)
    for (int dy = 0; dy < 2; ++dy)
      for (int dx = 0; dx < 2; ++dx) {
        const int x = x0 + dot * (2 + gap) + dx;
        if (x >= 0 && x < width) bitmap->SetPixelRGB(x, 1 + dy, 0x000000);
      }
  return bitmap;
}

// The system's drop-down arrow: a 7 x 4 black triangle on white.
std::unique_ptr<TBitmap> MakeComboArrow() {
  auto bitmap = std::make_unique<TBitmap>(7, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = y; x < 7 - y; ++x) bitmap->SetPixelRGB(x, y, 0x000000);
  return bitmap;
}

// The line edit's caret width, as the edit sets it.
class TCaretStyle : public QProxyStyle {
 public:
  int Width = 1;
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_TextCursorWidth) return Width;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

const char* const TFilenameEdit::DefaultFilter = "All files (*.*)|*.*";
const char* const TFilenameEdit::DefaultTitle = "Browse";

TBitmap* FileEditGlyph() {
  static const std::unique_ptr<TBitmap> glyph = MakeEditGlyph();
  return glyph.get();
}

AnsiString CleanFileName(const AnsiString& text) {
  if (FileExists(text)) return text;
  AnsiString rest;
  return SplitCommandText(text, &rest);
}

AnsiString QuoteFileName(const AnsiString& name) {
  if (name.find(' ') == AnsiString::npos || (!name.empty() && name[0] == '"')) return name;
  return Format("\"%s\"", {name});
}

// ----- TEditButton -----

// An edit button shows hints as the edit it belongs to does.
TEditButton::TEditButton(TComponent* owner) : TOrvSpeedButton(owner) { SetParentShowHint(true); }

void TEditButton::Click() {
  // The press closed the pop-up: its click opens nothing.
  if (!FNoAction) TOrvSpeedButton::Click();
  FNoAction = false;
}

void TEditButton::Paint() {
  TOrvSpeedButton::Paint();
  if (State() == obsDown || State() == obsExclusive) return;
  TCanvas& c = Canvas();
  c.Pen()->SetWidth(1);
  c.Pen()->SetColor(NewStyleControls() ? clBtnFace : clBtnShadow);
  c.MoveTo(0, 0);
  c.LineTo(0, FHeight - 1);
  c.Pen()->SetColor(clBtnHighlight);
  c.MoveTo(1, 1);
  c.LineTo(1, FHeight - 2);
}

void TEditButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button == mbLeft) {
    if (auto* edit = dynamic_cast<TCustomComboEdit*>(Owner())) {
      FNoAction = edit->Popup() != nullptr && edit->PopupVisible();
      if (FNoAction) edit->PopupCloseUp(edit->Popup(), true);
      else if (edit->TabStop() && edit->CanFocus() && !edit->Focused()) edit->SetFocus();
    }
  }
  TOrvSpeedButton::MouseDown(button, shift, x, y);
}

// ----- TCustomComboEdit -----

TCustomComboEdit::TCustomComboEdit(TComponent* owner) : TCustomMaskEdit(owner), FClickKey(VK_DOWN | scAlt) {
  FAutoSize = false;
  FHeight = 21;
  FWidth = 121;
  FBtnControl = new TWinControl(this);
  FBtnControl->SetVisible(true);
  FBtnControl->SetParent(this);
  FBtnControl->SetBounds(0, 0, 21, 17);
  FButton = new TEditButton(this);
  FButton->SetVisible(true);
  FButton->SetParent(FBtnControl);
  FButton->SetBounds(0, 0, 21, 17);
  FButton->OnClick = TNotifyEvent(this, &TCustomComboEdit::EditButtonClick);
}

TCustomComboEdit::~TCustomComboEdit() {
  FClickWatch.reset();
  if (FButton != nullptr) FButton->OnClick = nullptr;
  SetPopup(nullptr);
}

void TCustomComboEdit::Notification(TComponent* component, TOperation operation) {
  TCustomMaskEdit::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FButton) FButton = nullptr;
  if (component == FBtnControl) FBtnControl = nullptr;
  if (component == FPopup) {
    if (FClickWatch) qApp->removeEventFilter(FClickWatch.get());
    FPopup = nullptr;
    FPopupVisible = false;
  }
}

void TCustomComboEdit::EditButtonClick(TObject*) {
  if (!FComboReadOnly || FAlwaysEnable) ButtonClick();
}

void TCustomComboEdit::ButtonClick() {
  OnButtonClick(this);
  if (FPopup == nullptr) return;
  if (FPopupVisible) PopupCloseUp(FPopup, true);
  else PopupDropDown(true);
}

void TCustomComboEdit::ApplyReadOnly() {
  TCustomMaskEdit::SetReadOnly(!FDirectInput || FComboReadOnly);
}

void TCustomComboEdit::SetDirectInput(bool value) {
  FDirectInput = value;
  ApplyReadOnly();
}

void TCustomComboEdit::SetReadOnly(bool value) {
  if (value == FComboReadOnly) return;
  FComboReadOnly = value;
  ApplyReadOnly();
}

void TCustomComboEdit::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  if (QLineEdit* edit = LineEdit()) {
    const Qt::Alignment h = value == taRightJustify ? Qt::AlignRight : value == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    edit->setAlignment(h | Qt::AlignVCenter);
  }
}

TBitmap* TCustomComboEdit::Glyph() const { return FButton->Glyph(); }

void TCustomComboEdit::SetGlyph(TBitmap* value) {
  FButton->SetGlyph(value);
  FGlyphKind = gkCustom;
}

Integer TCustomComboEdit::NumGlyphs() const { return FButton->NumGlyphs(); }

void TCustomComboEdit::SetNumGlyphs(Integer value) {
  if (FGlyphKind == gkDropDown || FGlyphKind == gkEllipsis) FButton->SetNumGlyphs(1);
  else if (FGlyphKind == gkDefault) FButton->SetNumGlyphs(FDefNumGlyphs);
  else FButton->SetNumGlyphs(value);
}

const AnsiString& TCustomComboEdit::ButtonHint() const { return FButton->Hint(); }
void TCustomComboEdit::SetButtonHint(const AnsiString& value) { FButton->SetHint(value); }
Integer TCustomComboEdit::ButtonWidth() const { return FButton->Width(); }

bool TCustomComboEdit::IsButtonWidthStored() const {
  const Integer w = ButtonWidth();
  switch (FGlyphKind) {
    case gkDefault: {
      TBitmap* glyph = FButton->Glyph();
      const Integer count = std::max<Integer>(FButton->NumGlyphs(), 1);
      return w != std::max<Integer>(glyph->Width() / count + 6, 21);
    }
    case gkDropDown: return w != GetSystemMetrics(SM_CXVSCROLL);
    default: return w != 21;
  }
}

void TCustomComboEdit::SetButtonWidth(Integer value) {
  if (value == ButtonWidth()) return;
  FBtnControl->SetVisible(value > 1);
  const bool creating = (FControlState & csCreating) != 0;
  // Past creation a button as wide as the client area would leave no room for the text.
  if (creating || value < ClientWidth()) {
    FBtnControl->SetWidth(value);
    FButton->SetWidth(value);
    PlaceEditButton();
    // A new window lays the text out anew beside the button.
    if (!creating && HandleAllocated()) RecreateWnd();
  }
  FButton->SetControlStyle(FButton->ControlStyle() & ~csFixedWidth);
  RebuildButtonGlyph();
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind value) {
  if (value == FGlyphKind) return;
  FGlyphKind = value;
  if (value == gkCustom && ComponentState().Contains(csReading)) FButton->SetGlyph(nullptr);
  RebuildButtonGlyph();
  if (value == gkDefault) {
    TBitmap* glyph = FButton->Glyph();
    const Integer count = std::max<Integer>(FButton->NumGlyphs(), 1);
    const Integer width = std::max<Integer>(glyph->Width() / count + 6, ButtonWidth());
    FBtnControl->SetWidth(width);
    FButton->SetWidth(width);
    PlaceEditButton();
  } else if (value == gkDropDown) {
    const Integer width = GetSystemMetrics(SM_CXVSCROLL);
    FBtnControl->SetWidth(width);
    FButton->SetWidth(width);
    FButton->SetControlStyle(FButton->ControlStyle() | csFixedWidth);
    PlaceEditButton();
  }
}

void TCustomComboEdit::RebuildButtonGlyph() {
  switch (FGlyphKind) {
    case gkDefault: {
      bool destroyNeeded = false;
      TBitmap* glyph = GetDefaultBitmap(destroyNeeded);
      // The button keeps a copy; a glyph made for this call goes when the copy is taken.
      const std::unique_ptr<TBitmap> made(destroyNeeded ? glyph : nullptr);
      if (glyph != nullptr) {
        FButton->SetGlyph(glyph);
        FButton->SetNumGlyphs(FDefNumGlyphs);
      }
      break;
    }
    case gkDropDown:
      FButton->SetGlyph(MakeComboArrow().get());
      FButton->SetNumGlyphs(1);
      break;
    case gkEllipsis:
      FButton->SetGlyph(MakeEllipsis(ButtonWidth()).get());
      FButton->SetNumGlyphs(1);
      break;
    case gkCustom:
      break;
  }
}

Integer TCustomComboEdit::BorderOffset() const {
  if (FBorderStyle != bsSingle) return 0;
  return Ctl3D() ? 2 : 1;
}

void TCustomComboEdit::PlaceEditButton() {
  if (FBtnControl == nullptr || FButton == nullptr) return;
  const Integer w = FButton->Width();
  TRect r;
  if (!NewStyleControls()) r = Bounds(FWidth - w, 0, w, FHeight);
  else if (Ctl3D() && FBorderStyle == bsSingle) r = Bounds(FWidth - w - 4, 0, w, FHeight - 4);
  else if (FBorderStyle == bsSingle) r = Bounds(FWidth - w - 2, 2, w, FHeight - 4);
  else r = Bounds(FWidth - w, 0, w, FHeight);
  // The rectangle is in the client area's terms, which starts inside the edit's border.
  const Integer b = BorderOffset();
  FBtnControl->SetBounds(r.Left + b, r.Top + b, r.Width(), r.Height());
  FButton->SetBounds(0, 0, r.Width(), r.Height());
  SetEditRect();
}

void TCustomComboEdit::SetEditRect() {
  const Integer b = BorderOffset();
  const Integer clientWidth = FWidth - 2 * b, clientHeight = FHeight - 2 * b;
  const Integer buttonWidth = FBtnControl != nullptr && FBtnControl->Visible() ? FBtnControl->Width() : 0;
  FTextArea = Rect(0, 0, clientWidth - buttonWidth - 2, clientHeight + 1);
  if (QLineEdit* edit = LineEdit()) edit->setTextMargins(0, 0, std::max<Integer>(clientWidth - FTextArea.Right, 0), 0);
}

Integer TCustomComboEdit::MinimumHeight() const {
  const Integer own = QFontMetrics(Font().ToQFont()).height();
  const Integer screen = QFontMetrics(QApplication::font()).height();
  return std::min(own, screen) + 4 * GetSystemMetrics(SM_CYBORDER) + 1;
}

void TCustomComboEdit::BoundsChanged() {
  TCustomMaskEdit::BoundsChanged();
  if (!ComponentState().Contains(csLoading) && FHeight < MinimumHeight()) {
    SetHeight(MinimumHeight());
    return;
  }
  PlaceEditButton();
}

void TCustomComboEdit::FontChanged() {
  TCustomMaskEdit::FontChanged();
  ApplyDisabledTextColor();
  if (HandleAllocated()) SetEditRect();
}

void TCustomComboEdit::ApplyDisabledTextColor() {
  QLineEdit* edit = LineEdit();
  if (edit == nullptr || !NewStyleControls()) return;
  if (ColorToRGB(FColor) != ColorToRGB(clGrayText)) return;
  QPalette palette = edit->palette();
  const COLORREF text = ColorToRGB(Font().Color());
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(GetRValue(text), GetGValue(text), GetBValue(text)));
  edit->setPalette(palette);
}

void TCustomComboEdit::ColorChanged() {
  TCustomMaskEdit::ColorChanged();
  ApplyDisabledTextColor();
}

void TCustomComboEdit::EnabledChanged() {
  TCustomMaskEdit::EnabledChanged();
  if (FButton != nullptr) FButton->SetEnabled(FEnabled);
}

void TCustomComboEdit::TextChanged() {
  TCustomMaskEdit::TextChanged();
  // Without a window no widget reports the change, so the edit does.
  if (!HandleAllocated()) Change();
}

void TCustomComboEdit::Loaded() {
  TCustomMaskEdit::Loaded();
  PlaceEditButton();
}

void TCustomComboEdit::InitWidget() {
  TCustomMaskEdit::InitWidget();
  const Qt::Alignment h = FAlignment == taRightJustify ? Qt::AlignRight : FAlignment == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
  LineEdit()->setAlignment(h | Qt::AlignVCenter);
  auto* style = new TCaretStyle();
  style->setParent(LineEdit());
  LineEdit()->setStyle(style);
  FCaretStyle = style;
  ApplyCaret();
  ApplyDisabledTextColor();
  PlaceEditButton();
}

void TCustomComboEdit::ApplyCaret() {
  auto* style = static_cast<TCaretStyle*>(FCaretStyle.data());
  if (style == nullptr) return;
  style->Width = FCaretWidth;
  if (QLineEdit* edit = LineEdit()) edit->update();
}

bool TCustomComboEdit::WantsKey(Word key) const {
  // With the pop-up shown, Enter and Escape close it and do not reach the form.
  if (FPopupVisible && (key == VK_RETURN || key == VK_ESCAPE)) return true;
  return TCustomMaskEdit::WantsKey(key);
}

void TCustomComboEdit::DoEnter() {
  if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0 && FDirectInput) SelectAll();
  TCustomMaskEdit::DoEnter();
}

void TCustomComboEdit::DoExit() {
  FFocused = false;
  ClosePopup(false, false);
  TCustomMaskEdit::DoExit();
}

void TCustomComboEdit::KeyDown(Word& key, TShiftState shift) {
  TCustomMaskEdit::KeyDown(key, shift);
  Word shortCut = key;
  if (shift.Contains(ssShift)) shortCut |= scShift;
  if (shift.Contains(ssCtrl)) shortCut |= scCtrl;
  if (shift.Contains(ssAlt)) shortCut |= scAlt;
  if (key != 0 && shortCut == FClickKey && ButtonWidth() > 0) {
    EditButtonClick(this);
    key = 0;
  }
}

void TCustomComboEdit::KeyPress(char& key) {
  if (FPopupVisible && (key == '\r' || key == 27)) {
    PopupCloseUp(FPopup, key == '\r');
    key = 0;
    return;
  }
  if (FOEMConvert && static_cast<unsigned char>(key) >= 0x20) {
    const AnsiString converted = OemToChar(CharToOem(std::string_view(&key, 1)));
    if (converted.size() == 1) key = converted[0];
  }
  if (key == '\r' || key == 27) {
    if (TCustomForm* form = ParentForm()) {
      const Word dialogKey = key == '\r' ? VK_RETURN : VK_ESCAPE;
      form->Perform(CM_DIALOGKEY, dialogKey, 0);
    }
    if (key == '\r') {
      TCustomMaskEdit::KeyPress(key);
      key = 0;
      return;
    }
  }
  TCustomMaskEdit::KeyPress(key);
}

void TCustomComboEdit::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_PASTE:
    case WM_CUT:
      if (FDirectInput && !FComboReadOnly) TCustomMaskEdit::MessageHandler(message);
      return;
    case WM_SETFOCUS: {
      TCustomMaskEdit::MessageHandler(message);
      FFocused = true;
      // The caret is as high as the text, and wider for a bold font.
      FCaretWidth = Font().Style().Contains(fsBold) ? 2 : 1;
      ApplyCaret();
      return;
    }
    case WM_KILLFOCUS:
      TCustomMaskEdit::MessageHandler(message);
      FFocused = false;
      ClosePopup(false, false);
      return;
    case CM_CANCELMODE:
      if (FPopupVisible && message.LParam != PtrLParam(this)) PopupCloseUp(FPopup, false);
      TCustomMaskEdit::MessageHandler(message);
      return;
    case WM_LBUTTONDOWN:
      if (FPopupVisible) PopupCloseUp(FPopup, false);
      TCustomMaskEdit::MessageHandler(message);
      return;
    case CM_CTL3DCHANGED:
      TCustomMaskEdit::MessageHandler(message);
      PlaceEditButton();
      return;
    default:
      TCustomMaskEdit::MessageHandler(message);
  }
}

// ----- TFileDirEdit -----

TFileDirEdit::TFileDirEdit(TComponent* owner) : TCustomComboEdit(owner) {
  FControlState |= csCreating;
  FOEMConvert = true;
  SetGlyphKind(gkDefault);
  FControlState &= ~csCreating;
}

TBitmap* TFileDirEdit::GetDefaultBitmap(bool& destroyNeeded) {
  destroyNeeded = false;
  return FileEditGlyph();
}

void TFileDirEdit::SetAcceptFiles(bool value) {
  if (value == FAcceptFiles) return;
  FAcceptFiles = value;
  if (HandleAllocated() && !ComponentState().Contains(csDesigning)) DragAcceptFiles(FHandle, value);
}

void TFileDirEdit::CreateWnd() {
  TCustomComboEdit::CreateWnd();
  if (FAcceptFiles && !ComponentState().Contains(csDesigning)) DragAcceptFiles(FHandle, true);
}

void TFileDirEdit::DestroyWnd() {
  if (FAcceptFiles && HandleAllocated() && !ComponentState().Contains(csDesigning)) DragAcceptFiles(FHandle, false);
  TCustomComboEdit::DestroyWnd();
}

void TFileDirEdit::MessageHandler(TMessage& message) {
  if (message.Msg == WM_DROPFILES) {
    WMDropFiles(message);
    return;
  }
  TCustomComboEdit::MessageHandler(message);
}

void TFileDirEdit::WMDropFiles(TMessage& message) {
  const HDROP drop(static_cast<std::uint64_t>(message.WParam));
  message.Result = 0;
  struct TRelease {
    HDROP Drop;
    ~TRelease() { DragFinish(Drop); }
  } release{drop};
  if (!FAcceptFiles) return;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
  if (count == 0) return;
  ClearFileList();
  for (UINT i = 0; i < count; ++i) {
    // Each name is taken whole, however long: a cut name would name another file.
    AnsiString name(DragQueryFileA(drop, i, nullptr, 0), '\0');
    DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
    AddDroppedFile(name);
    if (!TakesSeveralFiles()) break;
  }
  OnDropFiles(this);
}

void TFileDirEdit::DoBeforeDialog(AnsiString& fileName, bool& action) { OnBeforeDialog(this, fileName, action); }
void TFileDirEdit::DoAfterDialog(AnsiString& fileName, bool& action) { OnAfterDialog(this, fileName, action); }

// ----- TFilenameEdit -----

TFilenameEdit::TFilenameEdit(TComponent* owner) : TFileDirEdit(owner) { CreateEditDialog(); }

TFilenameEdit::~TFilenameEdit() = default;

void TFilenameEdit::CreateEditDialog() {
  TOpenDialog* dialog = nullptr;
  switch (FDialogKind) {
    case dkOpen: dialog = new TOpenDialog(this); break;
    case dkSave: dialog = new TSaveDialog(this); break;
    case dkOpenPicture: dialog = new TOpenPictureDialog(this); break;
    case dkSavePicture: dialog = new TSavePictureDialog(this); break;
  }
  if (FDialog == nullptr) {
    dialog->SetTitle(DefaultTitle);
    dialog->SetFilter(DefaultFilter);
    dialog->SetOptions(TOpenOptions{ofHideReadOnly});
  } else {
    dialog->SetDefaultExt(FDialog->DefaultExt());
    dialog->SetFileEditStyle(FDialog->FileEditStyle());
    dialog->SetFileName(FDialog->FileName());
    dialog->SetFilter(FDialog->Filter());
    dialog->SetFilterIndex(FDialog->FilterIndex());
    dialog->SetInitialDir(FDialog->InitialDir());
    CopyLines(FDialog->HistoryList(), dialog->HistoryList());
    CopyLines(FDialog->Files(), dialog->Files());
    dialog->SetOptions(FDialog->Options());
    dialog->SetTitle(FDialog->Title());
    TOpenDialog* old = std::exchange(FDialog, nullptr);
    old->Free();
  }
  FDialog = dialog;
}

void TFilenameEdit::SetDialogKind(TFileDialogKind value) {
  if (value == FDialogKind) return;
  FDialogKind = value;
  CreateEditDialog();
}

void TFilenameEdit::SetDialogOptions(TOpenOptions value) {
  if (value == FDialog->Options()) return;
  FDialog->SetOptions(value);
  FMultipleFiles = value.Contains(ofAllowMultiSelect);
  if (!FMultipleFiles) ClearFileList();
}

bool TFilenameEdit::IsFilterStored() const { return FDialog->Filter() != DefaultFilter; }
bool TFilenameEdit::IsDialogTitleStored() const { return FDialog->Title() != DefaultTitle; }

AnsiString TFilenameEdit::GetFileName() const { return CleanFileName(GetText()); }

void TFilenameEdit::SetFileName(const AnsiString& value) {
  if (!value.empty() && !IsValidPathName(CleanFileName(value)))
    throw EComboEditError(Format("Ung\xFCltiger Dateiname - %s", {value}));
  SetText(QuoteFileName(value));
  ClearFileList();
}

AnsiString TFilenameEdit::GetLongName() const { return LongPathForm(GetFileName()); }
AnsiString TFilenameEdit::GetShortName() const { return ShortPathForm(GetFileName()); }

void TFilenameEdit::ClearFileList() { FDialog->Files().Clear(); }

void TFilenameEdit::AddDroppedFile(const AnsiString& fileName) {
  if (!FMultipleFiles) {
    SetFileName(fileName);
    return;
  }
  if (FDialog->Files().Count() == 0) SetFileName(fileName);
  FDialog->Files().Add(fileName);
}

void TFilenameEdit::ButtonClick() {
  TFileDirEdit::ButtonClick();
  AnsiString name = CleanFileName(GetText());
  bool action = true;
  DoBeforeDialog(name, action);
  if (!action) return;
  if (IsValidPathName(name)) {
    try {
      const AnsiString dir = ExtractFilePath(name);
      if (!dir.empty() && DirectoryExists(dir)) FDialog->SetInitialDir(dir);
      const AnsiString file = ExtractFileName(name);
      if (file.empty() || !IsValidPathName(file)) name.clear();
      FDialog->SetFileName(name);
    } catch (const std::exception&) {
      // The dialog opens with its previous start folder and name.
    }
  }
  FDialog->SetHelpContext(FHelpContext);
  {
    // No system box about a drive that is not ready or a file that cannot be opened while the
    // dialog looks at folders; the old mode comes back however the dialog ends.
    const TErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    FSavedErrorMode = quiet.Previous();
    action = FDialog->Execute();
  }
  if (action) name = FDialog->FileName();
  if (CanFocus()) SetFocus();
  DoAfterDialog(name, action);
  if (action) {
    SetText(QuoteFileName(name));
    FDialog->SetInitialDir(ExtractFilePath(FDialog->FileName()));
  }
}

}  // namespace orv
