// Reading animated cursor files chunk by chunk within the bounds of the data, the frames' icons,
// painting them into a bitmap, and the icon clipboard format.
#include "controls/AnimatedCursor.h"

#include <cstring>
#include "controls/ColorReduction.h"
#include "controls/IconList.h"
#include "controls/OrvHelpers.h"
#include "platform/graphics/BmpFormat.h"
#include "platform/win/Clipboard.h"

namespace orv {

// ----- TIconFrame -----

void TIconFrame::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TIconFrame*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  if (other->Icon) {
    auto icon = std::make_unique<TIcon>();
    icon->Assign(other->Icon.get());
    Icon = std::move(icon);
  } else {
    Icon.reset();
  }
  IsIcon = other->IsIcon;
  Tag = other->Tag;
  HotSpot = other->HotSpot;
  Rate = other->Rate;
  Sequence = other->Sequence;
}

// ----- reading -----

namespace {

[[noreturn]] void ReadFailure() { throw EReadError(SReadError); }

LongWord U32(const Byte* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<LongWord>(p[3]) << 24);
}
Word U16(const Byte* p) { return static_cast<Word>(p[0] | (p[1] << 8)); }
bool Id(const Byte* p, const char* id) { return std::memcmp(p, id, 4) == 0; }
// A chunk's size padded to an even length.
std::size_t Padded(LongWord size) { return static_cast<std::size_t>(size) + (size & 1); }

// The text of a sub-chunk: at most 255 bytes, up to a zero byte.
AnsiString InfoText(const Byte* p, std::size_t size) {
  const std::size_t n = std::min<std::size_t>(size, 255);
  const void* zero = std::memchr(p, 0, n);
  return AnsiString(reinterpret_cast<const char*>(p), zero ? static_cast<const Byte*>(zero) - p : n);
}

// One frame's image: an icon or cursor file held in an "icon" chunk. Every frame that shows it
// refers to it; the frames' icons share its images.
struct TFrameImage {
  std::unique_ptr<TIcon> Icon;
  bool IsIcon = false;
  TPoint HotSpot;
  std::array<Byte, 8> Tag{};
};

bool ReadFrameImage(const Byte* p, std::size_t size, TFrameImage& out, int& sourceColors, TIconBudget& budget) {
  if (size < 6) return false;
  const Word type = U16(p + 2);
  if (type != 1 && type != 2) return false;
  out.IsIcon = type == 1;
  const Word count = U16(p + 4);
  for (std::size_t i = 0; i < count && 6 + 16 * (i + 1) <= size; ++i) {
    const Byte* entry = p + 6 + 16 * i;
    const LongWord imageSize = U32(entry + 8), offset = U32(entry + 12);
    // The bit count is the image's own (a cursor's directory holds its hot spot there).
    if (offset <= size && size - offset >= 16 && imageSize >= 16) {
      int colors = 0;
      switch (U16(p + offset + 14)) {
        case 1: colors = 2; break;
        case 4: colors = 16; break;
        case 8: colors = 256; break;
        default: break;
      }
      sourceColors = std::max(sourceColors, colors);
    }
    out.HotSpot = {U16(entry + 4), U16(entry + 6)};
  }
  auto icon = std::make_unique<TIcon>();
  try {
    if (type == 2) {
      // A cursor loads as an icon.
      std::vector<Byte> file(p, p + size);
      file[2] = 1;
      file[3] = 0;
      icon->LoadFromMemory(file.data(), file.size(), budget);
    } else {
      icon->LoadFromMemory(p, size, budget);
    }
  } catch (const EIconTooLarge&) {
    // The file's icons together claim more than one file may hold: the cursor is refused whole
    // rather than shown with some of its frames.
    throw;
  } catch (const EInvalidGraphic&) {
    return false;
  }
  if (out.IsIcon) out.HotSpot = {icon->Width() / 2, icon->Height() / 2};
  out.Icon = std::move(icon);
  return true;
}

