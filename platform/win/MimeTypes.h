// MIME types by file extension and back, from /etc/mime.types, behind an interface tests replace.
#pragma once
#include <map>
#include <memory>
#include <string_view>
#include "platform/rtl/Types.h"

namespace orv {

class IMimeTypeMap {
 public:
  virtual ~IMimeTypeMap() = default;
  // Extension with its dot ("." + ext, any case) to type; empty when unknown.
  virtual AnsiString TypeForExtension(std::string_view extension) = 0;
  // Type (any case) to its first extension with a dot; empty when unknown.
  virtual AnsiString ExtensionForType(std::string_view contentType) = 0;
};

// The table of a mime.types file ("type ext ext ..." lines, "#" comments), read on first use.
// A missing or unreadable file gives an empty table.
class TMimeTypesFile : public IMimeTypeMap {
 public:
  explicit TMimeTypesFile(AnsiString fileName = "/etc/mime.types");
  AnsiString TypeForExtension(std::string_view extension) override;
  AnsiString ExtensionForType(std::string_view contentType) override;
 private:
  void Load();
  AnsiString FFileName;
  bool FLoaded = false;
  std::map<AnsiString, AnsiString> FByExtension;   // lower-case extension without dot -> type
  std::map<AnsiString, AnsiString> FByType;        // lower-case type -> first extension
};

// The map in use (a TMimeTypesFile of /etc/mime.types unless replaced).
IMimeTypeMap& MimeTypeMap();
// Replaces the map; nullptr restores the system's. Returns the previous replacement, if any.
std::unique_ptr<IMimeTypeMap> SetMimeTypeMap(std::unique_ptr<IMimeTypeMap> map);

}  // namespace orv
