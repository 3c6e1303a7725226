// MIME types of files for the message tree: by extension and back, through the system's table.
#pragma once
#include <string_view>
#include "platform/rtl/Types.h"

namespace orv {

// The type for a file name's extension; "application/octet-stream" when unknown.
AnsiString ContentTypeForFile(std::string_view fileName);
// The extension with its dot for a type; empty when unknown.
AnsiString ExtensionForContentType(std::string_view contentType);

}  // namespace orv
