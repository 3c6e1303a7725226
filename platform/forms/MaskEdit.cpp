// The masked edit over the line edit: typed characters, deletions and the clipboard go through
// the mask; the widget keeps the edit text and the caret.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include "platform/forms/Mask.h"
#include "platform/forms/QtText.h"
#include "platform/win/Version.h"

namespace orv {

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

AnsiString TCustomMaskEdit::EditText() const { return TWinControl::GetText(); }

void TCustomMaskEdit::SetEditText(const AnsiString& value) {
  if (value == EditText()) return;
  // As the inherited writer, but compared with the edit text (the text may read the same).
  if (HandleAllocated()) {
    const AnsiString copy = value;
    Perform(WM_SETTEXT, 0, PtrLParam(copy.c_str()));
  } else {
    FText = value;
  }
  TextChanged();
  Perform(CM_TEXTCHANGED);
  Invalidate();
}

const AnsiString& TCustomMaskEdit::GetText() const {
  const AnsiString& shown = TWinControl::GetText();
  if (!IsMasked()) return shown;
  FMaskedText = FMask.TextOf(shown);
  return FMaskedText;
}

void TCustomMaskEdit::SetText(const AnsiString& text) {
  if (!IsMasked()) {
    TCustomEdit::SetText(text);
    return;
  }
  SetEditText(FMask.Format(text));
}

void TCustomMaskEdit::SetEditMask(const AnsiString& value) {
  if (value == FMask.Source()) return;
  const bool wasMasked = IsMasked();
  const AnsiString text = GetText(), shown = EditText();
  FMask = TEditMask(value);
  if (QLineEdit* edit = LineEdit()) edit->setMaxLength(IsMasked() ? FMask.Count() : FMaxLength > 0 ? FMaxLength : 0x7FFFFFF);
  // A masked text keeps its characters where they stand; a plain one is read as the new mask's
  // text (as a description gives it).
  if (IsMasked()) SetEditText(wasMasked ? FMask.FormatEditText(shown) : FMask.Format(text));
}

void TCustomMaskEdit::InitWidget() {
  TCustomEdit::InitWidget();
  if (IsMasked()) LineEdit()->setMaxLength(FMask.Count());
}

void TCustomMaskEdit::ApplyMaskEdit(const TMaskEditResult& result) {
  if (result.EditText != EditText()) {
    SetEditText(result.EditText);
    FModified = true;
  }
  SetSelStart(result.Caret);
}

void TCustomMaskEdit::KeyDown(Word& key, TShiftState shift) {
  TCustomEdit::KeyDown(key, shift);
  if (!IsMasked() || key != VK_DELETE) return;
  key = 0;
  if (FReadOnly || !EditCanModify()) return;
  ApplyMaskEdit(MaskDelete(FMask, EditText(), SelStart(), SelLength(), true));
}

void TCustomMaskEdit::KeyPress(char& key) {
  TCustomEdit::KeyPress(key);
  if (!IsMasked() || key == 0) return;
  if (key == 27) {
    // Escape abandons the changes made since the edit was entered.
    if (FModified) {
      Reset();
      key = 0;
    }
    return;
  }
  const auto c = static_cast<unsigned char>(key);
  if (c != 8 && c < 0x20) return;
  const char typed = key;
  key = 0;
  if (FReadOnly || !EditCanModify()) return;
  if (c == 8) {
    ApplyMaskEdit(MaskDelete(FMask, EditText(), SelStart(), SelLength(), false));
    return;
  }
  const TMaskEditResult r = MaskTypeChar(FMask, EditText(), SelStart(), SelLength(), typed);
  if (!r.Accepted) {
    MessageBeep(0);
    return;
  }
  ApplyMaskEdit(r);
}

void TCustomMaskEdit::Reset() {
  SetEditText(FTextOnEnter);
  FModified = false;
  SetSelStart(0);
}

void TCustomMaskEdit::DoEnter() {
  FTextOnEnter = EditText();
  TCustomEdit::DoEnter();
}

void TCustomMaskEdit::DoExit() {
  if (IsMasked() && !ComponentState().Contains(csDesigning)) ValidateEdit();
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !FModified) return;
  const Integer missing = FMask.FirstMissing(EditText());
  if (missing < 0) return;
  if (CanFocus() && !Focused()) SetFocus();
  SetSelStart(missing);
  MessageBeep(0);
  throw EDBEditError("Invalid input value: a required position of the field is empty");
}

LRESULT TCustomMaskEdit::DefWndProc(TMessage& message) {
  const UINT msg = message.Msg;
  if (!IsMasked() || (msg != WM_PASTE && msg != WM_CUT && msg != WM_CLEAR))
    return TCustomEdit::DefWndProc(message);
  if (msg == WM_CUT) {
    if (SelLength() > 0) QApplication::clipboard()->setText(ToQString(SelText()));
  }
  if (FReadOnly || !EditCanModify()) return 0;
  const Integer start = SelStart(), length = SelLength();
  if (msg != WM_PASTE) {
    if (length > 0) ApplyMaskEdit(MaskDelete(FMask, EditText(), start, length, true));
    return 0;
  }
  // Pasted characters are typed one by one; those the mask refuses are left out.
  const AnsiString pasted = FromQString(QApplication::clipboard()->text());
  AnsiString text = EditText();
  Integer caret = start, selection = length;
  for (char c : pasted) {
    const TMaskEditResult r = MaskTypeChar(FMask, text, caret, selection, c);
    if (!r.Accepted) continue;
    text = r.EditText;
    caret = r.Caret;
    selection = 0;
  }
  ApplyMaskEdit(TMaskEditResult{text, caret, true});
  return 0;
}

}  // namespace orv
