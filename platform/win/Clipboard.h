// The clipboard of the process: registered format numbers, and data kept per format as global
// memory blocks (or, for bitmaps and palettes, the drawing layer's handle values). The forms layer
// may mirror it to the desktop's clipboard through the change sink.
#pragma once
#include <functional>
#include <vector>
#include "platform/win/GlobalMemory.h"
#include "platform/win/WinTypes.h"

namespace orv {

// The picture formats (CF_BITMAP 2, CF_METAFILEPICT 3, CF_DIB 8, CF_PALETTE 9) are named in
// platform/graphics/Graphics.h.
inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_UNICODETEXT = 13;
inline constexpr UINT CF_ENHMETAFILE = 14;
inline constexpr UINT CF_HDROP = 15;
inline constexpr DWORD ERROR_CLIPBOARD_NOT_OPEN = 1418;

// The same name (without regard to a-z case) always gives the same number, from 0xC000 up;
// 0 for an empty or over-long name.
UINT RegisterClipboardFormatA(const AnsiString& name);
UINT RegisterClipboardFormatW(const WideString& name);
// The registered name, empty for a predefined or unknown format.
WideString ClipboardFormatName(UINT format);

// Only one opener at a time; changes need the clipboard open.
bool OpenClipboard(HWND owner);
bool CloseClipboard();
// Frees every held block.
bool EmptyClipboard();
// The clipboard takes the data: a global block (for bitmaps and palettes, formats 2 and 9: a handle
// value of the drawing layer, not freed here). Replaces and frees what the format held. Returns the data, or 0.
std::uint64_t SetClipboardData(UINT format, std::uint64_t data);
// The data held for the format (still owned by the clipboard), 0 when there is none.
std::uint64_t GetClipboardData(UINT format);
bool IsClipboardFormatAvailable(UINT format);
// The formats held, in the order they were set.
std::vector<UINT> ClipboardFormats();

// Called at CloseClipboard after a change.
void SetClipboardChangeSink(std::function<void()> sink);

}  // namespace orv
