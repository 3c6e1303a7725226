// The status bar: panels in a collection, rendered into a kept image (owner-drawn panels through
// OnDrawPanel); painting on its canvas between repaints goes over that image.
#include <QPainter>
#include <QWidget>
#include "platform/forms/ComCtrls.h"
#include "platform/graphics/Gdi.h"

namespace orv {

TStatusPanel::TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

void TStatusPanel::SetText(const AnsiString& text) { if (FText != text) { FText = text; Changed(false); } }
void TStatusPanel::SetWidth(Integer width) { if (FWidth != width) { FWidth = width; Changed(true); } }
void TStatusPanel::SetStyle(TStatusPanelStyle style) { if (FStyle != style) { FStyle = style; Changed(false); } }
void TStatusPanel::SetBevel(TStatusPanelBevel bevel) { if (FBevel != bevel) { FBevel = bevel; Changed(false); } }
void TStatusPanel::SetAlignment(TAlignment a) { if (FAlignment != a) { FAlignment = a; Changed(false); } }

void TStatusPanel::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TStatusPanel*>(source)) {
    FText = p->FText;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FBevel = p->FBevel;
    FAlignment = p->FAlignment;
    Changed(true);
    return;
  }
  TCollectionItem::Assign(source);
}

TStatusPanels::TStatusPanels(TStatusBar* owner)
    : TCollection(owner, TCollection::ItemsOf<TStatusPanel>()), FStatusBar(owner) {}

void TStatusPanels::Update(TCollectionItem* /*item*/) { FStatusBar->Invalidate(); }

// The painter that draws on the kept image between repaints.
struct TStatusBar::TOutsidePaint {
  QPainter Painter;
  HDC Dc = nullptr;
};

TStatusBar::TStatusBar(TComponent* owner)
    : TWinControl(owner), FPanels(std::make_unique<TStatusPanels>(this)), FCanvas(std::make_unique<TCanvas>()) {
  FAlign = alBottom;
  FHeight = 19;
  FWidth = 200;
  FControlStyle |= csOpaque;
}

TStatusBar::~TStatusBar() { EndOutsidePaint(); }

void TStatusBar::SetPanels(TStatusPanels* panels) {
  if (panels != nullptr) FPanels->Assign(panels);
}

void TStatusBar::SetSimplePanel(bool value) {
  if (FSimplePanel == value) return;
  FSimplePanel = value;
  Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& text) {
  FSimpleText = text;
  if (FSimplePanel) Invalidate();
}

TRect TStatusBar::PanelRect(Integer index) const {
  Integer left = 0;
  for (Integer i = 0; i < FPanels->Count(); ++i) {
    const Integer width = i == FPanels->Count() - 1 ? std::max(FWidth - left, 0) : FPanels->Items(i)->Width();
    if (i == index) {
      // Inside the panel's bevel; panels are two pixels apart.
      return Rect(left + 1, 3, left + width - 1, FHeight - 1);
    }
    left += width + 2;
  }
  return Rect(0, 0, 0, 0);
}

void TStatusBar::EndOutsidePaint() {
  if (!FOutside) return;
  FCanvas->SetHandle(nullptr);
  DeleteDC(FOutside->Dc);
  FOutside->Painter.end();
  FOutside.reset();
}

TCanvas& TStatusBar::Canvas() {
  if (FOutside || FControlState & csPainting) return *FCanvas;
  // Outside a repaint the canvas draws on the kept image, which is shown as it is.
  if (FImage.size() != QSize(FWidth, FHeight) || !FImageValid) {
    if (FWidth <= 0 || FHeight <= 0) return *FCanvas;
    Render();
  }
  FOutside = std::make_unique<TOutsidePaint>();
  FOutside->Painter.begin(&FImage);
  FOutside->Dc = CreatePainterDC(&FOutside->Painter);
  FCanvas->Font()->Assign(Font());
  FCanvas->SetHandle(FOutside->Dc);
  if (HandleAllocated()) Widget()->update();
  return *FCanvas;
}

void TStatusBar::Invalidate() {
  FImageValid = false;
  TWinControl::Invalidate();
}

void TStatusBar::Repaint() {
  FImageValid = false;
  TWinControl::Repaint();
}

void TStatusBar::DestroyWnd() {
  EndOutsidePaint();
  TWinControl::DestroyWnd();
}

void TStatusBar::Render() {
  EndOutsidePaint();
  FImage = QImage(std::max(FWidth, 1), std::max(FHeight, 1), QImage::Format_RGB32);
  QPainter painter(&FImage);
  FControlState |= csPainting;
  struct TDone {
    TStatusBar& Bar;
    ~TDone() { Bar.FControlState &= ~csPainting; }
  } done{*this};
  PaintWithCanvas(*FCanvas, painter, Font(), [this] {
    TCanvas& canvas = *FCanvas;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(FColor);
    canvas.FillRect(Rect(0, 0, FWidth, FHeight));
    HDC dc = canvas.Handle();
    if (FSimplePanel) {
      TRect r = Rect(2, 3, FWidth - 2, FHeight - 1);
      SetBkMode(dc, TRANSPARENT);
      DrawTextA(dc, FSimpleText.c_str(), static_cast<int>(FSimpleText.size()), &r,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      return;
    }
    for (Integer i = 0; i < FPanels->Count(); ++i) {
      TStatusPanel* panel = FPanels->Items(i);
      TRect r = PanelRect(i);
      if (panel->Bevel() != pbNone) {
        const bool lowered = panel->Bevel() == pbLowered;
        canvas.Pen()->SetColor(lowered ? clBtnShadow : clBtnHighlight);
        canvas.MoveTo(r.Left - 1, r.Bottom);
        canvas.LineTo(r.Left - 1, r.Top - 1);
        canvas.LineTo(r.Right + 1, r.Top - 1);
        canvas.Pen()->SetColor(lowered ? clBtnHighlight : clBtnShadow);
        canvas.MoveTo(r.Right, r.Top - 1);
        canvas.LineTo(r.Right, r.Bottom);
        canvas.LineTo(r.Left - 2, r.Bottom);
      }
      if (panel->Style() == psOwnerDraw) {
        canvas.Brush()->SetColor(FColor);
        OnDrawPanel(this, panel, r);
        dc = canvas.Handle();
        continue;
      }
      TRect textRect = r;
      InflateRect(textRect, -2, 0);
      UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS;
      if (panel->Alignment() == taCenter) flags |= DT_CENTER;
      else if (panel->Alignment() == taRightJustify) flags |= DT_RIGHT;
      SetBkMode(dc, TRANSPARENT);
      DrawTextA(dc, panel->Text().c_str(), static_cast<int>(panel->Text().size()), &textRect, flags);
    }
  });
  FImageValid = true;
}

void TStatusBar::PaintWindow(QPainter& painter) {
  EndOutsidePaint();
  if (!FImageValid || FImage.size() != QSize(FWidth, FHeight)) {
    try {
      Render();
    } catch (...) {
      FImageValid = true;  // one failing handler must not loop the repaints
      throw;
    }
  }
  painter.drawImage(0, 0, FImage);
}

}  // namespace orv
