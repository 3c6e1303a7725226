// The XP-style button: kinds, properties, clicks, and the owner drawing of its face.
#include "controls/XPStyleButtons.h"

#include <QPushButton>
#include "controls/ActionImages.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/StdCtrls.h"

namespace orv {
namespace {

bool KindDefault(TBitBtnXPKind kind) { return kind == bkOK || kind == bkYes; }
bool KindCancel(TBitBtnXPKind kind) { return kind == bkCancel || kind == bkNo; }

// A push button that leaves all of its painting to its control.
class TOwnerDrawButtonWidget : public THostWidget<QPushButton> {
 public:
  using THostWidget<QPushButton>::THostWidget;

 protected:
  void paintEvent(QPaintEvent*) override {}
};

}  // namespace

AnsiString TBitBtnXP::KindCaption(TBitBtnXPKind kind) { return BitBtnKindCaption(kind); }
TModalResult TBitBtnXP::KindModalResult(TBitBtnXPKind kind) { return BitBtnKindResult(kind); }

TBitBtnXP::TBitBtnXP(TComponent* owner)
    : TButton(owner), FCanvas(std::make_unique<TCanvas>()), FGlyph(std::make_unique<TButtonGlyph>()) {
  FGlyph->OnChange = [this] { Invalidate(); };
  BindThemeLibrary();
  if (ThemesAvailable() && OpenThemeData != nullptr) FTheme = OpenThemeData(nullptr, u"BUTTON");
}

TBitBtnXP::~TBitBtnXP() {
  FGlyph->OnChange = nullptr;
  if (FTheme != nullptr && ThemesAvailable() && CloseThemeData != nullptr) CloseThemeData(FTheme);
}

std::unique_ptr<IHostWidget> TBitBtnXP::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<TOwnerDrawButtonWidget>(this, parentWidget);
}

void TBitBtnXP::CreateParams(TCreateParams& params) {
  TButton::CreateParams(params);
  params.Style = (params.Style & ~BS_TYPEMASK) | BS_OWNERDRAW;
}

void TBitBtnXP::CreateWnd() {
  const bool enabled = FEnabled;
  TButton::CreateWnd();
  FGlyph->MakeStateImage(enabled ? bsUp : bsDisabled);
}

void TBitBtnXP::InitWidget() {
  TButton::InitWidget();
  // The widget's own default look is not drawn; the face shows it.
  static_cast<QPushButton*>(Widget())->setDefault(false);
}

void TBitBtnXP::SetGlyph(TBitmap* value) {
  FGlyph->SetGlyph(value);
  FModifiedGlyph = true;
  Invalidate();
}

TBitBtnXPKind TBitBtnXP::Kind() const {
  if (FKind != bkCustom &&
      (FDefault != KindDefault(FKind) || FCancel != KindCancel(FKind) ||
       FModalResult != KindModalResult(FKind) || FModifiedGlyph))
    FKind = bkCustom;
  return FKind;
}

void TBitBtnXP::SetKind(TBitBtnXPKind value) {
  // Compared with the kind as it reads now: a kind whose results were changed is custom, and
  // setting it again restores them.
  if (value == Kind()) return;
  if (value != bkCustom) {
    SetDefault(KindDefault(value));
    SetCancel(KindCancel(value));
    if (!ComponentState().Contains(csLoading) || GetText().empty()) SetText(KindCaption(value));
    SetModalResult(KindModalResult(value));
    FGlyph->SetGlyph(KindGlyph(value));
    FGlyph->SetNumGlyphs(2);
    FModifiedGlyph = false;
  }
  FKind = value;
  Invalidate();
}

bool TBitBtnXP::IsCustomCaption() const { return GetText() != KindCaption(Kind()); }

