// TGraphic's shared behaviour and TPicture with the registry of picture kinds by file extension,
// clipboard format and class name.
#include <algorithm>
#include "platform/classes/Filer.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"

namespace orv {

// ----- TGraphic -----

void TGraphic::Assign(TPersistent* source) { TPersistent::Assign(source); }

void TGraphic::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  filer.DefineBinaryProperty("Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
                             !Empty());
}

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TGraphic::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TGraphic::LoadFromClipboardFormat(Word, std::uint64_t, HPALETTE) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(Word&, std::uint64_t&, HPALETTE&) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::ReadData(TStream& stream) { LoadFromStream(stream); }
void TGraphic::WriteData(TStream& stream) { SaveToStream(stream); }

void TGraphic::Changed() {
  FModified = true;
  OnChange(this);
}

void TGraphic::Progress(TProgressStage stage, Byte percentDone, bool redrawNow, const TRect& r,
                        const AnsiString& msg) {
  OnProgress(this, stage, percentDone, redrawNow, r, msg);
}

// ----- the registry -----

namespace {

struct TFileFormat {
  AnsiString Extension;
  AnsiString Description;
  TGraphicClass Class;
};
struct TClipFormat {
  Word Format;
  TGraphicClass Class;
};

AnsiString Lower(AnsiString s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

struct TRegistry {
  std::vector<TFileFormat> Files;
  std::vector<TClipFormat> Clips;
  std::vector<TGraphicClass> Known;
};

TRegistry& Registry() {
  static TRegistry reg = [] {
    TRegistry r;
    r.Files.push_back({"bmp", "Bitmaps", TBitmap::Class()});
    r.Files.push_back({"ico", "Icons", TIcon::Class()});
    r.Files.push_back({"jpg", "JPEG Image File", TJPEGImage::Class()});
    r.Files.push_back({"jpeg", "JPEG Image File", TJPEGImage::Class()});
    r.Clips.push_back({CF_BITMAP, TBitmap::Class()});
    r.Clips.push_back({CF_DIB, TBitmap::Class()});
    r.Known = {TBitmap::Class(), TIcon::Class(), TJPEGImage::Class()};
    return r;
  }();
  return reg;
}

void Remember(TGraphicClass cls) {
  auto& known = Registry().Known;
  if (std::find(known.begin(), known.end(), cls) == known.end()) known.push_back(cls);
}

}  // namespace

void TPicture::RegisterFileFormat(const AnsiString& extension, const AnsiString& description,
                                  TGraphicClass graphicClass) {
  if (!graphicClass) return;
  AnsiString ext = Lower(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  auto& files = Registry().Files;
  files.insert(files.begin(), {ext, description, graphicClass});
  Remember(graphicClass);
}

void TPicture::RegisterClipboardFormat(Word format, TGraphicClass graphicClass) {
  if (!graphicClass) return;
  auto& clips = Registry().Clips;
  clips.insert(clips.begin(), {format, graphicClass});
  Remember(graphicClass);
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
  auto& r = Registry();
  std::erase_if(r.Files, [&](const TFileFormat& f) { return f.Class == graphicClass; });
  std::erase_if(r.Clips, [&](const TClipFormat& f) { return f.Class == graphicClass; });
  std::erase(r.Known, graphicClass);
}

TGraphicClass TPicture::FileFormatClass(const AnsiString& extension) {
  AnsiString ext = Lower(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  for (const auto& f : Registry().Files)
    if (f.Extension == ext) return f.Class;
  return nullptr;
}

TGraphicClass TPicture::ClipboardFormatClass(Word format) {
  for (const auto& f : Registry().Clips)
    if (f.Format == format) return f.Class;
  return nullptr;
}

TGraphicClass TPicture::ClassByName(const AnsiString& name) {
  AnsiString wanted = Lower(name);
  for (TGraphicClass c : Registry().Known)
    if (Lower(c->Name) == wanted) return c;
  return nullptr;
}

AnsiString TPicture::FileFilter() {
  const auto& files = Registry().Files;
  AnsiString all, each;
  for (const auto& f : files) {
    if (!all.empty()) all += ";";
    all += "*." + f.Extension;
    each += "|" + f.Description + " (*." + f.Extension + ")|*." + f.Extension;
  }
  return "All (" + all + ")|" + all + each;
}

// ----- TPicture -----

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Attach(std::unique_ptr<TGraphic> graphic) {
  if (graphic) {
    graphic->OnChange = [this](TObject*) { Changed(); };
    graphic->OnProgress = [this](TObject*, TProgressStage stage, Byte percent, bool redraw, const TRect& r,
                                 const AnsiString& msg) { OnProgress(this, stage, percent, redraw, r, msg); };
  }
  FGraphic = std::move(graphic);
  Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (!graphic) {
    Attach(nullptr);
    return;
  }
  if (graphic == FGraphic.get()) return;
  std::unique_ptr<TGraphic> copy = graphic->GraphicClass()->Create();
  copy->Assign(const_cast<TGraphic*>(graphic));
  Attach(std::move(copy));
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) { Attach(std::move(graphic)); }

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) Attach(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::Assign(TPersistent* source) {
  if (!source) { SetGraphic(static_cast<const TGraphic*>(nullptr)); return; }
  if (auto* picture = dynamic_cast<TPicture*>(source)) { SetGraphic(picture->Graphic()); return; }
  if (auto* graphic = dynamic_cast<TGraphic*>(source)) { SetGraphic(static_cast<const TGraphic*>(graphic)); return; }
  TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  filer.DefineBinaryProperty("Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
                             FGraphic != nullptr && !FGraphic->Empty());
}

void TPicture::LoadFromFile(const AnsiString& fileName) {
  auto slash = fileName.find_last_of('/');
  auto dot = fileName.find_last_of('.');
  AnsiString ext = dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash) ? AnsiString() : fileName.substr(dot + 1);
  TGraphicClass cls = FileFormatClass(ext);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> graphic = cls->Create();
  graphic->OnProgress = [this](TObject*, TProgressStage stage, Byte percent, bool redraw, const TRect& r,
                               const AnsiString& msg) { OnProgress(this, stage, percent, redraw, r, msg); };
  graphic->LoadFromFile(fileName);
  Attach(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::ReadData(TStream& stream) {
  Byte length = 0;
  stream.ReadBuffer(&length, 1);
  if (length == 0) {
    Attach(nullptr);
    return;
  }
  AnsiString name(length, '\0');
  stream.ReadBuffer(name.data(), length);
  TGraphicClass cls = ClassByName(name);
  if (!cls) throw EInvalidGraphic("Unknown picture class " + name);
  std::unique_ptr<TGraphic> graphic = cls->Create();
  graphic->ReadData(stream);
  Attach(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) {
  if (!FGraphic) {
    Byte zero = 0;
    stream.WriteBuffer(&zero, 1);
    return;
  }
  AnsiString name = FGraphic->GraphicClass()->Name;
  // A cut name could not be found again when the data is read.
  if (name.empty() || name.size() > 255) throw EInvalidGraphic("Picture class name too long: " + name);
  auto length = static_cast<Byte>(name.size());
  stream.WriteBuffer(&length, 1);
  stream.WriteBuffer(name.data(), length);
  FGraphic->WriteData(stream);
}

}  // namespace orv
