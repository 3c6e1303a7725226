// GIF pictures: TGIFImage, the picture format for "gif" (read from files, streams, window
// descriptions and the clipboard, drawn frame by frame, written back and made from other graphics).
#pragma once
#include <array>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Lists.h"

namespace orv {

class TGIFImage;
class TAnimatedCursorImage;

// Whether damaged data is tolerated: frames whose blocks run past the data, an LZW minimum code
// size outside 2-9 and overlong code chains load as far as they go and carry the corrupted flag.
// One setting for the program; true by default.
extern bool AllowDamagedGIF;

// A GIF colour table: entry count (0: none) and up to 256 red, green, blue triples.
struct TGIFColorTable {
  Integer Count = 0;
  std::array<std::array<Byte, 3>, 256> Entries{};
  // The entry as a colour value (red in the low byte).
  TColor Color(Integer index) const {
    const auto& e = Entries[static_cast<std::size_t>(index)];
    return static_cast<TColor>(e[0] | (e[1] << 8) | (e[2] << 16));
  }
  void Clear() { *this = TGIFColorTable(); }
};

// The bits a colour count needs: 1 for 2 entries ... 8 for 256; 0 for a count that is not a power
// of two from 2 to 256.
int GIFBitsForCount(Integer count);

// What all frames of an image share: comments, the screen descriptor's colour fields and the
// global colour table. Shared between copies of an image.
struct TGIFData {
  TStringList Comment;
  Byte AspectRatio = 0;
  Byte BitsPerPixel = 0;       // of the global table, 1-8
  Byte ColorResolution = 0;    // 1-8
  TGIFColorTable Colors;       // Count 0: no global table
};

// One frame's encoded picture: the LZW minimum code size byte and the data sub-blocks with their
// size bytes (and the terminator when the file had it), the size, the descriptor's packed fields
// and the frame's colour table. Shared between copies of a frame.
struct TGIFItem {
  std::vector<Byte> EncodedData;
  Integer Width = 0, Height = 0;
  Byte PackedFields = 0;
  Byte BitsPerPixel = 0;       // of the frame's colour table; 0 when it has none
  TGIFColorTable Colors;
};

enum TGIFExtensionKind : Byte { ekGraphicControl = 0, ekPlainText = 1, ekApplication = 2, ekComment = 3 };

// An extension block as read: its kind, the bytes between the label and the data sub-blocks, and
// the data sub-blocks as lines (none for a graphic control extension).
class TExtension : public TPersistent {
 public:
  TExtension() = default;
  explicit TExtension(TGIFExtensionKind kind);
  void Assign(TPersistent* source) override;

  TGIFExtensionKind Kind = ekComment;
  // Graphic control: block size, packed fields, delay (hundredths, LE), transparent index,
  // terminator. Plain text: block size 12 and its 12 bytes. Application: block size 11 and the
  // identifier with its authentication code.
  std::vector<Byte> Bytes;
  std::unique_ptr<TStringList> Lines;
};

using TExtensionList = std::vector<std::unique_ptr<TExtension>>;

// One frame of a GIF image: its encoded item, position, timing, transparency and the bitmap it is
// decoded into on first use.
class TGIFFrame : public TPersistent {
 public:
  explicit TGIFFrame(TGIFImage* owner);
  ~TGIFFrame() override;
  TGIFImage* Owner() const { return FOwner; }

  // Back to an empty frame with a new empty item.
  void ClearFrame();
  // Frees the decoded bitmap and makes an empty one.
  void NewBitmap();
  // The decoded bitmap, decoded from the item on first use and kept; empty when there is no encoded
  // data. Valid until the frame changes. EInvalidGraphicOperation when the data cannot be decoded.
  TBitmap* FrameBitmap();
  bool HasBitmap() const { return FBitmap != nullptr && !FBitmap->Empty(); }
  // The decoded size, or the encoded picture's size while the frame is not decoded.
  int ExtentWidth() const;
  int ExtentHeight() const;
  int FrameWidth();
  int FrameHeight();
  // The lines of the frame's first comment extension; with create, one is made when missing.
  // nullptr without one. Valid until the extensions change.
  TStringList* Comment(bool create);
  // Reads the image descriptor, colour table and encoded blocks (the "," already taken).
  void ReadFrame(const Byte* data, std::size_t size, std::size_t& pos);
  void DrawFrame(TCanvas& canvas, const TRect& rect, bool transparent);

