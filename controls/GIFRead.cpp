// Reading GIF files: the header and screen descriptor, extension blocks, image descriptors and
// the encoded blocks of each frame, with every length checked against the data that is there.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "controls/GIFImage.h"
#include "controls/GIFInternal.h"
#include "platform/graphics/BmpFormat.h"

namespace orv {

bool AllowDamagedGIF = true;

namespace gif {

[[noreturn]] void Fail(const char* message) { throw EInvalidGraphicOperation(message); }

void CheckFrameSize(long long width, long long height) {
  if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels) Fail("GIF image is too large");
}

void CheckFramePosition(long long left, long long top) {
  if (left < 0 || top < 0 || left > kMaxPosition || top > kMaxPosition) Fail("GIF frame position out of range");
}

void CheckFrameCount(std::size_t frames) {
  if (frames > static_cast<std::size_t>(kMaxFrames)) Fail("GIF image has too many frames");
}

void CheckImagePixels(long long pixels) {
  if (pixels > kMaxImagePixels) Fail("GIF image is too large");
}

void TReader::Need(std::size_t count) const {
  if (Size - Pos < count) Fail(SReadError);
}

Byte TReader::ReadByte() {
  Need(1);
  return Data[Pos++];
}

Word TReader::ReadWord() {
  Need(2);
  const Word w = static_cast<Word>(Data[Pos] | (Data[Pos + 1] << 8));
  Pos += 2;
  return w;
}

void TReader::Read(Byte* out, std::size_t count) {
  Need(count);
  std::memcpy(out, Data + Pos, count);
  Pos += count;
}

Byte TReader::NextBlockByte() {
  while (Pos < Size) {
    const Byte b = Data[Pos++];
    if (b != 0) return b;
  }
  return 0;
}

void TReader::ReadColorTable(TGIFColorTable& table, int bits) {
  table.Clear();
  table.Count = 1 << bits;
  for (Integer i = 0; i < table.Count; ++i) Read(table.Entries[static_cast<std::size_t>(i)].data(), 3);
}

// Data sub-blocks as lines, one per non-empty block, up to a zero length or the end of the data;
// a block cut short by the end of the data gives what is there.
void TReader::ReadSubBlocks(TStringList& lines) {
  while (Pos < Size) {
    const std::size_t length = Data[Pos++];
    if (length == 0) return;
    const std::size_t take = std::min(length, Size - Pos);
    lines.Add(AnsiString(reinterpret_cast<const char*>(Data + Pos), take));
    Pos += take;
  }
}

}  // namespace gif

int GIFBitsForCount(Integer count) {
  for (int bits = 1; bits <= 8; ++bits)
    if (count == (1 << bits)) return bits;
  return 0;
}

namespace {

bool SameTextAscii(const Byte* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    auto lower = [](int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (lower(a[i]) != lower(static_cast<Byte>(b[i]))) return false;
  }
  return true;
}

}  // namespace

TExtension::TExtension(TGIFExtensionKind kind) : Kind(kind) {
  if (kind != ekGraphicControl) Lines = std::make_unique<TStringList>();
}

void TExtension::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TExtension*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  Kind = other->Kind;
  Bytes = other->Bytes;
  if (other->Lines) {
    Lines = std::make_unique<TStringList>();
    for (Integer i = 0; i < other->Lines->Count(); ++i) Lines->Add(other->Lines->Get(i));
  } else {
    Lines.reset();
  }
}

void TGIFImage::LoadGIF(Int64 count, TStream& stream, bool decodeFirst) {
  ClearImage();
  const Int64 remaining = stream.Size() - stream.Position();
  if (count < 0 || count > remaining) throw EReadError(SReadError);
  if (count == 0) {
    FPaletteModified = true;
    Changed();
    return;
  }
  // The stream fills the whole buffer, so it is not cleared first.
  const auto size = static_cast<std::size_t>(count);
  auto buffer = std::make_unique_for_overwrite<Byte[]>(size);
  stream.ReadBuffer(buffer.get(), count);
  ReadBlocks(buffer.get(), size);
  if (!FFrames.empty()) {
    FCurrentIndex = 0;
    if (decodeFirst) {
      try {
        FFrames[0]->FrameBitmap();
      } catch (...) {
        FFrames.erase(FFrames.begin());
        FCurrentIndex = FFrames.empty() ? -1 : 0;
        throw;
      }
    }
  }
  FPaletteModified = true;
  Changed();
}

