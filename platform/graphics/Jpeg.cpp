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

// The decoder's own working memory beyond the picture: a whole-picture coefficient buffer of a
// progressive file holds two bytes per sample of three full-size components; the base covers the
// blocks a picture's edges are padded to and the decoder's tables. More is refused as the file
// asks it, before it is taken.
constexpr long long kJpegWorkBytesPerPixel = 6;
constexpr long long kJpegWorkBaseBytes = 16LL << 20;

// QRgb in memory order, so rows are decoded straight into the bitmap.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kQRgbColorSpace = JCS_EXT_BGRA;
#else
constexpr J_COLOR_SPACE kQRgbColorSpace = JCS_EXT_ARGB;
#endif

// A decompression in two steps, header then pixels, each jumping back into its own frame, which
// holds nothing with a destructor; the bitmap is made between them.
struct TJpegDecoder {
  jpeg_decompress_struct Info;
  TJpegError Err;
  bool Created = false;
  TJpegDecoder() { std::memset(&Info, 0, sizeof Info); }
  ~TJpegDecoder() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
  TJpegDecoder(const TJpegDecoder&) = delete;
  TJpegDecoder& operator=(const TJpegDecoder&) = delete;
};

void TooLarge(TJpegError& err) {
  err.Code = -1;
  std::snprintf(err.Message, sizeof err.Message, "image too large");
}

// Reads the header and checks the size it claims before the decoder sets up any buffer; the
// decoder's memory is capped in proportion to that size.
bool ReadJpegHeader(TJpegDecoder& d, const Byte* data, std::size_t size, int& width, int& height) {
  d.Info.err = jpeg_std_error(&d.Err.Mgr);
  d.Err.Mgr.error_exit = OnJpegError;
  d.Err.Mgr.emit_message = OnJpegMessage;
  if (setjmp(d.Err.Jump)) return false;
  jpeg_create_decompress(&d.Info);
  d.Created = true;
  jpeg_mem_src(&d.Info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.Info, TRUE);
  const long long w = d.Info.image_width, h = d.Info.image_height;
  if (w <= 0 || h <= 0 || w > kMaxBitmapSide || h > kMaxBitmapSide || w * h > kMaxBitmapPixels) {
    TooLarge(d.Err);
    return false;
  }
  d.Info.out_color_space = kQRgbColorSpace;
  d.Info.mem->max_memory_to_use = static_cast<long>(kJpegWorkBaseBytes + kJpegWorkBytesPerPixel * w * h);
  jpeg_calc_output_dimensions(&d.Info);
  if (d.Info.output_width != w || d.Info.output_height != h || d.Info.output_components != 4) {
    TooLarge(d.Err);
    return false;
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ReadJpegPixels(TJpegDecoder& d, QImage& image) {
  if (setjmp(d.Err.Jump)) return false;
  jpeg_start_decompress(&d.Info);
  while (d.Info.output_scanline < d.Info.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(d.Info.output_scanline));
    jpeg_read_scanlines(&d.Info, &row, 1);
  }
  jpeg_finish_decompress(&d.Info);
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
  TJpegDecoder decoder;
  int width = 0, height = 0;
  if (!data || size < 4 || !ReadJpegHeader(decoder, data, size, width, height)) {
    if (!decoder.Err.Message[0]) std::snprintf(decoder.Err.Message, sizeof decoder.Err.Message, "not a JPEG file");
    JpegFailure(decoder.Err);
  }
  auto image = std::make_unique<TGdiBitmap>(width, height, 24);
  if (!ReadJpegPixels(decoder, image->Image())) JpegFailure(decoder.Err);
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
