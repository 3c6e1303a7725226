// GIF images and frames in the assignment protocol between graphics (made from a GIF image, a
// frame, a bitmap, another graphic or an animated cursor; handed to other graphics as the current
// frame) and on the clipboard.
#include <cstring>
#include <unordered_map>

#include "controls/AnimatedCursor.h"
#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"
#include "platform/graphics/Icon.h"
#include "platform/win/Clipboard.h"

namespace orv {

// ----- TGIFFrame -----

void TGIFFrame::Assign(TPersistent* source) {
  if (source == nullptr) {
    ClearFrame();
    FBitmap.reset();
  } else if (auto* frame = dynamic_cast<TGIFFrame*>(source)) {
    if (frame == this) return;
    FItem = frame->FItem;
    LocalColors = frame->FOwner == FOwner ? frame->LocalColors : true;
    Left = frame->Left;
    Top = frame->Top;
    Interlaced = frame->Interlaced;
    if (frame->FBitmap) {
      NewBitmap();
      FBitmap->Assign(frame->FBitmap.get());
    } else {
      // A bitmap decoded from the item this frame had before would no longer match it.
      FBitmap.reset();
    }
    TransparentColor = frame->TransparentColor;
    Delay = frame->Delay;
    Disposal = frame->Disposal;
    Grayscale = frame->Grayscale;
    Corrupted = frame->Corrupted;
    if (TStringList* lines = frame->Comment(false); lines != nullptr && lines->Count() > 0) {
      TStringList* own = Comment(true);
      own->Clear();
      for (Integer i = 0; i < lines->Count(); ++i) own->Add(lines->Get(i));
    }
  } else if (auto* image = dynamic_cast<TGIFImage*>(source)) {
    if (image->FrameCount() == 0) {
      Assign(nullptr);
      return;
    }
    const int index = image->CurrentIndex() >= 0 && image->CurrentIndex() < image->FrameCount() ? image->CurrentIndex() : 0;
    Assign(image->Frames(index));
    return;
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    if (graphic->Empty()) {
      Assign(nullptr);
      return;
    }
    // Nothing is drawn or copied for a frame that could not be held.
    gif::CheckFrameSize(graphic->Width(), graphic->Height());
    ClearFrame();
    NewBitmap();
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
      FBitmap->Assign(bitmap);
      if (bitmap->Transparent()) TransparentColor = bitmap->TransparentColor();
    } else {
      // Other graphics are drawn onto magenta, so that their transparent parts can be told apart.
      FBitmap->Canvas()->Brush()->SetColor(static_cast<TColor>(0xFF00FF));
      FBitmap->SetSize(graphic->Width(), graphic->Height());
      FBitmap->Canvas()->FillRect(Rect(0, 0, graphic->Width(), graphic->Height()));
      FBitmap->Canvas()->Draw(0, 0, graphic);
      if (graphic->Transparent()) {
        TCanvas* canvas = FBitmap->Canvas();
        TransparentColor = static_cast<TColor>(GetNearestColor(canvas->Handle(), ColorToRGB(canvas->Brush()->Color())));
      }
    }
  } else {
    TPersistent::Assign(source);
    return;
  }
  if (FOwner != nullptr) FOwner->UpdateScreenSize();
}

