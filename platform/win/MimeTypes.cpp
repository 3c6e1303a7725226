// MIME types by file extension from a mime.types file, and the replaceable map in use.
#include "platform/win/MimeTypes.h"
#include <fstream>
#include <sstream>

namespace orv {

namespace {

AnsiString Lower(std::string_view s) {
  AnsiString r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

std::unique_ptr<IMimeTypeMap>& Replacement() {
  static std::unique_ptr<IMimeTypeMap> map;
  return map;
}

}  // namespace

TMimeTypesFile::TMimeTypesFile(AnsiString fileName) : FFileName(std::move(fileName)) {}

void TMimeTypesFile::Load() {
  FLoaded = true;
  std::ifstream in(FFileName);
  if (!in) return;
  std::string line;
  while (std::getline(in, line)) {
    if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::string type, ext;
    if (!(words >> type)) continue;
    type = Lower(type);
    bool first = true;
    while (words >> ext) {
      ext = Lower(ext);
      // The first line naming an extension wins, as a lookup by extension expects one answer.
      FByExtension.emplace(ext, type);
      if (first) FByType.emplace(type, "." + ext);
      first = false;
    }
  }
}

AnsiString TMimeTypesFile::TypeForExtension(std::string_view extension) {
  if (!FLoaded) Load();
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  if (extension.empty()) return {};
  auto it = FByExtension.find(Lower(extension));
  return it == FByExtension.end() ? AnsiString() : it->second;
}

AnsiString TMimeTypesFile::ExtensionForType(std::string_view contentType) {
  if (!FLoaded) Load();
  auto it = FByType.find(Lower(contentType));
  return it == FByType.end() ? AnsiString() : it->second;
}

IMimeTypeMap& MimeTypeMap() {
  if (Replacement()) return *Replacement();
  static TMimeTypesFile system;
  return system;
}

std::unique_ptr<IMimeTypeMap> SetMimeTypeMap(std::unique_ptr<IMimeTypeMap> map) {
  std::unique_ptr<IMimeTypeMap> old = std::move(Replacement());
  Replacement() = std::move(map);
  return old;
}

}  // namespace orv
