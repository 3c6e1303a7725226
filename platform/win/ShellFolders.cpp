// The desktop folder of the shell namespace, from the user's XDG settings.
#include "platform/win/ShellFolders.h"

#include <cstdlib>

namespace orv {

HRESULT SHGetDesktopFolder(TShellFolderRef* folder) {
  if (folder == nullptr) return E_FAIL;
  *folder = nullptr;
  AnsiString path;
  if (const char* desktop = std::getenv("XDG_DESKTOP_DIR"); desktop != nullptr && *desktop != 0) {
    path = desktop;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
    path = AnsiString(home) + "/Desktop";
  } else {
    return E_FAIL;
  }
  *folder = std::make_shared<const TShellFolder>(TShellFolder{path});
  return S_OK;
}

}  // namespace orv
