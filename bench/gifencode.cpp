// Benchmark: encoding the pictures of bench/gifdecode (a 2,000 x 2,000 256-colour picture and a
// 50-frame 500 x 500 animation) from 8-bit bitmaps into GIF files in memory, against Pillow saving
// the same 8-bit frames (the same colour indexes and palettes, as palette images) in the same run.
// Last line "gifencode: R", R = Pillow's time / ours (best of several rounds); the output sizes,
// of the same pixels, are printed as well.
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>
#include "bench/BenchProcess.h"
#include "bench/GifBench.h"
#include "controls/GIFImage.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Gdi.h"

namespace {

// Pillow opens each frame from a one-frame GIF of ours, so it holds a palette image with our
// indexes and palette; both saves keep them as they are (no palette optimising, no interlacing),
// and what it wrote is left in files for the pixel check.
const char* kPillowSave = R"(
import io, sys, time
from PIL import Image
folder, frames_count, rounds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def frame(i):
    im = Image.open('%s/f%03d.gif' % (folder, i)); im.load()
    if im.mode != 'P': raise SystemExit('frame %d is not a palette image' % i)
    return im
big = frame(0)
frames = [frame(i) for i in range(1, frames_count)]
best, a, b = 1e30, None, None
for _ in range(rounds):
    t0 = time.perf_counter()
    a = io.BytesIO(); big.save(a, 'GIF', optimize=False, interlace=False)
    b = io.BytesIO(); frames[0].save(b, 'GIF', save_all=True, append_images=frames[1:], duration=40, loop=0,
                                     optimize=False, interlace=False)
    best = min(best, time.perf_counter() - t0)
open(folder + '/pillow_big.gif', 'wb').write(a.getvalue())
open(folder + '/pillow_anim.gif', 'wb').write(b.getvalue())
print(best, len(a.getvalue()) + len(b.getvalue()))
)";

// The frames of the file as 8-bit bitmaps of their own.
std::vector<std::unique_ptr<orv::TBitmap>> Bitmaps(const std::string& path) {
  const std::string bytes = orv::bench::ReadWhole(path);
  orv::TStringStream stream(bytes);
  orv::TGIFImage image;
  image.LoadFromStream(stream);
  std::vector<std::unique_ptr<orv::TBitmap>> out;
  for (int i = 0; i < image.FrameCount(); ++i) {
    auto bitmap = std::make_unique<orv::TBitmap>();
    bitmap->Assign(image.Frames(i)->FrameBitmap());
    out.push_back(std::move(bitmap));
  }
  return out;
}

// Writes the bitmap as a one-frame GIF of ours.
void SaveOne(orv::TBitmap* bitmap, const std::string& path) {
  orv::TGIFImage one;
  one.AddFrame(bitmap);
  orv::TMemoryStream out;
  one.SaveToStream(out);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(out.Memory()), static_cast<std::streamsize>(out.Size()));
}

// Whether the frames of the file, composed on a canvas as an animation shows them, have the
// colours of the bitmaps, one frame each.
bool ShowsBitmaps(const std::string& path, const std::vector<orv::TBitmap*>& bitmaps) {
  const std::string bytes = orv::bench::ReadWhole(path);
  orv::TStringStream stream(bytes);
  orv::TGIFImage image;
  image.LoadFromStream(stream);
  if (image.FrameCount() != static_cast<int>(bitmaps.size())) return false;
  QImage canvas(bitmaps[0]->Width(), bitmaps[0]->Height(), QImage::Format_RGB32);
  for (int i = 0; i < image.FrameCount(); ++i) {
    orv::TGIFFrame& frame = *image.Frames(i);
    const QImage& part = frame.FrameBitmap()->Handle()->Image();
    for (int y = 0; y < part.height(); ++y)
      for (int x = 0; x < part.width(); ++x) {
        const QRgb c = part.pixel(x, y);
        const bool transparent = frame.TransparentColor != orv::clNone &&
                                 (c & 0xFFFFFFu) == static_cast<QRgb>(qRgb(orv::GetRValue(frame.TransparentColor),
                                                                           orv::GetGValue(frame.TransparentColor),
                                                                           orv::GetBValue(frame.TransparentColor)) & 0xFFFFFFu);
        if (!transparent && canvas.rect().contains(frame.Left + x, frame.Top + y)) canvas.setPixel(frame.Left + x, frame.Top + y, c);
      }
    const QImage& wanted = bitmaps[static_cast<std::size_t>(i)]->Handle()->Image();
    for (int y = 0; y < wanted.height(); ++y)
      for (int x = 0; x < wanted.width(); ++x)
        if ((canvas.pixel(x, y) & 0xFFFFFFu) != (wanted.pixel(x, y) & 0xFFFFFFu)) return false;
  }
  return true;
}

}  // namespace

