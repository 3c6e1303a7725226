// The wide hint window and the retyping of a control's hint information to it.
#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/CodePages.h"
#include "widechar/UniControls.h"
#include "widechar/UniGraphics.h"
#include "widechar/UniMenus.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniSystem.h"
#include "widechar/UniWindows.h"

namespace orv {

namespace {

// A canvas for measuring text in font, outside of painting.
struct TMeasureCanvas {
  TBitmap Bitmap;
  explicit TMeasureCanvas(const TFont& font) {
    Bitmap.SetWidth(1);
    Bitmap.SetHeight(1);
    Bitmap.Canvas()->Font()->Assign(font);
  }
  TCanvas& Canvas() { return *Bitmap.Canvas(); }
};

}  // namespace

bool IsWideHintData(const THintInfo* info) {
  return info != nullptr && info->HintData == info && info->HintWindowClass != nullptr &&
         info->HintWindowClass->InheritsFrom(ClassInfoOf<TUniCustomHintWindow>());
}

WideString WideHintTextOf(const THintInfo& info) {
  WideString result = AnsiToWide(info.HintStr);
  if (result.empty()) return result;
  const WideString wide = WideGetShortHint(GetWideHintOfControlChain(info.HintControl));
  if (WideToAnsi(wide) == info.HintStr) return wide;
  auto* action = info.HintControl != nullptr ? dynamic_cast<TCustomAction*>(info.HintControl->Action()) : nullptr;
  if (Application != nullptr && Application->HintShortCuts() && action != nullptr && action->ShortCut() != 0 &&
      info.HintStr == Format("%s (%s)", {WideToAnsi(wide), ShortCutToText(action->ShortCut())}))
    return wide + u" (" + WideShortCutToText(action->ShortCut()) + u")";
  return result;
}

void RetypeHintWindow(THintInfo& info) {
  if (!Win32PlatformIsUnicode) return;
  const TClassInfo* plain = ClassInfoOf<THintWindow>();
  const TClassInfo* wide = ClassInfoOf<TUniCustomHintWindow>();
  if (info.HintWindowClass != plain && (info.HintWindowClass == nullptr || !info.HintWindowClass->InheritsFrom(wide)))
    return;
  if (info.HintWindowClass == plain) info.HintWindowClass = wide;
  info.HintData = &info;
  info.HintStr = WideToAnsi(WideGetShortHint(GetWideHintOfControlChain(info.HintControl)));
}

// ----- TUniCustomHintWindow -----

void TUniCustomHintWindow::CreateParams(TCreateParams& params) {
  THintWindow::CreateParams(params);
  if (Win32PlatformIsXPOrLater) params.WindowClassStyle |= CS_DROPSHADOW;
}

void TUniCustomHintWindow::CreateWindowHandle(const TCreateParams& params) {
  // The window's default procedure is the class library's procedure of its own class, which keeps
  // the control's narrow text in step with the window's.
  CreateUnicodeWindow(this, params, AnsiToWide(params.WinClassName), false);
}

void TUniCustomHintWindow::Paint() {
  if (FBlockPaint) return;
  if (!Win32PlatformIsUnicode) {
    THintWindow::Paint();
    return;
  }
  TRect r = ClientRect();
  r.Left += 2;
  r.Top += 2;
  Canvas().Font()->SetColor(Screen != nullptr ? Screen->HintFont().Color() : clInfoText);
  Canvas().Brush()->SetStyle(bsClear);
  const WideString text = GetWideText(this);
  WideDrawText(Canvas().Handle(), text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
}

void TUniCustomHintWindow::MessageHandler(TMessage& message) {
  if (message.Msg == CM_TEXTCHANGED && !FActivating) {
    TMeasureCanvas measure(Font());
    const WideString text = GetWideText(this);
    SetWidth(WideCanvasTextWidth(measure.Canvas(), text) + 6);
    SetHeight(WideCanvasTextHeight(measure.Canvas(), text) + 6);
    return;
  }
  THintWindow::MessageHandler(message);
}

void TUniCustomHintWindow::ActivateHint(TRect rect, const AnsiString& hint) {
  FActivating = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } done{FActivating};
  THintWindow::ActivateHint(rect, hint);
}

void TUniCustomHintWindow::ActivateHintData(TRect rect, const AnsiString& hint, void* data) {
  auto* info = static_cast<THintInfo*>(data);
  if (!Win32PlatformIsUnicode || !IsWideHintData(info)) {
    THintWindow::ActivateHintData(rect, hint, data);
    return;
  }
  FBlockPaint = true;
  FActivating = true;
  struct TDone {
    TUniCustomHintWindow* Window;
    ~TDone() {
      Window->FBlockPaint = false;
      Window->FActivating = false;
      Window->Invalidate();
    }
  } done{this};
  HandleNeeded();
  SetWideText(this, WideHintTextOf(*info));
  THintWindow::ActivateHintData(rect, hint, data);
}

TRect TUniCustomHintWindow::CalcHintRect(Integer maxWidth, const AnsiString& hint, void* data) {
  auto* info = static_cast<THintInfo*>(data);
  if (!Win32PlatformIsUnicode || !IsWideHintData(info)) return THintWindow::CalcHintRect(maxWidth, hint, data);
  TMeasureCanvas measure(Font());
  TRect r{0, 0, maxWidth, 0};
  const WideString text = WideHintTextOf(*info);
  WideDrawText(measure.Canvas().Handle(), text.c_str(), -1, &r,
               DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void RegisterUniControlClasses() { RegisterClassType<TUniCustomHintWindow, THintWindow>("TUniCustomHintWindow"); }

}  // namespace orv