namespace {

// Reads the extension blocks from a "!" up to the next block byte that is no "!", collecting the
// graphic control and comment extensions for the next image; a plain-text extension drops what was
// collected. Looping and repeat count come from an animation-loop application extension.
void ReadExtensions(gif::TReader& in, Byte& block, TExtensionList& list, bool& looping, Word& repeatCount) {
  while (block == '!') {
    const Byte label = in.ReadByte();
    std::unique_ptr<TExtension> ext;
    switch (label) {
      case 0xF9:
        ext = std::make_unique<TExtension>(ekGraphicControl);
        ext->Bytes.resize(6);
        in.Read(ext->Bytes.data(), 6);
        break;
      case 0xFE:
        ext = std::make_unique<TExtension>(ekComment);
        in.ReadSubBlocks(*ext->Lines);
        break;
      case 0x01:
        ext = std::make_unique<TExtension>(ekPlainText);
        ext->Bytes.resize(13);
        in.Read(ext->Bytes.data(), 13);
        in.ReadSubBlocks(*ext->Lines);
        break;
      case 0xFF:
        ext = std::make_unique<TExtension>(ekApplication);
        ext->Bytes.resize(12);
        in.Read(ext->Bytes.data(), 12);
        in.ReadSubBlocks(*ext->Lines);
        break;
      default: {
        char text[64];
        std::snprintf(text, sizeof text, "Unrecognized extension block: %.2x", label);
        throw EInvalidGraphicOperation(text);
      }
    }
    if (ext->Kind == ekPlainText) {
      list.clear();
    } else if (ext->Kind == ekApplication) {
      const std::size_t n = std::min<std::size_t>(ext->Bytes[0], 11);
      const Byte* id = ext->Bytes.data() + 1;
      const bool loopId = std::memcmp(id, "NETSCAPE2.0", n) == 0 || std::memcmp(id, "ANIMEXTS1.0", n) == 0;
      if (loopId && ext->Lines->Count() > 0) {
        const AnsiString& first = ext->Lines->Get(0);
        if (first.size() >= 3 && first[0] == 1) {
          looping = true;
          const int count = static_cast<Byte>(first[1]) | (static_cast<Byte>(first[2]) << 8);
          repeatCount = static_cast<Word>(std::min(count, 30000));
        }
      }
    } else {
      list.push_back(std::move(ext));
    }
    if (in.AtEnd()) {
      block = ';';
      return;
    }
    block = in.NextBlockByte();
  }
}

}  // namespace

void TGIFImage::ReadBlocks(const Byte* data, std::size_t size) {
  gif::TReader in{data, size, 0};
  Byte signature[6] = {};
  if (size < 6) gif::Fail("Unknown GIF version");
  in.Read(signature, 6);
  if (!SameTextAscii(signature, "GIF", 3)) gif::Fail("Unknown GIF version");
  if (SameTextAscii(signature + 3, "87a", 3)) FVersion = 1;
  else if (SameTextAscii(signature + 3, "89a", 3)) FVersion = 2;
  else gif::Fail("Unknown GIF version");

  FScreenWidth = in.ReadWord();
  FScreenHeight = in.ReadWord();
  const Byte packed = in.ReadByte();
  const Byte background = in.ReadByte();
  FData->AspectRatio = in.ReadByte();
  FData->BitsPerPixel = static_cast<Byte>((packed & 7) + 1);
  FData->ColorResolution = static_cast<Byte>(((packed >> 4) & 7) + 1);
  if (packed & 0x80) {
    in.ReadColorTable(FData->Colors, FData->BitsPerPixel);
    if (background < FData->Colors.Count) FBackgroundColor = FData->Colors.Color(background);
  }

  Byte block = in.NextBlockByte();
  TExtensionList collected;
  long long pixels = 0;
  while (block != 0 && block != ';' && !in.AtEnd()) {
    if (block == '!') ReadExtensions(in, block, collected, FLooping, FRepeatCount);
    if (block == ',') {
      gif::CheckFrameCount(FFrames.size() + 1);
      auto frame = std::make_unique<TGIFFrame>(this);
      if (FData->Colors.Count > 0) {
        const int bits = GIFBitsForCount(FData->Colors.Count);
        if (bits == 0) gif::Fail("Wrong number of colors; must be a power of 2");
        frame->FItem->BitsPerPixel = static_cast<Byte>(bits);
      }
      frame->FExtensions = std::move(collected);
      collected.clear();
      frame->ReadFrame(data, size, in.Pos);
      if (!frame->FItem->EncodedData.empty()) {
        pixels += static_cast<long long>(frame->FItem->Width) * frame->FItem->Height;
        gif::CheckImagePixels(pixels);
      }
      FFrames.push_back(std::move(frame));
      if (in.AtEnd()) {
        block = ';';
      } else {
        block = in.NextBlockByte();
        // Whatever follows an image that starts no block is left unread.
        if (block != '!' && block != ',' && block != ';') break;
      }
    } else if (block != '!') {
      if (FData->Comment.Count() > 0 || collected.empty()) {
        if (block != 0 && block != ';') gif::Fail(SReadError);
      } else {
        // The comments after the last image are the image's own; the other extensions there are
        // dropped.
        bool first = true;
        for (const auto& ext : collected) {
          if (ext->Kind != ekComment) continue;
          if (!first) FData->Comment.Add("\r\n\r\n");
          first = false;
          for (Integer i = 0; i < ext->Lines->Count(); ++i) FData->Comment.Add(ext->Lines->Get(i));
        }
        collected.clear();
      }
    }
  }
}

