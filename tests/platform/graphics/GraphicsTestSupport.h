// Shared pieces of the drawing tests: an offscreen Qt application, bitmaps to draw on, pixel
// readers and running the Python imaging peer.
#pragma once
#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include "platform/graphics/GdiInternal.h"
#include "platform/graphics/Graphics.h"
#include "tests/support/ShellCommand.h"

namespace orv::test {

// Runs a Python script with Debian's interpreter (the one that sees Pillow).
inline std::string RunPython(const std::string& script, int* status = nullptr) {
  std::string path = (std::filesystem::temp_directory_path() / ("orv_gfx_" + std::to_string(getpid()) + ".py")).string();
  FILE* f = fopen(path.c_str(), "w");
  fwrite(script.data(), 1, script.size(), f);
  fclose(f);
  std::string out = RunCommand("/usr/bin/python3 " + path + " 2>&1", status);
  std::filesystem::remove(path);
  return out;
}

// A fresh folder removed at the end of the test.
class TTempDir {
 public:
  TTempDir() {
    char tmpl[] = "/tmp/orv_gfx_XXXXXX";
    FPath = mkdtemp(tmpl);
  }
  ~TTempDir() { std::filesystem::remove_all(FPath); }
  std::string File(const std::string& name) const { return FPath + "/" + name; }
 private:
  std::string FPath;
};

// A white 24-bit bitmap of the size.
inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

inline COLORREF Px(TBitmap& b, int x, int y) { return b.PixelRGB(x, y); }

inline bool Near(COLORREF a, COLORREF b, int tol) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tol && std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

// Count of pixels in rect that are not `background`.
inline int InkCount(TBitmap& b, const TRect& r, COLORREF background) {
  int n = 0;
  for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, b.Height()); ++y)
    for (int x = std::max(r.Left, 0); x < std::min(r.Right, b.Width()); ++x)
      if (Px(b, x, y) != background) ++n;
  return n;
}

// Bounding box of the pixels that are not `background` (empty when none).
inline TRect InkBox(TBitmap& b, COLORREF background) {
  TRect box{b.Width(), b.Height(), 0, 0};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (Px(b, x, y) != background) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  if (box.Right <= box.Left) return {};
  return box;
}

}  // namespace orv::test