// A frame while the file is read: its sequence number, rate and the image it shows (-1: none yet).
// Frames are found by sequence number through chains of frames with the same number; a frame is
// in the chain of the number it was made with (link 0) and, when a "seq " chunk gives it another,
// in that number's chain (link 1). A frame's number changes at most once, so matching every image
// costs no more than the frames in its chain, each visited for one image only.
struct TPendingFrame {
  Integer Sequence = -1;
  LongWord Rate = 0;
  int Image = -1;
  std::int64_t Next[2] = {-1, -1};
};

class TFrameTable {
 public:
  // Sequence numbers from 0 to limit - 1 can be matched: no file holds more images than that.
  explicit TFrameTable(std::size_t limit) : FLimit(limit) {}
  std::vector<TPendingFrame> Frames;

  void Add(Integer sequence, LongWord rate) {
    Frames.push_back({sequence, rate, -1, {-1, -1}});
    Link(Frames.size() - 1, 0);
  }
  void SetSequence(std::size_t frame, Integer sequence) {
    if (Frames[frame].Sequence == sequence) return;
    Frames[frame].Sequence = sequence;
    Link(frame, 1);
  }
  // Gives the image to every frame numbered so; false when there is none.
  bool Give(Integer sequence, int image) {
    if (sequence < 0 || static_cast<std::size_t>(sequence) >= FHeads.size()) return false;
    bool placed = false;
    for (std::int64_t node = FHeads[static_cast<std::size_t>(sequence)]; node >= 0;) {
      TPendingFrame& frame = Frames[static_cast<std::size_t>(node >> 1)];
      if (frame.Sequence == sequence) {
        frame.Image = image;
        placed = true;
      }
      node = frame.Next[node & 1];
    }
    return placed;
  }

 private:
  void Link(std::size_t frame, int which) {
    const Integer sequence = Frames[frame].Sequence;
    if (sequence < 0 || static_cast<std::size_t>(sequence) >= FLimit) return;
    const auto s = static_cast<std::size_t>(sequence);
    if (s >= FHeads.size()) FHeads.resize(std::max(s + 1, std::min(FLimit, 2 * FHeads.size())), -1);
    Frames[frame].Next[which] = FHeads[s];
    FHeads[s] = static_cast<std::int64_t>(2 * frame + static_cast<std::size_t>(which));
  }
  std::size_t FLimit;
  std::vector<std::int64_t> FHeads;
};

}  // namespace

TAnimatedCursorImage::TAnimatedCursorImage() = default;
TAnimatedCursorImage::~TAnimatedCursorImage() = default;

void TAnimatedCursorImage::Clear() {
  FFrames.clear();
  FTitle.clear();
  FCreator.clear();
  FHeader = TAniHeader();
  FSourceColorCount = 0;
}

void TAnimatedCursorImage::ReadFromStream(TStream& stream) {
  const Int64 size = stream.Size() - stream.Position();
  if (size <= 0) return;
  std::vector<Byte> data(static_cast<std::size_t>(size));
  stream.ReadBuffer(data.data(), size);
  Parse(data.data(), data.size());
}