  // From nil (an empty frame), another frame (sharing its item), a GIF image (its current frame)
  // or another graphic (as the frame's bitmap; a graphic other than a bitmap is drawn on magenta,
  // which becomes the transparent colour when the graphic is transparent). The owner's screen
  // size follows.
  void Assign(TPersistent* source) override;

  // The encoded picture, shared with the frames copied from this one: read it, change it only
  // through the frame's own operations.
  TGIFItem& Item() { return *FItem; }
  const std::shared_ptr<TGIFItem>& SharedItem() const { return FItem; }
  TExtensionList& Extensions() { return FExtensions; }
  Integer Left = 0, Top = 0;
  bool Interlaced = false;
  bool Corrupted = false;
  bool Grayscale = false;
  TColor TransparentColor = clNone;
  Word Delay = 0;        // milliseconds
  Byte Disposal = 0;     // 0-7
  bool LocalColors = false;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  friend class TGIFImage;
  void Decode();
  void EncodeFrame();
  // Takes the encoding of a frame whose bitmap shows the same pixels, as EncodeFrame would make it.
  void TakeEncoding(const TGIFFrame& same);
  // After the item was encoded: the first encoded frame's table becomes the global one (later
  // frames keep theirs as local tables), and the logical screen grows to cover the frame.
  void PlaceEncoded();
  // Whether this frame's bitmap and the other's share their pixels and would encode alike.
  bool EncodesLike(const TGIFFrame& other);
  void UpdateGraphicControl();
  TGIFImage* FOwner;
  std::unique_ptr<TBitmap> FBitmap;
  std::shared_ptr<TGIFItem> FItem;
  TExtensionList FExtensions;
};

// The GIF picture format. Reading copies the encoded blocks; a frame is decoded into its bitmap
// when first drawn or measured (the first frame at once when loading from a stream or a window
// description). Copies share the encoded data. Errors are EInvalidGraphicOperation with the
// format's texts; a stream shorter than a given byte count raises the stream's read error.
class TGIFImage : public TGraphic {
 public:
  TGIFImage();
  ~TGIFImage() override;
  static TGraphicClass Class();
  TGraphicClass GraphicClass() const override { return Class(); }

