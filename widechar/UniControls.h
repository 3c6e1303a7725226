// Wide control texts, Unicode windows for controls and the wide hint window: any control's wide
// caption and hint (kept in a holder beside the narrow ones where the window cannot keep them), a
// windowed control living in a Unicode window while the class library's narrow machinery goes on
// working, and a hint window that shows wide text.
#pragma once
#include <memory>
#include <vector>
#include "platform/forms/Controls.h"
#include "platform/forms/HintWindow.h"

namespace orv {

WideString GetWideText(TControl* control);
void SetWideText(TControl* control, const WideString& text);
WideString GetWideHint(TControl* control);
void SetWideHint(TControl* control, const WideString& hint);
// The first non-empty wide hint from the control up through its parents.
WideString GetWideHintOfControlChain(TControl* control);
// False when an action link supplies the caption (or the hint).
bool IsCaptionStoredFor(TControl* control);
bool IsHintStoredFor(TControl* control);

// The wide caption and hint of one control, freed with it.
class TWideCaptionHolder : public TComponent {
 public:
  explicit TWideCaptionHolder(TControl* control);
  TControl* Control() const { return FControl; }
  WideString Caption;
  WideString Hint;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TControl* FControl;
};

TWideCaptionHolder* FindWideCaptionHolder(TControl* control, bool createWhenMissing);
// The holders that exist now (for tests of their lifetime).
std::size_t WideCaptionHolderCount();

// Makes the control's window a Unicode window: a class registered under the parameters' class name
// with ".UnicodeClass", the control's default procedure that of the sub-class (the class library's
// widget procedure for a control's own class name) or DefWindowProcW, then SubClassUnicodeControl.
// On the narrow platform the class library's own (narrow) window.
void CreateUnicodeWindow(TWinControl* control, const TCreateParams& params, const WideString& subClassName,
                         bool useLibraryCreation);
void RegisterUnicodeWindowClass(const TCreateParams& params, WideString& className, bool useLibraryCreation);
// Puts the control's window under a trap that keeps the narrow machinery working with a Unicode
// window; the wide caption is set from the holder or the given narrow caption.
void SubClassUnicodeControl(TWinControl* control, const AnsiString& narrowCaption, bool useLibraryCreation);

inline constexpr const char* SControlNotUnicode = "Internal Error: SubClassUnicodeControl.Control is not Unicode.";

// The wide hint window: a Unicode window, painted with the wide caption.
class TUniCustomHintWindow : public THintWindow {
 public:
  explicit TUniCustomHintWindow(TComponent* owner) : THintWindow(owner) {}
  void ActivateHint(TRect rect, const AnsiString& hint) override;
  void ActivateHintData(TRect rect, const AnsiString& hint, void* data) override;
  TRect CalcHintRect(Integer maxWidth, const AnsiString& hint, void* data) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandle(const TCreateParams& params) override;
  void Paint() override;
  void MessageHandler(TMessage& message) override;

 private:
  bool FBlockPaint = false;
  bool FActivating = false;
};

// The information points at itself as its hint data and its window class descends from
// TUniCustomHintWindow.
bool IsWideHintData(const THintInfo* info);
WideString WideHintTextOf(const THintInfo& info);
// On the wide platform: a plain hint window becomes a wide one carrying the wide short hint.
void RetypeHintWindow(THintInfo& info);

// The start step: the holder and spare-trap lists, and the two window-property atoms; the exit
// step releases them and tells the traps that the layer has gone.
void InitUniControls();
void FinalizeUniControls();

void RegisterUniControlClasses();

}  // namespace orv
