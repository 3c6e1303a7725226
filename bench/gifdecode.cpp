// Benchmark: decoding a 2,000 x 2,000 256-colour interlaced GIF and a 50-frame 500 x 500
// animation from bytes in memory into 8-bit frames (every frame), against giflib's DGifSlurp
// decoding the same bytes into colour indexes in this process. A second comparison makes the
// true-colour images as well, against gif2rgb converting the files to RGB. Last line
// "gifdecode: R", R = DGifSlurp's time / ours (best of several rounds).
#include <gif_lib.h>

#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include "bench/BenchProcess.h"
#include "bench/GifBench.h"
#include "controls/GIFImage.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Gdi.h"

namespace {

// Decodes every frame of the bytes; the pixels decoded. With trueColour the 32-bit image of
// each frame is made too.
long long DecodeOurs(const std::string& bytes, bool trueColour) {
  orv::TStringStream stream(bytes);
  orv::TGIFImage image;
  image.LoadFromStream(stream);
  long long pixels = 0;
  for (int i = 0; i < image.FrameCount(); ++i) {
    orv::TBitmap* bitmap = image.Frames(i)->FrameBitmap();
    if (trueColour) pixels += bitmap->Handle()->Image().height() * static_cast<long long>(bitmap->Handle()->Image().width());
    else pixels += static_cast<long long>(bitmap->Width()) * bitmap->Height();
  }
  return pixels;
}

struct TMemorySource {
  const std::string* Bytes;
  std::size_t Pos;
};

int ReadMemory(GifFileType* file, GifByteType* out, int count) {
  auto* source = static_cast<TMemorySource*>(file->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(count), source->Bytes->size() - source->Pos);
  std::memcpy(out, source->Bytes->data() + source->Pos, n);
  source->Pos += n;
  return static_cast<int>(n);
}

// Decodes every frame of the bytes into colour indexes with giflib; the pixels decoded, -1 on failure.
long long DecodeSlurp(const std::string& bytes) {
  TMemorySource source{&bytes, 0};
  int error = 0;
  GifFileType* file = DGifOpen(&source, ReadMemory, &error);
  if (file == nullptr) return -1;
  long long pixels = -1;
  if (DGifSlurp(file) == GIF_OK) {
    pixels = 0;
    for (int i = 0; i < file->ImageCount; ++i) {
      const GifImageDesc& d = file->SavedImages[i].ImageDesc;
      if (file->SavedImages[i].RasterBits != nullptr) pixels += static_cast<long long>(d.Width) * d.Height;
    }
  }
  DGifCloseFile(file, &error);
  return pixels;
}

// Whether our frames show the colours giflib's indexes give, pixel for pixel (outside the timing).
bool SameColours(const std::string& bytes) {
  orv::TStringStream stream(bytes);
  orv::TGIFImage image;
  image.LoadFromStream(stream);
  TMemorySource source{&bytes, 0};
  int error = 0;
  GifFileType* file = DGifOpen(&source, ReadMemory, &error);
  if (file == nullptr) return false;
  bool same = DGifSlurp(file) == GIF_OK && file->ImageCount == image.FrameCount();
  for (int i = 0; same && i < file->ImageCount; ++i) {
    const SavedImage& saved = file->SavedImages[i];
    const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : file->SColorMap;
    const QImage& ours = image.Frames(i)->FrameBitmap()->Handle()->Image();
    const int w = saved.ImageDesc.Width, h = saved.ImageDesc.Height;
    same = map != nullptr && ours.width() == w && ours.height() == h;
    for (int y = 0; same && y < h; ++y)
      for (int x = 0; same && x < w; ++x) {
        const GifColorType c = map->Colors[saved.RasterBits[static_cast<std::size_t>(y) * w + x]];
        same = (ours.pixel(x, y) & 0xFFFFFFu) == static_cast<unsigned>(c.Red << 16 | c.Green << 8 | c.Blue);
      }
  }
  DGifCloseFile(file, &error);
  return same;
}

bool DecodeGif2rgb(const std::string& path) {
  const pid_t pid = orv::bench::Spawn({"/usr/bin/gif2rgb", "-1", "-o", "/dev/null", path});
  if (pid < 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  orv::Application->Initialize();
  orv::RegisterGIFImage();
  const std::string dir = orv::bench::TempFolder("gifdecode");
  std::string big, anim;
  if (dir.empty() || !orv::bench::MakeGifPictures(dir, big, anim)) {
    std::fprintf(stderr, "the pictures could not be made (python3-pil)\n");
    return 1;
  }
  const std::string bigBytes = orv::bench::ReadWhole(big), animBytes = orv::bench::ReadWhole(anim);
  if (!SameColours(bigBytes) || !SameColours(animBytes)) {
    std::fprintf(stderr, "our frames and giflib's differ\n");
    return 1;
  }
  double ours = 1e30, slurp = 1e30, oursRgb = 1e30, gif2rgb = 1e30;
  long long pixels = 0, slurpPixels = 0;
  for (int round = 0; round < 7; ++round) {
    auto t0 = orv::bench::Clock::now();
    pixels = DecodeOurs(bigBytes, false) + DecodeOurs(animBytes, false);
    ours = std::min(ours, orv::bench::Seconds(t0));
    t0 = orv::bench::Clock::now();
    const long long a = DecodeSlurp(bigBytes), b = DecodeSlurp(animBytes);
    slurp = std::min(slurp, orv::bench::Seconds(t0));
    if (a < 0 || b < 0) {
      std::fprintf(stderr, "DGifSlurp failed\n");
      return 1;
    }
    slurpPixels = a + b;
    t0 = orv::bench::Clock::now();
    (void)DecodeOurs(bigBytes, true);
    (void)DecodeOurs(animBytes, true);
    oursRgb = std::min(oursRgb, orv::bench::Seconds(t0));
    t0 = orv::bench::Clock::now();
    if (!DecodeGif2rgb(big) || !DecodeGif2rgb(anim)) {
      std::fprintf(stderr, "gif2rgb failed\n");
      return 1;
    }
    gif2rgb = std::min(gif2rgb, orv::bench::Seconds(t0));
  }
  if (pixels != slurpPixels) std::fprintf(stderr, "the two decoders decoded different pixel counts\n");
  std::printf("files: %s (%ju bytes), %s (%ju bytes); %lld pixels decoded\n", big.c_str(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(big)), anim.c_str(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(anim)), pixels);
  std::filesystem::remove_all(dir);
  std::printf("ours (bytes to 8-bit frames and true-colour images): %.1f ms\n", oursRgb * 1000);
  std::printf("gif2rgb (file to RGB, /dev/null, a process): %.1f ms\n", gif2rgb * 1000);
  std::printf("gifdecode (true colour, against gif2rgb): %.2f\n", gif2rgb / oursRgb);
  std::printf("ours (bytes to 8-bit frames, every frame): %.1f ms\n", ours * 1000);
  std::printf("DGifSlurp (bytes to colour indexes, every frame): %.1f ms\n", slurp * 1000);
  std::printf("gifdecode: %.2f\n", slurp / ours);
  return 0;
}