  // ----- the graphic -----
  // No frames, or the frame at the current index (0 when negative) has neither a bitmap (decoded,
  // made or assigned, even an empty one) nor encoded data.
  bool Empty() const override;
  // The current frame's size (0 without one).
  int Width() const override;
  int Height() const override;
  // EInvalidGraphicOperation "Cannot change the Size of a GIF image".
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  // Transparent is set and some frame has a transparent colour.
  bool Transparent() const override;
  // The rest of the stream is one GIF file.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  // Window descriptions: a 32-bit little-endian byte count, then the GIF file.
  void ReadData(TStream& stream) override;
  // An image whose frames hold nothing (neither pixels nor encoded data) writes a count of 0.
  void WriteData(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // From nil (empty), another GIF image (sharing its data), a frame, a bitmap, any other graphic
  // as one frame, or an animated cursor (a frame per cursor frame, the frames of one icon sharing
  // one drawing). A bitmap or cursor that would give more frames or pixels than a read image may
  // hold is refused (EInvalidGraphicOperation "GIF image has too many frames", "GIF image is too
  // large") before anything changes.
  void Assign(TPersistent* source) override;
  // A GIF image copies its current frame into other graphics.
  bool CopiesInto(const TPersistent* dest) const override;
  // Reads "GIF Image" data when the clipboard holds it (frame 0 taking the clipboard's bitmap),
  // else a bitmap of the given format. Puts the first frame as a bitmap, and the GIF with its
  // length when every frame is encoded, on the clipboard (which must be open).
  void LoadFromClipboardFormat(Word format, std::uint64_t data, HPALETTE palette) override;
  void SaveToClipboardFormat(Word& format, std::uint64_t& data, HPALETTE& palette) override;
  // The current bitmap's palette (0 without frames).
  virtual HPALETTE Palette();
  // The other graphic is a GIF image holding the same shared data.
  virtual bool SameImageAs(const TGraphic* other) const;

  // ----- the model -----
  void ClearImage();
  // Reads count bytes of the stream as a GIF file; decodeFirst decodes frame 0 at once.
  void LoadGIF(Int64 count, TStream& stream, bool decodeFirst);
  // Writes the GIF file (after encoding frames made from bitmaps), with a 32-bit length first
  // when withLength. EInvalidGraphicOperation "No GIF Data to write" without frames, "GIF frame
  // position out of range" for a position outside 0-65535, and "GIF image is too large" or "GIF
  // image has too many frames" for what a read image could not hold.
  void WriteGIF(TStream& stream, bool withLength);
  // Encodes every frame without encoded data, then brings the graphic control extensions up to date.
  // Frames whose bitmaps share their pixels (copies of one bitmap or drawing) share one encoding.
  void EncodeFrames();
  // The current frame's bitmap (frame 0 when the index is out of range); without frames an empty
  // frame is added and its empty bitmap returned. Valid until the frames change.
  TBitmap* CurrentBitmap();
  // The logical screen: the largest right and bottom edge over the frames, measured through
  // FrameWidth and FrameHeight (so frames not decoded yet are decoded); a frame whose data does
  // not decode counts with the size its encoded picture gives, as it is written that way.
  void UpdateScreenSize();
  // A new frame assigned from the graphic, made current; returns its index. The frame must fit the
  // bounds of a read image: EInvalidGraphicOperation "GIF image has too many frames" or "GIF image
  // is too large", and the image is left as it was.
  virtual int AddFrame(TGraphic* graphic);

  int FrameCount() const { return static_cast<int>(FFrames.size()); }
  // Valid until the frame list changes.
  TGIFFrame* Frames(int index) const { return FFrames.at(static_cast<std::size_t>(index)).get(); }
  int CurrentIndex() const { return FCurrentIndex; }
  void SetCurrentIndex(int index) { FCurrentIndex = index; }
  TGIFData& Data() { return *FData; }
  const std::shared_ptr<TGIFData>& SharedData() const { return FData; }
  Byte Version() const { return FVersion; }  // 0 unknown, 1 "87a", 2 "89a"
  void SetVersion(Byte version) { FVersion = version; }
  Word ScreenWidth() const { return FScreenWidth; }
  Word ScreenHeight() const { return FScreenHeight; }
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor color) { FBackgroundColor = color; }
  bool Looping() const { return FLooping; }
  void SetLooping(bool value) { FLooping = value; }
  Word RepeatCount() const { return FRepeatCount; }
  void SetRepeatCount(Word count) { FRepeatCount = count; }

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  friend class TGIFFrame;
  void ReadBlocks(const Byte* data, std::size_t size);
  // A new frame at the end, made current and assigned from source; removed again when that fails.
  int AppendFrame(TPersistent* source);
  // The pixels all frames hold, decoded or as their encoded pictures give.
  long long HeldPixels() const;
  // While frames are copied in one go the screen is measured once, at the end.
  struct THoldScreenSize {
    explicit THoldScreenSize(TGIFImage& image) : Image(image) { ++Image.FScreenSizeHeld; }
    ~THoldScreenSize() { --Image.FScreenSizeHeld; }
    THoldScreenSize(const THoldScreenSize&) = delete;
    THoldScreenSize& operator=(const THoldScreenSize&) = delete;
    TGIFImage& Image;
  };
  void CopyFromAnimatedCursor(TAnimatedCursorImage& cursor);
  void FrameProgress(TProgressStage stage, Byte percent, const AnsiString& message);
  // The shared data, first copied when another image shares it, so a change stays with this image.
  TGIFData& UniqueData();

  std::shared_ptr<TGIFData> FData;
  Byte FVersion = 0;
  std::vector<std::unique_ptr<TGIFFrame>> FFrames;
  int FCurrentIndex = -1;
  Word FScreenWidth = 0, FScreenHeight = 0;
  TColor FBackgroundColor = clNone;
  bool FLooping = false;
  Word FRepeatCount = 1;
  int FScreenSizeHeld = 0;
};

// The clipboard format "GIF Image" (0 until the GIF format is registered).
UINT GIFClipboardFormat();
// Module start-up: the clipboard format, the class registry, and the picture's file format "gif"
// ("CompuServe GIF Image") and clipboard format. Call before any window is read.
void RegisterGIFImage();
// Module end: the picture class forgets TGIFImage.
void UnregisterGIFImage();

}  // namespace orv
