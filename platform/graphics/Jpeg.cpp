// JPEG decoding and encoding through libjpeg, with its errors turned into exceptions.
#include "platform/graphics/Jpeg.h"
#include <QImage>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/GdiInternal.h"

namespace orv {

namespace {

struct TJpegError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
  int Code = 0;
  char Message[JMSG_LENGTH_MAX] = {0};
};

void OnJpegError(j_common_ptr info) {
  auto* err = reinterpret_cast<TJpegError*>(info->err);
  err->Code = err->Mgr.msg_code;
  err->Mgr.format_message(info, err->Message);
  std::longjmp(err->Jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}

// Everything libjpeg touches lives outside this frame, so a jump back into it skips no destructor.
bool DecodeRaw(const Byte* data, std::size_t size, std::vector<Byte>& pixels, int& width, int& height,
               TJpegError& err) {
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof info);
  info.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = OnJpegError;
  err.Mgr.emit_message = OnJpegMessage;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_width == 0 || info.output_height == 0 || info.output_width > static_cast<unsigned>(kMaxBitmapSide) ||
      info.output_height > static_cast<unsigned>(kMaxBitmapSide) ||
      static_cast<long long>(info.output_width) * info.output_height > kMaxBitmapPixels || info.output_components != 3) {
    err.Code = -1;
    std::snprintf(err.Message, sizeof err.Message, "image too large");
    jpeg_destroy_decompress(&info);
    return false;
  }
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  pixels.resize(static_cast<std::size_t>(width) * height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.data() + static_cast<std::size_t>(info.output_scanline) * width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

bool EncodeRaw(const std::vector<Byte>& pixels, int width, int height, int quality, bool gray,
               unsigned char** out, unsigned long* outSize, TJpegError& err) {
  jpeg_compress_struct info;
  std::memset(&info, 0, sizeof info);
  info.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = OnJpegError;
  err.Mgr.emit_message = OnJpegMessage;
  if (setjmp(err.Jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, outSize);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  if (gray) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto row = const_cast<JSAMPROW>(pixels.data() + static_cast<std::size_t>(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

[[noreturn]] void JpegFailure(const TJpegError& err) {
  throw EInvalidGraphic("JPEG error #" + std::to_string(err.Code) + ": " + err.Message);
}

}  // namespace

std::unique_ptr<TBitmap> DecodeJpeg(const Byte* data, std::size_t size) {
  std::vector<Byte> pixels;
  int width = 0, height = 0;
  TJpegError err;
  if (!data || size < 4 || !DecodeRaw(data, size, pixels, width, height, err)) {
    if (!err.Message[0]) std::snprintf(err.Message, sizeof err.Message, "not a JPEG file");
    JpegFailure(err);
  }
  auto image = std::make_unique<TGdiBitmap>(width, height, 24);
  QImage& img = image->Image();
  for (int y = 0; y < height; ++y) {
    auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
    const Byte* in = pixels.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) out[x] = qRgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
  }
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetHandle(image.release());
  bitmap->SetPixelFormat(pf24bit);
  return bitmap;
}

std::vector<Byte> EncodeJpeg(TBitmap& bitmap, int quality, bool grayscale) {
  if (bitmap.Empty()) throw EInvalidGraphic("JPEG error #0: empty image");
  int width = bitmap.Width(), height = bitmap.Height();
  const QImage& img = bitmap.Handle()->Image();
  std::vector<Byte> pixels(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    Byte* out = pixels.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      out[3 * x] = static_cast<Byte>(qRed(in[x]));
      out[3 * x + 1] = static_cast<Byte>(qGreen(in[x]));
      out[3 * x + 2] = static_cast<Byte>(qBlue(in[x]));
    }
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  TJpegError err;
  bool ok = EncodeRaw(pixels, width, height, std::clamp(quality, 1, 100), grayscale, &buffer, &size, err);
  std::vector<Byte> result;
  if (ok && buffer) result.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) JpegFailure(err);
  return result;
}

TGraphicClass TJPEGImage::Class() {
  static const TGraphicClassInfo info{"TJPEGImage", [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); }};
  return &info;
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

TBitmap* TJPEGImage::Bitmap() {
  if (!FBitmap && !FData.empty()) FBitmap = DecodeJpeg(FData.data(), FData.size());
  return FBitmap.get();
}

void TJPEGImage::JPEGNeeded() {
  if (FData.empty() && FBitmap && !FBitmap->Empty()) FData = EncodeJpeg(*FBitmap, FQuality, FGrayscale);
}

int TJPEGImage::Width() const {
  auto* self = const_cast<TJPEGImage*>(this);
  TBitmap* b = self->Bitmap();
  return b ? b->Width() : 0;
}

int TJPEGImage::Height() const {
  auto* self = const_cast<TJPEGImage*>(this);
  TBitmap* b = self->Bitmap();
  return b ? b->Height() : 0;
}

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

void TJPEGImage::Assign(TPersistent* source) {
  if (!source) { FData.clear(); FBitmap.reset(); Changed(); return; }
  if (auto* other = dynamic_cast<TJPEGImage*>(source)) {
    if (other == this) return;
    FData = other->FData;
    FBitmap.reset();
    if (other->FBitmap) { FBitmap = std::make_unique<TBitmap>(); FBitmap->Assign(other->FBitmap.get()); }
    FQuality = other->FQuality;
    FGrayscale = other->FGrayscale;
    Changed();
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    FData.clear();
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(bitmap);
    FBitmap->SetPixelFormat(pf24bit);
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  Int64 size = stream.Size() - stream.Position();
  if (size <= 0) throw EInvalidGraphic("JPEG error #0: empty stream");
  std::vector<Byte> data(static_cast<std::size_t>(size));
  stream.ReadBuffer(data.data(), size);
  Progress(psStarting, 0, false, TRect{}, "");
  std::unique_ptr<TBitmap> decoded = DecodeJpeg(data.data(), data.size());
  FData = std::move(data);
  FBitmap = std::move(decoded);
  Progress(psEnding, 100, true, Rect(0, 0, FBitmap->Width(), FBitmap->Height()), "");
  Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) {
  JPEGNeeded();
  if (!FData.empty()) stream.WriteBuffer(FData.data(), static_cast<Int64>(FData.size()));
}

void TJPEGImage::ReadData(TStream& stream) {
  LongWord size = 0;
  stream.ReadBuffer(&size, 4);
  if (size == 0 || static_cast<Int64>(size) > stream.Size() - stream.Position())
    throw EInvalidGraphic("JPEG error #0: bad data size");
  TMemoryStream data;
  data.SetSize(size);
  stream.ReadBuffer(data.Memory(), size);
  data.SetPosition(0);
  LoadFromStream(data);
}

void TJPEGImage::WriteData(TStream& stream) {
  JPEGNeeded();
  auto size = static_cast<LongWord>(FData.size());
  stream.WriteBuffer(&size, 4);
  if (size) stream.WriteBuffer(FData.data(), size);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (TBitmap* b = Bitmap()) canvas.StretchDraw(rect, b);
}

}  // namespace orv
