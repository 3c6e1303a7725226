// The pictures of the GIF benchmarks, made by Pillow: a 2,000 x 2,000 256-colour interlaced
// picture and a 50-frame 500 x 500 animation, both photograph-like (gradients, a fractal, noise).
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace orv::bench {

inline const char* kGifPython = R"(
import sys
from PIL import Image
big, anim = sys.argv[1], sys.argv[2]
w = h = 2000
r = Image.linear_gradient('L').resize((w, h))
g = Image.radial_gradient('L').resize((w, h))
m = Image.effect_mandelbrot((w, h), (-2.0, -1.5, 1.0, 1.5), 80)
n = Image.effect_noise((w, h), 24)
picture = Image.merge('RGB', (r, g, Image.blend(m, n, 0.35)))
picture.quantize(256).save(big, interlace=True)
frames = [picture.crop((i * 30, i * 20, i * 30 + 500, i * 20 + 500)).quantize(256) for i in range(50)]
frames[0].save(anim, save_all=True, append_images=frames[1:], duration=40, loop=0, optimize=False)
)";

// Makes the two pictures in dir; false when Pillow fails.
inline bool MakeGifPictures(const std::string& dir, std::string& big, std::string& anim) {
  big = dir + "/big.gif";
  anim = dir + "/anim.gif";
  const std::string script = dir + "/make.py";
  std::ofstream(script) << kGifPython;
  return std::system(("/usr/bin/python3 '" + script + "' '" + big + "' '" + anim + "'").c_str()) == 0;
}

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace orv::bench