void TAnimatedCursorImage::ReadFromFile(const AnsiString& fileName) {
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    ReadFromStream(stream);
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::WriteToStream(TStream&) { ReportNotImplemented(); }

void TAnimatedCursorImage::Parse(const Byte* data, std::size_t size) {
  if (size < 12 || !Id(data, "RIFF") || !Id(data + 8, "ACON")) ReadFailure();
  Clear();
  int ratesRead = 0, sequencesRead = 0;
  // Frames beyond this many could never receive an icon: every icon needs a chunk of 8 bytes.
  const std::size_t frameLimit = size / 8 + 1;
  TFrameTable table(frameLimit);
  std::vector<TFrameImage> images;
  // All icons of the file draw on one budget.
  TIconBudget budget;

  // The image goes to every frame whose sequence number is the count of icons read so far, or to
  // a frame of its own when there is none.
  auto giveImage = [&](TFrameImage image, const Byte* tag) {
    std::memcpy(image.Tag.data(), tag, 8);
    const int index = static_cast<int>(images.size());
    images.push_back(std::move(image));
    if (!table.Give(index, index)) {
      table.Frames.push_back({-1, FHeader.DisplayRate, index, {-1, -1}});
    }
  };

  std::size_t pos = 12;
  while (size - pos >= 8) {
    const Byte* chunk = data + pos;
    const LongWord chunkSize = U32(chunk + 4);
    const std::size_t body = pos + 8;
    const std::size_t available = size - body;
    const std::size_t next = Padded(chunkSize) > available ? size : body + Padded(chunkSize);
    if (Id(chunk, "anih")) {
      Byte header[36] = {};
      std::memcpy(header, data + body, std::min<std::size_t>({chunkSize, 36, available}));
      FHeader.HeaderSize = U32(header);
      FHeader.FrameCount = U32(header + 4);
      FHeader.StepCount = U32(header + 8);
      FHeader.Width = U32(header + 12);
      FHeader.Height = U32(header + 16);
      FHeader.BitCount = U32(header + 20);
      FHeader.PlaneCount = U32(header + 24);
      FHeader.DisplayRate = U32(header + 28);
      FHeader.Flags = U32(header + 32);
      if ((FHeader.Flags & 1) == 0 || FHeader.StepCount == 0) ReadFailure();
      // However many headers the file repeats, no more frames than could ever get an icon.
      const std::size_t room = frameLimit - std::min(frameLimit, table.Frames.size());
      const std::size_t frames = std::min<std::size_t>(FHeader.FrameCount, room);
      for (std::size_t i = 0; i < frames; ++i) table.Add(static_cast<Integer>(i), FHeader.DisplayRate);
    } else if (Id(chunk, "rate") || Id(chunk, "seq ")) {
      const bool rate = Id(chunk, "rate");
      int& counter = rate ? ratesRead : sequencesRead;
      if (chunkSize >= 4 && available >= 4 && counter < static_cast<int>(table.Frames.size())) {
        const auto frame = static_cast<std::size_t>(counter);
        const LongWord value = U32(data + body);
        if (rate) table.Frames[frame].Rate = value;
        else table.SetSequence(frame, static_cast<Integer>(value));
      }
      ++counter;
    } else if (Id(chunk, "LIST") && available >= 4 && chunkSize >= 4) {
      const Byte* type = data + body;
      const std::size_t listEnd = std::min<std::size_t>(body + chunkSize, size);
      std::size_t sub = body + 4;
      if (Id(type, "fram")) {
        bool failed = false;
        while (listEnd - sub >= 8 && !failed) {
          const Byte* subChunk = data + sub;
          const LongWord subSize = U32(subChunk + 4);
          const std::size_t subBody = sub + 8;
          const std::size_t subAvailable = listEnd - subBody;
          if (Id(subChunk, "icon")) {
            TFrameImage image;
            if (subSize <= subAvailable && ReadFrameImage(data + subBody, subSize, image, FSourceColorCount, budget)) {
              giveImage(std::move(image), subChunk);
            } else {
              // Reading goes on after this chunk, with what follows it taken as top-level chunks.
              failed = true;
              pos = std::min(subBody + Padded(subSize), size);
              break;
            }
          }
          if (Padded(subSize) > subAvailable) {
            sub = listEnd;
            break;
          }
          sub = subBody + Padded(subSize);
        }
        if (failed) continue;
      } else if (Id(type, "INFO")) {
        while (listEnd - sub >= 8) {
          const Byte* subChunk = data + sub;
          const LongWord subSize = U32(subChunk + 4);
          const std::size_t subBody = sub + 8;
          if (subSize > listEnd - subBody) break;
          if (Id(subChunk, "INAM")) FTitle = InfoText(data + subBody, subSize);
          else if (Id(subChunk, "IART")) FCreator = InfoText(data + subBody, subSize);
          sub = std::min(subBody + Padded(subSize), listEnd);
        }
      }
    }
    // A chunk that claims more than the data holds ends the reading of chunks.
    if (Padded(chunkSize) > available) break;
    pos = next;
  }

  // Frames without an icon are dropped; the others share the images they show.
  for (const TPendingFrame& pending : table.Frames) {
    if (pending.Image < 0) continue;
    const TFrameImage& image = images[static_cast<std::size_t>(pending.Image)];
    auto frame = std::make_unique<TIconFrame>();
    frame->Icon = std::make_unique<TIcon>();
    frame->Icon->Assign(image.Icon.get());
    frame->IsIcon = image.IsIcon;
    frame->Tag = image.Tag;
    frame->HotSpot = image.HotSpot;
    frame->Rate = pending.Rate;
    frame->Sequence = pending.Sequence;
    FFrames.push_back(std::move(frame));
  }
  FHeader.StepCount = static_cast<LongWord>(FFrames.size());
  if (FFrames.empty()) ReadFailure();
}

// ----- assignment and drawing -----

void TAnimatedCursorImage::Assign(TPersistent* source) {
  if (source == nullptr) {
    Clear();
    return;
  }
  auto* other = dynamic_cast<TAnimatedCursorImage*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  try {
    Clear();
    FHeader = other->FHeader;
    FTitle = other->FTitle;
    FCreator = other->FCreator;
    FSourceColorCount = other->FSourceColorCount;
    for (const auto& frame : other->FFrames) {
      auto copy = std::make_unique<TIconFrame>();
      copy->Assign(frame.get());
      FFrames.push_back(std::move(copy));
    }
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::AssignTo(TPersistent* dest) {
  if (auto* icon = dynamic_cast<TIcon*>(dest)) {
    if (!FFrames.empty()) icon->Assign(Icons(0));
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    if (!FFrames.empty()) DrawToBitmap(*bitmap, bitmap->Canvas()->Brush()->Color(), false, true);
  } else if (auto* list = dynamic_cast<TIconList*>(dest)) {
    list->StartUpdate();
    struct TFinish {
      TIconList* List;
      ~TFinish() { List->FinishUpdate(); }
    } finish{list};
    list->Clear();
    for (int i = 0; i < Count(); ++i) list->Add(Icons(i));
  } else {
    TPersistent::AssignTo(dest);
  }
}

void TAnimatedCursorImage::DrawToBitmap(TBitmap& bitmap, TColor background, bool vertical, bool decreaseColors) {
  TBitmap work;
  work.SetPixelFormat(pf24bit);
  work.Canvas()->Brush()->SetColor(background);
  if (!FFrames.empty()) {
    const long long w = Icons(0) ? Icons(0)->Width() : 0;
    const long long h = Icons(0) ? Icons(0)->Height() : 0;
    const long long n = Count();
    const long long width = vertical ? w : w * n, height = vertical ? h * n : h;
    // No larger than a bitmap read from a file may be.
    if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels)
      throw EInvalidGraphicOperation("Animated cursor is too large to draw");
    work.SetSize(static_cast<int>(width), static_cast<int>(height));
    work.Canvas()->FillRect(Rect(0, 0, work.Width(), work.Height()));
    // Every frame takes a cell of frame 0's size, as the bitmap was made for.
    for (int i = 0; i < Count(); ++i) {
      TIcon* icon = Icons(i);
      if (icon == nullptr) continue;
      if (vertical) work.Canvas()->Draw(0, i * static_cast<int>(h), icon);
      else work.Canvas()->Draw(i * static_cast<int>(w), 0, icon);
    }
    if (decreaseColors) DecreaseBitmapColors(&work, std::max(FSourceColorCount, 16));
  }
  bitmap.Assign(&work);
}

// ----- the icon clipboard format -----

namespace {
UINT gIconFormat = 0;
}  // namespace

UINT IconClipboardFormat() { return gIconFormat; }

void RegisterIconClipboardFormat() {
  gIconFormat = RegisterClipboardFormatA("Orvinta Icon");
  TPicture::RegisterClipboardFormat(static_cast<Word>(gIconFormat), TIcon::Class());
}

}  // namespace orv
