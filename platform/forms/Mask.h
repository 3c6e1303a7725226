// The masked edit: a one-line edit whose text follows an edit mask, typed position by position,
// with or without the mask's literals in its text, and checked for empty required positions.
#pragma once
#include "platform/forms/MaskUtils.h"
#include "platform/forms/StdCtrls.h"

namespace orv {

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* owner);

  const AnsiString& EditMask() const { return FMask.Source(); }
  // The text is written again through the new mask; an empty mask makes a plain edit.
  void SetEditMask(const AnsiString& value);
  bool IsMasked() const { return !FMask.Empty(); }
  const TEditMask& Mask() const { return FMask; }
  // The text as shown: one character per mask position, the blank character in empty ones.
  AnsiString EditText() const;
  void SetEditText(const AnsiString& value);
  // With a mask: the literals only when the mask saves them, empty positions as blanks.
  const AnsiString& GetText() const override;
  void SetText(const AnsiString& text) override;
  // EDBEditError (after a beep, the caret at the empty position) when the text was changed and a
  // required position is empty.
  virtual void ValidateEdit();
  // Whether the text may be changed by typing.
  virtual bool EditCanModify() const { return !FReadOnly; }

 protected:
  void InitWidget() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  LRESULT DefWndProc(TMessage& message) override;
  void ApplyMaskEdit(const TMaskEditResult& result);
  void Reset();

  TEditMask FMask;
  AnsiString FTextOnEnter;
  mutable AnsiString FMaskedText;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};

}  // namespace orv
