// The program's folder and the folder its data files live in: beside the executable, or in the
// user's data folder when the executable's folder cannot be written (an installed program).
#pragma once
#include "platform/rtl/Types.h"

namespace orv {

// The folder part of path, always ending in "/" (never two).
AnsiString ProgramFolderOf(const AnsiString& path);

// The data folder for a program folder: the program folder when it is writable, else
// $XDG_DATA_HOME/orvinta/ ($HOME/.local/share/orvinta/ without it), created when missing. When the
// user's folder cannot be made either, the program folder is kept: the data files are then skipped
// the way unreadable ones are.
AnsiString DataFolderFor(const AnsiString& programFolder);

// The program's own path: the running executable unless a test has set another in-process
// (an empty path restores the executable).
AnsiString ProgramPath();
void SetProgramPath(const AnsiString& path);

}  // namespace orv