int main() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  orv::Application->Initialize();
  orv::RegisterGIFImage();
  const std::string dir = orv::bench::TempFolder("gifencode");
  std::string big, anim;
  if (dir.empty() || !orv::bench::MakeGifPictures(dir, big, anim)) {
    std::fprintf(stderr, "the pictures could not be made (python3-pil)\n");
    return 1;
  }
  const auto bigBitmaps = Bitmaps(big), animBitmaps = Bitmaps(anim);
  std::vector<orv::TBitmap*> all;
  for (const auto& b : bigBitmaps) all.push_back(b.get());
  for (const auto& b : animBitmaps) all.push_back(b.get());
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i]->PixelFormat() != orv::pf8bit) std::fprintf(stderr, "a frame is not an 8-bit bitmap\n");
    char name[32];
    std::snprintf(name, sizeof name, "/f%03zu.gif", i);
    SaveOne(all[i], dir + name);
  }
  constexpr int kRounds = 5;
  double ours = 1e30;
  std::size_t ourSize = 0;
  for (int round = 0; round < kRounds; ++round) {
    orv::TGIFImage one, many;
    for (const auto& b : bigBitmaps) one.AddFrame(b.get());
    for (const auto& b : animBitmaps) {
      const int i = many.AddFrame(b.get());
      many.Frames(i)->Delay = 40;
    }
    many.SetLooping(true);
    many.SetRepeatCount(0);
    orv::TMemoryStream a, b;
    const auto t0 = orv::bench::Clock::now();
    one.SaveToStream(a);
    many.SaveToStream(b);
    ours = std::min(ours, orv::bench::Seconds(t0));
    ourSize = static_cast<std::size_t>(a.Size() + b.Size());
  }
  const std::string script = dir + "/save.py";
  std::ofstream(script) << kPillowSave;
  const std::string command =
      "/usr/bin/python3 '" + script + "' '" + dir + "' " + std::to_string(all.size()) + " " + std::to_string(kRounds);
  FILE* pipe = popen(command.c_str(), "r");
  double theirs = 0;
  unsigned long long theirSize = 0;
  if (pipe == nullptr || std::fscanf(pipe, "%lf %llu", &theirs, &theirSize) != 2) {
    std::fprintf(stderr, "Pillow's save failed\n");
    return 1;
  }
  pclose(pipe);
  std::vector<orv::TBitmap*> animOnly(all.begin() + 1, all.end());
  if (!ShowsBitmaps(dir + "/pillow_big.gif", {all[0]}) || !ShowsBitmaps(dir + "/pillow_anim.gif", animOnly)) {
    std::fprintf(stderr, "Pillow saved other pixels than ours\n");
    return 1;
  }
  std::filesystem::remove_all(dir);
  std::printf("ours (8-bit bitmaps to GIF in memory): %.1f ms, %zu bytes\n", ours * 1000, ourSize);
  std::printf("Pillow (the same palette images saved to memory): %.1f ms, %llu bytes\n", theirs * 1000, theirSize);
  std::printf("gifencode: %.2f\n", theirs / ours);
  return 0;
}
