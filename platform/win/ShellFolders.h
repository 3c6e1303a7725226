// The shell's folder objects: the desktop folder that shell browsing starts from.
#pragma once
#include <memory>
#include "platform/win/Libraries.h"

namespace orv {

inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

// A folder of the shell namespace, known by its path in the file system.
struct TShellFolder {
  AnsiString Path;
};
using TShellFolderRef = std::shared_ptr<const TShellFolder>;

// The desktop folder: $XDG_DESKTOP_DIR, else $HOME/Desktop. Fails with E_FAIL (and no folder) when
// neither the variable nor a home folder is set.
HRESULT SHGetDesktopFolder(TShellFolderRef* folder);

}  // namespace orv
