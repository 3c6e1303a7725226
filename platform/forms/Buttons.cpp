// Bit button kinds and the glyph shown as the button's icon.
#include "platform/forms/Buttons.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include "platform/graphics/Gdi.h"

namespace orv {
namespace {

struct TKindInfo {
  const char* Caption;
  TModalResult Result;
};
constexpr TKindInfo kKinds[] = {
  {"", mrNone}, {"OK", mrOk}, {"Cancel", mrCancel}, {"&Help", mrNone}, {"&Yes", mrYes},
  {"&No", mrNo}, {"&Close", mrNone}, {"Abort", mrAbort}, {"&Retry", mrRetry}, {"&Ignore", mrIgnore},
  {"&All", mrAll},
};

}  // namespace

const char* BitBtnKindCaption(TBitBtnKind kind) { return kKinds[kind].Caption; }
TModalResult BitBtnKindResult(TBitBtnKind kind) { return kKinds[kind].Result; }

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), FGlyph(std::make_unique<TBitmap>()) {
  FGlyph->OnChange = [this](TObject*) { UpdateGlyph(); };
}

TBitBtn::~TBitBtn() { FGlyph->OnChange = nullptr; }

void TBitBtn::SetKind(TBitBtnKind kind) {
  FKind = kind;
  if (kind == bkCustom) return;
  const TKindInfo& info = kKinds[kind];
  if (GetText().empty()) SetText(info.Caption);
  FModalResult = info.Result;
  if (kind == bkOK || kind == bkYes) SetDefault(true);
  if (kind == bkCancel || kind == bkNo) SetCancel(true);
}

void TBitBtn::SetGlyph(TBitmap* glyph) {
  if (glyph != nullptr) {
    FGlyph->Assign(glyph);
    return;
  }
  FGlyph = std::make_unique<TBitmap>();
  FGlyph->OnChange = [this](TObject*) { UpdateGlyph(); };
  UpdateGlyph();
}

void TBitBtn::Click() {
  // A close button closes its form.
  if (FKind == bkClose) {
    if (TCustomForm* form = ParentForm()) {
      TButton::Click();
      form->Close();
      return;
    }
  }
  TButton::Click();
}

void TBitBtn::InitWidget() {
  TButton::InitWidget();
  UpdateGlyph();
}

void TBitBtn::UpdateGlyph() {
  if (Host() == nullptr) return;
  auto* button = static_cast<QPushButton*>(Host()->Widget());
  if (FGlyph->Empty()) {
    button->setIcon(QIcon());
    return;
  }
  const QImage& image = FGlyph->Handle()->Image();
  // Several glyphs side by side: the first is the normal one.
  const int width = FNumGlyphs > 1 ? image.width() / FNumGlyphs : image.width();
  button->setIcon(QIcon(QPixmap::fromImage(image.copy(0, 0, width, image.height()))));
  button->setIconSize(QSize(width, image.height()));
}

}  // namespace orv
