// TGIFImage and TGIFFrame as graphics: the model's life cycle, sizes, transparency, drawing, and
// the registration as the picture format for "gif".
#include "controls/GIFImage.h"

#include "controls/GIFInternal.h"
#include "controls/OrvHelpers.h"
#include "platform/classes/TypeInfo.h"
#include "platform/win/Clipboard.h"

namespace orv {

// ----- TGIFFrame -----

TGIFFrame::TGIFFrame(TGIFImage* owner) : FOwner(owner) { ClearFrame(); }
TGIFFrame::~TGIFFrame() = default;

void TGIFFrame::ClearFrame() {
  FItem = std::make_shared<TGIFItem>();
  Grayscale = false;
  Corrupted = false;
  TransparentColor = clNone;
  Left = 0;
  Top = 0;
  Interlaced = false;
  LocalColors = false;
  Delay = 0;
  Disposal = 0;
}

void TGIFFrame::NewBitmap() { FBitmap = std::make_unique<TBitmap>(); }

int TGIFFrame::ExtentWidth() const {
  if (HasBitmap()) return FBitmap->Width();
  return FItem->EncodedData.empty() ? 0 : FItem->Width;
}

int TGIFFrame::ExtentHeight() const {
  if (HasBitmap()) return FBitmap->Height();
  return FItem->EncodedData.empty() ? 0 : FItem->Height;
}

int TGIFFrame::FrameWidth() {
  if (!HasBitmap() && FItem->EncodedData.empty()) return 0;
  return FrameBitmap()->Width();
}

int TGIFFrame::FrameHeight() {
  if (!HasBitmap() && FItem->EncodedData.empty()) return 0;
  return FrameBitmap()->Height();
}

TStringList* TGIFFrame::Comment(bool create) {
  for (const auto& ext : FExtensions)
    if (ext->Kind == ekComment) {
      if (!ext->Lines) ext->Lines = std::make_unique<TStringList>();
      return ext->Lines.get();
    }
  if (!create) return nullptr;
  FExtensions.push_back(std::make_unique<TExtension>(ekComment));
  return FExtensions.back()->Lines.get();
}

void TGIFFrame::DrawFrame(TCanvas& canvas, const TRect& rect, bool transparent) {
  TBitmap* bitmap = FrameBitmap();
  if (bitmap->Empty()) return;
  if (transparent && TransparentColor != clNone) {
    DrawBitmapPartTransparent(canvas, rect.Left, rect.Top, RectWidth(rect), RectHeight(rect),
                              Rect(0, 0, bitmap->Width(), bitmap->Height()), *bitmap, TransparentColor);
  } else {
    canvas.StretchDraw(rect, bitmap);
  }
}

// ----- TGIFImage -----

TGraphicClass TGIFImage::Class() {
  static const TGraphicClassInfo info{"TGIFImage", [] { return std::unique_ptr<TGraphic>(std::make_unique<TGIFImage>()); }};
  return &info;
}

TGIFImage::TGIFImage() {
  ClearImage();
  FTransparent = true;
}

TGIFImage::~TGIFImage() {
  OnChange = nullptr;
  FFrames.clear();
}

void TGIFImage::ClearImage() {
  FData = std::make_shared<TGIFData>();
  FFrames.clear();
  FCurrentIndex = -1;
  FBackgroundColor = clNone;
  FRepeatCount = 1;
  FLooping = false;
  FVersion = 0;
}

bool TGIFImage::Empty() const {
  const auto index = static_cast<std::size_t>(std::max(FCurrentIndex, 0));
  if (index >= FFrames.size()) return true;
  const TGIFFrame& frame = *FFrames[index];
  return frame.FBitmap == nullptr && frame.FItem->EncodedData.empty();
}

int TGIFImage::Width() const {
  if (Empty() || FCurrentIndex < 0 || FCurrentIndex >= FrameCount()) return 0;
  return FFrames[static_cast<std::size_t>(FCurrentIndex)]->FrameBitmap()->Width();
}

int TGIFImage::Height() const {
  if (Empty() || FCurrentIndex < 0 || FCurrentIndex >= FrameCount()) return 0;
  return FFrames[static_cast<std::size_t>(FCurrentIndex)]->FrameBitmap()->Height();
}

void TGIFImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the Size of a GIF image"); }
void TGIFImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the Size of a GIF image"); }

bool TGIFImage::Transparent() const {
  if (!FTransparent) return false;
  for (const auto& frame : FFrames)
    if (frame->TransparentColor != clNone) return true;
  return false;
}

HPALETTE TGIFImage::Palette() {
  if (FFrames.empty()) return nullptr;
  return CurrentBitmap()->Palette();
}

bool TGIFImage::SameImageAs(const TGraphic* other) const {
  const auto* gif = dynamic_cast<const TGIFImage*>(other);
  return gif != nullptr && gif->FData == FData;
}

void TGIFImage::LoadFromStream(TStream& stream) { LoadGIF(stream.Size() - stream.Position(), stream, true); }

void TGIFImage::ReadData(TStream& stream) {
  LongWord count = 0;
  stream.ReadBuffer(&count, 4);
  LoadGIF(count, stream, true);
}

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (FCurrentIndex < 0 || FCurrentIndex >= FrameCount()) return;
  FFrames[static_cast<std::size_t>(FCurrentIndex)]->DrawFrame(canvas, rect, Transparent());
}

