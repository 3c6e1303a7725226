// fuzz-libs: orv_graphics
// The picture readers on arbitrary bytes: BMP, icon/cursor and JPEG streams. Only EInvalidGraphic
// (and the stream's read error) may leave; whatever is read must save and read back the same size.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"

using namespace orv;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

template <class T>
void Try(const std::string& bytes) {
  TStringStream in(bytes);
  T graphic;
  try {
    graphic.LoadFromStream(in);
  } catch (const EInvalidGraphic&) {
    return;
  } catch (const EReadError&) {
    return;
  }
  TMemoryStream out;
  graphic.SaveToStream(out);
  out.SetPosition(0);
  T back;
  back.LoadFromStream(out);
  Check(back.Width() == graphic.Width() && back.Height() == graphic.Height());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  Try<TBitmap>(bytes);
  Try<TIcon>(bytes);
  Try<TJPEGImage>(bytes);
  return 0;
}