void TGIFFrame::AssignTo(TPersistent* dest) {
  if (dynamic_cast<TGIFFrame*>(dest) != nullptr || dynamic_cast<TGIFImage*>(dest) != nullptr) {
    dest->Assign(this);
    return;
  }
  auto* graphic = dynamic_cast<TGraphic*>(dest);
  if (graphic == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  TBitmap* bitmap = FrameBitmap();
  if (auto* target = dynamic_cast<TBitmap*>(graphic)) {
    // The bitmap copies the pixels itself; the frame's own AssignTo is not asked again.
    target->Assign(static_cast<TPersistent*>(bitmap));
    if (TransparentColor != clNone) {
      TCanvas* canvas = target->Canvas();
      target->SetTransparentColor(static_cast<TColor>(GetNearestColor(canvas->Handle(), ColorToRGB(TransparentColor))));
      target->SetTransparent(true);
    }
    return;
  }
  graphic->Assign(bitmap);
}

// ----- TGIFImage -----

void TGIFImage::Assign(TPersistent* source) {
  if (source == nullptr) {
    ClearImage();
    Changed();
    return;
  }
  if (auto* image = dynamic_cast<TGIFImage*>(source)) {
    if (image == this) return;
    FData = image->FData;
    FVersion = image->FVersion;
    FBackgroundColor = image->FBackgroundColor;
    FRepeatCount = image->FRepeatCount;
    FLooping = image->FLooping;
    FFrames.clear();
    {
      // The screen size is the source's, so it is not measured after every frame.
      THoldScreenSize hold(*this);
      FFrames.reserve(image->FFrames.size());
      for (const auto& from : image->FFrames) {
        FFrames.push_back(std::make_unique<TGIFFrame>(this));
        FFrames.back()->Assign(from.get());
        FFrames.back()->LocalColors = from->LocalColors;
      }
    }
    FScreenWidth = image->FScreenWidth;
    FScreenHeight = image->FScreenHeight;
    FCurrentIndex = image->FCurrentIndex;
    Changed();
    return;
  }
  if (auto* frame = dynamic_cast<TGIFFrame*>(source)) {
    // One of this image's own frames, and its owner's data, are kept until it is copied.
    std::unique_ptr<TGIFFrame> own;
    for (auto& held : FFrames)
      if (held.get() == frame) own = std::move(held);
    const std::shared_ptr<TGIFData> from = frame->FOwner != nullptr ? frame->FOwner->FData : nullptr;
    ClearImage();
    if (from) {
      FData->AspectRatio = from->AspectRatio;
      FData->BitsPerPixel = from->BitsPerPixel;
      FData->ColorResolution = from->ColorResolution;
      FData->Colors = from->Colors;
    }
    FFrames.push_back(std::make_unique<TGIFFrame>(this));
    FCurrentIndex = 0;
    FFrames.back()->Assign(frame);
    if (FVersion == 0) FVersion = 1;
    Changed();
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    // A bitmap that could not be held leaves the image as it is.
    gif::CheckFrameSize(bitmap->Width(), bitmap->Height());
    // The bitmap of one of this image's own frames is taken before the frames go.
    TBitmap own;
    for (const auto& held : FFrames)
      if (held->FBitmap.get() == bitmap) {
        own.Assign(bitmap);
        bitmap = &own;
        break;
      }
    ClearImage();
    AddFrame(bitmap);
    Changed();
    return;
  }
  if (auto* cursor = dynamic_cast<TAnimatedCursorImage*>(source)) {
    CopyFromAnimatedCursor(*cursor);
    return;
  }
  TGraphic::Assign(source);
}

void TGIFImage::CopyFromAnimatedCursor(TAnimatedCursorImage& cursor) {
  // The frames are measured against the bounds of a read image before anything is drawn.
  gif::CheckFrameCount(static_cast<std::size_t>(cursor.Count()));
  long long pixels = 0;
  for (int i = 0; i < cursor.Count(); ++i) {
    const TIcon* icon = cursor.Icons(i);
    if (icon == nullptr || icon->Empty()) continue;
    gif::CheckFrameSize(icon->Width(), icon->Height());
    pixels += static_cast<long long>(icon->Width()) * icon->Height();
    gif::CheckImagePixels(pixels);
  }
  ClearImage();
  FBackgroundColor = clWindow;
  {
    THoldScreenSize hold(*this);
    FFrames.reserve(static_cast<std::size_t>(cursor.Count()));
    // Frames showing the same icon images take the frame drawn for the first of them, whose bitmap
    // they share until one of them changes.
    std::unordered_map<const TIconImage*, TGIFFrame*> drawn;
    for (int i = 0; i < cursor.Count(); ++i) {
      TIcon* icon = cursor.Icons(i);
      const TIconImage* images = icon != nullptr && !icon->Empty() ? &icon->Image(0) : nullptr;
      const auto found = images != nullptr ? drawn.find(images) : drawn.end();
      const int index = AppendFrame(found != drawn.end() ? static_cast<TPersistent*>(found->second) : icon);
      TGIFFrame& frame = *FFrames[static_cast<std::size_t>(index)];
      if (images != nullptr && found == drawn.end()) drawn.emplace(images, &frame);
      // The rate is in sixtieths of a second.
      const long long delay = static_cast<long long>(cursor.Frames(i)->Rate) * 100 / 6;
      frame.Delay = static_cast<Word>(std::clamp<long long>(delay, 0, 0xFFFF));
    }
  }
  UpdateScreenSize();
  Changed();
}

bool TGIFImage::CopiesInto(const TPersistent* dest) const { return dynamic_cast<const TGraphic*>(dest) != nullptr; }

void TGIFImage::AssignTo(TPersistent* dest) {
  if (auto* gif = dynamic_cast<TGIFImage*>(dest)) {
    gif->Assign(this);
    return;
  }
  auto* graphic = dynamic_cast<TGraphic*>(dest);
  if (graphic == nullptr) {
    TGraphic::AssignTo(dest);
    return;
  }
  if (Empty()) {
    graphic->Assign(nullptr);
  } else if (FCurrentIndex < 0 || FCurrentIndex >= FrameCount()) {
    TBitmap* bitmap = CurrentBitmap();
    graphic->Assign(bitmap);
  } else {
    FFrames[static_cast<std::size_t>(FCurrentIndex)]->AssignTo(dest);
  }
}

// ----- the clipboard -----

namespace {

bool ClipboardBitmapFormat(UINT& format) {
  for (UINT f : {static_cast<UINT>(CF_DIB), static_cast<UINT>(CF_BITMAP)})
    if (IsClipboardFormatAvailable(f)) {
      format = f;
      return true;
    }
  return false;
}

}  // namespace

void TGIFImage::LoadFromClipboardFormat(Word format, std::uint64_t data, HPALETTE palette) {
  const UINT gifFormat = GIFClipboardFormat();
  if (gifFormat != 0 && IsClipboardFormatAvailable(gifFormat)) {
    const HGLOBAL block(GetClipboardData(gifFormat));
    const auto* bytes = static_cast<const Byte*>(GlobalLock(block));
    if (bytes == nullptr) throw EInvalidGraphicOperation(SReadError);
    TMemoryStream stream;
    try {
      stream.WriteBuffer(bytes, static_cast<Int64>(GlobalSize(block)));
    } catch (...) {
      GlobalUnlock(block);
      throw;
    }
    GlobalUnlock(block);
    stream.SetPosition(0);
    LongWord count = 0;
    stream.ReadBuffer(&count, 4);
    LoadGIF(count, stream, false);
    if (!FFrames.empty()) {
      FCurrentIndex = 0;
      UINT bitmapFormat = 0;
      if (ClipboardBitmapFormat(bitmapFormat)) {
        FFrames[0]->NewBitmap();
        FFrames[0]->FBitmap->LoadFromClipboardFormat(static_cast<Word>(bitmapFormat), GetClipboardData(bitmapFormat), palette);
      }
    }
    return;
  }
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(format, data, palette);
  Assign(&bitmap);
}

void TGIFImage::SaveToClipboardFormat(Word& format, std::uint64_t& data, HPALETTE& palette) {
  data = 0;
  if (FFrames.empty()) return;
  FFrames[0]->FrameBitmap()->SaveToClipboardFormat(format, data, palette);
  for (const auto& frame : FFrames)
    if (frame->FItem->EncodedData.empty()) return;
  TMemoryStream gif;
  WriteGIF(gif, true);
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<std::size_t>(gif.Size()));
  void* bytes = GlobalLock(block);
  if (bytes == nullptr) {
    GlobalFree(block);
    throw EOutOfMemory("Out of memory");
  }
  std::memcpy(bytes, gif.Memory(), static_cast<std::size_t>(gif.Size()));
  GlobalUnlock(block);
  if (SetClipboardData(GIFClipboardFormat(), block.Value) == 0) {
    GlobalFree(block);
    throw EInvalidGraphicOperation("Cannot put the GIF image on the clipboard");
  }
}

}  // namespace orv