TBitmap* TGIFImage::CurrentBitmap() {
  if (!FFrames.empty()) {
    const int index = FCurrentIndex >= 0 && FCurrentIndex < FrameCount() ? FCurrentIndex : 0;
    return FFrames[static_cast<std::size_t>(index)]->FrameBitmap();
  }
  TBitmap empty;
  Assign(&empty);
  FCurrentIndex = 0;
  return FFrames[0]->FrameBitmap();
}

void TGIFImage::UpdateScreenSize() {
  if (FScreenSizeHeld > 0) return;
  long long width = 0, height = 0;
  for (const auto& frame : FFrames) {
    int w = 0, h = 0;
    try {
      w = frame->FrameWidth();
      h = frame->FrameHeight();
    } catch (const EInvalidGraphicOperation&) {
      // Codes that run out or a table that does not fit: the frame is kept, and written, as read.
      w = frame->ExtentWidth();
      h = frame->ExtentHeight();
    }
    width = std::max<long long>(width, w + static_cast<long long>(frame->Left));
    height = std::max<long long>(height, h + static_cast<long long>(frame->Top));
  }
  FScreenWidth = static_cast<Word>(std::clamp<long long>(width, 0, 0xFFFF));
  FScreenHeight = static_cast<Word>(std::clamp<long long>(height, 0, 0xFFFF));
}

long long TGIFImage::HeldPixels() const {
  long long pixels = 0;
  for (const auto& frame : FFrames) pixels += static_cast<long long>(frame->ExtentWidth()) * frame->ExtentHeight();
  return pixels;
}

int TGIFImage::AppendFrame(TPersistent* source) {
  const int previous = FCurrentIndex;
  FFrames.push_back(std::make_unique<TGIFFrame>(this));
  FCurrentIndex = FrameCount() - 1;
  try {
    FFrames.back()->Assign(source);
  } catch (...) {
    FFrames.pop_back();
    FCurrentIndex = previous;
    throw;
  }
  if (FVersion == 0) FVersion = 1;
  if (FFrames.size() > 1) FVersion = 2;
  return FCurrentIndex;
}

int TGIFImage::AddFrame(TGraphic* graphic) {
  gif::CheckFrameCount(FFrames.size() + 1);
  const Byte version = FVersion;
  const int previous = FCurrentIndex;
  const int index = AppendFrame(graphic);
  if (const long long pixels = HeldPixels(); pixels > gif::kMaxImagePixels) {
    FFrames.pop_back();
    FCurrentIndex = previous;
    FVersion = version;
    UpdateScreenSize();
    gif::CheckImagePixels(pixels);
  }
  return index;
}

void TGIFImage::FrameProgress(TProgressStage stage, Byte percent, const AnsiString& message) {
  Progress(stage, percent, false, TRect(), message);
}

// ----- registration -----

namespace {
UINT gClipboardFormat = 0;
}  // namespace

UINT GIFClipboardFormat() { return gClipboardFormat; }

void RegisterGIFImage() {
  gClipboardFormat = RegisterClipboardFormatA("GIF Image");
  if (ClassInfoOf<TGIFFrame>() == nullptr) RegisterClassType<TGIFFrame, TPersistent>("TGIFFrame");
  if (ClassInfoOf<TGraphic>() == nullptr) RegisterClassType<TGraphic, TPersistent>("TGraphic");
  if (ClassInfoOf<TGIFImage>() == nullptr) RegisterClassType<TGIFImage, TGraphic>("TGIFImage");
  TPicture::RegisterFileFormat("gif", "CompuServe GIF Image", TGIFImage::Class());
  TPicture::RegisterClipboardFormat(static_cast<Word>(gClipboardFormat), TGIFImage::Class());
}

void UnregisterGIFImage() { TPicture::UnregisterGraphicClass(TGIFImage::Class()); }

}  // namespace orv
