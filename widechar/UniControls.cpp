// Wide captions and hints of controls: the window's own text where a Unicode window keeps it, a
// holder beside the narrow text otherwise.
#include "widechar/UniControls.h"

#include <algorithm>
#include "platform/forms/ActionLinks.h"
#include "platform/rtl/CodePages.h"
#include "widechar/UniControlsInternal.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniSystem.h"
#include "widechar/UniWindows.h"

namespace orv {

namespace unicontrols {

TUniControlsState& State() {
  static TUniControlsState state;
  return state;
}

}  // namespace unicontrols

using namespace unicontrols;

namespace {

// The first holder of control, or the position where its holder belongs.
auto HolderPosition(TControl* control) {
  auto& list = State().Holders;
  return std::lower_bound(list.begin(), list.end(), control,
                          [](const std::unique_ptr<TWideCaptionHolder>& h, TControl* c) { return h->Control() < c; });
}

bool HasUnicodeWindowOrNone(TWinControl* windowed) {
  return !windowed->HandleAllocated() || IsWindowUnicode(windowed->Handle());
}

}  // namespace

// ----- TWideCaptionHolder -----

TWideCaptionHolder::TWideCaptionHolder(TControl* control) : TComponent(nullptr), FControl(control) {
  FControl->FreeNotification(this);
}

void TWideCaptionHolder::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove || component != FControl) return;
  FControl = nullptr;
  auto& list = State().Holders;
  auto it = std::find_if(list.begin(), list.end(), [this](const auto& h) { return h.get() == this; });
  // Leaving the list frees the holder: nothing of it may be touched afterwards.
  if (it != list.end()) list.erase(it);
}

TWideCaptionHolder* FindWideCaptionHolder(TControl* control, bool createWhenMissing) {
  auto& list = State().Holders;
  auto it = HolderPosition(control);
  if (it != list.end() && (*it)->Control() == control) return it->get();
  if (!createWhenMissing) return nullptr;
  return list.insert(it, std::make_unique<TWideCaptionHolder>(control))->get();
}

std::size_t WideCaptionHolderCount() { return State().Holders.size(); }

// ----- texts -----

WideString GetWideText(TControl* control) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (!Win32PlatformIsUnicode || (windowed != nullptr && windowed->HandleAllocated() && !IsWindowUnicode(windowed->Handle())))
    return AnsiToWide(control->Caption());
  if (windowed == nullptr) {
    if (TWideCaptionHolder* holder = FindWideCaptionHolder(control, false))
      return SyncWideFromNarrow(holder->Caption, control->Caption());
    return AnsiToWide(control->Caption());
  }
  if (windowed->HandleAllocated()) {
    const HWND hwnd = windowed->Handle();
    const int length = GetWindowTextLengthW(hwnd);
    WideString text(static_cast<std::size_t>(std::max(0, length)) + 1, u'\0');
    const int n = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(0, n)));
    return text;
  }
  if (TWideCaptionHolder* holder = FindWideCaptionHolder(control, false)) return holder->Caption;
  return AnsiToWide(control->Caption());
}

void SetWideText(TControl* control, const WideString& text) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (!Win32PlatformIsUnicode || (windowed != nullptr && !HasUnicodeWindowOrNone(windowed))) {
    control->SetCaption(WideToAnsi(text));
    return;
  }
  if (windowed == nullptr) {
    TWideCaptionHolder* holder = FindWideCaptionHolder(control, true);
    SetWideWithNarrowShadow(text, holder->Caption, [control] { return control->Caption(); },
                            [control](const AnsiString& narrow) { control->SetCaption(narrow); });
    return;
  }
  if (windowed->HandleAllocated()) {
    if (GetWideText(control) != text) {
      WideSetWindowText(windowed->Handle(), text);
      control->Perform(CM_TEXTCHANGED);
    }
    return;
  }
  FindWideCaptionHolder(control, true)->Caption = text;
  control->SetCaption(WideToAnsi(text));
}

WideString GetWideHint(TControl* control) {
  if (Win32PlatformIsUnicode)
    if (TWideCaptionHolder* holder = FindWideCaptionHolder(control, false))
      return SyncWideFromNarrow(holder->Hint, control->Hint());
  return AnsiToWide(control->Hint());
}

void SetWideHint(TControl* control, const WideString& hint) {
  if (!Win32PlatformIsUnicode) {
    control->SetHint(WideToAnsi(hint));
    return;
  }
  TWideCaptionHolder* holder = FindWideCaptionHolder(control, true);
  SetWideWithNarrowShadow(hint, holder->Hint, [control] { return control->Hint(); },
                          [control](const AnsiString& narrow) { control->SetHint(narrow); });
}

WideString GetWideHintOfControlChain(TControl* control) {
  for (TControl* c = control; c != nullptr; c = c->Parent()) {
    WideString hint = GetWideHint(c);
    if (!hint.empty()) return hint;
  }
  return {};
}

bool IsCaptionStoredFor(TControl* control) {
  return control->ActionLink() == nullptr || !control->ActionLink()->IsCaptionLinked();
}

bool IsHintStoredFor(TControl* control) {
  return control->ActionLink() == nullptr || !control->ActionLink()->IsHintLinked();
}

}  // namespace orv
