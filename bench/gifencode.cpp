// Benchmark: encoding the pictures of bench/gifdecode (a 2,000 x 2,000 256-colour picture and a
// 50-frame 500 x 500 animation) from 8-bit bitmaps into GIF files in memory, against Pillow saving
// the same pictures in the same run. Last line "gifencode: R", R = Pillow's time / ours (best of
// several rounds); the output sizes are printed as well.
#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>
#include "bench/BenchProcess.h"
#include "bench/GifBench.h"
#include "controls/GIFImage.h"
#include "platform/forms/Forms.h"

namespace {

const char* kPillowSave = R"(
import io, sys, time
from PIL import Image
big = Image.open(sys.argv[1]); big.load()
anim = Image.open(sys.argv[2])
frames = []
for i in range(anim.n_frames):
    anim.seek(i)
    frames.append(anim.copy())
best, size = 1e30, 0
for _ in range(int(sys.argv[3])):
    t0 = time.perf_counter()
    a = io.BytesIO(); big.save(a, 'GIF')
    b = io.BytesIO(); frames[0].save(b, 'GIF', save_all=True, append_images=frames[1:], duration=40, loop=0)
    best = min(best, time.perf_counter() - t0)
    size = len(a.getvalue()) + len(b.getvalue())
print(best, size)
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
  for (const auto& b : bigBitmaps) {
    if (b->PixelFormat() != orv::pf8bit) std::fprintf(stderr, "a frame is not an 8-bit bitmap\n");
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
  const std::string command = "/usr/bin/python3 '" + script + "' '" + big + "' '" + anim + "' " + std::to_string(kRounds);
  FILE* pipe = popen(command.c_str(), "r");
  double theirs = 0;
  unsigned long long theirSize = 0;
  if (pipe == nullptr || std::fscanf(pipe, "%lf %llu", &theirs, &theirSize) != 2) {
    std::fprintf(stderr, "Pillow's save failed\n");
    return 1;
  }
  pclose(pipe);
  std::filesystem::remove_all(dir);
  std::printf("ours (bitmaps to GIF in memory): %.1f ms, %zu bytes\n", ours * 1000, ourSize);
  std::printf("Pillow (save to memory): %.1f ms, %llu bytes\n", theirs * 1000, theirSize);
  std::printf("gifencode: %.2f\n", theirs / ours);
  return 0;
}