void TBitBtnXP::SetLayout(TButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TBitBtnXP::SetMargin(Integer value) {
  if (value == FMargin || value < -1) return;
  FMargin = value;
  Invalidate();
}

void TBitBtnXP::SetSpacing(Integer value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

void TBitBtnXP::SetStyle(TButtonStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TBitBtnXP::SetNumGlyphs(Integer value) {
  if (value > 4) value = 4;
  if (value == FGlyph->NumGlyphs()) return;
  FGlyph->SetNumGlyphs(value);
  Invalidate();
}

void TBitBtnXP::Click() {
  if (FKind == bkHelp) {
    for (TControl* c = this; c != nullptr; c = c->Parent()) {
      if (c->HelpContext() != 0) {
        Application->HelpCommand(HELP_CONTEXT, c->HelpContext());
        return;
      }
    }
  } else if (FKind == bkClose) {
    if (TCustomForm* form = ParentForm()) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

void TBitBtnXP::ActionChange(TObject* sender, bool checkDefaults) {
  TButton::ActionChange(sender, checkDefaults);
  if (!FGlyph->Glyph()->Empty()) return;
  if (std::unique_ptr<TBitmap> image = ActionImageBitmap(sender)) SetGlyph(image.get());
}

void TBitBtnXP::ApplyButtonStyle(bool isDefault) {
  if (isDefault == FIsFocused) return;
  FIsFocused = isDefault;
  Repaint();
}

void TBitBtnXP::FontChanged() {
  TButton::FontChanged();
  Invalidate();
}

void TBitBtnXP::EnabledChanged() {
  TButton::EnabledChanged();
  Invalidate();
}

void TBitBtnXP::MessageHandler(TMessage& message) {
  switch (message.Msg) {
    case CN_DRAWITEM:
      PaintButtonFace(*LParamPtr<const DRAWITEMSTRUCT>(message.LParam));
      message.Result = 1;
      return;
    case CN_MEASUREITEM: {
      auto* item = LParamPtr<MEASUREITEMSTRUCT>(message.LParam);
      item->itemWidth = static_cast<UINT>(FWidth);
      item->itemHeight = static_cast<UINT>(FHeight);
      message.Result = 1;
      return;
    }
    default:
      // A double click reaches the widget as a second press, so it clicks again.
      TButton::MessageHandler(message);
  }
}

void TBitBtnXP::PaintWindow(QPainter& painter) {
  auto* button = static_cast<QPushButton*>(Widget());
  DRAWITEMSTRUCT item;
  item.CtlType = ODT_BUTTON;
  item.itemID = 0;
  item.hwndItem = FHandle;
  item.rcItem = ClientRect();
  if (button->isDown()) item.itemState |= ODS_SELECTED;
  if (button->hasFocus()) item.itemState |= ODS_FOCUS;
  if (!FEnabled) item.itemState |= ODS_DISABLED;
  item.hDC = CreatePainterDC(&painter);
  struct TRelease {
    HDC Dc;
    ~TRelease() { DeleteDC(Dc); }
  } release{item.hDC};
  Perform(CN_DRAWITEM, 0, PtrLParam(&item));
}

UINT TBitBtnXP::DrawTextBiDiFlags() const {
  UINT flags = 0;
  if (UseRightToLeftAlignment()) flags |= DT_RIGHT;
  if (UseRightToLeftReading()) flags |= DT_RTLREADING;
  return flags;
}

void TBitBtnXP::PaintButtonFace(const DRAWITEMSTRUCT& item) {
  TCanvas& canvas = *FCanvas;
  canvas.SetHandle(item.hDC);
  struct TDetach {
    TCanvas& Canvas;
    ~TDetach() { Canvas.SetHandle(nullptr); }
  } detach{canvas};
  const bool themed = ThemesAvailable() && FTheme != nullptr && DrawThemeBackground != nullptr;
  TRect r = ClientRect();
  if (themed) {
    canvas.Pen()->SetColor(FColor);
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetColor(FColor);
    canvas.Rectangle(r);
  }
  const bool down = (item.itemState & ODS_SELECTED) != 0;
  const bool defaultFlag = (item.itemState & ODS_FOCUS) != 0;
  const TButtonState state = !FEnabled ? bsDisabled : (down ? bsDown : bsUp);
  UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
  if (down) flags |= DFCS_PUSHED;
  if (item.itemState & ODS_DISABLED) flags |= DFCS_INACTIVE;

  if ((FIsFocused || defaultFlag) && !themed) {
    canvas.Pen()->SetColor(clWindowFrame);
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(r);
    InflateRect(r, -1, -1);
  }
  if (down) {
    if (themed) {
      DrawThemeBackground(FTheme, canvas.Handle(), BP_PUSHBUTTON, PBS_PRESSED, &r, nullptr);
    } else {
      canvas.Pen()->SetColor(clBtnShadow);
      canvas.Pen()->SetWidth(1);
      canvas.Brush()->SetColor(clBtnFace);
      canvas.Rectangle(r);
    }
    InflateRect(r, -1, -1);
  } else if (themed) {
    const int themeState = state == bsDisabled ? PBS_DISABLED
                         : (FIsFocused || defaultFlag) ? PBS_DEFAULTED : PBS_NORMAL;
    DrawThemeBackground(FTheme, canvas.Handle(), BP_PUSHBUTTON, themeState, &r, nullptr);
  } else {
    DrawFrameControl(canvas.Handle(), &r, DFC_BUTTON, flags);
  }
  if (FIsFocused) {
    r = ClientRect();
    InflateRect(r, -1, -1);
  }
  canvas.Font()->Assign(Font());
  if (down) OffsetRect(r, 1, 1);
  FGlyph->PaintGlyphAndText(canvas, r, GetText(), FLayout, FMargin, FSpacing, state,
                            DrawTextBiDiFlags());
  if (FIsFocused && defaultFlag) {
    r = ClientRect();
    InflateRect(r, -4, -4);
    canvas.Pen()->SetColor(clWindowFrame);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.DrawFocusRect(r);
  }
}

void FinalizeXPStyleButtons() {
  TBitBtnXP::FreeKindGlyphs();
  FinalizeThemeLibrary();
}

}  // namespace orv
