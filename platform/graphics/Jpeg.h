// JPEG pictures over libjpeg: decoded to a bitmap for drawing, kept as their file for saving.
#pragma once
#include <memory>
#include <vector>
#include "platform/graphics/Graphics.h"

namespace orv {

// Decodes a JPEG file (baseline or progressive, grey or colour) to a 24-bit bitmap.
// EInvalidGraphic "JPEG error #<n>" with libjpeg's message for a broken or cut-short file.
std::unique_ptr<TBitmap> DecodeJpeg(const Byte* data, std::size_t size);
// Encodes a bitmap's pixels at quality 1..100.
std::vector<Byte> EncodeJpeg(TBitmap& bitmap, int quality, bool grayscale = false);

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  static TGraphicClass Class();
  TGraphicClass GraphicClass() const override { return Class(); }

  // A bitmap (encoded on the next save) or another JPEG picture.
  void Assign(TPersistent* source) override;
  bool Empty() const override { return FData.empty() && !FBitmap; }
  int Width() const override;
  int Height() const override;
  // EInvalidGraphicOperation "Cannot change the size of a JPEG image".
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  // Reads the rest of the stream as the file; OnProgress sees psStarting before decoding and
  // psEnding (100 %, the whole picture) after.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  // Form data: a 32-bit LE byte count, then the file.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;

  // The decoded pixels; valid until the picture is loaded or assigned again.
  TBitmap* Bitmap();
  void DIBNeeded() { Bitmap(); }
  void JPEGNeeded();
  int CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int quality) { FQuality = std::clamp(quality, 1, 100); }
  bool Grayscale() const { return FGrayscale; }
  void SetGrayscale(bool value) { FGrayscale = value; }

 private:
  std::vector<Byte> FData;
  mutable std::unique_ptr<TBitmap> FBitmap;
  int FQuality = 90;
  bool FGrayscale = false;
};

}  // namespace orv
