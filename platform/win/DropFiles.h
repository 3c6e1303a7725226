// Files dropped onto a window: the drop handle that WM_DROPFILES carries names the files; the
// receiver reads them and releases the handle.
#pragma once
#include <vector>
#include "platform/win/WinTypes.h"

namespace orv {

using HDROP = THandle<struct THdropTag>;

// A drop naming the files, in order; valid until DragFinish.
HDROP CreateDropHandle(std::vector<AnsiString> files);
// index 0xFFFFFFFF: the number of files. Otherwise the length of file index's name (without the
// terminator), and with a buffer the name copied into it, cut to size - 1 characters and
// terminated. 0 for an unknown handle or index.
UINT DragQueryFileA(HDROP drop, UINT index, char* buffer, UINT size);
// Releases the drop; an unknown handle is ignored.
void DragFinish(HDROP drop);
// Drops not yet released.
int PendingDropCount();

}  // namespace orv
