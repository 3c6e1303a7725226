// Benchmark: decoding a 2,000 x 2,000 256-colour interlaced GIF and a 50-frame 500 x 500
// animation into bitmaps (every frame), against giflib's gif2rgb converting the same files to RGB
// in the same run. Last line "gifdecode: R", R = gif2rgb's time / ours (best of several rounds).
#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include "bench/BenchProcess.h"
#include "bench/GifBench.h"
#include "controls/GIFImage.h"
#include "platform/forms/Forms.h"

namespace {

// Reads the file and decodes every frame; the pixels decoded.
long long DecodeOurs(const std::string& path) {
  const std::string bytes = orv::bench::ReadWhole(path);
  orv::TStringStream stream(bytes);
  orv::TGIFImage image;
  image.LoadFromStream(stream);
  long long pixels = 0;
  for (int i = 0; i < image.FrameCount(); ++i) {
    orv::TBitmap* bitmap = image.Frames(i)->FrameBitmap();
    pixels += static_cast<long long>(bitmap->Width()) * bitmap->Height();
  }
  return pixels;
}

bool DecodeTheirs(const std::string& path) {
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
  double ours = 1e30, theirs = 1e30;
  long long pixels = 0;
  for (int round = 0; round < 7; ++round) {
    auto t0 = orv::bench::Clock::now();
    pixels = DecodeOurs(big) + DecodeOurs(anim);
    ours = std::min(ours, orv::bench::Seconds(t0));
    t0 = orv::bench::Clock::now();
    if (!DecodeTheirs(big) || !DecodeTheirs(anim)) {
      std::fprintf(stderr, "gif2rgb failed\n");
      return 1;
    }
    theirs = std::min(theirs, orv::bench::Seconds(t0));
  }
  std::printf("files: %s (%ju bytes), %s (%ju bytes); %lld pixels decoded\n", big.c_str(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(big)), anim.c_str(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(anim)), pixels);
  std::printf("ours (file to bitmaps, every frame): %.1f ms\n", ours * 1000);
  std::printf("gif2rgb (file to RGB, /dev/null): %.1f ms\n", theirs * 1000);
  std::filesystem::remove_all(dir);
  std::printf("gifdecode: %.2f\n", theirs / ours);
  return 0;
}
