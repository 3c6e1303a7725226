// fuzz-libs: orv_controls
// GIF pictures, animated cursors and icon-list data from untrusted bytes. Only the readers' own
// errors may leave; every frame that was read decodes or fails with EInvalidGraphicOperation, and
// whatever loads with a frame is written and read back with as many frames.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/AnimatedCursor.h"
#include "controls/GIFImage.h"
#include "controls/IconList.h"

using namespace orv;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void TryGif(const std::string& bytes, bool allowDamaged) {
  AllowDamagedGIF = allowDamaged;
  TStringStream in(bytes);
  TGIFImage image;
  try {
    image.LoadFromStream(in);
  } catch (const EInvalidGraphicOperation&) {
    return;
  }
  for (int i = 0; i < image.FrameCount(); ++i) {
    try {
      TBitmap* bitmap = image.Frames(i)->FrameBitmap();
      Check(bitmap->Width() == 0 || bitmap->Width() == image.Frames(i)->Item().Width);
    } catch (const EInvalidGraphicOperation&) {
    }
  }
  TBitmap target;
  target.SetSize(8, 8);
  image.Draw(*target.Canvas(), Rect(0, 0, 8, 8));
  TMemoryStream out;
  try {
    image.SaveToStream(out);
  } catch (const EInvalidGraphicOperation&) {
    // Only an image without frames has nothing to write.
    Check(image.FrameCount() == 0);
    return;
  }
  out.SetPosition(0);
  TGIFImage back;
  try {
    back.LoadGIF(out.Size(), out, false);
  } catch (const EInvalidGraphicOperation&) {
    std::abort();
  }
  Check(back.FrameCount() == image.FrameCount());
}

void TryCursor(const std::string& bytes) {
  TStringStream in(bytes);
  TAnimatedCursorImage cursor;
  try {
    cursor.ReadFromStream(in);
  } catch (const EReadError&) {
    return;
  } catch (const EIconTooLarge&) {
    return;
  }
  Check(cursor.Count() > 0 || bytes.empty());
  TGIFImage gif;
  try {
    gif.Assign(&cursor);
  } catch (const EInvalidGraphicOperation&) {
    // More frames or pixels than a read GIF image may hold: refused before any frame is made.
    Check(gif.FrameCount() == 0);
    return;
  }
  Check(gif.FrameCount() == cursor.Count());
}

void TryIconList(const std::string& bytes) {
  TStringStream in(bytes);
  TIconList list;
  try {
    list.ReadFromStream(in);
  } catch (const EReadError&) {
    return;
  } catch (const EInvalidGraphic&) {
    return;
  }
  TMemoryStream out;
  list.WriteToStream(out);
  out.SetPosition(0);
  TIconList back;
  back.ReadFromStream(out);
  Check(back.IconCount() == list.IconCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    RegisterGIFImage();
    return true;
  }();
  (void)registered;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TryGif(bytes, true);
  TryGif(bytes, false);
  TryCursor(bytes);
  TryIconList(bytes);
  return 0;
}