void TGIFFrame::ReadFrame(const Byte* data, std::size_t size, std::size_t& pos) {
  gif::TReader in{data, size, pos};
  struct TDropOnFailure {
    TGIFItem& Item;
    bool Done = false;
    ~TDropOnFailure() {
      if (!Done) Item.EncodedData.clear();
    }
  } guard{*FItem};

  Left = in.ReadWord();
  Top = in.ReadWord();
  const Word width = in.ReadWord();
  const Word height = in.ReadWord();
  const Byte packed = in.ReadByte();
  Interlaced = (packed & 0x40) != 0;
  if (packed & 0x80) {
    FItem->BitsPerPixel = static_cast<Byte>((packed & 7) + 1);
    LocalColors = true;
    in.ReadColorTable(FItem->Colors, FItem->BitsPerPixel);
  } else {
    LocalColors = false;
    FItem->Colors.Clear();
  }

  std::vector<Byte>& encoded = FItem->EncodedData;
  encoded.clear();
  // The minimum code size belongs to the image as its descriptor does: data that ends before it is
  // cut short like a descriptor, and a frame without it could not be written again.
  encoded.push_back(in.ReadByte());
  // The blocks are measured first so that they are copied once.
  std::size_t blocks = 0;
  for (std::size_t at = in.Pos; at < in.Size;) {
    const std::size_t length = in.Data[at];
    if (length > in.Size - at - 1) break;
    blocks += 1 + length;
    at += 1 + length;
    if (length == 0) break;
  }
  encoded.reserve(1 + blocks);
  for (;;) {
    if (in.AtEnd()) {
      // The data ends before the block terminator.
      Corrupted = true;
      break;
    }
    const std::size_t length = in.Data[in.Pos];
    if (length > in.Size - in.Pos - 1) {
      Corrupted = true;
      in.Pos = in.Size;
      break;
    }
    encoded.insert(encoded.end(), in.Data + in.Pos, in.Data + in.Pos + 1 + length);
    in.Pos += 1 + length;
    if (length == 0) break;
  }
  if (Corrupted && !AllowDamagedGIF) gif::Fail(SReadError);

  FItem->Width = width != 0 ? width : FOwner->FScreenWidth;
  FItem->Height = height != 0 ? height : FOwner->FScreenHeight;
  FItem->PackedFields = packed;
  if (!LocalColors) FItem->Colors = FOwner->FData->Colors;

  Delay = 0;
  for (const auto& ext : FExtensions) {
    if (ext->Kind != ekGraphicControl) continue;
    const Byte flags = ext->Bytes[1];
    const Byte index = ext->Bytes[4];
    if (flags & 1) {
      if (index < FItem->Colors.Count) TransparentColor = FItem->Colors.Color(index);
    } else {
      TransparentColor = clNone;
    }
    const int delay = (ext->Bytes[2] | (ext->Bytes[3] << 8)) * 10;
    Delay = static_cast<Word>(std::max<int>(std::min(delay, 0xFFFF), Delay));
    Disposal = static_cast<Byte>((flags >> 2) & 7);
  }
  guard.Done = true;
  pos = in.Pos;
}

}  // namespace orv
