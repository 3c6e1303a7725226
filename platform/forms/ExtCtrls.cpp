// Panel painting (bevels, caption), image drawing (stretched, centred) and the timer component.
#include "platform/forms/ExtCtrls.h"

#include "platform/graphics/Gdi.h"

namespace orv {

void Frame3D(TCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, Integer width) {
  canvas.Pen()->SetWidth(1);
  for (Integer i = 0; i < width; ++i) {
    canvas.Pen()->SetColor(topColor);
    canvas.MoveTo(r.Left, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - 1, r.Top);
    canvas.Pen()->SetColor(bottomColor);
    canvas.LineTo(r.Right - 1, r.Bottom - 1);
    canvas.LineTo(r.Left - 1, r.Bottom - 1);
    InflateRect(r, -1, -1);
  }
}

namespace {

Integer BevelSize(TBevelCut cut, Integer width) { return cut == bvNone ? 0 : width; }

}  // namespace

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque |
                  csDoubleClicks | csReplicatable;
  FWidth = 185;
  FHeight = 41;
  FParentColor = false;
  FColor = clBtnFace;
}

TRect TCustomPanel::AlignClientRect() const {
  TRect r = ClientRect();
  const Integer inset = BevelSize(FBevelOuter, FBevelWidth) + FBorderWidth +
                        BevelSize(FBevelInner, FBevelWidth) + (FBorderStyle == bsSingle ? 1 : 0);
  InflateRect(r, -inset, -inset);
  return r;
}

void TCustomPanel::Paint() {
  TCanvas& canvas = Canvas();
  TRect r = ClientRect();
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(FColor);
  canvas.FillRect(r);
  if (FBorderStyle == bsSingle) Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
  if (FBevelOuter != bvNone)
    Frame3D(canvas, r, FBevelOuter == bvLowered ? clBtnShadow : clBtnHighlight,
            FBevelOuter == bvLowered ? clBtnHighlight : clBtnShadow, FBevelWidth);
  InflateRect(r, -FBorderWidth, -FBorderWidth);
  if (FBevelInner != bvNone)
    Frame3D(canvas, r, FBevelInner == bvLowered ? clBtnShadow : clBtnHighlight,
            FBevelInner == bvLowered ? clBtnHighlight : clBtnShadow, FBevelWidth);
  const AnsiString& text = GetText();
  if (text.empty()) return;
  canvas.Brush()->SetStyle(bsClear);
  HDC dc = canvas.Handle();
  SetBkMode(dc, TRANSPARENT);
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (FAlignment == taCenter) flags |= DT_CENTER;
  else if (FAlignment == taRightJustify) flags |= DT_RIGHT;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

// ----- TImage -----

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
  FWidth = 105;
  FHeight = 105;
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::SetPicture(TPicture* picture) {
  if (picture == nullptr) FPicture->SetGraphic(static_cast<const TGraphic*>(nullptr));
  else FPicture->Assign(picture);
}

void TImage::SetAutoSize(bool value) {
  FAutoSize = value;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
  Invalidate();
}

TRect TImage::DestRect() const {
  Integer w = FPicture->Width();
  Integer h = FPicture->Height();
  const Integer cw = FWidth, ch = FHeight;
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      const double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
      w = static_cast<Integer>(w * scale);
      h = static_cast<Integer>(h * scale);
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r = Rect(0, 0, w, h);
  if (FCenter) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->Graphic();
  if (graphic == nullptr || graphic->Empty()) return;
  Canvas().StretchDraw(DestRect(), graphic);
}

// ----- TTimer -----

TTimer::TTimer(TComponent* owner) : TComponent(owner), FCore(std::make_unique<TTimerCore>()) {
  FCore->OnTimer = [this] {
    try {
      OnTimer(this);
    } catch (const std::exception& e) {
      HandleControlException(e);
    }
  };
  UpdateTimer();
}

TTimer::~TTimer() {
  FCore->OnTimer = nullptr;
  FCore->SetEnabled(false);
}

void TTimer::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal value) {
  if (FInterval == value) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  // While the description is read the timer waits, so it never fires half-made.
  const bool run = FEnabled && FInterval > 0 && !ComponentState().Contains(csLoading);
  FCore->SetEnabled(false);
  FCore->SetInterval(FInterval);
  FCore->SetEnabled(run);
}

}  // namespace orv
