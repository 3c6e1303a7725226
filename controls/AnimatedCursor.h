// Animated cursor files (RIFF form "ACON") read into frames of icons, painted side by side into a
// bitmap, and handed to icons, bitmaps, icon lists and GIF images; and the icon clipboard format.
#pragma once
#include <array>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/Icon.h"

namespace orv {

// One frame of an animated cursor.
class TIconFrame : public TPersistent {
 public:
  TIconFrame() = default;
  // Copies every field; the icon into an own one.
  void Assign(TPersistent* source) override;

  std::unique_ptr<TIcon> Icon;
  bool IsIcon = false;                  // the frame's resource was an icon, not a cursor
  std::array<Byte, 8> Tag{};            // the "icon" chunk's id and size
  TPoint HotSpot;
  LongWord Rate = 0;                    // jiffies (1/60 s)
  Integer Sequence = -1;                // -1: made without a header entry
};

// The "anih" header as stored: nine 32-bit little-endian values.
struct TAniHeader {
  LongWord HeaderSize = 0, FrameCount = 0, StepCount = 0, Width = 0, Height = 0, BitCount = 0,
           PlaneCount = 0, DisplayRate = 0, Flags = 0;
};

class TAnimatedCursorImage : public TPersistent {
 public:
  TAnimatedCursorImage();
  ~TAnimatedCursorImage() override;

  // Reads the rest of the stream as an animated cursor. EReadError "Stream-Read-Fehler" for a file
  // that is no RIFF "ACON", a header without the icon flag or without steps, or without any frame
  // that has an icon; chunks cut short end the reading. EInvalidGraphic "Icon image is too large"
  // when the icons of the file claim more pixels than one icon file may hold.
  virtual void ReadFromStream(TStream& stream);
  // On failure the image is left empty and the error passes on.
  virtual void ReadFromFile(const AnsiString& fileName);
  // Not available: the information box "Function not yet implemented", then the silent abort.
  [[noreturn]] virtual void WriteToStream(TStream& stream);
  void Clear();

  int Count() const { return static_cast<int>(FFrames.size()); }
  // Valid until the image changes.
  TIcon* Icons(int index) const { return Frames(index)->Icon.get(); }
  TIconFrame* Frames(int index) const { return FFrames.at(static_cast<std::size_t>(index)).get(); }
  const TAniHeader& Header() const { return FHeader; }
  const AnsiString& Title() const { return FTitle; }
  const AnsiString& Creator() const { return FCreator; }
  int SourceColorCount() const { return FSourceColorCount; }

  // nullptr clears; another animated cursor is copied; anything else is the assignment error.
  void Assign(TPersistent* source) override;
  // The frames side by side (or one under another) on the background colour, reduced to the
  // frames' colour count (at least 16) when decreaseColors. EInvalidGraphicOperation "Animated
  // cursor is too large to draw" for a bitmap larger than the bitmap reader takes.
  void DrawToBitmap(TBitmap& bitmap, TColor background, bool vertical, bool decreaseColors);

 protected:
  // A TIcon gets the first frame's icon, a TBitmap the frames side by side, a TIconList every
  // frame's icon.
  void AssignTo(TPersistent* dest) override;

 private:
  void Parse(const Byte* data, std::size_t size);
  TAniHeader FHeader;
  AnsiString FTitle, FCreator;
  std::vector<std::unique_ptr<TIconFrame>> FFrames;
  int FSourceColorCount = 0;
};

// The clipboard format of icons ("Orvinta Icon"), 0 until registered.
UINT IconClipboardFormat();
// Module start-up: registers the format and tells the picture class to read it as a TIcon.
void RegisterIconClipboardFormat();

}  // namespace orv
